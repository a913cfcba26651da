#include "gui/win32/print_settings_window.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "platform/gbk.h"
#include "platform/services.h"
#include "report/lengths.h"
#include "report/pagination.h"

namespace gui::win32 {
namespace {

using platform::operator""_gbk;

struct Choice {
  const wchar_t* text;
  int value;
};
constexpr Choice kPositions[] = {{L"不打印页号", 0}, {L"页底居中", 1}, {L"页底靠右", 2},
                                 {L"页底靠左", 3},   {L"页顶居中", 4}, {L"页顶靠右", 5},
                                 {L"页顶靠左", 6}};
// The sizes a shop prints receipts on come first.
constexpr Choice kPapers[] = {
    {L"打印机默认", 0}, {L"A4", 9},  {L"A5", 11}, {L"80毫米小票纸", report::kReceiptRollPaper},
    {L"A3", 8},         {L"B4", 12}, {L"B5", 13}, {L"Letter", 1},
    {L"Legal", 5}};
constexpr Choice kOrientations[] = {{L"纵向", 1}, {L"横向", 2}};
constexpr Choice kOddEvenChoices[] = {
    {L"打印全部页", 0}, {L"只打印奇数页", 1}, {L"只打印偶数页", 2}};

std::wstring TextOf(HWND control) {
  std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1);
  GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  return text.data();
}

// A whole number typed into a box, held within `low`..`high`.
int NumberOf(HWND control, int low, int high) {
  const std::wstring text = TextOf(control);
  long long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') break;
    value = std::min<long long>(value * 10 + (c - L'0'), INT_MAX);
  }
  return static_cast<int>(std::clamp<long long>(value, low, high));
}

void SetNumber(HWND control, int value) { SetWindowTextW(control, std::to_wstring(value).c_str()); }

