#include "SkinObjects.h"

#include <algorithm>
#include <vector>

#include "SkinActiveObjects.h"
#include "SkinBoxObjects.h"
#include "SkinColors.h"
#include "SkinDrawing.h"
#include "SkinReader.h"
#include "SkinStreams.h"
#include "classlib/classes/Filer.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/Properties.h"
#include "classlib/stdctrls/ScreenCanvas.h"

namespace {

const wchar_t* const AlignNames[] = {
    L"saNone",  L"saLeft",      L"saMostLeft",  L"saTop",      L"saMostTop",     L"saRight",
    L"saMostRight", L"saBottom", L"saMostBottom", L"saClient", L"saTopLeft",     L"saTopRight",
    L"saBottomLeft", L"saBottomRight", L"saCenter", L"saText"};
const wchar_t* const KindNames[] = {
    L"skNone", L"skForm", L"skCaption", L"skTitle", L"skTop", L"skLeft", L"skRight", L"skBottom",
    L"skTopLeft", L"skTopRight", L"skBottomLeft", L"skBottomRight", L"skSysButton", L"skClient",
    L"skMenuBar", L"skMenuBarItem", L"skMenuBarItemText", L"skPopupMenu", L"skPopupMenuItem",
    L"skPopupMenuItemText", L"skItemText", L"skTranparent"};
const wchar_t* const TextAlignNames[] = {
    L"taTopLeft", L"taTopCenter", L"taTopRight", L"taLeft", L"taCenter", L"taRight",
    L"taBottomLeft", L"taBottomCenter", L"taBottomRight"};
const wchar_t* const TextEffectNames[] = {L"teNone", L"teShadow"};
const wchar_t* const TileStyleNames[] = {L"tsTile", L"tsStretch", L"tsCenter"};
const wchar_t* const ActionNames[] = {
    L"sbaNone", L"sbaClose", L"sbaHelp", L"sbaMinimize", L"sbaMaximize", L"sbaRestore",
    L"sbaRollUp", L"sbaRollDown", L"sbaTray", L"sbaSysMenu", L"sbaRollPanel", L"sbaCustom"};

// DrawText flags by TSeTextAlign: DT_SINGLELINE with the placement; the mirrored set for the
// second text.
const UINT TextFlags[] = {0x20, 0x21, 0x22, 0x24, 0x25, 0x26, 0x28, 0x29, 0x2A};
const UINT MirroredTextFlags[] = {0x22, 0x21, 0x20, 0x26, 0x25, 0x24, 0x2A, 0x29, 0x28};

// The registry, made at its first use (once, safely from any thread) with the engine's own
// kinds first: a program reads skins without registering anything, and no start-up order of
// units or linker's choice of object files can leave it empty.
std::vector<const TClassInfo*>& SkinObjectClasses() {
  static std::vector<const TClassInfo*> classes = [] {
    std::vector<const TClassInfo*> kinds{
        TSeSkinObject::StaticClassInfo(),   TSeActiveObject::StaticClassInfo(),
        TSeBitmapObject::StaticClassInfo(), TSeActiveBitmap::StaticClassInfo(),
        TSeSystemButton::StaticClassInfo(), TSeButtonObject::StaticClassInfo(),
        TSeTextObject::StaticClassInfo()};
    for (const TClassInfo* info : BoxSkinObjectClasses()) kinds.push_back(info);
    return kinds;
  }();
  return classes;
}

int TextWidthWith(TFont* font, const String& text) {
  TScreenCanvas screen;
  screen.Get()->SetFont(font);
  SIZE size{};
  ::GetTextExtentPoint32W(screen.Get()->GetHandle(), text.c_str(), static_cast<int>(text.size()),
                          &size);
  return size.cx;
}

constexpr int32_t BinaryChildren = 0x000F0000;
constexpr int MaxNesting = 32;
constexpr int MaxClassNameBytes = 256;
// The smallest object on a stream: a class-name count and a size or text count.
constexpr int MinObjectBytes = 8;

int& NestingDepth() {
  static int depth = 0;
  return depth;
}

// Counts one level of object nesting for as long as it lives.
class TNestingGuard {
 public:
  TNestingGuard() {
    if (NestingDepth() >= MaxNesting) SkinReadError();
    ++NestingDepth();
  }
  ~TNestingGuard() { --NestingDepth(); }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;
};

// A new object of the registered class with owner, or nullptr.
TSeSkinObject* CreateRegistered(const String& className) {
  const TClassInfo* info = FindSkinObjectClass(className);
  if (!info || !info->CreateComponent) return nullptr;
  std::unique_ptr<TComponent> made(info->CreateComponent(nullptr));
  auto* object = dynamic_cast<TSeSkinObject*>(made.get());
  if (!object) return nullptr;
  made.release();
  return object;
}

// Reads block into a fresh object of the class (nullptr when unregistered); the object is
// given to owner only once it has loaded.
TSeSkinObject* LoadObject(const String& className, TStream& block, TComponent* owner) {
  std::unique_ptr<TSeSkinObject> object(CreateRegistered(className));
  if (!object) return nullptr;
  try {
    ReadComponentInto(block, object.get());
  } catch (const Exception&) {
    // The layout reader names the property it failed on by the file's own bytes: a damaged
    // object is refused with the readers' one error instead.
    SkinReadError();
  }
  // The class library's default character set: with the bare default one the Chinese
  // captions of the program would find no font under Wine.
  object->SetCharset(DefaultFontCharset);
  if (owner) {
    try {
      owner->InsertComponent(object.get());
    } catch (const Exception&) {
      SkinReadError();  // a second child of the same name
    }
  }
  return object.release();
}

}  // namespace

