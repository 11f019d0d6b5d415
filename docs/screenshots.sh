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

main=$(xdotool search --sync --name 'Quillon  ver' | head -1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
# The client area below the menu bar is 163 pixels high in the short window.
menu=$((HEIGHT - 163))

import -frame -window "$main" docs/main-short.png

xdotool mousemove --window "$main" 24 $((menu + 140)) click 1 # chkCut
sleep 1
import -frame -window "$main" docs/main-tall.png

xdotool mousemove --window "$main" 8 $((menu / 2)) click 1 # the "?" menu item
about=$(xdotool search --sync --name 'Informazioni su' | head -1)
sleep 1
import -frame -window "$about" docs/about.png
echo "Saved docs/main-short.png docs/main-tall.png docs/about.png"
