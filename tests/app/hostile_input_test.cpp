// Hostile text in every edit box of every window: control characters, ten
// thousand characters, bytes that are not GBK, a lone lead byte at the end,
// NUL bytes, quotes and separators. Each text is typed into the box as a
// person types (into a box they can reach), then the buttons that use the
// box are pressed. Nothing may crash; the box holds what was typed, cut only
// at its maximum length and at whole characters; what is stored is exactly
// what the box held, or else nothing is stored and a message says why; and
// every data file verifies afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/layout/windows.h"
#include "forms/form_runtime.h"
#include "forms/ids.h"
#include "forms/units/edit_box.h"
#include "forms/window.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "runtime/convert.h"
#include "store/record_store.h"
#include "tests/app/headless_desk.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::Utf8ToGbk;

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

struct HostileText {
  const char* name;
  std::string bytes;  // GBK, or not
};

const std::vector<HostileText>& HostileTexts() {
  static const std::vector<HostileText> texts = {
      {"control characters", "\x01\x02\x03\t\r\n\x1b\x7f" + Utf8ToGbk("张") + "\x08\r"},
      {"ten thousand characters", Repeat(Utf8ToGbk("长"), 10000)},
      {"ten thousand bytes", Repeat("a", 9999) + Utf8ToGbk("尾")},
      {"not GBK", std::string("\x80\x81\xff\xfe\xa1\x20\x7f\xa0\x80\x5c")},
      {"lone lead byte at the end", Utf8ToGbk("张三") + "\xb3"},
      {"NUL bytes", std::string("ab\0cd\0", 6)},
      {"lead bytes before separators", std::string("\xb3\t\xb3\r\n\xb3\"\xb3\\\xb3")},
      {"quotes and separators", "\"'\\%s%n;,=[]#|<>&  " + Utf8ToGbk("前后空格") + "  "},
  };
  return texts;
}

// Where a box's text ends up.
struct Stored {
  enum class Kind { kNothing, kField, kSetting } kind = Kind::kNothing;
  const char* alias = "";  // UTF-8: the data file's alias, or the settings key
  int field = 0;
  const char* prefix = "";   // UTF-8: what the desk puts before the box's text
  const char* section = "";  // UTF-8: the settings section when it is not the key
};

Stored Field(const char* alias, int field, const char* prefix = "") {
  return {Stored::Kind::kField, alias, field, prefix};
}
Stored Setting(const char* key, const char* section = "") {
  return {Stored::Kind::kSetting, key, 0, "", section};
}

// "@type" marks where the hostile text is typed, "@check" where what is
// stored is compared with what the box held.
struct BoxCase {
  std::uint32_t window;
  const char* box;  // UTF-8 layout name
  std::vector<std::string> steps;
  Stored stored;
  const char* before_text = "";  // UTF-8, typed before the hostile text ("http://")
  bool never_reachable = false;  // hidden and disabled for good: nobody types there
};

// A whole order `N` on the order form, ready for 添加.
std::vector<std::string> OrderForm() {
  return {"page 选择夹1 0",        "type 代购单号_编辑框 N", "type 客户姓名 客户",
          "type 联系方法 1380000", "type 淘宝单号 TN",       "type 商品名称 商品",
          "type 商品单价 10",      "type 实收款 10",         "type 商品链接 http://item.example/N"};
}

std::vector<std::string> AddedOrder() {
  std::vector<std::string> lines = OrderForm();
  for (const char* line : {"answer yes", "click 添加", "click 保存报表", "click 新订单"})
    lines.push_back(line);
  return lines;
}

std::vector<std::string> ArrivedOrder() {
  std::vector<std::string> lines = AddedOrder();
  for (const char* line : {"page 选择夹1 2", "type 到货淘宝单号 TN", "click 到货查找", "click 全选",
                           "click 批量确认到货"})
    lines.push_back(line);
  return lines;
}

std::vector<std::string> PickedUpOrder() {
  std::vector<std::string> lines = ArrivedOrder();
  for (const char* line : {"page 选择夹1 3", "type 提货订购单号 N", "click 提货查找",
                           "type 提货人姓名 取货人", "tick 提货超级列表框 0", "click 提货"})
    lines.push_back(line);
  return lines;
}

