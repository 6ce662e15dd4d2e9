#!/usr/bin/env bash
# Regenerates callwarden.ico (16, 32, 48, 64 px and a 256 px PNG) from shield.svg.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48 64 256; do
  convert -background none -density 300 shield.svg -resize ${size}x${size} "PNG32:$tmp/$size.png"
done
# ImageMagick stores the 256 px image PNG-compressed and the small ones as bitmaps.
convert "$tmp/16.png" "$tmp/32.png" "$tmp/48.png" "$tmp/64.png" "$tmp/256.png" callwarden.ico
cp "$tmp/256.png" shield-256.png
