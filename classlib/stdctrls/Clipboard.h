// TClipboard: the system's clipboard, and Clipboard(), the program's one instance of it.
//
// Open and Close nest: the clipboard is opened (with a hidden window of the instance as the
// one that opens it) at the first Open and closed at the matching Close. Every operation
// opens and closes around itself, so a group of them inside one Open/Close pair is one
// clipboard session; the first thing put on the clipboard in a session empties it first, so
// that several formats put in one session stand together.
//
// Text travels as CF_UNICODETEXT. Pictures travel as the formats their graphic class puts
// (a bitmap as CF_BITMAP with its palette); Assign of a TPicture, a TGraphic or nullptr puts
// them, and a TPicture or TBitmap assigned from the clipboard takes the first format a
// graphic class reads.
//
// Not done: components on the clipboard, delayed rendering.
#pragma once
#include "../classes/Persistent.h"
#include "../system/SysExceptions.h"
#include "../system/Win.h"

class TPicture;
class TGraphic;

class TClipboard : public TPersistent {
  CLASSLIB_CLASS(TClipboard, TPersistent)
  TClipboard() = default;
  // Closes a session left open.
  ~TClipboard() override;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // ---- Sessions ----------------------------------------------------------------------------
  // Opens the clipboard (the first call) or counts a nested Open. Exception
  // "Cannot open clipboard" when another program keeps it open.
  void Open();
  // Ends an Open; the last one closes the clipboard. Unmatched calls are ignored.
  void Close();
  // How deep Open is nested now (0: closed).
  int GetOpenCount() const { return FOpenRefCount; }

  // ---- Contents ------------------------------------------------------------------------------
  // Empties the clipboard.
  void Clear();
  // True when the clipboard holds data of the format (or data the system converts to it).
  bool HasFormat(UINT format) const;
  // The formats on the clipboard, in the order they were put.
  int GetFormatCount();
  UINT GetFormats(int index);  // 0 when out of range
  // The text on the clipboard; empty when there is none.
  String GetAsText();
  // Puts the text (replacing what the clipboard held).
  void SetAsText(const String& value);
  // The data of the format (nullptr when there is none); the handle stays the clipboard's
  // and is valid while the clipboard holds that data.
  HANDLE GetAsHandle(UINT format);
  // Puts a handle; the clipboard owns it from then on (also when putting fails, in which
  // case the handle is freed and an exception raised).
  void SetAsHandle(UINT format, HANDLE value);
  // Puts a copy of size bytes as the format (global memory).
  void SetBuffer(UINT format, const void* buffer, size_t size);

  // ---- Pictures --------------------------------------------------------------------------------
  // From a TPicture or TGraphic (put on the clipboard); others as TPersistent says.
  void Assign(TPersistent* source) override;

 protected:
  // To a TPicture or TBitmap: the picture on the clipboard. EInvalidGraphic
  // "Unsupported clipboard format" when it holds none that a graphic class reads.
  void AssignTo(TPersistent* dest) override;

 private:
  // The first thing put in a session empties the clipboard.
  void Adding();
  void AssignGraphic(TGraphic* source);
  void AssignToPicture(TPicture* dest);

  HWND FClipboardWindow = nullptr;  // opens the clipboard; made by Open, freed by Close
  int FOpenRefCount = 0;            // Open nesting
  bool FEmptied = false;            // the clipboard was emptied in this session
};

// The program's clipboard instance, made on first use.
TClipboard* Clipboard();
