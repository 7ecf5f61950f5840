// The study plan window TFrmplan (global Frmplan, caption "学习计划"): the days left until the
// exam date, and the daily plan, a number of questions or of minutes per day, kept in the
// one row of tab_plan that the menu's quit check compares the day's work with.
//
// On show the stored kind is set, which enables and focuses its count box (the group's click).
// "设定" enters edit mode (the date, the plan kind and the count box of the kind become
// editable); "保存" reads and checks the date and the counts, leaves edit mode, runs the
// countdown and writes the row with the kind shown. An unreadable date or count is refused
// with edit mode left open; a count box refuses a paste that is not a count.
//
// The window lies over its picture, whose plates stand under the two captioned buttons.
#pragma once
#include "DTCalc.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/MaskEdit.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPLabels.h"
#include "controls/extended/DateEdit.h"
#include "controls/skin/controls/SkinRadioGroup.h"

class TFrmplan : public TForm {
  CLASSLIB_CLASS(TFrmplan, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmplan(TComponent* owner);

  // ---- Components (owned by the window) ------------------------------------------------
  TImage* Image1 = nullptr;                  // the background picture
  TepLabel* epLabel1 = nullptr;              // "距离考试还有" or the end texts
  TLabel* Label1 = nullptr;                  // the number of days
  TepLabel* epLabel2 = nullptr;              // "天"
  TLabel* Label2 = nullptr;                  // "考试日："
  TDateEdit* DateEdit1 = nullptr;            // the exam date
  TSeSkinRadioGroup* SeSkinRadioGroup1 = nullptr;  // plan kind: questions or minutes per day
  TMaskEdit* MaskEdit1 = nullptr;            // questions per day
  TMaskEdit* MaskEdit2 = nullptr;            // minutes per day
  TSpeedButton* SpeedButton1 = nullptr;      // "设定" / "保存"
  TSpeedButton* SpeedButton2 = nullptr;      // "关闭"
  TDTCalc* DTCalc1 = nullptr;                // the day difference

  // ---- Event handlers ------------------------------------------------------------------
  // Reads the plan row into the controls and runs the countdown.
  void FormShow(TObject* sender);
  // The plan kind chosen, or set in code (the stored plan being read on show): its count box
  // becomes the enabled one and takes the focus.
  void SeSkinRadioGroup1Click(TObject* sender);
  // Enters edit mode, or saves.
  void SpeedButton1Click(TObject* sender);
  void SpeedButton2Click(TObject* sender);

  // ---- Operations ----------------------------------------------------------------------
  // Shows the days from today (the data module's day) to the date in DateEdit1 (nothing without a readable date).
  void Countdown();
  // True between "设定" and a successful "保存".
  bool InEditMode() const { return FEditing; }

 private:
  void RegisterHandlers();
  // Makes box refuse a paste that does not read as a count (ReadCount).
  static void TakeOnlyWholeCounts(TMaskEdit* box);
  void EnterEditMode();
  // Checks the edits; false (and the user told) when the date cannot be read.
  bool Save();
  // The count box of the kind shown: MaskEdit2 for the minutes, else MaskEdit1.
  TMaskEdit* CountBox() const;
  // Enables the count box of the current kind and disables the other.
  void EnableCountBox();

  bool FEditing = false;  // edit mode
};

extern TFrmplan* Frmplan;

// The colour of the day count: red (255) for 1 to 7 days, the green 2476900 beyond.
TColor CountdownColor(int days);
// The text of the day count: the days, or "999" for more than 999.
String CountdownText(int days);
// The number in a count box's text: its digits with the mask's blanks ('_' and spaces)
// before or after them left out; 0 when blank. False when something else is in it, a blank
// stands between digits, or it is above 99999.
bool ReadCount(const String& text, int& count);
