#include "gui/win32/print_device.h"

#include <winspool.h>

#include <algorithm>
#include <cmath>

#include "gui/win32/print_controls.h"
#include "platform/gbk.h"

namespace gui::win32 {
namespace {

using platform::operator""_gbk;

// An open printer handle, closed with the object.
class OpenedPrinter {
 public:
  explicit OpenedPrinter(const std::wstring& name) {
    if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &handle_, nullptr)) handle_ = nullptr;
  }
  ~OpenedPrinter() {
    if (handle_) ClosePrinter(handle_);
  }
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

std::wstring PortOf(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterW(printer, 2, nullptr, 0, &needed);
  if (needed == 0) return {};
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterW(printer, 2, buffer.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  return info->pPortName ? info->pPortName : L"";
}

// The printer's settings: `start` (from its dialog) or its defaults, with
// the table's paper applied and checked by the driver.
std::vector<BYTE> DevmodeFor(HANDLE printer, const std::wstring& name,
                             const std::vector<BYTE>& start,
                             const report::PrintSettings& settings) {
  auto* printer_name = const_cast<wchar_t*>(name.c_str());
  const LONG size = DocumentPropertiesW(nullptr, printer, printer_name, nullptr, nullptr, 0);
  if (size <= 0) return {};
  std::vector<BYTE> in(static_cast<std::size_t>(size)), out(static_cast<std::size_t>(size));
  auto* in_mode = reinterpret_cast<DEVMODEW*>(in.data());
  if (start.size() >= sizeof(DEVMODEW) && start.size() <= in.size())
    std::copy(start.begin(), start.end(), in.begin());
  else if (DocumentPropertiesW(nullptr, printer, printer_name, in_mode, nullptr, DM_OUT_BUFFER) !=
           IDOK)
    return {};
  ApplyPaper(settings, *in_mode);
  auto* out_mode = reinterpret_cast<DEVMODEW*>(out.data());
  if (DocumentPropertiesW(nullptr, printer, printer_name, out_mode, in_mode,
                          DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
    return in;
  return out;
}

}  // namespace

namespace win32_print_text {
const report::Text& NoPdfPrinter() {
  static const report::Text text =
      "这台电脑没有写 PDF 文件的打印机（Microsoft Print to PDF），无法保存为 PDF。"
      "请在打印设置中选“打印到文件”，或装上一台 PDF 打印机。"_gbk;
  return text;
}
const report::Text& JobNotFinished() {
  static const report::Text text = "打印机没有收下整个打印作业（结束页面或作业失败）。"_gbk;
  return text;
}
}  // namespace win32_print_text

std::optional<std::wstring> DefaultPrinter() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return std::nullopt;
  std::wstring name(size, L'\0');
  if (!GetDefaultPrinterW(name.data(), &size)) return std::nullopt;
  name.resize(wcslen(name.c_str()));
  if (name.empty()) return std::nullopt;
  return name;
}

std::optional<std::wstring> PdfPrinter() {
  DWORD needed = 0, count = 0;
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return std::nullopt;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count))
    return std::nullopt;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (printers[i].pPrinterName &&
        std::wstring_view(printers[i].pPrinterName).find(L"PDF") != std::wstring_view::npos)
      return std::wstring(printers[i].pPrinterName);
  return std::nullopt;
}

bool NamesPdfFile(const report::Text& file) {
  if (file.size() < 4) return false;
  std::string end = file.substr(file.size() - 4);
  std::transform(end.begin(), end.end(), end.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return end == ".pdf";
}

void ApplyPaper(const report::PrintSettings& settings, DEVMODEW& devmode) {
  if (settings.paper_size == report::kReceiptRollPaper) {
    const report::PageSize roll = report::PaperOf(report::kReceiptRollPaper, 1);
    devmode.dmPaperSize = DMPAPER_USER;
    devmode.dmPaperWidth = static_cast<short>(roll.width);
    devmode.dmPaperLength = static_cast<short>(roll.height);
    devmode.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
  } else if (settings.paper_size > 0) {
    // The table keeps the printer's own paper codes.
    devmode.dmPaperSize = settings.paper_size;
    devmode.dmFields |= DM_PAPERSIZE;
    devmode.dmFields &= ~static_cast<DWORD>(DM_PAPERWIDTH | DM_PAPERLENGTH);
  }
  devmode.dmOrientation = settings.orientation == 2 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  devmode.dmCopies = 1;
  devmode.dmFields |= DM_ORIENTATION | DM_COPIES;
}

std::unique_ptr<GdiPrintDevice> GdiPrintDevice::Create(const report::PrintSettings& settings,
                                                       const ChosenPrinter* chosen,
                                                       report::Text& failure) {
  const bool to_file = settings.print_to_file != 0;
  std::optional<std::wstring> name;
  if (to_file && NamesPdfFile(settings.output_file)) {
    name = PdfPrinter();
    if (!name) {
      failure = win32_print_text::NoPdfPrinter();
      return nullptr;
    }
  } else if (chosen && !chosen->name.empty()) {
    name = chosen->name;
  } else {
    name = DefaultPrinter();
  }
  if (!name) {
    failure = report::print_text::CannotCreatePrinter();
    return nullptr;
  }
  OpenedPrinter printer(*name);
  if (!printer.get()) {
    failure = report::print_text::CannotOpenPrinter();
    return nullptr;
  }
  const std::vector<BYTE> devmode =
      DevmodeFor(printer.get(), *name,
                 chosen && chosen->name == *name ? chosen->devmode : std::vector<BYTE>{}, settings);
  HDC dc = CreateDCW(L"WINSPOOL", name->c_str(), nullptr,
                     devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devmode.data()));
  if (!dc) {
    failure = report::print_text::CannotOpenPrinter();
    return nullptr;
  }
  report::Text destination =
      to_file ? report::print_text::FileDestination(settings.output_file)
              : report::print_text::PrinterDestination(Gbk(*name), Gbk(PortOf(printer.get())));
  auto device = std::make_unique<GdiPrintDevice>(dc, to_file ? Wide(settings.output_file) : L"",
                                                 std::move(destination));
  device->fallback_paper_ =
      report::PaperOf(settings.paper_size != 0 ? settings.paper_size : 9, settings.orientation);
  return device;
}

