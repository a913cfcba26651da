#include "report/commands.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/gbk.h"
#include "receipt_builder.h"
#include "report/bindings.h"
#include "report/operations.h"
#include "report/printing.h"
#include "report/serial.h"
#include "runtime/command_table.h"
#include "tests/report/fake_unit_tables.h"

namespace report {
namespace {

using platform::operator""_gbk;
using runtime::Value;

using testing::FakeUnitTables;

class ReportCommands : public ::testing::Test {
 protected:
  ReportCommands() : bindings_({&units_, nullptr}) {
    RegisterReportCommands(commands_);
    DefaultPrintService().SetObserver([this](const PrintRecord& r) { records_.push_back(r); });
  }
  ~ReportCommands() override { DefaultPrintService().SetObserver(nullptr); }

  Value Call(const std::string& name, std::vector<Value> args) {
    const runtime::Command* command = commands_.Find(name);
    EXPECT_NE(command, nullptr) << name;
    return command != nullptr ? (*command)(args) : Value();
  }
  static Value Source() { return testing::DataSourceUnit(); }
  static Value Grid() { return testing::GridUnit(); }
  static Value Int(int v) { return Value::Int(v); }
  static Value Str(const std::string& s) { return Value::OfText(s); }
  void SetText(int row, int column, const std::string& text) {
    EXPECT_EQ(Call("DataSrcSetCellText", {Source(), Int(row), Int(column), Str(text)}),
              Value::Bool(true));
  }

