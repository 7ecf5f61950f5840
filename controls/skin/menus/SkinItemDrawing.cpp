// How an item measures and draws itself: in a menu bar, in a popup list, as a button of a
// maximized MDI child, and the scroll buttons of a scrolled list.
#include <array>

#include "SkinItems.h"
#include "SkinMenuData.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

constexpr int SubmenuArea = 22;   // the arrow's area, and the shortcut's distance from the right
constexpr int SeparatorHeight = 15;
constexpr TColor DitherColor = clBtnHighlight;  // second colour of a checked column's checker

void SunkenFrame(TCanvas* canvas, const TRect& r) { DrawFrameLines(canvas, r, clBtnShadow, clBtnHighlight); }
void RaisedFrame(TCanvas* canvas, const TRect& r) { DrawFrameLines(canvas, r, clBtnHighlight, clBtnShadow); }

// An icon of the child form a child-icon item stands for (the form the component decorates),
// else the application's; nullptr when neither has one.
HICON ChildIconSource(TComponent* mdiForm) {
  if (auto* form = mdiForm ? dynamic_cast<TCustomForm*>(mdiForm->GetOwner()) : nullptr)
    if (form->GetIcon() && !form->GetIcon()->GetEmpty()) return form->GetIcon()->GetHandle();
  if (Application && Application->GetIcon() && !Application->GetIcon()->GetEmpty())
    return Application->GetIcon()->GetHandle();
  return nullptr;
}

}  // namespace

// The check mark: an outline and an inner line about centre.
void DrawMenuCheckMark(TCanvas* canvas, TPoint centre, TColor outlineColor, TColor innerColor) {
  static constexpr std::array<TPoint, 7> outline{
      TPoint(-2, -2), TPoint(0, 0), TPoint(4, -4), TPoint(4, -3), TPoint(0, 1), TPoint(-2, -1), TPoint(-2, -2)};
  static constexpr std::array<TPoint, 5> inner{TPoint(-3, -2), TPoint(-3, -1), TPoint(0, 2), TPoint(5, -3),
                                               TPoint(5, -5)};
  auto draw = [&](auto& points, TColor color) {
    std::array<TPoint, 7> moved{};
    for (size_t i = 0; i < points.size(); ++i) moved[i] = TPoint(centre.X + points[i].X, centre.Y + points[i].Y);
    canvas->GetPen()->SetColor(color);
    canvas->Polyline(std::span<const TPoint>(moved.data(), points.size()));
  };
  draw(outline, outlineColor);
  draw(inner, innerColor);
}

void DrawScrollTriangle(TCanvas* canvas, const TRect& r, int direction, TColor color) {
  // 7 wide and 4 high, one row at a time: 1, 3, 5, 7 pixels from the apex.
  const int centreX = r.Left + RectWidth(r) / 2;
  const int top = r.Top + (RectHeight(r) - 4) / 2;
  for (int row = 0; row < 4; ++row) {
    const int half = direction == 1 ? row : 3 - row;
    FillRectXY(canvas, centreX - half, top + row, centreX + half + 1, top + row + 1, color);
  }
}

HICON CopyChildIcon(TComponent* mdiForm) {
  HICON source = ChildIconSource(mdiForm);
  if (!source) source = ::LoadIconW(nullptr, IDI_APPLICATION);  // shared: never destroyed
  int cx = ::GetSystemMetrics(SM_CXSMICON);
  int cy = ::GetSystemMetrics(SM_CYSMICON);
  if (cx == 0 || cy == 0) {
    cx = ::GetSystemMetrics(SM_CXSIZE);
    cy = ::GetSystemMetrics(SM_CYSIZE);
  }
  return static_cast<HICON>(::CopyImage(source, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE));
}

UINT TSeCustomItem::TextFlags(UINT flags) const {
  if (::GetSystemMetrics(SM_MIDEASTENABLED) == 0) return flags;
  if (FBiDiMode == bdRightToLeft) {
    if (flags & DT_RIGHT) flags &= ~DT_RIGHT;
    else if (!(flags & DT_CENTER)) flags |= DT_RIGHT;
  }
  if (FBiDiMode != bdLeftToRight) flags |= DT_RTLREADING;
  return flags;
}

int TSeCustomItem::ImageColumnWidth() const {
  TCustomImageList* images = EffectiveImages();
  if (!images || images->GetWidth() <= MenuMetrics().cy) return 22;
  return images->GetWidth() + 6;
}

void TSeCustomItem::MeasureItem(TCanvas* canvas, TSeItemView* view, int& height, int& width) {
  canvas->SetFont(MenuFont());
  const TSize metrics = MenuMetrics();
  width = metrics.cx;
  height = metrics.cy;
  const int captionWidth = TextWidthEx(canvas, FCaption, DT_NOPREFIX);
  if (view->GetMenuBarLook()) {
    width = FSystemKind != sysNone ? height : captionWidth + 12;
    return;
  }
  width = captionWidth + ImageColumnWidth() + 42;
  if (FShortCut != scNone) width += TextWidthEx(canvas, ShortCutToText(FShortCut), DT_NOPREFIX);
  if (IsSeparator()) {
    height = SeparatorHeight;
  } else if (TCustomImageList* images = EffectiveImages(); images && images->GetHeight() > height) {
    height = images->GetHeight() + 4;
  }
}

void TSeCustomItem::DrawItem(TCanvas* canvas, TSeItemView* view, const TRect& r, bool selected, bool hot) {
  canvas->SetFont(MenuFont());
  if (view->GetMenuBarLook()) DrawBarItem(canvas, r, selected, hot);
  else DrawListItem(canvas, r, selected);
}

