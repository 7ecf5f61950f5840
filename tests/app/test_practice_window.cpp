// The practice window as a real window on a copy of the shipped bank, driven by mouse and key
// messages: a practice of the chapters 21 (single, multiple and self-assessed questions in two
// groups) with the bank's row, the day's log and the chapter counters checked after each
// answer and after closing; the messages with their dialog arguments; voiding and restoring;
// the time limit; a listening question; a question entered by the student, answered and
// edited; screenshots at both screen sizes; Alt+F4 typed in the empty group stem view.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "classlib/forms/HintWindow.h"
#include "controls/imagebutton/fcImgBtn.h"
#include "app/AnswerPadView.h"
#include "app/UInPut.h"
#include "app/Ubj.h"
#include "app/Ucommon.h"
#include "app/Ujx.h"
#include "app/Ukmmc.h"
#include "app/Ulxxt.h"
#include "app/Utedit.h"
#include "app/dm.h"
#include "data/tools/Rtf.h"
#include "tests/ApplicationTestSupport.h"

namespace {

class PracticeWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    FScreenMode = ScreenMode;
    FTypeIds = TypeIds;
    FTypeTimes = TypeTimes;
    ScreenMode = L"1024";
    TypeIds.clear();
    TypeTimes.clear();
  }
  void TearDown() override {
    ScreenMode = FScreenMode;
    TypeIds = FTypeIds;
    TypeTimes = FTypeTimes;
  }

  int Int(const String& sql) { return SelectInt(FData.Cn(), sql); }
  String Text(const String& sql) { return SelectText(FData.Cn(), sql); }
  String Of(const String& column, const String& id) {
    return Text(L"select " + column + L" from tab_answ where a1 = '" + id + L"'");
  }
  // Answers counted today and in the chapters agree with n answers, wrong of them wrong.
  void ExpectCounted(int n, int wrong, int line) {
    SCOPED_TRACE(line);
    EXPECT_EQ(n, Int(L"select sum(A2) from tab_rz"));
    EXPECT_EQ(n, Int(L"select sum(D1) from tab_kmmc where len(C1) = 6"));
    EXPECT_EQ(wrong, Int(L"select sum(D2) from tab_kmmc where len(C1) = 6"));
  }

  // Opens the window over the new questions of chapter and runs steps while it is shown.
  void Run(const String& chapter, std::vector<std::function<bool()>> steps) {
    CurChapterCode = chapter;
    RunSet(PracticeQueryText(1, chapter), std::move(steps));
  }
  // Opens the window over the set of sql and runs steps while it is shown.
  void RunSet(const String& sql, std::vector<std::function<bool()>> steps) {
    PracticeSQL = sql;
    Window = TCustomForm::Create<TFrmLxxt>(Application);
    // The clock waits for the show: created, it neither ticks nor counts.
    EXPECT_FALSE(Window->KZTimeCounter1->GetEnabled());
    EXPECT_FALSE(Window->KZTimeCounter1->GetCounting());
    ASSERT_TRUE(Window->LoadQuestions());
    steps.insert(steps.begin(), [this] { return Window->GetVisible() && Window->Session().GetCurrent() > 0; });
    TModalDriver driver(std::move(steps));
    Window->ShowModal();
    EXPECT_TRUE(driver.Done());
    delete Window;
    Window = nullptr;
  }

  String Current(const wchar_t* field) { return DM1->Cn1Query_tm->FieldByName(field)->GetAsString(); }
  HWND Option(TfcButtonGroup* group, int index) {
    return group->GetButtonItems()->GetItem(index)->GetButton()->GetHandle();
  }
  bool Down(TfcButtonGroup* group, int index) {
    return group->GetButtonItems()->GetItem(index)->GetButton()->GetDown();
  }
  void Key(WORD vk) {
    ::SetFocus(Window->GetHandle());
    ASSERT_TRUE(PostKey(vk));
  }
  void Shot(const String& name) {
    ::RedrawWindow(Window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(SaveWindowShot(Window->GetHandle(), name));
  }

  TProgramData FData;
  TRecordingResponders Responders;
  TFrmLxxt* Window = nullptr;
  String FScreenMode;
  std::vector<int> FTypeIds, FTypeTimes;
};

