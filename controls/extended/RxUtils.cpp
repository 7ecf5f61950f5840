#include "RxUtils.h"

#include <cstring>

#include "classlib/forms/Forms.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/stdctrls/MessageDialogs.h"

namespace {

// A memory DC with one object selected into it; both restored and freed on every path.
class SelectedDC {
 public:
  SelectedDC(HDC like, HGDIOBJ object)
      : FDC(::CreateCompatibleDC(like)), FOld(FDC ? ::SelectObject(FDC.get(), object) : nullptr) {
    if (!FDC) throw EOutOfResources(L"Out of system resources");
  }
  ~SelectedDC() {
    if (FOld) ::SelectObject(FDC.get(), FOld);
    if (FPalette) ::SelectPalette(FDC.get(), FPalette, FALSE);
  }
  SelectedDC(const SelectedDC&) = delete;
  SelectedDC& operator=(const SelectedDC&) = delete;
  HDC get() const { return FDC.get(); }
  void UsePalette(HPALETTE palette) {
    if (!palette) return;
    FPalette = ::SelectPalette(FDC.get(), palette, FALSE);
    ::RealizePalette(FDC.get());
  }

 private:
  UniqueDC FDC;               // the memory DC
  HGDIOBJ FOld;               // what was selected before
  HPALETTE FPalette = nullptr;  // the palette selected before ours
};

// Paints color where the monochrome mask turns into white under the DC's text and
// background colours, leaving the rest of the destination (raster operation DSPDxax).
void PaintThroughMask(HDC dc, int x, int y, int w, int h, HDC maskDC, TColor color) {
  UniqueBrush brush(::CreateSolidBrush(ColorToRGB(color)));
  const HGDIOBJ old = ::SelectObject(dc, brush.get());
  ::BitBlt(dc, x, y, w, h, maskDC, 0, 0, 0xE20746);
  ::SelectObject(dc, old);
}

UniqueBitmap NewBitmap(HBITMAP handle) {
  if (!handle) throw EOutOfResources(L"Out of system resources");
  return UniqueBitmap(handle);
}

}  // namespace

void RegisterExtendedCursors() {
  if (!Screen) return;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (HCURSOR hand = ::LoadCursorW(instance, L"RX_HANDCUR")) Screen->SetCursors(crHand, hand);
  if (HCURSOR drag = ::LoadCursorW(instance, L"RX_DRAGCUR")) Screen->SetCursors(crDragHand, drag);
}

void SetDefaultFont(TFont* font) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  HFONT message = nullptr;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    message = ::CreateFontIndirectW(&metrics.lfMessageFont);
  if (message) {
    font->SetHandle(message);  // the font owns it from now on
  } else {
    font->SetName(L"MS Sans Serif");
    font->SetSize(8);
    font->SetStyle(TFontStyles{});
  }
  font->SetColor(clWindowText);
}

bool DirExists(const String& name) {
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void AssignBitmapCell(TGraphic* source, TBitmap* dest, int cols, int rows, int index) {
  if (!source || !dest) return;
  if (cols < 1) cols = 1;
  if (rows < 1) rows = 1;
  if (index < 0) index = 0;
  const int w = source->GetWidth() / cols, h = source->GetHeight() / rows;
  dest->SetSize(w, h);
  const int left = index % cols * w, top = index / cols * h;
  if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    TBitmap copy;  // read from a copy, so that the source reports no change
    copy.Assign(bitmap);
    dest->GetCanvas()->CopyRect(Rect(0, 0, w, h), copy.GetCanvas(),
                                Rect(left, top, left + w, top + h));
    dest->SetTransparentColor(bitmap->GetTransparentColor());
  } else {
    dest->GetCanvas()->GetBrush()->SetColor(ColorFromInt(0xC0C0C0));
    dest->GetCanvas()->FillRect(Rect(0, 0, w, h));
    dest->GetCanvas()->Draw(-left, -top, source);
  }
}

namespace {

// The parent's own painting is protected in TWinControl; the copy of what lies under a
// windowless control needs it.
class TParentPainter : public TWinControl {
 public:
  static void PaintWindowOf(TWinControl* control, HDC dc) {
    (control->*(&TParentPainter::PaintWindow))(dc);
  }
};

// Sets a control's paint-copy flag while it lives.
class TPaintCopy {
 public:
  explicit TPaintCopy(TControl* control) : FControl(control) {
    FControl->SetControlState(FControl->GetControlState() + TControlState{csPaintCopy});
  }
  ~TPaintCopy() { FControl->SetControlState(FControl->GetControlState() - TControlState{csPaintCopy}); }
  TPaintCopy(const TPaintCopy&) = delete;
  TPaintCopy& operator=(const TPaintCopy&) = delete;

