#include "report/pagination.h"

#include <gtest/gtest.h>

#include "report/operations.h"

namespace report {
namespace {

// Pages as (printed number, first row, last row), rows 1-based.
struct Expected {
  int number, first, last;
};

std::vector<Expected> PagesOf(const Pagination& p) {
  std::vector<Expected> pages;
  for (const Page& page : p.pages)
    pages.push_back({page.number, page.first_row + 1, page.last_row + 1});
  return pages;
}

bool operator==(const Expected& a, const Expected& b) {
  return a.number == b.number && a.first == b.first && a.last == b.last;
}

void PrintTo(const Expected& e, std::ostream* os) {
  *os << "{" << e.number << ", " << e.first << "-" << e.last << "}";
}

// `rows` rows of height 100 and one column 500 wide.
Table Rows(int rows) {
  Table t(rows, 1);
  for (auto& h : t.row_heights) h = 100;
  t.column_widths = {500};
  return t;
}

TEST(Paginate, EightRowsThreePerPage) {
  Table t = Rows(8);
  t.print.rows_per_page = 3;
  EXPECT_EQ(PagesOf(Paginate(t, kA4)), (std::vector<Expected>{{1, 1, 3}, {2, 4, 6}, {3, 7, 8}}));
}

TEST(Paginate, RowsPerPageNeverSplitsAMergedBlock) {
  Table t = Rows(8);
  t.print.rows_per_page = 3;
  MergeCells(t, {3, 1, 2, 1});  // rows 3-4
  EXPECT_EQ(PagesOf(Paginate(t, kA4)), (std::vector<Expected>{{1, 1, 4}, {2, 5, 7}, {3, 8, 8}}));
}

TEST(Paginate, ByHeightAMergedBlockThatDoesNotFitMovesWhole) {
  Table t = Rows(8);
  MergeCells(t, {5, 1, 2, 1});  // rows 5 and 6
  // Room for 5.5 rows a page: row 6 would not fit, so rows 5-6 move on.
  EXPECT_EQ(PagesOf(Paginate(t, {500, 550})), (std::vector<Expected>{{1, 1, 4}, {2, 5, 8}}));
  // Without the merge the page takes five rows.
  Table plain = Rows(8);
  EXPECT_EQ(PagesOf(Paginate(plain, {500, 550})), (std::vector<Expected>{{1, 1, 5}, {2, 6, 8}}));
}

TEST(Paginate, AGroupTallerThanAPageIsCutAfterItsFirstRow) {
  Table t = Rows(6);
  MergeCells(t, {2, 1, 4, 1});  // rows 2-5, 400 high, on pages 250 high
  EXPECT_EQ(PagesOf(Paginate(t, {500, 250})),
            (std::vector<Expected>{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 5}, {5, 6, 6}}));
}

TEST(Paginate, ARowTallerThanThePageStandsAlone) {
  Table t = Rows(3);
  t.row_heights[1] = 5000;
  EXPECT_EQ(PagesOf(Paginate(t, {500, 250})),
            (std::vector<Expected>{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}));
}

TEST(Paginate, NoRoomAtAllStillGivesOneRowAPage) {
  Table t = Rows(3);
  t.print.margin_top = 5000;
  const PageSize printable = PrintableArea(kA4, t.print);
  EXPECT_LT(printable.height, 0);
  EXPECT_EQ(Paginate(t, printable).pages.size(), 3u);
}

TEST(Paginate, TitleRowsComeOffEveryPage) {
  Table t = Rows(7);
  t.title_rows = 2;
  const Pagination p = Paginate(t, {500, 450});
  EXPECT_EQ(p.available_height, 250);
  EXPECT_EQ(PagesOf(p), (std::vector<Expected>{{1, 3, 4}, {2, 5, 6}, {3, 7, 7}}));
  t.title_rows = 7;
  EXPECT_TRUE(Paginate(t, {500, 450}).pages.empty());
}

TEST(Paginate, ScaleChangesTheRoomOnAPage) {
  Table t = Rows(10);
  t.print.scale_code = 50;  // half size: twice the rows
  const Pagination p = Paginate(t, {500, 300});
  EXPECT_EQ(p.available_height, 600);
  EXPECT_EQ(PagesOf(p), (std::vector<Expected>{{1, 1, 6}, {2, 7, 10}}));
}

TEST(Paginate, PageRangeKeepsTheNumbersOfTheWholeRun) {
  Table t = Rows(8);
  t.print.rows_per_page = 2;  // four pages
  t.print.range_mode = 1;
  t.print.range_start = 2;
  t.print.range_end = 3;
  const Pagination p = Paginate(t, kA4);
  EXPECT_EQ(p.total_pages, 4);
  EXPECT_EQ(PagesOf(p), (std::vector<Expected>{{2, 3, 4}, {3, 5, 6}}));

  t.print.first_page_number = 10;
  EXPECT_EQ(PagesOf(Paginate(t, kA4)), (std::vector<Expected>{{11, 3, 4}, {12, 5, 6}}));
}

TEST(Paginate, PageRangeEdges) {
  struct Case {
    int start, end;
    std::vector<int> numbers;
  };
  const Case cases[] = {
      {1, 0, {1, 2, 3, 4}}, {3, 0, {3, 4}}, {3, 99, {3, 4}}, {0, 2, {1, 2}},
      {5, 0, {}},           {3, 2, {}},     {4, 4, {4}},     {-7, -1, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    Table t = Rows(8);
    t.print.rows_per_page = 2;
    t.print.range_mode = 1;
    t.print.range_start = c.start;
    t.print.range_end = c.end;
    std::vector<int> numbers;
    for (const Page& page : Paginate(t, kA4).pages) numbers.push_back(page.number);
    EXPECT_EQ(numbers, c.numbers) << c.start << "-" << c.end;
  }
}

TEST(Paginate, OddEvenPicksFromTheTakenRange) {
  struct Case {
    int mode, start, end;
    std::vector<int> numbers;
  };
  const Case cases[] = {
      {0, 1, 4, {1, 2, 3, 4}}, {1, 1, 4, {1, 3}},    {2, 1, 4, {2, 4}}, {1, 2, 4, {2, 4}},
      {2, 2, 4, {3}},          {1, 1, 0, {1, 3, 5}}, {2, 5, 5, {}},     {7, 1, 4, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    Table t = Rows(10);
    t.print.rows_per_page = 2;  // five pages
    t.print.range_mode = 1;
    t.print.range_start = c.start;
    t.print.range_end = c.end;
    t.print.odd_even = c.mode;
    std::vector<int> numbers;
    for (const Page& page : Paginate(t, kA4).pages) numbers.push_back(page.number);
    EXPECT_EQ(numbers, c.numbers) << "mode " << c.mode << " pages " << c.start << "-" << c.end;
  }
}

TEST(Paginate, RowRangeStartsAfterTheTitleRows) {
  struct Case {
    int titles, start, end;
    Expected page;
  };
  const Case cases[] = {
      {0, 3, 5, {1, 3, 5}},  {2, 1, 5, {1, 3, 5}},  {0, 4, 0, {1, 4, 8}},
      {0, 6, 99, {1, 6, 8}}, {1, -3, 2, {1, 2, 2}},
  };
  for (const Case& c : cases) {
    Table t = Rows(8);
    t.title_rows = c.titles;
    t.print.range_mode = 2;
    t.print.range_start = c.start;
    t.print.range_end = c.end;
    EXPECT_EQ(PagesOf(Paginate(t, kA4)), std::vector<Expected>{c.page})
        << c.titles << " " << c.start << "-" << c.end;
  }
  Table t = Rows(8);
  t.print.range_mode = 2;
  t.print.range_start = 6;
  t.print.range_end = 5;
  EXPECT_TRUE(Paginate(t, kA4).pages.empty());
}

TEST(Paginate, RowRangeCutsAMergedBlockAtItsEnd) {
  Table t = Rows(6);
  t.print.rows_per_page = 1;
  t.print.range_mode = 2;
  t.print.range_end = 4;
  MergeCells(t, {3, 1, 3, 1});  // rows 3-5
  EXPECT_EQ(PagesOf(Paginate(t, kA4)), (std::vector<Expected>{{1, 1, 1}, {2, 2, 2}, {3, 3, 4}}));
}

TEST(Paginate, OnlyTheLastPageOfTheRunIsMarkedLast) {
  Table t = Rows(5);
  t.print.rows_per_page = 2;
  const Pagination p = Paginate(t, kA4);
  ASSERT_EQ(p.pages.size(), 3u);
  EXPECT_FALSE(p.pages[1].last_of_table);
  EXPECT_TRUE(p.pages[2].last_of_table);
  t.print.range_mode = 1;
  t.print.range_end = 2;
  EXPECT_FALSE(Paginate(t, kA4).pages.back().last_of_table);
}

TEST(Paginate, AnEmptyTableHasNoPages) {
  EXPECT_TRUE(Paginate(Table(0, 3), kA4).pages.empty());
  EXPECT_TRUE(Paginate(Table(), kA4).pages.empty());
}

TEST(ScaleCode, AdjustsOutOfRangeCodes) {
  struct Case {
    int code, adjusted;
  };
  for (Case c :
       {Case{-7, -2}, Case{-2, -2}, Case{-1, -1}, Case{0, 100}, Case{1, 20}, Case{19, 20},
        Case{20, 20}, Case{100, 100}, Case{1000, 1000}, Case{1001, 1000}, Case{32767, 1000}})
    EXPECT_EQ(AdjustedScaleCode(c.code), c.adjusted) << c.code;
}

TEST(ScaleCode, GivesThePercentForTheTableAndPaper) {
  struct Case {
    int code;
    std::int64_t table_width, printable_width;
    int percent;
  };
  const Case cases[] = {
      {-2, 805, 1900, 100},  // narrower than the paper: as it is
      {-2, 3800, 1900, 50},  // wider: compressed
      {-1, 805, 1610, 200},  // fit to the width, also when that enlarges
      {-1, 3800, 1900, 50},  {-1, 0, 1900, 100},   {-2, 0, 1900, 100},
      {-1, 1000000, 10, 1},  // never below 1
      {-1, 500, -30, 1},     {0, 805, 1900, 100},  {5, 805, 1900, 20},
      {250, 805, 1900, 250}, {-9, 3800, 1900, 50},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScalePercent(c.code, c.table_width, c.printable_width), c.percent)
        << c.code << " " << c.table_width << " " << c.printable_width;
}

TEST(ScaleCode, ANarrowTableCompressedOnlyWhenWiderPrintsAtFullSize) {
  Table t = Rows(3);
  t.print.scale_code = -2;
  EXPECT_EQ(Paginate(t, PrintableArea(kA4, t.print)).scale, 100);
}

TEST(Paper, SizesByCodeAndOrientation) {
  EXPECT_EQ(PaperOf(0, 1), kA4);
  EXPECT_EQ(PaperOf(9, 1), kA4);
  EXPECT_EQ(PaperOf(9, 2), (PageSize{2970, 2100}));
  EXPECT_EQ(PaperOf(11, 1), (PageSize{1480, 2100}));
  EXPECT_EQ(PaperOf(1, 1), (PageSize{2159, 2794}));
  EXPECT_EQ(PaperOf(-4, 1), kA4);
  EXPECT_EQ(PrintableArea(kA4, PrintSettings{}), (PageSize{2100 - 460, 2970 - 460}));
}

}  // namespace
}  // namespace report
