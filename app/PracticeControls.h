// What the answering windows share besides the answer pads: the moves through the set (the
// pad of twenty with its group line, previous and next), the question-type bar, the
// per-question time limit, the question's status line and the practice windows' close-down.
// All work on controls the window owns and hands over (not owned here).
#pragma once
#include <functional>
#include <optional>
#include "app/AnswerPadView.h"
#include "app/PracticeSession.h"

class TComponent;
class TepEfTrBtn;
class TepIndiGauge;
class TfcButtonGroup;
class TfcButtonGroupItem;
class TFlatSpeedButton;
class TKZTimeCounter;
class TLabel;
class TTimer;
class TWinControl;

// ---- The two stem views ------------------------------------------------------------------------

// Collapses the lower stem view (a group member's own stem) to no height, or gives it back its
// height. Collapsed it takes no focus by Tab, and a focus it holds goes to the upper view: a
// view of no height would otherwise keep the window's keys where the student cannot see them.
void SetLowerStemHeight(TWinControl* lower, int height, TWinControl* upper);

// ---- Moving through the set ------------------------------------------------------------------

// The controls of the moves, by role (not owned). The labels a window lacks stay null; the
// others must be set.
struct TNavigatorControls {
  TfcButtonGroup* Pad = nullptr;              // the pad of twenty question numbers
  TLabel* Groups = nullptr;                   // how many groups
  TLabel* Questions = nullptr;                // how many questions under the type filter
  TLabel* Group = nullptr;                    // the group shown
  TFlatSpeedButton* PreviousGroup = nullptr;  // <-上一组
  TFlatSpeedButton* NextGroup = nullptr;      // 下一组->
  TepEfTrBtn* Previous = nullptr;             // 上一题
  TepEfTrBtn* Next = nullptr;                 // 下一题
  TLabel* GroupLine = nullptr;                // "第 n 组 / 共 m 组"
};

// How a window's pad looks.
struct TNavigatorStyle {
  TPadLook Look = TPadLook::Marks;  // anything but Marks loads the answered picture too
  TPadDrawing Pad;                  // left-out buttons and captions of the pad
  // 上一题 on the first question of a group opens the previous group at its first question
  // (the practice windows); otherwise it shows the question before (the exam).
  bool BackOpensGroupStart = false;
};

// What the window does around a move.
struct TNavigatorEvents {
  std::function<void()> Leave;          // saves the question on display (mode 0), clears its extras
  std::function<void(int recNo)> Show;  // shows the question recNo, the set being on it
};

// An answering window's moves through its session's set. Shown() is the question whose page
// is on screen (0 for none); before another question is shown, Leave runs for it.
class TPracticeNavigator {
 public:
  TPracticeNavigator(const TNavigatorControls& controls, TPracticeSession& session, TNavigatorEvents events,
                     TNavigatorStyle style = {});

  // Loads the pad pictures (a missing one ends the program) and adds the twenty buttons,
  // named namePrefix + number.
  void Build(const String& namePrefix);
  TNumberPad& Pad() { return FPad; }
  int Shown() const { return FShown; }
  // Nothing is on display any more (the type filter changes, the window closes).
  void Forget() { FShown = 0; }

  // Pictures the pad under look from the next drawing on.
  void SetLook(TPadLook look) { FStyle.Look = look; }
  // While locked the user makes no moves: the pad, the group buttons, previous and next are
  // disabled; unlocking gives previous and next back as they were.
  void SetLocked(bool locked);
  bool Locked() const { return FLocked; }

  // Draws the session's group and shows its first question.
  void DrawGroup();
  // Leaves the question on display and shows group (1..Groups) from its first question; a
  // group out of range shows an empty pad.
  void ShowGroup(int group);
  // Shows the question recNo (1..Total) of the filtered set, drawing the group that holds it.
  void ShowRecord(int recNo);
  // A pad button pressed by the user shows its question.
  void PadChanged(TfcButtonGroupItem* selected);
  void PreviousGroup();
  void NextGroup();
  // The question before; from a group's first question as the style's BackOpensGroupStart says.
  void Previous();
  void Next();
  // A key of the window: letters act on the options of pad, back-space and Enter go to the
  // previous and next question while their buttons are enabled (a key acted on is cleared).
  void HandleKey(TAnswerPadView& pad, WORD& key);
  // Gives the pad button of recNo the picture of its mark (nothing outside the group).
  void Mark(int recNo);
  // Saves the answer that answer() reads from the pad for the question on display and, with
  // mark, gives its pad button the new mark. Nothing (and no result) when no question is on
  // display or the set has left it.
  std::optional<TSaveResult> SaveShown(const std::function<String()>& answer, bool mark);

