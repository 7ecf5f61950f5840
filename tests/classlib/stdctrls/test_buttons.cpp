// Push buttons and bitmap buttons: clicks by mouse, Enter, Escape and accelerators, the
// modal result they give their form, the standard kinds, and how a bitmap button lays out
// and draws its glyph.
#include <gtest/gtest.h>

#include "ButtonsTestSupport.h"
#include "DialogTestSupport.h"
#include "classlib/controls/ActnList.h"
#include "classlib/stdctrls/BitBtn.h"
#include "classlib/stdctrls/Buttons.h"
#include "classlib/stdctrls/CheckBoxes.h"

using namespace button_tests;

namespace {

class ButtonTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  object CheckBox1: TCheckBox\n    Left = 8\n    Top = 8\n    Caption = 'Sound'\n  end\n"
        L"  object OkButton: TButton\n    Left = 8\n    Top = 40\n    Caption = '&OK'\n"
        L"    Default = True\n    ModalResult = 1\n    OnClick = ControlClick\n  end\n"
        L"  object CancelButton: TButton\n    Left = 100\n    Top = 40\n    Caption = 'Cancel'\n"
        L"    Cancel = True\n    ModalResult = 2\n    OnClick = ControlClick\n  end\n"
        L"  object OtherButton: TButton\n    Left = 200\n    Top = 40\n    Caption = 'Other'\n"
        L"    OnClick = ControlClick\n  end\n"
        L"end\n");
    Check = Find<TCheckBox>(L"CheckBox1");
    Ok = Find<TButton>(L"OkButton");
    Cancel = Find<TButton>(L"CancelButton");
    Other = Find<TButton>(L"OtherButton");
    ShowForm();
  }
  LONG ButtonType(TButton* button) { return ::GetWindowLongW(button->GetHandle(), GWL_STYLE) & 0x0F; }

  TCheckBox* Check = nullptr;
  TButton* Ok = nullptr;
  TButton* Cancel = nullptr;
  TButton* Other = nullptr;
};

