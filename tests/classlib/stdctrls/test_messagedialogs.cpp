// MessageDlg and ShowMessage: the form built for a message (icon, text, the buttons asked in
// a centred row, captions, results, Default and Cancel), and the modal dialog answered as a
// user would, by a click, Escape or Enter, from a timer.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "classlib/stdctrls/Buttons.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/MessageDialogs.h"
#include "classlib/stdctrls/StdLabels.h"

using namespace dialog_tests;

namespace {

template <class T>
T* Part(TComponent* form, const wchar_t* name) {
  return dynamic_cast<T*>(form->FindComponent(name));
}

TEST(MessageForm, HasTheIconTheTextAndTheButtonsInACentredRow) {
  std::unique_ptr<TForm> form(
      CreateMessageDialog(L"Delete the paper?", mtConfirmation, mbYesNoCancel));
  EXPECT_EQ(form->GetBorderStyle(), bsDialog);
  EXPECT_FALSE(form->GetVisible());
  auto* image = Part<TImage>(form.get(), L"Image");
  auto* message = Part<TLabel>(form.get(), L"Message");
  auto* yes = Part<TButton>(form.get(), L"Yes");
  auto* no = Part<TButton>(form.get(), L"No");
  auto* cancel = Part<TButton>(form.get(), L"Cancel");
  ASSERT_TRUE(image && message && yes && no && cancel);
  EXPECT_EQ(form->FindComponent(L"OK"), nullptr);
  EXPECT_FALSE(image->GetPicture()->GetGraphic()->GetEmpty());
  EXPECT_EQ(image->GetWidth(), 32);
  EXPECT_EQ(message->GetCaption(), L"Delete the paper?");
  EXPECT_GT(message->GetLeft(), image->GetLeft() + image->GetWidth());
  EXPECT_EQ(message->GetTop(), image->GetTop());

  EXPECT_TRUE(yes->GetDefault());
  EXPECT_FALSE(no->GetDefault() || cancel->GetDefault());
  EXPECT_TRUE(cancel->GetCancel());
  EXPECT_FALSE(yes->GetCancel() || no->GetCancel());

  // One row under the icon and the text, equal widths and gaps, centred.
  EXPECT_EQ(yes->GetTop(), no->GetTop());
  EXPECT_EQ(no->GetTop(), cancel->GetTop());
  EXPECT_GT(yes->GetTop(), image->GetTop() + image->GetHeight());
  EXPECT_GT(yes->GetTop(), message->GetTop() + message->GetHeight());
  EXPECT_EQ(yes->GetWidth(), no->GetWidth());
  EXPECT_EQ(no->GetLeft() - (yes->GetLeft() + yes->GetWidth()),
            cancel->GetLeft() - (no->GetLeft() + no->GetWidth()));
  const int leftGap = yes->GetLeft();
  const int rightGap = form->GetClientWidth() - (cancel->GetLeft() + cancel->GetWidth());
  EXPECT_LE(std::abs(leftGap - rightGap), 1);
  EXPECT_GT(form->GetClientHeight(), yes->GetTop() + yes->GetHeight());
}

TEST(MessageForm, ALongMessageWrapsAtHalfTheScreen) {
  String text;
  for (int i = 0; i < 60; ++i) text += L"question bank ";
  std::unique_ptr<TForm> form(CreateMessageDialog(text, mtError, TMsgDlgButtons{mbOK}));
  auto* message = Part<TLabel>(form.get(), L"Message");
  ASSERT_NE(message, nullptr);
  EXPECT_LE(message->GetWidth(), Screen->GetWidth() / 2);
  EXPECT_GT(message->GetHeight(), 3 * message->GetFont()->GetSize());
  EXPECT_LE(form->GetWidth(), Screen->GetWidth());
  auto* ok = Part<TButton>(form.get(), L"OK");
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->GetDefault());
  EXPECT_TRUE(ok->GetCancel());  // the only button answers Escape too
}

TEST(MessageForm, EachTypeHasItsCaptionAndCustomTheApplicationsTitleAndNoIcon) {
  const std::pair<TMsgDlgType, String> captions[] = {
      {mtWarning, L"Warning"}, {mtError, L"Error"}, {mtInformation, L"Information"},
      {mtConfirmation, L"Confirm"}, {mtCustom, Application->GetTitle()}};
  for (const auto& [type, caption] : captions) {
    std::unique_ptr<TForm> form(CreateMessageDialog(L"x", type, TMsgDlgButtons{mbOK}));
    EXPECT_EQ(form->GetCaption(), caption);
    EXPECT_EQ(form->FindComponent(L"Image") == nullptr, type == mtCustom);
  }
  std::unique_ptr<TForm> custom(CreateMessageDialog(L"x", mtCustom, TMsgDlgButtons{mbOK}));
  EXPECT_LT(Part<TLabel>(custom.get(), L"Message")->GetLeft(), 32);
}

