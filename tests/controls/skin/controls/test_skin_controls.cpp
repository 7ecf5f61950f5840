// The owner-drawn check box, radio button and group box as real windows on a form: states by
// mouse and keys, exclusion among siblings, enabling passed to children, drawing compared with
// the system's own themed and frame-control drawing of the same parts, transparency over a
// double-buffered class-library panel, the buffers of the control base; screenshots of each.
#include <gtest/gtest.h>

#include "classlib/classes/Layouts.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/StdPanels.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinCheckBox.h"
#include "controls/skin/controls/SkinGroupBox.h"
#include "controls/skin/controls/SkinRadioButton.h"
#include "controls/skin/engine/SkinDrawing.h"

using namespace skin_tests;

namespace {

// A base control of the library with blending: the face laid over the parent at Value.
class TBlendProbe : public TSeCustomControl {
  CLASSLIB_CLASS(TBlendProbe, TSeCustomControl)
  explicit TBlendProbe(TComponent* owner) : TSeCustomControl(owner) {}
};

// A windowless control of the library: transparent over its parent, which paints it again
// while it asks for its background (and must then not recurse).
class TGraphicProbe : public TSeGraphicControl {
  CLASSLIB_CLASS(TGraphicProbe, TSeGraphicControl)
  explicit TGraphicProbe(TComponent* owner) : TSeGraphicControl(owner) {}
  int Faces = 0;

 protected:
  void PaintFace() override {
    ++Faces;
    inherited::PaintFace();
    FillRectColor(GetCanvas(), TRect(0, 0, 4, 4), clRed);
  }
};

class SkinControlsTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  Color = clBtnFace\n"
        L"  object Box: TSeCustomCheckBox\n    Left = 8\n    Top = 8\n    Width = 150\n"
        L"    Caption = '&Music'\n    OnClick = ControlClick\n  end\n"
        L"  object Group: TSeCustomGroupBox\n    Left = 8\n    Top = 40\n    Width = 220\n"
        L"    Height = 130\n    Caption = '学习计划'\n"
        L"    object One: TSeCustomRadioButton\n      Left = 12\n      Top = 28\n"
        L"      Caption = '按日'\n      OnClick = ControlClick\n    end\n"
        L"    object Two: TSeCustomRadioButton\n      Left = 12\n      Top = 52\n"
        L"      Caption = '&Two'\n      OnClick = ControlClick\n    end\n"
        L"    object Three: TSeCustomRadioButton\n      Left = 12\n      Top = 76\n"
        L"      GroupIndex = 1\n      Checked = True\n      Caption = 'Other group'\n"
        L"      OnClick = ControlClick\n    end\n"
        L"  end\n"
        L"end\n");
    Box = Find<TSeCustomCheckBox>(L"Box");
    Group = Find<TSeCustomGroupBox>(L"Group");
    One = Find<TSeCustomRadioButton>(L"One");
    Two = Find<TSeCustomRadioButton>(L"Two");
    Three = Find<TSeCustomRadioButton>(L"Three");
    ShowForm();
  }
  template <class T>
  T* Add(TWinControl* parent, int x, int y, int w, int h) {
    auto* control = new T(Form);
    control->SetParent(parent);
    control->SetBounds(x, y, w, h);
    return control;
  }
  // A borderless blue panel at (240, 140), 100 x 60.
  TPanel* BluePanel() {
    auto* panel = Add<TPanel>(Form, 240, 140, 100, 60);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clBlue);
    return panel;
  }
  // How many pixels of the control's glyph differ from the system's drawing of the part.
  int GlyphDifference(TWinControl* control, TSeLeftRight align, int part, int themeState,
                      UINT frameFlags, bool themed) {
    MemorySurface ours(control->GetWidth(), control->GetHeight());
    PaintWindowInto(control, ours);
    MemorySurface system(control->GetWidth(), control->GetHeight(), Rgb(clBtnFace));
    RECT glyph = GlyphButtonRect(control->GetWidth(), control->GetHeight(), align, TSize(13, 13));
    if (themed)
      TThemeScope(L"Button").DrawBackground(system.DC(), part, themeState, glyph);
    else
      ::DrawFrameControl(system.DC(), &glyph, DFC_BUTTON, frameFlags);
    return DifferentPixels(ours, system, TRect(glyph));
  }
  TSeCustomCheckBox* Box = nullptr;
  TSeCustomGroupBox* Group = nullptr;
  TSeCustomRadioButton* One = nullptr;
  TSeCustomRadioButton* Two = nullptr;
  TSeCustomRadioButton* Three = nullptr;
};

