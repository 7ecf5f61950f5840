// Descendants of the form decoration and the combo box that override the virtual operations
// the library offers for it, driven on real windows by real messages: each override is called
// and what it answers is what the window does.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinComboBox.h"
#include "controls/skin/form/SkinForm.h"
#include "tests/classlib/graphics/MemorySurface.h"

using namespace skin_tests;

namespace {

// A decoration whose geometry and frame mouse are replaced or watched.
class TProbeForm : public TSeCustomForm {
 public:
  explicit TProbeForm(TComponent* owner) : TSeCustomForm(owner) {}

  TRect GetRollupRect() const override { return Count("rollup", TRect(40, 50, 240, 80)); }
  TRect GetMinimizedRect() const override { return Count("minimized", TRect(5, 600, 165, 630)); }
  TRect GetMaximizedRect() const override { return Count("maximized", TRect(10, 20, 510, 420)); }
  TSize GetMaxTrackSize() const override { return Count("maxtrack", TSize{600, 450}); }
  // Everything below y = 60 of the window is the close button.
  TSeFrameZone HitTest(int x, int y) const override {
    return Count("hittest", y >= 60 ? fzClose : TSeCustomForm::HitTest(x, y));
  }
  void FrameMouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    Seen("down", x, y);
    TSeCustomForm::FrameMouseDown(button, shift, x, y);
  }
  void FrameMouseMove(TShiftState shift, int x, int y) override {
    Seen("move", x, y);
    TSeCustomForm::FrameMouseMove(shift, x, y);
  }
  void FrameMouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    Seen("up", x, y);
    TSeCustomForm::FrameMouseUp(button, shift, x, y);
  }
  template <class T>
  T Count(const char* name, T result) const {
    ++Calls[name];
    return result;
  }
  void Seen(const char* name, int x, int y) {
    ++Calls[name];
    Last = TPoint(x, y);
  }

  mutable std::map<std::string, int> Calls;
  TPoint Last;

 protected:
  // An ellipse: the window's corners are cut off.
  HRGN CreateWindowRegion() const override {
    return Count("region", ::CreateEllipticRgn(0, 0, FormWidth(), FormHeight()));
  }
  void UpdateWindowRegion() override {
    ++Calls["update"];
    TSeCustomForm::UpdateWindowRegion();
  }
};

class SkinExtensionFormTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    Form->SetCaption(L"派生的窗体装饰");
    Probe = new TProbeForm(Form);
    Probe->SetMinimizeApplication(false);
    ShowForm();
  }
  void TearDown() override {
    delete Probe;
    SkinFormTest::TearDown();
  }
  HWND Wnd() const { return Form->GetHandle(); }
  TPoint Screen(int x, int y) const {
    RECT r{};
    ::GetWindowRect(Wnd(), &r);
    return TPoint(r.left + x, r.top + y);
  }
  TProbeForm* Probe = nullptr;
};

TEST_F(SkinExtensionFormTest, StateRectanglesAndTrackSizeComeFromTheOverrides) {
  Probe->Maximize();
  EXPECT_GE(Probe->Calls["maximized"], 1);
  EXPECT_EQ(Form->GetBoundsRect(), TRect(10, 20, 510, 420));
  Probe->Restore();
  Probe->Rollup();
  EXPECT_GE(Probe->Calls["rollup"], 1);
  EXPECT_EQ(Form->GetBoundsRect(), TRect(40, 50, 240, 80));
  Probe->Restore();
  Probe->Minimize();
  EXPECT_GE(Probe->Calls["minimized"], 1);
  EXPECT_EQ(Form->GetBoundsRect(), TRect(5, 600, 165, 630));
  Probe->Restore();
  // A size beyond the overridden track size is cut to it.
  Probe->Calls.clear();
  Form->SetBounds(0, 0, 900, 700);
  Pump();
  EXPECT_GE(Probe->Calls["maxtrack"], 1);
  EXPECT_EQ(Form->GetWidth(), 600);
  EXPECT_EQ(Form->GetHeight(), 450);
}

