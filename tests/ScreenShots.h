// Screenshots for looking at windows after a test run: what the screen shows of a window,
// frame included, saved as a BMP file in screenshots\ under the test's working folder (the
// build folder's tests\).
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/system/SysString.h"
#include "classlib/system/Win.h"

// Saves the screen's pixels under wnd as screenshots\<name>.bmp; false when the window has
// no area on the screen or the file cannot be written.
inline bool SaveWindowScreenshot(HWND wnd, const String& name) {
  RECT r{};
  if (!::GetWindowRect(wnd, &r) || r.right <= r.left || r.bottom <= r.top) return false;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = ::GetDC(nullptr);
  if (!screen) return false;
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  ::SelectObject(dc, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as the file keeps it
  info.biPlanes = 1;
  info.biBitCount = 24;
  const size_t stride = ((static_cast<size_t>(width) * 3 + 3) / 4) * 4;
  std::vector<uint8_t> pixels(stride * height);
  const int rows = ::GetDIBits(dc, bitmap, 0, height, pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  if (rows != height) return false;

  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
  ::CreateDirectoryW(L"screenshots", nullptr);
  const String file = L"screenshots\\" + name + L".bmp";
  HANDLE out = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(out, &header, sizeof header, &written, nullptr) &&
            ::WriteFile(out, &info, sizeof info, &written, nullptr) &&
            ::WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
  ::CloseHandle(out);
  return ok;
}
