#include "GraphicsObjects.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>
#include "Bitmap.h"
#include "GdiHandles.h"

// One logical GDI object shared by every tool with the same description.
template <class Data>
struct TGdiResource {
  const Data Description;    // the key in the cache
  HGDIOBJ Handle = nullptr;  // made on first use (or adopted); deleted with the resource
  int RefCount = 0;          // tools that use this resource
};

namespace {

[[noreturn]] void OutOfResources() { throw EOutOfResources(L"Out of system resources"); }

// The cache of one kind of tool: descriptions mapped to shared resources. Every access holds
// the lock, because tools of different threads may share a resource.
template <class Data>
class TResourceCache {
 public:
  using Resource = TGdiResource<Data>;
  using Creator = HGDIOBJ (*)(const Data&);

  explicit TResourceCache(Creator create) : FCreate(create) {}

  // The resource of the description, with one more user. An adopted handle (Handle set in
  // the description) becomes the resource's handle.
  Resource* Allocate(const Data& data) {
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FResources.find(data);
    if (it == FResources.end()) {
      auto resource = std::unique_ptr<Resource>(new Resource{data});
      resource->Handle = reinterpret_cast<HGDIOBJ>(data.Handle);
      it = FResources.emplace(data, std::move(resource)).first;
    }
    ++it->second->RefCount;
    return it->second.get();
  }

  // The resource whose handle is `handle`, with one more user; nullptr when none holds it.
  Resource* AllocateHolding(HGDIOBJ handle) {
    std::lock_guard<std::mutex> guard(FLock);
    for (auto& [data, resource] : FResources) {
      if (resource->Handle == handle) {
        ++resource->RefCount;
        return resource.get();
      }
    }
    return nullptr;
  }

  // One user fewer; the last one deletes the handle and the resource.
  void Release(Resource* resource) {
    if (!resource) return;
    HGDIOBJ doomed = nullptr;
    {
      std::lock_guard<std::mutex> guard(FLock);
      if (--resource->RefCount > 0) return;
      doomed = resource->Handle;
      FResources.erase(resource->Description);
    }
    if (doomed) ::DeleteObject(doomed);
  }

  // The resource's handle, made now when it has none. EOutOfResources when GDI fails.
  HGDIOBJ Handle(Resource* resource) {
    std::lock_guard<std::mutex> guard(FLock);
    if (!resource->Handle) {
      resource->Handle = FCreate(resource->Description);
      if (!resource->Handle) OutOfResources();
    }
    return resource->Handle;
  }

  bool HandleAllocated(const Resource* resource) {
    std::lock_guard<std::mutex> guard(FLock);
    return resource->Handle != nullptr;
  }