 private:
  TControl* FControl;
};

}  // namespace

void CopyParentImage(TControl* control, TCanvas* dest) {
  if (!control || !dest || !control->GetParent()) return;
  TWinControl* parent = control->GetParent();
  // The parent and the siblings paint copies of themselves while this runs.
  TPaintCopy parentCopy(parent);
  const HDC dc = dest->GetHandle();
  const TRect bounds = control->GetBoundsRect();
  {
    TSavedDC saved(dc);
    // The parent's colour first: a double-buffered parent leaves the erase to its buffer.
    HBRUSH brush = ::CreateSolidBrush(ColorToRGB(parent->GetColor()));
    const RECT all{0, 0, bounds.Width(), bounds.Height()};
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::OffsetViewportOrgEx(dc, -bounds.Left, -bounds.Top, nullptr);
    const TRect parentClient = parent->GetClientRect();
    ::IntersectClipRect(dc, parentClient.Left, parentClient.Top, parentClient.Right, parentClient.Bottom);
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    // The parent paints its window into the DC (a panel its bevel and caption, a control
    // of a system class itself).
    TParentPainter::PaintWindowOf(parent, dc);
  }
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* sibling = parent->GetControl(i);
    if (!sibling || sibling == control) break;
    if (dynamic_cast<TWinControl*>(sibling) || !sibling->GetVisible()) continue;
    const TRect r = sibling->GetBoundsRect();
    TRect overlap;
    if (!IntersectRect(overlap, r, bounds)) continue;
    TSavedDC saved(dc);
    ::OffsetViewportOrgEx(dc, r.Left - bounds.Left, r.Top - bounds.Top, nullptr);
    ::IntersectClipRect(dc, 0, 0, r.Right - r.Left, r.Bottom - r.Top);
    TPaintCopy siblingCopy(sibling);
    sibling->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
}

void StretchBltMasked(HDC destDC, const TRect& dest, HDC sourceDC, const TRect& source,
                      HPALETTE palette, COLORREF transparentColor) {
  const int dw = dest.Right - dest.Left, dh = dest.Bottom - dest.Top;
  const int sw = source.Right - source.Left, sh = source.Bottom - source.Top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  HPALETTE oldDestPalette = nullptr;
  if (palette) {
    oldDestPalette = ::SelectPalette(destDC, palette, FALSE);
    ::RealizePalette(destDC);
  }
  struct PaletteBack {  // the destination's palette comes back on every path
    HDC dc;
    HPALETTE old;
    ~PaletteBack() {
      if (old) ::SelectPalette(dc, old, TRUE);
    }
  } paletteBack{destDC, oldDestPalette};

  UniqueBitmap mask = NewBitmap(::CreateBitmap(sw, sh, 1, 1, nullptr));
  UniqueBitmap inverse = NewBitmap(::CreateBitmap(sw, sh, 1, 1, nullptr));
  UniqueBitmap work = NewBitmap(::CreateCompatibleBitmap(destDC, dw, dh));
  UniqueBitmap copy = NewBitmap(::CreateCompatibleBitmap(destDC, sw, sh));
  SelectedDC maskDC(destDC, mask.get()), inverseDC(destDC, inverse.get());
  SelectedDC workDC(destDC, work.get()), copyDC(destDC, copy.get());
  maskDC.UsePalette(palette);
  inverseDC.UsePalette(palette);
  workDC.UsePalette(palette);
  copyDC.UsePalette(palette);

  ::BitBlt(copyDC.get(), 0, 0, sw, sh, sourceDC, source.Left, source.Top, SRCCOPY);
  // Colour to monochrome: the background colour becomes 1, the rest 0.
  const COLORREF oldBack = ::SetBkColor(copyDC.get(), transparentColor);
  ::BitBlt(maskDC.get(), 0, 0, sw, sh, copyDC.get(), 0, 0, SRCCOPY);
  ::SetBkColor(copyDC.get(), oldBack);
  ::BitBlt(inverseDC.get(), 0, 0, sw, sh, maskDC.get(), 0, 0, NOTSRCCOPY);
  ::BitBlt(workDC.get(), 0, 0, dw, dh, destDC, dest.Left, dest.Top, SRCCOPY);
  // Monochrome to colour: 0 bits take the text colour, 1 bits the background colour.
  const COLORREF oldText = ::SetTextColor(workDC.get(), RGB(0, 0, 0));
  const COLORREF oldWorkBack = ::SetBkColor(workDC.get(), RGB(255, 255, 255));
  ::StretchBlt(workDC.get(), 0, 0, dw, dh, maskDC.get(), 0, 0, sw, sh, SRCAND);
  ::SetTextColor(copyDC.get(), RGB(0, 0, 0));
  ::SetBkColor(copyDC.get(), RGB(255, 255, 255));
  ::BitBlt(copyDC.get(), 0, 0, sw, sh, inverseDC.get(), 0, 0, SRCAND);
  ::StretchBlt(workDC.get(), 0, 0, dw, dh, copyDC.get(), 0, 0, sw, sh, SRCPAINT);
  ::SetTextColor(workDC.get(), oldText);
  ::SetBkColor(workDC.get(), oldWorkBack);
  ::BitBlt(destDC, dest.Left, dest.Top, dw, dh, workDC.get(), 0, 0, SRCCOPY);
}

