#!/usr/bin/env bash
# Times under Debian's Wine, in the Debian 13 root (scripts/build-windows.sh --bench calls it
# there), how long Quillon takes from its start until its main window is shown and it has ended,
# against a bare window with the same widgets and text and an empty Qt window: the median of 11
# runs of each, taken in turns. Writes "quillon_ms=N bare_ms=N empty_ms=N" to OUTPUT.
#
#   scripts/bench-windows.sh BUILD_FOLDER PROGRAM_FOLDER OUTPUT
set -euo pipefail
build=$(realpath "${1:?build folder}")
program=$(realpath "${2:?program folder}")
output=${3:?output file}
W=/opt/quillon-windows

export WINEPREFIX=$W/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_RUNTIME_DIR=/tmp/wine-runtime
mkdir -p "$XDG_RUNTIME_DIR"
[[ -d $WINEPREFIX ]] || wineboot --init 2>/dev/null
# Each program from a folder of its own with Quillon's DLLs and converter, as Quillon is shipped.
run=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$run"' EXIT
cp -a "$program/." "$run/"
cp "$build"/bench_startup.exe "$build"/bench_bare_window.exe "$build"/bench_minimal_qt.exe "$run/"
# On a virtual screen, drawn by Qt's Windows platform as a user's is.
export DISPLAY=:94
Xvfb $DISPLAY -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$run"' EXIT
sleep 2
# Wine itself starts once, outside what is timed.
wineserver -p
(cd "$run" && wine bench_minimal_qt.exe >/dev/null 2>&1) || true

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
declare -A times
for _ in $(seq 11); do
    for name in bench_startup bench_bare_window bench_minimal_qt; do
        start=$(now_ms)
        (cd "$run" && wine "$name.exe" >/dev/null 2>&1)
        times[$name]+="$(($(now_ms) - start)) "
    done
done
of() { tr ' ' '\n' <<<"${times[$1]}" | grep . | median; }
echo "quillon_ms=$(of bench_startup) bare_ms=$(of bench_bare_window) empty_ms=$(of bench_minimal_qt)" |
    tee "$output"