 private:
  Creator FCreate;                                        // makes a handle from a description
  std::mutex FLock;                                       // guards everything below
  std::map<Data, std::unique_ptr<Resource>> FResources;  // one entry per description in use
};

// Replaces a tool's resource: takes the new one, tells the owner (so that it selects the
// old handle out of its DC), then lets the old one go, also when the owner's handler throws.
template <class Data, class Notify>
void ChangeResource(TResourceCache<Data>& cache, TGdiResource<Data>*& current,
                    TGdiResource<Data>* replacement, Notify notify) {
  TGdiResource<Data>* old = current;
  current = replacement;
  struct ReleaseOld {
    TResourceCache<Data>& Cache;
    TGdiResource<Data>* Old;
    ~ReleaseOld() { Cache.Release(Old); }
  } releaseOld{cache, old};
  notify();
}

// ---- Fonts ------------------------------------------------------------------------------

HGDIOBJ CreateFontHandle(const TFontData& data) {
  LOGFONTW lf{};
  lf.lfHeight = data.Height;
  lf.lfEscapement = data.Orientation;
  lf.lfOrientation = data.Orientation;
  lf.lfWeight = (data.Style & (1 << fsBold)) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (data.Style & (1 << fsItalic)) ? TRUE : FALSE;
  lf.lfUnderline = (data.Style & (1 << fsUnderline)) ? TRUE : FALSE;
  lf.lfStrikeOut = (data.Style & (1 << fsStrikeOut)) ? TRUE : FALSE;
  lf.lfCharSet = data.Charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = data.Pitch == fpFixed      ? FIXED_PITCH
                        : data.Pitch == fpVariable ? VARIABLE_PITCH
                                                   : DEFAULT_PITCH;
  const size_t length = std::min<size_t>(data.Name.size(), LF_FACESIZE - 1);
  std::copy_n(data.Name.begin(), length, lf.lfFaceName);
  return ::CreateFontIndirectW(&lf);
}

TResourceCache<TFontData>& FontCache() {
  // Never destroyed: tools held by static objects may release their resources during the
  // program's exit, after a static cache would already be gone.
  static auto* cache = new TResourceCache<TFontData>(CreateFontHandle);
  return *cache;
}

uint8_t StyleBits(TFontStyles styles) {
  uint8_t bits = 0;
  for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    if (styles.Contains(s)) bits |= static_cast<uint8_t>(1 << s);
  return bits;
}

TFontData DefaultFontData() {
  TFontData data;
  data.Height = -::MulDiv(DefaultFontSize, ScreenLogPixels(), 72);
  data.Charset = DefaultFontCharset;
  data.Name = DefaultFontName;
  return data;
}

// ---- Pens -------------------------------------------------------------------------------

HGDIOBJ CreatePenHandle(const TPenData& data) {
  static const UINT Styles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
  LOGPEN lp{};
  lp.lopnStyle = Styles[data.Style];
  lp.lopnWidth.x = data.Width;
  lp.lopnColor = ColorToRGB(data.Color);
  return ::CreatePenIndirect(&lp);
}

TResourceCache<TPenData>& PenCache() {
  static auto* cache = new TResourceCache<TPenData>(CreatePenHandle);  // see FontCache
  return *cache;
}

TPenStyle PenStyleOf(DWORD psStyle) {
  const DWORD style = psStyle & PS_STYLE_MASK;
  return style <= PS_INSIDEFRAME ? static_cast<TPenStyle>(style) : psSolid;
}

// ---- Brushes ----------------------------------------------------------------------------

HGDIOBJ CreateBrushHandle(const TBrushData& data) {
  if (data.Bitmap) return ::CreatePatternBrush(reinterpret_cast<HBITMAP>(data.Bitmap));
  LOGBRUSH lb{};
  lb.lbColor = ColorToRGB(data.Color);
  switch (data.Style) {
    case bsSolid: lb.lbStyle = BS_SOLID; break;
    case bsClear: lb.lbStyle = BS_HOLLOW; break;
    default:
      lb.lbStyle = BS_HATCHED;
      lb.lbHatch = HS_HORIZONTAL + (data.Style - bsHorizontal);  // same order as HS_xxx
      break;
  }
  return ::CreateBrushIndirect(&lb);
}

TResourceCache<TBrushData>& BrushCache() {
  static auto* cache = new TResourceCache<TBrushData>(CreateBrushHandle);  // see FontCache
  return *cache;
}

// Pattern brushes get a number of their own so that two are never taken for one: the
// bitmap handle alone could be reused by a new bitmap with another image.
uint32_t NextPatternId() {
  static std::atomic<uint32_t> last{0};
  uint32_t id = ++last;
  if (id == 0) id = ++last;  // 0 means "no pattern"
  return id;
}

}  // namespace

// ---- TGraphicsObject -----------------------------------------------------------------------

void TGraphicsObject::Changed() {
  if (FOnChange) FOnChange(this);
}

int ScreenLogPixels() {
  static const int pixels = [] {
    WindowDC dc(nullptr, ::GetDC(nullptr));
    const int value = dc ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return value > 0 ? value : 96;
  }();
  return pixels;
}

// ---- TFont ----------------------------------------------------------------------------------

TFont::TFont()
    : FResource(FontCache().Allocate(DefaultFontData())), FPixelsPerInch(ScreenLogPixels()) {}

TFont::~TFont() { FontCache().Release(FResource); }

