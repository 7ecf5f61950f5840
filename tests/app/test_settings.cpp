// The settings window on a copy of the shipped bank: one answer-time row per question type,
// saving to tab_tx and the in-memory arrays only on the answer-time page, a failing save,
// the music switch and tune list, and the window opened from the menu at both layouts.
#include <gtest/gtest.h>

#include <algorithm>

#include "WindowTestSupport.h"
#include "app/Uconfig.h"
#include "app/ProgramClasses.h"
#include "app/Responders.h"
#include "app/Ucommon.h"
#include "app/Udlg.h"
#include "app/start.h"
#include "classlib/graphics/Bitmap.h"
#include "controls/extended/RXSwitch.h"

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
  // The labels: the type's name at 16 and the unit 50 right of the edits, three pixels below
  // the edit; the edits in one column, at 100 or as far right as the longest name needs.
  const int editLeft = FrmConfig->RowEdit(0)->GetLeft();
  EXPECT_GE(editLeft, 100);
  int names = 0, units = 0;
  for (int i = 0; i < FrmConfig->ScrollBox1->GetControlCount(); ++i) {
    TControl* control = FrmConfig->ScrollBox1->GetControl(i);
    auto* label = dynamic_cast<TLabel*>(control);
    if (!label) {
      EXPECT_EQ(editLeft, control->GetLeft());
      continue;
    }
    EXPECT_EQ(0, (label->GetTop() - 8) % 20);
    if (label->GetLeft() == 16) ++names;
    if (label->GetLeft() == editLeft + 50 && label->GetCaption() == L"分钟") ++units;
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

// The edits stand at 100 while every name leaves them room, move right as far as the longest
// name needs, and however long a name gets, the units stay inside the box.
TEST_F(Settings, TheEditsStandClearOfTheLongestName) {
  auto openWithNames = [&](const String& longest) {
    delete std::exchange(FrmConfig, nullptr);
    Data.Exec(L"update tab_tx set B1 = '单项选择题' where len(B1) > 5");
    if (!longest.empty()) Data.Exec(L"update tab_tx set B1 = " + QuotedStr(longest) + L" where A1 = 62");
    DM1->Cn1Table_tx->Close();
    Open(1);
  };
  openWithNames(L"");
  EXPECT_EQ(100, FrmConfig->RowEdit(0)->GetLeft()) << "five characters at most";
  openWithNames(L"不定项选择题");
  TBitmap measure;
  measure.GetCanvas()->GetFont()->Assign(FrmConfig->GetFont());
  const int six = measure.GetCanvas()->TextWidth(L"不定项选择题");
  const int five = measure.GetCanvas()->TextWidth(L"单项选择题");
  for (int i = 0; i < FrmConfig->GetRowCount(); ++i)
    EXPECT_EQ(16 + six + (100 - 16 - five), FrmConfig->RowEdit(i)->GetLeft()) << "a five-character name's room";
  openWithNames(String(40, L'长'));
  for (int i = 0; i < FrmConfig->ScrollBox1->GetControlCount(); ++i) {
    TControl* control = FrmConfig->ScrollBox1->GetControl(i);
    auto* label = dynamic_cast<TLabel*>(control);
    if (label && label->GetCaption() != L"分钟") continue;
    EXPECT_LE(control->GetLeft() + control->GetWidth(), FrmConfig->ScrollBox1->GetClientWidth()) << i;
  }
  EXPECT_GT(FrmConfig->RowEdit(0)->GetLeft(), 100);
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

// The music switch as a student meets it: its own 60 x 33 pictures whole, their corners the
// window's colour, a hand over it, and a click that turns it off without a focus frame.
TEST_F(Settings, TheMusicSwitchShowsItsOwnPicturesAndAClickTurnsItOff) {
  Open(0);
  TRxSwitch* sw = FrmConfig->RxSwitch1;
  EXPECT_EQ(crHandPoint, sw->GetCursor());
  EXPECT_FALSE(sw->GetShowFocus());
  EXPECT_EQ(60, sw->GetGlyphOn()->GetWidth());
  EXPECT_EQ(33, sw->GetGlyphOn()->GetHeight());
  EXPECT_EQ(60, sw->GetGlyphOff()->GetWidth());
  PumpAWhile();
  const COLORREF back = ColorToRGB(FrmConfig->GetColor());
  const auto greenish = [](COLORREF c) { return GetGValue(c) > GetRValue(c) + 40 && GetGValue(c) > GetBValue(c) + 40; };
  const auto whitish = [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200; };
  const TClientPixels on = GrabClient(sw->GetHandle());
  ASSERT_EQ(60, on.Width);
  EXPECT_EQ(back, on.At(0, 0)) << "the picture's corner is transparent";
  EXPECT_EQ(back, on.At(0, 32));
  EXPECT_TRUE(greenish(on.At(6, 16))) << "the track's left end, on";
  EXPECT_TRUE(whitish(on.At(45, 16))) << "the knob on the right";
  ClickControl(sw);
  PumpAWhile();
  EXPECT_FALSE(sw->GetStateOn());
  EXPECT_FALSE(MusicOn);
  const TClientPixels off = GrabClient(sw->GetHandle());
  EXPECT_TRUE(whitish(off.At(15, 16))) << "the knob on the left";
  EXPECT_FALSE(greenish(off.At(52, 16))) << "the track, off";
  EXPECT_EQ(back, off.At(59, 0));
  EXPECT_TRUE(SaveWindowShot(FrmConfig->GetHandle(), L"settings_music_switch_off"));
}

// ---- From the menu ----------------------------------------------------------------------------------

// Where control lies, border and all, in the client area of area (a window it lies in).
TRect PlaceIn(TWinControl* area, TControl* control) {
  const TPoint at = area->ScreenToClient(control->GetParent()->ClientToScreen(TPoint(control->GetLeft(), control->GetTop())));
  return TRect(at.X, at.Y, at.X + control->GetWidth(), at.Y + control->GetHeight());
}

// The frames as the screen shows them: none reaches the window's edge, every horizontal frame
// line runs whole from side to side (no corner sticks out beside a control that covers the
// rest of the line), and every control shown has a frame line on each of its four sides.
void ExpectFramed(TFrmConfig* window, const std::vector<TControl*>& shown) {
  ::RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const TClientPixels screen = GrabClient(window->GetHandle());
  ASSERT_GT(screen.Width, 0);
  const COLORREF colour = ColorToRGB(window->epBevel1->GetInnerColor());
  auto frame = [&](int x, int y) { return screen.At(x, y) == colour; };
  constexpr int kEdge = 2;
  int atEdge = 0;
  for (int y = 0; y < screen.Height; ++y)
    for (int x = 0; x < screen.Width; ++x)
      atEdge += frame(x, y) && (x < kEdge || y < kEdge || x >= screen.Width - kEdge || y >= screen.Height - kEdge);
  EXPECT_EQ(0, atEdge) << "frame pixels at the window's edge";
  for (int y = 0; y < screen.Height; ++y) {
    for (int x = 0; x < screen.Width;) {
      if (!frame(x, y)) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < screen.Width && frame(x, y)) ++x;
      const int run = x - start;
      EXPECT_TRUE(run == 1 || run > screen.Width / 2) << "a piece of frame line " << run << " long at " << start << "," << y;
    }
  }
  for (TControl* control : shown) {
    const TRect r = PlaceIn(window, control);
    const int midX = (r.Left + r.Right) / 2, midY = (r.Top + r.Bottom) / 2;
    auto lineFrom = [&](int x, int y, int dx, int dy) {
      for (; x >= 0 && y >= 0 && x < screen.Width && y < screen.Height; x += dx, y += dy)
        if (frame(x, y)) return true;
      return false;
    };
    const std::string name = StringToUtf8(control->GetName());
    EXPECT_TRUE(lineFrom(r.Left - 1, midY, -1, 0)) << name << ": a frame on the left";
    EXPECT_TRUE(lineFrom(r.Right, midY, 1, 0)) << name << ": a frame on the right";
    EXPECT_TRUE(lineFrom(midX, r.Top - 1, 0, -1)) << name << ": a frame above";
    EXPECT_TRUE(lineFrom(midX, r.Bottom, 0, 1)) << name << ": a frame below";
  }
}

// Every row's type name, as its ink shows on the screen, ends well before its number edit:
// a long name as far as a short one.
void ExpectNamesClearOfTheirEdits(TFrmConfig* window) {
  TScrollBox* box = window->ScrollBox1;
  constexpr int kGap = 12;
  for (int i = 0; i < window->GetRowCount(); ++i) {
    TCurrencyEdit* edit = window->RowEdit(i);
    box->ScrollInView(edit);
    ::RedrawWindow(box->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const TClientPixels screen = GrabClient(box->GetHandle());
    const TRect at = PlaceIn(box, edit);
    int inkRight = -1;
    for (int y = std::max(0, at.Top); y < std::min(screen.Height, at.Bottom); ++y)
      for (int x = 0; x < std::min(at.Left, screen.Width); ++x)
        if (GetRValue(screen.At(x, y)) + GetGValue(screen.At(x, y)) + GetBValue(screen.At(x, y)) < 3 * 0x78)
          inkRight = std::max(inkRight, x);
    EXPECT_GT(inkRight, 0) << "row " << i << ": its name shows";
    EXPECT_GE(at.Left - inkRight - 1, kGap) << "row " << i;
  }
  box->GetVertScrollBar()->SetPosition(0);
  ::RedrawWindow(box->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}


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
      ExpectFramed(FrmConfig, {FrmConfig->Label1, FrmConfig->Label5, FrmConfig->RxSwitch1, FrmConfig->FlatComboBox1,
                               FrmConfig->epFocusButton3});
      ExpectWhiteField(FrmConfig->FlatComboBox1);
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
      ExpectFramed(FrmConfig, {heading, FrmConfig->ScrollBox1, FrmConfig->epFocusButton3});
      ExpectNamesClearOfTheirEdits(FrmConfig);
    });
  }
  EXPECT_TRUE(Responders.Log.Empty());
}


