#include "SkinControl.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "SkinScrollBar.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/SystemLibrary.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

const wchar_t* const PerformanceNames[] = {L"vxpNoBuffer", L"vxpSharedBuffer", L"vxpDoubleBuffer"};
const wchar_t* const BevelCutNames[] = {L"vbvNone",  L"vbvLowered", L"vbvRaised",
                                        L"vbvSpace", L"vbvBorder",  L"vbvFlatBorder"};
const wchar_t* const BevelSideNames[] = {L"vbsLeft", L"vbsTop", L"vbsRight", L"vbsBottom"};
const wchar_t* const BevelKindNames[] = {L"vbkNone",   L"vbkSingle", L"vbkTile",
                                         L"vbkSoft",   L"vbkBorder", L"vbkFlat"};
const wchar_t* const LeftRightNames[] = {L"vtaLeftJustify", L"vtaRightJustify"};
const wchar_t* const ImeModeNames[] = {L"imDisable", L"imClose",   L"imOpen",     L"imDontCare",
                                       L"imSAlpha",  L"imAlpha",   L"imHira",     L"imSKata",
                                       L"imKata",    L"imChinese", L"imSHanguel", L"imHanguel"};

// The controls asking their parent for their background right now: a windowless one is
// painted again by its parent while it asks, and must then paint nothing.
std::vector<const TControl*>& AskingControls() {
  static std::vector<const TControl*> asking;
  return asking;
}

// True while a paint draws in the shared buffer.
bool& SharedBufferBusy() {
  static bool busy = false;
  return busy;
}

// The double buffer kept between paints, as large as the largest control painted through it
// (up to the shared buffer's area): a paint then neither makes a bitmap nor touches fresh memory.
TSeBitmap& KeptDoubleBuffer() {
  static TSeBitmap buffer;
  return buffer;
}

// True while a paint draws in the kept double buffer.
bool& KeptBufferBusy() {
  static bool busy = false;
  return busy;
}

bool IsAsking(const TControl* control) {
  const auto& asking = AskingControls();
  return std::find(asking.begin(), asking.end(), control) != asking.end();
}

// The face pixels keep their colour and take alpha `value`; pixels still of the clear colour
// (nothing was painted there) take alpha 0. Then every pixel becomes the face laid over the
// background pixel at the same place.
void BlendOverBackground(TSeBitmap& face, TSeBitmap& background, int width, int height,
                         uint8_t value) {
  ::GdiFlush();
  const uint32_t clear = PixelRGB(SeClearPixel);
  for (int y = 0; y < height; ++y) {
    TPixel32* f = face.PixelPtr(0, y);
    const TPixel32* b = background.PixelPtr(0, y);
    for (int x = 0; x < width; ++x) {
      TPixel32 pixel = f[x];
      pixel.A = PixelRGB(pixel) == clear ? 0 : value;
      f[x] = BlendPixel(pixel, b[x]);
    }
  }
}

// What both bases need to run one paint.
struct TPaintJob {
  TControl& Control;
  TCanvas& Canvas;
  TSePerformance Performance;
  TSeBlending& Blending;
  TSeBitmap& BlendBitmap;
  TFont& CaptionFont;
  bool Transparent;
  bool BlendSiblings;                // windowed base: windowless siblings under a blend
  std::function<void()> Content;     // frame and face, on Canvas as it stands
};

