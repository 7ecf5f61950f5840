// The flat combo box.
#include "FlatComboBox.h"

#include <utility>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/StringList.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/system/SysMath.h"

namespace {

const bool FlatComboRegistered = [] {
  RegisterClass<TFlatComboBox>();
  return true;
}();

constexpr TColor FlatComboColor = ColorFromInt(0xE1EAEB);

void FillRectWith(HDC dc, const RECT& r, TColor color) {
  UniqueBrush brush(::CreateSolidBrush(ColorToRGB(color)));
  ::FillRect(dc, &r, brush.get());
}

void FrameRectWith(HDC dc, const RECT& r, TColor color) {
  UniqueBrush brush(::CreateSolidBrush(ColorToRGB(color)));
  ::FrameRect(dc, &r, brush.get());
}

}  // namespace

int FlatDropDownHeight(int dropDownCount, int count, int rowHeight) {
  const int height = Min(dropDownCount, count) * rowHeight + 4;
  return height < 5 ? 10 : height;
}

const TPropertyTable* TFlatComboBox::PublishedProperties() {
  using P = TPublish<TFlatComboBox>;
  using C = TFlatComboBox;
  static const TPropertyTable table{
      P::Color(L"Color", &C::GetColor, &C::SetColor).Default(FlatComboColor),
      P::Color(L"ColorArrow", &C::GetColorArrow, &C::SetColorArrow).Default(clBlack),
      P::Color(L"ColorArrowBackground", &C::GetColorArrowBackground,
               &C::SetColorArrowBackground)
          .Default(ColorFromInt(0xC5D6D9)),
      P::Color(L"ColorBorder", &C::GetColorBorder, &C::SetColorBorder)
          .Default(ColorFromInt(0x8396A0)),
      P::Boolean(L"UseAdvColors", &C::GetUseAdvColors, &C::SetUseAdvColors).Default(false),
      P::Integer(L"AdvColorBorder", &C::GetAdvColorBorder, &C::SetAdvColorBorder).Default(50),
      P::Integer(L"AdvColorArrowBackground", &C::GetAdvColorArrowBackground,
                 &C::SetAdvColorArrowBackground)
          .Default(10),
  };
  return &table;
}

TFlatComboBox::TFlatComboBox(TComponent* owner) : TCustomComboBox(owner) {
  SetControlStyle(GetControlStyle() - TControlStyle{csFixedHeight} + TControlStyle{csOpaque});
  FSysButtonWidth = ::GetSystemMetrics(SM_CXVSCROLL);
  SetItemHeight(13);
  SetColor(FlatComboColor);
}

// ---- Colours ---------------------------------------------------------------------------------------

void TFlatComboBox::SetColorArrow(TColor value) {
  FColorArrow = value;
  Invalidate();
}

void TFlatComboBox::SetColorArrowBackground(TColor value) {
  FColorArrowBackground = value;
  Invalidate();
}

void TFlatComboBox::SetColorBorder(TColor value) {
  FColorBorder = value;
  Invalidate();
}

void TFlatComboBox::SetUseAdvColors(bool value) {
  if (value == FUseAdvColors) return;
  FUseAdvColors = value;
  CalcAdvancedColors();
  Invalidate();
}

void TFlatComboBox::SetAdvColorBorder(int value) {
  FAdvColorBorder = ClampAdvColors(value);
  CalcAdvancedColors();
  Invalidate();
}

void TFlatComboBox::SetAdvColorArrowBackground(int value) {
  FAdvColorArrowBackground = ClampAdvColors(value);
  CalcAdvancedColors();
  Invalidate();
}

void TFlatComboBox::CalcAdvancedColors() {
  if (!FUseAdvColors || !GetParent()) return;
  const TColor parent = GetParent()->GetColor();
  FColorBorder = CalcAdvancedColor(parent, FColorBorder, FAdvColorBorder, darken);
  FColorArrowBackground =
      CalcAdvancedColor(parent, FColorArrowBackground, FAdvColorArrowBackground, darken);
}

// ---- Rules ---------------------------------------------------------------------------------------------

int TFlatComboBox::DropDownRowHeight() {
  const TComboBoxStyle style = GetStyle();
  if (style == csDropDown || style == csDropDownList) return FlatFontHeight(GetFont()) - 2;
  return GetItemHeight();
}

bool TFlatComboBox::HasFocusedLook() {
  if (GetComponentState().Contains(csDesigning)) return GetEnabled();
  if (!HandleAllocated()) return false;
  const HWND focus = ::GetFocus();
  return GetDroppedDown() || focus == GetHandle() ||
         (GetEditHandle() && focus == GetEditHandle());
}

