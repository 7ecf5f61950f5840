// The library's push button, label and speed container as real windows: clicks by mouse,
// Space, Enter, Escape and the accelerator, and the presses that must not click; a modal
// form ended by a bkOK button; an OnClick that frees its form; glyph strips of odd widths;
// label sizing; layout round trips with Chinese text; leak probes; screenshots.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/controls/ActnList.h"
#include "classlib/controls/ControlsRegistration.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/StdCtrlsRegistration.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinButton.h"
#include "controls/skin/controls/SkinLabel.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/SystemBlits.h"
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
    RegisterControlsClasses();
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
  // A kind changed at run time changes which button Enter clicks.
  Ok->SetKind(bkCancel);
  EXPECT_FALSE(Ok->GetActiveDefault());
  PressKey(VK_RETURN);
  EXPECT_EQ(Form->ClicksOf(Ok), 1);
  EXPECT_NE(Form->GetModalResult(), mrCancel);
  Ok->SetKind(bkYes);
  EXPECT_TRUE(Ok->GetActiveDefault());
  PressKey(VK_RETURN);
  EXPECT_EQ(Form->ClicksOf(Ok), 2);
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

// The glyph frame and the caption's size are kept between paints: they must follow every
// change of state, glyph and font, through the system's blits and the software path alike.
TEST_F(SkinButtonTest, TheDrawnGlyphAndCaptionFollowStateGlyphAndFont) {
  auto* button = new TSeCustomButton(Form);
  button->SetParent(Form);
  button->SetBounds(8, 120, 120, 30);
  button->SetCaption(L"保存");
  // A strip of two frames on olive (the clear colour): red normal, blue disabled.
  auto strip = [](std::initializer_list<TColor> colours) {
    auto glyph = std::make_unique<TBitmap>();
    glyph->SetSize(16 * static_cast<int>(colours.size()), 16);
    FillRectColor(glyph->GetCanvas(), TRect(0, 0, glyph->GetWidth(), 16), static_cast<TColor>(0x008080));
    int left = 0;
    for (TColor colour : colours) {
      FillRectColor(glyph->GetCanvas(), TRect(left + 4, 4, left + 12, 12), colour);
      left += 16;
    }
    return glyph;
  };
  // The glyph's centre and corner as painted.
  auto paint = [&](TColor& centre, TColor& corner) {
    MemorySurface surface(120, 30);
    PaintWindowInto(button, surface);
    TRect r;
    button->GetGlyphRect(r);
    const int x = r.Left + (RectWidth(r) - 16) / 2, y = r.Top + (RectHeight(r) - 16) / 2;
    centre = surface.At(x + 8, y + 8);
    corner = surface.At(x + 1, y + 1);
  };
  for (bool systemBlits : {true, false}) {
    SetSystemBlitsEnabled(systemBlits);
    TColor centre, corner;
    button->SetEnabled(true);
    button->SetGlyph(strip({clRed, clBlue}).get());
    paint(centre, corner);
    EXPECT_EQ(centre, clRed) << systemBlits;
    EXPECT_NE(corner, static_cast<TColor>(0x008080)) << systemBlits;  // keyed out
    button->SetEnabled(false);
    paint(centre, corner);
    EXPECT_EQ(centre, clBlue) << systemBlits;
    button->SetEnabled(true);
    paint(centre, corner);
    EXPECT_EQ(centre, clRed) << systemBlits;
    // One frame: disabled, it is drawn grey.
    button->SetGlyph(strip({clLime}).get());
    paint(centre, corner);
    EXPECT_EQ(centre, clLime) << systemBlits;
    button->SetEnabled(false);
    paint(centre, corner);
    const COLORREF grey = ColorToRGB(centre);
    EXPECT_TRUE(GetRValue(grey) == GetGValue(grey) && GetGValue(grey) == GetBValue(grey))
        << systemBlits;
    EXPECT_EQ(GetRValue(grey), 185) << systemBlits;  // lightness 0.5 faded to 160..210
    button->SetBlackAndWhiteGlyph(true);  // black and white does not undo the faded look
    paint(centre, corner);
    EXPECT_EQ(GetRValue(ColorToRGB(centre)), 185) << systemBlits;
    button->SetEnabled(true);
    paint(centre, corner);
    EXPECT_EQ(GetRValue(ColorToRGB(centre)), 128) << systemBlits;  // not hot: 0.5 of 255
    button->SetBlackAndWhiteGlyph(false);
  }
  SetSystemBlitsEnabled(true);
  // A larger font widens the content (the caption is measured again).
  TRect before, after;
  button->GetContentRect(before);
  button->GetFont()->SetSize(button->GetFont()->GetSize() * 2);
  MemorySurface surface(120, 30);
  PaintWindowInto(button, surface);
  button->GetContentRect(after);
  EXPECT_GT(RectWidth(after), RectWidth(before));
  button->SetCaption(L"保存全部");
  TRect longer;
  button->GetContentRect(longer);
  EXPECT_GT(RectWidth(longer), RectWidth(after));
  // Without a glyph the caption still keeps Spacing from the glyph's side.
  button->SetGlyph(nullptr);
  button->SetSpacing(6);
  TRect content, text;
  for (TButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom}) {
    button->SetLayout(layout);
    button->GetContentRect(content);
    button->GetTextRect(text);
    TRect expected = content;
    switch (layout) {
      case blGlyphLeft: expected.Left += 6; break;
      case blGlyphRight: expected.Right -= 6; break;
      case blGlyphTop: expected.Top += 6; break;
      case blGlyphBottom: expected.Bottom -= 6; break;
    }
    EXPECT_EQ(text, expected) << layout;
  }
  delete button;
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

