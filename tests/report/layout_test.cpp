#include "report/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "platform/gbk.h"
#include "report/operations.h"

namespace report {
namespace {

using platform::operator""_gbk;

DrawOp LineAt(int x1, int y1, int x2, int y2, int width = kLineWidth) {
  DrawOp op;
  op.kind = DrawOp::Kind::kLine;
  op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2, op.width = width;
  return op;
}

std::vector<DrawOp> OfKind(const RecordingPainter& p, DrawOp::Kind kind) {
  std::vector<DrawOp> ops;
  std::copy_if(p.ops().begin(), p.ops().end(), std::back_inserter(ops),
               [kind](const DrawOp& op) { return op.kind == kind; });
  return ops;
}

Table TwoByTwo() {
  Table t(2, 2);
  t.column_widths = {100, 200};
  t.row_heights = {50, 60};
  return t;
}

TEST(StyleOfCode, PlacesTextByTheAttributeCode) {
  struct Case {
    int code;
    CellStyle style;
  };
  using A = Align;
  const Case cases[] = {
      {1, {A::kStart, A::kCentre, false, false}},  {2, {A::kStart, A::kStart, false, false}},
      {5, {A::kCentre, A::kCentre, false, false}}, {8, {A::kEnd, A::kCentre, false, false}},
      {9, {A::kEnd, A::kEnd, false, false}},       {11, {A::kCentre, A::kCentre, true, false}},
      {13, {A::kStart, A::kStart, false, true}},   {14, {A::kCentre, A::kCentre, false, true}},
      {0, {A::kStart, A::kCentre, false, false}},  {15, {A::kStart, A::kCentre, false, false}},
  };
  for (const Case& c : cases) EXPECT_EQ(StyleOfCode(c.code), c.style) << c.code;
}

TEST(DrawTable, AFullGridDrawsEachLineOnce) {
  Table t = TwoByTwo();
  SetBorders(t, {1, 1, 2, 2}, 63);
  RecordingPainter p;
  DrawTable(t, p);
  EXPECT_EQ(p.ops(), (std::vector<DrawOp>{LineAt(0, 0, 0, 110), LineAt(100, 0, 100, 110),
                                          LineAt(300, 0, 300, 110), LineAt(0, 0, 300, 0),
                                          LineAt(0, 50, 300, 50), LineAt(0, 110, 300, 110)}));
}

TEST(DrawTable, CellsWithoutLinesDrawNoLines) {
  Table t = TwoByTwo();
  SetBorders(t, {2, 2, 1, 1}, border::kBottom);  // one cell, bottom edge
  RecordingPainter p;
  DrawTable(t, p);
  EXPECT_EQ(p.ops(), (std::vector<DrawOp>{LineAt(100, 110, 300, 110)}));
}

TEST(DrawTable, AMergedBlockIsOneCellWithItsTopLeftText) {
  Table t = TwoByTwo();
  SetBorders(t, {1, 1, 2, 2}, 63);
  SetCellText(t, 1, 1, "合计"_gbk);
  SetCellText(t, 1, 2, "hidden");
  SetCellAttribute(t, {1, 1, 1, 1}, 5);
  MergeCells(t, {1, 1, 1, 2});
  RecordingPainter p;
  DrawTable(t, p);
  auto texts = OfKind(p, DrawOp::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "合计"_gbk);
  EXPECT_EQ(texts[0].rect, (Rect{kCellPadding, 0, 300 - kCellPadding, 50}));
  EXPECT_EQ(texts[0].format.horizontal, Align::kCentre);
  // The line between the merged cells is gone; the one below them stays.
  auto lines = OfKind(p, DrawOp::Kind::kLine);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), LineAt(100, 50, 100, 110)), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), LineAt(100, 0, 100, 110)), 0);
}

TEST(DrawTable, AddedTableLinesGoRoundEveryBlock) {
  Table t(2, 3);
  t.print.add_table_lines = 1;
  MergeCells(t, {1, 1, 2, 2});
  RecordingPainter p;
  DrawTable(t, p);
  const int w = Table::kDefaultColumnWidth, h = Table::kDefaultRowHeight;
  EXPECT_EQ(p.ops(),
            (std::vector<DrawOp>{LineAt(0, 0, 0, 2 * h), LineAt(2 * w, 0, 2 * w, 2 * h),
                                 LineAt(3 * w, 0, 3 * w, 2 * h), LineAt(0, 0, 3 * w, 0),
                                 LineAt(2 * w, h, 3 * w, h), LineAt(0, 2 * h, 3 * w, 2 * h)}));
}

