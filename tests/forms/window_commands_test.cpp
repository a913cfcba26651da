#include "forms/commands.h"

#include <gtest/gtest.h>

#include "forms/units/list_view.h"
#include "platform/headless/headless.h"
#include "tests/forms/runtime_harness.h"
#include "tests/support/expect_report.h"

namespace forms::testing {
namespace {

using platform::operator""_gbk;
using runtime::Value;

Value Call(const char* name, std::vector<Value> args) {
  static bool registered = [] {
    RegisterWindowCommands(runtime::Commands());
    return true;
  }();
  (void)registered;
  auto result = runtime::CallCommand(name, args);
  EXPECT_TRUE(result.has_value()) << name;
  return result.value_or(Value());
}

class ListCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_.forms().LoadWindow(kMain, 0, false);
    list_ = Value::Unit(harness_.Ref(kMain, "列表"), unit_type::kListView);
  }
  Harness harness_;
  Value list_;
  const Value _;  // an omitted argument
};

TEST_F(ListCommands, InsertRowDefaultsAndPositions) {
  EXPECT_EQ(Call("ListInsertRow", {list_}), Value::Int(0));
  EXPECT_EQ(Call("ListInsertRow", {list_, Value::Int(-5), Value::OfText("末")}), Value::Int(1));
  EXPECT_EQ(Call("ListInsertRow", {list_, Value::Int(0), Value::OfText("首")}), Value::Int(0));
  EXPECT_EQ(Call("ListInsertRow", {list_, Value::Int(99)}), Value::Int(3)) << "past the end";
  EXPECT_EQ(Call("ListRowCount", {list_}), Value::Int(4));
  EXPECT_EQ(Call("ListGetCellText", {list_, Value::Int(0)}), Value::OfText("首"));
  EXPECT_EQ(Call("ListGetCellText", {list_, Value::Int(2), Value::Int(0)}), Value::OfText("末"));
  auto& list = dynamic_cast<ListView&>(harness_.UnitNamed(kMain, "列表"));
  EXPECT_EQ(list.row(1).image, -1);
  EXPECT_EQ(list.row(1).state_image, 1) << "unticked";
  Call("ListInsertRow", {list_, _, _, Value::Int(-7), Value::Int(1), Value::Int(-3)});
  EXPECT_EQ(list.row(4).image, -1) << "below -1 means none";
  EXPECT_EQ(list.row(4).state_image, 2) << "check state 1 is state image 2";
  EXPECT_EQ(list.row(4).indent, 0);
}

TEST_F(ListCommands, CellsAndCheckStates) {
  Call("ListInsertRow", {list_});
  Call("ListSetCellText", {list_, Value::Int(0), Value::Int(1), Value::OfText("张三"_gbk)});
  Call("ListSetCellText", {list_, Value::Int(0), Value::Int(7), Value::OfText("无此列")});
  Call("ListSetCellText", {list_, Value::Int(5), Value::Int(0), Value::OfText("无此行")});
  EXPECT_EQ(Call("ListGetCellText", {list_, Value::Int(0), Value::Int(1)}),
            Value::OfText("张三"_gbk));
  EXPECT_EQ(Call("ListGetCellText", {list_, Value::Int(0), Value::Int(7)}), Value::OfText(""));
  std::string long_text(3000, 'x');
  Call("ListSetCellText", {list_, Value::Int(0), Value::Int(0), Value::OfText(long_text)});
  EXPECT_EQ(Call("ListGetCellText", {list_, Value::Int(0)}), Value::OfText(long_text));

  EXPECT_EQ(Call("ListGetCheckState", {list_, Value::Int(0)}), Value::Int(0));
  Call("ListSetCheckState", {list_, Value::Int(0), Value::Int(1)});
  EXPECT_EQ(Call("ListGetCheckState", {list_, Value::Int(0)}), Value::Int(1));
  Call("ListSetCheckState", {list_, Value::Int(0)});
  EXPECT_EQ(Call("ListGetCheckState", {list_, Value::Int(0)}), Value::Int(0));
  Call("ListSetCheckState", {list_, Value::Int(0), Value::Int(-9)});
  EXPECT_EQ(Call("ListGetCheckState", {list_, Value::Int(0)}), Value::Int(-1)) << "no check box";
  EXPECT_EQ(Call("ListGetCheckState", {list_, Value::Int(3)}), Value::Int(-1)) << "no such row";

  Call("ListClear", {list_});
  EXPECT_EQ(Call("ListRowCount", {list_}), Value::Int(0));
}

TEST_F(ListCommands, SelectionFollowsInsertsAndClears) {
  auto& list = dynamic_cast<ListView&>(harness_.UnitNamed(kMain, "列表"));
  Call("ListInsertRow", {list_});
  Call("ListInsertRow", {list_});
  list.Select(1);
  Call("ListInsertRow", {list_, Value::Int(0)});
  EXPECT_EQ(harness_.forms().ReadProperty(list.ref(), property::kSelectedRow), Value::Int(2));
  Call("ListClear", {list_});
  EXPECT_EQ(harness_.forms().ReadProperty(list.ref(), property::kSelectedRow), Value::Int(-1));
}

TEST_F(ListCommands, OtherUnitsGiveTheFailureResults) {
  Value button = Value::Unit(harness_.Ref(kMain, "按钮"), unit_type::kButton);
  EXPECT_EQ(Call("ListInsertRow", {button}), Value::Int(-1));
  EXPECT_EQ(Call("ListRowCount", {button}), Value::Int(0));
  EXPECT_EQ(Call("ListGetCellText", {Value::Int(3), Value::Int(0)}), Value::OfText(""));
}

TEST_F(ListCommands, WindowCommands) {
  Value dialog = Value::Unit({kDialog, 0}, unit_type::kWindow);
  EXPECT_EQ(Call("LoadWindow", {dialog, _, Value::Bool(false)}), Value::Bool(true));
  EXPECT_EQ(Call("LoadWindow", {dialog}), Value::Bool(true)) << "already open";
  EXPECT_EQ(harness_.forms().windows().size(), 2u);
  Call("SetFocus", {Value::Unit(harness_.Ref(kDialog, "关"), unit_type::kButton)});
  EXPECT_EQ(harness_.forms().focus(), &harness_.UnitNamed(kDialog, "关"));
  Call("CloseWindow", {dialog, Value::Bool(true)});
  EXPECT_EQ(harness_.forms().FindWindow(kDialog), nullptr);
  EXPECT_EQ(harness_.forms().focus(), nullptr);
  EXPECT_EQ(Call("LoadWindow", {Value::Int(1)}), Value::Bool(false));
}

TEST(WindowCommandsDeathTest, AListOfAClosedWindowEndsInTheErrorReport) {
  testing_support::ExpectRuntimeErrorReport(
      [] {
        Harness harness;
        Call("ListRowCount", {Value::Unit(harness.Ref(kMain, "列表"), unit_type::kListView)});
      },
      "指定窗口或窗口组件不存在或尚未载入");
}

}  // namespace
}  // namespace forms::testing
