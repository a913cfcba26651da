#!/usr/bin/env bash
# Saves a picture of every page of every window (offscreen, no display
# needed) and refreshes the pictures of the pages in docs/: the order page
# holding a two-item receipt, and the arrival, pickup, query and fund pages
# with orders in them; the query page maximised with its status column and a
# list sorted by a column.
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
# The arrival, pickup, query and fund pages as the real-window test of an
# order's whole life leaves them on its way.
ORDERDESK_ARRIVAL_PAGE_PNG="$PWD/docs/arrival_page.png" \
  ORDERDESK_PICKUP_PAGE_PNG="$PWD/docs/pickup_page.png" \
  ORDERDESK_QUERY_PAGE_PNG="$PWD/docs/query_page.png" \
  ORDERDESK_FUND_PAGE_PNG="$PWD/docs/fund_page.png" \
  ORDERDESK_RESTORE_WINDOW_PNG="$PWD/docs/restore_window.png" QT_QPA_PLATFORM=offscreen \
  "$build/tests/gui/qt_order_life_tests" > /dev/null
# The query page of a maximised window and a list sorted by its price
# column, as the real-window test of growing and sorted lists leaves them.
ORDERDESK_MAXIMISED_QUERY_PNG="$PWD/docs/query_page_maximised.png" \
  ORDERDESK_SORTED_LIST_PNG="$PWD/docs/sorted_list.png" QT_QPA_PLATFORM=offscreen \
  "$build/tests/gui/qt_lists_tests" > /dev/null
# The arrival list's pop-up menu with 导出到Excel, as the real-window export
# test opens it.
ORDERDESK_EXPORT_MENU_PNG="$PWD/docs/export_menu.png" QT_QPA_PLATFORM=offscreen \
  "$build/tests/gui/qt_export_tests" > /dev/null
