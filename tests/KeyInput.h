// Keys typed as the keyboard types them: through the system's input queue to the focused
// window of the foreground window, so that the system makes the WM_SYS* messages and the
// default window procedure sees them as it sees a person's.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <vector>

// Presses the keys in order and releases them in reverse (Alt+F4 is {VK_MENU, VK_F4}) as the
// keyboard does; false when the system took fewer of the events.
inline bool TypeChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> events;
  for (WORD vk : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = vk;
    down.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    events.push_back(down);
  }
  for (size_t i = keys.size(); i-- > 0;) {
    INPUT up = events[i];
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    events.push_back(up);
  }
  const UINT sent = ::SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
  return sent == events.size();
}
