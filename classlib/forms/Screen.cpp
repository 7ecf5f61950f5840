// TScreen: cursors, the lists of forms and data modules, the active form and control, the
// screen's metrics, and the installed fonts and input methods. Also the globals
// Application and Screen.
#include "Forms.h"
#include <imm.h>
#include <algorithm>
#include "DataModule.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

void InitApplication() {
  if (!Screen) Screen = new TScreen(nullptr);
  if (!Application) Application = new TApplication(nullptr);
}

void DoneApplication() {
  // The globals are cleared first: code that runs while the forms go sees no half-gone
  // application.
  TApplication* app = Application;
  Application = nullptr;
  delete app;
  TScreen* screen = Screen;
  Screen = nullptr;
  delete screen;
}

namespace {

// Makes Application and Screen while the program starts (see Forms.h).
struct TApplicationStarter {
  TApplicationStarter() { InitApplication(); }
} gApplicationStarter;

int CALLBACK AddFontFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
  reinterpret_cast<TStringList*>(param)->Add(font->lfFaceName);
  return 1;
}

template <class T>
void MoveToFront(std::vector<T*>& list, T* item) {
  const auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return;
  list.erase(it);
  list.insert(list.begin(), item);
}

template <class T>
void EraseItem(std::vector<T*>& list, const void* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

// ---- Construction ----------------------------------------------------------------------------------

TScreen::TScreen(TComponent* owner) : TComponent(owner), FHintFont(std::make_unique<TFont>()) {
  FPixelsPerInch = ScreenLogPixels();
  FHintFont->SetColor(clInfoText);
  FDefaultKbLayout = ::GetKeyboardLayout(0);
  TControlHooks& hooks = ControlHooks();
  hooks.ScreenCursor = []() { return Screen ? Screen->GetCursor() : crDefault; };
  hooks.CursorHandle = [](TCursor cursor) {
    return Screen ? Screen->GetCursors(cursor) : StandardCursorHandle(cursor);
  };
}

TScreen::~TScreen() {
  TControlHooks& hooks = ControlHooks();
  hooks.ScreenCursor = nullptr;
  hooks.CursorHandle = nullptr;
  for (const auto& entry : FCursors) ::DestroyCursor(entry.second);
}

// ---- Cursors -----------------------------------------------------------------------------------------------

HCURSOR TScreen::GetCursors(TCursor index) const {
  if (const auto it = FCursors.find(index); it != FCursors.end()) return it->second;
  if (index == crNone) return nullptr;
  if (index == crDefault) return ::LoadCursorW(nullptr, IDC_ARROW);
  if (HCURSOR standard = StandardCursorHandle(index)) return standard;
  return ::LoadCursorW(nullptr, IDC_ARROW);
}

void TScreen::SetCursors(TCursor index, HCURSOR handle) {
  if (index == crDefault) return;
  if (const auto it = FCursors.find(index); it != FCursors.end()) {
    if (it->second == handle) return;
    ::DestroyCursor(it->second);
    FCursors.erase(it);
  }
  if (handle) FCursors[index] = handle;
}

void TScreen::SetCursor(TCursor value) {
  if (value != FCursor) {
    FCursor = value;
    bool shown = false;
    if (value == crDefault) {
      // Each window shows its own cursor again: the one under the mouse is asked now.
      POINT p{};
      ::GetCursorPos(&p);
      HWND wnd = ::WindowFromPoint(p);
      if (wnd && ::GetWindowThreadProcessId(wnd, nullptr) == ::GetCurrentThreadId()) {
        const LRESULT code =
            ::SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        ::SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd),
                       MAKELPARAM(static_cast<WORD>(code), WM_MOUSEMOVE));
        shown = true;
      }
    }
    if (!shown) ::SetCursor(GetCursors(value));
  }
  ++FCursorCount;
}

// ---- Forms -------------------------------------------------------------------------------------------------

int TScreen::GetFormCount() const {
  int count = 0;
  for (TCustomForm* form : FCustomForms)
    if (dynamic_cast<TForm*>(form)) ++count;
  return count;
}

TForm* TScreen::GetForms(int index) const {
  for (TCustomForm* form : FCustomForms)
    if (auto* plain = dynamic_cast<TForm*>(form); plain && index-- == 0) return plain;
  return nullptr;
}

TCustomForm* TScreen::GetCustomForms(int index) const {
  return index >= 0 && index < GetCustomFormCount() ? FCustomForms[index] : nullptr;
}

TDataModule* TScreen::GetDataModules(int index) const {
  return index >= 0 && index < GetDataModuleCount() ? FDataModules[index] : nullptr;
}

