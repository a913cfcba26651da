#include "report/operations.h"

#include <gtest/gtest.h>

#include "platform/gbk.h"

namespace report {
namespace {

using platform::operator""_gbk;

std::vector<std::uint32_t> FlagsOf(const Table& t) {
  std::vector<std::uint32_t> flags;
  for (const Cell& cell : t.cells) flags.push_back(cell.flags);
  return flags;
}

// A table whose cells carry their position as text, "r,c" (1-based).
Table Numbered(int rows, int columns) {
  Table t(rows, columns);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      t.At(r, c).SetText(std::to_string(r + 1) + "," + std::to_string(c + 1));
  return t;
}

TEST(SetCellAttribute, StoresCodesTwoToFourteenAndOneForAnyOther) {
  struct Case {
    std::int64_t code;
    std::uint32_t stored;
  };
  for (Case c : {Case{0, 1}, Case{1, 1}, Case{2, 2}, Case{5, 5}, Case{14, 14}, Case{15, 1},
                 Case{-3, 1}, Case{100, 1}, Case{0x12, 1}}) {
    Table t(1, 1);
    t.At(0, 0).flags = 0x2000 | flag::kLineTop | 7;
    ASSERT_TRUE(SetCellAttribute(t, {1, 1, 1, 1}, c.code));
    EXPECT_EQ(t.At(0, 0).flags, 0x2000 | flag::kLineTop | c.stored) << "code " << c.code;
  }
}

TEST(SetCellAttribute, CutsTheBlockAtTheTableEdge) {
  Table t(3, 4);
  // The order form marks columns 3 and 4 from row 2 down with 8 columns asked.
  ASSERT_TRUE(SetCellAttribute(t, {2, 3, 8, 8}, 5));
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(t.At(r, c).flags, r >= 1 && c >= 2 ? 5u : 1u) << r << "," << c;
}

TEST(BlockClipping, NothingHappensOutsideTheTable) {
  struct Case {
    Block block;
    bool inside;
  };
  const Case cases[] = {
      {{0, 1, 1, 1}, false},         {{1, 0, 1, 1}, false},
      {{4, 1, 1, 1}, false},         {{1, 5, 1, 1}, false},
      {{1, 1, 0, 1}, false},         {{1, 1, 1, 0}, false},
      {{1, 1, -2, 1}, false},        {{3, 4, 1, 1}, true},
      {{3, 4, 99, 99}, true},        {{1, 1, INT64_MAX, INT64_MAX}, true},
      {{2, 2, INT64_MIN, 1}, false},
  };
  for (const Case& c : cases) {
    Table t(3, 4);
    const auto before = FlagsOf(t);
    EXPECT_EQ(SetCellAttribute(t, c.block, 9), c.inside)
        << c.block.row << " " << c.block.column << " " << c.block.rows << " " << c.block.columns;
    EXPECT_EQ(SetBorders(t, c.block, 63).has_value(), c.inside);
    EXPECT_EQ(MergeCells(t, c.block).has_value(), c.inside);
    if (!c.inside) {
      EXPECT_EQ(FlagsOf(t), before);
    }
  }
}

TEST(InsertRows, AppendsAtRowCountPlusOneAndRefusesBeyond) {
  Table t = Numbered(3, 2);
  ASSERT_TRUE(InsertRows(t, 4, 2));
  ASSERT_EQ(t.rows(), 5);
  EXPECT_EQ(t.At(2, 0).text(), "3,1");
  EXPECT_EQ(t.At(3, 0).text(), "");
  EXPECT_EQ(t.cells.size(), 10u);

  const Table before = t;
  EXPECT_FALSE(InsertRows(t, 7, 1));  // row count + 2
  EXPECT_FALSE(InsertRows(t, 0, 1));
  EXPECT_FALSE(InsertRows(t, 2, -1));
  EXPECT_EQ(t, before);
  EXPECT_TRUE(InsertRows(t, 2, 0));
  EXPECT_EQ(t, before);
}

TEST(InsertRows, PutsEmptyRowsBeforeTheGivenRow) {
  Table t = Numbered(3, 2);
  ASSERT_TRUE(InsertRows(t, 2, 2));
  ASSERT_EQ(t.rows(), 5);
  EXPECT_EQ(t.At(0, 1).text(), "1,2");
  EXPECT_EQ(t.At(1, 1).text(), "");
  EXPECT_EQ(t.At(2, 1).text(), "");
  EXPECT_EQ(t.At(3, 1).text(), "2,2");
  EXPECT_EQ(t.At(4, 1).text(), "3,2");
}

TEST(InsertRows, NewRowsTakeTheFormatOfTheRowAboveButNoLinesOrText) {
  Table t(2, 2);
  t.row_heights = {105, 59};
  t.At(1, 0).font_size = 49;
  t.At(1, 0).face = "Arial";
  t.At(1, 0).flags = 5 | flag::kLineMask;
  t.At(1, 0).SetText("x");
  t.At(0, 1).font_size = 70;
  ASSERT_TRUE(InsertRows(t, 3, 1));
  EXPECT_EQ(t.row_heights[2], 59);
  EXPECT_EQ(t.At(2, 0).font_size, 49);
  EXPECT_EQ(t.At(2, 0).face, "Arial");
  EXPECT_EQ(t.At(2, 0).flags, 1u);
  EXPECT_TRUE(t.At(2, 0).data.empty());

  // At the top the row below gives the format.
  ASSERT_TRUE(InsertRows(t, 1, 1));
  EXPECT_EQ(t.row_heights[0], 105);
  EXPECT_EQ(t.At(0, 1).font_size, 70);
}

TEST(InsertRows, IntoAnEmptyTableGivesRowsOfTheDefaultHeight) {
  Table t(0, 3);
  ASSERT_TRUE(InsertRows(t, 1, 2));
  EXPECT_EQ(t.rows(), 2);
  EXPECT_EQ(t.cells.size(), 6u);
  EXPECT_EQ(t.row_heights[0], Table::kDefaultRowHeight);
}

TEST(InsertRows, RowsInsideAMergedBlockJoinIt) {
  Table t(3, 2);
  ASSERT_TRUE(MergeCells(t, {1, 1, 2, 2}));
  ASSERT_TRUE(InsertRows(t, 2, 1));
  EXPECT_EQ(BlockAt(t, 0, 0), (Span{0, 0, 2, 1}));
  EXPECT_EQ(BlockAt(t, 3, 0), (Span{3, 0, 3, 0}));
}

TEST(InsertRows, RefusesToGrowPastTheLargestTable) {
  Table t(1, 10);
  EXPECT_FALSE(InsertRows(t, 1, kMaxCells));
  EXPECT_EQ(t.rows(), 1);
}

TEST(InsertRows, MovesTheCurrentRowWhenItStandsAtOrAfterThePoint) {
  struct Case {
    int current, row, count, expected;
  };
  for (Case c :
       {Case{0, 1, 2, 2}, Case{1, 2, 3, 4}, Case{2, 2, 1, 3}, Case{1, 3, 1, 1}, Case{0, 2, 5, 0}}) {
    Table t(3, 1);
    t.current_row = c.current;
    ASSERT_TRUE(InsertRows(t, c.row, c.count));
    EXPECT_EQ(t.current_row, c.expected);
  }
}

TEST(DeleteRows, RemovesRowsAndCutsTheCountAtTheLastRow) {
  Table t = Numbered(5, 2);
  ASSERT_TRUE(DeleteRows(t, 2, 2));
  ASSERT_EQ(t.rows(), 3);
  EXPECT_EQ(t.At(1, 0).text(), "4,1");
  // The report page empties its grid with 99 rows from row 1.
  ASSERT_TRUE(DeleteRows(t, 1, 99));
  EXPECT_EQ(t.rows(), 0);
  EXPECT_TRUE(t.cells.empty());
  EXPECT_EQ(t.columns(), 2);
}

TEST(DeleteRows, RefusesRowsOutsideTheTable) {
  Table t = Numbered(2, 2);
  const Table before = t;
  EXPECT_FALSE(DeleteRows(t, 0, 1));
  EXPECT_FALSE(DeleteRows(t, 3, 1));
  EXPECT_FALSE(DeleteRows(t, 1, -1));
  EXPECT_TRUE(DeleteRows(t, 1, 0));
  EXPECT_EQ(t, before);
  Table empty(0, 4);
  EXPECT_FALSE(DeleteRows(empty, 1, 99));
}

TEST(DeleteRows, KeepsTheRestOfAMergedBlockWhole) {
  Table t(4, 1);
  ASSERT_TRUE(MergeCells(t, {1, 1, 3, 1}));
  ASSERT_TRUE(DeleteRows(t, 3, 2));  // the block's bottom row and the row after it
  EXPECT_EQ(BlockAt(t, 0, 0), (Span{0, 0, 1, 0}));
  EXPECT_EQ(t.At(1, 0).flags & flag::kJoinDown, 0u);

  Table u(4, 1);
  ASSERT_TRUE(MergeCells(u, {2, 1, 3, 1}));
  ASSERT_TRUE(DeleteRows(u, 1, 2));  // the row above and the block's top row
  EXPECT_EQ(u.At(0, 0).flags & flag::kJoinUp, 0u);
  EXPECT_EQ(BlockAt(u, 0, 0), (Span{0, 0, 1, 0}));
}

TEST(SetCellText, ReplacesTheTextOfAnExistingCellOnly) {
  Table t(2, 2);
  EXPECT_TRUE(SetCellText(t, 2, 2, "合计"_gbk));
  EXPECT_EQ(t.At(1, 1).text(), "合计"_gbk);
  EXPECT_EQ(t.At(1, 1).data.back(), 0);
  EXPECT_FALSE(SetCellText(t, 3, 1, "x"));
  EXPECT_FALSE(SetCellText(t, 1, 0, "x"));
  EXPECT_TRUE(SetCellText(t, 2, 2, ""));
  EXPECT_TRUE(t.At(1, 1).data.empty());
  EXPECT_TRUE(SetCellText(t, 1, 1, std::string("ab\0cd", 5)));
  EXPECT_EQ(t.At(0, 0).text(), "ab");
}

// Expected flags of a 4 x 4 table after lining the block rows 2-3, columns
// 2-3 with one border flag.
TEST(SetBorders, EachFlagLinesItsSideOnBothCells) {
  constexpr std::uint32_t L = flag::kLineLeft, T = flag::kLineTop, R = flag::kLineRight,
                          B = flag::kLineBottom;
  struct Case {
    std::uint32_t border;
    std::uint32_t expected[4][4];
  };
  const Case cases[] = {
      {border::kLeft, {{0, 0, 0, 0}, {R, L, 0, 0}, {R, L, 0, 0}, {0, 0, 0, 0}}},
      {border::kRight, {{0, 0, 0, 0}, {0, 0, R, L}, {0, 0, R, L}, {0, 0, 0, 0}}},
      {border::kTop, {{0, B, B, 0}, {0, T, T, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
      {border::kBottom, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, B, B, 0}, {0, T, T, 0}}},
      {border::kInnerHorizontal, {{0, 0, 0, 0}, {0, B, B, 0}, {0, T, T, 0}, {0, 0, 0, 0}}},
      {border::kInnerVertical, {{0, 0, 0, 0}, {0, R, L, 0}, {0, R, L, 0}, {0, 0, 0, 0}}},
      {border::kFallingDiagonal, {{0, 0, 0, 0}, {0, 256, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
      {border::kRisingDiagonal, {{0, 0, 0, 0}, {0, 512, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
      {border::kHeavyFrame, {{0, 0, 0, 0}, {0, 1024, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
      {63,
       {{0, B, B, 0},
        {R, L | T | R | B, L | T | R | B, L},
        {R, L | T | R | B, L | T | R | B, L},
        {0, T, T, 0}}},
  };
  for (const Case& c : cases) {
    Table t(4, 4);
    ASSERT_TRUE(SetBorders(t, {2, 2, 2, 2}, c.border));
    for (int r = 0; r < 4; ++r)
      for (int col = 0; col < 4; ++col)
        EXPECT_EQ(t.At(r, col).flags, 1u | c.expected[r][col])
            << "border " << c.border << " cell " << r << "," << col;
  }
}

TEST(SetBorders, MarksNoCellBeyondTheTableEdge) {
  Table t(2, 2);
  ASSERT_TRUE(SetBorders(t, {1, 1, 2, 2}, border::kDefault));
  EXPECT_EQ(t.At(0, 0).flags, 1u | flag::kLineLeft | flag::kLineTop);
  EXPECT_EQ(t.At(1, 1).flags, 1u | flag::kLineRight | flag::kLineBottom);
  EXPECT_EQ(t.cells.size(), 4u);
}

TEST(SetBorders, OrsAndNeverClears) {
  Table t(1, 1);
  t.At(0, 0).flags = 0x2000 | flag::kJoinRight | flag::kLineBottom | 5;
  ASSERT_TRUE(SetBorders(t, {1, 1, 1, 1}, border::kTop));
  EXPECT_EQ(t.At(0, 0).flags, 0x2000 | flag::kJoinRight | flag::kLineBottom | flag::kLineTop | 5);
}

TEST(MergeCells, JoinsEveryCellOfTheBlockWithItsNeighbours) {
  Table t(4, 4);
  ASSERT_TRUE(MergeCells(t, {2, 1, 3, 3}));
  constexpr std::uint32_t U = flag::kJoinUp, D = flag::kJoinDown, L = flag::kJoinLeft,
                          R = flag::kJoinRight;
  const std::uint32_t expected[4][4] = {
      {0, 0, 0, 0},
      {D | R, D | L | R, D | L, 0},
      {U | D | R, U | D | L | R, U | D | L, 0},
      {U | R, U | L | R, U | L, 0},
  };
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(t.At(r, c).flags, 1u | expected[r][c]) << r << "," << c;
  EXPECT_EQ(BlockAt(t, 3, 2), (Span{1, 0, 3, 2}));
}

TEST(MergeCells, InsideAnEarlierMergeLeavesItsOtherCellsUnmerged) {
  Table t(1, 4);
  ASSERT_TRUE(MergeCells(t, {1, 1, 1, 4}));
  auto widened = MergeCells(t, {1, 2, 1, 2});
  ASSERT_TRUE(widened);
  EXPECT_EQ(*widened, (Span{0, 0, 0, 3}));
  EXPECT_EQ(t.At(0, 0).flags, 1u);
  EXPECT_EQ(t.At(0, 1).flags, 1u | flag::kJoinRight);
  EXPECT_EQ(t.At(0, 2).flags, 1u | flag::kJoinLeft);
  EXPECT_EQ(t.At(0, 3).flags, 1u);
  EXPECT_EQ(BlockAt(t, 0, 2), (Span{0, 1, 0, 2}));
}

TEST(MergeCells, WidensOverEveryBlockItTouchesAndKeepsOtherBits) {
  Table t(4, 4);
  ASSERT_TRUE(MergeCells(t, {1, 1, 2, 2}));  // rows 1-2, columns 1-2
  ASSERT_TRUE(MergeCells(t, {3, 3, 2, 2}));  // rows 3-4, columns 3-4
  t.At(1, 1).flags |= 0x2000 | flag::kLineBottom;
  // Rows 2-3 of column 2-3 touch both blocks: both are dissolved.
  auto widened = MergeCells(t, {2, 2, 2, 2});
  ASSERT_TRUE(widened);
  EXPECT_EQ(*widened, (Span{0, 0, 3, 3}));
  EXPECT_EQ(BlockAt(t, 0, 0), (Span{0, 0, 0, 0}));
  EXPECT_EQ(BlockAt(t, 3, 3), (Span{3, 3, 3, 3}));
  EXPECT_EQ(BlockAt(t, 2, 2), (Span{1, 1, 2, 2}));
  EXPECT_EQ(t.At(1, 1).flags & (0x2000 | flag::kLineBottom), 0x2000 | flag::kLineBottom);
}

TEST(MergeCells, ASingleCellDissolvesTheBlockAroundIt) {
  Table t(2, 2);
  ASSERT_TRUE(MergeCells(t, {1, 1, 2, 2}));
  ASSERT_TRUE(MergeCells(t, {2, 2, 1, 1}));
  for (const Cell& cell : t.cells) EXPECT_EQ(cell.flags, 1u);
}

TEST(MergeCells, ABlockRunningPastTheEdgeIsCut) {
  Table t(3, 4);
  // The order form merges 8 columns of a 4-column receipt.
  ASSERT_TRUE(MergeCells(t, {3, 1, 1, 8}));
  EXPECT_EQ(BlockAt(t, 2, 0), (Span{2, 0, 2, 3}));
}

TEST(MergeCells, JoinBitsPointingOutOfTheTableDoNotWidenPastIt) {
  Table t(2, 2);
  for (Cell& cell : t.cells) cell.flags |= flag::kJoinMask;
  ASSERT_TRUE(MergeCells(t, {1, 1, 1, 1}));
  for (const Cell& cell : t.cells) EXPECT_EQ(cell.flags & flag::kJoinMask, 0u);
}

TEST(BlockAt, DisagreeingBitsMakeACellABlockOfItsOwn) {
  Table t(2, 2);
  t.At(0, 1).flags |= flag::kJoinLeft;  // (0,0) does not join right
  EXPECT_EQ(BlockAt(t, 0, 1), (Span{0, 1, 0, 1}));
  EXPECT_EQ(BlockAt(t, 0, 0), (Span{0, 0, 0, 0}));
}

TEST(SetData, EmptyOrForeignBytesChangeNothing) {
  Table t = Numbered(2, 2);
  const Table before = t;
  EXPECT_FALSE(SetData(t, {}));
  const std::uint8_t foreign[] = {'G', 'K', 'Q', 'X', 0, 0, 0, 0};
  EXPECT_FALSE(SetData(t, foreign));
  EXPECT_EQ(t, before);
}

}  // namespace
}  // namespace report
