// A table of what belongs to each window of this process, by handle. Kept in the process
// rather than as window properties: Wine asks its server for a property, a round trip on
// every look-up, and the window procedures look theirs up on every message.
#pragma once
#include <mutex>
#include <unordered_map>
#include "../system/Win.h"

template <class T>
class TWindowTable {
 public:
  T* Find(HWND wnd) {
    std::lock_guard<std::mutex> lock(FLock);
    const auto it = FEntries.find(wnd);
    return it == FEntries.end() ? nullptr : it->second;
  }
  void Bind(HWND wnd, T* entry) {
    std::lock_guard<std::mutex> lock(FLock);
    FEntries[wnd] = entry;
  }
  // Removes the window's entry and returns it (nullptr when it had none).
  T* Take(HWND wnd) {
    std::lock_guard<std::mutex> lock(FLock);
    const auto it = FEntries.find(wnd);
    if (it == FEntries.end()) return nullptr;
    T* entry = it->second;
    FEntries.erase(it);
    return entry;
  }

 private:
  std::mutex FLock;
  std::unordered_map<HWND, T*> FEntries;
};