TEST_F(PracticeWindow, AWholePracticeOfTwoGroups) {
  String first, second, multi, self;
  std::vector<wchar_t> wrongs;
  Run(L"21", {
    [&] {
      EXPECT_EQ(L"26", Window->Lb_ts->GetCaption());
      EXPECT_EQ(L"2", Window->Lb_zs->GetCaption());
      EXPECT_EQ(L"1", Window->Label12->GetCaption());
      EXPECT_EQ(apSingle, Window->Notebook1->GetPageIndex());
      EXPECT_FALSE(Window->epEfTrBtn1->GetEnabled());
      EXPECT_FALSE(Window->epEfTrBtn6->GetEnabled()) << "no key before an answer";
      EXPECT_FALSE(Window->epEfTrBtn9->GetVisible());
      Shot(L"practice_single");
      first = Current(L"a1");
      ClickGraphic(Window->epEfTrBtn3);  // 完成 without an answer
      EXPECT_EQ(std::vector<String>{L"提示|请先做出答案！|1|1|NO"}, Responders.Log.Dialogs);
      EXPECT_EQ(0, Int(L"select count(*) from tab_rz"));
      const int key = Current(L"a2")[0] - L'A';
      ClickButton(Option(Window->fcBG_one, key));
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_one, Of(L"a2", first)[0] - L'A')) return false;
      ClickGraphic(Window->epEfTrBtn3);  // 完成
      EXPECT_EQ(Of(L"a2", first), Of(L"e2", first));
      EXPECT_EQ(Of(L"a2", first), Of(L"e2_1", first));
      EXPECT_EQ(L"1", Of(L"e3", first));
      EXPECT_EQ(L"0", Of(L"e4", first));
      ExpectCounted(1, 0, __LINE__);
      EXPECT_EQ(1, Int(L"select q2 from tab_rule where ftid = '" + Of(L"k3", first) + L"'"));
      ClickGraphic(Window->epEfTrBtn3);  // the same answer again counts once
      ExpectCounted(1, 0, __LINE__);
      EXPECT_EQ(1, Int(L"select q2 from tab_rule where ftid = '" + Of(L"k3", first) + L"'"));
      EXPECT_TRUE(Window->epEfTrBtn6->GetEnabled());
      ClickGraphic(Window->epEfTrBtn6);  // 答案
      EXPECT_EQ(L"恭喜你，做对了！", Window->Lb_answtip->GetCaption());
      EXPECT_EQ(L"返回", Window->epEfTrBtn6->GetCaption());
      EXPECT_EQ(Window->Panel1->GetWidth(), Window->Panel2->GetWidth());
      ClickGraphic(Window->epEfTrBtn6);  // 返回
      EXPECT_EQ(0, Window->Panel2->GetWidth());
      Key(VK_RETURN);  // the next question
      return true;
    },
    [&] {
      if (Window->Label12->GetCaption() != L"2") return false;
      second = Current(L"a1");
      for (wchar_t letter : String(L"ABCD"))
        if (String(1, letter) != Current(L"a2")) wrongs.push_back(letter);
      Key(wrongs[0]);
      Key(wrongs[1]);  // a single choice keeps the last key only
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_one, wrongs[1] - L'A')) return false;
      EXPECT_FALSE(Down(Window->fcBG_one, wrongs[0] - L'A'));
      ClickGraphic(Window->epEfTrBtn2);  // 下一题 saves the wrong answer
      EXPECT_EQ(L"-3", Of(L"e4", second));
      ExpectCounted(2, 1, __LINE__);
      EXPECT_EQ(1, Int(L"select q2 from tab_rule where ftid = '" + Of(L"k3", second) + L"'"));
      ClickGraphic(Window->FlatSpeedButton2);  // 下一组->
      EXPECT_EQ(L"2", Window->Lb_zb->GetCaption());
      EXPECT_EQ(L"1", Window->Label12->GetCaption());
      EXPECT_EQ(21, Window->Session().GetCurrent());
      EXPECT_EQ(apMultiple, Window->Notebook1->GetPageIndex());
      EXPECT_FALSE(Window->PadButton(6)->GetEnabled());
      multi = Current(L"a1");
      for (wchar_t letter : Current(L"a2")) Key(letter);
      Key(L'F');  // hidden on a question of fewer options: nothing
      return true;
    },
    [&] {
      const String key = Of(L"a2", multi);
      if (!Down(Window->fcBG_many, key.back() - L'A')) return false;
      Shot(L"practice_multiple");
      ClickGraphic(Window->epEfTrBtn3);
      EXPECT_EQ(key, Of(L"e2", multi));
      ExpectCounted(3, 1, __LINE__);
      ClickButton(Window->PadButton(5)->GetHandle());  // question 26
      return true;
    },
    [&] {
      if (Window->Session().GetCurrent() != 26) return false;
      self = Current(L"a1");
      EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
      // Any type keeps the layout's heading of the self-assessment page.
      EXPECT_TRUE(Window->Label8->GetVisible());
      EXPECT_FALSE(Window->Label20->GetVisible() || Window->Label5->GetVisible());
      ::SendMessageW(Window->FlatComboBox1->GetHandle(), CB_SETCURSEL, 1, 0);
      ClickGraphic(Window->epEfTrBtn10);  // 题目作废
      EXPECT_EQ(L"本题已被您作废！", Window->Label21->GetCaption());
      EXPECT_EQ(L"1", Of(L"f1", self));
      EXPECT_EQ(L"zero", Of(L"e2", self));
      ClickGraphic(Window->epEfTrBtn10);  // 取消作废
      EXPECT_EQ(L"本题曾被作废，现已被您取消！", Window->Label21->GetCaption());
      EXPECT_EQ(L"0", Of(L"f1", self));
      EXPECT_EQ(L"", Of(L"e2", self));
      Shot(L"practice_self");
      std::vector<TKeyStroke> sent;
      const TKeySender before = SetKeySender([&](const std::vector<TKeyStroke>& strokes) { sent = strokes; });
      ClickGraphic(Window->epEfTrBtn7);  // 桌面
      SetKeySender(before);
      EXPECT_EQ(ShowDesktopStrokes(), sent);
      PostGraphicClick(Window->epEfTrBtn5);  // 笔记, shown modally once this step is over
      return true;
    },
    [&] {
      HWND notes = FindOwnWindow(L"笔记");
      if (!notes || !FrmBj) return false;
      for (wchar_t ch : String(L"note")) ::SendMessageW(FrmBj->DBMemo1->GetHandle(), WM_CHAR, ch, 1);
      ClickGraphic(FrmBj->epEfTrBtn1);
      return true;
    },
    [&] {
      if (FrmBj) return false;
      EXPECT_TRUE(NotesSaved);
      EXPECT_EQ(L"有内容", Window->epEfTrBtn5->GetCaption());
      EXPECT_EQ(L"note", Of(L"a14", self));
      ClickGraphic(Window->epEfTrBtn99);  // 关闭 saves the last answer
      return true;
    },
  });
  EXPECT_EQ(L"1", Of(L"e2", self));
  ExpectCounted(4, 1, __LINE__);
  EXPECT_EQ(1u, Responders.Log.Dialogs.size());
  EXPECT_FALSE(DM1->Cn1Query_tm->GetActive());
}

