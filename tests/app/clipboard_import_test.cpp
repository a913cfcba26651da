// Clipboard texts of any size and shape reach the order-text import without
// harm: it either fills the marketplace number and goods name with words of
// the copied text (cut at the boxes' lengths and at whole characters), which
// an add then stores exactly, or it says why not and leaves the form alone.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/layout/windows.h"
#include "forms/form_runtime.h"
#include "forms/units/edit_box.h"
#include "forms/window.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "runtime/convert.h"
#include "store/record_store.h"
#include "tests/app/headless_desk.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::Utf8ToGbk;

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

enum class Outcome { kFills, kRefuses, kEither };

struct ClipboardCase {
  const char* name;
  std::string text;  // GBK, or not
  Outcome outcome;
};

std::vector<ClipboardCase> Cases() {
  const std::string label = Utf8ToGbk("订单编号：");
  const std::string crlf = "\r\n";
  const std::string order = label + "123 " + Utf8ToGbk("成交时间 店 和我联系") + crlf +
                            Utf8ToGbk("羊毛衫 男款") + crlf + "128.00";
  return {
      {"empty", "", Outcome::kRefuses},
      {"one megabyte on one line", Repeat("x", 1 << 20), Outcome::kRefuses},
      {"an order followed by a megabyte", order + crlf + Repeat(Utf8ToGbk("长"), 1 << 19),
       Outcome::kFills},
      {"a megabyte goods title", label + "1 a b c d" + crlf + Repeat("y ", 1 << 19),
       Outcome::kFills},
      {"only line breaks", Repeat(crlf, 5000), Outcome::kRefuses},
      {"only spaces and a line break", Repeat(" ", 1000) + crlf + " ", Outcome::kRefuses},
      {"thousands of lines", label + "9 1 2 3" + crlf + Repeat(Utf8ToGbk("行") + crlf, 5000),
       Outcome::kFills},
      {"not GBK", label + "\x80\xff\x81 a b c" + crlf + "\xfe\xfe\x80" + crlf + "\xb3",
       Outcome::kEither},
      {"NUL bytes", label + std::string("1\0 2 3 4", 8) + crlf + std::string("x\0y", 3),
       Outcome::kEither},
      {"a lead byte before the line break", label + "12 a b c\xb3" + crlf + "x" + crlf,
       Outcome::kEither},
      {"a lone lead byte at the end", order + "\xb3", Outcome::kFills},
      {"words of ten thousand characters",
       label + Repeat("1", 10000) + " a b c d" + crlf + Repeat(Utf8ToGbk("长"), 10000),
       Outcome::kFills},
      {"fewer than six words", label + "1 a" + crlf + "b", Outcome::kRefuses},
      {"the number not first", "2026 " + label + "1 a b c" + crlf + "d", Outcome::kRefuses},
      {"control characters", label + "\t1\x01 a b c" + crlf + "\x1b\x7f", Outcome::kEither},
      // Copied outside Windows: the clipboard edge makes the ends CR LF.
      {"line feeds only", label + "1 a b c d\nf\ng", Outcome::kFills},
      {"the plain order", order, Outcome::kFills},
  };
}

// The messages the import may give instead of filling the form.
constexpr const char* kRefusals[] = {"请进入淘宝-已买到的宝贝 复制订单信息！",
                                     "订单内容未正确复制，请重新复制",
                                     "订单内容复制错误，请重新复制"};

const forms::EditBox& Box(const char* name) {
  forms::Window* window = forms::FormRuntime::Current()->FindWindow(desk::layout::kMainWindow);
  return dynamic_cast<const forms::EditBox&>(*window->FindUnitByName(Utf8ToGbk(name)));
}

bool WholeCharacters(const std::string& text) {
  return platform::LeadingBytes(text, text.size()).size() == text.size();
}

class ImportRun {
 public:
  ImportRun() : cases_(Cases()) {
    for (const char* line :
         {"type 代购单号_编辑框 C1", "type 客户姓名 客户", "type 联系方法 1380000"})
      plan_.push_back({line, 0});
    for (std::size_t i = 0; i < cases_.size(); ++i)
      for (const char* line : {"@clipboard", "click 获得订单信息", "@check", "type 商品单价 10",
                               "type 商品链接 http://item.example/1", "type 实收款 10",
                               "answer yes", "click 添加", "@stored"})
        plan_.push_back({line, i});
  }