 private:
  void DrawPad();
  // ShowRecord, drawing the pad anew also when the group stays (drawPad).
  void ShowRecord(int recNo, bool drawPad);
  void SetGroupButtons();

  TNavigatorControls F;
  TPracticeSession& FSession;
  TNavigatorEvents FEvents;
  TNavigatorStyle FStyle;
  bool FLocked = false;
  TPadPictures FPictures;  // the pad's pictures, owned here
  TNumberPad FPad;         // over F.Pad
  int FShown = 0;          // the question whose page is on screen, 0 none
};

// ---- Closing down --------------------------------------------------------------------------

// A practice window's close-down, once (closed is set): stops clock, then the rest by stop (a failure is
// reported by the application for window and the close goes on), ends session with the
// answer answer() reads for the question on display (empty when none) and the time of clock,
// and forgets the question on display.
void ClosePractice(TComponent* window, bool& closed, TPracticeSession& session, TPracticeNavigator& navigator,
                   TKZTimeCounter* clock, const std::function<void()>& stop, const std::function<String()>& answer);

// ---- The type bar ----------------------------------------------------------------------------

// "任意" (Tag 0) and one button per question type of tab_tx in code order (Tag: the code,
// caption: the name), two columns. A type without questions in the practice set is disabled.
class TTypeBar {
 public:
  explicit TTypeBar(TfcButtonGroup* group) : FGroup(group) {}

  // Builds the buttons for the set of session from DM1's tab_tx (opened when closed), with the
  // pictures qorbtxup.bmp and qorbtxdw.bmp (a missing one ends the program, as LoadPadPicture
  // says).
  void Build(TPracticeSession& session);
  // Shrinks, down to 10 pixels, the font of each button whose caption with a 4-pixel margin
  // on each side is wider than the button as the bar is laid out now (a narrow screen's bar),
  // so that every name reads whole.
  void FitCaptions();
  // Presses "任意" without the change being taken as the user's; nullptr before Build.
  TfcButtonGroupItem* PressAny();
  // Applies the type of selected to session. A type without questions (any more) is disabled
  // and released, previous is pressed again and its type applied. True when session has a
  // group to draw afterwards.
  bool Choose(TPracticeSession& session, TfcButtonGroupItem* selected, TfcButtonGroupItem* previous);
  // True while the bar presses or releases its own buttons: change events are not the user's.
  bool Drawing() const { return FDrawing; }

 private:
  TfcButtonGroup* FGroup;  // the bar's button group
  bool FDrawing = false;
};

// ---- The status line ------------------------------------------------------------------------

// The status of a question with f1 voided (1 voided, 2 entered by the user) in status, and the
// void button's caption: "题目作废", or "取消作废" for a voided question.
void ShowQuestionStatus(TLabel* status, TepEfTrBtn* voidButton, int voided);
// Voids or restores the question on display of session and says so in status and the button.
void ToggleVoidShown(TPracticeSession& session, TLabel* status, TepEfTrBtn* voidButton);

// ---- Linked articles ------------------------------------------------------------------------

// 考点: the linked-articles window for the question id, shown modally when the question has
// linked articles, freed afterwards.
void ShowLinkedArticles(const String& questionId);

// ---- The time limit --------------------------------------------------------------------------

// The answer time of the question on display: a gauge rising by one step per timer tick, the
// tick being the answer time of the question's type over 100 (AnswerInterval).
class TTimeLimit {
 public:
  TTimeLimit(TepIndiGauge* gauge, TTimer* timer) : FGauge(gauge), FTimer(timer) {}

  // Restarts for a question of typeCode: gauge at 0, the timer at the type's tick. It stays
  // stopped when the type has no time limit, or when the question is answered in this
  // practice already (its time can no longer run out).
  void Start(int typeCode, bool answered);
  // Stops the timer; the gauge stays where it is.
  void Stop();
  bool Running() const;
  // One tick: the gauge rises by one. The tick that brings it to 100 stops the timer and
  // returns true, once: the time is up.
  bool Tick();

 private:
  TepIndiGauge* FGauge;  // 0..100
  TTimer* FTimer;        // disabled when no time limit runs
};
