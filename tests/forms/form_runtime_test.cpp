#include "forms/form_runtime.h"

#include <gtest/gtest.h>

#include "forms/keyboard.h"
#include "forms/template_io.h"
#include "forms/units/edit_box.h"
#include "forms/units/list_view.h"
#include "forms/units/tab.h"
#include "platform/headless/headless.h"
#include "tests/forms/runtime_harness.h"
#include "tests/support/expect_report.h"

namespace forms::testing {
namespace {

using platform::operator""_gbk;
using runtime::Value;
using Strings = std::vector<std::string>;

TEST(LoadWindow, RaisesCreatedAndStartsOnTheFirstPage) {
  Harness harness;
  ASSERT_TRUE(harness.forms().LoadWindow(kMain, 0, false));
  EXPECT_EQ(Log(), Strings{"created"});
  EXPECT_TRUE(harness.UnitNamed(kMain, "按钮").IsShown());
  EXPECT_FALSE(harness.UnitNamed(kMain, "框").IsShown());
  EXPECT_FALSE(harness.UnitNamed(kMain, "标签").IsShown()) << "inside a group box of page 2";
  EXPECT_TRUE(harness.UnitNamed(kMain, "标签").visible_flag());
  EXPECT_FALSE(harness.forms().LoadWindow(0x52019999, 0, false)) << "not in the template";
  EXPECT_FALSE(harness.forms().LoadWindow(kDialog, 0x52019999, false)) << "parent not loaded";
  EXPECT_TRUE(harness.forms().LoadWindow(kDialog, 0x52019999, true)) << "a modal load ignores it";
}

TEST(WriteProperty, SingleLineContentRaisesContentChangedBeforeReturning) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  Log().clear();
  harness.forms().WriteProperty(harness.Ref(kMain, "单行"), property::kContent,
                                Value::OfText("张三"_gbk));
  EXPECT_EQ(Log(), Strings{"单行:张三"});
  // The same text again still raises it.
  harness.forms().WriteProperty(harness.Ref(kMain, "单行"), property::kContent,
                                Value::OfText("张三"_gbk));
  EXPECT_EQ(Log().size(), 2u);
  harness.forms().WriteProperty(harness.Ref(kMain, "多行"), property::kContent,
                                Value::OfText("a\r\nb"));
  EXPECT_EQ(Log().size(), 2u) << "a multi-line box raises nothing";
  EXPECT_EQ(harness.forms().ReadProperty(harness.Ref(kMain, "多行"), property::kContent),
            Value::OfText("a\r\nb"));
}

TEST(WriteProperty, CommonPropertiesOfEveryUnit) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  auto ref = harness.Ref(kMain, "按钮");
  auto& forms = harness.forms();
  forms.WriteProperty(ref, property::kTag, Value::OfText("订单"_gbk));
  forms.WriteProperty(ref, property::kDisabled, Value::Bool(true));
  forms.WriteProperty(ref, property::kLeft, Value::Int(7));
  forms.WriteProperty(ref, property::kWidth, Value::Int(-5));
  EXPECT_EQ(forms.ReadProperty(ref, property::kTag), Value::OfText("订单"_gbk));
  EXPECT_EQ(forms.ReadProperty(ref, property::kDisabled), Value::Bool(true));
  EXPECT_EQ(forms.ReadProperty(ref, property::kLeft), Value::Int(7));
  EXPECT_EQ(forms.ReadProperty(ref, property::kWidth), Value::Int(0));
  EXPECT_EQ(forms.ReadProperty(ref, property::kCaption), Value::OfText("按"_gbk));
  EXPECT_FALSE(harness.UnitNamed(kMain, "按钮").IsEnabled());
  // The window's caption is property 8 of its own unit (unit id 0).
  forms.WriteProperty({kMain, 0}, property::kCaption, Value::OfText("小王代购"_gbk));
  EXPECT_EQ(forms.FindWindow(kMain)->caption(), "小王代购"_gbk);
}

