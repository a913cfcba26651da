#!/usr/bin/env bash
# Draws the receipt of hard cases on A5 through the Windows painter (GDI,
# under wine, into a 150 dpi bitmap) and turns it into
# docs/receipt-windows.png. Needs the Windows build (build-win, or the
# folder given) with its test programs, wine and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
export WINEPREFIX=${WINEPREFIX:-$PWD/$build/wineprefix} WINEDEBUG=-all LANG=C.UTF-8
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
bmp=$(mktemp --suffix=.bmp)
trap 'rm -f "$bmp"' EXIT
ORDERDESK_RECEIPT_BMP="$bmp" "$wine" "$build/tests/gui_win32/win32_print_tests.exe" \
  --gtest_filter='HardReceipt.*' >/dev/null
convert "$bmp" -trim -bordercolor white -border 20 docs/receipt-windows.png
echo "wrote docs/receipt-windows.png"
