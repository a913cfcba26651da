#!/usr/bin/env bash
# Starts the order desk on a data folder, making the desk's empty data files
# there first when the folder has none.
#   tools/start_desk.sh [--data DIR] [--build BUILD_DIR] [ORDERDESK_ARGUMENT...]
# DIR defaults to desk-data/ in the checkout (ignored by git); the other
# arguments go to orderdesk (--script FILE, --screenshots OUT).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/desk-data
build=$root/build
while [ $# -gt 0 ]; do
  case $1 in
    --data) data=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) break ;;
  esac
done
mkdir -p "$data"
if [ ! -e "$data/流水账.ldg" ] && [ ! -e "$data/客户库.ldg" ] && [ ! -e "$data/报表库.ldg" ]; then
  "$build/tools/ldgtool/ldgtool" init "$data" >&2
fi
exec "$build/app/orderdesk" --dir "$data" "$@"
