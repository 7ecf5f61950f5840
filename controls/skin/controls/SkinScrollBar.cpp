#include "SkinScrollBar.h"

#include <limits>
#include <optional>

#include "classlib/classes/Properties.h"
#include "classlib/system/SysMath.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

const wchar_t* const ScrollBarKindNames[] = {L"sbHorizontal", L"sbVertical"};

constexpr int MaxInc = 32767;  // the largest TScrollBarInc

int ClampToInt(int64_t value) {
  return static_cast<int>(Max<int64_t>(std::numeric_limits<int>::min(),
                                       Min<int64_t>(std::numeric_limits<int>::max(), value)));
}

// The mouse button that presses (the right one when the buttons are swapped) is held now.
bool PressButtonHeld() {
  const int vk = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

}  // namespace

const TEnumInfo SeScrollBarKindIdents = MakeEnumInfo(ScrollBarKindNames);

int64_t RoundDivEven(int64_t a, int64_t b) {
  int64_t q = a / b, r = a % b;
  if (r < 0) {  // floor division
    --q;
    r += b;
  }
  if (2 * r > b || (2 * r == b && (q & 1) != 0)) ++q;
  return q;
}

// ---- TSeScrollGeometry -------------------------------------------------------------------------

int TSeScrollGeometry::ButtonSize() const {
  const int length = Vertical() ? Height : Width;
  const int inner = length - 2 * BorderWidth;
  if (inner < 0) return 0;
  return inner >= 2 * ThumbMetric ? ThumbMetric : inner / 2;
}

TRect TSeScrollGeometry::LineUpRect() const {
  const int b = BorderWidth, s = ButtonSize();
  return Vertical() ? TRect(b, b, Width - b, b + s) : TRect(b, b, b + s, Height - b);
}

TRect TSeScrollGeometry::LineDownRect() const {
  const int b = BorderWidth, s = ButtonSize();
  return Vertical() ? TRect(b, Height - b - s, Width - b, Height - b)
                    : TRect(Width - b - s, b, Width - b, Height - b);
}

TRect TSeScrollGeometry::TrackRect() const {
  TRect r(BorderWidth, BorderWidth, Width - BorderWidth, Height - BorderWidth);
  if (ShowButtons) {
    const int s = ButtonSize();
    if (Vertical()) {
      r.Top += s;
      r.Bottom -= s;
    } else {
      r.Left += s;
      r.Right -= s;
    }
  }
  // A bar too small for its frame has an empty track at its start, never an inverted one.
  r.Right = std::max(r.Right, r.Left);
  r.Bottom = std::max(r.Bottom, r.Top);
  return r;
}

int TSeScrollGeometry::TrackStart() const {
  const TRect r = TrackRect();
  return Vertical() ? r.Top : r.Left;
}

int TSeScrollGeometry::TrackLength() const {
  const TRect r = TrackRect();
  return Vertical() ? r.Height() : r.Width();
}

int64_t TSeScrollGeometry::Travel() const {
  return int64_t{Max} - Min - PageSize + (PageSize != 0 ? 1 : 0);
}

int TSeScrollGeometry::ThumbSize() const {
  const int track = TrackLength();
  int64_t size = ThumbMetric;
  if (PageSize >= 1) {
    const int64_t range = int64_t{Max} - Min + 1;
    size = range > 0 ? RoundDivEven(int64_t{PageSize} * track, range) : track;
    size = std::max<int64_t>(size, (ThumbMetric / 3) * 2);
  }
  return track > size ? static_cast<int>(size) : 0;
}

int TSeScrollGeometry::ThumbOffset() const {
  const int start = TrackStart();
  const int64_t travel = Travel();
  const int avail = TrackLength() - ThumbSize();
  if (int64_t{Max} - Min - PageSize + 1 < 1 || travel < 1) return start;
  if (int64_t{Max} - PageSize + 1 < Position) return start + avail;
  const int64_t along = RoundDivEven((int64_t{Position} - Min) * avail, travel);
  return start + static_cast<int>(std::clamp<int64_t>(along, 0, avail));
}

TRect TSeScrollGeometry::Along(int from, int to) const {
  const TRect track = TrackRect();
  return Vertical() ? TRect(track.Left, from, track.Right, to) : TRect(from, track.Top, to, track.Bottom);
}

