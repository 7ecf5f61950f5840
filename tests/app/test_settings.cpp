// The settings window on a copy of the shipped bank: one answer-time row per question type,
// saving to tab_tx and the in-memory arrays only on the answer-time page, a failing save,
// the music switch and tune list, and the window opened from the menu at both layouts.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/Uconfig.h"
#include "app/Ucommon.h"
#include "app/start.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    TypeTimes = {1, 2};
    TypeIds = {3, 4};
    MusicOn = true;
    MusicFile.clear();
  }
  void TearDown() override {
    delete std::exchange(FrmConfig, nullptr);
    ConfigMode = 0;
  }
  // Makes the window and shows it (not modally) in a mode.
  void Open(int mode) {
    ConfigMode = mode;
    FrmConfig = TCustomForm::Create<TFrmConfig>(Application);
    FrmConfig->Show();
  }
  // Closes it the way the close button does: the close query saves.
  void CloseQuery() {
    bool canClose = false;
    FrmConfig->FormCloseQuery(FrmConfig, canClose);
    EXPECT_TRUE(canClose);
  }
  String Times() { return SelectText(Data.Cn(), L"select sum([time]) from tab_tx"); }

  TProgramData Data;
  TRecordingResponders Responders;
};

TEST_F(Settings, OneRowPerQuestionTypeInTableOrder) {
  Open(1);
  TADOTable* types = DM1->Cn1Table_tx;
  const int count = types->GetRecordCount();
  ASSERT_EQ(9, count) << "the demo bank's types";
  ASSERT_EQ(count, FrmConfig->GetRowCount());
  types->First();
  for (int i = 0; i < count; ++i, types->Next()) {
    TCurrencyEdit* edit = FrmConfig->RowEdit(i);
    ASSERT_NE(nullptr, edit) << i;
    EXPECT_EQ(L"Currencyedit" + IntToStr(int64_t(i) + 1), edit->GetName());
    EXPECT_EQ(static_cast<TWinControl*>(FrmConfig->ScrollBox1), edit->GetParent());
    EXPECT_EQ(i * 20 + 5, edit->GetTop());
    EXPECT_EQ(types->FieldByName(L"A1")->GetAsInteger(), edit->GetTag());
    EXPECT_EQ(types->FieldByName(L"time")->GetAsFloat(), edit->GetValue());
  }
  // The labels: the type's name at 16 and the unit at 150, three pixels below the edit.
  int names = 0, units = 0;
  for (int i = 0; i < FrmConfig->ScrollBox1->GetControlCount(); ++i) {
    auto* label = dynamic_cast<TLabel*>(FrmConfig->ScrollBox1->GetControl(i));
    if (!label) continue;
    EXPECT_EQ(0, (label->GetTop() - 8) % 20);
    if (label->GetLeft() == 16) ++names;
    if (label->GetLeft() == 150 && label->GetCaption() == L"分钟") ++units;
  }
  EXPECT_EQ(count, names);
  EXPECT_EQ(count, units);
  EXPECT_EQ(L"0.5", FrmConfig->RowEdit(6)->GetText()) << "短对话, shown with one decimal";

  // Shown again, the rows are built anew rather than added.
  FrmConfig->Hide();
  FrmConfig->Show();
  EXPECT_EQ(count, FrmConfig->GetRowCount());
  EXPECT_EQ(3 * count, FrmConfig->ScrollBox1->GetControlCount());
}

