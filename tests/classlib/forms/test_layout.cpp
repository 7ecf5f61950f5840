// Tests across controls and forms: panels aligned inside a framed panel on a form, windows
// made again keeping their state, and a form of fifty controls opened, shown modally and
// closed many times without leaking GDI or user objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "FormsTestSupport.h"
#include "classlib/controls/Panels.h"
#include "classlib/controls/Scrolling.h"

namespace {

using control_tests::PumpMessages;
using control_tests::ThreadWindowCount;
using forms_tests::TTestButton;

TCustomPanel* AddPanel(TWinControl* parent, TAlign align, TRect bounds) {
  auto* panel = new TCustomPanel(parent);
  panel->SetBoundsRect(bounds);
  panel->SetAlign(align);
  panel->SetParent(parent);
  return panel;
}

// Bounds of a child window as the system has them, in its parent's client coordinates.
TRect WindowBounds(TWinControl* control) {
  RECT r;
  ::GetWindowRect(control->GetHandle(), &r);
  ::MapWindowPoints(nullptr, ::GetParent(control->GetHandle()), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class LayoutFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = TCustomForm::Create<TForm>(nullptr);
    Form->HandleNeeded();  // the client size is measured on the window
    Form->SetClientWidth(400);
    Form->SetClientHeight(300);
  }
  void TearDown() override {
    delete Form;
    PumpMessages();
  }
  TForm* Form = nullptr;
};

TEST_F(LayoutFormTest, PanelsInsideAFramedPanelFollowTheFormAndKeepClearOfTheFrame) {
  TCustomPanel* frame = AddPanel(Form, alClient, Bounds(0, 0, 10, 10));
  frame->SetBorderWidth(4);
  frame->SetBevelInner(bvLowered);  // frame: 1 + 4 + 1 = 6 on every side
  frame->SetBorderStyle(bsSingle);  // and the window's edge around the client area
  TCustomPanel* top = AddPanel(frame, alTop, Bounds(0, 0, 10, 30));
  TCustomPanel* bottom = AddPanel(frame, alBottom, Bounds(0, 0, 10, 20));
  TCustomPanel* client = AddPanel(frame, alClient, Bounds(0, 0, 10, 10));
  Form->Show();
  PumpMessages();
  ASSERT_EQ(frame->GetBoundsRect(), Bounds(0, 0, 400, 300));
  const int edge = (frame->GetWidth() - frame->GetClientWidth()) / 2;
  EXPECT_GT(edge, 0);
  const int width = 400 - 2 * edge - 12;
  EXPECT_EQ(top->GetBoundsRect(), Bounds(6, 6, width, 30));
  EXPECT_EQ(bottom->GetBoundsRect(), Bounds(6, 300 - 2 * edge - 6 - 20, width, 20));
  EXPECT_EQ(WindowBounds(client), Bounds(6, 36, width, 300 - 2 * edge - 62));

  // The form's new client size reaches the panels; following it, they make no scroll bars.
  Form->SetClientHeight(200);
  PumpMessages();
  EXPECT_EQ(bottom->GetBoundsRect(), Bounds(6, 200 - 2 * edge - 6 - 20, width, 20));
  EXPECT_EQ(WindowBounds(client), Bounds(6, 36, width, 200 - 2 * edge - 62));
  EXPECT_FALSE(Form->GetVertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(Form->GetHorzScrollBar()->IsScrollBarVisible());
  // A hidden panel gives its room to the others.
  top->SetVisible(false);
  EXPECT_EQ(client->GetBoundsRect().Top, 6);
}

TEST_F(LayoutFormTest, AScrollBoxOnAFormScrollsItsChildrenOnly) {
  auto* box = new TScrollBox(Form);
  box->SetBorderStyle(bsNone);
  box->SetBounds(0, 0, 200, 150);
  box->SetParent(Form);
  auto* inner = AddPanel(box, alNone, Bounds(20, 400, 80, 40));
  Form->Show();
  PumpMessages();
  EXPECT_EQ(box->GetVertScrollBar()->GetRange(), 440);
  box->ScrollInView(inner);
  EXPECT_EQ(box->GetVertScrollBar()->GetPosition(), 440 - box->GetClientHeight());
  EXPECT_EQ(WindowBounds(inner).Top, 400 - box->GetVertScrollBar()->GetPosition());
  EXPECT_EQ(box->GetBoundsRect(), Bounds(0, 0, 200, 150));  // the box stays
  EXPECT_FALSE(Form->GetVertScrollBar()->IsScrollBarVisible());

  // A new window of the box keeps its position and its children where they were scrolled to.
  const int position = box->GetVertScrollBar()->GetPosition();
  box->RecreateWnd();
  EXPECT_EQ(box->GetVertScrollBar()->GetPosition(), position);
  EXPECT_EQ(::GetScrollPos(box->GetHandle(), SB_VERT), position);
  EXPECT_EQ(WindowBounds(inner).Top, 400 - position);
}

TEST_F(LayoutFormTest, RecreatingTheFormKeepsCaptionBoundsAndNestedChildren) {
  Form->SetCaption(L"Recreated");
  TCustomPanel* panel = AddPanel(Form, alNone, Bounds(10, 20, 200, 100));
  TCustomPanel* inner = AddPanel(panel, alNone, Bounds(5, 6, 50, 30));
  Form->Show();
  PumpMessages();
  const TRect formBounds = Form->GetBoundsRect();
  const HWND oldForm = Form->GetHandle();
  const HWND oldInner = inner->GetHandle();
  Form->RecreateWnd();
  EXPECT_NE(Form->GetHandle(), oldForm);
  EXPECT_FALSE(::IsWindow(oldInner));
  wchar_t text[64] = {};
  ::GetWindowTextW(Form->GetHandle(), text, 64);
  EXPECT_STREQ(text, L"Recreated");
  EXPECT_EQ(Form->GetBoundsRect(), formBounds);
  EXPECT_EQ(Form->GetClientWidth(), 400);
  EXPECT_EQ(::GetParent(panel->GetHandle()), Form->GetHandle());
  EXPECT_EQ(::GetParent(inner->GetHandle()), panel->GetHandle());
  EXPECT_TRUE(::IsWindowVisible(inner->GetHandle()));
  EXPECT_EQ(WindowBounds(panel), Bounds(10, 20, 200, 100));
  EXPECT_EQ(WindowBounds(inner), Bounds(5, 6, 50, 30));
}

// ---- Many controls opened and closed ---------------------------------------------------------

// A window and a windowless control that paint themselves, so painting takes the
// canvas's tools.
class Painted : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(clAqua);
    GetCanvas()->FillRect(GetClientRect());
    GetCanvas()->TextOut(2, 2, L"Painted");
  }
};
class Drawn : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    GetCanvas()->GetPen()->SetColor(clNavy);
    GetCanvas()->Rectangle(0, 0, GetWidth(), GetHeight());
  }
};

