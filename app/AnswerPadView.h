// The window side of answering, shared by the practice, law-article practice and mock-exam
// windows. The answering core (PracticeCore, PracticeSession) works on plain data; this unit
// is the glue between that data and a window's controls:
//
//   - the number-pad pictures (a missing one ends the program after "无法提取资源文件！"),
//   - the pad of twenty question numbers (TNumberPad): building, drawing a group, marks,
//   - the answer pads (TAnswerPadView): building the option buttons, reading a TAnswerPad
//     from the controls, restoring the controls from a TAnswerPad, enabling, keys,
//   - the answer panel that slides over the question (TAnswerPanel),
//   - the enabled look of the command buttons, and playing a listening passage.
//
// Nothing here knows a layout name: a window hands over its controls by role (the structs
// below), keeps ownership of them and of the pictures, and keeps its own policy (which
// buttons it has, what a change of question saves). All functions run on the main thread.
#pragma once
#include <functional>
#include <memory>
#include "app/PracticeCore.h"
#include "app/PracticeSession.h"
#include "controls/imagebutton/fcBitmap.h"

class TepEfTrBtn;
class TfcButtonGroup;
class TfcCustomBitBtn;
class TfcImageBtn;
class TFlatComboBox;
class TFlatEdit;
class TLabel;
class TMediaPlayer;
class TMemo;
class TNotebook;
class TPanel;
class TWinControl;
struct TMessage;

// ---- Pictures --------------------------------------------------------------------------------

// Loads pic\<name> beside the program (AppPath). A missing or unreadable picture shows
// ShowDlg("错误", "无法提取资源文件！"), asks the application to end and aborts the caller
// (EAbort), so a window under construction is never half made.
std::unique_ptr<TfcBitmap> LoadPadPicture(const String& name);

// How the pad pictures a question: by its mark (practice), answered or not (an exam being
// sat), or right and wrong with an unanswered question counted wrong (an exam under review).
enum class TPadLook { Marks, Sitting, Review };

// The number pad's pictures, owned here (buttons take copies). A TNumberPad built with them
// keeps a pointer to this struct, which must outlive it (the window holds both).
struct TPadPictures {
  std::unique_ptr<TfcBitmap> Up;        // no answer yet          (qorbup.bmp)
  std::unique_ptr<TfcBitmap> Down;      // pressed                (qorbdw.bmp)
  std::unique_ptr<TfcBitmap> Right;     // answered right         (qorbyes.bmp)
  std::unique_ptr<TfcBitmap> Wrong;     // answered wrong         (qorbno.bmp)
  std::unique_ptr<TfcBitmap> Answered;  // answered, not judged   (qorbover.bmp; exam only)

  // Loads the four pictures and, when withAnswered, the fifth (LoadPadPicture's failure).
  void Load(bool withAnswered);
  // The picture of a mark under look (Marks: Unanswered shows Up).
  TfcBitmap* Of(TPadMark mark, TPadLook look = TPadLook::Marks) const;
};

// ---- Command buttons -------------------------------------------------------------------------

// The enabled look of the answering windows' command buttons: enabled with active text colour
// clBlue and a black font, or disabled with both grey ($808080).
void SetCommandEnabled(TepEfTrBtn* button, bool enabled);
// True when the button wears the enabled look's active text colour (the exam's pause reads
// from it whether a button was enabled before the pause).
bool HasEnabledLook(const TepEfTrBtn* button);

// ---- The number pad ----------------------------------------------------------------------------

// How a pad draws a group.
struct TPadDrawing {
  // Buttons past the group's last question are not there at all: the pad holds exactly the
  // group's buttons, so that the group's own layout puts them in reading order from the top
  // left; a loVertical group (Columns across) shrinks to their rows, so that the cells keep
  // a full pad's size. Otherwise they stay, disabled.
  bool HideUnused = false;
  // Captions are the questions' numbers in the set (21..40 in the second group) instead of
  // the positions "1".."20".
  bool RecordCaptions = false;
};

