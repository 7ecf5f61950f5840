// TCanvas: drawing on a device context with the canvas's font, pen and brush.
//
// The canvas selects its tools into the DC lazily: a drawing method asks for the state it
// needs (a handle, a valid font, pen or brush) and only what is missing is made and
// selected. Changing a tool marks it invalid, so the next drawing selects it again. The
// objects the DC held before are selected back when the canvas lets the DC go.
//
// TControlCanvas gets its DC from a control through two functions the control gives it.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include "GraphicsObjects.h"
#include "Types.h"

class TGraphic;
class TBitmap;

// Raster operations for CopyRect and for drawing graphics.
using TCopyMode = DWORD;
inline constexpr TCopyMode cmBlackness = BLACKNESS;
inline constexpr TCopyMode cmDstInvert = DSTINVERT;
inline constexpr TCopyMode cmMergeCopy = MERGECOPY;
inline constexpr TCopyMode cmMergePaint = MERGEPAINT;
inline constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
inline constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
inline constexpr TCopyMode cmPatCopy = PATCOPY;
inline constexpr TCopyMode cmPatInvert = PATINVERT;
inline constexpr TCopyMode cmPatPaint = PATPAINT;
inline constexpr TCopyMode cmSrcAnd = SRCAND;
inline constexpr TCopyMode cmSrcCopy = SRCCOPY;
inline constexpr TCopyMode cmSrcErase = SRCERASE;
inline constexpr TCopyMode cmSrcInvert = SRCINVERT;
inline constexpr TCopyMode cmSrcPaint = SRCPAINT;
inline constexpr TCopyMode cmWhiteness = WHITENESS;

enum TFillStyle { fsSurface, fsBorder };

// What a canvas has ready in its DC.
enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;
inline constexpr TCanvasState csAllValid{csHandleValid, csFontValid, csPenValid, csBrushValid};

class TCanvas : public TPersistent {
  CLASSLIB_CLASS(TCanvas, TPersistent)
  TCanvas();
  ~TCanvas() override;  // lets the DC go (objects selected back); never deletes it

  // ---- Attributes ------------------------------------------------------------
  // The DC with every tool selected; made through CreateHandle when there is none.
  // EInvalidOperation "Canvas does not allow drawing" when no DC can be had.
  HDC GetHandle();
  // Attaches a DC the caller owns (nullptr detaches). The previous DC gets its own objects
  // back. The canvas never deletes or releases a DC given here.
  void SetHandle(HDC value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* GetFont() const { return FFont.get(); }     // owned by the canvas
  void SetFont(TFont* value);                        // copies value (Assign)
  TPen* GetPen() const { return FPen.get(); }
  void SetPen(TPen* value);
  TBrush* GetBrush() const { return FBrush.get(); }
  void SetBrush(TBrush* value);

  TCopyMode GetCopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode value) { FCopyMode = value; }

