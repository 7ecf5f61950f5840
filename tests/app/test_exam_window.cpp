// The mock-exam window as a real window on a copy of the shipped bank, driven by mouse and key
// messages: a whole paper of subject 2 answered, paged in twenties, paused and resumed, handed
// in (cancelled once), graded and reviewed (key panel, voiding, export); the hand-in dialog of a
// twenty-question paper (discarded unasked when empty, the real dialog closed by the system,
// voided); the review's explanation of a question past the first; a grading error; the score limit of 50; the review from the records window; both
// screen layouts with screenshots; Alt+F4 typed in the text views and the self-assessment box;
// the self-assessment box empty and starting at the first grade on every new question.
#include <gtest/gtest.h>

#include <algorithm>

#include "WindowTestSupport.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "app/ExamRules.h"
#include "app/Ubj.h"
#include "app/Ucheck.h"
#include "app/Ucommon.h"
#include "app/Uexam.h"
#include "app/Ujx.h"
#include "controls/extended/DBRichEd.h"
#include "app/dm.h"
#include "classlib/classes/StringList.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/system/SysFiles.h"
#include "data/tools/Rtf.h"
#include "tests/ApplicationTestSupport.h"

namespace {

class ExamWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    FScreenMode = ScreenMode;
    ScreenMode = L"1024";
  }
  void TearDown() override {
    ScreenMode = FScreenMode;
    ExamSubjectNo = 0;
  }

  int Int(const String& sql) { return SelectInt(FData.Cn(), sql); }
  String Text(const String& sql) { return SelectText(FData.Cn(), sql); }
  bool TableExists(const String& name) {
    TStringList tables;
    FData.Cn().GetTableNames(&tables, false);
    return tables.IndexOf(name) >= 0;
  }

  // Starts a mock exam of subject and runs steps while its window is shown.
  void Sit(int subject, std::vector<std::function<bool()>> steps) {
    Window = TCustomForm::Create<TFrmExam>(Application);
    // The clock waits for the paper: created, it neither ticks nor counts.
    EXPECT_FALSE(Window->KZTimeCounter1->GetEnabled());
    EXPECT_FALSE(Window->KZTimeCounter1->GetCounting());
    ASSERT_TRUE(PrepareMockExam(subject, Window->Paper()));
    Paper = Window->Paper().PaperTable;
    Run(std::move(steps));
  }
  void Run(std::vector<std::function<bool()>> steps) {
    steps.insert(steps.begin(), [this] { return Window->GetVisible() && Window->Shown() > 0; });
    TModalDriver driver(std::move(steps));
    Window->ShowModal();
    EXPECT_TRUE(driver.Done());
    delete Window;
    Window = nullptr;
  }

  String Current(const wchar_t* field) { return DM1->Cn1Query_exam->FieldByName(field)->GetAsString(); }
  TfcCustomBitBtn* Option(TfcButtonGroup* group, int index) {
    return group->GetButtonItems()->GetItem(index)->GetButton();
  }
  // Posts a key with the focus on the window, or on one of its controls (the window previews
  // its controls' keys).
  void Key(WORD vk, HWND focus = nullptr) {
    ::SetFocus(focus ? focus : Window->GetHandle());
    ASSERT_TRUE(PostKey(vk));
  }
  // The screen is copied after the loop has run, as a person would look: Wine puts what a
  // window painted on the display only then.
  void Shot(const String& name) {
    ::RedrawWindow(Window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpAWhile();
    EXPECT_TRUE(SaveWindowShot(Window->GetHandle(), name));
  }
  // The question on display (not of a group) shows its stem in the text view, on the screen.
  void ExpectStemShown() {
    EXPECT_EQ(StringToUtf8(StoredStem(FData.Cn(), Current(L"A1"))), StringToUtf8(WindowLines(Window->Re1->GetHandle())));
    EXPECT_GT(ScreenInk(Window->Re1->GetHandle()), 500) << "the text view is blank on the screen";
  }
  // Answers the question on display A and moves on, by keys.
  void AnswerAAndGoOn() {
    Key(L'A');
    Key(VK_RETURN);
  }
  // The step that hands the paper in (确定) once the second question shows.
  std::function<bool()> HandInOnTheSecond() {
    return [this] {
      if (Window->Shown() != 2) return false;
      Responders.Log.DialogAnswer = 1;  // 确定
      ClickGraphic(Window->epEfTrBtn3);
      return true;
    };
  }
  // Posts the keys that answer the question on display: its key when right, else another
  // letter; then Enter for the next question.
  void AnswerByKeys(bool right, HWND focus = nullptr) {
    const String key = Current(L"A2");
    String answer = key;
    if (!right) answer = key == L"A" ? L"B" : L"A";
    for (wchar_t letter : answer) Key(letter, focus);
    Key(VK_RETURN, focus);
  }
  // The score the paper's stored answers earn.
  double ExpectedScore() {
    return SelectValue(FData.Cn(), L"select sum(tab_tx.B3) from " + Paper + L",tab_tx where " + Paper +
                                       L".A13 = tab_tx.A1 and " + Paper + L".A2 = " + Paper + L".E2_1")
        .AsDouble();
  }
  // Stores right answers for count questions of type 11 other than the one on display.
  void AnswerRightInTheTable(int count) {
    const std::vector<String> ids =
        SelectColumn(FData.Cn(), L"select A1 from " + Paper + L" where A13 = 11 and A1 <> '" + Current(L"A1") +
                                     L"' order by A1");
    ASSERT_GE(static_cast<int>(ids.size()), count);
    for (int i = 0; i < count; ++i)
      FData.Exec(L"update " + Paper + L" set E2_1 = A2 where A1 = '" + ids[static_cast<size_t>(i)] + L"'");
  }

  TProgramData FData;
  TRecordingResponders Responders;
  TFrmExam* Window = nullptr;
  String Paper;
  String FScreenMode;
};

