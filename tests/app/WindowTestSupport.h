// Test support for the application's windows: steps run from a timer while a modal window
// waits (so that no test waits for a person), screenshots saved under the build folder, and
// the program's state set up on a copy of the shipped bank.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>
#include "AppTestSupport.h"
#include "tests/KeyInput.h"
#include "app/ProgramClasses.h"
#include "app/Responders.h"
#include "classlib/forms/Forms.h"

// Runs steps in order from a thread timer, each until it returns true, while the test sits
// in a modal loop; a step that is not done after stepLimitMs (10 seconds) fails the test,
// the rest are dropped and the modal windows opened since the driver started are closed
// (Cancel), so that ShowModal returns. A modal window still open a step's time after the
// last step fails the test and is closed too. One driver at a time.
class TModalDriver {
 public:
  explicit TModalDriver(std::vector<std::function<bool()>> steps, DWORD stepLimitMs = 10000);
  ~TModalDriver();
  TModalDriver(const TModalDriver&) = delete;
  TModalDriver& operator=(const TModalDriver&) = delete;
  // All steps ran (false once the driver gave up).
  bool Done() const;
};

// The visible top-level window of this process whose text is title, or nullptr.
HWND FindOwnWindow(const String& title);
// Clicks a button window in its middle with real mouse messages (move, press, release),
// posted: they take effect when the message loop runs.
void ClickButton(HWND button);
// Clicks a control drawn on its parent window (no window of its own) in its middle with real
// mouse messages, sent: they take effect before this returns.
void ClickGraphic(TControl* control);
// Clicks a control drawn on its parent window in its middle with posted mouse messages: they
// take effect when the loop runs, so a modal window the click opens does not run inside the
// caller.
void PostGraphicClick(TControl* control);
// Clicks a control in its middle with sent mouse messages: on its own window, or for a windowless
// one on its parent's.
void ClickControl(TControl* control);
// Runs the message loop for a moment so that windows paint.
void PumpAWhile();
// Moves the mouse to a client point of control as the system would: the cursor goes there
// and the window under it (a child lying over the point, if any) gets the move, posted.
void HoverOver(TControl* control, int x, int y);
// True once the application's hint window shows text.
bool HintShows(const String& text);
// press opens the settings window on its music page only, modal over owner; it is closed with
// its button and must leave owner as it was (the window freed, owner enabled again).
void ExpectMusicSettingsFrom(TCustomForm* owner, const std::function<void()>& press);
// True when a student could see control: it and every parent are visible and some of it
// lies inside its parent's client area.
bool InSight(TControl* control);
// Presses and releases a key on the window that has the focus, posted as the keyboard
// would; false when no window of this thread has the focus.
bool PostKey(WORD vk);
// A mouse event (MOUSEEVENTF_*) at a screen point through the system's input queue, the
// cursor moved there first; the loop then runs a moment.
void MouseInput(const TPoint& screen, DWORD flags);
// Makes form the foreground window, where typed keys go; false when it did not become it.
bool BringForward(TCustomForm* form);

class TComboBox;
class TSpinEdit;
class TEdit;
// Drives a window's type box as a student does, with real input: a click drops its list; with
// the mouse moved off the list (onto stem), Down moves the list's choice and the focus stays
// on the box, Enter chooses and closes; dropped again, Down then Escape closes and keeps that
// choice, with the option count and key the type rule changed on the way put back; closed, Up
// picks the type before. Down, Down and Enter keep the third type with what the rule set
// for it; dropped on it, off and back again and Escape keep the inputs locked. No key
// reaches stem. The box holds four types or more (the third self-assessed, the second and
// fourth not), starts on the first and ends on the second.
void ExpectTypeBoxKeepsTheKeys(TCustomForm* form, TComboBox* box, TWinControl* stem, TSpinEdit* options, TEdit* key);
class TCustomComboBox;
// Grades questions in a window's self-assessment box with real keys: the question on display
// gets the second grade by two Downs on the closed box; then show(i) shows question i (1 to
// 4), whose box must be empty and whose first Down picks the first grade, the box closed,
// then opened by a click, by Alt+Down and by F4; a second Down picks the second grade, which
// Enter keeps. The window with the list opened by the click is saved as the screenshot shot.
void ExpectEveryGradeBoxStartsAtTheFirst(TCustomForm* form, TCustomComboBox* box, const std::function<void(int)>& show,
                                         const String& shot);
// Every item of box reads whole in the closed box (beside its button) and in its dropped list
// (beside the scroll bar); the list is left dropped, the box showing the widest item (no
// change event runs).
void ExpectItemsReadWhole(TComboBox* box);

class TepEfTrBtn;
// Every effect command button of form that is enabled turns blue under the mouse (active text
// colour clBlue); then the mouse rests over hovered, which must draw blue ink on the screen,
// and form is saved as the screenshot shot.
void ExpectCommandButtonsGlowBlue(TCustomForm* form, TepEfTrBtn* hovered, const String& shot);

