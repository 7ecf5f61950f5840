#include "ThemeBinding.h"

#include <memory>

#include "SystemLibrary.h"
#include "classlib/classes/Threads.h"

namespace {

struct TThemeBinding {
  std::unique_ptr<TCriticalSection> Lock;  // guards the three fields below
  HMODULE Library = nullptr;               // uxtheme.dll while loaded
  int References = 0;                      // Init calls not yet matched by Free
  unsigned Load = 0;                       // counts the loads: a theme handle's library
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
    if (b.Library) {
      ++b.Load;
      ResolveAll(b.Library, b.Api);
    }
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
  FLoad = Binding().Load;
  if (api.OpenThemeData && api.CloseThemeData) FTheme = api.OpenThemeData(nullptr, classList);
}

TThemeScope::~TThemeScope() {
  if (Current()) ThemeApi().CloseThemeData(FTheme);
}

bool TThemeScope::Current() const {
  return FTheme && Binding().Library && Binding().Load == FLoad;
}

bool TThemeScope::DrawBackground(HDC dc, int part, int state, const RECT& r) const {
  const auto draw = ThemeApi().DrawThemeBackground;
  if (!Current() || !draw) return false;
  return SUCCEEDED(draw(FTheme, dc, part, state, &r, nullptr));
}

bool TThemeScope::DrawEdge(HDC dc, int part, int state, const RECT& r, UINT edge, UINT flags) const {
  const auto draw = ThemeApi().DrawThemeEdge;
  if (!Current() || !draw) return false;
  RECT copy = r;
  return SUCCEEDED(draw(FTheme, dc, part, state, &copy, edge, flags, nullptr));
}

bool TThemeScope::DrawText(HDC dc, int part, int state, const wchar_t* text, int length,
                           DWORD flags, const RECT& r) const {
  const auto draw = ThemeApi().DrawThemeText;
  if (!Current() || !draw) return false;
  return SUCCEEDED(draw(FTheme, dc, part, state, text, length, flags, 0, &r));
}

TKeptTheme::~TKeptTheme() { Reset(); }

const TThemeScope* TKeptTheme::Get() {
  if (!UseThemes()) return nullptr;
  // Opened again when the library was unloaded since (or the class had no theme then).
  if (FScope && !FScope->Current()) FScope.reset();
  if (!FScope) FScope = std::make_unique<TThemeScope>(FClassList);
  return *FScope ? FScope.get() : nullptr;
}

void TKeptTheme::Reset() { FScope.reset(); }

namespace {

// A 32-bit top-down DIB section of w × h filled with one colour, the part drawn on it; nullptr
// when either failed.
HBITMAP DrawOnColour(const TThemeScope& theme, int part, int state, int w, int h, int stock,
                     DWORD*& pixels) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  HDC memory = ::CreateCompatibleDC(nullptr);
  bool drawn = false;
  if (memory) {
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    const RECT r{0, 0, w, h};
    ::FillRect(memory, &r, static_cast<HBRUSH>(::GetStockObject(stock)));
    drawn = theme.DrawBackground(memory, part, state, r);
    ::GdiFlush();
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
  }
  if (!drawn) {
    ::DeleteObject(bitmap);
    return nullptr;
  }
  pixels = static_cast<DWORD*>(bits);
  return bitmap;
}

}  // namespace

