// TProgressBar over the system's progress bar. The range and the position are kept here as
// well as in the window, so that they hold before the window exists and across a new one.
//
// Not done: the bar and background colours, the marquee style.
#pragma once
#include "../controls/Controls.h"

enum TProgressBarOrientation { pbHorizontal, pbVertical };

// The position StepIt reaches from position: one step on, going round to the other end
// when it passes the range (as the system's bar does).
int ProgressStepPosition(int position, int step, int min, int max);

class TProgressBar : public TWinControl {
  CLASSLIB_CLASS(TProgressBar, TWinControl)
  static const TPropertyTable* PublishedProperties();  // ProgressBars.cpp
  // 150 x 16, range 0..100, position 0, step 10, horizontal, in blocks.
  explicit TProgressBar(TComponent* owner);

  // ---- Range and position --------------------------------------------------------------
  // A range whose Max would be below Min raises EInvalidOperation "TProgressBar property
  // out of range" (while a layout is read the check waits until it is read whole).
  int GetMin() const { return FMin; }
  void SetMin(int value);
  int GetMax() const { return FMax; }
  void SetMax(int value);
  // The position, kept inside the range.
  int GetPosition() const;
  void SetPosition(int value);
  int GetStep() const { return FStep; }
  void SetStep(int value);
  // Moves one Step on, going round past the end of the range.
  void StepIt();
  // Moves by delta, stopping at the ends of the range.
  void StepBy(int delta);

  // ---- Look ---------------------------------------------------------------------------------
  TProgressBarOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation value);  // swaps width and height
  // One continuous bar rather than blocks.
  bool GetSmooth() const { return FSmooth; }
  void SetSmooth(bool value);

  void Loaded() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  // Sets the range; EInvalidOperation when max < min (unless a layout is being read).
  void SetParams(int min, int max);

  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;  // also in the window once there is one
  int FStep = 10;
  TProgressBarOrientation FOrientation = pbHorizontal;
  bool FSmooth = false;
};