// Copies the screen's pixels under the window into the build folder's screenshots folder
// as name.bmp; false when it could not.
bool SaveWindowShot(HWND window, const String& name);
// The same for the screen under a window and a second one (a dropped list, say) together.
bool SaveWindowsShot(HWND window, HWND other, const String& name);
// Saves what draw paints into a width × height bitmap as name.bmp.
bool SaveDrawnShot(int width, int height, const std::function<void(HDC)>& draw, const String& name);
// Saves the window as it sits centred on the main menu at 1024 × 768 and at 800 × 600, as
// name_1024x768.bmp and name_800x600.bmp; false when one could not be saved.
bool SaveShotsOverMenu(HWND window, const String& name);
// The pixels of a window's client area as the screen shows them, rows from the top.
struct TClientPixels {
  int Width = 0;
  int Height = 0;
  std::vector<COLORREF> Pixels;  // Width × Height
  // The pixel at x, y of the client area (both inside it).
  COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};
// Copies the screen under window's client area; empty when the window has none.
TClientPixels GrabClient(HWND window);
// The number of pixels of window's client area on the screen whose colour is not that of its
// top-left client pixel (the background): 0 when the area shows nothing but its background.
int ScreenInk(HWND window);
// A window's text with its line ends as '\n' and none after the last line.
String WindowLines(HWND window);
// The stem of question id as the bank stores it (tab_exer's rich text), as its text.
String StoredStem(TADOConnection& cn, const String& id);
// The folder the screenshots go to (with a trailing backslash).
String ScreenshotFolder();

class TImage;
class TSpeedButton;
// Checks the picture of image under a flat button: a plate (a darker edge against the
// background, a light face) where the button is, with label ink inside when the button has
// no caption and none when it draws its own.
void ExpectPlateUnder(TImage* image, TSpeedButton* button, const char* what);
// Checks the picture of image around control: the pixels just outside its left and right
// edges, at its middle, are the light face of a panel, so it stands inside a panel of the
// picture and not over the panel's border.
void ExpectOnPanel(TImage* image, TControl* control);
// The shown picture covers form's client area; the hidden one (when given) is stored as well.
void ExpectPictures(TCustomForm* form, TImage* shown, TImage* hidden);

// What the responders were asked, and how they answer.
struct TResponderLog {
  std::vector<String> Dialogs;  // "caption|text|mode|icon|kind"
  std::vector<String> Boxes;    // "caption|text|flags"
  std::vector<String> Shell;    // "file|show"
  int DialogAnswer = 1;         // what ShowDlg returns
  int BoxAnswer = IDOK;         // what a message box returns
  bool Empty() const { return Dialogs.empty() && Boxes.empty() && Shell.empty(); }
  void Clear() {
    Dialogs.clear();
    Boxes.clear();
    Shell.clear();
  }
};

// Installs recording responders for its lifetime (the real ones come back afterwards).
class TRecordingResponders {
 public:
  TRecordingResponders();
  ~TRecordingResponders();
  TRecordingResponders(const TRecordingResponders&) = delete;
  TRecordingResponders& operator=(const TRecordingResponders&) = delete;
  TResponderLog Log;
};

// The data module DM1 on a copy of the shipped bank, AppPath the build's program folder,
// today pinned; removed again at the end.
class TProgramData {
 public:
  TProgramData();
  // On bankFile as it is (another process's copy, which stays).
  explicit TProgramData(const String& bankFile);
  ~TProgramData();
  TProgramData(const TProgramData&) = delete;
  TProgramData& operator=(const TProgramData&) = delete;
  // Runs a statement on the bank.
  void Exec(const String& sql);
  TADOConnection& Cn();
  const String& BankFile() const { return FFile; }
  static inline const TDateTime kToday = EncodeDate(2024, 5, 7);

 private:
  void Connect();

  TTempBankFile FBank;
  String FFile;  // the bank DM1 is on
};

class TfcImageBtn;
class TfcButtonGroup;
// Expects each answer pad to be made of image buttons that show the option pictures: the
// first button holds them (40 x 40), every other one points at it, and the buttons stand
// side by side without gaps.
void ExpectPicturePads(std::initializer_list<TfcButtonGroup*> pads);
// Expects the field of a shown combo box to be filled white (the window colour), past its text
// and left of the strip beside its button.
void ExpectWhiteField(TCustomComboBox* box);
class TepIndiGauge;
// Expects the answer-time gauge to fill from the bottom in 100 segments that turn red past 65:
// at 70 the screen shows the gauge's colour low, red near the top of the lit part and grey
// above it. Leaves the gauge at 0.
void ExpectTimeGaugeTurnsRed(TepIndiGauge* gauge);
// Expects the number-pad buttons button(0) .. button(count - 1) to stand in reading order
// from the top left of their group, columns to a row (each right of the one before, each row
// below the one before, lined up under the first), captioned firstCaption, firstCaption + 1, ...
void ExpectPadInReadingOrder(const std::function<TfcImageBtn*(int index)>& button, int count, int columns,
                             int firstCaption);