GdiPrintDevice::GdiPrintDevice(HDC dc, std::wstring output_file, report::Text destination)
    : dc_(dc),
      output_file_(std::move(output_file)),
      destination_(std::move(destination)),
      painter_(dc, GetDeviceCaps(dc, LOGPIXELSX) / 254.0) {}

GdiPrintDevice::~GdiPrintDevice() {
  if (job_open_) AbortDoc(dc_);
  DeleteDC(dc_);
}

report::PageSize GdiPrintDevice::paper() const {
  const double x = GetDeviceCaps(dc_, LOGPIXELSX), y = GetDeviceCaps(dc_, LOGPIXELSY);
  const int width = GetDeviceCaps(dc_, PHYSICALWIDTH), height = GetDeviceCaps(dc_, PHYSICALHEIGHT);
  if (x > 0 && y > 0 && width > 0 && height > 0)
    return {static_cast<int>(std::lround(width * 254 / x)),
            static_cast<int>(std::lround(height * 254 / y))};
  // Some drivers give the paper's size only as the printable area's, in
  // millimetres.
  const int mm_width = GetDeviceCaps(dc_, HORZSIZE), mm_height = GetDeviceCaps(dc_, VERTSIZE);
  if (mm_width > 0 && mm_height > 0) return {mm_width * 10, mm_height * 10};
  return fallback_paper_;
}

void GdiPrintDevice::OriginAtPaperCorner() {
  SetMapMode(dc_, MM_TEXT);
  SetViewportOrgEx(dc_, -GetDeviceCaps(dc_, PHYSICALOFFSETX), -GetDeviceCaps(dc_, PHYSICALOFFSETY),
                   nullptr);
}

bool GdiPrintDevice::BeginJob(const report::Text& job_name) {
  const std::wstring name = Wide(job_name);
  DOCINFOW job{};
  job.cbSize = sizeof job;
  job.lpszDocName = name.c_str();
  job.lpszOutput = output_file_.empty() ? nullptr : output_file_.c_str();
  if (StartDocW(dc_, &job) <= 0) return false;
  job_open_ = true;
  OriginAtPaperCorner();
  return true;
}

bool GdiPrintDevice::BeginPage() {
  if (StartPage(dc_) <= 0) return false;
  // Some drivers reset the context's state at every page.
  OriginAtPaperCorner();
  return true;
}

void GdiPrintDevice::EndPage() {
  if (::EndPage(dc_) <= 0) finished_well_ = false;
}

void GdiPrintDevice::EndJob() {
  if (job_open_ && EndDoc(dc_) <= 0) finished_well_ = false;
  job_open_ = false;
}

void GdiPrintDevice::AbortJob() {
  if (job_open_) AbortDoc(dc_);
  job_open_ = false;
}

}  // namespace gui::win32

namespace gui::win32 {

report::PageSize PaperForPreview(const report::PrintSettings& settings) {
  if (settings.paper_size != 0) return report::PaperOf(settings.paper_size, settings.orientation);
  report::PrintSettings on_printer = settings;
  on_printer.print_to_file = 0;
  report::Text failure;
  if (auto device = GdiPrintDevice::Create(on_printer, nullptr, failure)) {
    const report::PageSize paper = device->paper();
    if (paper.width > 0 && paper.height > 0) return paper;
  }
  return report::PaperOf(9, settings.orientation);
}

}  // namespace gui::win32
