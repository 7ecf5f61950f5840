#include "WindowTestSupport.h"

#include <algorithm>

#include "app/Ucommon.h"
#include "data/tools/Rtf.h"
#include "app/MenuMovie.h"
#include "app/PracticeCore.h"
#include "app/ProgramClasses.h"
#include "app/Uconfig.h"
#include "classlib/forms/HintWindow.h"
#include "tests/ApplicationTestSupport.h"
#include "tests/BuildFolder.h"
#include "classlib/standins/ShockwaveFlash.h"
#include "classlib/stdctrls/ComboBoxes.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/SpinEdit.h"
#include "controls/effects/EffBtns.h"
#include "controls/effects/IndiCtrls.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"

// ---- The modal driver ------------------------------------------------------------------------------

namespace {

struct TDriverState {
  std::vector<std::function<bool()>> Steps;
  DWORD StepLimit = 10000;            // ms a step may take
  std::vector<TCustomForm*> Before;   // forms already modal when the driver started
  size_t Next = 0;
  DWORD StepStart = 0;
  UINT_PTR Timer = 0;
  bool Running = false;  // a step is running (it may run a modal loop of its own)
  bool GaveUp = false;
  DWORD CloseStart = 0;  // when closing the modal windows began, 0 while not closing
};
TDriverState* Driver = nullptr;

// How long the driver keeps asking the modal windows to close before it leaves them.
constexpr DWORD kClosingLimit = 5000;

std::vector<TCustomForm*> ModalForms() {
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (TCustomForm* form = Screen->GetCustomForms(i); form && form->GetFormState().Contains(fsModal))
      forms.push_back(form);
  return forms;
}

// The modal windows opened since the driver started.
std::vector<TCustomForm*> DrivenModalForms(const TDriverState& state) {
  std::vector<TCustomForm*> forms = ModalForms();
  std::erase_if(forms, [&](TCustomForm* f) { return std::find(state.Before.begin(), state.Before.end(), f) != state.Before.end(); });
  return forms;
}

// Asks every driven modal window to close (Cancel), so that ShowModal returns and a failed
// test ends in seconds instead of waiting for the test program's timeout. A window whose
// close query keeps refusing is asked on every tick for a while, then left.
void CloseDrivenModalForms(TDriverState& state) {
  const std::vector<TCustomForm*> forms = DrivenModalForms(state);
  if (forms.empty()) {
    state.CloseStart = 0;
    return;
  }
  if (state.CloseStart == 0) state.CloseStart = ::GetTickCount();
  if (::GetTickCount() - state.CloseStart > kClosingLimit) return;
  for (TCustomForm* form : forms) form->SetModalResult(mrCancel);
}

void GiveUp(TDriverState& state) {
  state.GaveUp = true;
  state.Next = state.Steps.size();
  CloseDrivenModalForms(state);
}

void CALLBACK DriverTick(HWND, UINT, UINT_PTR, DWORD) {
  TDriverState* state = Driver;
  if (!state || state->Running) return;
  if (state->Next >= state->Steps.size()) {
    // After the last step the window closes by itself; one still open after a step's time
    // would keep ShowModal waiting for ever.
    if (state->GaveUp) {
      CloseDrivenModalForms(*state);
    } else if (::GetTickCount() - state->StepStart > state->StepLimit && !DrivenModalForms(*state).empty()) {
      ADD_FAILURE() << "the modal window stayed open after the modal driver's last step";
      GiveUp(*state);
    }
    return;
  }
  state->Running = true;
  try {
    if (state->Steps[state->Next]()) {
      ++state->Next;
      state->StepStart = ::GetTickCount();
    } else if (::GetTickCount() - state->StepStart > state->StepLimit) {
      ADD_FAILURE() << "step " << state->Next << " of the modal driver did not happen";
      GiveUp(*state);
    }
  } catch (...) {
    ADD_FAILURE() << "a step of the modal driver raised";
    GiveUp(*state);
  }
  state->Running = false;
}

}  // namespace