void TSeCustomItem::DrawCaptionText(TCanvas* canvas, const String& text, const TRect& r, UINT flags,
                                    bool etched, TColor color) {
  TRect place = r;
  if (FEnabled) {
    canvas->GetFont()->SetColor(color);
    DrawTextUnicode(canvas, text, place, flags);
    return;
  }
  if (etched) {
    TRect offset(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    canvas->GetFont()->SetColor(clBtnHighlight);
    DrawTextUnicode(canvas, text, offset, flags);
  }
  canvas->GetFont()->SetColor(clBtnShadow);
  DrawTextUnicode(canvas, text, place, flags);
}

void TSeCustomItem::DrawBarItem(TCanvas* canvas, const TRect& r, bool selected, bool hot) {
  if (FSystemKind == sysChildIcon) {
    DrawChildIcon(canvas, r, selected, hot);
    return;
  }
  if (FSystemKind != sysNone) {
    FillRectColor(canvas, r, clMenu);
    RECT button{r.Left + 2, r.Top + 2, r.Right - 2 + 1, r.Bottom - 2 - 1};
    static constexpr UINT Parts[] = {0, DFCS_CAPTIONCLOSE, DFCS_CAPTIONRESTORE, DFCS_CAPTIONMIN};
    UINT state = Parts[FSystemKind] | 0x10;
    if (selected) state |= hot ? DFCS_FLAT : DFCS_PUSHED;
    ::DrawFrameControl(canvas->GetHandle(), &button, DFC_CAPTION, state);
    return;
  }
  const UINT flags = TextFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  const bool themes = UseThemes();
  if (themes && FInControlBar) {
    TThemeScope theme(L"Toolbar");
    const int state = !selected ? 1 : hot ? 2 : 3;
    RECT rect = r;
    if (theme.DrawBackground(canvas->GetHandle(), 1, state, rect)) {
      DrawCaptionText(canvas, FCaption, r, flags, true, clMenuText);
      return;
    }
  }
  FillRectColor(canvas, r, clMenu);
  if (FEnabled && selected) {
    if (!themes) hot ? RaisedFrame(canvas, r) : SunkenFrame(canvas, r);
    else FillRectColor(canvas, RectInflated(r, -1), clHighlight);
  }
  // A disabled bar item is etched whether selected or not (a popup row is not when selected).
  DrawCaptionText(canvas, FCaption, r, flags, true, selected && themes ? clHighlightText : clMenuText);
}

void TSeCustomItem::DrawChildIcon(TCanvas* canvas, TRect r, bool selected, bool hot) {
  // No fill of its own: the bar's background stays around the icon.
  HICON icon = CopyChildIcon(FMdiForm);  // ours: destroyed once drawn
  if (selected) hot ? RaisedFrame(canvas, r) : SunkenFrame(canvas, r);
  r = RectInflated(r, -1);
  if (!icon) return;
  ::DrawIconEx(canvas->GetHandle(), r.Left, r.Top, icon, 0, 0, 0, nullptr, DI_NORMAL);
  ::DestroyIcon(icon);
}

void TSeCustomItem::DrawListItem(TCanvas* canvas, const TRect& r, bool selected) {
  if (IsSeparator()) {
    FillRectColor(canvas, r, clMenu);
    TRect line(r.Left + 2, r.Top + 7, r.Right - 2, r.Top + 9);
    SunkenFrame(canvas, line);
    return;
  }
  const bool themes = UseThemes();
  FillRectColor(canvas, r, selected ? clHighlight : clMenu);
  const TColor fontColor = selected ? clHighlightText : clMenuText;
  const int columnWidth = ImageColumnWidth();
  TCustomImageList* images = EffectiveImages();
  const bool hasImage = images && FImageIndex >= 0;
  if (FChecked || hasImage) {
    const TRect column(r.Left, r.Top, r.Left + RectHeight(r), r.Bottom);
    if (!themes) FillRectColor(canvas, column, clBtnFace);
    if (FChecked) {
      if (!selected) FillChecker(canvas, column, clBtnFace, DitherColor);
      SunkenFrame(canvas, column);
    } else if (selected && !themes) {
      RaisedFrame(canvas, column);
    }
    if (hasImage) {
      images->Draw(canvas, column.Left + (RectWidth(column) - images->GetWidth()) / 2,
                   column.Top + (RectHeight(column) - images->GetHeight()) / 2, FImageIndex, FEnabled);
    } else {
      DrawMenuCheckMark(canvas, TPoint(column.Left + RectWidth(column) / 2 - 2, column.Top + RectHeight(column) / 2 + 1),
                        clBlack, clWhite);
    }
  }
  const TRect text(r.Left + columnWidth + 4, r.Top, r.Right, r.Bottom);
  DrawCaptionText(canvas, FCaption, text, TextFlags(DT_LEFT | DT_VCENTER | DT_SINGLELINE), !selected, fontColor);
  if (FShortCut != scNone) {
    const TRect keys(r.Left, r.Top, r.Right - SubmenuArea, r.Bottom);
    DrawCaptionText(canvas, ShortCutToText(FShortCut), keys, TextFlags(DT_RIGHT | DT_VCENTER | DT_SINGLELINE),
                    !selected, fontColor);
  }
  if (!FItems.empty()) {
    const int left = r.Right - 2 - SubmenuArea;
    DrawSubmenuArrow(canvas, left + (SubmenuArea - 20) / 2, r.Top + (RectHeight(r) - 20) / 2, fontColor);
  }
}

void TSeCustomItem::DrawScrollButton(TCanvas* canvas, TSeItemView* view, bool pressed, int direction,
                                     const TRect& r) {
  FillRectColor(canvas, r, clMenu);
  if (pressed) SunkenFrame(canvas, r);
  DrawScrollTriangle(canvas, r, direction, canvas->GetFont()->GetColor());
}
