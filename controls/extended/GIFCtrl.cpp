// TRxGIFAnimator.
#include "GIFCtrl.h"

#include <algorithm>

#include "IcoList.h"
#include "RxUtils.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/Messages.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"

namespace {
constexpr unsigned MinDelay = 50;      // milliseconds
constexpr unsigned MaxDelay = 10000;

// Disposal methods 4 to 7 are not defined by GIF and act as "leave in place".
uint8_t Disposal(const TGIFFrame* frame) {
  const uint8_t method = frame->GetDisposalMethod();
  return method > 3 ? 1 : method;
}

// The colour in the palette-relative form (system colours resolved first).
TColor PaletteRelative(TColor color) {
  return ColorFromInt(PaletteRelativeFlag | static_cast<int32_t>(ColorToRGB(color) & 0xFFFFFF));
}

// A palette of the same entries (nullptr for none).
UniquePalette CopyOfPalette(HPALETTE palette) {
  if (!palette) return UniquePalette();
  struct {
    WORD Version;
    WORD Count;
    PALETTEENTRY Entries[256];
  } log{0x300, 0, {}};
  log.Count = static_cast<WORD>(::GetPaletteEntries(palette, 0, 256, log.Entries));
  if (log.Count == 0) return UniquePalette();
  return UniquePalette(::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&log)));
}

// The frame's rectangle on the logical screen (measuring does not decode it).
TRect FrameRect(TGIFFrame* frame) {
  const TPoint origin = frame->GetOrigin();
  return TRect{origin.X, origin.Y, origin.X + frame->GetWidth(), origin.Y + frame->GetHeight()};
}
}  // namespace

TRxGIFAnimator::TRxGIFAnimator(TComponent* owner) : TRxImageControl(owner) {
  FTimer = std::make_unique<TRxTimer>(nullptr);
  FImage = std::make_unique<TGIFImage>();
  FGraphic = FImage.get();
  FImage->OnChange = [this](TObject* sender) { ImageChanged(sender); };
  SetAutoSize(true);
}

TRxGIFAnimator::~TRxGIFAnimator() {
  OnChange = OnFrameChanged = OnStart = OnStop = nullptr;
  SetAnimate(false);
  FTimer.reset();  // joined: no step runs from here on
  DropCache();
  FImage->OnChange = nullptr;
  FGraphic = nullptr;
  FImage.reset();
}

void TRxGIFAnimator::DropCache() {
  FCache.reset();
  FCacheIndex = -1;
  FCacheTransparent = clNone;
}

unsigned TRxGIFAnimator::FrameDelay() const {
  const int index = FFrameIndex;
  if (index < 0 || index >= FImage->GetCount() || FImage->GetCount() < 2) return 0;
  return std::clamp<unsigned>(FImage->GetFrame(index)->GetAnimateInterval(), MinDelay, MaxDelay);
}

void TRxGIFAnimator::SetAnimate(bool value) {
  if (FAnimate == value) return;
  if (value) {
    FTimer->SetOnTimer([this](TObject*) { TimerStep(); });
    FTimer->SetInterval(FrameDelay());
    FTimer->SetEnabled(true);
    FAnimate = FTimer->GetEnabled();
    Start();
  } else {
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer(nullptr);
    FAnimate = false;
    Stop();
    PictureChanged();
  }
}

void TRxGIFAnimator::SetFrameIndex(int value) {
  if (value == FFrameIndex || value < 0 || value >= FImage->GetCount()) return;
  Lock();
  FFrameIndex = value;
  FTimer->SetInterval(FrameDelay());
  Unlock();
  FrameChanged();
  PictureChanged();
}

