// TSavePictureDialog: the save dialog for pictures. Its filter starts as the one of every
// registered graphic format ("All (*.bmp;*.ico;...)|...|Bitmaps (*.bmp)|*.bmp|..."); a
// layout stores the filter only when it was changed from that.
//
// Not done: the preview of the picture chosen.
#pragma once
#include "Dialogs.h"

class TSavePictureDialog : public TSaveDialog {
  CLASSLIB_CLASS(TSavePictureDialog, TSaveDialog)
  static const TPropertyTable* PublishedProperties();
  explicit TSavePictureDialog(TComponent* owner);

  // The filter of every registered graphic format.
  static String DefaultFilter();
  // True when Filter differs from DefaultFilter.
  bool IsFilterStored() const { return GetFilter() != DefaultFilter(); }
};
