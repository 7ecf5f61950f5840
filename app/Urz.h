// The study log window TFrmRz (global FrmRz, caption "日志"): the daily log tab_rz newest day
// first, and the totals over all days of answers given, wrong answers and the accuracy.
//
// Each screen layout has its picture; the visible buttons are captionless flat areas over
// the labels the picture carries.
#pragma once
#include "classlib/db/DBGrids.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPLabels.h"

class TFrmRz : public TForm {
  CLASSLIB_CLASS(TFrmRz, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout; FormCreate runs in AfterConstruction.
  explicit TFrmRz(TComponent* owner);

  // ---- Components (owned by the window) ------------------------------------------------
  TImage* Image1 = nullptr;              // the small layout's background
  TImage* Image2 = nullptr;              // the large layout's background
  TDBGrid* DBGrid1 = nullptr;            // tab_rz, read-only, whole rows
  TLabel* Label1 = nullptr;              // "已做习题"
  TLabel* Label2 = nullptr;              // "（道次）"
  TLabel* Label3 = nullptr;              // "做错习题"
  TLabel* Label4 = nullptr;              // "（道次）"
  TLabel* Label5 = nullptr;              // "综合成绩"
  TepLabel* epLabel2 = nullptr;          // answers given over all days
  TepLabel* epLabel3 = nullptr;          // wrong answers over all days
  TepLabel* epLabel4 = nullptr;          // accuracy
  TSpeedButton* SpeedButton1 = nullptr;  // settings
  TSpeedButton* SpeedButton2 = nullptr;  // close (hidden and disabled, right of the picture)
  TSpeedButton* SpeedButton3 = nullptr;  // close

  // ---- Event handlers ------------------------------------------------------------------
  // Opens tab_rz newest day first, sizes the columns for the screen and shows the totals.
  void FormCreate(TObject* sender);
  // Lays the window out for the screen (ScreenMode).
  void FormShow(TObject* sender);
  // Closes tab_rz; the window always closes.
  void FormCloseQuery(TObject* sender, bool& canClose);
  void SpeedButton3Click(TObject* sender);
  // The settings window on its music page, modal.
  void SpeedButton1Click(TObject* sender);

 private:
  void RegisterHandlers();
  // The totals of tab_rz in epLabel2, epLabel3 and epLabel4.
  void ShowTotals();
};

extern TFrmRz* FrmRz;
