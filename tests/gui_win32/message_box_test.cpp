// The desk's message boxes under Windows: the system's own box, its buttons
// labelled in Chinese whatever the system's language (wine runs in English
// here), the pressed button returned as the desk's answer.
#include <gtest/gtest.h>

#include <string>

// clang-format off
#include <windows.h>
// clang-format on

#include "platform/gbk.h"
#include "platform/win32/desktop_services.h"

namespace {

using platform::operator""_gbk;

// What the timer found in the box, and which button it pressed.
std::wstring yes_label, no_label;

BOOL CALLBACK ReadBox(HWND hwnd, LPARAM) {
  wchar_t type[16] = {};
  GetClassNameW(hwnd, type, 16);
  if (std::wstring(type) != L"#32770") return TRUE;
  wchar_t text[32] = {};
  GetDlgItemTextW(hwnd, IDYES, text, 32);
  yes_label = text;
  GetDlgItemTextW(hwnd, IDNO, text, 32);
  no_label = text;
  PostMessageW(hwnd, WM_COMMAND, IDNO, 0);
  return FALSE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EnumThreadWindows(GetCurrentThreadId(), &ReadBox, 0);
}

TEST(Win32MessageBox, ButtonsSpeakChineseAndTheClickedOneIsTheAnswer) {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (probe == nullptr) GTEST_SKIP() << "no display";
  DestroyWindow(probe);
  platform::win32::Dialogs dialogs;
  SetTimer(nullptr, 0, 300, &AnswerBox);
  platform::BoxAnswer answer =
      dialogs.ShowMessageBox("确定要删除这个订单吗？"_gbk, "提示"_gbk, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(answer, platform::BoxAnswer::kNo);
  EXPECT_EQ(yes_label, L"\u662f");
  EXPECT_EQ(no_label, L"\u5426");
}

}  // namespace
