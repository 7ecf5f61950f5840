// TBitmap: a raster image held as a device-dependent bitmap or a DIB section, with a canvas to
// draw on it, BMP file reading and writing, transparent drawing through a monochrome mask, and
// copy-on-write sharing of the image between bitmaps after Assign.
#pragma once
#include <memory>
#include "Colors.h"
#include "GdiHandles.h"
#include "Graphic.h"

struct TBmpImage;
class TBitmapCanvas;

enum TBitmapHandleType { bmDIB, bmDDB };
// pfDevice: a device-dependent bitmap of the screen's format. pf15bit is 16-bit 555,
// pf16bit 16-bit 565 (bit fields); pfCustom is any other DIB layout (it cannot be set).
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
// tmAuto takes the key colour of transparent drawing from the bottom-left pixel; tmFixed uses
// TransparentColor as set.
enum TTransparentMode { tmAuto, tmFixed };

// The handles of one image, shared by the bitmaps that Assign copied it to.
class TBitmapImage : public TSharedImage {
  CLASSLIB_CLASS(TBitmapImage, TSharedImage)
  TBitmapImage() = default;
  ~TBitmapImage() override;

  UniqueBitmap FHandle;      // the image: a DIB section (bmDIB) or a DDB; none when empty
  UniqueBitmap FMaskHandle;  // monochrome mask of the key colour, made on demand
  UniquePalette FPalette;    // the image's palette (<= 8-bit DIBs and palettized DDBs)
  DIBSECTION FDIB{};         // the layout; dsBm.bmBits is null for a DDB
  bool FIsDIB = false;       // FHandle is a DIB section
  int FWidth = 0;            // size, also kept while FHandle is dormant or absent
  int FHeight = 0;
  bool FMonochrome = false;  // a 1-bit black-and-white DDB
  std::vector<uint8_t> FDormantBits;  // the BMP file of a dormant image (no handle held)

 protected:
  void FreeHandle() override;
};

class TBitmap : public TGraphic {
  CLASSLIB_CLASS(TBitmap, TGraphic)
  TBitmap();
  ~TBitmap() override;

  // ---- Attributes ------------------------------------------------------------------------
  bool GetEmpty() const override;
  int GetWidth() const override;
  // Resizing keeps the image's top-left part as far as it fits; new parts take the canvas's
  // brush colour (white unless the canvas says otherwise).
  void SetWidth(int value) override;
  int GetHeight() const override;
  void SetHeight(int value) override;
  void SetSize(int width, int height);
  HPALETTE GetPalette() const override;
  // Takes ownership of value (the bitmap frees it).
  void SetPalette(HPALETTE value) override;
  void SetTransparent(bool value) override;

  TBitmapHandleType GetHandleType() const;
  void SetHandleType(TBitmapHandleType value);  // converts the image
  TPixelFormat GetPixelFormat() const;
  // Converts the image; pfCustom raises EInvalidGraphic "Invalid pixel format".
  void SetPixelFormat(TPixelFormat value);
  bool GetMonochrome() const;
  void SetMonochrome(bool value);  // converts to or from a black-and-white DDB
  bool GetIgnorePalette() const { return FIgnorePalette; }
  void SetIgnorePalette(bool value) { FIgnorePalette = value; }

  // The canvas that draws on the image; made on the first call and owned by the bitmap.
  // Drawing through it separates a shared image from the other bitmaps first.
  TCanvas* GetCanvas();
  bool HandleAllocated() const;
  // The image's handle (made when needed; 0 while the bitmap is empty). The bitmap keeps
  // owning it.
  HBITMAP GetHandle();
  // Takes ownership of value (a DDB or a DIB section) and drops the old image.
  void SetHandle(HBITMAP value);
  // Gives up the image's handle: the caller owns and frees it; the bitmap becomes empty.
  HBITMAP ReleaseHandle();
  // The monochrome mask of the key colour (1 where the image has TransparentColor), made on
  // demand and dropped when the pixels or the key change. The bitmap owns it.
  HBITMAP GetMaskHandle();
  void SetMaskHandle(HBITMAP value);  // takes ownership
  HBITMAP ReleaseMaskHandle();        // the caller owns the result
  HPALETTE ReleasePalette();          // the caller owns the result