// The pad of twenty question numbers in a button group (not owned). Numbers run along the
// rows of the group's grid, whatever its layout: a loHorizontal group of 4 "columns" (rows)
// reads 1..5 on its first row, a loVertical group of 4 columns reads 1..4.
class TNumberPad {
 public:
  static constexpr int kButtons = kGroupSize;

  // Adds the twenty buttons to group, captioned "1".."20" and named namePrefix + number, each
  // showing pictures.Up and, pressed, pictures.Down; disabled until a group is drawn.
  void Build(TfcButtonGroup* group, const String& namePrefix, const TPadPictures& pictures);
  // The button of number index 0..19 (question GroupStart + index); nullptr out of range,
  // before Build, or when drawing left it out (TPadDrawing::HideUnused).
  TfcImageBtn* Button(int index) const;

  // Draws a group: button i stands for group.RecordOfButton(i) (its Tag), enabled and showing
  // pictureOf(record) when that is above 0; otherwise Tag 0, the up picture and disabled, or
  // left out as drawing says. Every button is released. Change events fire while drawing;
  // windows ignore them while Drawing() is true.
  void Draw(const TQuestionGroup& group, const std::function<TfcBitmap*(int recNo)>& pictureOf,
            TPadDrawing drawing = {});
  // Presses the button of index (releasing the others through the group) without the change
  // being taken as the user's; nothing for an index out of range.
  void PressQuietly(int index);
  // Enables or disables every button that stands for a question (Tag above 0).
  void SetEnabled(bool enabled);
  // True while Draw or PressQuietly change buttons.
  bool Drawing() const { return FDrawing; }

 private:
  // Makes the group hold count buttons (0..20), numbered along the rows of its grid.
  void Lay(int count);

  TfcButtonGroup* FGroup = nullptr;      // not owned
  String FNamePrefix;
  TfcImageBtn* FButtons[kButtons] = {};  // by number index; owned by the group
  int FCount = 0;                        // buttons in the group
  int FFullHeight = 0;                   // the group's height for a full pad
  const TPadPictures* FPictures = nullptr;
  bool FDrawing = false;
};

// ---- Answer pads -------------------------------------------------------------------------------

// A window's answer controls by role (not owned). Every member must be set.
struct TAnswerPadControls {
  TNotebook* Notebook = nullptr;        // the six pages, indexed by TAnswerPage
  TfcButtonGroup* Single = nullptr;     // page 0 单选: A..F, radio
  TfcButtonGroup* Multiple = nullptr;   // page 1 多选: A..F, check list
  TFlatEdit* Fill = nullptr;            // page 2 填空
  TfcButtonGroup* TrueFalse = nullptr;  // page 3 判断: 对, 错
  TFlatComboBox* Self = nullptr;        // page 4 主观: 不会, 会 (and 熟悉 with three grades)
  TfcButtonGroup* Match = nullptr;      // page 5 配伍: A..F, radio
};

class TAnswerPadView {
 public:
  // grades: the items of the self-assessment page.
  explicit TAnswerPadView(const TAnswerPadControls& controls, TSelfGrades grades = TSelfGrades::Two);

  // Adds the option buttons (named after their group: fcBG_one1..6 for a group fcBG_one),
  // 对 and 错, each pad showing the option pictures pic\qorbopup.bmp and qorbopdw.bmp (a
  // missing one as LoadPadPicture), and the self-assessment items. Call once, after the layout is read. A mouse
  // move over a page, or over any control on it, is passed on as a move over the notebook
  // (they cover it), so the notebook's OnMouseMove sees the mouse wherever it is over the
  // answer pages.
  void BuildButtons();
  // The notebook's hint becomes what the page on screen asks for (AnswerPageHint), and
  // hints show: what a window does on a mouse move over the notebook.
  void ShowPageHint();

  // The page on screen, and showing the page of a question type (ShownAnswerPage: a type
  // without a page keeps the page shown).
  int Page() const;
  void ShowPageOf(int typeCode);
  // The option group of pages 0, 1 and 5 (nullptr on the others) and its button index 0..5.
  TfcButtonGroup* OptionGroup(int page) const;
  TfcCustomBitBtn* OptionButton(int page, int index) const;

