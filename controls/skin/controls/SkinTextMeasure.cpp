#include "SkinTextMeasure.h"

#include "classlib/graphics/GdiHandles.h"

namespace {
// One memory DC for all measuring, made on first use and kept until the program ends
// (measuring runs on the main thread only).
HDC MeasuringDC() {
  static UniqueDC dc(::CreateCompatibleDC(nullptr));
  return dc.get();
}
}  // namespace

TSize MeasureTextExtent(TFont* font, const String& text) {
  if (!font || text.empty()) return TSize(0, 0);
  HDC dc = MeasuringDC();
  if (!dc) return TSize(0, 0);
  HGDIOBJ old = ::SelectObject(dc, font->GetHandle());
  RECT r{0, 0, 0, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, old);
  return TSize(r.right - r.left, r.bottom - r.top);
}
