#!/usr/bin/env bash
# Saves a picture of every page of every window (offscreen, no display
# needed) and refreshes docs/order_page.png: the order page holding a
# two-item receipt.
#   docs/make_screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$(mktemp -d)}
QT_QPA_PLATFORM=offscreen tools/start_desk.sh --build "$build" --data "$(mktemp -d)" --screenshots "$out"
# The order page with a two-item receipt, as the real-window order test
# leaves it after its two items.
ORDERDESK_ORDER_PAGE_PNG="$PWD/docs/order_page.png" QT_QPA_PLATFORM=offscreen \
  "$build/tests/gui/qt_order_tests" > /dev/null
