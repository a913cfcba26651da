#include "driver/driver.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "driver/script_text.h"
#include "platform/file_names.h"
#include "platform/gbk.h"
#include "runtime/command_table.h"
#include "runtime/date_time.h"

namespace driver {
namespace {

const char* AnswerWord(platform::BoxAnswer answer) {
  switch (answer) {
    case platform::BoxAnswer::kOk:
      return "ok";
    case platform::BoxAnswer::kCancel:
      return "cancel";
    case platform::BoxAnswer::kAbort:
      return "abort";
    case platform::BoxAnswer::kRetry:
      return "retry";
    case platform::BoxAnswer::kIgnore:
      return "ignore";
    case platform::BoxAnswer::kYes:
      return "yes";
    case platform::BoxAnswer::kNo:
      return "no";
  }
  return "ok";
}

std::optional<platform::BoxAnswer> ParseAnswer(std::string_view word) {
  using platform::BoxAnswer;
  for (BoxAnswer answer : {BoxAnswer::kOk, BoxAnswer::kCancel, BoxAnswer::kAbort, BoxAnswer::kRetry,
                           BoxAnswer::kIgnore, BoxAnswer::kYes, BoxAnswer::kNo})
    if (word == AnswerWord(answer)) return answer;
  return std::nullopt;
}

// Verbs that only prepare what comes next; they are no action on a window.
bool IsPreparation(std::string_view verb) {
  for (std::string_view preparing : {"now", "clipboard", "answer", "password", "filename"})
    if (verb == preparing) return true;
  return false;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

}  // namespace

Driver::Driver(std::ostream& out)
    : out_(out),
      // The clock runs with the real time until the script sets it.
      services_(platform::Services{&system_clock_, &clipboard_, &dialogs_}) {
  dialogs_.SetBoxObserver([this](const platform::ShownBox& box) {
    Print("MSG " + Quoted(box.caption) + " " + Quoted(box.text) +
          " style=" + std::to_string(box.style) + " -> " + AnswerWord(box.answer) +
          (box.answered_by_default ? " (default)" : ""));
  });
  clipboard_.SetObserver([this](const std::string& text) { Print("CLIPBOARD " + Quoted(text)); });
  dialogs_.SetErrorObserver([this](const std::string& text) { Print("ERROR " + Quoted(text)); });
  dialogs_.SetPromptObserver([this](const platform::ShownPrompt& shown) {
    Print("PASSWORD " + Quoted(shown.caption) + " " + Quoted(shown.prompt) + " -> " +
          (shown.answer ? "ok" : "cancel"));
  });
  dialogs_.SetFileObserver([this](const platform::ShownFileDialog& shown) {
    Print("FILE " + Quoted(shown.caption) + " -> " +
          (shown.answer ? Quoted(*shown.answer) : std::string("cancel")) +
          (shown.answered_by_default ? " (default)" : ""));
  });
  dialogs_.SetOpenObserver(
      [this](const std::string& address) { Print("OPEN " + Quoted(address)); });
  dialogs_.SetStatusObserver([this](const std::string& text) { Print("STATUS " + Quoted(text)); });
  dialogs_.SetExportObserver([this](const std::string& path, int rows) {
    Print("EXPORT " + Quoted(path) + " rows=" + std::to_string(rows));
  });
  AddBuiltInVerbs();
}

Driver::~Driver() {
  for (auto undo = on_end_.rbegin(); undo != on_end_.rend(); ++undo) (*undo)();
  out_.flush();
}

void Driver::AddVerb(std::string name, Verb verb) { verbs_[std::move(name)] = std::move(verb); }

void Driver::Print(std::string_view line) {
  out_ << line << '\n';
  // A runtime error ends the process without unwinding: keep the transcript
  // complete at every line.
  out_.flush();
}

void Driver::PrintIgnored() { Print("IGNORED " + current_line_); }

void Driver::Begin(std::istream& script) {
  script_ = &script;
  ended_ = false;
}

const std::string* Driver::PeekAction() {
  if (pending_) return &*pending_;
  if (ended_ || script_ == nullptr) return nullptr;
  std::string raw;
  while (std::getline(*script_, raw)) {
    ++line_number_;
    std::string_view line = Trimmed(raw);
    if (line.empty() || line[0] == '#') continue;
    pending_ = std::string(line);
    pending_line_number_ = line_number_;
    return &*pending_;
  }
  return nullptr;
}

bool Driver::RunPreamble() {
  while (const std::string* line = PeekAction()) {
    std::string_view verb = std::string_view(*line).substr(0, line->find(' '));
    if (verb != "now" && verb != "clipboard" && verb != "answer") break;
    if (!Step()) return status_ == 0;
  }
  return status_ == 0;
}

bool Driver::Step() {
  if (ended_ || PeekAction() == nullptr) {
    ended_ = true;
    return false;
  }
  current_line_ = std::move(*pending_);
  pending_.reset();
  int line_number = pending_line_number_;
  std::string_view line = current_line_;
  std::size_t space = line.find(' ');
  std::string_view verb = line.substr(0, space);
  std::string_view rest = space == std::string_view::npos ? "" : line.substr(space + 1);
  auto it = verbs_.find(verb);
  try {
    if (it == verbs_.end()) throw ScriptError{"unknown verb " + std::string(verb)};
    it->second(rest);
    if (on_preparation_ && IsPreparation(verb)) on_preparation_();
  } catch (const ScriptError& error) {
    Print("SCRIPT-ERROR line " + std::to_string(line_number) + ": " + error.why);
    status_ = 2;
    ended_ = true;
    return false;
  }
  return true;
}

int Driver::RunToEnd() {
  while (Step()) {
  }
  return status_;
}

void Driver::AddBuiltInVerbs() {
  AddVerb("now", [this](std::string_view rest) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    std::string text(rest);
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
        mo < 1 || mo > 12 || d < 1 || d > runtime::DaysInMonth(y, mo) || h < 0 || h > 23 ||
        mi < 0 || mi > 59 || s < 0 || s > 59)
      throw ScriptError{"bad time: " + text};
    clock_.Set({y, mo, d, h, mi, s});
    platform::Current().clock = &clock_;
  });
  AddVerb("clipboard", [this](std::string_view rest) { clipboard_.Put(ScriptTextToGbk(rest)); });
  AddVerb("dump-status",
          [this](std::string_view) { Print("status " + Quoted(dialogs_.status())); });
  // dump-file PATH: prints a text file the program wrote (an exported .csv),
  // as `file "PATH" bytes=N bom=0|1` and then each of its CR LF lines.
  AddVerb("dump-file", [this](std::string_view rest) {
    const std::string gbk_path = ScriptTextToGbk(rest);
    const std::string utf8 = platform::NativePath(gbk_path);
    std::ifstream in(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())),
                     std::ios::binary);
    if (!in) return Print("file " + Quoted(gbk_path) + " missing");
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const bool bom = content.starts_with("\xEF\xBB\xBF");
    Print("file " + Quoted(gbk_path) + " bytes=" + std::to_string(content.size()) +
          " bom=" + (bom ? "1" : "0"));
    std::string_view text(content);
    if (bom) text.remove_prefix(3);
    while (!text.empty()) {
      const std::size_t end = text.find("\r\n");
      Print(Quoted(platform::Utf8ToGbk(text.substr(0, end))));
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 2);
    }
  });
  AddVerb("dump-clipboard", [this](std::string_view) {
    auto text = platform::Current().clipboard->GetText();
    Print("clipboard " + Quoted(text.value_or("")));
  });
  AddVerb("answer", [this](std::string_view rest) {
    while (!rest.empty()) {
      std::size_t space = rest.find(' ');
      std::string_view word = rest.substr(0, space);
      auto answer = ParseAnswer(word);
      if (!answer) throw ScriptError{"unknown answer " + std::string(word)};
      dialogs_.QueueAnswer(*answer);
      rest = space == std::string_view::npos ? "" : rest.substr(space + 1);
    }
  });
  // filename PATH / filename: the next file dialog picks PATH, or is cancelled.
  AddVerb("filename", [this](std::string_view rest) {
    if (rest.empty())
      dialogs_.QueueFileName(std::nullopt);
    else
      dialogs_.QueueFileName(ScriptTextToGbk(rest));
  });
  AddVerb("call", [this](std::string_view rest) {
    std::size_t space = rest.find(' ');
    std::string name(rest.substr(0, space));
    std::string why;
    auto args = ParseCallArgs(space == std::string_view::npos ? "" : rest.substr(space + 1),
                              resolve_unit_, why);
    if (!args) throw ScriptError{why};
    auto result = runtime::CallCommand(name, *args);
    if (!result) throw ScriptError{"unknown command " + name};
    Print(FormatResult(*result));
  });
}

}  // namespace driver
