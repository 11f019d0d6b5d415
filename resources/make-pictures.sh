#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick. Run it again after changing a drawing; the
# results are committed, so building needs no ImageMagick.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
command -v convert >/dev/null || ../scripts/ensure-packages.sh imagemagick

grey='#C0C0C0'

# Logo, 500 x 500 on the windows' light grey: a disc holding a sound wave, with a film strip
# running through it, for "sound out of a video".
bars=""
heights=(40 80 130 190 240 170 110 210 260 200 140 90 150 100 60)
x=118
for h in "${heights[@]}"; do
    top=$((195 - h / 2))
    bars+="roundrectangle $x,$top $((x + 12)),$((top + h)) 6,6 "
    x=$((x + 18))
done
# draw_logo BACKGROUND OUTPUT: the logo drawing on a background colour, or "none".
draw_logo() {
    convert -size 500x500 "xc:$1" \
        -fill '#1d3557' -draw 'circle 250,250 250,22' \
        -fill '#2a6f97' -draw 'circle 250,250 250,40' \
        -fill '#14213d' -draw 'rectangle 22,330 478,400' \
        -fill "$grey" -draw "$(for i in $(seq 0 13); do printf 'rectangle %d,342 %d,352 ' $((34 + i * 32)) $((50 + i * 32)); done)" \
        -fill "$grey" -draw "$(for i in $(seq 0 13); do printf 'rectangle %d,378 %d,388 ' $((34 + i * 32)) $((50 + i * 32)); done)" \
        -fill '#ffb703' -draw "$bars" \
        "${@:3}" -depth 8 -strip "$2"
}
draw_logo "$grey" PNG24:logo.png

# Window icon, 48 x 48: the same drawing; and its twin at 96 x 96 for screens scaled to 200 %.
convert logo.png -resize 48x48 -depth 8 -strip PNG24:icon.png
convert logo.png -resize 96x96 -depth 8 -strip PNG24:icon@2x.png
# Its twin for the windows' logos up to 160 pixels, much quicker to decode.
convert logo.png -resize 160x160 -depth 8 -strip PNG24:logo-small.png

# About photo, 1011 x 1182: an evening landscape with hills and a lake.
convert -size 1011x700 gradient:'#23395b-#f4a259' \
    \( -size 1011x482 gradient:'#3d5a80-#0b132b' \) -append \
    -fill '#ffd166' -draw 'circle 640,560 640,470' \
    -fill '#5e3c58' -draw 'polygon 0,700 0,520 140,430 300,540 430,470 560,600 700,500 860,560 1011,470 1011,700' \
    -fill '#3c2a4d' -draw 'polygon 0,700 0,610 200,560 380,640 540,590 720,660 900,600 1011,640 1011,700' \
    -fill '#f6bd60' -draw 'rectangle 600,720 680,726 rectangle 580,760 700,765 rectangle 610,800 670,804' \
    -fill '#1b263b' -draw 'polygon 0,1182 0,980 260,940 520,1010 800,950 1011,990 1011,1182' \
    -seed 7 -attenuate 0.25 +noise Gaussian \
    -blur 0x1 -quality 82 -sampling-factor 4:2:0 -strip photo.jpg

# Desktop icons in the hicolor theme: the same drawing on a clear background.
mkdir -p icons
draw_logo none /tmp/quillon-logo-clear.png -type TrueColorAlpha
for size in 48 64 128 256; do
    convert /tmp/quillon-logo-clear.png -resize ${size}x${size} -depth 8 -strip PNG32:icons/quillon-$size.png
done
rm -f /tmp/quillon-logo-clear.png

ls -l logo.png logo-small.png icon.png icon@2x.png photo.jpg icons/
