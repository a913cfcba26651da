// Sorting a list view by a column, as a click on its header does.
#include <gtest/gtest.h>

#include "forms/units/list_order.h"
#include "forms/units/list_view.h"
#include "platform/gbk.h"
#include "tests/forms/runtime_harness.h"

namespace forms::testing {
namespace {

using platform::operator""_gbk;

TEST(CellKey, NumbersDateTimesAndTextsEachInTheirOwnOrder) {
  struct Case {
    const char* before;  // UTF-8
    const char* after;
  };
  for (Case c : {
           Case{"9", "10"},
           {"-2", "1"},
           {"-10", "-2"},
           {"12.5", "12.50001"},
           {"0.05", "0.5"},
           {"9007199254740992", "9007199254740993"},  // past a double's exact integers
           {"999999999999999999", "1000000000000000000"},
           {"2026年12月1日9时", "2026年12月1日10时30分"},
           {"2026年1月2日", "2026年12月1日"},
           {"2026年12月1日23时59分59秒", "悔单时间：2026年12月2日"},
           {"1899年12月29日12时", "1899年12月29日18时"},  // before the day line's zero
           {"", "0"},
           {"——", "2026年1月1日"},
           {"99999", "2026年1月1日"},
           {"2026年1月1日", "TB1"},
           {"TB10", "TB8"},
           {"11010519491231002X", "110105194912310030X"},
           {"没到货", "已到货"},  // GBK C3 BB before D2 D1, unlike their code points
       }) {
    const CellKey before(platform::Utf8ToGbk(c.before)), after(platform::Utf8ToGbk(c.after));
    EXPECT_TRUE(before < after) << c.before << " < " << c.after;
    EXPECT_FALSE(after < before) << c.after << " < " << c.before;
  }
  EXPECT_FALSE(CellKey("12.50") < CellKey("12.5"));
  EXPECT_FALSE(CellKey("12.5") < CellKey("12.50"));
  EXPECT_FALSE(CellKey("——"_gbk) < CellKey(""));
}

class ListSort : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_.forms().LoadWindow(kMain, 0, false);
    list_ = &dynamic_cast<ListView&>(harness_.UnitNamed(kMain, "列表"));
  }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> cells;
    for (int row = 0; row < list_->row_count(); ++row)
      cells.push_back(platform::GbkToUtf8(list_->CellText(row, column)));
    return cells;
  }
  Harness harness_;
  ListView* list_ = nullptr;
};

TEST_F(ListSort, TicksDataAndTheSelectionGoWithTheirRowsAndKeptRowsStayLast) {
  list_->AppendRows({{"b", "10"}, {"a", "9"}, {"c", "100"}}, 1, {11, 12, 13});
  const int total = list_->InsertRow(-1, "合计"_gbk, -1, 1, 0, 0);
  list_->SetCellText(total, 1, "119");
  list_->KeepAtEnd(total);
  list_->SetChecked(1, true);  // "a"
  list_->Select(2);            // "c"

  ASSERT_TRUE(list_->SortBy(1));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"9", "10", "100", "119"}));
  EXPECT_EQ(list_->Data(0), 12);
  EXPECT_EQ(list_->StateImage(0), 2) << "the tick went with its row";
  EXPECT_EQ(list_->selected_row(), 2);
  EXPECT_EQ(list_->CellText(list_->selected_row(), 0), "c");

  ASSERT_TRUE(list_->SortBy(1));  // the same header again: reversed
  EXPECT_TRUE(list_->sort_descending());
  EXPECT_EQ(Column(1), (std::vector<std::string>{"100", "10", "9", "119"}));
  EXPECT_EQ(list_->selected_row(), 0);
  EXPECT_EQ(list_->Data(2), 12);

  ASSERT_TRUE(list_->SortBy(0));  // another header: rising again
  EXPECT_FALSE(list_->sort_descending());
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "b", "c", "合计"}));
  EXPECT_FALSE(list_->SortBy(2));
  EXPECT_FALSE(list_->SortBy(-1));

  // A new fill comes in the order the assistant chose.
  list_->Clear();
  list_->AppendRows({{"y"}, {"x"}}, 1, {2, 1});
  EXPECT_EQ(Column(0), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(list_->Data(0), 1);
}

TEST_F(ListSort, CellsKeepTheirTextsThroughBatchesInsertsAndRewrites) {
  list_->AppendRows({{"a", "1"}}, 1, {7});
  ListRowBatch batch(2);
  batch.AddCell("b");
  batch.AddCell("2");
  batch.AddCell("dropped");
  batch.EndRow(8);
  batch.AddCell("c");  // its second cell missing: empty
  batch.EndRow(9);
  batch.OpenCell() += "e";  // written into the open cell, never closed
  batch.EndRow(10);
  list_->AppendRows(std::move(batch), 2);
  list_->InsertRow(0, "top", -1, 1, 0, 0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"top", "a", "b", "c", "e"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"", "1", "2", "", ""}));
  EXPECT_EQ(list_->Data(2), 8);
  EXPECT_EQ(list_->StateImage(2), 2);

  // Rewriting the first cell of a row in the middle keeps the cell after it;
  // many long rewrites make the list write its texts anew, in row order.
  const std::string long_text(2000, 'x');
  for (int round = 0; round < 1500; ++round) {
    ASSERT_TRUE(list_->SetCellText(1 + round % 2, 0, round % 3 ? long_text : "a"));
    ASSERT_TRUE(list_->SetCellText(3, 1, std::to_string(round)));
  }
  list_->SetCellText(1, 0, "A");
  list_->SetCellText(2, 0, "bb");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"top", "A", "bb", "c", "e"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"", "1", "2", "1499", ""}));
  std::vector<std::string> cells;
  for (const Text& cell : list_->row(2).cells) cells.push_back(cell);
  EXPECT_EQ(cells, (std::vector<std::string>{"bb", "2"}));
  EXPECT_FALSE(list_->SetCellText(1, 2, "no such column"));
  EXPECT_EQ(list_->CellText(1, 2), "");
}

}  // namespace
}  // namespace forms::testing
