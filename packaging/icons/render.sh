#!/usr/bin/env bash
# Renders the icon's PNG sizes from tarvolo.svg (rsvg-convert, Debian's
# librsvg2-bin). Run after changing the drawing; the PNGs are committed.
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 128 256; do
  rsvg-convert -w "$size" -h "$size" tarvolo.svg -o "tarvolo-$size.png"
done
# The window icon compiled into the program.
rsvg-convert -w 64 -h 64 tarvolo.svg -o ../../src/resources/icon.png