// Down in 声音列表 when the tune cannot play (a program folder without tunes; on a machine
// without a sound card it is "没发现声卡！"): the message shows over the settings window, owned
// by it, and the settings window's upper half stays in sight behind it.
TEST_F(SettingsFromMenu, AMessageOfTheTuneListShowsOverTheSettingsWindow) {
  RegisterLayoutClasses();
  FrmDlg = TCustomForm::Create<TFrmDlg>(Application);
  FrmStart->Show();
  const String appPath = std::exchange(AppPath, AppPath + L"no such folder\\");
  const TShowDlgResponder recording = SetShowDlgResponder(nullptr);
  for (const wchar_t* mode : {L"1024", L"800"}) {
    SCOPED_TRACE(StringToUtf8(mode));
    ScreenMode = mode;
    HWND settings = nullptr;
    TModalDriver driver({[&] {
                           if (!(settings = FindOwnWindow(L"系统设置")) || !FrmConfig) return false;
                           FrmConfig->FlatComboBox1->SetFocus();
                           EXPECT_TRUE(PostKey(VK_DOWN));
                           return true;
                         },
                         [&] {
                           HWND message = FindOwnWindow(L"提示");
                           if (!message) return false;
                           PumpAWhile();
                           EXPECT_EQ(settings, ::GetWindow(message, GW_OWNER));
                           RECT window{}, box{};
                           ::GetWindowRect(settings, &window);
                           ::GetWindowRect(message, &box);
                           EXPECT_LT(box.top, window.bottom) << "over the settings window";
                           // The window's colour shows above the message, down to its middle.
                           const TClientPixels screen = GrabClient(settings);
                           const COLORREF colour = ColorToRGB(FrmConfig->GetColor());
                           for (int y : {2, screen.Height / 2 - 2}) EXPECT_EQ(colour, screen.At(2, y)) << y;
                           EXPECT_TRUE(SaveWindowsShot(settings, message, L"settings_message_" + String(mode)));
                           FrmDlg->fcShapeBtn3->Click();
                           return true;
                         },
                         [&] {
                           if (FindOwnWindow(L"提示")) return false;
                           EXPECT_EQ(Application->GetHandle(), ::GetWindow(FrmDlg->GetHandle(), GW_OWNER));
                           FrmConfig->epFocusButton3->Click();
                           return true;
                         }});
    FrmStart->ShockwaveFlash1FSCommand(FrmStart->ShockwaveFlash1, L"music", L"");
    EXPECT_TRUE(driver.Done());
  }
  SetShowDlgResponder(recording);
  AppPath = appPath;
  delete std::exchange(FrmDlg, nullptr);
}

}  // namespace