const TEnumInfo SeAlignIdents = MakeEnumInfo(AlignNames);
const TEnumInfo SeKindIdents = MakeEnumInfo(KindNames);
const TEnumInfo SeTextAlignIdents = MakeEnumInfo(TextAlignNames);
const TEnumInfo SeTextEffectIdents = MakeEnumInfo(TextEffectNames);
const TEnumInfo ScTileStyleIdents = MakeEnumInfo(TileStyleNames);
const TEnumInfo SeActionIdents = MakeEnumInfo(ActionNames);

TSeFormSkin* FormSkinOf(TWinControl* control) {
  if (!control || !control->HandleAllocated()) return nullptr;
  return reinterpret_cast<TSeFormSkin*>(::SendMessageW(control->GetHandle(), SE_GETFORMSKIN, 0, 0));
}

// ---- Registry -------------------------------------------------------------------------------------

void RegisterSkinObjectClass(const TClassInfo* info) {
  auto& classes = SkinObjectClasses();
  if (info && std::find(classes.begin(), classes.end(), info) == classes.end())
    classes.push_back(info);
}

const TClassInfo* FindSkinObjectClass(const String& name) {
  for (const TClassInfo* info : SkinObjectClasses())
    if (name == info->Name) return info;
  return nullptr;
}

TSeSkinObject* CloneSkinObject(TSeSkinObject* source, TComponent* owner) {
  if (!source) return nullptr;
  const TClassInfo* info = FindSkinObjectClass(source->ClassName());
  if (!info || !info->CreateComponent) return nullptr;
  std::unique_ptr<TComponent> made(info->CreateComponent(nullptr));
  auto* object = dynamic_cast<TSeSkinObject*>(made.get());
  if (!object) return nullptr;
  object->Assign(source);
  made.release();
  if (owner) owner->InsertComponent(object);
  return object;
}

// ---- TSeSkinObject --------------------------------------------------------------------------------

const TPropertyTable* TSeSkinObject::PublishedProperties() {
  using P = TPublish<TSeSkinObject>;
  using C = TSeSkinObject;
  static const TPropertyTable table{
      P::Enum(L"Align", SeAlignIdents, &C::GetAlign, &C::SetAlign),
      P::Enum(L"Kind", SeKindIdents, &C::GetKind, &C::SetKind),
      P::Integer(L"Left", &C::GetLeft, &C::SetLeft),
      P::Integer(L"Top", &C::GetTop, &C::SetTop),
      P::Integer(L"Width", &C::GetWidth, &C::SetWidth),
      P::Integer(L"Height", &C::GetHeight, &C::SetHeight),
      P::Color(L"Color", &C::GetColor, &C::SetColor),
      P::Persistent(L"Font", &C::GetOwnFont, &C::SetFont),
      P::Boolean(L"Masked", &C::GetMasked, &C::SetMasked),
      P::Boolean(L"DrawIfOwner", &C::GetDrawIfOwner, &C::SetDrawIfOwner),
      P::Integer(L"MarginLeft", &C::GetMarginLeft, &C::SetMarginLeft),
      P::Integer(L"MarginTop", &C::GetMarginTop, &C::SetMarginTop),
      P::Integer(L"MarginRight", &C::GetMarginRight, &C::SetMarginRight),
      P::Integer(L"MarginBottom", &C::GetMarginBottom, &C::SetMarginBottom),
      P::Enum(L"TextAlign", SeTextAlignIdents, &C::GetTextAlign, &C::SetTextAlign),
      P::Enum(L"TextEffect", SeTextEffectIdents, &C::GetTextEffect, &C::SetTextEffect),
      P::Integer(L"TextMarginLeft", &C::GetTextMarginLeft, &C::SetTextMarginLeft),
      P::Integer(L"TextMarginRight", &C::GetTextMarginRight, &C::SetTextMarginRight),
      P::Integer(L"TextMarginTop", &C::GetTextMarginTop, &C::SetTextMarginTop),
  };
  return &table;
}

