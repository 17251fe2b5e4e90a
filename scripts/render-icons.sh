#!/usr/bin/env bash
# Renders the program icon data/icons/org.sondrel.Sondrel.svg into the PNG
# sizes of the hicolor theme (data/icons/<N>x<N>/org.sondrel.Sondrel.png).
# The PNGs are checked in; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || ./scripts/setup.sh
for size in 16 24 32 48 64 128 256 512; do
  mkdir -p "data/icons/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" data/icons/org.sondrel.Sondrel.svg \
    --output "data/icons/${size}x${size}/org.sondrel.Sondrel.png"
done
