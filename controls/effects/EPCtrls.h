// TepBevel: a windowless box, frame or line drawn in two colours of the user's choice; the
// frames of most windows.
//
// A raised bevel draws its top and left lines in InnerColor and its bottom and right lines in
// OuterColor; a lowered one the other way round. The enumerations are scoped because the
// standard bevel of the class library uses the same value names; layouts store the names.
#pragma once
#include <vector>
#include "classlib/classes/Properties.h"
#include "classlib/controls/Controls.h"

class TPropertyTable;

enum class TepBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };
enum class TepBevelStyle { bsLowered, bsRaised };
extern const TEnumInfo EpBevelShapeIdents;  // "bsBox" ... "bsRightLine"
extern const TEnumInfo EpBevelStyleIdents;  // "bsLowered", "bsRaised"

// One line of a bevel: from From to To (To itself not drawn, as LineTo draws), in the first
// colour (First) or the second.
struct TBevelLine {
  TPoint From;
  TPoint To;
  bool First;
};
// The lines a bevel of width × height draws for shape, in drawing order: a box outline is
// the first colour from bottom-left up to top-left and on to top-right, then the second
// from top-right down to bottom-right and on to bottom-left.
std::vector<TBevelLine> BevelLines(TepBevelShape shape, int width, int height);

class TepBevel : public TGraphicControl {
  CLASSLIB_CLASS(TepBevel, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  // 50 × 50, a lowered box in the button highlight and shadow colours.
  explicit TepBevel(TComponent* owner);

  // ---- Attributes (Shape and Style repaint only on a change; the colours always) -----------
  TepBevelShape GetShape() const { return FShape; }
  void SetShape(TepBevelShape value);
  TepBevelStyle GetStyle() const { return FStyle; }
  void SetStyle(TepBevelStyle value);
  TColor GetInnerColor() const { return FInnerColor; }
  void SetInnerColor(TColor value);
  TColor GetOuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor value);

 protected:
  void Paint() override;

 private:
  TepBevelShape FShape = TepBevelShape::bsBox;
  TepBevelStyle FStyle = TepBevelStyle::bsLowered;
  TColor FInnerColor = clBtnHighlight;  // top-left lines of a raised bevel
  TColor FOuterColor = clBtnShadow;     // bottom-right lines of a raised bevel
};
