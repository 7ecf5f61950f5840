// TfcCustomImager and TfcImager: a windowless control that shows a picture after passing
// it through an effect set (TfcBitmapOptions). The source picture is copied into a working
// image (stretched or tiled to its size when the sizes differ) and the effects run on it in
// a fixed order, every time any of them changes, so effects never pile up. Image buttons can
// show an imager's working image; they hear of every new one through change links.
//
// The effect set applies, each only when it is switched on: gray scale, lightness, alpha
// blend, colorize (Color), tint (TintColor), sponge, saturation, gaussian blur, emboss,
// invert, contrast, sharpen, horizontal flip, vertical flip, wave, rotation.
//
// Not done: palette displays get no special care beyond what TfcBitmap gives.
#pragma once
#include <memory>
#include <vector>
#include "classlib/controls/Controls.h"
#include "classlib/graphics/Graphic.h"
#include "fcBitmap.h"
#include "fcChangeLink.h"

class TfcBitmapOptions;
class TfcCustomImager;

// ---- Sub-objects of the effect set ------------------------------------------------------------

// Mixes Bitmap into the working image by Amount/256.
class TfcAlphaBlend : public TPersistent {
  CLASSLIB_CLASS(TfcAlphaBlend, TPersistent)
  static const TPropertyTable* PublishedProperties();
  explicit TfcAlphaBlend(TfcBitmapOptions* owner);
  ~TfcAlphaBlend() override;

  uint8_t GetAmount() const { return FAmount; }
  void SetAmount(uint8_t value);
  // The picture blended in; owned. A change of it applies the effects again.
  TfcBitmap* GetBitmap() const { return FBitmap.get(); }
  void SetBitmap(TfcBitmap* value);  // copies value
  // The blend picture's own transparency: its top-left colour then leaves the image alone.
  bool GetTransparent() const { return FBitmap->GetTransparent(); }
  void SetTransparent(bool value);

  TPersistent* GetOwner() const override;

 protected:
  // Applies the owner's effects once (not again from inside that application).
  virtual void BitmapChanged(TObject* sender);

 private:
  TfcBitmapOptions* FOwner;            // not owned
  uint8_t FAmount = 0;
  std::unique_ptr<TfcBitmap> FBitmap;  // the blend picture
  bool FBusy = false;                  // BitmapChanged is applying the effects
};

// Turns the working image by Angle degrees about (CenterX, CenterY); -1 is the middle.
class TfcRotate : public TPersistent {
  CLASSLIB_CLASS(TfcRotate, TPersistent)
  static const TPropertyTable* PublishedProperties();
  explicit TfcRotate(TfcBitmapOptions* owner) : FOwner(owner) {}

  int GetCenterX() const { return FCenterX; }
  void SetCenterX(int value);
  int GetCenterY() const { return FCenterY; }
  void SetCenterY(int value);
  // A change between 0 and another angle also changes the working image's size (a turned
  // picture is worked on in a square).
  int GetAngle() const { return FAngle; }
  void SetAngle(int value);

  TPersistent* GetOwner() const override;

 private:
  TfcBitmapOptions* FOwner;  // not owned
  int FCenterX = -1;
  int FCenterY = -1;
  int FAngle = 0;            // degrees
};

// Displaces rows and columns along a sine wave.
class TfcWave : public TPersistent {
  CLASSLIB_CLASS(TfcWave, TPersistent)
  static const TPropertyTable* PublishedProperties();
  explicit TfcWave(TfcBitmapOptions* owner) : FOwner(owner) {}

  int GetXDiv() const { return FXDiv; }
  void SetXDiv(int value);
  int GetYDiv() const { return FYDiv; }
  void SetYDiv(int value);
  int GetRatio() const { return FRatio; }
  void SetRatio(int value);
  bool GetWrap() const { return FWrap; }
  void SetWrap(bool value);

  TPersistent* GetOwner() const override;

 private:
  TfcBitmapOptions* FOwner;  // not owned
  int FXDiv = 0;
  int FYDiv = 0;
  int FRatio = 0;
  bool FWrap = false;
};

// ---- The effect set -----------------------------------------------------------------------------

