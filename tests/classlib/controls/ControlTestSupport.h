// Test support for the controls tests: a top-level host window at a known screen place,
// windowed and windowless controls that log the messages they receive and paint in a
// colour, helpers for messages and exceptions, and the windows and GDI objects in use.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/controls/Controls.h"

namespace control_tests {

// Delivers what is posted to this thread's windows (bounded, so a loop cannot hang).
inline void PumpMessages() {
  MSG msg{};
  for (int i = 0; i < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

inline LPARAM At(int x, int y) { return PointToLParam(TPoint(x, y)); }

// Puts the mouse pointer on the screen's bottom-right pixel, where no test window lies, and
// waits (bounded) until the system reports it there. Called before a test shows its windows,
// so that none of them is entered by a pointer an earlier test or program left over it.
inline void PutPointerAway() {
  const int x = ::GetSystemMetrics(SM_CXSCREEN) - 1, y = ::GetSystemMetrics(SM_CYSCREEN) - 1;
  for (int i = 0; i < 50; ++i) {
    ::SetCursorPos(x, y);
    PumpMessages();
    POINT p{};
    if (::GetCursorPos(&p) && p.x == x && p.y == y) return;
    ::Sleep(10);
  }
}

// The messages a control received, in order.
struct MessageLog {
  std::vector<TMessage> Messages;
  int Count(UINT msg) const {
    return static_cast<int>(std::count_if(Messages.begin(), Messages.end(),
                                          [msg](const TMessage& m) { return m.Msg == msg; }));
  }
  const TMessage* Last(UINT msg) const {
    for (auto it = Messages.rbegin(); it != Messages.rend(); ++it)
      if (it->Msg == msg) return &*it;
    return nullptr;
  }
  void Clear() { Messages.clear(); }
};

// A parentless top-level popup window (no border, so its client area is its whole
// rectangle) that roots a tree of controls, as a form does.
class TTestHost : public TWinControl {
  CLASSLIB_CLASS(TTestHost, TWinControl)
  explicit TTestHost(int left = 100, int top = 100, int width = 400, int height = 300)
      : TWinControl(nullptr) {
    SetVisible(false);
    SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
    SetBounds(left, top, width, height);
  }
  bool IsTopLevelControl() const override { return true; }
  // Makes and shows the window (and the windows of the visible children).
  void ShowHost() {
    SetVisible(true);
    PumpMessages();
  }
  void WndProc(TMessage& message) override {
    Log.Messages.push_back(message);
    inherited::WndProc(message);
  }
  MessageLog Log;

 protected:
  void CreateParams(TCreateParams& params) override {
    inherited::CreateParams(params);
    params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = WS_EX_CONTROLPARENT;
    params.WndParent = nullptr;
  }
};

// A host of 640 x 480, shown, so that the controls put on it get their windows at once.
class TShownHost : public TTestHost {
 public:
  TShownHost() : TTestHost(0, 0, 640, 480) { ShowHost(); }
};

// A windowless control that fills itself with its colour (or, with Overdraw, tries to fill
// far beyond its bounds) and logs its messages.
class TLogGraphic : public TGraphicControl {
  CLASSLIB_CLASS(TLogGraphic, TGraphicControl)
  TLogGraphic(TComponent* owner, TWinControl* parent, const TRect& bounds,
              TColor fill = clRed)
      : TGraphicControl(owner), Fill(fill) {
    SetBoundsRect(bounds);
    SetParent(parent);
  }
  void WndProc(TMessage& message) override {
    Log.Messages.push_back(message);
    inherited::WndProc(message);
  }
  TColor Fill;
  bool Overdraw = false;
  MessageLog Log;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    GetCanvas()->GetBrush()->SetColor(Fill);
    GetCanvas()->FillRect(Overdraw ? Rect(-1000, -1000, 1000, 1000)
                                   : Rect(0, 0, GetWidth(), GetHeight()));
  }
};

// A windowed control that fills itself with its colour and logs its messages.
class TLogWindow : public TCustomControl {
  CLASSLIB_CLASS(TLogWindow, TCustomControl)
  TLogWindow(TComponent* owner, TWinControl* parent, const TRect& bounds, TColor fill = clBlue)
      : TCustomControl(owner), Fill(fill) {
    SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
    SetBoundsRect(bounds);
    SetParent(parent);
  }
  void WndProc(TMessage& message) override {
    Log.Messages.push_back(message);
    inherited::WndProc(message);
  }
  TColor Fill;
  MessageLog Log;
  // Handles CM_DIALOGKEY for this key (as a default button handles Enter), when nonzero.
  WORD DialogKey = 0;
  int DialogKeys = 0;
  // Answers CM_DIALOGCHAR when the character is the accelerator of its caption.
  int Accelerated = 0;

 protected:
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(Fill);
    GetCanvas()->FillRect(Rect(0, 0, GetWidth(), GetHeight()));
  }
  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_DIALOGKEY && DialogKey && TWMKey(message).GetCharCode() == DialogKey) {
      ++DialogKeys;
      message.Result = 1;
      return;
    }
    if (message.Msg == CM_DIALOGCHAR && IsAccel(TWMKey(message).GetCharCode(), GetCaption())) {
      ++Accelerated;
      message.Result = 1;
      return;
    }
    inherited::Dispatch(message);
  }
};

