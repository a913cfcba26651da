// The operating-system services the rest of the program uses, behind small
// interfaces, and the run-wide registry that says which implementation serves
// them: the headless one (scripts and tests) or the Qt one (real windows).
//
// Every text crossing these interfaces is a GBK byte string; the
// implementations convert at their own edge.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Local wall-clock time, to the second.
struct LocalTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
};

// The clipboard's plain text.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // The text on the clipboard, or nullopt when it cannot be opened or holds no text.
  virtual std::optional<std::string> GetText() = 0;
  // Empties the clipboard and puts `gbk` on it; false when that fails.
  virtual bool SetText(std::string_view gbk) = 0;
};

// Buttons pressed in a message box, as the message-box command returns them.
enum class BoxAnswer : int {
  kOk = 0,
  kCancel = 1,
  kAbort = 2,
  kRetry = 3,
  kIgnore = 4,
  kYes = 5,
  kNo = 6
};

// A window that shows how far a long task (a backup) has gone; it closes
// when the object goes.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void Show(int percent) = 0;
};

// Message boxes and the few other things the user is asked or shown outside
// the windows of the template.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // A modal message box. `style`: low 4 bits the buttons (0 OK, 1 OK/Cancel,
  // 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), 0x10 stop
  // icon, 0x20 question, 0x30 exclamation, 0x40 information.
  virtual BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption,
                                   std::uint32_t style) = 0;
  // The runtime error box ("错误", stop icon, OK). Returns when it is closed.
  virtual void ShowRuntimeError(std::string_view text) = 0;
  // Asks for a data file's password. nullopt when the user refuses.
  virtual std::optional<std::string> AskPassword(std::string_view prompt,
                                                 std::string_view caption) = 0;
  // Asks for the name of a file to save to, proposing `proposed_path`;
  // `filter` names the kinds of file offered, as "PDF 文件 (*.pdf)", several
  // separated by ";;". A name the user types without an end gets the end of
  // the kind chosen in the dialog. The user is asked before an existing file
  // is replaced. Returns the chosen path, or nullopt when the user cancels.
  virtual std::optional<std::string> AskSaveFileName(std::string_view caption,
                                                     std::string_view proposed_path,
                                                     std::string_view filter) = 0;
  // Asks the desktop to open a web address in the user's browser. False
  // when no browser could be started for it.
  virtual bool OpenWebPage(std::string_view address) = 0;
  // Writes `gbk` into the main window's status line, where it stays until the
  // next status text: the word after an action that changes nothing visible.
  virtual void ShowStatus(std::string_view gbk) = 0;
  // Opens a progress window captioned `caption` saying `text`, shown only
  // once the task has taken a moment; nullptr where there is none to show
  // (headless).
  virtual std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                       std::string_view text) {
    (void)caption;
    (void)text;
    return nullptr;
  }
  // Tells that a table of `rows` data rows was written to the file
  // `gbk_path` (an export), after it was written. The desktop shows this in
  // the status line already; the headless dialogs record it.
  virtual void TableExported(std::string_view gbk_path, int rows) {
    (void)gbk_path;
    (void)rows;
  }
  // The mouse pointer's screen position.
  virtual int CursorX() = 0;
  virtual int CursorY() = 0;
};

// The services in use for this run. Pointers are never null once `Install`
// has run; the headless implementation is installed by default.
struct Services {
  Clock* clock = nullptr;
  Clipboard* clipboard = nullptr;
  UserDialogs* dialogs = nullptr;
};

// The run-wide services.
Services& Current();

// Installs `services` for as long as the object lives, then puts back what
// was there (tests install fakes this way).
class ScopedServices {
 public:
  explicit ScopedServices(const Services& services);
  ~ScopedServices();
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  Services previous_;
};

// The process's current directory as GBK (at most 260 bytes), or nullopt.
std::optional<std::string> CurrentDirectory();
// Makes `gbk_path` the current directory; false when it cannot.
bool ChangeDirectory(std::string_view gbk_path);
// The directory that holds the running program, as GBK.
std::string ProgramDirectory();

}  // namespace platform
