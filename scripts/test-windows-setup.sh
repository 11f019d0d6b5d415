#!/usr/bin/env bash
# The setup's round trip under Debian's Wine, in a fresh prefix with a screen at 200 %: a silent
# install, read back (files, Start-menu shortcut, registry keys); the installed Quillon.exe,
# opened with a video as "Open With" opens it, converts it; a silent install over it; a silent
# uninstall that leaves nothing of Quillon's, and leaves the user's MP3 and the user's own keys.
# Inside the Debian 13 root (scripts/build-windows.sh --test calls it there).
#
#   scripts/test-windows-setup.sh SETUP PROGRAM_FOLDER CLIPS_FOLDER SCREENSHOT_FOLDER
set -euo pipefail
setup=$(realpath "${1:?setup}")
program=$(realpath "${2:?program folder}")
clips=$(realpath "${3:?clips folder}")
shots=${4:?screenshot folder}
mkdir -p "$shots"

export WINEPREFIX=/tmp/quillon-setup-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_RUNTIME_DIR=/tmp/wine-runtime LC_ALL=C.UTF-8
mkdir -p "$XDG_RUNTIME_DIR"
rm -rf "$WINEPREFIX"
export DISPLAY=:94
Xvfb $DISPLAY -screen 0 1280x960x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
wineboot --init 2>/dev/null
wineserver -w

failures=0
check() { # what, then the command that must succeed
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}
# A registry value as reg prints it, the carriage return dropped; empty when it is absent.
value() {
    wine reg query "$1" ${2:+/v "$2"} ${3:-} 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *${2:-(Default)} *REG_[A-Z_]* *//p" | grep -v '^(value not set)$' | head -1
}
key_exists() { wine reg query "$@" >/dev/null 2>&1; }
classes='HKCU\Software\Classes'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
app_key="$classes\\Applications\\Quillon.exe"

# 200 %: 192 dots per inch. The user already has a program of their own in "Open With".
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null
wine reg add "$classes\\.mp4\\OpenWithProgids" /v Other.Player /t REG_SZ /d '' /f >/dev/null

start=$SECONDS
wine "$setup" /S
wineserver -w
echo "== silent install: $((SECONDS - start)) s"
local_app_data=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
app_data=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")
installed=$local_app_data/Programs/Quillon
shortcut="$app_data/Microsoft/Windows/Start Menu/Programs/Quillon.lnk"
installed_win=$(winepath -w "$installed")

check "every file of the program is installed" \
    diff <(cd "$program" && find . -type f | sort) \
    <(cd "$installed" && find . -type f ! -name Uninstall.exe | sort)
check "an uninstaller" test -f "$installed/Uninstall.exe"
check "the Start-menu shortcut points at Quillon.exe" python3 -c '
import sys
link = open(sys.argv[1], "rb").read()
sys.exit(not any(name in link for name in ("Quillon.exe".encode("utf-16-le"), b"Quillon.exe")))
' "$shortcut"
check "the Apps list shows Quillon" test "$(value "$uninstall_key" DisplayName)" = Quillon
check "... version 1.0.0" test "$(value "$uninstall_key" DisplayVersion)" = 1.0.0
check "... a publisher" test -n "$(value "$uninstall_key" Publisher)"
check "... its icon" test "$(value "$uninstall_key" DisplayIcon)" = "$installed_win\\Quillon.exe,0"
check "... its size" test "$(($(value "$uninstall_key" EstimatedSize)))" -gt 10000
check "... its uninstaller" test "$(value "$uninstall_key" QuietUninstallString)" = \
    "\"$installed_win\\Uninstall.exe\" /S"
for ext in .avi .flv .mp4; do
    check "Open With offers it for $ext" key_exists "$app_key\\SupportedTypes" /v "$ext"
    check "... through $ext's OpenWithProgids" \
        key_exists "$classes\\$ext\\OpenWithProgids" /v Quillon.Video
    check "... and leaves $ext's default program alone" test -z "$(value "$classes\\$ext" '' /ve)"
done
check "Open With starts it with the file" test "$(value "$app_key\\shell\\open\\command" '' /ve)" = \
    "\"$installed_win\\Quillon.exe\" \"%1\""

# Opened with a video, as Explorer's "Open With" starts it: the video is in the box, nothing
# converts by itself; then Convert, reached with the keyboard.
videos="$WINEPREFIX/drive_c/Video di prova"
mkdir -p "$videos"
cp "$clips/clip.mp4" "$videos/Il mio film è.mp4"
wine "$installed_win\\Quillon.exe" 'C:\Video di prova\Il mio film è.mp4' >/dev/null 2>&1 &
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Quillon' | head -1)
sleep 3
import -window root -trim "$shots/main-windows-200.png"
check "opened with a file, it converts nothing by itself" \
    test -z "$(find "$videos" -iname '*.mp3' -o -iname '*.part')"
xdotool windowfocus --sync "$window"
xdotool key --delay 200 Tab Tab Tab space
for _ in $(seq 60); do
    mp3=$(find "$videos" -iname '*.mp3' | head -1)
    [[ -n $mp3 ]] && break
    sleep 1
done
check "the installed Quillon.exe converts the video" test -n "${mp3:-}"
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "${mp3:-/none}" || echo 0)
check "... into an MP3 of its length ($seconds s)" \
    python3 -c "import sys; sys.exit(abs(float('$seconds') - 3) > 0.1)"
sleep 2
check "... leaving no temporary file" test -z "$(find "$videos" -name '*.part')"
wineserver -k 2>/dev/null || true

# Again, over the installed copy.
wine "$setup" /S
wineserver -w
check "installed over itself, it is there once" test -f "$installed/Quillon.exe"

start=$SECONDS
wine "$installed_win\\Uninstall.exe" /S
wineserver -w # the uninstaller goes on from a copy of itself
echo "== silent uninstall: $((SECONDS - start)) s"
check "uninstalled, no file of Quillon's is left" test ! -e "$installed"
check "... nor its shortcut" test ! -e "$shortcut"
check "... nor its Apps entry" bash -c '! wine reg query "$1"' _ "$uninstall_key"
check "... nor its Open With entry" bash -c '! wine reg query "$1"' _ "$app_key"
check "... nor its file type" bash -c '! wine reg query "$1"' _ "$classes\\Quillon.Video"
for ext in .avi .flv .mp4; do
    check "... nor its entry for $ext" \
        bash -c '! wine reg query "$1" /v Quillon.Video' _ "$classes\\$ext\\OpenWithProgids"
done
check "the user's own Open With entry stays" \
    key_exists "$classes\\.mp4\\OpenWithProgids" /v Other.Player
check "the user's MP3 stays" test -f "${mp3:-/none}"

echo "setup round trip: $failures failed"
[[ $failures -eq 0 ]]
