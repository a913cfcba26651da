#include "gui/win32/desktop.h"

#include <commctrl.h>

#include "gui/win32/window_view.h"
#include "platform/win32/wide.h"

namespace gui::win32 {
namespace {

constexpr UINT kRunPosted = WM_APP + 1;
constexpr wchar_t kPostClass[] = L"OrderDeskPosted";

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool HasFace(HDC dc, const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, &NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The desk's own face on a Chinese Windows; elsewhere (wine on a Linux
// machine, say) a CJK family the system has. A face the system lacks would
// be replaced by one that shows Latin letters as boxes. 12 pixels is the
// 9-point text the forms were laid out for.
HFONT MakeFont() {
  const wchar_t* face = L"SimSun";
  HDC dc = GetDC(nullptr);
  for (const wchar_t* candidate :
       {L"Microsoft YaHei", L"SimSun", L"NSimSun", L"Noto Sans CJK SC", L"Noto Sans SC",
        L"WenQuanYi Zen Hei", L"WenQuanYi Micro Hei", L"Droid Sans Fallback"})
    if (HasFace(dc, candidate)) {
      face = candidate;
      break;
    }
  ReleaseDC(nullptr, dc);
  return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

Desktop::Desktop() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                                     ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW posted{};
  posted.lpfnWndProc = &PostProc;
  posted.hInstance = GetModuleHandleW(nullptr);
  posted.lpszClassName = kPostClass;
  RegisterClassW(&posted);
  post_window_ = CreateWindowW(kPostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               posted.hInstance, nullptr);
  SetWindowLongPtrW(post_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  font_ = MakeFont();
}

Desktop::~Desktop() {
  if (post_window_ != nullptr) DestroyWindow(post_window_);
  if (font_ != nullptr) DeleteObject(font_);
  SetIcons(nullptr, nullptr);
}

void Desktop::SetIcons(HICON big, HICON small) {
  if (big_icon_ != nullptr) DestroyIcon(big_icon_);
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
  big_icon_ = big;
  small_icon_ = small;
}

LRESULT CALLBACK Desktop::PostProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunPosted) {
    auto* desktop = reinterpret_cast<Desktop*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (desktop != nullptr) desktop->RunPosted();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Desktop::RunPosted() {
  // One task per message: a task may run a nested loop that takes the next.
  if (posted_.empty()) return;
  std::function<void()> task = std::move(posted_.front());
  posted_.pop_front();
  task();
}

std::unique_ptr<forms::WindowView> Desktop::CreateView(forms::Window& window) {
  return std::make_unique<WindowView>(window, *this);
}

void Desktop::ShowPopupMenu(forms::Window& window, const std::vector<forms::PopupItem>& items,
                            int x, int y) {
  HMENU menu = CreatePopupMenu();
  for (std::size_t index = 0; index < items.size(); ++index) {
    const forms::PopupItem& item = items[index];
    UINT flags = MF_STRING | (item.disabled ? MF_GRAYED : 0u) | (item.checked ? MF_CHECKED : 0u);
    AppendMenuW(menu, flags, index + 1, platform::win32::GbkToWide(item.caption).c_str());
  }
  HWND owner = HandleOf(window);
  if (owner == nullptr) owner = post_window_;
  SetForegroundWindow(owner);
  int chosen =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr);
  DestroyMenu(menu);
  if (chosen <= 0 || static_cast<std::size_t>(chosen) > items.size()) return;
  forms::FormRuntime* runtime = runtime_ != nullptr ? runtime_ : &window.runtime();
  std::uint64_t instance = window.instance();
  std::uint32_t id = items[static_cast<std::size_t>(chosen) - 1].id;
  // The window hears of the choice once the running handler has returned.
  Post([runtime, instance, id] {
    if (forms::Window* open = runtime->FindInstance(instance)) runtime->ChooseMenuItem(*open, id);
  });
}

void Desktop::Post(std::function<void()> task) {
  posted_.push_back(std::move(task));
  PostMessageW(post_window_, kRunPosted, 0, 0);
}

bool Desktop::Dispatch(MSG& msg) {
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void Desktop::RunLoop(const std::function<bool()>& done) {
  MSG msg;
  while (!done()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT ends the outer loop too.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void Desktop::Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void Desktop::Wake() { PostMessageW(post_window_, WM_NULL, 0, 0); }

HWND Desktop::HandleOf(const forms::Window& window) const {
  auto it = views_.find(window.instance());
  return it == views_.end() ? nullptr : it->second->handle();
}

}  // namespace gui::win32