  // The pad as the controls show it. optionCount: A2_1 of the question on display (0 when
  // there is none).
  TAnswerPad Current(int optionCount) const;
  // Sets the controls to show pad on its page; the other pages are cleared (released,
  // empty, no item). Afterwards every answer group shows bold exactly its selected option
  // (a released option never stays bold from an earlier question).
  void Show(const TAnswerPad& pad);
  // Show of the stored answer of a question with optionCount options on the page on screen.
  void Restore(int optionCount, const String& stored);
  // True while Show sets the controls; change events seen then are not the user's.
  bool Restoring() const { return FRestoring; }

  // Enables or disables the answer controls of every page (the exam's pause and review).
  void SetEnabled(bool enabled);

  // What the keyboard may do on the page on screen; the command buttons say whether
  // previous and next are possible. Nothing while the focus is where text is typed.
  TKeyContext KeyContext(bool previousEnabled, bool nextEnabled) const;
  // Acts on key: presses or toggles an option itself and returns the action, so that the
  // window runs Previous or Next; None when the key does nothing. A key acted on is cleared
  // (key := 0), so that the control with the focus does not act on it as well: windows
  // preview their controls' keys (KeyPreview), and the keys work wherever the focus is.
  TKeyActionKind HandleKey(WORD& key, bool previousEnabled, bool nextEnabled);

 private:
  TAnswerPadControls F;
  TSelfGrades FGrades;
  bool FRestoring = false;
};

// For a window's CM_DIALOGKEY, which comes before its key preview: Enter is a dialog key, so
// a focused button would take it as its own click. keyDown (the window's key handler) sees
// Enter first; true, with the message answered, when it used the key (cleared it).
bool PreviewDialogKey(TMessage& message, const std::function<void(WORD& key)>& keyDown);

// True when control takes typed text, so that letters, back-space and Enter are its own: a
// shown, enabled edit (or rich-text view) that is not read-only, or such a combo box with an
// edit part.
bool TakesTyping(TWinControl* control);
// The control of this thread that holds the keyboard focus (the control owning the focused
// window, such as a combo box for its edit part), or nullptr.
TWinControl* FocusedControl();

// ---- The answer panel ---------------------------------------------------------------------------

// The panel that slides over the question to show the verdict, the answer and the key (not
// owned). Its toggle reads "答案" while it is shut and "返回" while it is open.
struct TAnswerPanelControls {
  TPanel* Panel = nullptr;       // slides; width 0 when shut
  TPanel* Area = nullptr;        // the question area it covers
  TepEfTrBtn* Toggle = nullptr;  // "答案" / "返回"
  TLabel* Verdict = nullptr;     // "恭喜你，做对了！" or "很遗憾，做错了，请继续努力！"
  TMemo* Yours = nullptr;        // the answer as shown
  TMemo* Key = nullptr;          // the key as shown
  bool KeepHeight = false;       // the panel keeps its laid-out height instead of the area's
};

class TAnswerPanel {
 public:
  explicit TAnswerPanel(const TAnswerPanelControls& controls) : F(controls) {}

  bool IsOpen() const;
  bool Sliding() const { return FSliding; }
  // Fills the panel for the answer on pad against key (verdict as VerdictText of the answer
  // read from the pad; the answer and key as the panel shows them) and slides it open.
  void Open(const TAnswerPad& pad, const String& key, TSelfGrades grades = TSelfGrades::Two,
            bool selfPage = false);
  // Slides the panel the other way than it stands (steps of SlideWidths, messages processed
  // after each); nothing while it slides.
  void Slide();
  // Shuts the panel at once (moving to another question).
  void CloseAtOnce();

 private:
  TAnswerPanelControls F;
  bool FSliding = false;
};

// ---- Listening passages -------------------------------------------------------------------------

// AppPath + "voice\@" + id + ".mp3", and the group passage of the id's first 16 characters.
String QuestionPassageFile(const String& questionId);
String GroupPassageFile(const String& questionId);

enum class TPassagePlay {
  Missing,  // no such file: nothing was touched
  Playing,  // the player plays the file
  Failed,   // the file is there but cannot be played (no device or decoder)
};
// Closes the player, opens file and plays it.
TPassagePlay PlayPassageFile(TMediaPlayer* player, const String& file);
