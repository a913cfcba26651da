#!/usr/bin/env bash
# Each case writes one source file with one include line into an empty tree
# and expects the layer check to accept or refuse it.
# Usage: check_includes_test.sh <check_includes.sh>
set -uo pipefail
check=${1:?usage: check_includes_test.sh <check_includes.sh>}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cases=(
  # file                           include line                      expected
  "platform/file.cpp|#include \"forms/window.h\"|refuse"
  "platform/qt/qt_dialogs.cpp|#include \"gui/qt_desktop.h\"|refuse"
  "platform/qt/qt_dialogs.cpp|#include <QMessageBox>|accept"
  "platform/qt/qt_dialogs.cpp|#include <QtWidgets/QMessageBox>|accept"
  "runtime/value.h|#include \"store/cursor.h\"|refuse"
  "runtime/value.h|#include <QString>|refuse"
  "report/table.h|#include \"forms/unit.h\"|refuse"
  "forms/units/report_units.h|#include \"report/table.h\"|accept"
  "store/cursor.h|#include \"report/table.h\"|refuse"
  "gui/qt_desktop.h|#include \"forms/view.h\"|accept"
  "gui/qt_desktop.h|#include \"driver/driver.h\"|refuse"
  "driver/driver.h|#include \"gui/qt_desktop.h\"|refuse"
  "driver/driver.h|#include <QObject>|refuse"
  "app/entry.cpp|#include \"gui/qt_desktop.h\"|accept"
  "app/entry.cpp|#include <QApplication>|refuse"
  "app/windows_entry.cpp|#include <QApplication>|accept"
  "tests/gui/qt_windows_test.cpp|#include <QTest>|accept"
  "tests/runtime/value_test.cpp|#include <QString>|refuse"
  "platform/gbk.cpp|#include \"gtest/gtest.h\"|accept"
  "platform/gbk.cpp|  #  include \"app/entry.h\"|refuse"
)

failures=0
for entry in "${cases[@]}"; do
  IFS='|' read -r file text expected <<<"$entry"
  tree="$work/tree"
  rm -rf "$tree"
  mkdir -p "$tree/$(dirname "$file")"
  printf '%s\n' "$text" >"$tree/$file"
  if "$check" "$tree" >/dev/null; then got=accept; else got=refuse; fi
  if [[ $got != "$expected" ]]; then
    echo "$file with '$text': expected $expected, got $got"
    failures=$((failures + 1))
  fi
done
((failures == 0)) && echo "${#cases[@]} cases pass"
exit $((failures > 0))
