// The wait box TFrmProgress (global FrmProgress) that long operations show: made at
// start-up and kept for the whole run. It has no code of its own; the operations set the
// text of Label1, show it and hide it.
//
// Not done yet: its bevel frame (an effect control) and its idle timer.
#pragma once
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/StdLabels.h"

class TFrmProgress : public TForm {
  CLASSLIB_CLASS(TFrmProgress, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmProgress(TComponent* owner);

  TLabel* Label1 = nullptr;  // the text ("请等待..."); owned by the window
};

extern TFrmProgress* FrmProgress;
