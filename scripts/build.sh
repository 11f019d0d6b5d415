#!/usr/bin/env bash
# Installs what the build needs (and any further packages named) and builds a Release build
# into build/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/ensure-packages.sh cmake make g++ qt6-base-dev ffmpeg fonts-wine fonts-dejavu-core "$@"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
