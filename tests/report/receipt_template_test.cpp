#include "app/receipt_template.h"

#include <gtest/gtest.h>

#include "platform/gbk.h"
#include "report/operations.h"
#include "report/serial.h"

namespace report {
namespace {

using platform::operator""_gbk;

Table Template() {
  auto bytes = desk::ReceiptTemplate();
  auto table = ReadTable(bytes);
  EXPECT_TRUE(table);
  return table ? *table : Table();
}

// The receipt template built cell by cell through the table's operations.
Table BuiltByHand() {
  Table t(10, 4);
  t.row_heights = {105, 59, 59, 59, 59, 59, 59, 59, 59, 59};
  t.column_widths = {318, 142, 169, 176};
  for (int c = 0; c < 4; ++c) t.At(0, c).font_size = 70;
  t.At(0, 0).face = "黑体"_gbk;
  t.At(1, 1).font_size = 49;
  t.At(1, 1).face = "Arial";
  t.At(1, 1).flags |= 0x2000;
  const char* texts[][2] = {{"代购店铺名称", ""},
                            {"代购订单号：", ""},
                            {"下单时间：", ""},
                            {"姓名：", ""},
                            {"备注：", ""}};
  for (int r = 0; r < 5; ++r) SetCellText(t, r + 1, 1, platform::Utf8ToGbk(texts[r][0]));
  SetCellText(t, 6, 1, "商品名称"_gbk);
  SetCellText(t, 6, 2, "数量"_gbk);
  SetCellText(t, 6, 3, "应收款"_gbk);
  SetCellText(t, 6, 4, "收定金"_gbk);
  SetCellAttribute(t, {1, 1, 1, 4}, 5);
  SetCellAttribute(t, {6, 2, 1, 3}, 5);
  MergeCells(t, {1, 1, 1, 4});
  MergeCells(t, {2, 2, 1, 3});
  MergeCells(t, {3, 2, 1, 3});
  MergeCells(t, {4, 1, 1, 4});
  MergeCells(t, {5, 1, 1, 4});
  SetBorders(t, {5, 1, 1, 4}, border::kBottom);
  SetBorders(t, {6, 1, 1, 4}, border::kBottom);
  SetBorders(t, {7, 1, 4, 4}, 63);
  t.print.margin_left = t.print.margin_top = t.print.margin_right = t.print.margin_bottom = 100;
  return t;
}

TEST(ReceiptTemplate, IsExactlyTheTableBuiltByHand) {
  auto bytes = desk::ReceiptTemplate();
  EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), WriteTable(BuiltByHand()));
  EXPECT_EQ(bytes.size(), 1160u);
}

TEST(ReceiptTemplate, SizeSettingsAndPrintSettings) {
  const Table t = Template();
  ASSERT_EQ(t.rows(), 10);
  ASSERT_EQ(t.columns(), 4);
  EXPECT_EQ(t.title_rows, 0);
  EXPECT_EQ(t.second_setting, 0);
  EXPECT_EQ(t.row_heights, (std::vector<std::int32_t>{105, 59, 59, 59, 59, 59, 59, 59, 59, 59}));
  EXPECT_EQ(t.column_widths, (std::vector<std::int32_t>{318, 142, 169, 176}));
  PrintSettings expected;
  expected.margin_left = expected.margin_top = expected.margin_right = expected.margin_bottom = 100;
  EXPECT_EQ(t.print, expected);
  EXPECT_EQ(expected.page_number_position, 0);
  EXPECT_EQ(expected.scale_code, 100);
  EXPECT_EQ(expected.orientation, 1);
  EXPECT_TRUE(t.trailing.empty());
}

TEST(ReceiptTemplate, TextsCodesAndFaces) {
  const Table t = Template();
  struct Case {
    int row, column;
    const char* text;
    int code;
  };
  const Case cases[] = {
      {1, 1, "代购店铺名称", 5},
      {2, 1, "代购订单号：", 1},
      {2, 2, "", 1},
      {3, 1, "下单时间：", 1},
      {3, 2, "", 1},
      {4, 1, "姓名：", 1},
      {5, 1, "备注：", 1},
      {6, 1, "商品名称", 1},
      {6, 2, "数量", 5},
      {6, 3, "应收款", 5},
      {6, 4, "收定金", 5},
  };
  for (const Case& c : cases) {
    const Cell& cell = t.At(c.row - 1, c.column - 1);
    EXPECT_EQ(cell.text(), platform::Utf8ToGbk(c.text)) << c.row << "," << c.column;
    EXPECT_EQ(cell.attribute_code(), c.code) << c.row << "," << c.column;
  }
  for (int r = 6; r < 10; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_TRUE(t.At(r, c).data.empty());
  EXPECT_EQ(t.At(0, 0).face, "黑体"_gbk);
  EXPECT_EQ(t.At(1, 1).face, "Arial");
  EXPECT_EQ(t.At(1, 1).flags & 0x2000, 0x2000u);
  int faces = 0, marked = 0;
  for (const Cell& cell : t.cells) {
    faces += !cell.face.empty();
    marked += (cell.flags & 0x2000) != 0;
    EXPECT_EQ(cell.text_colour, 0u);
    EXPECT_EQ(cell.background_colour, 0xFF000000u);
    EXPECT_EQ(cell.font_style, 9);
  }
  EXPECT_EQ(faces, 2);
  EXPECT_EQ(marked, 1);
}

TEST(ReceiptTemplate, FontSizes) {
  const Table t = Template();
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 4; ++c) {
      const int expected = r == 0 ? 70 : (r == 1 && c == 1) ? 49 : 40;
      EXPECT_EQ(t.At(r, c).font_size, expected) << r << "," << c;
    }
}

TEST(ReceiptTemplate, MergedBlocks) {
  const Table t = Template();
  EXPECT_EQ(BlockAt(t, 0, 2), (Span{0, 0, 0, 3}));
  EXPECT_EQ(BlockAt(t, 1, 3), (Span{1, 1, 1, 3}));
  EXPECT_EQ(BlockAt(t, 2, 1), (Span{2, 1, 2, 3}));
  EXPECT_EQ(BlockAt(t, 1, 0), (Span{1, 0, 1, 0}));
  EXPECT_EQ(BlockAt(t, 3, 3), (Span{3, 0, 3, 3}));
  EXPECT_EQ(BlockAt(t, 4, 0), (Span{4, 0, 4, 3}));
  for (int r = 5; r < 10; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(t.At(r, c).flags & flag::kJoinMask, 0u) << r << "," << c;
}

TEST(ReceiptTemplate, Lines) {
  const Table t = Template();
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) EXPECT_EQ(t.At(r, c).flags & flag::kLineMask, 0u) << r << "," << c;
    EXPECT_EQ(t.At(4, c).flags & flag::kLineMask, flag::kLineBottom);
    EXPECT_EQ(t.At(5, c).flags & flag::kLineMask, flag::kLineTop | flag::kLineBottom);
    for (int r = 6; r < 10; ++r) EXPECT_EQ(t.At(r, c).flags & flag::kLineMask, flag::kLineMask);
  }
}

}  // namespace
}  // namespace report
