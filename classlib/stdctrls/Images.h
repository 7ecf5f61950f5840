// TImage: a windowless control that shows a picture.
//
// The picture is drawn at its own size at the top-left corner, or centred (Center), or
// stretched to the control (Stretch), or shrunk keeping its proportions when it does not fit
// (Proportional; with Stretch it is also enlarged). Canvas draws on the picture's bitmap,
// making an empty bitmap of the control's size first when the picture is empty. With
// AutoSize the control takes the picture's size.
//
// Not done: incremental display of pictures that load in steps, palette realization.
#pragma once
#include <memory>
#include "../controls/Controls.h"
#include "../graphics/Graphic.h"

// Where a picture of pictureWidth x pictureHeight is drawn in a client area of
// clientWidth x clientHeight, as TImage places it.
TRect ImageDestRect(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight,
                    bool stretch, bool proportional, bool center);

class TImage : public TGraphicControl {
  CLASSLIB_CLASS(TImage, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  // 105 x 105, empty.
  explicit TImage(TComponent* owner);
  ~TImage() override;

  // ---- Attributes -----------------------------------------------------------------------
  // The picture shown; owned. SetPicture copies value's graphic.
  TPicture* GetPicture() const { return FPicture.get(); }
  void SetPicture(TPicture* value);
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool value);
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool value);
  bool GetProportional() const { return FProportional; }
  void SetProportional(bool value);
  // Draws the picture with its key colour left out (not for icons, which keep their own).
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool GetIncrementalDisplay() const { return FIncrementalDisplay; }
  void SetIncrementalDisplay(bool value) { FIncrementalDisplay = value; }
  // The canvas of the picture's bitmap (made when the picture is empty); owned by the
  // bitmap. EInvalidOperation "Can only modify an image if it contains a bitmap" when the
  // picture holds another kind of graphic.
  TCanvas* GetCanvas();

  // Where the picture is drawn in the client area.
  TRect DestRect();

 protected:
  void Paint() override;
  bool CanAutoSize(int& newWidth, int& newHeight) override;

 private:
  // The picture changed (or how it is shown): size, opacity and a repaint.
  void PictureChanged(TObject* sender);

  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FTransparent = false;
  bool FIncrementalDisplay = false;
  bool FDrawing = false;  // Paint is drawing the picture (its changes need no repaint)
};
