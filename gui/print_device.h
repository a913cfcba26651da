// Printing on a printer or into a file through QPrinter: a PDF file when the
// file name ends in ".pdf", else the system printer (or its output written
// to the file).
#pragma once

#include <QPainter>
#include <QPrinter>
#include <memory>
#include <optional>

#include "gui/print_painter.h"
#include "report/printing.h"

namespace gui {

class QtPrintDevice : public report::PrintDevice {
 public:
  // A device set up for `settings`: paper size, orientation and where the
  // pages go. On failure sets `failure` to the text the user sees
  // (no printer, or one that cannot be opened) and returns nullptr.
  static std::unique_ptr<QtPrintDevice> Create(const report::PrintSettings& settings,
                                               report::Text& failure);

  // Use Create.
  QtPrintDevice() = default;

  // Where the pages go, as the progress window names it.
  const report::Text& destination() const { return destination_; }

  report::PageSize paper() const override;
  bool BeginJob(const report::Text& job_name) override;
  bool BeginPage() override;
  report::Painter& painter() override { return *page_painter_; }
  void EndPage() override {}
  void EndJob() override;
  void AbortJob() override;

 private:
  QPrinter printer_{QPrinter::HighResolution};
  QPainter painter_;
  std::optional<QtPagePainter> page_painter_;
  report::Text destination_;
  bool page_open_ = false;
};

// The QPageSize of a printer paper-size code; nullopt for 0 or a code
// without one (the printer's own paper is used).
std::optional<QPageSize> PageSizeOfCode(int paper_size);

// The paper the preview shows for `settings`: the size the printer would be
// set up with, else A4.
report::PageSize PaperForPreview(const report::PrintSettings& settings);

}  // namespace gui