void StretchBitmapRectTransparent(TCanvas* dest, int x, int y, int w, int h,
                                  const TRect& source, TBitmap* bitmap, TColor transparentColor) {
  if (!dest || !bitmap || bitmap->GetEmpty()) return;
  if (w < 1) w = bitmap->GetWidth();
  if (h < 1) h = bitmap->GetHeight();
  TRect src = source;
  if (src.Right <= src.Left || src.Bottom <= src.Top) src = Rect(0, 0, bitmap->GetWidth(), bitmap->GetHeight());
  const HDC destDC = dest->GetHandle();
  if (!bitmap->GetMonochrome()) ::SetStretchBltMode(destDC, STRETCH_DELETESCANS);
  // Drawn from a copy: taking a bitmap's canvas counts as a change of the bitmap, and the
  // picture drawn must not report one (its owner would repaint, and so on).
  TBitmap copy;
  copy.Assign(bitmap);
  TCanvas* bitmapCanvas = copy.GetCanvas();
  bitmapCanvas->Lock();
  struct Unlock {
    TCanvas* canvas;
    ~Unlock() { canvas->Unlock(); }
  } unlock{bitmapCanvas};
  const HDC sourceDC = bitmapCanvas->GetHandle();
  POINT oldOrigin{};
  ::SetWindowOrgEx(sourceDC, 0, 0, &oldOrigin);
  struct OriginBack {
    HDC dc;
    POINT origin;
    ~OriginBack() { ::SetWindowOrgEx(dc, origin.x, origin.y, nullptr); }
  } originBack{sourceDC, oldOrigin};
  if (transparentColor == clNone) {
    ::StretchBlt(destDC, x, y, w, h, sourceDC, src.Left, src.Top, src.Right - src.Left,
                 src.Bottom - src.Top, static_cast<DWORD>(dest->GetCopyMode()));
    return;
  }
  COLORREF key;
  if (transparentColor == clDefault)
    key = bitmap->GetMonochrome() ? RGB(255, 255, 255)
                                  : ::GetPixel(sourceDC, 0, bitmap->GetHeight() - 1);
  else
    key = ColorToRGB(transparentColor);
  StretchBltMasked(destDC, Rect(x, y, x + w, y + h), sourceDC, src, copy.GetPalette(), key);
}

void DrawBitmapRectTransparent(TCanvas* dest, int x, int y, const TRect& source,
                               TBitmap* bitmap, TColor transparentColor) {
  StretchBitmapRectTransparent(dest, x, y, source.Right - source.Left,
                               source.Bottom - source.Top, source, bitmap, transparentColor);
}