TEST_F(ButtonTest, AMouseClickRunsOnClickOnceAndSetsTheFormsModalResult) {
  ASSERT_TRUE(Check && Ok && Cancel && Other);
  ClickControl(Cancel);
  EXPECT_EQ(Form->ClicksOf(Cancel), 1);
  EXPECT_EQ(Form->GetModalResult(), mrCancel);
  EXPECT_TRUE(Cancel->Focused());  // the press focused it first

  // A release away from the button does not click it.
  Form->SetModalResult(mrNone);
  ::PostMessageW(Other->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  ::PostMessageW(Other->GetHandle(), WM_LBUTTONUP, 0, At(500, 500));
  Pump();
  EXPECT_EQ(Form->ClicksOf(Other), 0);
  ClickControl(Other);
  EXPECT_EQ(Form->ClicksOf(Other), 1);
  EXPECT_EQ(Form->GetModalResult(), mrNone);

  // A disabled button takes no click.
  Ok->SetEnabled(false);
  ClickControl(Ok);
  EXPECT_EQ(Form->ClicksOf(Ok), 0);
}

TEST_F(ButtonTest, EnterClicksTheDefaultButtonOrTheFocusedOneAndEscapeTheCancelButton) {
  Check->SetFocus();
  ASSERT_TRUE(Check->Focused());
  EXPECT_EQ(ButtonType(Ok), BS_DEFPUSHBUTTON);
  PressKey(VK_RETURN);
  EXPECT_EQ(Form->ClicksOf(Ok), 1);
  EXPECT_EQ(Form->GetModalResult(), mrOk);

  PressKey(VK_ESCAPE);
  EXPECT_EQ(Form->ClicksOf(Cancel), 1);
  EXPECT_EQ(Form->GetModalResult(), mrCancel);

  // With another button focused, Enter clicks that one, which now looks the default.
  Other->SetFocus();
  EXPECT_EQ(ButtonType(Ok), BS_PUSHBUTTON);
  EXPECT_EQ(ButtonType(Other), BS_DEFPUSHBUTTON);
  PressKey(VK_RETURN);
  EXPECT_EQ(Form->ClicksOf(Other), 1);
  EXPECT_EQ(Form->ClicksOf(Ok), 1);

  // No default button: Enter on the check box clicks nothing.
  Check->SetFocus();
  Ok->SetDefault(false);
  EXPECT_FALSE(Ok->GetActive());
  PressKey(VK_RETURN);
  EXPECT_EQ(Form->ClicksOf(Ok), 1);
}

TEST_F(ButtonTest, TheAcceleratorClicksAndSpaceOnTheFocusedButtonClicks) {
  Check->SetFocus();
  PressAltChar(L'o');
  EXPECT_EQ(Form->ClicksOf(Ok), 1);
  PressAltChar(L'z');  // nobody's accelerator
  EXPECT_EQ(Form->ClicksOf(Ok) + Form->ClicksOf(Cancel) + Form->ClicksOf(Other), 1);

  Other->SetFocus();
  PressKey(VK_SPACE);
  EXPECT_EQ(Form->ClicksOf(Other), 1);
}

TEST_F(ButtonTest, ClickingAButtonEndsShowModalWithItsModalResult) {
  Form->Hide();
  Pump();
  dialog_tests::TDialogDriver click({[this] {
    ClickControl(Ok);
    return true;
  }});
  EXPECT_EQ(Form->ShowModal(), mrOk);
  EXPECT_EQ(Form->ClicksOf(Ok), 1);
}

// A linked button's window shows the action's later caption and state, and a click runs the
// action; a caption of the button's own outlives later changes of the action.
TEST_F(ButtonTest, ALinkedButtonFollowsTheActionsLaterChanges) {
  const auto windowText = [this] {
    wchar_t text[32] = {};
    ::GetWindowTextW(Other->GetHandle(), text, 32);
    return String(text);
  };
  auto* action = new TAction(Form);
  int executed = 0;
  action->OnExecute = [&](TObject*) { ++executed; };
  action->SetCaption(L"保存(&S)");
  Other->SetAction(action);
  EXPECT_EQ(windowText(), L"保存(&S)");
  action->SetCaption(L"另存(&A)");
  action->SetEnabled(false);
  EXPECT_EQ(windowText(), L"另存(&A)");
  EXPECT_FALSE(::IsWindowEnabled(Other->GetHandle()));
  action->SetEnabled(true);
  EXPECT_TRUE(::IsWindowEnabled(Other->GetHandle()));
  ClickControl(Other);
  EXPECT_EQ(executed, 1);

  Other->SetCaption(L"我的");
  action->SetImageIndex(1);
  action->SetHint(L"保存答卷");
  action->SetVisible(false);
  EXPECT_EQ(windowText(), L"我的");
  EXPECT_EQ(Other->GetHint(), L"保存答卷");
  EXPECT_FALSE(::IsWindowVisible(Other->GetHandle()));
  delete action;
  EXPECT_EQ(Other->GetAction(), nullptr);
  EXPECT_EQ(windowText(), L"我的");
}

// ---- Bitmap buttons ------------------------------------------------------------------------------

TEST(BitBtnKinds, AKindSetsCaptionModalResultDefaultCancelAndGlyphAndBadValuesAreClamped) {
  struct {
    TBitBtnKind Kind;
    const wchar_t* Caption;
    TModalResult Result;
    bool Default, Cancel;
  } const table[] = {{bkOK, L"OK", mrOk, true, false},
                     {bkNo, L"&No", mrNo, false, true},
                     {bkClose, L"&Close", mrNone, false, false}};
  TBitBtn button(nullptr);
  for (const auto& e : table) {
    button.SetKind(e.Kind);
    EXPECT_EQ(button.GetCaption(), e.Caption);
    EXPECT_EQ(button.GetModalResult(), e.Result) << StringToUtf8(e.Caption);
    EXPECT_EQ(button.GetDefault(), e.Default) << StringToUtf8(e.Caption);
    EXPECT_EQ(button.GetCancel(), e.Cancel) << StringToUtf8(e.Caption);
    EXPECT_EQ(TSize(button.GetGlyph()->GetWidth(), button.GetGlyph()->GetHeight()), TSize(36, 18));
  }
  // Changing what the kind set makes the button custom; its look stays.
  button.SetKind(bkOK);
  button.SetModalResult(mrNone);
  EXPECT_EQ(button.GetKind(), bkCustom);
  EXPECT_EQ(button.GetCaption(), L"OK");
  // Out-of-range kinds and glyph counts are refused or clamped.
  button.SetKind(static_cast<TBitBtnKind>(42));
  EXPECT_EQ(button.GetKind(), bkCustom);
  button.SetNumGlyphs(-3);
  EXPECT_EQ(button.GetNumGlyphs(), 1);
  button.SetNumGlyphs(99);
  EXPECT_EQ(button.GetNumGlyphs(), 4);
  button.SetMargin(-7);
  EXPECT_EQ(button.GetMargin(), -1);
}

class BitBtnTest : public FormTest {};

TEST_F(BitBtnTest, KindFromALayoutKeepsAReadCaptionAndIsWrittenWithoutItsDefaults) {
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object BitBtn1: TBitBtn\n    Left = 8\n    Top = 8\n"
      L"    Caption = #30830#23450\n"  // a caption of the program's own
      L"    Kind = bkOK\n    OnClick = ControlClick\n  end\n"
      L"  object BitBtn2: TBitBtn\n    Left = 100\n    Top = 8\n    Kind = bkCancel\n  end\n"
      L"end\n");
  auto* ok = Find<TBitBtn>(L"BitBtn1");
  auto* cancel = Find<TBitBtn>(L"BitBtn2");
  ASSERT_TRUE(ok && cancel);
  EXPECT_EQ(ok->GetCaption(), L"确定");
  EXPECT_EQ(cancel->GetCaption(), L"Cancel");

  const std::string text = StringToUtf8(ComponentToText(Form));
  EXPECT_NE(text.find("Kind = bkOK"), std::string::npos) << text;
  EXPECT_EQ(text.find("ModalResult"), std::string::npos);
  EXPECT_EQ(text.find("Glyph.Data"), std::string::npos);
  EXPECT_EQ(text.find("Caption = 'Cancel'"), std::string::npos);  // the kind's own caption

  ShowForm();
  ok->SetFocus();
  PressKey(VK_RETURN);
  EXPECT_EQ(Form->ClicksOf(ok), 1);
  EXPECT_EQ(Form->GetModalResult(), mrOk);
}

