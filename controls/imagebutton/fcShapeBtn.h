// TfcCustomShapeBtn and TfcShapeBtn: an image button whose face is a shape drawn in Color:
// a rounded rectangle, an ellipse, or a polygon (triangle, arrow, diamond, rectangle, star,
// trapezoid, or custom corner points written as expressions of WIDTH and HEIGHT), turned by
// Orientation. The window region is cut from the drawn shape, so clicks outside it fall
// through. Regions are kept in memory only, never stored in layouts.
//
// A custom point list that cannot be read raises its error to whoever was drawing or
// building the region (a window procedure hands it to the application) and the button
// falls back to a rectangle.
#pragma once
#include <memory>
#include <vector>
#include "classlib/classes/StringList.h"
#include "fcImgBtn.h"

enum TfcButtonShape {
  bsRoundRect, bsEllipse, bsTriangle, bsArrow, bsDiamond, bsRect, bsStar, bsTrapezoid, bsCustom
};
enum TfcShapeOrientation { soLeft, soRight, soUp, soDown };
extern const TEnumInfo fcButtonShapeIdents;
extern const TEnumInfo fcShapeOrientationIdents;

// The corner points of a polygon shape for a button of (w + 1) x (h + 1) pixels, closed (the
// first point repeated) and turned; empty for the rounded shapes, for bsCustom (see
// ParseCustomPoints) and below 2 x 2 pixels.
std::vector<TPoint> ShapePolygon(TfcButtonShape shape, TfcShapeOrientation orientation, int w,
                                 int h);
// Turns closed points by quarter turns (soUp none, soRight one, soDown two, soLeft three),
// each mapping (x, y) to (w - y * w / h, x * h / w). Nothing for w or h below 1.
void TurnShapePoints(std::vector<TPoint>& points, TfcShapeOrientation orientation, int w, int h);
// The points of a custom list, one "X, Y" expression pair per line with WIDTH and HEIGHT
// replaced by size; empty for fewer than three lines. EInvalidOperation for a line without
// a comma, and the evaluator's errors.
std::vector<TPoint> ParseCustomPoints(const TStrings& lines, TPoint size);

class TfcCustomShapeBtn : public TfcCustomImageBtn {
  CLASSLIB_CLASS(TfcCustomShapeBtn, TfcCustomImageBtn)
  static const TPropertyTable* PublishedProperties();
  explicit TfcCustomShapeBtn(TComponent* owner);
  ~TfcCustomShapeBtn() override;

  TfcButtonShape GetShape() const { return FShape; }
  void SetShape(TfcButtonShape value);
  TfcShapeOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TfcShapeOrientation value);
  int GetRoundRectBias() const { return FRoundRectBias; }
  void SetRoundRectBias(int value);
  TStringList* GetPointList() const { return FPointList.get(); }  // owned
  void SetPointList(TStrings* value);                              // copies value

  // The closed polygon of the present shape and size; empty when there is none. A custom
  // list that fails sets Shape back to bsRect (without making the window again) and raises.
  std::vector<TPoint> GetShapePoints();
  virtual bool IsRoundShape() const { return FShape == bsRoundRect || FShape == bsEllipse; }
  // The colour outside the shape in the drawn face: red, or blue for a red button.
  TColor RegionKeyColor() const;

  bool UseRegions() override { return true; }
  bool IsMultipleRegions() override { return false; }
  void SizeToDefault() override;

 protected:
  UniqueRegion CreateRegion(bool build, bool down) override;
  bool StoreRegionData() override { return false; }
  void DrawButtonFace(TfcBitmap* target, bool faceOnly, bool down, TfcShadeStyle style) override;
  void AssignTo(TPersistent* dest) override;
  // The 3-D edges of a polygon: a lighter and a darker line inside or outside each edge.
  void DrawShapeEdges(HDC dc, const std::vector<TPoint>& points, bool down);

 private:
  // Stores the change and draws the button again from a fresh region.
  void ShapeChanged();

  TfcButtonShape FShape = bsRect;
  TfcShapeOrientation FOrientation = soUp;
  int FRoundRectBias = 25;
  std::unique_ptr<TStringList> FPointList;  // custom points, "X, Y" per line
};

class TfcShapeBtn : public TfcCustomShapeBtn {
  CLASSLIB_CLASS(TfcShapeBtn, TfcCustomShapeBtn)
  explicit TfcShapeBtn(TComponent* owner) : TfcCustomShapeBtn(owner) {}
};