TEST(DrawTable, TextCarriesFaceSizeAndColours) {
  Table t(1, 1);
  t.row_heights = {100};  // room for the size: a taller text would be made smaller
  Cell& cell = t.At(0, 0);
  cell.SetText("x");
  cell.face = "黑体"_gbk;
  cell.font_size = 70;
  cell.text_colour = 0x000000FF;        // red, stored blue-green-red
  cell.background_colour = 0x0000FF00;  // green
  cell.flags = 11 | flag::kMarkFallingDiagonal;
  RecordingPainter p;
  DrawTable(t, p);
  ASSERT_EQ(p.ops().size(), 3u);
  EXPECT_EQ(p.ops()[0].kind, DrawOp::Kind::kFill);
  EXPECT_EQ(p.ops()[0].colour, 0x00FF00u);
  const TextFormat& f = p.ops()[1].format;
  EXPECT_EQ(f.face, "黑体"_gbk);
  EXPECT_EQ(f.size, 70);
  EXPECT_TRUE(f.bold);
  EXPECT_EQ(f.colour, 0xFF0000u);
  EXPECT_EQ(p.ops()[2], LineAt(0, 0, Table::kDefaultColumnWidth, 100));
}

TEST(DrawTable, ColoursWithTheTopByteSetMeanTheDefault) {
  Table t(1, 1);
  t.At(0, 0).SetText("x");
  t.At(0, 0).text_colour = 0xFF0000FF;
  RecordingPainter p;
  DrawTable(t, p);
  ASSERT_EQ(p.ops().size(), 1u);
  EXPECT_EQ(p.ops()[0].format.colour, 0u);
}

// Cells carry their own text, so a text drawn twice or a cell's text drawn
// from another's block would show.
TEST(DrawTable, DisagreeingJoinBitsDrawEveryCellAtMostOnce) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    Table t(6, 5);
    for (int i = 0; i < 30; ++i) {
      Cell& cell = t.cells[static_cast<std::size_t>(i)];
      cell.SetText("c" + std::to_string(i));
      cell.flags = static_cast<std::uint32_t>(random()) & (flag::kJoinMask | flag::kLineMask | 0xF);
    }
    RecordingPainter p;
    DrawTable(t, p);
    std::set<std::string> seen;
    for (const DrawOp& op : OfKind(p, DrawOp::Kind::kText)) {
      EXPECT_TRUE(seen.insert(op.text).second) << op.text;
      EXPECT_LE(op.rect.left, op.rect.right);
    }
    EXPECT_GE(seen.size(), 1u);
  }
}

// The columns share the printable width (2100 - 100 - 230); the text and
// the rows keep the scale.
TEST(DrawPage, ScalesInsideTheMarginsAndFillsTheirWidth) {
  Table t(1, 1);
  t.column_widths = {1000};
  t.row_heights = {100};
  t.print.scale_code = 50;
  t.print.margin_left = 100;
  t.print.margin_top = 200;
  SetBorders(t, {1, 1, 1, 1}, border::kDefault);
  SetCellText(t, 1, 1, "x");
  t.At(0, 0).font_size = 70;
  const Pagination pages = Paginate(t, PrintableArea(kA4, t.print));
  ASSERT_EQ(pages.pages.size(), 1u);
  RecordingPainter p;
  DrawPage(t, pages, pages.pages[0], kA4, p);
  auto lines = OfKind(p, DrawOp::Kind::kLine);
  EXPECT_EQ(lines, (std::vector<DrawOp>{LineAt(100, 200, 100, 250), LineAt(1870, 200, 1870, 250),
                                        LineAt(100, 200, 1870, 200), LineAt(100, 250, 1870, 250)}));
  auto texts = OfKind(p, DrawOp::Kind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].format.size, 35);
  EXPECT_EQ(texts[0].rect, (Rect{100 + kCellPadding / 2, 200, 1870 - kCellPadding / 2, 250}));
}

TEST(DrawPage, TitleRowsHeadEveryPage) {
  Table t(4, 1);
  t.title_rows = 1;
  t.print.rows_per_page = 1;
  t.print.margin_top = 0;
  t.print.margin_left = 0;
  for (int r = 1; r <= 4; ++r) SetCellText(t, r, 1, "r" + std::to_string(r));
  const Pagination pages = Paginate(t, kA4);
  ASSERT_EQ(pages.pages.size(), 3u);
  RecordingPainter p;
  DrawPage(t, pages, pages.pages[1], kA4, p);
  auto texts = OfKind(p, DrawOp::Kind::kText);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "r1");
  EXPECT_EQ(texts[0].rect.top, 0);
  EXPECT_EQ(texts[1].text, "r3");
  EXPECT_EQ(texts[1].rect.top, Table::kDefaultRowHeight);
}