// A note cleared in the notes window is not posted by it, but reaches the bank with the move
// to the next question: coming back, the question has no note and the button reads 笔记.
TEST_F(PracticeWindow, AClearedNoteIsWrittenWithTheNextMove) {
  FData.Exec(L"update tab_answ set a14 = '旧笔记'");
  String id;
  Run(L"21", {
    [&] {
      id = Current(L"a1");
      EXPECT_EQ(L"有内容", Window->epEfTrBtn5->GetCaption());
      PostGraphicClick(Window->epEfTrBtn5);  // 笔记
      return true;
    },
    [&] {
      if (!FindOwnWindow(L"笔记") || !FrmBj) return false;
      TDBMemo* memo = FrmBj->DBMemo1;
      EXPECT_EQ(L"旧笔记", memo->GetText());
      ClickControl(memo);
      ::SendMessageW(memo->GetHandle(), EM_SETSEL, 0, -1);
      EXPECT_TRUE(PostKey(VK_DELETE));
      return true;
    },
    [&] {
      if (!FrmBj->DBMemo1->GetText().empty()) return false;
      ClickGraphic(FrmBj->epEfTrBtn1);  // 关  闭
      return true;
    },
    [&] {
      if (FrmBj) return false;
      EXPECT_FALSE(NotesSaved);
      EXPECT_EQ(L"笔记", Window->epEfTrBtn5->GetCaption());
      EXPECT_EQ(L"旧笔记", Of(L"a14", id)) << "not posted by the notes window";
      ClickGraphic(Window->epEfTrBtn2);  // 下一题
      EXPECT_EQ(L"", Of(L"a14", id)) << "written with the move";
      EXPECT_EQ(L"有内容", Window->epEfTrBtn5->GetCaption()) << "the next question keeps its note";
      ClickGraphic(Window->epEfTrBtn1);  // 上一题
      return true;
    },
    [&] {
      if (Current(L"a1") != id) return false;
      EXPECT_EQ(L"笔记", Window->epEfTrBtn5->GetCaption());
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    },
  });
  EXPECT_EQ(L"", Of(L"a14", id));
}

// An option pressed on one question is released on the next, unanswered one, and no longer
// drawn bold there: the student must not believe an answer is chosen.
// The pad at 45 and at 5 questions: twenty buttons in rows of five, numbered 1..20 in every
// group, the last group's buttons past the set's end disabled.
TEST_F(PracticeWindow, ThePadReadsInRowsOfFiveAtFortyFiveAndFiveQuestions) {
  CurChapterCode = L"2";
  auto pad = [&](int i) { return static_cast<TfcImageBtn*>(Window->PadButton(i)); };
  for (int count : {45, 5}) {
    SCOPED_TRACE(count);
    String sql = PracticeQueryText(1, L"2");
    sql.insert(7, L"top " + IntToStr(count) + L" ");
    RunSet(sql, {
      [&] {
        EXPECT_EQ(IntToStr(count), Window->Lb_ts->GetCaption());
        if (count == 45) {
          ClickGraphic(Window->FlatSpeedButton2);  // 下一组->
          ClickGraphic(Window->FlatSpeedButton2);
        }
        return true;
      },
      [&] {
        if (Window->Session().GetCurrent() != count - 4) return false;
        ExpectPadInReadingOrder(pad, 20, 5, 1);
        for (int i = 0; i < 20; ++i) EXPECT_EQ(i < 5, pad(i)->GetEnabled()) << i;
        Shot(L"practice_pad_" + IntToStr(count));
        ClickButton(pad(4)->GetHandle());
        return true;
      },
      [&] {
        if (Window->Session().GetCurrent() != count) return false;
        EXPECT_EQ(L"5", Window->Label12->GetCaption());
        ClickGraphic(Window->epEfTrBtn99);  // 关闭
        return true;
      },
    });
  }
}

// 上一题 on the first question of a group opens the previous group at its first question;
// inside a group it shows the question before.
TEST_F(PracticeWindow, BackFromAGroupsFirstQuestionOpensThePreviousGroupAtItsStart) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    SCOPED_TRACE(StringToUtf8(mode));
    ScreenMode = mode;
    Run(L"21", {
      [&] {
        ClickGraphic(Window->FlatSpeedButton2);  // 下一组->: question 21
        ClickGraphic(Window->epEfTrBtn2);        // 下一题: 22
        ClickGraphic(Window->epEfTrBtn1);        // 上一题 inside the group
        EXPECT_EQ(21, Window->Session().GetCurrent());
        ClickGraphic(Window->epEfTrBtn1);  // 上一题 from the group's first question
        EXPECT_EQ(1, Window->Session().GetCurrent());
        EXPECT_EQ(L"1", Window->Lb_zb->GetCaption());
        EXPECT_EQ(L"1", Window->Label12->GetCaption());
        EXPECT_TRUE(Window->PadButton(0)->GetDown());
        EXPECT_FALSE(Window->FlatSpeedButton1->GetEnabled());
        EXPECT_TRUE(Window->FlatSpeedButton2->GetEnabled());
        EXPECT_FALSE(Window->epEfTrBtn1->GetEnabled());
        EXPECT_EQ(apSingle, Window->Notebook1->GetPageIndex());
        Shot(L"practice_back_to_previous_group_" + String(mode));
        ClickGraphic(Window->epEfTrBtn99);
        return true;
      },
    });
  }
}