// The paint pipeline described at the top of SkinControl.h.
void RunPaint(const TPaintJob& job) {
  const int width = job.Control.GetWidth(), height = job.Control.GetHeight();
  if (width < 1 || height < 1) return;
  HDC controlDC = job.Canvas.GetHandle();
  std::unique_ptr<TSeBitmap> own;  // a buffer of this paint's own
  TSeBitmap* target = nullptr;
  // The busy flag of the buffer this paint holds (released when the paint ends, also on an
  // exception).
  struct THold {
    bool* Busy = nullptr;
    void Take(bool& busy, TSeBitmap& buffer, TSeBitmap*& into) {
      busy = true;
      Busy = &busy;
      into = &buffer;
    }
    ~THold() {
      if (Busy) *Busy = false;
    }
  } hold;
  // A control larger than the buffer it asks for paints through a buffer of its own, and so
  // does one painted while another holds that buffer (a windowless control that the parent of
  // a painting control draws into its background).
  const TSize shared = SharedPaintBufferSize();
  const bool fits = width <= shared.cx && height <= shared.cy;
  if (job.Performance == vxpSharedBuffer && fits && !SharedBufferBusy()) {
    hold.Take(SharedBufferBusy(), SharedPaintBuffer(), target);
  } else if (job.Performance == vxpDoubleBuffer && fits && !KeptBufferBusy()) {
    TSeBitmap& kept = KeptDoubleBuffer();
    if (kept.GetWidth() < width || kept.GetHeight() < height)
      kept.SetSize(std::max(width, kept.GetWidth()), std::max(height, kept.GetHeight()));
    hold.Take(KeptBufferBusy(), kept, target);
  }
  if (job.Performance != vxpNoBuffer && !target) {
    own = std::make_unique<TSeBitmap>();
    own->SetSize(width, height);
    target = own.get();
  }
  if (target) {
    target->SetAlphaBlend(false);
    target->FillRect(TRect(0, 0, width, height), SeClearPixel);
    job.Canvas.SetHandle(target->GetDC());
  }
  try {
    job.CaptionFont.Assign(job.Control.GetFont());
    if (job.Transparent) PaintParentBackground(job.Control, job.Canvas.GetHandle(), job.BlendSiblings);
    job.Content();
    if (target && job.Blending.GetEnabled()) {
      job.BlendBitmap.SetSize(width, height);
      job.BlendBitmap.Clear(TPixel32{0, 0, 0, 255});
      PaintParentBackground(job.Control, job.BlendBitmap.GetDC(), job.BlendSiblings);
      BlendOverBackground(*target, job.BlendBitmap, width, height,
                          static_cast<uint8_t>(job.Blending.GetValue()));
    }
    if (target) {
      ::GdiFlush();
      ::BitBlt(controlDC, 0, 0, width, height, target->GetDC(), 0, 0, SRCCOPY);
    }
  } catch (...) {
    if (target) job.Canvas.SetHandle(controlDC);
    throw;
  }
  if (target) job.Canvas.SetHandle(controlDC);
}

// The background request itself, into dc whose origin is the control's top-left corner.
void RequestBackground(TControl& control, TWinControl& parent, HDC dc, bool blendSiblings) {
  const int saved = ::SaveDC(dc);
  POINT origin{};
  ::GetWindowOrgEx(dc, &origin);
  ::SetWindowOrgEx(dc, origin.x + control.GetLeft(), origin.y + control.GetTop(), nullptr);
  AskingControls().push_back(&control);
  try {
    if (dynamic_cast<TSeCustomControl*>(&parent)) {
      TSeBackgroundRequest request;
      request.Bounds = control.GetBoundsRect();
      parent.Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(&request));
      if (blendSiblings) {
        for (int i = 0; i < parent.GetControlCount(); ++i) {
          TControl* sibling = parent.GetControl(i);
          if (!sibling || dynamic_cast<TWinControl*>(sibling) || !sibling->GetVisible()) continue;
          const int inner = ::SaveDC(dc);
          POINT at{};
          ::GetWindowOrgEx(dc, &at);
          ::SetWindowOrgEx(dc, at.x - sibling->GetLeft(), at.y - sibling->GetTop(), nullptr);
          ::IntersectClipRect(dc, 0, 0, sibling->GetWidth(), sibling->GetHeight());
          sibling->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
          ::RestoreDC(dc, inner);
        }
      }
    } else if (dynamic_cast<TCustomForm*>(&parent) && parent.HandleAllocated()) {
      // Sent to a form's window, so that a hook on it (a form decoration painting the client)
      // gets the request: Perform would reach only the form's own plain erase.
      ::SendMessageW(parent.GetHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(dc));
      ::SendMessageW(parent.GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    } else {
      // The class library's own form of painting into a given DC.
      parent.Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
      parent.Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
  } catch (...) {
    AskingControls().pop_back();
    ::RestoreDC(dc, saved);
    throw;
  }
  AskingControls().pop_back();
  ::RestoreDC(dc, saved);
}

template <class T>
const TPropertyTable& BaseProperties() {
  using P = TPublish<T>;
  static const TPropertyTable table{
      P::Persistent(L"Blending", &T::GetBlending, &T::SetBlending),
      P::Enum(L"Performance", SePerformanceIdents, &T::GetPerformance, &T::SetPerformance)
          .Default(vxpNoBuffer),
      P::Boolean(L"Transparent", &T::GetTransparent, &T::SetTransparent).Default(false),
      // The constructors set the button face colour of their own.
      P::Color(L"Color", &T::GetColor, &T::SetColor)
          .Default(clBtnFace)
          .Stored([](T* c) { return !c->GetParentColor(); }),
      P::Boolean(L"ParentColor", &T::GetParentColor, &T::SetParentColor).Default(false),
  };
  return table;
}

}  // namespace

