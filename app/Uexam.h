// The mock-exam window TFrmExam (global FrmExam): one question of the opened paper at a time
// with its section title, stem and answer pad, the number pad paging through the paper in
// groups of twenty, previous and next, the answers saved in the paper and the bank as the
// student leaves a question, the elapsed-time clock with pause and resume, and the hand-in
// with its dialog. After grading (or when opened from the records window) the same window
// reviews the paper: right and wrong marks, the key panel, the explanation, notes, voiding a
// question and the export of the paper as a document.
//
// Paper state and the database work are TExamPaper's (ExamPaper.h), the answering rules the
// core's (PracticeCore, PracticeSession), the pad controls the shared glue's (AnswerPadView).
#pragma once
#include <memory>
#include "app/AnswerPadView.h"
#include "app/ExamPaper.h"
#include "app/PracticeControls.h"
#include "app/PracticeSession.h"
#include "classlib/db/DBCtrls.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/MediaPlayer.h"
#include "classlib/stdctrls/Notebooks.h"
#include "classlib/stdctrls/StdLabels.h"
#include "classlib/stdctrls/StdPanels.h"
#include "controls/effects/EPLabels.h"
#include "controls/effects/EffBtns.h"
#include "controls/effects/FlatButtons.h"
#include "controls/effects/FlatComboBox.h"
#include "controls/effects/FlatEdit.h"
#include "controls/effects/FlatSplitter.h"
#include "controls/effects/KZTCount.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"

class TGroupBox;
// Not included here: its header clashes with the menus' one in units that include both.
class TRxDBRichEdit;