TSeSkinObject::TSeSkinObject(TComponent* owner)
    : TComponent(owner), FFont(std::make_unique<TFont>()) {}

TSeSkinObject::~TSeSkinObject() = default;

TSeSkinObject* TSeSkinObject::Child(int index) const {
  if (index < 0 || index >= GetComponentCount()) return nullptr;
  return dynamic_cast<TSeSkinObject*>(GetComponent(index));
}

void TSeSkinObject::SetLeft(int value) {
  SetBoundsRect(TRect(value, FTop, value + FWidth, FTop + FHeight));
}
void TSeSkinObject::SetTop(int value) {
  SetBoundsRect(TRect(FLeft, value, FLeft + FWidth, value + FHeight));
}
void TSeSkinObject::SetWidth(int value) {
  SetBoundsRect(TRect(FLeft, FTop, FLeft + value, FTop + FHeight));
}
void TSeSkinObject::SetHeight(int value) {
  SetBoundsRect(TRect(FLeft, FTop, FLeft + FWidth, FTop + value));
}

void TSeSkinObject::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSeSkinObject*>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  SetName(other->GetName());
  FMasked = other->FMasked;
  FAlign = other->FAlign;
  FKind = other->FKind;
  FBitmaps = other->FBitmaps;
  FColor = other->FColor;
  FDrawIfOwner = other->FDrawIfOwner;
  FFont->Assign(other->FFont.get());
  FTextAlign = other->FTextAlign;
  FTextEffect = other->FTextEffect;
  FTextMarginTop = other->FTextMarginTop;
  FTextMarginLeft = other->FTextMarginLeft;
  FTextMarginRight = other->FTextMarginRight;
  FMarginLeft = other->FMarginLeft;
  FMarginTop = other->FMarginTop;
  FMarginRight = other->FMarginRight;
  FMarginBottom = other->FMarginBottom;
  for (int i = 0; i < other->ChildCount(); ++i) CloneSkinObject(other->Child(i), this);
  // The bounds without a layout; the designed size is what corner children keep their
  // distances from at the first layout.
  FLeft = other->FLeft;
  FTop = other->FTop;
  FWidth = other->FWidth;
  FHeight = other->FHeight;
  FPrevWidth = FWidth;
  FPrevHeight = FHeight;
}

TSeSkinObject* TSeSkinObject::FindObject(const String& name) {
  if (SameText(GetName(), name)) return this;
  for (int i = 0; i < ChildCount(); ++i)
    if (TSeSkinObject* child = Child(i))
      if (TSeSkinObject* found = child->FindObject(name)) return found;
  return nullptr;
}

void TSeSkinObject::SetBoundsRect(const TRect& rect) {
  const int width = std::max(rect.Right - rect.Left, 0);
  const int height = std::max(rect.Bottom - rect.Top, 0);
  if (rect.Left == FLeft && rect.Top == FTop && width == FWidth && height == FHeight) return;
  FPrevWidth = FWidth;
  FPrevHeight = FHeight;
  FLeft = rect.Left;
  FTop = rect.Top;
  FWidth = width;
  FHeight = height;
  LayoutChildren();
}

void TSeSkinObject::LayoutChildren() {
  if (ChildCount() == 0) return;
  PlaceChildren();
  MoveCornerChildren();
  FLaidOut = true;
}