TEST_F(ExamWindow, AWholePaperAnsweredPausedHandedInAndReviewed) {
  int answered = 0;
  std::vector<std::function<bool()>> steps;
  steps.push_back([&] {
    EXPECT_EQ(L"正在答卷", Window->GetCaption());
    EXPECT_EQ(95, Window->Session().Total());
    EXPECT_EQ(L"1", Window->Label5->GetCaption());
    EXPECT_EQ(L"第 1 组 / 共 5 组", Window->Lb_zb->GetCaption());
    EXPECT_EQ(L"单项选择题 每题1分 共60分", Window->Label7->GetCaption());
    EXPECT_TRUE(Window->PadButton(0)->GetDown());
    EXPECT_FALSE(Window->epEfTrBtn1->GetEnabled());
    for (TepEfTrBtn* off : {Window->epEfTrBtn4, Window->epEfTrBtn6, Window->epEfTrBtn10, Window->epEfTrBtn12})
      EXPECT_FALSE(off->GetEnabled()) << StringToUtf8(off->GetCaption());
    EXPECT_EQ(clGrayText, Window->epEfTrBtn12->GetActiveTextColor()) << "the void button while sitting";
    EXPECT_EQ(clGrayText, Window->epEfTrBtn12->GetFont()->GetColor());
    EXPECT_TRUE(Window->KZTimeCounter1->GetCounting());
    Shot(L"exam_answering_1024x768");
    ExpectPicturePads({Window->fcBG_one, Window->fcBG_many, Window->fcBG_yn, Window->fcBG_pw});
    HoverOver(Window->fcBG_one->GetButtonItems()->GetItem(1)->GetButton(), 12, 12);
    PumpAWhile();
    Shot(L"exam_pad_hover_1024x768");
    ExpectStemShown();
    ClickButton(Window->PadButton(3)->GetHandle());  // question 4 by the mouse
    return true;
  });
  steps.push_back([&] {
    if (Window->Shown() != 4) return false;
    ClickButton(Option(Window->fcBG_one, 2)->GetHandle());  // C
    return true;
  });
  steps.push_back([&] {
    if (!Option(Window->fcBG_one, 2)->GetDown()) return false;
    ClickButton(Window->PadButton(0)->GetHandle());  // back to 1: question 4 is saved
    return true;
  });
  // Questions 1 to 95 by keys: the key on odd numbers, a wrong letter on even ones.
  for (int n = 1; n <= 95; ++n) {
    steps.push_back([&, n] {
      if (Window->Shown() != n) return false;
      if (n == 4) EXPECT_EQ(L"C", Text(L"select E2_1 from " + Paper + L" where A1 = '" + Current(L"A1") + L"'"));
      if (n == 21) {
        EXPECT_EQ(L"第 2 组 / 共 5 组", Window->Lb_zb->GetCaption()) << "下一题 on 20 shows 21";
        EXPECT_EQ(L"21", Window->Label5->GetCaption());
        EXPECT_TRUE(Window->PadButton(0)->GetDown());
      }
      if (n == 61) {
        EXPECT_EQ(apMultiple, Window->Notebook1->GetPageIndex());
        EXPECT_EQ(L"多项选择题 每题2分 共70分", Window->Label7->GetCaption());
      }
      if (n == 30) {
        ClickGraphic(Window->epEfTrBtn13);  // 暂停考试
        EXPECT_TRUE(Window->Paused());
        EXPECT_EQ(L"继续考试", Window->epEfTrBtn13->GetCaption());
        EXPECT_FALSE(Window->KZTimeCounter1->GetCounting());
        for (TepEfTrBtn* off : {Window->epEfTrBtn1, Window->epEfTrBtn2, Window->epEfTrBtn3, Window->epEfTrBtn5,
                                Window->epEfTrBtn7})
          EXPECT_FALSE(off->GetEnabled()) << StringToUtf8(off->GetCaption());
        EXPECT_FALSE(Window->PadButton(1)->GetEnabled());
        EXPECT_FALSE(Window->FlatSpeedButton2->GetEnabled());
        Key('A');  // keys do nothing while paused
        Key(VK_RETURN);
        return true;
      }
      // Questions 41 to 45 with the focus on their pad button, which must not take Enter.
      AnswerByKeys(n % 2 == 1, n > 40 && n <= 45 ? Window->PadButton((n - 1) % 20)->GetHandle() : nullptr);
      ++answered;
      return true;
    });
    if (n == 30)
      steps.push_back([&] {
        PumpAWhile();
        EXPECT_EQ(30, Window->Shown());
        EXPECT_FALSE(Option(Window->fcBG_one, 0)->GetDown());
        ClickGraphic(Window->epEfTrBtn13);  // 继续考试
        EXPECT_TRUE(Window->KZTimeCounter1->GetCounting());
        EXPECT_TRUE(Window->epEfTrBtn1->GetEnabled());
        EXPECT_TRUE(Window->epEfTrBtn2->GetEnabled());
        EXPECT_TRUE(Window->PadButton(1)->GetEnabled());
        AnswerByKeys(false);
        return true;
      });
  }
  steps.push_back([&] {
    PumpAWhile();
    EXPECT_EQ(95, Window->Shown());
    EXPECT_FALSE(Window->epEfTrBtn2->GetEnabled());
    Responders.Log.DialogAnswer = 3;  // 取消
    ClickGraphic(Window->epEfTrBtn3);
    EXPECT_EQ(L"提示|恭喜你已经做完试卷，确定要交卷吗？|2|0|Exam", Responders.Log.Dialogs.back());
    EXPECT_TRUE(Window->KZTimeCounter1->GetCounting()) << "取消 goes on with the exam";
    EXPECT_EQ(L"正在答卷", Window->GetCaption());
    Responders.Log.DialogAnswer = 1;  // 确定
    ClickGraphic(Window->epEfTrBtn7);  // 关闭 hands in too
    return true;
  });
  steps.push_back([&] {
    if (!Window->GetVisible() || Window->GetCaption() != L"查阅试卷") return false;
    const double score = ExpectedScore();
    EXPECT_GE(score, 50.0);
    EXPECT_EQ(ExamScoreText(score), Window->Lb_zfs->GetCaption());
    EXPECT_EQ(score, SelectValue(FData.Cn(), L"select A6 from tab_cj where A1 = '" + Paper + L"'").AsDouble());
    EXPECT_EQ(1, Window->Notebook_Time->GetPageIndex());
    EXPECT_FALSE(Window->epEfTrBtn3->GetEnabled());
    EXPECT_FALSE(Window->epEfTrBtn13->GetVisible());
    EXPECT_TRUE(Window->epEfTrBtn10->GetEnabled());
    EXPECT_FALSE(Window->fcBG_one->GetEnabled()) << "answers are shown, not changed";
    EXPECT_EQ(1, Window->Shown());
    EXPECT_TRUE(Option(Window->fcBG_one, Current(L"A2")[0] - L'A')->GetDown()) << "the stored answer";
    Shot(L"exam_review_1024x768");
    ClickGraphic(Window->epEfTrBtn6);  // 答案
    EXPECT_EQ(L"恭喜你，做对了！", Window->Lb_answtip->GetCaption());
    EXPECT_EQ(Window->Panel1->GetWidth(), Window->Panel2->GetWidth());
    Shot(L"exam_review_key_1024x768");
    ClickGraphic(Window->epEfTrBtn6);  // 返回
    EXPECT_EQ(0, Window->Panel2->GetWidth());
    const String id = Current(L"A1");
    ClickGraphic(Window->epEfTrBtn12);  // 本题作废
    EXPECT_EQ(L"本题已被您作废！", Window->Label1->GetCaption());
    EXPECT_EQ(1, Int(L"select f1 from tab_answ where a1 = '" + id + L"'"));
    ClickGraphic(Window->epEfTrBtn12);  // 取消作废
    EXPECT_EQ(L"本题曾被作废，现已被您取消！", Window->Label1->GetCaption());
    EXPECT_EQ(0, Int(L"select f1 from tab_answ where a1 = '" + id + L"'"));
    Key('B');  // letters do nothing under review
    EXPECT_FALSE(Window->epEfTrBtn1->GetEnabled());
    Key(VK_BACK);  // nor back-space on the first question
    Key(VK_RETURN);  // Enter goes on to the next question
    return true;
  });
  steps.push_back([&] {
    PumpAWhile();
    EXPECT_EQ(2, Window->Shown()) << "Enter moves under review";
    Key(VK_BACK);
    return true;
  });
  steps.push_back([&] {
    PumpAWhile();
    EXPECT_EQ(1, Window->Shown()) << "back-space moves under review";
    ClickGraphic(Window->epEfTrBtn10);  // 生成文档
    EXPECT_EQ(1u, Responders.Log.Shell.size());
    if (!Responders.Log.Shell.empty()) EXPECT_NE(String::npos, Responders.Log.Shell[0].find(Paper + L".rtf"));
    EXPECT_TRUE(FileExists(AppPath + L"data\\" + Paper + L".rtf"));
    DeleteFile(AppPath + L"data\\" + Paper + L".rtf");
    ClickGraphic(Window->epEfTrBtn7);  // 关闭
    return true;
  });
  Sit(2, std::move(steps));
  EXPECT_EQ(94, answered);
  EXPECT_TRUE(TableExists(Paper)) << "a paper of 50 or more is kept";
  EXPECT_EQ(1, Int(L"select count(*) from tab_cj where A1 = '" + Paper + L"'"));
  EXPECT_EQ(96, Int(L"select sum(A2) from tab_rz")) << "every answer counted once, question 4 twice";
  EXPECT_EQ(0, Int(L"select count(*) from " + Paper + L" where E2_1 = '' or E2_1 is null"));
  EXPECT_FALSE(DM1->Cn1Query_exam->GetActive());
}

