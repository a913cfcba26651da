#!/usr/bin/env bash
# Takes an order in the native Windows windows under wine as a person does,
# with the mouse and the keyboard only (xdotool), and keeps pictures of what
# they saw: docs/windows-order-saved.png (the order page with the saved
# receipt), docs/windows-preview.png (its print preview) and
# docs/windows-print-failed.png (打印清单 on a PC without a printer).
# Needs the Windows build (build-win, or the folder given), wine, xvfb-run,
# xdotool and ImageMagick's import and convert. The places clicked are the
# main window's as laid out, opened at its designed place.
#   docs/make_windows_order_png.sh [BUILD_WIN_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
export build=${1:-build-win} out=$(mktemp -d)
export WINEPREFIX=$(mktemp -d) WINEDEBUG=-all LANG=C.UTF-8
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -e
  wine=/usr/lib/wine/wine64
  data=$(mktemp -d)
  $wine wineboot -i > /dev/null 2>&1
  # No window manager here: wine draws the title bars; a CJK font behind
  # wine'"'"'s menu font.
  $wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Decorated /t REG_SZ /d N /f > /dev/null 2>&1
  $wine reg add "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink" \
    /v Tahoma /t REG_MULTI_SZ /d "wqy-zenhei.ttc,WenQuanYi Zen Hei" /f > /dev/null 2>&1
  $wine "$build/tools/ldgtool/ldgtool.exe" init "Z:$data" > /dev/null 2>&1
  $wine "$build/app/orderdesk.exe" --dir "Z:$data" > /dev/null 2>&1 &
  sleep 7
  click() { xdotool mousemove "$1" "$2" click 1; sleep 0.4; }
  # Under wine without a window manager, the first click on a window that
  # lost the focus to a message box may only give it back: a second click
  # presses the button (it lands behind the box the first one opened, if it
  # opened one, where it does nothing).
  press() { click "$1" "$2"; click "$1" "$2"; }
  type() { xdotool type --delay 60 "$1"; sleep 0.3; }
  click 235 137; type A1001            # 代购订单号
  click 437 134; type Wang             # 客户姓名
  click 705 134; type 13800001111      # 联系方法
  click 235 185; type TB778899         # 商品淘宝单号
  click 235 210; type shoes            # 商品名称
  click 190 236; xdotool key ctrl+a; type 120   # 商品单价
  click 520 265; type 50               # 订金
  click 193 313; type http://x.cn/1    # 商品链接
  click 622 316; sleep 1.5             # 添加到清单
  xdotool key Return; sleep 1.5        # 是否收取订金？ 是
  xdotool key Return; sleep 1.5        # 确认添加吗？ 是
  press 486 604; sleep 2               # 保存报表
  import -window root "$out/saved.png"
  press 590 604; sleep 3               # 打印预览
  import -window root "$out/preview.png"
  xdotool key Escape; sleep 1.5
  press 694 604; sleep 5               # 打印清单
  import -window root "$out/failed.png"
  /usr/lib/wine/wineserver -k
'
convert "$out/saved.png" -crop 776x650+48+48 +repage docs/windows-order-saved.png
convert "$out/preview.png" -crop 1010x930+0+0 +repage docs/windows-preview.png
convert "$out/failed.png" -crop 776x650+48+48 +repage docs/windows-print-failed.png
rm -rf "$out"
