// TfcCustomImageBtn and TfcImageBtn: the button whose face is a picture, an up picture and
// an optional down picture, either its own or borrowed from another image button or an
// imager (ExtImage, ExtImageDown). The window region is cut from the picture: every pixel
// that is not the transparent colour belongs to the button. TransparentColor clNone takes
// the picture's top-left pixel; fcNoRegionColor ($0FFFFFFF) means no region at all.
// A grouped button that is down and has no down picture shows its up picture moved by
// (ImageDownX, ImageDownY) with its area dithered in DitherColor.
//
// While its window is destroyed the button keeps its own up picture's pixels in memory
// instead of as GDI objects; they come back when the window is made again, or as soon as
// anything asks for the picture meanwhile.
#pragma once
#include <memory>
#include "fcBitmap.h"
#include "fcButton.h"

class TfcCustomImager;

enum TfcDitherStyle { dsDither, dsBlendDither, dsFill };
extern const TEnumInfo fcDitherStyleIdents;

// TransparentColor that switches the region off.
inline constexpr TColor fcNoRegionColor = ColorFromInt(0x0FFFFFFF);

// Offsets of an image button: also where the up picture goes while the button is down and
// has no down picture.
class TfcImgDownOffsets : public TfcOffsets {
  CLASSLIB_CLASS(TfcImgDownOffsets, TfcOffsets)
  static const TPropertyTable* PublishedProperties();
  explicit TfcImgDownOffsets(TfcCustomBitBtn* button) : TfcOffsets(button) {}

  int GetImageDownX() const { return FImageDownX; }
  void SetImageDownX(int value) { Store(FImageDownX, value); }
  int GetImageDownY() const { return FImageDownY; }
  void SetImageDownY(int value) { Store(FImageDownY, value); }

  void Assign(TPersistent* source) override;

 private:
  int FImageDownX = 2;
  int FImageDownY = 2;
};

class TfcCustomImageBtn : public TfcCustomBitBtn {
  CLASSLIB_CLASS(TfcCustomImageBtn, TfcCustomBitBtn)
  static const TPropertyTable* PublishedProperties();
  explicit TfcCustomImageBtn(TComponent* owner);
  ~TfcCustomImageBtn() override;

  // ---- Attributes ------------------------------------------------------------------------
  TfcBitmap* GetImage() const { return OwnImage(); }  // owned
  void SetImage(TfcBitmap* value);                      // copies value
  TfcBitmap* GetImageDown() const { return FImageDown.get(); }
  void SetImageDown(TfcBitmap* value);
  // A TfcCustomImageBtn or TfcCustomImager whose picture is shown instead of the own one;
  // not owned. The button itself is ignored.
  TComponent* GetExtImage() const { return FExtImage; }
  void SetExtImage(TComponent* value);
  TComponent* GetExtImageDown() const { return FExtImageDown; }
  void SetExtImageDown(TComponent* value);
  TColor GetTransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor value);
  TColor GetDitherColor() const { return FDitherColor; }
  void SetDitherColor(TColor value);
  TfcDitherStyle GetDitherStyle() const { return FDitherStyle; }
  void SetDitherStyle(TfcDitherStyle value);
  TfcImgDownOffsets* GetImgOffsets() const;
  // The parent window's WS_CLIPCHILDREN style; False without a parent window.
  bool GetParentClipping();
  void SetParentClipping(bool value);
  bool GetRespectPalette() const { return FImage->GetRespectPalette(); }
  void SetRespectPalette(bool value);

  // ---- Operations ----------------------------------------------------------------------------
  // The picture of a state as it is drawn (an external one brought up to date first).
  virtual TfcBitmap* GetStateImage(bool down);
  // The colour whose pixels are not the button: $0FFFFFFF stays, clNone becomes the
  // top-left pixel of the state's picture, any other colour is itself.
  TColor EffectiveTransparentColor(bool down);
  // Stretches image into target at the button's size (two less for fbsRaised), recoloured
  // and dithered as the button's state asks unless noRegion.
  virtual void PaintImage(TfcBitmap* image, TfcBitmap* target, bool noRegion, TfcShadeStyle style);
  // The colour of the face at a point.
  virtual TColor GetColorAtPoint(TPoint p);
  // Makes the highlighted up and down faces the button's own pictures (the down one keyed
  // outside the region), so that they need no shading when drawn.
  virtual void BakeShading();
  // Adds the 3-D edges along the outline of source's non-transparent pixels into target
  // (both of one size). transparentColor -1 (or clNone): source's top-left pixel.
  void DrawShading(TfcBitmap* source, TfcBitmap* target, bool down, TColor transparentColor);

  bool UseRegions() override { return FTransparentColor != fcNoRegionColor; }
  bool IsMultipleRegions() override;
  void SizeToDefault() override;
  void Loaded() override;

 protected:
  TfcOffsets* CreateOffsets() override { return new TfcImgDownOffsets(this); }
  UniqueRegion CreateRegion(bool build, bool down) override;
  bool StoreRegionData() override { return true; }
  void DrawButtonFace(TfcBitmap* target, bool faceOnly, bool down, TfcShadeStyle style) override;
  virtual void ImageChanged(TfcBitmap* image);
  void AssignTo(TPersistent* dest) override;
  void Notification(TComponent* component, TOperation operation) override;
  void CreateWnd() override;
  void DestroyWnd() override;

 private:
  // The own up picture, its pixels taken back first when they were set aside.
  TfcBitmap* OwnImage() const;
  // The picture of a state without bringing an imager up to date.
  TfcBitmap* PeekImage(bool down) const;
  bool HasDownImage() const;
  void AttachLink(TComponent* component, bool down);
  void DetachLink(TComponent* component, bool down);

  std::unique_ptr<TfcBitmap> FImage;        // own up picture
  std::unique_ptr<TfcBitmap> FImageDown;    // own down picture
  TComponent* FExtImage = nullptr;          // borrowed up picture's holder; not owned
  TComponent* FExtImageDown = nullptr;      // borrowed down picture's holder; not owned
  TColor FTransparentColor = clNone;
  TColor FDitherColor = clWhite;
  TfcDitherStyle FDitherStyle = dsDither;
  std::unique_ptr<TfcChangeLink> FExtLink;  // hears the borrowed pictures change
  bool FImageChanging = false;              // ImageChanged rebuilds the region
};

class TfcImageBtn : public TfcCustomImageBtn {
  CLASSLIB_CLASS(TfcImageBtn, TfcCustomImageBtn)
  explicit TfcImageBtn(TComponent* owner) : TfcCustomImageBtn(owner) {}
};
