#include "gui/win32/print_service.h"

#include <commdlg.h>

#include <cstring>

#include "gui/win32/preview_window.h"
#include "gui/win32/print_progress.h"
#include "platform/gbk.h"
#include "platform/services.h"

namespace gui::win32 {
namespace {

using platform::operator""_gbk;

// A movable block the print dialog hands over, freed with the object.
class GlobalBlock {
 public:
  explicit GlobalBlock(HGLOBAL block) : block_(block) {}
  ~GlobalBlock() {
    if (block_) GlobalFree(block_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  std::vector<BYTE> Bytes() const {
    std::vector<BYTE> bytes;
    if (!block_) return bytes;
    if (const void* p = GlobalLock(block_)) {
      bytes.resize(GlobalSize(block_));
      std::memcpy(bytes.data(), p, bytes.size());
      GlobalUnlock(block_);
    }
    return bytes;
  }

 private:
  HGLOBAL block_;
};

HGLOBAL CopyToGlobal(const std::vector<BYTE>& bytes) {
  if (bytes.empty()) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return nullptr;
  if (void* p = GlobalLock(block)) {
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(block);
  }
  return block;
}

}  // namespace

PrintService::PrintService() = default;

PrintService::~PrintService() = default;

PrintService::Key PrintService::KeyOf(const runtime::Value& grid) {
  const runtime::UnitRef ref = grid.AsUnit();
  return {ref.window, ref.unit};
}

PreviewWindow* PrintService::PreviewOf(const runtime::Value& grid) const {
  auto it = previews_.find(KeyOf(grid));
  return it != previews_.end() && it->second->hwnd() ? it->second.get() : nullptr;
}

void PrintService::Preview(const runtime::Value& grid, report::Table& table) {
  if (PreviewWindow* open = PreviewOf(grid)) {
    ShowWindow(open->hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(open->hwnd());
    open->Refresh();
    return;
  }
  // The preview is owned by the window the request came from, so that
  // Windows closes it when that window (and the table it shows) goes.
  previews_[KeyOf(grid)] = std::make_unique<PreviewWindow>(*this, grid, table, GetActiveWindow());
}

report::Text PrintService::Print(const runtime::Value& /*grid*/, report::Table& table,
                                 bool show_progress, const report::Text& job_name) {
  if (report::Text failure = report::CheckPrintSettings(table.print); !failure.empty())
    return failure;
  report::Text failure;
  auto device = GdiPrintDevice::Create(table.print, chosen_ ? &*chosen_ : nullptr, failure);
  if (!device) return failure;
  std::unique_ptr<PrintProgressWindow> progress;
  if (show_progress) progress = std::make_unique<PrintProgressWindow>(GetActiveWindow());
  failure = report::PrintTable(table, *device, job_name, device->destination(), progress.get());
  if (failure.empty() && !device->finished_well()) return win32_print_text::JobNotFinished();
  return failure;
}

std::optional<report::Text> PrintService::PrintWithDialog(const runtime::Value& grid,
                                                          report::Table& table, HWND owner) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  // Copies are the job's; the range is the print settings' own.
  dialog.Flags =
      PD_NOSELECTION | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE;
  dialog.nCopies = static_cast<WORD>(report::CopiesOf(table.print));
  if (chosen_) dialog.hDevMode = CopyToGlobal(chosen_->devmode);
  const BOOL accepted = PrintDlgW(&dialog);
  GlobalBlock devmode(dialog.hDevMode), devnames(dialog.hDevNames);
  if (!accepted) {
    // No error is the user's cancel; any other is a machine without printers.
    if (CommDlgExtendedError() == 0) return std::nullopt;
    return report::print_text::CannotCreatePrinter();
  }
  ChosenPrinter printer;
  printer.devmode = devmode.Bytes();
  const std::vector<BYTE> names = devnames.Bytes();
  if (names.size() >= sizeof(DEVNAMES)) {
    const auto* n = reinterpret_cast<const DEVNAMES*>(names.data());
    const auto* chars = reinterpret_cast<const wchar_t*>(names.data());
    printer.name = chars + n->wDeviceOffset;
  }
  if (printer.devmode.size() >= sizeof(DEVMODEW)) {
    const auto* mode = reinterpret_cast<const DEVMODEW*>(printer.devmode.data());
    if (printer.name.empty()) printer.name = mode->dmDeviceName;
    if (mode->dmCopies > 0) table.print.copies = mode->dmCopies;
  }
  chosen_ = std::move(printer);
  return Print(grid, table, true, report::print_text::DefaultJobName());
}

std::optional<report::Text> PrintService::PrintToFile(const runtime::Value& grid,
                                                      report::Table& table) {
  platform::UserDialogs& dialogs = *platform::Current().dialogs;
  const report::Text proposed = report::ProposedPdfPath(*this, grid, "");
  std::optional<std::string> chosen = dialogs.AskSaveFileName(
      "请选择欲打印到文件名:"_gbk, proposed.substr(0, proposed.size() - 4) + ".prn",
      "打印输出文件 (*.prn)"_gbk);
  if (!chosen || chosen->empty()) return std::nullopt;
  const report::PrintSettings kept = table.print;
  table.print.print_to_file = 1;
  table.print.output_file = *chosen;
  const report::Text failure = Print(grid, table, true, report::print_text::DefaultJobName());
  table.print = kept;
  return failure;
}

}  // namespace gui::win32
