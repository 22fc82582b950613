#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG drawings into data/icons/<N>x<N>/.
# The PNGs are committed; run this after changing a drawing. Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"

id=io.github.porteo.Porteo
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }

for size in 16 24 32 48 64 128 256; do
  # The small sizes have their own drawing, laid on a 16-pixel grid so that its edges stay sharp.
  source=$id.svg
  ((size <= 24)) && source=$id-small.svg
  mkdir -p "${size}x${size}"
  rsvg-convert --width "$size" --height "$size" --output "${size}x${size}/$id.png" "$source"
  echo "${size}x${size}/$id.png  (from $source)"
done
