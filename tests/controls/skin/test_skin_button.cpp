// The library's push button, label and speed container as real windows: clicks by mouse,
// Space, Enter, Escape and the accelerator, and the presses that must not click; a modal
// form ended by a bkOK button; an OnClick that frees its form; glyph strips of odd widths;
// label sizing; layout round trips with Chinese text; leak probes; screenshots.
#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/StdCtrlsRegistration.h"
#include "controls/skin/SkinButton.h"
#include "controls/skin/SkinDrawing.h"
#include "controls/skin/SkinLabel.h"
#include "tests/classlib/controls/ControlTestSupport.h"
#include "tests/classlib/stdctrls/DialogTestSupport.h"

using namespace skin_tests;

namespace {

TEST(SkinButtonGlyph, FrameIndexStaysWithinTheStrip) {
  EXPECT_EQ(ButtonGlyphFrame(1, false, true), 0);
  EXPECT_EQ(ButtonGlyphFrame(2, false, true), 1);
  EXPECT_EQ(ButtonGlyphFrame(3, true, true), 2);
  EXPECT_EQ(ButtonGlyphFrame(3, false, true), 2);  // 3 would be past the strip
  EXPECT_EQ(ButtonGlyphFrame(4, false, true), 3);
  EXPECT_EQ(ButtonGlyphFrame(0, false, true), 0);  // a bad count is taken as 1
  EXPECT_EQ(ButtonGlyphFrame(9, false, false), 1);
}

class SkinButtonTest : public SkinFormTest {
 protected:
  void SetUp() override {
    RegisterStdCtrlsClasses();
    SkinFormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  object Edit: TEdit\n    Left = 8\n    Top = 8\n  end\n"
        L"  object Ok: TSeCustomButton\n    Left = 8\n    Top = 40\n    Kind = bkOK\n"
        L"    Caption = '确定'\n    OnClick = ControlClick\n  end\n"
        L"  object Quit: TSeCustomButton\n    Left = 96\n    Top = 40\n    Cancel = True\n"
        L"    Caption = '取消(&Q)'\n    OnClick = ControlClick\n  end\n"
        L"  object Plain: TSeCustomButton\n    Left = 184\n    Top = 40\n    Width = 100\n"
        L"    Caption = '普通'\n    OnClick = ControlClick\n  end\n"
        L"  object Caption1: TSeCustomLabel\n    Left = 8\n    Top = 80\n"
        L"    Caption = '姓名(&N)'\n    FocusControl = Edit\n  end\n"
        L"end\n");
    Ok = Find<TSeCustomButton>(L"Ok");
    Quit = Find<TSeCustomButton>(L"Quit");
    Plain = Find<TSeCustomButton>(L"Plain");
    Edit = Find<TEdit>(L"Edit");
    Label = Find<TSeCustomLabel>(L"Caption1");
    ShowForm();
  }
  void Post(TWinControl* control, UINT msg, int x, int y) {
    ::PostMessageW(control->GetHandle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, At(x, y));
    Pump();
  }
  TSeCustomButton* Ok = nullptr;
  TSeCustomButton* Quit = nullptr;
  TSeCustomButton* Plain = nullptr;
  TEdit* Edit = nullptr;
  TSeCustomLabel* Label = nullptr;
};