const TEnumInfo SePerformanceIdents = MakeEnumInfo(PerformanceNames);
const TEnumInfo SeBevelCutIdents = MakeEnumInfo(BevelCutNames);
const TEnumInfo SeBevelSideIdents = MakeEnumInfo(BevelSideNames);
const TEnumInfo SeBevelKindIdents = MakeEnumInfo(BevelKindNames);
const TEnumInfo SeLeftRightIdents = MakeEnumInfo(LeftRightNames);
const TEnumInfo ImeModeIdents = MakeEnumInfo(ImeModeNames);

void PaintParentBackground(TControl& control, HDC dc, bool blendSiblings) {
  TWinControl* parent = control.GetParent();
  if (!parent || !dc || control.GetWidth() < 1 || control.GetHeight() < 1) return;
  if (!dynamic_cast<TWinControl*>(&control) && !parent->HandleAllocated()) return;
  RequestBackground(control, *parent, dc, blendSiblings);
}

// ---- TSeCustomControl -----------------------------------------------------------------------------

const TPropertyTable* TSeCustomControl::PublishedProperties() {
  return &BaseProperties<TSeCustomControl>();
}

TSeCustomControl::TSeCustomControl(TComponent* owner)
    : TCustomControl(owner),
      FBlendBitmap(std::make_unique<TSeBitmap>()),
      FCaptionFont(std::make_unique<TFont>()),
      FBlending(std::make_unique<TSeBlending>()) {
  FBlending->OnChange = [this](TObject* sender) { BlendingChanged(sender); };
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
  SetColor(clBtnFace);
  SetBounds(0, 0, 100, 30);
}

TSeCustomControl::~TSeCustomControl() { FBlending->OnChange = nullptr; }

void TSeCustomControl::SetPerformance(TSePerformance value) {
  if (value == FPerformance) return;
  if (FBlending->GetEnabled() && value == vxpNoBuffer) return;
  FPerformance = value;
  Invalidate();
}

void TSeCustomControl::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Invalidate();
}

void TSeCustomControl::SetBlending(TSeBlending* value) {
  FBlending->Assign(value);
  if (FBlending->GetEnabled() && FPerformance == vxpNoBuffer) FPerformance = vxpDoubleBuffer;
  if (!GetComponentState().Contains(csLoading)) Invalidate();
}

void TSeCustomControl::BlendingChanged(TObject*) {
  if (FBlending->GetEnabled() && FPerformance == vxpNoBuffer) FPerformance = vxpDoubleBuffer;
  Invalidate();
}