TEST_F(SkinControlsTest, CheckBoxCyclesByMouseAndIgnoresAReleaseOutside) {
  ClickControl(Box);
  EXPECT_EQ(Box->GetState(), cbChecked);
  ClickControl(Box);
  EXPECT_EQ(Box->GetState(), cbUnchecked);
  EXPECT_EQ(Form->ClicksOf(Box), 2);
  Box->SetAllowGrayed(true);
  ClickControl(Box);
  EXPECT_EQ(Box->GetState(), cbGrayed);
  EXPECT_FALSE(Box->GetChecked());
  ClickControl(Box);
  EXPECT_EQ(Box->GetState(), cbChecked);
  ClickControl(Box);
  EXPECT_EQ(Box->GetState(), cbUnchecked);
  EXPECT_EQ(Form->ClicksOf(Box), 5);
  // Pressed inside, released outside: nothing changes, the capture is given back.
  ::PostMessageW(Box->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  Pump();
  EXPECT_TRUE(Box->GetPressed());
  ::PostMessageW(Box->GetHandle(), WM_LBUTTONUP, 0, At(400, 5));
  Pump();
  EXPECT_FALSE(Box->GetPressed());
  EXPECT_EQ(Box->GetState(), cbUnchecked);
  EXPECT_EQ(CaptureDepth(), 0);
  // A box freed while pressed gives the capture back.
  auto* doomed = Add<TSeCustomCheckBox>(Form, 8, 200, 100, 20);
  Pump();
  ::PostMessageW(doomed->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  Pump();
  EXPECT_EQ(CaptureDepth(), 1);
  delete doomed;
  EXPECT_EQ(CaptureDepth(), 0);
  // Checked := True on a grayed box gives cbChecked and a click.
  Box->SetState(cbGrayed);
  const int clicks = Form->ClicksOf(Box);
  Box->SetChecked(true);
  EXPECT_EQ(Box->GetState(), cbChecked);
  EXPECT_EQ(Form->ClicksOf(Box), clicks + 1);
  Box->SetState(static_cast<TCheckBoxState>(9));  // not a state: ignored
  EXPECT_EQ(Box->GetState(), cbChecked);
}

TEST_F(SkinControlsTest, SpaceTogglesOnlyWhenItsPressWentToTheBox) {
  Box->SetFocus();
  Pump();
  PressKey(VK_SPACE);
  EXPECT_EQ(Box->GetState(), cbChecked);
  // A release without its press (the press went to another window) does nothing.
  ::PostMessageW(Box->GetHandle(), WM_KEYUP, VK_SPACE, KeyData(VK_SPACE, true));
  Pump();
  EXPECT_EQ(Box->GetState(), cbChecked);
  // The press shows while the key is down.
  ::PostMessageW(Box->GetHandle(), WM_KEYDOWN, VK_SPACE, KeyData(VK_SPACE, false));
  Pump();
  EXPECT_TRUE(Box->GetPressed());
  ::PostMessageW(Box->GetHandle(), WM_KEYUP, VK_SPACE, KeyData(VK_SPACE, true));
  Pump();
  EXPECT_FALSE(Box->GetPressed());
  EXPECT_EQ(Box->GetState(), cbUnchecked);
  // The accelerator focuses and toggles in one keystroke.
  One->SetFocus();
  Pump();
  PressAltChar(L'm');
  EXPECT_TRUE(Box->Focused());
  EXPECT_EQ(Box->GetState(), cbChecked);
}

TEST_F(SkinControlsTest, RadioButtonsExcludeTheirGroupWithinTheirParent) {
  ASSERT_TRUE(Three->GetChecked());
  EXPECT_EQ(Form->ClicksOf(Three), 0);  // read from the layout: no click
  ClickControl(One);
  EXPECT_TRUE(One->GetChecked());
  EXPECT_TRUE(One->GetTabStop());
  EXPECT_EQ(Form->ClicksOf(One), 1);
  EXPECT_TRUE(Three->GetChecked());  // another GroupIndex
  ClickControl(Two);
  EXPECT_TRUE(Two->GetChecked());
  EXPECT_FALSE(One->GetChecked());
  EXPECT_FALSE(One->GetTabStop());
  EXPECT_EQ(Form->ClicksOf(One), 1);  // unchecking clicks nothing
  ClickControl(Two);
  EXPECT_EQ(Form->ClicksOf(Two), 1);  // already checked: nothing
  // Space checks on release; the accelerator focuses and checks.
  One->SetFocus();
  Pump();
  EXPECT_TRUE(One->GetChecked());  // focus arrival checks
  PressAltChar(L't');
  EXPECT_TRUE(Two->GetChecked());
  // A button without a parent has no siblings and checks alone.
  TSeCustomRadioButton loose(nullptr);
  loose.SetChecked(true);
  EXPECT_TRUE(loose.GetChecked());
  EXPECT_TRUE(Two->GetChecked());
}

TEST_F(SkinControlsTest, GroupBoxPassesEnablingToItsChildren) {
  Group->SetEnabled(false);
  Pump();
  EXPECT_FALSE(One->GetEnabled());
  EXPECT_FALSE(Three->GetEnabled());
  EXPECT_FALSE(::IsWindowEnabled(Group->GetHandle()));
  SaveScreenshot(Form->GetHandle(), L"skin_group_disabled");
  Group->SetEnabled(true);
  EXPECT_TRUE(One->GetEnabled());
  // With the caption check box the group stays enabled; the box decides for the children.
  int groupClicks = 0, boxClicks = 0;
  Group->SetOnClick([&](TObject*) { ++groupClicks; });
  Group->SetOnCheckBoxClick([&](TObject*) { ++boxClicks; });
  Group->SetUseCheckBox(true);
  Group->SetUseCheckBox(true);
  EXPECT_EQ(groupClicks, 0);  // making the box clicks nothing
  EXPECT_EQ(boxClicks, 0);
  ASSERT_NE(Group->GetCheckBox(), nullptr);
  int boxes = 0;
  for (int i = 0; i < Group->GetControlCount(); ++i)
    boxes += dynamic_cast<TSeCustomCheckBox*>(Group->GetControl(i)) ? 1 : 0;
  EXPECT_EQ(boxes, 1);
  EXPECT_LE(Group->GetCheckBox()->GetWidth(), Group->GetWidth() - 12 - 2);
  EXPECT_EQ(Group->GetCheckBox()->GetCaption(), L"学习计划");
  Group->SetEnabled(false);
  EXPECT_TRUE(Group->GetEnabled());
  EXPECT_TRUE(One->GetEnabled());
  ClickControl(Group->GetCheckBox());
  EXPECT_FALSE(Group->GetChecked());
  EXPECT_FALSE(One->GetEnabled());
  EXPECT_TRUE(Group->GetCheckBox()->GetEnabled());
  EXPECT_EQ(groupClicks, 1);
  EXPECT_EQ(boxClicks, 1);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_group_checkbox_off");
  Group->SetUseCheckBox(false);
  EXPECT_EQ(Group->GetCheckBox(), nullptr);
}

// The glyphs are the system's own parts: drawn by the theme when one is active and by the
// frame-control routine otherwise, pixel for pixel.
TEST_F(SkinControlsTest, GlyphsMatchTheSystemsDrawingThemedAndClassic) {
  Box->SetTransparent(false);
  One->SetTransparent(false);
  struct Case {
    TWinControl* Control;
    int Part;
    std::function<void()> Set;
    int ThemeState;
    UINT FrameFlags;
  };
  const Case cases[] = {
      {Box, 3, [&] { Box->SetState(cbUnchecked); }, 1, DFCS_BUTTONCHECK},
      {Box, 3, [&] { Box->SetState(cbChecked); }, 5, DFCS_BUTTONCHECK | DFCS_CHECKED},
      {Box, 3, [&] { Box->SetState(cbGrayed); }, 9, DFCS_BUTTONCHECK | DFCS_BUTTON3STATE | DFCS_CHECKED},
      {One, 2, [&] { One->SetChecked(true); }, 5, DFCS_BUTTONRADIO | DFCS_CHECKED},
      {One, 2, [&] { One->SetEnabled(false); }, 8, DFCS_BUTTONRADIO | DFCS_CHECKED | DFCS_INACTIVE},
  };
  auto compare = [&](const Case& c, bool themed) {
    c.Set();
    EXPECT_EQ(GlyphDifference(c.Control, vtaLeftJustify, c.Part, c.ThemeState, c.FrameFlags, themed), 0)
        << (themed ? "themed " : "classic ") << c.ThemeState;
  };
  ASSERT_TRUE(UseThemes()) << "the test prefix has a theme";
  for (const Case& c : cases) compare(c, true);
  One->SetEnabled(true);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_controls_themed");
  WithoutThemes([&] {
    EXPECT_FALSE(UseThemes());
    for (const Case& c : cases) compare(c, false);
    One->SetEnabled(true);
    Form->Repaint();
    Pump();
    SaveScreenshot(Form->GetHandle(), L"skin_controls_classic");
  });
}

TEST_F(SkinControlsTest, ClassicGroupBoxEtchesItsFrameAroundTheCaptionGap) {
  WithoutThemes([&] {
    MemorySurface surface(Group->GetWidth(), Group->GetHeight());
    PaintWindowInto(Group, surface);
    TRect box;
    Group->GetBoxRect(box);
    const TColor light = Rgb(clBtnHighlight), dark = Rgb(clBtnShadow);
    EXPECT_EQ(surface.At(box.Left + 1, box.Bottom), light);       // bottom edge
    EXPECT_EQ(surface.At(box.Left + 1, box.Bottom - 1), dark);
    EXPECT_EQ(surface.At(box.Right, box.Top + 10), light);        // right edge
    EXPECT_EQ(surface.At(box.Left + 5, box.Top - 1), dark);       // top edge left of the gap
    EXPECT_NE(surface.At(12 + 2, box.Top - 1), dark);             // inside the caption's gap
  });
}

TEST_F(SkinControlsTest, TransparentBoxShowsTheDoubleBufferedPanelsPicture) {
  auto* panel = Add<TPanel>(Form, 240, 10, 150, 120);
  panel->SetDoubleBuffered(true);
  panel->SetBevelOuter(bvNone);
  auto* image = Add<TImage>(panel, 0, 0, 150, 120);
  TBitmap picture;
  picture.SetSize(150, 120);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 150; ++x) picture.GetCanvas()->SetPixels(x, y, RGBColor(x, y, 200));
  image->GetPicture()->SetGraphic(&picture);
  auto* box = Add<TSeCustomCheckBox>(panel, 10, 30, 130, 20);
  box->SetCaption(L"OK");
  Pump();
  MemorySurface surface(130, 20, clWhite);
  PaintWindowInto(box, surface);
  // Right of the caption nothing of the box is drawn: the picture shows there.
  int matching = 0;
  for (int x = 60; x < 130; ++x)
    for (int y = 0; y < 20; ++y) matching += surface.At(x, y) == RGBColor(10 + x, 30 + y, 200) ? 1 : 0;
  EXPECT_EQ(matching, 70 * 20);
  Form->Repaint();
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_transparent_over_panel");
}

TEST_F(SkinControlsTest, BlendingPromotesTheBufferAndMixesOverTheParent) {
  auto* probe = Add<TBlendProbe>(BluePanel(), 5, 5, 40, 20);
  probe->SetColor(clRed);
  probe->GetBlending()->SetEnabled(true);
  EXPECT_EQ(probe->GetPerformance(), vxpDoubleBuffer);
  probe->SetPerformance(vxpNoBuffer);
  EXPECT_EQ(probe->GetPerformance(), vxpDoubleBuffer);
  struct Row {
    int Value;
    TColor Expected;
  };
  for (const Row& row : {Row{255, clRed}, Row{0, clBlue}, Row{128, RGBColor(128, 0, 127)}}) {
    probe->GetBlending()->SetValue(row.Value);
    MemorySurface surface(40, 20);
    PaintWindowInto(probe, surface);
    EXPECT_EQ(surface.At(20, 10), row.Expected) << row.Value;
  }
}

TEST_F(SkinControlsTest, AControlLargerThanTheSharedBufferPaintsThroughItsOwn) {
  const TSize shared = SharedPaintBufferSize();
  auto* probe = Add<TBlendProbe>(Form, 0, 0, shared.cx + 40, 30);
  probe->SetColor(clLime);
  for (TSePerformance performance : {vxpSharedBuffer, vxpDoubleBuffer, vxpNoBuffer}) {
    probe->SetPerformance(performance);
    MemorySurface surface(shared.cx + 40, 30, clWhite);
    PaintWindowInto(probe, surface);
    EXPECT_EQ(surface.At(shared.cx + 39, 29), clLime) << performance;
    EXPECT_EQ(surface.At(0, 0), clLime) << performance;
  }
  probe->SetBounds(0, 0, 0, 30);  // no size: nothing painted, nothing broken
  MemorySurface surface(4, 4, clWhite);
  PaintWindowInto(probe, surface);
  EXPECT_EQ(surface.At(0, 0), clWhite);
}

TEST_F(SkinControlsTest, SystemColourChangeRepaintsTheBox) {
  // The class library hands WM_SYSCOLORCHANGE to its children as CM_SYSCOLORCHANGE.
  Box->Update();
  ::SendMessageW(Form->GetHandle(), WM_SYSCOLORCHANGE, 0, 0);
  RECT dirty{};
  EXPECT_TRUE(::GetUpdateRect(Box->GetHandle(), &dirty, FALSE));
}

// What a layout writes of the controls: only what differs from the constructors' values, and
// it reads back to the same state.
TEST_F(SkinControlsTest, LayoutsWriteOnlyChangedValuesAndReadThemBack) {
  Two->SetChecked(true);
  Box->SetState(cbGrayed);
  Group->GetBlending()->SetEnabled(true);
  const String text = ComponentToText(Form);
  const size_t boxStart = text.find(L"object Box"), boxEnd = text.find(L"end", boxStart);
  const String boxText = text.substr(boxStart, boxEnd - boxStart);
  for (const wchar_t* absent : {L"TabStop", L"Transparent", L"Performance", L"Spacing",
                                L"ParentColor", L"Color"})
    EXPECT_EQ(boxText.find(absent), String::npos) << StringToUtf8(absent);
  EXPECT_EQ(text.find(L"CaptionMargin"), String::npos);
  EXPECT_NE(text.find(L"State = cbGrayed"), String::npos);
  EXPECT_NE(text.find(L"Blending.Enabled = True"), String::npos);

  auto* copy = TCustomForm::Create<TButtonsForm>(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy);
  auto* box = dynamic_cast<TSeCustomCheckBox*>(copy->FindComponent(L"Box"));
  auto* two = dynamic_cast<TSeCustomRadioButton*>(copy->FindComponent(L"Two"));
  auto* group = dynamic_cast<TSeCustomGroupBox*>(copy->FindComponent(L"Group"));
  ASSERT_TRUE(box && two && group);
  EXPECT_EQ(box->GetState(), cbGrayed);
  EXPECT_EQ(box->GetCaption(), L"&Music");
  EXPECT_TRUE(two->GetChecked());
  EXPECT_EQ(group->GetPerformance(), vxpDoubleBuffer);  // promoted by the blending read
  EXPECT_EQ(group->GetColor(), clBtnFace);
  EXPECT_EQ(copy->ClicksOf(box), 0);  // nothing clicks while a layout is read
  delete copy;
}

TEST_F(SkinControlsTest, HotAndPressedStatesDrawTheThemesOwnParts) {
  ASSERT_TRUE(UseThemes());
  Box->SetTransparent(false);
  Box->SetAlignment(vtaRightJustify);
  auto glyphMatches = [&](int state) {
    return GlyphDifference(Box, vtaRightJustify, 3, state, 0, true) == 0;
  };
  EXPECT_EQ(GlyphButtonRect(Box->GetWidth(), Box->GetHeight(), vtaRightJustify, TSize(13, 13)),
            TRect(137, 3, 150, 16));
  Box->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(Box->GetHot());
  EXPECT_TRUE(glyphMatches(2));  // unchecked, hot
  ::PostMessageW(Box->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(140, 5));
  Pump();
  EXPECT_TRUE(glyphMatches(3));  // unchecked, pressed
  ::PostMessageW(Box->GetHandle(), WM_LBUTTONUP, 0, At(140, 5));
  Pump();
  EXPECT_TRUE(glyphMatches(6));  // checked, hot
  Box->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(Box->GetHot());
  EXPECT_TRUE(glyphMatches(5));
}

// A transparent radio button over the group box's frame gets the frame as its background.
TEST_F(SkinControlsTest, TransparentChildShowsTheGroupBoxFrameUnderIt) {
  WithoutThemes([&] {
    One->SetBounds(0, 60, 98, 20);  // over the left edge of the frame (x = 2 and 3)
    MemorySurface surface(98, 20, clWhite);
    PaintWindowInto(One, surface);
    EXPECT_EQ(surface.At(16, 10), Rgb(clBtnFace));  // the group box's face, not white
    TRect box;
    Group->GetBoxRect(box);
    EXPECT_EQ(surface.At(box.Left - 1, 1), Rgb(clBtnShadow));
    EXPECT_EQ(surface.At(box.Left, 1), Rgb(clBtnHighlight));
  });
}

TEST_F(SkinControlsTest, WindowlessControlPaintsOverItsParentsPicture) {
  TPanel* panel = BluePanel();
  auto* probe = Add<TGraphicProbe>(panel, 10, 10, 30, 20);
  probe->SetTransparent(true);
  probe->SetPerformance(vxpSharedBuffer);
  Pump();
  MemorySurface surface(100, 60, clWhite);
  probe->Faces = 0;
  panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  EXPECT_EQ(probe->Faces, 1);
  EXPECT_EQ(surface.At(11, 11), clRed);
  EXPECT_EQ(surface.At(30, 25), clBlue);  // inside the probe: the panel shows through
  EXPECT_EQ(surface.At(5, 5), clBlue);
}

TEST_F(SkinControlsTest, BevelsShrinkTheFrameAndDrawOnlyWithAWidth) {
  auto* probe = Add<TBlendProbe>(Form, 0, 200, 40, 30);
  probe->SetColor(clLime);
  probe->SetBevelKind(vbkFlat);
  EXPECT_EQ(probe->GetBevelInner(), vbvFlatBorder);
  TRect frame;
  probe->GetFrameRect(frame);
  EXPECT_EQ(frame, TRect(0, 0, 40, 30));  // BevelWidth 0: no bevel
  probe->SetBevelInner(vbvLowered);
  EXPECT_EQ(probe->GetBevelKind(), vbkNone);
  probe->SetBevelWidth(2);
  probe->SetBorderWidth(1);
  probe->SetBevelSides(TSeBevelSides{vbsLeft, vbsTop});
  probe->GetFrameRect(frame);
  EXPECT_EQ(frame, TRect(5, 5, 39, 29));
  probe->SetThemesAllowed(false);
  MemorySurface surface(40, 30, clWhite);
  PaintWindowInto(probe, surface);
  EXPECT_EQ(surface.At(0, 10), Rgb(clBtnShadow));    // outer flat border, left
  EXPECT_EQ(surface.At(2, 10), Rgb(cl3DDkShadow));   // inner lowered, left
  EXPECT_EQ(surface.At(20, 20), clLime);             // the face
  EXPECT_EQ(surface.At(39, 20), clLime);             // the border ring in Color
}

TEST_F(SkinControlsTest, WrappedCaptionsStayWithinTheirWidth) {
  One->SetTransparent(false);
  One->SetWordWrap(true);
  One->SetBounds(12, 28, 80, 40);
  One->SetCaption(L"one two three four five six");
  MemorySurface surface(80, 40, Rgb(clBtnFace));
  PaintWindowInto(One, surface);
  // Text reaches no further than 13 + 5 + (80 - 23) = 75.
  int inkRight = 0, inkRows = 0;
  for (int y = 0; y < 40; ++y) {
    bool ink = false;
    for (int x = 18; x < 80; ++x)
      if (surface.At(x, y) != Rgb(clBtnFace)) {
        inkRight = std::max(inkRight, x);
        ink = true;
      }
    inkRows += ink ? 1 : 0;
  }
  EXPECT_LT(inkRight, 76);
  EXPECT_GT(inkRows, 14);  // more than one line
}

// A windowless control that the parent draws into another control's background while that
// one paints in the shared buffer, or in the double buffer kept between paints, takes a buffer
// of its own; and a control painted after a larger one through the kept buffer sees nothing of
// it.
TEST_F(SkinControlsTest, KeptBuffersAreNeverUsedByTwoPaintsAtOnce) {
  TPanel* panel = BluePanel();
  for (TSePerformance performance : {vxpSharedBuffer, vxpDoubleBuffer}) {
    auto* under = Add<TGraphicProbe>(panel, 10, 10, 30, 20);
    under->SetPerformance(performance);
    auto* over = Add<TBlendProbe>(panel, 0, 0, 60, 40);
    over->SetTransparent(true);
    over->SetPerformance(performance);
    auto* large = Add<TBlendProbe>(panel, 0, 0, 300, 200);
    large->SetColor(clLime);
    large->SetPerformance(performance);
    large->SendToBack();
    Pump();
    MemorySurface big(300, 200, clWhite);
    PaintWindowInto(large, big);
    EXPECT_EQ(big.At(299, 199), clLime) << performance;
    MemorySurface surface(60, 40, clWhite);
    PaintWindowInto(over, surface);
    EXPECT_EQ(surface.At(11, 11), clRed) << performance;
    EXPECT_EQ(surface.At(20, 15), Rgb(clBtnFace)) << performance;
    EXPECT_EQ(surface.At(50, 35), clBlue) << performance;
    EXPECT_EQ(surface.At(2, 2), clBlue) << performance;
    delete over;
    delete under;
    delete large;
    Pump();
  }
}

TEST_F(SkinControlsTest, GroupBoxFrameIsTheThemesOwnGroupBox) {
  ASSERT_TRUE(UseThemes());
  MemorySurface ours(Group->GetWidth(), Group->GetHeight());
  PaintWindowInto(Group, ours);  // the radio buttons are windows of their own: not painted here
  MemorySurface system(Group->GetWidth(), Group->GetHeight(), Rgb(clBtnFace));
  TRect frame;
  Group->GetBoxRect(frame);
  TThemeScope(L"Button").DrawBackground(system.DC(), 4, 1, frame);
  // Below the caption line the two are the same, pixel for pixel.
  EXPECT_EQ(DifferentPixels(ours, system, TRect(0, 20, Group->GetWidth(), Group->GetHeight())), 0);
  // On the caption line the text's gap interrupts the frame's top edge.
  EXPECT_NE(DifferentPixels(ours, system, TRect(0, 0, Group->GetWidth(), 20)), 0);
}

}  // namespace