TModalDriver::TModalDriver(std::vector<std::function<bool()>> steps, DWORD stepLimitMs) {
  Driver = new TDriverState{std::move(steps), stepLimitMs, ModalForms()};
  Driver->StepStart = ::GetTickCount();
  Driver->Timer = ::SetTimer(nullptr, 0, 20, &DriverTick);
}

TModalDriver::~TModalDriver() {
  ::KillTimer(nullptr, Driver->Timer);
  delete std::exchange(Driver, nullptr);
}

bool TModalDriver::Done() const { return Driver && !Driver->GaveUp && Driver->Next >= Driver->Steps.size(); }

namespace {

struct TTitleSearch {
  String Title;
  HWND Found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<TTitleSearch*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(wnd, &pid);
  wchar_t text[256] = {};
  ::GetWindowTextW(wnd, text, 256);
  if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(wnd) && search->Title == text) {
    search->Found = wnd;
    return FALSE;
  }
  return TRUE;
}

bool WriteBmp(HDC dc, HBITMAP bitmap, int width, int height, const String& name) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<uint8_t> bits(stride * static_cast<DWORD>(height));
  if (!::GetDIBits(dc, bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS)) return false;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
  ForceDirectories(ScreenshotFolder());
  HANDLE out = ::CreateFileW((ScreenshotFolder() + name + L".bmp").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(out, &file, sizeof file, &written, nullptr) &&
            ::WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
            ::WriteFile(out, bits.data(), static_cast<DWORD>(bits.size()), &written, nullptr);
  ::CloseHandle(out);
  return ok;
}

}  // namespace

HWND FindOwnWindow(const String& title) {
  TTitleSearch search{title};
  ::EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

void ClickButton(HWND button) {
  RECT client{};
  ::GetClientRect(button, &client);
  const LPARAM middle = MAKELPARAM(client.right / 2, client.bottom / 2);
  ::PostMessageW(button, WM_MOUSEMOVE, 0, middle);
  ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  ::PostMessageW(button, WM_LBUTTONUP, 0, middle);
}

bool PostKey(WORD vk) {
  HWND focus = ::GetFocus();
  if (!focus) return false;
  const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  ::PostMessageW(focus, WM_KEYDOWN, vk, 1 | scan);
  ::PostMessageW(focus, WM_KEYUP, vk, 1 | scan | (LPARAM(3) << 30));
  return true;
}

String ScreenshotFolder() { return TestBuildFolder() + L"screenshots\\"; }

bool SaveDrawnShot(int width, int height, const std::function<void(HDC)>& draw, const String& name) {
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  draw(dc);
  ::SelectObject(dc, old);
  const bool ok = WriteBmp(dc, bitmap, width, height, name);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return ok;
}

namespace {

bool SaveScreenShot(const RECT& r, const String& name) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  return SaveDrawnShot(width, height, [&](HDC dc) {
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
  }, name);
}

}  // namespace

bool SaveWindowShot(HWND window, const String& name) {
  RECT r{};
  return ::GetWindowRect(window, &r) && SaveScreenShot(r, name);
}

bool SaveWindowsShot(HWND window, HWND other, const String& name) {
  RECT a{}, b{}, both{};
  return ::GetWindowRect(window, &a) && ::GetWindowRect(other, &b) && ::UnionRect(&both, &a, &b) &&
         SaveScreenShot(both, name);
}

TClientPixels GrabClient(HWND window) {
  TClientPixels grab;
  RECT client{};
  if (!::GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return grab;
  POINT origin{0, 0};
  ::ClientToScreen(window, &origin);
  const int width = client.right, height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return grab;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(dc, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  ::GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  grab.Width = width;
  grab.Height = height;
  grab.Pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  // The section holds 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
  for (int i = 0; i < width * height; ++i)
    grab.Pixels.push_back(RGB((pixels[i] >> 16) & 0xFF, (pixels[i] >> 8) & 0xFF, pixels[i] & 0xFF));
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::DeleteObject(bitmap);
  return grab;
}

int ScreenInk(HWND window) {
  const TClientPixels grab = GrabClient(window);
  if (grab.Pixels.empty()) return 0;
  const COLORREF background = grab.Pixels.front();
  return static_cast<int>(std::count_if(grab.Pixels.begin(), grab.Pixels.end(),
                                        [background](COLORREF c) { return c != background; }));
}

String WindowLines(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  String text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
  String lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r') {
      lines += text[i];
      continue;
    }
    lines += L'\n';
    if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
  }
  while (!lines.empty() && lines.back() == L'\n') lines.pop_back();
  return lines;
}

