#include "RxCalc.h"

#include "RxUtils.h"
#include "StrUtils.h"
#include "classlib/stdctrls/Clipboard.h"

using namespace StrUtils;

namespace {

struct KeyPlace {
  int dialogLeft, dialogTop;  // -1: no key in that layout
  int popupLeft, popupTop;
};

// Positions of kinds 1..28.
const KeyPlace Places[29] = {
    {-1, -1, -1, -1},
    {47, 104, 6, 75},  {47, 80, 6, 52},   {85, 80, 29, 52},  {123, 80, 52, 52},  // 0..3
    {47, 56, 6, 29},   {85, 56, 29, 29},  {123, 56, 52, 29}, {47, 32, 6, 6},     // 4..7
    {85, 32, 29, 6},   {123, 32, 52, 6},                                          // 8, 9
    {85, 104, 52, 75}, {123, 104, 29, 75},                                        // sign, point
    {161, 32, 75, 6},  {161, 56, 75, 29}, {161, 80, 75, 52}, {161, 104, 75, 75},  // / * - +
    {199, 32, -1, -1}, {199, 56, -1, -1}, {199, 80, -1, -1},                      // sqrt % 1/x
    {199, 104, 52, 98},                                                           // =
    {145, 6, 29, 98},  {191, 6, 6, 98},                                           // <- C
    {5, 104, -1, -1},  {5, 80, -1, -1},   {5, 56, -1, -1},   {5, 32, -1, -1},     // MP MS MR MC
    {47, 6, -1, -1},   {85, 6, -1, -1},                                           // OK Cancel
};

const wchar_t* const KeyChars = L"0123456789_./*-+Q%R=\bC";

String Caption(int kind) {
  if (kind >= 1 && kind <= 10) return String(1, static_cast<wchar_t>(L'0' + kind - 1));
  switch (kind) {
    case 11: return L"\u00B1";
    case 12: return String(1, FormatSettings.DecimalSeparator);
    case 13: return L"/";
    case 14: return L"*";
    case 15: return L"-";
    case 16: return L"+";
    case 17: return L"sqrt";
    case 18: return L"%";
    case 19: return L"1/x";
    case 20: return L"=";
    case 21: return L"<-";
    case 22: return L"C";
    case 23: return L"MP";
    case 24: return L"MS";
    case 25: return L"MR";
    case 26: return L"MC";
  }
  return String();
}

// The cell of "CALCBTNS" a dialog key shows instead of its caption; -1 for none.
int GlyphCell(int kind) {
  switch (kind) {
    case 11: return 2;
    case 14: return 3;
    case 15: return 4;
    case 16: return 5;
    case 27: return 1;
    case 28: return 0;
  }
  return -1;
}

}  // namespace

// ---- TCalcButton ----------------------------------------------------------------------------

TCalcButton::TCalcButton(TComponent* owner, int kind) : TRxSpeedButton(owner), FKind(kind) {
  SetTag(kind >= 1 && kind <= 22 ? kind - 1 : -1);
  SetStyle(bsNew);
  SetCaption(Caption(kind));
  GetFont()->SetColor(KeyColor());
  SetParentFont(true);  // the colour alone does not part it from its parent's font
}

TColor TCalcButton::KeyColor() const {
  if (FKind == 17 || FKind == 18 || FKind == 19 || (FKind >= 23 && FKind <= 26)) return clNavy;
  if ((FKind >= 13 && FKind <= 16) || FKind == 20) return clPurple;
  if (FKind == 21 || FKind == 22) return clMaroon;
  return clBtnText;
}

void TCalcButton::CMParentFontChanged(TMessage& message) {
  if (!GetParentFont()) return;
  const TFont* source = message.WParam != 0 && message.LParam != 0
                            ? reinterpret_cast<const TFont*>(message.LParam)
                            : GetParent() ? GetParent()->GetFont() : nullptr;
  if (!source) return;
  // The parent's font in the key's colour, taken as the parent's font: the key follows the
  // next change of it too.
  TFont font;
  font.Assign(const_cast<TFont*>(source));
  font.SetColor(KeyColor());
  TMessage own = message;
  own.WParam = 1;
  own.LParam = reinterpret_cast<LPARAM>(&font);
  inherited::CMParentFontChanged(own);
}

// ---- TCalculatorPanel -------------------------------------------------------------------------

