#!/bin/sh
# Redraws the icon's PNG sizes from packaging/icons/mivrola.svg with ImageMagick. The icon is
# plain rectangles, so each <rect> becomes the same ImageMagick draw primitive; no SVG renderer
# is needed. Run after changing the SVG and commit the PNGs.
set -e
cd "$(dirname "$0")/../packaging/icons"
primitives=$(sed -n 's/.*<rect x="\([0-9]*\)" y="\([0-9]*\)" width="\([0-9]*\)" height="\([0-9]*\)"\( rx="\([0-9]*\)" ry="\([0-9]*\)"\)\? fill="\(#[0-9a-f]*\)".*/\1 \2 \3 \4 \6 \8/p' mivrola.svg |
  while read -r x y w h r fill; do
    [ -n "$fill" ] || { fill=$r; r=""; }
    if [ -n "$r" ]; then
      printf "fill '%s' roundrectangle %s,%s %s,%s %s,%s " "$fill" "$x" "$y" $((x + w)) $((y + h)) "$r" "$r"
    else
      printf "fill '%s' rectangle %s,%s %s,%s " "$fill" "$x" "$y" $((x + w)) $((y + h))
    fi
  done)
[ -n "$primitives" ] || { echo "no rectangles found in mivrola.svg" >&2; exit 1; }
for size in 48 128 256; do
  # Drawn at four times 256 px and scaled down, so the edges are smooth at every size.
  convert -size 1024x1024 xc:none -draw "scale 4,4 $primitives" -resize "${size}x${size}" \
    -strip -define png:exclude-chunks=date,time "PNG32:mivrola-$size.png"
done