TEST_F(PracticeWindow, AReleasedOptionIsNotDrawnBoldOnTheNextQuestion) {
  auto boldOptions = [&](TfcButtonGroup* group) {
    String bold;
    for (int i = 0; i < group->GetButtonItems()->GetCount(); ++i) {
      TfcCustomBitBtn* button = group->GetButtonItems()->GetItem(i)->GetButton();
      if (button->GetFont()->GetStyle().Contains(fsBold)) bold += button->GetCaption();
      EXPECT_FALSE(button->GetDown()) << "question " << Window->Session().GetCurrent();
    }
    return bold;
  };
  Run(L"21", {
    [&] {
      ClickButton(Option(Window->fcBG_one, 1));  // B on question 1
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_one, 1)) return false;
      EXPECT_TRUE(Window->fcBG_one->GetButtonItems()->GetItem(1)->GetButton()->GetFont()->GetStyle().Contains(fsBold));
      ClickGraphic(Window->epEfTrBtn2);  // 下一题
      EXPECT_EQ(2, Window->Session().GetCurrent());
      EXPECT_EQ(L"", boldOptions(Window->fcBG_one));
      Shot(L"practice_next_unanswered");
      ClickGraphic(Window->FlatSpeedButton2);  // 下一组->: multiple choice
      EXPECT_EQ(apMultiple, Window->Notebook1->GetPageIndex());
      ClickButton(Option(Window->fcBG_many, 0));
      ClickButton(Option(Window->fcBG_many, 2));
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_many, 2)) return false;
      ClickGraphic(Window->epEfTrBtn2);
      EXPECT_EQ(22, Window->Session().GetCurrent());
      EXPECT_EQ(L"", boldOptions(Window->fcBG_many));
      EXPECT_EQ(L"", boldOptions(Window->fcBG_one));
      ClickGraphic(Window->epEfTrBtn1);  // back: the stored answer is pressed again
      EXPECT_TRUE(Down(Window->fcBG_many, 0));
      EXPECT_TRUE(Down(Window->fcBG_many, 2));
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    },
  });
}

TEST_F(PracticeWindow, TimeRunsOutOnceAndIsRecorded) {
  TypeIds = {11};
  TypeTimes = {1};  // 100 ticks of 1 ms
  String id;
  Run(L"210101", {
    [&] {
      id = Current(L"a1");
      return !Responders.Log.Dialogs.empty();
    },
    [&] {
      EXPECT_EQ(std::vector<String>{L"提示|到时间了|1|1|NO"}, Responders.Log.Dialogs);
      EXPECT_EQ(L"Y", Of(L"csbs", id));
      EXPECT_FALSE(Window->Timer1->GetEnabled());
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    },
  });
  EXPECT_EQ(L"Y", Of(L"csbs", id));
}

// A step that is done once ms milliseconds have passed since the first time it ran.
std::function<bool()> WaitFor(DWORD ms) {
  return [ms, start = DWORD(0)]() mutable {
    if (start == 0) start = ::GetTickCount() | 1;
    return ::GetTickCount() - start >= ms;
  };
}

TEST_F(PracticeWindow, AnAnsweredQuestionNeverTimesOutAndAnEditGivesNoSecondTimeOut) {
  TypeIds = {11};
  TypeTimes = {10};  // 100 ticks of 10 ms: about a second
  String first, second, csbs;
  int progress = 0;
  HWND edit = nullptr;
  Run(L"210101", {
    [&] {
      first = Current(L"a1");
      csbs = Of(L"csbs", first);
      ClickButton(Option(Window->fcBG_one, 0));
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_one, 0)) return false;
      ClickGraphic(Window->epEfTrBtn3);  // 完成
      EXPECT_FALSE(Window->Timer1->GetEnabled());
      progress = Window->epIndiGauge1->GetProgress();
      return true;
    },
    WaitFor(2500),
    [&] {
      EXPECT_TRUE(Responders.Log.Dialogs.empty()) << "no time-out after the answer";
      EXPECT_EQ(csbs, Of(L"csbs", first));
      EXPECT_EQ(progress, Window->epIndiGauge1->GetProgress()) << "the gauge stays where it is";
      ClickGraphic(Window->epEfTrBtn2);  // 下一题: unanswered, its time runs
      second = Current(L"a1");
      EXPECT_TRUE(Window->Timer1->GetEnabled());
      return true;
    },
    [&] { return !Responders.Log.Dialogs.empty(); },
    [&] {
      EXPECT_EQ(L"Y", Of(L"csbs", second));
      PostGraphicClick(Window->epEfTrBtn11);  // 修改本题 after the time-out
      return true;
    },
    [&] { return (edit = FindOwnWindow(L"试题修改")) != nullptr; },
    [&] {
      if (auto* form = dynamic_cast<TfrmTedit*>(FindControl(edit)))
        ClickGraphic(form->SpeedButton3);  // 取消
      else
        ::PostMessageW(edit, WM_CLOSE, 0, 0);
      return true;
    },
    [&] { return FindOwnWindow(L"试题修改") == nullptr; },
    WaitFor(2500),
    [&] {
      EXPECT_EQ(std::vector<String>{L"提示|到时间了|1|1|NO"}, Responders.Log.Dialogs) << "one time-out only";
      EXPECT_FALSE(Window->Timer1->GetEnabled());
      ClickGraphic(Window->epEfTrBtn1);  // 上一题: back on the answered question, no time limit
      EXPECT_EQ(first, Current(L"a1"));
      EXPECT_FALSE(Window->Timer1->GetEnabled());
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    },
  });
  EXPECT_EQ(csbs, Of(L"csbs", first));
}

TEST_F(PracticeWindow, TheEditButtonEditsTheQuestionOnDisplay) {
  TypeIds = {11};
  TypeTimes = {300};
  String id, key;
  HWND edit = nullptr;
  Run(L"210101", {
    [&] {
      id = Current(L"a1");
      key = Of(L"a2", id);
      PostGraphicClick(Window->epEfTrBtn11);  // posted: the edit window's loop must not run in this step
      return true;
    },
    [&] { return (edit = FindOwnWindow(L"试题修改")) != nullptr; },
    [&] {
      EXPECT_EQ(id, EditQuestionId);
      EXPECT_FALSE(Window->Timer1->GetEnabled());  // the time limit waits while editing
      auto* form = dynamic_cast<TfrmTedit*>(FindControl(edit));
      if (!form) {
        ADD_FAILURE() << "the edit window is not a TfrmTedit";
        ::PostMessageW(edit, WM_CLOSE, 0, 0);
        return true;
      }
      form->Edit1->SetText(key == L"B" ? L"C " : L"B ");
      form->SaveClick(nullptr);
      return true;
    },
    [&] { return FindOwnWindow(L"试题修改") == nullptr; },
    [&] {
      EXPECT_EQ(key == L"B" ? L"C" : L"B", Of(L"a2", id));  // saved, trimmed
      EXPECT_EQ(id, Current(L"a1"));                          // still on the same question
      EXPECT_TRUE(Window->Timer1->GetEnabled());              // the time limit runs again
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    },
  });
}

