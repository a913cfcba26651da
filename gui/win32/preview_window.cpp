#include "gui/win32/preview_window.h"

#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "gui/win32/gdi_painter.h"
#include "gui/win32/print_device.h"
#include "gui/win32/print_service.h"
#include "gui/win32/print_settings_window.h"
#include "platform/gbk.h"
#include "platform/services.h"
#include "report/layout.h"

namespace gui::win32 {
namespace {

using platform::operator""_gbk;

constexpr int kToolbar = 40, kGap = 12, kCaption = 22;
constexpr int kZooms[] = {50, 75, 100, 150, 200, 300};
// Pixels of the screen in a tenth of a millimetre at 100 percent.
constexpr double kScreenPerTenth = 96 / 254.0;

// The user's documents folder (GBK), where a saved copy is proposed.
std::string DocumentsFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  return Gbk(path);
}

}  // namespace

PreviewWindow::PreviewWindow(PrintService& service, const runtime::Value& grid,
                             report::Table& table, HWND owner)
    : service_(service), grid_(grid), table_(table) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int height = std::min(900, static_cast<int>(work.bottom - work.top) - 60);
  if (!Create(L"OrderDeskPrintPreview", L"打印预览",
              WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_CLIPCHILDREN, 1000, height, owner))
    return;
  struct Button {
    int id;
    const wchar_t* text;
    int width;
  };
  const Button buttons[] = {{kFirst, L"首页", 56},
                            {kPrevious, L"上一页", 64},
                            {kNext, L"下一页", 64},
                            {kLast, L"末页", 56},
                            {kGoTo, L"页面跳转...", 90},
                            {kZoomIn, L"放大", 56},
                            {kZoomOut, L"缩小", 56},
                            {kSettings, L"打印设置...", 90},
                            {kPrint, L"打印...", 70},
                            {kSavePdf, L"保存为PDF", 86},
                            {kSaveSheet, L"保存为Excel", 96},
                            {kPrintToFile, L"打印到文件...", 104},
                            {kClose, L"关闭", 56}};
  int x = 6;
  for (const Button& b : buttons) {
    AddControl(L"BUTTON", b.text, WS_TABSTOP | BS_PUSHBUTTON, x, 6, b.width, 28, b.id);
    x += b.width + 4;
  }
  AddControl(L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE, x + 6, 6, 80, 28, kStatus);
  Refresh();
  ShowWindow(hwnd(), SW_SHOWNORMAL);
}

void PreviewWindow::Refresh() {
  paper_ = PaperForPreview(table_.print);
  pagination_ =
      report::Paginate(table_, report::PrintableArea(paper_, table_.print), GdiTextMeasure());
  ShowPage(current_);
}

void PreviewWindow::ShowPage(int index) {
  current_ = std::clamp(index, 0, std::max(page_count() - 1, 0));
  scroll_ = {0, 0};
  UpdateControls();
  UpdateScrollBars();
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void PreviewWindow::SetZoom(int percent) {
  zoom_ = std::max(percent, 0);
  ShowPage(current_);
}

bool PreviewWindow::GoToNumber(int number) {
  for (int i = 0; i < page_count(); ++i)
    if (pagination_.pages[static_cast<std::size_t>(i)].number >= number) {
      ShowPage(i);
      return true;
    }
  return false;
}

PageNumberWindow::PageNumberWindow(int first, int last, int current, HWND owner)
    : owner_(owner), first_(first), last_(last) {
  if (!Create(L"OrderDeskPageNumber", L"页面跳转:", WS_POPUP | WS_CAPTION | WS_SYSMENU, 300, 104,
              owner))
    return;
  AddControl(L"STATIC",
             L"请输入欲跳转到页号(" + std::to_wstring(first) + L"-" + std::to_wstring(last) + L"):",
             SS_LEFT, 12, 12, 276, 22, 0);
  edit_ = AddControl(L"EDIT", std::to_wstring(current),
                     WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL, 12, 38, 276, 24, 1);
  AddControl(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 100, 70, 90, 28, IDOK);
  AddControl(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 198, 70, 90, 28, IDCANCEL);
  if (owner_) owner_was_enabled_ = !EnableWindow(owner_, FALSE);
}

PageNumberWindow::~PageNumberWindow() {
  if (owner_ && owner_was_enabled_) EnableWindow(owner_, TRUE);
}

std::optional<int> PageNumberWindow::Run() {
  if (!hwnd()) return std::nullopt;
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetFocus(edit_);
  SendMessageW(edit_, EM_SETSEL, 0, -1);
  RunModalLoop(hwnd(), &done_);
  return chosen_;
}

LRESULT PageNumberWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL)) {
    done_ = true;
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wparam) == IDOK) {
    wchar_t text[16] = {};
    GetWindowTextW(edit_, text, 16);
    const long number = std::wcstol(text, nullptr, 10);
    if (number < first_ || number > last_) {
      // A number outside the pages keeps the window open, as typed.
      MessageBeep(MB_ICONWARNING);
      SetFocus(edit_);
      SendMessageW(edit_, EM_SETSEL, 0, -1);
      return 0;
    }
    chosen_ = static_cast<int>(number);
    done_ = true;
    return 0;
  }
  return PrintWindow::Handle(message, wparam, lparam);
}