TEST_F(SkinExtensionFormTest, TheOverriddenRegionShapesTheWindowAfterASizeChange) {
  Probe->Calls.clear();
  Form->SetBounds(100, 100, 320, 240);
  Pump();
  EXPECT_GE(Probe->Calls["update"], 1);
  EXPECT_GE(Probe->Calls["region"], 1);
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(Wnd(), region), ERROR);
  EXPECT_FALSE(::PtInRegion(region, 1, 1));        // a corner cut off
  EXPECT_TRUE(::PtInRegion(region, 160, 120));     // the middle kept
  ::DeleteObject(region);
  SaveScreenshot(Wnd(), L"skin_extension_ellipse");
}

TEST_F(SkinExtensionFormTest, HitTestAndFrameMouseOverridesSeeTheMessages) {
  // The override's zone answers WM_NCHITTEST: the system is told of a close button there.
  const TPoint low = Screen(100, 100);
  EXPECT_EQ(::SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(low.X, low.Y)), HTCLOSE);
  EXPECT_GE(Probe->Calls["hittest"], 1);
  const TPoint caption = Screen(60, 10);
  EXPECT_EQ(::SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(caption.X, caption.Y)), HTCAPTION);
  // The frame mouse operations get the window points of the non-client messages.
  ::SendMessageW(Wnd(), WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(caption.X + 3, caption.Y));
  EXPECT_EQ(Probe->Calls["move"], 1);
  EXPECT_EQ(Probe->Last, TPoint(63, 10));
  ::SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(low.X, low.Y));
  EXPECT_EQ(Probe->Calls["down"], 1);
  EXPECT_EQ(Probe->Last, TPoint(100, 100));
  // Released on the overridden close zone: the inherited release closes the form.
  ::SendMessageW(Wnd(), WM_NCLBUTTONUP, HTCLOSE, MAKELPARAM(low.X, low.Y));
  Pump();
  EXPECT_EQ(Probe->Calls["up"], 1);
  EXPECT_FALSE(::IsWindowVisible(Wnd()));
}

// A decoration whose close button sits near the left of the caption, after the system menu.
class TLeftCloseForm : public TSeCustomForm {
 public:
  explicit TLeftCloseForm(TComponent* owner) : TSeCustomForm(owner) {}
  TRect GetButtonRect(TSeBorderIcon icon) const override {
    TRect r = TSeCustomForm::GetButtonRect(icon);
    if (Moved && icon == vbiClose && !IsRectEmpty(r)) OffsetRect(r, 60 - r.Left, 0);
    return r;
  }
  bool Moved = true;
};

TEST_F(SkinFormTest, AMovedCaptionButtonIsHitPaintedAndPressedWhereTheDescendantPutsIt) {
  Form->SetCaption(L"");  // no caption text under the buttons
  auto* decoration = new TLeftCloseForm(Form);
  decoration->SetMinimizeApplication(false);
  ShowForm();
  WithoutThemes([&] {
    const HWND wnd = Form->GetHandle();
    const TRect moved = decoration->GetButtonRect(vbiClose);
    decoration->Moved = false;
    const TRect home = decoration->GetButtonRect(vbiClose);
    MemorySurface before(Form->GetWidth(), Form->GetHeight());
    ::SendMessageW(wnd, SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(before.DC()));
    decoration->Moved = true;
    ASSERT_EQ(moved.Left, 60);
    ASSERT_GT(home.Left, 200);
    MemorySurface after(Form->GetWidth(), Form->GetHeight());
    ::SendMessageW(wnd, SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(after.DC()));
    // The same button, drawn at its new place; the caption where it was.
    int same = 0, changed = 0;
    for (int y = 0; y < home.Height(); ++y)
      for (int x = 0; x < home.Width(); ++x) {
        same += after.At(moved.Left + x, moved.Top + y) == before.At(home.Left + x, home.Top + y);
        changed += after.At(home.Left + x, home.Top + y) != before.At(home.Left + x, home.Top + y);
      }
    EXPECT_EQ(same, home.Width() * home.Height());
    EXPECT_GT(changed, home.Width() * home.Height() / 2);
    SaveScreenshot(wnd, L"skin_extension_moved_close");

    RECT window{};
    ::GetWindowRect(wnd, &window);
    const auto hit = [&](const TRect& r) {
      const LPARAM at = MAKELPARAM(window.left + (r.Left + r.Right) / 2, window.top + (r.Top + r.Bottom) / 2);
      return std::pair(::SendMessageW(wnd, WM_NCHITTEST, 0, at), at);
    };
    EXPECT_EQ(hit(home).first, HTCAPTION);
    const auto [code, at] = hit(moved);
    EXPECT_EQ(code, HTCLOSE);
    ::SendMessageW(wnd, WM_NCLBUTTONDOWN, HTCLOSE, at);
    ::SendMessageW(wnd, WM_NCLBUTTONUP, HTCLOSE, at);
    Pump();
    EXPECT_FALSE(::IsWindowVisible(wnd));
  });
}

