#!/usr/bin/env bash
# Makes the application icon's PNG sizes and the Windows .ico from
# packaging/tav1000r.svg into packaging/icons/. The results are kept in the
# repository; run this after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=lib.sh
. scripts/lib.sh
need_packages librsvg2-bin imagemagick
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" packaging/tav1000r.svg -o "packaging/icons/tav1000r-$size.png"
done
convert packaging/icons/tav1000r-{16,24,32,48,64,256}.png packaging/icons/tav1000r.ico