std::vector<std::string> Then(std::vector<std::string> lines,
                              std::initializer_list<const char*> more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

// The order form's box under test is typed last, over its ordinary text.
BoxCase OrderBox(const char* box, Stored stored, const char* before_text = "") {
  return {desk::layout::kMainWindow, box,
          Then(OrderForm(), {"@type", "answer yes yes", "click 添加", "@check", "click 保存报表",
                             "click 新订单"}),
          stored, before_text};
}

BoxCase SearchBox(const char* page, const char* box, const char* button) {
  return {desk::layout::kMainWindow, box, Then(AddedOrder(), {page, "@type", button, "@check"}),
          Stored{}};
}

BoxCase CustomerBox(const char* box, int field) {
  return {desk::layout::kMainWindow,
          box,
          {"page 选择夹1 6", "type 客户管理姓名编辑框 客户", "type 客户管理联系编辑框 1380000",
           "type 身份证号码 1", "type 地址 路", "type 备注 无", "@type", "answer yes",
           "click 添加客户", "@check"},
          Field("客户库", field)};
}

BoxCase CancellationBox(const char* box, const char* other_box_line, Stored stored) {
  return {
      desk::layout::kCancellationWindow, box,
      Then(AddedOrder(),
           {"page 选择夹1 1", "type 查询购订单号 N", "click 订单编号查询",
            "select 查询超级列表框1 0", "answer yes", "rightclick 查询超级列表框1", "menu 删除订单",
            "@type", other_box_line, "answer yes", "click 按钮2", "@check", "close 悔单操作"}),
      stored};
}

BoxCase SettingsBox(const char* box, const char* key, const char* section = "") {
  return {desk::layout::kSettingsWindow,
          box,
          {"menu 设置店名及查询订单号码", "@type", "click 修改店名", "@check", "close 系统设定"},
          Setting(key, section)};
}

BoxCase AfterSalesStep(const char* box, std::vector<std::string> steps, Stored stored) {
  std::vector<std::string> lines = Then(
      PickedUpOrder(),
      {"page 选择夹1 4", "type 售后购订单号 N", "click 售后编号查询", "tick 售后超级列表框 0"});
  lines.insert(lines.end(), steps.begin(), steps.end());
  return {desk::layout::kMainWindow, box, lines, stored};
}

BoxCase OutputBox(const char* box) {
  return {desk::layout::kMainWindow, box, {"page 选择夹1 7", "@type"}, Stored{}};
}

// Every edit box of the three windows.
std::vector<BoxCase> AllBoxes() {
  return {
      OrderBox("代购单号_编辑框", Field("流水账", 1)),
      OrderBox("客户姓名", Field("流水账", 8)),
      OrderBox("联系方法", Field("流水账", 9)),
      OrderBox("淘宝单号", Field("流水账", 2)),
      OrderBox("商品名称", Field("流水账", 3)),
      OrderBox("商品链接", Field("流水账", 20), "http://"),
      OrderBox("商品单价", Stored{}),
      OrderBox("商品数量", Stored{}),
      OrderBox("运费", Stored{}),
      OrderBox("手续费", Stored{}),
      OrderBox("实收款", Stored{}),
      OrderBox("备注编辑框", Stored{}),
      SearchBox("page 选择夹1 1", "查询购订单号", "click 订单编号查询"),
      SearchBox("page 选择夹1 1", "查询订购客户姓名", "click 按客户姓名查询"),
      SearchBox("page 选择夹1 2", "到货淘宝单号", "click 到货查找"),
      SearchBox("page 选择夹1 3", "提货订购单号", "click 提货查找"),
      SearchBox("page 选择夹1 4", "售后购订单号", "click 售后编号查询"),
      SearchBox("page 选择夹1 5", "报表订单号", "click 订单编号查询3"),
      SearchBox("page 选择夹1 6", "查找客户姓名编辑框", "click 查找客户"),
      SearchBox("page 选择夹1 6", "查找联系编辑框", "click 查找客户"),
      {desk::layout::kMainWindow, "提货人姓名",
       Then(ArrivedOrder(), {"page 选择夹1 3", "type 提货订购单号 N", "click 提货查找",
                             "tick 提货超级列表框 0", "@type", "click 提货", "@check"}),
       Field("流水账", 14)},
      AfterSalesStep("售后情况", {"@type", "click 提交说明", "@check"}, Field("流水账", 16)),
      {desk::layout::kMainWindow, "售后到货说明", {"page 选择夹1 4", "@type"}, Stored{}, "", true},
      AfterSalesStep(
          "售后提货人",
          {"type 售后情况 坏了", "click 提交说明", "tick 售后超级列表框 0", "click 售后到货按钮",
           "tick 售后超级列表框 0", "@type", "click 售后提货", "@check"},
          Field("流水账", 18, "售后提货，提货人是")),
      CustomerBox("客户管理姓名编辑框", 1),
      CustomerBox("客户管理联系编辑框", 2),
      CustomerBox("身份证号码", 3),
      CustomerBox("地址", 4),
      CustomerBox("备注", 5),
      OutputBox("订金统计"),
      OutputBox("退款统计"),
      OutputBox("余款统计"),
      OutputBox("现金统计"),
      SettingsBox("店名编辑框", "店名"),
      SettingsBox("查询号码编辑框", "订单查询号码"),
      SettingsBox("备份位置编辑框", "位置", "备份"),
      CancellationBox("编辑框1", "type 编辑框2 5", Field("流水账", 16)),
      CancellationBox("编辑框2", "type 编辑框1 不要了", Stored{}),
  };
}

bool Reachable(const forms::EditBox& box) {
  if (!box.IsShown() || !box.window().enabled()) return false;
  for (const forms::Unit* at = &box; at != nullptr; at = at->container())
    if (at->disabled_flag()) return false;
  return true;
}

// What the box must hold after `typed`: for a box that takes any character,
// the text up to its first NUL, cut to the box's maximum length at a whole
// character.
std::string Expected(const forms::EditBox& box, const std::string& typed) {
  std::string text = typed.substr(0, typed.find('\0'));
  const int limit = box.settings().max_length;
  return limit > 0 ? std::string(platform::LeadingBytes(text, static_cast<std::size_t>(limit)))
                   : text;
}

// Runs one box's steps once per hostile text in one desk run.
class BoxRun {
 public:
  BoxRun(const BoxCase& box, const std::filesystem::path& dir) : box_(box), dir_(dir) {
    for (std::size_t t = 0; t < HostileTexts().size(); ++t) {
      const std::string number = "H" + std::to_string(t);
      for (std::string line : box.steps) {
        for (std::size_t at; (at = line.find(" N")) != std::string::npos && at + 2 == line.size();)
          line.replace(at, 2, " " + number);
        for (std::size_t at; (at = line.find("TN")) != std::string::npos;)
          line.replace(at, 2, "T" + number);
        for (std::size_t at; (at = line.find("/N")) != std::string::npos;)
          line.replace(at, 2, "/" + number);
        plan_.push_back({line, t});
      }
    }
  }

  std::optional<std::string> Next(const std::string& transcript) {
    while (next_ < plan_.size()) {
      const auto& [line, text] = plan_[next_++];
      if (line == "@type") {
        TypeNow(HostileTexts()[text], transcript);
      } else if (line == "@check") {
        CheckNow(HostileTexts()[text], transcript);
      } else {
        return line;
      }
    }
    return std::nullopt;
  }

  int typed() const { return typed_; }

 private:
  // What is stored now where the box's text goes, how many records that
  // data file has, and every field of its last record.
  struct Snapshot {
    std::string text;
    int count = 0;
    std::vector<std::string> record;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
  };
  Snapshot StoredNow() const {
    const Stored& s = box_.stored;
    if (s.kind == Stored::Kind::kSetting) {
      const std::string file =
          Utf8ToGbk(testing_support::Utf8Of(dir_ / testing_support::Utf8Path("配置.ini")));
      return {platform::ReadIniValue(file, Utf8ToGbk(*s.section ? s.section : s.alias),
                                     Utf8ToGbk(s.alias))
                  .value_or(""),
              0,
              {}};
    }
    if (s.kind != Stored::Kind::kField || !store::SelectDatabase(Utf8ToGbk(s.alias))) return {};
    Snapshot now;
    now.count = store::GetRecordCount();
    store::GoLast();
    now.text = runtime::ToText(store::ReadField(s.field));
    for (int field = 1; field <= (std::string_view(s.alias) == "流水账" ? 22 : 5); ++field)
      now.record.push_back(runtime::ToText(store::ReadField(field)));
    return now;
  }

  forms::EditBox* Box() const {
    forms::Window* window = forms::FormRuntime::Current()->FindWindow(box_.window);
    if (window == nullptr) return nullptr;
    return dynamic_cast<forms::EditBox*>(window->FindUnitByName(Utf8ToGbk(box_.box)));
  }

  void TypeNow(const HostileText& text, const std::string& transcript) {
    forms::EditBox* box = Box();
    ASSERT_NE(box, nullptr) << box_.box << " is not open";
    if (box->read_only()) return;  // nobody can type there
    if (box_.never_reachable) {
      EXPECT_FALSE(Reachable(*box)) << box_.box;
      return;
    }
    ASSERT_TRUE(Reachable(*box)) << box_.box << " cannot be reached for " << text.name;
    before_ = StoredNow();
    mark_ = transcript.size();
    const std::string typed = Utf8ToGbk(box_.before_text) + text.bytes;
    box->Type(typed);
    ++typed_;
    content_ = box->content();
    if (box->input_mode() == 0) {
      EXPECT_EQ(content_, Expected(*box, typed)) << box_.box << ": " << text.name;
    }
  }

  void CheckNow(const HostileText& text, const std::string& transcript) {
    if (box_.stored.kind == Stored::Kind::kNothing) return;
    const auto now = StoredNow();
    if (now.text == Utf8ToGbk(box_.stored.prefix) + content_) return;  // stored as shown
    // Not stored as shown: then nothing may have changed, and a message
    // must have said so.
    EXPECT_TRUE(now == before_) << box_.box << ": " << text.name
                                << " was stored differently or in part";
    EXPECT_NE(std::string_view(transcript).substr(mark_).find("MSG \""), std::string_view::npos)
        << box_.box << ": " << text.name << " was not stored, and nothing said so";
  }

  const BoxCase& box_;
  std::filesystem::path dir_;
  std::vector<std::pair<std::string, std::size_t>> plan_;
  std::size_t next_ = 0;
  Snapshot before_;
  std::string content_;
  std::size_t mark_ = 0;
  int typed_ = 0;
};

class HostileInput : public ::testing::TestWithParam<std::size_t> {};

TEST_P(HostileInput, EveryTextIsHeldAsTypedAndStoredAsShownOrRefusedAloud) {
  const BoxCase box = AllBoxes()[GetParam()];
  SCOPED_TRACE(box.box);
  testing_support::TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));
  BoxRun run(box, dir.path());
  const std::string transcript =
      desk_test::RunDesk(dir.path(), [&](const std::string& so_far) { return run.Next(so_far); });
  EXPECT_EQ(transcript.find("\nERROR "), std::string::npos) << transcript;
  EXPECT_EQ(transcript.find("SCRIPT-ERROR"), std::string::npos) << transcript;
  for (const char* file : {"流水账.ldg", "客户库.ldg", "报表库.ldg"}) {
    std::string report;
    EXPECT_EQ(desk_test::VerifyDataFile(dir.path(), file, report), 0) << file << "\n" << report;
  }
  RecordProperty("texts_typed", run.typed());
  if (std::getenv("ORDERDESK_SHOW_TRANSCRIPT") != nullptr) std::cout << transcript;
}

INSTANTIATE_TEST_SUITE_P(EveryEditBox, HostileInput,
                         ::testing::Range<std::size_t>(0, AllBoxes().size()));

// The table covers every edit box of the window template, and no other.
TEST(HostileInputTable, NamesEveryEditBoxOfEveryWindow) {
  std::set<std::pair<std::uint32_t, std::string>> in_template, in_table;
  for (const BoxCase& box : AllBoxes()) in_table.insert({box.window, box.box});
  testing_support::TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));
  desk_test::RunDesk(dir.path(), [&](const std::string&) -> std::optional<std::string> {
    for (const forms::WindowBlock& window : forms::FormRuntime::Current()->tmpl().windows)
      for (const forms::TableEntry& entry : window.entries)
        if (const auto* unit = std::get_if<forms::UnitRecord>(&entry);
            unit != nullptr && unit->type == forms::unit_type::kEditBox)
          in_template.insert({window.id, platform::GbkToUtf8(unit->name)});
    return std::nullopt;
  });
  EXPECT_EQ(in_table, in_template);
}

}  // namespace
