// Shared routines of the image-button library.
#include "fcCommon.h"

#include <vector>

#include "classlib/controls/Controls.h"
#include "fcBitmap.h"

const String fcVersion = L"2000.5";

// ---- Colours ------------------------------------------------------------------------------

COLORREF ImageListColor(TColor color) {
  if (color == clNone) return CLR_NONE;
  if (color == clDefault) return CLR_DEFAULT;
  return ColorToRGB(color);
}

TColor AdjustColor(TColor color, int amount, bool percent) {
  const COLORREF rgb = ColorToRGB(color);
  const int b = GetBValue(rgb), g = GetGValue(rgb), r = GetRValue(rgb);
  // Each channel from the original values of the other two.
  auto adjust = [&](int c, int other1, int other2) -> uint8_t {
    if (c == 0 && Max(other1, other2) == 255 && amount >= 1)
      return percent ? ClampByte(static_cast<int>(int64_t{amount} * 255 / 100)) : ClampByte(amount);
    if (percent) {
      const int64_t step = amount < 1 ? int64_t{c} * amount : int64_t{255 - c} * amount;
      const int64_t v = c + step / 100;
      return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
    const int64_t v = int64_t{c} + amount;
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  };
  return RGBColor(adjust(r, g, b), adjust(g, r, b), adjust(b, r, g));
}

// ---- Geometry ------------------------------------------------------------------------------

TRect FitRectProportional(const TRect& r, int w, int h) {
  const int rw = RectWidth(r), rh = RectHeight(r);
  if (rw <= 0 || rh <= 0 || w <= 0 || h <= 0) return r;
  if (static_cast<double>(h) / rh >= static_cast<double>(w) / rw)
    return TRect(r.Left, r.Top, r.Left + static_cast<int>(int64_t{rh} * w / h), r.Top + rh);
  return TRect(r.Left, r.Top, r.Left + rw, r.Top + static_cast<int>(int64_t{rw} * h / w));
}

// ---- Text ------------------------------------------------------------------------------------

String CopyBetween(const String& s, int from, int to) {
  if (from < 1) from = 1;
  if (to == 0) return Copy(s, from, static_cast<int>(s.size()));
  if (to < from) return String();
  return Copy(s, from, to - from + 1);
}

int PosFrom(const String& sub, const String& s, int from) {
  return PosEx(sub, s, from < 1 ? 1 : from);
}

int NthPos(const String& sub, const String& s, int n) {
  if (sub.empty() || n < 1) return 0;
  int position = 0;
  for (int i = 0; i < n; ++i) {
    position = PosEx(sub, s, position + (i == 0 ? 1 : static_cast<int>(sub.size())));
    if (position == 0) return 0;
  }
  return position;
}

namespace {

// The pieces of s between delimiters; none for an empty text.
std::vector<String> Pieces(const String& s, const String& delimiter) {
  std::vector<String> pieces;
  if (s.empty()) return pieces;
  if (delimiter.empty()) {
    pieces.push_back(s);
    return pieces;
  }
  size_t start = 0;
  for (;;) {
    const size_t found = s.find(delimiter, start);
    if (found == String::npos) break;
    pieces.push_back(s.substr(start, found - start));
    start = found + delimiter.size();
  }
  pieces.push_back(s.substr(start));
  return pieces;
}

}  // namespace

int CountPieces(const String& s, const String& delimiter) {
  return static_cast<int>(Pieces(s, delimiter).size());
}

String GetPiece(const String& s, const String& delimiter, int index) {
  const std::vector<String> pieces = Pieces(s, delimiter);
  if (index < 0 || index >= static_cast<int>(pieces.size())) return String();
  return pieces[static_cast<size_t>(index)];
}

int PieceIndex(const String& s, const String& delimiter, const String& piece) {
  const std::vector<String> pieces = Pieces(s, delimiter);
  for (size_t i = 0; i < pieces.size(); ++i)
    if (pieces[i] == piece) return static_cast<int>(i);
  return -1;
}

String ReplaceAll(const String& s, const String& oldText, const String& newText) {
  if (oldText.empty()) return s;
  return StringReplace(s, oldText, newText, rfReplaceAll);
}

String StripAccelerators(const String& s) {
  String result;
  result.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != L'&') {
      result += s[i];
    } else if (i + 1 < s.size() && s[i + 1] == L'&') {
      result += L'&';
      ++i;
    }
  }
  return result;
}

