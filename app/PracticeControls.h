// What the practice and law-article practice windows share besides the answer pads: the
// question-type bar and the per-question time limit. Both work on controls the window owns
// and hands over (not owned here).
#pragma once
#include "app/PracticeSession.h"

class TepIndiGauge;
class TfcButtonGroup;
class TfcButtonGroupItem;
class TTimer;

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

// ---- The time limit --------------------------------------------------------------------------

// The answer time of the question on display: a gauge rising by one step per timer tick, the
// tick being the answer time of the question's type over 100 (AnswerInterval).
class TTimeLimit {
 public:
  TTimeLimit(TepIndiGauge* gauge, TTimer* timer) : FGauge(gauge), FTimer(timer) {}

  // Restarts for a question of typeCode: gauge at 0, the timer at the type's tick (stopped
  // when the type has no time limit).
  void Start(int typeCode);
  // Stops the timer; the gauge stays where it is.
  void Stop();
  bool Running() const;
  // One tick: the gauge rises by one until 100. At 100 the timer stops and the result is true,
  // once: the time is up.
  bool Tick();

 private:
  TepIndiGauge* FGauge;  // 0..100
  TTimer* FTimer;        // disabled when no time limit runs
};