TEST(MessageForm, EveryButtonKindIsMadeInTheOrderOfTheKinds) {
  std::unique_ptr<TForm> form(CreateMessageDialog(
      L"x", mtWarning,
      TMsgDlgButtons{mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                     mbYesToAll, mbHelp}));
  int lastLeft = -1;
  for (const wchar_t* name : {L"Yes", L"No", L"OK", L"Cancel", L"Abort", L"Retry", L"Ignore",
                              L"All", L"NoToAll", L"YesToAll", L"Help"}) {
    auto* button = Part<TButton>(form.get(), name);
    ASSERT_NE(button, nullptr) << StringToUtf8(name);
    EXPECT_GT(button->GetLeft(), lastLeft);
    lastLeft = button->GetLeft();
  }
  EXPECT_EQ(Part<TButton>(form.get(), L"NoToAll")->GetCaption(), L"N&o to All");
  EXPECT_EQ(Part<TButton>(form.get(), L"YesToAll")->GetModalResult(), mrYesToAll);
  EXPECT_EQ(Part<TButton>(form.get(), L"Help")->GetModalResult(), mrNone);  // it closes nothing
  // Eleven buttons of at least 50 dialog units make a wide form.
  EXPECT_GT(form->GetClientWidth(), Part<TButton>(form.get(), L"Yes")->GetWidth() * 11);
  // The Retry button is the default only without OK and Yes.
  std::unique_ptr<TForm> retry(CreateMessageDialog(L"x", mtError, mbAbortRetryIgnore));
  EXPECT_TRUE(Part<TButton>(retry.get(), L"Retry")->GetDefault());
  EXPECT_FALSE(Part<TButton>(retry.get(), L"Abort")->GetCancel());
  // No buttons at all: a form that only closing ends.
  std::unique_ptr<TForm> none(CreateMessageDialog(L"x", mtInformation, TMsgDlgButtons{}));
  EXPECT_EQ(none->GetComponentCount(), 2);  // the image and the message
}

// ---- Shown modally -------------------------------------------------------------------------------

// Finds the message form shown and does something with it.
TDialogDriver::TStep OnMessageForm(std::function<void(TCustomForm*)> action) {
  return [action] {
    TCustomForm* form = ShownForm(L"TMessageForm");
    if (!form) return false;
    action(form);
    return true;
  };
}

void ClickButton(TCustomForm* form, const wchar_t* name) {
  auto* button = dynamic_cast<TButton*>(form->FindComponent(name));
  ASSERT_NE(button, nullptr);
  ::PostMessageW(button->GetHandle(), BM_CLICK, 0, 0);
}

// A key pressed where the form's focus is, through the application's loop.
void PressKey(TCustomForm* form, WORD key) {
  HWND target = ::GetFocus();
  if (!target || (target != form->GetHandle() && !::IsChild(form->GetHandle(), target)))
    target = form->GetHandle();
  ::PostMessageW(target, WM_KEYDOWN, key, 1);
  ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST(MessageDlg, TheClickedButtonsResultIsReturned) {
  TRect bounds;
  TDialogDriver driver({OnMessageForm([&](TCustomForm* form) {
    bounds = form->GetBoundsRect();
    ClickButton(form, L"No");
  })});
  EXPECT_EQ(MessageDlg(L"Save the answers?", mtConfirmation, mbYesNoCancel, 0), mrNo);
  EXPECT_FALSE(driver.TimedOut());
  // Centred on the screen.
  EXPECT_LE(std::abs(bounds.Left - (Screen->GetWidth() - bounds.Width()) / 2), 1);
  EXPECT_LE(std::abs(bounds.Top - (Screen->GetHeight() - bounds.Height()) / 2), 1);
  EXPECT_EQ(ShownForm(L"TMessageForm"), nullptr);  // freed
}

TEST(MessageDlg, EscapeGivesTheCancelButtonsResultAndEnterTheDefaults) {
  const struct {
    TMsgDlgButtons Buttons;
    WORD Key;
    TModalResult Expected;
  } cases[] = {{mbYesNoCancel, VK_ESCAPE, mrCancel},
               {TMsgDlgButtons{mbYes, mbNo}, VK_ESCAPE, mrNo},  // without Cancel, No
               {mbOKCancel, VK_RETURN, mrOk}};
  for (const auto& c : cases) {
    TDialogDriver driver({OnMessageForm([&](TCustomForm* form) { PressKey(form, c.Key); })});
    EXPECT_EQ(MessageDlg(L"Quit?", mtConfirmation, c.Buttons, 0), c.Expected);
    EXPECT_FALSE(driver.TimedOut());
  }
}

TEST(MessageDlg, ClosingTheFormGivesCancelAndAPositionIsKept) {
  TPoint where;
  TDialogDriver driver({OnMessageForm([&](TCustomForm* form) {
    where = TPoint(form->GetLeft(), form->GetTop());
    ::PostMessageW(form->GetHandle(), WM_CLOSE, 0, 0);
  })});
  EXPECT_EQ(MessageDlgPos(L"Busy", mtInformation, TMsgDlgButtons{}, 0, 30, 40), mrCancel);
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(where, TPoint(30, 40));
}

TEST(ShowMessage, ShowsTheTextUnderTheApplicationsTitleUntilOK) {
  String caption;
  String text;
  TDialogDriver driver({OnMessageForm([&](TCustomForm* form) {
    caption = form->GetCaption();
    text = dynamic_cast<TLabel*>(form->FindComponent(L"Message"))->GetCaption();
    ClickButton(form, L"OK");
  })});
  ShowMessageFmt(L"%d questions imported", {25});
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(caption, Application->GetTitle());
  EXPECT_EQ(text, L"25 questions imported");
}

}  // namespace
