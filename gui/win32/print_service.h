// GridPrint and GridPrintPreview with the Windows windows: printing on the
// default printer (or the one chosen in the print dialog) or into a file,
// with the progress window, and one preview window per grid.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "gui/win32/print_device.h"
#include "report/bindings.h"

namespace gui::win32 {

class PreviewWindow;

class PrintService : public report::PrintService {
 public:
  PrintService();
  // Closes the preview windows still open.
  ~PrintService() override;
  PrintService(const PrintService&) = delete;
  PrintService& operator=(const PrintService&) = delete;

  void Preview(const runtime::Value& grid, report::Table& table) override;
  // Prints without asking: on the printer last chosen in the print dialog,
  // else the default one. A job that failed or was stopped returns its
  // failure text, whatever step it failed at.
  report::Text Print(const runtime::Value& grid, report::Table& table, bool show_progress,
                     const report::Text& job_name) override;

  // The print dialog over `owner`: the printer and the number of copies,
  // then the print. nullopt when the user cancelled the dialog.
  std::optional<report::Text> PrintWithDialog(const runtime::Value& grid, report::Table& table,
                                              HWND owner);
  // Prints the table's pages into a file chosen by the user, in the
  // printer's own language. nullopt when the user cancelled.
  std::optional<report::Text> PrintToFile(const runtime::Value& grid, report::Table& table);

  // The preview window open for `grid`, or nullptr.
  PreviewWindow* PreviewOf(const runtime::Value& grid) const;

 private:
  using Key = std::pair<std::uint32_t, std::uint32_t>;
  static Key KeyOf(const runtime::Value& grid);

  std::optional<ChosenPrinter> chosen_;
  std::map<Key, std::unique_ptr<PreviewWindow>> previews_;
};

}  // namespace gui::win32
