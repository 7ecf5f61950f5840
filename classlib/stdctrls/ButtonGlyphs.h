// The picture side of the bitmap buttons (TBitBtn, TSpeedButton): the glyph strip with its
// state images, the layout of glyph and caption on a button face, and the drawing of both.
//
// A glyph is a strip of one to four equally wide images: up, disabled, down and exclusive
// (held down). A state without its own image uses the up image; a missing disabled image is
// made from the up image as an embossed silhouette of its darker pixels. The pixels of the
// key colour (the strip's bottom-left pixel unless the strip has a fixed transparent
// colour) are not drawn.
#pragma once
#include <array>
#include <memory>
#include "../classes/Events.h"
#include "../graphics/Bitmap.h"
#include "../graphics/Canvas.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
// The number of images in a glyph strip: 1 to 4.
using TNumGlyphs = int;

// Where a glyph of glyphSize and a caption of textSize go on a button face client, moved by
// offset (a pressed face is drawn one pixel down and right). margin is the space between the
// face's edge and the glyph (-1: the pair is centred); spacing the space between glyph and
// text (-1: the rest is shared out evenly). With rightToLeft a glyph on the left goes right
// and the other way round.
struct TButtonFaceLayout {
  TPoint GlyphPos;   // top-left corner of the glyph
  TRect TextBounds;  // the caption's rectangle
};
TButtonFaceLayout CalcButtonLayout(const TRect& client, const TPoint& offset, TSize glyphSize,
                                   TSize textSize, TButtonLayout layout, int margin,
                                   int spacing, bool rightToLeft);

// Makes into result an image of source's size: the key colour everywhere except where
// source has a dark pixel (not the key colour, not light), which is drawn as an etched
// silhouette in the button highlight and shadow colours. result's transparent colour is
// set to the key it uses.
void MakeDisabledGlyph(TBitmap* source, TColor key, TBitmap* result);

class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // ---- Attributes --------------------------------------------------------------------
  // The strip; owned (empty when there is no glyph). Drawing on it does not update the
  // state images: set it again after changing it.
  TBitmap* GetGlyph() const { return FOriginal.get(); }
  // Copies value (nullptr empties the glyph). A strip whose width is a multiple of its
  // height (at most four times) sets NumGlyphs to that multiple.
  void SetGlyph(TBitmap* value);
  TNumGlyphs GetNumGlyphs() const { return FNumGlyphs; }
  // Values below 1 are ignored.
  void SetNumGlyphs(TNumGlyphs value);
  // The size of one image of the strip (0 x 0 without a glyph).
  TSize GlyphSize() const;

  // ---- Operations --------------------------------------------------------------------
  // The image drawn for a state (made on first use); nullptr without a glyph. Owned.
  TBitmap* StateImage(TButtonState state);
  // Draws glyph and caption on the face client of canvas (canvas's font) and returns the
  // caption's rectangle. A disabled caption is drawn embossed. Without transparent the
  // glyph's background is the button face colour.
  TRect Draw(TCanvas* canvas, const TRect& client, const TPoint& offset, const String& caption,
             TButtonLayout layout, int margin, int spacing, TButtonState state,
             bool transparent, UINT biDiFlags);

  // Drops the state images, which are made again from the strip when next drawn (after
  // the system's colours changed, say).
  void Invalidate();

  // Told when the glyph or the number of images changes.
  TNotifyEvent OnChange;

 private:
  void Changed();
  void DrawGlyph(TCanvas* canvas, const TPoint& pos, TButtonState state, bool transparent);
  void DrawCaption(TCanvas* canvas, const String& caption, TRect& bounds, TButtonState state,
                UINT biDiFlags);

  std::unique_ptr<TBitmap> FOriginal;                  // the strip
  TNumGlyphs FNumGlyphs = 1;                           // images in the strip
  TColor FTransparentColor = clOlive;                  // the key colour of the strip
  std::array<std::unique_ptr<TBitmap>, 4> FImages;     // per state, made on demand
};
