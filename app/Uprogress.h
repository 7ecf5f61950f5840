// The wait box TFrmProgress (global FrmProgress) that long operations show: made at
// start-up and kept for the whole run. It has no code of its own; the operations set the
// text of Label1, show it and hide it.
#pragma once
#include "classlib/forms/Forms.h"
#include "classlib/forms/Timer.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPCtrls.h"

class TFrmProgress : public TForm {
  CLASSLIB_CLASS(TFrmProgress, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmProgress(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TepBevel* epBevel1 = nullptr;  // the frame over the whole window
  TLabel* Label1 = nullptr;      // the text ("请等待...")
  TTimer* Timer1 = nullptr;      // 100 ms, disabled, without handler
};

extern TFrmProgress* FrmProgress;
