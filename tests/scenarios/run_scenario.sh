#!/usr/bin/env bash
# run_scenario.sh ORDERDESK CASE.script
# Runs one driver scenario in a fresh program directory and compares its
# transcript, followed by a line "# exit N", with CASE.expected. A folder
# CASE.dir beside the script, if present, is copied into the program
# directory first (data files, settings).
# The program directory appears as $DIR in the transcript.
# With UPDATE_SCENARIOS=1 the expected transcript is rewritten instead.
set -uo pipefail
orderdesk=$1
script=$2
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
if [ "${UPDATE_SCENARIOS:-0}" = 1 ]; then
  cp "$actual" "$expected"
  exit 0
fi
if ! diff -u "$expected" "$actual"; then
  echo "--- stderr:"; cat "$work/.stderr"
  exit 1
fi
