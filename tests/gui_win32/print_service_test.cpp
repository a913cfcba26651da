// The Windows print service and its windows, under wine (with an X server
// for the windows): failures that are told and not counted, a receipt
// printed into a file through a printer driver, the progress, settings and
// preview windows driven by their controls.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <winspool.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "gui/win32/preview_window.h"
#include "gui/win32/print_device.h"
#include "gui/win32/print_progress.h"
#include "gui/win32/print_service.h"
#include "gui/win32/print_settings_window.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/win32/wide.h"
#include "report/commands.h"
#include "runtime/command_table.h"
#include "tests/report/fake_unit_tables.h"
#include "tests/report/receipt_builder.h"
#include "tests/support/temp_dir.h"

namespace gui::win32 {
namespace {

using runtime::Value;

bool HasDisplay() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return true;
}

// Saves what `window` shows on the screen as a 24-bit BMP file, when the
// environment variable `variable` names one: for looking at.
void KeepPicture(HWND window, const char* variable) {
  const char* path = std::getenv(variable);
  if (!path) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  GdiFlush();
  const DWORD size = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
  BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  file.bfSize = file.bfOffBits + size;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
  out.write(static_cast<const char*>(bits), size);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A PostScript printer with A4 and A5 paper.
constexpr const char* kPrinterDescription = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "DESKTEST.PPD"
*Manufacturer: "Test"
*Product: "(Desk Test)"
*ModelName: "Desk Test PostScript"
*ShortNickName: "Desk Test PostScript"
*NickName: "Desk Test PostScript"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*TTRasterizer: Type42
*DefaultResolution: 300dpi
*OpenUI *PageSize: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize A5/A5: "<</PageSize[420 595]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion A5/A5: "<</PageSize[420 595]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*ImageableArea A5/A5: "0 0 420 595"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension A5/A5: "420 595"
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
)ppd";

class WindowsPrinting : public ::testing::Test {
 protected:
  WindowsPrinting() : bindings_({&units_, &service_}), services_({nullptr, nullptr, &dialogs_}) {
    report::RegisterReportCommands(commands_);
    report::testing::BuildHardReceipt(
        [this](const std::string& name, std::vector<Value> args) {
          return (*commands_.Find(name))(args);
        },
        report::testing::DataSourceUnit());
  }
  static Value Grid() { return report::testing::GridUnit(); }
  report::Table& table() { return units_.table; }