// The themed face is the theme's own push button of the same state, over the parent's
// background, pixel for pixel; and the states tried do look different from each other.
TEST_F(SkinButtonTest, ThemedFaceIsTheThemesOwnPushButtonInEveryState) {
  ASSERT_TRUE(UseThemes()) << "the test prefix has a theme";
  Form->SetColor(static_cast<TColor>(0x808000));  // teal: the corners must show the parent
  auto* face = new TSeCustomButton(Form);
  face->SetParent(Form);
  face->SetBounds(8, 120, 75, 25);
  Edit->SetFocus();
  Pump();
  auto difference = [&](int state) {
    MemorySurface ours(75, 25, clRed);
    PaintWindowInto(face, ours);
    MemorySurface system(75, 25, static_cast<TColor>(0x808000));
    TRect frame;
    face->GetFrameRect(frame);
    TThemeScope(L"Button").DrawBackground(system.DC(), 1, state, frame);
    return DifferentPixels(ours, system, TRect(0, 0, 75, 25));
  };
  EXPECT_EQ(difference(1), 0) << "normal";
  face->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(difference(2), 0) << "hot";
  Post(face, WM_LBUTTONDOWN, 10, 10);
  EXPECT_EQ(face->GetState(), vbsPressed);
  EXPECT_EQ(difference(3), 0) << "pressed";
  Post(face, WM_LBUTTONUP, 200, 10);  // released outside: no click, drawn raised again
  face->Perform(CM_MOUSELEAVE, 0, 0);
  Edit->SetFocus();
  Pump();
  EXPECT_EQ(difference(1), 0) << "after the press";
  face->SetDefault(true);
  EXPECT_TRUE(face->GetActiveDefault());
  EXPECT_EQ(difference(5), 0) << "default";
  face->SetEnabled(false);
  EXPECT_EQ(difference(4), 0) << "disabled";
  // The comparison only proves something where the theme's states differ.
  MemorySurface a(75, 25), b(75, 25);
  for (auto [one, other] : {std::pair{1, 2}, std::pair{1, 3}, std::pair{1, 4}, std::pair{2, 3}}) {
    TThemeScope(L"Button").DrawBackground(a.DC(), 1, one, TRect(0, 0, 75, 25));
    TThemeScope(L"Button").DrawBackground(b.DC(), 1, other, TRect(0, 0, 75, 25));
    EXPECT_GT(DifferentPixels(a, b, TRect(0, 0, 75, 25)), 0) << one << " " << other;
  }
  face->SetEnabled(true);
  face->SetCaption(L"主题");
  SaveScreenshot(Form->GetHandle(), L"skin_buttons_themed_states_1024");
  Form->SetBounds(100, 100, 320, 200);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_buttons_themed_states_800");
}

