// The further skin-object kinds: pictures picked by state, the active kinds, the placeholder,
// the roll panel (never rolled to nothing, found only as a roll panel), regions of masked
// pictures, and caption buttons driven by the mouse against a form-skinning component that
// answers message 2122 from a real window.
#include <gtest/gtest.h>

#include <vector>

#include "classlib/forms/HintWindow.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinAwareButtons.h"
#include "controls/skin/engine/SkinBoxObjects.h"
#include "controls/skin/engine/SkinColors.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "tests/classlib/graphics/MemorySurface.h"

using namespace skin_tests;

namespace {

// A 30 x 10 picture of three 10 x 10 squares: red, lime, blue; the blue one's right half is
// the clear colour.
std::unique_ptr<TSeBitmapList> Squares() {
  auto list = std::make_unique<TSeBitmapList>();
  auto picture = std::make_unique<TSeBitmap>();
  picture->SetName(L"Squares");
  picture->SetSize(30, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 30; ++x)
      picture->SetPixel(x, y, x < 10   ? PackPixel(255, 0, 0, 255)
                              : x < 20 ? PackPixel(0, 255, 0, 255)
                              : x < 25 ? PackPixel(0, 0, 255, 255)
                                       : SeClearPixel);
  picture->UpdateDeviceCopy();
  list->Add(std::move(picture));
  return list;
}

void Link(TSeBitmapLink* link, int square) {
  link->SetName(L"Squares");
  link->SetRect(TRect(square * 10, 0, square * 10 + 10, 10));
}

TColor Painted(TSeSkinObject& object) {
  MemorySurface surface(10, 10, clWhite);
  object.Paint(&surface.Canvas);
  return surface.At(2, 2);
}

class SkinObjectKindsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterSkinClasses(); }
  std::unique_ptr<TSeBitmapList> Bitmaps = Squares();
  template <class T>
  void Bind(T& object) {
    object.SetBoundsRect(TRect(0, 0, 10, 10));
    object.SetBitmaps(Bitmaps.get());
    object.ResolveLinks();
  }
};

TEST_F(SkinObjectKindsTest, ButtonKindsPickThePictureOfTheStateOnlyWhenValid) {
  TSeButtonObject button(nullptr);
  TSeButtonBitmapBoxObject box(nullptr);
  Link(button.GetBitmap(), 0);
  Link(button.GetBitmapHot(), 1);
  Link(box.GetBitmap(), 0);
  Link(box.GetHotBitmap(), 1);
  box.GetPressedBitmap()->SetName(L"missing");
  Bind(button);
  Bind(box);
  for (TSeSkinObject* object : std::vector<TSeSkinObject*>{&button, &box}) {
    object->SetState(5);
    EXPECT_EQ(Painted(*object), clLime);
    object->SetState(6);  // no valid pressed picture: the normal one
    EXPECT_EQ(Painted(*object), clRed);
    object->SetState(0);
    EXPECT_EQ(Painted(*object), clRed);
  }
  // Cloned through the registry, the copy keeps its own links.
  std::unique_ptr<TSeSkinObject> copy(CloneSkinObject(&box, nullptr));
  ASSERT_TRUE(dynamic_cast<TSeButtonBitmapBoxObject*>(copy.get()));
  copy->ResolveLinks();
  copy->SetState(5);
  EXPECT_EQ(Painted(*copy), clLime);
}

