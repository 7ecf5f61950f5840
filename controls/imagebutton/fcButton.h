// TfcCustomBitBtn: the windowed base of the image-button library's buttons (image buttons,
// shape buttons and the buttons a button group lays out). It keeps everything that is not
// the face: the pressed state (Down) and its group rules, mouse and key handling, the glyph
// and caption layout, painting through an off-screen TfcBitmap, and the window region that
// gives a button its outline and hit area, with the two stored blocks "RegionData" and
// "DownRegionData" that keep that region in a layout. The face itself is drawn by the
// descendants (DrawButtonFace); the core draws none.
//
// Regions: a region handed to SetWindowRgn belongs to the system from then on, so the button
// keeps copies of its own (the current one, for hit tests, and the previous one while the up
// and down outlines differ) and never touches the one the window holds.
//
// Not done: help for bkHelp (controls carry no help context: it clicks), the designer
// routing of presses inside a button group at design time.
#pragma once
#include <memory>
#include <vector>
#include "classlib/classes/Properties.h"
#include "classlib/controls/Controls.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/stdctrls/BitBtn.h"
#include "fcChangeLink.h"
#include "fcRegionData.h"
#include "fcText.h"

class TfcBitmap;
class TfcCustomBitBtn;

enum TfcShadeStyle { fbsNormal, fbsRaised, fbsHighlight, fbsFlat };
enum TfcButtonOption { boFocusable, boOverrideActionGlyph, boToggleOnUp, boFocusRect, boAutoBold };
using TfcButtonOptions = TSet<TfcButtonOption>;

extern const TEnumInfo fcShadeStyleIdents;
extern const TEnumInfo fcButtonOptionIdents;

// Where glyph and caption sit against their computed places; each change repaints.
class TfcOffsets : public TPersistent {
  CLASSLIB_CLASS(TfcOffsets, TPersistent)
  static const TPropertyTable* PublishedProperties();
  explicit TfcOffsets(TfcCustomBitBtn* button) : FButton(button) {}

  int GetGlyphX() const { return FGlyphX; }
  void SetGlyphX(int value) { Store(FGlyphX, value); }
  int GetGlyphY() const { return FGlyphY; }
  void SetGlyphY(int value) { Store(FGlyphY, value); }
  int GetTextX() const { return FTextX; }
  void SetTextX(int value) { Store(FTextX, value); }
  int GetTextY() const { return FTextY; }
  void SetTextY(int value) { Store(FTextY, value); }
  // How far glyph and caption move while the button is down (plain fields).
  int GetTextDownX() const { return FTextDownX; }
  void SetTextDownX(int value) { FTextDownX = value; }
  int GetTextDownY() const { return FTextDownY; }
  void SetTextDownY(int value) { FTextDownY = value; }

  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

 protected:
  TfcCustomBitBtn* GetButton() const { return FButton; }
  void Store(int& field, int value);

 private:
  TfcCustomBitBtn* FButton;  // repainted on change; not owned
  int FGlyphX = 0;
  int FGlyphY = 0;
  int FTextX = 0;
  int FTextY = 0;
  int FTextDownX = 1;
  int FTextDownY = 1;
};

// The four edge colours of the shading, the focus colour and the shadow colour.
class TfcShadeColors : public TPersistent {
  CLASSLIB_CLASS(TfcShadeColors, TPersistent)
  static const TPropertyTable* PublishedProperties();
  explicit TfcShadeColors(TfcCustomBitBtn* button) : FButton(button) {}

  TColor GetBtnHighlight() const { return FBtnHighlight; }
  void SetBtnHighlight(TColor value) { Store(FBtnHighlight, value); }
  TColor GetBtn3DLight() const { return FBtn3DLight; }
  void SetBtn3DLight(TColor value) { Store(FBtn3DLight, value); }
  TColor GetBtnShadow() const { return FBtnShadow; }
  void SetBtnShadow(TColor value) { Store(FBtnShadow, value); }
  TColor GetBtnBlack() const { return FBtnBlack; }
  void SetBtnBlack(TColor value) { Store(FBtnBlack, value); }
  TColor GetBtnFocus() const { return FBtnFocus; }
  void SetBtnFocus(TColor value) { Store(FBtnFocus, value); }
  TColor GetShadow() const { return FShadow; }
  void SetShadow(TColor value) { Store(FShadow, value); }

  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

 private:
  void Store(TColor& field, TColor value);

  TfcCustomBitBtn* FButton;  // repainted on change; not owned
  TColor FBtnHighlight = clBtnHighlight;
  TColor FBtn3DLight = cl3DLight;
  TColor FBtnShadow = clBtnShadow;
  TColor FBtnBlack = clBlack;
  TColor FBtnFocus = clBlack;
  TColor FShadow = clBlack;
};

