// The question-edit window TfrmTedit, "试题修改": changes the question the practice window
// shows, through the data module's two shared queries positioned on it: the practice set
// Cn1Query_tm (its tab_answ row) and cn1query_nr (its tab_exer row, source Cn1DS_nr).
//
// The practice window stops its time-limit timer and, when it was running, hands it over as
// PracticeTimer before it shows the window modally; that timer runs again however the window
// closes. The stem and the
// explanation are written as the views' rich text through their data links, and only when
// they were changed; everything is checked before anything is posted; closing without a save
// cancels the edits of both queries.
#pragma once
#include <vector>
#include "UInPut.h"
#include "classlib/forms/Timer.h"
#include "classlib/stdctrls/Images.h"
#include "controls/extended/DBRichEd.h"
#include "controls/extended/RXLabel.h"

class TfrmTedit : public TForm {
  CLASSLIB_CLASS(TfrmTedit, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TfrmTedit(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TImage* Image1 = nullptr;                   // background of the 800 × 600 layout
  TImage* Image2 = nullptr;                   // background of the large layout
  TRxLabel* Label1 = nullptr;                 // 试题内容：
  TRxLabel* Label2 = nullptr;                 // 试题解析：
  TRxLabel* Label3 = nullptr;                 // 备选个数：
  TRxLabel* Label4 = nullptr;                 // 答　　案：
  TRxLabel* Label5 = nullptr;                 // 题　　型：
  TRxLabel* RxLabel4 = nullptr;               // 对应考点：
  TRxDBRichEdit* RxDBRichEdit1 = nullptr;     // a15, the stem
  TRxDBRichEdit* RxDBRichEdit2 = nullptr;     // jx, the explanation
  TSpinEdit* SE_Num = nullptr;                // a2_1
  TEdit* Edit1 = nullptr;                     // a2, the key
  TComboBox* ComboBox1 = nullptr;             // a13 through the type name
  TListBox* ListBox1 = nullptr;               // law points as shown
  TListBox* ListBox2 = nullptr;               // their article ids
  TSpeedButton* BtnAddFg = nullptr;           // 添加知识点
  TSpeedButton* SpeedButton2 = nullptr;       // 使用说明
  TSpeedButton* SpeedButton3 = nullptr;       // 取消
  TSpeedButton* SpeedButton4 = nullptr;       // 保存

  // The opener's stopped time-limit timer, enabled again when the window closes; nullptr when
  // it was not running.
  TTimer* PracticeTimer = nullptr;
  std::vector<TFrmInPut::TTypeEntry> TypeList;  // entry i is item i of ComboBox1
  QuestionForm::TTypeRuleUndo TypeRuleUndo;

  // ---- Event handlers ------------------------------------------------------------------------
  void FormShow(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void SaveClick(TObject* sender);
  void CancelClick(TObject* sender);
  void HelpClick(TObject* sender);
  void BtnAddFgClick(TObject* sender);
  void ComboBox1Change(TObject* sender);
  void ComboBox1DropDown(TObject* sender);
  void ComboBox1CloseUp(TObject* sender);
  void ListBox1KeyDown(TObject* sender, WORD& key, TShiftState shift);

  // Writes the edits; true when they were posted (the window is then closed).
  bool Save();
  // The edits were posted.
  bool Saved() const { return FSaved; }

 private:
  void RegisterHandlers();
  void LoadQuestion();
  void ApplyTypeRule();
  void Refuse(const String& text, TWinControl* focus);

  bool FSaved = false;
  int FStoredOptions = 0;  // a2_1 as read, which may lie above what the box can show
  int FShownOptions = 0;   // what the box showed after reading it
};