const TFontData& TFont::Data() const { return FResource->Description; }

void TFont::SetData(const TFontData& data) {
  if (data == Data()) return;
  ChangeResource(FontCache(), FResource, FontCache().Allocate(data), [this] { Changed(); });
}

HFONT TFont::GetHandle() { return static_cast<HFONT>(FontCache().Handle(FResource)); }

bool TFont::HandleAllocated() const { return FontCache().HandleAllocated(FResource); }

void TFont::SetHandle(HFONT value) {
  if (!value) return;
  if (auto* shared = FontCache().AllocateHolding(value)) {
    if (shared == FResource) {  // already this tool's handle
      FontCache().Release(shared);
      return;
    }
    ChangeResource(FontCache(), FResource, shared, [this] { Changed(); });
    return;
  }
  LOGFONTW lf{};
  if (::GetObjectW(value, sizeof(lf), &lf) != sizeof(lf)) return;  // not a font
  TFontData data;
  data.Handle = reinterpret_cast<uintptr_t>(value);
  data.Height = lf.lfHeight;
  data.Orientation = lf.lfEscapement;
  const int pitch = lf.lfPitchAndFamily & 0x03;
  data.Pitch = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
  TFontStyles style;
  if (lf.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (lf.lfItalic) style.Include(fsItalic);
  if (lf.lfUnderline) style.Include(fsUnderline);
  if (lf.lfStrikeOut) style.Include(fsStrikeOut);
  data.Style = StyleBits(style);
  data.Charset = lf.lfCharSet;
  data.Name.assign(lf.lfFaceName, ::wcsnlen(lf.lfFaceName, LF_FACESIZE));
  ChangeResource(FontCache(), FResource, FontCache().Allocate(data), [this] { Changed(); });
}

String TFont::GetName() const { return Data().Name; }

void TFont::SetName(const String& value) {
  if (value.empty()) return;
  TFontData data = Data();
  data.Handle = 0;
  data.Name = value.substr(0, LF_FACESIZE - 1);
  SetData(data);
}

int TFont::GetSize() const { return -::MulDiv(Data().Height, 72, FPixelsPerInch); }

void TFont::SetSize(int value) { SetHeight(-::MulDiv(value, FPixelsPerInch, 72)); }

int TFont::GetHeight() const { return Data().Height; }

void TFont::SetHeight(int value) {
  TFontData data = Data();
  data.Handle = 0;
  data.Height = value;
  SetData(data);
}

TFontStyles TFont::GetStyle() const {
  TFontStyles styles;
  for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    if (Data().Style & (1 << s)) styles.Include(s);
  return styles;
}

void TFont::SetStyle(TFontStyles value) {
  TFontData data = Data();
  data.Handle = 0;
  data.Style = StyleBits(value);
  SetData(data);
}

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

TFontCharset TFont::GetCharset() const { return Data().Charset; }

void TFont::SetCharset(TFontCharset value) {
  TFontData data = Data();
  data.Handle = 0;
  data.Charset = value;
  SetData(data);
}

TFontPitch TFont::GetPitch() const { return Data().Pitch; }

void TFont::SetPitch(TFontPitch value) {
  TFontData data = Data();
  data.Handle = 0;
  data.Pitch = value;
  SetData(data);
}

int TFont::GetOrientation() const { return Data().Orientation; }

void TFont::SetOrientation(int value) {
  TFontData data = Data();
  data.Handle = 0;
  data.Orientation = value;
  SetData(data);
}

void TFont::SetPixelsPerInch(int value) {
  if (value > 0) FPixelsPerInch = value;
}

void TFont::Assign(TPersistent* source) {
  auto* font = dynamic_cast<TFont*>(source);
  if (!font) {
    inherited::Assign(source);
    return;
  }
  if (font == this) return;
  TFontData data = font->Data();
  if (font->FPixelsPerInch != FPixelsPerInch) {
    data.Handle = 0;
    data.Height = -::MulDiv(font->GetSize(), FPixelsPerInch, 72);
  }
  const bool sameData = data == Data();
  if (sameData && font->FColor == FColor) return;
  FColor = font->FColor;
  if (sameData)
    Changed();
  else
    ChangeResource(FontCache(), FResource, FontCache().Allocate(data), [this] { Changed(); });
}

// ---- TPen -----------------------------------------------------------------------------------

int PenModeToROP2(TPenMode mode) {
  static const int Codes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,       R2_NOT,
                              R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                              R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,  R2_NOTMERGEPEN,
                              R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,    R2_NOTXORPEN};
  return mode >= pmBlack && mode <= pmNotXor ? Codes[mode] : R2_COPYPEN;
}

