// The about box TFrmAbout (global FrmAbout): the product picture, title, rights notice and
// the maker's details, all texts of its layout, and a close button. The menu opens it.
//
// Its buttons are the effect library's transparent buttons; epTransparentBtn1 to 3 stay
// hidden, as they always do.
#pragma once
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPButtons.h"
#include "controls/effects/EPCtrls.h"

class TFrmAbout : public TForm {
  CLASSLIB_CLASS(TFrmAbout, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmAbout(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TImage* Image1 = nullptr;                // the product picture
  TLabel* Label2 = nullptr;                // the product title
  TLabel* Label3 = nullptr;                // what the product covers
  TLabel* Label4 = nullptr;                // the rights notice
  TepBevel* epBevel1 = nullptr;            // the line above the maker's details
  TLabel* Label1 = nullptr;                // the maker's address and telephone
  TepTransparentBtn* epTransparentBtn1 = nullptr;  // hidden
  TepTransparentBtn* epTransparentBtn2 = nullptr;  // hidden
  TepTransparentBtn* epTransparentBtn3 = nullptr;  // hidden
  TepTransparentBtn* epTransparentBtn5 = nullptr;  // 关闭

  // The close button: closes the window.
  void epTransparentBtn5Clickcc(TObject* sender);

 private:
  void RegisterHandlers();
};

extern TFrmAbout* FrmAbout;