TRect TSeScrollGeometry::ThumbRect() const {
  const int offset = ThumbOffset();
  return Along(offset, offset + ThumbSize());
}

TRect TSeScrollGeometry::PageUpRect() const { return Along(TrackStart(), ThumbOffset()); }

TRect TSeScrollGeometry::PageDownRect() const {
  return Along(ThumbOffset() + ThumbSize(), TrackStart() + TrackLength());
}

int64_t TSeScrollGeometry::PositionAt(int p) const {
  const int64_t travel = Travel();
  const int avail = TrackLength() - ThumbSize();
  int64_t value = 0;
  if (avail != 0 && travel >= 1) value = Min + RoundDivEven(int64_t{p - TrackStart()} * travel, avail);
  value = std::max<int64_t>(value, Min);
  return std::min<int64_t>(value, int64_t{Max} - PageSize + 1);
}

// ---- TSeCustomScrollBar ----------------------------------------------------------------------

const TPropertyTable* TSeCustomScrollBar::PublishedProperties() {
  using P = TPublish<TSeCustomScrollBar>;
  using C = TSeCustomScrollBar;
  static const TPropertyTable table{
      P::Integer(L"BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth).Default(1),
      P::Boolean(L"ShowButtons", &C::GetShowButtons, &C::SetShowButtons).Default(true),
      P::Enum(L"Kind", SeScrollBarKindIdents, &C::GetKind, &C::SetKind).Default(sbHorizontal),
      P::Integer(L"LargeChange", &C::GetLargeChange, &C::SetLargeChange).Default(1),
      P::Integer(L"Max", &C::GetMax, &C::SetMax).Default(100),
      P::Integer(L"Min", &C::GetMin, &C::SetMin).Default(0),
      P::Integer(L"PageSize", &C::GetPageSize, &C::SetPageSize).Default(0),
      P::Integer(L"Position", &C::GetPosition, &C::SetPosition).Default(0),
      P::Integer(L"SmallChange", &C::GetSmallChange, &C::SetSmallChange).Default(1),
      P::Enum(L"Performance", SePerformanceIdents, &C::GetPerformance, &C::SetPerformance)
          .Default(vxpDoubleBuffer),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
      P::Method(L"OnScroll", &C::GetOnScroll, &C::SetOnScroll),
  };
  return &table;
}

TSeCustomScrollBar::TSeCustomScrollBar(TComponent* owner) : TSeGraphicControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csCaptureMouse});
  // Taken while the border is still 0, as stored layouts expect.
  SetBounds(GetLeft(), GetTop(), 121, ::GetSystemMetrics(SM_CYVTHUMB));
  SetPerformance(vxpDoubleBuffer);
}

TSeCustomScrollBar::~TSeCustomScrollBar() = default;

TSeScrollGeometry TSeCustomScrollBar::Geometry() const {
  TSeScrollGeometry g;
  g.Kind = FKind;
  g.Width = GetWidth();
  g.Height = GetHeight();
  g.BorderWidth = FBorderWidth;
  g.ThumbMetric = ::GetSystemMetrics(SM_CYVTHUMB);
  g.ShowButtons = FShowButtons;
  g.Min = FMin;
  g.Max = FMax;
  g.PageSize = FPageSize;
  g.Position = FPosition;
  return g;
}

// ---- Range and position ----------------------------------------------------------------------

bool TSeCustomScrollBar::Loading() const { return GetComponentState().Contains(csLoading); }

// Compared before it is clamped: a value past the range is stored as the end and still told
// (OnChange), also when the position was at that end already.
void TSeCustomScrollBar::SetPosition(int value) {
  if (value == FPosition) return;
  if (!Loading()) value = std::clamp(value, FMin, FMax);
  FPosition = value;
  Invalidate();
  Change();
}

void TSeCustomScrollBar::SetMax(int value) {
  // A layout gives the range in any order: it is checked once all of it is read (Loaded).
  if (Loading()) {
    FMax = value;
    return;
  }
  value = Max(value, FMin);
  if (value == FMax) return;
  FMax = value;
  const std::weak_ptr<int> alive = GetLifeToken();
  if (FMax < FPosition) SetPosition(FMax);
  if (alive.expired()) return;
  TrimPageSize();
  Invalidate();
}