// Fifty controls: framed panels with captions and fonts of their own (holding further
// controls), self-painting windows, windowless controls, and scroll boxes.
void BuildFiftyControls(TForm* form) {
  int made = 0;
  for (int row = 0; made < 50; ++row) {
    auto* panel = new TCustomPanel(form);
    panel->SetBounds(4, 4 + row * 44, 300, 40);
    panel->SetBevelInner(bvLowered);
    panel->SetBorderWidth(1);
    panel->SetCaption(L"Panel " + std::to_wstring(row));
    panel->GetFont()->SetSize(8 + row % 4);
    panel->SetParent(form);
    ++made;
    for (int i = 0; i < 4 && made < 50; ++i, ++made) {
      TControl* child;
      switch ((row + i) % 4) {
        case 0: child = new Painted(form); break;
        case 1: child = new Drawn(form); break;
        case 2: {
          auto* box = new TScrollBox(form);
          box->GetVertScrollBar()->SetStyle(row % 2 ? ssHotTrack : ssRegular);
          auto* content = new Drawn(form);
          content->SetBounds(0, 0, 20, 100);  // taller than the box: it scrolls
          content->SetParent(box);
          child = box;
          break;
        }
        default: {
          auto* tiny = new TCustomPanel(form);
          tiny->SetAlignment(taLeftJustify);
          tiny->SetCaption(L"x");
          child = tiny;
        }
      }
      child->SetBounds(150 + i * 36, 4, 32, 30);
      if (auto* win = dynamic_cast<TWinControl*>(child); win && i % 2) win->SetTabStop(true);
      child->SetParent(panel);
    }
  }
}

