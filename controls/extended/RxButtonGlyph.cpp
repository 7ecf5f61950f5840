#include "RxButtonGlyph.h"

#include "RxUtils.h"

namespace {

int RendererCount = 0;                   // live TRxButtonGlyph objects
std::unique_ptr<TGlyphCache> TheCache;   // while RendererCount > 0

TColor Rgb(COLORREF c) { return ColorFromInt(static_cast<int32_t>(c)); }

}  // namespace

// ---- TGlyphList ------------------------------------------------------------------------------

TGlyphList::TGlyphList(int width, int height) : TCustomImageList(nullptr) {
  SetWidth(width);
  SetHeight(height);
}

int TGlyphList::AllocateIndex() {
  for (size_t i = 0; i < FUsed.size(); ++i)
    if (!FUsed[i]) {
      FUsed[i] = true;
      return static_cast<int>(i);
    }
  FUsed.push_back(true);
  return static_cast<int>(FUsed.size() - 1);
}

int TGlyphList::AddGlyph(TBitmap* image, TBitmap* mask) {
  const int index = AllocateIndex();
  if (index < GetCount())
    Replace(index, image, mask);
  else
    Add(image, mask);
  ++FUsedCount;
  return index;
}

int TGlyphList::AddGlyphMasked(TBitmap* image, TColor maskColor) {
  const int index = AllocateIndex();
  if (index < GetCount())
    ReplaceMasked(index, image, maskColor);
  else
    AddMasked(image, maskColor);
  ++FUsedCount;
  return index;
}

void TGlyphList::DeleteGlyph(int index) {
  if (index < 0 || index >= static_cast<int>(FUsed.size()) || !FUsed[index]) return;
  FUsed[index] = false;
  --FUsedCount;
}

// ---- TGlyphCache -----------------------------------------------------------------------------

TGlyphCache::~TGlyphCache() = default;

TGlyphList* TGlyphCache::GetList(int width, int height) {
  for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
    if ((*it)->GetWidth() == width && (*it)->GetHeight() == height) return it->get();
  FLists.push_back(std::make_unique<TGlyphList>(width, height));
  return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->GetUsedCount() != 0) return;
  std::erase_if(FLists, [list](const auto& held) { return held.get() == list; });
}

TGlyphCache* GlyphCache() { return TheCache.get(); }

// ---- TRxButtonGlyph ------------------------------------------------------------------------

TRxButtonGlyph::TRxButtonGlyph() : FOriginal(std::make_unique<TBitmap>()) {
  FOriginal->OnChange = [this](TObject* sender) { GlyphChanged(sender); };
  if (RendererCount++ == 0 || !TheCache) TheCache = std::make_unique<TGlyphCache>();
}

TRxButtonGlyph::~TRxButtonGlyph() {
  FOriginal->OnChange = nullptr;
  Invalidate();
  // The last renderer frees the shared cache.
  if (--RendererCount == 0) TheCache.reset();
}

void TRxButtonGlyph::Invalidate() {
  for (int& index : FIndexes) {
    if (index >= 0 && FGlyphList) FGlyphList->DeleteGlyph(index);
    index = -1;
  }
  if (FGlyphList && TheCache) TheCache->ReturnList(FGlyphList);
  FGlyphList = nullptr;
}

void TRxButtonGlyph::GlyphChanged(TObject*) {
  if (FOriginal->GetWidth() > 0) {
    FTransparentColor = ColorFromInt(ColorToInt(FOriginal->GetTransparentColor()) & ~0x02000000);
    const int w = FOriginal->GetWidth(), h = FOriginal->GetHeight();
    // A strip of no height has no cells to count.
    if (h > 0 && w % h == 0) {
      const int count = w / h;
      FNumGlyphs = count > 5 ? 1 : count;
    }
  }
  Invalidate();
  if (OnChange) OnChange(nullptr);
}

void TRxButtonGlyph::SetGlyph(TBitmap* value) {
  Invalidate();
  if (value)
    FOriginal->Assign(value);
  else
    FOriginal->Assign(nullptr);
}

void TRxButtonGlyph::SetNumGlyphs(TRxNumGlyphs value) {
  value = value < 1 ? 1 : value > 5 ? 5 : value;
  if (value == FNumGlyphs) return;
  Invalidate();
  FNumGlyphs = value;
  if (OnChange) OnChange(nullptr);
}

void TRxButtonGlyph::SetFromImageList(bool value) {
  if (value == FFromImageList) return;
  Invalidate();
  FFromImageList = value;
  if (OnChange) OnChange(nullptr);
}

void TRxButtonGlyph::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  if (OnChange) OnChange(nullptr);
}

void TRxButtonGlyph::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  if (OnChange) OnChange(nullptr);
}