void TSeCustomControl::SetBorderWidth(int value) {
  if (value == FBorderWidth) return;
  FBorderWidth = value;
  FrameChanged();
  Invalidate();
}

void TSeCustomControl::SetBevelInner(TSeBevelCut value) {
  if (value == FBevelInner) return;
  FBevelKind = vbkNone;
  FBevelInner = value;
  FrameChanged();
  Invalidate();
}

void TSeCustomControl::SetBevelOuter(TSeBevelCut value) {
  if (value == FBevelOuter) return;
  FBevelKind = vbkNone;
  FBevelOuter = value;
  FrameChanged();
  Invalidate();
}

void TSeCustomControl::SetBevelSides(TSeBevelSides value) {
  if (value == FBevelSides) return;
  FBevelSides = value;
  FrameChanged();
  Invalidate();
}

void TSeCustomControl::SetBevelKind(TSeBevelKind value) {
  if (value == FBevelKind) return;
  if (value != vbkNone) {
    const TSeBevelCut cut = value == vbkBorder ? vbvBorder
                            : value == vbkFlat ? vbvFlatBorder
                                               : vbvLowered;
    FBevelInner = cut;
    FBevelOuter = cut;
  }
  FBevelKind = value;
  FrameChanged();
  Invalidate();
}

void TSeCustomControl::SetBevelWidth(int value) {
  if (value == FBevelWidth) return;
  FBevelWidth = value;
  FrameChanged();
  Invalidate();
}

void TSeCustomControl::GetFrameRect(TRect& rect) {
  rect = TRect(0, 0, GetWidth(), GetHeight());
  InflateRect(rect, -FBorderWidth, -FBorderWidth);
  const int bevel = FBevelWidth * ((FBevelInner != vbvNone ? 1 : 0) + (FBevelOuter != vbvNone ? 1 : 0));
  if (FBevelSides.Contains(vbsLeft)) rect.Left += bevel;
  if (FBevelSides.Contains(vbsTop)) rect.Top += bevel;
  if (FBevelSides.Contains(vbsRight)) rect.Right -= bevel;
  if (FBevelSides.Contains(vbsBottom)) rect.Bottom -= bevel;
}

TRect TSeCustomControl::GetClientRect() {
  TRect r;
  GetFrameRect(r);
  if (FVertScrollBar) r.Right = std::max(r.Left, r.Right - FVertScrollBar->GetWidth());
  if (FHorzScrollBar) r.Bottom = std::max(r.Top, r.Bottom - FHorzScrollBar->GetHeight());
  return r;
}

// ---- Own scroll bars ----------------------------------------------------------------------------

TGetScrollBarInfoProc GetScrollBarInfoProc() {
  struct TUser32 {
    HMODULE Module = LoadSystemLibrary(L"user32.dll");
    ~TUser32() {
      if (Module) ::FreeLibrary(Module);
    }
  };
  static const TUser32 user32;
  static const TGetScrollBarInfoProc proc =
      SystemProc<TGetScrollBarInfoProc>(user32.Module, "GetScrollBarInfo");
  return proc;
}

void TSeCustomControl::SetScrollBarStyle(int value) {
  value = std::clamp(value, 0, 3);
  if (value == FScrollBarStyle) return;
  FScrollBarStyle = value;
  if (HandleAllocated()) UpdateScrollBars();
}

TSeCustomScrollBar* TSeCustomControl::CreateScrollBar() { return new TSeCustomScrollBar(this); }

int TSeCustomControl::GetScrollBarSize() { return ::GetSystemMetrics(SM_CYVTHUMB); }

TSeCustomScrollBar* TSeCustomControl::MakeScrollBar(TScrollBarKind kind) {
  TSeCustomScrollBar* bar = CreateScrollBar();
  bar->SetBorderWidth(0);
  bar->SetKind(kind);
  if (kind == sbHorizontal)
    bar->SetBounds(0, 0, bar->GetWidth(), GetScrollBarSize());
  else
    bar->SetBounds(0, 0, GetScrollBarSize(), bar->GetHeight());
  bar->SetTransparent(false);
  bar->SetVisible(true);
  bar->SetOnScroll([this, bar](TObject*, TScrollCode code, int& position) {
    BarScroll(bar, code, position);
  });
  bar->SetParent(this);
  return bar;
}