TEST_F(SkinObjectKindsTest, ActiveKindsPaintTheirActivePartsInTheirStates) {
  TSeActiveObject active(nullptr);
  active.SetColor(clWhite);
  active.SetActiveColor(clYellow);
  active.SetBoundsRect(TRect(0, 0, 10, 10));
  EXPECT_EQ(Painted(active), clWhite);
  active.SetActive(true);
  EXPECT_EQ(Painted(active), clYellow);
  active.SetActive(false);
  active.SetState(6);
  EXPECT_EQ(Painted(active), clYellow);
  EXPECT_EQ(active.GetFont(), active.GetActiveFont());

  TSeActiveSkinObject hover(nullptr);
  hover.SetColor(clWhite);
  hover.SetActiveColor(clAqua);
  hover.SetBoundsRect(TRect(0, 0, 10, 10));
  hover.MouseEnter();
  EXPECT_EQ(Painted(hover), clAqua);
  hover.MouseLeave();
  EXPECT_EQ(Painted(hover), clWhite);
  hover.SetState(6);  // pressed is not one of its active states
  EXPECT_EQ(Painted(hover), clWhite);

  TSeActiveBitmap bitmap(nullptr);
  Link(bitmap.GetBitmap(), 0);
  Link(bitmap.GetActiveBitmap(), 1);
  Bind(bitmap);
  EXPECT_EQ(Painted(bitmap), clRed);
  bitmap.SetState(7);
  EXPECT_EQ(Painted(bitmap), clLime);

  TSeFormBitmapSkinObject form(nullptr);
  Link(form.GetBitmap(), 0);
  Link(form.GetInactiveBitmap(), 1);
  Bind(form);
  EXPECT_EQ(Painted(form), clLime);
  form.SetActive(true);
  EXPECT_EQ(Painted(form), clRed);

  TSeColorButtonObject colors(nullptr);
  colors.SetColor(clWhite);
  colors.SetPressedColor(clMaroon);
  colors.SetDisabledColor(clGray);
  colors.SetBoundsRect(TRect(0, 0, 10, 10));
  colors.SetState(6);
  EXPECT_EQ(Painted(colors), clMaroon);
  colors.SetState(8);
  EXPECT_EQ(Painted(colors), clGray);
  colors.ShiftHue(120);
  EXPECT_NE(colors.GetPressedColor(), clMaroon);
  colors.ShiftHue(-120);
  EXPECT_EQ(colors.GetPressedColor(), clMaroon);
}

// A caption button paints in the state of its look (hot 5 while active, 8 while inactive),
// so its children follow; afterwards it holds its window state again.
TEST_F(SkinObjectKindsTest, ACaptionButtonsChildrenFollowItsLook) {
  TSeSystemButton button(nullptr);
  button.SetAction(sbaClose);
  auto* face = new TSeButtonObject(&button);
  face->SetAlign(saClient);
  Link(face->GetBitmap(), 0);
  Link(face->GetBitmapHot(), 1);
  Link(face->GetBitmapDisabled(), 2);
  Bind(button);
  button.SetState(0);
  button.SetActive(true);
  EXPECT_EQ(Painted(button), clRed);
  button.MouseEnter();
  EXPECT_EQ(Painted(button), clLime);
  EXPECT_EQ(button.GetState(), 0);
  EXPECT_EQ(face->GetState(), 0);
  button.SetActive(false);
  EXPECT_EQ(Painted(button), clBlue);
  EXPECT_EQ(button.GetState(), 0);
}