class TfcBitmapOptions : public TPersistent {
  CLASSLIB_CLASS(TfcBitmapOptions, TPersistent)
  static const TPropertyTable* PublishedProperties();
  // owner may be nullptr (the set then never counts as loading); source and work are the
  // owner's and must outlive the set.
  TfcBitmapOptions(TfcCustomImager* owner, TPicture* source, TfcBitmap* work);
  ~TfcBitmapOptions() override;

  // ---- Effects ------------------------------------------------------------------------
  TfcAlphaBlend* GetAlphaBlend() const { return FAlphaBlend.get(); }  // owned
  TColor GetColor() const { return FColor; }  // clNone: no colorizing
  void SetColor(TColor value);
  int GetContrast() const { return FContrast; }
  void SetContrast(int value);
  bool GetEmbossed() const { return FEmbossed; }
  void SetEmbossed(bool value);
  TColor GetTintColor() const { return FTintColor; }  // clNone: no tint
  void SetTintColor(TColor value);
  int GetGaussianBlur() const { return FGaussianBlur; }
  void SetGaussianBlur(int value);
  bool GetGrayScale() const { return FGrayScale; }
  void SetGrayScale(bool value);
  bool GetHorizontallyFlipped() const { return FHorizontallyFlipped; }
  void SetHorizontallyFlipped(bool value);
  bool GetInverted() const { return FInverted; }
  void SetInverted(bool value);
  int GetLightness() const { return FLightness; }
  void SetLightness(int value);
  TfcRotate* GetRotation() const { return FRotation.get(); }  // owned
  int GetSaturation() const { return FSaturation; }  // -1: off; 0 gray; 256 unchanged
  void SetSaturation(int value);
  int GetSharpen() const { return FSharpen; }
  void SetSharpen(int value);
  int GetSponge() const { return FSponge; }
  void SetSponge(int value);
  // True: a source of another size is tiled over the working image instead of stretched.
  bool GetTileSource() const { return FTileSource; }
  void SetTileSource(bool value);
  bool GetVerticallyFlipped() const { return FVerticallyFlipped; }
  void SetVerticallyFlipped(bool value);
  TfcWave* GetWave() const { return FWave.get(); }  // owned

  // ---- Working --------------------------------------------------------------------------
  TPicture* GetSourcePicture() const { return FSourcePicture; }
  TfcBitmap* GetWorkImage() const { return FWorkImage; }
  TfcCustomImager* GetImager() const { return FOwner; }
  // Called after every application of the effects (the imager repaints).
  TNotifyEvent OnChange;

  // Changes between BeginUpdate and the matching EndUpdate apply the effects once, at the end.
  virtual void BeginUpdate();
  void EndUpdate();
  int GetUpdateCount() const { return FUpdateCount; }
  // Copies the source picture into the working image and runs the effects on it. Nothing
  // while loading, while updating, while either picture is empty, or from inside itself.
  virtual void ApplyBitmapOptions();
  // The working image's size depends on a changed option: the imager sizes it again (which
  // applies the effects); without an imager the effects are applied.
  void WorkSizeChanged();

  TPersistent* GetOwner() const override;

 private:
  // Puts the source picture into the working image, replacing every pixel.
  void CopySource(TGraphic* source);
  // The sixteen steps, in their fixed order.
  void RunEffects();
  // Stores value in field and applies the effects when it differs.
  template <class T>
  void Store(T& field, T value) {
    if (field == value) return;
    field = value;
    ApplyBitmapOptions();
  }

  TfcCustomImager* FOwner;                     // not owned
  std::unique_ptr<TfcAlphaBlend> FAlphaBlend;
  TColor FColor = clNone;
  int FContrast = 0;
  bool FEmbossed = false;
  TColor FTintColor = clNone;
  int FGaussianBlur = 0;
  bool FGrayScale = false;
  bool FHorizontallyFlipped = false;
  bool FInverted = false;
  int FLightness = 0;
  std::unique_ptr<TfcRotate> FRotation;
  int FSaturation = -1;
  int FSharpen = 0;
  int FSponge = 0;
  bool FTileSource = false;
  bool FVerticallyFlipped = false;
  std::unique_ptr<TfcWave> FWave;
  TPicture* FSourcePicture;                    // the imager's picture; not owned
  TfcBitmap* FWorkImage;                       // the imager's working image; not owned
  int FUpdateCount = 0;                        // BeginUpdate nesting
  bool FApplying = false;                      // ApplyBitmapOptions is running
};