void TSeSkinObject::PlaceChildren() {
  const int count = ChildCount();
  if (count == 0) return;
  int l = FLeft, t = FTop, r = FLeft + FWidth, b = FTop + FHeight;
  auto visible = [&](int i) {
    TSeSkinObject* child = Child(i);
    return child && child->FVisible ? child : nullptr;
  };
  auto vertical = [&](TSeAlign top, TSeAlign bottom) {
    for (int i = 0; i < count; ++i)
      if (TSeSkinObject* c = visible(i)) {
        const int h = c->FHeight;
        if (c->FAlign == top) {
          c->SetBoundsRect(TRect(l, t, r, t + h));
          t += h;
        } else if (c->FAlign == bottom) {
          c->SetBoundsRect(TRect(l, b - h, r, b));
          b -= h;
        }
      }
  };
  auto horizontal = [&](TSeAlign left, TSeAlign right) {
    for (int i = 0; i < count; ++i)
      if (TSeSkinObject* c = visible(i)) {
        const int w = c->FWidth;
        if (c->FAlign == left) {
          c->SetBoundsRect(TRect(l, t, l + w, b));
          l += w;
        } else if (c->FAlign == right) {
          c->SetBoundsRect(TRect(r - w, t, r, b));
          r -= w;
        }
      }
  };
  vertical(saMostTop, saMostBottom);
  horizontal(saMostLeft, saMostRight);
  vertical(saTop, saBottom);
  horizontal(saLeft, saRight);
  for (int i = count - 1; i >= 0; --i)
    if (TSeSkinObject* c = visible(i); c && c->FAlign == saText) {
      const int w = TextWidthWith(c->GetFont(), c->FText) + c->FTextMarginLeft + c->FTextMarginRight;
      c->SetBoundsRect(TRect(c->FLeft, c->FTop, c->FLeft + w, c->FTop + c->FHeight));
    }
  for (int i = count - 1; i >= 0; --i)
    if (TSeSkinObject* c = visible(i); c && c->FAlign == saCenter) {
      const int left = l + (r - l - c->FWidth) / 2, top = t + (b - t - c->FHeight) / 2;
      c->SetBoundsRect(TRect(left, top, left + c->FWidth, top + c->FHeight));
    }
  for (int i = 0; i < count; ++i)
    if (TSeSkinObject* c = visible(i); c && c->FAlign == saClient)
      c->SetBoundsRect(TRect(l, t, r, b));
}

void TSeSkinObject::MoveCornerChildren() {
  // Corner children move by the change of size, so that the distance to the edges they are
  // anchored to stays the same from one layout to the next. saTopRight children stay put when
  // the previous width is 0. saBottomLeft children stay put only on the object's first layout
  // when it had no height before: moved by the change, they would be thrown a whole height
  // down; after that a height of 0 is a size like any other and the way back from it restores
  // their distance to the bottom. saBottomRight children follow both rules.
  const int dx = FPrevWidth > 0 ? FWidth - FPrevWidth : 0;
  const int dy = (FPrevHeight > 0 || FLaidOut) ? FHeight - FPrevHeight : 0;
  for (int i = 0; i < ChildCount(); ++i) {
    TSeSkinObject* c = Child(i);
    if (!c) continue;
    if (c->FAlign == saTopRight || c->FAlign == saBottomRight) c->FLeft += dx;
    if (c->FAlign == saBottomLeft || c->FAlign == saBottomRight) c->FTop += dy;
  }
}

void TSeSkinObject::SetControl(TWinControl* control) {
  FControl = control;
  FRightToLeft = control ? static_cast<uint8_t>(control->GetBiDiMode()) : 0;
  for (int i = 0; i < ChildCount(); ++i)
    if (TSeSkinObject* child = Child(i)) child->SetControl(control);
}

void TSeSkinObject::SetBitmaps(TSeBitmapList* list) {
  FBitmaps = list;
  for (int i = 0; i < ChildCount(); ++i)
    if (TSeSkinObject* child = Child(i)) child->SetBitmaps(list);
}

void TSeSkinObject::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  for (int i = 0; i < ChildCount(); ++i)
    if (TSeSkinObject* child = Child(i)) child->SetActive(value);
}

void TSeSkinObject::SetState(uint8_t value) {
  FState = value;
  for (int i = 0; i < ChildCount(); ++i)
    if (TSeSkinObject* child = Child(i)) child->SetState(value);
}