void TSeCustomControl::UpdateScrollBars() {
  const bool horz = FScrollBarStyle == 1 || FScrollBarStyle == 3;
  const bool vert = FScrollBarStyle == 2 || FScrollBarStyle == 3;
  if (!horz && FHorzScrollBar) delete FHorzScrollBar;  // Notification forgets it
  if (!vert && FVertScrollBar) delete FVertScrollBar;
  if (horz && !FHorzScrollBar) FHorzScrollBar = MakeScrollBar(sbHorizontal);
  if (vert && !FVertScrollBar) FVertScrollBar = MakeScrollBar(sbVertical);
  LayoutScrollBars();
  Invalidate();
}

void TSeCustomControl::BarScroll(TSeCustomScrollBar* bar, TScrollCode code, int& position) {
  if (FScrollLock) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  const WPARAM wParam = code >= scLineUp && code <= scEndScroll ? static_cast<WPARAM>(code) : 0;
  Perform(bar == FHorzScrollBar ? WM_HSCROLL : WM_VSCROLL, wParam, static_cast<LPARAM>(position));
  // The control moves the bar itself (or leaves it); the bar keeps what the control made of it.
  if (!alive.expired() && (bar == FHorzScrollBar || bar == FVertScrollBar))
    position = bar->GetPosition();
}

void TSeCustomControl::LayoutScrollBars() {
  if (!FHorzScrollBar && !FVertScrollBar) return;
  TRect r;
  GetFrameRect(r);
  const int vertWidth = FVertScrollBar ? FVertScrollBar->GetWidth() : 0;
  const int horzHeight = FHorzScrollBar ? FHorzScrollBar->GetHeight() : 0;
  if (FHorzScrollBar)
    FHorzScrollBar->SetBounds(r.Left, r.Bottom - horzHeight, std::max(0, r.Width() - vertWidth), horzHeight);
  if (FVertScrollBar)
    FVertScrollBar->SetBounds(r.Right - vertWidth, r.Top, vertWidth, std::max(0, r.Height() - horzHeight));
}

void TSeCustomControl::CreateWnd() {
  inherited::CreateWnd();
  if (GetParent()) UpdateScrollBars();
}

void TSeCustomControl::Loaded() {
  inherited::Loaded();
  LayoutScrollBars();
}

void TSeCustomControl::SetBounds(int left, int top, int width, int height) {
  inherited::SetBounds(left, top, width, height);
  LayoutScrollBars();
}

void TSeCustomControl::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FHorzScrollBar) FHorzScrollBar = nullptr;
  if (component == FVertScrollBar) FVertScrollBar = nullptr;
}

void TSeCustomControl::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style &= ~static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL);
}

void TSeCustomControl::Dispatch(TMessage& message) {
  // The class library passes a theme change on to the windowless children (the own scroll
  // bars among them).
  if (message.Msg == WM_THEMECHANGED) Invalidate();
  inherited::Dispatch(message);
  // A size the system gave the window (not through SetBounds) moves the bars too.
  if (message.Msg == WM_SIZE) LayoutScrollBars();
}

void TSeCustomControl::MouseEnter() { DoMouseEnter(); }
void TSeCustomControl::MouseLeave() { DoMouseLeave(); }

void TSeCustomControl::DoMouseEnter() {
  FHot = true;
  inherited::MouseEnter();
}

void TSeCustomControl::DoMouseLeave() {
  FHot = false;
  inherited::MouseLeave();
}

void TSeCustomControl::CMEnter(TMessage& message) {
  DoFocusIn();
  inherited::CMEnter(message);
}

void TSeCustomControl::CMExit(TMessage& message) {
  DoFocusOut();
  inherited::CMExit(message);
}