// ---- The imager ---------------------------------------------------------------------------------

enum class TfcImagerDrawStyle { Normal, Center, Stretch, Tile, Proportional };

class TfcCustomImager : public TGraphicControl {
  CLASSLIB_CLASS(TfcCustomImager, TGraphicControl)
  // 100 x 100, opaque, PreProcess on.
  explicit TfcCustomImager(TComponent* owner);
  ~TfcCustomImager() override;

  // ---- Attributes ----------------------------------------------------------------------
  TfcBitmapOptions* GetBitmapOptions() const { return FBitmapOptions.get(); }  // owned
  // The source picture; owned. Every change of it makes the working image again.
  TPicture* GetPicture() const { return FPicture.get(); }
  void SetPicture(TPicture* value);  // copies value
  // The picture after the effects; owned. Empty while the picture is.
  TfcBitmap* GetWorkImage() const { return FWorkImage.get(); }
  TfcImagerDrawStyle GetDrawStyle() const { return FDrawStyle; }
  void SetDrawStyle(TfcImagerDrawStyle value);
  // True: the effects work at the picture's size and the result is fitted to the control;
  // False: the picture is fitted to the control (Stretch, Tile, Proportional) first.
  bool GetPreProcess() const { return FPreProcess; }
  void SetPreProcess(bool value);
  bool IsPictureEmpty() const;

  // ---- Change links -------------------------------------------------------------------
  // Links told of every new working image (Sender: the working image); not owned.
  virtual void RegisterChanges(TfcChangeLink* link);
  virtual void UnRegisterChanges(TfcChangeLink* link);

  // ---- Operations ---------------------------------------------------------------------
  // Sizes the working image (the picture's size, a square of its larger side while it is
  // turned, or the control's size without PreProcess) and applies the effects.
  virtual void UpdateWorkImage();
  // Applies the effects, sizing the working image first when it is empty.
  virtual void ApplyOptions();
  // UpdateWorkImage for a viewer that is painting (an image button): the links hear of it
  // only when the working image's size or pixels changed, so that a viewer that repaints
  // on every change does not repaint for ever.
  void RefreshForViewer();
  // With AutoSize the control takes the picture's size.
  void AdjustSize() override;
  // Puts the working image on the clipboard as a bitmap.
  virtual void CopyToClipboard();

  void SetBounds(int left, int top, int width, int height) override;
  // Invalidates the bounds on the parent with erase (not while the bounds are being set).
  void Invalidate() override;
  void Loaded() override;

 protected:
  void Paint() override;
  // Invalidates the control and tells the links; the effect set's OnChange.
  void Changed() override;
  void NotifyChangeLinks();
  virtual void PictureChanged(TObject* sender);

 private:
  bool IsLoading() const { return GetComponentState().Contains(csLoading); }

  std::unique_ptr<TPicture> FPicture;               // the source picture
  std::unique_ptr<TfcBitmap> FWorkImage;            // the picture after the effects
  std::unique_ptr<TfcBitmapOptions> FBitmapOptions;  // the effect set
  TfcImagerDrawStyle FDrawStyle = TfcImagerDrawStyle::Normal;
  bool FPreProcess = true;
  std::vector<TfcChangeLink*> FChangeLinks;         // not owned
  bool FInAutoSize = false;                         // AdjustSize is setting the bounds
  bool FInSetBounds = false;                        // SetBounds is running
  bool FUpdatingWorkImage = false;                  // UpdateWorkImage is running
  bool FQuietLinks = false;                         // RefreshForViewer holds the links back
};

class TfcImager : public TfcCustomImager {
  CLASSLIB_CLASS(TfcImager, TfcCustomImager)
  static const TPropertyTable* PublishedProperties();
  explicit TfcImager(TComponent* owner) : TfcCustomImager(owner) {}
};
