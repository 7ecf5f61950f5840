// TfcBitmap: the image of the image-button library. It keeps its picture as its own 24-bit
// top-down DIB section (bytes blue, green, red; rows padded to 4 bytes) with a memory DC and
// a canvas over it, so that the effects work on the pixels in place. It streams in stored
// layouts as a complete BMP file (the "Data" property, no length prefix), draws plainly,
// stretched, smoothly stretched, tiled or transparently, and tells its change links about
// every change.
//
// Not done: clipboard formats (LoadFromClipboardFormat and SaveToClipboardFormat do
// nothing).
#pragma once
#include <array>
#include <memory>
#include <vector>
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/graphics/Graphic.h"
#include "fcBitmapPixels.h"
#include "fcChangeLink.h"

class TPropertyTable;

class TfcBitmap : public TGraphic {
  CLASSLIB_CLASS(TfcBitmap, TGraphic)
  TfcBitmap();
  ~TfcBitmap() override;

  // Transparent (False), TransparentColor (clNone) and SmoothStretching (False).
  static const TPropertyTable* PublishedProperties();

  // ---- Attributes ------------------------------------------------------------------------
  bool GetEmpty() const override;  // no section
  int GetWidth() const override { return FWidth; }
  int GetHeight() const override { return FHeight; }
  void SetWidth(int value) override;   // SetSizeIfChanged(value, Height): contents lost
  void SetHeight(int value) override;  // SetSizeIfChanged(Width, value)
  TGraphicClass GetGraphicClass() const override { return TGraphicClass::Of<TfcBitmap>(); }