void TSeCustomScrollBar::SetMin(int value) {
  if (Loading()) {
    FMin = value;
    return;
  }
  value = Min(value, FMax);
  if (value == FMin) return;
  FMin = value;
  const std::weak_ptr<int> alive = GetLifeToken();
  if (FMin > FPosition) SetPosition(FMin);
  if (alive.expired()) return;
  TrimPageSize();
  Invalidate();
}

void TSeCustomScrollBar::TrimPageSize() {
  const int64_t range = int64_t{FMax} - FMin + 1;
  if (range < FPageSize) FPageSize = static_cast<int>(range);
}

void TSeCustomScrollBar::SetPageSize(int value) {
  if (value < 0 || value == FPageSize) return;
  FPageSize = value;
  if (!Loading()) TrimPageSize();
  Invalidate();
}

void TSeCustomScrollBar::SetSmallChange(TScrollBarInc value) {
  FSmallChange = std::clamp(value, 1, MaxInc);
}

void TSeCustomScrollBar::SetLargeChange(TScrollBarInc value) {
  FLargeChange = std::clamp(value, 1, MaxInc);
}

void TSeCustomScrollBar::Loaded() {
  inherited::Loaded();
  FMax = Max(FMax, FMin);
  TrimPageSize();
  const int position = std::clamp(FPosition, FMin, FMax);
  if (position != FPosition) {
    FPosition = position;
    Invalidate();
  }
}

// ---- Look --------------------------------------------------------------------------------------

void TSeCustomScrollBar::SetKind(TScrollBarKind value) {
  if (value == FKind) return;
  FKind = value;
  if (GetComponentState().Contains(csDesigning) &&
      ((value == sbHorizontal && GetHeight() > GetWidth()) ||
       (value == sbVertical && GetHeight() < GetWidth())))
    SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  Invalidate();
}

void TSeCustomScrollBar::SetBorderWidth(int value) {
  value = Max(value, 0);
  if (value == FBorderWidth) return;
  FBorderWidth = value;
  Invalidate();
}

void TSeCustomScrollBar::SetShowButtons(bool value) {
  if (value == FShowButtons) return;
  FShowButtons = value;
  Invalidate();
}

void TSeCustomScrollBar::AdjustThickness() {
  const int thickness = ::GetSystemMetrics(SM_CYVTHUMB) + 2 * FBorderWidth;
  if (FKind == sbVertical)
    SetBounds(GetLeft(), GetTop(), thickness, GetHeight());
  else
    SetBounds(GetLeft(), GetTop(), GetWidth(), thickness);
}

// ---- Events --------------------------------------------------------------------------------------

void TSeCustomScrollBar::Change() {
  if (FOnChange) FOnChange(this);
}

void TSeCustomScrollBar::Scroll(TSeScrollCode code, int& scrollPos) {
  if (FOnScroll) FOnScroll(this, code, scrollPos);
}

bool TSeCustomScrollBar::ScrollTo(TSeScrollCode code, int64_t value) {
  // The event sees a value within the range.
  int position = ClampToInt(std::clamp<int64_t>(value, FMin, FMax));
  const std::weak_ptr<int> alive = GetLifeToken();
  Scroll(code, position);
  if (alive.expired()) return false;
  SetPosition(position);
  return !alive.expired();
}

void TSeCustomScrollBar::ScrollByKey(WORD& key) {
  const int64_t position = FPosition;
  const int64_t page = FPageSize > 0 ? FPageSize : FLargeChange;
  int64_t value = 0;
  TSeScrollCode code = scLineUp;
  switch (key) {
    case VK_PRIOR: value = position - page; code = scPageUp; break;
    case VK_NEXT: value = position + page; code = scPageDown; break;
    case VK_END: value = FMax; code = scBottom; break;
    case VK_HOME: value = FMin; code = scTop; break;
    case VK_LEFT:
    case VK_UP: value = position - FSmallChange; code = scLineUp; break;
    case VK_RIGHT:
    case VK_DOWN: value = position + FSmallChange; code = scLineDown; break;
    default: return;
  }
  if (!ScrollTo(code, std::clamp<int64_t>(value, FMin, FMax))) return;
  // Automatic scrolling ends at the end it runs towards.
  if (code == scLineUp && FPosition <= FMin && FAutoScrollUp) SetAutoScrollUp(false);
  if (code == scLineDown && FPosition >= FMax && FAutoScrollDown) SetAutoScrollDown(false);
}

// ---- Automatic scrolling and repeating ------------------------------------------------------------

