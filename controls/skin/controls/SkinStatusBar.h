// TSeCustomStatusBar: the owner-drawn status bar. It shows a collection of panels, each with
// text, an image from an image list, a sunken frame and optionally a hosted child control
// that the bar keeps on the panel. Widths follow priorities: when the bar is too narrow the
// panels of lowest ViewPriority go, when it is too wide the panels with a StretchPriority
// take the room left, up to their MaxWidth. Drawn with the visual style "Status" when themes
// are active, classically otherwise. A size grip in the corner sizes the form.
//
// The layout itself is a pure function (LayoutStatusSlots) so that its arithmetic is tested
// without a window.
//
// Not done: right-to-left mirroring of the panel order (the text follows the reading order).
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "SkinControl.h"
#include "classlib/classes/Collection.h"
#include "classlib/controls/Panels.h"
#include "classlib/graphics/ImageList.h"

class TSeCustomStatusBar;
class TSeStatusPanels;

enum TSeStatusPanelStyle { psText, psOwnerDraw };
enum TSeStatusGliphLayout { sglGlyphLeft, sglGlyphRight };

extern const TEnumInfo SeStatusPanelStyleIdents;
extern const TEnumInfo SeStatusGliphLayoutIdents;

// ---- Layout ---------------------------------------------------------------------------------
// One panel as the layout sees it: what it asks for, and where the layout puts it.
struct TSeStatusSlot {
  int Width = 50;              // requested width, 0..MaxWidth
  int MaxWidth = 10000;        // upper bound, >= 0
  int StretchPriority = 0;     // 0..100; 0 = never stretched
  int ViewPriority = 100;      // 0..100; 0 = never shown, 100 = never hidden for lack of room
  // Output.
  int Computed = 0;            // width after stretching
  bool Shown = false;
  int Left = 0, Right = 0;     // bar coordinates; Left == Right for a panel not shown
  int Effective() const { return Computed < MaxWidth ? Computed : MaxWidth; }
};

// Lays the slots out in the content span [contentLeft, contentRight): low view priorities
// give way when the sum is too wide, stretch priorities share the room left. Panels of equal
// priority keep their order; every shown panel lies inside the span.
void LayoutStatusSlots(std::vector<TSeStatusSlot>& slots, int contentLeft, int contentRight);

// ---- TSeStatusPanel -----------------------------------------------------------------------------
class TSeStatusPanel : public TCollectionItem {
  CLASSLIB_CLASS(TSeStatusPanel, TCollectionItem)
  static const TPropertyTable* PublishedProperties();
  explicit TSeStatusPanel(TCollection* collection);
  // Releases the hosted control and makes the bar forget the panel as pressed.
  ~TSeStatusPanel() override;

  void Assign(TPersistent* source) override;
  String GetDisplayName() const override;

