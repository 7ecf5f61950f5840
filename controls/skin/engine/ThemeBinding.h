// The visual-styles binding: uxtheme.dll loaded at run time from the system folder, its entry
// points resolved by name into one table, and UseThemes, the question every themed paint asks.
//
// The library is never imported statically, so the program runs where it does not exist; then
// every pointer stays nullptr, UseThemes answers false and the controls draw classically.
// InitThemeLibrary and FreeThemeLibrary count their callers under a lock: the library stays
// loaded while any caller holds it. The module itself holds one reference from start-up to the
// end of the program, so the binding is loaded for the whole run wherever uxtheme.dll exists.
//
// Callers test UseThemes (or the pointer they need) before calling an entry. A theme handle
// belongs to the load of the library that opened it: once the library was unloaded it is
// neither used nor closed (TKeptTheme opens the class again).
#pragma once
// clang-format off
#include "classlib/system/Win.h"  // the Win32 settings come before the theme declarations
#include <uxtheme.h>
// clang-format on

#include <memory>

// One pointer per entry point, nullptr until resolved and again after unloading.
struct TThemeApi {
  decltype(&::OpenThemeData) OpenThemeData = nullptr;
  decltype(&::CloseThemeData) CloseThemeData = nullptr;
  decltype(&::DrawThemeBackground) DrawThemeBackground = nullptr;
  decltype(&::DrawThemeText) DrawThemeText = nullptr;
  decltype(&::GetThemeBackgroundContentRect) GetThemeBackgroundContentRect = nullptr;
  decltype(&::GetThemePartSize) GetThemePartSize = nullptr;
  decltype(&::GetThemeTextExtent) GetThemeTextExtent = nullptr;
  decltype(&::GetThemeTextMetrics) GetThemeTextMetrics = nullptr;
  decltype(&::GetThemeBackgroundRegion) GetThemeBackgroundRegion = nullptr;
  decltype(&::HitTestThemeBackground) HitTestThemeBackground = nullptr;
  decltype(&::DrawThemeEdge) DrawThemeEdge = nullptr;
  decltype(&::DrawThemeIcon) DrawThemeIcon = nullptr;
  decltype(&::IsThemePartDefined) IsThemePartDefined = nullptr;
  decltype(&::IsThemeBackgroundPartiallyTransparent) IsThemeBackgroundPartiallyTransparent = nullptr;
  decltype(&::GetThemeColor) GetThemeColor = nullptr;
  decltype(&::GetThemeMetric) GetThemeMetric = nullptr;
  decltype(&::GetThemeString) GetThemeString = nullptr;
  decltype(&::GetThemeBool) GetThemeBool = nullptr;
  decltype(&::GetThemeInt) GetThemeInt = nullptr;
  decltype(&::GetThemeEnumValue) GetThemeEnumValue = nullptr;
  decltype(&::GetThemePosition) GetThemePosition = nullptr;
  decltype(&::GetThemeFont) GetThemeFont = nullptr;
  decltype(&::GetThemeRect) GetThemeRect = nullptr;
  decltype(&::GetThemeMargins) GetThemeMargins = nullptr;
  decltype(&::GetThemeIntList) GetThemeIntList = nullptr;
  decltype(&::GetThemePropertyOrigin) GetThemePropertyOrigin = nullptr;
  decltype(&::SetWindowTheme) SetWindowTheme = nullptr;
  decltype(&::GetThemeFilename) GetThemeFilename = nullptr;
  decltype(&::GetThemeSysColor) GetThemeSysColor = nullptr;
  decltype(&::GetThemeSysColorBrush) GetThemeSysColorBrush = nullptr;
  decltype(&::GetThemeSysBool) GetThemeSysBool = nullptr;
  decltype(&::GetThemeSysSize) GetThemeSysSize = nullptr;
  decltype(&::GetThemeSysFont) GetThemeSysFont = nullptr;
  decltype(&::GetThemeSysString) GetThemeSysString = nullptr;
  decltype(&::GetThemeSysInt) GetThemeSysInt = nullptr;
  decltype(&::IsThemeActive) IsThemeActive = nullptr;
  decltype(&::IsAppThemed) IsAppThemed = nullptr;
  decltype(&::GetWindowTheme) GetWindowTheme = nullptr;
  decltype(&::EnableThemeDialogTexture) EnableThemeDialogTexture = nullptr;
  decltype(&::IsThemeDialogTextureEnabled) IsThemeDialogTextureEnabled = nullptr;
  decltype(&::GetThemeAppProperties) GetThemeAppProperties = nullptr;
  decltype(&::SetThemeAppProperties) SetThemeAppProperties = nullptr;
  decltype(&::GetCurrentThemeName) GetCurrentThemeName = nullptr;
  decltype(&::GetThemeDocumentationProperty) GetThemeDocumentationProperty = nullptr;
  decltype(&::DrawThemeParentBackground) DrawThemeParentBackground = nullptr;
  decltype(&::EnableTheming) EnableTheming = nullptr;
};

