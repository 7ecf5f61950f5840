#include "ButtonGlyphs.h"

#include <vector>
#include "../system/SysMath.h"

// ---- Layout ---------------------------------------------------------------------------------

TButtonFaceLayout CalcButtonLayout(const TRect& client, const TPoint& offset, TSize glyphSize,
                                   TSize textSize, TButtonLayout layout, int margin,
                                   int spacing, bool rightToLeft) {
  if (rightToLeft) {
    if (layout == blGlyphLeft)
      layout = blGlyphRight;
    else if (layout == blGlyphRight)
      layout = blGlyphLeft;
  }
  const TPoint clientSize(client.Width(), client.Height());
  const bool across = layout == blGlyphLeft || layout == blGlyphRight;
  TPoint glyphPos;
  TPoint textPos;
  // Across the face both are centred vertically; up and down, both horizontally.
  if (across) {
    glyphPos.Y = Div(clientSize.Y - glyphSize.cy + 1, 2);
    textPos.Y = Div(clientSize.Y - textSize.cy + 1, 2);
  } else {
    glyphPos.X = Div(clientSize.X - glyphSize.cx + 1, 2);
    textPos.X = Div(clientSize.X - textSize.cx + 1, 2);
  }
  // Without text or without glyph there is nothing to space.
  if (textSize.cx == 0 || glyphSize.cx == 0) spacing = 0;
  if (margin == -1) {
    if (spacing == -1) {
      const TPoint total(glyphSize.cx + textSize.cx, glyphSize.cy + textSize.cy);
      margin = across ? Div(clientSize.X - total.X, 3) : Div(clientSize.Y - total.Y, 3);
      spacing = margin;
    } else {
      const TPoint total(glyphSize.cx + spacing + textSize.cx, glyphSize.cy + spacing + textSize.cy);
      margin = across ? Div(clientSize.X - total.X + 1, 2) : Div(clientSize.Y - total.Y + 1, 2);
    }
  } else if (spacing == -1) {
    const TPoint total(clientSize.X - (margin + glyphSize.cx), clientSize.Y - (margin + glyphSize.cy));
    spacing = across ? Div(total.X - textSize.cx, 2) : Div(total.Y - textSize.cy, 2);
  }
  switch (layout) {
    case blGlyphLeft:
      glyphPos.X = margin;
      textPos.X = glyphPos.X + glyphSize.cx + spacing;
      break;
    case blGlyphRight:
      glyphPos.X = clientSize.X - margin - glyphSize.cx;
      textPos.X = glyphPos.X - spacing - textSize.cx;
      break;
    case blGlyphTop:
      glyphPos.Y = margin;
      textPos.Y = glyphPos.Y + glyphSize.cy + spacing;
      break;
    case blGlyphBottom:
      glyphPos.Y = clientSize.Y - margin - glyphSize.cy;
      textPos.Y = glyphPos.Y - spacing - textSize.cy;
      break;
  }
  TButtonFaceLayout result;
  result.GlyphPos = TPoint(glyphPos.X + client.Left + offset.X, glyphPos.Y + client.Top + offset.Y);
  result.TextBounds = Bounds(textPos.X + client.Left + offset.X, textPos.Y + client.Top + offset.Y,
                             textSize.cx, textSize.cy);
  return result;
}

// ---- Disabled images -------------------------------------------------------------------------

namespace {

// A colour for the background of a made image that is neither of the emboss colours.
TColor BackgroundKey() {
  const COLORREF highlight = ColorToRGB(clBtnHighlight);
  const COLORREF shadow = ColorToRGB(clBtnShadow);
  for (TColor candidate : {clOlive, clFuchsia, clTeal}) {
    const COLORREF rgb = ColorToRGB(candidate);
    if (rgb != highlight && rgb != shadow) return candidate;
  }
  return clOlive;
}

// Light pixels vanish in a disabled glyph; only the dark ones make its silhouette.
bool IsDarkPixel(COLORREF rgb) {
  const int luminance = (GetRValue(rgb) * 30 + GetGValue(rgb) * 59 + GetBValue(rgb) * 11) / 100;
  return luminance < 192;
}

}  // namespace

void MakeDisabledGlyph(TBitmap* source, TColor key, TBitmap* result) {
  if (!source || !result) return;
  const int width = source->GetWidth();
  const int height = source->GetHeight();
  const TColor background = BackgroundKey();
  result->SetSize(width, height);
  TCanvas* target = result->GetCanvas();
  target->GetBrush()->SetColor(background);
  target->FillRect(Rect(0, 0, width, height));
  if (width <= 0 || height <= 0) return;

  const COLORREF keyRGB = ColorToRGB(key);
  TCanvas* from = source->GetCanvas();
  std::vector<bool> dark(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF rgb = ColorToRGB(from->GetPixels(x, y));
      dark[static_cast<size_t>(y) * width + x] = rgb != keyRGB && IsDarkPixel(rgb);
    }
  }
  const TColor highlight = ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnHighlight)));
  const TColor shadow = ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnShadow)));
  // The highlight one pixel down and right, then the shadow in place over it.
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (dark[static_cast<size_t>(y) * width + x] && x + 1 < width && y + 1 < height)
        target->SetPixels(x + 1, y + 1, highlight);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (dark[static_cast<size_t>(y) * width + x]) target->SetPixels(x, y, shadow);
  result->SetTransparentColor(background);
  result->SetTransparent(true);
}