  // The canvas over the memory DC; owned. Drawing on it needs a non-empty image.
  TCanvas* GetCanvas() const { return FCanvas.get(); }
  // True: a draw into a rectangle of another size resamples bilinearly; False: the device
  // stretches.
  bool GetSmoothStretching() const { return FSmoothStretching; }
  void SetSmoothStretching(bool value) { FSmoothStretching = value; }
  // The key of transparent drawing; clNone means the top-left pixel. A change drops the
  // cached mask.
  TColor GetTransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor value);
  // The format SaveToBitmap and the streamed file use (pf24bit by default).
  TPixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat value) { FPixelFormat = value; }
  // Palette policy on displays of 8 bits per pixel or fewer.
  bool GetRespectPalette() const { return FRespectPalette; }
  void SetRespectPalette(bool value) { FRespectPalette = value; }
  bool GetUseHalftonePalette() const { return FUseHalftonePalette; }
  void SetUseHalftonePalette(bool value) { FUseHalftonePalette = value; }
  // While True a same-size draw is an opaque copy even of a transparent image.
  bool GetSuppressTransparency() const { return FSuppressTransparency; }
  void SetSuppressTransparency(bool value) { FSuppressTransparency = value; }
  // While True Draw neither selects nor restores a palette.
  bool GetIgnorePalette() const { return FIgnorePalette; }
  void SetIgnorePalette(bool value) { FIgnorePalette = value; }
  // The source picture had a colour table / more colour bits than the screen.
  bool GetColorTableFound() const { return FColorTableFound; }
  bool GetNeedsHalftone() const { return FNeedsHalftone; }
  // The colour table read from the source picture (blue, green, red, reserved per entry).
  const std::array<RGBQUAD, 256>& GetColorTable() const { return FColorTable; }

  // ---- Pixels ------------------------------------------------------------------------------
  // The first byte of row 0; nullptr while empty. Writing pixels through it is followed by
  // Changed (or at least an effect call) so that the mask is dropped.
  uint8_t* GetBits() const { return FBits; }
  int GetRowPadding() const { return FRowPadding; }  // Width mod 4
  int GetRowStride() const { return FRowStride; }    // Width * 3 + RowPadding
  int GetImageSize() const { return FImageSize; }    // RowStride * Height
  // The first byte of row y (0 = top); nullptr outside 0..Height-1.
  uint8_t* GetRow(int y) const;
  // A view over the pixels (empty while the image is).
  TfcPixelView GetPixels() const;
  TfcColor GetPixel(int x, int y) const;  // black outside the image
  HDC GetMemoryDC() const { return FMemoryDC.get(); }
  HBITMAP GetDIBHandle() const { return FDIBHandle.get(); }
  // The monochrome mask of the key colour, built on first use: black where the image has
  // the key, white elsewhere. Owned by the image; nullptr while the image is empty.
  TBitmap* GetMask();

  // Kept pixels (see ReleaseHandle).
  bool HasKeptPixels() const { return !FKeptPixels.empty(); }
  int GetKeptSize() const { return static_cast<int>(FKeptPixels.size()); }
  TPoint GetKeptDimensions() const { return FKeptDimensions; }

  // ---- Change notification ----------------------------------------------------------------
  // Adds or removes a link (not owned: the caller unregisters it before freeing it).
  virtual void RegisterChanges(TfcChangeLink* link);
  virtual void UnRegisterChanges(TfcChangeLink* link);
  // Nothing while assigning; else OnChange, then every link's Change with this image as
  // Sender, in the order they were registered. Drops the cached mask.
  void Changed(TObject* sender) override;

  // ---- Life cycle and size ----------------------------------------------------------------
  virtual void Clear();  // FreeImage
  // A new white image; a dimension of 0 or less leaves the image empty.
  virtual void SetSize(int width, int height);
  virtual void SetSizeIfChanged(int width, int height);
  // Keeps the picture, stretched to the new size.
  virtual void Resize(int width, int height);
  // Frees the section, the DC and the mask; the image is empty after it.
  virtual void FreeImage();

  // ---- Conversion --------------------------------------------------------------------------
  // From a non-empty TBitmap (its pixel format and transparency taken too), an empty TBitmap
  // or nullptr (empties the image), any other graphic (through a TBitmap) or a TfcBitmap.
  // Fires one change notification.
  void Assign(TPersistent* source) override;
  virtual void LoadFromBitmap(TBitmap* bitmap);
  virtual void LoadFromGraphic(TGraphic* graphic);
  virtual void LoadViaBitmap(TPersistent* source);
  // pixelData holds size bytes in this class's own layout for dimensions (X wide, Y high).
  virtual void LoadFromDIBits(const void* pixelData, int size, TPoint dimensions);
  // bitmap gets this image's pixel format, size, colour table and pixels.
  virtual void SaveToBitmap(TBitmap* bitmap);

  // ---- Streaming ------------------------------------------------------------------------------
  // A complete BMP file (a 40x40 image in 24 bits is 4854 bytes); an empty image writes
  // nothing.
  void SaveToStream(TStream& stream) override;
  void LoadFromStream(TStream& stream) override;
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override {}
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override {}

  // ---- Kept pixels ------------------------------------------------------------------------------
  // Sets the pixels aside in memory and frees the GDI objects.
  virtual void ReleaseHandle();
  // Makes the section again from the kept pixels and frees them; no change is reported.
  virtual void RestoreHandle();
  virtual void FreeKeptPixels();

  // ---- Drawing ------------------------------------------------------------------------------
  void Draw(TCanvas* canvas, const TRect& r) override;
  virtual void SmoothStretchDraw(TCanvas* canvas, const TRect& r);
  virtual void StretchDrawTo(TCanvas* canvas, const TRect& r);
  virtual void TileDraw(TCanvas* canvas, const TRect& r);
  // Key pixels leave the target unchanged; all others are copied.
  virtual void TransparentDraw(TCanvas* canvas, const TRect& r);
  // Takes source's colour table (and what it says of the source's colours), which the
  // palette of ApplyPalette is made from.
  void CopyPaletteFrom(const TfcBitmap& source);
  // Selects the image's palette into the canvas on palette displays and returns the one
  // that was selected before (nullptr when nothing was done).
  virtual HPALETTE ApplyPalette(TCanvas* canvas);
  virtual void RestorePalette(TCanvas* canvas, HPALETTE previous);
  virtual void CreateImagePalette();

  // ---- Effects (in place; each drops the mask) ---------------------------------------------------
  virtual void BlurStep(int radius);
  virtual void Contrast(int amount);
  virtual void Emboss();
  virtual void Flip(bool horizontal);
  virtual void GaussianBlur(int amount);
  virtual void GrayScale();
  virtual void Invert();
  virtual void Lightness(int amount);
  virtual void MaskByColor(TfcPackedColor key);
  virtual void ReplaceColor(TfcPackedColor newColor, TfcPackedColor oldColor);
  virtual void AddColor(int r, int g, int b);
  // Pixels of TransparentColor (when it is not clNone) are left alone.
  virtual void Colorize(int r, int g, int b);
  virtual void Rotate(TPoint center, double angle);
  virtual void Saturation(int amount);
  virtual void Sharpen(int amount);
  virtual void Sponge(int amount);
  virtual void Wave(double xDiv, double yDiv, double ratio, bool wrap);

 protected:
  void AssignTo(TPersistent* dest) override;
  // Fills the row table and the sizes, makes the memory DC and selects the section into it;
  // frees everything when there is no section. Fires Changed.
  virtual void InitImage();
  virtual void NotifyChangeLinks();

 private:
  friend void AlphaBlend(TfcBitmap* image, TfcBitmap* blend, int amount, bool stretchIfNeeded);

  // Makes the DIB section of the current FWidth x FHeight; false (image freed) on failure.
  bool CreateSection();
  void DropMask() { FMaskBitmap.reset(); }
  // The pixels of the image copied into a buffer of its own.
  TfcPixelBuffer CopyPixels() const;

  // ---- Settings ----
  bool FSmoothStretching = false;            // bilinear resampling when stretched
  TColor FTransparentColor = clNone;         // key colour; clNone = the top-left pixel
  TPixelFormat FPixelFormat = pf24bit;       // of SaveToBitmap and the streamed file
  bool FRespectPalette = false;              // palette displays: the image's own palette
  bool FUseHalftonePalette = false;          // palette displays: a halftone palette
  bool FSuppressTransparency = false;        // same-size draws are opaque copies
  bool FIgnorePalette = false;               // Draw leaves the palette alone
  bool FAssigning = false;                   // Changed does nothing while set

  // ---- The image ----
  int FWidth = 0;                            // pixels; 0 while empty
  int FHeight = 0;
  int FRowPadding = 0;                       // bytes after each row: Width mod 4
  int FRowStride = 0;                        // Width * 3 + RowPadding
  int FImageSize = 0;                        // RowStride * Height
  uint8_t* FBits = nullptr;                  // row 0 of the section (owned by FDIBHandle)
  UniqueBitmap FDIBHandle;                   // the section; none = empty image
  UniqueDC FMemoryDC;                        // memory DC with the section selected
  HGDIOBJ FOldBitmap = nullptr;              // what FMemoryDC held before the section
  std::unique_ptr<TCanvas> FCanvas;          // canvas over FMemoryDC; owned
  std::vector<uint8_t*> FRowTable;           // start of every row, row 0 first
  std::unique_ptr<TBitmap> FMaskBitmap;      // cached monochrome mask, or none

  // ---- Kept pixels ----
  std::vector<uint8_t> FKeptPixels;          // pixels set aside by ReleaseHandle
  TPoint FKeptDimensions;                    // their width (X) and height (Y)

  // ---- Palette ----
  UniquePalette FPalette;                    // made for drawing on palette displays
  bool FColorTableFound = false;             // the source picture had a colour table
  bool FNeedsHalftone = false;               // the source has more colour bits than the screen
  std::array<RGBQUAD, 256> FColorTable{};    // colour table of the source picture

  std::vector<TfcChangeLink*> FChangeLinks;  // told of every change; not owned
};

// A monochrome mask of the image: bits 0 (black) where a pixel equals key, 1 (white)
// elsewhere. nullptr for an empty image or when the system has no room for it.
std::unique_ptr<TBitmap> CreateMaskBitmap(const TfcPixelView& image, TfcColor key);

// Mixes blend into image by amount/256 (0..255). A blend of another size is stretched to
// image's size first when stretchIfNeeded, else EInvalidOperation "In Alpha Blend, Blend
// Bitmap must be same dimensions as Current Bitmap" (image unchanged). When the blend is
// transparent, its pixels of its top-left pixel's colour leave image unchanged.
void AlphaBlend(TfcBitmap* image, TfcBitmap* blend, int amount, bool stretchIfNeeded);