  report::testing::FakeUnitTables units_;
  PrintService service_;
  report::ScopedBindings bindings_;
  platform::ScriptedDialogs dialogs_;
  platform::ScopedServices services_;
  runtime::CommandTable commands_;
  testing_support::TempDir dir_;
};

// A print that cannot go out says why, so the desk does not count it.
TEST_F(WindowsPrinting, APrintThatCannotGoOutSaysWhy) {
  if (!DefaultPrinter()) {
    EXPECT_EQ(service_.Print(Grid(), table(), false, "x"),
              report::print_text::CannotCreatePrinter());
  }
  table().print.print_to_file = 1;
  table().print.output_file = "";
  EXPECT_EQ(service_.Print(Grid(), table(), false, "x"), report::print_text::NoOutputFile());
  if (PdfPrinter()) GTEST_SKIP() << "this machine has a PDF printer";
  const std::string pdf = dir_.File("r.pdf");
  table().print.output_file = pdf;
  EXPECT_EQ(service_.Print(Grid(), table(), false, "x"), win32_print_text::NoPdfPrinter());
  dialogs_.QueueFileName(pdf);
  EXPECT_FALSE(report::SaveAsPdf(service_, Grid(), table(), ""));
  ASSERT_EQ(dialogs_.shown().size(), 1u);
  EXPECT_NE(dialogs_.shown()[0].text.find(win32_print_text::NoPdfPrinter()), std::string::npos);
  EXPECT_FALSE(std::ifstream(pdf).good());
}

// wine's PostScript driver as a printer whose output goes into a file: the
// receipt's pages go through the printer's device context as on a real
// printer, with the progress window, and come out as PostScript.
TEST_F(WindowsPrinting, TheReceiptPrintsIntoAFileThroughAPrinterDriver) {
  std::wstring name = L"订单台测试打印机";
  PRINTER_INFO_2W info{};
  info.pPrinterName = name.data();
  std::wstring port = L"FILE:", driver = L"订单台测试 PostScript", processor = L"WinPrint",
               type = L"RAW";
  info.pPortName = port.data();
  info.pDriverName = driver.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = type.data();
  // The driver first, as a printer's set-up program installs it, with the
  // description of the printer's papers.
  wchar_t folder[MAX_PATH] = {};
  DWORD folder_size = 0;
  ASSERT_TRUE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                         sizeof folder, &folder_size));
  std::wstring ppd_path = std::wstring(folder) + L"\\orderdesk-test.ppd";
  std::ofstream(platform::win32::WideToUtf8(ppd_path)) << kPrinterDescription;
  DRIVER_INFO_3W driver_info{};
  driver_info.cVersion = 3;
  driver_info.pName = driver.data();
  std::wstring driver_file = L"wineps.drv";
  driver_info.pDriverPath = driver_file.data();
  driver_info.pConfigFile = driver_file.data();
  driver_info.pDataFile = ppd_path.data();
  AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver_info));
  // A printer left by an earlier run is made again on this run's driver.
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (HANDLE old = nullptr; OpenPrinterW(name.data(), &old, &access)) {
    DeletePrinter(old);
    ClosePrinter(old);
  }
  HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!added && GetLastError() != ERROR_PRINTER_ALREADY_EXISTS)
    GTEST_SKIP() << "no printer could be added (error " << GetLastError() << ")";
  if (added) ClosePrinter(added);

  ASSERT_TRUE(SetDefaultPrinterW(name.c_str()));
  const char* keep = std::getenv("ORDERDESK_RECEIPT_PS");
  const std::string out = keep ? keep : dir_.File("receipt.ps");
  table().print.paper_size = 11;
  table().print.print_to_file = 1;
  table().print.output_file = out;
  table().print.copies = 2;
  EXPECT_EQ(service_.Print(Grid(), table(), HasDisplay(), "receipt"), "");
  const std::string ps = ReadAll(out);
  EXPECT_EQ(ps.rfind("%!PS", 0), 0u) << ps.substr(0, 200);
  // Two copies of the one page.
  std::size_t pages = 0;
  for (std::size_t at = ps.find("%%Page:"); at != std::string::npos;
       at = ps.find("%%Page:", at + 1))
    ++pages;
  EXPECT_EQ(pages, 2u);
  // A file that cannot be made is a failure, not a print (the driver may
  // refuse at the job's start or only at its end).
  table().print.output_file = dir_.File("no such folder\\r.ps");
  EXPECT_NE(service_.Print(Grid(), table(), false, "receipt"), "");
}

TEST_F(WindowsPrinting, TheProgressWindowShowsTheJobAndStopsOnItsButton) {
  if (!HasDisplay()) GTEST_SKIP() << "no display";
  PrintProgressWindow progress(nullptr);
  progress.Show(platform::Utf8ToGbk("正在打印第 1/1 份 1/3 页"), 40);
  EXPECT_EQ(progress.message(), L"正在打印第 1/1 份 1/3 页");
  EXPECT_EQ(progress.percent(), 40);
  EXPECT_FALSE(progress.AbortRequested());
  SendMessageW(progress.abort_button(), BM_CLICK, 0, 0);
  EXPECT_TRUE(progress.AbortRequested());
}

