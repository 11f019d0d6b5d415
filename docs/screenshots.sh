#!/usr/bin/env bash
# Starts the real program on a virtual display and saves pictures of the main window (short and
# with the cut panel open) and of the About window into docs/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [[ ${1:-} != --inside ]]; then
    scripts/ensure-packages.sh xvfb xauth xdotool x11-utils openbox imagemagick ffmpeg
    [[ -x build/quillon ]] || scripts/build.sh
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" --inside
fi

clips=$(mktemp -d)
ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=600 \
    -f lavfi -i testsrc=size=160x120:rate=10:duration=600 -shortest "$clips/Concerto.mp4"

openbox >/dev/null 2>&1 &
wm=$!
# A window mapped before the window manager runs is never framed: wait for it.
for _ in $(seq 40); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.25
done
build/quillon &
app=$!
trap 'pkill -P $app 2>/dev/null; kill $app $wm 2>/dev/null; rm -rf "$clips"' EXIT

# A window that is still being mapped cannot be read yet: try again briefly.
shot() {
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        import -frame -window "$1" "$2" 2>/dev/null && return 0
        sleep 0.5
    done
    echo "Could not take $2" >&2
    return 1
}

# The first visible window whose title matches, once it is there.
window_named() {
    for _ in $(seq 120); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.25
    done
    echo "No window named $1; windows: $(xdotool search --name . 2>&1 | while read -r w; do xdotool getwindowname "$w"; done | tr "\n" "|")" >&2
    return 1
}

main=$(window_named "Quillon  ver")
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
# The client area below the menu bar is 163 pixels high in the short window.
menu=$((HEIGHT - 163))

shot "$main" docs/main-short.png

xdotool mousemove --window "$main" 24 $((menu + 140)) click 1 # chkCut
sleep 1
shot "$main" docs/main-tall.png

xdotool mousemove --window "$main" 8 $((menu / 2)) click 1 # the "?" menu item
about=$(window_named "Informazioni su")
sleep 1
shot "$about" docs/about.png
xdotool mousemove --window "$about" 322 195 click 1 # cmdOK
sleep 0.5

# A conversion under way: type the clip's path and press the short window's Convert.
xdotool mousemove --window "$main" 24 $((menu + 140)) click 1 # chkCut again
sleep 0.5
xdotool mousemove --window "$main" 200 $((menu + 97)) click 1 # txtInput
xdotool type --delay 5 "$clips/Concerto.mp4"
xdotool mousemove --window "$main" 370 $((menu + 132)) click 1 # cmdConvert
converter=$(window_named "% - Concerto.mp4")
sleep 2
# Shown maximized, it fills the screen: the top of it is what matters.
shot "$converter" /tmp/quillon-converter.png
convert /tmp/quillon-converter.png -crop 800x420+0+0 +repage docs/converter.png
rm -f /tmp/quillon-converter.png
echo "Saved docs/main-short.png docs/main-tall.png docs/about.png docs/converter.png"