std::wstring PreviewWindow::status() const {
  return std::to_wstring(page_count() > 0 ? current_ + 1 : 0) + L" / " +
         std::to_wstring(page_count());
}

void PreviewWindow::UpdateControls() {
  if (!hwnd()) return;
  SetWindowTextW(button(kStatus), status().c_str());
  EnableWindow(button(kFirst), current_ > 0);
  EnableWindow(button(kPrevious), current_ > 0);
  EnableWindow(button(kNext), current_ + 1 < page_count());
  EnableWindow(button(kLast), current_ + 1 < page_count());
  EnableWindow(button(kZoomOut), zoom_ != kZooms[0]);
  EnableWindow(button(kZoomIn), zoom_ != std::end(kZooms)[-1]);
}

RECT PreviewWindow::PageArea() const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  client.top = std::min(client.bottom, static_cast<LONG>(kToolbar));
  return client;
}

SIZE PreviewWindow::SheetSize() const {
  if (paper_.width <= 0 || paper_.height <= 0) return {0, 0};
  const RECT area = PageArea();
  double scale = zoom_ * kScreenPerTenth / 100;
  if (zoom_ == 0)
    scale = std::min((area.right - area.left - 2.0 * kGap) / paper_.width,
                     (area.bottom - area.top - 2.0 * kGap - kCaption) / paper_.height);
  if (scale <= 0) return {0, 0};
  return {static_cast<LONG>(paper_.width * scale), static_cast<LONG>(paper_.height * scale)};
}

void PreviewWindow::UpdateScrollBars() {
  if (!hwnd()) return;
  const RECT area = PageArea();
  const SIZE sheet = SheetSize();
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = zoom_ == 0 ? 0 : sheet.cx + 2 * kGap;
  info.nPage = static_cast<UINT>(area.right - area.left);
  info.nPos = scroll_.x;
  SetScrollInfo(hwnd(), SB_HORZ, &info, TRUE);
  info.nMax = zoom_ == 0 ? 0 : sheet.cy + 2 * kGap + kCaption;
  info.nPage = static_cast<UINT>(area.bottom - area.top);
  info.nPos = scroll_.y;
  SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
}

void PreviewWindow::Scroll(int bar, int request, int amount) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(hwnd(), bar, &info);
  int pos = info.nPos;
  switch (request) {
    case SB_LINEUP:
      pos -= 40;
      break;
    case SB_LINEDOWN:
      pos += 40;
      break;
    case SB_PAGEUP:
      pos -= static_cast<int>(info.nPage);
      break;
    case SB_PAGEDOWN:
      pos += static_cast<int>(info.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = info.nTrackPos;
      break;
    case -1:
      pos += amount;
      break;
    default:
      break;
  }
  pos = std::clamp(pos, 0, std::max(0, info.nMax - static_cast<int>(info.nPage) + 1));
  (bar == SB_HORZ ? scroll_.x : scroll_.y) = pos;
  info.fMask = SIF_POS;
  info.nPos = pos;
  SetScrollInfo(hwnd(), bar, &info, TRUE);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void PreviewWindow::Paint() {
  PAINTSTRUCT ps;
  HDC window_dc = BeginPaint(hwnd(), &ps);
  const RECT area = PageArea();
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width > 0 && height > 0) {
    // Drawn off the screen first, so that the page does not flicker.
    HDC dc = CreateCompatibleDC(window_dc);
    HBITMAP bitmap = CreateCompatibleBitmap(window_dc, width, height);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, grey);
    DeleteObject(grey);
    const SIZE sheet = SheetSize();
    if (sheet.cx > 0 && sheet.cy > 0) {
      const int left = std::max(kGap, (width - static_cast<int>(sheet.cx)) / 2) - scroll_.x;
      const int top = kGap + kCaption - scroll_.y;
      if (page_count() > 0) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        SelectObject(dc, font());
        const std::wstring caption =
            L"第 " + std::to_wstring(pagination_.pages[static_cast<std::size_t>(current_)].number) +
            L" 页";
        TextOutW(dc, left, top - kCaption + 2, caption.c_str(), static_cast<int>(caption.size()));
      }
      HBRUSH shadow = CreateSolidBrush(RGB(64, 64, 64));
      const RECT under{left + 4, top + 4, left + sheet.cx + 4, top + sheet.cy + 4};
      FillRect(dc, &under, shadow);
      DeleteObject(shadow);
      const RECT page{left, top, left + sheet.cx, top + sheet.cy};
      FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      if (page_count() > 0) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, page.left, page.top, page.right, page.bottom);
        SetViewportOrgEx(dc, left, top, nullptr);
        GdiPagePainter painter(dc, static_cast<double>(sheet.cx) / paper_.width);
        report::DrawPage(table_, pagination_, pagination_.pages[static_cast<std::size_t>(current_)],
                         paper_, painter);
        RestoreDC(dc, saved);
      }
    }
    BitBlt(window_dc, area.left, area.top, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  EndPaint(hwnd(), &ps);
}

