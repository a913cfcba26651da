// GridPrint and GridPrintPreview with the real windows: printing on the
// system printer or into a file with the progress window, and one preview
// window per grid.
#pragma once

#include <QPointer>
#include <map>
#include <utility>

#include "gui/preview_window.h"
#include "report/bindings.h"

namespace gui {

class QtPrintService : public report::PrintService {
 public:
  QtPrintService() = default;
  // Closes the preview windows still open.
  ~QtPrintService() override;
  QtPrintService(const QtPrintService&) = delete;
  QtPrintService& operator=(const QtPrintService&) = delete;

  void Preview(const runtime::Value& grid, report::Table& table) override;
  report::Text Print(const runtime::Value& grid, report::Table& table, bool show_progress,
                     const report::Text& job_name) override;

  // The preview window open for `grid`, or nullptr.
  PreviewWindow* PreviewOf(const runtime::Value& grid) const;

 private:
  using Key = std::pair<std::uint32_t, std::uint32_t>;
  static Key KeyOf(const runtime::Value& grid);

  std::map<Key, QPointer<PreviewWindow>> previews_;
};

}  // namespace gui
