#!/usr/bin/env bash
# The receipt of hard cases through the Windows printing code, under wine:
#  docs/receipt-windows.png          drawn by the GDI painter on A5 into a
#                                    150 dpi bitmap;
#  docs/receipt-windows-printed.png  printed on A5 through a printer whose
#                                    output goes into a file (wine's
#                                    PostScript driver), rendered by
#                                    ghostscript at 150 dpi;
#  docs/preview-windows.png          the print preview window showing it;
#  docs/print-settings-windows.png   the print-settings window.
# Needs the Windows build (build-win, or the folder given) with its test
# programs, wine, xvfb-run, ghostscript and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
export WINEPREFIX=${WINEPREFIX:-$PWD/$build/wineprefix} WINEDEBUG=-all LANG=C.UTF-8
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ORDERDESK_RECEIPT_BMP="$work/receipt.bmp" ORDERDESK_RECEIPT_PS="$work/receipt.ps" \
  ORDERDESK_PREVIEW_BMP="$work/preview.bmp" ORDERDESK_SETTINGS_BMP="$work/settings.bmp" \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$build/tests/gui_win32/win32_print_tests.exe" \
  --gtest_filter='HardReceipt.*:WindowsPrinting.*' >/dev/null
convert "$work/preview.bmp" docs/preview-windows.png
convert "$work/settings.bmp" docs/print-settings-windows.png
convert "$work/receipt.bmp" -trim -bordercolor white -border 20 docs/receipt-windows.png
gs -q -dNOPAUSE -dBATCH -sDEVICE=png16m -r150 -dFirstPage=1 -dLastPage=1 \
  -sOutputFile="$work/printed.png" "$work/receipt.ps"
convert "$work/printed.png" -trim -bordercolor white -border 20 -type Grayscale \
  docs/receipt-windows-printed.png
echo "wrote docs/receipt-windows.png, receipt-windows-printed.png, preview-windows.png and" \
  "print-settings-windows.png"