void TRxGIFAnimator::SetImage(TGIFImage* value) {
  Lock();
  try {
    FImage->Assign(value);
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
}

void TRxGIFAnimator::SetCenter(bool value) {
  if (value == FCenter) return;
  Lock();
  FCenter = value;
  Unlock();
  PictureChanged();
  if (FAnimate) Repaint();
}

void TRxGIFAnimator::SetStretch(bool value) {
  if (value == FStretch) return;
  Lock();
  FStretch = value;
  Unlock();
  PictureChanged();
  if (FAnimate) Repaint();
}

void TRxGIFAnimator::SetTransparent(bool value) {
  if (value == FTransparent) return;
  Lock();
  FTransparent = value;
  Unlock();
  PictureChanged();
  if (FAnimate) Repaint();
}

void TRxGIFAnimator::SetAsyncDrawing(bool value) {
  if (value == FAsyncDrawing) return;
  Lock();
  // The worker will draw bitmaps the main thread may draw at the same time (the parent's
  // image among them): from now on every bitmap draw holds the bitmap's canvas lock.
  if (value) LockBitmapDrawing();
  FTimer->SetSyncEvent(!value);
  FAsyncDrawing = value;
  Unlock();
}

void TRxGIFAnimator::ImageChanged(TObject*) {
  Lock();
  DropCache();
  FFrameIndex = FImage->GetFrameIndex();
  if (FFrameIndex >= 0 && FImage->GetCount() > 0) FTimer->SetInterval(FrameDelay());
  Unlock();
  PictureChanged();
  Change();
}

bool TRxGIFAnimator::CanAutoSize(int& newWidth, int& newHeight) {
  if (!FImage || GetComponentState().Contains(csDesigning) || FImage->GetEmpty()) return true;
  const TAlign align = GetAlign();
  if (align == alNone || align == alLeft || align == alRight) newWidth = FImage->GetScreenWidth();
  if (align == alNone || align == alTop || align == alBottom) newHeight = FImage->GetScreenHeight();
  return true;
}

void TRxGIFAnimator::AdjustSize() {
  if (GetComponentState().Contains(csReading) || GetComponentState().Contains(csLoading)) return;
  if (GetAutoSize() && FImage && !FImage->GetEmpty())
    SetBounds(GetLeft(), GetTop(), FImage->GetScreenWidth(), FImage->GetScreenHeight());
}

HPALETTE TRxGIFAnimator::GetPalette() { return !FImage || FImage->GetEmpty() ? nullptr : FImage->GetPalette(); }

void TRxGIFAnimator::Change() {
  if (OnChange) OnChange(this);
}
void TRxGIFAnimator::FrameChanged() {
  if (OnFrameChanged) OnFrameChanged(this);
}
void TRxGIFAnimator::Start() {
  if (OnStart) OnStart(this);
}
void TRxGIFAnimator::Stop() {
  if (OnStop) OnStop(this);
}

TBitmap* TRxGIFAnimator::ComposeFrame(int index, TColor& transparentColor) {
  const int count = FImage->GetCount();
  transparentColor = clNone;
  if (count == 0) return nullptr;
  index = std::clamp(index, 0, count - 1);
  const int screenWidth = std::max(FImage->GetScreenWidth(), 1);
  const int screenHeight = std::max(FImage->GetScreenHeight(), 1);
  const bool usable = FCache && FCacheIndex >= 0 && FCacheIndex == index - 1 &&
                      Disposal(FImage->GetFrame(FCacheIndex)) != 3;
  if (FCache && FCacheIndex == index) {
    transparentColor = FCacheTransparent;
    return FCache.get();
  }
  const bool fresh = !usable;
  if (fresh) {
    FCache = std::make_unique<TBitmap>();
    FCache->SetSize(screenWidth, screenHeight);
  } else {
    transparentColor = FCacheTransparent;
  }
  TCanvas* canvas = FCache->GetCanvas();
  canvas->Lock();
  // The image's palette is selected and realized in the picture while it is composed, and put
  // back after. A copy: the image's own belongs to a frame's bitmap, which drawing the other
  // frames may give back to the budget.
  UniquePalette palette;
  struct {
    HDC DC = nullptr;
    HPALETTE Old = nullptr;
  } selection;
  try {
    palette = CopyOfPalette(FImage->GetPalette());
    if (palette) {
      selection.DC = canvas->GetHandle();
      selection.Old = ::SelectPalette(selection.DC, palette.get(), FALSE);
      ::RealizePalette(selection.DC);
    }
    // The brush in the palette-relative form; a transparent colour is the nearest colour the
    // picture can hold.
    TColor brush;
    const TGIFFrame* current = FImage->GetFrame(std::clamp(FImage->GetFrameIndex(), 0, count - 1));
    if (current->GetTransparentColor() != clNone) {
      brush = PaletteRelative(current->GetTransparentColor());
      const TColor nearest =
          ColorFromInt(static_cast<int32_t>(::GetNearestColor(canvas->GetHandle(), ColorToRGB(brush)) & 0xFFFFFF));
      if (fresh) transparentColor = nearest;
    } else if (FImage->GetBackgroundColor() != clNone) {
      brush = PaletteRelative(FImage->GetTransparent() ? FImage->GetBackgroundColor() : clWindow);
    } else {
      brush = PaletteRelative(clWindow);
    }
    canvas->GetBrush()->SetColor(brush);
    canvas->GetBrush()->SetStyle(bsSolid);
    if (fresh) {
      canvas->FillRect(TRect{0, 0, screenWidth, screenHeight});
      // Replay from the latest frame that hides everything before it: one that covers the
      // whole screen from its origin (0, 0) and is opaque, or is cleared after it is shown.
      int first = index;
      while (first > 0) {
        TGIFFrame* frame = FImage->GetFrame(first);
        const bool covers = frame->GetOrigin().X == 0 && frame->GetOrigin().Y == 0 &&
                            frame->GetWidth() == screenWidth && frame->GetHeight() == screenHeight;
        if (covers && (frame->GetTransparentColor() == clNone ||
                       (Disposal(frame) == 2 && first < index)))
          break;
        --first;
      }
      for (int i = first; i < index; ++i) {
        TGIFFrame* frame = FImage->GetFrame(i);
        switch (Disposal(frame)) {
          case 0:
          case 1: frame->Draw(canvas, FrameRect(frame), true); break;
          case 2:
            if (i != first) canvas->FillRect(FrameRect(frame));
            break;
          default: break;  // restored to what was there: not drawn (nor decoded)
        }
      }
    } else if (Disposal(FImage->GetFrame(index - 1)) == 2) {
      canvas->FillRect(FrameRect(FImage->GetFrame(index - 1)));
    }
    TGIFFrame* frame = FImage->GetFrame(index);
    frame->Draw(canvas, FrameRect(frame), true);
    if (fresh && transparentColor != clNone && FTransparent) {
      FCache->SetTransparentColor(transparentColor);
      FCache->SetTransparent(true);
    }
  } catch (...) {
    if (selection.DC && selection.Old) ::SelectPalette(selection.DC, selection.Old, TRUE);
    selection.DC = nullptr;
    canvas->Unlock();
    DropCache();
    throw;
  }
  if (selection.DC && selection.Old) ::SelectPalette(selection.DC, selection.Old, TRUE);
  selection.DC = nullptr;
  canvas->Unlock();
  FCacheIndex = index;
  FCacheTransparent = transparentColor;
  return FCache.get();
}

void TRxGIFAnimator::Paint() {
  PaintImage();
  if (FImage->GetTransparent() || FImage->GetEmpty()) PaintDesignRect();
}

void TRxGIFAnimator::DoPaintImage() {
  TCanvas* canvas = GetCanvas();
  if (FImage->GetTransparent() || FImage->GetEmpty()) CopyParentImage(this, canvas);
  if (FImage->GetEmpty() || FImage->GetScreenWidth() < 1 || FImage->GetScreenHeight() < 1) return;
  Lock();
  try {
    TColor transparent;
    TBitmap* picture = ComposeFrame(FFrameIndex, transparent);
    if (picture) {
      const TRect client = GetClientRect();
      TRect dest;
      if (FStretch) {
        dest = client;
      } else if (FCenter) {
        const int x = (client.Width() - picture->GetWidth()) / 2;
        const int y = (client.Height() - picture->GetHeight()) / 2;
        dest = TRect{x, y, x + picture->GetWidth(), y + picture->GetHeight()};
      } else {
        dest = TRect{0, 0, picture->GetWidth(), picture->GetHeight()};
      }
      picture->GetCanvas()->Lock();
      const bool keyed = transparent != clNone && FTransparent;
      if (keyed) picture->SetTransparentColor(transparent);
      if (picture->GetTransparent() != keyed) picture->SetTransparent(keyed);
      canvas->StretchDraw(dest, picture);
      picture->GetCanvas()->Unlock();
    }
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
}

void TRxGIFAnimator::TimerStep() {
  if (GetControlState().Contains(csPaintCopy) || !GetVisible() || FImage->GetCount() < 2) return;
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated()) return;
  Lock();
  try {
    const int count = FImage->GetCount();
    FFrameIndex = FFrameIndex < count - 1 ? FFrameIndex + 1 : 0;
    GetCanvas()->Lock();
    FTimerRepaint = true;
    try {
      RepaintImage();
    } catch (...) {
      FTimerRepaint = false;
      GetCanvas()->Unlock();
      throw;
    }
    FTimerRepaint = false;
    GetCanvas()->Unlock();
    if (FFrameIndex >= 0 && FFrameIndex < count) FTimer->SetInterval(FrameDelay());
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
  // Notifications that may reach the main thread run without the control's lock.
  if (FAsyncDrawing) {
    if (OnFrameChanged) FTimer->Synchronize([this] { FrameChanged(); });
  } else {
    FrameChanged();
  }
  if (!FLoop && FFrameIndex == 0) {
    if (FAsyncDrawing) FTimer->Synchronize([this] { SetAnimate(false); });
    else SetAnimate(false);
  }
}

const TPropertyTable* TRxGIFAnimator::PublishedProperties() {
  using P = TPublish<TRxGIFAnimator>;
  using C = TRxGIFAnimator;
  static const TPropertyTable table{
      P::Boolean(L"Animate", &C::GetAnimate, &C::SetAnimate).Default(false),
      P::Boolean(L"AsyncDrawing", &C::GetAsyncDrawing, &C::SetAsyncDrawing).Default(false),
      P::Boolean(L"Center", &C::GetCenter, &C::SetCenter).Default(false),
      P::Integer(L"FrameIndex", &C::GetFrameIndex, &C::SetFrameIndex).Default(0),
      P::Persistent(L"Image", &C::GetImage, &C::SetImage),
      P::Boolean(L"Loop", &C::GetLoop, &C::SetLoop).Default(true),
      P::Boolean(L"Stretch", &C::GetStretch, &C::SetStretch).Default(false),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
      P::Method(L"OnFrameChanged", &C::GetOnFrameChanged, &C::SetOnFrameChanged),
      P::Method(L"OnStart", &C::GetOnStart, &C::SetOnStart),
      P::Method(L"OnStop", &C::GetOnStop, &C::SetOnStop),
  };
  return &table;
}

void RegisterRxGIFClasses() {
  RegisterClasses({TRxTimer::StaticClassInfo(), TRxGIFAnimator::StaticClassInfo(),
                   TIconList::StaticClassInfo()});
  RegisterGIFImage();
  RegisterClipIcon();
}