TEST_F(ExamWindow, HandInOfATwentyQuestionPaper) {
  // Nothing answered: the paper goes without a question.
  Sit(1, {[&] {
        EXPECT_EQ(20, Window->Session().Total());
        EXPECT_FALSE(Window->FlatSpeedButton2->GetEnabled());
        ClickGraphic(Window->epEfTrBtn3);
        return true;
      }});
  EXPECT_TRUE(Responders.Log.Dialogs.empty());
  EXPECT_FALSE(TableExists(Paper));
  EXPECT_EQ(0, Int(L"select count(*) from tab_cj"));

  // One answered: the real dialog asks; closed by the system it keeps the paper.
  HWND dialog = nullptr;
  Sit(1, {
             [&] {
               ClickButton(Option(Window->fcBG_one, 0)->GetHandle());
               return true;
             },
             [&] {
               if (!Option(Window->fcBG_one, 0)->GetDown()) return false;
               SetShowDlgResponder(nullptr);  // the real dialog
               PostGraphicClick(Window->epEfTrBtn3);
               return true;
             },
             [&] { return (dialog = FindOwnWindow(L"提示")) != nullptr; },
             [&] {
               ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
               EXPECT_TRUE(SaveShotsOverMenu(dialog, L"exam_handin_dialog"));
               EXPECT_FALSE(Window->KZTimeCounter1->GetCounting()) << "the clock waits for the answer";
               ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
               return true;
             },
             [&] {
               if (FindOwnWindow(L"提示")) return false;
               PumpAWhile();
               EXPECT_TRUE(Window->KZTimeCounter1->GetCounting());
               EXPECT_TRUE(TableExists(Paper));
               EXPECT_EQ(L"正在答卷", Window->GetCaption());
               // Back to the recording responder: 作废 drops the paper.
               SetShowDlgResponder([this](const String& caption, const String& text, int mode, int icon,
                                          const String& kind) {
                 Responders.Log.Dialogs.push_back(caption + L"|" + text + L"|" + IntToStr(mode) + L"|" +
                                                  IntToStr(icon) + L"|" + kind);
                 return 2;
               });
               ClickGraphic(Window->epEfTrBtn3);
               return true;
             },
         });
  ASSERT_EQ(1u, Responders.Log.Dialogs.size());
  EXPECT_EQ(L"提示|你还有19道题未做，确定要交卷吗？|2|0|Exam", Responders.Log.Dialogs[0]);
  EXPECT_FALSE(TableExists(Paper));
  EXPECT_EQ(0, Int(L"select count(*) from tab_cj"));
  EXPECT_NE(L"", Text(L"select D1 from tab_rz")) << "the time of a voided paper counts";
}

TEST_F(ExamWindow, AGroupQuestionAndANoteThatOutlivesThePaper) {
  String id;
  Sit(1, {
             [&] {
               EXPECT_EQ(0, Window->Re2->GetHeight());
               ClickButton(Window->PadButton(10)->GetHandle());  // question 11, of a group
               return true;
             },
             [&] {
               if (Window->Shown() != 11) return false;
               id = Current(L"A1");
               EXPECT_NE(String::npos, id.find(L'-'));
               EXPECT_GT(Window->Re2->GetHeight(), 0) << "the question's own text below the group's";
               EXPECT_TRUE(Window->Panel3->GetVisible()) << "the group passage button";
               EXPECT_EQ(0u, Window->Label7->GetCaption().find(L"长对话与短文"));
               Shot(L"exam_group_question");
               PostGraphicClick(Window->epEfTrBtn5);  // 笔记
               return true;
             },
             [&] { return FindOwnWindow(L"笔记") && FrmBj; },
             [&] {
               for (wchar_t ch : String(L"exam note")) ::SendMessageW(FrmBj->DBMemo1->GetHandle(), WM_CHAR, ch, 1);
               ClickGraphic(FrmBj->epEfTrBtn1);
               return true;
             },
             [&] {
               if (FrmBj) return false;
               EXPECT_EQ(L"有内容", Window->epEfTrBtn5->GetCaption());
               ClickButton(Window->PadButton(0)->GetHandle());
               return true;
             },
             [&] {
               if (Window->Shown() != 1) return false;
               EXPECT_EQ(0, Window->Re2->GetHeight());
               EXPECT_FALSE(Window->Panel3->GetVisible());
               ClickGraphic(Window->epEfTrBtn3);  // nothing answered: the paper goes
               return true;
             },
         });
  EXPECT_FALSE(TableExists(Paper));
  EXPECT_EQ(L"exam note", Text(L"select a14 from tab_answ where a1 = '" + id + L"'"));
}

// Every enabled command button reads blue under the mouse, 设置 among them, at both sizes.
TEST_F(ExamWindow, EveryCommandButtonTurnsBlueUnderTheMouse) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    Sit(1, {[&] {
      ExpectCommandButtonsGlowBlue(Window, Window->epEfTrBtn8,
                                   String(L"exam_settings_hovered_") + (ScreenMode == L"800" ? L"800x600" : L"1024x768"));
      ClickGraphic(Window->epEfTrBtn3);  // nothing answered: the paper goes
      return true;
    }});
  }
}

// A note cleared in the exam leaves the bank when the notes window closes and the paper's row
// with the next move; coming back, the button reads 笔记.
TEST_F(ExamWindow, AClearedNoteLeavesTheBankAndThePaper) {
  FData.Exec(L"update tab_answ set a14 = '旧笔记'");
  String id;
  auto note = [&](const String& table) { return Text(L"select a14 from " + table + L" where a1 = '" + id + L"'"); };
  Sit(1, {
             [&] {
               id = Current(L"A1");
               EXPECT_EQ(L"有内容", Window->epEfTrBtn5->GetCaption());
               PostGraphicClick(Window->epEfTrBtn5);  // 笔记
               return true;
             },
             [&] {
               if (!FindOwnWindow(L"笔记") || !FrmBj) return false;
               ClickControl(FrmBj->DBMemo1);
               ::SendMessageW(FrmBj->DBMemo1->GetHandle(), EM_SETSEL, 0, -1);
               EXPECT_TRUE(PostKey(VK_DELETE));
               return true;
             },
             [&] {
               if (!FrmBj->DBMemo1->GetText().empty()) return false;
               ClickGraphic(FrmBj->epEfTrBtn1);
               return true;
             },
             [&] {
               if (FrmBj) return false;
               EXPECT_EQ(L"笔记", Window->epEfTrBtn5->GetCaption());
               EXPECT_EQ(L"", note(L"tab_answ"));
               ClickButton(Window->PadButton(1)->GetHandle());
               return true;
             },
             [&] {
               if (Window->Shown() != 2) return false;
               EXPECT_EQ(L"", note(Paper));
               ClickButton(Window->PadButton(0)->GetHandle());
               return true;
             },
             [&] {
               if (Window->Shown() != 1) return false;
               EXPECT_EQ(L"笔记", Window->epEfTrBtn5->GetCaption());
               ClickGraphic(Window->epEfTrBtn3);  // nothing answered: the paper goes
               return true;
             },
         });
  EXPECT_EQ(L"", note(L"tab_answ"));
}

