// The law-article practice window TFrmRuleLxxt (global FrmRuleLxxt): the questions linked to
// one law article, opened by the law browser. It answers as the practice window does, on the
// same answering core and window glue, with policies of its own: three self-assessment grades
// (不会, 了解, 熟悉; the last two count as right), a question group's shared stem shown above the
// question's own stem in two read-only views, the linked-articles button, and no listening
// passage, question edit or edit count. Its set carries the question texts itself, so it
// opens no text query. InstallLawPracticeWindow makes the browser open it.
#pragma once
#include <memory>
#include "app/AnswerPadView.h"
#include "app/PracticeControls.h"
#include "app/PracticeSession.h"
#include "classlib/db/DBCtrls.h"
#include "classlib/forms/Forms.h"
#include "classlib/forms/Timer.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/Notebooks.h"
#include "classlib/stdctrls/StdLabels.h"
#include "classlib/stdctrls/StdPanels.h"
#include "controls/effects/EPCtrls.h"
#include "controls/effects/EPLabels.h"
#include "controls/effects/EffBtns.h"
#include "controls/effects/FlatButtons.h"
#include "controls/effects/FlatComboBox.h"
#include "controls/effects/FlatEdit.h"
#include "controls/effects/FlatSplitter.h"
#include "controls/effects/IndiCtrls.h"
#include "controls/effects/KZTCount.h"
#include "controls/extended/DBRichEd.h"
#include "controls/extended/GIFCtrl.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"

// Makes the law browser's practice button open TFrmRuleLxxt.
void InstallLawPracticeWindow();