// The table. Read it on the main thread only, between Init and Free calls of its users.
const TThemeApi& ThemeApi();

// Adds a reference (also when loading fails) and loads the library when none is loaded;
// true when a library is loaded.
bool InitThemeLibrary();
// Drops a reference when there is one; at no references the library is unloaded and every
// pointer cleared.
void FreeThemeLibrary();
// The references now held (the module's own one included).
int ThemeLibraryReferences();
// True exactly when the library is loaded and both IsAppThemed and IsThemeActive answer
// non-zero (the second is not asked when the first fails). Cached nowhere: a theme switched
// on or off shows at the next paint.
bool UseThemes();

// A theme class opened for the length of one paint (nullptr when the binding is off or the
// class has no theme); closed by the destructor.
class TThemeScope {
 public:
  explicit TThemeScope(const wchar_t* classList);
  ~TThemeScope();
  TThemeScope(const TThemeScope&) = delete;
  TThemeScope& operator=(const TThemeScope&) = delete;

  HTHEME Get() const { return FTheme; }
  explicit operator bool() const { return FTheme != nullptr; }
  // False once the library that opened the handle was unloaded.
  bool Current() const;

  // Draw a part of the open theme; false (nothing drawn) without a theme or when the entry
  // point is missing, so that the caller draws classically instead.
  bool DrawBackground(HDC dc, int part, int state, const RECT& r) const;
  bool DrawText(HDC dc, int part, int state, const wchar_t* text, int length, DWORD flags,
                const RECT& r) const;
  // An edge (EDGE_* and BF_* as DrawEdge takes them) in the theme's colours.
  bool DrawEdge(HDC dc, int part, int state, const RECT& r, UINT edge, UINT flags) const;
  // The part's sizing margins (kept as they are while the rest is stretched); false when the
  // theme does not say.
  bool SizingMargins(int part, int state, MARGINS& margins) const;

 private:
  HTHEME FTheme = nullptr;  // opened by the constructor, closed by the destructor
  unsigned FLoad = 0;       // the library load the handle belongs to
};

// A theme class a control keeps open from paint to paint instead of opening it for each one.
// Reset() when the theme changes; a library unloaded and loaded again is noticed by Get().
class TKeptTheme {
 public:
  explicit TKeptTheme(const wchar_t* classList) : FClassList(classList) {}
  ~TKeptTheme();
  TKeptTheme(const TKeptTheme&) = delete;
  TKeptTheme& operator=(const TKeptTheme&) = delete;

  // The open class when themes are in use and the class has a theme; nullptr otherwise.
  const TThemeScope* Get();
  void Reset();

 private:
  const wchar_t* FClassList;           // a literal: not copied
  std::unique_ptr<TThemeScope> FScope;  // nullptr until the first themed paint
};