TEST_F(BitBtnTest, CloseKindClosesTheFormInsteadOfRunningOnClick) {
  auto* button = new TBitBtn(Form);
  button->SetParent(Form);
  button->SetKind(bkClose);
  button->SetOnClick([this](TObject* sender) { Form->ControlClick(sender); });
  ShowForm();
  bool closed = false;
  Form->SetOnClose([&closed](TObject*, TCloseAction& action) {
    closed = true;
    action = caHide;
  });
  ClickControl(button);
  EXPECT_TRUE(closed);
  EXPECT_EQ(Form->ClicksOf(button), 0);
  EXPECT_FALSE(Form->GetVisible());
}

TEST(ButtonLayout, GlyphAndCaptionArePlacedByLayoutMarginAndSpacing) {
  const TRect face = Rect(0, 0, 100, 40);
  const TSize glyph(18, 18);
  const TSize text(30, 12);
  // Centred pair: margin (100 - 18 - 4 - 30 + 1) div 2 = 24.
  TButtonFaceLayout r = CalcButtonLayout(face, TPoint(0, 0), glyph, text, blGlyphLeft, -1, 4, false);
  EXPECT_EQ(r.GlyphPos, TPoint(24, 11));
  EXPECT_EQ(r.TextBounds, Bounds(46, 14, 30, 12));
  // The glyph on the right, a margin of 5, pressed (moved one pixel).
  r = CalcButtonLayout(face, TPoint(1, 1), glyph, text, blGlyphRight, 5, 4, false);
  EXPECT_EQ(r.GlyphPos, TPoint(78, 12));
  EXPECT_EQ(r.TextBounds, Bounds(44, 15, 30, 12));
  // Glyph on top, both centred across; spacing -1 shares the rest.
  r = CalcButtonLayout(Rect(0, 0, 60, 60), TPoint(0, 0), glyph, text, blGlyphTop, 2, -1, false);
  EXPECT_EQ(r.GlyphPos, TPoint(21, 2));
  EXPECT_EQ(r.TextBounds, Bounds(15, 2 + 18 + 14, 30, 12));
  // Right-to-left reading puts a left glyph on the right.
  r = CalcButtonLayout(face, TPoint(0, 0), glyph, text, blGlyphLeft, 5, 4, true);
  EXPECT_EQ(r.GlyphPos.X, 100 - 5 - 18);
  // Without a caption there is no spacing: the glyph alone is centred.
  r = CalcButtonLayout(face, TPoint(0, 0), glyph, TSize(), blGlyphLeft, -1, 4, false);
  EXPECT_EQ(r.GlyphPos, TPoint(41, 11));
}

