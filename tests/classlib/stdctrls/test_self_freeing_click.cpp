// A click handler that frees its own control: the system's button window clicks while it
// handles the release, and nothing of the freed control may be touched after. The freed
// controls' memory is cleared and kept, so that a use after the free faults
// at once rather than by chance.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ButtonsTestSupport.h"
#include "classlib/stdctrls/Buttons.h"

using namespace button_tests;

namespace {

std::vector<void*>& Graveyard() {
  static std::vector<void*> blocks;
  return blocks;
}

void BuryGraveyard() {
  for (void* block : Graveyard()) ::operator delete(block);
  Graveyard().clear();
}

// TBase whose freed memory is cleared and held until BuryGraveyard.
template <class TBase>
class TPoisoned : public TBase {
 public:
  using TBase::TBase;
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* block, std::size_t size) {
    std::memset(block, 0, size);  // a virtual call through it faults at once
    Graveyard().push_back(block);
  }
};

class SelfFreeingClick : public FormTest {
 protected:
  void TearDown() override {
    FormTest::TearDown();
    BuryGraveyard();
  }
  // Clicks control with the mouse; its OnClick frees it.
  void ClickAndFree(TControl* control) {
    int clicks = 0;
    control->SetOnClick([&clicks](TObject* sender) {
      ++clicks;
      delete sender;  // the last thing the handler does: its closure goes with the control
    });
    const int before = Form->GetControlCount();
    ClickControl(control);
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(before - 1, Form->GetControlCount());
  }
  // The form still clicks a button of its own.
  void ExpectTheFormStillWorks() {
    auto* other = new TButton(Form);
    other->SetParent(Form);
    other->SetBounds(200, 8, 75, 25);
    int clicks = 0;
    other->SetOnClick([&clicks](TObject*) { ++clicks; });
    ClickControl(other);
    EXPECT_EQ(1, clicks);
  }
};

}  // namespace

TEST_F(SelfFreeingClick, AButtonWindowAndACustomControlFreedByTheirOnClick) {
  auto* button = new TPoisoned<TButton>(Form);
  button->SetParent(Form);
  button->SetBounds(8, 8, 75, 25);
  auto* control = new TPoisoned<TCustomControl>(Form);
  control->SetParent(Form);
  control->SetBounds(8, 40, 60, 30);
  ShowForm();
  ClickAndFree(button);
  ClickAndFree(control);
  ExpectTheFormStillWorks();
}