// ---- TButtonGlyph -------------------------------------------------------------------------------

TButtonGlyph::TButtonGlyph() : FOriginal(std::make_unique<TBitmap>()) {
  // The strip may also change where it is read in place (a stored layout's Glyph.Data).
  FOriginal->OnChange = [this](TObject*) {
    FTransparentColor = FOriginal->GetTransparentColor();
    Changed();
  };
}

TButtonGlyph::~TButtonGlyph() { FOriginal->OnChange = nullptr; }

void TButtonGlyph::Invalidate() {
  for (auto& image : FImages) image.reset();
}

void TButtonGlyph::Changed() {
  Invalidate();
  if (OnChange) OnChange(nullptr);
}

void TButtonGlyph::SetGlyph(TBitmap* value) {
  Invalidate();
  FOriginal->Assign(value);
  if (value && value->GetHeight() > 0) {
    FTransparentColor = value->GetTransparentColor();
    if (value->GetWidth() % value->GetHeight() == 0) {
      int glyphs = value->GetWidth() / value->GetHeight();
      if (glyphs > 4) glyphs = 1;
      if (glyphs > 0) FNumGlyphs = glyphs;
    }
  }
  Changed();
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs value) {
  if (value == FNumGlyphs || value < 1) return;
  FNumGlyphs = value;
  Changed();
}

TSize TButtonGlyph::GlyphSize() const {
  if (!FOriginal || FOriginal->GetEmpty()) return TSize();
  return TSize(FOriginal->GetWidth() / FNumGlyphs, FOriginal->GetHeight());
}

TBitmap* TButtonGlyph::StateImage(TButtonState state) {
  const TSize size = GlyphSize();
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  if (state == bsDown && FNumGlyphs < 3) state = bsUp;
  std::unique_ptr<TBitmap>& slot = FImages[static_cast<size_t>(state)];
  if (slot) return slot.get();

  const int index = static_cast<int>(state) < FNumGlyphs ? static_cast<int>(state) : 0;
  auto image = std::make_unique<TBitmap>();
  image->SetSize(size.cx, size.cy);
  image->GetCanvas()->CopyRect(Rect(0, 0, size.cx, size.cy), FOriginal->GetCanvas(),
                               Bounds(index * size.cx, 0, size.cx, size.cy));
  if (state == bsDisabled && FNumGlyphs < 2) {
    auto disabled = std::make_unique<TBitmap>();
    MakeDisabledGlyph(image.get(), FTransparentColor, disabled.get());
    image = std::move(disabled);
  } else {
    image->SetTransparentColor(FTransparentColor);
    image->SetTransparent(true);
  }
  slot = std::move(image);
  return slot.get();
}

void TButtonGlyph::DrawGlyph(TCanvas* canvas, const TPoint& pos, TButtonState state,
                             bool transparent) {
  TBitmap* image = StateImage(state);
  if (!image) return;
  if (!transparent && state != bsExclusive) {
    canvas->GetBrush()->SetColor(clBtnFace);
    canvas->FillRect(Bounds(pos.X, pos.Y, image->GetWidth(), image->GetHeight()));
  }
  canvas->Draw(pos.X, pos.Y, image);
}

void TButtonGlyph::DrawCaption(TCanvas* canvas, const String& caption, TRect& bounds,
                               TButtonState state, UINT biDiFlags) {
  if (caption.empty()) return;
  canvas->GetBrush()->SetStyle(bsClear);
  const UINT flags = DT_CENTER | DT_VCENTER | biDiFlags;
  const int length = static_cast<int>(caption.size());
  RECT r = bounds;
  if (state == bsDisabled) {
    ::OffsetRect(&r, 1, 1);
    canvas->GetFont()->SetColor(clBtnHighlight);
    ::DrawTextW(canvas->GetHandle(), caption.c_str(), length, &r, flags);
    ::OffsetRect(&r, -1, -1);
    canvas->GetFont()->SetColor(clBtnShadow);
  }
  ::DrawTextW(canvas->GetHandle(), caption.c_str(), length, &r, flags);
}

TRect TButtonGlyph::Draw(TCanvas* canvas, const TRect& client, const TPoint& offset,
                         const String& caption, TButtonLayout layout, int margin, int spacing,
                         TButtonState state, bool transparent, UINT biDiFlags) {
  TSize textSize;
  if (!caption.empty()) {
    RECT r{0, 0, client.Width(), 0};
    ::DrawTextW(canvas->GetHandle(), caption.c_str(), static_cast<int>(caption.size()), &r,
                DT_CALCRECT | biDiFlags);
    textSize = TSize(r.right - r.left, r.bottom - r.top);
  }
  const TButtonFaceLayout face = CalcButtonLayout(client, offset, GlyphSize(), textSize, layout,
                                                  margin, spacing, (biDiFlags & DT_RIGHT) != 0);
  DrawGlyph(canvas, face.GlyphPos, state, transparent);
  TRect bounds = face.TextBounds;
  DrawCaption(canvas, caption, bounds, state, biDiFlags);
  return bounds;
}