void Fill(HWND combo, const Choice* choices, std::size_t count, int value) {
  int selected = -1;
  for (std::size_t i = 0; i < count; ++i) {
    const auto index =
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choices[i].text));
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), choices[i].value);
    if (choices[i].value == value) selected = static_cast<int>(index);
  }
  if (selected < 0) {
    // A value the list does not name (read from a stored table) stays as it is.
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(std::to_wstring(value).c_str()));
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), value);
    selected = static_cast<int>(index);
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int Selected(HWND combo) {
  const auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return index < 0 ? 0 : static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, index, 0));
}

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Check(HWND button, bool on) {
  SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

HWND PrintSettingsWindow::Combo(int id, int x, int y, int width) {
  return AddControl(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, x, y, width, 240,
                    id);
}

void PrintSettingsWindow::Label(const wchar_t* text, int x, int y, int width) {
  AddControl(L"STATIC", text, SS_LEFT | SS_CENTERIMAGE, x, y, width, 24, 0);
}

HWND PrintSettingsWindow::Edit(int id, int x, int y, int width, bool number) {
  HWND edit =
      AddControl(L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | (number ? ES_NUMBER : 0),
                 x, y, width, 24, id);
  return edit;
}

PrintSettingsWindow::PrintSettingsWindow(const report::PrintSettings& settings, HWND owner)
    : owner_(owner), settings_(settings) {
  if (!Create(L"OrderDeskPrintSettings", L"打印设置对话框", WS_POPUP | WS_CAPTION | WS_SYSMENU, 470,
              600, owner))
    return;
  AddControl(L"BUTTON", L"页边距(单位:毫米)", BS_GROUPBOX, 8, 4, 454, 80, 0);
  const wchar_t* sides[] = {L"左:", L"上:", L"右:", L"下:"};
  for (int i = 0; i < 4; ++i) {
    const int x = 20 + (i % 2) * 220, y = 26 + (i / 2) * 28;
    Label(sides[i], x, y, 30);
    Edit(kMarginLeft + i, x + 34, y, 120, false);
  }
  Label(L"页号位置:", 12, 92, 90);
  Combo(kPageNumber, 104, 92, 180);
  Label(L"纸张:", 12, 122, 90);
  Combo(kPaper, 104, 122, 180);
  Label(L"方向:", 12, 152, 90);
  Combo(kOrientation, 104, 152, 180);

  AddControl(L"BUTTON", L"缩放", BS_GROUPBOX, 8, 182, 454, 82, 0);
  AddControl(L"BUTTON", L"缩放到纸宽", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 20, 200, 200, 22,
             kFit);
  AddControl(L"BUTTON", L"如超宽则压缩到纸宽", BS_AUTORADIOBUTTON, 230, 200, 220, 22, kShrink);
  AddControl(L"BUTTON", L"自定义:", BS_AUTORADIOBUTTON, 20, 230, 100, 22, kCustom);
  Label(L"缩放百分比:", 130, 229, 100);
  Edit(kPercent, 232, 229, 80, true);

  AddControl(L"BUTTON", L"自动重复尾行填充尾页空白", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 12,
             270, 300, 22, kRepeatLastRow);
  AddControl(L"BUTTON", L"自动添加表格线", WS_TABSTOP | BS_AUTOCHECKBOX, 12, 294, 300, 22,
             kAddTableLines);
  Label(L"每页打印行数(为0自动判断):", 12, 320, 220);
  Edit(kRowsPerPage, 236, 320, 80, true);

  AddControl(L"BUTTON", L"打印范围", BS_GROUPBOX, 8, 350, 454, 112, 0);
  AddControl(L"BUTTON", L"打印所有页", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 20, 368, 130, 22,
             kAllPages);
  AddControl(L"BUTTON", L"打印页范围", BS_AUTORADIOBUTTON, 160, 368, 130, 22, kPageRange);
  AddControl(L"BUTTON", L"打印行范围", BS_AUTORADIOBUTTON, 300, 368, 130, 22, kRowRange);
  AddControl(L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE | WS_GROUP, 20, 396, 90, 24,
             kRangeStartLabel);
  Edit(kRangeStart, 112, 396, 100, true);
  AddControl(L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE, 20, 426, 90, 24, kRangeEndLabel);
  Edit(kRangeEnd, 112, 426, 100, true);
  AddControl(L"BUTTON", L"打印到结尾", WS_TABSTOP | BS_AUTOCHECKBOX, 230, 426, 150, 22, kToTheEnd);

  Label(L"奇偶页方式:", 12, 470, 100);
  Combo(kOddEven, 114, 470, 170);
  Label(L"首页打印页号:", 12, 500, 110);
  Edit(kFirstPageNumber, 124, 500, 80, true);
  Label(L"打印份数:", 230, 500, 80);
  Edit(kCopies, 312, 500, 80, true);
  AddControl(L"BUTTON", L"打印到文件:", WS_TABSTOP | BS_AUTOCHECKBOX, 12, 530, 110, 24,
             kPrintToFile);
  Edit(kOutputFile, 124, 530, 290, false);
  AddControl(L"BUTTON", L"...", WS_TABSTOP | BS_PUSHBUTTON, 420, 530, 40, 24, kBrowse);
  AddControl(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 272, 566, 90, 28, IDOK);
  AddControl(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 370, 566, 90, 28, IDCANCEL);
  Load(settings);
  if (owner_) owner_was_enabled_ = !EnableWindow(owner_, FALSE);
}

PrintSettingsWindow::~PrintSettingsWindow() {
  if (owner_ && owner_was_enabled_) EnableWindow(owner_, TRUE);
}

void PrintSettingsWindow::Load(const report::PrintSettings& s) {
  const std::int32_t margins[] = {s.margin_left, s.margin_top, s.margin_right, s.margin_bottom};
  for (int i = 0; i < 4; ++i)
    SetWindowTextW(control(kMarginLeft + i), Wide(report::MillimetreText(margins[i])).c_str());
  Fill(control(kPageNumber), kPositions, std::size(kPositions), s.page_number_position);
  Fill(control(kPaper), kPapers, std::size(kPapers), s.paper_size);
  Fill(control(kOrientation), kOrientations, std::size(kOrientations), s.orientation);
  const int scale = report::AdjustedScaleCode(s.scale_code);
  Check(control(scale == -1 ? kFit : scale == -2 ? kShrink : kCustom), true);
  SetNumber(control(kPercent), scale > 0 ? scale : 100);
  Check(control(kRepeatLastRow), s.repeat_last_row != 0);
  Check(control(kAddTableLines), s.add_table_lines != 0);
  SetNumber(control(kRowsPerPage), s.rows_per_page);
  const int mode = s.range_mode >= 0 && s.range_mode <= 2 ? s.range_mode : 0;
  Check(control(kAllPages + mode), true);
  SetNumber(control(kRangeStart), s.range_start);
  SetNumber(control(kRangeEnd), s.range_end > 0 ? s.range_end : s.range_start);
  Check(control(kToTheEnd), s.range_end <= 0);
  Fill(control(kOddEven), kOddEvenChoices, std::size(kOddEvenChoices), s.odd_even);
  SetNumber(control(kFirstPageNumber), s.first_page_number);
  SetNumber(control(kCopies), s.copies);
  Check(control(kPrintToFile), s.print_to_file != 0);
  SetWindowTextW(control(kOutputFile), Wide(s.output_file).c_str());
  UpdateRange();
}

void PrintSettingsWindow::UpdateRange() {
  const bool rows = Checked(control(kRowRange));
  SetWindowTextW(control(kRangeStartLabel), rows ? L"起始行号:" : L"起始页号:");
  SetWindowTextW(control(kRangeEndLabel), rows ? L"结束行号:" : L"结束页号:");
  EnableWindow(control(kRangeEnd), !Checked(control(kToTheEnd)));
}

void PrintSettingsWindow::ChooseOutputFile() {
  std::string start = Gbk(TextOf(control(kOutputFile)));
  if (start.empty()) start = "out.prn";
  std::optional<std::string> chosen = platform::Current().dialogs->AskSaveFileName(
      "请选择欲打印到文件名:"_gbk, start, "打印输出文件 (*.prn)"_gbk);
  if (!chosen || chosen->empty()) return;
  SetWindowTextW(control(kOutputFile), Wide(*chosen).c_str());
  Check(control(kPrintToFile), true);
}

bool PrintSettingsWindow::Accept() {
  report::PrintSettings s = settings_;
  std::int32_t* margins[] = {&s.margin_left, &s.margin_top, &s.margin_right, &s.margin_bottom};
  for (int i = 0; i < 4; ++i) {
    const auto tenths = report::ParseMillimetres(Gbk(TextOf(control(kMarginLeft + i))));
    if (!tenths) {
      platform::Current().dialogs->ShowMessageBox("页边距请输入毫米数，最多一位小数。"_gbk,
                                                  "信息："_gbk, 0x40);
      SetFocus(control(kMarginLeft + i));
      SendMessageW(control(kMarginLeft + i), EM_SETSEL, 0, -1);
      return false;
    }
    *margins[i] = *tenths;
  }
  s.page_number_position = static_cast<std::int16_t>(Selected(control(kPageNumber)));
  s.scale_code =
      static_cast<std::int16_t>(Checked(control(kFit))      ? -1
                                : Checked(control(kShrink)) ? -2
                                                            : NumberOf(control(kPercent), 1, 1000));
  s.paper_size = static_cast<std::int16_t>(Selected(control(kPaper)));
  s.orientation = static_cast<std::int16_t>(Selected(control(kOrientation)));
  s.repeat_last_row = Checked(control(kRepeatLastRow)) ? 1 : 0;
  s.add_table_lines = Checked(control(kAddTableLines)) ? 1 : 0;
  s.rows_per_page = NumberOf(control(kRowsPerPage), 0, 9999999);
  s.range_mode = Checked(control(kRowRange)) ? 2 : Checked(control(kPageRange)) ? 1 : 0;
  s.range_start = NumberOf(control(kRangeStart), 1, 9999999);
  s.range_end = Checked(control(kToTheEnd)) ? 0 : NumberOf(control(kRangeEnd), 1, 9999999);
  s.odd_even = Selected(control(kOddEven));
  s.first_page_number = NumberOf(control(kFirstPageNumber), 0, 9999999);
  s.copies = NumberOf(control(kCopies), 1, 9999);
  s.print_to_file = Checked(control(kPrintToFile)) ? 1 : 0;
  s.output_file = Gbk(TextOf(control(kOutputFile)));
  settings_ = std::move(s);
  accepted_ = done_ = true;
  return true;
}

std::optional<report::PrintSettings> PrintSettingsWindow::Run() {
  if (!hwnd()) return std::nullopt;
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetFocus(control(kMarginLeft));
  RunModalLoop(hwnd(), &done_);
  if (!accepted_) return std::nullopt;
  return settings_;
}

LRESULT PrintSettingsWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          Accept();
          return 0;
        case IDCANCEL:
          done_ = true;
          return 0;
        case kBrowse:
          ChooseOutputFile();
          return 0;
        case kAllPages:
        case kPageRange:
        case kRowRange:
        case kToTheEnd:
          UpdateRange();
          return 0;
        default:
          return 0;
      }
    case WM_CLOSE:
      done_ = true;
      return 0;
    default:
      return PrintWindow::Handle(message, wparam, lparam);
  }
}

std::optional<report::PrintSettings> AskPrintSettings(const report::PrintSettings& settings,
                                                      HWND owner) {
  PrintSettingsWindow window(settings, owner);
  return window.Run();
}

}  // namespace gui::win32