// An action gives caption, enabled state, hint and its image as the glyph, and follows
// later changes of the action; a layout's caption and glyph stay without one.
TEST_F(SkinButtonTest, AnActionGivesCaptionEnabledHintAndGlyph) {
  auto* images = new TCustomImageList(Form);
  images->SetWidth(12);
  images->SetHeight(12);
  TBitmap picture;
  picture.SetSize(24, 12);
  FillRectColor(picture.GetCanvas(), TRect(0, 0, 24, 12), clFuchsia);
  FillRectColor(picture.GetCanvas(), TRect(3, 3, 9, 9), clBlue);
  FillRectColor(picture.GetCanvas(), TRect(15, 3, 21, 9), clLime);
  images->AddMasked(&picture, clFuchsia);
  ASSERT_EQ(images->GetCount(), 2);
  auto* list = new TActionList(Form);
  list->SetImages(images);
  auto* action = new TAction(Form);
  action->SetActionList(list);
  action->SetCaption(L"保存(&S)");
  action->SetHint(L"保存答卷");
  action->SetImageIndex(1);
  Plain->SetAction(action);
  EXPECT_EQ(Plain->GetCaption(), L"保存(&S)");
  EXPECT_EQ(Plain->GetHint(), L"保存答卷");
  ASSERT_EQ(Plain->GetGlyph()->GetWidth(), 12);
  ASSERT_EQ(Plain->GetGlyph()->GetHeight(), 12);
  EXPECT_EQ(Plain->GetGlyph()->GetCanvas()->GetPixels(6, 6), clLime);
  EXPECT_EQ(Plain->GetGlyph()->GetCanvas()->GetPixels(0, 0), clFuchsia);  // the clear colour
  EXPECT_EQ(Plain->GetNumGlyphs(), 1);
  // Later changes of the action reach the button.
  action->SetEnabled(false);
  EXPECT_FALSE(Plain->GetEnabled());
  action->SetEnabled(true);
  action->SetCaption(L"另存");
  EXPECT_EQ(Plain->GetCaption(), L"另存");
  // A later ImageIndex gives the glyph; a caption or glyph of the button's own stays.
  action->SetImageIndex(0);
  EXPECT_EQ(Plain->GetGlyph()->GetCanvas()->GetPixels(6, 6), clBlue);
  Plain->SetCaption(L"我的");
  action->SetImageIndex(1);
  EXPECT_EQ(Plain->GetGlyph()->GetCanvas()->GetPixels(6, 6), clLime);
  EXPECT_EQ(Plain->GetCaption(), L"我的");
  Plain->SetCaption(L"另存");
  TBitmap own;
  own.SetSize(12, 12);
  FillRectColor(own.GetCanvas(), TRect(0, 0, 12, 12), clRed);
  Plain->SetGlyph(&own);
  action->SetImageIndex(0);
  EXPECT_EQ(Plain->GetGlyph()->GetCanvas()->GetPixels(6, 6), clRed);
  action->SetImageIndex(1);
  // Another action gives its own image; one whose index is outside the list keeps the glyph.
  auto* other = new TAction(Form);
  other->SetActionList(list);
  other->SetImageIndex(0);
  Plain->SetAction(other);
  EXPECT_EQ(Plain->GetGlyph()->GetCanvas()->GetPixels(6, 6), clBlue);
  auto* outside = new TAction(Form);
  outside->SetActionList(list);
  outside->SetImageIndex(2);  // one past the last image
  Plain->SetAction(outside);
  EXPECT_EQ(Plain->GetGlyph()->GetCanvas()->GetPixels(6, 6), clBlue);
  Plain->SetAction(action);
  // The action's image is not stored with the button; the action link is.
  const String text = ComponentToText(Form);
  EXPECT_EQ(text.find(L"Glyph.Data"), text.rfind(L"Glyph.Data"));  // only the OK button's
  SaveScreenshot(Form->GetHandle(), L"skin_buttons_action");
  // The action and its list freed first leave the button as it was.
  delete outside;
  delete other;
  delete action;
  delete list;
  delete images;
  EXPECT_EQ(Plain->GetCaption(), L"另存");
  MemorySurface after(100, 25);
  PaintWindowInto(Plain, after);

  // Read from a layout: with an action the action's caption wins; without one the stored
  // caption and glyph stay as they were stored.
  auto* copy = TCustomForm::Create<TButtonsForm>(nullptr);
  TStringStream stream(
      L"object Form1: TButtonsForm\n"
      L"  object Acts: TActionList\n"
      L"    object Act: TAction\n      Caption = '动作'\n      Hint = '提示'\n    end\n"
      L"  end\n"
      L"  object Linked: TSeCustomButton\n    Caption = '旧文字'\n    Action = Act\n  end\n"
      L"  object Alone: TSeCustomButton\n    Caption = '独立'\n  end\n"
      L"end\n");
  ReadComponentFromStream(stream, copy);
  auto* linked = dynamic_cast<TSeCustomButton*>(copy->FindComponent(L"Linked"));
  auto* alone = dynamic_cast<TSeCustomButton*>(copy->FindComponent(L"Alone"));
  ASSERT_TRUE(linked && alone);
  EXPECT_EQ(linked->GetCaption(), L"动作");
  EXPECT_EQ(linked->GetHint(), L"提示");
  EXPECT_EQ(alone->GetCaption(), L"独立");
  EXPECT_TRUE(alone->GetGlyph()->GetEmpty());
  delete copy;
  // A stored glyph survives a read without an action.
  auto* glyphed = dynamic_cast<TSeCustomButton*>(Form->FindComponent(L"Quit"));
  TBitmap strip;
  strip.SetSize(16, 16);
  FillRectColor(strip.GetCanvas(), TRect(0, 0, 16, 16), clMaroon);
  glyphed->SetGlyph(&strip);
  const String stored = ComponentToText(Form);
  auto* again = TCustomForm::Create<TButtonsForm>(nullptr);
  TStringStream second(stored);
  ReadComponentFromStream(second, again);
  auto* quit = dynamic_cast<TSeCustomButton*>(again->FindComponent(L"Quit"));
  ASSERT_TRUE(quit);
  EXPECT_EQ(quit->GetCaption(), L"取消(&Q)");
  ASSERT_EQ(quit->GetGlyph()->GetWidth(), 16);
  EXPECT_EQ(quit->GetGlyph()->GetCanvas()->GetPixels(8, 8), clMaroon);
  delete again;
}

