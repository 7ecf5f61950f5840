// The question-entry unit: what the entry window TFrmInPut saves, as routines of their own
// (the window that calls them comes with the rich-text views it shows).
//
// A user-entered question's id is "U" + its option count (one digit) + its type code + its
// six-character chapter code + a four-digit serial counted over all user-entered questions.
#pragma once
#include <string>
#include <vector>
#include "classlib/ado/ADODB.h"
#include "classlib/system/SysString.h"

// One question as the entry window saves it.
struct TNewQuestion {
  String ChapterCode;                // C1 of a leaf chapter, six characters
  int OptionCount = 5;               // 1 to 6
  String TypeCode;                   // tab_tx.A1
  String Key;                        // trimmed before it is written
  std::string StemRtf;               // the stem's own rich text, written as it is
  std::string ExplanationRtf;        // empty: no explanation, jx is not written
  std::vector<String> LawPointIds;   // tab_rule.ftid of the linked points, at most 10
};

// The largest serial a user question may have.
inline constexpr int kMaxUserSerial = 9999;

// One more than the largest serial of the user questions: the numeric last four characters
// of ids beginning with "U"; ids of another form are skipped. 1 when there are none.
int NextUserSerial(TADOConnection& cn);
// "U" + options + type code + chapter + the serial in four digits.
String UserQuestionId(int optionCount, const String& typeCode, const String& chapterCode, int serial);
// The self-assessed types whose key is always "1": 简答, 综合 and 计算, with or without 题.
bool IsSelfAssessedTypeName(const String& typeName);
// Writes the question under id in one transaction on cn: its rows of tab_answ (f1 = 2) and
// tab_exer, the question counts of its chapter and of the chapter's 3- and 2-character
// ancestors, and of its law articles and their two law levels. On any error everything is
// rolled back and the error raised again.
void InsertUserQuestion(TADOConnection& cn, const TNewQuestion& question, const String& id);

// ---- The entry window ------------------------------------------------------------------------
#include <functional>
#include "MusicSettings.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/ComboBoxes.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/ListBoxes.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/SpinEdit.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPButtons.h"
#include "controls/extended/RxRichEd.h"

// One law point chosen in the picker: the article id and the text shown for it.
struct TLawPoint {
  String ArticleId;
  String Caption;  // law name + "[" + article number + "]"
};
// Shows the law-point picker (page 0: the picker, 1: its usage notes) modally; on page 0
// returns the points confirmed, in order, and nothing when it was cancelled.
using TLawPointPicker = std::function<std::vector<TLawPoint>(int page)>;
// Installs the picker the entry and edit windows use (empty: the buttons that open it do
// nothing); returns the one before.
TLawPointPicker SetLawPointPicker(TLawPointPicker picker);

// A question type: tab_tx.A1 and B1.
struct TQuestionType {
  String Code;
  String Name;
};

// What the entry and edit windows share: the type list, the type rule, and the two parallel
// law-point lists (shown text, article ids).
namespace QuestionForm {
// Fills types and the combo box from tab_tx in A1 order.
void LoadTypes(TComboBox& combo, std::vector<TQuestionType>& types);
// Enables both inputs; for a self-assessed type sets one option and the key "1", both locked.
void ApplyTypeRule(TSpinEdit& options, TEdit& key, const String& typeName);
// What the type rule touches, kept when the type list drops. The rule runs on every choice the
// keys make in the open list; a list that closes on the type it opened with (Escape, or Enter
// back on it) puts the option count and the key back as they were.
class TTypeRuleUndo {
 public:
  void Keep(TComboBox& types, TSpinEdit& options, TEdit& key);
  void RestoreIfUnchanged(TComboBox& types, TSpinEdit& options, TEdit& key) const;

