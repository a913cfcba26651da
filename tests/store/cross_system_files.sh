#!/usr/bin/env bash
# cross_system_files.sh LINUX_LDGTOOL WINDOWS_LDGTOOL EMULATOR
# Data files written on one system read the same on the other: each side
# creates the desk's files and imports the same orders; the files must be
# byte for byte the same, and each
# system's verify and dump of the other's files must pass and agree.
set -euo pipefail
export LC_ALL=C.UTF-8
linux=$1
windows=$2
emulator=$3
password=qkd3094716
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { "$emulator" "$windows" "$@"; }

# Orders as the desk writes them (the pickup scenario's ledger, in the
# dump's form), twelve times over.
orders=$(dirname "$0")/../scenarios/pickup/balance.dump
awk '/^== /{s=($2=="流水账.ldg"); next} s && !/^serial/' "$orders" > "$work/one.tsv"
[ -s "$work/one.tsv" ] || { echo "no orders in $orders"; exit 1; }
for n in 1 2 3 4 5 6 7 8 9 10 11 12; do cat "$work/one.tsv"; done > "$work/orders.tsv"
orders_count=$(wc -l < "$work/orders.tsv")

mkdir "$work/linux" "$work/windows"
"$linux" init "$work/linux" > /dev/null
win init "$work/windows" > /dev/null
"$linux" import "$work/linux/流水账.ldg" --password "$password" < "$work/orders.tsv" > /dev/null
win import "$work/windows/流水账.ldg" --password "$password" < "$work/orders.tsv" > /dev/null

failed=0
for file in 流水账.ldg 客户库.ldg 报表库.ldg 报表库.lgt; do
  if ! cmp -s "$work/linux/$file" "$work/windows/$file"; then
    echo "$file: the two systems wrote different bytes"; failed=1
  fi
done
for file in 流水账.ldg 客户库.ldg 报表库.ldg; do
  for side in linux windows; do
    "$linux" verify "$work/$side/$file" --password "$password" > /dev/null ||
      { echo "linux cannot verify the $side $file"; failed=1; }
    win verify "$work/$side/$file" --password "$password" > /dev/null ||
      { echo "windows cannot verify the $side $file"; failed=1; }
    "$linux" dump "$work/$side/$file" --password "$password" > "$work/$side.$file.linux-dump"
    win dump "$work/$side/$file" --password "$password" > "$work/$side.$file.windows-dump"
    if ! diff -u "$work/$side.$file.linux-dump" "$work/$side.$file.windows-dump"; then
      echo "the $side $file dumps differently on the two systems"; failed=1
    fi
  done
done
[ "$(wc -l < "$work/linux.流水账.ldg.windows-dump")" -eq $((orders_count + 1)) ] ||
  { echo "the orders did not all arrive"; failed=1; }
exit $failed
