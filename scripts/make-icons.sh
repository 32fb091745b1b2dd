#!/usr/bin/env bash
# Renders the hand-made SVG icons in resources/ into the PNG and .ico files that the build and
# the install use. The results are committed, so only whoever changes an SVG needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../resources"

command -v convert >/dev/null || { echo "make-icons: needs ImageMagick's convert" >&2; exit 1; }

# The SVGs are drawn on a 48x48 grid; ImageMagick reads SVG at 96 dpi, so twice the size in pixels
# is the density that renders one at that size without resampling.
render() {  # svg size output
  convert -background none -density "$(($2 * 2))" "$1" -resize "$2x$2" -depth 8 \
    -define png:exclude-chunks=date,time "PNG32:$3"
}

mkdir -p icons
for size in 16 22 24 32 48 64 128 256; do
  render vantrel.svg "$size" "icons/vantrel-$size.png"
done
render grab.svg 48 icons/grab-48.png

convert icons/vantrel-16.png icons/vantrel-32.png icons/vantrel-48.png icons/vantrel-256.png \
  vantrel.ico
convert icons/grab-48.png grab.ico
echo "make-icons: wrote resources/icons/*.png, resources/vantrel.ico, resources/grab.ico"
