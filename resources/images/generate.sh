#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
# Draws the game's artwork: the logo over the counter, the window icon and
# the launcher icon. Needs ImageMagick's convert; the lettering uses the
# game's own rounded font, so run resources/polices/generate.py first if
# that font is missing.
set -euo pipefail
cd "$(dirname "$0")"

convert_bin=${CONVERT:-convert}
font=../polices/arial_rounded_b.ttf
green='rgb(8,101,1)'
magenta='rgb(184,1,169)'

# A lightning bolt on a 100 x 160 grid, scaled by the caller's -draw affine.
bolt='polygon 62,0 8,92 46,92 30,160 94,58 56,58 80,0'

# No dates or other metadata, so a rerun gives the same bytes.
png_opts=(-strip -define png:exclude-chunks=date,time)

# Logo: "Quiver" in green, a magenta bolt, "Bolt" in magenta, 209 x 45.
"$convert_bin" -background white \
    \( -font "$font" -pointsize 33 -fill "$green" label:Quiver \) \
    \( -size 24x40 xc:white -fill "$magenta" -draw "affine 0.24,0,0,0.24,0,1 $bolt" \) \
    \( +size -font "$font" -pointsize 33 -fill "$magenta" label:Bolt \) \
    -gravity center +append -extent 209x45 \
    -colors 32 +dither ../images/logo.gif

# Icon: a white-edged magenta bolt on a green rounded square, drawn large and
# scaled down for smooth edges.
icon() {
    local size=$1 target=$2
    "$convert_bin" -size 256x256 xc:none \
        -fill "$green" -draw "roundrectangle 8,8 247,247 48,48" \
        -fill "$magenta" -stroke white -strokewidth 10 \
        -draw "affine 1.3,0,0,1.3,63,24 $bolt" \
        -filter Lanczos -resize "${size}x${size}" \
        -depth 8 "${png_opts[@]}" "PNG32:$target"
}
icon 64 icon.png
icon 48 ../maemofiles/quiverbolt.png