// Leaving a group for a question of no group (上一题, which takes no focus) with the focus in
// the group member's own stem view: the focus goes up to the stem view, and the collapsed
// view is no tab stop.
TEST_F(ExamWindow, LeavingAGroupFromTheOwnStemViewHandsTheFocusUp) {
  Sit(1, {
             [&] {
               ClickButton(Window->PadButton(10)->GetHandle());  // question 11, the first of a group
               return true;
             },
             [&] {
               if (Window->Shown() != 11) return false;
               EXPECT_NE(String::npos, Current(L"A1").find(L'-'));
               EXPECT_TRUE(Window->Re2->GetTabStop());
               ::SetForegroundWindow(Window->GetHandle());
               ::SetFocus(Window->Re2->GetHandle());
               EXPECT_EQ(Window->Re2, FocusedControl());
               ClickGraphic(Window->epEfTrBtn1);
               return true;
             },
             [&] {
               if (Window->Shown() != 10) return false;
               EXPECT_EQ(String::npos, Current(L"A1").find(L'-'));
               EXPECT_EQ(0, Window->Re2->GetHeight());
               EXPECT_EQ(Window->Re1, FocusedControl());
               EXPECT_FALSE(Window->Re2->GetTabStop());
               ClickGraphic(Window->epEfTrBtn3);  // nothing answered: the paper goes
               return true;
             },
         });
}

// 解析 is greyed while the paper is sat; under review it opens the read-only explanation of
// the paper's question on display, not of the first one.
TEST_F(ExamWindow, TheReviewExplainsTheQuestionOnDisplay) {
  String id;
  HWND explanation = nullptr;
  Sit(2, {
             [&] {
               EXPECT_FALSE(Window->epEfTrBtn4->GetEnabled());
               AnswerAAndGoOn();
               return true;
             },
             HandInOnTheSecond(),
             [&] { return Window->GetVisible() && Window->GetCaption() == L"查阅试卷" && Window->Shown() == 1; },
             [&] {
               // Onwards to the first question after the first that has an explanation.
               if (Window->Shown() == 1 || !Window->epEfTrBtn4->GetEnabled()) {
                 if (!Window->epEfTrBtn2->GetEnabled()) {
                   ADD_FAILURE() << "no question after the first has an explanation";
                   ClickGraphic(Window->epEfTrBtn7);
                   return true;
                 }
                 ClickGraphic(Window->epEfTrBtn2);  // 下一题
                 return false;
               }
               id = Current(L"A1");
               PostGraphicClick(Window->epEfTrBtn4);  // 解析, shown modally once this step is over
               return true;
             },
             [&] { return id.empty() || (explanation = FindOwnWindow(L"解析")) != nullptr; },
             [&] {
               if (id.empty()) return true;
               auto* form = dynamic_cast<TFrmJx*>(FindControl(explanation));
               if (!form) {
                 ADD_FAILURE() << "the explanation window is not a TFrmJx";
                 ::PostMessageW(explanation, WM_CLOSE, 0, 0);
                 return true;
               }
               String stored = ReadRtf(SelectBytes(FData.Cn(), L"select jx from tab_exer where A1 = " +
                                                                   SqlQuoted(id))).Text;
               stored = stored.substr(0, stored.find(L'\n'));
               EXPECT_FALSE(stored.empty());
               EXPECT_NE(String::npos, form->Re->GetText().find(stored)) << StringToUtf8(id);
               EXPECT_TRUE(form->Re->GetReadOnly());
               ::UpdateWindow(explanation);
               EXPECT_TRUE(SaveWindowShot(explanation, L"exam_review_explanation_1024x768"));
               ClickGraphic(form->epEfTrBtn1);  // 关闭
               return true;
             },
             [&] {
               if (FindOwnWindow(L"解析")) return false;
               EXPECT_EQ(id, Current(L"A1")) << "the paper stays on the question explained";
               // The group buttons page under review too; the last group has no unused buttons.
               for (int group = 2; group <= 5; ++group) ClickGraphic(Window->FlatSpeedButton2);
               EXPECT_EQ(L"第 5 组 / 共 5 组", Window->Lb_zb->GetCaption());
               EXPECT_EQ(81, Window->Shown());
               EXPECT_FALSE(Window->FlatSpeedButton2->GetEnabled());
               EXPECT_TRUE(Window->PadButton(14)->GetVisible());
               EXPECT_EQ(nullptr, Window->PadButton(15));
               ClickGraphic(Window->epEfTrBtn7);  // 关闭
               return true;
             },
         });
}

TEST_F(ExamWindow, AGradingErrorGivesThePaperBack) {
  Sit(5, {
             [&] {
               EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
               ::SendMessageW(Window->FlatComboBox1->GetHandle(), CB_SETCURSEL, 1, 0);
               FData.Exec(L"alter table tab_tx rename to tab_tx_gone");
               ClickGraphic(Window->epEfTrBtn3);  // 确定, but the points cannot be read
               EXPECT_EQ(L"错误|发生错误！|1|2|NO", Responders.Log.Dialogs.back());
               EXPECT_TRUE(Window->GetVisible());
               EXPECT_EQ(L"正在答卷", Window->GetCaption());
               EXPECT_TRUE(Window->KZTimeCounter1->GetCounting());
               EXPECT_EQ(L"1", Text(L"select E2_1 from " + Paper + L" where A1 = '" + Current(L"A1") + L"'"));
               FData.Exec(L"alter table tab_tx_gone rename to tab_tx");
               Responders.Log.DialogAnswer = 2;  // 作废
               ClickGraphic(Window->epEfTrBtn3);
               return true;
             },
         });
  EXPECT_FALSE(TableExists(Paper));
}

TEST_F(ExamWindow, FiftyIsKeptAndBelowGoesWhenItsReviewCloses) {
  for (int right : {50, 49}) {
    SCOPED_TRACE(right);
    Sit(2, {
               [&] {
                 AnswerRightInTheTable(right);
                 Responders.Log.DialogAnswer = 1;
                 ClickGraphic(Window->epEfTrBtn3);
                 return true;
               },
               [&] {
                 if (Window->GetCaption() != L"查阅试卷") return false;
                 EXPECT_EQ(L"得分：" + IntToStr(right) + L" 分", Window->Lb_zfs->GetCaption());
                 EXPECT_TRUE(TableExists(Paper)) << "kept until the review closes";
                 ClickGraphic(Window->epEfTrBtn7);
                 return true;
               },
           });
    EXPECT_EQ(right >= 50, TableExists(Paper));
    EXPECT_EQ(right >= 50 ? 1 : 0, Int(L"select count(*) from tab_cj where A1 = '" + Paper + L"'"));
  }
}

TEST_F(ExamWindow, TheSmallScreenLayout) {
  ScreenMode = L"800";
  Sit(2, {
             [&] {
               EXPECT_EQ(TRect(24, 76, 797, 554), Window->GetBoundsRect()) << "placed, not centred";
               EXPECT_EQ(600, Window->Panel1->GetWidth());
               EXPECT_EQ(605, Window->GroupBox1->GetLeft());
               Shot(L"exam_answering_800x600");
               HoverOver(Window->fcBG_one->GetButtonItems()->GetItem(1)->GetButton(), 12, 12);
               PumpAWhile();
               Shot(L"exam_pad_hover_800x600");
               ExpectStemShown();
               AnswerAAndGoOn();
               return true;
             },
             HandInOnTheSecond(),
             [&] {
               if (Window->GetCaption() != L"查阅试卷") return false;
               EXPECT_EQ(47, Window->Notebook_Time->GetTop());
               EXPECT_EQ(TRect(24, 76, 797, 554), Window->GetBoundsRect()) << "the review stays";
               Shot(L"exam_review_800x600");
               ExpectStemShown();
               // The void mark reads whole in its small place.
               for (int toggle = 0; toggle < 2; ++toggle) {
                 ClickGraphic(Window->epEfTrBtn12);
                 const String mark = Window->Label1->GetCaption();
                 TBitmap measure;
                 measure.GetCanvas()->GetFont()->Assign(Window->Label1->GetFont());
                 EXPECT_GE(Window->Label1->GetWidth(), measure.GetCanvas()->TextWidth(mark)) << StringToUtf8(mark);
                 EXPECT_LE(Window->Label1->GetBoundsRect().Right, Window->DBText1->GetLeft() + Window->DBText1->GetWidth());
                 if (toggle == 0) Shot(L"exam_review_void_800x600");
               }
               ClickGraphic(Window->epEfTrBtn6);
               Shot(L"exam_review_key_800x600");
               ClickGraphic(Window->epEfTrBtn7);  // below 50: the paper goes
               return true;
             },
         });
  EXPECT_FALSE(TableExists(Paper));
  EXPECT_EQ(0, Int(L"select count(*) from tab_cj"));
}