TEST(DrawPage, PrintsThePageNumberAtItsPosition) {
  struct Case {
    std::int16_t position;
    bool shown;
    Align horizontal;
    bool top;
  };
  const Case cases[] = {
      {0, false, Align::kStart, false},  {1, true, Align::kCentre, false},
      {2, true, Align::kEnd, false},     {3, true, Align::kStart, false},
      {4, true, Align::kCentre, true},   {5, true, Align::kEnd, true},
      {6, true, Align::kStart, true},    {7, false, Align::kStart, false},
      {-1, false, Align::kStart, false},
  };
  for (const Case& c : cases) {
    Table t(3, 1);
    t.print.rows_per_page = 1;
    t.print.first_page_number = 7;
    t.print.page_number_position = c.position;
    const Pagination pages = Paginate(t, PrintableArea(kA4, t.print));
    RecordingPainter p;
    DrawPage(t, pages, pages.pages[1], kA4, p);
    auto texts = OfKind(p, DrawOp::Kind::kText);
    ASSERT_EQ(texts.size(), c.shown ? 1u : 0u) << c.position;
    if (!c.shown) continue;
    EXPECT_EQ(texts[0].text, "第 8 页"_gbk);
    EXPECT_EQ(texts[0].format.horizontal, c.horizontal);
    const Rect band =
        c.top ? Rect{230, 0, 2100 - 230, 230} : Rect{230, 2970 - 230, 2100 - 230, 2970};
    EXPECT_EQ(texts[0].rect, band);
  }
}

TEST(DrawPage, RepeatedLastRowFillsTheLastPageWithLinesOnly) {
  Table t(2, 1);
  t.row_heights = {100, 100};
  t.column_widths = {300};
  t.print.margin_left = t.print.margin_top = t.print.margin_right = t.print.margin_bottom = 0;
  t.print.repeat_last_row = 1;
  SetBorders(t, {1, 1, 2, 1}, 63);
  SetCellText(t, 2, 1, "last");
  const PageSize paper{300, 550};
  const Pagination pages = Paginate(t, paper);
  ASSERT_EQ(pages.pages.size(), 1u);
  RecordingPainter p;
  DrawPage(t, pages, pages.pages[0], paper, p);
  EXPECT_EQ(OfKind(p, DrawOp::Kind::kText).size(), 1u);
  auto lines = OfKind(p, DrawOp::Kind::kLine);
  // Three copies of the 100-high row fill 300 of the 350 left.
  EXPECT_EQ(lines.front(), LineAt(0, 0, 0, 500));
  EXPECT_EQ(lines.back(), LineAt(0, 500, 300, 500));

  // Not when pages go by a row count.
  t.print.rows_per_page = 5;
  const Pagination counted = Paginate(t, paper);
  RecordingPainter q;
  DrawPage(t, counted, counted.pages[0], paper, q);
  EXPECT_EQ(OfKind(q, DrawOp::Kind::kLine).front(), LineAt(0, 0, 0, 200));
}

TEST(DrawPage, OnlyTheLastPageIsFilled) {
  Table t(4, 1);
  t.print.margin_left = t.print.margin_top = t.print.margin_right = t.print.margin_bottom = 0;
  t.print.repeat_last_row = 1;
  SetBorders(t, {1, 1, 4, 1}, 63);
  const PageSize paper{300, 3 * Table::kDefaultRowHeight};
  const Pagination pages = Paginate(t, paper);
  ASSERT_EQ(pages.pages.size(), 2u);
  RecordingPainter first, last;
  DrawPage(t, pages, pages.pages[0], paper, first);
  DrawPage(t, pages, pages.pages[1], paper, last);
  EXPECT_EQ(OfKind(first, DrawOp::Kind::kLine).front(),
            LineAt(0, 0, 0, 3 * Table::kDefaultRowHeight));
  EXPECT_EQ(OfKind(last, DrawOp::Kind::kLine).front(),
            LineAt(0, 0, 0, 3 * Table::kDefaultRowHeight));
}

TEST(TableExtent, SumsWidthsAndHeights) {
  Table t = TwoByTwo();
  t.row_heights[1] = -5;
  EXPECT_EQ(TableExtent(t), (PageSize{300, 50}));
}

}  // namespace
}  // namespace report
