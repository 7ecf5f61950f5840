// The law-point picker TFrmSelectFG (global FrmSelectFG): on page 0 the student picks a law
// and ticks articles of it to link a question to; page 1 shows the usage instructions of
// question entry. The caller sets Notebook1's page and LawPointCount (law points the
// question already has), shows it modally and, after mrOk, reads for every ticked index of
// CheckListBox2 the article id there, the article number (CheckListBox1, same index) and the
// law name (ComboBox1's text).
#pragma once
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/CheckListBox.h"
#include "classlib/stdctrls/ComboBoxes.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/Notebooks.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPLabels.h"
#include "controls/effects/EffBtns.h"
#include "UInPut.h"

class TADOQuery;

// The most law points one question may have.
inline constexpr int kMaxLawPoints = 7;

class TFrmSelectFG : public TForm {
  CLASSLIB_CLASS(TFrmSelectFG, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmSelectFG(TComponent* owner);

  // ---- Components (owned by the window) ------------------------------------------------
  TNotebook* Notebook1 = nullptr;          // page 0 "Default" picks, page 1 "new" instructs
  TepLabel* epLabel1 = nullptr;            // "考 点 选 择"
  TLabel* Label1 = nullptr;                // "考点："
  TLabel* Label2 = nullptr;                // "条文："
  TComboBox* ComboBox1 = nullptr;          // law names
  TComboBox* ComboBox2 = nullptr;          // hidden: tab_fgmc.id of each law
  TCheckListBox* CheckListBox1 = nullptr;  // article numbers
  TCheckListBox* CheckListBox2 = nullptr;  // hidden: tab_rule.ftid of each article, same marks
  TepEfButton* epEfButton1 = nullptr;      // 确定
  TepEfButton* epEfButton2 = nullptr;      // 关闭
  TepLabel* epLabel2 = nullptr;            // "使 用 说 明"
  TMemo* Memo1 = nullptr;                  // the instructions
  TepEfButton* epEfButton3 = nullptr;      // 关闭
  TADOQuery* ADOQuery1 = nullptr;          // the laws; on DM1's connection
  TADOQuery* ADOQuery2 = nullptr;          // the articles of one law

  // ---- Operations ----------------------------------------------------------------------
  // Lists the law groups and laws and the articles of the first.
  void FillLaws();
  // Lists the articles of the law ComboBox2 selects; the marks start empty.
  void LoadArticles();
  // The number of articles ticked in the visible list.
  int CheckedCount();
  // The ticked articles in list order: id, and law name + "[" + article number + "]".
  std::vector<TLawPoint> PickedPoints();

  // ---- Event handlers ------------------------------------------------------------------
  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void ComboBox1Change(TObject* sender);
  void CheckListBox1ClickCheck(TObject* sender);
  // Refuses no choice and more than kMaxLawPoints in all; closes with mrOk otherwise.
  void epEfButton1Click(TObject* sender);
  void epEfButton2Click(TObject* sender);
  void epEfButton3Click(TObject* sender);

 private:
  void RegisterHandlers();
  // Copies every mark of the visible list to the hidden one.
  void CopyMarks();
};

extern TFrmSelectFG* FrmSelectFG;

// Installs the picker window as the entry and edit windows' law-point picker: each call
// opens it modally on the page asked for (FrmSelectFG while it is open, with the limit
// counted from LawPointCount), returns the confirmed points of page 0 and frees it.
void InstallLawPointPicker();