String StoredStem(TADOConnection& cn, const String& id) {
  String text = ReadRtf(SelectBytes(cn, L"select A15 from tab_exer where A1 = " + SqlQuoted(id))).Text;
  while (!text.empty() && text.back() == L'\n') text.pop_back();
  return text;
}

bool SaveShotsOverMenu(HWND window, const String& name) {
  RECT r{};
  if (!::GetWindowRect(window, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  TShockwaveFlash menu(nullptr);
  menu.SetMovie(BuiltAppFolder() + kMenuMovieFile);
  menu.Play();
  bool ok = true;
  for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{800, 600}}) {
    ok = SaveDrawnShot(width, height, [&](HDC dc) {
      menu.RenderTo(dc, width, height);
      HDC screen = ::GetDC(nullptr);
      ::BitBlt(dc, (width - w) / 2, (height - h) / 2, w, h, screen, r.left, r.top, SRCCOPY);
      ::ReleaseDC(nullptr, screen);
    }, name + L"_" + IntToStr(width) + L"x" + IntToStr(height)) && ok;
  }
  return ok;
}

// ---- Responders -----------------------------------------------------------------------------------

TRecordingResponders::TRecordingResponders() {
  SetShowDlgResponder([this](const String& caption, const String& text, int mode, int icon, const String& kind) {
    Log.Dialogs.push_back(caption + L"|" + text + L"|" + IntToStr(mode) + L"|" + IntToStr(icon) + L"|" + kind);
    return Log.DialogAnswer;
  });
  SetMessageBoxResponder([this](const String& text, const String& caption, UINT flags) {
    Log.Boxes.push_back(caption + L"|" + text + L"|" + IntToStr(int64_t(flags)));
    return Log.BoxAnswer;
  });
  SetShellOpenResponder([this](const String& file, int show) { Log.Shell.push_back(file + L"|" + IntToStr(show)); });
}

TRecordingResponders::~TRecordingResponders() {
  SetShowDlgResponder(nullptr);
  SetMessageBoxResponder(nullptr);
  SetShellOpenResponder(nullptr);
}

// ---- The program's data ---------------------------------------------------------------------------

TProgramData::TProgramData() : FFile(FBank.Name()) {
  EXPECT_TRUE(::CopyFileW(BuiltBankFile().c_str(), FFile.c_str(), FALSE));
  Connect();
}

TProgramData::TProgramData(const String& bankFile) : FFile(bankFile) { Connect(); }

void TProgramData::Connect() {
  RegisterLayoutClasses();
  DM1 = new TDM1(nullptr);
  DM1->ADOCn1->SetConnectionString(DbConnectionString(FFile, kBankPassword));
  DM1->ADOCn1->SetConnected(true);
  DM1->DbReady = true;
  DM1->SetToday(kToday);
  AppPath = BuiltAppFolder();
}

TProgramData::~TProgramData() {
  delete std::exchange(DM1, nullptr);
  AppPath.clear();
}

void TProgramData::Exec(const String& sql) {
  if (!DM1->ADOCn1->GetConnected()) DM1->ADOCn1->SetConnected(true);
  DM1->ADOCn1->Execute(sql);
}

TADOConnection& TProgramData::Cn() { return *DM1->ADOCn1; }

