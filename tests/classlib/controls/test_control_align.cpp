// Layout inside a windowed control: Align (top, bottom, left, right, client), Anchors when
// the parent is resized, Constraints, AutoSize, and DisableAlign/EnableAlign.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"

using namespace control_tests;

namespace {

class ControlAlign : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<TTestHost>(50, 50, 600, 500);
    Panel = new TLogWindow(Host.get(), Host.get(), Bounds(0, 0, 400, 300));
    Host->ShowHost();
  }
  TControl* Add(TAlign align, const TRect& bounds, bool windowed = false) {
    TControl* control =
        windowed ? static_cast<TControl*>(new TLogWindow(Host.get(), Panel, bounds))
                 : static_cast<TControl*>(new TLogGraphic(Host.get(), Panel, bounds));
    control->SetAlign(align);
    return control;
  }
  std::unique_ptr<TTestHost> Host;
  TLogWindow* Panel = nullptr;
};

}  // namespace

TEST_F(ControlAlign, TopBottomLeftRightAndClientShareTheClientArea) {
  TControl* client = Add(alClient, Bounds(0, 0, 10, 10), true);
  TControl* top = Add(alTop, Bounds(0, 0, 10, 50));
  TControl* bottom = Add(alBottom, Bounds(0, 0, 10, 40), true);
  TControl* left = Add(alLeft, Bounds(0, 0, 60, 10));
  TControl* right = Add(alRight, Bounds(0, 0, 70, 10), true);

  EXPECT_EQ(top->GetBoundsRect(), Bounds(0, 0, 400, 50));
  EXPECT_EQ(bottom->GetBoundsRect(), Bounds(0, 260, 400, 40));
  EXPECT_EQ(left->GetBoundsRect(), Bounds(0, 50, 60, 210));
  EXPECT_EQ(right->GetBoundsRect(), Bounds(330, 50, 70, 210));
  EXPECT_EQ(client->GetBoundsRect(), Bounds(60, 50, 270, 210));
  // The windows are where the controls say.
  RECT r{};
  ::GetWindowRect(static_cast<TWinControl*>(client)->GetHandle(), &r);
  ::MapWindowPoints(nullptr, Panel->GetHandle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(TRect(r), Bounds(60, 50, 270, 210));

  // The parent grows: the layout follows.
  Panel->SetBounds(0, 0, 500, 400);
  EXPECT_EQ(top->GetBoundsRect(), Bounds(0, 0, 500, 50));
  EXPECT_EQ(bottom->GetBoundsRect(), Bounds(0, 360, 500, 40));
  EXPECT_EQ(right->GetBoundsRect(), Bounds(430, 50, 70, 310));
  EXPECT_EQ(client->GetBoundsRect(), Bounds(60, 50, 370, 310));

  // A hidden aligned control gives its room back.
  top->SetVisible(false);
  EXPECT_EQ(left->GetBoundsRect(), Bounds(0, 0, 60, 360));
  EXPECT_EQ(client->GetBoundsRect(), Bounds(60, 0, 370, 360));
}

TEST_F(ControlAlign, ControlsOfOneAlignmentStackInTheOrderOfTheirPlace) {
  TControl* upper = Add(alTop, Bounds(0, 100, 10, 20));
  EXPECT_EQ(upper->GetBoundsRect(), Bounds(0, 0, 400, 20));
  // A new bar goes where its Top puts it among the bars already there: below.
  TControl* lower = Add(alTop, Bounds(0, 5, 10, 30));
  EXPECT_EQ(upper->GetBoundsRect(), Bounds(0, 0, 400, 20));
  EXPECT_EQ(lower->GetBoundsRect(), Bounds(0, 20, 400, 30));
  // Moving a bar above the other reorders them.
  lower->SetTop(-5);
  EXPECT_EQ(lower->GetBoundsRect(), Bounds(0, 0, 400, 30));
  EXPECT_EQ(upper->GetBoundsRect(), Bounds(0, 30, 400, 20));
  // Turning a top bar into a left bar swaps its width and height.
  upper->SetAlign(alLeft);
  EXPECT_EQ(upper->GetBoundsRect(), Bounds(0, 30, 20, 270));
}

TEST_F(ControlAlign, AnchorsKeepTheirDistancesWhenTheParentResizes) {
  TControl* corner = Add(alNone, Bounds(350, 250, 40, 40));
  corner->SetAnchors(TAnchors{akRight, akBottom});
  TControl* stretch = Add(alNone, Bounds(10, 10, 380, 20), true);
  stretch->SetAnchors(TAnchors{akLeft, akTop, akRight});
  TControl* centred = Add(alNone, Bounds(180, 130, 40, 40));
  centred->SetAnchors(TAnchors());
  TControl* plain = Add(alNone, Bounds(5, 200, 20, 20));

  Panel->SetBounds(0, 0, 500, 400);
  EXPECT_EQ(corner->GetBoundsRect(), Bounds(450, 350, 40, 40));
  EXPECT_EQ(stretch->GetBoundsRect(), Bounds(10, 10, 480, 20));
  EXPECT_EQ(centred->GetBoundsRect(), Bounds(230, 180, 40, 40));  // centre at the same share
  EXPECT_EQ(plain->GetBoundsRect(), Bounds(5, 200, 20, 20));

  Panel->SetBounds(0, 0, 300, 200);
  EXPECT_EQ(corner->GetBoundsRect(), Bounds(250, 150, 40, 40));
  EXPECT_EQ(stretch->GetBoundsRect(), Bounds(10, 10, 280, 20));

  // Moving an anchored control by hand sets its new distance.
  corner->SetBounds(200, 100, 40, 40);
  Panel->SetBounds(0, 0, 400, 300);
  EXPECT_EQ(corner->GetBoundsRect(), Bounds(300, 200, 40, 40));
}

TEST_F(ControlAlign, ConstraintsLimitTheSizeAndTheRestIsGivenToTheOthers) {
  TControl* left = Add(alLeft, Bounds(0, 0, 60, 10));
  left->GetConstraints()->SetMaxWidth(30);
  TControl* client = Add(alClient, Bounds(0, 0, 10, 10));
  EXPECT_EQ(left->GetBoundsRect(), Bounds(0, 0, 30, 300));
  EXPECT_EQ(client->GetBoundsRect(), Bounds(30, 0, 370, 300));

  // A client control with a largest size takes only that much.
  client->GetConstraints()->SetMaxHeight(100);
  EXPECT_EQ(client->GetBoundsRect(), Bounds(30, 0, 370, 100));

  TControl* free = Add(alNone, Bounds(0, 0, 10, 10));
  free->GetConstraints()->SetMinWidth(25);
  EXPECT_EQ(free->GetWidth(), 25);
  free->SetWidth(5);
  EXPECT_EQ(free->GetWidth(), 25);
  free->GetConstraints()->SetMaxWidth(20);  // below the least: the least comes down
  EXPECT_EQ(free->GetConstraints()->GetMinWidth(), 20);
  EXPECT_EQ(free->GetWidth(), 20);
}

TEST_F(ControlAlign, DisabledAlignWaitsForEnableAlign) {
  TControl* top = Add(alTop, Bounds(0, 0, 10, 50));
  Panel->DisableAlign();
  TControl* bottom = Add(alBottom, Bounds(0, 0, 10, 40));
  EXPECT_EQ(bottom->GetBoundsRect(), Bounds(0, 0, 10, 40));
  Panel->EnableAlign();
  EXPECT_EQ(bottom->GetBoundsRect(), Bounds(0, 260, 400, 40));
  EXPECT_EQ(top->GetBoundsRect(), Bounds(0, 0, 400, 50));
}

TEST_F(ControlAlign, AutoSizeFitsAWindowedControlToItsChildren) {
  auto* box = new TLogWindow(Host.get(), Host.get(), Bounds(0, 310, 20, 20));
  new TLogGraphic(Host.get(), box, Bounds(10, 10, 50, 30));
  new TLogGraphic(Host.get(), box, Bounds(40, 5, 30, 60));
  box->SetAutoSize(true);
  EXPECT_EQ(box->GetWidth(), 70);
  EXPECT_EQ(box->GetHeight(), 65);
}

TEST(ControlAlignWithoutWindows, LayoutAlsoHappensBeforeTheWindowsExist) {
  TTestHost host(0, 0, 200, 100);
  auto* top = new TLogGraphic(&host, &host, Bounds(0, 0, 10, 20));
  top->SetAlign(alTop);
  auto* client = new TLogWindow(&host, &host, Bounds(0, 0, 10, 10));
  client->SetAlign(alClient);
  EXPECT_FALSE(host.HandleAllocated());
  EXPECT_EQ(client->GetBoundsRect(), Bounds(0, 20, 200, 80));
}