TCalculatorPanel::TCalculatorPanel(TComponent* owner, TCalcPanelLayout layout)
    : TCustomPanel(owner), FLayout(layout) {
  if (layout == clPopup) SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
  SetParentColor(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, layout == clDialog ? 240 : 98, layout == clDialog ? 129 : 124);
  SetDefaultFont(GetFont());
  GetFont()->SetStyle(TFontStyles{fsBold});
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  SetCaption(String());
  SetParentColor(true);
  SetParentCtl3D(true);
  for (int kind = 1; kind <= 28; ++kind) {
    const KeyPlace& place = Places[kind];
    const int left = layout == clDialog ? place.dialogLeft : place.popupLeft;
    const int top = layout == clDialog ? place.dialogTop : place.popupTop;
    if (left < 0) continue;
    auto* key = new TCalcButton(this, kind);
    int width = layout == clDialog ? 36 : 21, height = layout == clDialog ? 22 : 21;
    if (layout == clDialog && (kind == 21 || kind == 22)) width = 44;
    if (layout == clPopup && kind == 20) width = 44;
    key->SetBounds(left, top, width, height);
    if (layout == clDialog && GlyphCell(kind) >= 0) {
      TBitmap strip, cell;
      strip.LoadFromResourceName(::GetModuleHandleW(nullptr), L"CALCBTNS");
      AssignBitmapCell(&strip, &cell, 6, 1, GlyphCell(kind));
      key->SetCaption(String());
      key->SetGlyph(&cell);
    }
    key->SetOnClick([this, key](TObject*) { KeyClick(key); });
    key->SetParent(this);
  }
  if (layout == clDialog) {
    auto* memoryPanel = FMemoryPanel = new TCustomPanel(this);
    memoryPanel->SetBounds(6, 7, 34, 20);
    memoryPanel->SetBevelOuter(bvNone);
    memoryPanel->SetBevelInner(bvLowered);
    memoryPanel->SetCaption(String());
    memoryPanel->SetParent(this);
    FMemoryLabel = new TLabel(this);
    FMemoryLabel->SetAutoSize(false);
    FMemoryLabel->SetBounds(3, 3, 26, 14);
    FMemoryLabel->SetAlignment(taCenter);
    FMemoryLabel->SetParent(memoryPanel);
    FMemoryLabel->GetFont()->SetStyle(TFontStyles{});  // the panel's font, not bold
  }
  FEngine.OnTextChange = [this] { DisplayTextChanged(); };
  FEngine.OnDisplayChange = [this] {
    if (OnDisplayChange) OnDisplayChange(this);
  };
  FEngine.OnResult = [this] {
    if (OnResult) OnResult(this);
  };
  FEngine.OnError = [this] {
    if (OnError) OnError(this);
  };
  FEngine.OnKey = [this](wchar_t& key) {
    if (OnKey) OnKey(this, key);
  };
}

void TCalculatorPanel::SetDisplayControl(TControl* value) {
  if (value == FDisplayControl) return;
  if (FDisplayControl) FDisplayControl->RemoveFreeNotification(this);
  FDisplayControl = value;
  if (!value) return;
  value->FreeNotification(this);
  value->SetText(FEngine.GetText());
}

void TCalculatorPanel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FDisplayControl) FDisplayControl = nullptr;
}

void TCalculatorPanel::CMCtl3DChanged(TMessage& message) {
  inherited::CMCtl3DChanged(message);
  const bool ctl3D = GetCtl3D();
  for (int i = 0; i < GetControlCount(); ++i)
    if (auto* key = dynamic_cast<TCalcButton*>(GetControl(i))) key->SetStyle(ctl3D ? bsNew : bsWin31);
  if (FMemoryPanel) {
    FMemoryPanel->SetBevelInner(ctl3D ? bvLowered : bvNone);
    FMemoryPanel->SetBorderStyle(ctl3D ? bsNone : bsSingle);
  }
}

void TCalculatorPanel::DisplayTextChanged() {
  if (FDisplayControl) FDisplayControl->SetText(FEngine.GetText());
  if (OnTextChange) OnTextChange(this);
}

TCalcButton* TCalculatorPanel::KeyOfKind(int kind) {
  for (int i = 0; i < GetControlCount(); ++i)
    if (auto* key = dynamic_cast<TCalcButton*>(GetControl(i)); key && key->GetKind() == kind)
      return key;
  return nullptr;
}

TCalcButton* TCalculatorPanel::FindKey(wchar_t ch) {
  const wchar_t* at = ch ? std::wcschr(KeyChars, ch) : nullptr;
  return at ? KeyOfKind(static_cast<int>(at - KeyChars) + 1) : nullptr;
}

void TCalculatorPanel::KeyClick(TCalcButton* key) {
  const int kind = key->GetKind();
  if (kind >= 1 && kind <= 22) {
    FEngine.ProcessKey(KeyChars[kind - 1]);
    return;
  }
  switch (kind) {
    case 23: FEngine.MemoryAdd(); break;
    case 24: FEngine.MemoryStore(); break;
    case 25: FEngine.MemoryRecall(); break;
    case 26: FEngine.MemoryClear(); break;
    case 27:
      if (FEngine.GetStatus() == csError) {
        if (FEngine.GetBeepOnError()) ::MessageBeep(0);
      } else {
        FEngine.Display(FEngine.DisplayValue());
        if (OnOk) OnOk(this);
      }
      break;
    case 28:
      if (OnCancel) OnCancel(this);
      break;
  }
  UpdateMemoryLabel();
}