// A combo whose list is a descendant list and whose drop-down is watched.
class TCountingList : public TSeComboListBox {
 public:
  explicit TCountingList(TComponent* owner) : TSeComboListBox(owner) {}
};

class TProbeCombo : public TSeCustomComboBox {
 public:
  explicit TProbeCombo(TComponent* owner) : TSeCustomComboBox(owner) {}
  int Lists = 0;
  int DropDowns = 0;
  bool ListShownInDoDropDown = false;

 protected:
  TSeComboListBox* CreateList() override {
    ++Lists;
    return new TCountingList(this);
  }
  void DoDropDown() override {
    ++DropDowns;
    TSeCustomComboBox::DoDropDown();
    ListShownInDoDropDown = GetList()->GetVisible() && GetList()->GetParent() == GetDropDownWindow();
  }
};

// A list made by a descendant with another owner, or none at all.
class TStrayListCombo : public TSeCustomComboBox {
 public:
  TStrayListCombo(TComponent* owner, TComponent* listOwner)
      : TSeCustomComboBox(owner), FListOwner(listOwner) {}

 protected:
  TSeComboListBox* CreateList() override {
    return FListOwner ? new TSeComboListBox(FListOwner) : nullptr;
  }

 private:
  TComponent* FListOwner;
};

TEST_F(SkinFormTest, ComboListComesFromCreateListAndDoDropDownShowsIt) {
  auto* combo = new TProbeCombo(Form);
  combo->SetParent(Form);
  combo->SetBounds(8, 8, 160, 21);
  combo->GetItems()->Add(L"考试");
  combo->GetItems()->Add(L"题库");
  int events = 0;
  combo->OnDropDown = [&](TObject*) { EXPECT_EQ(combo->DropDowns, ++events); };  // fired by it
  ShowForm();
  EXPECT_EQ(combo->Lists, 1);
  EXPECT_NE(dynamic_cast<TCountingList*>(combo->GetList()), nullptr);
  EXPECT_EQ(combo->GetList()->GetOwner(), combo);
  combo->DropDown();
  Pump();
  EXPECT_EQ(combo->DropDowns, 1);
  EXPECT_TRUE(combo->ListShownInDoDropDown);
  EXPECT_TRUE(combo->GetDroppedDown());
  combo->CloseUp();
  combo->DropDown();
  combo->CloseUp();
  Pump();
  EXPECT_EQ(combo->DropDowns, 2);
  EXPECT_EQ(events, 2);
  EXPECT_EQ(combo->Lists, 1);  // one list for the combo's whole life
  // A list owned elsewhere is taken over; no list at all gets the base's.
  TComponent other(nullptr);
  auto* stray = new TStrayListCombo(Form, &other);
  EXPECT_EQ(stray->GetList()->GetOwner(), stray);
  EXPECT_EQ(other.GetComponentCount(), 0);
  auto* none = new TStrayListCombo(Form, nullptr);
  ASSERT_NE(none->GetList(), nullptr);
  EXPECT_EQ(none->GetList()->GetOwner(), none);
}

}  // namespace
