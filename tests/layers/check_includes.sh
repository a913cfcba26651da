#!/usr/bin/env bash
# Keeps the folders layered: each folder includes only itself and the folders
# it is allowed to build on, and only the desktop views, the Qt services and
# the GUI entry include Qt. Usage: check_includes.sh <source folder>
set -uo pipefail
root=${1:?usage: check_includes.sh <source folder>}
cd "$root" || exit 2

# Lowest first: platform -> runtime -> store, forms, report -> gui, driver -> app.
# forms also builds on report, because the report units hold report tables;
# report must never include forms. tools holds ldgtool and the build-time
# generator of the window template, which reads the layout source in app/.
declare -A allowed=(
  [platform]=""
  [runtime]="platform"
  [store]="platform runtime"
  [report]="platform runtime"
  [forms]="platform runtime report"
  [gui]="platform runtime store forms report"
  [driver]="platform runtime store forms report"
  [app]="platform runtime store forms report gui driver"
  [tools]="platform runtime store forms report driver app"
)
# The folders of ours that an include line can name.
ours=" platform runtime store forms report gui driver app tools tests bench "

failures=0
fail() {
  echo "$1"
  failures=$((failures + 1))
}

for folder in "${!allowed[@]}"; do
  [[ -d $folder ]] || continue
  while IFS=: read -r file line text; do
    [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^/\"]+)/ ]] || continue
    included=${BASH_REMATCH[1]}
    [[ $included == "$folder" ]] && continue
    [[ $ours == *" $included "* ]] || continue
    [[ " ${allowed[$folder]} " == *" $included "* ]] && continue
    fail "$file:$line: $folder/ may not include $included/: $text"
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$folder" \
             --include='*.h' --include='*.cpp')
done

# Everything else builds and tests without a display. Besides gui/,
# platform/qt/ and the GUI entry, only the offscreen tests of the real
# windows (tests/gui/) with their support library (tests/support/qt_*)
# and the benchmark of the list view (bench/) drive Qt widgets, so they
# include Qt too.
while IFS=: read -r file line text; do
  case $file in
    gui/* | platform/qt/* | app/windows_entry.cpp | tests/gui/* | tests/support/qt_* | bench/*) ;;
    *) fail "$file:$line: only gui/, platform/qt/ and the GUI entry include Qt: $text" ;;
  esac
done < <(grep -rsnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q(t[A-Za-z]*/|[A-Z])' \
           platform runtime store forms report gui driver app tools tests bench \
           --include='*.h' --include='*.cpp')

if ((failures)); then
  echo "$failures include line(s) break the layers"
  exit 1
fi
echo "layers hold"