bool TThemePartCache::Draw(const TThemeScope& theme, HDC dc, int part, int state, const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (!theme || w <= 0 || h <= 0) return theme.DrawBackground(dc, part, state, r);
  for (int i = 0; i < FCount; ++i) {
    TEntry& e = FEntries[i];
    if (!e.Serves(part, state, w, h)) continue;
    // Kept at the second paint of a size: a size seen once (a bar being resized) costs one
    // drawing, not the two that keeping it takes.
    if (!e.Memory && !e.Unkeepable) e.Unkeepable = !Fill(theme, dc, e);
    return Blit(e, dc, r) || theme.DrawBackground(dc, part, state, r);
  }
  // Seen once at another width: kept now at this one, in case one bitmap serves every width.
  if (TEntry* e = SeenAtOtherWidth(part, state, h)) {
    e->Width = w;
    e->Unkeepable = !Fill(theme, dc, *e);
    return Blit(*e, dc, r) || theme.DrawBackground(dc, part, state, r);
  }
  // Not seen: a new entry, or the oldest one replaced.
  const int slot = FCount < kCapacity ? FCount++ : FNext;
  if (FCount == kCapacity) FNext = (slot + 1) % kCapacity;
  TEntry& e = FEntries[slot];
  Release(e);
  e.Part = part;
  e.State = state;
  e.Width = w;
  e.Height = h;
  return theme.DrawBackground(dc, part, state, r);
}

TThemePartCache::TEntry* TThemePartCache::SeenAtOtherWidth(int part, int state, int h) {
  TEntry* seen = nullptr;
  for (int i = 0; i < FCount; ++i) {
    TEntry& e = FEntries[i];
    if (e.Part != part || e.State != state || e.Height != h) continue;
    if (e.Memory || e.Unkeepable) return nullptr;  // kept at its own width only: widths differ
    seen = &e;
  }
  return seen;
}

bool TThemePartCache::Blit(const TEntry& entry, HDC dc, const RECT& r) {
  if (!entry.Memory) return false;
  const int w = r.right - r.left;
  if (w == entry.Width) return BlitSpan(entry, dc, r.left, r.top, w, 0, w);
  // The ends as they are, the repeating middle column stretched between them.
  const int left = entry.LeftColumns, right = entry.RightColumns;
  const int saved = ::SaveDC(dc);
  ::SetStretchBltMode(dc, COLORONCOLOR);
  const bool done = BlitSpan(entry, dc, r.left, r.top, left, 0, left) &&
                    BlitSpan(entry, dc, r.left + left, r.top, w - left - right, left, 1) &&
                    BlitSpan(entry, dc, r.right - right, r.top, right, entry.Width - right, right);
  ::RestoreDC(dc, saved);
  return done;
}

bool TThemePartCache::BlitSpan(const TEntry& entry, HDC dc, int dx, int y, int dw, int sx, int sw) {
  if (dw <= 0) return true;
  const int h = entry.Height;
  if (!entry.Masked)
    return ::StretchBlt(dc, dx, y, dw, h, entry.Memory, sx, 0, sw, h, SRCCOPY) != FALSE;
  // What lies under a transparent pixel stays (AND with white, OR with black); an opaque
  // pixel is cleared and then takes the part's colour.
  return ::StretchBlt(dc, dx, y, dw, h, entry.Memory, sx, h, sw, h, SRCAND) &&
         ::StretchBlt(dc, dx, y, dw, h, entry.Memory, sx, 0, sw, h, SRCPAINT);
}

void TThemePartCache::FindAcross(const TThemeScope& theme, TEntry& entry, const DWORD* onBlack,
                                 const DWORD* onWhite) {
  const int w = entry.Width, h = entry.Height;
  const auto pixel = [](const DWORD* bits, int stride, int x, int y) {
    return bits[y * stride + x] & 0xFFFFFF;
  };
  const auto sameColumn = [&](int a, int b) {
    for (int y = 0; y < h; ++y)
      if (pixel(onBlack, w, a, y) != pixel(onBlack, w, b, y) ||
          pixel(onWhite, w, a, y) != pixel(onWhite, w, b, y))
        return false;
    return true;
  };
  // The run of columns equal to the middle one.
  const int middle = w / 2;
  int first = middle, last = middle;
  while (first > 0 && sameColumn(first - 1, middle)) --first;
  while (last < w - 1 && sameColumn(last + 1, middle)) ++last;
  if (last - first < 1) return;  // no repeating middle
  const int left = first, right = w - 1 - last;
  // The library must draw a narrower and a wider bar exactly as the ends and middle make them.
  const int widths[] = {left + right + 1, w + 17};
  for (const int other : widths) {
    if (other == w) continue;
    DWORD* black = nullptr;
    DWORD* white = nullptr;
    HBITMAP b = DrawOnColour(theme, entry.Part, entry.State, other, h, BLACK_BRUSH, black);
    HBITMAP c = DrawOnColour(theme, entry.Part, entry.State, other, h, WHITE_BRUSH, white);
    bool same = b && c;
    for (int y = 0; y < h && same; ++y)
      for (int x = 0; x < other && same; ++x) {
        const int from = x < left ? x : x >= other - right ? x - other + w : left;
        same = pixel(black, other, x, y) == pixel(onBlack, w, from, y) &&
               pixel(white, other, x, y) == pixel(onWhite, w, from, y);
      }
    if (b) ::DeleteObject(b);
    if (c) ::DeleteObject(c);
    if (!same) return;
  }
  entry.Across = true;
  entry.LeftColumns = left;
  entry.RightColumns = right;
}