// The label's ampersands, drawn against the system's own text drawing of the same font:
// an accelerator underlined, "&&" as one "&", and with ShowAccelChar off every "&" shown.
TEST_F(SkinButtonTest, LabelAmpersandsDrawAsTheSystemDrawsThem) {
  auto* label = new TSeCustomLabel(Form);
  label->SetParent(Form);
  label->SetBounds(8, 200, 10, 10);
  label->GetFont()->SetColor(clBlack);
  label->SetTransparent(false);  // filled white, as the system's surface starts
  label->SetColor(clWhite);
  // Pixels that differ between the label and DrawTextW of text with flags.
  auto difference = [&](const String& text, UINT flags) {
    const int w = label->GetWidth(), h = label->GetHeight();
    MemorySurface ours(w, h), system(w, h);
    PaintInto(label, ours);
    const HGDIOBJ oldFont = ::SelectObject(system.DC(), label->GetFont()->GetHandle());
    ::SetBkMode(system.DC(), TRANSPARENT);
    ::SetTextColor(system.DC(), RGB(0, 0, 0));
    RECT r{0, 0, w, h};
    ::DrawTextW(system.DC(), text.c_str(), static_cast<int>(text.size()), &r, DT_EXPANDTABS | flags);
    ::SelectObject(system.DC(), oldFont);
    ::GdiFlush();
    return DifferentPixels(ours, system, TRect(0, 0, w, h));
  };
  label->SetCaption(L"姓名(&N)");
  EXPECT_EQ(difference(L"姓名(&N)", 0), 0);
  EXPECT_GT(difference(L"姓名(N)", DT_NOPREFIX), 0) << "the accelerator is underlined";
  const int prefixedWidth = label->GetWidth();
  label->SetCaption(L"问&&答");
  EXPECT_EQ(difference(L"问&答", DT_NOPREFIX), 0);
  // Without accelerators the "&" is drawn and the auto-sized label makes room for it.
  label->SetCaption(L"姓名(&N)");
  label->SetShowAccelChar(false);
  EXPECT_GT(label->GetWidth(), prefixedWidth);
  EXPECT_EQ(difference(L"姓名(&N)", DT_NOPREFIX), 0);
  label->SetShowAccelChar(true);
  EXPECT_EQ(label->GetWidth(), prefixedWidth);
  // A lone "&" keeps one line of height like an empty caption.
  label->SetCaption(L"&");
  EXPECT_EQ(label->GetHeight(), Label->GetHeight());
  // Alt with the letter: the accelerator focuses its control; a doubled "&" or
  // ShowAccelChar off make none.
  Plain->SetFocus();
  Pump();
  Label->SetCaption(L"姓&&名N");
  PressAltChar(L'n');
  EXPECT_FALSE(Edit->Focused());
  Label->SetCaption(L"姓名(&N)");
  Label->SetShowAccelChar(false);
  PressAltChar(L'n');
  EXPECT_FALSE(Edit->Focused());
  Label->SetShowAccelChar(true);
  PressAltChar(L'n');
  EXPECT_TRUE(Edit->Focused());
  SaveScreenshot(Form->GetHandle(), L"skin_label_accelerators");
}