TEST_F(SkinButtonTest, PressesThatMustNotClickAndTheOnesThatMust) {
  EXPECT_EQ(Ok->GetCaption(), L"确定");  // a stored caption beats the kind's
  EXPECT_EQ(Ok->GetModalResult(), mrOk);
  EXPECT_TRUE(Ok->GetDefault());
  EXPECT_EQ(Ok->GetNumGlyphs(), 2);
  // Pressed, dragged out (drawn raised), released outside: no click.
  Post(Plain, WM_LBUTTONDOWN, 10, 10);
  EXPECT_EQ(Plain->GetState(), vbsPressed);
  Post(Plain, WM_MOUSEMOVE, 150, 10);
  EXPECT_EQ(Plain->GetState(), vbsNormal);
  Post(Plain, WM_LBUTTONUP, 150, 10);
  EXPECT_EQ(Form->ClicksOf(Plain), 0);
  EXPECT_EQ(CaptureDepth(), 0);
  ClickControl(Plain);
  EXPECT_EQ(Form->ClicksOf(Plain), 1);
  // Space pressed elsewhere and released on the button: nothing; pressed on it: one click.
  Edit->SetFocus();
  Pump();
  ::PostMessageW(Edit->GetHandle(), WM_KEYDOWN, VK_SPACE, KeyData(VK_SPACE, false));
  Pump();
  Plain->SetFocus();
  Pump();
  ::PostMessageW(Plain->GetHandle(), WM_KEYUP, VK_SPACE, KeyData(VK_SPACE, true));
  Pump();
  EXPECT_EQ(Form->ClicksOf(Plain), 1);
  PressKey(VK_SPACE);
  EXPECT_EQ(Form->ClicksOf(Plain), 2);
  // A press that loses the focus ends without a click.
  ::PostMessageW(Plain->GetHandle(), WM_KEYDOWN, VK_SPACE, KeyData(VK_SPACE, false));
  Pump();
  EXPECT_EQ(Plain->GetState(), vbsPressed);
  Edit->SetFocus();
  Pump();
  EXPECT_EQ(Plain->GetState(), vbsNormal);
  ::PostMessageW(Plain->GetHandle(), WM_KEYUP, VK_SPACE, KeyData(VK_SPACE, true));
  Pump();
  EXPECT_EQ(Form->ClicksOf(Plain), 2);
  // A mouse press whose capture another window takes ends without a click.
  Post(Plain, WM_LBUTTONDOWN, 10, 10);
  HWND thief = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ::SetCapture(thief);
  Pump();
  EXPECT_EQ(Plain->GetState(), vbsNormal);
  ::ReleaseCapture();
  ::DestroyWindow(thief);
  Post(Plain, WM_LBUTTONUP, 10, 10);
  EXPECT_EQ(Form->ClicksOf(Plain), 2);
  // Disabled: neither mouse nor keys click.
  Plain->SetEnabled(false);
  ClickControl(Plain);
  EXPECT_EQ(Form->ClicksOf(Plain), 2);
  SaveScreenshot(Form->GetHandle(), L"skin_buttons_1024");
  Form->SetBounds(100, 100, 320, 200);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_buttons_800");
}

TEST_F(SkinButtonTest, EnterEscapeAndTheAcceleratorClick) {
  Edit->SetFocus();
  Pump();
  EXPECT_TRUE(Ok->GetActiveDefault());
  PressKey(VK_RETURN);  // the edit has the focus: the default button clicks
  EXPECT_EQ(Form->ClicksOf(Ok), 1);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(Form->ClicksOf(Quit), 1);
  PressAltChar(L'q');
  EXPECT_EQ(Form->ClicksOf(Quit), 2);
  EXPECT_TRUE(Quit->Focused());
  EXPECT_FALSE(Ok->GetActiveDefault());  // a library button has the focus
  PressKey(VK_RETURN);                   // Enter clicks the focused one
  EXPECT_EQ(Form->ClicksOf(Quit), 3);
  EXPECT_EQ(Form->ClicksOf(Ok), 1);
  // The label's accelerator focuses its control.
  PressAltChar(L'n');
  EXPECT_TRUE(Edit->Focused());
}

TEST_F(SkinButtonTest, AnOkButtonEndsTheModalFormAndAClickMayFreeTheForm) {
  Form->Hide();
  Pump();
  dialog_tests::TDialogDriver click({[this] {
    ClickControl(Ok);
    return true;
  }});
  EXPECT_EQ(Form->ShowModal(), mrOk);
  // A handler that frees the form the button is on.
  auto* other = TCustomForm::Create<TButtonsForm>(nullptr);
  other->SetBounds(100, 100, 200, 100);
  auto* doomed = new TSeCustomButton(other);
  doomed->SetParent(other);
  doomed->SetOnClick([other](TObject*) { delete other; });
  other->Show();
  Pump();
  ClickControl(doomed);  // returns without touching the freed button
  Pump();
  SUCCEED();
}

TEST_F(SkinButtonTest, GlyphStripsOfOddWidthsNeverDivideByZero) {
  struct Row {
    int Width, Height, Frames;
  };
  for (const Row& row : {Row{64, 16, 4}, Row{80, 16, 1}, Row{50, 16, 1}, Row{0, 16, 1}}) {
    auto* button = new TSeCustomButton(Form);
    button->SetParent(Form);
    button->SetBounds(8, 120, 90, 30);
    TBitmap glyph;
    glyph.SetSize(row.Width, row.Height);
    if (row.Width > 0) FillRectColor(glyph.GetCanvas(), TRect(2, 2, row.Width - 2, 14), clRed);
    button->SetGlyph(&glyph);
    EXPECT_EQ(button->GetNumGlyphs(), row.Frames) << row.Width;
    button->SetNumGlyphs(0);  // a stored 0 becomes 1
    EXPECT_EQ(button->GetNumGlyphs(), 1);
    button->SetNumGlyphs(9);
    EXPECT_EQ(button->GetNumGlyphs(), 4);
    button->SetEnabled(false);
    MemorySurface surface(90, 30);
    PaintWindowInto(button, surface);
    delete button;
  }
  // A stock glyph in its place, drawn themed and classic.
  Ok->SetFocus();
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_buttons_glyph_themed");
  WithoutThemes([&] {
    Form->Repaint();
    Pump();
    SaveScreenshot(Form->GetHandle(), L"skin_buttons_glyph_classic");
  });
}