TPen::TPen() : FResource(PenCache().Allocate(TPenData{})) {}

TPen::~TPen() { PenCache().Release(FResource); }

const TPenData& TPen::Data() const { return FResource->Description; }

void TPen::SetData(const TPenData& data) {
  if (data == Data()) return;
  ChangeResource(PenCache(), FResource, PenCache().Allocate(data), [this] { Changed(); });
}

HPEN TPen::GetHandle() { return static_cast<HPEN>(PenCache().Handle(FResource)); }

bool TPen::HandleAllocated() const { return PenCache().HandleAllocated(FResource); }

void TPen::SetHandle(HPEN value) {
  if (!value) return;
  if (auto* shared = PenCache().AllocateHolding(value)) {
    if (shared == FResource) {  // already this tool's handle
      PenCache().Release(shared);
      return;
    }
    ChangeResource(PenCache(), FResource, shared, [this] { Changed(); });
    return;
  }
  TPenData data;
  data.Handle = reinterpret_cast<uintptr_t>(value);
  switch (::GetObjectType(value)) {
    case OBJ_PEN: {
      LOGPEN lp{};
      if (::GetObjectW(value, sizeof(lp), &lp) != sizeof(lp)) return;
      data.Color = ColorFromInt(static_cast<int32_t>(lp.lopnColor));
      data.Width = lp.lopnWidth.x;
      data.Style = PenStyleOf(lp.lopnStyle);
      break;
    }
    case OBJ_EXTPEN: {
      // The size depends on the pen's dash entries.
      const int size = ::GetObjectW(value, 0, nullptr);
      if (size < static_cast<int>(sizeof(EXTLOGPEN)) - static_cast<int>(sizeof(DWORD))) return;
      std::vector<uint8_t> buffer(std::max<size_t>(size, sizeof(EXTLOGPEN)));
      if (::GetObjectW(value, size, buffer.data()) != size) return;
      const auto* elp = reinterpret_cast<const EXTLOGPEN*>(buffer.data());
      data.Color = ColorFromInt(static_cast<int32_t>(elp->elpColor));
      data.Width = static_cast<int>(elp->elpWidth);
      data.Style = PenStyleOf(elp->elpPenStyle);
      break;
    }
    default:
      return;  // not a pen
  }
  ChangeResource(PenCache(), FResource, PenCache().Allocate(data), [this] { Changed(); });
}

TColor TPen::GetColor() const { return Data().Color; }

void TPen::SetColor(TColor value) {
  TPenData data = Data();
  data.Handle = 0;
  data.Color = value;
  SetData(data);
}

int TPen::GetWidth() const { return Data().Width; }

void TPen::SetWidth(int value) {
  if (value < 0) return;
  TPenData data = Data();
  data.Handle = 0;
  data.Width = value;
  SetData(data);
}

TPenStyle TPen::GetStyle() const { return Data().Style; }

void TPen::SetStyle(TPenStyle value) {
  TPenData data = Data();
  data.Handle = 0;
  data.Style = value;
  SetData(data);
}

void TPen::SetMode(TPenMode value) {
  if (value == FMode) return;
  FMode = value;
  Changed();
}

void TPen::Assign(TPersistent* source) {
  auto* pen = dynamic_cast<TPen*>(source);
  if (!pen) {
    inherited::Assign(source);
    return;
  }
  if (pen == this) return;
  const bool sameData = pen->Data() == Data();
  if (sameData && pen->FMode == FMode) return;
  FMode = pen->FMode;
  if (sameData)
    Changed();
  else
    ChangeResource(PenCache(), FResource, PenCache().Allocate(pen->Data()), [this] { Changed(); });
}

