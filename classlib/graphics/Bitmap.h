// TBitmap: a raster image held as a device-dependent bitmap or a DIB section, with a canvas to
// draw on it, BMP file reading and writing, transparent drawing through a monochrome mask, and
// copy-on-write sharing of the image between bitmaps after Assign.
//
// Not done: saving always writes an uncompressed Windows BMP, so an RLE or OS/2 file that was
// loaded is written back expanded, in the Windows form.
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

// One image and its layout, shared by the bitmaps that Assign copied it to. The layout is
// kept while there is no handle (an empty or dormant bitmap remembers its pixel format).
class TBitmapImage : public TSharedImage {
  CLASSLIB_CLASS(TBitmapImage, TSharedImage)
  TBitmapImage() = default;
  ~TBitmapImage() override;

  UniqueBitmap FHandle;             // a DIB section (FIsDIB) or a DDB; none when empty or dormant
  UniquePalette FPalette;           // made on demand from the colour table, or given by SetPalette
  std::vector<uint8_t> FDormantBits;  // the BMP file of a dormant image (no handle then)
  int FWidth = 0;                   // pixels; 0 for an empty image
  int FHeight = 0;
  bool FIsDIB = false;              // bmDIB rather than bmDDB
  bool FMonochrome = false;         // a DDB of one bit per pixel
  int FBitCount = 0;                // of a DIB: 1, 4, 8, 16, 24 or 32
  bool FBitfields565 = false;       // a 16-bit DIB is 5-6-5 rather than 5-5-5
  bool FCustom = false;             // a DIB of some other layout (given by SetHandle)
  std::vector<RGBQUAD> FColorTable; // of a DIB of <= 8 bits
  uint8_t* FBits = nullptr;         // the DIB section's pixels (owned by FHandle)
  bool FTopDown = false;            // FBits holds the top row first
  int FRowBytes = 0;                // bytes per row of FBits

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
  // The palette drawing selects on palette devices; for a DIB of <= 8 bits it is made from
  // the colour table. The bitmap owns it.
  HPALETTE GetPalette() const override;
  // Takes ownership of value (the bitmap frees it); a DIB of <= 8 bits takes its colours as
  // the colour table, its pixels mapped to the nearest of them.
  void SetPalette(HPALETTE value) override;

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

  // The key colour of transparent drawing: the bottom-left pixel in tmAuto (clDefault for
  // an empty bitmap), otherwise the colour set (system colours resolved).
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
  // Turns the bitmap into a monochrome one: white where it had transparentColor, black
  // elsewhere.
  void Mask(TColor transparentColor);

  void Changed(TObject* sender) override;

 protected:
  // Called before the pixels may change (drawing on the canvas, handing out the handle, the
  // canvas's DC or a scan line): separates the image and drops the mask. A descendant that
  // keeps something derived from the pixels drops it here.
  virtual void Changing();

 private:
  friend class TBitmapCanvas;
  struct TLayout;

  // ---- Image handling --------------------------------------------------------------------
  // Makes the handle again from the bytes of a dormant image.
  void HandleNeeded() const;
  void PaletteNeeded() const;
  void MaskHandleNeeded();
  // Holds image (a new, unreferenced one) instead of the current one.
  void ReplaceImage(TBitmapImage* image);
  // Separates the image from the other bitmaps that hold it before it is written.
  void Unshare();
  // Copies the image into a new one of the given layout and size; parts that the old image
  // does not cover take the canvas's brush colour.
  void CopyImage(const TLayout& layout, int width, int height);
  TLayout CurrentLayout() const;
  void LoadFromBmp(const TBmpImage& bmp);
  void LoadFromBytes(const uint8_t* data, size_t size);
  // The image as a BMP file (empty for an empty bitmap).
  std::vector<uint8_t> SaveToBytes() const;
  TBmpImage ImageToBmp() const;
  // A monochrome bitmap of the image's size: 1 where the image has key, 0 elsewhere.
  UniqueBitmap MakeMask(COLORREF key);
  // A DC with the image selected, for reading it: the canvas's own DC.
  HDC SourceDC();
  // Frees the canvas's device context so that the image's handle is selected nowhere.
  void FreeCanvasContext();
  void DropMask();

  TBitmapImage* FImage = nullptr;           // shared; this bitmap holds one reference
  std::unique_ptr<TBitmapCanvas> FCanvas;   // made on demand; owned
  UniqueBitmap FMaskHandle;                 // the mask of the key colour; this bitmap's own
  bool FMaskValid = false;                  // FMaskHandle matches the pixels and the key
  TColor FTransparentColor = clDefault;     // clDefault: the bottom-left pixel (tmAuto)
  TTransparentMode FTransparentMode = tmAuto;
  bool FIgnorePalette = false;              // draw without selecting the palette
};

// Switches on, for the rest of the process, that drawing a bitmap holds its canvas lock for
// the duration of the draw, so that no bitmap is drawn by two threads at once. A control
// that draws from a worker thread switches it on; until then drawing takes no lock.
void LockBitmapDrawing();
bool BitmapDrawingLocked();

// Frees the device contexts of the bitmap canvases that are not locked; each is made again
// when its bitmap is next drawn on. Called when the program is idle, so that many bitmaps do
// not hold many DCs.
void FreeMemoryContexts();