int TRxButtonGlyph::CreateButtonGlyph(TButtonState state) {
  if (state == bsDown && FNumGlyphs < 3) state = bsUp;
  const int slot = static_cast<int>(state);
  if (FIndexes[slot] >= 0) return FIndexes[slot];
  if (FOriginal->GetWidth() == 0 || FOriginal->GetHeight() == 0) return -1;
  const int w = FOriginal->GetWidth() / FNumGlyphs, h = FOriginal->GetHeight();
  if (w == 0) return -1;
  if (!TheCache) TheCache = std::make_unique<TGlyphCache>();
  if (!FGlyphList) FGlyphList = TheCache->GetList(w, h);
  const int cell = slot < FNumGlyphs ? slot : 0;
  TBitmap image;
  AssignBitmapCell(FOriginal.get(), &image, FNumGlyphs, 1, cell);
  switch (state) {
    case bsDisabled:
      if (FFromImageList) {
        // The image list's own disabled drawing, over the face.
        TCustomImageList list(nullptr);
        list.SetWidth(w);
        list.SetHeight(h);
        list.AddMasked(&image, FTransparentColor);
        TBitmap disabled;
        disabled.SetSize(w, h);
        disabled.GetCanvas()->GetBrush()->SetColor(clBtnFace);
        disabled.GetCanvas()->FillRect(Rect(0, 0, w, h));
        list.Draw(disabled.GetCanvas(), 0, 0, 0, false);
        FIndexes[slot] = FGlyphList->AddGlyphMasked(&disabled, clBtnFace);
      } else if (FNumGlyphs > 1) {
        FIndexes[slot] = FGlyphList->AddGlyphMasked(&image, FTransparentColor);
      } else {
        std::unique_ptr<TBitmap> grey = CreateGrayedBitmap(&image, clBlack);
        FIndexes[slot] = FGlyphList->AddGlyphMasked(grey.get(), clBtnFace);
      }
      break;
    case bsInactive:
      if (FNumGlyphs <= 4) {
        // Every colour but the transparent one and the face becomes its grey level.
        const COLORREF key = ColorToRGB(FTransparentColor), face = ColorToRGB(clBtnFace);
        TCanvas* canvas = image.GetCanvas();
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            const COLORREF c = ColorToRGB(canvas->GetPixels(x, y));
            if (c == key || c == face) continue;
            const int level = (GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29) / 256;
            canvas->SetPixels(x, y, Rgb(RGB(level, level, level)));
          }
      }
      FIndexes[slot] = FGlyphList->AddGlyphMasked(&image, FTransparentColor);
      break;
    default: FIndexes[slot] = FGlyphList->AddGlyphMasked(&image, FTransparentColor); break;
  }
  return FIndexes[slot];
}

void TRxButtonGlyph::DrawGlyph(TCanvas* canvas, const TPoint& pos, TButtonState state) {
  const int index = CreateButtonGlyph(state);
  if (index >= 0 && FGlyphList) FGlyphList->Draw(canvas, pos.X, pos.Y, index, true);
}

void TRxButtonGlyph::DrawCaption(TCanvas* canvas, const String& caption, TRect r,
                                 TButtonState state, UINT biDiFlags) {
  canvas->GetBrush()->SetStyle(bsClear);
  UINT flags = biDiFlags | DT_VCENTER | (FWordWrap ? DT_WORDBREAK : 0);
  // Right-to-left reading mirrors the alignment.
  TAlignment alignment = FAlignment;
  if (biDiFlags & DT_RTLREADING)
    alignment = alignment == taLeftJustify ? taRightJustify
                : alignment == taRightJustify ? taLeftJustify : alignment;
  flags |= alignment == taLeftJustify ? DT_LEFT : alignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  const int length = static_cast<int>(caption.size());
  if (state == bsDisabled) {
    RECT shifted = r;
    ::OffsetRect(&shifted, 1, 1);
    canvas->GetFont()->SetColor(clBtnHighlight);
    ::DrawTextW(canvas->GetHandle(), caption.c_str(), length, &shifted, flags);
    canvas->GetFont()->SetColor(clBtnShadow);
  }
  RECT rr = r;
  ::DrawTextW(canvas->GetHandle(), caption.c_str(), length, &rr, flags);
}

void TRxButtonGlyph::DrawMark(TCanvas* canvas, int x, int y, TButtonState state) {
  auto triangle = [&](int left, int top, TColor color) {
    const COLORREF c = ColorToRGB(color);
    for (int row = 0; row < 4; ++row)
      for (int col = row; col < 7 - row; ++col) ::SetPixel(canvas->GetHandle(), left + col, top + row, c);
  };
  if (state == bsDisabled) {
    triangle(x + 1, y + 1, clBtnHighlight);
    triangle(x, y, clBtnShadow);
  } else {
    triangle(x, y, clBtnText);
  }
}

