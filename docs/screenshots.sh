#!/usr/bin/env bash
# Starts the real program on a virtual display and saves pictures of the main window (short and
# with the cut panel open) and of the About window into docs/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [[ ${1:-} != --inside ]]; then
    scripts/ensure-packages.sh xvfb xauth xdotool openbox imagemagick
    [[ -x build/quillon ]] || scripts/build.sh
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" --inside
fi

openbox >/dev/null 2>&1 &
wm=$!
build/quillon &
app=$!
trap 'kill $app $wm 2>/dev/null || true' EXIT

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
    for _ in $(seq 40); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.25
    done
    echo "No window named $1" >&2
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
echo "Saved docs/main-short.png docs/main-tall.png docs/about.png"
