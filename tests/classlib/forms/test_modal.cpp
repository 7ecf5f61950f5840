// ShowModal: the result a button or the close command gives, CloseQuery and OnClose inside
// the modal loop, modal windows opened from modal windows, hiding and showing a modal
// window while its loop runs, the other windows disabled meanwhile and the active window
// restored afterwards.
#include <memory>

#include "classlib/classes/Threads.h"

#include "FormsTestSupport.h"

using namespace forms_tests;

namespace {

class ModalTest : public ::testing::Test {
 protected:
  // A form with an OK button (mrOk) and a Cancel button (mrCancel).
  TForm* MakeDialog(TComponent* owner = nullptr) {
    TForm* form = TCustomForm::Create<TForm>(owner);
    form->SetBorderStyle(bsDialog);
    form->SetBounds(200, 150, 300, 200);
    Ok = new TTestButton(form, Bounds(20, 20, 80, 25), mrOk);
    Cancel = new TTestButton(form, Bounds(120, 20, 80, 25), mrCancel);
    form->HandleNeeded();
    return form;
  }
  void TearDown() override { PumpFor(20); }

  TTestButton* Ok = nullptr;
  TTestButton* Cancel = nullptr;
  TLaterCalls Later;
};

TEST_F(ModalTest, AButtonOrTheCloseCommandGivesTheResult) {
  std::unique_ptr<TForm> form(MakeDialog());
  // BM_CLICK makes the button press and release itself: BN_CLICKED comes back reflected.
  ::PostMessageW(Ok->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_FALSE(form->GetVisible());
  EXPECT_FALSE(::IsWindowVisible(form->GetHandle()));
  EXPECT_FALSE(form->GetFormState().Contains(fsModal));
  EXPECT_EQ(Application->GetModalLevel(), 0);
  ::PostMessageW(form->GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  ::PostMessageW(form->GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_TRUE(::IsWindow(form->GetHandle()));  // closing hides the window, not destroys it
}

TEST_F(ModalTest, SynthesisedMouseClickOnAButtonSetsTheResult) {
  std::unique_ptr<TForm> form(MakeDialog());
  bool clicked = false;
  Later.Post(
      [&] {
        ClickAt(ScreenCentre(Cancel));
        clicked = true;
      },
      100);
  // Should the click go astray, the modal loop still ends (with a result the test rejects).
  Later.Post([&] { form->SetModalResult(mrAbort); }, 3000);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_TRUE(clicked);
}

TEST_F(ModalTest, OtherWindowsAreDisabledAndTheActiveWindowComesBack) {
  std::unique_ptr<TForm> owner(TCustomForm::Create<TForm>(nullptr));
  owner->SetBounds(50, 50, 400, 300);
  owner->Show();
  ::SetActiveWindow(owner->GetHandle());
  PumpFor(30);
  ASSERT_EQ(::GetActiveWindow(), owner->GetHandle());
  std::unique_ptr<TForm> form(MakeDialog());
  bool ownerEnabled = true;
  bool dialogEnabled = false;
  bool dialogActive = false;
  Later.Post(
      [&] {
        ownerEnabled = ::IsWindowEnabled(owner->GetHandle()) != FALSE;
        dialogEnabled = ::IsWindowEnabled(form->GetHandle()) != FALSE;
        dialogActive = ::GetActiveWindow() == form->GetHandle();
        form->SetModalResult(mrOk);
      },
      50);
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(dialogEnabled);
  EXPECT_TRUE(dialogActive);
  EXPECT_TRUE(::IsWindowEnabled(owner->GetHandle()));
  EXPECT_EQ(::GetActiveWindow(), owner->GetHandle());
}

TEST_F(ModalTest, ModalFromModal) {
  std::unique_ptr<TForm> outer(MakeDialog());
  TTestButton* outerOk = Ok;
  std::unique_ptr<TForm> inner(MakeDialog());
  inner->SetBounds(260, 200, 200, 120);
  TModalResult innerResult = mrNone;
  bool outerDisabledDuringInner = false;
  int levelDuringInner = 0;
  outerOk->ModalResult = mrNone;
  outerOk->SetOnClick([&](TObject*) {
    Later.Post(
        [&] {
          outerDisabledDuringInner = !::IsWindowEnabled(outer->GetHandle());
          levelDuringInner = Application->GetModalLevel();
          inner->SetModalResult(mrYes);
        },
        50);
    innerResult = inner->ShowModal();
    outer->SetModalResult(mrNo);
  });
  Later.Post([&] { ::PostMessageW(outerOk->GetHandle(), BM_CLICK, 0, 0); }, 50);
  EXPECT_EQ(outer->ShowModal(), mrNo);
  EXPECT_EQ(innerResult, mrYes);
  EXPECT_TRUE(outerDisabledDuringInner);
  EXPECT_EQ(levelDuringInner, 2);
  EXPECT_EQ(Application->GetModalLevel(), 0);
  EXPECT_TRUE(::IsWindowEnabled(outer->GetHandle()));
}

TEST_F(ModalTest, HidingAndShowingAModalWindowKeepsItsLoop) {
  std::unique_ptr<TForm> form(MakeDialog());
  bool hidden = false;
  bool shownAgain = false;
  Later.Post(
      [&] {
        form->Hide();
        hidden = !::IsWindowVisible(form->GetHandle());
        Later.Post(
            [&] {
              form->Show();
              shownAgain = ::IsWindowVisible(form->GetHandle()) != FALSE;
              ::PostMessageW(Ok->GetHandle(), BM_CLICK, 0, 0);
            },
            50);
      },
      50);
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_TRUE(hidden);
  EXPECT_TRUE(shownAgain);
  EXPECT_FALSE(form->GetFormState().Contains(fsModal));
  // The form can be shown modally again.
  ::PostMessageW(Cancel->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(ModalTest, CloseQueryRefusingKeepsTheModalFormOpen) {
  std::unique_ptr<TForm> form(MakeDialog());
  int asked = 0;
  form->SetOnCloseQuery([&](TObject*, bool& canClose) {
    ++asked;
    canClose = asked > 1;
  });
  bool stillModal = false;
  ::PostMessageW(Ok->GetHandle(), BM_CLICK, 0, 0);
  Later.Post(
      [&] {
        stillModal = form->GetFormState().Contains(fsModal) && form->GetModalResult() == mrNone &&
                     ::IsWindowVisible(form->GetHandle());
        ::PostMessageW(Cancel->GetHandle(), BM_CLICK, 0, 0);
      },
      100);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(stillModal);
}

TEST_F(ModalTest, OnCloseWithCaNoneKeepsTheModalFormAndCaFreeReleasesIt) {
  TForm* form = MakeDialog();
  TCloseAction action = caNone;
  bool destroyed = false;
  form->SetOnDestroy([&](TObject*) { destroyed = true; });
  form->SetOnClose([&](TObject*, TCloseAction& a) { a = action; });
  ::PostMessageW(Ok->GetHandle(), BM_CLICK, 0, 0);
  Later.Post(
      [&] {
        action = caFree;
        ::PostMessageW(Cancel->GetHandle(), BM_CLICK, 0, 0);
      },
      100);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_FALSE(destroyed);  // freed from the queue, after ShowModal returned
  EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
}

TEST_F(ModalTest, AVisibleOrDisabledFormCannotBeShownModally) {
  std::unique_ptr<TForm> form(MakeDialog());
  // Should a refusal be lost, the modal loop that runs instead ends within moments (with a
  // result instead of the exception the test wants), rather than waiting for a click. These
  // calls go before the form does: pending ones are dropped with them.
  TLaterCalls later;
  const auto endAnyLoop = [&] { later.Post([&] { form->SetModalResult(mrAbort); }, 200); };
  form->Show();
  endAnyLoop();
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
  form->Hide();
  form->SetEnabled(false);
  endAnyLoop();
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
}

TEST_F(ModalTest, FormFreedDuringItsModalLoopEndsTheLoop) {
  TForm* form = MakeDialog();
  bool destroyed = false;
  form->SetOnDestroy([&](TObject*) { destroyed = true; });
  Later.Post([&] { form->Release(); }, 50);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(Application->GetModalLevel(), 0);
}

TEST_F(ModalTest, ActivationEventsOfAModalForm) {
  std::unique_ptr<TForm> form(MakeDialog());
  std::vector<std::string> events;
  form->SetOnShow([&](TObject*) { events.push_back("show"); });
  form->SetOnActivate([&](TObject*) { events.push_back("activate"); });
  form->SetOnDeactivate([&](TObject*) { events.push_back("deactivate"); });
  form->SetOnHide([&](TObject*) { events.push_back("hide"); });
  Later.Post([&] { form->SetModalResult(mrRetry); }, 50);  // from a timer callback
  EXPECT_EQ(form->ShowModal(), mrRetry);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "activate", "deactivate", "hide"}));
}

// A worker that asks the main thread, through Synchronize, to end a modal loop.
class TSyncWorker : public TThread {
  CLASSLIB_CLASS(TSyncWorker, TThread)
  TSyncWorker(TForm* form, DWORD* mainThreadSeen) : TThread(true), FForm(form), FSeen(mainThreadSeen) {}
  ~TSyncWorker() override { StopAndWait(); }

 protected:
  void Execute() override {
    ::Sleep(50);
    Synchronize([this] {
      *FSeen = ::GetCurrentThreadId();
      FForm->SetModalResult(mrOk);
    });
  }

 private:
  TForm* FForm;
  DWORD* FSeen;
};

TEST_F(ModalTest, SynchronizeRunsInsideTheModalLoop) {
  std::unique_ptr<TForm> form(MakeDialog());
  DWORD seen = 0;
  std::unique_ptr<TSyncWorker> worker(TThread::Create<TSyncWorker>(form.get(), &seen));
  worker->Start();
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(seen, ::GetCurrentThreadId());
  worker->WaitFor();
}

}  // namespace
