// TPrinter: the system's printers, and Printer(), the program's one instance.
//
// Printers lists the installed printers by name; PrinterIndex chooses one (-1, the first
// value, means the system's default printer, looked up when it is first needed). The printer
// is reached through a device context: an information context while nothing prints (for
// Handle, PageWidth, PageHeight and measuring on Canvas), a device context from BeginDoc to
// EndDoc. Orientation changes the printer's settings for the next document.
//
// Errors raise EPrinter: "There is no default printer currently selected" when a printer is
// needed and none is installed or chosen, "Printer selected is not valid" when the system
// refuses the printer, "Printer index out of range", "Printing in progress" (choosing or
// setting up the printer while printing, BeginDoc twice) and "Printer is not currently
// printing" (NewPage, EndDoc or Abort without BeginDoc).
//
// Not done: copies, paper bins and sizes, fonts of the printer, abort dialogs.
#pragma once
#include <memory>
#include <vector>
#include "../classes/StringList.h"
#include "../graphics/Canvas.h"
#include "../system/SysExceptions.h"

CLASSLIB_EXCEPTION(EPrinter, Exception)

enum TPrinterOrientation { poPortrait, poLandscape };

class TPrinter : public TObject {
  CLASSLIB_CLASS(TPrinter, TObject)
  TPrinter();
  // Ends a document still printing, then lets the printer's context go.
  ~TPrinter() override;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // ---- Attributes -----------------------------------------------------------------------
  // The installed printers' names, read at the first call (Refresh reads them again). Owned.
  TStrings* GetPrinters();
  // The printer chosen: its index in Printers. Reading it looks up the default printer when
  // none is chosen yet.
  int GetPrinterIndex();
  // -1 chooses the default printer.
  void SetPrinterIndex(int value);
  TPrinterOrientation GetOrientation();
  void SetOrientation(TPrinterOrientation value);
  // The document's name in the printer's queue.
  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& value) { FTitle = value; }
  // The printer's device context (an information context while nothing prints); the
  // printer keeps owning it.
  HDC GetHandle();
  // Draws on the printed page (measures against the printer while nothing prints). Owned.
  TCanvas* GetCanvas();
  // The printable area in device pixels.
  int GetPageWidth();
  int GetPageHeight();
  // The page being printed, from 1; 0 while nothing prints.
  int GetPageNumber() const { return FPageNumber; }
  bool GetPrinting() const { return FPrinting; }
  bool GetAborted() const { return FAborted; }

  // ---- Operations -------------------------------------------------------------------------
  // Starts a document of one page. EPrinter when the system will not start it.
  void BeginDoc();
  // Ends the page and the document (which then prints).
  void EndDoc();
  // Throws the document away.
  void Abort();
  // Ends the page and starts the next one.
  void NewPage();
  // Reads the list of printers again at the next need; the default printer is chosen again.
  void Refresh();

 private:
  enum TState { psNoHandle, psHandleIC, psHandleDC };
  class TPrinterCanvas;

  // EPrinter "Printing in progress" / "Printer is not currently printing" unless printing is
  // as expected.
  void CheckPrinting(bool expected) const;
  // Finds the default printer in Printers and chooses it.
  void SetToDefaultPrinter();
  // The chosen printer's name (the default chosen first when none is).
  String DeviceName();
  // The chosen printer's settings, read from the system when needed.
  DEVMODEW* DeviceMode();
  // Makes the context the state needs (none, information or device context).
  void SetState(TState value);
  // Frees the context and the settings (another printer was chosen).
  void ForgetPrinter();

  std::unique_ptr<TStringList> FPrinters;      // installed printers; read on demand
  int FPrinterIndex = -1;                      // -1: the default, not looked up yet
  std::vector<BYTE> FDevMode;                  // the chosen printer's DEVMODEW; empty: unread
  HDC FDC = nullptr;                           // information or device context; deleted here
  TState FState = psNoHandle;
  std::unique_ptr<TPrinterCanvas> FCanvas;     // draws on FDC
  String FTitle;
  int FPageNumber = 0;
  bool FPrinting = false;
  bool FAborted = false;
};

// The program's printer instance, made on first use.
TPrinter* Printer();