  // ---- Published ---------------------------------------------------------------------------
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  bool GetFramed() const { return FFramed; }
  void SetFramed(bool value);
  // The hosted control; not owned (the bar is told when it is freed). EInvalidOperation
  // "Can't insert own parent" for the bar itself or one of its parents.
  TControl* GetControl() const { return FControl; }
  void SetControl(TControl* value);
  TSeStatusGliphLayout GetLayout() const { return FLayout; }
  void SetLayout(TSeStatusGliphLayout value);
  int GetMargin() const { return FMargin; }
  void SetMargin(int value);
  // At least 0; lowering it below Width lowers Width too.
  int GetMaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int value);
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  // Clamped to 0..100.
  int GetViewPriority() const { return FViewPriority; }
  void SetViewPriority(int value);
  int GetStretchPriority() const { return FStretchPriority; }
  void SetStretchPriority(int value);
  TSeStatusPanelStyle GetStyle() const { return FStyle; }
  void SetStyle(TSeStatusPanelStyle value);
  bool GetShowImage() const { return FShowImage; }
  void SetShowImage(bool value);
  const String& GetText() const { return FText; }
  void SetText(const String& value);
  // Clamped to 0..MaxWidth.
  int GetWidth() const { return FWidth; }
  void SetWidth(int value);

  // ---- Layout output -----------------------------------------------------------------------
  bool GetShown() const { return FSlot.Shown; }
  int GetLeft() const { return FSlot.Left; }
  int GetRight() const { return FSlot.Right; }
  int GetEffectiveWidth() const { return FSlot.Effective(); }

  TSeCustomStatusBar* GetStatusBar() const;

 private:
  friend class TSeCustomStatusBar;
  TAlignment FAlignment = taLeftJustify;
  int FImageIndex = -1;
  bool FFramed = true;                      // sunken frame (classic drawing)
  TControl* FControl = nullptr;             // hosted control; not owned
  TSeStatusGliphLayout FLayout = sglGlyphLeft;
  int FMargin = 2;                          // inner margin left and right
  int FMaxWidth = 10000;
  int FSpacing = 4;                         // gap between image and text
  int FViewPriority = 100;
  int FStretchPriority = 0;
  TSeStatusPanelStyle FStyle = psText;
  bool FShowImage = true;
  String FText;
  int FWidth = 50;
  TSeStatusSlot FSlot;                      // layout input copy and output
  int FTextWidth = -1;                      // Text measured in the bar's font; -1: not yet
  int FShownRoom = -1;                      // the room FShownText was fitted to; -1: none
  String FShownText;                        // Text, shortened with "..." to FShownRoom
  void ForgetMeasures() {
    FTextWidth = -1;
    FShownRoom = -1;
  }
};

// ---- TSeStatusPanels ----------------------------------------------------------------------------
// The panels of one bar, which owns the collection and is its owner for streaming.
class TSeStatusPanels : public TCollection {
  CLASSLIB_CLASS(TSeStatusPanels, TCollection)
  explicit TSeStatusPanels(TSeCustomStatusBar* statusBar);

  // A new panel of the class the bar's CreatePanel names.
  TSeStatusPanel* Add();
  TSeStatusPanel* GetItem(int index) const {
    return static_cast<TSeStatusPanel*>(TCollection::GetItem(index));
  }
  TSeCustomStatusBar* GetStatusBar() const { return FStatusBar; }
  TPersistent* GetOwner() const override;

 protected:
  // One panel: redrawn (and the grip when they touch); nullptr: layout and repaint.
  void Update(TCollectionItem* item) override;

 private:
  TSeCustomStatusBar* FStatusBar;  // owns this collection
};

// ---- TSeCustomStatusBar -------------------------------------------------------------------------
using TSePanelNotifyEvent = std::function<void(TObject* sender, TSeStatusPanel* panel)>;
using TSeDrawPanelEvent =
    std::function<void(TSeCustomStatusBar* statusBar, TSeStatusPanel* panel, const TRect& rect)>;
// Makes a panel of a class of the handler's choosing in the collection (nullptr keeps the
// default).
using TSeStatusPanelFactory = std::function<TSeStatusPanel*(TCollection* collection)>;
using TSeCreatePanelClassEvent =
    std::function<void(TObject* sender, TSeStatusPanelFactory& panelClass)>;

