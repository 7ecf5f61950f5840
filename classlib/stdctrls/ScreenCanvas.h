// TScreenCanvas: a canvas on the screen's device context, for measuring text outside
// painting (auto-sized labels, the rows of a radio group). The DC is got when the object is
// made and given back, with its own objects selected again, when it goes.
#pragma once
#include "../graphics/Canvas.h"

class TScreenCanvas {
 public:
  TScreenCanvas() : FDC(::GetDC(nullptr)) { FCanvas.SetHandle(FDC); }
  ~TScreenCanvas() {
    FCanvas.SetHandle(nullptr);
    if (FDC) ::ReleaseDC(nullptr, FDC);
  }
  TScreenCanvas(const TScreenCanvas&) = delete;
  TScreenCanvas& operator=(const TScreenCanvas&) = delete;

  // The canvas; EInvalidOperation from its drawing when the screen gave no DC.
  TCanvas* Get() { return &FCanvas; }

 private:
  HDC FDC;          // the screen's DC; released by the destructor
  TCanvas FCanvas;  // draws on FDC
};