TEST(Tab, WritingTheCurrentPageShowsThatPageOnly) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  Log().clear();
  harness.forms().WriteProperty(harness.Ref(kMain, "页"), property::kCurrentPage, Value::Int(1));
  EXPECT_EQ(harness.forms().ReadProperty(harness.Ref(kMain, "页"), property::kCurrentPage),
            Value::Int(1));
  EXPECT_FALSE(harness.UnitNamed(kMain, "按钮").IsShown());
  EXPECT_TRUE(harness.UnitNamed(kMain, "标签").IsShown());
  EXPECT_TRUE(Log().empty()) << "a written page raises nothing";
  harness.forms().WriteProperty(harness.Ref(kMain, "页"), property::kCurrentPage, Value::Int(9));
  EXPECT_TRUE(harness.UnitNamed(kMain, "标签").IsShown()) << "a page out of range is ignored";
  // A hidden unit stays hidden when its page comes back.
  harness.forms().WriteProperty(harness.Ref(kMain, "按钮"), property::kVisible, Value::Bool(false));
  dynamic_cast<Tab&>(harness.UnitNamed(kMain, "页")).ChoosePage(0);
  EXPECT_FALSE(harness.UnitNamed(kMain, "按钮").IsShown());
  EXPECT_EQ(Log(), Strings{"页"}) << "the user's click ends in Clicked";
}

TEST(EditBox, TypingFiltersAndLeavingNormalises) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  auto& box = dynamic_cast<EditBox&>(harness.UnitNamed(kMain, "整数"));
  Log().clear();
  box.Type("99x999999999");
  EXPECT_EQ(Log(), Strings{"整数:99999999999"});
  harness.forms().UserLeave(box);
  EXPECT_EQ(Log(), (Strings{"整数:99999999999", "整数:2147483647"}));
  harness.forms().UserLeave(box);
  EXPECT_EQ(Log().size(), 2u) << "an unchanged text raises nothing";
  box.Type("0");
  harness.forms().UserLeave(box);
  EXPECT_EQ(box.content(), "");
}

TEST(Focus, MovingTheFocusNormalisesTheBoxLeft) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  auto& box = dynamic_cast<EditBox&>(harness.UnitNamed(kMain, "小数"));
  harness.forms().SetFocus(box);
  box.Type("1.50");
  harness.forms().SetFocus(harness.UnitNamed(kMain, "单行"));
  EXPECT_EQ(box.content(), "1.5");
  EXPECT_EQ(harness.forms().focus(), &harness.UnitNamed(kMain, "单行"));
}

struct PopupRecorder : RuntimeObserver {
  std::vector<std::vector<std::string>> popups;
  void PopupShown(const Window&, const std::vector<PopupItem>& items) override {
    popups.emplace_back();
    for (const PopupItem& item : items) popups.back().push_back(platform::GbkToUtf8(item.caption));
  }
};

TEST(Menu, AHiddenItemIsLeftOutOfTheNextPopup) {
  Harness harness;
  PopupRecorder recorder;
  harness.forms().SetObserver(&recorder);
  harness.forms().LoadWindow(kMain, 0, false);
  auto menu = harness.Ref(kMain, "弹出");
  harness.forms().PopupMenu({kMain, 0}, menu, 1, 2);
  harness.forms().WriteProperty(harness.Ref(kMain, "乙"), property::kMenuVisible,
                                Value::Bool(false));
  EXPECT_EQ(harness.forms().ReadProperty(harness.Ref(kMain, "乙"), property::kMenuVisible),
            Value::Bool(false));
  harness.forms().PopupMenu({kMain, 0}, menu, std::nullopt, std::nullopt);
  // A menu of another window, or an item that is not a menu, shows nothing.
  harness.forms().PopupMenu({kMain, 0}, harness.Ref(kMain, "甲"), 1, 2);
  harness.forms().PopupMenu({kMain, 0}, {kDialog, menu.unit}, 1, 2);
  EXPECT_EQ(recorder.popups, (std::vector<Strings>{{"甲", "乙"}, {"甲"}}));
  Window& window = *harness.forms().FindWindow(kMain);
  EXPECT_FALSE(harness.forms().ChooseMenuItem(window, harness.MenuItemId("乙")));
  EXPECT_TRUE(harness.forms().ChooseMenuItem(window, harness.MenuItemId("甲")));
  EXPECT_EQ(Log().back(), "甲");
  EXPECT_TRUE(harness.forms().MenuBarItems(window).empty()) << "pop-up menus stay out of the bar";
  harness.forms().SetObserver(nullptr);
}