TEST_F(WindowsPrinting, TheSettingsWindowGivesBackEveryFieldAndRefusesABadMargin) {
  if (!HasDisplay()) GTEST_SKIP() << "no display";
  report::PrintSettings s;
  s.margin_left = 105;
  s.page_number_position = 2;
  s.scale_code = -2;
  s.paper_size = 11;
  s.orientation = 2;
  s.repeat_last_row = 1;
  s.rows_per_page = 12;
  s.range_mode = 2;
  s.range_start = 3;
  s.range_end = 7;
  s.odd_even = 1;
  s.first_page_number = 5;
  s.copies = 3;
  s.print_to_file = 1;
  s.output_file = platform::Utf8ToGbk("C:\\小票\\out.prn");
  {
    PrintSettingsWindow window(s, nullptr);
    ASSERT_TRUE(window.Accept());
    // Nothing changed: the same settings come back.
    PrintSettingsWindow again(s, nullptr);
    SetWindowTextW(again.control(PrintSettingsWindow::kCopies), L"2");
    SendMessageW(again.control(PrintSettingsWindow::kPaper), CB_SETCURSEL, 3, 0);
    SendMessageW(again.control(PrintSettingsWindow::kToTheEnd), BM_CLICK, 0, 0);
    PostMessageW(again.hwnd(), WM_COMMAND, IDOK, 0);
    const auto changed = again.Run();
    ASSERT_TRUE(changed);
    report::PrintSettings expected = s;
    expected.copies = 2;
    expected.paper_size = report::kReceiptRollPaper;
    expected.range_end = 0;
    EXPECT_EQ(*changed, expected);
  }
  PrintSettingsWindow bad(s, nullptr);
  ShowWindow(bad.hwnd(), SW_SHOWNORMAL);
  KeepPicture(bad.hwnd(), "ORDERDESK_SETTINGS_BMP");
  SetWindowTextW(bad.control(PrintSettingsWindow::kMarginTop), L"abc");
  EXPECT_FALSE(bad.Accept());
  ASSERT_EQ(dialogs_.shown().size(), 1u);
  PostMessageW(bad.hwnd(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(bad.Run());
}

TEST_F(WindowsPrinting, ThePreviewShowsThePagesZoomsAndOpensOncePerGrid) {
  if (!HasDisplay()) GTEST_SKIP() << "no display";
  table().print.paper_size = 11;
  service_.Preview(Grid(), table());
  PreviewWindow* preview = service_.PreviewOf(Grid());
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->page_count(), 1);
  EXPECT_EQ(preview->status(), L"1 / 1");
  EXPECT_EQ(preview->paper().width, report::PaperOf(11, 1).width);
  EXPECT_FALSE(IsWindowEnabled(preview->button(PreviewWindow::kNext)));
  SendMessageW(preview->button(PreviewWindow::kZoomIn), BM_CLICK, 0, 0);
  EXPECT_GT(preview->zoom(), 0);
  const int zoomed = preview->zoom();
  SendMessageW(preview->button(PreviewWindow::kZoomIn), BM_CLICK, 0, 0);
  EXPECT_GT(preview->zoom(), zoomed);
  SetWindowPos(preview->hwnd(), HWND_TOP, 0, 0, 1000, 760, SWP_SHOWWINDOW);
  preview->SetZoom(0);
  KeepPicture(preview->hwnd(), "ORDERDESK_PREVIEW_BMP");
  service_.Preview(Grid(), table());
  EXPECT_EQ(service_.PreviewOf(Grid()), preview);
  // 页面跳转: a number outside the pages keeps the window open.
  {
    PageNumberWindow ask(1, 3, 1, preview->hwnd());
    EXPECT_FALSE(IsWindowEnabled(preview->hwnd()));
    SetWindowTextW(ask.edit(), L"7");
    PostMessageW(ask.hwnd(), WM_COMMAND, IDOK, 0);
    PostMessageW(ask.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(ask.Run());
  }
  EXPECT_TRUE(IsWindowEnabled(preview->hwnd()));
  {
    PageNumberWindow ask(1, 3, 1, preview->hwnd());
    SetWindowTextW(ask.edit(), L"2");
    PostMessageW(ask.hwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ask.Run(), 2);
  }
  // 保存为PDF on a machine without a PDF printer: told, nothing written.
  if (!PdfPrinter()) {
    dialogs_.QueueFileName(dir_.File("p.pdf"));
    SendMessageW(preview->button(PreviewWindow::kSavePdf), BM_CLICK, 0, 0);
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_FALSE(std::ifstream(dir_.File("p.pdf")).good());
  }
  SendMessageW(preview->button(PreviewWindow::kClose), BM_CLICK, 0, 0);
  EXPECT_EQ(service_.PreviewOf(Grid()), nullptr);
}

}  // namespace
}  // namespace gui::win32
