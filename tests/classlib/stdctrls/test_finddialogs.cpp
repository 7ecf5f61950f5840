// The find and replace dialogs: shown modeless, worked as a user would (text typed, boxes
// ticked, Find Next, Replace, Replace All, Cancel, Tab through the application's loop), with
// their events counted, placed where asked, and freed while shown.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "classlib/stdctrls/Dialogs.h"

#include <commdlg.h>
#include <dlgs.h>

using namespace dialog_tests;

namespace {

String ItemText(HWND dialog, int id) {
  wchar_t text[300] = {};
  ::GetDlgItemTextW(dialog, id, text, 300);
  return text;
}

// A button of the dialog pressed (its BN_CLICKED sent, as the button itself does).
void Push(HWND dialog, int id) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

class FindDialogTest : public ::testing::Test {
 protected:
  void Count(TFindDialog* dialog) {
    dialog->SetOnFind([this](TObject*) { ++Finds; });
    dialog->SetOnShow([this](TObject*) { ++Shows; });
    dialog->SetOnClose([this](TObject*) { ++Closes; });
  }
  void TearDown() override { PumpFor(20); }
  int Finds = 0;
  int Shows = 0;
  int Closes = 0;
};

TEST_F(FindDialogTest, FindNextTellsTheTextAndTheOptionsTheUserChose) {
  TFindDialog dialog(nullptr);
  Count(&dialog);
  dialog.SetFindText(L"law");
  ASSERT_TRUE(dialog.Execute());
  HWND wnd = dialog.GetHandle();
  ASSERT_TRUE(wnd && ::IsWindowVisible(wnd));
  EXPECT_EQ(Shows, 1);
  EXPECT_EQ(ItemText(wnd, edt1), L"law");

  ::SetDlgItemTextW(wnd, edt1, L"article");
  ::CheckDlgButton(wnd, chx2, BST_CHECKED);  // match case
  Push(wnd, IDOK);
  EXPECT_EQ(Finds, 1);
  EXPECT_EQ(dialog.GetFindText(), L"article");
  EXPECT_EQ(dialog.GetOptions(), (TFindOptions{frDown, frFindNext, frMatchCase}));

  ::CheckRadioButton(wnd, rad1, rad2, rad1);  // up
  ::CheckDlgButton(wnd, chx1, BST_CHECKED);   // whole word
  Push(wnd, IDOK);
  EXPECT_EQ(Finds, 2);
  EXPECT_EQ(dialog.GetOptions(), (TFindOptions{frFindNext, frMatchCase, frWholeWord}));

  // Executing again brings the same dialog forward.
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.GetHandle(), wnd);
  EXPECT_EQ(Shows, 1);

  // The text set in code shows in the dialog, cut to what the dialog holds.
  dialog.SetFindText(String(1000, L'x'));
  EXPECT_EQ(ItemText(wnd, edt1), String(255, L'x'));
  dialog.SetFindText(L"rule");
  EXPECT_EQ(ItemText(wnd, edt1), L"rule");

  Push(wnd, IDCANCEL);
  EXPECT_EQ(Closes, 1);
  EXPECT_EQ(dialog.GetHandle(), nullptr);
  EXPECT_FALSE(::IsWindow(wnd));
  EXPECT_EQ(Finds, 2);

  // Shown again, it starts with the last text.
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(ItemText(dialog.GetHandle(), edt1), L"rule");
  EXPECT_EQ(Shows, 2);
  dialog.CloseDialog();
  EXPECT_EQ(Closes, 2);
  EXPECT_EQ(dialog.GetHandle(), nullptr);
  dialog.CloseDialog();  // nothing shown: nothing happens
  EXPECT_EQ(Closes, 2);
}

