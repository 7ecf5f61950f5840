#include "Splitter.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "../system/SysMath.h"

namespace {

const wchar_t* const ResizeStyleNames[] = {L"rsNone", L"rsLine", L"rsUpdate", L"rsPattern"};
const TEnumInfo ResizeStyleIdents = MakeEnumInfo(ResizeStyleNames);

const bool SplitterClassesRegistered = [] {
  RegisterClass<TSplitter>();
  return true;
}();

bool IsHorizontalAlign(TAlign align) { return align == alLeft || align == alRight; }

// An 8 x 8 halftone brush: every other pixel set, the rows shifted by one.
UniqueBrush MakeHalftoneBrush() {
  const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  UniqueBitmap pattern(::CreateBitmap(8, 8, 1, 1, rows));
  if (!pattern) return UniqueBrush();
  return UniqueBrush(::CreatePatternBrush(pattern.get()));
}

}  // namespace

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetAlign(alLeft);
  SetBounds(GetLeft(), GetTop(), 3, 100);
  SetCursor(crHSplit);
}

TSplitter::~TSplitter() {
  Destroying();
  if (FLineVisible) DrawLine();
  FLineDC.reset();
}

void TSplitter::SetMinSize(int value) { FMinSize = Max(value, 1); }

void TSplitter::SetBeveled(bool value) {
  if (value == FBeveled) return;
  FBeveled = value;
  Invalidate();
}

void TSplitter::RequestAlign() {
  inherited::RequestAlign();
  if (GetCursor() != crVSplit && GetCursor() != crHSplit) return;
  SetCursor(GetAlign() == alTop || GetAlign() == alBottom ? crVSplit : crHSplit);
}

// ---- Finding and sizing the control ------------------------------------------------------------

TControl* TSplitter::FindSizedControl() {
  TWinControl* parent = GetParent();
  if (!parent) return nullptr;
  TPoint p(GetLeft(), GetTop());
  const TAlign align = GetAlign();
  switch (align) {
    case alLeft: --p.X; break;
    case alRight: p.X += GetWidth(); break;
    case alTop: --p.Y; break;
    case alBottom: p.Y += GetHeight(); break;
    default: return nullptr;
  }
  const bool before = align == alLeft || align == alTop;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* control = parent->GetControl(i);
    if (!control || control == this || !control->GetVisible() || !control->GetEnabled()) continue;
    TRect r = control->GetBoundsRect();
    // A control sized down to nothing is still found on its side of the splitter.
    if (r.Width() == 0) {
      if (before)
        --r.Left;
      else
        ++r.Right;
    }
    if (r.Height() == 0) {
      if (before)
        --r.Top;
      else
        ++r.Bottom;
    }
    if (PtInRect(r, p)) return control;
  }
  return nullptr;
}

void TSplitter::CalcSplitSize(int x, int y, int& newSize, int& split) {
  const TAlign align = GetAlign();
  split = IsHorizontalAlign(align) ? x - FDownPos.X : y - FDownPos.Y;
  int size = 0;
  switch (align) {
    case alLeft: size = FControl->GetWidth() + split; break;
    case alRight: size = FControl->GetWidth() - split; break;
    case alTop: size = FControl->GetHeight() + split; break;
    case alBottom: size = FControl->GetHeight() - split; break;
    default: break;
  }
  newSize = size;
  if (size < FMinSize)
    newSize = FMinSize;
  else if (size > FMaxSize)
    newSize = FMaxSize;
  if (size != newSize) {
    // The line stops where the size stopped.
    split += (align == alRight || align == alBottom) ? size - newSize : newSize - size;
  }
}

bool TSplitter::CanResize(int& newSize) {
  bool accept = true;
  if (FOnCanResize) FOnCanResize(this, newSize, accept);
  return accept;
}

bool TSplitter::DoCanResize(int& newSize) {
  const bool accept = CanResize(newSize);
  if (accept && newSize <= FMinSize && FAutoSnap) newSize = 0;
  return accept;
}

void TSplitter::UpdateControlSize() {
  if (!FControl || FNewSize == FOldSize) return;
  TWinControl* parent = GetParent();
  switch (GetAlign()) {
    case alLeft: FControl->SetWidth(FNewSize); break;
    case alTop: FControl->SetHeight(FNewSize); break;
    case alRight:
    case alBottom: {
      // The control keeps its far edge: move and size it as one change.
      if (parent) parent->DisableAlign();
      try {
        if (GetAlign() == alRight)
          FControl->SetBounds(FControl->GetLeft() + FControl->GetWidth() - FNewSize,
                              FControl->GetTop(), FNewSize, FControl->GetHeight());
        else
          FControl->SetBounds(FControl->GetLeft(), FControl->GetTop() + FControl->GetHeight() - FNewSize,
                              FControl->GetWidth(), FNewSize);
      } catch (...) {
        if (parent) parent->EnableAlign();
        throw;
      }
      if (parent) parent->EnableAlign();
      break;
    }
    default: break;
  }
  Update();
  FOldSize = FNewSize;
  if (FOnMoved) FOnMoved(this);
}

// ---- The line ------------------------------------------------------------------------------------