String UniqueComponentName(TComponent* owner, const String& base) {
  const int count = owner != nullptr ? owner->GetComponentCount() : 0;
  // Among count + 1 candidates at least one is free.
  for (int n = 1; n <= count + 1; ++n) {
    const String name = base + IntToStr(n);
    bool taken = false;
    for (int i = 0; i < count && !taken; ++i) taken = owner->GetComponent(i)->GetName() == name;
    if (!taken) return name;
  }
  return base + IntToStr(count + 1);
}

bool IsClassNamed(const TClassInfo* cls, const String& name) {
  const String wanted = UpperCase(name);
  for (const TClassInfo* c = cls; c != nullptr; c = c->Parent)
    if (UpperCase(c->Name) == wanted) return true;
  return false;
}

// ---- Text measuring ------------------------------------------------------------------------

namespace {

// The rectangle DrawTextEx calculates for one line at the given width.
RECT CalcLineRect(TCanvas* canvas, UINT flags, int width, const String& line) {
  RECT rc{0, 0, width, 0};
  String text = line;  // DrawTextEx may write into the text with some flags
  ::DrawTextExW(canvas->GetHandle(), text.data(), static_cast<int>(text.size()), &rc,
                flags | DT_CALCRECT, nullptr);
  return rc;
}

}  // namespace

int LineHeight(TCanvas* canvas, UINT flags, int width, const String& line) {
  if (canvas == nullptr) return 0;
  return CalcLineRect(canvas, flags, width, line).bottom;
}

TSize MeasureText(TCanvas* canvas, const String& text, int lineSpacing, UINT flags, int width) {
  TSize size;
  if (canvas == nullptr) return size;
  const std::vector<String> lines = Pieces(text.empty() ? String(L"") : text, L"\r\n");
  const int count = lines.empty() ? 1 : static_cast<int>(lines.size());
  for (int i = 0; i < count; ++i) {
    const String line = lines.empty() ? String() : lines[static_cast<size_t>(i)];
    int w, h;
    if (width > 0) {
      const RECT rc = CalcLineRect(canvas, flags, width, line);
      w = rc.right - rc.left;
      h = rc.bottom - rc.top;
    } else {
      const TSize extent = canvas->TextExtent(line);
      w = extent.cx;
      h = extent.cy;
    }
    size.cy += h + (i < count - 1 ? lineSpacing : 0);
    size.cx = Max(size.cx, w);
  }
  return size;
}

// ---- Regions and invalidation --------------------------------------------------------------

namespace {

// A region holding the rectangles, made in one call; falls back to merging them one by one
// (never more than two regions alive) when the system refuses the single call.
UniqueRegion RegionOfRects(const std::vector<TRect>& rects) {
  if (rects.empty()) return UniqueRegion();
  std::vector<uint8_t> memory(sizeof(RGNDATAHEADER) + sizeof(RECT) * rects.size());
  auto* data = reinterpret_cast<RGNDATA*>(memory.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(rects.size());
  data->rdh.nRgnSize = static_cast<DWORD>(sizeof(RECT) * rects.size());
  TRect bounds = rects.front();
  auto* out = reinterpret_cast<RECT*>(data->Buffer);
  for (size_t i = 0; i < rects.size(); ++i) {
    out[i] = rects[i];
    bounds.Left = Min(bounds.Left, rects[i].Left);
    bounds.Top = Min(bounds.Top, rects[i].Top);
    bounds.Right = Max(bounds.Right, rects[i].Right);
    bounds.Bottom = Max(bounds.Bottom, rects[i].Bottom);
  }
  data->rdh.rcBound = bounds;
  UniqueRegion region(::ExtCreateRegion(nullptr, static_cast<DWORD>(memory.size()), data));
  if (region) return region;
  region.reset(::CreateRectRgn(rects[0].Left, rects[0].Top, rects[0].Right, rects[0].Bottom));
  for (size_t i = 1; i < rects.size() && region; ++i) {
    UniqueRegion run(::CreateRectRgn(rects[i].Left, rects[i].Top, rects[i].Right, rects[i].Bottom));
    if (run) ::CombineRgn(region.get(), region.get(), run.get(), RGN_OR);
  }
  return region;
}

void InvalidateTree(HWND window, int depth) {
  ::InvalidateRect(window, nullptr, FALSE);
  if (depth >= 64) return;  // deeper nesting than any window of ours
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT))
    InvalidateTree(child, depth + 1);
}

}  // namespace

