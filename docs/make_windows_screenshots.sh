#!/usr/bin/env bash
# Saves a picture of every page of every native Windows window under wine and
# an X server, and refreshes the pictures of the Windows pages in docs/.
#   docs/make_windows_screenshots.sh [BUILD_WIN_DIR] [OUT_DIR]
# Needs xvfb-run and ImageMagick's convert (BMP to PNG). Everything runs in
# one X session: a wine server started without a display keeps windows off.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
out=${2:-$(mktemp -d)}
mkdir -p "$out"
data=$(mktemp -d)
export WINEPREFIX=${WINEPREFIX:-$(mktemp -d)} WINEDEBUG=-all LANG=C.UTF-8
export wine=/usr/lib/wine/wine64 build out data
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  $wine wineboot -i > /dev/null 2>&1
  # wine'"'"'s menu and title font has no Chinese: a CJK font behind it.
  $wine reg add "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink" \
    /v Tahoma /t REG_MULTI_SZ /d "wqy-zenhei.ttc,WenQuanYi Zen Hei" /f > /dev/null 2>&1
  # There is no window manager in the X session to draw the title bars:
  # wine draws them itself.
  $wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Decorated /t REG_SZ /d N /f > /dev/null 2>&1
  $wine "$build/tools/ldgtool/ldgtool.exe" init "Z:$data" >&2
  $wine "$build/app/orderdesk.exe" --dir "Z:$data" --screenshots "Z:$out" > /dev/null
  /usr/lib/wine/wineserver -k
'
convert "$out/01-main-page1.bmp" docs/windows-order-page.png
convert "$out/02-main-page2.bmp" docs/windows-query-page.png
convert "$out/03-main-page3.bmp" docs/windows-arrival-page.png
echo "$out"