void ExpectPadInReadingOrder(const std::function<TfcImageBtn*(int index)>& button, int count, int columns,
                             int firstCaption) {
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(i);
    TfcImageBtn* shown = button(i);
    ASSERT_NE(nullptr, shown);
    EXPECT_TRUE(shown->GetVisible());
    EXPECT_EQ(IntToStr(firstCaption + i), shown->GetCaption());
    const TRect place = shown->GetBoundsRect();
    if (i == 0) {
      EXPECT_LT(place.Left, place.Width()) << "the first stands at the left";
      EXPECT_LT(place.Top, place.Height()) << "the first stands at the top";
    }
    if (i % columns > 0) {
      const TRect before = button(i - 1)->GetBoundsRect();
      EXPECT_EQ(before.Top, place.Top) << "in the row of the one before";
      EXPECT_GE(place.Left, before.Right) << "right of the one before";
    }
    if (i >= columns) {
      const TRect above = button(i - columns)->GetBoundsRect();
      EXPECT_EQ(above.Left, place.Left) << "under the one a row before";
      EXPECT_GE(place.Top, above.Bottom) << "below the row before";
    }
  }
}

void ExpectPicturePads(std::initializer_list<TfcButtonGroup*> pads) {
  for (TfcButtonGroup* pad : pads) {
    SCOPED_TRACE(StringToUtf8(pad->GetName()));
    EXPECT_EQ(0, pad->GetControlSpacing());
    TfcButtonGroupItems* items = pad->GetButtonItems();
    ASSERT_GE(items->GetCount(), 2);
    auto* first = dynamic_cast<TfcImageBtn*>(items->GetItem(0)->GetButton());
    ASSERT_NE(nullptr, first) << "an image button";
    EXPECT_EQ(40, first->GetImage()->GetWidth());
    EXPECT_EQ(40, first->GetImage()->GetHeight());
    EXPECT_EQ(40, first->GetImageDown()->GetWidth());
    TfcImageBtn* shown = first;  // the last shown button: hidden ones take no place
    for (int i = 1; i < items->GetCount(); ++i) {
      SCOPED_TRACE(i);
      auto* button = dynamic_cast<TfcImageBtn*>(items->GetItem(i)->GetButton());
      ASSERT_NE(nullptr, button) << "an image button";
      EXPECT_EQ(first, button->GetExtImage());
      EXPECT_EQ(first, button->GetExtImageDown());
      if (!button->GetVisible()) continue;
      EXPECT_EQ(shown->GetBoundsRect().Right, button->GetLeft()) << "no gap";
      shown = button;
    }
  }
}