void TSeSkinObject::SetCharset(TFontCharset value) {
  FFont->SetCharset(value);
  for (int i = 0; i < ChildCount(); ++i)
    if (TSeSkinObject* child = Child(i)) child->SetCharset(value);
}

TColor TSeSkinObject::ShiftColor(TColor c, int delta) {
  if (c == clNone) return c;
  return PixelToColor(::ShiftHue(ColorToPixel(c), delta));
}

void TSeSkinObject::ShiftHue(int delta) {
  FColor = ShiftColor(FColor, delta);
  FFont->SetColor(ShiftColor(FFont->GetColor(), delta));
  for (int i = 0; i < ChildCount(); ++i)
    if (TSeSkinObject* child = Child(i)) child->ShiftHue(delta);
}

void TSeSkinObject::ResolveLinks() {
  for (int i = 0; i < ChildCount(); ++i)
    if (TSeSkinObject* child = Child(i)) child->ResolveLinks();
}

void TSeSkinObject::InvalidateObject() {
  if (FVisible && FControl && FControl->HandleAllocated())
    ::SendMessageW(FControl->GetHandle(), SE_INVALIDATEOBJECT, 0, reinterpret_cast<LPARAM>(this));
}

void TSeSkinObject::Paint(TCanvas* canvas) {
  if (!FVisible || FWidth < 1 || FHeight < 1 || !canvas) return;
  if (ChildCount() == 0 || FDrawIfOwner) PaintSelf(canvas);
  PaintChildren(canvas);
}

void TSeSkinObject::PaintSelf(TCanvas* canvas) { PaintFilled(canvas, FColor, GetFont()); }

void TSeSkinObject::PaintFilled(TCanvas* canvas, TColor color, TFont* font) {
  if (color != clNone) FillRectColor(canvas, GetBoundsRect(), color);
  PaintText(canvas, font);
}

HRGN TSeSkinObject::CreateRegion() {
  return ::CreateRectRgn(FLeft, FTop, FLeft + FWidth, FTop + FHeight);
}

HRGN TSeSkinObject::CreatePaintedRegion() {
  if (FWidth < 1 || FHeight < 1) return ::CreateRectRgn(0, 0, 0, 0);
  TSeBitmap picture;
  picture.SetSize(FWidth, FHeight);
  picture.Clear(SeClearPixel);
  {
    TCanvas canvas;
    canvas.SetHandle(picture.GetDC());
    POINT old{};
    ::SetViewportOrgEx(picture.GetDC(), -FLeft, -FTop, &old);
    Paint(&canvas);
    ::SetViewportOrgEx(picture.GetDC(), old.x, old.y, nullptr);
  }
  ::GdiFlush();
  HRGN region = CreateRegionFromBitmap(picture, FLeft, FTop);
  return region ? region : ::CreateRectRgn(0, 0, 0, 0);
}

void TSeSkinObject::PaintChildren(TCanvas* canvas) {
  for (int i = 0; i < ChildCount(); ++i) {
    TSeSkinObject* child = Child(i);
    if (child && child->FVisible && child->FWidth >= 1 && child->FHeight >= 1)
      child->Paint(canvas);
  }
}