TEST_F(SkinObjectKindsTest, PlaceholderDrawsOnlyInStateOne) {
  TSeLinkSkinObject placeholder(nullptr);
  placeholder.SetColor(clRed);
  placeholder.SetLinkControl(L"Edit1");
  placeholder.SetBoundsRect(TRect(0, 0, 60, 20));
  MemorySurface surface(60, 20, clLime);
  placeholder.Paint(&surface.Canvas);
  EXPECT_EQ(surface.CountOf(clLime, TRect(0, 0, 60, 20)), 60 * 20);
  placeholder.SetState(1);
  placeholder.Paint(&surface.Canvas);
  EXPECT_EQ(surface.At(0, 0), clBlack);
  EXPECT_EQ(surface.At(2, 2), clWhite);
  EXPECT_GT(surface.CountOf(clBlack, TRect(2, 2, 58, 18)), 5);  // the name
  // Drawn centred on one line as DrawText draws it, "&" marking the letter after it.
  placeholder.SetLinkControl(L"A&B");
  placeholder.Paint(&surface.Canvas);
  MemorySurface reference(60, 20, clLime);
  FillRectColor(&reference.Canvas, TRect(0, 0, 60, 20), clWhite);
  FrameRectColor(&reference.Canvas, TRect(0, 0, 60, 20), clBlack);
  reference.Canvas.GetFont()->SetName(L"Arial");
  TFontStyles italic;
  italic.Include(fsItalic);
  reference.Canvas.GetFont()->SetStyle(italic);
  reference.Canvas.GetFont()->SetColor(clBlack);
  TRect box(0, 0, 60, 20);
  DrawTextUnicode(&reference.Canvas, L"A&B", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::GdiFlush();
  EXPECT_EQ(DifferentPixels(surface, reference, TRect(0, 0, 60, 20)), 0);
}

TEST_F(SkinObjectKindsTest, RollPanelRollsToItsRolledSizeAndBack) {
  TSeSkinObject owner(nullptr);
  auto* panel = new TSeRollPanelObject(&owner);
  panel->SetRollKind(rkTop);
  panel->SetRollValue(8);
  panel->SetBoundsRect(TRect(10, 20, 110, 80));
  panel->Toggle();
  EXPECT_EQ(panel->GetBoundsRect(), TRect(10, 72, 110, 80));  // the bottom edge stays
  panel->Toggle();
  EXPECT_EQ(panel->GetBoundsRect(), TRect(10, 20, 110, 80));
  // A rolled size of 0 rolls the panel away entirely, and back.
  panel->SetRollKind(rkRight);
  panel->SetRollValue(0);
  panel->Toggle();
  EXPECT_EQ(panel->GetBoundsRect(), TRect(10, 20, 10, 80));
  panel->Toggle();
  EXPECT_EQ(panel->GetBoundsRect(), TRect(10, 20, 110, 80));
  // A negative one never gives a negative size.
  panel->SetRollKind(rkBottom);
  panel->SetRollValue(-5);
  panel->Toggle();
  EXPECT_EQ(panel->GetBoundsRect(), TRect(10, 20, 110, 20));
  panel->Toggle();
  EXPECT_EQ(panel->GetBoundsRect(), TRect(10, 20, 110, 80));
  // Designed at the rolled size: nothing saved to go back to.
  panel->SetRollKind(rkLeft);
  panel->SetRollValue(100);
  panel->Toggle();
  EXPECT_EQ(panel->GetBoundsRect(), TRect(10, 20, 110, 80));
  // Without an owner it does not roll.
  TSeRollPanelObject alone(nullptr);
  alone.SetRollValue(4);
  alone.SetBoundsRect(TRect(0, 0, 50, 50));
  alone.Toggle();
  EXPECT_EQ(alone.GetWidth(), 50);
}

TEST_F(SkinObjectKindsTest, MaskedPicturesGiveTheRegionOfTheirPixels) {
  TSeBitmapSkinObject picture(nullptr);
  Link(picture.GetBitmap(), 2);  // blue left half, clear right half
  Bind(picture);
  picture.SetBoundsRect(TRect(40, 30, 50, 40));
  HRGN region = picture.CreateRegion();
  ASSERT_TRUE(region);
  EXPECT_TRUE(::PtInRegion(region, 42, 35));
  EXPECT_FALSE(::PtInRegion(region, 47, 35));
  EXPECT_FALSE(::PtInRegion(region, 2, 5));
  ::DeleteObject(region);
  // A client part is never masked.
  picture.SetKind(skClient);
  region = picture.CreateRegion();
  EXPECT_TRUE(::PtInRegion(region, 47, 35));
  ::DeleteObject(region);
  TSeBitmapObject frame(nullptr);
  Link(frame.GetBitmap(), 2);
  Bind(frame);
  frame.SetMasked(false);
  region = frame.CreateRegion();
  EXPECT_TRUE(::PtInRegion(region, 8, 5));
  ::DeleteObject(region);
}

// The component that skins a form, as the caption buttons see it.
class TFakeFormSkin : public TSeFormSkin {
 public:
  bool HasBorderIcon(TBorderIcon icon) const override { return icon != biHelp; }
  void Close() override { Calls.push_back(L"Close"); }
  void Help() override { Calls.push_back(L"Help"); }
  void Minimize() override { Calls.push_back(L"Minimize"); }
  void Maximize() override { Calls.push_back(L"Maximize"); }
  void Restore() override { Calls.push_back(L"Restore"); }
  void RollUp() override { Calls.push_back(L"RollUp"); }
  void ToTray() override { Calls.push_back(L"ToTray"); }
  void ShowSystemMenu() override { Calls.push_back(L"SystemMenu"); }
  void CustomButtonClick(TSeSkinObject*) override { Calls.push_back(L"Custom"); }
  std::vector<String> Calls;
};

// A window that answers 2122 with the fake component.
class TFormSkinHost : public TWinControl {
 public:
  explicit TFormSkinHost(TComponent* owner) : TWinControl(owner) {}
  void Dispatch(TMessage& message) override {
    if (message.Msg == SE_GETFORMSKIN) {
      ++Asked;
      message.Result = reinterpret_cast<LRESULT>(&Skin);
      return;
    }
    if (message.Msg == WM_APP) ++Queued;
    TWinControl::Dispatch(message);
  }
  TFakeFormSkin Skin;
  int Asked = 0;   // 2122 received
  int Queued = 0;  // WM_APP handled
};

class CaptionButtonsTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ReadLayout(L"object Form1: TButtonsForm\nend\n");
    Host = new TFormSkinHost(Form);
    Host->SetParent(Form);
    Host->SetBounds(0, 0, 50, 50);
    ShowForm();
  }
  TFormSkinHost* Host = nullptr;
};