TEST_F(ExamWindow, TheSideCommandsAndThePageHint) {
  Window = TCustomForm::Create<TFrmExam>(Application);
  ASSERT_TRUE(PrepareMockExam(2, Window->Paper()));
  Paper = Window->Paper().PaperTable;
  Window->Show();
  // The mouse over the answer pages names what the page on screen asks for.
  const LPARAM inside = MAKELPARAM(5, 5);
  ::SendMessageW(Window->Notebook1->GetHandle(), WM_MOUSEMOVE, 0, inside);
  EXPECT_EQ(L"选择一个选项作为正确答案", Window->Notebook1->GetHint());
  EXPECT_TRUE(Window->Notebook1->GetShowHint());
  std::vector<TKeyStroke> sent;
  const TKeySender before = SetKeySender([&](const std::vector<TKeyStroke>& strokes) { sent = strokes; });
  ClickGraphic(Window->epEfTrBtn11);  // 桌面
  SetKeySender(before);
  EXPECT_EQ(ShowDesktopStrokes(), sent);
  ExpectMusicSettingsFrom(Window, [&] { ClickGraphic(Window->epEfTrBtn8); });  // 设置
  EXPECT_EQ(L"正在答卷", Window->GetCaption()) << "the exam goes on";
  ClickGraphic(Window->epEfTrBtn3);  // nothing answered: the paper goes
  EXPECT_FALSE(TableExists(Paper));
  delete Window;
  Window = nullptr;
}

TEST_F(ExamWindow, TheRecordsWindowReviewsAPaperTwice) {
  // Closed once by 关闭 and once by the system: a review from the records keeps its paper.
  TExamPaper sat;
  ASSERT_TRUE(PrepareMockExam(2, sat));
  FData.Exec(L"update tab_cj set A6 = 30, D2 = '0:30:00' where A1 = 'tab_exam1'");
  DM1->Cn1Query_exam->Close();
  std::unique_ptr<TFrmCheck> records(TCustomForm::Create<TFrmCheck>(Application));
  int reviews = 0;
  std::vector<std::function<bool()>> steps{[&] { return records->GetVisible(); }};
  for (int round = 0; round < 2; ++round) {
    steps.push_back([&] {
      PostGraphicClick(records->SpeedButton2);  // 查阅
      return true;
    });
    steps.push_back([&] { return FrmExam && FrmExam->GetVisible() && FrmExam->Shown() == 1; });
    steps.push_back([&] {
      EXPECT_FALSE(records->GetVisible());
      EXPECT_EQ(L"查阅试卷", FrmExam->GetCaption());
      EXPECT_EQ(L"得分：30 分", FrmExam->Lb_zfs->GetCaption());
      EXPECT_EQ(L"0:30:00", FrmExam->epLb_time2->GetCaption());
      ++reviews;
      if (reviews == 1)
        ClickGraphic(FrmExam->epEfTrBtn7);  // 关闭
      else
        ::PostMessageW(FrmExam->GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the system's close does the same
      return true;
    });
    steps.push_back([&] { return !FrmExam && records->GetVisible(); });
  }
  steps.push_back([&] {
    records->Close();
    return true;
  });
  TModalDriver driver(std::move(steps));
  records->ShowModal();
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(2, reviews);
  EXPECT_TRUE(TableExists(L"tab_exam1")) << "a review from the records never drops the paper";
  EXPECT_EQ(1, Int(L"select count(*) from tab_cj"));
  EXPECT_TRUE(Responders.Log.Dialogs.empty());
}

// The pad holds the questions of the group on display, named by their numbers in the paper,
// in rows of four from the top left: the last group too, whose cells are those of a full
// group. Screenshots of the last group at both screen sizes.
TEST_F(ExamWindow, ThePadReadsInRowsOfFourWithThePapersNumbers) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    SCOPED_TRACE(StringToUtf8(mode));
    ScreenMode = mode;
    TRect firstCell;
    Sit(2, {
               [&] {
                 ExpectPadInReadingOrder([&](int i) { return Window->PadButton(i); }, 20, 4, 1);
                 firstCell = Window->PadButton(0)->GetBoundsRect();
                 for (int group = 2; group <= 5; ++group) ClickGraphic(Window->FlatSpeedButton2);  // 下一组->
                 return true;
               },
               [&] {
                 if (Window->Shown() != 81) return false;
                 EXPECT_EQ(L"第 5 组 / 共 5 组", Window->Lb_zb->GetCaption());
                 EXPECT_EQ(L"81", Window->Label5->GetCaption());
                 ExpectPadInReadingOrder([&](int i) { return Window->PadButton(i); }, 15, 4, 81);
                 EXPECT_EQ(nullptr, Window->PadButton(15)) << "no button past the paper's end";
                 EXPECT_EQ(firstCell, Window->PadButton(0)->GetBoundsRect()) << "the cells of a full group";
                 EXPECT_EQ(firstCell.Height(), Window->PadButton(14)->GetHeight());
                 EXPECT_TRUE(InSight(Window->PadButton(14)));
                 Shot(L"exam_pad_last_group_" + String(mode == String(L"800") ? L"800x600" : L"1024x768"));
                 ClickButton(Window->PadButton(14)->GetHandle());
                 return true;
               },
               [&] {
                 if (Window->Shown() != 95) return false;
                 EXPECT_EQ(L"95", Window->Label5->GetCaption()) << "the heading names the button's question";
                 EXPECT_TRUE(Window->PadButton(14)->GetDown());
                 ClickGraphic(Window->FlatSpeedButton1);  // <-上一组: a full group again
                 ExpectPadInReadingOrder([&](int i) { return Window->PadButton(i); }, 20, 4, 61);
                 EXPECT_EQ(firstCell, Window->PadButton(0)->GetBoundsRect());
                 EXPECT_EQ(61, Window->Shown());
                 ClickGraphic(Window->epEfTrBtn3);  // nothing answered: the paper goes
                 return true;
               },
           });
  }
  // A paper of five: one row of four and the fifth below the first.
  ScreenMode = L"1024";
  Sit(5, {[&] {
        ExpectPadInReadingOrder([&](int i) { return Window->PadButton(i); }, 5, 4, 1);
        EXPECT_EQ(nullptr, Window->PadButton(5));
        Shot(L"exam_pad_five_1024x768");
        ClickButton(Window->PadButton(4)->GetHandle());
        return true;
      },
      [&] {
        if (Window->Shown() != 5) return false;
        EXPECT_EQ(L"5", Window->Label5->GetCaption());
        Responders.Log.DialogAnswer = 2;  // 作废
        ClickGraphic(Window->epEfTrBtn3);
        return true;
      }});
  // Fewer than twenty questions: asked even with nothing answered.
  ASSERT_EQ(1u, Responders.Log.Dialogs.size());
  EXPECT_EQ(L"提示|你还有5道题未做，确定要交卷吗？|2|0|Exam", Responders.Log.Dialogs.back());
  EXPECT_FALSE(TableExists(Paper)) << "voided";
}

