// TBevel and TShape: windowless controls that draw a 3-D line or box, and a filled
// geometric shape.
//
// A bevel draws one-pixel lines in the button shadow and highlight colours: a box (sunken
// or raised), a frame (a groove or a ridge), or a single line along one edge; a spacer draws
// nothing. A shape draws a rectangle, square, rounded rectangle or square, ellipse or circle
// with its Pen and Brush; squares and circles take the smaller side and sit centred.
#pragma once
#include <memory>
#include "../controls/Controls.h"

// ---- TBevel ------------------------------------------------------------------------------------
enum TBevelStyle { bsLowered, bsRaised };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TGraphicControl {
  CLASSLIB_CLASS(TBevel, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  // 50 x 50, a lowered box.
  explicit TBevel(TComponent* owner);

  TBevelShape GetShape() const { return FShape; }
  void SetShape(TBevelShape value);
  TBevelStyle GetStyle() const { return FStyle; }
  void SetStyle(TBevelStyle value);

 protected:
  void Paint() override;

 private:
  TBevelStyle FStyle = bsLowered;
  TBevelShape FShape = bsBox;
};

// ---- TShape -------------------------------------------------------------------------------------
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// Where a shape is drawn inside a control of the given size with a pen of penWidth: the
// rectangle passed to Rectangle/RoundRect/Ellipse (squares and circles centred on the
// smaller side). Halves are integer quotients truncated toward zero, as the drawing takes them.
TRect ShapeRect(TShapeType shape, int width, int height, int penWidth);

class TShape : public TGraphicControl {
  CLASSLIB_CLASS(TShape, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  // 65 x 65, a rectangle with a black pen and a white brush.
  explicit TShape(TComponent* owner);

  // The outline and the fill; owned. The writers copy the value (Assign).
  TPen* GetPen() const { return FPen.get(); }
  void SetPen(TPen* value);
  TBrush* GetBrush() const { return FBrush.get(); }
  void SetBrush(TBrush* value);
  TShapeType GetShape() const { return FShape; }
  void SetShape(TShapeType value);

 protected:
  void Paint() override;

 private:
  // The pen or brush changed: repaint.
  void StyleChanged(TObject* sender);

  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TShapeType FShape = stRectangle;
};
