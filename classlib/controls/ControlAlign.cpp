// Bounds and layout: SetBounds with constraints and auto size, Align and Anchors.
//
// Layout runs on the parent (AlignControls): the children aligned to the top take the top
// of the client area one below the other (ordered by their Top), then those aligned to the
// bottom, left and right likewise, and the client-aligned ones fill what is left. Then the
// anchored children move: an anchor to the right or bottom keeps the distance to that edge
// that the child had when its anchor rules were recorded (a child anchored to both sides
// stretches; one anchored to neither keeps its centre at the same proportion).
#include <algorithm>
#include "../system/SysMath.h"
#include "Controls.h"
#include "ControlsInternal.h"

using namespace controls_internal;

// ---- Size rules -------------------------------------------------------------------------------------

bool TControl::CheckNewSize(int& newWidth, int& newHeight) {
  int width = newWidth;
  int height = newHeight;
  if (!DoCanResize(width, height)) return false;
  int autoWidth = width;
  int autoHeight = height;
  const bool result = !FAutoSize ||
                      (DoCanAutoSize(autoWidth, autoHeight) && autoWidth == width &&
                       autoHeight == height) ||
                      DoCanResize(autoWidth, autoHeight);
  if (result) {
    newWidth = autoWidth;
    newHeight = autoHeight;
  }
  return result;
}

bool TControl::DoCanAutoSize(int& newWidth, int& newHeight) {
  if (FAlign == alClient) return false;
  int width = newWidth;
  int height = newHeight;
  if (!CanAutoSize(width, height)) return false;
  if (FAlign == alNone || FAlign == alLeft || FAlign == alRight) newWidth = width;
  if (FAlign == alNone || FAlign == alTop || FAlign == alBottom) newHeight = height;
  return true;
}

bool TControl::DoCanResize(int& newWidth, int& newHeight) {
  if (!CanResize(newWidth, newHeight)) return false;
  DoConstrainedResize(newWidth, newHeight);
  return true;
}

void TControl::DoConstrainedResize(int& newWidth, int& newHeight) {
  int minWidth = FConstraints->GetMinWidth();
  int minHeight = FConstraints->GetMinHeight();
  int maxWidth = FConstraints->GetMaxWidth();
  int maxHeight = FConstraints->GetMaxHeight();
  ConstrainedResize(minWidth, minHeight, maxWidth, maxHeight);
  if (minWidth > 0 && newWidth < minWidth)
    newWidth = minWidth;
  else if (maxWidth > 0 && newWidth > maxWidth)
    newWidth = maxWidth;
  if (minHeight > 0 && newHeight < minHeight)
    newHeight = minHeight;
  else if (maxHeight > 0 && newHeight > maxHeight)
    newHeight = maxHeight;
}

// ---- Bounds ---------------------------------------------------------------------------------------------

void TControl::SetBounds(int left, int top, int width, int height) {
  if (!CheckNewSize(width, height)) return;
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  InvalidateControl(FVisible, false);
  FreeControlDC(this);  // a held DC has the old origin
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  UpdateAnchorRules();
  Invalidate();
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  RequestAlign();
  if (!GetComponentState().Contains(csLoading)) Resize();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (!CheckNewSize(width, height)) return;
  if (left == GetLeft() && top == GetTop() && width == GetWidth() && height == GetHeight())
    return;
  if (FHandle && !::IsIconic(FHandle)) {
    // WM_WINDOWPOSCHANGED reads the bounds back; WM_SIZE lays out the children.
    ::SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FHandle) {
      WINDOWPLACEMENT placement{};
      placement.length = sizeof(placement);
      ::GetWindowPlacement(FHandle, &placement);
      placement.rcNormalPosition = GetBoundsRect();
      ::SetWindowPlacement(FHandle, &placement);
    }
  }
  UpdateAnchorRules();
  RequestAlign();
}