void TScreen::AddForm(TCustomForm* form) { FCustomForms.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
  EraseItem(FCustomForms, form);
  // Kept as empty entries so that each ShowModal still finds its own saved form.
  std::replace(FSaveFocusedList.begin(), FSaveFocusedList.end(), form,
               static_cast<TCustomForm*>(nullptr));
  if (FActiveCustomForm == form) FActiveCustomForm = nullptr;
  if (FActiveForm == form) FActiveForm = nullptr;
  if (FFocusedForm == form) FFocusedForm = nullptr;
  if (FLastActiveCustomForm == form) FLastActiveCustomForm = nullptr;
  if (FActiveControl && form->ContainsControl(FActiveControl)) FActiveControl = nullptr;
  if (FLastActiveControl && form->ContainsControl(FLastActiveControl))
    FLastActiveControl = nullptr;
}

void TScreen::AddDataModule(TDataModule* dataModule) { FDataModules.push_back(dataModule); }

void TScreen::RemoveDataModule(TDataModule* dataModule) { EraseItem(FDataModules, dataModule); }

void TScreen::FocusChanged(TCustomForm* form, TWinControl* control) {
  FActiveControl = control;
  FActiveCustomForm = form;
  MoveToFront(FCustomForms, form);
  FActiveForm = dynamic_cast<TForm*>(form);
}

void TScreen::UpdateLastActive() {
  if (FLastActiveCustomForm != FActiveCustomForm) {
    FLastActiveCustomForm = FActiveCustomForm;
    if (FOnActiveFormChange) FOnActiveFormChange(this);
  }
  if (FLastActiveControl != FActiveControl) {
    FLastActiveControl = FActiveControl;
    if (FOnActiveControlChange) FOnActiveControlChange(this);
  }
}

// ---- Metrics ------------------------------------------------------------------------------------------------

int TScreen::GetWidth() const { return ::GetSystemMetrics(SM_CXSCREEN); }

int TScreen::GetHeight() const { return ::GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::GetWorkAreaRect() const {
  RECT area{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
    return TRect(0, 0, GetWidth(), GetHeight());
  return area;
}

int TScreen::GetDesktopLeft() const { return ::GetSystemMetrics(SM_XVIRTUALSCREEN); }

int TScreen::GetDesktopTop() const { return ::GetSystemMetrics(SM_YVIRTUALSCREEN); }

int TScreen::GetDesktopWidth() const { return ::GetSystemMetrics(SM_CXVIRTUALSCREEN); }

int TScreen::GetDesktopHeight() const { return ::GetSystemMetrics(SM_CYVIRTUALSCREEN); }

// ---- Fonts and input methods ------------------------------------------------------------------------------

TStrings* TScreen::GetFonts() {
  if (FFonts) return FFonts.get();
  auto fonts = std::make_unique<TStringList>();
  fonts->SetSorted(true);
  fonts->SetDuplicates(dupIgnore);
  WindowDC dc = WindowDC::FromClient(nullptr);
  if (dc) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    ::EnumFontFamiliesExW(dc.get(), &query, AddFontFamily,
                          reinterpret_cast<LPARAM>(fonts.get()), 0);
  }
  FFonts = std::move(fonts);
  return FFonts.get();
}

void TScreen::ReadImes() {
  auto imes = std::make_unique<TStringList>();
  const int count = ::GetKeyboardLayoutList(0, nullptr);
  std::vector<HKL> layouts(static_cast<size_t>(std::max(count, 0)));
  const int got =
      layouts.empty() ? 0 : ::GetKeyboardLayoutList(static_cast<int>(layouts.size()), layouts.data());
  for (int i = 0; i < got; ++i) {
    if (!::ImmIsIME(layouts[i])) continue;
    wchar_t name[256] = {};
    if (::ImmGetDescriptionW(layouts[i], name, 255) > 0)
      imes->AddObject(name, reinterpret_cast<TObject*>(layouts[i]));
  }
  HKL defaultLayout = nullptr;
  if (::SystemParametersInfoW(SPI_GETDEFAULTINPUTLANG, 0, &defaultLayout, 0) && defaultLayout)
    FDefaultKbLayout = defaultLayout;
  FDefaultIme.clear();
  if (FDefaultKbLayout && ::ImmIsIME(FDefaultKbLayout)) {
    wchar_t name[256] = {};
    if (::ImmGetDescriptionW(FDefaultKbLayout, name, 255) > 0) FDefaultIme = name;
  }
  FImes = std::move(imes);
}

TStrings* TScreen::GetImes() {
  if (!FImes) ReadImes();
  return FImes.get();
}

String TScreen::GetDefaultIme() {
  if (!FImes) ReadImes();
  return FDefaultIme;
}