void TSeCustomScrollBar::SetAutoScrollUp(bool value) {
  if (value == FAutoScrollUp) return;
  FAutoScrollUp = value;
  if (value) {
    FAutoScrollDown = false;
    StartRepeat(false);
  } else {
    StopRepeat();
  }
}

void TSeCustomScrollBar::SetAutoScrollDown(bool value) {
  if (value == FAutoScrollDown) return;
  FAutoScrollDown = value;
  if (value) {
    FAutoScrollUp = false;
    StartRepeat(false);
  } else {
    StopRepeat();
  }
}

bool TSeCustomScrollBar::IsRepeating() const { return FTimer && FTimer->GetEnabled(); }

void TSeCustomScrollBar::StartRepeat(bool immediate) {
  if (!FTimer) {
    FTimer = std::make_unique<TTimer>(nullptr);
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer([this](TObject*) { RepeatTick(false); });
  }
  if (immediate) {
    const std::weak_ptr<int> alive = GetLifeToken();
    RepeatTick(true);
    if (alive.expired() || !Pressing()) return;
    FTimer->SetInterval(static_cast<unsigned>(GetKeyRepeatDelay()));
  } else {
    FTimer->SetInterval(static_cast<unsigned>(GetKeyRepeatInterval()));
  }
  FTimer->SetEnabled(true);
}

void TSeCustomScrollBar::StopRepeat() {
  if (FTimer) FTimer->SetEnabled(false);
}

bool TSeCustomScrollBar::Pressing() const {
  for (bool pressed : FPressed)
    if (pressed) return true;
  return false;
}

void TSeCustomScrollBar::RepeatTick(bool first) {
  if (FTimer) FTimer->SetInterval(static_cast<unsigned>(GetKeyRepeatInterval()));
  const bool automatic = FAutoScrollUp || FAutoScrollDown;
  if (!first) {
    // The release may never reach the bar (another window took the capture, the button was
    // let go elsewhere): a tick that finds no press ends it. Automatic scrolling is the
    // owner's: it runs until the owner clears it or the end is reached.
    if (!automatic && (!PressButtonHeld() || !GetMouseCapture())) {
      FAutoScrollUp = FAutoScrollDown = false;
      CancelPress();
      StopRepeat();
      return;
    }
  }
  const std::weak_ptr<int> alive = GetLifeToken();
  try {
    WORD key = 0;
    if (Down(PressLineUp) || FAutoScrollUp) {
      key = VK_LEFT;
      ScrollByKey(key);
    } else if (Down(PressLineDown) || FAutoScrollDown) {
      key = VK_RIGHT;
      ScrollByKey(key);
    } else {
      // The page areas shrink as the thumb moves: stepping ends when it reaches the pointer.
      const bool oldUp = FHot[HotPageUp], oldDown = FHot[HotPageDown];
      FHot[HotPageUp] = IsOnPageUp(FMousePos.X, FMousePos.Y);
      if (Down(PressPageUp)) {
        key = VK_PRIOR;
        ScrollByKey(key);
      } else {
        FHot[HotPageDown] = IsOnPageDown(FMousePos.X, FMousePos.Y);
        if (Down(PressPageDown)) {
          key = VK_NEXT;
          ScrollByKey(key);
        }
      }
      if (!alive.expired() && (oldUp != FHot[HotPageUp] || oldDown != FHot[HotPageDown]))
        Invalidate();
    }
  } catch (...) {
    // A failing OnScroll or OnChange ends the repeat; the application reports it.
    if (!alive.expired()) StopRepeat();
    ApplicationHandleException(alive.expired() ? nullptr : this);
  }
}

// ---- Mouse ------------------------------------------------------------------------------------------

bool TSeCustomScrollBar::Down(TPressPart part) const {
  static constexpr THotPart hotOf[PressParts] = {HotLineUp, HotLineDown, HotPageUp, HotPageDown};
  return FPressed[part] && FHot[hotOf[part]];
}

bool TSeCustomScrollBar::GetHotAny() const {
  for (bool hot : FHot)
    if (hot) return true;
  return false;
}

bool TSeCustomScrollBar::UpdateHot(int x, int y) {
  const bool hot[HotParts] = {IsOnThumb(x, y), FShowButtons && IsOnLineUpButton(x, y),
                              FShowButtons && IsOnLineDownButton(x, y), IsOnPageUp(x, y),
                              IsOnPageDown(x, y)};
  bool changed = false;
  for (int i = 0; i < HotParts; ++i) {
    changed = changed || hot[i] != FHot[i];
    FHot[i] = hot[i];
  }
  return changed;
}

void TSeCustomScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired() || button != mbLeft) return;
  // The press counts where it happened, also when no move preceded it.
  FMousePos = TPoint(x, y);
  UpdateHot(x, y);
  if (IsOnThumb(x, y)) {
    const TRect thumb = GetThumbRect();
    FGrabOffset = FKind == sbVertical ? y - thumb.Top : x - thumb.Left;
    if (!ScrollTo(scTrack, FPosition)) return;
    Invalidate();
  }
  bool wasDown[PressParts];
  for (int i = 0; i < PressParts; ++i) wasDown[i] = Down(static_cast<TPressPart>(i));
  FPressed[PressLineUp] = IsOnLineUpButton(x, y);
  FPressed[PressLineDown] = IsOnLineDownButton(x, y);
  FPressed[PressPageUp] = IsOnPageUp(x, y);
  FPressed[PressPageDown] = IsOnPageDown(x, y);
  for (int i = 0; i < PressParts; ++i) {
    if (!wasDown[i] && Down(static_cast<TPressPart>(i))) {
      Invalidate();
      StartRepeat(true);
      return;
    }
  }
}

void TSeCustomScrollBar::MouseMove(TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseMove(shift, x, y);
  if (alive.expired()) return;
  FMousePos = TPoint(x, y);
  if (IsDragging()) {
    const TRect track = GetTrackRect();
    const int grabbed = (FKind == sbVertical ? y : x) - FGrabOffset;
    const int p = FKind == sbVertical ? std::clamp(grabbed, track.Top, track.Bottom)
                                      : std::clamp(grabbed, track.Left, track.Right);
    if (!ScrollTo(scTrack, Geometry().PositionAt(p))) return;
  }
  if (UpdateHot(x, y)) Invalidate();
}

void TSeCustomScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseUp(button, shift, x, y);
  if (alive.expired() || button != mbLeft) return;
  EndPress();
}

void TSeCustomScrollBar::EndPress() {
  const std::weak_ptr<int> alive = GetLifeToken();
  if (IsDragging() && !ScrollTo(scPosition, FPosition)) return;
  FGrabOffset = -1;
  for (bool& pressed : FPressed) pressed = false;
  StopRepeat();
  if (!ScrollTo(scEndScroll, FPosition)) return;
  Invalidate();
}

void TSeCustomScrollBar::CancelPress() {
  if (!IsDragging() && !Pressing()) {
    StopRepeat();
    return;
  }
  if (GetMouseCapture()) SetMouseCapture(false);
  EndPress();
}

// Replaces the base's leave handling: the bar's own hot parts are cleared, and no
// OnMouseLeave is fired.
void TSeCustomScrollBar::DoMouseLeave() {
  if (!GetHotAny()) return;
  for (bool& hot : FHot) hot = false;
  Invalidate();
}

void TSeCustomScrollBar::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  if (!GetEnabled()) CancelPress();
  Invalidate();
}

void TSeCustomScrollBar::CMVisibleChanged(TMessage& message) {
  inherited::CMVisibleChanged(message);
  if (!GetVisible()) CancelPress();
}

void TSeCustomScrollBar::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS;
    return;
  }
  if ((message.Msg == WM_THEMECHANGED || message.Msg == CM_SYSCOLORCHANGE) && FPartCache) {
    FPartCache->Clear();  // the kept parts belong to the theme and colours they came from
    Invalidate();
  }
  inherited::Dispatch(message);
}

// ---- Painting ----------------------------------------------------------------------------------------

bool TSeCustomScrollBar::DrawThemed(int part, int state, const TRect& r) {
  if (!UseThemes()) return false;
  HDC dc = GetCanvas()->GetHandle();
  if (!FPaintTheme) return TThemeScope(L"ScrollBar").DrawBackground(dc, part, state, r);
  if (!FPartCache) FPartCache = std::make_unique<TThemePartCache>();
  return FPartCache->Draw(*FPaintTheme, dc, part, state, r);
}

