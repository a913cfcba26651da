// Printing on a Windows printer through its device context: the default
// printer or the one chosen in the print dialog, with the table's paper and
// orientation, its output going to the printer or into a file.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/win32/gdi_painter.h"
#include "report/printing.h"

namespace gui::win32 {

// A printer by name, with the settings its own dialog gave it (empty: the
// printer's defaults).
struct ChosenPrinter {
  std::wstring name;
  std::vector<BYTE> devmode;  // a DEVMODEW and the driver's data after it
};

// The printer a job goes to when none was chosen; nullopt when the machine
// has none.
std::optional<std::wstring> DefaultPrinter();

// The printer that writes PDF files, when the machine has one.
std::optional<std::wstring> PdfPrinter();

// True when the GBK file name ends in ".pdf".
bool NamesPdfFile(const report::Text& file);

// Texts of Windows printing (GBK).
namespace win32_print_text {
// A PDF file asked for on a machine without a printer that writes PDF.
const report::Text& NoPdfPrinter();
// The printer refused a page or the end of the job after it had started.
const report::Text& JobNotFinished();
}  // namespace win32_print_text

class GdiPrintDevice : public report::PrintDevice {
 public:
  // A device for `settings` on `printer` (nullptr: the default printer;
  // the PDF printer for a file named ".pdf"). On failure sets `failure` to
  // the text the user sees and returns nullptr.
  static std::unique_ptr<GdiPrintDevice> Create(const report::PrintSettings& settings,
                                                const ChosenPrinter* printer,
                                                report::Text& failure);
  GdiPrintDevice(HDC dc, std::wstring output_file, report::Text destination);
  ~GdiPrintDevice() override;
  GdiPrintDevice(const GdiPrintDevice&) = delete;
  GdiPrintDevice& operator=(const GdiPrintDevice&) = delete;

  const report::Text& destination() const { return destination_; }
  HDC dc() const { return dc_; }
  // False when the printer refused a page's end or the job's end, which
  // the job's steps cannot say themselves.
  bool finished_well() const { return finished_well_; }

  report::PageSize paper() const override;
  bool BeginJob(const report::Text& job_name) override;
  bool BeginPage() override;
  report::Painter& painter() override { return painter_; }
  void EndPage() override;
  void EndJob() override;
  void AbortJob() override;

 private:
  // The paper's corner as the drawing's origin: a printer's own origin is
  // the corner of the area it can print on.
  void OriginAtPaperCorner();

  HDC dc_;
  std::wstring output_file_;
  report::Text destination_;
  GdiPagePainter painter_;
  // The table's paper, for a driver that does not tell its own.
  report::PageSize fallback_paper_;
  bool job_open_ = false;
  bool finished_well_ = true;
};

// The printer's settings for `settings`: paper size (the 80 mm roll as a
// paper of the user's size), orientation, one copy (the job prints its
// copies itself). `devmode` holds the printer's settings to start from.
void ApplyPaper(const report::PrintSettings& settings, DEVMODEW& devmode);

}  // namespace gui::win32

namespace gui::win32 {

// The paper the preview shows for `settings`: the table's paper, else the
// default printer's, else A4.
report::PageSize PaperForPreview(const report::PrintSettings& settings);

}  // namespace gui::win32