TEST(Menu, ItemStateOutlivesTheWindow) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  harness.forms().WriteProperty(harness.Ref(kMain, "甲"), property::kMenuDisabled,
                                Value::Bool(true));
  harness.forms().CloseWindow(kMain, true);
  harness.forms().LoadWindow(kMain, 0, false);
  EXPECT_EQ(harness.forms().ReadProperty(harness.Ref(kMain, "甲"), property::kMenuDisabled),
            Value::Bool(true));
}

TEST(LoadWindow, ModalBlocksTheOthersUntilClosedAndOpensOnce) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  bool main_was_enabled = true;
  std::size_t windows_after_second_load = 0;
  harness.Then([&] {
    main_was_enabled = harness.forms().FindWindow(kMain)->enabled();
    EXPECT_TRUE(harness.forms().LoadWindow(kDialog, 0, true));
    windows_after_second_load = harness.forms().windows().size();
  });
  harness.Then([&] { harness.forms().UserClose(*harness.forms().FindWindow(kDialog)); });
  harness.Then([&] { ADD_FAILURE() << "the modal loop ran past its window"; });
  EXPECT_TRUE(harness.forms().LoadWindow(kDialog, 0, true));
  EXPECT_FALSE(main_was_enabled);
  EXPECT_EQ(windows_after_second_load, 2u);
  EXPECT_TRUE(harness.forms().FindWindow(kMain)->enabled());
  EXPECT_EQ(harness.forms().FindWindow(kDialog), nullptr);
}

TEST(CloseWindow, PostedCloseWaitsForTheHandlerAndAtOnceIsSafe) {
  Harness harness;
  harness.forms().LoadWindow(kDialog, 0, false);
  dynamic_cast<Button&>(harness.UnitNamed(kDialog, "迟关")).Click();
  EXPECT_EQ(Log(), Strings{"still open"});
  harness.desktop().RunPosted();
  EXPECT_EQ(harness.forms().FindWindow(kDialog), nullptr);
  // A handler that closes its own window at once: the click must not touch
  // the destroyed button afterwards.
  harness.forms().LoadWindow(kDialog, 0, false);
  dynamic_cast<Button&>(harness.UnitNamed(kDialog, "关")).Click();
  EXPECT_EQ(Log().back(), "closed");
  EXPECT_EQ(harness.forms().FindWindow(kDialog), nullptr);
}

TEST(MessageLoop, EndsWhenTheActionsRunOutWithEveryWindowClosed) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  harness.forms().LoadWindow(kDialog, 0, false);
  harness.Then([&] { dynamic_cast<Button&>(harness.UnitNamed(kMain, "按钮")).Click(); });
  harness.forms().RunMessageLoop();
  EXPECT_TRUE(harness.forms().windows().empty());
  EXPECT_EQ(Log().back(), "按钮");
}

TEST(Events, ABindingOfMinusOneRunsNothing) {
  Harness harness;
  harness.forms().LoadWindow(kMain, 0, false);
  Log().clear();
  dynamic_cast<Button&>(harness.UnitNamed(kMain, "无")).Click();
  EXPECT_TRUE(Log().empty());
}

using testing_support::ExpectRuntimeErrorReport;

TEST(PropertyDeathTest, MisuseEndsInTheErrorReport) {
  ExpectRuntimeErrorReport(
      [] {
        Harness harness;
        harness.forms().ReadProperty({kDialog, harness.Ref(kDialog, "关").unit},
                                     property::kCaption);
      },
      "未载入欲访问窗口组件所在的窗口");
  ExpectRuntimeErrorReport(
      [] {
        Harness harness;
        harness.forms().LoadWindow(kMain, 0, false);
        harness.forms().WriteProperty(harness.Ref(kMain, "单行"), property::kContent,
                                      Value::OfBytes({1}));
      },
      "错误代码：5");
  ExpectRuntimeErrorReport(
      [] {
        Harness harness;
        harness.forms().LoadWindow(kMain, 0, false);
        harness.forms().ReadProperty({kMain, 0x16019999}, property::kCaption);
      },
      "指定窗口或窗口组件不存在或尚未载入");
  ExpectRuntimeErrorReport([] { Harness().forms().CloseWindow(kDialog, false); },
                           "指定窗口或窗口组件不存在或尚未载入");
  ExpectRuntimeErrorReport([] { Harness().forms().LoadStartWindow(0x52019999); },
                           "载入启动窗口失败");
}