void ExpectWhiteField(TCustomComboBox* box) {
  ::RedrawWindow(box->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  const TClientPixels screen = GrabClient(box->GetHandle());
  ASSERT_GT(screen.Width, 40);
  EXPECT_EQ(::GetSysColor(COLOR_WINDOW), screen.At(screen.Width - 30, screen.Height / 2))
      << StringToUtf8(box->GetName());
}

void ExpectTimeGaugeTurnsRed(TepIndiGauge* gauge) {
  EXPECT_EQ(100, gauge->GetIndiNums());
  gauge->SetProgress(70);
  HWND parent = gauge->GetParent()->GetHandle();
  ::RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const TClientPixels screen = GrabClient(parent);
  // The middle of segment i, counted from 1 at the bottom.
  const int step = gauge->GetHeight() / 100;
  const auto segment = [&](int i) {
    const int x = gauge->GetLeft() + gauge->GetWidth() / 2;
    const int y = gauge->GetTop() + gauge->GetHeight() - i * step + (step - 1) / 2;
    return x < screen.Width && y < screen.Height ? screen.At(x, y) : CLR_INVALID;
  };
  EXPECT_EQ(static_cast<COLORREF>(ColorToRGB(gauge->GetIndiColor())), segment(10)) << "normal";
  EXPECT_EQ(RGB(255, 0, 0), segment(68)) << "past 65";
  EXPECT_EQ(RGB(128, 128, 128), segment(90)) << "not lit";
  gauge->SetProgress(0);
}

void PostGraphicClick(TControl* control) {
  const LPARAM at =
      MAKELPARAM(control->GetLeft() + control->GetWidth() / 2, control->GetTop() + control->GetHeight() / 2);
  HWND parent = control->GetParent()->GetHandle();
  ::PostMessageW(parent, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(parent, WM_LBUTTONUP, 0, at);
}

void ClickGraphic(TControl* control) {
  const LPARAM at =
      MAKELPARAM(control->GetLeft() + control->GetWidth() / 2, control->GetTop() + control->GetHeight() / 2);
  HWND parent = control->GetParent()->GetHandle();
  ::SendMessageW(parent, WM_MOUSEMOVE, 0, at);
  ::SendMessageW(parent, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(parent, WM_LBUTTONUP, 0, at);
}

void ClickControl(TControl* control) {
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (!windowed) {
    ClickGraphic(control);
  } else {
    const LPARAM at = MAKELPARAM(control->GetWidth() / 2, control->GetHeight() / 2);
    ::SendMessageW(windowed->GetHandle(), WM_MOUSEMOVE, 0, at);
    ::SendMessageW(windowed->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(windowed->GetHandle(), WM_LBUTTONUP, 0, at);
  }
  PumpAWhile();
}

void PumpAWhile() { PumpApplicationUntil([] { return false; }, 150, 10); }

void HoverOver(TControl* control, int x, int y) {
  const TPoint screen = control->ClientToScreen(TPoint(x, y));
  ::SetCursorPos(screen.X, screen.Y);
  POINT at{screen.X, screen.Y};
  HWND target = ::WindowFromPoint(at);
  if (!target) return;
  ::ScreenToClient(target, &at);
  ::PostMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
}

void ExpectCommandButtonsGlowBlue(TCustomForm* form, TepEfTrBtn* hovered, const String& shot) {
  int enabled = 0;
  for (int i = 0; i < form->GetComponentCount(); ++i) {
    auto* button = dynamic_cast<TepEfTrBtn*>(form->GetComponent(i));
    if (!button || !button->GetEnabled()) continue;
    ++enabled;
    EXPECT_EQ(clBlue, button->GetActiveTextColor()) << StringToUtf8(button->GetName()) << " "
                                                    << StringToUtf8(button->GetCaption());
  }
  EXPECT_GT(enabled, 0);
  ASSERT_TRUE(hovered->GetEnabled() && InSight(hovered));
  HoverOver(hovered, hovered->GetWidth() / 2, hovered->GetHeight() / 2);
  PumpApplicationUntil([&] { return hovered->GetMouseInside(); }, 2000, 10);
  EXPECT_TRUE(hovered->GetMouseInside());
  ::RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpAWhile();
  const TClientPixels screen = GrabClient(hovered->GetParent()->GetHandle());
  const TRect r = hovered->GetBoundsRect();
  int blue = 0;
  for (int y = std::max(0, r.Top); y < std::min(r.Bottom, screen.Height); ++y)
    for (int x = std::max(0, r.Left); x < std::min(r.Right, screen.Width); ++x) {
      const COLORREF c = screen.At(x, y);
      blue += GetBValue(c) >= 0x80 && GetBValue(c) > GetRValue(c) + 0x40 && GetBValue(c) > GetGValue(c) + 0x40;
    }
  EXPECT_GT(blue, 10) << StringToUtf8(hovered->GetCaption()) << ": blue under the mouse";
  EXPECT_TRUE(SaveWindowShot(form->GetHandle(), shot));
}

bool HintShows(const String& text) {
  THintWindow* hint = Application->GetHintWindow();
  return hint && hint->HandleAllocated() && ::IsWindowVisible(hint->GetHandle()) && hint->GetCaption() == text;
}

bool InSight(TControl* control) {
  for (TControl* c = control; c; c = c->GetParent())
    if (!c->GetVisible()) return false;
  TWinControl* parent = control->GetParent();
  if (!parent) return true;
  const TRect client = parent->GetClientRect();
  const TRect r = control->GetBoundsRect();
  return r.Left < client.Right && r.Right > client.Left && r.Top < client.Bottom && r.Bottom > client.Top;
}

void ExpectMusicSettingsFrom(TCustomForm* owner, const std::function<void()>& press) {
  ConfigMode = 1;
  const int components = owner->GetComponentCount();
  bool seen = false;
  TModalDriver driver({[&] {
    if (!FindOwnWindow(L"系统设置")) return false;
    for (int i = 0; i < owner->GetComponentCount(); ++i)
      if (auto* settings = dynamic_cast<TFrmConfig*>(owner->GetComponent(i))) {
        seen = true;
        EXPECT_EQ(0, ConfigMode);
        EXPECT_EQ(0, settings->GetRowCount()) << "the music page only";
        EXPECT_FALSE(::IsWindowEnabled(owner->GetHandle())) << "modal";
        settings->epFocusButton3->Click();
      }
    return true;
  }});
  press();
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(seen);
  EXPECT_EQ(components, owner->GetComponentCount());
  EXPECT_TRUE(::IsWindowEnabled(owner->GetHandle()));
}

// ---- Window backgrounds ---------------------------------------------------------------------------

namespace {

int Brightness(TColor colour) {
  const int rgb = ColorToInt(colour);
  return (rgb & 0xFF) + ((rgb >> 8) & 0xFF) + ((rgb >> 16) & 0xFF);
}

// The label ink of a picture inside a rectangle: pixels as dark as the labels' navy.
int LabelInk(TCanvas* canvas, const TRect& r) {
  int ink = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) ink += Brightness(canvas->GetPixels(x, y)) < 300;
  return ink;
}

}  // namespace

void ExpectPlateUnder(TImage* image, TSpeedButton* button, const char* what) {
  SCOPED_TRACE(what);
  ASSERT_TRUE(button->GetVisible());
  TBitmap* picture = image->GetPicture()->GetBitmap();
  TCanvas* canvas = picture->GetCanvas();
  const TRect r(button->GetLeft() - image->GetLeft(), button->GetTop() - image->GetTop(),
                button->GetLeft() - image->GetLeft() + button->GetWidth(),
                button->GetTop() - image->GetTop() + button->GetHeight());
  ASSERT_GE(r.Left, 3);
  ASSERT_LE(r.Right, picture->GetWidth());
  ASSERT_LE(r.Bottom, picture->GetHeight());
  const int middle = (r.Top + r.Bottom) / 2;
  EXPECT_GT(Brightness(canvas->GetPixels(r.Left - 3, middle)) - Brightness(canvas->GetPixels(r.Left, middle)), 60)
      << "the plate's edge stands out at the button's left";
  EXPECT_GT(Brightness(canvas->GetPixels(r.Left + 4, r.Top + 4)), 620) << "a light face";
  const int ink = LabelInk(canvas, TRect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3));
  if (button->GetCaption().empty())
    EXPECT_GT(ink, 30) << "the picture carries the label";
  else
    EXPECT_EQ(0, ink) << "the button draws its own caption";
}

void ExpectOnPanel(TImage* image, TControl* control) {
  SCOPED_TRACE(StringToUtf8(control->GetName()));
  TBitmap* picture = image->GetPicture()->GetBitmap();
  TCanvas* canvas = picture->GetCanvas();
  const int left = control->GetLeft() - image->GetLeft();
  const int right = left + control->GetWidth();
  const int middle = control->GetTop() - image->GetTop() + control->GetHeight() / 2;
  ASSERT_GE(left, 2);
  ASSERT_LT(right + 1, picture->GetWidth());
  // The panels' face is lighter than any part of the window's gradient.
  constexpr int kPanelFace = 740;
  EXPECT_GT(Brightness(canvas->GetPixels(left - 2, middle)), kPanelFace) << "a panel's face left of it";
  EXPECT_GT(Brightness(canvas->GetPixels(right + 1, middle)), kPanelFace) << "a panel's face right of it";
}

void ExpectPictures(TCustomForm* form, TImage* shown, TImage* hidden) {
  EXPECT_TRUE(shown->GetVisible());
  TPicture* picture = shown->GetPicture();
  ASSERT_FALSE(picture->GetGraphic() == nullptr || picture->GetGraphic()->GetEmpty());
  EXPECT_LE(shown->GetLeft(), 0);
  EXPECT_LE(shown->GetTop(), 0);
  EXPECT_GE(shown->GetLeft() + picture->GetWidth(), form->GetClientWidth());
  EXPECT_GE(shown->GetTop() + picture->GetHeight(), form->GetClientHeight());
  if (hidden) {
    EXPECT_FALSE(hidden->GetVisible());
    EXPECT_GT(hidden->GetPicture()->GetWidth(), 0);
  }
}

// ---- The type box by real input -------------------------------------------------------------------

// A mouse event at a screen point through the system's input queue.
void MouseInput(const TPoint& screen, DWORD flags) {
  ::SetCursorPos(screen.X, screen.Y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof(INPUT));
  PumpAWhile();
}

// Makes form the foreground window, where typed keys go.
bool BringForward(TCustomForm* form) {
  for (int attempt = 0; attempt < 50 && ::GetForegroundWindow() != form->GetHandle(); ++attempt) {
    ::SetForegroundWindow(form->GetHandle());
    PumpAWhile();
  }
  return ::GetForegroundWindow() == form->GetHandle();
}

namespace {

TPoint ScreenMiddle(TControl* control) {
  return control->ClientToScreen(TPoint(control->GetWidth() / 2, control->GetHeight() / 2));
}

void Press(WORD vk) {
  EXPECT_TRUE(TypeChord({vk}));
  PumpAWhile();
}


}  // namespace

void ExpectTypeBoxKeepsTheKeys(TCustomForm* form, TComboBox* box, TWinControl* stem, TSpinEdit* options, TEdit* key) {
  ASSERT_TRUE(BringForward(form));
  ASSERT_GE(box->GetItems()->GetCount(), 4);
  ASSERT_EQ(box->GetItemIndex(), 0);
  const String stemText = stem->GetText();
  const auto dropByClick = [&] {
    MouseInput(ScreenMiddle(box), MOUSEEVENTF_LEFTDOWN);
    MouseInput(ScreenMiddle(box), MOUSEEVENTF_LEFTUP);
    PumpApplicationUntil([&] { return box->GetDroppedDown(); }, 2000, 10);
    ASSERT_TRUE(box->GetDroppedDown());
    MouseInput(ScreenMiddle(stem), MOUSEEVENTF_MOVE);  // off the list
  };
  dropByClick();
  Press(VK_DOWN);
  EXPECT_TRUE(box->GetDroppedDown());
  EXPECT_EQ(::GetFocus(), box->GetHandle());
  EXPECT_EQ(box->GetItemIndex(), 1);
  Press(VK_RETURN);
  EXPECT_FALSE(box->GetDroppedDown());
  EXPECT_EQ(box->GetItemIndex(), 1);

  // Passing a self-assessed type (计算题) sets one option and the key "1"; Escape puts back
  // the type and what the rule changed.
  options->SetValue(4);
  key->SetText(L"ACD");
  dropByClick();
  Press(VK_DOWN);
  EXPECT_EQ(box->GetItemIndex(), 2);
  EXPECT_EQ(key->GetText(), L"1");
  Press(VK_ESCAPE);
  EXPECT_FALSE(box->GetDroppedDown());
  EXPECT_EQ(box->GetItemIndex(), 1);
  EXPECT_EQ(options->GetValue(), 4);
  EXPECT_EQ(key->GetText(), L"ACD");
  EXPECT_TRUE(options->GetEnabled() && key->GetEnabled());
  EXPECT_TRUE(form->GetVisible());

  Press(VK_UP);
  EXPECT_EQ(box->GetItemIndex(), 0);
  Press('A');
  EXPECT_EQ(::GetFocus(), box->GetHandle());
  EXPECT_EQ(box->GetItemIndex(), 0);
  EXPECT_EQ(stem->GetText(), stemText);

  // A list closed on another type keeps what the rule set for it: Down, Down onto 计算题, Enter.
  const auto expectLocked = [&](const char* what) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(box->GetDroppedDown());
    EXPECT_EQ(box->GetItemIndex(), 2);
    EXPECT_EQ(options->GetValue(), 1);
    EXPECT_EQ(key->GetText(), L"1");
    EXPECT_FALSE(options->GetEnabled());
    EXPECT_FALSE(key->GetEnabled());
  };
  dropByClick();
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_RETURN);
  expectLocked("chosen by Enter");
  // Opened on 计算题, off it (both unlocked) and back, Escape: both stay locked as they were.
  dropByClick();
  Press(VK_DOWN);
  EXPECT_TRUE(options->GetEnabled() && key->GetEnabled());
  Press(VK_UP);
  Press(VK_ESCAPE);
  expectLocked("kept by Escape");
  Press(VK_UP);
  EXPECT_EQ(box->GetItemIndex(), 1);
  EXPECT_TRUE(options->GetEnabled() && key->GetEnabled());
  EXPECT_EQ(stem->GetText(), stemText);
}