void PreviewWindow::ShowFailure(const report::Text& failure) {
  if (failure.empty()) return;
  platform::Current().dialogs->ShowMessageBox(failure, "信息："_gbk, 0x40);
}

void PreviewWindow::OnCommand(int id) {
  switch (id) {
    case kFirst:
      ShowPage(0);
      break;
    case kPrevious:
      ShowPage(current_ - 1);
      break;
    case kNext:
      ShowPage(current_ + 1);
      break;
    case kLast:
      ShowPage(page_count() - 1);
      break;
    case kGoTo:
      if (page_count() > 0) {
        PageNumberWindow ask(pagination_.pages.front().number, pagination_.pages.back().number,
                             pagination_.pages[static_cast<std::size_t>(current_)].number, hwnd());
        if (auto number = ask.Run()) GoToNumber(*number);
      }
      break;
    case kZoomIn:
    case kZoomOut: {
      // From "fit", the nearest step to the fitted size.
      int at = zoom_;
      if (at == 0)
        at = static_cast<int>(
            std::lround(SheetSize().cx * 100.0 / (paper_.width * kScreenPerTenth)));
      const int* step = id == kZoomIn ? std::upper_bound(std::begin(kZooms), std::end(kZooms), at)
                                      : std::lower_bound(std::begin(kZooms), std::end(kZooms), at);
      if (id == kZoomOut) step = step == std::begin(kZooms) ? step : step - 1;
      if (step == std::end(kZooms)) step = std::end(kZooms) - 1;
      SetZoom(*step);
      break;
    }
    case kSettings:
      if (auto settings = AskPrintSettings(table_.print, hwnd())) {
        table_.print = *settings;
        Refresh();
      }
      break;
    case kPrint:
      if (auto failure = service_.PrintWithDialog(grid_, table_, hwnd())) ShowFailure(*failure);
      break;
    case kSavePdf:
      report::SaveAsPdf(service_, grid_, table_,
                        report::ProposedPdfPath(service_, grid_, DocumentsFolder()));
      break;
    case kSaveSheet:
      report::SaveAsSheet(service_, grid_, table_,
                          report::ProposedSheetPath(service_, grid_, DocumentsFolder()));
      break;
    case kPrintToFile:
      if (auto failure = service_.PrintToFile(grid_, table_)) ShowFailure(*failure);
      break;
    case kClose:
      DestroyWindow(hwnd());
      break;
    default:
      break;
  }
}

LRESULT PreviewWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      UpdateScrollBars();
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_ACTIVATE:
      // The table may have changed while another window was active.
      if (LOWORD(wparam) != WA_INACTIVE) Refresh();
      return PrintWindow::Handle(message, wparam, lparam);
    case WM_VSCROLL:
      Scroll(SB_VERT, LOWORD(wparam));
      return 0;
    case WM_HSCROLL:
      Scroll(SB_HORZ, LOWORD(wparam));
      return 0;
    case WM_MOUSEWHEEL:
      Scroll(SB_VERT, -1, -GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA * 60);
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) DestroyWindow(hwnd());
      if (wparam == VK_NEXT) ShowPage(current_ + 1);
      if (wparam == VK_PRIOR) ShowPage(current_ - 1);
      return 0;
    default:
      return PrintWindow::Handle(message, wparam, lparam);
  }
}

}  // namespace gui::win32
