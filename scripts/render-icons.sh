#!/usr/bin/env bash
# Renders the PNG sizes of the icons in desktop/icons from their SVG, for the
# hicolor theme. The PNGs are committed, so building Tavelo needs no SVG
# renderer; run this after changing an SVG (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../desktop/icons"
for name in tavelo application-x-tavelo-book; do
  for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert --width "$size" --height "$size" --output "${size}x${size}/$name.png" "$name.svg"
  done
done
