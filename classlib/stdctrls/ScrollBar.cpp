#include "ScrollBar.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysMath.h"

int ScrollBarCodePosition(TScrollCode code, int position, int min, int max, int smallChange,
                          int largeChange, int trackPos) {
  // In 64 bits, so that a step near the integer range cannot wrap around.
  int64_t next = position;
  switch (code) {
    case scLineUp: next -= smallChange; break;
    case scLineDown: next += smallChange; break;
    case scPageUp: next -= largeChange; break;
    case scPageDown: next += largeChange; break;
    case scPosition:
    case scTrack: next = trackPos; break;
    case scTop: next = min; break;
    case scBottom: next = max; break;
    case scEndScroll: break;
  }
  return static_cast<int>(Max<int64_t>(min, Min<int64_t>(max, next)));
}

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(TControlStyle{csFramed, csDoubleClicks, csOpaque});
  SetBounds(GetLeft(), GetTop(), 121, ::GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
}

// ---- Window -------------------------------------------------------------------------------------

void TScrollBar::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, L"SCROLLBAR");
  params.Style |= FKind == sbHorizontal ? SBS_HORZ : SBS_VERT;
}

void TScrollBar::CreateWnd() {
  inherited::CreateWnd();
  UpdateScrollInfo(true);
}

void TScrollBar::UpdateScrollInfo(bool redraw) {
  if (!HandleAllocated()) return;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = FMin;
  info.nMax = FMax;
  info.nPage = static_cast<UINT>(FPageSize);
  info.nPos = FPosition;
  ::SetScrollInfo(GetHandle(), SB_CTL, &info, redraw ? TRUE : FALSE);
}

// ---- Attributes ---------------------------------------------------------------------------------

void TScrollBar::SetKind(TScrollBarKind value) {
  if (FKind == value) return;
  FKind = value;
  if (!GetComponentState().Contains(csLoading))
    SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  RecreateWnd();
}

void TScrollBar::SetParams(int position, int min, int max) {
  if (GetComponentState().Contains(csLoading)) {
    FPosition = position;  // checked by Loaded
    FMin = min;
    FMax = max;
    return;
  }
  // The page may not be larger than the range (compared with the span of positions, so
  // that a range below zero can be set).
  if (max < min || FPageSize > static_cast<int64_t>(max) - min + 1)
    throw EInvalidOperation(L"Scrollbar property out of range");
  position = Max(min, Min(max, position));
  const bool changed = position != FPosition;
  if (min != FMin || max != FMax || changed) {
    FMin = min;
    FMax = max;
    FPosition = position;
    UpdateScrollInfo(true);
  }
  if (changed) Change();
}

void TScrollBar::Loaded() {
  inherited::Loaded();
  const int max = Max(FMax, FMin);
  const int position = Max(FMin, Min(max, FPosition));
  FMax = max;
  FPosition = position;
  FPageSize = static_cast<int>(Min<int64_t>(FPageSize, static_cast<int64_t>(FMax) - FMin + 1));
  UpdateScrollInfo(true);
}

void TScrollBar::SetPosition(int value) { SetParams(value, FMin, FMax); }

void TScrollBar::SetMin(int value) { SetParams(FPosition, value, FMax); }

void TScrollBar::SetMax(int value) { SetParams(FPosition, FMin, value); }

void TScrollBar::SetPageSize(int value) {
  if (value == FPageSize || value < 0 || value > static_cast<int64_t>(FMax) - FMin + 1) return;
  FPageSize = value;
  UpdateScrollInfo(true);
}

void TScrollBar::SetSmallChange(TScrollBarInc value) { FSmallChange = Max(1, Min(value, 32767)); }

void TScrollBar::SetLargeChange(TScrollBarInc value) { FLargeChange = Max(1, Min(value, 32767)); }

// ---- Scrolling ----------------------------------------------------------------------------------

void TScrollBar::Change() {
  const std::weak_ptr<int> alive = GetLifeToken();
  Changed();
  if (!alive.expired() && FOnChange) FOnChange(this);
}

void TScrollBar::Scroll(TScrollCode scrollCode, int& scrollPos) {
  if (FOnScroll) FOnScroll(this, scrollCode, scrollPos);
}

void TScrollBar::DoScroll(TMessage& message) {
  const int code = LOWORD(message.WParam);
  if (code > scEndScroll) return;
  int trackPos = FPosition;
  if ((code == scPosition || code == scTrack) && HandleAllocated()) {
    // The 32-bit thumb position (the message carries only 16 bits).
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    if (::GetScrollInfo(GetHandle(), SB_CTL, &info)) trackPos = info.nTrackPos;
  }
  int position = ScrollBarCodePosition(static_cast<TScrollCode>(code), FPosition, FMin, FMax,
                                       FSmallChange, FLargeChange, trackPos);
  const std::weak_ptr<int> alive = GetLifeToken();
  Scroll(static_cast<TScrollCode>(code), position);
  if (!alive.expired()) SetPosition(position);
}

void TScrollBar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL: DoScroll(message); break;
    default: inherited::Dispatch(message); break;
  }
}

// ---- Stored layouts -----------------------------------------------------------------------------

namespace {

const wchar_t* const ScrollBarKindNames[] = {L"sbHorizontal", L"sbVertical"};
const TEnumInfo ScrollBarKindIdents = MakeEnumInfo(ScrollBarKindNames);

const bool ScrollBarRegistered = [] {
  try {
    RegisterClass<TScrollBar>();
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TScrollBar::PublishedProperties() {
  using P = TPublish<TScrollBar>;
  using C = TScrollBar;
  static const TPropertyTable table{
      // The text is the control's Text (or nothing); no caption is kept.
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption).Stored(false),
      P::Enum(L"Kind", ScrollBarKindIdents, &C::GetKind, &C::SetKind).Default(sbHorizontal),
      P::Integer(L"LargeChange", &C::GetLargeChange, &C::SetLargeChange).Default(1),
      P::Integer(L"Max", &C::GetMax, &C::SetMax).Default(100),
      P::Integer(L"Min", &C::GetMin, &C::SetMin).Default(0),
      P::Integer(L"PageSize", &C::GetPageSize, &C::SetPageSize).Default(0),
      P::Integer(L"Position", &C::GetPosition, &C::SetPosition).Default(0),
      P::Integer(L"SmallChange", &C::GetSmallChange, &C::SetSmallChange).Default(1),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
      P::Method(L"OnScroll", &C::GetOnScroll, &C::SetOnScroll),
  };
  return &table;
}