 private:
  int FTypeIndex = -2;  // nothing kept
  int FOptions = 0;
  bool FOptionsEnabled = true;
  String FKey;
  bool FKeyEnabled = true;
};
// At limit points shows limitMessage; otherwise sets LawPointCount and appends the points
// the picker confirms, up to the limit.
void AddLawPoints(TListBox& shown, TListBox& ids, int limit, const String& limitMessage);
// Delete removes the selected point from both lists.
void DeleteLawPoint(TListBox& shown, TListBox& ids, WORD key);
// The usage notes of the picker.
void ShowLawPointHelp();
}  // namespace QuestionForm

// The question-entry window "试题录入": adds questions of the user's own to one leaf chapter.
class TFrmInPut : public TForm {
  CLASSLIB_CLASS(TFrmInPut, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout and fills the type list from tab_tx.
  explicit TFrmInPut(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TImage* Image1 = nullptr;              // background of the 800 × 600 layout
  TImage* Image2 = nullptr;              // background of the large layout
  TLabel* Lb_cap = nullptr;              // 试题录入 [chapter]
  TLabel* Label1 = nullptr;              // 试题内容：
  TLabel* Label2 = nullptr;              // 试题解析：
  TLabel* Label3 = nullptr;              // 待选答案个数：
  TLabel* Label4 = nullptr;              // 试题答案：
  TLabel* Label5 = nullptr;              // 题    型：
  TLabel* Label6 = nullptr;              // 对应考点：
  TRxRichEdit* Re1 = nullptr;            // the stem
  TRxRichEdit* Re2 = nullptr;            // the explanation, optional
  TSpinEdit* SE_Num = nullptr;           // number of candidate answers, 1 to 6 (the pads' A..F)
  TEdit* Edit1 = nullptr;                // the key, upper case
  TComboBox* ComboBox1 = nullptr;        // type names
  TListBox* ListBox1 = nullptr;          // law points as shown
  TListBox* ListBox2 = nullptr;          // their article ids, never shown
  TSpeedButton* BtnAddFg = nullptr;      // 添加考点
  TSpeedButton* SpeedButton1 = nullptr;  // settings
  TSpeedButton* SpeedButton2 = nullptr;  // help
  TSpeedButton* SpeedButton3 = nullptr;  // clear
  TSpeedButton* SpeedButton4 = nullptr;  // save
  TSpeedButton* SpeedButton6 = nullptr;  // close (disabled and hidden)
  TSpeedButton* SpeedButton7 = nullptr;  // close
  TepFocusButton* epBtn_Save = nullptr;  // hidden, same actions as the speed buttons
  TepFocusButton* epBtn_Clear = nullptr;
  TepFocusButton* epBtn_help = nullptr;
  TepFocusButton* epBtn_Config = nullptr;
  TepFocusButton* epBtn_Close = nullptr;

  // ---- State ---------------------------------------------------------------------------------
  using TTypeEntry = TQuestionType;
  String ChapterCode;                  // C1 of the chapter, six characters, set by the opener
  std::vector<TTypeEntry> TypeList;    // entry i is item i of ComboBox1
  QuestionForm::TTypeRuleUndo TypeRuleUndo;
  int SavedCount = 0;                  // questions saved since creation

  // ---- Event handlers ------------------------------------------------------------------------
  void FormShow(TObject* sender);
  void SaveClick(TObject* sender);
  void ClearClick(TObject* sender);
  void HelpClick(TObject* sender);
  void ConfigClick(TObject* sender);
  void CloseClick(TObject* sender);
  void BtnAddFgClick(TObject* sender);
  void ComboBox1Change(TObject* sender);
  void ComboBox1DropDown(TObject* sender);
  void ComboBox1CloseUp(TObject* sender);
  void ListBox1KeyDown(TObject* sender, WORD& key, TShiftState shift);

  // Selects type index in code and applies the type rule.
  void SelectType(int index);
  // Saves the form as a new question; true when it was written.
  bool Save();

 private:
  void RegisterHandlers();
  void LoadTypes();
  void PlaceControls();
  // Self-assessed types take one option and the key "1", both locked.
  void ApplyTypeRule();
  void Refuse(const String& text, TWinControl* focus);
};

// Installs the entry window as the chooser's (SetEntryWindowMaker).
void InstallEntryWindow();