class TFrmExam : public TForm {
  CLASSLIB_CLASS(TFrmExam, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout and loads the pad pictures (a missing one ends the program).
  explicit TFrmExam(TComponent* owner);
  ~TFrmExam() override;

  // ---- Components (owned by the window) ----------------------------------------------------
  TPanel* Panel11 = nullptr;                // the window's face
  TepLabel* epLabel2 = nullptr;             // the paper's title
  TLabel* Label5 = nullptr;                 // the question's number in the paper
  TLabel* Label7 = nullptr;                 // the section title
  TLabel* Label1 = nullptr;                 // red message line
  TDBText* DBText1 = nullptr;               // hidden: a1
  TPanel* Panel1 = nullptr;                 // the question area
  TRxDBRichEdit* Re1 = nullptr;             // the stem, or a group's stem
  TFlatSplitter* FlatSplitter1 = nullptr;
  TRxDBRichEdit* Re2 = nullptr;             // a group member's own stem (height 0 otherwise)
  TPanel* Panel3 = nullptr;                 // the group passage button
  TMediaPlayer* MediaPlayer1 = nullptr;
  TPanel* Panel2 = nullptr;                 // the key panel (review)
  TLabel* Lb_answtip = nullptr;
  TMemo* Memo1 = nullptr;                   // your answer
  TMemo* Memo2 = nullptr;                   // the key
  TNotebook* Notebook1 = nullptr;           // the six answer pages
  TfcButtonGroup* fcBG_one = nullptr;
  TfcButtonGroup* fcBG_many = nullptr;
  TFlatEdit* FlatEdit1 = nullptr;
  TfcButtonGroup* fcBG_yn = nullptr;
  TFlatComboBox* FlatComboBox1 = nullptr;
  TfcButtonGroup* fcBG_pw = nullptr;
  TGroupBox* GroupBox1 = nullptr;           // 提示板
  TNotebook* Notebook_Time = nullptr;       // 答卷时 / 查卷时
  TepLabel* epLb_time1 = nullptr;           // the clock
  TepLabel* epLb_time2 = nullptr;           // the time used (review)
  TLabel* Lb_zfs = nullptr;                 // the score (review)
  TfcButtonGroup* fcBG_th = nullptr;        // the pad of twenty
  TFlatSpeedButton* FlatSpeedButton1 = nullptr;  // <-上一组
  TFlatSpeedButton* FlatSpeedButton2 = nullptr;  // 下一组->
  TLabel* Lb_zb = nullptr;                  // 第 n 组 / 共 m 组
  TKZTimeCounter* KZTimeCounter1 = nullptr; // the exam clock
  TepEfTrBtn* epEfTrBtn1 = nullptr;         // 上一题
  TepEfTrBtn* epEfTrBtn2 = nullptr;         // 下一题
  TepEfTrBtn* epEfTrBtn3 = nullptr;         // 交卷
  TepEfTrBtn* epEfTrBtn4 = nullptr;         // 解析
  TepEfTrBtn* epEfTrBtn5 = nullptr;         // 笔记 / 有内容
  TepEfTrBtn* epEfTrBtn6 = nullptr;         // 答案 / 返回
  TepEfTrBtn* epEfTrBtn7 = nullptr;         // 关闭
  TepEfTrBtn* epEfTrBtn8 = nullptr;         // 设置
  TepEfTrBtn* epEfTrBtn9 = nullptr;         // 考点, hidden
  TepEfTrBtn* epEfTrBtn10 = nullptr;        // 生成文档
  TepEfTrBtn* epEfTrBtn11 = nullptr;        // 桌面
  TepEfTrBtn* epEfTrBtn12 = nullptr;        // 本题作废 / 取消作废
  TepEfTrBtn* epEfTrBtn13 = nullptr;        // 暂停考试 / 继续考试
  TepEfTrBtn* epEfTrBtn14 = nullptr;        // 短文朗读

  // ---- Operations ----------------------------------------------------------------------------
  // The paper the window sits or reviews; set up and opened by the caller before showing.
  TExamPaper& Paper() { return FPaper; }
  TPracticeSession& Session() { return *FSession; }
  // The answer pad as the page on screen shows it.
  TAnswerPad CurrentPad() const;
  // Shows question recNo of the paper (saving the one on display first while sitting).
  void ShowRecord(int recNo);
  // The pad button of index 0..19 (question GroupStart + index).
  TfcImageBtn* PadButton(int index) const;
  // The record number on display, 0 none.
  int Shown() const;
  bool Paused() const { return FPaused; }

  // ---- Event handlers ------------------------------------------------------------------------
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
  // Enter and the letters reach the answer pads before a focused button takes them.
  void CMDialogKey(TMessage& message) override;
  void Notebook1MouseMove(TObject* sender, TShiftState shift, int x, int y);
  void FlatSpeedButton1Click(TObject* sender);
  void FlatSpeedButton2Click(TObject* sender);
  void epEfTrBtn1Click(TObject* sender);   // 上一题
  void epEfTrBtn2Click(TObject* sender);   // 下一题
  void epEfTrBtn3Click(TObject* sender);   // 交卷 (and 关闭)
  void epEfTrBtn4Click(TObject* sender);   // 解析
  void epEfTrBtn5Click(TObject* sender);   // 笔记
  void epEfTrBtn6Click(TObject* sender);   // 答案
  void epEfTrBtn8Click(TObject* sender);   // 设置
  void epEfTrBtn9Click(TObject* sender);   // 考点 (hidden as laid out)
  void epEfTrBtn10Click(TObject* sender);  // 生成文档
  void epEfTrBtn11Click(TObject* sender);  // 桌面
  void epEfTrBtn12Click(TObject* sender);  // 本题作废
  void epEfTrBtn13Click(TObject* sender);  // 暂停考试
  void epEfTrBtn14Click(TObject* sender);  // 短文朗读
  void KZTimeCounter1Timer(TObject* sender);

 private:
  void RegisterHandlers();
  void PlaceControls();
  bool Sitting() const { return FPaper.Mode == L"new"; }
  void ShowAnswering();
  void ShowReview();
  // Shows the page of question recNo, the paper being on it.
  void ShowQuestion(int recNo);
  // Saves the answer on the pad for the question on display (sitting only); padUpdate marks
  // its pad button.
  void SaveShown(bool padUpdate);
  void ShowAnswerPad();
  void ShowQuestionText(const String& id);
  void HandIn();
  // Grades the handed-in paper and turns the window into its review.
  void GradePaper(const String& elapsed);
  void SetPaused(bool paused);
  // Closes the window as the hand-in command decided (FormCloseQuery lets it go).
  void Leave();

  TExamPaper FPaper;
  std::unique_ptr<TPracticeSession> FSession;  // paging over Cn1Query_exam
  // The pad of twenty, the group buttons, previous and next; no moves while paused.
  std::unique_ptr<TPracticeNavigator> FNavigator;
  std::unique_ptr<TAnswerPadView> FPads;
  std::unique_ptr<TAnswerPanel> FPanel;
  bool FFirstShow = true;     // the small screen's re-layout runs once
  bool FPaused = false;
  bool FClosed = false;       // the window's data sets have been let go
  bool FLeaving = false;      // the hand-in command closes the window
  int FGroupStemHeight = 0;   // Re2's height for a group member, from the layout
  int FSplitterHeight = 0;    // the splitter's height then
};

extern TFrmExam* FrmExam;

// Starts a mock exam of subject 1 to 5 from the menu: prepares the paper (record row, paper
// table, draw) and, when it opened, sits it in the exam window shown modally.
void StartMockExam(int subject);