// Every enabled command button reads blue under the mouse, also those the window never
// enables or disables (关闭 here), at both screen sizes.
TEST_F(PracticeWindow, EveryCommandButtonTurnsBlueUnderTheMouse) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    Run(L"21", {[&] {
      ExpectCommandButtonsGlowBlue(Window, Window->epEfTrBtn99,
                                   String(L"practice_close_hovered_") + (ScreenMode == L"800" ? L"800x600" : L"1024x768"));
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    }});
  }
}

// Every visible control of the window lies inside its client area, apart from the others.
void ExpectPlacedApart(TFrmLxxt* window) {
  std::vector<TControl*> shown;
  for (int i = 0; i < window->GetControlCount(); ++i)
    if (TControl* control = window->GetControl(i); control->GetVisible()) shown.push_back(control);
  for (size_t i = 0; i < shown.size(); ++i) {
    const TRect a = shown[i]->GetBoundsRect();
    EXPECT_TRUE(a.Left >= 0 && a.Top >= 0 && a.Right <= window->GetClientWidth() &&
                a.Bottom <= window->GetClientHeight())
        << shown[i]->GetName() << " lies outside the window";
    for (size_t j = i + 1; j < shown.size(); ++j) {
      const TRect b = shown[j]->GetBoundsRect();
      EXPECT_FALSE(a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom)
          << shown[i]->GetName() << " overlaps " << shown[j]->GetName();
    }
  }
}

// Pixels of the window under control that differ from the window's colour.
int DrawnPixels(TFrmLxxt* window, TControl* control) {
  ::RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  HDC dc = ::GetDC(window->GetHandle());
  const COLORREF back = ColorToRGB(window->GetColor());
  int drawn = 0;
  for (int y = control->GetTop(); y < control->GetTop() + control->GetHeight(); ++y)
    for (int x = control->GetLeft(); x < control->GetLeft() + control->GetWidth(); ++x)
      drawn += ::GetPixel(dc, x, y) != back;
  ::ReleaseDC(window->GetHandle(), dc);
  return drawn;
}

TEST_F(PracticeWindow, AListeningQuestionTheAnimationAndBothScreens) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    const String size = String(mode) == L"800" ? L"800x600" : L"1024x768";
    int frame = 0;
    Run(L"71", {
      [&] {
        SCOPED_TRACE(size);
        EXPECT_EQ(apSingle, Window->Notebook1->GetPageIndex());
        EXPECT_TRUE(Responders.Log.Dialogs.empty()) << "a passage that cannot play says nothing";
        Shot(L"practice_listening_" + size);
        ExpectPlacedApart(Window);
        ExpectPicturePads({Window->fcBG_one, Window->fcBG_many, Window->fcBG_yn, Window->fcBG_pw});
        EXPECT_EQ(0, Window->fcBG_tx->GetControlSpacing()) << "the type bar's buttons touch";
        ExpectTimeGaugeTurnsRed(Window->epIndiGauge1);
        HoverOver(Window->fcBG_one->GetButtonItems()->GetItem(1)->GetButton(), 12, 12);
        PumpAWhile();
        Shot(L"practice_pad_hover_" + size);
        // The animated picture: a sheet with a tick drawn stroke by stroke.
        TRxGIFAnimator* animator = Window->RxGIFAnimator1;
        EXPECT_TRUE(animator->GetAnimate());
        EXPECT_GE(animator->GetImage()->GetCount(), 2);
        EXPECT_EQ(40, animator->GetWidth());
        EXPECT_GT(DrawnPixels(Window, animator), 400);
        frame = animator->GetFrameIndex();
        ClickGraphic(Window->epEfTrBtn6);  // disabled: nothing
        EXPECT_EQ(L"答案", Window->epEfTrBtn6->GetCaption());
        return true;
      },
      [&] { return Window->RxGIFAnimator1->GetFrameIndex() != frame; },  // it moves
      [&] {
        ClickGraphic(Window->FlatSpeedButton1);  // disabled on the first group
        EXPECT_EQ(1, Window->Session().GetCurrent());
        if (ScreenMode == L"800") {
          EXPECT_EQ(780, Window->GetClientWidth());
          EXPECT_EQ(490, Window->GetClientHeight());
        }
        ClickGraphic(Window->epEfTrBtn99);
        return true;
      },
    });
  }
}

// Each self-assessed question after one graded 会 shows its box empty, and the first Down picks
// 不会, the box closed or opened by a click, Alt+Down or F4; the grades chosen are saved.
TEST_F(PracticeWindow, EveryGradeBoxStartsAtTheFirstGrade) {
  // The computed questions of subject 5 are its only new ones.
  FData.Exec(L"update tab_answ set e2 = '1' where left(a10,1) = '5' and a13 <> 22");
  Run(L"5", {
    [&] {
      EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
      ExpectEveryGradeBoxStartsAtTheFirst(Window, Window->FlatComboBox1, [&](int question) {
        ClickGraphic(Window->epEfTrBtn2);  // 下一题
        EXPECT_EQ(question + 1, Window->Session().GetCurrent());
        EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
      }, L"practice_grade_list_1024x768");
      ClickGraphic(Window->epEfTrBtn99);  // 关闭 saves the last
      return true;
    },
  });
  EXPECT_EQ(5, Int(L"select count(*) from tab_answ where a13 = 22 and e2 = '1'"));
}

