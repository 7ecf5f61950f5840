// Test support for the picture and image-list tests: a memory DC holding a 32-bit DIB
// section with a canvas attached, and a probe that tells whether GDI or user objects leak.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Colors.h"
#include "classlib/graphics/GdiHandles.h"

// A memory DC with a top-down 32-bit DIB section selected, and a canvas attached to it.
class MemorySurface {
 public:
  MemorySurface(int width, int height, TColor background = clWhite)
      : FWidth(width), FHeight(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FBitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    FBits = static_cast<TPixel32*>(bits);
    FDC.reset(::CreateCompatibleDC(nullptr));
    FOldBitmap = ::SelectObject(FDC.get(), FBitmap.get());
    Fill(background);
    Canvas.SetHandle(FDC.get());
  }
  ~MemorySurface() {
    Canvas.SetHandle(nullptr);
    ::SelectObject(FDC.get(), FOldBitmap);
  }
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;

  HDC DC() const { return FDC.get(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The colour at (x, y), alpha ignored.
  TColor At(int x, int y) const {
    ::GdiFlush();
    return ColorFromPixel(FBits[y * FWidth + x]);
  }
  const TPixel32& PixelAt(int x, int y) const {
    ::GdiFlush();
    return FBits[y * FWidth + x];
  }
  void Fill(TColor color) {
    ::GdiFlush();
    std::fill(FBits, FBits + FWidth * FHeight, PixelFromColor(color));
  }
  // How many pixels of r have the colour.
  int CountOf(TColor color, const TRect& r) const {
    int count = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) count += At(x, y) == color ? 1 : 0;
    return count;
  }
  // True when every pixel equals the other surface's (alpha ignored).
  bool SameAs(const MemorySurface& other) const {
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x)
        if (!(At(x, y) == other.At(x, y))) return false;
    return true;
  }

  TCanvas Canvas;

 private:
  int FWidth;
  int FHeight;
  UniqueBitmap FBitmap;  // the pixels (deleted after the DC)
  UniqueDC FDC;
  HGDIOBJ FOldBitmap = nullptr;
  TPixel32* FBits = nullptr;
};

// Tells whether GDI and user objects leak over a piece of work. On Windows the process's
// object counts say it directly. Wine reports no counts, but it reuses the slots of freed
// handles (the low word of a handle is its slot): objects made after leak-free work land
// in the same slots as before, while a leak of one object per cycle pushes new objects
// hundreds of slots higher.
class ResourceProbe {
 public:
  ResourceProbe() : FBefore(Measure()) {}

  void ExpectNoLeak() const {
    const Snapshot after = Measure();
    EXPECT_LE(after.GdiCount, FBefore.GdiCount + 2) << "GDI objects leak";
    EXPECT_LE(after.UserCount, FBefore.UserCount + 2) << "user objects leak";
    EXPECT_LT(after.GdiSlot, FBefore.GdiSlot + kSlack) << "GDI objects leak";
    EXPECT_LT(after.UserSlot, FBefore.UserSlot + kSlack) << "user objects leak";
  }

 private:
  static constexpr unsigned kProbes = 64;
  static constexpr unsigned kSlack = 300;

  struct Snapshot {
    unsigned GdiCount, UserCount;  // from the system (0 under Wine)
    unsigned GdiSlot, UserSlot;    // highest slot among fresh probe objects
  };

  static Snapshot Measure() {
    HANDLE process = ::GetCurrentProcess();
    Snapshot s{static_cast<unsigned>(::GetGuiResources(process, GR_GDIOBJECTS)),
               static_cast<unsigned>(::GetGuiResources(process, GR_USEROBJECTS)), 0, 0};
    std::vector<HBITMAP> bitmaps;
    std::vector<HICON> icons;
    const BYTE andBits[2] = {0, 0}, xorBits[2] = {0, 0};
    for (unsigned i = 0; i < kProbes; ++i) {
      bitmaps.push_back(::CreateBitmap(1, 1, 1, 1, nullptr));
      icons.push_back(::CreateIcon(nullptr, 1, 1, 1, 1, andBits, xorBits));
    }
    for (HBITMAP b : bitmaps) {
      s.GdiSlot = std::max<unsigned>(s.GdiSlot, LOWORD(reinterpret_cast<uintptr_t>(b)));
      ::DeleteObject(b);
    }
    for (HICON icon : icons) {
      s.UserSlot = std::max<unsigned>(s.UserSlot, LOWORD(reinterpret_cast<uintptr_t>(icon)));
      ::DestroyIcon(icon);
    }
    return s;
  }

  Snapshot FBefore;
};
