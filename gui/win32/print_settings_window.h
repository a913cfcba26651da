// The print-settings window on Windows: margins, page number, paper and
// orientation, scale, the last row and table lines, rows a page, the range,
// odd and even pages, the first page number, copies and printing to a file.
#pragma once

#include <array>
#include <optional>

#include "gui/win32/print_controls.h"
#include "report/table.h"

namespace gui::win32 {

class PrintSettingsWindow : public PrintWindow {
 public:
  // Opens the window over `owner` (disabled while it is open) with `settings`.
  PrintSettingsWindow(const report::PrintSettings& settings, HWND owner);
  ~PrintSettingsWindow() override;

  // Runs until the window is closed: the settings shown after 确定, else nullopt.
  std::optional<report::PrintSettings> Run();

  // Presses 确定 as the user does: false (and the window stays open) when a
  // field does not hold what it must.
  bool Accept();

  enum Control {
    kMarginLeft = 201,
    kMarginTop,
    kMarginRight,
    kMarginBottom,
    kPageNumber,
    kPaper,
    kOrientation,
    kFit,
    kShrink,
    kCustom,
    kPercent,
    kRepeatLastRow,
    kAddTableLines,
    kRowsPerPage,
    kAllPages,
    kPageRange,
    kRowRange,
    kRangeStartLabel,
    kRangeStart,
    kRangeEndLabel,
    kRangeEnd,
    kToTheEnd,
    kOddEven,
    kFirstPageNumber,
    kCopies,
    kPrintToFile,
    kOutputFile,
    kBrowse,
  };
  HWND control(int id) const { return GetDlgItem(hwnd(), id); }

 protected:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Load(const report::PrintSettings& s);
  void UpdateRange();
  void ChooseOutputFile();
  HWND Combo(int id, int x, int y, int width);
  void Label(const wchar_t* text, int x, int y, int width);
  HWND Edit(int id, int x, int y, int width, bool number);

  HWND owner_;
  bool owner_was_enabled_ = false;
  report::PrintSettings settings_;
  bool done_ = false, accepted_ = false;
};

// The window, run modally over `owner`.
std::optional<report::PrintSettings> AskPrintSettings(const report::PrintSettings& settings,
                                                      HWND owner);

}  // namespace gui::win32