void TSeSkinObject::PaintText(TCanvas* canvas, TFont* font) {
  if (FText == L"-") {
    const int middle = FTop + FHeight / 2;
    FillRectColor(canvas, TRect(FLeft + 3, middle, FLeft + FWidth - 3, middle + 1),
                  font->GetColor());
    return;
  }
  if (FText.empty() && FText2.empty()) return;
  TRect r(FLeft + FTextMarginLeft, FTop + FTextMarginTop, FLeft + FWidth - FTextMarginRight,
          FTop + FHeight);
  canvas->SetFont(font);
  if (!FEnabled) canvas->GetFont()->SetColor(clGray);
  HDC dc = canvas->GetHandle();
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const bool swap = FRightToLeft != 0 && ::GetSystemMetrics(SM_MIDEASTENABLED) != 0;
  auto placed = [&](UINT flags) {
    if (swap) {
      if (flags & DT_RIGHT) flags &= ~DT_RIGHT;
      else if (!(flags & DT_CENTER)) flags |= DT_RIGHT;
    }
    if (FRightToLeft == 1) flags |= DT_RTLREADING;
    return flags;
  };
  if (!FText.empty()) {
    String text = FText;
    if (FKind == skTitle) text = EllipsisText(dc, text, FWidth - FTextMarginLeft - FTextMarginRight);
    // "&" marks the accelerator (underlined), as in the system's own controls; a title shows
    // the window's caption, where "&" stands as it is.
    const UINT flags = placed(TextFlags[static_cast<int>(FTextAlign)]) | (FKind == skTitle ? DT_NOPREFIX : 0);
    if (FTextEffect == teShadow) {
      const TColor color = canvas->GetFont()->GetColor();
      TRect shadow(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
      canvas->GetFont()->SetColor(clBlack);
      DrawTextUnicode(canvas, text, shadow, flags);
      canvas->GetFont()->SetColor(color);
    }
    TRect at = r;
    DrawTextUnicode(canvas, text, at, flags);
  }
  if (!FText2.empty()) {
    UINT flags = MirroredTextFlags[static_cast<int>(FTextAlign)];
    if (FControl) flags = FControl->DrawTextBiDiModeFlags(flags);
    TRect at = r;
    DrawTextUnicode(canvas, FText2, at, flags);
  }
  ::SetBkMode(dc, oldMode);
}

// ---- Streaming ------------------------------------------------------------------------------------

void WriteSkinObjectText(TStream& stream, TSeSkinObject* object) {
  WriteStreamString(stream, object->ClassName());
  TStringStream text(L"");
  WriteComponentText(text, object);
  WriteStreamString(stream, text.GetDataString());
}

void WriteSkinObjectBinary(TStream& stream, TSeSkinObject* object) {
  WriteStreamString(stream, object->ClassName());
  TMemoryStream binary;
  WriteComponentToStream(binary, object);
  const int32_t size = static_cast<int32_t>(binary.GetSize());
  stream.WriteBuffer(&size, sizeof size);
  if (size > 0) stream.WriteBuffer(binary.GetMemory(), size);
}

TSeSkinObject* ReadSkinObjectText(TSeSkinReader& reader, TComponent* owner) {
  TNestingGuard nesting;
  const String className = reader.ReadString(MaxClassNameBytes);
  const String text = reader.ReadStringBytes(reader.ReadObjectDataSize());
  if (!FindSkinObjectClass(className)) return nullptr;
  reader.TakeObject();
  TStringStream block(text);
  return LoadObject(className, block, owner);
}

TSeSkinObject* ReadSkinObjectBinary(TSeSkinReader& reader, TComponent* owner) {
  TNestingGuard nesting;
  const String className = reader.ReadString(MaxClassNameBytes);
  const int32_t size = reader.ReadObjectDataSize();
  TMemoryStream block;
  reader.ReadBlock(size, block);
  if (!FindSkinObjectClass(className)) return nullptr;
  reader.TakeObject();
  return LoadObject(className, block, owner);
}

void TSeSkinObject::GetChildren(const TGetChildProc&, TComponent*) {}

void TSeSkinObject::DefineProperties(TFiler& filer) {
  inherited::DefineProperties(filer);
  filer.DefineBinaryProperty(
      L"Objects",
      [this](TStream& stream) {
        TSeSkinReader reader(stream, TSeSkinReader::MaxBody);
        int32_t value = reader.ReadInt32();
        const bool binary = (value & BinaryChildren) == BinaryChildren;
        if (binary) value &= ~BinaryChildren;
        if (value < 0 || static_cast<int64_t>(value) * MinObjectBytes > reader.BytesLeft())
          SkinReadError();
        reader.CheckObjectCount(value);
        for (int i = 0; i < value; ++i)
          binary ? ReadSkinObjectBinary(reader, this) : ReadSkinObjectText(reader, this);
      },
      [this](TStream& stream) {
        std::vector<TSeSkinObject*> children;
        for (int i = 0; i < ChildCount(); ++i)
          if (TSeSkinObject* child = Child(i)) children.push_back(child);
        const int32_t value = static_cast<int32_t>(children.size()) | BinaryChildren;
        stream.WriteBuffer(&value, sizeof value);
        for (TSeSkinObject* child : children) WriteSkinObjectBinary(stream, child);
      },
      true);
}

// ---- TSeBitmapObject ------------------------------------------------------------------------------

void DrawByTileStyle(TCanvas* canvas, TSeBitmap& bitmap, const TRect& dest, const TRect& source,
                     TscTileStyle style, bool transparent) {
  if (RectIsEmpty(dest) || RectIsEmpty(source)) return;
  // Opaque parts are drawn from the 32-bit picture too, not from its device copy: the pixels
  // are the same, the picture's tiling draws a few large copies where the device copy's draws
  // one per tile, and no picture needs a second, device-dependent copy in memory for it.
  switch (style) {
    case tsTile:
      bitmap.TileTo(canvas, dest, source, transparent);
      break;
    case tsStretch:
      bitmap.StretchDraw(canvas->GetHandle(), dest, source, transparent);
      break;
    case tsCenter: {
      const int x = dest.Left + (dest.Width() - source.Width()) / 2;
      const int y = dest.Top + (dest.Height() - source.Height()) / 2;
      HDC dc = canvas->GetHandle();
      const int saved = ::SaveDC(dc);
      ::IntersectClipRect(dc, dest.Left, dest.Top, dest.Right, dest.Bottom);
      bitmap.DrawRect(dc, x, y, source, transparent);
      ::RestoreDC(dc, saved);
      break;
    }
  }
}

const TPropertyTable* TSeBitmapObject::PublishedProperties() {
  using P = TPublish<TSeBitmapObject>;
  using C = TSeBitmapObject;
  static const TPropertyTable table{
      P::Persistent(L"Bitmap", &C::GetBitmap, &C::SetBitmap),
      P::Enum(L"TileStyle", ScTileStyleIdents, &C::GetTileStyle, &C::SetTileStyle),
      P::Enum(L"BorderTileStyle", ScTileStyleIdents, &C::GetBorderTileStyle, &C::SetBorderTileStyle),
      P::Boolean(L"MaskedBorder", &C::GetMaskedBorder, &C::SetMaskedBorder),
      P::Boolean(L"MaskedAngles", &C::GetMaskedAngles, &C::SetMaskedAngles),
  };
  return &table;
}

TSeBitmapObject::TSeBitmapObject(TComponent* owner)
    : TSeSkinObject(owner), FBitmap(std::make_unique<TSeBitmapLink>()) {}

TSeBitmapObject::~TSeBitmapObject() = default;

void TSeBitmapObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeBitmapObject*>(source)) {
    FBitmap->Assign(other->FBitmap.get());
    FTileStyle = other->FTileStyle;
    FBorderTileStyle = other->FBorderTileStyle;
    FMaskedBorder = other->FMaskedBorder;
    FMaskedAngles = other->FMaskedAngles;
  }
}

