#!/usr/bin/env bash
# Runs the Windows tests under Debian's Wine, inside the Debian 13 root (scripts/build-windows.sh
# --test calls it there), then takes a picture of the main window at 100 %.
#
#   scripts/test-windows.sh BUILD_FOLDER PROGRAM_FOLDER
set -uo pipefail
build=$(realpath "${1:?build folder}")
program=$(realpath "${2:?program folder}")
W=/opt/quillon-windows
triple=x86_64-w64-mingw32

export WINEPREFIX=$W/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_RUNTIME_DIR=/tmp/wine-runtime
mkdir -p "$XDG_RUNTIME_DIR"
[[ -d $WINEPREFIX ]] || wineboot --init 2>/dev/null
windows_path() { echo "Z:$(realpath "$1" | tr / '\\')"; }
# The tests load Qt from its prefix, with the offscreen platform beside it, and the mingw runtime
# from Debian's folders. Wine passes no QT_ variable on: a WINE-prefixed one arrives without it.
gcc_dir=/usr/lib/gcc/$triple/$(ls /usr/lib/gcc/$triple | grep posix | sort -V | tail -1)
export WINEPATH="$(windows_path $W/qt6/bin);$(windows_path "$gcc_dir");$(windows_path /usr/$triple/lib)"
export WINEQT_QPA_PLATFORM=offscreen WINELC_ALL=C.UTF-8

# Programs started from the tests find the converter where Quillon looks for it: beside them.
cp "$program/ffmpeg.exe" "$program/ffprobe.exe" "$build/"

# Clips with sound and picture, made here: the shipped converter only writes audio.
clips=$build/clips
mkdir -p "$clips"
for ext in mp4 avi flv; do
    ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=3 -f lavfi \
        -i testsrc=size=160x120:rate=10:duration=3 -shortest "$clips/clip.$ext"
done
# The suites' own clips, as MakeClip names them.
for made in {1,2,3,4}.{avi,flv,mp4} 600.mp4; do
    seconds=${made%.*}
    ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:sample_rate=48000:duration=$seconds \
        -f lavfi -i testsrc=size=160x120:rate=10:duration=$seconds -shortest "$clips/clip-$made"
done
# An hour of sound that decodes at once: still converting when it is killed.
ffmpeg -nostdin -v error -y -f lavfi -i sine=duration=3600:sample_rate=8000 -c:a pcm_s16le \
    "$clips/long.mkv"
export QUILLON_CLIPS=$(windows_path "$clips")
# Other clips are made during the tests, by this system's converter, which Wine starts.
export QUILLON_CLIP_MAKER=$(command -v ffmpeg)

# A drive for a disk that fills up, turns read-only or goes away while converting: the tests
# mount a small file system here, and change it, themselves.
small=/mnt/quillon-small
mkdir -p "$small"
ln -sfn "$small" "$WINEPREFIX/dosdevices/q:"
export QUILLON_SMALL_DRIVE=Q:

# A virtual screen for the programs that show real windows: the session's end asks those.
export DISPLAY=:93
Xvfb $DISPLAY -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 2

failed=()
passed=0
for test in "$build"/tst_*.exe; do
    name=$(basename "$test" .exe)
    log=$build/$name.txt
    start=$SECONDS
    # Under Wine a test's standard output goes nowhere: it writes its log to a file.
    (cd "$build" && timeout 900 wine "$name.exe" -o "$name.txt,txt" >"$build/$name.wine" 2>&1)
    status=$?
    echo "$name: $(grep -a '^Totals' "$log" | tr -d '\r') ($((SECONDS - start)) s, exit $status)"
    if [[ $status -ne 0 ]]; then
        grep -a -E '^(FAIL|   Loc|QFATAL)' "$log" | head -20
        failed+=("$name")
    else
        passed=$((passed + 1))
    fi
done

# The program as a user starts it, from its own folder.
(cd "$program" && WINEPATH= WINEQT_QPA_PLATFORM= wine Quillon.exe >/dev/null 2>&1 &)
sleep 10
mkdir -p "$build/../screenshots"
import -window root -trim "$build/../screenshots/main-windows.png" 2>/dev/null ||
    echo "no screenshot taken"
wineserver -k 2>/dev/null
kill $xvfb 2>/dev/null
rm -f "$WINEPREFIX/dosdevices/q:"
while mountpoint -q "$small" && umount -l "$small"; do :; done

echo "${passed} passed, ${#failed[@]} failed"
[[ ${#failed[@]} -eq 0 ]]