void TSeCustomControl::DoFocusIn() {
  FFocused = true;
  Invalidate();
}

void TSeCustomControl::DoFocusOut() {
  FFocused = false;
  Invalidate();
}

void TSeCustomControl::WMEraseBkgnd(TMessage& message) {
  message.Result = 1;
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  // LParam 0 is the system's own erase: the paint covers the whole window anyway.
  if (!dc || message.LParam == 0) return;
  // A child asks for what lies under it: this control's background, frame and face.
  TCanvas* canvas = GetCanvas();
  canvas->Lock();
  HDC previous = canvas->HandleAllocated() ? canvas->GetHandle() : nullptr;
  canvas->SetHandle(dc);
  try {
    FCaptionFont->Assign(GetFont());
    if (FTransparent) PaintParentBackground(*this, dc, FBlending->GetEnabled());
    PaintContent();
  } catch (...) {
    canvas->SetHandle(previous);
    canvas->Unlock();
    throw;
  }
  canvas->SetHandle(previous);
  canvas->Unlock();
}

void TSeCustomControl::Paint() {
  TPaintJob job{*this,         *GetCanvas(),   FPerformance, *FBlending, *FBlendBitmap,
                *FCaptionFont, FTransparent,   FBlending->GetEnabled(),
                [this] { PaintContent(); }};
  RunPaint(job);
}

void TSeCustomControl::PaintContent() {
  TCanvas* canvas = GetCanvas();
  TRect frame;
  GetFrameRect(frame);
  const bool bothBars = FHorzScrollBar && FVertScrollBar;
  const TRect client = GetClientRect();
  // With both bars the corner between them belongs to the frame.
  if (bothBars) {
    frame.Right = client.Right;
    frame.Bottom = client.Bottom;
  }
  HDC dc = canvas->GetHandle();
  int saved = ::SaveDC(dc);
  ::ExcludeClipRect(dc, frame.Left, frame.Top, frame.Right, frame.Bottom);
  PaintFrame();
  ::RestoreDC(dc, saved);
  canvas->Refresh();  // the DC's state was restored under the canvas
  saved = ::SaveDC(dc);
  if (bothBars) ::IntersectClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
  PaintFace();
  ::RestoreDC(dc, saved);
  canvas->Refresh();
}

void TSeCustomControl::PaintFace() {
  if (FTransparent) return;
  TRect frame;
  GetFrameRect(frame);
  FillRectColor(GetCanvas(), frame, GetColor());
}