void TControl::AdjustSize() {
  if (!GetComponentState().Contains(csLoading)) SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetAutoSize(bool value) {
  if (FAutoSize == value) return;
  FAutoSize = value;
  if (value) AdjustSize();
}

void TControl::SetConstraints(TSizeConstraints* value) {
  if (value) FConstraints->Assign(value);
}

void TControl::ConstraintsChanged(TObject*) { AdjustSize(); }

bool TWinControl::CanAutoSize(int& newWidth, int& newHeight) {
  // The size that holds every visible child, plus the window's borders.
  bool any = false;
  int right = 0;
  int bottom = 0;
  for (int i = 0; i < GetControlCount(); ++i) {
    TControl* control = GetControl(i);
    if (!control || !control->GetVisible()) continue;
    any = true;
    right = Max(right, control->GetLeft() + control->GetWidth());
    bottom = Max(bottom, control->GetTop() + control->GetHeight());
  }
  if (!any) return false;
  const TRect client = GetClientRect();
  newWidth = right + (GetWidth() - client.Width());
  newHeight = bottom + (GetHeight() - client.Height());
  return true;
}

// ---- Align and anchors --------------------------------------------------------------------------------

// Keeps the parent's count of children that give its layout work, around a change of
// Align or Anchors.
void TControl::AlignWorkChanged(bool before) {
  const bool now = TakesAlignWork();
  if (FParent && now != before) FParent->FAlignWorkChildren += now ? 1 : -1;
}

void TControl::SetAlign(TAlign value) {
  if (FAlign != value) {
    const TAlign oldAlign = FAlign;
    const bool before = TakesAlignWork();
    FAlign = value;
    AlignWorkChanged(before);
    SetAnchors(AnchorAlign(value));
    if (!GetComponentState().Contains(csLoading)) {
      const bool wasVertical = oldAlign == alTop || oldAlign == alBottom;
      const bool isHorizontal = value == alLeft || value == alRight;
      const bool turned = wasVertical == isHorizontal && oldAlign != alNone &&
                          oldAlign != alClient && value != alNone && value != alClient;
      // Turning between a top/bottom bar and a left/right bar swaps its width and height.
      if (turned)
        SetBounds(FLeft, FTop, FHeight, FWidth);
      else
        AdjustSize();
    }
  }
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (FAnchors == value) return;
  const bool before = TakesAlignWork();
  FAnchors = value;
  AlignWorkChanged(before);
  if (!GetComponentState().Contains(csLoading)) UpdateAnchorRules();
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::UpdateAnchorRules() {
  if (FAnchorMove || GetComponentState().Contains(csLoading)) return;
  if (FAnchors == TAnchors{akLeft, akTop}) {
    FOriginalParentSize = TPoint(0, 0);
    return;
  }
  if (FAnchors.Contains(akRight))
    FAnchorRules.X = FAnchors.Contains(akLeft) ? FWidth : FLeft;
  else
    FAnchorRules.X = FLeft + Div(FWidth, 2);
  if (FAnchors.Contains(akBottom))
    FAnchorRules.Y = FAnchors.Contains(akTop) ? FHeight : FTop;
  else
    FAnchorRules.Y = FTop + Div(FHeight, 2);
  if (FParent) {
    const TRect client = FParent->GetClientRect();
    FOriginalParentSize = TPoint(client.Right, client.Bottom);
  }
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && GetControlState().Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::AlignControl(TControl* control) {
  const TComponentState state = GetComponentState();
  if (state.Contains(csDestroying) || state.Contains(csLoading)) return;
  if (FAlignLevel != 0) {
    SetControlState(GetControlState() + TControlState{csAlignmentNeeded});
    return;
  }
  DisableAlign();
  try {
    // Only aligned and anchored children are placed in the client area: without them it
    // is not measured (for a control without a window that means its whole CreateParams).
    TRect rect = FAlignWorkChildren > 0 ? GetClientRect() : TRect();
    AlignControls(control, rect);
  } catch (...) {
    SetControlState(GetControlState() - TControlState{csAlignmentNeeded});
    EnableAlign();
    throw;
  }
  SetControlState(GetControlState() - TControlState{csAlignmentNeeded});
  EnableAlign();
}

namespace {

// True when c1 goes before c2 among the children of one alignment.
bool InsertBefore(TControl* c1, TControl* c2, TAlign align) {
  switch (align) {
    case alTop: return c1->GetTop() < c2->GetTop();
    case alBottom: return c1->GetTop() + c1->GetHeight() >= c2->GetTop() + c2->GetHeight();
    case alLeft: return c1->GetLeft() < c2->GetLeft();
    case alRight: return c1->GetLeft() + c1->GetWidth() >= c2->GetLeft() + c2->GetWidth();
    default: return false;
  }
}

}  // namespace

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  // Place one child for its alignment inside rect, taking its part of rect.
  const auto doPosition = [this, &rect](TControl* child, TAlign align) {
    if (align == alNone || child->FAnchors != AnchorAlign(align)) {
      if (child->FOriginalParentSize.X != 0 && child->FOriginalParentSize.Y != 0) {
        int newLeft = child->FLeft;
        int newTop = child->FTop;
        int newWidth = child->FWidth;
        int newHeight = child->FHeight;
        const TRect client = GetClientRect();
        const TPoint parentSize(client.Right, client.Bottom);
        const TAnchors anchors = child->FAnchors;
        if (anchors.Contains(akRight)) {
          if (anchors.Contains(akLeft))
            newWidth = parentSize.X - (child->FOriginalParentSize.X - child->FAnchorRules.X);
          else
            newLeft = parentSize.X - (child->FOriginalParentSize.X - child->FAnchorRules.X);
        } else if (!anchors.Contains(akLeft)) {
          newLeft = ::MulDiv(child->FAnchorRules.X, parentSize.X, child->FOriginalParentSize.X) -
                    Div(newWidth, 2);
        }
        if (anchors.Contains(akBottom)) {
          if (anchors.Contains(akTop))
            newHeight = parentSize.Y - (child->FOriginalParentSize.Y - child->FAnchorRules.Y);
          else
            newTop = parentSize.Y - (child->FOriginalParentSize.Y - child->FAnchorRules.Y);
        } else if (!anchors.Contains(akTop)) {
          newTop = ::MulDiv(child->FAnchorRules.Y, parentSize.Y, child->FOriginalParentSize.Y) -
                   Div(newHeight, 2);
        }
        child->FAnchorMove = true;
        try {
          child->SetBounds(newLeft, newTop, Max(newWidth, 0), Max(newHeight, 0));
        } catch (...) {
          child->FAnchorMove = false;
          throw;
        }
        child->FAnchorMove = false;
      }
      if (align == alNone) return;
    }
    int newWidth = rect.Right - rect.Left;
    if (newWidth < 0 || align == alLeft || align == alRight || align == alCustom)
      newWidth = child->FWidth;
    int newHeight = rect.Bottom - rect.Top;
    if (newHeight < 0 || align == alTop || align == alBottom || align == alCustom)
      newHeight = child->FHeight;
    int newLeft = rect.Left;
    int newTop = rect.Top;
    switch (align) {
      case alTop: rect.Top += newHeight; break;
      case alBottom:
        rect.Bottom -= newHeight;
        newTop = rect.Bottom;
        break;
      case alLeft: rect.Left += newWidth; break;
      case alRight:
        rect.Right -= newWidth;
        newLeft = rect.Right;
        break;
      case alCustom:
        newLeft = child->FLeft;
        newTop = child->FTop;
        break;
      default: break;
    }
    child->FAnchorMove = true;
    try {
      child->SetBounds(newLeft, newTop, newWidth, newHeight);
    } catch (...) {
      child->FAnchorMove = false;
      throw;
    }
    child->FAnchorMove = false;
    // A constrained child took less (or more) than offered: give the difference back.
    if (child->FWidth != newWidth || child->FHeight != newHeight) {
      switch (align) {
        case alTop: rect.Top -= newHeight - child->FHeight; break;
        case alBottom: rect.Bottom += newHeight - child->FHeight; break;
        case alLeft: rect.Left -= newWidth - child->FWidth; break;
        case alRight: rect.Right += newWidth - child->FWidth; break;
        case alClient:
          rect.Right -= newWidth - child->FWidth;
          rect.Bottom -= newHeight - child->FHeight;
          break;
        default: break;
      }
    }
  };

  const auto doAlign = [this, control, &doPosition](TAlign align) {
    std::vector<TControl*> alignList;
    if (control && control->FParent == this && control->FAlign == align &&
        (align == alNone || control->FVisible))
      alignList.push_back(control);
    for (int i = 0; i < GetControlCount(); ++i) {
      TControl* child = GetControl(i);
      if (!child || child == control || child->FAlign != align) continue;
      if (align != alNone && !child->FVisible) continue;
      size_t j = 0;
      while (j < alignList.size() && !InsertBefore(child, alignList[j], align)) ++j;
      alignList.insert(alignList.begin() + static_cast<std::ptrdiff_t>(j), child);
    }
    for (TControl* child : alignList)
      if (child->FParent == this) doPosition(child, align);
  };

  if (FAlignWorkChildren > 0) {
    AdjustClientRect(rect);
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone})
      doAlign(align);
  }
  if (GetShowing()) AdjustSize();
}
