#!/usr/bin/env bash
# Exports the query page's date query (three orders, one sorted order, the
# totals rows) to a workbook through the headless driver, as 导出到Excel
# writes it, and renders the workbook's sheet as a spreadsheet program
# prints it into docs/exported_sheet.png. Needs ssconvert (gnumeric, which
# CI does not install: only this picture needs it) and
# pdftoppm (poppler-utils).
#   docs/make_export_png.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/ldgtool/ldgtool" init "$work" > /dev/null
cat > "$work/export.script" <<'SCRIPT'
now 2026-12-05 10:00:00
call SelectDatabase "流水账"
call AppendRecord "S001" "TB9" "毛衣" 1.0 9.0 0.0 9.0 "张三" "13800000001" "" @2026-12-01 09:00:00 _ _ _ _ _ _ "没到货" _ "http://shop.example/1"
call AppendRecord "S002" "TB10" "围巾,红" 2.0 100.5 1.5 10.0 "李四" "13800000002" "" @2026-12-01 08:00:00 _ _ _ _ _ _ "没到货" _ "http://shop.example/2"
call AppendRecord "S003" "TB8" "手套" 1.0 20.5 0.0 5.0 "王五" "13800000003" "" @2026-12-02 10:30:00 @2026-12-03 11:00:00 _ _ _ _ _ "已到货" _ "http://shop.example/3"
page 选择夹1 1
date 开始日期框 2026-12-01
date 结束日期框 2026-12-02
click 按日期查询
sort 查询超级列表框1 5
rightclick 查询超级列表框1
filename 订单查询.xlsx
menu 导出到Excel
SCRIPT
"$build/app/orderdesk" --dir "$work" --script "$work/export.script" | grep '^EXPORT'
# Landscape A4 on one page wide, as a spreadsheet program prints the sheet.
ssconvert --export-type=Gnumeric_pdf:pdf_assistant "$work/订单查询.xlsx" "$work/sheet.pdf" 2>/dev/null
# The top of the first page, where the rows are.
pdftoppm -png -r 150 -singlefile -f 1 -l 1 -x 30 -y 150 -W 1680 -H 180 "$work/sheet.pdf" "$work/sheet"
cp "$work/sheet.png" docs/exported_sheet.png
echo "wrote docs/exported_sheet.png"
