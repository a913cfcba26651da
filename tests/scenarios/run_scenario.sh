#!/usr/bin/env bash
# run_scenario.sh ORDERDESK LDGTOOL CASE.script
# Runs one driver scenario in a fresh program directory and compares its
# transcript, followed by a line "# exit N", with CASE.expected. A folder
# CASE.dir beside the script, if present, is copied into the program
# directory first (data files, settings).
# The program directory appears as $DIR in the transcript.
#
# Afterwards every data file (.ldg) left in the program directory must pass
# `ldgtool verify`. When CASE.dump exists, the dumps of those data files (in
# name order) and "配置.ini" after the run must equal it: what the program
# wrote, field by field.
# With UPDATE_SCENARIOS=1 the expected transcript (and CASE.dump, when it
# exists) is rewritten instead.
set -uo pipefail
export LC_ALL=C.UTF-8
orderdesk=$1
ldgtool=$2
script=$3
case_name=${script%.script}
expected=$case_name.expected
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -d "$case_name.dir" ]; then cp -r "$case_name.dir/." "$work/"; fi
actual=$work/.transcript
"$orderdesk" --dir "$work" --script "$script" > "$actual.raw" 2>"$work/.stderr"
status=$?
# The program directory differs from run to run: it is written $DIR.
sed "s|$work|\$DIR|g" "$actual.raw" > "$actual"
echo "# exit $status" >> "$actual"

failed=0
password=qkd3094716
for file in "$work"/*.ldg; do
  [ -e "$file" ] || continue
  if ! "$ldgtool" verify "$file" --password "$password" > "$work/.verify" 2>&1; then
    echo "--- ldgtool verify failed on ${file#$work/}:"; cat "$work/.verify"
    failed=1
  fi
done

dumped=$work/.dump
if [ -f "$case_name.dump" ]; then
  : > "$dumped"
  for file in "$work"/*.ldg; do
    [ -e "$file" ] || continue
    echo "== ${file#$work/}" >> "$dumped"
    "$ldgtool" dump "$file" --password "$password" >> "$dumped" 2>&1
  done
  if [ -e "$work/配置.ini" ]; then
    echo "== 配置.ini" >> "$dumped"
    cat "$work/配置.ini" >> "$dumped"
  fi
fi

if [ "${UPDATE_SCENARIOS:-0}" = 1 ]; then
  cp "$actual" "$expected"
  if [ -f "$case_name.dump" ]; then cp "$dumped" "$case_name.dump"; fi
  exit $failed
fi
if ! diff -u "$expected" "$actual"; then
  echo "--- stderr:"; cat "$work/.stderr"
  failed=1
fi
if [ -f "$case_name.dump" ] && ! diff -u "$case_name.dump" "$dumped"; then
  echo "--- the data files differ from $case_name.dump"
  failed=1
fi
exit $failed
