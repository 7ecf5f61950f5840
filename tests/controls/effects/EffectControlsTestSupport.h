// Test support for the effect controls: layouts read into a host, windowless controls painted
// into a memory surface and its pixels checked, and the message loop pumped.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>

#include "classlib/classes/Layouts.h"
#include "classlib/classes/Streams.h"
#include "classlib/controls/ControlTestSupport.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/MemorySurface.h"
#include "tests/ScreenShots.h"

namespace effect_tests {

// Handles what is queued, through the application.
inline void Pump() {
  for (int i = 0; i < 20; ++i) Application->ProcessMessages();
}

// Reads a layout text (the object of the host first, the controls inside it) into host.
inline void ReadLayout(TComponent* host, const String& text) {
  TStringStream stream(text);
  ReadComponentFromStream(stream, host);
}

// Paints a control into the surface, its top-left corner at (0, 0).
inline void PaintInto(TControl* control, MemorySurface& surface) {
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  ::GdiFlush();
}

// A pixel of a surface and the colour it must have.
struct PixelIs {
  int X, Y;
  TColor Color;
};

inline void ExpectPixels(const MemorySurface& surface, std::initializer_list<PixelIs> pixels) {
  for (const PixelIs& p : pixels) EXPECT_EQ(surface.At(p.X, p.Y), p.Color) << p.X << "," << p.Y;
}

// How many pixels of the whole surface have the colour.
inline int CountAll(const MemorySurface& surface, TColor color) {
  return surface.CountOf(color, Rect(0, 0, surface.Width(), surface.Height()));
}

// The bounding box of a window's region; empty when it has none.
inline TRect RegionBox(HWND wnd) {
  RECT box{};
  return ::GetWindowRgnBox(wnd, &box) == ERROR ? TRect() : TRect(box);
}

}  // namespace effect_tests