void TSplitter::AllocateLineDC() {
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated()) return;
  const HWND wnd = parent->GetHandle();
  FLineDC = WindowDC(wnd, ::GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS));
  if (FResizeStyle == rsPattern && !FPatternBrush) FPatternBrush = MakeHalftoneBrush();
}

void TSplitter::DrawLine() {
  FLineVisible = !FLineVisible;
  if (!FLineDC) return;
  TPoint p(GetLeft(), GetTop());
  if (IsHorizontalAlign(GetAlign()))
    p.X += FSplit;
  else
    p.Y += FSplit;
  const HGDIOBJ brush = FResizeStyle == rsPattern && FPatternBrush
                            ? static_cast<HGDIOBJ>(FPatternBrush.get())
                            : ::GetStockObject(WHITE_BRUSH);
  SelectObjectScope select(FLineDC.get(), brush);
  ::PatBlt(FLineDC.get(), p.X, p.Y, GetWidth(), GetHeight(), PATINVERT);
}

void TSplitter::StopSizing() {
  if (FLineVisible) DrawLine();
  FLineVisible = false;
  FLineDC.reset();
  if (FControl) FControl->RemoveFreeNotification(this);
  FControl = nullptr;
}

// ---- Mouse -----------------------------------------------------------------------------------------

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft || FControl) return;
  TWinControl* parent = GetParent();
  TControl* control = FindSizedControl();
  if (!parent || !control) return;
  FControl = control;
  FControl->FreeNotification(this);
  FDownPos = Point(x, y);
  // The most the control may take: what the parent's other aligned controls and MinSize
  // leave of the parent's client area.
  const bool horizontal = IsHorizontalAlign(GetAlign());
  FMaxSize = (horizontal ? parent->GetClientWidth() : parent->GetClientHeight()) - FMinSize;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* sibling = parent->GetControl(i);
    if (!sibling || !sibling->GetVisible()) continue;
    const TAlign align = sibling->GetAlign();
    if (horizontal && IsHorizontalAlign(align)) FMaxSize -= sibling->GetWidth();
    if (!horizontal && (align == alTop || align == alBottom)) FMaxSize -= sibling->GetHeight();
  }
  FMaxSize += horizontal ? FControl->GetWidth() : FControl->GetHeight();
  CalcSplitSize(x, y, FNewSize, FSplit);
  if (FResizeStyle == rsLine || FResizeStyle == rsPattern) {
    AllocateLineDC();
    DrawLine();
  }
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!shift.Contains(ssLeft) || !FControl) return;
  int newSize = 0;
  int split = 0;
  CalcSplitSize(x, y, newSize, split);
  if (!DoCanResize(newSize)) return;
  const bool drawsLine = FResizeStyle == rsLine || FResizeStyle == rsPattern;
  if (drawsLine && FLineVisible) DrawLine();
  FNewSize = newSize;
  FSplit = split;
  if (FResizeStyle == rsUpdate) UpdateControlSize();
  if (drawsLine) DrawLine();
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (!FControl) return;
  if (FLineVisible) DrawLine();
  const std::weak_ptr<int> alive = GetLifeToken();
  UpdateControlSize();
  if (!alive.expired()) StopSizing();
}

void TSplitter::WMCancelMode(TMessage& message) {
  // The drag ends where it is, without resizing.
  StopSizing();
  inherited::WMCancelMode(message);
}

void TSplitter::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FControl) {
    FControl = nullptr;
    if (FLineVisible) DrawLine();
    FLineDC.reset();
  }
}

// ---- Painting --------------------------------------------------------------------------------------

void TSplitter::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(r);
  if (FBeveled) {
    if (IsHorizontalAlign(GetAlign()))
      InflateRect(r, -1, 2);
    else
      InflateRect(r, 2, -1);
    OffsetRect(r, 1, 1);
    canvas->GetBrush()->SetColor(clBtnHighlight);
    canvas->FrameRect(r);
    OffsetRect(r, -2, -2);
    canvas->GetBrush()->SetColor(clBtnShadow);
    canvas->FrameRect(r);
  }
  if (FOnPaint) FOnPaint(this);
}

const TPropertyTable* TSplitter::PublishedProperties() {
  using P = TPublish<TSplitter>;
  using C = TSplitter;
  static const TPropertyTable table{
      P::Enum(L"Align", AlignIdents, &C::GetAlign, &C::SetAlign).Default(alLeft),
      P::Boolean(L"AutoSnap", &C::GetAutoSnap, &C::SetAutoSnap).Default(true),
      P::Boolean(L"Beveled", &C::GetBeveled, &C::SetBeveled).Default(false),
      P::Cursor(L"Cursor", &C::GetCursor, &C::SetCursor).Default(crHSplit),
      P::Integer(L"MinSize", &C::GetMinSize, &C::SetMinSize).Default(30),
      P::Enum(L"ResizeStyle", ResizeStyleIdents, &C::GetResizeStyle, &C::SetResizeStyle)
          .Default(rsPattern),
      P::Method(L"OnCanResize", &C::GetOnCanResize, &C::SetOnCanResize),
      P::Method(L"OnMoved", &C::GetOnMoved, &C::SetOnMoved),
      P::Method(L"OnPaint", &C::GetOnPaint, &C::SetOnPaint),
  };
  return &table;
}