  std::optional<std::string> Next(const std::string& transcript) {
    while (next_ < plan_.size()) {
      const auto& [line, i] = plan_[next_++];
      const ClipboardCase& c = cases_[i];
      if (line == "@clipboard") {
        platform::Current().clipboard->SetText(c.text);
        number_before_ = Box("淘宝单号").content();
        name_before_ = Box("商品名称").content();
        mark_ = transcript.size();
      } else if (line == "@check") {
        Check(c, std::string_view(transcript).substr(mark_));
      } else if (line == "@stored") {
        Stored(c);
      } else {
        return line;
      }
    }
    return std::nullopt;
  }

 private:
  void Check(const ClipboardCase& c, std::string_view shown) {
    const std::string number = Box("淘宝单号").content();
    const std::string name = Box("商品名称").content();
    filled_ = shown.find("MSG ") == std::string_view::npos;
    if (!filled_) {
      bool known = false;
      for (const char* refusal : kRefusals) known |= shown.find(refusal) != std::string_view::npos;
      EXPECT_TRUE(known) << c.name << ": " << shown;
      EXPECT_NE(c.outcome, Outcome::kFills) << c.name << ": " << shown;
      EXPECT_EQ(number, number_before_) << c.name;
      EXPECT_EQ(name, name_before_) << c.name;
      return;
    }
    EXPECT_NE(c.outcome, Outcome::kRefuses) << c.name;
    // Both boxes hold words of the copied text, whole characters only.
    const std::string text = c.text.substr(0, c.text.find('\0'));
    std::string no_spaces = text;
    std::erase(no_spaces, ' ');
    EXPECT_NE(text.find(number), std::string::npos) << c.name;
    EXPECT_NE(no_spaces.find(name), std::string::npos) << c.name;
    for (const std::string* word : {&number, &name}) {
      EXPECT_TRUE(WholeCharacters(*word)) << c.name;
      EXPECT_EQ(word->find_first_of(" \r\n"), std::string::npos) << c.name;
    }
    EXPECT_LE(number.size(), static_cast<std::size_t>(Box("淘宝单号").settings().max_length));
    EXPECT_LE(name.size(), static_cast<std::size_t>(Box("商品名称").settings().max_length));
    number_ = number;
    name_ = name;
    store::SelectDatabase(Utf8ToGbk("流水账"));
    count_ = store::GetRecordCount();
  }

  // What the add stored is what the import put in the boxes.
  void Stored(const ClipboardCase& c) {
    if (!filled_ || number_.empty()) return;
    store::SelectDatabase(Utf8ToGbk("流水账"));
    ASSERT_EQ(store::GetRecordCount(), count_ + 1) << c.name;
    store::GoLast();
    EXPECT_EQ(runtime::ToText(store::ReadField(2)), number_) << c.name;
    EXPECT_EQ(runtime::ToText(store::ReadField(3)), name_) << c.name;
  }

  std::vector<ClipboardCase> cases_;
  std::vector<std::pair<std::string, std::size_t>> plan_;
  std::size_t next_ = 0;
  std::size_t mark_ = 0;
  std::string number_before_, name_before_, number_, name_;
  bool filled_ = false;
  int count_ = 0;
};

TEST(ClipboardImport, AnyTextFillsTheFormWithItsWordsOrSaysWhyNot) {
  testing_support::TempDir dir;
  ASSERT_TRUE(desk_test::InitShop(dir.path()));
  ImportRun run;
  const std::string transcript =
      desk_test::RunDesk(dir.path(), [&](const std::string& so_far) { return run.Next(so_far); });
  EXPECT_EQ(transcript.find("\nERROR "), std::string::npos);
  EXPECT_EQ(transcript.find("SCRIPT-ERROR"), std::string::npos);
  std::string report;
  EXPECT_EQ(desk_test::VerifyDataFile(dir.path(), "流水账.ldg", report), 0) << report;
}

}  // namespace