UniqueRegion CreateRegionFromBitmap(TfcBitmap* image, TColor transparentColor) {
  if (image == nullptr || image->GetEmpty()) return UniqueRegion();
  const TfcPixelView pixels = image->GetPixels();
  std::vector<TRect> runs;
  const int32_t value = ColorToInt(transparentColor);
  if (value == -1) {
    runs = fcPixels::RegionRuns(pixels, pixels.At(0, 0));
  } else if (IsSystemColor(transparentColor)) {
    // A system colour keys the pixels of the colour it stands for; compared untranslated
    // it would match nothing and the region would silently cover the whole picture.
    runs = fcPixels::RegionRuns(pixels, ColorToBytes(transparentColor));
  } else if ((value & 0xFF000000) != 0) {
    // A marker such as clNone is no pixel colour: every pixel is opaque.
    for (int y = 0; y < pixels.Height; ++y) runs.push_back(TRect(0, y, pixels.Width, y + 1));
  } else {
    runs = fcPixels::RegionRuns(pixels, ColorToBytes(transparentColor));
  }
  return RegionOfRects(runs);
}

void FillOutsideRegion(TfcBitmap* image, HRGN region) {
  if (image == nullptr || image->GetEmpty() || region == nullptr) return;
  UniqueRegion outside(::CreateRectRgn(0, 0, image->GetWidth(), image->GetHeight()));
  if (!outside) return;
  ::CombineRgn(outside.get(), outside.get(), region, RGN_DIFF);
  UniqueBrush brush(::CreateSolidBrush(ColorToRGB(image->GetTransparentColor())));
  if (!brush) return;
  ::FillRgn(image->GetMemoryDC(), outside.get(), brush.get());
  image->Changed(image);
}

void InvalidateWithChildren(HWND window) {
  if (window != nullptr) InvalidateTree(window, 0);
}

void InvalidateOverlappingChildren(HWND parent, HWND control) {
  if (parent == nullptr || control == nullptr) return;
  RECT bounds;
  if (!::GetWindowRect(control, &bounds)) return;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT childBounds, common;
    if (::GetWindowRect(child, &childBounds) && ::IntersectRect(&common, &childBounds, &bounds))
      InvalidateWithChildren(child);
  }
}

void InvalidateControlBounds(TControl* control, bool erase) {
  if (control == nullptr) return;
  TWinControl* parent = control->GetParent();
  if (parent == nullptr || !parent->HandleAllocated()) return;
  const RECT bounds = control->GetBoundsRect();
  ::InvalidateRect(parent->GetHandle(), &bounds, erase ? TRUE : FALSE);
}

// ---- Drawing ---------------------------------------------------------------------------------

void TransparentBlitDC(HDC target, const TRect& r, HDC imageDC, HDC maskDC, bool offScreen) {
  const int w = r.Width(), h = r.Height();
  if (target == nullptr || imageDC == nullptr || maskDC == nullptr || w <= 0 || h <= 0) return;
  UniqueDC work;
  UniqueBitmap workBitmap;
  HGDIOBJ oldWorkBitmap = nullptr;
  HDC dc = target;
  int x = r.Left, y = r.Top;
  if (offScreen) {
    work.reset(::CreateCompatibleDC(target));
    workBitmap.reset(::CreateCompatibleBitmap(target, w, h));
    if (work && workBitmap) {
      oldWorkBitmap = ::SelectObject(work.get(), workBitmap.get());
      ::BitBlt(work.get(), 0, 0, w, h, target, r.Left, r.Top, SRCCOPY);
      dc = work.get();
      x = y = 0;
    }
  }
  // The monochrome mask reaches the colour target as black (0 bits) and white (1 bits).
  const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
  // t ^ i, then & ~m, then ^ i: where the mask is black (the key) this gives t back; where
  // it is white it gives i.
  ::BitBlt(dc, x, y, w, h, imageDC, 0, 0, SRCINVERT);
  ::BitBlt(dc, x, y, w, h, maskDC, 0, 0, 0x00220326);
  ::BitBlt(dc, x, y, w, h, imageDC, 0, 0, SRCINVERT);
  ::SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBack);
  if (dc != target) {
    ::BitBlt(target, r.Left, r.Top, w, h, dc, 0, 0, SRCCOPY);
    ::SelectObject(work.get(), oldWorkBitmap);
  }
}

