#!/usr/bin/env bash
# Starts the real program on a virtual display and saves pictures of the main window (short and
# with the cut panel open) and of the About window into docs/. With "--scale 2" it shows the
# program as a screen scaled to 200 % does, and saves the main window with the cut panel open.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scale=1
if [[ ${1:-} == --scale ]]; then
    scale=$2
    shift 2
fi
export QT_SCALE_FACTOR=$scale
# Design pixels to screen pixels.
px() { awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", v * s + 0.5 }'; }

if [[ ${1:-} != --inside ]]; then
    scripts/ensure-packages.sh xvfb xauth xdotool x11-utils openbox imagemagick ffmpeg
    [[ -x build/quillon ]] || scripts/build.sh
    exec xvfb-run -a -s "-screen 0 $(px 800)x$(px 600)x24" "$0" --scale "$scale" --inside
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
menu=$((HEIGHT - $(px 163)))

if [[ $scale != 1 ]]; then
    xdotool mousemove --window "$main" "$(px 24)" $((menu + $(px 140))) click 1 # chkCut
    sleep 1
    shot "$main" "docs/main-tall-${scale}x.png"
    echo "Saved docs/main-tall-${scale}x.png"
    exit 0
fi

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