String TCalculatorPanel::GetMemoryText() const { return FEngine.GetMemory() != 0 ? L"M" : L""; }

void TCalculatorPanel::UpdateMemoryLabel() {
  if (FMemoryLabel) FMemoryLabel->SetCaption(GetMemoryText());
}

void TCalculatorPanel::CalcKeyPress(wchar_t key) {
  if (key == 3) return Copy();
  if (key == 22) return Paste();
  if (key == L',' || key == L'.' || key == FormatSettings.DecimalSeparator) key = L'.';
  else if (key == 13) key = L'=';
  else if (key == 27) key = L'C';
  if (key >= L'a' && key <= L'z') key = static_cast<wchar_t>(key - 32);
  if (TCalcButton* button = FindKey(key)) {
    button->ButtonClick();
  } else {
    FEngine.ProcessKey(key);
  }
}

void TCalculatorPanel::Copy() { Clipboard()->SetAsText(FEngine.GetText()); }

void TCalculatorPanel::Paste() {
  if (!Clipboard()->HasFormat(CF_UNICODETEXT)) return;
  const String text = Trim(ReplaceAll(Clipboard()->GetAsText(), FormatSettings.CurrencyString, L""));
  double value = 0;
  if (TryStrToFloat(text, value))
    FEngine.Display(value);
  else
    FEngine.SetText(L"0");
}

// ---- TLocCalculator / TPopupCalculator ----------------------------------------------------------

TLocCalculator::TLocCalculator(TComponent* owner) : TCalculatorPanel(owner, clPopup) {
  SetControlStyle(GetControlStyle() + TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks});
  SetEnabled(false);
  SetTabStop(false);
}

void TLocCalculator::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style &= ~(WS_DISABLED | WS_TABSTOP);
}

void TLocCalculator::CreateWnd() {
  inherited::CreateWnd();
  EnableWindowForMouse(this);
}

void TLocCalculator::Dispatch(TMessage& message) {
  inherited::Dispatch(message);
  if (message.Msg == CM_ENABLEDCHANGED) EnableWindowForMouse(this);
}

TPopupCalculator::TPopupCalculator(TWinControl* owner) : TPopupWindow(owner) {
  SetBounds(0, 0, 104, 127);
  SetColor(clBtnFace);
  SetDefaultFont(GetFont());
  GetFont()->SetStyle(TFontStyles{fsBold});
  FCalculator = new TLocCalculator(this);
  FCalculator->SetAlign(alClient);
  FCalculator->SetBevelOuter(bvRaised);
  FCalculator->Engine().SetPrecision(15);
  FCalculator->OnTextChange = [this](TObject*) { RepaintEditorText(); };
  FCalculator->OnResult = [this](TObject*) {
    if (FCalculator->Engine().GetStatus() != csError) {
      FCalculator->Engine().Display(FCalculator->Engine().DisplayValue());
      FinishSelection(true);
    }
  };
  FCalculator->SetParent(this);
}

void TPopupCalculator::PopupKeyPress(wchar_t key) { FCalculator->CalcKeyPress(key); }

void TPopupCalculator::GetChosenValue(Variant& value) {
  TCalcEngine& engine = FCalculator->Engine();
  if (engine.GetStatus() == csError) {
    if (engine.GetBeepOnError()) ::MessageBeep(0);
    value = Variant(0.0);
    return;
  }
  engine.Display(engine.DisplayValue());
  value = Variant(engine.DisplayValue());
}

void TPopupCalculator::SetStartValue(const Variant& value) {
  TCalcEngine& engine = FCalculator->Engine();
  double start = 0;
  if (!value.IsNull() && !value.IsEmpty()) {
    const String text = TrimBlanks(VarToStr(value));
    if (!TryStrToFloat(text, start)) start = 0;
  }
  engine.SetStartValue(start);
}

String TPopupCalculator::GetDisplayValueText() { return FCalculator->Engine().GetText(); }

void ConfigureCalculatorPopup(TPopupWindow* popup, int precision, bool beepOnError) {
  auto* calculator = dynamic_cast<TPopupCalculator*>(popup);
  if (!calculator || !calculator->GetCalculator()) return;
  calculator->GetCalculator()->Engine().SetPrecision(precision < 2 ? 2 : precision);
  calculator->GetCalculator()->Engine().SetBeepOnError(beepOnError);
}