TEST(EventDeathTest, AMemoryShortageInAHandlerEndsInTheMemoryReport) {
  ExpectRuntimeErrorReport(
      [] {
        Harness harness;
        harness.forms().LoadWindow(kMain, 0, false);
        ButtonRunsOutOfMemory() = true;
        dynamic_cast<Button&>(harness.UnitNamed(kMain, "按钮")).Click();
      },
      "字节内存失败!");
}

TEST(TemplateDeathTest, DamagedSegmentOrBindingEndsInTheErrorReport) {
  ExpectRuntimeErrorReport(
      [] {
        HeadlessDesktop desktop([] { return false; });
        Bytes segment = WriteTemplate(layout::BuildTemplate(TestWindows(), TestHandlers()));
        segment.resize(segment.size() / 2);
        FormRuntime::FromSegment(segment, TestHandlers(), desktop);
      },
      "错误信息：载入窗口模板数据段出错!");
  ExpectRuntimeErrorReport(
      [] {
        HeadlessDesktop desktop([] { return false; });
        auto handlers = TestHandlers();
        Bytes segment = WriteTemplate(layout::BuildTemplate(TestWindows(), handlers));
        // One handler fewer than the template binds.
        handlers.pop_back();
        FormRuntime::FromSegment(segment, handlers, desktop);
      },
      "载入窗口模板数据段出错!");
}

TEST(Keyboard, TabFollowsTheTabOrderAndPassesByWhatTakesNoFocus) {
  Harness harness;
  FormRuntime& forms = harness.forms();
  forms.LoadWindow(kMain, 0, false);
  auto name = [](const Unit* unit) {
    return unit == nullptr ? std::string("none") : platform::GbkToUtf8(unit->name());
  };
  Strings order;
  for (const Unit* unit : TabOrder(*forms.FindWindow(kMain))) order.push_back(name(unit));
  EXPECT_EQ(order, (Strings{"小数", "单行", "按钮", "多行", "整数", "列表", "无"}));
  struct Step {
    const char* from;
    Key key;
    const char* to;
  };
  const Step steps[] = {
      {"小数", Key::kTab, "单行"},
      {"单行", Key::kShiftTab, "小数"},
      {"小数", Key::kShiftTab, "无"},  // round the start
      {"无", Key::kTab, "小数"},       // round the end
  };
  for (const Step& step : steps) {
    PressKey(forms, harness.UnitNamed(kMain, step.from), step.key);
    EXPECT_EQ(name(forms.focus()), step.to) << step.from;
  }
  // A disabled unit, and one of a page not shown, are passed by.
  harness.UnitNamed(kMain, "多行").WriteProperty(property::kDisabled, Value::Bool(true));
  forms.WriteProperty(harness.Ref(kMain, "页"), property::kCurrentPage, Value::Int(1));
  PressKey(forms, harness.UnitNamed(kMain, "单行"), Key::kTab);
  EXPECT_EQ(name(forms.focus()), "整数");
}

TEST(Keyboard, EnterPressesTheBoxsButtonAndEscapeClosesOnlyAWindowThatSaysSo) {
  Harness harness;
  FormRuntime& forms = harness.forms();
  forms.LoadWindow(kMain, 0, false);
  Log().clear();
  PressKey(forms, harness.UnitNamed(kMain, "小数"), Key::kEnter);
  PressKey(forms, harness.UnitNamed(kMain, "单行"), Key::kEnter);
  EXPECT_EQ(Log(), Strings{"按钮"}) << "a box without an Enter button presses nothing";
  harness.UnitNamed(kMain, "按钮").WriteProperty(property::kDisabled, Value::Bool(true));
  PressKey(forms, harness.UnitNamed(kMain, "小数"), Key::kEnter);
  EXPECT_EQ(Log(), Strings{"按钮"}) << "a disabled button is not pressed";
  PressKey(forms, harness.UnitNamed(kMain, "单行"), Key::kEscape);
  EXPECT_NE(forms.FindWindow(kMain), nullptr);
  forms.LoadWindow(kDialog, kMain, false);
  PressKey(forms, harness.UnitNamed(kDialog, "迟关"), Key::kEscape);
  EXPECT_EQ(forms.FindWindow(kDialog), nullptr);
}

}  // namespace
}  // namespace forms::testing
