#include "BitBtn.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"

namespace {

const wchar_t* const BitBtnKindNames[] = {L"bkCustom", L"bkOK",    L"bkCancel", L"bkHelp",
                                          L"bkYes",    L"bkNo",    L"bkClose",  L"bkAbort",
                                          L"bkRetry",  L"bkIgnore", L"bkAll"};
const TEnumInfo BitBtnKindIdents = MakeEnumInfo(BitBtnKindNames);
const wchar_t* const ButtonLayoutNames[] = {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop",
                                            L"blGlyphBottom"};
const TEnumInfo ButtonLayoutIdents = MakeEnumInfo(ButtonLayoutNames);
const wchar_t* const ButtonStyleNames[] = {L"bsAutoDetect", L"bsWin31", L"bsNew"};
const TEnumInfo ButtonStyleIdents = MakeEnumInfo(ButtonStyleNames);

const bool BitBtnClassesRegistered = [] {
  RegisterClass<TBitBtn>();
  return true;
}();

struct TKindInfo {
  const wchar_t* Caption;
  TModalResult ModalResult;
};

constexpr TKindInfo KindInfos[] = {
    {L"", mrNone},           // bkCustom
    {L"OK", mrOk},           // bkOK
    {L"Cancel", mrCancel},   // bkCancel
    {L"&Help", mrNone},      // bkHelp
    {L"&Yes", mrYes},        // bkYes
    {L"&No", mrNo},          // bkNo
    {L"&Close", mrNone},     // bkClose
    {L"Abort", mrAbort},     // bkAbort
    {L"&Retry", mrRetry},    // bkRetry
    {L"&Ignore", mrIgnore},  // bkIgnore
    {L"&All", mrAll},        // bkAll
};

const TKindInfo& KindInfo(TBitBtnKind kind) {
  const int index = static_cast<int>(kind);
  return KindInfos[index >= 0 && index <= static_cast<int>(bkAll) ? index : 0];
}

// ---- The standard glyphs ------------------------------------------------------------------------
// Each is drawn in an 18 x 18 cell on the olive key colour with plain lines and shapes.

constexpr int GlyphCell = 18;
constexpr TColor GlyphKey = clOlive;

void SetPen(TCanvas* canvas, TColor color, int width) {
  canvas->GetPen()->SetColor(color);
  canvas->GetPen()->SetWidth(width);
  canvas->GetPen()->SetStyle(psSolid);
}

void Line(TCanvas* canvas, int x1, int y1, int x2, int y2) {
  canvas->MoveTo(x1, y1);
  canvas->LineTo(x2, y2);
}

void DrawCheck(TCanvas* canvas, int dx, int dy) {
  SetPen(canvas, clGreen, 2);
  const TPoint points[] = {Point(3 + dx, 9 + dy), Point(7 + dx, 13 + dy), Point(14 + dx, 4 + dy)};
  canvas->Polyline(points);
}

void DrawCross(TCanvas* canvas, TColor color, int from, int to) {
  SetPen(canvas, color, 2);
  Line(canvas, from, from, to, to);
  Line(canvas, to, from, from, to);
}

void DrawHelp(TCanvas* canvas) {
  SetPen(canvas, clBlue, 2);
  const TPoint points[] = {Point(5, 6),  Point(6, 4),   Point(8, 3),  Point(11, 3), Point(13, 5),
                           Point(13, 7), Point(11, 9),  Point(9, 10), Point(9, 12)};
  canvas->Polyline(points);
  canvas->GetBrush()->SetColor(clBlue);
  canvas->FillRect(Rect(8, 14, 11, 17));
}

void DrawNo(TCanvas* canvas) {
  SetPen(canvas, clRed, 2);
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->Ellipse(3, 3, 16, 16);
  Line(canvas, 5, 14, 14, 5);
}

void DrawClose(TCanvas* canvas) {
  SetPen(canvas, clBlack, 1);
  canvas->GetBrush()->SetColor(clMaroon);
  canvas->Rectangle(4, 2, 14, 17);
  canvas->GetBrush()->SetColor(clYellow);
  canvas->FillRect(Rect(10, 9, 12, 11));
}

void DrawAbort(TCanvas* canvas) {
  SetPen(canvas, clRed, 1);
  canvas->GetBrush()->SetColor(clRed);
  canvas->Ellipse(2, 2, 17, 17);
  DrawCross(canvas, clWhite, 6, 12);
}

void DrawRetry(TCanvas* canvas) {
  SetPen(canvas, clGreen, 2);
  canvas->GetBrush()->SetStyle(bsClear);
  // Three quarters of a circle from the top round to the right, and the arrow's head.
  canvas->Arc(3, 4, 15, 16, 9, 4, 15, 10);
  SetPen(canvas, clGreen, 1);
  canvas->GetBrush()->SetColor(clGreen);
  const TPoint head[] = {Point(8, 1), Point(12, 4), Point(8, 7)};
  canvas->Polygon(head);
}

void DrawIgnore(TCanvas* canvas) {
  SetPen(canvas, clBlue, 2);
  const TPoint path[] = {Point(2, 13), Point(6, 7), Point(11, 7)};
  canvas->Polyline(path);
  SetPen(canvas, clBlue, 1);
  canvas->GetBrush()->SetColor(clBlue);
  const TPoint head[] = {Point(11, 3), Point(15, 7), Point(11, 11)};
  canvas->Polygon(head);
}

void DrawKindImage(TBitBtnKind kind, TCanvas* canvas) {
  switch (kind) {
    case bkOK:
    case bkYes: DrawCheck(canvas, 0, 0); break;
    case bkCancel: DrawCross(canvas, clRed, 4, 14); break;
    case bkHelp: DrawHelp(canvas); break;
    case bkNo: DrawNo(canvas); break;
    case bkClose: DrawClose(canvas); break;
    case bkAbort: DrawAbort(canvas); break;
    case bkRetry: DrawRetry(canvas); break;
    case bkIgnore: DrawIgnore(canvas); break;
    case bkAll:
      DrawCheck(canvas, -1, -2);
      DrawCheck(canvas, 1, 3);
      break;
    case bkCustom: break;
  }
}

}  // namespace

