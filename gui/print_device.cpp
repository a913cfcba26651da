#include "gui/print_device.h"

#include <QPrinterInfo>

#include "platform/gbk.h"

namespace gui {
namespace {

QString ToQt(const report::Text& gbk) {
  return QString::fromStdString(platform::GbkToUtf8(gbk, false));
}
report::Text FromQt(const QString& text) { return platform::Utf8ToGbk(text.toStdString()); }

void SetUpPage(QPrinter& printer, const report::PrintSettings& settings) {
  if (auto size = PageSizeOfCode(settings.paper_size)) printer.setPageSize(*size);
  printer.setPageOrientation(settings.orientation == 2 ? QPageLayout::Landscape
                                                       : QPageLayout::Portrait);
  // Margins are the table's own; the page is drawn from the paper's corner.
  printer.setFullPage(true);
}

report::PageSize PaperOf(const QPrinter& printer) {
  const QRectF mm = printer.pageLayout().fullRect(QPageLayout::Millimeter);
  return {static_cast<int>(std::lround(mm.width() * 10)),
          static_cast<int>(std::lround(mm.height() * 10))};
}

}  // namespace

std::optional<QPageSize> PageSizeOfCode(int paper_size) {
  switch (paper_size) {
    case 1:
      return QPageSize(QPageSize::Letter);
    case 5:
      return QPageSize(QPageSize::Legal);
    case 8:
      return QPageSize(QPageSize::A3);
    case 9:
      return QPageSize(QPageSize::A4);
    case 11:
      return QPageSize(QPageSize::A5);
    case 12:
      return QPageSize(QPageSize::JisB4);
    case 13:
      return QPageSize(QPageSize::JisB5);
    case report::kReceiptRollPaper:
      return QPageSize(QSizeF(80, 297), QPageSize::Millimeter, QStringLiteral("80mm"));
    default:
      return std::nullopt;
  }
}

std::unique_ptr<QtPrintDevice> QtPrintDevice::Create(const report::PrintSettings& settings,
                                                     report::Text& failure) {
  auto device = std::make_unique<QtPrintDevice>();
  QPrinter& printer = device->printer_;
  const bool to_file = settings.print_to_file != 0;
  const QString file = ToQt(settings.output_file);
  const bool pdf = to_file && file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
  if (pdf) {
    printer.setOutputFormat(QPrinter::PdfFormat);
  } else {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
      failure = report::print_text::CannotCreatePrinter();
      return nullptr;
    }
    printer.setPrinterName(info.printerName());
    if (!printer.isValid()) {
      failure = report::print_text::CannotOpenPrinter();
      return nullptr;
    }
    device->destination_ = report::print_text::PrinterDestination(FromQt(info.description()),
                                                                  FromQt(info.printerName()));
  }
  if (to_file) {
    printer.setOutputFileName(file);
    device->destination_ = report::print_text::FileDestination(settings.output_file);
  }
  SetUpPage(printer, settings);
  return device;
}

report::PageSize QtPrintDevice::paper() const { return PaperOf(printer_); }

bool QtPrintDevice::BeginJob(const report::Text& job_name) {
  printer_.setDocName(ToQt(job_name));
  // Copies are printed one by one by the job itself.
  printer_.setCopyCount(1);
  if (!painter_.begin(&printer_)) return false;
  page_painter_.emplace(painter_, printer_.resolution() / 254.0);
  return true;
}

bool QtPrintDevice::BeginPage() {
  // The job opens its first page itself.
  if (page_open_ && !printer_.newPage()) return false;
  page_open_ = true;
  return true;
}

void QtPrintDevice::EndJob() {
  if (painter_.isActive()) painter_.end();
}

void QtPrintDevice::AbortJob() {
  printer_.abort();
  if (painter_.isActive()) painter_.end();
}

report::PageSize PaperForPreview(const report::PrintSettings& settings) {
  QPrinter printer(QPrinter::ScreenResolution);
  if (settings.paper_size == 0 && QPrinterInfo::defaultPrinter().isNull())
    return report::PaperOf(9, settings.orientation);
  if (!PageSizeOfCode(settings.paper_size) && settings.paper_size != 0)
    return report::PaperOf(settings.paper_size, settings.orientation);
  SetUpPage(printer, settings);
  return PaperOf(printer);
}

}  // namespace gui
