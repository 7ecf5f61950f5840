// The drawing tools of a canvas: TFont, TPen and TBrush.
//
// Each tool describes a logical GDI object by value. Tools with the same description share
// one GDI handle through a process-wide cache that counts its users; the handle is made on
// first use (GetHandle) and deleted when the last tool using it changes or goes. The cache
// is guarded by a lock, so tools may be used from more than one thread; one tool itself is
// not meant to be changed from two threads at once (lock its canvas for that).
#pragma once
#include <compare>
#include <cstdint>
#include "../classes/Events.h"
#include "../classes/Persistent.h"
#include "../classes/Sets.h"
#include "Colors.h"

class TBitmap;

// One shared GDI object: its description, its handle once made, and its number of users.
// Defined in GraphicsObjects.cpp; the tools hold it only by pointer.
template <class Data>
struct TGdiResource;

// ---- TGraphicsObject --------------------------------------------------------------------
// Base of the tools: the change event that lets the owner (a canvas, a control) follow the
// tool's state.
class TGraphicsObject : public TPersistent {
  CLASSLIB_CLASS(TGraphicsObject, TPersistent)

  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }

  // True when the tool's GDI handle has been made.
  virtual bool HandleAllocated() const = 0;

 protected:
  // Tells the owner that the tool changed (calls OnChange).
  virtual void Changed();

 private:
  TNotifyEvent FOnChange;  // the owner's handler; called after every change
};

// ---- TFont --------------------------------------------------------------------------------
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
// The identifiers of the character sets (GB2312_CHARSET, DEFAULT_CHARSET, ...), as stored
// layouts write Font.Charset.
bool CharsetToIdent(int32_t charset, String& ident);
bool IdentToCharset(const String& ident, int32_t& charset);

// The description of a font as the cache keys it. Handle is set only for a font whose
// handle was given to it (SetHandle): such a font is never merged with a made one.
struct TFontData {
  uintptr_t Handle = 0;    // the adopted HFONT, or 0
  int Height = 0;          // LOGFONT height: negative = character height in pixels
  int Orientation = 0;     // escapement and orientation, tenths of degrees
  TFontPitch Pitch = fpDefault;
  uint8_t Style = 0;       // bit n set for TFontStyle n
  TFontCharset Charset = DEFAULT_CHARSET;
  String Name;             // face name, at most LF_FACESIZE - 1 characters
  auto operator<=>(const TFontData&) const = default;
};

// The defaults of a new font. The program shows Chinese text, so the default face is the
// system's Song face with the GB2312 character set rather than a Latin face.
inline constexpr const wchar_t* DefaultFontName = L"宋体";
inline constexpr int DefaultFontSize = 9;
inline constexpr TFontCharset DefaultFontCharset = GB2312_CHARSET;

// The screen's vertical resolution in pixels per inch, read once.
int ScreenLogPixels();

class TFont : public TGraphicsObject {
  CLASSLIB_CLASS(TFont, TGraphicsObject)
  // The properties a stored layout keeps (GraphicsProperties.cpp).
  static const TPropertyTable* PublishedProperties();
  // A font of DefaultFontName, DefaultFontSize points, DefaultFontCharset, clWindowText,
  // measured at ScreenLogPixels().
  TFont();
  ~TFont() override;

  // ---- Attributes ------------------------------------------------------------
  // The HFONT, made on demand. The font keeps it; callers must not delete it.
  HFONT GetHandle();
  // Takes a font the caller made: the LOGFONT is read back and the font owns the handle
  // from now on (deletes it when no longer used). A handle another tool already holds is
  // shared, not taken twice. nullptr is ignored.
  void SetHandle(HFONT value);
  bool HandleAllocated() const override;

  String GetName() const;
  void SetName(const String& value);     // an empty name is ignored
  int GetSize() const;                   // points: -MulDiv(Height, 72, PixelsPerInch)
  void SetSize(int value);               // Height := -MulDiv(value, PixelsPerInch, 72)
  int GetHeight() const;
  void SetHeight(int value);
  TFontStyles GetStyle() const;
  void SetStyle(TFontStyles value);
  TColor GetColor() const { return FColor; }   // the text colour; not part of the HFONT
  void SetColor(TColor value);
  TFontCharset GetCharset() const;
  void SetCharset(TFontCharset value);
  TFontPitch GetPitch() const;
  void SetPitch(TFontPitch value);
  int GetOrientation() const;            // tenths of degrees, counter-clockwise
  void SetOrientation(int value);
  int GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int value);      // values <= 0 are ignored

  // ---- Operations ------------------------------------------------------------
  // Copies another font's description and colour; keeps this font's PixelsPerInch and,
  // where the two differ, its point size rather than its pixel height.
  void Assign(TPersistent* source) override;

 private:
  const TFontData& Data() const;
  void SetData(const TFontData& data);

  TGdiResource<TFontData>* FResource;  // the shared description and handle
  TColor FColor = clWindowText;        // text colour
  int FPixelsPerInch;                  // resolution Size is measured at
};