TEST_F(SkinButtonTest, LabelSizesToItsTextAndGrowsLeftWhenRightJustified) {
  const int oneLine = Label->GetHeight();
  EXPECT_GT(oneLine, 8);
  Label->SetCaption(L"");
  EXPECT_EQ(Label->GetHeight(), oneLine);  // an empty label keeps one line
  Label->SetAlignment(taRightJustify);
  Label->SetCaption(L"短");
  const int right = Label->GetLeft() + Label->GetWidth();
  Label->SetCaption(L"更长的标签文字");
  EXPECT_EQ(Label->GetLeft() + Label->GetWidth(), right);
  EXPECT_GT(Label->GetWidth(), 40);
  // The speed container paints its own fill only when not transparent.
  auto* box = new TSeSpeedContainer(Form);
  box->SetParent(Form);
  box->SetBounds(200, 120, 40, 30);
  box->SetColor(clLime);
  MemorySurface surface(40, 30, clRed);
  PaintWindowInto(box, surface);
  EXPECT_NE(surface.At(20, 15), clLime);
  box->SetTransparent(false);
  PaintWindowInto(box, surface);
  EXPECT_EQ(surface.At(20, 15), clLime);
}

TEST_F(SkinButtonTest, LayoutsKeepEveryPublishedPropertyWithChineseText) {
  Plain->SetLayout(blGlyphTop);
  Plain->SetSpacing(7);
  Plain->SetWordWrap(true);
  Plain->SetBlackAndWhiteGlyph(true);
  Plain->SetModalResult(mrRetry);
  Label->SetLayout(tlCenter);
  Label->SetWordWrap(true);
  Label->SetShowAccelChar(false);
  const String text = ComponentToText(Form);
  EXPECT_EQ(text.find(L"Glyph.Data"), text.rfind(L"Glyph.Data"));  // the stock glyph is not stored
  auto* copy = TCustomForm::Create<TButtonsForm>(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy);
  auto* plain = dynamic_cast<TSeCustomButton*>(copy->FindComponent(L"Plain"));
  auto* ok = dynamic_cast<TSeCustomButton*>(copy->FindComponent(L"Ok"));
  auto* label = dynamic_cast<TSeCustomLabel*>(copy->FindComponent(L"Caption1"));
  ASSERT_TRUE(plain && ok && label);
  EXPECT_EQ(plain->GetLayout(), blGlyphTop);
  EXPECT_EQ(plain->GetSpacing(), 7);
  EXPECT_TRUE(plain->GetWordWrap());
  EXPECT_TRUE(plain->GetBlackAndWhiteGlyph());
  EXPECT_EQ(plain->GetModalResult(), mrRetry);
  EXPECT_EQ(plain->GetCaption(), L"普通");
  EXPECT_EQ(ok->GetKind(), bkOK);
  EXPECT_EQ(ok->GetCaption(), L"确定");
  EXPECT_FALSE(ok->GetGlyph()->GetEmpty());
  EXPECT_EQ(label->GetCaption(), L"姓名(&N)");
  EXPECT_EQ(label->GetLayout(), tlCenter);
  EXPECT_FALSE(label->GetShowAccelChar());
  EXPECT_EQ(label->GetFocusControl(), copy->FindComponent(L"Edit"));
  delete copy;
}

TEST_F(SkinButtonTest, ThousandCyclesLeaveNoGdiOrUserObjects) {
  auto cycle = [&] {
    auto* button = new TSeCustomButton(Form);
    button->SetParent(Form);
    button->SetKind(bkCancel);
    button->SetBounds(0, 200, 80, 26);
    auto* label = new TSeCustomLabel(Form);
    label->SetParent(Form);
    label->SetCaption(L"标签");
    MemorySurface surface(80, 26);
    PaintWindowInto(button, surface);
    PaintInto(label, surface);
    delete label;
    delete button;
  };
  ExpectNoLeaks(cycle);
}

}  // namespace
