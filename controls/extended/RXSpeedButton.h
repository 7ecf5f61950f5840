// TRxSpeedButton: a windowless push button with a multi-state glyph (images from the shared
// glyph cache), an optional flat look, radio-style groups (Down), an optional drop-down
// menu with its mark, and auto-repeat while held (AllowTimer: the first repeat after
// InitPause, then every RepeatInterval). TRxTimerSpeedButton repeats by default.
//
// A linked action's check state sets Down (in a group), when it is linked and whenever it
// changes later, and its image becomes the glyph while the button has none.
#pragma once
#include <memory>

#include "RxButtonGlyph.h"
#include "classlib/controls/ActnList.h"
#include "classlib/controls/Controls.h"
#include "classlib/controls/Menus.h"
#include "classlib/forms/Timer.h"

enum TRxDropDownMenuPos { dmpBottom, dmpRight };

// Sent to a group's buttons when one goes down (wParam the group, lParam the button).
inline constexpr UINT CM_RXBUTTONPRESSED = 0xB051;

class TRxSpeedButton;

// Brings a linked action's later check changes to a grouped button's Down (the control's
// own link passes caption, enabled, hint and visible only). Owned by the button.
class TRxButtonCheckLink : public TActionLink {
  CLASSLIB_CLASS(TRxButtonCheckLink, TActionLink)
  explicit TRxButtonCheckLink(TRxSpeedButton* button);
  // The button is in a group, still linked to this action and down exactly when it is checked.
  bool IsCheckedLinked() override;
  void SetChecked(bool value) override;

 private:
  TRxSpeedButton* FButton;  // not owned
};

class TRxSpeedButton : public TGraphicControl {
  CLASSLIB_CLASS(TRxSpeedButton, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  // 25 x 25, up, glyph on top, spacing 1, margin -1.
  explicit TRxSpeedButton(TComponent* owner);
  ~TRxSpeedButton() override;

  // ---- Attributes --------------------------------------------------------------------
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  // A down button of a group stays down until another goes down, unless AllowAllUp.
  bool GetDown() const { return FDown; }
  void SetDown(bool value);
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool value);
  TBitmap* GetGlyph() const { return FGlyph->GetGlyph(); }
  void SetGlyph(TBitmap* value);
  TRxNumGlyphs GetNumGlyphs() const { return FGlyph->GetNumGlyphs(); }
  void SetNumGlyphs(TRxNumGlyphs value);
  TAlignment GetAlignment() const { return FGlyph->GetAlignment(); }
  void SetAlignment(TAlignment value) { FGlyph->SetAlignment(value); }
  bool GetWordWrap() const { return FGlyph->GetWordWrap(); }
  void SetWordWrap(bool value) { FGlyph->SetWordWrap(value); }
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  int GetMargin() const { return FMargin; }
  void SetMargin(int value);
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  TButtonStyle GetStyle() const { return FStyle; }
  void SetStyle(TButtonStyle value);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool GetMarkDropDown() const { return FMarkDropDown; }
  void SetMarkDropDown(bool value);
  TPopupMenu* GetDropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* value);  // not owned
  TRxDropDownMenuPos GetMenuPosition() const { return FMenuPosition; }
  void SetMenuPosition(TRxDropDownMenuPos value) { FMenuPosition = value; }
  bool GetGrayedInactive() const { return FGrayedInactive; }
  void SetGrayedInactive(bool value);
  int GetModalResult() const { return FModalResult; }
  void SetModalResult(int value) { FModalResult = value; }
  bool GetAllowTimer() const { return FAllowTimer; }
  void SetAllowTimer(bool value);  // off stops and frees the repeat timer
  int GetInitPause() const { return FInitPause; }
  void SetInitPause(int value) { FInitPause = value; }
  int GetRepeatInterval() const { return FRepeatInterval; }
  void SetRepeatInterval(int value) { FRepeatInterval = value; }
  // The state the face is drawn in.
  TButtonState GetState() const { return FState; }
  bool GetMouseInControl() const { return FMouseInControl; }
  TRxButtonGlyph* GetButtonGlyph() const { return FGlyph.get(); }
  // The repeat timer while one exists (tests look at its interval).
  TTimer* GetRepeatTimer() const { return FRepeatTimer.get(); }
  // The glyph's palette (nullptr when it has none).
  HPALETTE GetPalette() const;

  // ---- Operations --------------------------------------------------------------------
  // A click as the user makes it: shows the button down for a moment first.
  void ButtonClick();
  void Click() override;

  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void ActionChange(TObject* sender, bool checkDefaults) override;
  void Paint() override;
  virtual void PaintGlyph(TCanvas* canvas, const TRect& r, TButtonState state, bool drawMark);
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void CMSysColorChange(TMessage& message) override;

 private:
  bool IsInside(int x, int y);
  void FinishPress(int x, int y);
  void UpdateTracking();
  void BroadcastDown();
  bool DropDownMenuShown();
  void TimerExpired();
  TRect DrawFrame(TCanvas* canvas, TRect r, bool down);

  TButtonStyle FStyle = bsAutoDetect;
  int FGroupIndex = 0;
  std::unique_ptr<TRxButtonGlyph> FGlyph;     // the glyph renderer
  std::unique_ptr<TBitmap> FImage;            // the off-screen face
  bool FDown = false;
  bool FDragging = false;                     // the left button went down on it
  bool FFlat = false;
  bool FMouseInControl = false;
  bool FAllowAllUp = false;
  TButtonLayout FLayout = blGlyphTop;
  int FSpacing = 1;
  int FMargin = -1;
  int FModalResult = 0;
  bool FTransparent = false;
  bool FMarkDropDown = true;
  TPopupMenu* FDropDownMenu = nullptr;        // not owned
  TRxDropDownMenuPos FMenuPosition = dmpBottom;
  bool FMenuTracking = false;                 // the drop-down menu is up
  bool FGrayedInactive = true;
  std::unique_ptr<TTimer> FRepeatTimer;       // made on the first held press
  bool FAllowTimer = false;
  int FInitPause = 500;                       // ms before the first repeat
  int FRepeatInterval = 100;                  // ms between repeats
  TButtonState FState = bsUp;                 // the paint state
  std::unique_ptr<TRxButtonCheckLink> FCheckLink;  // follows the action's check; made on linking
};

// The auto-repeating button of the calendar's navigation: old-style frame, repeating.
class TRxTimerSpeedButton : public TRxSpeedButton {
  CLASSLIB_CLASS(TRxTimerSpeedButton, TRxSpeedButton)
  static const TPropertyTable* PublishedProperties();
  explicit TRxTimerSpeedButton(TComponent* owner);
};

// The number of live speed buttons.
int RxSpeedButtonCount();