std::unique_ptr<TBitmap> CreateGrayedBitmapEx(TBitmap* source, TColor outlineColor,
                                              TColor backColor, TColor highlightColor,
                                              TColor shadowColor, bool drawHighlight) {
  auto result = std::make_unique<TBitmap>();
  if (!source || source->GetEmpty()) return result;
  const int w = source->GetWidth(), h = source->GetHeight();
  UniqueBitmap mask = NewBitmap(::CreateBitmap(w, h, 1, 1, nullptr));
  // Read from a copy, so that the source reports no change (see above).
  TBitmap copy;
  copy.Assign(source);
  const HDC sourceDC = copy.GetCanvas()->GetHandle();
  {
    SelectedDC maskDC(sourceDC, mask.get());
    if (source->GetMonochrome()) {
      // Black pixels are the ones kept dark.
      ::BitBlt(maskDC.get(), 0, 0, w, h, sourceDC, 0, 0, NOTSRCCOPY);
    } else {
      const COLORREF oldBack = ::SetBkColor(sourceDC, ColorToRGB(outlineColor));
      ::BitBlt(maskDC.get(), 0, 0, w, h, sourceDC, 0, 0, SRCCOPY);
      ::SetBkColor(sourceDC, oldBack);
    }
  }
  result->SetSize(w, h);
  TCanvas* canvas = result->GetCanvas();
  canvas->GetBrush()->SetColor(backColor);
  canvas->FillRect(Rect(0, 0, w, h));
  SelectedDC maskDC(sourceDC, mask.get());
  auto paintThroughMask = [&](TColor color, int offset) {
    const HDC dc = canvas->GetHandle();
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    PaintThroughMask(dc, offset, offset, w, h, maskDC.get(), color);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
  };
  if (drawHighlight) paintThroughMask(highlightColor, 1);
  paintThroughMask(shadowColor, 0);
  return result;
}

std::unique_ptr<TBitmap> CreateGrayedBitmap(TBitmap* source, TColor outlineColor) {
  return CreateGrayedBitmapEx(source, outlineColor, clBtnFace, clBtnHighlight, clBtnShadow,
                              true);
}

void ImageListDrawDisabled(TCustomImageList* images, TCanvas* canvas, int x, int y, int index,
                           TColor highlightColor, TColor grayColor, bool drawHighlight) {
  if (!images || !canvas || index < 0 || index >= images->GetCount()) return;
  const int w = images->GetWidth(), h = images->GetHeight();
  UniqueBitmap mask = NewBitmap(::CreateBitmap(w, h, 1, 1, nullptr));
  const HDC dc = canvas->GetHandle();
  SelectedDC maskDC(dc, mask.get());
  ::PatBlt(maskDC.get(), 0, 0, w, h, WHITENESS);
  // The mask: 0 (black) where the image is drawn, 1 (white) where it is transparent.
  ::ImageList_Draw(images->GetHandle(), index, maskDC.get(), 0, 0, ILD_MASK);
  const TColor oldBrush = canvas->GetBrush()->GetColor();
  const COLORREF oldText = ::SetTextColor(dc, RGB(255, 255, 255));
  const COLORREF oldBack = ::SetBkColor(dc, RGB(0, 0, 0));
  auto paint = [&](TColor color, int left, int top) {
    canvas->GetBrush()->SetColor(color);
    PaintThroughMask(dc, left, top, w, h, maskDC.get(), color);
  };
  if (drawHighlight) paint(highlightColor, x + 1, y + 1);
  paint(grayColor, x, y);
  ::SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBack);
  canvas->GetBrush()->SetColor(oldBrush);
}

String ShortenString(const String& s, TCanvas* canvas, int maxWidth) {
  String result = s;
  size_t keep = s.size();
  while (canvas->TextWidth(result) > maxWidth && keep > 0) {
    --keep;
    result = s.substr(0, keep) + L"...";
  }
  return result;
}

void NotImplemented() {
  if (Screen) Screen->SetCursor(crDefault);
  MessageDlg(L"Function not yet implemented", mtInformation, TMsgDlgButtons{mbOK}, 0);
  Abort();
}

void KillMessage(HWND window, UINT msg) {
  MSG m{};
  if (::PeekMessageW(&m, window, msg, msg, PM_REMOVE) && m.message == WM_QUIT)
    ::PostQuitMessage(static_cast<int>(m.wParam));
}

void EnableWindowForMouse(TWinControl* control) {
  if (control->HandleAllocated() && !control->GetComponentState().Contains(csDesigning))
    ::EnableWindow(control->GetHandle(), TRUE);
}

bool IsForegroundTask() {
  const HWND active = ::GetActiveWindow();
  return active && ::GetWindowThreadProcessId(active, nullptr) == ::GetCurrentThreadId();
}

void* AllocMemo(long size) {
  if (size < 1) return nullptr;
  return ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, static_cast<SIZE_T>(size));
}

void FreeMemo(void*& p) {
  if (p) ::HeapFree(::GetProcessHeap(), 0, p);
  p = nullptr;
}

bool CompareMem(const void* p1, const void* p2, size_t length) {
  return length == 0 || std::memcmp(p1, p2, length) == 0;
}

COLORREF PaletteColor(TColor color) { return ColorToRGB(color) | 0x02000000; }
