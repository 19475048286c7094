#!/usr/bin/env bash
# Draws Tintwell's own artwork (window icon, logo, theme glyphs) with
# ImageMagick. The results are committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")/../resources"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The mark: a slate tile with a "T" whose bar is a spectrum, drawn at 1024 px
# and scaled down so every size is antialiased.
spectrum="xc:#ff453a xc:#ff9f0a xc:#ffd60a xc:#30d158 xc:#64d2ff xc:#0a84ff xc:#5e5ce6"
convert -size 1024x1024 xc:none \
    -fill '#2a3340' -draw 'roundrectangle 32,32 991,991 170,170' \
    -fill '#1c232c' -draw 'roundrectangle 72,72 951,951 140,140' "$tmp/tile.png"
# shellcheck disable=SC2086
convert $spectrum +append -filter triangle -resize 680x170\! "$tmp/bar.png"
convert -size 680x170 xc:none -fill white -draw 'roundrectangle 0,0 679,169 34,34' "$tmp/barmask.png"
convert "$tmp/bar.png" "$tmp/barmask.png" -compose CopyOpacity -composite "$tmp/barr.png"
convert "$tmp/tile.png" \
    -fill '#e9edf2' -draw 'roundrectangle 424,300 600,860 30,30' \
    "$tmp/barr.png" -geometry +172+200 -compose Over -composite \
    -fill '#1c232c' -draw 'rectangle 424,370 600,386' \
    "$tmp/mark.png"

for s in 16 24 32 48 64 128 256; do
    convert "$tmp/mark.png" -filter Lanczos -resize ${s}x${s} "$tmp/mark-$s.png"
done
convert "$tmp"/mark-{16,24,32,48,64,128,256}.png icons/bigt.ico

# Logo: the mark and the word, in a slate blue readable on dark and light themes.
convert "$tmp/mark.png" -filter Lanczos -resize 176x176 "$tmp/mark-176.png"
convert -size 664x192 xc:none "$tmp/mark-176.png" -geometry +8+8 -compose Over -composite \
    -font DejaVu-Sans-Bold -pointsize 96 -fill '#5d86b5' -annotate +204+132 'Tintwell' \
    -depth 8 -strip images/logo.png

# Theme glyphs: combo and spin-box arrows for each theme, a check mark.
glyph() { # name colour polygon
    convert -size 96x96 xc:none -fill "$2" -stroke none -draw "polygon $3" \
        -filter Lanczos -resize 12x12 -depth 8 -strip "PNG32:images/$1.png"
}
glyph arrow-down-light '#c9d1db' '12,30 84,30 48,70'
glyph arrow-up-light '#c9d1db' '12,66 84,66 48,26'
glyph arrow-down-dark '#3b4452' '12,30 84,30 48,70'
glyph arrow-up-dark '#3b4452' '12,66 84,66 48,26'
glyph arrow-down-disabled '#7d8591' '12,30 84,30 48,70'
glyph arrow-up-disabled '#7d8591' '12,66 84,66 48,26'
convert -size 96x96 xc:none -fill none -stroke white -strokewidth 14 \
    -draw 'polyline 18,50 40,72 80,26' -filter Lanczos -resize 12x12 -depth 8 -strip PNG32:images/check.png