// Catches what reaches ApplicationHandleException while it lives.
class ExceptionRecorder {
 public:
  ExceptionRecorder() : FSaved(ControlHooks().HandleException) {
    ControlHooks().HandleException = [this](TObject* sender) {
      Senders.push_back(sender);
      try {
        throw;
      } catch (const Exception& e) {
        Messages.push_back(e.Message());
      } catch (...) {
        Messages.push_back(L"?");
      }
    };
  }
  ~ExceptionRecorder() { ControlHooks().HandleException = FSaved; }
  ExceptionRecorder(const ExceptionRecorder&) = delete;
  ExceptionRecorder& operator=(const ExceptionRecorder&) = delete;

  std::vector<TObject*> Senders;
  std::vector<String> Messages;

 private:
  std::function<void(TObject*)> FSaved;
};

// The windows of this thread, counted with all their descendants.
inline BOOL CALLBACK CountWindow(HWND, LPARAM param) {
  ++*reinterpret_cast<int*>(param);
  return TRUE;
}
inline BOOL CALLBACK CountWindowAndChildren(HWND wnd, LPARAM param) {
  ++*reinterpret_cast<int*>(param);
  ::EnumChildWindows(wnd, CountWindow, param);
  return TRUE;
}
inline int ThreadWindowCount() {
  int count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), CountWindowAndChildren,
                      reinterpret_cast<LPARAM>(&count));
  return count;
}

namespace detail {

// One entry of the GDI handle table Wine shares with the process (the PEB points to it);
// Type is 0 for a free entry.
#pragma pack(push, 1)
struct TWineGdiEntry {
  uint64_t Object;
  uint32_t Owner;
  uint16_t Unique;
  uint8_t Type;
  uint8_t Flags;
  uint64_t UserData;
};
#pragma pack(pop)
static_assert(sizeof(TWineGdiEntry) == 24);

}  // namespace detail

// The GDI objects of the process: the system's count, or (where the system does not
// count, as under Wine) the used entries of the shared GDI handle table.
inline int GdiObjectCount() {
  if (const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return count;
  const auto* peb = *reinterpret_cast<uint8_t* const*>(reinterpret_cast<uint8_t*>(NtCurrentTeb()) + 0x30);
  const auto* table = *reinterpret_cast<detail::TWineGdiEntry* const*>(peb + 0x94);
  if (!table) return -1;
  int count = 0;
  for (int i = 0; i < 0x10000; ++i)
    if (table[i].Type != 0) ++count;
  return count;
}

}  // namespace control_tests
