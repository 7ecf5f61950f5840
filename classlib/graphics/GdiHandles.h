// Move-only holders of GDI and user handles: each handle has exactly one owner, which frees
// it with the call its kind needs. get() lends the handle; release() gives it up without
// freeing it (for handles the system takes over, such as a region given to a window).
#pragma once
#include <utility>
#include "../system/Win.h"

// Owns one handle of type H and frees it with Deleter when replaced or destroyed.
template <class H, class Deleter>
class UniqueGdiHandle {
 public:
  UniqueGdiHandle() = default;
  explicit UniqueGdiHandle(H handle) : FHandle(handle) {}
  UniqueGdiHandle(UniqueGdiHandle&& other) noexcept : FHandle(other.release()) {}
  UniqueGdiHandle& operator=(UniqueGdiHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueGdiHandle(const UniqueGdiHandle&) = delete;
  UniqueGdiHandle& operator=(const UniqueGdiHandle&) = delete;
  ~UniqueGdiHandle() { reset(); }

  H get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  // Gives up ownership: the caller (or the system) frees the handle from now on.
  H release() { return std::exchange(FHandle, nullptr); }
  // Frees the held handle and takes the new one.
  void reset(H handle = nullptr) {
    H old = std::exchange(FHandle, handle);
    if (old && old != handle) Deleter()(old);
  }

 private:
  H FHandle = nullptr;  // the owned handle, or nullptr
};

struct GdiObjectDeleter {
  void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct DCDeleter {
  void operator()(HDC h) const { ::DeleteDC(h); }
};
struct IconDeleter {
  void operator()(HICON h) const { ::DestroyIcon(h); }
};

using UniqueDC = UniqueGdiHandle<HDC, DCDeleter>;                 // from CreateCompatibleDC/CreateDC
using UniqueBitmap = UniqueGdiHandle<HBITMAP, GdiObjectDeleter>;
using UniqueRegion = UniqueGdiHandle<HRGN, GdiObjectDeleter>;
using UniqueFont = UniqueGdiHandle<HFONT, GdiObjectDeleter>;
using UniqueBrush = UniqueGdiHandle<HBRUSH, GdiObjectDeleter>;
using UniquePen = UniqueGdiHandle<HPEN, GdiObjectDeleter>;
using UniquePalette = UniqueGdiHandle<HPALETTE, GdiObjectDeleter>;
using UniqueIcon = UniqueGdiHandle<HICON, IconDeleter>;          // from CreateIconIndirect etc.

// A window's device context from GetDC or GetWindowDC, given back with ReleaseDC.
class WindowDC {
 public:
  WindowDC() = default;
  WindowDC(HWND wnd, HDC dc) : FWnd(wnd), FDC(dc) {}
  // Takes GetDC(wnd); check get() for nullptr.
  static WindowDC FromClient(HWND wnd) { return WindowDC(wnd, ::GetDC(wnd)); }
  WindowDC(WindowDC&& other) noexcept
      : FWnd(std::exchange(other.FWnd, nullptr)), FDC(std::exchange(other.FDC, nullptr)) {}
  WindowDC& operator=(WindowDC&& other) noexcept {
    if (this != &other) {
      reset();
      FWnd = std::exchange(other.FWnd, nullptr);
      FDC = std::exchange(other.FDC, nullptr);
    }
    return *this;
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() { reset(); }

  HDC get() const { return FDC; }
  HWND window() const { return FWnd; }
  explicit operator bool() const { return FDC != nullptr; }
  void reset() {
    if (FDC) ::ReleaseDC(FWnd, FDC);
    FDC = nullptr;
    FWnd = nullptr;
  }

 private:
  HWND FWnd = nullptr;  // the window the DC belongs to (nullptr for the screen)
  HDC FDC = nullptr;    // the DC, or nullptr
};

// Selects an object into a DC and selects the previous one back when it goes. The scope
// owns neither the DC nor the object: both must outlive it.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object)
      : FDC(dc), FOld(dc && object ? ::SelectObject(dc, object) : nullptr) {}
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;
  ~SelectObjectScope() {
    if (FDC && FOld && FOld != HGDI_ERROR) ::SelectObject(FDC, FOld);
  }

 private:
  HDC FDC;       // the DC the object was selected into
  HGDIOBJ FOld;  // what was selected before (restored on exit)
};

// Hands a region to a window with SetWindowRgn. On success the system owns the region and
// the holder releases it (it must never be deleted by us); on failure the holder keeps it
// and deletes it as usual.
inline bool SetWindowRegion(HWND wnd, UniqueRegion& region, bool redraw) {
  if (!::SetWindowRgn(wnd, region.get(), redraw ? TRUE : FALSE)) return false;
  region.release();
  return true;
}