class TFrmRuleLxxt : public TForm {
  CLASSLIB_CLASS(TFrmRuleLxxt, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout and loads the pad pictures (a missing one ends the program).
  explicit TFrmRuleLxxt(TComponent* owner);
  ~TFrmRuleLxxt() override;

  // ---- Components (owned by the window) ----------------------------------------------------
  TepLabel* epLabel2 = nullptr;             // heading: the article number
  TLabel* Label12 = nullptr;                // number of the question within its group
  TLabel* Label15 = nullptr;                // how often the question has appeared
  TLabel* Label21 = nullptr;                // voided or entered by the user
  TDBText* DBText1 = nullptr;               // hidden: a1
  TPanel* Panel1 = nullptr;                 // the question area
  TRxDBRichEdit* Re1 = nullptr;             // upper view: the stem, or the group's stem
  TFlatSplitter* FlatSplitter1 = nullptr;   // between the views; height 0 without a group
  TRxDBRichEdit* Re2 = nullptr;             // lower view: a group question's own stem
  TPanel* Panel2 = nullptr;                 // the answer panel, sliding over Panel1
  TLabel* Lb_answtip = nullptr;             // verdict
  TMemo* Memo1 = nullptr;                   // your answer
  TMemo* Memo2 = nullptr;                   // the key
  TepBevel* epBevel2 = nullptr;             // the side column
  TepIndiGauge* epIndiGauge1 = nullptr;     // the time limit
  TepLabel* epLabel1 = nullptr;             // the clock
  TRxGIFAnimator* RxGIFAnimator1 = nullptr;
  TfcButtonGroup* fcBG_tx = nullptr;        // the type bar, built by LoadQuestions
  TfcButtonGroup* fcBG_th = nullptr;        // the pad of twenty
  TLabel* Label3 = nullptr;                 // groups
  TLabel* Label5 = nullptr;                 // questions
  TLabel* Label8 = nullptr;                 // the group shown
  TFlatSpeedButton* FlatSpeedButton1 = nullptr;  // <-上一组
  TFlatSpeedButton* FlatSpeedButton2 = nullptr;  // 下一组->
  TNotebook* Notebook1 = nullptr;           // the six answer pages
  TfcButtonGroup* fcBG_one = nullptr;
  TfcButtonGroup* fcBG_many = nullptr;
  TFlatEdit* FlatEdit1 = nullptr;
  TfcButtonGroup* fcBG_yn = nullptr;
  TLabel* Label20 = nullptr;                // 主观, the self-assessment page's one heading
  TFlatComboBox* FlatComboBox1 = nullptr;   // 不会, 了解, 熟悉
  TfcButtonGroup* fcBG_pw = nullptr;
  TepEfTrBtn* epEfTrBtn1 = nullptr;         // 上一题
  TepEfTrBtn* epEfTrBtn2 = nullptr;         // 下一题
  TepEfTrBtn* epEfTrBtn3 = nullptr;         // 完成
  TepEfTrBtn* epEfTrBtn4 = nullptr;         // 解析
  TepEfTrBtn* epEfTrBtn5 = nullptr;         // 笔记 / 有内容
  TepEfTrBtn* epEfTrBtn6 = nullptr;         // 答案 / 返回
  TepEfTrBtn* epEfTrBtn7 = nullptr;         // 关闭
  TepEfTrBtn* epEfTrBtn8 = nullptr;         // 设置
  TepEfTrBtn* epEfTrBtn9 = nullptr;         // 考点
  TepEfTrBtn* epEfTrBtn10 = nullptr;        // 题目作废 / 取消作废
  TepEfTrBtn* epEfTrBtnwin = nullptr;       // 桌面
  TTimer* Timer1 = nullptr;                 // the time limit's ticks
  TKZTimeCounter* KZTimeCounter1 = nullptr; // the practice clock

  // ---- Operations ----------------------------------------------------------------------------
  // Clears the running answers, opens the set of PracticeSQL and builds the type bar; false
  // when the set is empty.
  bool LoadQuestions();
  // Binds the stem views for the question id: one view for a question without a group; for
  // a group member the group's stem (tab_title) above and its own stem below.
  void ShowQuestionText(const String& id);
  // Shows the question recNo of the filtered set, saving the one on display first.
  void ShowRecord(int recNo);
  TPracticeSession& Session() { return *FSession; }
  TPracticeNavigator& Navigator() { return *FNavigator; }
  TAnswerPadView& AnswerPad() { return *FPad; }
  TAnswerPanel& AnswerPanel() { return *FPanel; }

  // ---- Event handlers ------------------------------------------------------------------------
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
  // The answer pages' hint says what the page on screen asks for.
  void Notebook1MouseMove(TObject* sender, TShiftState shift, int x, int y);
  void FlatSpeedButton1Click(TObject* sender);
  void FlatSpeedButton2Click(TObject* sender);
  void epEfTrBtn1Click(TObject* sender);
  void epEfTrBtn2Click(TObject* sender);
  void epEfTrBtn3Click(TObject* sender);
  void epEfTrBtn4Click(TObject* sender);
  void epEfTrBtn5Click(TObject* sender);
  void epEfTrBtn6Click(TObject* sender);
  void epEfTrBtn7Click(TObject* sender);
  void epEfTrBtn8Click(TObject* sender);
  void epEfTrBtn9Click(TObject* sender);
  void epEfTrBtn10Click(TObject* sender);
  void epEfTrBtnwinClick(TObject* sender);
  void Timer1Timer(TObject* sender);
  void KZTimeCounter1Timer(TObject* sender);

 protected:
  // Enter runs 下一题 even while a button has the focus.
  void CMDialogKey(TMessage& message) override;

 private:
  void RegisterHandlers();
  void PlaceControls();
  void TypeChanged(TfcButtonGroupItem* selected, TfcButtonGroupItem* previous);
  // Shows the question recNo the set is on (the navigator has moved to it).
  void ShowQuestion(int recNo);
  // Saves the answer on the pad for the question on display: mode 0 before another question
  // is shown, 1 for 完成, 2 when the type changes or the window closes.
  void SaveAnswer(int mode);
  // The buttons 解析, 答案 and 考点 for the question on display.
  void SetAnswerButtons();
  // True when the question on display is answered on the self-assessment page.
  bool OnSelfPage() const;

  std::unique_ptr<TPracticeSession> FSession;
  std::unique_ptr<TPracticeNavigator> FNavigator;  // the pad of twenty, previous and next
  std::unique_ptr<TAnswerPadView> FPad;    // over the notebook's pages
  std::unique_ptr<TAnswerPanel> FPanel;    // over Panel2
  TTypeBar FTypeBar{nullptr};              // over fcBG_tx, set once the layout is read
  TTimeLimit FTimeLimit{nullptr, nullptr}; // over epIndiGauge1 and Timer1, likewise
  bool FClosed = false;   // the practice has been finished
};

extern TFrmRuleLxxt* FrmRuleLxxt;