bool TThemePartCache::Fill(const TThemeScope& theme, HDC dc, TEntry& entry) {
  // Drawn on black and on white: a pixel that differs shows what lies under it. Only whole
  // transparency can be kept (as a mask); a part blended with what lies under it cannot.
  const int w = entry.Width, h = entry.Height;
  DWORD* onBlack = nullptr;
  DWORD* onWhite = nullptr;
  HBITMAP black = DrawOnColour(theme, entry.Part, entry.State, w, h, BLACK_BRUSH, onBlack);
  HBITMAP white = DrawOnColour(theme, entry.Part, entry.State, w, h, WHITE_BRUSH, onWhite);
  bool transparent = false, blended = !black || !white;
  if (!blended) FindAcross(theme, entry, onBlack, onWhite);
  for (int i = 0; i < w * h && !blended; ++i) {
    const DWORD b = onBlack[i] & 0xFFFFFF, c = onWhite[i] & 0xFFFFFF;
    if (b == c) {
      onWhite[i] = 0;  // the mask clears an opaque pixel
    } else if (b == 0 && c == 0xFFFFFF) {
      transparent = true;  // the mask keeps it; the image is black there already
    } else {
      blended = true;
    }
  }
  // The image above the mask in one bitmap of the target's format, held selected in a DC of
  // its own, so that drawing it later is one or two copies.
  HDC memory = blended ? nullptr : ::CreateCompatibleDC(dc);
  HBITMAP kept = memory ? ::CreateCompatibleBitmap(dc, w, transparent ? 2 * h : h) : nullptr;
  if (kept) {
    entry.Memory = memory;
    entry.Bitmap = kept;
    entry.Masked = transparent;
    entry.OldBitmap = ::SelectObject(memory, kept);
    HDC source = ::CreateCompatibleDC(dc);
    if (source) {
      const HGDIOBJ old = ::SelectObject(source, black);
      ::BitBlt(memory, 0, 0, w, h, source, 0, 0, SRCCOPY);
      if (transparent) {
        ::SelectObject(source, white);
        ::BitBlt(memory, 0, h, w, h, source, 0, 0, SRCCOPY);
      }
      ::SelectObject(source, old);
      ::DeleteDC(source);
    } else {
      Release(entry);
    }
  } else if (memory) {
    ::DeleteDC(memory);
  }
  if (black) ::DeleteObject(black);
  if (white) ::DeleteObject(white);
  if (!entry.Memory) entry.Across = false;
  return entry.Memory != nullptr;
}

void TThemePartCache::Release(TEntry& entry) {
  if (entry.Memory) {
    ::SelectObject(entry.Memory, entry.OldBitmap);
    ::DeleteDC(entry.Memory);
  }
  if (entry.Bitmap) ::DeleteObject(entry.Bitmap);
  entry = TEntry{};
}

void TThemePartCache::Clear() {
  for (int i = 0; i < FCount; ++i) Release(FEntries[i]);
  FCount = 0;
  FNext = 0;
}