TEST_F(BitBtnTest, DrawsTheKindsGlyphAndADisabledLookWithoutItsColour) {
  auto* button = new TBitBtn(Form);
  button->SetParent(Form);
  button->SetBounds(0, 0, 80, 30);
  button->SetKind(bkOK);
  button->SetCaption(L"");  // the glyph alone, centred
  ShowForm();

  auto drawInto = [button](MemorySurface& surface, UINT itemState) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = button->GetHandle();
    item.hDC = surface.DC();
    item.rcItem = Rect(0, 0, 80, 30);
    button->Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    ::GdiFlush();
  };
  // The face takes 2 pixels of frame; the glyph is centred in what is left.
  MemorySurface up(80, 30, clRed);
  drawInto(up, 0);
  const TRect glyphArea = Bounds(31, 6, 18, 18);
  EXPECT_GT(up.CountOf(clGreen, glyphArea), 5);
  EXPECT_EQ(up.CountOf(clOlive, Rect(0, 0, 80, 30)), 0);  // the key colour is never drawn
  EXPECT_EQ(up.CountOf(clRed, Rect(0, 0, 80, 30)), 0);    // the whole face is painted

  button->SetEnabled(false);
  MemorySurface disabled(80, 30, clRed);
  drawInto(disabled, ODS_DISABLED);
  EXPECT_EQ(disabled.CountOf(clGreen, Rect(0, 0, 80, 30)), 0);
  EXPECT_GT(disabled.CountOf(Rgb(clBtnShadow), glyphArea), 5);
}

TEST(DisabledGlyph, DarkPixelsBecomeAnEtchedSilhouetteAndLightOnesVanish) {
  TBitmap source;
  source.SetSize(6, 4);
  TCanvas* canvas = source.GetCanvas();
  canvas->GetBrush()->SetColor(clOlive);
  canvas->FillRect(Rect(0, 0, 6, 4));
  canvas->SetPixels(1, 1, clNavy);   // dark
  canvas->SetPixels(4, 1, clWhite);  // light
  TBitmap result;
  MakeDisabledGlyph(&source, clOlive, &result);
  TCanvas* out = result.GetCanvas();
  EXPECT_EQ(out->GetPixels(1, 1), Rgb(clBtnShadow));
  EXPECT_EQ(out->GetPixels(2, 2), Rgb(clBtnHighlight));
  EXPECT_EQ(out->GetPixels(4, 1), result.GetTransparentColor());
  EXPECT_EQ(out->GetPixels(0, 0), result.GetTransparentColor());
  EXPECT_TRUE(result.GetTransparent());
}

}  // namespace