TEST_F(CaptionButtonsTest, WindowStateAndBorderIconsShowOrHideTheButtons) {
  TSeSystemButton restore(nullptr), help(nullptr), close(nullptr);
  restore.SetAction(sbaRestore);
  help.SetAction(sbaHelp);
  close.SetAction(sbaClose);
  // Without a form-skinning component the state shows or hides nothing.
  restore.SetState(0);
  EXPECT_TRUE(restore.GetVisible());
  for (TSeSystemButton* button : {&restore, &help, &close}) button->SetControl(Host);
  restore.SetState(0);
  EXPECT_FALSE(restore.GetVisible());
  restore.SetState(1);
  EXPECT_TRUE(restore.GetVisible());
  restore.SetState(3);
  EXPECT_FALSE(restore.GetVisible());
  help.SetState(0);  // the form has no help icon
  EXPECT_FALSE(help.GetVisible());
  close.SetState(2);
  EXPECT_TRUE(close.GetVisible());
}

TEST_F(CaptionButtonsTest, AMoveOverACaptionButtonShowsTheApplicationHintBelowIt) {
  Host->SetHint(L"关闭考试窗口");
  Host->SetShowHint(true);
  TSeSystemButton close(nullptr);
  close.SetAction(sbaClose);
  TSeSysButtonSkinObject roll(nullptr);  // the second set's caption button behaves the same
  roll.SetAction(sbaRollPanel);
  for (TSeSkinObject* button : std::initializer_list<TSeSkinObject*>{&close, &roll}) {
    SCOPED_TRACE(button->ClassName());
    button->SetControl(Host);
    button->SetBoundsRect(TRect(20, 5, 36, 21));
    // No hint control yet (the mouse has not reached the host): nothing shows.
    button->MouseMove(TShiftState{});
    EXPECT_TRUE(!Application->GetHintWindow() ||
                !::IsWindowVisible(Application->GetHintWindow()->GetHandle()));
    ::SendMessageW(Host->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(25, 10));
    button->MouseMove(TShiftState{});
    THintWindow* hint = Application->GetHintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(::IsWindowVisible(hint->GetHandle()));
    EXPECT_EQ(hint->GetCaption(), L"关闭考试窗口");
    RECT r{};
    ::GetWindowRect(hint->GetHandle(), &r);
    const TPoint below = Host->ClientToScreen(TPoint(20, 21));
    EXPECT_EQ(r.left, below.X);
    EXPECT_GE(r.top, below.Y);
    Application->CancelHint();  // also forgets the hint control, for the next button
  }
}