// ---- TBrush ---------------------------------------------------------------------------------

TBrush::TBrush() : FResource(BrushCache().Allocate(TBrushData{})) {}

TBrush::~TBrush() { BrushCache().Release(FResource); }

const TBrushData& TBrush::Data() const { return FResource->Description; }

void TBrush::SetData(const TBrushData& data) {
  if (data == Data()) return;
  ChangeResource(BrushCache(), FResource, BrushCache().Allocate(data), [this] { Changed(); });
}

HBRUSH TBrush::GetHandle() { return static_cast<HBRUSH>(BrushCache().Handle(FResource)); }

bool TBrush::HandleAllocated() const { return BrushCache().HandleAllocated(FResource); }

void TBrush::SetHandle(HBRUSH value) {
  if (!value) return;
  if (auto* shared = BrushCache().AllocateHolding(value)) {
    if (shared == FResource) {  // already this tool's handle
      BrushCache().Release(shared);
      return;
    }
    FBitmap = nullptr;
    ChangeResource(BrushCache(), FResource, shared, [this] { Changed(); });
    return;
  }
  LOGBRUSH lb{};
  if (::GetObjectType(value) != OBJ_BRUSH || ::GetObjectW(value, sizeof(lb), &lb) != sizeof(lb))
    return;  // not a brush
  TBrushData data;
  data.Handle = reinterpret_cast<uintptr_t>(value);
  data.Color = ColorFromInt(static_cast<int32_t>(lb.lbColor & 0x03FFFFFF));
  if (lb.lbStyle == BS_HOLLOW)
    data.Style = bsClear;
  else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS)
    data.Style = static_cast<TBrushStyle>(bsHorizontal + lb.lbHatch);
  FBitmap = nullptr;
  ChangeResource(BrushCache(), FResource, BrushCache().Allocate(data), [this] { Changed(); });
}

TColor TBrush::GetColor() const { return Data().Color; }

void TBrush::SetColor(TColor value) {
  TBrushData data = Data();
  if (value == data.Color && data.Style != bsClear) return;
  DropPattern(data);
  data.Handle = 0;
  data.Color = value;
  if (data.Style == bsClear) data.Style = bsSolid;
  SetData(data);
}

TBrushStyle TBrush::GetStyle() const { return Data().Style; }

void TBrush::SetStyle(TBrushStyle value) {
  TBrushData data = Data();
  if (value == data.Style) return;
  DropPattern(data);
  data.Handle = 0;
  data.Style = value;
  // Every clear brush is the same brush: one description, one shared handle.
  if (value == bsClear) data.Color = clWhite;
  SetData(data);
}

// A pattern brush is made once, from the bitmap as it was then; a new colour or style makes
// a plain brush, since the bitmap may be gone by now.
void TBrush::DropPattern(TBrushData& data) {
  data.Bitmap = 0;
  data.PatternId = 0;
  FBitmap = nullptr;
}

void TBrush::SetPattern(HBITMAP bitmap, TBitmap* owner) {
  TBrushData data = Data();
  data.Handle = 0;
  data.Bitmap = reinterpret_cast<uintptr_t>(bitmap);
  data.PatternId = bitmap ? NextPatternId() : 0;
  FBitmap = bitmap ? owner : nullptr;
  SetData(data);
  // Made now from the bitmap's current image, so the bitmap may change or go later.
  if (bitmap) GetHandle();
}

void TBrush::SetBitmap(TBitmap* value) { SetPattern(value ? value->GetHandle() : nullptr, value); }

void TBrush::SetBitmapHandle(HBITMAP value) { SetPattern(value, nullptr); }

void TBrush::Assign(TPersistent* source) {
  auto* brush = dynamic_cast<TBrush*>(source);
  if (!brush) {
    inherited::Assign(source);
    return;
  }
  if (brush == this) return;
  FBitmap = brush->FBitmap;
  SetData(brush->Data());
}
