// Headless implementations of the platform services: used by scripts, tests
// and whenever no window system is wanted.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace platform {

// The real local time.
class SystemClock : public Clock {
 public:
  LocalTime Now() override;
};

// A clock that stands still at the time it was last set to.
class FixedClock : public Clock {
 public:
  explicit FixedClock(LocalTime time = {2000, 1, 1, 0, 0, 0}) : time_(time) {}
  void Set(LocalTime time) { time_ = time; }
  LocalTime Now() override { return time_; }

 private:
  LocalTime time_;
};

// A clipboard held in memory. The observer, if set, hears of every text the
// program puts there (not of what another program puts). Its text reaches
// the program with CR LF line ends, as the desktop's clipboard's does.
class MemoryClipboard : public Clipboard {
 public:
  using Observer = std::function<void(const std::string&)>;
  std::optional<std::string> GetText() override;
  bool SetText(std::string_view gbk) override;
  // What another program puts there.
  void Put(std::optional<std::string> text) { text_ = std::move(text); }
  void SetObserver(Observer observer) { observer_ = std::move(observer); }

 private:
  std::optional<std::string> text_;
  Observer observer_;
};

// One password prompt as it was shown and answered (nullopt: cancelled).
struct ShownPrompt {
  std::string prompt, caption;
  std::optional<std::string> answer;
};

// One file dialog as it was shown and answered (nullopt: cancelled).
struct ShownFileDialog {
  std::string caption, proposed_path;
  std::optional<std::string> answer;
  bool answered_by_default = false;
};

// One message box as it was shown and answered.
struct ShownBox {
  std::string text, caption;
  std::uint32_t style = 0;
  BoxAnswer answer = BoxAnswer::kOk;
  bool answered_by_default = false;
};

// Dialogs answered from a queue; without a queued answer a box with an OK
// button answers OK and any other No. Every box is kept in `shown()` and
// passed to the observer, if one is set.
class ScriptedDialogs : public UserDialogs {
 public:
  using BoxObserver = std::function<void(const ShownBox&)>;
  using TextObserver = std::function<void(const std::string&)>;
  using PromptObserver = std::function<void(const ShownPrompt&)>;

  void QueueAnswer(BoxAnswer answer) { answers_.push_back(answer); }
  void QueuePassword(std::optional<std::string> password) {
    passwords_.push_back(std::move(password));
  }
  // The next file dialog picks `path` (nullopt: is cancelled). Without a
  // queued name a file dialog is cancelled.
  void QueueFileName(std::optional<std::string> path) { file_names_.push_back(std::move(path)); }
  using FileObserver = std::function<void(const ShownFileDialog&)>;
  void SetFileObserver(FileObserver observer) { file_observer_ = std::move(observer); }
  void SetBoxObserver(BoxObserver observer) { box_observer_ = std::move(observer); }
  void SetErrorObserver(TextObserver observer) { error_observer_ = std::move(observer); }
  void SetOpenObserver(TextObserver observer) { open_observer_ = std::move(observer); }
  void SetStatusObserver(TextObserver observer) { status_observer_ = std::move(observer); }
  void SetPromptObserver(PromptObserver observer) { prompt_observer_ = std::move(observer); }
  using ExportObserver = std::function<void(const std::string& path, int rows)>;
  void SetExportObserver(ExportObserver observer) { export_observer_ = std::move(observer); }
  void SetCursor(int x, int y) { cursor_x_ = x, cursor_y_ = y; }

  const std::vector<ShownBox>& shown() const { return shown_; }
  const std::vector<std::string>& errors() const { return errors_; }
  const std::vector<std::string>& opened() const { return opened_; }
  // The status line's text: the last one shown.
  const std::string& status() const { return status_; }

  BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption,
                           std::uint32_t style) override;
  void ShowRuntimeError(std::string_view text) override;
  std::optional<std::string> AskPassword(std::string_view prompt,
                                         std::string_view caption) override;
  std::optional<std::string> AskSaveFileName(std::string_view caption,
                                             std::string_view proposed_path,
                                             std::string_view filter) override;
  // Always succeeds: the address is kept and passed to the observer.
  bool OpenWebPage(std::string_view address) override;
  void ShowStatus(std::string_view gbk) override;
  void TableExported(std::string_view gbk_path, int rows) override {
    if (export_observer_) export_observer_(std::string(gbk_path), rows);
  }
  int CursorX() override { return cursor_x_; }
  int CursorY() override { return cursor_y_; }

 private:
  std::deque<BoxAnswer> answers_;
  std::deque<std::optional<std::string>> passwords_;
  std::vector<ShownBox> shown_;
  std::vector<std::string> errors_, opened_;
  std::string status_;
  BoxObserver box_observer_;
  TextObserver error_observer_, open_observer_, status_observer_;
  PromptObserver prompt_observer_;
  std::deque<std::optional<std::string>> file_names_;
  FileObserver file_observer_;
  ExportObserver export_observer_;
  int cursor_x_ = 0, cursor_y_ = 0;
};

// The answer a box gives when nobody presses a button: OK where there is
// one, else No.
BoxAnswer DefaultAnswer(std::uint32_t style);

// True when the box of `style` has a button that gives `answer`.
bool BoxHasButton(std::uint32_t style, BoxAnswer answer);

}  // namespace platform