void TSeCustomControl::PaintFrame() {
  TCanvas* canvas = GetCanvas();
  const TRect bounds(0, 0, GetWidth(), GetHeight());
  TRect frame;
  GetFrameRect(frame);
  if (FHorzScrollBar && FVertScrollBar) {
    // The corner between the bars whatever their thickness and the frame's: a fixed 20 x 20
    // at the outer corner would leave part of a larger one unpainted.
    const TRect client = GetClientRect();
    const TRect corner(client.Right, client.Bottom, frame.Right, frame.Bottom);
    const bool themed = FThemesAllowed && UseThemes() &&
                        TThemeScope(L"Edit").DrawBackground(canvas->GetHandle(), 1, 0, corner);
    if (!themed) FillRectColor(canvas, corner, GetColor());
  }
  if (frame == bounds) return;
  if (FThemesAllowed && UseThemes()) {
    const int state = !GetEnabled() ? 4 : FFocused ? 3 : FHot ? 2 : 1;
    HDC dc = canvas->GetHandle();
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, frame.Left, frame.Top, frame.Right, frame.Bottom);
    const bool drawn = TThemeScope(L"Edit").DrawBackground(dc, 1 /* EP_EDITTEXT */, state, bounds);
    ::RestoreDC(dc, saved);
    canvas->Refresh();
    if (drawn) return;
  }
  TRect r = bounds;
  const unsigned sides = static_cast<unsigned>(PropertyDetail::ToOrd(FBevelSides));
  struct Colors { TColor OuterTL, OuterBR, InnerTL, InnerBR; };
  auto colorsOf = [](TSeBevelCut cut) -> Colors {
    switch (cut) {
      case vbvLowered: return {clBtnShadow, clBtnHighlight, cl3DDkShadow, clBtnFace};
      case vbvRaised: return {clBtnHighlight, cl3DDkShadow, clBtnShadow, clBtnShadow};
      case vbvBorder: return {cl3DDkShadow, cl3DDkShadow, clWindow, clWindow};
      case vbvFlatBorder: return {clBtnShadow, clBtnShadow, clBtnFace, clBtnFace};
      default: return {clBtnFace, clBtnFace, clBtnFace, clBtnFace};
    }
  };
  if (FBevelWidth > 0) {
    if (FBevelOuter != vbvNone) {
      const Colors c = colorsOf(FBevelOuter);
      DrawBevelLines(canvas, r, sides, c.OuterTL, c.OuterBR, FBevelWidth);
    }
    if (FBevelInner != vbvNone) {
      const Colors c = colorsOf(FBevelInner);
      DrawBevelLines(canvas, r, sides, c.InnerTL, c.InnerBR, FBevelWidth);
    }
  }
  for (int i = 0; i < FBorderWidth; ++i) {
    FrameRectColor(canvas, r, GetColor());
    InflateRect(r, -1, -1);
  }
}

// ---- TSeGraphicControl -----------------------------------------------------------------------------

const TPropertyTable* TSeGraphicControl::PublishedProperties() {
  return &BaseProperties<TSeGraphicControl>();
}

TSeGraphicControl::TSeGraphicControl(TComponent* owner)
    : TGraphicControl(owner),
      FBlendBitmap(std::make_unique<TSeBitmap>()),
      FCaptionFont(std::make_unique<TFont>()),
      FBlending(std::make_unique<TSeBlending>()) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
  SetColor(clBtnFace);
  SetBounds(0, 0, 100, 30);
}

TSeGraphicControl::~TSeGraphicControl() = default;

void TSeGraphicControl::SetPerformance(TSePerformance value) {
  if (value == FPerformance) return;
  if (FBlending->GetEnabled() && value == vxpNoBuffer) return;
  FPerformance = value;
  Invalidate();
}

void TSeGraphicControl::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Invalidate();
}

void TSeGraphicControl::SetBlending(TSeBlending* value) {
  FBlending->Assign(value);
  if (FBlending->GetEnabled() && FPerformance == vxpNoBuffer) FPerformance = vxpDoubleBuffer;
  if (!GetComponentState().Contains(csLoading)) Invalidate();
}

void TSeGraphicControl::Loaded() {
  inherited::Loaded();
  Invalidate();
}

void TSeGraphicControl::MouseEnter() { DoMouseEnter(); }
void TSeGraphicControl::MouseLeave() { DoMouseLeave(); }

void TSeGraphicControl::DoMouseEnter() {
  FHot = true;
  inherited::MouseEnter();
}

void TSeGraphicControl::DoMouseLeave() {
  FHot = false;
  inherited::MouseLeave();
}

void TSeGraphicControl::WMPaint(TMessage& message) {
  // Painted again by the parent while asking it for the background: leave that area (and the
  // canvas, which is drawing on the buffer) alone.
  if (IsAsking(this)) return;
  inherited::WMPaint(message);
}

void TSeGraphicControl::Paint() {
  TPaintJob job{*this,         *GetCanvas(), FPerformance, *FBlending, *FBlendBitmap,
                *FCaptionFont, FTransparent, false,        [this] { PaintFace(); }};
  RunPaint(job);
}

void TSeGraphicControl::PaintFace() {
  if (FTransparent) return;
  FillRectColor(GetCanvas(), TRect(0, 0, GetWidth(), GetHeight()), GetColor());
}