// ---- TPen ---------------------------------------------------------------------------------
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
// The R2_xxx raster operation of a pen mode.
int PenModeToROP2(TPenMode mode);

struct TPenData {
  uintptr_t Handle = 0;  // the adopted HPEN, or 0
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
  auto operator<=>(const TPenData&) const = default;
};

class TPen : public TGraphicsObject {
  CLASSLIB_CLASS(TPen, TGraphicsObject)
  // The properties a stored layout keeps (GraphicsProperties.cpp).
  static const TPropertyTable* PublishedProperties();
  // A solid black pen of width 1 drawing in pmCopy.
  TPen();
  ~TPen() override;

  HPEN GetHandle();              // made on demand; the pen keeps it
  void SetHandle(HPEN value);    // as TFont::SetHandle, reading the LOGPEN back
  bool HandleAllocated() const override;

  TColor GetColor() const;
  void SetColor(TColor value);
  int GetWidth() const;
  void SetWidth(int value);      // values below 0 are ignored
  TPenStyle GetStyle() const;
  void SetStyle(TPenStyle value);
  TPenMode GetMode() const { return FMode; }   // a DC setting, not part of the HPEN
  void SetMode(TPenMode value);

  void Assign(TPersistent* source) override;

 private:
  const TPenData& Data() const;
  void SetData(const TPenData& data);

  TGdiResource<TPenData>* FResource;  // the shared description and handle
  TPenMode FMode = pmCopy;            // raster operation used with this pen
};

// ---- TBrush -------------------------------------------------------------------------------
enum TBrushStyle {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};

struct TBrushData {
  uintptr_t Handle = 0;     // the adopted HBRUSH, or 0
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  uintptr_t Bitmap = 0;     // pattern bitmap (HBITMAP) the handle is made from, or 0
  uint32_t PatternId = 0;   // nonzero for a pattern brush: such brushes are never shared
  auto operator<=>(const TBrushData&) const = default;
};

class TBrush : public TGraphicsObject {
  CLASSLIB_CLASS(TBrush, TGraphicsObject)
  // The properties a stored layout keeps (GraphicsProperties.cpp).
  static const TPropertyTable* PublishedProperties();
  // A solid white brush.
  TBrush();
  ~TBrush() override;

  HBRUSH GetHandle();             // made on demand; the brush keeps it
  void SetHandle(HBRUSH value);   // as TFont::SetHandle, reading the LOGBRUSH back
  bool HandleAllocated() const override;

  // A new colour or style drops the pattern bitmap (set them before the bitmap). A colour
  // makes a bsClear brush solid; bsClear sets the colour to clWhite, so that all clear
  // brushes are one.
  TColor GetColor() const;
  void SetColor(TColor value);
  TBrushStyle GetStyle() const;
  void SetStyle(TBrushStyle value);

  // The pattern bitmap. The brush does not own it; the pattern brush is made at once from
  // the bitmap's current image, so the bitmap may change or go afterwards. nullptr clears
  // the pattern. A monochrome pattern draws its 0 bits in the DC's text colour and its 1
  // bits in the brush colour. GetBitmap gives back the pointer set, which is valid only as
  // long as that bitmap lives.
  TBitmap* GetBitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* value);
  // The same with a bare bitmap handle, which the caller keeps owning.
  void SetBitmapHandle(HBITMAP value);

  void Assign(TPersistent* source) override;

 private:
  const TBrushData& Data() const;
  void SetData(const TBrushData& data);
  // Makes the pattern brush of bitmap now (nullptr for a plain brush) and records owner.
  void SetPattern(HBITMAP bitmap, TBitmap* owner);
  void DropPattern(TBrushData& data);

  TGdiResource<TBrushData>* FResource;  // the shared description and handle
  TBitmap* FBitmap = nullptr;           // pattern bitmap, not owned
};
