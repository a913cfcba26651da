#include "gui/win32/screenshots.h"

#include <cstdio>
#include <fstream>

#include "forms/units/tab.h"
#include "platform/win32/wide.h"

// windows.h renames FindWindow; the form runtime means its own.
#undef FindWindow

namespace gui::win32 {
namespace {

void Put(std::vector<char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::wstring& path) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  // PrintWindow gives a blank picture under some window managers; the
  // screen's own pixels are what a person sees.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  // Rows bottom-up, 24 bits per pixel, each row padded to 4 bytes.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  std::vector<char> pixels(stride * static_cast<std::size_t>(height));
  int rows =
      GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;
  // File header: "BM" size(4) reserved(4) offset(4); info header 40 bytes.
  std::vector<char> file{'B', 'M'};
  Put(file, static_cast<std::uint32_t>(54 + pixels.size()), 4);
  Put(file, 0, 4);
  Put(file, 54, 4);
  Put(file, 40, 4);
  Put(file, static_cast<std::uint32_t>(width), 4);
  Put(file, static_cast<std::uint32_t>(height), 4);
  Put(file, 1, 2);
  Put(file, 24, 2);
  Put(file, 0, 4);
  Put(file, static_cast<std::uint32_t>(pixels.size()), 4);
  Put(file, 2835, 4);
  Put(file, 2835, 4);
  Put(file, 0, 4);
  Put(file, 0, 4);
  file.insert(file.end(), pixels.begin(), pixels.end());
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr) &&
            written == file.size();
  CloseHandle(out);
  return ok;
}

std::vector<std::string> SaveScreenshots(forms::FormRuntime& forms, Desktop& desktop,
                                         const std::string& folder, std::string& error) {
  std::vector<std::string> written;
  std::wstring dir = platform::win32::Utf8ToWide(folder);
  CreateDirectoryW(dir.c_str(), nullptr);
  if (GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES) {
    error = "cannot create " + folder;
    return {};
  }
  int number = 0;
  for (std::size_t index = 0; index < forms.tmpl().windows.size(); ++index) {
    std::uint32_t id = forms.tmpl().windows[index].id;
    bool was_open = forms.FindWindow(id) != nullptr;
    if (!forms.LoadWindow(id, 0, false)) continue;
    forms::Window* window = forms.FindWindow(id);
    if (window == nullptr) continue;
    HWND handle = desktop.HandleOf(*window);
    if (handle == nullptr) continue;
    ShowWindow(handle, SW_SHOW);
    SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    std::string name = index == 0 ? "main" : "window" + std::to_string(index);
    auto save = [&](const std::string& part) {
      // Everything the change asked for is painted before the picture.
      desktop.Drain();
      RedrawWindow(handle, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      GdiFlush();
      Sleep(100);  // the X server shows what was drawn
      desktop.Drain();
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, "%02d", ++number);
      std::string file = std::string(prefix) + "-" + name + part + ".bmp";
      std::string path = folder + "/" + file;
      if (!SaveWindowPicture(handle, platform::win32::Utf8ToWide(path))) {
        error = "cannot write " + file;
        return false;
      }
      written.push_back(path);
      return true;
    };
    forms::Tab* tab = nullptr;
    for (const auto& unit : window->units())
      if ((tab = dynamic_cast<forms::Tab*>(unit.get())) != nullptr) break;
    if (tab == nullptr) {
      if (!save("")) return {};
    } else {
      int first = tab->current_page();
      for (int page = 0; page < tab->page_count(); ++page) {
        tab->SelectPage(page);
        if (!save("-page" + std::to_string(page + 1))) return {};
      }
      tab->SelectPage(first);
    }
    SetWindowPos(handle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!was_open && forms.FindWindow(id) != nullptr) forms.CloseWindow(id, true);
  }
  return written;
}

}  // namespace gui::win32
