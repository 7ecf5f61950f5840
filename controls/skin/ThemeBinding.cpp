#include "ThemeBinding.h"

#include <memory>

#include "SystemLibrary.h"
#include "classlib/classes/Threads.h"

namespace {

struct TThemeBinding {
  std::unique_ptr<TCriticalSection> Lock;  // guards the three fields below
  HMODULE Library = nullptr;               // uxtheme.dll while loaded
  int References = 0;                      // Init calls not yet matched by Free
  TThemeApi Api;                           // resolved entries
};

TThemeBinding& Binding() {
  static TThemeBinding binding;
  return binding;
}

template <class F>
void Resolve(HMODULE module, F& entry, const char* name) {
  entry = SystemProc<F>(module, name);
}

void ResolveAll(HMODULE m, TThemeApi& a) {
  Resolve(m, a.OpenThemeData, "OpenThemeData");
  Resolve(m, a.CloseThemeData, "CloseThemeData");
  Resolve(m, a.DrawThemeBackground, "DrawThemeBackground");
  Resolve(m, a.DrawThemeText, "DrawThemeText");
  Resolve(m, a.GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect");
  Resolve(m, a.GetThemePartSize, "GetThemePartSize");
  Resolve(m, a.GetThemeTextExtent, "GetThemeTextExtent");
  Resolve(m, a.GetThemeTextMetrics, "GetThemeTextMetrics");
  Resolve(m, a.GetThemeBackgroundRegion, "GetThemeBackgroundRegion");
  Resolve(m, a.HitTestThemeBackground, "HitTestThemeBackground");
  Resolve(m, a.DrawThemeEdge, "DrawThemeEdge");
  Resolve(m, a.DrawThemeIcon, "DrawThemeIcon");
  Resolve(m, a.IsThemePartDefined, "IsThemePartDefined");
  Resolve(m, a.IsThemeBackgroundPartiallyTransparent, "IsThemeBackgroundPartiallyTransparent");
  Resolve(m, a.GetThemeColor, "GetThemeColor");
  Resolve(m, a.GetThemeMetric, "GetThemeMetric");
  Resolve(m, a.GetThemeString, "GetThemeString");
  Resolve(m, a.GetThemeBool, "GetThemeBool");
  Resolve(m, a.GetThemeInt, "GetThemeInt");
  Resolve(m, a.GetThemeEnumValue, "GetThemeEnumValue");
  Resolve(m, a.GetThemePosition, "GetThemePosition");
  Resolve(m, a.GetThemeFont, "GetThemeFont");
  Resolve(m, a.GetThemeRect, "GetThemeRect");
  Resolve(m, a.GetThemeMargins, "GetThemeMargins");
  Resolve(m, a.GetThemeIntList, "GetThemeIntList");
  Resolve(m, a.GetThemePropertyOrigin, "GetThemePropertyOrigin");
  Resolve(m, a.SetWindowTheme, "SetWindowTheme");
  Resolve(m, a.GetThemeFilename, "GetThemeFilename");
  Resolve(m, a.GetThemeSysColor, "GetThemeSysColor");
  Resolve(m, a.GetThemeSysColorBrush, "GetThemeSysColorBrush");
  Resolve(m, a.GetThemeSysBool, "GetThemeSysBool");
  Resolve(m, a.GetThemeSysSize, "GetThemeSysSize");
  Resolve(m, a.GetThemeSysFont, "GetThemeSysFont");
  Resolve(m, a.GetThemeSysString, "GetThemeSysString");
  Resolve(m, a.GetThemeSysInt, "GetThemeSysInt");
  Resolve(m, a.IsThemeActive, "IsThemeActive");
  Resolve(m, a.IsAppThemed, "IsAppThemed");
  Resolve(m, a.GetWindowTheme, "GetWindowTheme");
  Resolve(m, a.EnableThemeDialogTexture, "EnableThemeDialogTexture");
  Resolve(m, a.IsThemeDialogTextureEnabled, "IsThemeDialogTextureEnabled");
  Resolve(m, a.GetThemeAppProperties, "GetThemeAppProperties");
  Resolve(m, a.SetThemeAppProperties, "SetThemeAppProperties");
  Resolve(m, a.GetCurrentThemeName, "GetCurrentThemeName");
  Resolve(m, a.GetThemeDocumentationProperty, "GetThemeDocumentationProperty");
  Resolve(m, a.DrawThemeParentBackground, "DrawThemeParentBackground");
  Resolve(m, a.EnableTheming, "EnableTheming");
}

bool AcquireLibrary() {
  TThemeBinding& b = Binding();
  TCriticalSectionGuard guard(*b.Lock);
  ++b.References;
  if (!b.Library) {
    b.Library = LoadSystemLibrary(L"uxtheme.dll");
    if (b.Library) ResolveAll(b.Library, b.Api);
  }
  return b.Library != nullptr;
}

void ReleaseLibrary() {
  TThemeBinding& b = Binding();
  TCriticalSectionGuard guard(*b.Lock);
  if (b.References > 0) --b.References;
  if (b.Library && b.References == 0) {
    ::FreeLibrary(b.Library);
    b.Library = nullptr;
    b.Api = TThemeApi{};
  }
}

// The module's start and end: the lock and one reference for the whole run; at the end the
// library is unloaded whatever references were left open.
struct TThemeModule {
  TThemeModule() {
    Binding().Lock = std::make_unique<TCriticalSection>();
    AcquireLibrary();
  }
  ~TThemeModule() {
    while (Binding().References > 0) ReleaseLibrary();
  }
};

void StartModule() { static TThemeModule module; }

}  // namespace

const TThemeApi& ThemeApi() {
  StartModule();
  return Binding().Api;
}

bool InitThemeLibrary() {
  StartModule();
  return AcquireLibrary();
}

void FreeThemeLibrary() {
  StartModule();
  ReleaseLibrary();
}

int ThemeLibraryReferences() {
  StartModule();
  return Binding().References;
}

bool UseThemes() {
  const TThemeApi& api = ThemeApi();
  if (!Binding().Library || !api.IsAppThemed || !api.IsThemeActive) return false;
  return api.IsAppThemed() && api.IsThemeActive();
}

TThemeScope::TThemeScope(const wchar_t* classList) {
  const TThemeApi& api = ThemeApi();
  if (api.OpenThemeData && api.CloseThemeData) FTheme = api.OpenThemeData(nullptr, classList);
}

TThemeScope::~TThemeScope() {
  if (FTheme) ThemeApi().CloseThemeData(FTheme);
}

bool TThemeScope::DrawBackground(HDC dc, int part, int state, const RECT& r) const {
  const auto draw = ThemeApi().DrawThemeBackground;
  if (!FTheme || !draw) return false;
  return SUCCEEDED(draw(FTheme, dc, part, state, &r, nullptr));
}

bool TThemeScope::DrawText(HDC dc, int part, int state, const wchar_t* text, int length,
                           DWORD flags, const RECT& r) const {
  const auto draw = ThemeApi().DrawThemeText;
  if (!FTheme || !draw) return false;
  return SUCCEEDED(draw(FTheme, dc, part, state, text, length, flags, 0, &r));
}
