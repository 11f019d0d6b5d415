#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillon.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/build.sh
exec build/quillon
