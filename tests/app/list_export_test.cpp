// What 导出到Excel takes from a list: the rows in the order shown, each
// cell with the kind a spreadsheet should hold it as.
#include "app/list_export.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/gbk.h"
#include "tests/app/headless_desk.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::operator""_gbk;
using spreadsheet::CellKind;

const std::vector<std::string> kSortedDateQuery = {
    "now 2026-12-05 10:00:00",
    "call SelectDatabase \"流水账\"",
    "call AppendRecord \"S001\" \"2026120112345678\" \"毛衣\" 2.0 100.5 0.0 9.0 \"张三\" "
    "\"13800000001\" \"\" @2026-12-01 09:00:00 @2026-12-02 10:30:05 _ _ _ _ _ \"已到货\"",
    "call AppendRecord \"S002\" \"TB2\" \"围巾\" 1.0 9.0 0.0 9.0 \"李四\" \"13800000002\" \"\" "
    "@2026-12-01 08:00:00 _ _ _ _ _ _ \"没到货\"",
    "page 选择夹1 1",
    "date 开始日期框 2026-12-01",
    "date 结束日期框 2026-12-01",
    "click 按日期查询",
    "sort 查询超级列表框1 4"};

TEST(SheetOfList, TakesTheRowsAsShownWithAmountsDatesAndTotalsAsSuch) {
  testing_support::TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));
  std::size_t step = 0;
  spreadsheet::Sheet sheet;
  desk_test::RunDesk(dir.path(), [&](const std::string&) -> std::optional<std::string> {
    if (step < kSortedDateQuery.size()) return kSortedDateQuery[step++];
    sheet = desk::SheetOfList(desk::ExportedList::kQuery);
    return std::nullopt;
  });
  ASSERT_EQ(sheet.header.size(), 16u);
  EXPECT_EQ(sheet.header[5], "下单时间"_gbk);
  ASSERT_EQ(sheet.rows.size(), 4u) << "two orders, the blank row, the totals row";

  // Sorted by 商品总价: the cheaper order first.
  const auto& cheap = sheet.rows[0];
  EXPECT_EQ(cheap[1].text, "S002");
  EXPECT_EQ(cheap[4].kind, CellKind::kNumber);
  EXPECT_EQ(cheap[4].number, 9);
  EXPECT_EQ(cheap[9].kind, CellKind::kText) << "a date never set shows ——";
  EXPECT_EQ(cheap[9].text, "——"_gbk);

  const auto& dear = sheet.rows[1];
  EXPECT_EQ(dear[0].kind, CellKind::kText) << "a long marketplace number stays a text";
  EXPECT_EQ(dear[3].kind, CellKind::kNumber);
  EXPECT_EQ(dear[3].number, 2);
  EXPECT_EQ(dear[4].number, 100.5);
  EXPECT_EQ(dear[7].kind, CellKind::kText) << "telephone numbers stay texts";
  ASSERT_EQ(dear[9].kind, CellKind::kDateTime);
  EXPECT_EQ(dear[9].text, "2026年12月2日10时30分5秒"_gbk);
  const platform::LocalTime arrived = dear[9].when;
  EXPECT_EQ((std::vector<int>{arrived.year, arrived.month, arrived.day, arrived.hour,
                              arrived.minute, arrived.second}),
            (std::vector<int>{2026, 12, 2, 10, 30, 5}));
  ASSERT_EQ(dear[5].kind, CellKind::kDateTime);
  EXPECT_EQ(dear[5].when.hour, 9);

  // The totals row last: its words stay texts, its amounts are numbers.
  const auto& totals = sheet.rows[3];
  EXPECT_EQ(totals[0].text, "合计"_gbk);
  EXPECT_EQ(totals[0].kind, CellKind::kText);
  EXPECT_EQ(totals[3].kind, CellKind::kNumber);
  EXPECT_EQ(totals[3].number, 3);
  EXPECT_EQ(totals[5].kind, CellKind::kNumber);
  EXPECT_EQ(totals[5].number, 109.5);
}

}  // namespace