TEST_F(CaptionButtonsTest, APressAndReleaseRunsTheActionOnce) {
  TSeSystemButton close(nullptr);
  close.SetAction(sbaClose);
  close.SetControl(Host);
  close.MouseEnter();
  EXPECT_EQ(close.GetMouseState(), 5);
  close.MouseUp(mbLeft);  // a release without a press
  EXPECT_TRUE(Host->Skin.Calls.empty());
  close.MouseDown(mbRight);
  EXPECT_EQ(close.GetMouseState(), 5);
  close.MouseDown(mbLeft);
  EXPECT_EQ(close.GetMouseState(), 6);
  close.MouseUp(mbLeft);
  EXPECT_EQ(close.GetMouseState(), 5);
  close.MouseLeave();
  EXPECT_EQ(close.GetMouseState(), 0);
  EXPECT_EQ(Host->Skin.Calls, std::vector<String>{L"Close"});
  // A double click on the system-menu button closes the form; on another button nothing.
  TSeSysButtonSkinObject menu(nullptr);
  menu.SetAction(sbaSysMenu);
  menu.SetControl(Host);
  menu.DblClick(mbLeft);
  close.DblClick(mbLeft);
  EXPECT_EQ(Host->Skin.Calls.size(), 2u);
  // The system-menu button draws an icon rather than its picture.
  menu.SetBoundsRect(TRect(0, 0, 20, 20));
  MemorySurface surface(20, 20, clFuchsia);
  menu.Paint(&surface.Canvas);
  EXPECT_LT(surface.CountOf(clFuchsia, TRect(0, 0, 20, 20)), 20 * 20);
}

TFakeFormSkin FormsSkin;
WNDPROC FormProc = nullptr;
LRESULT CALLBACK AnswerFormSkin(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == SE_GETFORMSKIN) return reinterpret_cast<LRESULT>(&FormsSkin);
  return ::CallWindowProcW(FormProc, wnd, msg, wParam, lParam);
}

TEST_F(CaptionButtonsTest, ASkinAwareControlAsksItsFormForTheFormSkin) {
  auto* box = new TSeSkinCheckBox(Form);
  box->SetParent(Form);
  box->SetBounds(60, 0, 100, 20);
  Pump();
  EXPECT_EQ(FormSkinOf(box), nullptr);  // a form without one
  HWND form = Form->GetHandle();
  FormProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnswerFormSkin)));
  EXPECT_EQ(FormSkinOf(box), &FormsSkin);
  TSeSystemButton minimize(nullptr);
  minimize.SetAction(sbaMinimize);
  minimize.SetControl(box);
  minimize.MouseDown(mbLeft);
  minimize.MouseUp(mbLeft);
  ::SetWindowLongPtrW(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FormProc));
  EXPECT_EQ(FormsSkin.Calls, std::vector<String>{L"Minimize"});
}

TEST_F(CaptionButtonsTest, RollButtonTogglesOnlyARollPanelOfItsSkin) {
  TSeSkinObject root(nullptr);
  auto* button = new TSeSysButtonSkinObject(&root);
  button->SetName(L"Roll");
  button->SetAction(sbaRollPanel);
  auto* panel = new TSeRollPanelObject(&root);
  panel->SetName(L"Panel");
  panel->SetRollKind(rkBottom);
  panel->SetRollValue(5);
  panel->SetBoundsRect(TRect(0, 20, 100, 60));
  auto* plain = new TSeSkinObject(&root);
  plain->SetName(L"Plain");
  plain->SetBoundsRect(TRect(0, 0, 100, 60));
  root.SetControl(Host);
  button->SetRollPanel(L"panel");
  ASSERT_EQ(button->FindRollPanel(), panel);
  button->MouseDown(mbLeft);
  button->MouseUp(mbLeft);
  EXPECT_EQ(panel->GetBoundsRect(), TRect(0, 20, 100, 25));
  EXPECT_TRUE(Host->Skin.Calls.empty());  // rolling is the button's own business
  // Each toggle asks for the form's skinning component and handles the queued messages, so
  // the form shows the new layout before the toggle returns.
  ::PostMessageW(Host->GetHandle(), WM_APP, 0, 0);
  const int asked = Host->Asked;
  panel->Toggle();
  EXPECT_EQ(panel->GetBoundsRect(), TRect(0, 20, 100, 60));
  EXPECT_EQ(Host->Asked, asked + 1);
  EXPECT_EQ(Host->Queued, 1);
  // A name of an object of another kind finds nothing and rolls nothing.
  button->SetRollPanel(L"Plain");
  EXPECT_EQ(button->FindRollPanel(), nullptr);
  button->MouseDown(mbLeft);
  button->MouseUp(mbLeft);
  EXPECT_EQ(plain->GetBoundsRect(), TRect(0, 0, 100, 60));
  button->SetRollPanel(L"Nothing");
  EXPECT_EQ(button->FindRollPanel(), nullptr);
}

}  // namespace