void TSeCustomScrollBar::PaintFace() {
  inherited::PaintFace();
  // The theme is opened once for all the parts of this paint.
  std::optional<TThemeScope> theme;
  if (UseThemes()) theme.emplace(L"ScrollBar");
  struct TPaintTheme {
    const TThemeScope*& Slot;
    ~TPaintTheme() { Slot = nullptr; }
  } scope{FPaintTheme};
  FPaintTheme = theme ? &*theme : nullptr;
  DrawFrame();
  DrawTrack();
  if (FShowButtons) {
    DrawLineUpButton();
    DrawLineDownButton();
  }
  const TRect thumb = GetThumbRect();
  const bool active = GetEnabled() || GetComponentState().Contains(csDesigning);
  if (active && thumb.Width() >= 1 && thumb.Height() >= 1) {
    DrawThumb();
    if (Down(PressPageUp)) DrawPageUpPressed();
    if (Down(PressPageDown)) DrawPageDownPressed();
  }
}

void TSeCustomScrollBar::DrawFrame() {
  if (FBorderWidth <= 0 || UseThemes()) return;
  TRect r(0, 0, GetWidth(), GetHeight());
  DrawBevelLines(GetCanvas(), r, 1 | 2 | 4 | 8, clBtnShadow, clBtnHighlight, 1);
}

void TSeCustomScrollBar::DrawTrack() {
  const TRect r = GetTrackRect();
  if (RectIsEmpty(r)) return;
  const int part = FKind == sbHorizontal ? 4 : 6;  // SBP_LOWERTRACKHORZ, SBP_LOWERTRACKVERT
  if (DrawThemed(part, GetEnabled() ? 1 : 4, r)) return;
  FillChecker(GetCanvas(), r, clScrollBar, clBtnHighlight);
}

void TSeCustomScrollBar::DrawArrowButton(bool up) {
  const TRect r = up ? GetLineUpButtonRect() : GetLineDownButtonRect();
  if (RectIsEmpty(r)) return;
  const bool down = Down(up ? PressLineUp : PressLineDown);
  const bool hot = FHot[up ? HotLineUp : HotLineDown];
  const bool enabled = GetEnabled() || GetComponentState().Contains(csDesigning);
  // ABS_UPNORMAL 1 .. ABS_RIGHTDISABLED 16: four states per direction.
  const int direction = FKind == sbVertical ? (up ? 0 : 1) : (up ? 2 : 3);
  const int state = direction * 4 + (!enabled ? 4 : down ? 3 : hot ? 2 : 1);
  if (DrawThemed(1 /* SBP_ARROWBTN */, state, r)) return;
  UINT flags = FKind == sbVertical ? (up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN)
                                   : (up ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT);
  if (down) flags |= DFCS_PUSHED | DFCS_FLAT;
  if (!enabled) flags |= DFCS_INACTIVE;
  RECT rect = r;
  ::DrawFrameControl(GetCanvas()->GetHandle(), &rect, DFC_SCROLL, flags);
}

void TSeCustomScrollBar::DrawLineUpButton() { DrawArrowButton(true); }
void TSeCustomScrollBar::DrawLineDownButton() { DrawArrowButton(false); }

void TSeCustomScrollBar::DrawThumb() {
  const TRect r = GetThumbRect();
  const int part = FKind == sbHorizontal ? 2 : 3;  // SBP_THUMBBTNHORZ, SBP_THUMBBTNVERT
  const int state = !GetEnabled() ? 4 : IsDragging() ? 3 : FHot[HotThumb] ? 2 : 1;
  if (DrawThemed(part, state, r)) return;
  if (IsDragging())
    DrawFlatBox(GetCanvas(), r.Left, r.Top, r.Right, r.Bottom);
  else
    DrawRaisedBox(GetCanvas(), r.Left, r.Top, r.Right, r.Bottom);
}

void TSeCustomScrollBar::DrawPageUpPressed() {
  const TRect r = GetPageUpRect();
  if (RectIsEmpty(r)) return;
  if (DrawThemed(FKind == sbHorizontal ? 5 : 7, 3, r)) return;
  FillRectColor(GetCanvas(), r, cl3DDkShadow);
}

void TSeCustomScrollBar::DrawPageDownPressed() {
  const TRect r = GetPageDownRect();
  if (RectIsEmpty(r)) return;
  if (DrawThemed(FKind == sbHorizontal ? 4 : 6, 3, r)) return;
  FillRectColor(GetCanvas(), r, cl3DDkShadow);
}
