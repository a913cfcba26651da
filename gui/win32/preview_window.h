// The print preview on Windows: the pages as they print, drawn by the same
// operations as on the printer, with zoom, paging, the print settings, the
// print dialog, 保存为PDF and printing to a file.
#pragma once

#include <optional>

#include "gui/win32/print_controls.h"
#include "report/pagination.h"
#include "report/table.h"
#include "runtime/value.h"

namespace gui::win32 {

class PrintService;

// The preview's 页面跳转 window: asks for a page number from `first` to
// `last`, proposing `current`.
class PageNumberWindow : public PrintWindow {
 public:
  PageNumberWindow(int first, int last, int current, HWND owner);
  ~PageNumberWindow() override;
  // Runs until the window is closed: the number after 确定, else nullopt.
  std::optional<int> Run();
  HWND edit() const { return edit_; }

 protected:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  HWND owner_;
  bool owner_was_enabled_ = false;
  HWND edit_ = nullptr;
  int first_, last_;
  bool done_ = false;
  std::optional<int> chosen_;
};

class PreviewWindow : public PrintWindow {
 public:
  // Opens the window over `owner`; it shows `table` and prints through
  // `service`, both of which outlive it.
  PreviewWindow(PrintService& service, const runtime::Value& grid, report::Table& table,
                HWND owner);

  // Paginates again: the table or its settings may have changed.
  void Refresh();
  void ShowPage(int index);
  // Zoom: 0 fits the page into the window, else a percentage of the
  // paper's real size on the screen.
  void SetZoom(int percent);

  int page_count() const { return static_cast<int>(pagination_.pages.size()); }
  int current() const { return current_; }
  int zoom() const { return zoom_; }
  const report::PageSize& paper() const { return paper_; }
  // "current / count", as the window shows it.
  std::wstring status() const;
  // The window's button with command id `id` (see the .cpp), for tests.
  HWND button(int id) const { return GetDlgItem(hwnd(), id); }

  enum Command {
    kFirst = 101,
    kPrevious,
    kNext,
    kLast,
    kZoomIn,
    kZoomOut,
    kSettings,
    kPrint,
    kSavePdf,
    kSaveSheet,
    kPrintToFile,
    kClose,
    kStatus,
    kGoTo
  };
  // Shows the first page numbered `number` or later; false when there is none.
  bool GoToNumber(int number);

 protected:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void OnCommand(int id);
  void Paint();
  void UpdateControls();
  void UpdateScrollBars();
  // The page's size on the screen, in pixels, at the zoom.
  SIZE SheetSize() const;
  RECT PageArea() const;
  void Scroll(int bar, int request, int amount = 0);
  void ShowFailure(const report::Text& failure);

  PrintService& service_;
  runtime::Value grid_;
  report::Table& table_;
  report::PageSize paper_;
  report::Pagination pagination_;
  int current_ = 0;
  int zoom_ = 0;
  POINT scroll_{0, 0};
};

}  // namespace gui::win32
