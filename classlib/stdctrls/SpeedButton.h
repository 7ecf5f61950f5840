// TSpeedButton: a windowless button with a glyph and a caption, used on tool bars.
//
// A left press draws it down; releasing the mouse over it clicks it. Buttons of the same
// nonzero GroupIndex on one parent work as a group: a click keeps the button down (Down)
// and lets the group's other button up; with AllowAllUp a click on the down button lets it
// up too, otherwise one button of the group stays down. A Flat button shows its edge only
// while the mouse is over it or it is down. The accelerator of the caption clicks it.
//
// Not done: themed drawing, the designer's outline.
#pragma once
#include <memory>
#include "../controls/Controls.h"
#include "../graphics/Bitmap.h"
#include "ButtonGlyphs.h"

class TSpeedButton : public TGraphicControl {
  CLASSLIB_CLASS(TSpeedButton, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  // 23 x 22, up, transparent, glyph on the left, spacing 4, margin -1.
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  // ---- Attributes ------------------------------------------------------------------------
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);  // told to the group
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);   // told to the group
  // Only a button of a group can be down; a down button of a group that does not allow all
  // up stays down until another button of its group goes down.
  bool GetDown() const { return FDown; }
  void SetDown(bool value);
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool value);
  // The glyph strip; owned. SetGlyph copies value.
  TBitmap* GetGlyph() const { return FGlyph->GetGlyph(); }
  void SetGlyph(TBitmap* value);
  TNumGlyphs GetNumGlyphs() const { return FGlyph->GetNumGlyphs(); }
  // Clamped to 1..4.
  void SetNumGlyphs(TNumGlyphs value);
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  // Space between the edge and the glyph; -1 centres. Values below -1 are ignored.
  int GetMargin() const { return FMargin; }
  void SetMargin(int value);
  // Space between glyph and caption; -1 shares the room out evenly.
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  // A transparent button shows its parent where the face is not drawn.
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // The state the face is drawn in.
  TButtonState GetState() const { return FState; }
  // The mouse is over a flat button.
  bool GetMouseInControl() const { return FMouseInControl; }

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMLButtonDblClk(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  void CMSysColorChange(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  virtual void CMButtonPressed(TMessage& message);
  virtual void CMDialogChar(TMessage& message);

 private:
  // Tells the group's other buttons that this one went down (or that the group's rules
  // changed).
  void UpdateExclusive();
  // Follows whether the mouse is over a flat button.
  void UpdateTracking();
  // True when (x, y) lies on the button, as a release that clicks must.
  bool IsOnButton(int x, int y) const;

  std::unique_ptr<TButtonGlyph> FGlyph;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  bool FTransparent = true;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  TButtonState FState = bsUp;
  bool FDragging = false;        // the left button went down on it and is still down
  bool FMouseInControl = false;  // the mouse is over a flat button
};
