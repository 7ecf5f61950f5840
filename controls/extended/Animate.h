// TRxImageControl: the base of controls that show a picture that may change from another
// thread. It paints the whole control off-screen and copies it in one step, owns the lock
// that descendants hold around every change of what is shown, repaints itself from a worker
// thread straight into its parent's device context, and forwards palette changes of its
// graphic to the parent form.
//
// Lock order, on every thread: the control's lock first, then canvas locks. The buffered
// paint takes the control's lock before the canvas lock for that reason.
#pragma once
#include "classlib/classes/Threads.h"
#include "classlib/controls/Controls.h"
#include "classlib/graphics/Graphic.h"

class TRxImageControl : public TGraphicControl {
  CLASSLIB_CLASS(TRxImageControl, TGraphicControl)
  // 105 x 105, ParentColor, opaque.
  explicit TRxImageControl(TComponent* owner);
  ~TRxImageControl() override;

  // The control's lock; re-entrant on one thread.
  void Lock() { FLock.Enter(); }
  void Unlock() { FLock.Leave(); }

  void Dispatch(TMessage& message) override;

 protected:
  // Paints the picture onto the canvas.
  virtual void DoPaintImage() = 0;
  // Fills the client area with Color and calls DoPaintImage with the drawing flag set.
  void PaintImage();
  // At design time, the control's bounds as a dashed rectangle.
  void PaintDesignRect();
  // Repaints now: Repaint on the main thread, straight into the parent's DC elsewhere.
  void RepaintImage();
  // After a change of picture or option: adjusts the size, lets the palette change, and
  // updates (while drawing) or invalidates the control.
  void PictureChanged();
  bool DoPaletteChange();
  void WMPaint(TMessage& message) override;

  TGraphic* FGraphic = nullptr;  // the graphic whose palette the control follows; not owned
  bool FDrawing = false;         // DoPaintImage runs from the control's own painting

 private:
  bool FPaintBuffered = false;   // inside the buffered paint
  TCriticalSection FLock;
};