TEST_F(Settings, AChangedTimeIsSavedToTheTableAndTheArrays) {
  Open(1);
  FrmConfig->RowEdit(2)->SetValue(0.7);
  FrmConfig->RowEdit(3)->SetValue(45);  // more than the edit allows
  const int code2 = static_cast<int>(FrmConfig->RowEdit(2)->GetTag());
  const int code3 = static_cast<int>(FrmConfig->RowEdit(3)->GetTag());
  CloseQuery();
  EXPECT_EQ(L"0.7", SelectText(Data.Cn(), L"select [time] from tab_tx where A1 = " + IntToStr(code2)));
  EXPECT_EQ(L"30", SelectText(Data.Cn(), L"select [time] from tab_tx where A1 = " + IntToStr(code3)));
  ASSERT_EQ(9u, TypeTimes.size());
  ASSERT_EQ(9u, TypeIds.size());
  EXPECT_EQ(420, TypeTimes[2]) << "0.7 minutes";
  EXPECT_EQ(18000, TypeTimes[3]);
  EXPECT_EQ(code2, TypeIds[2]);
  EXPECT_EQ(600, TypeTimes[0]) << "单项选择题, one minute";
  EXPECT_EQ(11, TypeIds[0]);
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(Settings, OnlyTheAnswerTimePageSaves) {
  const String before = Times();
  for (int mode : {0, 2}) {
    Open(mode);
    EXPECT_EQ(0, FrmConfig->GetRowCount());
    CloseQuery();
    delete std::exchange(FrmConfig, nullptr);
  }
  EXPECT_EQ(before, Times());
  EXPECT_EQ((std::vector<int>{1, 2}), TypeTimes) << "the arrays are left as they were";
  EXPECT_EQ((std::vector<int>{3, 4}), TypeIds);
  Open(0);
  EXPECT_EQ(100, FrmConfig->GetHeight());
}

TEST_F(Settings, AFailingSaveIsToldAndKeepsWhatWasSaved) {
  Open(1);
  FrmConfig->RowEdit(0)->SetValue(2.5);
  FrmConfig->RowEdit(1)->SetValue(3);
  // The bank refuses to change the second type.
  DM1->ADOCn1->GetDatabase().Exec(
      L"create trigger refuse_14 before update on tab_tx when new.A1 = 14 begin select raise(abort, 'refused'); end");
  CloseQuery();
  EXPECT_EQ((std::vector<String>{L"错误|保存设置失败！|1|2|No"}), Responders.Log.Dialogs);
  EXPECT_EQ(L"2.5", SelectText(Data.Cn(), L"select [time] from tab_tx where A1 = 11"));
  EXPECT_EQ(L"2", SelectText(Data.Cn(), L"select [time] from tab_tx where A1 = 14"));
  EXPECT_EQ(1500, TypeTimes[0]);
  EXPECT_EQ(11, TypeIds[0]);

  // A type deleted meanwhile is skipped, not a failure.
  DM1->ADOCn1->GetDatabase().Exec(L"drop trigger refuse_14");
  Responders.Log.Clear();
  Data.Exec(L"delete from tab_tx where A1 = 11");
  DM1->Cn1Table_tx->Requery();
  CloseQuery();
  EXPECT_TRUE(Responders.Log.Empty());
  EXPECT_EQ(L"3", SelectText(Data.Cn(), L"select [time] from tab_tx where A1 = 14"));
  EXPECT_EQ(1800, TypeTimes[1]);
}

TEST_F(Settings, MusicSwitchAndTunes) {
  Open(0);
  EXPECT_TRUE(FrmConfig->RxSwitch1->GetStateOn());
  FrmConfig->RxSwitch1->SetStateOn(false);
  EXPECT_FALSE(MusicOn);
  FrmConfig->RxSwitch1->SetStateOn(true);
  EXPECT_TRUE(MusicOn);
  EXPECT_EQ(AppPath + L"sound\\乐曲01.mid", MusicFile) << "no tune chosen: the first";
  FrmConfig->RxSwitch1->SetStateOn(false);
  FrmConfig->FlatComboBox1->SetItemIndex(2);
  FrmConfig->FlatComboBox1Change(FrmConfig->FlatComboBox1);
  EXPECT_EQ(AppPath + L"sound\\乐曲03.mid", MusicFile);
  EXPECT_FALSE(MusicOn) << "chosen while off: stored, not played";
  EXPECT_TRUE(FileExists(MusicFile)) << "the tunes ship beside the program";
  FrmConfig->RxSwitch1->SetStateOn(true);
  EXPECT_EQ(AppPath + L"sound\\乐曲03.mid", MusicFile) << "the chosen tune stays";
  // Showing the window again puts the switch on, whatever the music does.
  FrmConfig->RxSwitch1->SetStateOn(false);
  FrmConfig->Hide();
  FrmConfig->Show();
  EXPECT_TRUE(FrmConfig->RxSwitch1->GetStateOn());
}

// ---- From the menu ----------------------------------------------------------------------------------

class SettingsFromMenu : public ::testing::Test {
 protected:
  void SetUp() override { FrmStart = TCustomForm::Create<TFrmStart>(nullptr); }
  void TearDown() override {
    delete std::exchange(FrmStart, nullptr);
    ScreenMode = L"1024";
  }
  void OpenAndShoot(const String& command, const String& shot, const std::function<void()>& check) {
    HWND window = nullptr;
    TModalDriver driver({[&] { return (window = FindOwnWindow(L"系统设置")) != nullptr && FrmConfig; },
                         [&] {
                           ::UpdateWindow(window);
                           check();
                           EXPECT_TRUE(SaveWindowShot(window, shot));
                           FrmConfig->epFocusButton3->Click();
                           return true;
                         }});
    FrmStart->ShockwaveFlash1FSCommand(FrmStart->ShockwaveFlash1, command, L"");
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(nullptr, FrmConfig);
    EXPECT_EQ(crDefault, Screen->GetCursor());
  }

  TProgramData Data;
  TRecordingResponders Responders;
};

TEST_F(SettingsFromMenu, MusicAndAnswerTimePagesAtBothLayouts) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    OpenAndShoot(L"music", L"settings_music_" + String(mode), [] {
      EXPECT_EQ(0, ConfigMode);
      EXPECT_TRUE(FrmConfig->RxSwitch1->GetVisible());
      EXPECT_EQ(0, FrmConfig->GetRowCount());
    });
    OpenAndShoot(L"szlx", L"settings_times_" + String(mode), [] {
      EXPECT_EQ(1, ConfigMode);
      EXPECT_FALSE(FrmConfig->RxSwitch1->GetVisible());
      EXPECT_FALSE(FrmConfig->FlatComboBox1->GetVisible());
      EXPECT_FALSE(FrmConfig->Label1->GetVisible());
      EXPECT_FALSE(FrmConfig->Label5->GetVisible());
      // The heading clear of the frame and the box, in line with the rows' type names.
      TLabel* heading = FrmConfig->Label4;
      for (int i = 0; i < FrmConfig->ScrollBox1->GetControlCount(); ++i)
        if (TControl* name = FrmConfig->ScrollBox1->GetControl(i); name->GetLeft() < 100)
          EXPECT_EQ(heading->ClientToScreen(TPoint(0, 0)).X, name->ClientToScreen(TPoint(0, 0)).X);
      EXPECT_GT(heading->GetTop(), FrmConfig->epBevel1->GetTop() + 2);
      EXPECT_LE(heading->GetTop() + heading->GetHeight(), FrmConfig->ScrollBox1->GetTop());
      EXPECT_EQ(9, FrmConfig->GetRowCount());
    });
  }
  EXPECT_TRUE(Responders.Log.Empty());
}

}  // namespace
