#include "SkinTextMeasure.h"

#include "classlib/graphics/GdiHandles.h"

TSize MeasureTextExtent(TFont* font, const String& text) {
  if (!font) return TSize(0, 0);
  UniqueDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) return TSize(0, 0);
  HGDIOBJ old = ::SelectObject(dc.get(), font->GetHandle());
  RECT r{0, 0, 0, 0};
  if (!text.empty())
    ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc.get(), old);
  return TSize(r.right - r.left, r.bottom - r.top);
}