void ExpectEveryGradeBoxStartsAtTheFirst(TCustomForm* form, TCustomComboBox* box, const std::function<void(int)>& show,
                                         const String& shot) {
  ASSERT_TRUE(BringForward(form));
  ASSERT_GE(box->GetItems()->GetCount(), 2);
  ::SetFocus(form->GetHandle());  // a box without the focus shows its own fill
  PumpAWhile();
  ExpectWhiteField(box);
  const auto focusBox = [&] {
    box->SetFocus();
    PumpAWhile();
    EXPECT_EQ(::GetFocus(), box->GetHandle());
  };
  focusBox();
  ASSERT_EQ(box->GetItemIndex(), -1);
  Press(VK_DOWN);
  Press(VK_DOWN);
  ASSERT_EQ(box->GetItemIndex(), 1) << "the second grade by two Downs";
  const std::pair<const char*, std::function<void()>> openings[] = {
      {"closed", [] {}},
      {"opened by a click",
       [&] {
         MouseInput(ScreenMiddle(box), MOUSEEVENTF_LEFTDOWN);
         MouseInput(ScreenMiddle(box), MOUSEEVENTF_LEFTUP);
         MouseInput(form->ClientToScreen(TPoint(5, 5)), MOUSEEVENTF_MOVE);  // off the list
       }},
      {"opened by Alt+Down", [] { EXPECT_TRUE(TypeChord({VK_MENU, VK_DOWN})); }},
      {"opened by F4", [] { EXPECT_TRUE(TypeChord({VK_F4})); }},
  };
  for (int question = 1; question <= 4; ++question) {
    const auto& [how, open] = openings[question - 1];
    SCOPED_TRACE(how);
    show(question);
    focusBox();
    EXPECT_EQ(box->GetItemIndex(), -1) << "a new question's box is empty";
    open();
    const bool dropped = question > 1;
    PumpApplicationUntil([&] { return box->GetDroppedDown() == dropped; }, 2000, 10);
    EXPECT_EQ(box->GetDroppedDown(), dropped);
    Press(VK_DOWN);
    EXPECT_EQ(box->GetItemIndex(), 0) << "the first Down picks the first grade";
    if (question == 2) EXPECT_TRUE(SaveWindowsShot(form->GetHandle(), box->GetListHandle(), shot));
    Press(VK_DOWN);
    EXPECT_EQ(box->GetItemIndex(), 1);
    if (box->GetDroppedDown()) Press(VK_RETURN);
    EXPECT_FALSE(box->GetDroppedDown());
    EXPECT_EQ(box->GetItemIndex(), 1);
  }
}

void ExpectItemsReadWhole(TComboBox* box) {
  SCOPED_TRACE(StringToUtf8(box->GetName()));
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetComboBoxInfo(box->GetHandle(), &info));
  box->SetDroppedDown(true);
  ASSERT_TRUE(box->GetDroppedDown());
  RECT list{};
  ::GetClientRect(info.hwndList, &list);
  HDC dc = ::GetDC(box->GetHandle());
  const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(box->Perform(WM_GETFONT, 0, 0)));
  // An item's text is drawn a pixel or two in from the edge of its place.
  constexpr int kMargin = 2;
  int widest = 0, widestIndex = -1;
  for (int i = 0; i < box->GetItems()->GetCount(); ++i) {
    const String text = box->GetItems()->Get(i);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (size.cx > widest) widest = size.cx, widestIndex = i;
    EXPECT_LE(size.cx + kMargin, info.rcItem.right - info.rcItem.left) << StringToUtf8(text) << " in the box";
    EXPECT_LE(size.cx + kMargin, list.right) << StringToUtf8(text) << " in the list";
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(box->GetHandle(), dc);
  box->SetItemIndex(widestIndex);  // for the screenshot
}
