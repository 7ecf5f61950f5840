// TShockwaveFlash: the menu player of the main window. It plays a menu movie of our own
// format (MenuMovie.h): the background, the texts and the buttons, scaled from the movie's
// design size to the control's client area and drawn with GDI into an off-screen bitmap
// that is copied to the screen in one step.
//
// The mouse hovers and presses buttons; releasing the press over the same button chooses
// it. With the keyboard, Tab, Right and Down move the focus to the next button, Shift+Tab,
// Left and Up to the previous one, Enter and Space choose the focused button. Choosing a
// button raises OnFSCommand with the button's command and argument text.
//
// Not done: animation; a movie is one still frame with button states.
#pragma once
#include <functional>
#include <vector>
#include "MenuMovie.h"
#include "classlib/controls/Controls.h"
#include "classlib/graphics/GdiHandles.h"

class TPropertyTable;

// The command a button sends, and its argument text.
using TFSCommandEvent = std::function<void(TObject* sender, const String& command, const String& args)>;

class TShockwaveFlash : public TCustomControl {
  CLASSLIB_CLASS(TShockwaveFlash, TCustomControl)
  static const TPropertyTable* PublishedProperties();
  // 192 × 192, white, no movie, takes the focus with Tab.
  explicit TShockwaveFlash(TComponent* owner);
  ~TShockwaveFlash() override;

  // ---- Attributes ------------------------------------------------------------------------
  // The movie file. Setting it loads the file: EMenuMovieError (and nothing loaded, the
  // control blank) when it is missing or damaged. An empty name unloads the movie.
  const String& GetMovie() const { return FMovie; }
  void SetMovie(const String& value);
  // The loaded movie (empty before a movie is loaded).
  const TMenuMovie& GetMovieData() const { return FData; }
  bool GetPlaying() const { return FPlaying; }

  // ---- Operations -----------------------------------------------------------------------
  // Shows the loaded movie from its start: no button hovered, pressed or focused.
  // EInvalidOperation when no movie is loaded.
  void Play();
  // Stops showing the movie (the control is blank again).
  void Stop();

  // ---- What the player shows (for the window and its tests) ------------------------------
  // The button under the client point, or -1.
  int ButtonAt(int x, int y) const;
  // A button's rectangle in client coordinates.
  TRect ButtonRect(int index) const;
  int GetHoverIndex() const { return FHover; }
  int GetPressedIndex() const { return FPressed; }
  int GetFocusIndex() const { return FFocus; }
  // Draws the player as it is now into dc, width × height pixels.
  void RenderTo(HDC dc, int width, int height) const;

  // ---- Events -----------------------------------------------------------------------------
  const TFSCommandEvent& GetOnFSCommand() const { return FOnFSCommand; }
  void SetOnFSCommand(TFSCommandEvent handler) { FOnFSCommand = std::move(handler); }

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;
  void WMEraseBkgnd(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseLeave() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  // Raises OnFSCommand for the button.
  virtual void DoFSCommand(int index);

 private:
  void SetHover(int index);
  void MoveFocus(bool forward);
  TRect Scaled(const TMenuRect& r, int width, int height) const;
  void MakeBitmaps();

  String FMovie;                       // the file name Movie was set to
  TMenuMovie FData;                    // the loaded movie
  std::vector<UniqueBitmap> FBitmaps;  // one DIB section per picture of FData
  bool FPlaying = false;               // Play was called and Stop was not
  int FHover = -1;                     // the button under the mouse
  int FPressed = -1;                   // the button the left press began on
  int FFocus = -1;                     // the button the keyboard chooses
  TFSCommandEvent FOnFSCommand;
};
