// The file dialogs: the filter and result texts the system works with, and the open and save
// dialogs driven from a timer as a user would (a name typed and OK, Cancel, the question
// before a file is replaced), with their events counted; the picture dialog's filter, and
// dialogs read from a layout.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/Streams.h"
#include "classlib/graphics/Graphic.h"
#include "classlib/stdctrls/Dialogs.h"
#include "classlib/stdctrls/PictureDialogs.h"

#include <commdlg.h>
#include <dlgs.h>

using namespace dialog_tests;
using namespace std::string_literals;

namespace {

// ---- Texts the system works with ----------------------------------------------------------------

TEST(FileDialogTexts, TheFilterBecomesNulSeparatedPairs) {
  EXPECT_EQ(DialogFilterText(L"Upgrade files(*.mdb)|*.mdb|All files(*.*)|*.*"),
            L"Upgrade files(*.mdb)\0*.mdb\0All files(*.*)\0*.*\0\0"s);
  EXPECT_EQ(DialogFilterText(L""), L""s);
}

TEST(FileDialogTexts, TheResultBufferGivesFullPaths) {
  const wchar_t single[] = L"C:\\data\\bank.mdb\0\0";
  EXPECT_EQ(SplitDialogFiles(single, std::size(single)), std::vector<String>{L"C:\\data\\bank.mdb"});
  const wchar_t several[] = L"C:\\data\0a.mdb\0b.mdb\0\0";
  EXPECT_EQ(SplitDialogFiles(several, std::size(several)),
            (std::vector<String>{L"C:\\data\\a.mdb", L"C:\\data\\b.mdb"}));
  const wchar_t root[] = L"C:\\\0a.mdb\0\0";
  EXPECT_EQ(SplitDialogFiles(root, std::size(root)), std::vector<String>{L"C:\\a.mdb"});
  // A buffer without its end is read no further than its size.
  const wchar_t unterminated[3] = {L'a', L'b', L'c'};
  EXPECT_EQ(SplitDialogFiles(unterminated, 3), std::vector<String>{L"abc"});
  EXPECT_TRUE(SplitDialogFiles(L"\0", 1).empty());
}

// ---- Dialogs driven from a timer ----------------------------------------------------------------

// Types a name into the file name box of the file dialog shown and presses OK.
TDialogDriver::TStep TypeNameAndOk(const String& name, String* seenTitle = nullptr) {
  return [name, seenTitle] {
    HWND dialog = ActiveSystemDialog();
    if (!dialog) return false;
    if (seenTitle) *seenTitle = WindowText(dialog);
    // The Explorer-style dialog has its name box in a combo box; older ones have an edit.
    if (!::SetDlgItemTextW(dialog, cmb13, name.c_str()))
      ::SetDlgItemTextW(dialog, edt1, name.c_str());
    PostDialogCommand(dialog, IDOK);
    return true;
  };
}

// Presses a button (IDCANCEL, IDYES, IDNO) of the system dialog shown; with `other`, only of
// a dialog other than that one (a question box over the file dialog).
TDialogDriver::TStep Press(int id, HWND* other = nullptr, String* seenText = nullptr) {
  return [id, other, seenText] {
    HWND dialog = ActiveSystemDialog();
    if (!dialog || (other && dialog == *other)) return false;
    if (seenText) {
      for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (WindowClass(child) == L"Static") *seenText += WindowText(child);
    }
    PostDialogCommand(dialog, id);
    return true;
  };
}

// Remembers the system dialog shown (the file dialog) without acting.
TDialogDriver::TStep Remember(HWND* dialog) {
  return [dialog] {
    *dialog = ActiveSystemDialog();
    return *dialog != nullptr;
  };
}

class FileDialogTest : public ::testing::Test {
 protected:
  void Count(TCommonDialog* dialog) {
    dialog->SetOnShow([this, dialog](TObject* sender) {
      EXPECT_EQ(sender, dialog);
      EXPECT_NE(dialog->GetHandle(), nullptr);
      ++Shows;
    });
    dialog->SetOnClose([this](TObject*) { ++Closes; });
  }
  int Shows = 0;
  int Closes = 0;
};

TEST_F(FileDialogTest, CancelKeepsTheFileNameAndAFileTypedInTheInitialFolderIsChosen) {
  TTempFile bank(L"upgrade.mdb", {1, 2, 3});
  TOpenDialog dialog(nullptr);
  Count(&dialog);
  dialog.SetFileName(L"before.mdb");
  {
    TDialogDriver cancel({Press(IDCANCEL)});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(cancel.TimedOut());
  }
  EXPECT_EQ(dialog.GetFileName(), L"before.mdb");
  EXPECT_EQ(dialog.GetHandle(), nullptr);
  EXPECT_EQ(Shows, 1);
  EXPECT_EQ(Closes, 1);

  dialog.SetInitialDir(bank.Folder());
  dialog.SetFilter(L"Upgrade files(*.mdb)|*.mdb|All files(*.*)|*.*");
  dialog.SetFilterIndex(2);
  dialog.SetTitle(L"Open an upgrade file");
  dialog.SetOptions(dialog.GetOptions() + TOpenOptions{ofFileMustExist});
  String title;
  TDialogDriver driver({TypeNameAndOk(bank.Name(), &title)});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(title, L"Open an upgrade file");
  EXPECT_TRUE(SameText(dialog.GetFileName(), bank.Path())) << StringToUtf8(dialog.GetFileName());
  ASSERT_EQ(dialog.GetFiles()->GetCount(), 1);
  EXPECT_TRUE(SameText(dialog.GetFiles()->Get(0), bank.Path()));
  EXPECT_EQ(dialog.GetFilterIndex(), 2);
  EXPECT_EQ(Shows, 2);
  EXPECT_EQ(Closes, 2);
}

TEST_F(FileDialogTest, SeveralFilesAreChosenWithMultiSelect) {
  TTempFile first(L"first.txt", {1});
  TTempFile second(L"second.txt", {2});
  TOpenDialog dialog(nullptr);
  dialog.SetInitialDir(first.Folder());
  dialog.SetOptions(dialog.GetOptions() + TOpenOptions{ofAllowMultiSelect, ofFileMustExist});
  TDialogDriver driver({TypeNameAndOk(L"\"" + first.Name() + L"\" \"" + second.Name() + L"\"")});
  ASSERT_TRUE(dialog.Execute());
  ASSERT_EQ(dialog.GetFiles()->GetCount(), 2);
  EXPECT_TRUE(SameText(dialog.GetFiles()->Get(0), first.Path()) ||
              SameText(dialog.GetFiles()->Get(1), first.Path()));
  EXPECT_TRUE(SameText(dialog.GetFileName(), dialog.GetFiles()->Get(0)));
}

TEST_F(FileDialogTest, ReplacingAFileIsAskedFirstWithOverwritePrompt) {
  TTempFile existing(L"chart.bmp", {1, 2});
  TSaveDialog dialog(nullptr);
  Count(&dialog);
  dialog.SetInitialDir(existing.Folder());
  dialog.SetOptions(dialog.GetOptions() + TOpenOptions{ofOverwritePrompt});
  // The name is typed without its extension: DefaultExt makes it the existing file's.
  dialog.SetDefaultExt(L"bmp");
  const String typed = existing.Name().substr(0, existing.Name().size() - 4);
  // "No" keeps the file dialog open; it is then cancelled.
  HWND fileDialog = nullptr;
  String question;
  TDialogDriver refuse({Remember(&fileDialog), TypeNameAndOk(typed),
                        Press(IDNO, &fileDialog, &question), Press(IDCANCEL)});
  EXPECT_FALSE(dialog.Execute());
  EXPECT_FALSE(refuse.TimedOut());
  EXPECT_EQ(refuse.StepsDone(), 4u);
  EXPECT_FALSE(question.empty());  // the system's question was shown
  // "Yes" chooses it.
  TDialogDriver accept({Remember(&fileDialog), TypeNameAndOk(typed),
                        Press(IDYES, &fileDialog)});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_FALSE(accept.TimedOut());
  EXPECT_TRUE(SameText(dialog.GetFileName(), existing.Path()));
  EXPECT_EQ(Shows, 2);
  EXPECT_EQ(Closes, 2);
}

TEST_F(FileDialogTest, OtherWindowsOfTheProgramAreDisabledWhileADialogIsShown) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(50, 50, 200, 100);
  form->Show();
  std::unique_ptr<TForm> other(TCustomForm::Create<TForm>(nullptr));
  other->SetBounds(300, 50, 200, 100);
  other->Show();
  PumpFor(30);
  bool otherEnabled = true;
  TOpenDialog dialog(nullptr);
  TDialogDriver driver({[&] {
                          if (!ActiveSystemDialog()) return false;
                          otherEnabled = ::IsWindowEnabled(other->GetHandle()) &&
                                         ::IsWindowEnabled(form->GetHandle());
                          return true;
                        },
                        Press(IDCANCEL)});
  EXPECT_FALSE(dialog.Execute());
  EXPECT_FALSE(otherEnabled);
  EXPECT_TRUE(::IsWindowEnabled(other->GetHandle()));
  EXPECT_TRUE(::IsWindowEnabled(form->GetHandle()));
}

