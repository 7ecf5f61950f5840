// TSeCustomControlBar: a container that arranges its child controls as movable bands in rows.
// Each child gets a band with a grabber at its left; the user drags a band by it to another
// place in the same or another row. With AutoDrag a band dragged beyond the bar by more than
// its height is handed to the class library's dragging: a control whose DragKind is dkDock
// floats in a small tool window where it is dropped, and with AutoDock the bar takes a
// floating control back as a band when it is dragged over the bar by that window's caption.
// Drawn with the visual style "Rebar" when themes are active, classically otherwise.
//
// Layout rules: rows run from a band with a break to the next; a band never overlaps another,
// and never leaves the client width while it can shrink; a row too wide after pushing and
// shrinking sends its last band to a new row, and the layout repeats at most once per band.
// A control taller than one row with RowSnap spans several rows: placeholder bands keep its
// place in the rows below.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "SkinControl.h"

enum TBandPaintOption { bpoGrabber, bpoFrame };
using TBandPaintOptions = TSet<TBandPaintOption>;

using TBandDragEvent = std::function<void(TObject* sender, TControl* control, bool& drag)>;
using TBandInfoEvent = std::function<void(TObject* sender, TControl* control, TRect& insets,
                                          int& preferredSize, int& rowCount)>;
using TBandMoveEvent = std::function<void(TObject* sender, TControl* control, TRect& rect)>;
using TBandPaintEvent = std::function<void(TObject* sender, TControl* control, TCanvas* canvas,
                                           TRect& rect, TBandPaintOptions& options)>;

// Draws the themed control-bar background over whole (the canvas's coordinates); false
// when themes are off or the theme draws nothing, so that the caller fills it plainly.
bool DrawControlBarBackground(TCanvas* canvas, const RECT& whole);

class TSeCustomControlBar : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomControlBar, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomControlBar(TComponent* owner);
  ~TSeCustomControlBar() override;

  // Largest row count a band may have, whatever OnBandInfo says.
  static constexpr int MaxBandRows = 100;

  bool GetAutoDock() const { return FAutoDock; }
  void SetAutoDock(bool value) { FAutoDock = value; }
  bool GetAutoDrag() const { return FAutoDrag; }
  void SetAutoDrag(bool value) { FAutoDrag = value; }
  // At least 1 (a stored 0 becomes 1); used by the next layout.
  int GetRowSize() const { return FRowSize; }
  void SetRowSize(int value);
  bool GetRowSnap() const { return FRowSnap; }
  void SetRowSnap(bool value) { FRowSnap = value; }
  // The control whose band is being dragged; nullptr when none.
  TControl* GetDraggedControl() const { return FDragControl; }
  TControl* GetLastDraggedControl() const { return FLastDragControl; }

  const TBandDragEvent& GetOnBandDrag() const { return FOnBandDrag; }
  void SetOnBandDrag(TBandDragEvent handler) { FOnBandDrag = std::move(handler); }
  const TBandInfoEvent& GetOnBandInfo() const { return FOnBandInfo; }
  void SetOnBandInfo(TBandInfoEvent handler) { FOnBandInfo = std::move(handler); }
  const TBandMoveEvent& GetOnBandMove() const { return FOnBandMove; }
  void SetOnBandMove(TBandMoveEvent handler) { FOnBandMove = std::move(handler); }
  const TBandPaintEvent& GetOnBandPaint() const { return FOnBandPaint; }
  void SetOnBandPaint(TBandPaintEvent handler) { FOnBandPaint = std::move(handler); }
  const TNotifyEvent& GetOnPaint() const { return FOnPaint; }
  void SetOnPaint(TNotifyEvent handler) { FOnPaint = std::move(handler); }

  // ---- What the layout made (for tests and hit-testing) ----------------------------------------
  struct TBandInfo {
    TControl* Control;  // the child; nullptr for a placeholder
    TRect Rect;         // placed rectangle, insets included
    int Row;            // row number, from 0
    int RowCount;       // rows the control spans
  };
  std::vector<TBandInfo> GetBands() const;
  int GetRowCountOf(TControl* control) const;
  // The first visible real band whose rectangle holds the point; nullptr when none.
  TControl* BandAt(const TPoint& point) const;

  void Dispatch(TMessage& message) override;
  void FlipChildren(bool) {}  // bands are never mirrored
  void DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept) override;

 protected:
  struct TBand;
  void AlignControls(TControl* control, TRect& rect) override;
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void CreateParams(TCreateParams& params) override;
  void PaintFace() override;
  virtual void DoBandMove(TControl* control, TRect& rect);
  virtual void DoBandPaint(TControl* control, TCanvas* canvas, TRect& rect,
                           TBandPaintOptions& options);
  // True when the drag went ahead (OnBandDrag may refuse it).
  virtual bool DragControl(TControl* control, int x, int y, bool keepCapture);
  virtual void GetControlInfo(TControl* control, TRect& insets, int& preferredSize, int& rowCount);
  virtual void PaintControlFrame(TCanvas* canvas, TControl* control, TRect& rect);
  virtual void PaintBackground();
  virtual int GetGrabberSize() { return 11; }
  // Each band's present place becomes the place it asks for.
  virtual void StickControls();
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  TBand* BandOf(const TControl* control) const;
  int IndexOf(const TBand* band) const;
  void RemoveBand(TBand* band);        // with its placeholders; the next band inherits a break
  void FreeBands();
  // Takes the bands of controls that left out and adds the new ones; true when a band left.
  bool Rebuild(TControl* aligning);
  void InsertBand(TControl* control, bool moving);
  void InsertByPosition(std::unique_ptr<TBand> band);
  void PlaceRows();
  bool LayoutPass();
  void ApplyBounds(bool aligning);
  void ControlRemoved(TControl* control);
  void Relayout();

  bool FAligning = false;                   // AlignControls runs
  bool FAutoDrag = true;
  bool FAutoDock = true;
  TControl* FLastDragControl = nullptr;     // forgotten when it leaves the bar
  TControl* FDragControl = nullptr;         // band being dragged; nullptr when none
  TPoint FDragOffset;                       // band position minus pointer at the press
  TPoint FDragPos;                          // where the dragged band is asked to be
  std::vector<std::unique_ptr<TBand>> FBands;  // layout order: row by row, left to right
  int FRowSize = 26;
  bool FRowSnap = false;
  bool FDockPressPending = false;           // a posted press continues a taken-back drag
  TBandDragEvent FOnBandDrag;
  TBandInfoEvent FOnBandInfo;
  TBandMoveEvent FOnBandMove;
  TBandPaintEvent FOnBandPaint;
  TNotifyEvent FOnPaint;
};