// Any close of the window runs the hand-in command: while the paper is sat the hand-in
// dialog asks (取消 goes on, even from a pause; 确定 grades and shows the review); under
// review the window closes as 关闭 does (a paper below 50 goes); nothing answered, the
// paper goes unasked.
TEST_F(ExamWindow, TheSystemsCloseHandsInWhileSatAndClosesTheReview) {
  Sit(2, {
             [&] {
               AnswerAAndGoOn();
               return true;
             },
             [&] {
               if (Window->Shown() != 2) return false;
               Responders.Log.DialogAnswer = 3;  // 取消
               ::PostMessageW(Window->GetHandle(), WM_CLOSE, 0, 0);
               return true;
             },
             [&] {
               if (Responders.Log.Dialogs.empty()) return false;
               EXPECT_EQ(L"提示|你还有94道题未做，确定要交卷吗？|2|0|Exam", Responders.Log.Dialogs.back());
               PumpAWhile();
               EXPECT_TRUE(Window->GetVisible());
               EXPECT_EQ(L"正在答卷", Window->GetCaption());
               EXPECT_TRUE(Window->KZTimeCounter1->GetCounting());
               EXPECT_EQ(L"", Text(L"select D2 from tab_cj where A1 = '" + Paper + L"'"));
               ClickGraphic(Window->epEfTrBtn13);  // 暂停考试
               EXPECT_TRUE(Window->Paused());
               ::PostMessageW(Window->GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
               return true;
             },
             [&] {
               if (Responders.Log.Dialogs.size() < 2) return false;
               PumpAWhile();
               EXPECT_FALSE(Window->Paused()) << "the close ends the pause to ask";
               EXPECT_TRUE(Window->KZTimeCounter1->GetCounting());
               EXPECT_EQ(L"正在答卷", Window->GetCaption());
               Responders.Log.DialogAnswer = 1;  // 确定
               ::PostMessageW(Window->GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
               return true;
             },
             [&] {
               if (!Window->GetVisible() || Window->GetCaption() != L"查阅试卷") return false;
               EXPECT_EQ(3u, Responders.Log.Dialogs.size());
               EXPECT_NE(L"", Text(L"select D2 from tab_cj where A1 = '" + Paper + L"'")) << "graded";
               EXPECT_TRUE(TableExists(Paper)) << "kept while its review is shown";
               ::PostMessageW(Window->GetHandle(), WM_CLOSE, 0, 0);
               return true;
             },
         });
  EXPECT_EQ(3u, Responders.Log.Dialogs.size()) << "the review closes unasked";
  EXPECT_FALSE(TableExists(Paper)) << "below 50 it goes, as with 关闭";
  EXPECT_EQ(0, Int(L"select count(*) from tab_cj"));

  Sit(2, {[&] {
    ::PostMessageW(Window->GetHandle(), WM_CLOSE, 0, 0);
    return true;
  }});
  EXPECT_EQ(3u, Responders.Log.Dialogs.size()) << "nothing answered: not asked";
  EXPECT_FALSE(TableExists(Paper));
  EXPECT_EQ(0, Int(L"select count(*) from tab_cj"));
}

// Alt+F4 typed with the focus in a text view runs the hand-in as the system's close does: in
// the lower stem view, empty and collapsed for a question of no group (no tab stop then, so the
// window opens with the focus in the stem view above it), and in the stem view, whose own keys
// (an arrow, Ctrl+C) work as well.
TEST_F(ExamWindow, AltF4InTheTextViewsHandsIn) {
  auto focus = [this](TWinControl* view) {
    ::SetForegroundWindow(Window->GetHandle());
    ::SetFocus(view->GetHandle());
    return FocusedControl() == view;
  };
  Sit(2, {[&] {
    EXPECT_EQ(0, Window->Re2->GetHeight());
    EXPECT_EQ(Window->Re1, FocusedControl()) << "the window opens with the focus in the stem shown";
    EXPECT_TRUE(focus(Window->Re2));
    EXPECT_TRUE(TypeChord({VK_MENU, VK_F4}));
    return true;
  }});
  EXPECT_TRUE(Responders.Log.Dialogs.empty()) << "nothing answered: not asked";
  EXPECT_FALSE(TableExists(Paper));

  Sit(2, {
             [&] {
               AnswerAAndGoOn();
               return true;
             },
             [&] {
               if (Window->Shown() != 2) return false;
               EXPECT_TRUE(focus(Window->Re1));
               Window->Re1->SetSelStart(0);
               EXPECT_TRUE(TypeChord({VK_RIGHT}));
               EXPECT_TRUE(TypeChord({VK_SHIFT, VK_RIGHT}));
               return true;
             },
             [&] {
               if (Window->Re1->GetSelLength() != 1) return false;
               EXPECT_EQ(1, Window->Re1->GetSelStart());
               ::OpenClipboard(nullptr);
               ::EmptyClipboard();
               ::CloseClipboard();
               EXPECT_TRUE(TypeChord({VK_CONTROL, 'C'}));
               return true;
             },
             [&] {
               if (!::IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
               Responders.Log.DialogAnswer = 3;  // 取消
               EXPECT_TRUE(TypeChord({VK_MENU, VK_F4}));
               return true;
             },
             [&] {
               if (Responders.Log.Dialogs.empty()) return false;
               EXPECT_EQ(L"提示|你还有94道题未做，确定要交卷吗？|2|0|Exam", Responders.Log.Dialogs.back());
               PumpAWhile();
               EXPECT_TRUE(Window->GetVisible());
               Responders.Log.DialogAnswer = 2;  // 作废
               EXPECT_TRUE(focus(Window->Re1));
               EXPECT_TRUE(TypeChord({VK_MENU, VK_F4}));
               return true;
             },
         });
  EXPECT_EQ(2u, Responders.Log.Dialogs.size());
  EXPECT_FALSE(TableExists(Paper)) << "voided";
}

// Alt+F4 with the focus in the self-assessment box, a grade picked by key and the next
// question shown, runs the hand-in too.
TEST_F(ExamWindow, AltF4InTheSelfAssessmentBoxHandsIn) {
  TFlatComboBox* grades = nullptr;
  Sit(5, {
             [&] {
               grades = Window->FlatComboBox1;
               EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
               ::SetForegroundWindow(Window->GetHandle());
               grades->SetFocus();
               EXPECT_TRUE(TypeChord({VK_DOWN}));
               return true;
             },
             [&] {
               if (grades->GetItemIndex() < 0) return false;
               ClickGraphic(Window->epEfTrBtn2);  // 下一题
               EXPECT_EQ(2, Window->Shown());
               EXPECT_EQ(grades, FocusedControl());
               Responders.Log.DialogAnswer = 2;  // 作废
               EXPECT_TRUE(TypeChord({VK_MENU, VK_F4}));
               return true;
             },
         });
  EXPECT_EQ(1u, Responders.Log.Dialogs.size()) << "asked";
  EXPECT_FALSE(TableExists(Paper)) << "voided";
}

// Each self-assessed question after one graded 会 shows its box empty, and the first Down picks
// 不会, the box closed or opened by a click, Alt+Down or F4; the grades chosen are saved.
TEST_F(ExamWindow, EveryGradeBoxStartsAtTheFirstGrade) {
  Sit(5, {
             [&] {
               EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
               ExpectEveryGradeBoxStartsAtTheFirst(Window, Window->FlatComboBox1, [&](int question) {
                 ClickGraphic(Window->epEfTrBtn2);  // 下一题
                 EXPECT_EQ(question + 1, Window->Shown());
                 EXPECT_EQ(apSelf, Window->Notebook1->GetPageIndex());
               }, L"exam_grade_list_1024x768");
               EXPECT_EQ(4, Int(L"select count(*) from " + Paper + L" where E2_1 = '1'")) << "saved on leaving";
               Responders.Log.DialogAnswer = 2;  // 作废
               ClickGraphic(Window->epEfTrBtn3);
               return true;
             },
         });
  EXPECT_FALSE(TableExists(Paper)) << "voided";
}

// 考点, hidden as laid out, opens the articles linked to the question on display under review.
TEST_F(ExamWindow, TheLawPointButtonOpensTheLinkedArticles) {
  HWND articles = nullptr;
  Sit(2, {
             [&] {
               AnswerAAndGoOn();
               return true;
             },
             HandInOnTheSecond(),
             [&] {
               if (!Window->GetVisible() || Window->GetCaption() != L"查阅试卷") return false;
               const std::vector<String> order = SelectColumn(FData.Cn(), L"select A1 from " + Paper + L" order by A13, A1");
               const std::vector<String> linked =
                   SelectColumn(FData.Cn(), L"select A1 from " + Paper + L" where trim(k3) <> ''");
               const auto found = std::find_if(order.begin(), order.end(), [&](const String& id) {
                 return std::find(linked.begin(), linked.end(), id) != linked.end();
               });
               if (found == order.end()) {
                 ADD_FAILURE() << "no question of the paper is linked to an article";
                 ClickGraphic(Window->epEfTrBtn7);
                 return true;
               }
               Window->ShowRecord(static_cast<int>(found - order.begin()) + 1);
               EXPECT_EQ(*found, Current(L"A1"));
               EXPECT_TRUE(Window->epEfTrBtn9->GetEnabled());
               EXPECT_FALSE(Window->epEfTrBtn9->GetVisible()) << "hidden as laid out";
               Window->epEfTrBtn9->SetVisible(true);  // so that the mouse can reach it
               PostGraphicClick(Window->epEfTrBtn9);
               return true;
             },
             [&] { return (articles = FindOwnWindow(L"相关考点")) != nullptr; },
             [&] {
               ::PostMessageW(articles, WM_CLOSE, 0, 0);
               return true;
             },
             [&] {
               if (FindOwnWindow(L"相关考点")) return false;
               ClickGraphic(Window->epEfTrBtn7);  // 关闭
               return true;
             },
         });
}

// ---- A paper left by the program's end ----------------------------------------------------------

const wchar_t kExamBankVariable[] = L"EXAMPREP_EXAM_BANK";
const wchar_t kExamReadyVariable[] = L"EXAMPREP_EXAM_READY";
const wchar_t kExamReadyEvent[] = L"ExamprepExamKillReady";
constexpr DWORD kChildTimeoutMs = 60000;

String Environment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? String(buffer, length) : String();
}

// A child the parent failed to kill ends by itself.
void CALLBACK EndForgottenChild(HWND, UINT, UINT_PTR, DWORD) { ::ExitProcess(3); }

// The child of the test below: sits a mock exam of subject 2 on the bank it is given, answers
// its first three questions right by keys, says so, and sits on until it is killed.
TEST(ExamKillChild, DISABLED_SitsAnExamUntilKilled) {
  const String bank = Environment(kExamBankVariable);
  ASSERT_FALSE(bank.empty());
  ::SetTimer(nullptr, 0, 3 * kChildTimeoutMs, &EndForgottenChild);
  TProgramData data(bank);
  TRecordingResponders responders;
  ScreenMode = L"1024";
  TFrmExam* window = TCustomForm::Create<TFrmExam>(Application);
  ASSERT_TRUE(PrepareMockExam(2, window->Paper()));
  std::vector<std::function<bool()>> steps{[&] { return window->GetVisible() && window->Shown() == 1; }};
  for (int n = 1; n <= 3; ++n)
    steps.push_back([window, n] {
      if (window->Shown() != n) return false;
      ::SetFocus(window->GetHandle());
      PostKey(DM1->Cn1Query_exam->FieldByName(L"A2")->GetAsString()[0]);
      PostKey(VK_RETURN);
      return true;
    });
  steps.push_back([window] {
    if (window->Shown() != 4) return false;
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, Environment(kExamReadyVariable).c_str());
    if (ready) {
      ::SetEvent(ready);
      ::CloseHandle(ready);
    }
    return true;
  });
  TModalDriver driver(std::move(steps));
  window->ShowModal();
}

// A paper whose program was ended mid-exam is listed as "未交卷", counts nowhere, and 查阅
// sits it on from its stored answers; handed in, it is graded and counted as any paper.
TEST_F(ExamWindow, AnExamLeftByTheProgramsEndIsSatOnFromTheRecords) {
  FData.Exec(L"insert into tab_cj (A1, A3, A3_1, A6, D1, D2) values ('tab_exam7', '2024年05月06日资产评估师·经济法[1]', 1, "
             L"88, #2024-05-06#, '1:10:00')");
  const String left = L"tab_exam8";  // the next paper

  const int answersBefore = Int(L"select sum(E3) from tab_answ");
  // The program sits the exam in a child process of its own, killed once three answers are saved.
  FData.Cn().SetConnected(false);
  HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, kExamReadyEvent);
  ASSERT_NE(nullptr, ready);
  ::SetEnvironmentVariableW(kExamBankVariable, FData.BankFile().c_str());
  ::SetEnvironmentVariableW(kExamReadyVariable, kExamReadyEvent);
  String commandLine =
      L"\"" + ProgramFileName() + L"\" --gtest_also_run_disabled_tests --gtest_filter=ExamKillChild.*";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &child));
  const HANDLE waits[2] = {ready, child.hProcess};
  const DWORD started = ::WaitForMultipleObjects(2, waits, FALSE, kChildTimeoutMs);
  ::TerminateProcess(child.hProcess, 9);
  ::WaitForSingleObject(child.hProcess, kChildTimeoutMs);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  ::CloseHandle(ready);
  ASSERT_EQ(WAIT_OBJECT_0, started) << "the child did not answer";
  FData.Cn().SetConnected(true);
  ASSERT_TRUE(TableExists(left));
  EXPECT_EQ(L"", Text(L"select D2 from tab_cj where A1 = '" + left + L"'")) << "never handed in";
  EXPECT_EQ(3, Int(L"select count(*) from " + left + L" where E2_1 <> ''"));
  EXPECT_EQ(answersBefore + 3, Int(L"select sum(E3) from tab_answ")) << "counted in the bank as they were given";
  // Answers the student gave before the end, saved as the window saves them: the 60 single
  // choices right (the three of the child among them), 35 questions left.
  Paper = left;
  const std::vector<String> singles =
      SelectColumn(FData.Cn(), L"select A1 from " + left + L" where A13 = 11 order by A1");
  ASSERT_EQ(60u, singles.size());
  for (size_t i = 0; i < 60; ++i)
    FData.Exec(L"update " + left + L" set E2_1 = A2 where A1 = '" + singles[i] + L"'");

  std::unique_ptr<TFrmCheck> records(TCustomForm::Create<TFrmCheck>(Application));
  TADOTable* table = DM1->Cn1Table_cj;
  std::vector<std::function<bool()>> steps{
      [&] { return records->GetVisible(); },
      [&] {
        EXPECT_EQ(1, records->epNumPanel1->GetValue()) << "only the paper handed in counts";
        EXPECT_EQ(1, records->epNumPanel2->GetValue());
        EXPECT_EQ(88, records->epNumPanel3->GetValue());
        EXPECT_TRUE(table->Locate(L"A1", Variant(left), {}));
        EXPECT_EQ(L"未交卷", table->FieldByName(L"A6")->GetDisplayText());
        EXPECT_TRUE(SaveWindowShot(records->GetHandle(), L"exam_records_left_paper"));
        PostGraphicClick(records->SpeedButton2);  // 查阅
        return true;
      },
      [&] { return FrmExam && FrmExam->GetVisible() && FrmExam->Shown() == 1; },
      [&] {
        Window = FrmExam;
        EXPECT_EQ(L"正在答卷", Window->GetCaption()) << "sat on, not reviewed";
        EXPECT_TRUE(Window->Paper().Resumed);
        EXPECT_EQ(95, Window->Session().Total()) << "the same paper, nothing drawn";
        EXPECT_TRUE(Window->KZTimeCounter1->GetCounting());
        EXPECT_TRUE(Window->epEfTrBtn3->GetEnabled());
        EXPECT_TRUE(Option(Window->fcBG_one, Current(L"A2")[0] - L'A')->GetDown()) << "its stored answer";
        Shot(L"exam_sat_on_1024x768");
        Responders.Log.DialogAnswer = 1;  // 确定
        ClickGraphic(Window->epEfTrBtn3);  // 交卷
        return true;
      },
      [&] {
        if (!Window->GetVisible() || Window->GetCaption() != L"查阅试卷") return false;
        EXPECT_EQ(L"提示|你还有35道题未做，确定要交卷吗？|2|0|Exam", Responders.Log.Dialogs.back());
        EXPECT_EQ(L"得分：60 分", Window->Lb_zfs->GetCaption());
        ClickGraphic(Window->epEfTrBtn7);  // 关闭
        return true;
      },
      [&] {
        if (FrmExam || !records->GetVisible()) return false;
        Window = nullptr;
        EXPECT_EQ(2, records->epNumPanel1->GetValue());
        EXPECT_EQ(2, records->epNumPanel2->GetValue());
        EXPECT_EQ(74, records->epNumPanel3->GetValue()) << "(88 + 60) / 2";
        EXPECT_TRUE(table->Locate(L"A1", Variant(left), {}));
        EXPECT_EQ(L"60", table->FieldByName(L"A6")->GetDisplayText());
        records->Close();
        return true;
      },
  };
  TModalDriver driver(std::move(steps));
  records->ShowModal();
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(TableExists(left));
  EXPECT_EQ(60, Int(L"select A6 from tab_cj where A1 = '" + left + L"'"));
  EXPECT_NE(L"", Text(L"select D2 from tab_cj where A1 = '" + left + L"'"));
  EXPECT_EQ(answersBefore + 3, Int(L"select sum(E3) from tab_answ")) << "an unchanged answer is not counted again";
}

}  // namespace