// Its explanation and notes windows are shot at both screen sizes.
TEST_F(PracticeWindow, AComputedQuestionsExplanationShowsItsMinusSigns) {
  // A computed question whose explanation holds the full-width minus, alone in its chapter's
  // new questions.
  String id, chapter;
  for (const auto& row : SelectColumn(FData.Cn(), L"select a1 from tab_answ where a13 = 22 order by a1")) {
    const std::string rtf = SelectBytes(FData.Cn(), L"select jx from tab_exer where a1 = '" + row + L"'");
    if (ReadRtf(rtf).Text.find(L"－") == String::npos) continue;
    id = row;
    chapter = Of(L"a10", row);
    break;
  }
  ASSERT_FALSE(id.empty());
  FData.Exec(L"update tab_answ set e2 = '1' where a10 = '" + chapter + L"' and a1 <> '" + id + L"'");
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    const String size = String(mode) == L"800" ? L"800x600" : L"1024x768";
    FData.Exec(L"update tab_answ set e2 = '', e2_1 = '' where a1 = '" + id + L"'");
    HWND explanation = nullptr, notes = nullptr;
    Run(chapter, {
      [&] {
        EXPECT_EQ(id, Current(L"a1"));
        EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
        ::SendMessageW(Window->FlatComboBox1->GetHandle(), CB_SETCURSEL, 1, 0);  // 会
        ClickGraphic(Window->epEfTrBtn3);  // 完成
        EXPECT_TRUE(Window->epEfTrBtn4->GetEnabled()) << "解析 after the grade";
        Shot(L"practice_computed_" + size);
        PostGraphicClick(Window->epEfTrBtn4);  // 解析, shown modally once this step is over
        return true;
      },
      [&] { return (explanation = FindOwnWindow(L"解析")) != nullptr; },
      [&] {
        auto* form = dynamic_cast<TFrmJx*>(FindControl(explanation));
        if (!form) {
          ADD_FAILURE() << "the explanation window is not a TFrmJx";
          ::PostMessageW(explanation, WM_CLOSE, 0, 0);
          return true;
        }
        EXPECT_NE(String::npos, form->Re->GetText().find(L"－"));
        ::UpdateWindow(explanation);
        EXPECT_TRUE(SaveWindowShot(explanation, L"practice_computed_explanation_" + size));
        ClickGraphic(form->epEfTrBtn1);
        return true;
      },
      [&] {
        if (FindOwnWindow(L"解析")) return false;
        PostGraphicClick(Window->epEfTrBtn5);  // 笔记
        return true;
      },
      [&] { return (notes = FindOwnWindow(L"笔记")) != nullptr && FrmBj; },
      [&] {
        ::UpdateWindow(notes);
        EXPECT_TRUE(SaveWindowShot(notes, L"practice_notes_" + size));
        ClickGraphic(FrmBj->epEfTrBtn1);
        return true;
      },
      [&] {
        if (FrmBj) return false;
        ClickGraphic(Window->epEfTrBtn99);
        return true;
      },
    });
  }
}

// The window previews its controls' keys: letters, Enter and back-space work while the
// question text, a pad button or a hidden edit has the focus, and never while a shown edit
// takes typing.
TEST_F(PracticeWindow, KeysWorkWhereverTheFocusIsButWhereTextIsTyped) {
  TFlatEdit* typed = nullptr;
  Run(L"21", {
    [&] {
      ::SetFocus(Window->Re1->GetHandle());
      EXPECT_EQ(Window->Re1, FocusedControl());
      EXPECT_TRUE(PostKey('B'));
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_one, 1)) return false;
      ::SetFocus(Window->PadButton(0)->GetHandle());
      EXPECT_TRUE(PostKey(VK_RETURN));
      return true;
    },
    [&] {
      if (Window->Session().GetCurrent() != 2) return false;
      PumpAWhile();
      EXPECT_EQ(2, Window->Session().GetCurrent()) << "the focused pad button took Enter as well";
      ::SetFocus(Window->FlatEdit1->GetHandle());  // on a page turned away
      EXPECT_TRUE(PostKey('C'));
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_one, 2)) return false;
      typed = new TFlatEdit(Window);
      typed->SetParent(Window);
      typed->SetBounds(600, 10, 100, 20);
      ::SetFocus(typed->GetHandle());
      for (WORD key : {WORD('A'), WORD('D'), WORD(VK_BACK), WORD(VK_RETURN)}) EXPECT_TRUE(PostKey(key));
      return true;
    },
    [&] {
      if (typed->GetText() != L"a") return false;
      PumpAWhile();
      EXPECT_EQ(L"a", typed->GetText());
      EXPECT_EQ(2, Window->Session().GetCurrent());
      EXPECT_FALSE(Down(Window->fcBG_one, 0) || Down(Window->fcBG_one, 3));
      EXPECT_TRUE(Down(Window->fcBG_one, 2));
      EXPECT_TRUE(TakesTyping(typed));
      typed->SetReadOnly(true);
      EXPECT_FALSE(TakesTyping(typed));
      for (TWinControl* control : std::initializer_list<TWinControl*>{Window->Re1, Window->FlatEdit1, Window->FlatComboBox1, Window->Memo1})
        EXPECT_FALSE(TakesTyping(control)) << control->GetName();
      delete typed;
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    },
  });
}

// The window opens with the focus in the stem view, not in the collapsed view of a group's own
// stem; Alt+F4 closes the window even from that empty view.
TEST_F(PracticeWindow, AltF4InTheEmptyGroupStemViewClosesTheWindow) {
  Run(L"21", {[&] {
    EXPECT_EQ(0, Window->Re2->GetHeight());
    EXPECT_EQ(Window->Re1, FocusedControl());
    ::SetForegroundWindow(Window->GetHandle());
    ::SetFocus(Window->Re2->GetHandle());
    EXPECT_EQ(Window->Re2, FocusedControl());
    EXPECT_TRUE(TypeChord({VK_MENU, VK_F4}));
    return true;
  }});
  EXPECT_TRUE(Responders.Log.Dialogs.empty());
}