class TfcCustomBitBtn : public TWinControl {
  CLASSLIB_CLASS(TfcCustomBitBtn, TWinControl)
  static const TPropertyTable* PublishedProperties();
  explicit TfcCustomBitBtn(TComponent* owner);
  ~TfcCustomBitBtn() override;

  // ---- Attributes -----------------------------------------------------------------------
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool value);
  // The pressed state. A button outside a group (GroupIndex 0) is never put down, except
  // while it is read from a layout.
  bool GetDown() const { return FDown; }
  void SetDown(bool value);
  TBitmap* GetGlyph() const { return FGlyph.get(); }  // owned
  // The glyph's palette (owned by the glyph; none for a glyph without one).
  virtual HPALETTE GetPalette() const { return FGlyph->GetPalette(); }
  void SetGlyph(TBitmap* value);
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  // bkCustom as soon as Default, Cancel or ModalResult no longer match the kind.
  TBitBtnKind GetKind();
  void SetKind(TBitBtnKind value);
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  int GetMargin() const { return FMargin; }
  void SetMargin(int value);  // values below -1 are ignored
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  int GetNumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int value);  // clamped to 1..4
  TfcOffsets* GetOffsets() const { return FOffsets.get(); }  // owned
  void SetOffsets(TfcOffsets* value);
  TfcButtonOptions GetOptions() const { return FOptions; }
  void SetOptions(TfcButtonOptions value);
  TfcShadeColors* GetShadeColors() const { return FShadeColors.get(); }  // owned
  void SetShadeColors(TfcShadeColors* value);
  TfcShadeStyle GetShadeStyle() const { return FShadeStyle; }
  void SetShadeStyle(TfcShadeStyle value);
  bool GetSmoothFont() const { return FSmoothFont; }
  void SetSmoothFont(bool value);
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  TButtonStyle GetStyle() const { return FStyle; }
  void SetStyle(TButtonStyle value);
  TfcCaptionText* GetTextOptions() const { return FTextOptions.get(); }  // owned
  void SetTextOptions(TfcCaptionText* value);
  // Down as the last SelChange recorded it (what a button group reads).
  bool GetSelected() const { return FSelected; }
  // Whether Enter clicks this button now.
  bool GetActive() const { return FActive; }
  const TRect& GetGlyphRect() const { return FGlyphRect; }
  const TRect& GetTextRect() const { return FTextRect; }
  // The region kept for hit tests (a copy of what the window holds); nullptr when the
  // button is rectangular. Owned by the button.
  HRGN GetHitRegion() const { return FRegion.get(); }
  // The saved region records of the up and the down state (empty: none).
  const TfcRegionBytes& GetRegionData(bool down) const { return down ? FDownRegionData : FRegionData; }

  // ---- Events -----------------------------------------------------------------------------
  TNotifyEvent OnSelChange;
  TNotifyEvent OnNameChanged;  // internal: the button group item follows the name

  // ---- Operations ---------------------------------------------------------------------------
  // The one place Down changes (see the group rules at the top of fcButton.cpp).
  void SetDownState(bool value, bool invalidate, bool broadcast);
  // Whether the point (client coordinates; (-1, -1) for the cursor) lies on the button.
  bool MouseInControl(int x, int y, bool requirePress);
  virtual void AddObserver(TfcChangeLink* link);
  virtual void RemoveObserver(TfcChangeLink* link);
  virtual void SizeToDefault() {}
  virtual void SetDefaultShadeColors(TColor base);
  // The glyph and caption places for the client rectangle and the caption's size.
  virtual void CalcButtonLayout(TCanvas* canvas, const TRect& client, TSize textSize);
  virtual int GlyphFrameWidth();
  virtual bool IsMultipleRegions() { return false; }
  virtual bool UseRegions() { return false; }
  virtual bool IsEnabled() { return GetEnabled(); }
  // Paints the whole button on dc (client coordinates).
  void PaintToDC(HDC dc);

  void Click() override;
  void Loaded() override;
  void SetName(const String& value) override;
  void Dispatch(TMessage& message) override;
  void DefineProperties(TFiler& filer) override;

 protected:
  virtual TfcOffsets* CreateOffsets() { return new TfcOffsets(this); }
  // Makes the offsets again through CreateOffsets: a descendant's constructor calls it, as
  // the core's constructor cannot reach the descendant's CreateOffsets.
  void RecreateOffsets() { FOffsets.reset(CreateOffsets()); }
  // A new region for the state; the caller owns it. The core makes it from the saved
  // record only.
  virtual UniqueRegion CreateRegion(bool build, bool down);
  virtual bool IsCustom() { return GetKind() == bkCustom; }
  virtual bool IsCustomCaption();
  virtual bool StoreRegionData() { return false; }
  virtual void UpdateShape();
  virtual void ClearRegions();
  virtual void DrawGlyph(TCanvas* canvas, const TRect& r);
  virtual void DrawCaption(TCanvas* canvas, const TRect& r);
  virtual void DrawButtonFace(TfcBitmap* target, bool faceOnly, bool down, TfcShadeStyle style) {}
  virtual void Redraw() { Invalidate(); }
  virtual void NotifyChange();
  virtual void NotifyDown();
  virtual void NotifyLoaded();
  virtual void PaintButton(TCanvas* canvas);
  // Paints at once on a window DC.
  virtual void PaintNow();
  // Saves region as the record of the state, as GetRegionData returns it.
  virtual void SaveRegionData(HRGN region, bool down);
  void FreeRegionData(bool down);
  virtual void SelChange();
  virtual void GroupChange();
  virtual void ApplyRegions();
  virtual void InvalidateOutside(bool erase);
  virtual void DrawGlyphAndText(TCanvas* canvas, TRect& r);
  // The style the face is drawn in now (a flat button draws normal while it clicks).
  TfcShadeStyle PaintStyle() const;
  bool InClick() const { return FInClick; }
  bool GetRespectPaletteFlag() const { return FRespectPalette; }
  void SetRespectPaletteFlag(bool value) { FRespectPalette = value; }
  // Builds the region for the window, handing a failure to the application (the button is
  // then rectangular).
  UniqueRegion SafeCreateRegion(bool build, bool down);
  // Makes the window again; from inside the button's own click handling, once that
  // handling has returned (the window is still running its message then).
  void RecreateButton();
  // Frees both region records (not while reading): what they were cut from has changed.
  void DropRegionRecords();

  void AssignTo(TPersistent* dest) override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void ActionChange(TObject* sender, bool checkDefaults) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMLButtonDown(TMessage& message) override;
  void WMEraseBkgnd(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMCancelMode(TMessage& message) override;
  void CMDialogKey(TMessage& message) override;
  void CMDialogChar(TMessage& message) override;
  void CMFocusChanged(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  virtual void CMButtonPressed(TMessage& message);
  virtual void CNDrawItem(TMessage& message);
  virtual void CNMeasureItem(TMessage& message);

 private:
  // Enter on the active button or Esc on a cancel button, without shift keys: clicks and
  // answers the message. False when the key is not one of those.
  bool ClickOnEnterOrEsc(TMessage& message);
  void BeginPress();
  void EndPress(bool inside);
  void GlyphChanged(TObject* sender);
  void ReadRegion(TStream& stream, bool down);
  void WriteRegion(TStream& stream, bool down);

  // ---- Settings ----
  bool FAllowAllUp = false;
  bool FCancel = false;
  bool FDefault = false;
  bool FDown = false;
  std::unique_ptr<TBitmap> FGlyph;             // frames side by side
  int FGroupIndex = 0;                         // 0: no group
  TBitBtnKind FKind = bkCustom;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;                            // -1: automatic
  TModalResult FModalResult = mrNone;
  int FNumGlyphs = 1;
  std::unique_ptr<TfcOffsets> FOffsets;
  TfcButtonOptions FOptions;
  std::unique_ptr<TfcShadeColors> FShadeColors;
  TfcShadeStyle FShadeStyle = fbsNormal;
  bool FSmoothFont = false;
  int FSpacing = 4;
  TButtonStyle FStyle = bsAutoDetect;
  std::unique_ptr<TfcCaptionText> FTextOptions;

  // ---- State ----
  bool FActive = false;                        // Enter clicks this button
  bool FSelected = false;                      // Down at the last SelChange
  bool FPressActive = false;                   // a left press began here and is not over
  bool FDownAtPress = false;                   // Down when that press began
  bool FInClick = false;                       // Click runs
  bool FRespectPalette = false;                // copied to the painting bitmap
  bool FRecreatePosted = false;                // a recreation waits for the click to end
  UniqueRegion FRegion;                        // copy of the window's region (hit tests)
  UniqueRegion FPrevRegion;                    // the previous one, while outlines differ
  TRect FGlyphRect;                            // last glyph place (client coordinates)
  TRect FTextRect;                             // last caption place
  TfcRegionBytes FRegionData;                  // saved up region, as GetRegionData gives it
  TfcRegionBytes FDownRegionData;              // saved down region
  TSize FRegionDataSize;                       // the button's size the records were made for
  std::vector<TfcChangeLink*> FLinks;          // told of changes; not owned
  std::unique_ptr<TCanvas> FCanvas;            // paints on foreign DCs
};
