// Cutting a report table into pages, for printing and for the preview.
//
// The rows after the title rows are walked in groups (a row with the rows a
// merged block joins below it), so that a merged block moves to the next page
// whole; a group taller than a page is cut after its first row. Then the page
// or row range and the odd/even choice of the print settings pick the pages
// that are printed, each keeping the number it has in the whole run.
#pragma once

#include <cstdint>
#include <vector>

#include "report/sheet.h"
#include "report/table.h"

namespace report {

// A paper size in tenths of a millimetre.
struct PageSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PageSize&, const PageSize&) = default;
};

// A4, the page taken when no printer says otherwise.
constexpr PageSize kA4{2100, 2970};

// The paper-size code of the 80 mm receipt roll, a size of the user's own
// to the printer (80 mm wide; a page of it 297 mm long).
constexpr std::int16_t kReceiptRollPaper = 256;

// The paper of a printer paper-size code (1 Letter, 5 Legal, 8 A3, 9 A4,
// 11 A5, 12 B4, 13 B5, kReceiptRollPaper; any other code A4), turned for
// `orientation` 2.
PageSize PaperOf(std::int16_t paper_size, std::int16_t orientation);

// The scale code as it counts: below -2 as -2, 0 as 100, 1..19 as 20,
// above 1000 as 1000.
int AdjustedScaleCode(int code);

// The scale in percent for a table `table_width` wide on a printable width
// of `printable_width`: -1 fits the table to the width, -2 shrinks it only
// when it is wider, anything else is the adjusted code. Never below 1.
int ScalePercent(int scale_code, std::int64_t table_width, std::int64_t printable_width);

struct Page {
  int number = 0;     // the page number printed on it
  int first_row = 0;  // 0-based, inclusive
  int last_row = 0;
  bool last_of_table = false;  // the last page of the whole run
  friend bool operator==(const Page&, const Page&) = default;
};

struct Pagination {
  int scale = 100;  // percent
  // The height a page has for rows after the title rows, in the table's own
  // (unscaled) tenths of a millimetre; may be 0 or less.
  std::int64_t available_height = 0;
  int total_pages = 0;  // pages of the whole run, before the range is taken
  // The columns stretched or narrowed to the printable width, the rows as
  // tall as their texts need (LayOut); the pages are cut by these heights.
  Geometry geometry;
  std::vector<Page> pages;  // the pages printed, in order
};

// Paginates `table` with its print settings for a printable area of
// `printable` (the paper less the margins), its texts measured by `measure`.
Pagination Paginate(const Table& table, PageSize printable,
                    const TextMeasure& measure = TextMeasure());

// The printable area of `paper` under the margins of `settings`.
PageSize PrintableArea(PageSize paper, const PrintSettings& settings);

}  // namespace report
