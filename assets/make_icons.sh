#!/usr/bin/env bash
# Writes the PNG sizes of the program's icon from assets/velmorant.svg (needs
# rsvg-convert, package librsvg2-bin). The PNGs are kept in the repository, so
# building and packaging need no converter.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" velmorant.svg -o "icons/velmorant-$size.png"
done
