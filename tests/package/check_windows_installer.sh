#!/usr/bin/env bash
# The Windows installer under wine, on a fresh wine prefix and home:
#   tests/package/check_windows_installer.sh BUILD-WIN [SETUP.EXE]
# For a per-user and then a machine install, each silent (/S): the program,
# the data tool, the uninstaller and the shortcuts are in place; the
# installed program runs the demo script headless without --dir and makes
# its data files in the user's data folder (%LOCALAPPDATA%\orderdesk), not
# beside itself; --dir wins over that folder; the silent uninstall removes
# the program and its shortcuts and leaves the data files.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
setup=${2:-$build/orderdesk-setup.exe}
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

work=$(mktemp -d)
# wine links the desktop and documents folders to $HOME: a home of its own.
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all LANG=C.UTF-8
# No menu entries on the machine running the test, no .NET or browser set-up.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
mkdir -p "$HOME"
trap '"$wineserver" -k 2>/dev/null || true; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
"$wine" wineboot -i > /dev/null 2>&1
"$wineserver" -w

fail() { echo "check_windows_installer: $*" >&2; exit 1; }
user=$(ls "$WINEPREFIX/drive_c/users" | grep -v -x Public | head -1)
profile=$WINEPREFIX/drive_c/users/$user
data=$profile/AppData/Local/orderdesk
start_menu=$profile/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/代购店订单
machine_menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/代购店订单

check_install() {  # MODE FOLDER MENU
  local mode=$1 folder=$2 menu=$3
  "$wine" "$setup" /S "/$mode"
  "$wineserver" -w
  for f in orderdesk.exe ldgtool.exe uninstall.exe; do
    [ -f "$folder/$f" ] || fail "$mode: $f was not installed in $folder"
  done
  [ -f "$menu/代购店订单.lnk" ] || fail "$mode: no Start-menu shortcut in $menu"
  [ -f "$menu/卸载代购店订单.lnk" ] || fail "$mode: no uninstall shortcut"
  [ -e "$profile/Desktop/代购店订单.lnk" ] ||
    [ -e "$WINEPREFIX/drive_c/users/Public/Desktop/代购店订单.lnk" ] || fail "$mode: no desktop shortcut"

  # The installed desk, started as the shortcut starts it (no --dir), from
  # another folder, runs the demo script.
  local exe
  exe=$("$wine" winepath -w "$folder/orderdesk.exe" 2>/dev/null)
  local transcript=$work/$mode.transcript
  (cd "$work" && "$wine" "$exe" --script "$root/demo/first_run.script" > "$transcript" \
    2> "$work/$mode.err") || fail "$mode: the installed desk failed: $(cat "$work/$mode.err")"
  grep -q "壹仟贰佰叁拾肆元伍角整" "$transcript" ||
    fail "$mode: the demo script did not run: $(head -5 "$transcript" "$work/$mode.err")"
  for f in 流水账.ldg 客户库.ldg 报表库.ldg; do
    [ -f "$data/$f" ] || fail "$mode: $f was not made in $data"
    [ ! -e "$folder/$f" ] || fail "$mode: $f was made beside the installed program"
  done
  # --dir wins.
  mkdir -p "$work/shop-$mode"
  "$wine" "$folder/ldgtool.exe" init "$work/shop-$mode" > /dev/null
  "$wine" "$exe" --dir "$work/shop-$mode" --script "$root/demo/first_run.script" \
    > /dev/null 2>&1 || fail "$mode: the desk failed with --dir"
  [ -f "$work/shop-$mode/配置.ini" ] || fail "$mode: --dir did not take the settings file"

  "$wine" "$folder/uninstall.exe" /S "/$mode"
  "$wineserver" -w
  [ ! -e "$folder/orderdesk.exe" ] || fail "$mode: the uninstaller left the program"
  [ ! -e "$menu/代购店订单.lnk" ] || fail "$mode: the uninstaller left the shortcut"
  [ ! -e "$profile/Desktop/代购店订单.lnk" ] && [ ! -e "$WINEPREFIX/drive_c/users/Public/Desktop/代购店订单.lnk" ] ||
    fail "$mode: the uninstaller left the desktop shortcut"
  for f in 流水账.ldg 客户库.ldg 报表库.ldg; do
    [ -f "$data/$f" ] || fail "$mode: the uninstaller took $f"
  done
  echo "$mode install: installed, ran the demo script, uninstalled; the data stays"
}

check_install CurrentUser "$profile/AppData/Local/Programs/orderdesk" "$start_menu"
# A second install finds the data of the first: nothing is made again.
before=$(stat -c %Y "$data/流水账.ldg")
check_install AllUsers "$WINEPREFIX/drive_c/Program Files/orderdesk" "$machine_menu"
[ "$(stat -c %Y "$data/流水账.ldg")" = "$before" ] || fail "the data files were made again"
