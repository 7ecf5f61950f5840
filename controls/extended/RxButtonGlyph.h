// The glyph side of the extended speed buttons: a glyph strip cut into state images kept in
// image lists shared by every button of the program.
//
// TGlyphList is an image list that knows which of its slots are used; TGlyphCache holds one
// glyph list per image size, made on demand and freed when its last image goes. The cache
// itself exists while any glyph renderer exists: the first renderer makes it, the last one
// frees it. TRxButtonGlyph cuts its strip into the images of the five button states and
// draws glyph, caption and drop-down mark on a button face.
#pragma once
#include <array>
#include <memory>
#include <vector>

#include "classlib/controls/Panels.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/stdctrls/ButtonGlyphs.h"

// The fifth state of these buttons: a flat button without the mouse over it.
inline constexpr TButtonState bsInactive = static_cast<TButtonState>(4);
// 1..5 images in a strip.
using TRxNumGlyphs = int;

class TGlyphList : public TCustomImageList {
  CLASSLIB_CLASS(TGlyphList, TCustomImageList)
  TGlyphList(int width, int height);

  // Each puts the image into the first free slot and returns its index.
  int AddGlyph(TBitmap* image, TBitmap* mask);
  int AddGlyphMasked(TBitmap* image, TColor maskColor);
  // Frees the slot (nothing when it is not used).
  void DeleteGlyph(int index);
  int GetUsedCount() const { return FUsedCount; }

 private:
  int AllocateIndex();

  std::vector<bool> FUsed;  // one per slot of the list
  int FUsedCount = 0;       // slots in use
};

class TGlyphCache {
 public:
  ~TGlyphCache();
  // The list for images of this size (made when there is none).
  TGlyphList* GetList(int width, int height);
  // Frees the list when no image of it is used any more.
  void ReturnList(TGlyphList* list);
  bool Empty() const { return FLists.empty(); }
  int ListCount() const { return static_cast<int>(FLists.size()); }

 private:
  std::vector<std::unique_ptr<TGlyphList>> FLists;
};

// The process's cache while glyph renderers exist; nullptr otherwise.
TGlyphCache* GlyphCache();

class TRxButtonGlyph {
 public:
  TRxButtonGlyph();
  ~TRxButtonGlyph();
  TRxButtonGlyph(const TRxButtonGlyph&) = delete;
  TRxButtonGlyph& operator=(const TRxButtonGlyph&) = delete;

  // ---- Attributes --------------------------------------------------------------------
  TBitmap* GetGlyph() const { return FOriginal.get(); }  // owned
  void SetGlyph(TBitmap* value);                          // copies value; nullptr empties it
  TRxNumGlyphs GetNumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TRxNumGlyphs value);                  // 1..5
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  TColor GetTransparentColor() const { return FTransparentColor; }
  // The glyph is an image taken from an image list (an action's): disabled, it shows the
  // image list's disabled image (its shape in highlight one pixel down-right, then shadow).
  bool GetFromImageList() const { return FFromImageList; }
  void SetFromImageList(bool value);

  // ---- Operations --------------------------------------------------------------------
  // The image list index of a state's image, made on first use; -1 without a glyph.
  int CreateButtonGlyph(TButtonState state);
  // The list holding the images (nullptr before the first one).
  TGlyphList* GetGlyphList() const { return FGlyphList; }
  // Drops the state images (made again when next drawn).
  void Invalidate();
  // Draws glyph and caption into client and returns the caption's rectangle.
  TRect Draw(TCanvas* canvas, const TRect& client, const TPoint& offset, const String& caption,
             TButtonLayout layout, int margin, int spacing, bool dropDownMark,
             TButtonState state, UINT biDiFlags);

  TNotifyEvent OnChange;

 private:
  void GlyphChanged(TObject* sender);
  void DrawGlyph(TCanvas* canvas, const TPoint& pos, TButtonState state);
  void DrawCaption(TCanvas* canvas, const String& caption, TRect r, TButtonState state,
                   UINT biDiFlags);
  void DrawMark(TCanvas* canvas, int x, int y, TButtonState state);

  std::unique_ptr<TBitmap> FOriginal;        // the strip
  TGlyphList* FGlyphList = nullptr;          // from the cache; not owned
  std::array<int, 5> FIndexes{-1, -1, -1, -1, -1};  // per state, in FGlyphList
  TColor FTransparentColor = clFuchsia;
  TRxNumGlyphs FNumGlyphs = 1;
  TAlignment FAlignment = taCenter;
  bool FWordWrap = false;
  bool FFromImageList = false;
};