String BitBtnCaption(TBitBtnKind kind) { return KindInfo(kind).Caption; }

TModalResult BitBtnModalResult(TBitBtnKind kind) { return KindInfo(kind).ModalResult; }

void GetBitBtnGlyph(TBitBtnKind kind, TBitmap* glyph) {
  if (!glyph) return;
  if (kind == bkCustom) {
    glyph->Assign(nullptr);
    return;
  }
  TBitmap normal;
  normal.SetSize(GlyphCell, GlyphCell);
  TCanvas* canvas = normal.GetCanvas();
  canvas->GetBrush()->SetColor(GlyphKey);
  canvas->FillRect(Rect(0, 0, GlyphCell, GlyphCell));
  DrawKindImage(kind, canvas);
  TBitmap disabled;
  MakeDisabledGlyph(&normal, GlyphKey, &disabled);

  glyph->SetSize(GlyphCell * 2, GlyphCell);
  TCanvas* strip = glyph->GetCanvas();
  strip->GetBrush()->SetColor(GlyphKey);
  strip->FillRect(Rect(0, 0, GlyphCell * 2, GlyphCell));
  strip->Draw(0, 0, &normal);
  strip->Draw(GlyphCell, 0, &disabled);
}

// ---- TBitBtn --------------------------------------------------------------------------------------

TBitBtn::TBitBtn(TComponent* owner)
    : TButton(owner), FGlyph(std::make_unique<TButtonGlyph>()), FCanvas(std::make_unique<TCanvas>()) {
  FGlyph->OnChange = [this](TObject*) { GlyphChanged(); };
  SetControlStyle(GetControlStyle() + TControlStyle{csReflector});
}

TBitBtn::~TBitBtn() {
  Destroying();
  FGlyph->OnChange = nullptr;
}

void TBitBtn::GlyphChanged() { Invalidate(); }

void TBitBtn::SetGlyph(TBitmap* value) {
  FGlyph->SetGlyph(value);
  FModifiedGlyph = true;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(TNumGlyphs value) {
  if (value < 1) value = 1;
  if (value > 4) value = 4;
  if (value == FGlyph->GetNumGlyphs()) return;
  FGlyph->SetNumGlyphs(value);
  Invalidate();
}

TBitBtnKind TBitBtn::GetKind() {
  if (FKind != bkCustom) {
    const bool okOrYes = FKind == bkOK || FKind == bkYes;
    const bool cancelOrNo = FKind == bkCancel || FKind == bkNo;
    if (okOrYes != GetDefault() || cancelOrNo != GetCancel() ||
        GetModalResult() != BitBtnModalResult(FKind) || FModifiedGlyph)
      FKind = bkCustom;
  }
  return FKind;
}

void TBitBtn::SetKind(TBitBtnKind value) {
  if (value < bkCustom || value > bkAll || value == FKind) return;
  if (value != bkCustom) {
    SetDefault(value == bkOK || value == bkYes);
    SetCancel(value == bkCancel || value == bkNo);
    // A caption read from a layout before the kind stays.
    if (!GetComponentState().Contains(csLoading) || GetCaption().empty()) {
      const String caption = BitBtnCaption(value);
      if (!caption.empty()) SetCaption(caption);
    }
    SetModalResult(BitBtnModalResult(value));
    TBitmap glyph;
    GetBitBtnGlyph(value, &glyph);
    FGlyph->SetGlyph(&glyph);
    FGlyph->SetNumGlyphs(2);
    FModifiedGlyph = false;
  }
  FKind = value;
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TBitBtn::SetMargin(int value) {
  if (value == FMargin || value < -1) return;
  FMargin = value;
  Invalidate();
}

void TBitBtn::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TBitBtn::SetStyle(TButtonStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

bool TBitBtn::IsCustomCaption() {
  return FKind == bkCustom || GetCaption() != BitBtnCaption(FKind);
}

void TBitBtn::Click() {
  if (FKind == bkClose) {
    if (TCustomForm* form = GetParentForm(this)) {
      form->Close();
      return;
    }
  }
  inherited::Click();
}

void TBitBtn::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= BS_OWNERDRAW;
}

void TBitBtn::SetButtonStyle(bool isDefault) {
  if (isDefault == FIsFocused) return;
  FIsFocused = isDefault;
  Refresh();
}

void TBitBtn::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_DRAWITEM: CNDrawItem(message); break;
    case CN_MEASUREITEM: CNMeasureItem(message); break;
    // An owner-drawn button takes a double click as such; a bitmap button clicks again.
    case WM_LBUTTONDBLCLK:
      message.Result = Perform(WM_LBUTTONDOWN, message.WParam, message.LParam);
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(message);
      Invalidate();
      break;
    default: inherited::Dispatch(message);
  }
}

