#!/usr/bin/env bash
# Saves a picture of every page of every window (offscreen, no display
# needed) and refreshes docs/order_page.png from the order page.
#   docs/make_screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$(mktemp -d)}
QT_QPA_PLATFORM=offscreen tools/start_desk.sh --build "$build" --data "$(mktemp -d)" --screenshots "$out"
cp "$out/01-main-page1.png" docs/order_page.png
