// The program's main window TFrmStart (global FrmStart) and the checks the program makes
// before it runs: another copy already running, the menu player able to play the menu
// movie, the screen at 96 dots per inch.
//
// The window is filled by the menu player; each button of the menu movie sends a command,
// which the window's dispatcher maps to a window, a document or the quit check. Commands
// whose windows are not built yet are known to the dispatcher and do nothing.
#pragma once
#include <vector>
#include "classlib/forms/Forms.h"
#include "classlib/standins/ShockwaveFlash.h"
#include "classlib/stdctrls/MediaPlayer.h"

// The application's title, also the text of its hidden window that CheckPrevInstance
// compares; every copy of the program uses this one.
inline constexpr wchar_t kAppTitle[] = L"考试辅导系统";

class TFrmStart : public TForm {
  CLASSLIB_CLASS(TFrmStart, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout; FormCreate runs in AfterConstruction (Application->CreateForm).
  explicit TFrmStart(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TMediaPlayer* MidiMediaPlayer = nullptr;    // plays the background tune
  TShockwaveFlash* ShockwaveFlash1 = nullptr; // the menu, over the whole window

  // ---- Event handlers ------------------------------------------------------------------------
  // Ends the program unless the screen is at 96 dpi; otherwise chooses ScreenMode from
  // the screen's size and sizes the window for it.
  void FormCreate(TObject* sender);
  // On every showing (and a click on the window itself): asks the program to end when
  // today's study time has reached 24 hours, fills the screen, sets the volume to level 10,
  // loads the answer time of every question type and plays the menu movie.
  void FormShow(TObject* sender);
  // Closes the connection to the question bank; closing is always allowed.
  void FormCloseQuery(TObject* sender, bool& canClose);
  void FormClose(TObject* sender, TCloseAction& action);
  // The dispatcher: runs the menu command of that name (exact, case-sensitive); unknown
  // names, and any command while one is running, do nothing. args is not used.
  void ShockwaveFlash1FSCommand(TObject* sender, const String& command, const String& args);

  // ---- Operations ----------------------------------------------------------------------------
  // Plays the MIDI file from its start (playOn) or stops the tune; tells the user through
  // ShowDlg when there is no sound device or the file cannot be played.
  void PlayMusic(const String& fileName, bool playOn);
  // The "mnks" … "mnks5" commands: a mock exam of subject 1 to 5, sat in the exam window.
  void mnks(int subject);
  // The "quit" command: compares today's work with the study plan, asks or congratulates,
  // and closes the window when the user agrees. Without a plan it closes at once.
  void QuitPlanCheck();
  // True when today's row of the study log holds 24 hours or more. A log that cannot be
  // read, or a time text that cannot, counts as no time.
  bool StudyDayFull();
  // Reads the answer time of every question type into TypeIds and TypeTimes (emptied
  // first); a type table without rows leaves both as they were.
  void LoadAnswerTimes();
  // A menu command is running (its window is open).
  bool GetCommandRunning() const { return FCommandRunning; }

  // The screen's size as FormCreate read it (0 when it ended the program).
  int GetScreenWidthAtStart() const { return FScreenWidth; }
  int GetScreenHeightAtStart() const { return FScreenHeight; }

 private:
  void RegisterHandlers();

  int FScreenWidth = 0;           // screen width read by FormCreate
  int FScreenHeight = 0;          // screen height read by FormCreate
  bool FCommandRunning = false;   // the dispatcher is inside a command
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

// The names of every command the menu may send, in the dispatcher's order.
std::vector<String> MenuCommandNames();
// True when the dispatcher knows the command (exact, case-sensitive comparison).
bool IsMenuCommand(const String& command);
// True when the command does something now; false for the commands whose windows come
// later, and for unknown names.
bool IsMenuCommandActive(const String& command);
