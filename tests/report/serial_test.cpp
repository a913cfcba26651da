#include "report/serial.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/gbk.h"
#include "report/operations.h"

namespace report {
namespace {

using platform::operator""_gbk;

// A small table with texts, flags and merges, as the order form leaves one.
Table Receiptish() {
  Table t(4, 3);
  t.row_heights = {105, 59, 59, 59};
  t.column_widths = {318, 142, 169};
  SetCellText(t, 1, 1, "代购店铺名称"_gbk);
  SetCellText(t, 3, 2, "12.5");
  MergeCells(t, {1, 1, 1, 3});
  MergeCells(t, {2, 2, 2, 2});
  SetBorders(t, {3, 1, 2, 3}, 63);
  SetCellAttribute(t, {3, 3, 2, 1}, 5);
  t.At(0, 0).face = "黑体"_gbk;
  t.At(0, 0).font_size = 70;
  return t;
}

TEST(TableBytes, OneCellTableHasTheDocumentedLayout) {
  Table t(1, 1);
  t.row_heights = {59};
  t.column_widths = {318};
  t.title_rows = 2;
  t.second_setting = -1;
  t.At(0, 0).face = "Arial";
  t.At(0, 0).SetText("ab");
  t.At(0, 0).flags = 0x100005;
  t.print.margin_left = 100;
  t.print.scale_code = -2;
  t.print.orientation = 2;
  t.print.rows_per_page = 3;
  const Bytes expected = {
      'G',  'K', 'Q',  'Z',  1,    0,    0,    0,    1,   0, 0, 0,     // mark, rows, columns
      2,    0,   0,    0,    0xff, 0xff, 0xff, 0xff,                   // title rows, second setting
      59,   0,   0,    0,    0x3e, 0x01, 0,    0,                      // height, width
      0x05, 0,   0x10, 0,    0,    0,    0,    0,    0,   0, 0, 0xff,  // flags, colours
      40,   0,   9,    0,                                              // font size, style
      5,    0,   0,    0,    'A',  'r',  'i',  'a',  'l',              // face
      3,    0,   0,    0,    'a',  'b',  0,                            // data
      100,  0,   0,    0,    230,  0,    0,    0,    230, 0, 0, 0,    230, 0, 0, 0,  // margins
      0,    0,   0xfe, 0xff, 0,    0,    2,    0,                   // position, scale, paper, turn
      0,    0,   0,    0,    0,    0,    0,    0,    3,   0, 0, 0,  // repeat, lines, rows per page
  };
  EXPECT_EQ(WriteTable(t), expected);
  auto back = ReadTable(expected);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, t);
}

TEST(TableBytes, GetSetGetOnAFreshTableGivesTheSameBytes) {
  const Table original = Receiptish();
  const Bytes first = WriteTable(original);
  Table fresh;
  ASSERT_TRUE(SetData(fresh, first));
  EXPECT_EQ(fresh.At(0, 0).text(), "代购店铺名称"_gbk);
  EXPECT_EQ(fresh.cells, original.cells);
  EXPECT_EQ(BlockAt(fresh, 0, 2), (Span{0, 0, 0, 2}));
  EXPECT_EQ(WriteTable(fresh), first);
}

TEST(TableBytes, EveryBitNotInterpretedSurvivesARoundTrip) {
  Table t(2, 2);
  t.second_setting = 0x12345678;
  t.title_rows = 99;  // more than the table has
  t.row_heights = {-5, 0};
  t.column_widths = {INT32_MAX, INT32_MIN};
  t.At(0, 0).flags = 0xFFFFFFFF;
  t.At(0, 1).text_colour = 0xDEADBEEF;
  t.At(0, 1).background_colour = 0x00112233;
  t.At(1, 0).font_size = -7;
  t.At(1, 0).font_style = 0x7ABC;
  t.At(1, 1).face = std::string(40, 'F');       // longer than a face field holds
  t.At(1, 1).data = {'n', 'o', 'e', 'n', 'd'};  // no terminator
  t.At(0, 1).data = {'a', 0, 'b', 0, 0};        // bytes after the terminator
  t.print.repeat_last_row = 7;
  t.print.page_number_position = -300;
  t.trailing = {1, 2, 3};
  const Bytes bytes = WriteTable(t);
  auto back = ReadTable(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, t);
  EXPECT_EQ(WriteTable(*back), bytes);
  EXPECT_EQ(back->At(0, 1).text(), "a");
}

TEST(TableBytes, ReadingRefusesEveryCutShortForm) {
  const Bytes bytes = WriteTable(Receiptish());
  for (std::size_t size = 0; size < bytes.size(); ++size)
    EXPECT_FALSE(ReadTable(std::span(bytes).first(size))) << size;
  EXPECT_TRUE(ReadTable(bytes));
}

TEST(TableBytes, ReadingRefusesAForeignMarkAndImpossibleCounts) {
  Bytes bytes = WriteTable(Receiptish());
  Bytes foreign = bytes;
  foreign[0] = 'g';
  EXPECT_FALSE(ReadTable(foreign));

  auto with_int = [&](std::size_t at, std::int32_t v) {
    Bytes b = bytes;
    for (int i = 0; i < 4; ++i)
      b[at + static_cast<std::size_t>(i)] =
          static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
    return b;
  };
  EXPECT_FALSE(ReadTable(with_int(4, -1)));         // rows
  EXPECT_FALSE(ReadTable(with_int(8, -1)));         // columns
  EXPECT_FALSE(ReadTable(with_int(4, INT32_MAX)));  // more rows than bytes
  EXPECT_FALSE(ReadTable(with_int(8, INT32_MAX)));
  EXPECT_FALSE(ReadTable(with_int(4, 5)));  // one row more than stored
  // The first cell's face length, negative and too long.
  const std::size_t face_length = 20 + 4 * 4 + 3 * 4 + 16;
  EXPECT_FALSE(ReadTable(with_int(face_length, -1)));
  EXPECT_FALSE(ReadTable(with_int(face_length, INT32_MAX)));
}

TEST(TableBytes, AnEmptyTableRoundTrips) {
  Table t;
  const Bytes bytes = WriteTable(t);
  EXPECT_EQ(bytes.size(), 4u + 16u + kPrintSettingsSize);
  auto back = ReadTable(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->rows(), 0);
  EXPECT_EQ(WriteTable(*back), bytes);
}

// Whatever the report book hands back, reading never fails unsafely, and
// what it accepts it writes back byte for byte.
TEST(TableBytes, ArbitraryBytesNeverBreakTheReader) {
  std::mt19937 random(20080501);
  const Bytes valid = WriteTable(Receiptish());
  int accepted = 0;
  for (int round = 0; round < 4000; ++round) {
    Bytes bytes = valid;
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i) {
      const std::size_t at = 4 + random() % (bytes.size() - 4);  // keep the mark
      switch (random() % 3) {
        case 0:
          bytes[at] = static_cast<std::uint8_t>(random());
          break;
        case 1:
          bytes.resize(at);
          break;
        default:
          bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       static_cast<std::uint8_t>(random()));
          break;
      }
      if (bytes.size() <= 4) break;
    }
    auto table = ReadTable(bytes);
    if (!table) continue;
    ++accepted;
    ASSERT_EQ(WriteTable(*table), bytes) << "round " << round;
    ASSERT_EQ(table->cells.size(),
              static_cast<std::size_t>(table->rows()) * static_cast<std::size_t>(table->columns()));
  }
  EXPECT_GT(accepted, 0);
  for (int round = 0; round < 2000; ++round) {
    Bytes bytes{'G', 'K', 'Q', 'Z'};
    const std::size_t size = random() % 200;
    for (std::size_t i = 0; i < size; ++i)
      bytes.push_back(static_cast<std::uint8_t>(random() % 4 == 0 ? random() : random() % 3));
    if (auto table = ReadTable(bytes)) {
      ASSERT_EQ(WriteTable(*table), bytes);
    }
  }
}

TEST(SetData, TakesTheSavedPrintSettingsAndKeepsThoseOfTheJob) {
  Table saved(1, 1);
  saved.print.margin_top = 100;
  saved.print.rows_per_page = 4;
  saved.print.copies = 9;  // not saved with the table
  Table t(3, 3);
  t.print.copies = 2;
  t.print.print_to_file = 1;
  t.print.output_file = "out.pdf";
  t.print.range_mode = 1;
  t.current_row = 2;
  ASSERT_TRUE(SetData(t, WriteTable(saved)));
  EXPECT_EQ(t.rows(), 1);
  EXPECT_EQ(t.print.margin_top, 100);
  EXPECT_EQ(t.print.rows_per_page, 4);
  EXPECT_EQ(t.print.copies, 2);
  EXPECT_EQ(t.print.output_file, "out.pdf");
  EXPECT_EQ(t.print.range_mode, 1);
  EXPECT_EQ(t.current_row, 0);
}

}  // namespace
}  // namespace report
