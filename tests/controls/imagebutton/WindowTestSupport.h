// Screenshots of the forms the image-button tests show, saved under the build folder
// (tests/screenshots/NAME.bmp) for a person to look at, and the pointer put back.
#pragma once
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Bitmap.h"

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

inline void SaveFormScreenshot(TCustomForm* form, const String& name) {
  const int w = form->GetWidth(), h = form->GetHeight();
  TBitmap shot;
  shot.SetSize(w, h);
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(shot.GetCanvas()->GetHandle(), 0, 0, w, h, screen, form->GetLeft(), form->GetTop(),
           SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  ::CreateDirectoryW(L"screenshots", nullptr);
  shot.SaveToFile(L"screenshots\\" + name + L".bmp");
}