TEST_F(PracticeWindow, TheSmallScreenShowsEveryPage) {
  ScreenMode = L"800";
  Run(L"21", {
    [&] {
      Shot(L"practice_single_800x600");
      ClickGraphic(Window->FlatSpeedButton2);  // 下一组->: multiple choice
      EXPECT_EQ(apMultiple, Window->Notebook1->GetPageIndex());
      Shot(L"practice_multiple_800x600");
      ClickButton(Window->PadButton(5)->GetHandle());  // question 26: self-assessed
      return true;
    },
    [&] {
      if (Window->Session().GetCurrent() != 26) return false;
      EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
      Shot(L"practice_self_800x600");
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    },
  });
}

// Types text into a window as the keyboard would, after selecting what it holds.
void TypeInto(TWinControl* control, const String& text) {
  HWND wnd = control->GetHandle();
  ::SendMessageW(wnd, EM_SETSEL, 0, -1);
  for (wchar_t ch : text) ::PostMessageW(wnd, WM_CHAR, ch, 1);
}

// The face and height of the first character of a rich-text view.
String FirstCharFont(TWinControl* view) {
  HWND wnd = view->GetHandle();
  ::SendMessageW(wnd, EM_SETSEL, 0, 1);
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  ::SendMessageW(wnd, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  ::SendMessageW(wnd, EM_SETSEL, 0, 0);
  return String(format.szFaceName) + L" " + IntToStr(format.yHeight);
}

TEST_F(PracticeWindow, AQuestionEnteredWithSixOptionsIsAnsweredWithFAndEditedAtOnce) {
  const String chapter = L"210101";
  // Entered by keys: seven options asked for, six taken (the most a pad shows).
  TFrmInPut* entry = TCustomForm::Create<TFrmInPut>(Application);
  entry->ChapterCode = chapter;
  {
    TModalDriver driver({[&] {
                           if (!FindOwnWindow(L"试题录入")) return false;
                           TypeInto(entry->Re1, L"第六个选项是对的");
                           TypeInto(entry->SE_Num, L"7");
                           TypeInto(entry->Edit1, L"f");
                           return true;
                         },
                         [&] {
                           EXPECT_EQ(L"F", entry->Edit1->GetText());
                           ClickControl(entry->SpeedButton4);  // 保存
                           EXPECT_EQ(6, entry->SE_Num->GetValue()) << "the box shows what was saved";
                           ClickControl(entry->SpeedButton7);
                           return true;
                         }});
    entry->ShowModal();
    EXPECT_TRUE(driver.Done());
  }
  EXPECT_EQ(1, entry->SavedCount);
  delete entry;
  const String id = Text(L"select a1 from tab_answ where f1 = 2");
  ASSERT_EQ(L"U611" + chapter + L"0001", id);
  EXPECT_EQ(L"6", Of(L"a2_1", id));

  TypeIds = {11};
  TypeTimes = {300};
  String bankFont, enteredFont;
  HWND edit = nullptr;
  Run(chapter, {
    [&] {
      bankFont = FirstCharFont(Window->Re1);
      // To the entered question by 下一题, as a student goes.
      for (int i = 0; i < 100 && Current(L"a1") != id && Window->epEfTrBtn2->GetEnabled(); ++i)
        ClickGraphic(Window->epEfTrBtn2);
      EXPECT_EQ(id, Current(L"a1"));
      enteredFont = FirstCharFont(Window->Re1);
      EXPECT_TRUE(Window->fcBG_one->GetButtonItems()->GetItem(5)->GetButton()->GetVisible());
      Key('F');
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_one, 5)) return false;
      Shot(L"practice_entered_six_options");
      ClickGraphic(Window->epEfTrBtn3);  // 完成
      EXPECT_EQ(L"F", Of(L"E2_1", id));
      EXPECT_EQ(L"0", Of(L"e4", id)) << "right at the first answer";
      PostGraphicClick(Window->epEfTrBtn11);  // 修改本题
      return true;
    },
    [&] { return (edit = FindOwnWindow(L"试题修改")) != nullptr; },
    [&] {
      auto* form = dynamic_cast<TfrmTedit*>(FindControl(edit));
      if (!form) {
        ADD_FAILURE() << "the edit window is not a TfrmTedit";
        ::PostMessageW(edit, WM_CLOSE, 0, 0);
        return true;
      }
      EXPECT_EQ(6, form->SE_Num->GetMaxValue());
      TypeInto(form->SE_Num, L"4");
      TypeInto(form->Edit1, L"d");
      return true;
    },
    [&] {
      if (auto* form = dynamic_cast<TfrmTedit*>(FindControl(edit))) ClickControl(form->SpeedButton4);  // 保存
      return true;
    },
    [&] { return FindOwnWindow(L"试题修改") == nullptr; },
    [&] {
      EXPECT_EQ(L"4", Of(L"a2_1", id));
      // At once, without moving: four options, none of them the old F pressed.
      for (int i = 0; i < kOptionButtons; ++i) {
        EXPECT_EQ(i < 4, Window->fcBG_one->GetButtonItems()->GetItem(i)->GetButton()->GetVisible()) << i;
        EXPECT_FALSE(Down(Window->fcBG_one, i)) << i;
      }
      EXPECT_EQ(L"本题被您修改过", Window->Label24->GetCaption());
      Key('D');
      return true;
    },
    [&] {
      if (!Down(Window->fcBG_one, 3)) return false;
      ClickGraphic(Window->epEfTrBtn3);
      EXPECT_EQ(L"D", Of(L"E2_1", id));
      ClickGraphic(Window->epEfTrBtn99);
      return true;
    },
  });
  EXPECT_FALSE(bankFont.empty());
  EXPECT_EQ(bankFont, enteredFont) << "an entered stem is drawn as the bank's are";
  EXPECT_EQ(L"0", Of(L"e4", id));
}

