// Tests across controls and forms: a form laid out by Align with panels (also inside a
// framed panel), windows made again keeping their state, and a form of fifty controls
// opened and closed many times without leaking GDI or user objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "classlib/controls/Panels.h"
#include "classlib/controls/Scrolling.h"
#include "classlib/forms/Forms.h"

namespace {

void Pump() {
  MSG msg;
  for (int i = 0; i < 5000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

TCustomPanel* AddPanel(TWinControl* parent, TAlign align, TRect bounds) {
  auto* panel = new TCustomPanel(parent);
  panel->SetBoundsRect(bounds);
  panel->SetAlign(align);
  panel->SetParent(parent);
  return panel;
}

// A form whose panels take the top, the bottom, the left and the rest of a container.
struct DockedPanels {
  DockedPanels(TWinControl* container) {
    Top = AddPanel(container, alTop, Bounds(0, 0, 10, 30));
    Bottom = AddPanel(container, alBottom, Bounds(0, 0, 10, 20));
    Left = AddPanel(container, alLeft, Bounds(0, 0, 50, 10));
    Client = AddPanel(container, alClient, Bounds(0, 0, 10, 10));
  }
  TCustomPanel* Top;
  TCustomPanel* Bottom;
  TCustomPanel* Left;
  TCustomPanel* Client;
};

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
    Pump();
  }
  TForm* Form = nullptr;
};

TEST_F(LayoutFormTest, AlignLaysOutTopBottomLeftAndClientPanels) {
  DockedPanels p(Form);
  Form->Show();
  Pump();
  ASSERT_EQ(Form->GetClientWidth(), 400);
  ASSERT_EQ(Form->GetClientHeight(), 300);
  EXPECT_EQ(p.Top->GetBoundsRect(), Bounds(0, 0, 400, 30));
  EXPECT_EQ(p.Bottom->GetBoundsRect(), Bounds(0, 280, 400, 20));
  EXPECT_EQ(p.Left->GetBoundsRect(), Bounds(0, 30, 50, 250));
  EXPECT_EQ(p.Client->GetBoundsRect(), Bounds(50, 30, 350, 250));
  // The windows are where the controls say.
  EXPECT_EQ(WindowBounds(p.Client), Bounds(50, 30, 350, 250));
  EXPECT_EQ(WindowBounds(p.Bottom), Bounds(0, 280, 400, 20));

  Form->SetClientWidth(500);
  Form->SetClientHeight(400);
  Pump();
  EXPECT_EQ(p.Top->GetBoundsRect(), Bounds(0, 0, 500, 30));
  EXPECT_EQ(p.Bottom->GetBoundsRect(), Bounds(0, 380, 500, 20));
  EXPECT_EQ(p.Left->GetBoundsRect(), Bounds(0, 30, 50, 350));
  EXPECT_EQ(p.Client->GetBoundsRect(), Bounds(50, 30, 450, 350));
  EXPECT_EQ(WindowBounds(p.Client), Bounds(50, 30, 450, 350));
  // Panels that follow the client do not make the form scroll.
  EXPECT_FALSE(Form->GetVertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(Form->GetHorzScrollBar()->IsScrollBarVisible());

  // A hidden panel gives its room to the others.
  p.Left->SetVisible(false);
  EXPECT_EQ(p.Client->GetBoundsRect(), Bounds(0, 30, 500, 350));
  // So does a changed size of a docked one.
  p.Top->SetHeight(60);
  EXPECT_EQ(p.Client->GetBoundsRect(), Bounds(0, 60, 500, 320));
}

TEST_F(LayoutFormTest, PanelsInsideAFramedPanelKeepClearOfItsFrame) {
  TCustomPanel* frame = AddPanel(Form, alClient, Bounds(0, 0, 10, 10));
  frame->SetBorderWidth(4);
  frame->SetBevelOuter(bvRaised);
  frame->SetBevelInner(bvLowered);  // frame: 1 + 4 + 1 = 6 on every side
  DockedPanels p(frame);
  Form->Show();
  Pump();
  ASSERT_EQ(frame->GetBoundsRect(), Bounds(0, 0, 400, 300));
  EXPECT_EQ(p.Top->GetBoundsRect(), Bounds(6, 6, 388, 30));
  EXPECT_EQ(p.Bottom->GetBoundsRect(), Bounds(6, 274, 388, 20));
  EXPECT_EQ(p.Left->GetBoundsRect(), Bounds(6, 36, 50, 238));
  EXPECT_EQ(p.Client->GetBoundsRect(), Bounds(56, 36, 338, 238));

  frame->SetBevelWidth(3);  // frame: 3 + 4 + 3 = 10
  EXPECT_EQ(p.Top->GetBoundsRect(), Bounds(10, 10, 380, 30));
  EXPECT_EQ(p.Client->GetBoundsRect(), Bounds(60, 40, 330, 230));

  // A single border takes its edge off the client area as well.
  frame->SetBorderStyle(bsSingle);
  Pump();
  const int edge = (frame->GetWidth() - frame->GetClientWidth()) / 2;
  EXPECT_GT(edge, 0);
  EXPECT_EQ(p.Top->GetBoundsRect(), Bounds(10, 10, 380 - 2 * edge, 30));
  EXPECT_EQ(p.Bottom->GetBoundsRect(), Bounds(10, 300 - 2 * edge - 10 - 20, 380 - 2 * edge, 20));

  Form->SetClientHeight(200);
  Pump();
  EXPECT_EQ(p.Bottom->GetBoundsRect(), Bounds(10, 200 - 2 * edge - 10 - 20, 380 - 2 * edge, 20));
  EXPECT_EQ(p.Left->GetBoundsRect(), Bounds(10, 40, 50, 200 - 2 * edge - 70));
}

TEST_F(LayoutFormTest, AScrollBoxOnAFormScrollsItsChildrenOnly) {
  auto* box = new TScrollBox(Form);
  box->SetBorderStyle(bsNone);
  box->SetBounds(0, 0, 200, 150);
  box->SetParent(Form);
  auto* inner = AddPanel(box, alNone, Bounds(20, 400, 80, 40));
  Form->Show();
  Pump();
  EXPECT_TRUE(box->GetVertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->GetVertScrollBar()->GetRange(), 440);
  box->ScrollInView(inner);
  EXPECT_EQ(box->GetVertScrollBar()->GetPosition(), 440 - box->GetClientHeight());
  EXPECT_EQ(WindowBounds(inner).Top, 400 - box->GetVertScrollBar()->GetPosition());
  EXPECT_EQ(box->GetBoundsRect(), Bounds(0, 0, 200, 150));  // the box stays
  EXPECT_FALSE(Form->GetVertScrollBar()->IsScrollBarVisible());
}

// ---- RecreateWnd ---------------------------------------------------------------------------

TEST_F(LayoutFormTest, RecreateWndKeepsCaptionBoundsAndChildren) {
  Form->SetCaption(L"Recreated");
  TCustomPanel* panel = AddPanel(Form, alNone, Bounds(10, 20, 200, 100));
  panel->SetCaption(L"Panel caption");
  TCustomPanel* inner = AddPanel(panel, alNone, Bounds(5, 6, 50, 30));
  inner->SetCaption(L"inner");
  auto* windowless = new TGraphicControl(panel);
  windowless->SetBounds(70, 8, 20, 20);
  windowless->SetParent(panel);
  Form->Show();
  Pump();

  const HWND oldPanel = panel->GetHandle();
  const HWND oldInner = inner->GetHandle();
  panel->RecreateWnd();
  const HWND newPanel = panel->GetHandle();
  EXPECT_NE(newPanel, oldPanel);
  EXPECT_FALSE(::IsWindow(oldPanel));
  EXPECT_FALSE(::IsWindow(oldInner));
  wchar_t text[64] = {};
  ::GetWindowTextW(newPanel, text, 64);
  EXPECT_STREQ(text, L"Panel caption");
  EXPECT_EQ(panel->GetCaption(), L"Panel caption");
  EXPECT_EQ(panel->GetBoundsRect(), Bounds(10, 20, 200, 100));
  EXPECT_EQ(WindowBounds(panel), Bounds(10, 20, 200, 100));
  EXPECT_TRUE(::IsWindowVisible(newPanel));
  ASSERT_EQ(panel->GetControlCount(), 2);
  EXPECT_EQ(::GetParent(inner->GetHandle()), newPanel);
  EXPECT_EQ(WindowBounds(inner), Bounds(5, 6, 50, 30));
  EXPECT_EQ(inner->GetCaption(), L"inner");
  EXPECT_EQ(windowless->GetParent(), panel);
  EXPECT_EQ(windowless->GetBoundsRect(), Bounds(70, 8, 20, 20));

  // The form itself, with everything on it.
  const TRect formBounds = Form->GetBoundsRect();
  const HWND oldForm = Form->GetHandle();
  Form->RecreateWnd();
  EXPECT_NE(Form->GetHandle(), oldForm);
  ::GetWindowTextW(Form->GetHandle(), text, 64);
  EXPECT_STREQ(text, L"Recreated");
  EXPECT_EQ(Form->GetBoundsRect(), formBounds);
  EXPECT_EQ(Form->GetClientWidth(), 400);
  EXPECT_EQ(::GetParent(panel->GetHandle()), Form->GetHandle());
  EXPECT_EQ(::GetParent(inner->GetHandle()), panel->GetHandle());
  EXPECT_EQ(WindowBounds(panel), Bounds(10, 20, 200, 100));

  // A scrolled box keeps its position and its children where they were scrolled to.
  auto* box = new TScrollBox(Form);
  box->SetBounds(220, 0, 150, 120);
  box->SetParent(Form);
  TCustomPanel* distant = AddPanel(box, alNone, Bounds(0, 300, 60, 40));
  box->ScrollInView(distant);
  const int position = box->GetVertScrollBar()->GetPosition();
  ASSERT_GT(position, 0);
  box->RecreateWnd();
  EXPECT_EQ(box->GetVertScrollBar()->GetPosition(), position);
  EXPECT_EQ(::GetScrollPos(box->GetHandle(), SB_VERT), position);
  EXPECT_EQ(WindowBounds(distant).Top, 300 - position);
}

// ---- Many controls opened and closed ---------------------------------------------------------

// A control that paints itself, so painting takes the canvas's tools.
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

// Opens the form, lets everything paint, closes it and lets it be freed.
void OpenAndCloseOnce() {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  bool freed = false;
  form->SetOnDestroy([&freed](TObject*) { freed = true; });
  form->SetOnClose([](TObject*, TCloseAction& action) { action = caFree; });
  form->HandleNeeded();
  form->SetClientWidth(320);
  form->SetClientHeight(480);
  BuildFiftyControls(form);
  form->Show();
  ::UpdateWindow(form->GetHandle());
  Pump();
  form->Close();
  for (int i = 0; i < 100 && !freed; ++i) Pump();
  if (!freed) {
    ADD_FAILURE() << "the form was not freed on close";
    delete form;
  }
}

// How many windows the thread has, top-level ones and all their descendants.
BOOL CALLBACK CountWindow(HWND, LPARAM param) {
  ++*reinterpret_cast<int*>(param);
  return TRUE;
}
BOOL CALLBACK CountTopLevelWindow(HWND wnd, LPARAM param) {
  CountWindow(wnd, param);
  ::EnumChildWindows(wnd, CountWindow, param);
  return TRUE;
}
int ThreadWindowCount() {
  int count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), CountTopLevelWindow,
                      reinterpret_cast<LPARAM>(&count));
  return count;
}

// GDI and user objects in use. On Windows the process's counts say it; Wine reports 0 for
// them, but it gives freed handle slots (the low word of a handle) out again first, so
// fresh objects land in the same slots after leak-free work, while objects left behind
// push them higher (about one slot per leaked object).
struct ObjectUse {
  DWORD GdiCount = 0;
  DWORD UserCount = 0;
  unsigned GdiSlot = 0;   // highest slot among fresh probe objects
  unsigned UserSlot = 0;

  static ObjectUse Measure() {
    ObjectUse use;
    use.GdiCount = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    use.UserCount = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
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
