#include "ThemeBinding.h"

// clang-format off
#include <vssym32.h>  // after the binding's Win32 settings
// clang-format on

#include <algorithm>
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

bool TThemeScope::SizingMargins(int part, int state, MARGINS& margins) const {
  const auto get = ThemeApi().GetThemeMargins;
  if (!Current() || !get) return false;
  return SUCCEEDED(get(FTheme, nullptr, part, state, TMT_SIZINGMARGINS, nullptr, &margins));
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
  // Seen once at another size: kept now at this one, in case one bitmap serves every size.
  if (TEntry* e = SeenAtOtherSize(part, state, w, h)) {
    e->Width = w;
    e->Height = h;
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

TThemePartCache::TEntry* TThemePartCache::SeenAtOtherSize(int part, int state, int w, int h) {
  TEntry* seen = nullptr;
  for (int i = 0; i < FCount; ++i) {
    TEntry& e = FEntries[i];
    if (e.Part != part || e.State != state) continue;
    if (e.Memory || e.Unkeepable) {
      // Kept at its own width (or height) only: sizes that differ so do not share.
      if ((e.Width != w && !e.Across.Any) || (e.Height != h && !e.Down.Any)) return nullptr;
      continue;
    }
    seen = &e;
  }
  return seen;
}

bool TThemePartCache::Blit(const TEntry& entry, HDC dc, const RECT& r) {
  if (!entry.Memory) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w == entry.Width && h == entry.Height)
    return BlitPiece(entry, dc, r.left, r.top, w, h, 0, 0, w, h);
  // The ends as they are, the repeating middle line stretched between them; a direction
  // drawn at the kept length is one span.
  struct TSpan {
    int Dst, DstLength, Src, SrcLength;
  };
  const auto spans = [](const TRepeat& repeat, int kept, int length, TSpan* out) {
    if (length == kept) {
      out[0] = {0, length, 0, length};
      return 1;
    }
    out[0] = {0, repeat.Lead, 0, repeat.Lead};
    out[1] = {repeat.Lead, length - repeat.Lead - repeat.Trail, repeat.Lead, 1};
    out[2] = {length - repeat.Trail, repeat.Trail, kept - repeat.Trail, repeat.Trail};
    return 3;
  };
  TSpan columns[3], rows[3];
  const int columnCount = spans(entry.Across, entry.Width, w, columns);
  const int rowCount = spans(entry.Down, entry.Height, h, rows);
  const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
  bool done = true;
  for (int y = 0; y < rowCount && done; ++y)
    for (int x = 0; x < columnCount && done; ++x)
      done = BlitPiece(entry, dc, r.left + columns[x].Dst, r.top + rows[y].Dst, columns[x].DstLength,
                       rows[y].DstLength, columns[x].Src, rows[y].Src, columns[x].SrcLength,
                       rows[y].SrcLength);
  if (oldMode) ::SetStretchBltMode(dc, oldMode);
  return done;
}

bool TThemePartCache::BlitPiece(const TEntry& entry, HDC dc, int dx, int dy, int dw, int dh,
                                int sx, int sy, int sw, int sh) {
  if (dw <= 0 || dh <= 0) return true;
  const bool same = dw == sw && dh == sh;
  const auto copy = [&](int top, DWORD rop) {
    return same ? ::BitBlt(dc, dx, dy, dw, dh, entry.Memory, sx, top + sy, rop) != FALSE
                : ::StretchBlt(dc, dx, dy, dw, dh, entry.Memory, sx, top + sy, sw, sh, rop) != FALSE;
  };
  if (!entry.Masked) return copy(0, SRCCOPY);
  // What lies under a transparent pixel stays (AND with white, OR with black); an opaque
  // pixel is cleared and then takes the part's colour.
  return copy(entry.Height, SRCAND) && copy(0, SRCPAINT);
}

TThemePartCache::TRepeat TThemePartCache::MiddleRun(const TEntry& entry, const DWORD* onBlack,
                                                    const DWORD* onWhite, bool down,
                                                    int marginSum) {
  const int w = entry.Width, h = entry.Height;
  const int length = down ? h : w, breadth = down ? w : h;
  // Pixel p of line a: column a (row p) across, row a (column p) down.
  const auto at = [&](const DWORD* bits, int a, int p) {
    return (down ? bits[a * w + p] : bits[p * w + a]) & 0xFFFFFF;
  };
  const auto sameLine = [&](int a, int b) {
    for (int p = 0; p < breadth; ++p)
      if (at(onBlack, a, p) != at(onBlack, b, p) || at(onWhite, a, p) != at(onWhite, b, p))
        return false;
    return true;
  };
  const int middle = length / 2;
  int first = middle, last = middle;
  while (first > 0 && sameLine(first - 1, middle)) --first;
  while (last < length - 1 && sameLine(last + 1, middle)) ++last;
  TRepeat repeat;
  if (last - first < 1) return repeat;  // no repeating middle
  repeat.Any = true;
  repeat.Lead = first;
  repeat.Trail = length - 1 - last;
  repeat.Least = std::max(repeat.Lead + repeat.Trail + 1, marginSum);
  return repeat;
}

bool TThemePartCache::DrawsAsStretched(const TThemeScope& theme, const TEntry& entry,
                                       const DWORD* onBlack, const DWORD* onWhite, int w, int h) {
  DWORD* black = nullptr;
  DWORD* white = nullptr;
  HBITMAP b = DrawOnColour(theme, entry.Part, entry.State, w, h, BLACK_BRUSH, black);
  HBITMAP c = DrawOnColour(theme, entry.Part, entry.State, w, h, WHITE_BRUSH, white);
  bool same = b && c;
  const int keptWidth = entry.Width;
  for (int y = 0; y < h && same; ++y) {
    const int fromY = entry.Down.From(y, entry.Height, h);
    for (int x = 0; x < w && same; ++x) {
      const int from = fromY * keptWidth + entry.Across.From(x, keptWidth, w);
      same = (black[y * w + x] & 0xFFFFFF) == (onBlack[from] & 0xFFFFFF) &&
             (white[y * w + x] & 0xFFFFFF) == (onWhite[from] & 0xFFFFFF);
    }
  }
  if (b) ::DeleteObject(b);
  if (c) ::DeleteObject(c);
  return same;
}

void TThemePartCache::FindRepeats(const TThemeScope& theme, TEntry& entry, const DWORD* onBlack,
                                  const DWORD* onWhite) {
  const int w = entry.Width, h = entry.Height;
  // Each direction on its own: the library must draw a shorter and a longer part exactly as
  // the ends and the middle make them.
  MARGINS margins{};
  if (!theme.SizingMargins(entry.Part, entry.State, margins)) margins = MARGINS{};
  TRepeat across =
      MiddleRun(entry, onBlack, onWhite, false, margins.cxLeftWidth + margins.cxRightWidth);
  TRepeat down =
      MiddleRun(entry, onBlack, onWhite, true, margins.cyTopHeight + margins.cyBottomHeight);
  entry.Across = across;
  entry.Down = TRepeat{};
  if (across.Any)
    for (const int other : {across.Least, w + 17})
      if (other != w && !DrawsAsStretched(theme, entry, onBlack, onWhite, other, h))
        across = TRepeat{};
  entry.Across = TRepeat{};
  entry.Down = down;
  if (down.Any)
    for (const int other : {down.Least, h + 17})
      if (other != h && !DrawsAsStretched(theme, entry, onBlack, onWhite, w, other))
        down = TRepeat{};
  // Both at once only when a drawing changed in both directions shows it as well.
  entry.Across = across;
  entry.Down = down;
  if (across.Any && down.Any && !DrawsAsStretched(theme, entry, onBlack, onWhite, w + 13, h + 11))
    entry.Down = TRepeat{};
}

bool TThemePartCache::Fill(const TThemeScope& theme, HDC dc, TEntry& entry) {
  // Drawn on black and on white: a pixel that differs shows what lies under it. Only whole
  // transparency can be kept (as a mask); a part blended with what lies under it cannot.
  const int w = entry.Width, h = entry.Height;
  entry.Across = entry.Down = TRepeat{};
  DWORD* onBlack = nullptr;
  DWORD* onWhite = nullptr;
  HBITMAP black = DrawOnColour(theme, entry.Part, entry.State, w, h, BLACK_BRUSH, onBlack);
  HBITMAP white = DrawOnColour(theme, entry.Part, entry.State, w, h, WHITE_BRUSH, onWhite);
  bool transparent = false, blended = !black || !white;
  if (!blended) FindRepeats(theme, entry, onBlack, onWhite);
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
      // Not kept after all; the entry still names its part and size.
      const TEntry seen{entry.Part, entry.State, entry.Width, entry.Height};
      Release(entry);
      entry = seen;
    }
  } else if (memory) {
    ::DeleteDC(memory);
  }
  if (black) ::DeleteObject(black);
  if (white) ::DeleteObject(white);
  if (!entry.Memory) entry.Across = entry.Down = TRepeat{};
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