  FakeUnitTables units_;
  ScopedBindings bindings_;
  runtime::CommandTable commands_;
  std::vector<PrintRecord> records_;
};

TEST_F(ReportCommands, OptionalArgumentsTakeTheirDefaults) {
  units_.table = Table(2, 2);
  EXPECT_EQ(Call("DataSrcInsertRows", {Source(), Int(3)}), Value::Bool(true));
  EXPECT_EQ(units_.table.rows(), 3);
  EXPECT_EQ(Call("DataSrcDeleteRows", {Source(), Int(1)}), Value::Bool(true));
  EXPECT_EQ(units_.table.rows(), 2);
  EXPECT_EQ(Call("DataSrcSetCellAttribute", {Source(), Int(1), Int(1)}), Value::Bool(true));
  EXPECT_EQ(units_.table.At(0, 0).flags, 1u);
  EXPECT_EQ(Call("DataSrcSetBorders", {Source(), Int(2), Int(2)}), Value());
  EXPECT_EQ(units_.table.At(1, 1).flags, 1u | flag::kLineMask);
  EXPECT_EQ(units_.table.At(0, 1).flags, 1u | flag::kLineBottom);
  EXPECT_EQ(Call("DataSrcMergeCells", {Source(), Int(1), Int(1), Value(), Int(2)}),
            Value::Bool(true));
  EXPECT_EQ(BlockAt(units_.table, 0, 0), (Span{0, 0, 0, 1}));
  EXPECT_EQ(units_.changes, 5);
}

TEST_F(ReportCommands, NumbersArriveAsAnyNumericTypeAndTruncate) {
  units_.table = Table(3, 1);
  EXPECT_EQ(Call("DataSrcSetCellText", {Source(), Value::Double(2.9), Value::Short(1), Str("x")}),
            Value::Bool(true));
  EXPECT_EQ(units_.table.At(1, 0).text(), "x");
  EXPECT_EQ(Call("DataSrcSetCellText", {Source(), Int(1), Int(1), Value::Double(12.5)}),
            Value::Bool(true));
  EXPECT_EQ(units_.table.At(0, 0).text(), "12.5");
}

TEST_F(ReportCommands, AnythingButItsDataSourceGivesFalseAndChangesNothing) {
  units_.table = Table(2, 2);
  const Table before = units_.table;
  for (const Value& unit : {Grid(), Value::Unit({1, 9}, testing::kDataSrcType), Int(1), Value()}) {
    EXPECT_EQ(Call("DataSrcInsertRows", {unit, Int(1)}), Value::Bool(false));
    EXPECT_EQ(Call("DataSrcSetCellText", {unit, Int(1), Int(1), Str("x")}), Value::Bool(false));
    EXPECT_EQ(Call("DataSrcGetData", {unit}), Value::OfBytes({}));
    EXPECT_EQ(Call("DataSrcSetData", {unit, Value::OfBytes(WriteTable(Table(1, 1)))}),
              Value::Bool(false));
  }
  EXPECT_EQ(Call("DataSrcSetData", {Source(), Str("GKQZ")}), Value::Bool(false));
  EXPECT_EQ(Call("DataSrcSetData", {Source(), Value::OfBytes({})}), Value::Bool(false));
  EXPECT_EQ(units_.table, before);
  EXPECT_EQ(units_.changes, 0);
  EXPECT_EQ(Call("GridPrint", {Source()}), Value::OfText(print_text::NoTable()));
}

TEST_F(ReportCommands, GetSetGetGivesTheSameBytes) {
  units_.table = Table(3, 3);
  SetText(1, 1, "代购"_gbk);
  Call("DataSrcMergeCells", {Source(), Int(2), Int(1), Int(2), Int(2)});
  const Value first = Call("DataSrcGetData", {Source()});
  units_.table = Table();
  EXPECT_EQ(Call("DataSrcSetData", {Source(), first}), Value::Bool(true));
  EXPECT_EQ(Call("DataSrcGetData", {Source()}), first);
}

TEST_F(ReportCommands, TheHeadlessPrintServiceHearsPreviewAndPrint) {
  units_.table = Table(8, 1);
  units_.table.print.rows_per_page = 3;
  EXPECT_EQ(Call("GridPrintPreview", {Grid()}), Value());
  EXPECT_EQ(Call("GridPrint", {Grid(), Value(), Str("代购订单"_gbk)}), Value::OfText(""));
  EXPECT_EQ(Call("GridPrint", {Grid()}), Value::OfText(""));
  ASSERT_EQ(records_.size(), 3u);
  EXPECT_TRUE(records_[0].preview);
  EXPECT_EQ(records_[0].unit_name, "表格1"_gbk);
  EXPECT_EQ(records_[0].pages.size(), 3u);
  EXPECT_EQ(records_[1].job_name, "代购订单"_gbk);
  EXPECT_EQ(records_[1].pages.back(), (Page{3, 6, 7, true}));
  EXPECT_EQ(records_[2].job_name, "报表"_gbk);
}

TEST_F(ReportCommands, PrintingToAFileWithoutANameFailsWithItsText) {
  units_.table = Table(1, 1);
  units_.table.print.print_to_file = 1;
  EXPECT_EQ(Call("GridPrint", {Grid(), Int(1), Str("x")}),
            Value::OfText("未指定欲打印到的文件名称"_gbk));
  EXPECT_TRUE(records_.empty());
}

// The receipt of an order with two items, built as the order form builds it.
TEST_F(ReportCommands, ATwoItemReceiptComesOutAsTheOrderFormExpects) {
  testing::BuildTwoItemReceipt(
      [this](const std::string& name, std::vector<Value> args) {
        Value result = Call(name, std::move(args));
        EXPECT_NE(result, Value::Bool(false)) << name;
        return result;
      },
      Source());

  const Table& t = units_.table;
  ASSERT_EQ(t.rows(), 12);
  EXPECT_EQ(t.At(6, 0).text(), "儿童凉鞋夏"_gbk);  // the first 10 bytes
  EXPECT_EQ(t.At(7, 0).text(), "USB集线器"_gbk);
  EXPECT_EQ(t.At(8, 0).text(), "合计"_gbk);
  EXPECT_EQ(t.At(8, 2).text(), "73");
  EXPECT_EQ(t.At(8, 3).text(), "55");
  EXPECT_EQ(t.At(9, 0).text(), "实收：55元  应收：73元  欠款：18元"_gbk);
  EXPECT_EQ(t.At(11, 0).text(), "★请妥善保管好次小票 提货须带来★"_gbk);
  for (int row : {9, 10, 11}) EXPECT_EQ(BlockAt(t, row, 0), (Span{row, 0, row, 3})) << row;
  for (int row : {6, 7, 8}) EXPECT_EQ(BlockAt(t, row, 0), (Span{row, 0, row, 0})) << row;
  // Lines over every cell from row 5 down; code 5 in columns 3 and 4.
  for (int row = 4; row < 12; ++row)
    for (int column = 0; column < 4; ++column) {
      EXPECT_EQ(t.At(row, column).flags & flag::kLineMask, flag::kLineMask) << row << "," << column;
      if (column >= 2) {
        EXPECT_EQ(t.At(row, column).attribute_code(), 5) << row << "," << column;
      }
    }
  EXPECT_EQ(t.At(1, 1).text(), "DG20080501001");
  EXPECT_EQ(t.At(0, 0).text(), "小林代购"_gbk);
  EXPECT_EQ(t.row_heights[7], 59);
}

}  // namespace
}  // namespace report