// Shows the form and lets everything paint, hides it, shows it modally until its OK button
// is clicked, and lets it be freed (its OnClose says caFree).
void OpenAndCloseOnce() {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  bool freed = false;
  form->SetOnDestroy([&freed](TObject*) { freed = true; });
  form->SetOnClose([](TObject*, TCloseAction& action) { action = caFree; });
  form->HandleNeeded();
  form->SetClientWidth(320);
  form->SetClientHeight(480);
  form->SetCaption(L"练习");
  BuildFiftyControls(form);
  auto* ok = new TTestButton(form, Bounds(250, 445, 60, 25), mrOk);
  form->Show();
  ::UpdateWindow(form->GetHandle());
  form->GetCanvas()->TextOut(0, 0, L"x");  // the canvas takes a DC outside painting
  PumpMessages();
  form->Hide();
  ::PostMessageW(ok->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->ShowModal(), mrOk);
  for (int i = 0; i < 100 && !freed; ++i) PumpMessages();
  if (!freed) {
    ADD_FAILURE() << "the form was not freed on close";
    delete form;
  }
}

// GDI and user objects in use: the counts (exact for GDI objects under Wine too, see
// GdiObjectCount), and the slots fresh objects get. Wine gives freed handle slots (the low
// word of a handle) out again first, so fresh objects land in the same slots after
// leak-free work, while objects left behind push them higher (about one slot per object).
struct ObjectUse {
  int GdiCount = 0;
  int UserCount = 0;
  unsigned GdiSlot = 0;   // highest slot among fresh probe objects
  unsigned UserSlot = 0;

  static ObjectUse Measure() {
    ObjectUse use;
    use.GdiCount = control_tests::GdiObjectCount();
    use.UserCount = forms_tests::UserObjectCount();
    constexpr int kProbes = 64;
    HBITMAP bitmaps[kProbes];
    HICON icons[kProbes];
    const BYTE andBits[2] = {0, 0}, xorBits[2] = {0, 0};
    for (int i = 0; i < kProbes; ++i) {
      bitmaps[i] = ::CreateBitmap(1, 1, 1, 1, nullptr);
      icons[i] = ::CreateIcon(nullptr, 1, 1, 1, 1, andBits, xorBits);
    }
    for (int i = 0; i < kProbes; ++i) {
      use.GdiSlot = std::max<unsigned>(use.GdiSlot, LOWORD(reinterpret_cast<uintptr_t>(bitmaps[i])));
      use.UserSlot = std::max<unsigned>(use.UserSlot, LOWORD(reinterpret_cast<uintptr_t>(icons[i])));
      ::DeleteObject(bitmaps[i]);
      ::DestroyIcon(icons[i]);
    }
    return use;
  }
};

TEST(ManyControls, OpeningAndClosingAFormOfFiftyControlsLeaksNothing) {
  OpenAndCloseOnce();  // the first round fills the caches that live on
  const int formsBefore = Screen->GetCustomFormCount();
  const int windowsBefore = ThreadWindowCount();
  const ObjectUse before = ObjectUse::Measure();
  ASSERT_GT(before.GdiCount, 0);
  // Each round takes about a quarter of a second under Wine (showing and hiding a
  // top-level window dominates); 200 rounds push a leak of one object per round far past
  // the slack of the slot measure.
  constexpr int kRounds = 200;
  constexpr unsigned kSlotSlack = 100;
  for (int i = 0; i < kRounds; ++i) OpenAndCloseOnce();
  const ObjectUse after = ObjectUse::Measure();
  EXPECT_LE(after.GdiCount, before.GdiCount + 2) << "GDI objects leak";
  EXPECT_LE(after.UserCount, before.UserCount + 2) << "user objects leak";
  EXPECT_LT(after.GdiSlot, before.GdiSlot + kSlotSlack) << "GDI objects leak";
  EXPECT_LT(after.UserSlot, before.UserSlot + kSlotSlack) << "user objects leak";
  EXPECT_EQ(ThreadWindowCount(), windowsBefore);
  EXPECT_EQ(Screen->GetCustomFormCount(), formsBefore);
}

}  // namespace
