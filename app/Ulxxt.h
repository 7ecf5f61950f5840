// The practice window TFrmLxxt (global FrmLxxt): the questions of a practice set chosen in the
// chooser, with the type bar, the pad of twenty question numbers in groups, previous and next,
// the answer pages, judging and saving through the answering core, the key panel, the time
// limit, the clock, the listening passages, voiding, the explanation and notes windows and
// the desktop button. InstallPracticeWindow makes the chooser open it.
#pragma once
#include <array>
#include <memory>
#include "app/AnswerPadView.h"
#include "app/PracticeControls.h"
#include "app/PracticeSession.h"
#include "classlib/db/DBCtrls.h"
#include "controls/extended/DBRichEd.h"
#include "classlib/forms/Forms.h"
#include "classlib/forms/Timer.h"
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
#include "controls/effects/IndiCtrls.h"
#include "controls/effects/KZTCount.h"
#include "controls/extended/GIFCtrl.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"

// Makes the chooser's practice buttons open TFrmLxxt.
void InstallPracticeWindow();

class TFrmLxxt : public TForm {
  CLASSLIB_CLASS(TFrmLxxt, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout and loads the pad pictures.
  explicit TFrmLxxt(TComponent* owner);
  ~TFrmLxxt() override;

  // ---- Components (owned by the window) ----------------------------------------------------
  TfcButtonGroup* fcBG_tx = nullptr;        // the type bar, built by LoadQuestions
  TfcButtonGroup* fcBG_th = nullptr;        // the pad of twenty
  TLabel* Lb_zs = nullptr;                  // groups
  TLabel* Lb_ts = nullptr;                  // questions
  TLabel* Lb_zb = nullptr;                  // the group shown
  TFlatSpeedButton* FlatSpeedButton1 = nullptr;  // <-上一组
  TFlatSpeedButton* FlatSpeedButton2 = nullptr;  // 下一组->
  TLabel* Label12 = nullptr;                // position in the group
  TLabel* Label15 = nullptr;                // how often shown
  TLabel* Label21 = nullptr;                // status
  TLabel* Label24 = nullptr;                // edit note
  TDBText* DBText1 = nullptr;               // hidden: a1
  TepLabel* epLabel1 = nullptr;             // the clock
  TepLabel* epLabel2 = nullptr;             // the chapter
  TPanel* Panel1 = nullptr;                 // the question area
  TRxDBRichEdit* Re2 = nullptr;                   // the group stem (height 0 here)
  TFlatSplitter* FlatSplitter1 = nullptr;
  TRxDBRichEdit* Re1 = nullptr;                 // the question text
  TPanel* Panel2 = nullptr;                 // the answer panel
  TLabel* Lb_answtip = nullptr;
  TMemo* Memo1 = nullptr;                   // your answer
  TMemo* Memo2 = nullptr;                   // the key
  TNotebook* Notebook1 = nullptr;           // the six answer pages
  TfcButtonGroup* fcBG_one = nullptr;
  TfcButtonGroup* fcBG_many = nullptr;
  TFlatEdit* FlatEdit1 = nullptr;
  TfcButtonGroup* fcBG_yn = nullptr;
  TFlatComboBox* FlatComboBox1 = nullptr;
  TLabel* Label20 = nullptr;                // 简答
  TLabel* Label5 = nullptr;                 // 综合
  TLabel* Label8 = nullptr;                 // 主观
  TfcButtonGroup* fcBG_pw = nullptr;
  TepIndiGauge* epIndiGauge1 = nullptr;     // the time limit
  TTimer* Timer1 = nullptr;
  TKZTimeCounter* KZTimeCounter1 = nullptr; // the practice clock
  TMediaPlayer* MediaPlayer1 = nullptr;
  TPanel* Panel3 = nullptr;                 // the group passage button
  TRxGIFAnimator* RxGIFAnimator1 = nullptr;
  TepEfTrBtn* epEfTrBtn1 = nullptr;         // 上一题
  TepEfTrBtn* epEfTrBtn2 = nullptr;         // 下一题
  TepEfTrBtn* epEfTrBtn3 = nullptr;         // 完成
  TepEfTrBtn* epEfTrBtn4 = nullptr;         // 解析
  TepEfTrBtn* epEfTrBtn5 = nullptr;         // 笔记
  TepEfTrBtn* epEfTrBtn6 = nullptr;         // 答案 / 返回
  TepEfTrBtn* epEfTrBtn7 = nullptr;         // 桌面
  TepEfTrBtn* epEfTrBtn8 = nullptr;         // 设置
  TepEfTrBtn* epEfTrBtn9 = nullptr;         // 考点, hidden here
  TepEfTrBtn* epEfTrBtn10 = nullptr;        // 题目作废 / 取消作废
  TepEfTrBtn* epEfTrBtn11 = nullptr;        // 修改本题
  TepEfTrBtn* epEfTrBtn12 = nullptr;        // 停止 / 播放
  TepEfTrBtn* epEfTrBtn13 = nullptr;        // 短文朗读
  TepEfTrBtn* epEfTrBtn99 = nullptr;        // 关闭

  // Loads the set of PracticeSQL and builds the type bar; false when the set is empty.
  bool LoadQuestions();
  TPracticeSession& Session() { return *FSession; }
  // The answer pad as the page on screen shows it.
  TAnswerPad CurrentPad() const;
  // Shows the question recNo of the filtered set (saving the one on display first).
  void ShowRecord(int recNo);
  // The pad button of index 0..19 (numbered index + 1), nullptr for none.
  TfcCustomBitBtn* PadButton(int index) const;
  // True while the answer panel slides.
  bool Sliding() const { return FPanel && FPanel->Sliding(); }

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
  void epEfTrBtn10Click(TObject* sender);
  void epEfTrBtn11Click(TObject* sender);
  void epEfTrBtn12Click(TObject* sender);
  void epEfTrBtn13Click(TObject* sender);
  void epEfTrBtn99Click(TObject* sender);
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
  // Saves the answer on the pad for the question on display; mode as SaveAnswer's.
  void SaveShown(int mode);
  void PreparePad();
  void SetAnswerButtons();
  void PlayPassage(const String& file, bool showPassageButton);

  std::unique_ptr<TPracticeSession> FSession;
  std::unique_ptr<TPracticeNavigator> FNavigator;  // the pad of twenty, previous and next
  std::unique_ptr<TAnswerPadView> FPads;   // the answer pages
  std::unique_ptr<TAnswerPanel> FPanel;    // the key panel
  TTypeBar FTypeBar{nullptr};              // over fcBG_tx, set once the layout is read
  TTimeLimit FTimeLimit{nullptr, nullptr}; // over epIndiGauge1 and Timer1, likewise
  bool FClosed = false;   // the practice has been finished
  std::array<bool, 3> FLayoutHeadings{};  // Label20, Label5, Label8 shown by the stored layout
};

extern TFrmLxxt* FrmLxxt;
