// The drawing half of TSeCustomListBox: the visible items and their check boxes, one item in
// each ListStyle, and the two self-filling lists (installed fonts, named colours).
#include <memory>

#include "SkinListBox.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Colors.h"
#include "classlib/stdctrls/Printers.h"
#include "classlib/system/SysExceptions.h"
#include "controls/skin/engine/SkinDrawing.h"

namespace {
constexpr TColor Black = static_cast<TColor>(0);
constexpr TColor Magenta = static_cast<TColor>(0xFF00FF);

TPixel32 Pixel(uint8_t r, uint8_t g, uint8_t b) {
  TPixel32 p;
  p.R = r;
  p.G = g;
  p.B = b;
  return p;
}

// Two overlapping T letters, the back one grey: the sign of a scalable outline font.
void DrawTrueTypeSign(TSeBitmap& glyph) {
  glyph.SetSize(16, 12);
  glyph.Clear(Pixel(255, 0, 255));
  auto letter = [&](int x, int y, TPixel32 colour) {
    glyph.FillRect(TRect(x, y, x + 9, y + 2), colour);          // the bar
    glyph.FillRect(TRect(x + 3, y, x + 6, y + 9), colour);      // the stem
    glyph.FillRect(TRect(x + 2, y + 8, x + 7, y + 9), colour);  // the foot
  };
  letter(0, 0, Pixel(128, 128, 128));
  letter(6, 3, Pixel(0, 0, 0));
}

// The text of an item of the font and colour styles, as the font list draws it.
void DrawNameText(TSeCustomListBox& list, TCanvas* canvas, const String& text, TRect t) {
  DrawTextUnicode(canvas, text, t,
                  list.DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
}

// A colour swatch: filled and framed in black; a text that names no colour gets the frame
// alone.
void DrawSwatch(TCanvas* canvas, const TRect& r, const String& text) {
  try {
    FillRectColor(canvas, r, StringToColor(text));
  } catch (const EConvertError&) {
  }
  FrameRectColor(canvas, r, Black);
}

// What the enumeration keeps, and where it goes.
struct TFontFilter {
  TSeFontType Type;
  const std::function<void(const String&, BYTE)>* Add;
};

int CALLBACK FamilyFound(const LOGFONTW* font, const TEXTMETRICW* metric, DWORD, LPARAM data) {
  const auto& filter = *reinterpret_cast<const TFontFilter*>(data);
  const BYTE pitch = metric->tmPitchAndFamily;
  const bool keep = filter.Type == ftAll ||
                    (filter.Type == ftTrueType && (pitch & TMPF_TRUETYPE)) ||
                    (filter.Type == ftFixedPitch && !(pitch & TMPF_FIXED_PITCH));
  // No exception may leave the system's enumeration.
  try {
    if (keep) (*filter.Add)(String(font->lfFaceName, wcsnlen(font->lfFaceName, LF_FACESIZE)), pitch);
  } catch (...) {
    ApplicationHandleException(nullptr);
    return 0;
  }
  return 1;
}
}  // namespace

TSeBitmap* ListTrueTypeGlyph() {
  static const std::unique_ptr<TSeBitmap> glyph = [] {
    auto bitmap = std::make_unique<TSeBitmap>();
    HBITMAP resource = ::LoadBitmapW(::GetModuleHandleW(nullptr), L"SE_LIST_TRUETYPE");
    BITMAP info{};
    if (resource && ::GetObjectW(resource, sizeof(info), &info) && info.bmWidth > 0 &&
        info.bmHeight > 0) {
      bitmap->SetSize(info.bmWidth, info.bmHeight);
      HDC source = ::CreateCompatibleDC(nullptr);
      HGDIOBJ old = ::SelectObject(source, resource);
      ::BitBlt(bitmap->GetDC(), 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
      ::SelectObject(source, old);
      ::DeleteDC(source);
    } else {
      DrawTrueTypeSign(*bitmap);
    }
    if (resource) ::DeleteObject(resource);
    bitmap->ApplyColorKey(Magenta);
    return bitmap;
  }();
  return glyph.get();
}

void EnumFontFamiliesOf(HDC dc, TSeFontType type,
                        const std::function<void(const String&, BYTE)>& add) {
  if (!dc) return;
  TFontFilter filter{type, &add};
  ::EnumFontFamiliesW(dc, nullptr, FamilyFound, reinterpret_cast<LPARAM>(&filter));
}

// ---- Self-filling lists ----------------------------------------------------------------------------

void TSeCustomListBox::FillList(const std::function<void()>& fill, bool sorted) {
  FItems->BeginUpdate();
  try {
    FItems->Clear();
    SelectionStep();
    SetSorted(sorted);
    fill();
  } catch (...) {
    FItems->EndUpdate();
    throw;
  }
  FItems->EndUpdate();
}

void TSeCustomListBox::FillFontList() {
  FillList(
      [this] {
        auto add = [this](const String& name, BYTE pitch) {
          FItems->AddObject(name, reinterpret_cast<TObject*>(static_cast<uintptr_t>(pitch)));
        };
        if (FFontDevice == fdScreen) {
          HDC dc = ::GetDC(nullptr);
          try {
            EnumFontFamiliesOf(dc, FFontType, add);
          } catch (...) {
            ::ReleaseDC(nullptr, dc);
            throw;
          }
          ::ReleaseDC(nullptr, dc);
          return;
        }
        // Without a printer the list stays empty: a layout that asks for printer fonts
        // still loads on a machine that has none.
        HDC dc = nullptr;
        try {
          if (Printer()->GetPrinters()->GetCount() > 0) dc = Printer()->GetHandle();
        } catch (const Exception&) {
          dc = nullptr;
        }
        EnumFontFamiliesOf(dc, FFontType, add);
      },
      true);
}

void TSeCustomListBox::FillColorList() {
  FillList([this] { GetColorValues([this](const String& name) { FItems->Add(name); }); }, false);
}

void TSeCustomListBox::SetListStyle(TSeListBoxStyle value) {
  if (value == FListStyle) return;
  FListStyle = value;
  if (value == lbFonts || value == lbFontSamples) {
    FillFontList();
    FItemHeight = 18;
  } else if (value == lbColors || value == lbColorNames) {
    FillColorList();
    FItemHeight = 18;
  }
  UpdateScrollBar();
  IntegralHeight();
  Invalidate();
}

void TSeCustomListBox::SetFontDevice(TSeFontDevice value) {
  if (value == FFontDevice) return;
  FFontDevice = value;
  if (FListStyle == lbFonts || FListStyle == lbFontSamples) FillFontList();
  Invalidate();
}

void TSeCustomListBox::SetFontType(TSeFontType value) {
  if (value == FFontType) return;
  FFontType = value;
  if (FListStyle == lbFonts || FListStyle == lbFontSamples) FillFontList();
  Invalidate();
}

// ---- Drawing ------------------------------------------------------------------------------------------

void TSeCustomListBox::DrawItems() {
  if (!HandleAllocated() || !FScrollBar) return;
  TCanvas* canvas = GetCanvas();
  struct TFocusOfPaint {
    int& Slot;
    ~TFocusOfPaint() { Slot = -1; }
  } focus{FPaintFocus};
  FPaintFocus = Focused() ? 1 : 0;
  Layout().ForEachShown([&](int index, const TRect& item, const TRect& check) {
    if (FShowCheckBoxes) DrawCheck(index, check);
    DrawItem(canvas, index, item);
    return true;
  });
}

void TSeCustomListBox::DrawItem(TCanvas* canvas, int index, const TRect& rect) {
  const int count = FItems->GetCount();
  const bool valid = index >= 0 && index < count;
  const bool selected = valid && GetSelected(index);
  const bool focused = PaintFocused();
  const bool single = !FMultiSelect;
  TRect t = rect;
  t.Left += 2;
  auto focusRect = [&] {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(Black);
    canvas->DrawFocusRect(rect);
  };
  const String s = valid ? FItems->Get(index) : String();

  if (FListStyle >= lbFonts) {
    if (FListStyle != lbColors) canvas->SetFont(GetFont());
    if (selected) {
      FillRectColor(canvas, rect, clHighlight);
      if (FListStyle != lbColors) canvas->GetFont()->SetColor(clHighlightText);
    }
    switch (FListStyle) {
      case lbFonts:
      case lbFontSamples: {
        TSeBitmap* glyph = ListTrueTypeGlyph();
        const auto pitch = valid ? reinterpret_cast<uintptr_t>(FItems->GetObject(index)) : 0;
        if (glyph && !glyph->Empty() && (pitch & TMPF_TRUETYPE)) {
          TRect cell(t.Left, t.Top, t.Left + 18, t.Bottom);
          TRect g(0, 0, glyph->GetWidth(), glyph->GetHeight());
          RectCenter(g, cell);
          glyph->Draw(canvas, g.Left, g.Top, true);
        }
        t.Left += 22;
        if (FListStyle == lbFontSamples && valid) canvas->GetFont()->SetName(s);
        DrawNameText(*this, canvas, s, t);
        break;
      }
      case lbColors:
        DrawSwatch(canvas, RectInflated(t, -4), s);
        break;
      default: {  // lbColorNames
        TRect swatch(0, 0, 20, 14);
        RectCenter(swatch, TRect(t.Left, t.Top, t.Left + 20, t.Bottom));
        DrawSwatch(canvas, swatch, s);
        t.Left += 24;
        DrawNameText(*this, canvas, s.find(L"cl") != String::npos ? s.substr(2) : s, t);
        break;
      }
    }
    const bool focusThis = FListStyle == lbColors ? focused : focused && single;
    if (selected ? focusThis : focused && index == FItemIndex && single) focusRect();
    return;
  }

  if (FListStyle == lbStandard || !FOnDrawItem) {
    canvas->SetFont(GetFont());
    if (s == L"-") {
      // A separator: a one-pixel line across the middle, no text.
      TRect line = t;
      line.Left += 3;
      line.Right -= 3;
      line.Top += RectHeight(t) / 2 - 1;
      line.Bottom = line.Top + 1;
      FillRectColor(canvas, line, GetFont()->GetColor());
      return;
    }
    if (selected) {
      FillRectColor(canvas, rect, clHighlight);
      canvas->GetFont()->SetColor(clHighlightText);
    } else if (index == FHotItem) {
      canvas->GetFont()->SetColor(clHighlight);
    }
    const UINT flags = FWordWrap ? DT_WORDBREAK | DT_NOPREFIX
                                 : DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    DrawTextUnicode(canvas, s, t, DrawTextBiDiModeFlags(flags));
    if (selected && focused && single) {
      canvas->GetFont()->SetColor(clHighlight);
      focusRect();
    } else if (!selected && focused && index == FItemIndex && single) {
      focusRect();
    }
    return;
  }

  TOwnerDrawState state;
  if (selected)
    state = TOwnerDrawState{odSelected};
  else if (index == FHotItem)
    state = TOwnerDrawState{odHotLight};
  if (index == FItemIndex && focused) state = state + TOwnerDrawState{odFocused};
  DoDrawItem(index, rect, state);
}

void TSeCustomListBox::DrawCheck(int index, const TRect& rect) {
  if (index < 0 || index >= FItems->GetCount() || RectIsEmpty(rect)) return;
  // Grayed shows as checked.
  const bool checked = GetState(index) != cbUnchecked;
  TCanvas* canvas = GetCanvas();
  RECT r = rect;
  if (FFlat && index != FHotCheck) {
    if (checked) {
      ::DrawFrameControl(canvas->GetHandle(), &r, DFC_BUTTON,
                         DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT);
      FrameRectColor(canvas, rect, clWindow);
    }
    FrameRectColor(canvas, RectInflated(rect, -1), clBtnShadow);
    return;
  }
  ::DrawFrameControl(canvas->GetHandle(), &r, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
}
