// The menu player.
#include "ShockwaveFlash.h"

#include <algorithm>
#include "classlib/classes/Properties.h"

namespace {

// A 32-bit top-down DIB section of width × height (0x00RRGGBB per pixel); bits receives its
// pixels. Empty when the system has no room for it.
UniqueBitmap TopDownDib(int width, int height, uint32_t*& bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  bits = bitmap ? static_cast<uint32_t*>(pixels) : nullptr;
  return bitmap;
}

// A DIB section holding a picture's pixels.
UniqueBitmap PictureDib(const TMenuPicture& picture) {
  uint32_t* bits = nullptr;
  UniqueBitmap bitmap = TopDownDib(picture.Width, picture.Height, bits);
  if (!bitmap) throw EOutOfResources(L"Out of system resources");
  std::copy(picture.Pixels.begin(), picture.Pixels.end(), bits);
  return bitmap;
}

// Selects an object into a DC for the lifetime of the holder.
class TSelected {
 public:
  TSelected(HDC dc, HGDIOBJ object) : FDC(dc), FOld(::SelectObject(dc, object)) {}
  ~TSelected() { ::SelectObject(FDC, FOld); }
  TSelected(const TSelected&) = delete;
  TSelected& operator=(const TSelected&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

UniqueFont MenuFont(int height, bool bold) {
  return UniqueFont(::CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                  GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体"));
}

void DrawMenuText(HDC dc, const std::wstring& text, RECT rect, uint32_t color, int height, bool bold,
                  UINT format) {
  UniqueFont font = MenuFont(height, bold);
  TSelected selected(dc, font.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, color);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

const TPropertyTable* TShockwaveFlash::PublishedProperties() {
  using P = TPublish<TShockwaveFlash>;
  using C = TShockwaveFlash;
  static const TPropertyTable table{
      P::WideText(L"Movie", &C::GetMovie, &C::SetMovie),
      P::Method(L"OnFSCommand", &C::GetOnFSCommand, &C::SetOnFSCommand),
  };
  return &table;
}

TShockwaveFlash::TShockwaveFlash(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
  SetBounds(GetLeft(), GetTop(), 192, 192);
  SetColor(clWhite);
  SetTabStop(true);
}

TShockwaveFlash::~TShockwaveFlash() = default;

// ---- Loading and playing --------------------------------------------------------------------

void TShockwaveFlash::SetMovie(const String& value) {
  Stop();
  FMovie = value;
  FData = TMenuMovie();
  FBitmaps.clear();
  if (value.empty()) return;
  TMenuMovie data = LoadMenuMovie(value);  // raises before anything is replaced
  FData = std::move(data);
  MakeBitmaps();
}

void TShockwaveFlash::MakeBitmaps() {
  std::vector<UniqueBitmap> bitmaps;
  for (const TMenuPicture& picture : FData.Pictures) bitmaps.push_back(PictureDib(picture));
  FBitmaps = std::move(bitmaps);
}

void TShockwaveFlash::Play() {
  if (FData.Pictures.empty()) throw EInvalidOperation(L"没有可播放的菜单动画");
  FPlaying = true;
  FHover = FPressed = -1;
  FFocus = FData.Buttons.empty() ? -1 : 0;
  Invalidate();
}

void TShockwaveFlash::Stop() {
  FPlaying = false;
  FHover = FPressed = FFocus = -1;
  SetCursor(crDefault);
  Invalidate();
}

// ---- Geometry --------------------------------------------------------------------------------

TRect TShockwaveFlash::Scaled(const TMenuRect& r, int width, int height) const {
  const int dw = FData.DesignWidth, dh = FData.DesignHeight;
  return TRect(::MulDiv(r.Left, width, dw), ::MulDiv(r.Top, height, dh),
               ::MulDiv(r.Left + r.Width, width, dw), ::MulDiv(r.Top + r.Height, height, dh));
}

int TShockwaveFlash::ButtonAt(int x, int y) const {
  if (!FPlaying) return -1;
  const int width = const_cast<TShockwaveFlash*>(this)->GetClientWidth();
  const int height = const_cast<TShockwaveFlash*>(this)->GetClientHeight();
  for (int i = 0; i < static_cast<int>(FData.Buttons.size()); ++i) {
    const TRect r = Scaled(FData.Buttons[i].Bounds, width, height);
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return i;
  }
  return -1;
}

TRect TShockwaveFlash::ButtonRect(int index) const {
  if (index < 0 || index >= static_cast<int>(FData.Buttons.size())) return TRect();
  auto* self = const_cast<TShockwaveFlash*>(this);
  return Scaled(FData.Buttons[index].Bounds, self->GetClientWidth(), self->GetClientHeight());
}

// ---- Drawing ---------------------------------------------------------------------------------

void TShockwaveFlash::RenderTo(HDC dc, int width, int height) const {
  if (width <= 0 || height <= 0) return;
  RECT all{0, 0, width, height};
  // The frame is composed in a 32-bit DIB section of our own, so that keyed button faces
  // are scaled and laid over the background by this code, pixel by pixel, and then
  // copied to dc in one step.
  uint32_t* pixels = nullptr;
  UniqueBitmap frame = TopDownDib(width, height, pixels);
  UniqueDC buffer(::CreateCompatibleDC(dc));
  UniqueDC source(::CreateCompatibleDC(dc));
  if (!frame || !buffer || !source) {
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    return;
  }
  TSelected selectedFrame(buffer.get(), frame.get());
  HDC out = buffer.get();
  ::FillRect(out, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  if (FPlaying && !FBitmaps.empty()) {
    const TMenuPicture& background = FData.Pictures[FData.Background];
    {
      TSelected picture(source.get(), FBitmaps[FData.Background].get());
      ::SetStretchBltMode(out, HALFTONE);
      ::SetBrushOrgEx(out, 0, 0, nullptr);
      ::StretchBlt(out, 0, 0, width, height, source.get(), 0, 0, background.Width, background.Height, SRCCOPY);
    }
    ::GdiFlush();
    for (int i = 0; i < static_cast<int>(FData.Buttons.size()); ++i) {
      const TMenuButton& button = FData.Buttons[i];
      const bool pressed = i == FPressed && i == FHover;
      const TMenuPicture& face =
          FData.Pictures[pressed ? button.Pressed : i == FHover ? button.Hover : button.Normal];
      const TRect r = Scaled(button.Bounds, width, height);
      const int w = r.Right - r.Left, h = r.Bottom - r.Top;
      if (w <= 0 || h <= 0) continue;
      for (int y = std::max(0, r.Top); y < std::min(height, r.Bottom); ++y) {
        const uint32_t* row = face.Pixels.data() + static_cast<size_t>((y - r.Top) * face.Height / h) * face.Width;
        uint32_t* target = pixels + static_cast<size_t>(y) * width;
        for (int x = std::max(0, r.Left); x < std::min(width, r.Right); ++x) {
          const uint32_t pixel = row[(x - r.Left) * face.Width / w];
          if (pixel != kMenuKeyColor) target[x] = pixel;
        }
      }
    }
    const int fontScaleNum = height, fontScaleDen = FData.DesignHeight;
    for (const TMenuText& text : FData.Texts) {
      const TRect r = Scaled(text.Bounds, width, height);
      DrawMenuText(out, text.Text, RECT{r.Left, r.Top, r.Right, r.Bottom}, text.Color,
                   std::max(6, ::MulDiv(text.FontHeight, fontScaleNum, fontScaleDen)), text.Bold,
                   DT_LEFT | DT_VCENTER);
    }
    const bool focused = const_cast<TShockwaveFlash*>(this)->Focused();
    for (int i = 0; i < static_cast<int>(FData.Buttons.size()); ++i) {
      const TMenuButton& button = FData.Buttons[i];
      const TRect r = Scaled(button.Bounds, width, height);
      RECT textRect{r.Left, r.Top, r.Right, r.Bottom};
      if (i == FPressed && i == FHover) ::OffsetRect(&textRect, 1, 1);
      DrawMenuText(out, button.Caption, textRect, button.CaptionColor,
                   std::max(6, ::MulDiv(button.FontHeight, fontScaleNum, fontScaleDen)), false,
                   DT_CENTER | DT_VCENTER);
      if (i == FFocus && focused) {
        RECT focus{r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3};
        ::SetTextColor(out, RGB(0, 0, 0));
        ::SetBkColor(out, RGB(255, 255, 255));
        ::DrawFocusRect(out, &focus);
      }
    }
  }
  ::BitBlt(dc, 0, 0, width, height, out, 0, 0, SRCCOPY);
}

void TShockwaveFlash::Paint() {
  // RenderTo composes off-screen and copies once: the menu does not flicker.
  RenderTo(GetCanvas()->GetHandle(), GetClientWidth(), GetClientHeight());
}

void TShockwaveFlash::WMEraseBkgnd(TMessage& message) { message.Result = 1; }  // Paint covers all

// ---- Mouse and keyboard -------------------------------------------------------------------

void TShockwaveFlash::WndProc(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    // Tab, the arrows and Enter move and choose among the buttons, not among controls.
    message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    return;
  }
  TCustomControl::WndProc(message);
}

void TShockwaveFlash::SetHover(int index) {
  if (index == FHover) return;
  FHover = index;
  SetCursor(index >= 0 ? crHandPoint : crDefault);
  Invalidate();
}

void TShockwaveFlash::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !FPlaying) return;
  if (CanFocus() && !Focused()) SetFocus();
  FPressed = ButtonAt(x, y);
  SetHover(FPressed);
  if (FPressed >= 0) FFocus = FPressed;
  Invalidate();
}

void TShockwaveFlash::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  SetHover(ButtonAt(x, y));
}

void TShockwaveFlash::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  const int chosen = FPressed >= 0 && ButtonAt(x, y) == FPressed ? FPressed : -1;
  FPressed = -1;
  Invalidate();
  if (chosen >= 0) DoFSCommand(chosen);
}

void TShockwaveFlash::MouseLeave() {
  TCustomControl::MouseLeave();
  SetHover(-1);
}

void TShockwaveFlash::MoveFocus(bool forward) {
  const int count = static_cast<int>(FData.Buttons.size());
  if (count == 0) return;
  FFocus = FFocus < 0 ? 0 : (FFocus + (forward ? 1 : count - 1)) % count;
  Invalidate();
}

void TShockwaveFlash::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (!FPlaying) return;
  switch (key) {
    case VK_TAB: MoveFocus(!shift.Contains(ssShift)); break;
    case VK_RIGHT:
    case VK_DOWN: MoveFocus(true); break;
    case VK_LEFT:
    case VK_UP: MoveFocus(false); break;
    case VK_RETURN:
    case VK_SPACE:
      if (FFocus >= 0) {
        key = 0;
        DoFSCommand(FFocus);
      }
      return;
    default: return;
  }
  key = 0;
}

void TShockwaveFlash::DoEnter() {
  TCustomControl::DoEnter();
  Invalidate();
}

void TShockwaveFlash::DoExit() {
  TCustomControl::DoExit();
  Invalidate();
}

void TShockwaveFlash::DoFSCommand(int index) {
  if (index < 0 || index >= static_cast<int>(FData.Buttons.size())) return;
  // Copies: the handler may load another movie.
  const String command = FData.Buttons[index].Command;
  const String args = FData.Buttons[index].Args;
  if (FOnFSCommand) FOnFSCommand(this, command, args);
}