// ---- Pictures and layouts ---------------------------------------------------------------------------

TEST(DialogLayout, DialogsAreReadWithTheirFilterOptionsAndTextsAndTheDefaultFilterIsNotWritten) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  TStringStream stream(
      L"object Form1: TForm\n"
      L"  object OpenDialog1: TOpenDialog\n"
      L"    Filter = 'Upgrade files(*.mdb)|*.mdb|All files(*.*)|*.*'\n"
      L"    Options = [ofHideReadOnly, ofFileMustExist, ofEnableSizing]\n"
      L"    Left = 16\n    Top = 8\n  end\n"
      L"  object SaveDialog1: TSaveDialog\n    Options = [ofOverwritePrompt]\n  end\n"
      L"  object FindDialog1: TFindDialog\n"
      L"    FindText = 'law'\n    Options = [frDown, frMatchCase]\n  end\n"
      L"  object ReplaceDialog1: TReplaceDialog\n    ReplaceText = 'rule'\n  end\n"
      L"  object PictureDialog1: TSavePictureDialog\n  end\n"
      L"end\n");
  ReadComponentFromStream(stream, form.get());
  auto* open = dynamic_cast<TOpenDialog*>(form->FindComponent(L"OpenDialog1"));
  auto* save = dynamic_cast<TSaveDialog*>(form->FindComponent(L"SaveDialog1"));
  auto* find = dynamic_cast<TFindDialog*>(form->FindComponent(L"FindDialog1"));
  auto* replace = dynamic_cast<TReplaceDialog*>(form->FindComponent(L"ReplaceDialog1"));
  auto* picture = dynamic_cast<TSavePictureDialog*>(form->FindComponent(L"PictureDialog1"));
  ASSERT_TRUE(open && save && find && replace && picture);
  EXPECT_EQ(open->GetFilter(), L"Upgrade files(*.mdb)|*.mdb|All files(*.*)|*.*");
  EXPECT_EQ(open->GetOptions(), (TOpenOptions{ofHideReadOnly, ofFileMustExist, ofEnableSizing}));
  EXPECT_EQ(open->GetDesignInfo(), MAKELONG(16, 8));
  EXPECT_EQ(save->GetOptions(), TOpenOptions{ofOverwritePrompt});
  EXPECT_EQ(find->GetFindText(), L"law");
  EXPECT_EQ(find->GetOptions(), (TFindOptions{frDown, frMatchCase}));
  EXPECT_EQ(replace->GetReplaceText(), L"rule");

  // The picture dialog starts with the graphic filter, which is not written; another one is.
  EXPECT_EQ(picture->GetFilter(), GraphicFilter(TGraphic::StaticClassInfo()));
  EXPECT_NE(picture->GetFilter().find(L"*.bmp"), String::npos);
  String text = ComponentToText(form.get());
  const size_t at = text.find(L"object PictureDialog1");
  ASSERT_NE(at, String::npos);
  EXPECT_EQ(text.find(L"Filter", at), String::npos) << StringToUtf8(text);
  picture->SetFilter(L"Bitmaps (*.bmp)|*.bmp");
  picture->SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing});
  text = ComponentToText(form.get());
  EXPECT_NE(text.find(L"Filter = 'Bitmaps (*.bmp)|*.bmp'", at), String::npos) << StringToUtf8(text);
  EXPECT_NE(text.find(L"Options = [ofOverwritePrompt, ofHideReadOnly, ofEnableSizing]", at),
            String::npos);
}

}  // namespace
