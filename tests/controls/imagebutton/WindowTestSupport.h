// The window tests' support: the shared screenshots, and the pointer put back.
#pragma once
#include "classlib/forms/Forms.h"
#include "tests/ScreenShots.h"

// Puts the mouse pointer back where it was: the display is shared with the window tests
// that run after these, which expect the pointer where they found it.
class CursorRestore {
 public:
  CursorRestore() { ::GetCursorPos(&FPos); }
  ~CursorRestore() { ::SetCursorPos(FPos.x, FPos.y); }
  CursorRestore(const CursorRestore&) = delete;
  CursorRestore& operator=(const CursorRestore&) = delete;

 private:
  POINT FPos{};
};