void TransparentBlit(TCanvas* canvas, const TRect& r, TBitmap* image, bool offScreen,
                     TBitmap* mask) {
  if (canvas == nullptr || image == nullptr || mask == nullptr || image->GetEmpty() ||
      mask->GetEmpty())
    return;
  TransparentBlitDC(canvas->GetHandle(), r, image->GetCanvas()->GetHandle(),
                    mask->GetCanvas()->GetHandle(), offScreen);
}

void DrawTransparentImage(TCanvas* canvas, const TRect& r, TfcBitmap* image,
                          TColor transparentColor) {
  if (canvas == nullptr || image == nullptr || image->GetEmpty()) return;
  const TfcPixelView pixels = image->GetPixels();
  const TfcColor key = ColorToInt(transparentColor) == -1 ? pixels.At(0, 0)
                                                          : ColorToBytes(transparentColor);
  std::unique_ptr<TBitmap> mask = CreateMaskBitmap(pixels, key);
  if (!mask) return;
  TransparentBlitDC(canvas->GetHandle(), r, image->GetMemoryDC(), mask->GetCanvas()->GetHandle(),
                    true);
}

namespace {

// Blits a monochrome shape twice with "source ? pattern : destination" ($E20746): in the
// button-highlight colour one pixel down and right, then in the button-shadow colour. The
// shape is the 0 bits of the monochrome bitmap (the non-white pixels it was made from), so
// those reach the target as white (text colour) and the rest as black.
void EmbossShape(TCanvas* canvas, int x, int y, int w, int h, HDC mono) {
  constexpr DWORD SourceSelectsPattern = 0x00E20746;
  canvas->GetBrush()->SetColor(clBtnHighlight);
  HDC dc = canvas->GetHandle();
  const COLORREF oldText = ::SetTextColor(dc, RGB(255, 255, 255));
  const COLORREF oldBack = ::SetBkColor(dc, RGB(0, 0, 0));
  ::BitBlt(dc, x + 1, y + 1, w, h, mono, 0, 0, SourceSelectsPattern);
  canvas->GetBrush()->SetColor(clBtnShadow);
  dc = canvas->GetHandle();
  ::SetTextColor(dc, RGB(255, 255, 255));
  ::SetBkColor(dc, RGB(0, 0, 0));
  ::BitBlt(dc, x, y, w, h, mono, 0, 0, SourceSelectsPattern);
  ::SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBack);
}

}  // namespace

void DrawDisabledGlyph(TBitmap* source, TBitmap* dest) {
  if (source == nullptr || dest == nullptr || source == dest) return;
  const int w = source->GetWidth(), h = source->GetHeight();
  dest->SetSize(w, h);
  if (dest->GetEmpty()) return;
  TCanvas* canvas = dest->GetCanvas();
  canvas->GetBrush()->SetColor(clBtnFace);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(Rect(0, 0, w, h));
  if (source->GetEmpty()) return;
  TBitmap mono;
  mono.Assign(source);
  mono.SetMonochrome(true);
  EmbossShape(canvas, 0, 0, w, h, mono.GetCanvas()->GetHandle());
}

void DrawImageListImage(TCustomImageList* list, int index, TCanvas* canvas, int x, int y,
                        UINT style, bool enabled) {
  if (list == nullptr || canvas == nullptr || index < 0 || index >= list->GetCount()) return;
  if (enabled) {
    ::ImageList_DrawEx(list->GetHandle(), index, canvas->GetHandle(), x, y, 0, 0,
                       ImageListColor(list->GetBkColor()), ImageListColor(list->GetBlendColor()),
                       style);
    return;
  }
  // The image over white, made monochrome (white 1, the image's pixels 0), then embossed.
  TBitmap shape;
  shape.SetPixelFormat(pf24bit);
  shape.SetSize(list->GetWidth(), list->GetHeight());
  shape.GetCanvas()->GetBrush()->SetColor(clWhite);
  shape.GetCanvas()->FillRect(Rect(0, 0, list->GetWidth(), list->GetHeight()));
  ::ImageList_Draw(list->GetHandle(), index, shape.GetCanvas()->GetHandle(), 0, 0, ILD_NORMAL);
  shape.SetMonochrome(true);
  EmbossShape(canvas, x, y, list->GetWidth(), list->GetHeight(), shape.GetCanvas()->GetHandle());
}

void DrawButtonImageListImage(TCustomImageList* list, int index, TCanvas* canvas, int x,
                              int y, UINT style, bool enabled) {
  DrawImageListImage(list, index, canvas, enabled && x % 2 != 0 ? x - 1 : x, y, style, enabled);
}