TRect TFlatComboBox::ButtonRect() {
  const TRect client = GetClientRect();
  return Rect(client.Right - ButtonWidth - 1, client.Top, client.Right, client.Bottom);
}

// ---- Drawing -------------------------------------------------------------------------------------------

void TFlatComboBox::DrawFrame(HDC dc) {
  RECT r{};
  ::GetWindowRect(GetHandle(), &r);
  ::OffsetRect(&r, -r.left, -r.top);
  r.right -= ButtonWidth + 1;
  FrameRectWith(dc, r, FColorBorder);
  for (int i = 0; i < 2; ++i) {
    ::InflateRect(&r, -1, -1);
    FrameRectWith(dc, r, GetColor());
  }
}

void TFlatComboBox::DrawButton(HDC dc) {
  if (GetStyle() == csSimple) return;
  const TRect b = ButtonRect();
  // One pixel wider on both sides, over the system's own button and frame.
  const RECT r{b.Left - 1, b.Top, b.Right + 1, b.Bottom};
  FillRectWith(dc, r, FColorArrowBackground);
  FrameRectWith(dc, r, FColorBorder);
  const int x = b.Left + Div(b.Right - b.Left, 2) - 6;
  const int y = b.Top + Div(b.Bottom - b.Top, 2) - 1;
  const bool up = HandleAllocated() && GetDroppedDown();
  const auto arrow = [&](int dx, TColor color) {
    POINT points[3];
    if (up) {
      points[0] = {x + 4 + dx, y + 2 + dx};
      points[1] = {x + 8 + dx, y + 2 + dx};
      points[2] = {x + 6 + dx, y + dx};
    } else {
      points[0] = {x + 4 + dx, y + dx};
      points[1] = {x + 8 + dx, y + dx};
      points[2] = {x + 6 + dx, y + 2 + dx};
    }
    UniqueBrush brush(::CreateSolidBrush(ColorToRGB(color)));
    UniquePen pen(::CreatePen(PS_SOLID, 1, ColorToRGB(color)));
    const HGDIOBJ oldBrush = ::SelectObject(dc, brush.get());
    const HGDIOBJ oldPen = ::SelectObject(dc, pen.get());
    ::Polygon(dc, points, 3);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
  };
  if (GetEnabled()) {
    arrow(0, FColorArrow);
  } else {
    arrow(1, clWhite);
    arrow(0, ColorFromInt(0x808080));
  }
}

void TFlatComboBox::DrawSelectionStrip(HDC dc) {
  if (!IsListStyle()) return;
  const TRect client = GetClientRect();
  // With no item chosen there is nothing to show selected: the field stays in the box's
  // colour, as the system's combo box leaves it (some systems fill it all the same). The
  // highlight frame still shows where the focus is.
  const bool chosen = GetItemIndex() >= 0;
  const bool focused = HasFocusedLook() && !GetDroppedDown();
  const RECT strip{client.Right - 2 - ButtonWidth - 8, client.Top + 3,
                   client.Right - 2 - ButtonWidth - 3, client.Bottom - 3};
  const RECT text{client.Left + 3, client.Top + 3, client.Right - 3 - ButtonWidth - 2,
                  client.Bottom - 3};
  if (!chosen) FillRectWith(dc, text, GetColor());
  FillRectWith(dc, strip, chosen && focused ? clHighlight : GetColor());
  if (focused) FrameRectWith(dc, text, clHighlight);
}

void TFlatComboBox::DrawFlat() {
  if (!HandleAllocated()) return;
  const HDC dc = ::GetWindowDC(GetHandle());
  if (!dc) return;
  DrawFrame(dc);
  DrawButton(dc);
  DrawSelectionStrip(dc);
  ::ReleaseDC(GetHandle(), dc);
  FFocusedLook = HasFocusedLook();
}

void TFlatComboBox::FocusLookChanged() {
  if (HasFocusedLook() != FFocusedLook) DrawFlat();
}