// The mouse over the answer pages (over a page, which covers the notebook) brings the hint of
// the page on screen, on each of the three pages the chapter's questions are answered on.
TEST_F(PracticeWindow, TheAnswerPagesHintWhatTheyAskFor) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    std::vector<int> pages;
    auto hover = [&] {
      TNotebook* notebook = Window->Notebook1;
      HoverOver(notebook, 2, notebook->GetHeight() - 2);  // beside the options
      return true;
    };
    auto hinted = [&] {
      const int page = Window->Notebook1->GetPageIndex();
      if (!HintShows(AnswerPageHint(page))) return false;
      EXPECT_EQ(AnswerPageHint(page), Window->Notebook1->GetHint());
      if (pages.empty()) {
        Shot(L"practice_page_hint_" + String(mode));
        EXPECT_TRUE(SaveWindowShot(Application->GetHintWindow()->GetHandle(), L"practice_hint_" + String(mode)));
      }
      pages.push_back(page);
      // On to the next question answered on another page.
      for (int i = 0; i < 100 && Window->Notebook1->GetPageIndex() == page && Window->epEfTrBtn2->GetEnabled(); ++i)
        ClickGraphic(Window->epEfTrBtn2);
      return true;
    };
    Run(L"21", {hover, hinted, hover, hinted, hover, hinted, [&] {
                  ClickGraphic(Window->epEfTrBtn99);
                  return true;
                }});
    EXPECT_EQ((std::vector<int>{apSingle, apMultiple, apSelf}), pages) << StringToUtf8(mode);
  }
}

// A mouse event at a screen point through the system's input queue, as a hand makes it.
void MoveMouseTo(const TPoint& screen) {
  ::SetCursorPos(screen.X, screen.Y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  ::SendInput(1, &input, sizeof(INPUT));
  PumpApplicationUntil([] { return false; }, 30, 10);
}

// The page's hint shows on the first entry into the answer area, also when the mouse comes
// straight down onto an option (the options cover most of the page) and rests there after
// one move inside.
TEST_F(PracticeWindow, ThePageHintShowsOnTheFirstEntry) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    SCOPED_TRACE(StringToUtf8(mode));
    ScreenMode = mode;
    ::SetCursorPos(0, 0);
    Run(L"21", {
      [&] {
        EXPECT_FALSE(Window->Notebook1->GetShowHint());
        TControl* option = Window->fcBG_one->GetButtonItems()->GetItem(1)->GetButton();  // B
        const TPoint to = option->ClientToScreen(TPoint(option->GetWidth() / 2, option->GetHeight() / 2));
        const int above = to.Y - Window->Notebook1->ClientToScreen(TPoint(0, 0)).Y + 10;
        for (int step : {4, 3, 2, 1}) MoveMouseTo(TPoint(to.X, to.Y - step * above));  // over the question
        MoveMouseTo(to);
        return true;
      },
      [&] { return HintShows(AnswerPageHint(apSingle)); },
      [&] {
        EXPECT_TRUE(SaveWindowShot(Application->GetHintWindow()->GetHandle(), L"practice_first_hint_" + String(mode)));
        ::SetCursorPos(0, 0);
        ClickGraphic(Window->epEfTrBtn99);
        return true;
      },
    });
  }
}

// A question of a listening group: its passage stops and plays on, and 短文朗读 plays the
// group's passage.
TEST_F(PracticeWindow, ThePassageStopsPlaysOnAndTheGroupsPassagePlays) {
  String id;
  std::vector<String> captions;
  std::vector<TMPModes> modes;
  auto note = [&] {
    captions.push_back(Window->epEfTrBtn12->GetCaption());
    modes.push_back(Window->MediaPlayer1->GetMode());
  };
  Run(L"720101", {[&] {
    id = Current(L"a1");
    EXPECT_TRUE(Window->Panel3->GetVisible()) << "a group member shows the group passage's button";
    EXPECT_TRUE(Window->epEfTrBtn12->GetEnabled()) << "its passage plays";
    EXPECT_EQ(QuestionPassageFile(id), Window->MediaPlayer1->GetFileName());
    note();
    ClickGraphic(Window->epEfTrBtn12);  // 停止
    note();
    ClickGraphic(Window->epEfTrBtn12);  // 播放
    note();
    ClickGraphic(Window->epEfTrBtn12);  // 停止
    ClickGraphic(Window->epEfTrBtn13);  // 短文朗读
    note();
    EXPECT_EQ(GroupPassageFile(id), Window->MediaPlayer1->GetFileName());
    // Without the group's passage 短文朗读 changes only the caption: what plays can be stopped.
    const String appPath = std::exchange(AppPath, AppPath + L"no such folder\\");
    ClickGraphic(Window->epEfTrBtn13);
    AppPath = appPath;
    EXPECT_TRUE(Window->epEfTrBtn12->GetEnabled());
    note();
    ClickGraphic(Window->epEfTrBtn99);
    return true;
  }});
  EXPECT_GT(id.size(), 16u);
  EXPECT_EQ((std::vector<String>{L"停止", L"播放", L"停止", L"停止", L"停止"}), captions);
  EXPECT_EQ((std::vector<TMPModes>{mpPlaying, mpStopped, mpPlaying, mpPlaying, mpPlaying}), modes);
}

TEST_F(PracticeWindow, TheChooserOpensIt) {
  InstallPracticeWindow();
  std::unique_ptr<TChooserPractice> practice = SetPracticeWindowMaker(nullptr)();
  ASSERT_TRUE(practice);
  PracticeSQL = PracticeQueryText(1, L"999999");
  EXPECT_FALSE(practice->LoadQuestions());
}

}  // namespace