  // The key colour of transparent drawing: the bottom-left pixel in tmAuto (white for a
  // monochrome bitmap), otherwise the colour set (system colours resolved).
  TColor GetTransparentColor();
  void SetTransparentColor(TColor value);  // switches to tmFixed (clDefault to tmAuto)
  TTransparentMode GetTransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);

  // The first byte of image row `row` (0 = top) in the DIB section; converts a DDB to a DIB
  // first and separates a shared image. EInvalidGraphicOperation "Scan line index out of
  // range" outside 0..Height-1.
  void* GetScanLine(int row);

  TGraphicClass GetGraphicClass() const override { return TGraphicClass::Of<TBitmap>(); }

  // ---- Operations ------------------------------------------------------------------------
  // Shares source's image (TBitmap) until one of them is written; nullptr empties the bitmap.
  void Assign(TPersistent* source) override;
  void Draw(TCanvas* canvas, const TRect& r) override;

  // Reads a BMP file from the stream's position (EInvalidGraphic when it is not valid).
  void LoadFromStream(TStream& stream) override;
  // Writes a BMP file (nothing for an empty bitmap).
  void SaveToStream(TStream& stream) override;
  // The bitmap resource (RT_BITMAP) name or id of the module instance.
  void LoadFromResourceName(HINSTANCE instance, const String& name);
  void LoadFromResourceID(HINSTANCE instance, int id);
  // CF_BITMAP (a DDB, with palette) or CF_DIB (a packed DIB in global memory).
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  // Hands out CF_BITMAP: a copy of the image as a DDB, and a copy of the palette.
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

  // Layout "Data": a 32-bit byte count followed by the BMP file.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;
  bool Equals(TGraphic* other) override;

  // Keeps the image as a BMP in memory and frees its handles (they are made again on use).
  void Dormant();
  // Separates a shared image (copies it) or, when unshared, drops the mask.
  void FreeImage();
  // Makes the mask from the key colour now.
  void Mask(TColor transparentColor);

  void Changed(TObject* sender) override;

 private:
  friend class TBitmapCanvas;

  // ---- Image handling --------------------------------------------------------------------
  // Makes the handle from the dormant bytes when the image is dormant.
  void HandleNeeded() const;
  void MaskHandleNeeded();
  // Replaces the image by a new unshared one holding the given handles.
  void NewImage(UniqueBitmap handle, UniquePalette palette, bool isDIB);
  // Drops the image and holds a new, empty one.
  void ResetImage();
  // Separates the image from other holders before it is written.
  void Unshare();
  // Called by the canvas before it draws: separates and drops the mask.
  void Changing();
  // Copies the image into a new one of the given layout and size.
  void CopyImage(int width, int height, TBitmapHandleType type, int bitCount,
                 bool bitfields565, HPALETTE palette, bool monochrome);
  void LoadFromBmp(const TBmpImage& bmp);
  void LoadFromBytes(const uint8_t* data, size_t size);
  std::vector<uint8_t> SaveToBytes() const;
  // Frees the canvas's device context so that the image's handle is not selected anywhere.
  void FreeCanvasContext();

  TBitmapImage* FImage = nullptr;               // shared; one reference held
  std::unique_ptr<TBitmapCanvas> FCanvas;       // made on demand; owned
  TColor FTransparentColor = clDefault;         // clDefault: the bottom-left pixel (tmAuto)
  TTransparentMode FTransparentMode = tmAuto;
  bool FIgnorePalette = false;                  // draw without selecting the palette
  bool FMaskValid = false;                      // FImage->FMaskHandle matches the pixels
};
