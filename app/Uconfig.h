// The settings window TFrmConfig (global FrmConfig): the background-music page (switch and
// tune list) and the answer-time page (one number edit per question type, built from
// tab_tx each time the window is shown), chosen by ConfigMode. Closing it in ConfigMode 1
// saves the answer times to tab_tx and to TypeTimes and TypeIds.
#pragma once
#include <vector>
#include "classlib/controls/Scrolling.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPButtons.h"
#include "controls/effects/EPCtrls.h"
#include "controls/effects/FlatComboBox.h"
#include "controls/extended/CurrEdit.h"
#include "controls/extended/RXSwitch.h"

class TFrmConfig : public TForm {
  CLASSLIB_CLASS(TFrmConfig, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmConfig(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TLabel* Label1 = nullptr;                 // 背景音乐
  TLabel* Label4 = nullptr;                 // 答题时间设置
  TLabel* Label5 = nullptr;                 // 声音列表
  TScrollBox* ScrollBox1 = nullptr;         // the answer-time rows
  TepFocusButton* epFocusButton3 = nullptr; // 关闭
  TRxSwitch* RxSwitch1 = nullptr;           // music on or off
  TFlatComboBox* FlatComboBox1 = nullptr;   // the tunes
  TepBevel* epBevel1 = nullptr;
  TepBevel* epBevel3 = nullptr;

  // ---- Event handlers ------------------------------------------------------------------------
  // Switch on; in ConfigMode 1 one row per question type, in mode 0 the music page only.
  void FormShow(TObject* sender);
  // Saves the answer times in ConfigMode 1; closing is always allowed.
  void FormCloseQuery(TObject* sender, bool& canClose);
  void epFocusButton3Click(TObject* sender);
  void RxSwitch1On(TObject* sender);
  void RxSwitch1Off(TObject* sender);
  void FlatComboBox1Change(TObject* sender);

  // The answer-time rows built by the last showing.
  int GetRowCount() const { return static_cast<int>(FRows.size()); }
  // The number edit of row i (0-based), or nullptr.
  TCurrencyEdit* RowEdit(int row) const;

  // The answer-time page alone, as the menu's "szlx" shows it: the music controls hidden,
  // the rows and the close button moved up and the frames put around them.
  void ShowAnswerTimesOnly();

 private:
  // One answer-time row's controls, owned by the window.
  struct TAnswerTimeRow {
    TCurrencyEdit* Edit = nullptr;  // the minutes; Tag: the type's code
    TLabel* Name = nullptr;         // the type's name
    TLabel* Unit = nullptr;         // 分钟
  };

  void RegisterHandlers();
  void BuildRows();
  // Moves the number edits and units right as far as the longest name needs.
  void AlignRowsClearOfNames();
  void ClearRows();
  // Frames the answer-time page alone (the window at its answer-time height).
  void FrameAnswerTimes();
  void SaveAnswerTimes();
  // Switches the music and plays or stops it through the main window.
  void PlayMusic(bool on);

  std::vector<TAnswerTimeRow> FRows;  // freed before a rebuild
};

extern TFrmConfig* FrmConfig;

// Opens the settings window on its music page (ConfigMode 0), owned by owner and modal;
// it is freed when it closes.
void ShowMusicSettings(TComponent* owner);