void TBitBtn::CNMeasureItem(TMessage& message) {
  if (auto* item = TWMMeasureItem(message).GetMeasureItemStruct()) {
    item->itemWidth = static_cast<UINT>(GetWidth());
    item->itemHeight = static_cast<UINT>(GetHeight());
  }
  message.Result = TRUE;
}

void TBitBtn::CNDrawItem(TMessage& message) {
  if (const DRAWITEMSTRUCT* item = TWMDrawItem(message).GetDrawItemStruct()) DrawItem(*item);
  message.Result = TRUE;
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
  // Gives the DC back to its owner also when the drawing throws.
  struct TCanvasHandleScope {
    TCanvas* Canvas;
    ~TCanvasHandleScope() { Canvas->SetHandle(nullptr); }
  } scope{FCanvas.get()};
  FCanvas->SetHandle(item.hDC);
  FCanvas->SetFont(GetFont());

  const bool isDown = (item.itemState & ODS_SELECTED) != 0;
  const bool isDefault = (item.itemState & ODS_FOCUS) != 0;
  TButtonState state = bsUp;
  if (!GetEnabled())
    state = bsDisabled;
  else if (isDown)
    state = bsDown;

  TRect r = GetClientRect();
  UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
  if (isDown) flags |= DFCS_PUSHED;
  if (item.itemState & ODS_DISABLED) flags |= DFCS_INACTIVE;
  // The frame of the default button: a dark line around the face.
  if (FIsFocused || isDefault) {
    FCanvas->GetPen()->SetColor(clWindowFrame);
    FCanvas->GetPen()->SetWidth(1);
    FCanvas->GetBrush()->SetStyle(bsClear);
    FCanvas->Rectangle(r);
    InflateRect(r, -1, -1);
  }
  if (isDown) {
    // A pressed face: a flat shadow line rather than the system's pushed look.
    FCanvas->GetPen()->SetColor(clBtnShadow);
    FCanvas->GetPen()->SetWidth(1);
    FCanvas->GetBrush()->SetColor(clBtnFace);
    FCanvas->Rectangle(r);
    InflateRect(r, -1, -1);
  } else {
    RECT face = r;
    ::DrawFrameControl(FCanvas->GetHandle(), &face, DFC_BUTTON, flags);
    r = face;  // the face inside the frame
  }
  if (FIsFocused) {
    r = GetClientRect();
    InflateRect(r, -1, -1);
  }
  FCanvas->SetFont(GetFont());
  if (isDown) OffsetRect(r, 1, 1);
  FGlyph->Draw(FCanvas.get(), r, TPoint(0, 0), GetCaption(), FLayout, FMargin, FSpacing, state,
               false, DrawTextBiDiModeFlags(0));
  if (FIsFocused && isDefault) {
    TRect focus = GetClientRect();
    InflateRect(focus, -4, -4);
    FCanvas->GetPen()->SetColor(clWindowFrame);
    FCanvas->GetBrush()->SetColor(clBtnFace);
    FCanvas->DrawFocusRect(focus);
  }
}

const TPropertyTable* TBitBtn::PublishedProperties() {
  using P = TPublish<TBitBtn>;
  using C = TBitBtn;
  static const TPropertyTable table{
      P::Boolean(L"Cancel", &C::GetCancel, &C::SetCancel).Default(false).Stored(&C::IsCustom),
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption).Stored(&C::IsCustomCaption),
      P::Boolean(L"Default", &C::GetDefault, &C::SetDefault).Default(false).Stored(&C::IsCustom),
      P::Persistent(L"Glyph", &C::GetGlyph, &C::SetGlyph).Stored(&C::IsCustom),
      P::Enum(L"Kind", BitBtnKindIdents, &C::GetKind, &C::SetKind).Default(bkCustom),
      P::Enum(L"Layout", ButtonLayoutIdents, &C::GetLayout, &C::SetLayout).Default(blGlyphLeft),
      P::Integer(L"Margin", &C::GetMargin, &C::SetMargin).Default(-1),
      P::Integer(L"ModalResult", &C::GetModalResult, &C::SetModalResult)
          .Default(mrNone)
          .Stored(&C::IsCustom),
      P::Integer(L"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1).Stored(&C::IsCustom),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(4),
      P::Enum(L"Style", ButtonStyleIdents, &C::GetStyle, &C::SetStyle).Default(bsAutoDetect),
  };
  return &table;
}