class TSeCustomStatusBar : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomStatusBar, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomStatusBar(TComponent* owner);
  ~TSeCustomStatusBar() override;

  // ---- Attributes -------------------------------------------------------------------------
  TSeStatusPanels* GetPanels() const { return FPanels.get(); }  // owned
  void SetPanels(TSeStatusPanels* value);                       // copies the panels
  TCustomImageList* GetImages() const { return FImages; }      // not owned
  void SetImages(TCustomImageList* value);
  bool GetSizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool value);
  // The panel the left button went down on; nullptr when none (or it is gone).
  TSeStatusPanel* GetPressedPanel() const { return FPressedPanel; }

  const TSePanelNotifyEvent& GetOnPanelClick() const { return FOnPanelClick; }
  void SetOnPanelClick(TSePanelNotifyEvent handler) { FOnPanelClick = std::move(handler); }
  const TSePanelNotifyEvent& GetOnPanelDblClick() const { return FOnPanelDblClick; }
  void SetOnPanelDblClick(TSePanelNotifyEvent handler) { FOnPanelDblClick = std::move(handler); }
  const TSeDrawPanelEvent& GetOnDrawPanel() const { return FOnDrawPanel; }
  void SetOnDrawPanel(TSeDrawPanelEvent handler) { FOnDrawPanel = std::move(handler); }
  const TSeCreatePanelClassEvent& GetOnCreatePanelClass() const { return FOnCreatePanelClass; }
  void SetOnCreatePanelClass(TSeCreatePanelClassEvent handler) {
    FOnCreatePanelClass = std::move(handler);
  }

  // ---- Geometry ------------------------------------------------------------------------------
  // The first shown panel at a client point inside the content rectangle; nullptr elsewhere.
  TSeStatusPanel* PanelAt(const TPoint& point);
  // Left and Right of the panel, Top and Bottom of the content rectangle; empty when the
  // index is bad.
  virtual TRect GetPanelRect(int index);
  virtual TRect GetPanelContentRect(TSeStatusPanel* panel);
  virtual TRect GetSizeGripRect();
  // True when the grip shows: SizeGrip, a form in its normal state whose client corner is the
  // bar's corner, and that form may be sized.
  bool SizeGripShows();
  virtual TSize GetImageSize(TSeStatusPanel* panel);
  virtual TSize GetTextSize(TSeStatusPanel* panel);
  // Inside a panel's content rectangle (origin at its top-left corner).
  virtual TRect GetImageRect(TSeStatusPanel* panel);
  virtual TRect GetTextRect(TSeStatusPanel* panel);

  // Lays the panels out and places the hosted controls.
  void LayoutPanels();
  void Loaded() override;
  void Dispatch(TMessage& message) override;

 protected:
  friend class TSeStatusPanels;
  friend class TSeStatusPanel;
  virtual TSeStatusPanel* CreatePanel(TCollection* collection);
  void Notification(TComponent* component, TOperation operation) override;
  void AlignControls(TControl* control, TRect& rect) override;
  void PaintFace() override;
  void PaintFrame() override;
  virtual void PaintBackground();
  virtual void DrawPanelByIndex(int index);
  virtual void DrawPanel(TSeStatusPanel* panel, const TRect& rect, bool isLast);
  virtual void DrawPanelText(TSeStatusPanel* panel, const TRect& rect);
  virtual void DrawPanelImage(TSeStatusPanel* panel, const TRect& rect);
  virtual void DrawSizeGrip();
  virtual void PanelClick(TSeStatusPanel* panel);
  virtual void PanelDblClick(TSeStatusPanel* panel);
  virtual void DrawPanelEvent(TSeStatusPanel* panel, const TRect& rect);
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;
  void Resize() override;
  void WMSetCursor(TMessage& message) override;

 private:
  void ControlChange(TControl* control, bool inserting);
  // The panel hosting control; nullptr when none.
  TSeStatusPanel* PanelOf(const TControl* control) const;
  void PlaceControl(TSeStatusPanel* panel);
  // Starts sizing the form from the grip at a screen point.
  void StartGripSizing(const TPoint& screen);

  std::unique_ptr<TSeStatusPanels> FPanels;   // owned
  TSeStatusPanel* FPressedPanel = nullptr;    // cleared when that panel goes
  TCustomImageList* FImages = nullptr;        // not owned; forgotten when freed
  bool FSizeGrip = true;
  bool FLayingOut = false;                    // placing hosted controls re-enters AlignControls
  TPoint FDblClickPoint;                      // where the last double click went down
  int FLineHeight = -1;                       // height of "Pq" in Font; -1: not yet
  const class TThemeScope* FPaintTheme = nullptr;  // "Status" while a themed paint runs
  std::unique_ptr<class TKeptTheme> FTheme;        // "Status", open from paint to paint
  // The panes and the grip, drawn at the same sizes paint after paint, kept as bitmaps.
  std::unique_ptr<class TThemePartCache> FPartCache;
  TSePanelNotifyEvent FOnPanelClick;
  TSePanelNotifyEvent FOnPanelDblClick;
  TSeDrawPanelEvent FOnDrawPanel;
  TSeCreatePanelClassEvent FOnCreatePanelClass;
};
