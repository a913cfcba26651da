#!/usr/bin/env bash
# run_scenario.sh ORDERDESK LDGTOOL CASE.script
# Runs one driver scenario in a fresh program directory and compares its
# transcript, followed by a line "# exit N", with CASE.expected. When the
# script's folder holds a file ".ldgtool-init", every case there starts from
# the desk's empty data files (ldgtool init). A folder CASE.dir beside the
# script, if present, is then copied into the program directory (data files,
# settings).
# The program directory appears as $DIR in the transcript.
#
# Afterwards every data file (.ldg) the run created or changed must pass
# `ldgtool verify`. When CASE.dump exists, the dumps of those data files (in
# name order) and "配置.ini" after the run must equal it: what the program
# wrote, field by field.
# With UPDATE_SCENARIOS=1 the expected transcript (and CASE.dump, when it
# exists) is rewritten instead.
# With ORDERDESK_EMULATOR set (wine, for the Windows build) the programs run
# under it; the program directory, which they then see as Z:\..., is $DIR
# in that form too.
set -uo pipefail
export LC_ALL=C.UTF-8
orderdesk=$1
ldgtool=$2
script=$3
case_name=${script%.script}
expected=$case_name.expected
emulator=${ORDERDESK_EMULATOR:-}
run() { if [ -n "$emulator" ]; then "$emulator" "$@"; else "$@"; fi; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -e "$(dirname "$script")/.ldgtool-init" ]; then
  run "$ldgtool" init "$work" > /dev/null || { echo "ldgtool init failed"; exit 1; }
fi
if [ -d "$case_name.dir" ]; then cp -r "$case_name.dir/." "$work/"; fi
actual=$work/.transcript
run "$orderdesk" --dir "$work" --script "$script" > "$actual.raw" 2>"$work/.stderr"
status=$?
# The program directory differs from run to run: it is written $DIR.
if [ -n "$emulator" ]; then
  # wine's drive Z: is the root folder; a transcript writes a backslash as \\.
  windows_dir="Z:$(printf '%s' "$work" | tr / '\\')"
  escaped_dir=$(printf '%s' "$windows_dir" | sed 's/\\/\\\\/g')
  # The backups name folders with forward slashes on every system.
  A=$escaped_dir B=$windows_dir C=$work D="Z:$work" \
    perl -pe 's/\Q$ENV{A}\E/\$DIR/g; s/\Q$ENV{B}\E/\$DIR/g; s/\Q$ENV{D}\E/\$DIR/g; s/\Q$ENV{C}\E/\$DIR/g' \
    "$actual.raw" > "$actual"
else
  sed "s|$work|\$DIR|g" "$actual.raw" > "$actual"
fi
echo "# exit $status" >> "$actual"

failed=0
password=qkd3094716
for file in "$work"/*.ldg; do
  [ -e "$file" ] || continue
  # A file the case supplies and the run left as it was (a damaged file,
  # say) is the case's own business.
  supplied=$case_name.dir/${file#$work/}
  if [ -e "$supplied" ] && cmp -s "$supplied" "$file"; then continue; fi
  if ! run "$ldgtool" verify "$file" --password "$password" > "$work/.verify" 2>&1; then
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
    run "$ldgtool" dump "$file" --password "$password" >> "$dumped" 2>&1
  done
  if [ -e "$work/配置.ini" ]; then
    echo "== 配置.ini" >> "$dumped"
    # GBK, like every text the desk writes: shown as UTF-8.
    iconv -f GBK -t UTF-8 "$work/配置.ini" | tr -d "\r" >> "$dumped"
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