TEST_F(FindDialogTest, OptionsShapeTheDialogWhichGoesWhereItIsPlacedAndRemembersWhereItWas) {
  TFindDialog dialog(nullptr);
  dialog.SetOptions(TFindOptions{frDown, frHideMatchCase, frDisableUpDown});
  dialog.SetPosition(TPoint(120, 140));
  ASSERT_TRUE(dialog.Execute());
  HWND wnd = dialog.GetHandle();
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(wnd, chx2)));  // match case
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(wnd, chx1)));   // whole word
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(wnd, rad1)));  // up
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(wnd, rad2)));  // down
  RECT r;
  ::GetWindowRect(wnd, &r);
  EXPECT_EQ(TPoint(r.left, r.top), TPoint(120, 140));
  dialog.SetLeft(150);
  ::GetWindowRect(wnd, &r);
  EXPECT_EQ(r.left, 150);
  EXPECT_EQ(dialog.GetTop(), 140);
  dialog.CloseDialog();
  EXPECT_EQ(dialog.GetPosition(), TPoint(150, 140));
}

TEST_F(FindDialogTest, KeysReachTheDialogThroughTheApplicationsLoopWhileItIsActive) {
  TFindDialog dialog(nullptr);
  Count(&dialog);
  ASSERT_TRUE(dialog.Execute());
  HWND wnd = dialog.GetHandle();
  // Activation as the system tells it (whether the desktop really activates the window
  // is up to the window manager).
  ::SendMessageW(wnd, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_NE(Application->GetDialogHandle(), wnd);
  ::SendMessageW(wnd, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(Application->GetDialogHandle(), wnd);
  // Escape in the dialog's edit box, through the application's loop, cancels the dialog.
  // (Another program taking the desktop's foreground meanwhile deactivates the dialog; the
  // key is then tried again.)
  HWND edit = ::GetDlgItem(wnd, edt1);
  for (int attempt = 0; attempt < 5 && Closes == 0; ++attempt) {
    ::SendMessageW(wnd, WM_ACTIVATE, WA_ACTIVE, 0);
    ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(edit, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    PumpUntil([&] { return Closes == 1; }, 400);
  }
  EXPECT_EQ(Closes, 1);
  EXPECT_FALSE(::IsWindow(wnd));
  EXPECT_NE(Application->GetDialogHandle(), wnd);
}

TEST_F(FindDialogTest, FreeingTheComponentTakesItsDialogAlong) {
  auto* dialog = new TFindDialog(nullptr);
  Count(dialog);
  ASSERT_TRUE(dialog->Execute());
  HWND wnd = dialog->GetHandle();
  delete dialog;
  EXPECT_FALSE(::IsWindow(wnd));
  EXPECT_EQ(Closes, 0);  // nothing of a component being freed runs
  EXPECT_NE(Application->GetDialogHandle(), wnd);
}

TEST_F(FindDialogTest, ReplaceAndReplaceAllTellTheirTexts) {
  TReplaceDialog dialog(nullptr);
  Count(&dialog);
  int replaces = 0;
  TFindOptions seen;
  dialog.SetOnReplace([&](TObject*) {
    ++replaces;
    seen = dialog.GetOptions();
  });
  dialog.SetFindText(L"colour");
  dialog.SetReplaceText(L"color");
  ASSERT_TRUE(dialog.Execute());
  HWND wnd = dialog.GetHandle();
  EXPECT_EQ(ItemText(wnd, edt1), L"colour");
  EXPECT_EQ(ItemText(wnd, edt2), L"color");
  ::SetDlgItemTextW(wnd, edt2, L"hue");
  Push(wnd, psh1);  // Replace
  EXPECT_EQ(replaces, 1);
  EXPECT_TRUE(seen.Contains(frReplace));
  EXPECT_FALSE(seen.Contains(frReplaceAll));
  EXPECT_EQ(dialog.GetReplaceText(), L"hue");
  Push(wnd, psh2);  // Replace All
  EXPECT_EQ(replaces, 2);
  EXPECT_TRUE(seen.Contains(frReplaceAll));
  Push(wnd, IDOK);  // Find Next
  EXPECT_EQ(Finds, 1);
  EXPECT_EQ(replaces, 2);
  Push(wnd, IDCANCEL);
  EXPECT_EQ(Closes, 1);
}

}  // namespace