TRect TRxButtonGlyph::Draw(TCanvas* canvas, const TRect& client, const TPoint& offset,
                           const String& caption, TButtonLayout layout, int margin, int spacing,
                           bool dropDownMark, TButtonState state, UINT biDiFlags) {
  const int cx = client.Width(), cy = client.Height();
  TSize glyph(0, 0);
  if (FOriginal->GetWidth() > 0 && FOriginal->GetHeight() > 0)
    glyph = TSize(FOriginal->GetWidth() / FNumGlyphs, FOriginal->GetHeight());
  const bool vertical = layout == blGlyphTop || layout == blGlyphBottom;
  int budgetW = cx, budgetH = cy;
  if (vertical) {
    budgetH = cy - glyph.cy - (spacing != -1 ? spacing : 0) - (margin != -1 ? margin : 0);
  } else {
    budgetW = cx - glyph.cx - (spacing != -1 ? spacing : 0) - (margin != -1 ? margin : 0) -
              (dropDownMark ? 9 : 0);
  }
  budgetW = budgetW < 0 ? 0 : budgetW;
  budgetH = budgetH < 0 ? 0 : budgetH;
  String text = caption;
  if (!FWordWrap && !text.empty()) {
    // Each line shortened with "..." to the budget.
    String joined;
    size_t start = 0;
    while (true) {
      const size_t end = text.find(L'\n', start);
      String line = text.substr(start, end == String::npos ? String::npos : end - start);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      if (!joined.empty()) joined += L"\r\n";
      joined += ShortenString(line, canvas, budgetW);
      if (end == String::npos) break;
      start = end + 1;
    }
    while (!joined.empty() && joined.back() == L' ') joined.pop_back();
    text = joined;
  }
  TSize textSize(0, 0);
  if (!text.empty()) {
    RECT r{0, 0, budgetW, 0};
    ::DrawTextW(canvas->GetHandle(), text.c_str(), static_cast<int>(text.size()), &r,
                DT_CALCRECT | DT_CENTER | DT_VCENTER | (FWordWrap ? DT_WORDBREAK : 0) | biDiFlags);
    textSize = TSize(r.right - r.left, r.bottom - r.top);
  }
  const bool hasGlyph = glyph.cx > 0;
  // The mark's room: beside the glyph, except with the glyph on the left (or none), where
  // it follows the text; the mark is drawn in the room made for it.
  const bool markBesideGlyph = dropDownMark && hasGlyph && layout != blGlyphLeft;
  TSize glyphBox = glyph;
  if (markBesideGlyph)
    glyphBox.cx += 6;
  else if (dropDownMark)
    textSize.cx += 9;
  TPoint glyphPos, textPos;
  if (vertical) {
    glyphPos.X = cx / 2 - glyphBox.cx / 2;
    textPos.X = cx / 2 - textSize.cx / 2;
  } else {
    glyphPos.Y = cy / 2 - glyphBox.cy / 2;
    textPos.Y = cy / 2 - textSize.cy / 2;
  }
  const int client1 = vertical ? cy : cx;
  const int g = vertical ? glyphBox.cy : glyphBox.cx, t = vertical ? textSize.cy : textSize.cx;
  if (margin == -1) {
    if (spacing != -1) {
      margin = client1 / 2 - (g + t + spacing) / 2;
    } else {
      margin = spacing = (client1 - (g + t)) / 3;
    }
  } else if (spacing == -1) {
    spacing = (client1 - (margin + g)) / 2 - t / 2;
  }
  switch (layout) {
    case blGlyphLeft:
      glyphPos.X = margin;
      textPos.X = glyphPos.X + glyphBox.cx + spacing;
      break;
    case blGlyphRight:
      glyphPos.X = cx - margin - glyphBox.cx;
      textPos.X = glyphPos.X - spacing - textSize.cx;
      break;
    case blGlyphTop:
      glyphPos.Y = margin;
      textPos.Y = glyphPos.Y + glyphBox.cy + spacing;
      break;
    case blGlyphBottom:
      glyphPos.Y = cy - margin - glyphBox.cy;
      textPos.Y = glyphPos.Y - spacing - textSize.cy;
      break;
  }
  const TPoint origin(client.Left + offset.X, client.Top + offset.Y);
  glyphPos = TPoint(glyphPos.X + origin.X, glyphPos.Y + origin.Y);
  textPos = TPoint(textPos.X + origin.X, textPos.Y + origin.Y);
  if (hasGlyph) DrawGlyph(canvas, glyphPos, state);
  TRect textBounds(textPos.X, textPos.Y,
                   textPos.X + textSize.cx - (dropDownMark && !markBesideGlyph ? 9 : 0),
                   textPos.Y + textSize.cy);
  if (!text.empty()) DrawCaption(canvas, text, textBounds, state, biDiFlags);
  if (dropDownMark) {
    if (markBesideGlyph)
      DrawMark(canvas, glyphPos.X + glyph.cx + 1, glyphPos.Y + glyph.cy / 2 - 2, state);
    else if (text.empty())
      DrawMark(canvas, origin.X + cx / 2 - 3, origin.Y + cy / 2 - 2, state);
    else
      DrawMark(canvas, textBounds.Right + 3, origin.Y + cy / 2 - 2, state);
  }
  return textBounds;
}