void ResolveBitmapLink(TSeBitmapList* list, TSeBitmapLink& link) {
  std::unique_ptr<TSeBitmapLink> found =
      list ? list->GetBitmapLink(link.GetName(), link.GetRect()) : nullptr;
  link.SetBitmap(found ? found->GetBitmap() : nullptr);
}

const TSeBitmapLink& BitmapForState(uint8_t state, const TSeBitmapLink& normal,
                                    const TSeBitmapLink& focused, const TSeBitmapLink& hot,
                                    const TSeBitmapLink& disabled, const TSeBitmapLink& pressed) {
  const TSeBitmapLink* picked = state == 7   ? &focused
                                : state == 5 ? &hot
                                : state == 8 ? &disabled
                                : state == 6 ? &pressed
                                             : nullptr;
  return picked && picked->Valid() ? *picked : normal;
}

TSeColorFont::TSeColorFont() : Font(std::make_unique<TFont>()) {}

void TSeColorFont::Assign(const TSeColorFont& other) {
  Color = other.Color;
  Font->Assign(other.Font.get());
}

void TSeColorFont::ShiftHue(int delta) {
  Color = TSeSkinObject::ShiftColor(Color, delta);
  Font->SetColor(TSeSkinObject::ShiftColor(Font->GetColor(), delta));
}

void TSeBitmapObject::ResolveLink(TSeBitmapLink& link) const {
  ResolveBitmapLink(GetBitmaps(), link);
}

void TSeBitmapObject::ResolveLinks() {
  ResolveLink(*FBitmap);
  inherited::ResolveLinks();
}

void TSeBitmapObject::Paint(TCanvas* canvas) {
  if (!GetVisible() || GetWidth() < 1 || GetHeight() < 1 || !canvas) return;
  if (ChildCount() == 0 || GetDrawIfOwner()) {
    PaintPicture(canvas, CurrentBitmap());
    PaintText(canvas, GetFont());
  }
  PaintChildren(canvas);
  // Laid out again, so that a child sized by its text takes the text it has now: a paint
  // with the same bounds does not reach SetBoundsRect's layout. Corner children stay where
  // they are: without a change of size, moving them again would repeat the last move.
  PlaceChildren();
}