  TColor GetPixels(int x, int y);            // clNone for a pixel outside the clip region
  void SetPixels(int x, int y, TColor value);
  TPoint GetPenPos();
  void SetPenPos(const TPoint& value) { MoveTo(value.X, value.Y); }
  TRect GetClipRect();

  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }
  const TNotifyEvent& GetOnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent handler) { FOnChanging = std::move(handler); }

  // ---- Lines and shapes (pen outline, brush fill) ----------------------------
  void MoveTo(int x, int y);
  void LineTo(int x, int y);  // the end pixel is not drawn
  void Polyline(std::span<const TPoint> points);
  void Polygon(std::span<const TPoint> points);
  void PolyBezier(std::span<const TPoint> points);  // 1 + 3n points
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

  // ---- Areas (brush) -------------------------------------------------------------
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void DrawFocusRect(const TRect& r);
  // Fills from (x, y): fsSurface fills the area of the given colour, fsBorder fills up to a
  // border of the given colour.
  void FloodFill(int x, int y, TColor color, TFillStyle fillStyle);

  // ---- Text (font; background by the brush unless its style is bsClear) ------------
  void TextOut(int x, int y, const String& text);  // moves PenPos to the end of the text
  void TextRect(const TRect& r, int x, int y, const String& text);  // clipped to r
  TSize TextExtent(const String& text);
  int TextWidth(const String& text) { return TextExtent(text).cx; }
  int TextHeight(const String& text) { return TextExtent(text).cy; }

  // ---- Pictures --------------------------------------------------------------------
  // Draws the graphic at its own size with its top-left corner at (x, y); nullptr or an
  // empty graphic draws nothing.
  void Draw(int x, int y, TGraphic* graphic);
  // Draws the graphic stretched to the rectangle.
  void StretchDraw(const TRect& r, TGraphic* graphic);
  // Copies source of another canvas to dest of this one with CopyMode, stretching.
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
  // Copies source of the bitmap to dest, painting the pixels of the given colour with this
  // canvas's brush instead.
  void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);

  // ---- Locking (for drawing from more than one thread) ---------------------------
  void Lock();      // may be nested in one thread
  void Unlock();
  bool TryLock();   // false while the canvas is locked, also by this thread
  int GetLockCount() const { return FLockCount.load(); }

  // Lets the DC's own objects back in; the next drawing selects the tools again.
  void Refresh() { DeselectHandles(); }

 protected:
  // Makes sure the DC has what `required` names, making and selecting what is missing.
  void RequiredState(TCanvasState required);
  // Called when a drawing method needs a DC and there is none; the default has none.
  virtual void CreateHandle() {}
  // Called around every drawing operation: OnChanging before, OnChange after.
  virtual void Changing();
  virtual void Changed();

 private:
  void SelectFont();
  void SelectPen();
  void SelectBrush();
  void DeselectHandles();
  void DeselectFont();
  void DeselectPen();
  void DeselectBrush();
  void FontChanged(TObject* sender) { DeselectFont(); }
  void PenChanged(TObject* sender) { DeselectPen(); }
  void BrushChanged(TObject* sender) { DeselectBrush(); }

  HDC FHandle = nullptr;                 // the DC drawn on (not owned by TCanvas)
  TCanvasState FState;                   // what is selected in FHandle
  std::unique_ptr<TFont> FFont;          // the canvas's own tools
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  HGDIOBJ FOldFont = nullptr;            // the DC's own objects, selected back on release
  HGDIOBJ FOldPen = nullptr;
  HGDIOBJ FOldBrush = nullptr;
  TCopyMode FCopyMode = cmSrcCopy;       // raster operation of CopyRect
  TNotifyEvent FOnChange;                // after every drawing operation
  TNotifyEvent FOnChanging;              // before every drawing operation
  std::recursive_mutex FLock;            // held between Lock and Unlock
  std::atomic<int> FLockCount{0};        // nesting depth of Lock, over all threads
};

// A canvas drawing on a control. The control gives two functions: one that gets its DC
// (GetDC of its window, say) and one that gives it back (ReleaseDC). The DC is got when a
// drawing needs it and given back by FreeHandle, by a new SetControlDC, or by the destructor.
class TControlCanvas : public TCanvas {
  CLASSLIB_CLASS(TControlCanvas, TCanvas)
  TControlCanvas() = default;
  ~TControlCanvas() override;

  // Sets the functions that get and give back the DC; gives back a DC held now. Either
  // empty means no DC can be had.
  void SetControlDC(std::function<HDC()> acquire, std::function<void(HDC)> release);
  // Gives the DC back (after selecting the DC's own objects into it again).
  virtual void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  std::function<HDC()> FAcquire;          // gets the control's DC
  std::function<void(HDC)> FRelease;      // gives it back
  HDC FAcquired = nullptr;                // the DC got from FAcquire, until given back
};

// Draws a 3-D frame of `width` lines inside rect: top and left in topColor, bottom and
// right in bottomColor. rect shrinks by width on every side. Sets the pen's width to 1.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);