namespace {

// Watches the drawing messages (paint, erase, frame) of a window and its children: those sent
// while a move runs (drawn in the middle of a change) and those that come after it. A move
// runs while Moving is set, or from the retrieval of a key-down of MoveKey to the next
// message the loop takes.
class TDrawWatch {
 public:
  explicit TDrawWatch(HWND window) {
    Watched = window;
    During = After = 0;
    Moving = false;
    MoveKey = 0;
    FSent = ::SetWindowsHookExW(WH_CALLWNDPROC, Sent, nullptr, ::GetCurrentThreadId());
    FPosted = ::SetWindowsHookExW(WH_GETMESSAGE, Posted, nullptr, ::GetCurrentThreadId());
  }
  ~TDrawWatch() {
    ::UnhookWindowsHookEx(FSent);
    ::UnhookWindowsHookEx(FPosted);
    Watched = nullptr;
  }
  TDrawWatch(const TDrawWatch&) = delete;
  TDrawWatch& operator=(const TDrawWatch&) = delete;
  static inline int During = 0, After = 0;
  static inline bool Moving = false;
  static inline WORD MoveKey = 0;

 private:
  static bool Drawing(HWND window, UINT message) {
    return (message == WM_PAINT || message == WM_ERASEBKGND || message == WM_NCPAINT) && window &&
           (window == Watched || ::IsChild(Watched, window));
  }
  static LRESULT CALLBACK Sent(int code, WPARAM w, LPARAM l) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(l);
    if (code >= 0 && Drawing(call->hwnd, call->message)) ++(Moving ? During : After);
    return ::CallNextHookEx(nullptr, code, w, l);
  }
  static LRESULT CALLBACK Posted(int code, WPARAM w, LPARAM l) {
    const auto* message = reinterpret_cast<const MSG*>(l);
    if (code >= 0 && w == PM_REMOVE) {
      if (MoveKey) Moving = message->message == WM_KEYDOWN && message->wParam == MoveKey;
      if (Drawing(message->hwnd, message->message)) ++(Moving ? During : After);
    }
    return ::CallNextHookEx(nullptr, code, w, l);
  }
  static inline HWND Watched = nullptr;
  HHOOK FSent = nullptr, FPosted = nullptr;
};

}  // namespace