void TFlatComboBox::WMPaint(TMessage& message) {
  PAINTSTRUCT paint{};
  const bool ownPaint = message.WParam == 0;
  const HDC dc = ownPaint ? ::BeginPaint(GetHandle(), &paint) : reinterpret_cast<HDC>(message.WParam);
  if (!dc) return;
  // Where the flat button and frame leave a gap beside the field, the box's colour shows,
  // not the edge of the system's button.
  FillRectWith(dc, GetClientRect(), GetColor());
  const int saved = ::SaveDC(dc);
  const auto done = [&] {
    ::RestoreDC(dc, saved);
    if (ownPaint) ::EndPaint(GetHandle(), &paint);
  };
  try {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (::GetComboBoxInfo(GetHandle(), &info))
      ::ExcludeClipRect(dc, info.rcButton.left, info.rcButton.top, info.rcButton.right,
                        info.rcButton.bottom);
    TMessage system{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    inherited::WMPaint(system);
  } catch (...) {
    done();
    throw;
  }
  done();
  DrawFlat();
}

void TFlatComboBox::ChangeSelection(TMessage& message) {
  // Without an edit, the system draws the field straight away when the selection is set in
  // code, highlighted when focused whether or not an item is chosen, and sends no
  // notification: drawing is held off meanwhile and the whole box repainted through the paint
  // message instead. A hidden box or one whose drawing is already held (a list update) is left
  // to its next paint.
  if (!IsListStyle() || FRedrawOff || !::IsWindowVisible(GetHandle())) {
    inherited::Dispatch(message);
    return;
  }
  ::SendMessageW(GetHandle(), WM_SETREDRAW, FALSE, 0);
  try {
    inherited::Dispatch(message);
  } catch (...) {
    ::SendMessageW(GetHandle(), WM_SETREDRAW, TRUE, 0);
    throw;
  }
  ::SendMessageW(GetHandle(), WM_SETREDRAW, TRUE, 0);
  ::RedrawWindow(GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TFlatComboBox::KeyPressed(TMessage& message) {
  // Without an edit, the system tells of a selection change by a key (also one to the item
  // already chosen) before it draws the field, its dotted focus rectangle on the highlight
  // frame: strip and frame are drawn again once the key is handled.
  if (!IsListStyle()) {
    inherited::Dispatch(message);
    return;
  }
  const std::weak_ptr<int> alive = GetLifeToken();
  const bool outerKey = std::exchange(FInKey, true);
  FKeyChangedSelection = false;
  try {
    inherited::Dispatch(message);
  } catch (...) {
    if (!alive.expired()) FInKey = outerKey;
    throw;
  }
  if (alive.expired()) return;
  FInKey = outerKey;
  if (FKeyChangedSelection && HandleAllocated()) DrawFlat();
}

// ---- Messages ------------------------------------------------------------------------------------------

void TFlatComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_SETREDRAW:
      FRedrawOff = message.WParam == 0;
      inherited::Dispatch(message);
      return;
    case CB_SETCURSEL:
      ChangeSelection(message);
      return;
    case WM_KEYDOWN:
    case WM_CHAR:
      KeyPressed(message);
      return;
    case WM_NCPAINT:
      inherited::Dispatch(message);
      DrawFlat();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      inherited::Dispatch(message);
      FocusLookChanged();
      return;
    case WM_WINDOWPOSCHANGED: {
      inherited::Dispatch(message);
      if (!IsListStyle() && GetEditHandle()) {
        const TRect client = GetClientRect();
        ::SetWindowPos(GetEditHandle(), nullptr, 0, 0, client.Right - ButtonWidth - 8,
                       client.Bottom - 6, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return;
    }
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(message);
      Invalidate();
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(message);
      SetItemHeight(13);
      if (HandleAllocated()) RecreateWnd();
      return;
    case CM_PARENTCOLORCHANGED:
    case CM_SYSCOLORCHANGE:
      inherited::Dispatch(message);
      CalcAdvancedColors();
      Invalidate();
      return;
    default:
      inherited::Dispatch(message);
  }
}

void TFlatComboBox::CNCommand(TMessage& message) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::CNCommand(message);
  if (alive.expired() || !HandleAllocated()) return;
  switch (HIWORD(message.WParam)) {
    case CBN_CLOSEUP: {
      RECT r = ButtonRect();
      r.left -= 2;
      ::InvalidateRect(GetHandle(), &r, FALSE);
      FocusLookChanged();
      break;
    }
    case CBN_SELCHANGE:
      if (FInKey) FKeyChangedSelection = true;
      DrawFlat();
      break;
    case CBN_DROPDOWN:
    case CBN_SELENDOK:
      DrawFlat();
      break;
    default:
      break;
  }
}

void TFlatComboBox::ListWndProc(TMessage& message) {
  if (message.Msg == WM_WINDOWPOSCHANGING) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
    if (pos && !(pos->flags & SWP_NOSIZE))
      pos->cy = FlatDropDownHeight(GetDropDownCount(), GetItems()->GetCount(),
                                   DropDownRowHeight());
  }
  inherited::ListWndProc(message);
}

void TFlatComboBox::EditWndProc(TMessage& message) {
  inherited::EditWndProc(message);
  if (message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS) FocusLookChanged();
}
