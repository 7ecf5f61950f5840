// The modal driver of the window tests: a step that never happens, or a window left open
// after the last step, is one named failure and the window closes, in seconds.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>

#include "WindowTestSupport.h"

namespace {

struct ModalRun {
  TModalResult Result = mrNone;
  DWORD Took = 0;  // ms
  bool Done = true;
};

std::unique_ptr<TForm> DrivenForm() {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetCaption(L"驱动测试");
  form->SetBounds(100, 100, 300, 200);
  return form;
}

void ExpectClosed(TForm& form, const ModalRun& run) {
  EXPECT_EQ(mrCancel, run.Result);
  EXPECT_FALSE(form.GetVisible());
  EXPECT_FALSE(form.GetFormState().Contains(fsModal));
  EXPECT_FALSE(run.Done);
  EXPECT_LT(run.Took, 6000u) << "seconds, not the test program's timeout";
}

TEST(ModalDriver, AStepThatNeverHappensFailsOnceAndClosesTheWindow) {
  std::unique_ptr<TForm> form = DrivenForm();
  ModalRun run;
  bool shown = false;
  {
    TModalDriver driver({[&] { return shown = form->GetVisible(); }, [] { return false; }}, 1000);
    const DWORD start = ::GetTickCount();
    EXPECT_NONFATAL_FAILURE(run.Result = form->ShowModal(), "step 1 of the modal driver did not happen");
    run.Took = ::GetTickCount() - start;
    run.Done = driver.Done();
  }
  EXPECT_TRUE(shown);
  ExpectClosed(*form, run);
}

TEST(ModalDriver, AWindowLeftOpenAfterTheLastStepFailsOnceAndIsClosed) {
  std::unique_ptr<TForm> form = DrivenForm();
  ModalRun run;
  {
    TModalDriver driver({[&] { return form->GetVisible(); }}, 1000);
    const DWORD start = ::GetTickCount();
    EXPECT_NONFATAL_FAILURE(run.Result = form->ShowModal(), "stayed open after the modal driver's last step");
    run.Took = ::GetTickCount() - start;
    run.Done = driver.Done();
  }
  ExpectClosed(*form, run);
}

}  // namespace
