#!/usr/bin/env bash
# Prints the two-item sample receipt (built through the data-source commands
# as the order form builds it) to a PDF and turns its receipt area into
# docs/receipt.png. Needs a build with Qt and pdftoppm (poppler-utils).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
pdf=$(mktemp --suffix=.pdf)
trap 'rm -f "$pdf"' EXIT
ORDERDESK_RECEIPT_PDF="$pdf" QT_QPA_PLATFORM=offscreen \
  "$build/tests/report/report_qt_tests" --gtest_filter='QtPrinting.ATwoItemReceiptPrintsToAPdfFile' >/dev/null
# The receipt sits in the page's top-left corner inside 10 mm margins.
pdftoppm -png -r 150 -x 30 -y 30 -W 540 -H 490 -singlefile "$pdf" docs/receipt
echo "wrote docs/receipt.png"