HRGN TSeBitmapObject::CreateRegion() {
  if (GetMasked() && GetKind() != skClient) return CreatePaintedRegion();
  return inherited::CreateRegion();
}

void TSeBitmapObject::PaintPicture(TCanvas* canvas, const TSeBitmapLink& link) {
  TSeNineSlice slice;
  slice.Left = GetMarginLeft();
  slice.Top = GetMarginTop();
  slice.Right = GetMarginRight();
  slice.Bottom = GetMarginBottom();
  slice.Centre = FTileStyle;
  slice.Border = FBorderTileStyle;
  slice.Masked = GetMasked();
  slice.MaskedBorder = FMaskedBorder;
  slice.MaskedAngles = FMaskedAngles;
  DrawNineSlice(canvas, link, GetBoundsRect(), slice);
}

void DrawNineSlice(TCanvas* canvas, const TSeBitmapLink& link, const TRect& d,
                   const TSeNineSlice& slice) {
  if (!link.Valid()) return;
  TSeBitmap& bitmap = *link.GetBitmap();
  const TRect s = link.GetRect();
  const int l = slice.Left, t = slice.Top, r = slice.Right, b = slice.Bottom;
  if (l == 0 && t == 0 && r == 0 && b == 0) {
    DrawByTileStyle(canvas, bitmap, d, s, slice.Centre, slice.Masked);
    return;
  }
  // Columns and rows of the source and of the destination: edge, middle, edge.
  const int sx[4] = {s.Left, s.Left + l, s.Right - r, s.Right};
  const int sy[4] = {s.Top, s.Top + t, s.Bottom - b, s.Bottom};
  const int dx[4] = {d.Left, d.Left + l, d.Right - r, d.Right};
  const int dy[4] = {d.Top, d.Top + t, d.Bottom - b, d.Bottom};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) {
      const TRect src(sx[col], sy[row], sx[col + 1], sy[row + 1]);
      const TRect dst(dx[col], dy[row], dx[col + 1], dy[row + 1]);
      const bool corner = row != 1 && col != 1, centre = row == 1 && col == 1;
      if (corner)
        DrawByTileStyle(canvas, bitmap, dst, src, tsCenter, slice.MaskedAngles);
      else if (centre)
        DrawByTileStyle(canvas, bitmap, dst, src, slice.Centre, slice.Masked);
      else
        DrawByTileStyle(canvas, bitmap, dst, src, slice.Border, slice.MaskedBorder);
    }
}

// ---- TSeTextObject --------------------------------------------------------------------------------

const TPropertyTable* TSeTextObject::PublishedProperties() {
  using P = TPublish<TSeTextObject>;
  using C = TSeTextObject;
  static const TPropertyTable table{
      P::Persistent(L"FontHot", &C::GetFontHot, &C::SetFontHot),
      P::Persistent(L"FontFocused", &C::GetFontFocused, &C::SetFontFocused),
      P::Persistent(L"FontPressed", &C::GetFontPressed, &C::SetFontPressed),
      P::Persistent(L"FontDisabled", &C::GetFontDisabled, &C::SetFontDisabled),
  };
  return &table;
}

TSeTextObject::TSeTextObject(TComponent* owner) : TSeSkinObject(owner) {
  for (auto& font : FFonts) font = std::make_unique<TFont>();
}

TSeTextObject::~TSeTextObject() = default;

TFont* TSeTextObject::GetFont() const {
  switch (GetState()) {
    case 5: return FFonts[0].get();
    case 6: return FFonts[2].get();
    case 7: return FFonts[1].get();
    case 8: return FFonts[3].get();
    default: return inherited::GetFont();
  }
}

void TSeTextObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeTextObject*>(source))
    for (int i = 0; i < 4; ++i) FFonts[i]->Assign(other->FFonts[i].get());
}

void TSeTextObject::SetCharset(TFontCharset value) {
  for (auto& font : FFonts) font->SetCharset(value);
  inherited::SetCharset(value);
}

void TSeTextObject::ShiftHue(int delta) {
  for (auto& font : FFonts) font->SetColor(ShiftColor(font->GetColor(), delta));
  inherited::ShiftHue(delta);
}
