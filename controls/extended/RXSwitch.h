// TRxSwitch: a focusable control that shows one of two pictures, "on" or "off", with its
// caption beside, above or below the picture or not at all, and flips on a left click or its
// toggle key (Space by default), firing OnOn or OnOff. The built-in pictures are the
// resources "SWITCH_ON" and "SWITCH_OFF"; a disabled switch shows a greyed copy.
//
// A layout stores which pictures were supplied (the hidden "Data" byte) so that a default
// picture is not stored. The state read from a layout fires no event.
#pragma once
#include <array>
#include <memory>

#include "classlib/controls/Controls.h"
#include "classlib/controls/ShortCuts.h"
#include "classlib/graphics/Bitmap.h"

enum TTextPos { tpNone, tpLeft, tpRight, tpAbove, tpBelow };

class TRxSwitch : public TCustomControl {
  CLASSLIB_CLASS(TRxSwitch, TCustomControl)
  static const TPropertyTable* PublishedProperties();
  // 50 x 60, off, built-in pictures, Space toggles, tab stop.
  explicit TRxSwitch(TComponent* owner);
  ~TRxSwitch() override;

  // ---- Attributes --------------------------------------------------------------------
  bool GetStateOn() const { return FStateOn; }
  // Repaints and fires OnOn or OnOff when the state changes (not while being read).
  void SetStateOn(bool value);
  // The pictures; owned. Reading one while the layout is read marks it supplied; setting
  // copies value, nullptr puts the built-in picture back.
  TBitmap* GetGlyphOn();
  void SetGlyphOn(TBitmap* value);
  TBitmap* GetGlyphOff();
  void SetGlyphOff(TBitmap* value);
  // The picture shown for a state while disabled (nullptr when there is none).
  TBitmap* GetDisabledGlyph(bool on) const { return FDisabled[on ? 1 : 0].get(); }
  // The palette of the picture of the current state while enabled; nullptr when disabled.
  HPALETTE GetPalette() const;
  // Which pictures were supplied rather than built in: bit 0 off, bit 1 on.
  int GetUserPictures() const { return FUserPictures; }
  TTextPos GetTextPosition() const { return FTextPosition; }
  void SetTextPosition(TTextPos value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);  // bsNone or bsSingle; re-creates the window
  TShortCut GetToggleKey() const { return FToggleKey; }
  void SetToggleKey(TShortCut value) { FToggleKey = value; }
  bool GetShowFocus() const { return FShowFocus; }
  void SetShowFocus(bool value);

  // ---- Operations --------------------------------------------------------------------
  void Toggle() { SetStateOn(!FStateOn); }

  // The switch went on / off.
  const TNotifyEvent& GetOnOn() const { return FOnOn; }
  void SetOnOn(TNotifyEvent handler) { FOnOn = std::move(handler); }
  const TNotifyEvent& GetOnOff() const { return FOnOff; }
  void SetOnOff(TNotifyEvent handler) { FOnOff = std::move(handler); }

  void DefineProperties(TFiler& filer) override;
  void Loaded() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void CMDialogChar(TMessage& message) override;
  void CMFocusChanged(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  virtual void DoOn();
  virtual void DoOff();

 private:
  TBitmap* Picture(int index);
  void SetPicture(int index, TBitmap* value);
  void LoadDefaultPicture(int index);
  void PictureChanged(int index);
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

  bool FActive = false;                                 // holds the focus
  std::array<std::unique_ptr<TBitmap>, 2> FPictures;    // off (0), on (1)
  std::array<std::unique_ptr<TBitmap>, 2> FDisabled;    // their greyed copies
  bool FStateOn = false;
  TTextPos FTextPosition = tpNone;
  TBorderStyle FBorderStyle = bsNone;
  TShortCut FToggleKey = 32;
  bool FShowFocus = true;
  TNotifyEvent FOnOn, FOnOff;
  int FUserPictures = 0;                                // bit 0 off, bit 1 on: supplied
};
