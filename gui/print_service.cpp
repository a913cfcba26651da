#include "gui/print_service.h"

#include <QApplication>
#include <QStandardPaths>

#include "platform/gbk.h"

#include "gui/print_device.h"
#include "gui/print_progress.h"

namespace gui {

QtPrintService::~QtPrintService() {
  for (auto& [key, window] : previews_)
    if (window) window->close();
}

QtPrintService::Key QtPrintService::KeyOf(const runtime::Value& grid) {
  const runtime::UnitRef ref = grid.AsUnit();
  return {ref.window, ref.unit};
}

PreviewWindow* QtPrintService::PreviewOf(const runtime::Value& grid) const {
  auto it = previews_.find(KeyOf(grid));
  return it != previews_.end() ? it->second.data() : nullptr;
}

void QtPrintService::Preview(const runtime::Value& grid, report::Table& table) {
  if (PreviewWindow* open = PreviewOf(grid)) {
    open->show();
    open->raise();
    open->activateWindow();
    return;
  }
  // The preview belongs to the window the request came from, so that it
  // goes when that window (and the table it shows) goes.
  auto* window = new PreviewWindow(
      table,
      [this, grid, &table] {
        return Print(grid, table, true, report::print_text::DefaultJobName());
      },
      [this, grid, &table] {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        report::SaveAsPdf(
            *this, grid, table,
            report::ProposedPdfPath(*this, grid, platform::Utf8ToGbk(documents.toStdString())));
      },
      [this, grid, &table] {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        report::SaveAsSheet(
            *this, grid, table,
            report::ProposedSheetPath(*this, grid, platform::Utf8ToGbk(documents.toStdString())));
      },
      QApplication::activeWindow());
  previews_[KeyOf(grid)] = window;
  window->show();
}

report::Text QtPrintService::Print(const runtime::Value& /*grid*/, report::Table& table,
                                   bool show_progress, const report::Text& job_name) {
  if (report::Text failure = report::CheckPrintSettings(table.print); !failure.empty())
    return failure;
  report::Text failure;
  auto device = QtPrintDevice::Create(table.print, failure);
  if (!device) return failure;
  std::unique_ptr<QtPrintProgress> progress;
  if (show_progress) progress = std::make_unique<QtPrintProgress>(QApplication::activeWindow());
  return report::PrintTable(table, *device, job_name, device->destination(), progress.get());
}

}  // namespace gui