UniqueBrush CheckerBrush() {
  static const WORD rows[8] = {0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555};
  UniqueBitmap pattern(::CreateBitmap(8, 8, 1, 1, rows));
  if (!pattern) return UniqueBrush();
  return UniqueBrush(::CreatePatternBrush(pattern.get()));  // the brush keeps its own copy
}

void FillDither(TCanvas* canvas, const TRect& r, TColor color1, TColor color2) {
  if (color2 == clNone) throw EInvalidOperation(L"Color2 cannot be clNone");
  if (canvas == nullptr || r.Width() <= 0 || r.Height() <= 0) return;
  if (color1 == clNone) {
    // The checker against the nearest colour to color2's inverse, with that colour keyed out.
    TfcBitmap cells;
    cells.SetSize(r.Width(), r.Height());
    if (cells.GetEmpty()) return;
    const COLORREF inverse =
        ::GetNearestColor(canvas->GetHandle(), ColorToRGB(color2) ^ 0x00FFFFFF);
    FillDither(cells.GetCanvas(), Rect(0, 0, r.Width(), r.Height()),
               ColorFromInt(static_cast<int32_t>(inverse & 0x00FFFFFF)), color2);
    DrawTransparentImage(canvas, r, &cells, PixelToColor(cells.GetPixel(0, 0)));
    return;
  }
  UniqueBrush brush = CheckerBrush();
  if (!brush) return;
  HDC dc = canvas->GetHandle();
  const COLORREF oldText = ::SetTextColor(dc, ColorToRGB(color2));
  const COLORREF oldBack = ::SetBkColor(dc, ColorToRGB(color1));
  const RECT rc = r;
  ::FillRect(dc, &rc, brush.get());
  ::SetBkColor(dc, oldBack);
  ::SetTextColor(dc, oldText);
  // Pixels changed behind the canvas's back: an image canvas must drop its mask.
  if (TNotifyEvent onChange = canvas->GetOnChange()) onChange(canvas);
}

void TileGraphic(TGraphic* graphic, TCanvas* canvas, const TRect& r) {
  if (graphic == nullptr || canvas == nullptr || graphic->GetEmpty()) return;
  const int gw = graphic->GetWidth(), gh = graphic->GetHeight();
  if (gw <= 0 || gh <= 0) return;
  // Placed from r's top-left corner: tiles counted from the canvas's origin would miss a
  // rectangle that does not start there.
  for (int x = 0; x < RectWidth(r); x += gw)
    for (int y = 0; y < RectHeight(r); y += gh) canvas->Draw(r.Left + x, r.Top + y, graphic);
}

void LayoutGlyphAndText(TPoint centre, int spacing, int layout, TSize sizeA, TSize sizeB,
                        TRect* rectA, TRect* rectB) {
  if (sizeA.cx == 0 || sizeA.cy == 0) spacing = (spacing - 6) / 2;
  // Axis codes per layout: {A horizontal, A vertical, B horizontal, B vertical}. Bit 0 counts
  // A's extent, bit 1 B's, both add the spacing; bit 2 places the item after the other.
  static const int codes[4][4] = {{3, 1, 7, 2}, {7, 1, 3, 2}, {1, 3, 2, 7}, {1, 7, 2, 3}};
  const int (&c)[4] = codes[ClampRange(layout, 0, 3)];
  // A's vertical extent counts one pixel more than its height.
  const int extentA[2] = {sizeA.cx, sizeA.cy + 1};
  const int extentB[2] = {sizeB.cx, sizeB.cy};
  const int middle[2] = {centre.X, centre.Y};
  auto place = [&](int code, int axis, int otherExtent) {
    int counted = 0;
    if (code & 1) counted += extentA[axis];
    if (code & 2) counted += extentB[axis];
    if ((code & 3) == 3) counted += spacing;
    int position = middle[axis] - counted / 2;
    if (code & 4) position += spacing + otherExtent;
    return position;
  };
  if (rectA != nullptr) {
    const int x = place(c[0], 0, extentB[0]), y = place(c[1], 1, extentB[1]);
    *rectA = TRect(x, y, x + sizeA.cx, y + sizeA.cy);
  }
  if (rectB != nullptr) {
    const int x = place(c[2], 0, extentA[0]), y = place(c[3], 1, extentA[1]);
    *rectB = TRect(x, y, x + sizeB.cx, y + sizeB.cy);
  }
}
