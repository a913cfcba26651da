#include "report/pagination.h"

#include <algorithm>

namespace report {
namespace {

std::int64_t HeightOf(const Geometry& geometry, int row) {
  return geometry.row_heights[static_cast<std::size_t>(row)];
}

bool JoinsRowBelow(const Table& table, int row) {
  for (int column = 0; column < table.columns(); ++column)
    if (table.At(row, column).flags & flag::kJoinDown) return true;
  return false;
}

// The last row of the group that starts at `row`: the rows below it that a
// merged block joins to it, up to `last`.
int GroupEnd(const Table& table, int row, int last) {
  while (row < last && JoinsRowBelow(table, row)) ++row;
  return row;
}

// First rows of the pages of rows first..last.
std::vector<int> PageBreaks(const Table& table, const Geometry& geometry, int first, int last,
                            int rows_per_page, std::int64_t available) {
  std::vector<int> breaks{first};
  if (rows_per_page > 0) {
    for (int row = first; row <= last;) {
      int next = GroupEnd(table, row, last) + 1;
      if (next <= last && next - breaks.back() >= rows_per_page) breaks.push_back(next);
      row = next;
    }
    return breaks;
  }
  std::int64_t running = 0;
  for (int row = first; row <= last;) {
    int end = GroupEnd(table, row, last);
    for (int r = row; r <= end; ++r) running += HeightOf(geometry, r);
    if (running <= available) {
      row = end + 1;
      continue;
    }
    // The group does not fit: it starts the next page, or, when it already
    // starts this one, is cut after its first row.
    int next = row == breaks.back() ? row + 1 : row;
    if (next > last) break;
    breaks.push_back(next);
    running = 0;
    row = next;
  }
  return breaks;
}

}  // namespace

PageSize PaperOf(std::int16_t paper_size, std::int16_t orientation) {
  PageSize size = kA4;
  switch (paper_size) {
    case 1:
      size = {2159, 2794};
      break;
    case 5:
      size = {2159, 3556};
      break;
    case 8:
      size = {2970, 4200};
      break;
    case 11:
      size = {1480, 2100};
      break;
    case 12:
      size = {2570, 3640};
      break;
    case 13:
      size = {1820, 2570};
      break;
    case kReceiptRollPaper:
      size = {800, 2970};
      break;
    default:
      break;
  }
  if (orientation == 2) std::swap(size.width, size.height);
  return size;
}

int AdjustedScaleCode(int code) {
  if (code < -2) return -2;
  if (code == 0) return 100;
  if (code >= 1 && code <= 19) return 20;
  if (code > 1000) return 1000;
  return code;
}

int ScalePercent(int scale_code, std::int64_t table_width, std::int64_t printable_width) {
  const int code = AdjustedScaleCode(scale_code);
  std::int64_t scale = code;
  if (code == -1 || code == -2) {
    if (table_width <= 0 || (code == -2 && printable_width >= table_width))
      scale = 100;
    else
      scale = printable_width * 100 / table_width;
  }
  // A table far wider than the paper still prints, however small.
  return static_cast<int>(std::clamp<std::int64_t>(scale, 1, 1'000'000));
}

PageSize PrintableArea(PageSize paper, const PrintSettings& s) {
  auto less = [](std::int64_t size, std::int64_t a, std::int64_t b) {
    return static_cast<int>(std::clamp<std::int64_t>(size - a - b, -1'000'000, 1'000'000));
  };
  return {less(paper.width, s.margin_left, s.margin_right),
          less(paper.height, s.margin_top, s.margin_bottom)};
}

Pagination Paginate(const Table& table, PageSize printable, const TextMeasure& measure) {
  const PrintSettings& s = table.print;
  Pagination result;
  result.scale = ScalePercent(s.scale_code, table.total_width(), printable.width);
  result.geometry = LayOut(table, result.scale, printable.width, measure);

  const int titles = table.title_row_count();
  std::int64_t title_height = 0;
  for (int row = 0; row < titles; ++row) title_height += HeightOf(result.geometry, row);
  result.available_height = std::int64_t{printable.height} * 100 / result.scale - title_height;

  int first = titles;
  int last = table.rows() - 1;
  if (s.range_mode == 2) {
    first = std::max<std::int64_t>(std::int64_t{s.range_start} - 1, titles);
    if (s.range_end > 0) last = std::min(s.range_end - 1, last);
  }
  if (first > last) return result;

  std::vector<int> breaks = PageBreaks(table, result.geometry, first, last,
                                       std::max(s.rows_per_page, 0), result.available_height);
  result.total_pages = static_cast<int>(breaks.size());

  // Pages taken, 1-based and inclusive.
  int from = 1, to = result.total_pages;
  if (s.range_mode == 1) {
    from = std::max(s.range_start, 1);
    if (s.range_end > 0 && s.range_end < to) to = s.range_end;
  }
  for (int page = from; page <= to; ++page) {
    const int position = page - from;  // 0 for the first page of the range
    if (s.odd_even == 1 && position % 2 != 0) continue;
    if (s.odd_even == 2 && position % 2 == 0) continue;
    const auto index = static_cast<std::size_t>(page - 1);
    Page kept;
    kept.number = static_cast<int>(std::clamp<std::int64_t>(
        std::int64_t{s.first_page_number} + page - 1, INT32_MIN, INT32_MAX));
    kept.first_row = breaks[index];
    kept.last_row = index + 1 < breaks.size() ? breaks[index + 1] - 1 : last;
    kept.last_of_table = page == result.total_pages;
    result.pages.push_back(kept);
  }
  return result;
}

}  // namespace report
