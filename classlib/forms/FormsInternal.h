// Helpers the units of the forms layer share; not for use outside classlib/forms.
#pragma once
#include <vector>
#include "../system/Win.h"

namespace forms_internal {

// Disables the visible, enabled top-level windows of this thread (modal forms and message
// boxes do this to the rest of the program) and enables them again in Enable or when it
// goes. Windows destroyed meanwhile are skipped.
class TTaskWindowList {
 public:
  TTaskWindowList();
  ~TTaskWindowList() { Enable(); }
  TTaskWindowList(const TTaskWindowList&) = delete;
  TTaskWindowList& operator=(const TTaskWindowList&) = delete;
  void Enable();

 private:
  std::vector<HWND> FWindows;  // disabled by us; enabled again by Enable
};

// The first visible, enabled top-level window of this thread other than exclude, the
// application window and the hint window (in z-order, top first); nullptr when none.
HWND FindTopMostWindow(HWND exclude);

// Incremented by every form's SetFocusedControl: a focus message whose handler moved the
// focus elsewhere is seen by the count having changed.
int& FocusCount();

}  // namespace forms_internal
