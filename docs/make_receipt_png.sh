#!/usr/bin/env bash
# Prints the receipt of hard cases (8-digit amounts and debt, the longest
# date-time, a 20-character shop name; built through the data-source
# commands as the order form builds it) on A5 to a PDF and turns its receipt
# area into docs/receipt.png. Needs a build with Qt and pdftoppm
# (poppler-utils).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
pdf=$(mktemp --suffix=.pdf)
trap 'rm -f "$pdf"' EXIT
ORDERDESK_HARD_RECEIPT_PDF="$pdf" QT_QPA_PLATFORM=offscreen \
  "$build/tests/gui/report_qt_tests" --gtest_filter='QtPrinting.EveryTextOfAHardReceipt*' >/dev/null
# The receipt fills the page's width inside 10 mm margins.
pdftoppm -png -r 150 -x 40 -y 40 -W 795 -H 560 -singlefile "$pdf" docs/receipt
echo "wrote docs/receipt.png"
