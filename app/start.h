// The program's main window TFrmStart (global FrmStart) and the checks the program makes
// before it runs: another copy already running, the menu player able to play the menu
// movie, the screen at 96 dots per inch.
//
// Not done yet: the menu player that fills the window, the menu commands, the answer
// times, the 24-hour rule, the background music.
#pragma once
#include "classlib/forms/Forms.h"

// The application's title, also the text of its hidden window that CheckPrevInstance
// compares; every copy of the program uses this one.
inline constexpr wchar_t kAppTitle[] = L"考试辅导系统";

class TFrmStart : public TForm {
  CLASSLIB_CLASS(TFrmStart, TForm)
  // Reads the stored layout; FormCreate runs in AfterConstruction (Application->CreateForm).
  explicit TFrmStart(TComponent* owner);

  // Ends the program unless the screen is at 96 dpi; otherwise chooses ScreenMode from
  // the screen's size and sizes the window for it.
  void FormCreate(TObject* sender);

  // The screen's size as FormCreate read it (0 when it ended the program).
  int GetScreenWidthAtStart() const { return FScreenWidth; }
  int GetScreenHeightAtStart() const { return FScreenHeight; }

 private:
  void RegisterHandlers();

  int FScreenWidth = 0;   // screen width read by FormCreate
  int FScreenHeight = 0;  // screen height read by FormCreate
};

extern TFrmStart* FrmStart;

// True when another copy of the program runs: that copy's last active window has been
// brought forward (restored when minimised) and this one asked to end.
bool CheckPrevInstance();
// True when the menu player can play the menu movie: pic\main.swf under the program
// directory exists and is a menu movie (MenuMovie.h).
bool IsFlashInstalled();
// True when the screen has 96 logical pixels per inch.
bool IsSmallFonts();
// The screen layout for a screen of that size: "800" when it is 800 wide or 600 high
// (either suffices), "1024" otherwise.
String ScreenModeFor(int screenWidth, int screenHeight);