// Moving between the fourth group of twenty and the last of fifteen, by the group buttons and
// by Enter and back-space, while the paper is sat and under review: the pad is not drawn
// while it changes, only once it holds the new group, pressed on the question shown.
TEST_F(ExamWindow, MovingBetweenAFullAndAShortGroupDrawsThePadOnce) {
  // Clicks a group button, or types key, and expects the pad drawn only after the move,
  // holding count buttons from first with the one of shown pressed.
  auto moveDrawsOnce = [&](TControl* button, WORD key, int shown, int first, int count, const char* what) {
    {
      TDrawWatch watch(Window->fcBG_th->GetHandle());
      if (button) {
        TDrawWatch::Moving = true;
        ClickGraphic(button);
        TDrawWatch::Moving = false;
      } else {
        TDrawWatch::MoveKey = key;
        Key(key);
      }
      PumpApplicationUntil([&] { return Window->Shown() == shown && TDrawWatch::After > 0; }, 5000, 5);
      EXPECT_EQ(shown, Window->Shown()) << what;
      EXPECT_EQ(0, TDrawWatch::During) << what << ": drawn while it changed";
      EXPECT_GT(TDrawWatch::After, 0) << what << ": drawn after it changed";
    }
    ExpectPadInReadingOrder([&](int i) { return Window->PadButton(i); }, count, 4, first);
    EXPECT_TRUE(Window->PadButton(shown - first)->GetDown()) << what;
  };
  auto groupButtons = [&](const char* look) {
    moveDrawsOnce(Window->FlatSpeedButton2, 0, 81, 81, 15, look);
    moveDrawsOnce(Window->FlatSpeedButton1, 0, 61, 61, 20, look);
  };
  Sit(2, {[&] {
            AnswerAAndGoOn();  // something to hand in
            return true;
          },
          [&] {
            if (Window->Shown() != 2) return false;
            for (int group = 2; group <= 4; ++group) ClickGraphic(Window->FlatSpeedButton2);
            return true;
          },
          [&] {
            if (Window->Shown() != 61) return false;
            PumpAWhile();
            groupButtons("sitting");
            moveDrawsOnce(Window->FlatSpeedButton2, 0, 81, 81, 15, "sitting");
            moveDrawsOnce(nullptr, VK_BACK, 80, 61, 20, "sitting, back-space");
            moveDrawsOnce(nullptr, VK_RETURN, 81, 81, 15, "sitting, Enter");
            Shot(L"exam_pad_moved_sitting_1024x768");
            Responders.Log.DialogAnswer = 1;  // 确定: graded and reviewed
            ClickGraphic(Window->epEfTrBtn3);
            return true;
          },
          [&] {
            if (Window->GetCaption() != L"查阅试卷" || Window->Shown() != 1) return false;
            for (int group = 2; group <= 4; ++group) ClickGraphic(Window->FlatSpeedButton2);
            PumpAWhile();
            groupButtons("review");
            Shot(L"exam_pad_moved_review_1024x768");
            ClickGraphic(Window->epEfTrBtn7);
            return true;
          }});
}