// At run time a speed divider on its container paints nothing of its own: the container's
// fill shows through. Opaque, it fills with its colour; while designing, it has an outline.
TEST_F(SkinButtonTest, SpeedDividerPaintsNothingOfItsOwnAtRunTime) {
  auto* bar = new TSeSpeedContainer(Form);
  bar->SetParent(Form);
  bar->SetBounds(8, 200, 120, 30);
  bar->SetTransparent(false);
  bar->SetColor(clYellow);
  auto* divider = new TSeSpeedDivider(bar);
  divider->SetParent(bar);
  divider->SetBounds(40, 0, 8, 30);
  EXPECT_EQ(divider->GetWidth(), 8);
  Pump();
  MemorySurface whole(120, 30, clRed);
  PaintWindowInto(bar, whole);
  EXPECT_EQ(whole.CountOf(clYellow, TRect(0, 0, 120, 30)), 120 * 30) << "the divider shows the fill";
  // Transparent, its own colour is not used: the container's fill shows through.
  divider->SetColor(clNavy);
  MemorySurface own(8, 30, clRed);
  PaintInto(divider, own);
  EXPECT_EQ(own.CountOf(clYellow, TRect(0, 0, 8, 30)), 8 * 30) << "nothing of its own";
  divider->SetTransparent(false);
  PaintInto(divider, own);
  EXPECT_EQ(own.CountOf(clNavy, TRect(0, 0, 8, 30)), 8 * 30);
  divider->SetTransparent(true);
  divider->SetDesigning(true);
  MemorySurface designed(8, 30, clRed);
  PaintInto(divider, designed);
  EXPECT_EQ(designed.At(0, 0), static_cast<TColor>(0x808080));
  EXPECT_EQ(designed.At(7, 29), static_cast<TColor>(0x808080));
  EXPECT_EQ(designed.At(4, 15), clYellow);
  divider->SetDesigning(false);
  SaveScreenshot(Form->GetHandle(), L"skin_speed_divider");
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

// A form whose layout binds a label's dock events.
class TDockLabelForm : public TButtonsForm {
  CLASSLIB_CLASS(TDockLabelForm, TButtonsForm)
  explicit TDockLabelForm(TComponent* owner) : TButtonsForm(owner) {}
  void LabelStartDock(TObject*, TDragDockObject*) {}
  void LabelEndDock(TObject*, TObject*, int, int) {}
  static void RegisterHandlers() {
    using M = TPublishMethods<TDockLabelForm>;
    RegisterMethods<TDockLabelForm>({
        M::Handler(L"LabelStartDock", &TDockLabelForm::LabelStartDock),
        M::Handler(L"LabelEndDock", &TDockLabelForm::LabelEndDock),
    });
  }
};

TEST_F(SkinFormTest, LabelLayoutsNamingTheDockEventsReadAndWriteThem) {
  TDockLabelForm::RegisterHandlers();
  std::unique_ptr<TDockLabelForm> form(TCustomForm::Create<TDockLabelForm>(nullptr));
  TStringStream stream(
      L"object Form1: TDockLabelForm\n"
      L"  object Caption1: TSeCustomLabel\n    Caption = '工具'\n    DragKind = dkDock\n"
      L"    OnEndDock = LabelEndDock\n    OnStartDock = LabelStartDock\n  end\n"
      L"end\n");
  ReadComponentFromStream(stream, form.get());
  auto* label = dynamic_cast<TSeCustomLabel*>(form->FindComponent(L"Caption1"));
  ASSERT_TRUE(label);
  EXPECT_TRUE(label->GetOnStartDock() && label->GetOnEndDock());
  const String text = ComponentToText(form.get());
  EXPECT_NE(text.find(L"OnStartDock = LabelStartDock"), String::npos);
  EXPECT_NE(text.find(L"OnEndDock = LabelEndDock"), String::npos);
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