// Theme parts kept as bitmaps of the size they were drawn at, so that a control drawing the
// same part at the same size paint after paint asks the theme library once. A part whose pixels
// are each either opaque or wholly transparent is kept with a mask and draws exactly as the
// library would; a part blended with what lies under it is drawn through the library every
// time. A size is kept when it is drawn a second time. A part whose middle columns all repeat
// one column (a bar's background, a pane's frame) serves every width from one kept bitmap: its
// end columns copied and its middle column stretched, once a drawing at two other widths by the
// library showed exactly that; likewise every height when its middle rows repeat one row (a tab
// reaching in under the rows nearer the body), and every size when both do and a drawing at
// another width and height showed it too. Holds at most kCapacity parts, the oldest replaced
// first; Clear() when the theme or the system colours change.
class TThemePartCache {
 public:
  static constexpr int kCapacity = 8;
  TThemePartCache() = default;
  ~TThemePartCache() { Clear(); }
  TThemePartCache(const TThemePartCache&) = delete;
  TThemePartCache& operator=(const TThemePartCache&) = delete;

  // Draws the part of the open theme into r of dc, from the cache when it can; false (nothing
  // drawn) as TThemeScope::DrawBackground answers.
  bool Draw(const TThemeScope& theme, HDC dc, int part, int state, const RECT& r);
  void Clear();
  int Count() const { return FCount; }

 private:
  // How a kept part serves other lengths along one direction (columns across, rows down).
  struct TRepeat {
    bool Any = false;          // serves any length of at least Least
    int Lead = 0, Trail = 0;   // the end lines around the repeating middle line
    int Least = 0;             // at least Lead + Trail + 1 and the sizing margins' sum
    bool Fits(int kept, int length) const { return length == kept || (Any && length >= Least); }
    // The kept line that line i of a drawing of the given length shows.
    int From(int i, int kept, int length) const {
      if (length == kept || i < Lead) return i;
      return i >= length - Trail ? i - length + kept : Lead;
    }
  };
  struct TEntry {
    int Part = 0, State = 0, Width = 0, Height = 0;
    HDC Memory = nullptr;        // owned; holds Bitmap; nullptr: not kept
    HBITMAP Bitmap = nullptr;    // owned; the part on black, the mask (if Masked) below it
    HGDIOBJ OldBitmap = nullptr; // Memory's own bitmap, selected back before it is deleted
    bool Masked = false;         // the mask: white where transparent, black elsewhere
    bool Unkeepable = false;     // blended with what lies under it: always drawn directly
    TRepeat Across;              // other widths
    TRepeat Down;                // other heights
    bool Serves(int part, int state, int w, int h) const {
      return Part == part && State == state && Across.Fits(Width, w) && Down.Fits(Height, h);
    }
  };
  // The entry of this part and state drawn once at another size and not kept yet, unless a
  // kept entry of them showed that its sizes cannot share one bitmap in a direction in which
  // this size differs from it.
  TEntry* SeenAtOtherSize(int part, int state, int w, int h);
  // Sets Across and Down where the middle lines of the drawing repeat and the library draws
  // other sizes exactly so.
  static void FindRepeats(const TThemeScope& theme, TEntry& entry, const DWORD* onBlack,
                          const DWORD* onWhite);
  // The repeating run of middle lines (columns, or rows when down); Any false when none.
  // Shorter than the sizing margins (sum) the library shrinks the ends: not served.
  static TRepeat MiddleRun(const TEntry& entry, const DWORD* onBlack, const DWORD* onWhite,
                           bool down, int marginSum);
  // The library's drawing at w × h on black and on white equals the kept drawing stretched
  // by the entry's repeats.
  static bool DrawsAsStretched(const TThemeScope& theme, const TEntry& entry, const DWORD* onBlack,
                               const DWORD* onWhite, int w, int h);
  // The entry's bitmap made; false when the part cannot be kept or drawing failed.
  static bool Fill(const TThemeScope& theme, HDC dc, TEntry& entry);
  static bool Blit(const TEntry& entry, HDC dc, const RECT& r);
  // One piece of the kept part: source (sx, sy, sw, sh) onto (dx, dy, dw, dh).
  static bool BlitPiece(const TEntry& entry, HDC dc, int dx, int dy, int dw, int dh, int sx,
                        int sy, int sw, int sh);
  static void Release(TEntry& entry);

  TEntry FEntries[kCapacity];
  int FCount = 0;  // entries in use
  int FNext = 0;   // the entry replaced next once all are in use
};
