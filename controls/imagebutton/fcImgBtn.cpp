#include "fcImgBtn.h"

#include <vector>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/FlagScope.h"
#include "fcCommon.h"
#include "fcImager.h"

namespace {

const wchar_t* const DitherStyleNames[] = {L"dsDither", L"dsBlendDither", L"dsFill"};

const bool ImageButtonClassesRegistered = [] {
  RegisterClass<TfcImageBtn>();
  return true;
}();

}  // namespace

const TEnumInfo fcDitherStyleIdents = MakeEnumInfo(DitherStyleNames);

// ---- TfcImgDownOffsets ----------------------------------------------------------------------------

const TPropertyTable* TfcImgDownOffsets::PublishedProperties() {
  using P = TPublish<TfcImgDownOffsets>;
  using C = TfcImgDownOffsets;
  static const TPropertyTable table{
      P::Integer(L"ImageDownX", &C::GetImageDownX, &C::SetImageDownX).Default(2),
      P::Integer(L"ImageDownY", &C::GetImageDownY, &C::SetImageDownY).Default(2),
  };
  return &table;
}

void TfcImgDownOffsets::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TfcImgDownOffsets*>(source)) {
    FImageDownX = other->FImageDownX;
    FImageDownY = other->FImageDownY;
  }
  inherited::Assign(source);
}

// ---- TfcCustomImageBtn: published properties -----------------------------------------------------------

const TPropertyTable* TfcCustomImageBtn::PublishedProperties() {
  using P = TPublish<TfcCustomImageBtn>;
  using C = TfcCustomImageBtn;
  static const TPropertyTable table{
      P::Color(L"Color", &C::GetColor, &C::SetColor).Default(clNone),
      P::Color(L"DitherColor", &C::GetDitherColor, &C::SetDitherColor).Default(clWhite),
      P::Enum(L"DitherStyle", fcDitherStyleIdents, &C::GetDitherStyle, &C::SetDitherStyle)
          .Default(dsDither),
      P::Component(L"ExtImage", &C::GetExtImage, &C::SetExtImage),
      P::Component(L"ExtImageDown", &C::GetExtImageDown, &C::SetExtImageDown),
      P::Persistent(L"Image", &C::GetImage, &C::SetImage),
      P::Persistent(L"ImageDown", &C::GetImageDown, &C::SetImageDown),
      P::Boolean(L"ParentClipping", &C::GetParentClipping, &C::SetParentClipping).Stored(false),
      P::Boolean(L"RespectPalette", &C::GetRespectPalette, &C::SetRespectPalette).Default(false),
      P::Color(L"TransparentColor", &C::GetTransparentColor, &C::SetTransparentColor)
          .Default(clNone),
  };
  return &table;
}

// ---- TfcCustomImageBtn: life cycle -----------------------------------------------------------------------

TfcCustomImageBtn::TfcCustomImageBtn(TComponent* owner) : TfcCustomBitBtn(owner) {
  SetRespectPaletteFlag(true);
  RecreateOffsets();
  FImage = std::make_unique<TfcBitmap>();
  FImage->OnChange = [this](TObject*) { ImageChanged(FImage.get()); };
  FImageDown = std::make_unique<TfcBitmap>();
  FImageDown->OnChange = [this](TObject*) { ImageChanged(FImageDown.get()); };
  FExtLink = std::make_unique<TfcChangeLink>();
  FExtLink->OnChange = [this](TObject* sender) {
    ImageChanged(dynamic_cast<TfcBitmap*>(sender));
  };
  SetColor(clNone);
}

TfcCustomImageBtn::~TfcCustomImageBtn() {
  // The holders of borrowed pictures may outlive this button: they must forget its link.
  DetachLink(FExtImage, false);
  DetachLink(FExtImageDown, true);
  FImage->OnChange = nullptr;
  FImageDown->OnChange = nullptr;
}

void TfcCustomImageBtn::Loaded() {
  inherited::Loaded();
}

// ---- TfcCustomImageBtn: pictures ----------------------------------------------------------------------------

TfcBitmap* TfcCustomImageBtn::OwnImage() const {
  if (FImage->HasKeptPixels()) FImage->RestoreHandle();
  return FImage.get();
}

TfcBitmap* TfcCustomImageBtn::PeekImage(bool down) const {
  TComponent* external = down ? FExtImageDown : FExtImage;
  if (external && !external->GetComponentState().Contains(csDestroying)) {
    if (auto* imager = dynamic_cast<TfcCustomImager*>(external)) return imager->GetWorkImage();
    if (auto* button = dynamic_cast<TfcCustomImageBtn*>(external))
      return down ? button->FImageDown.get() : button->OwnImage();
  }
  return down ? FImageDown.get() : OwnImage();
}

// ---- TfcCustomImageBtn: the window ----------------------------------------------------------------------------

void TfcCustomImageBtn::DestroyWnd() {
  inherited::DestroyWnd();
  // Without a window nothing is drawn: the up picture's GDI objects go until it is back.
  if (!GetComponentState().Contains(csDestroying)) FImage->ReleaseHandle();
}

void TfcCustomImageBtn::CreateWnd() {
  OwnImage();
  inherited::CreateWnd();  // applies the region
}

TfcBitmap* TfcCustomImageBtn::GetStateImage(bool down) {
  TComponent* external = down ? FExtImageDown : FExtImage;
  if (auto* imager = dynamic_cast<TfcCustomImager*>(external)) {
    if (!external->GetComponentState().Contains(csDestroying) &&
        !imager->GetWorkImage()->GetEmpty())
      imager->RefreshForViewer();
  }
  return PeekImage(down);
}

bool TfcCustomImageBtn::HasDownImage() const {
  TfcBitmap* image = PeekImage(true);
  return image && !image->GetEmpty();
}

void TfcCustomImageBtn::SetImage(TfcBitmap* value) {
  if (value) SetExtImage(nullptr);
  OwnImage()->Assign(value);
  if (!(GetDown() && HasDownImage())) RecreateButton();
}

void TfcCustomImageBtn::SetImageDown(TfcBitmap* value) {
  if (value) SetExtImageDown(nullptr);
  FImageDown->Assign(value);
  if (GetDown()) RecreateButton();
}

void TfcCustomImageBtn::AttachLink(TComponent* component, bool down) {
  if (auto* imager = dynamic_cast<TfcCustomImager*>(component)) {
    imager->RegisterChanges(FExtLink.get());
  } else if (auto* button = dynamic_cast<TfcCustomImageBtn*>(component)) {
    (down ? button->FImageDown : button->FImage)->RegisterChanges(FExtLink.get());
  }
}

void TfcCustomImageBtn::DetachLink(TComponent* component, bool down) {
  if (!component || component->GetComponentState().Contains(csDestroying)) return;
  if (auto* imager = dynamic_cast<TfcCustomImager*>(component)) {
    // The other picture may come from the same imager: keep the link while it does.
    if (component != (down ? FExtImage : FExtImageDown)) imager->UnRegisterChanges(FExtLink.get());
  } else if (auto* button = dynamic_cast<TfcCustomImageBtn*>(component)) {
    (down ? button->FImageDown : button->FImage)->UnRegisterChanges(FExtLink.get());
  }
}

void TfcCustomImageBtn::SetExtImage(TComponent* value) {
  if (value == this) value = nullptr;  // a button cannot borrow from itself
  if (value == FExtImage) return;
  if (value) OwnImage()->FreeImage();
  TComponent* previous = FExtImage;
  FExtImage = nullptr;
  DetachLink(previous, false);
  FExtImage = value;
  if (value) {
    AttachLink(value, false);
    value->FreeNotification(this);
  }
  DropRegionRecords();
  RecreateButton();
}

void TfcCustomImageBtn::SetExtImageDown(TComponent* value) {
  if (value == this) value = nullptr;
  if (value == FExtImageDown) return;
  if (value) FImageDown->FreeImage();
  TComponent* previous = FExtImageDown;
  FExtImageDown = nullptr;
  DetachLink(previous, true);
  FExtImageDown = value;
  if (value) {
    AttachLink(value, true);
    value->FreeNotification(this);
  }
  DropRegionRecords();
  RecreateButton();
}

void TfcCustomImageBtn::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FExtImage) FExtImage = nullptr;
  if (component == FExtImageDown) FExtImageDown = nullptr;
}

void TfcCustomImageBtn::ImageChanged(TfcBitmap* image) {
  if (GetComponentState().Contains(csLoading) || FImageChanging) return;
  // A new up picture also makes a down record built from it stale.
  if (image == PeekImage(false)) {
    FreeRegionData(false);
    if (!HasDownImage()) FreeRegionData(true);
  }
  if (image == PeekImage(true)) FreeRegionData(true);
  TFlagScope changing(FImageChanging);
  ApplyRegions();
  InvalidateControlBounds(this, true);
  Invalidate();
}

void TfcCustomImageBtn::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  DropRegionRecords();  // cut with the old colour
  RecreateButton();
  InvalidateControlBounds(this, true);
}

void TfcCustomImageBtn::SetDitherColor(TColor value) {
  if (value == FDitherColor) return;
  FDitherColor = value;
  Invalidate();
}

void TfcCustomImageBtn::SetDitherStyle(TfcDitherStyle value) {
  if (value == FDitherStyle) return;
  FDitherStyle = value;
  Invalidate();
}

void TfcCustomImageBtn::SetRespectPalette(bool value) {
  FImage->SetRespectPalette(value);
  FImageDown->SetRespectPalette(value);
  Invalidate();
}

TfcImgDownOffsets* TfcCustomImageBtn::GetImgOffsets() const {
  return dynamic_cast<TfcImgDownOffsets*>(GetOffsets());
}

bool TfcCustomImageBtn::GetParentClipping() {
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated()) return false;
  return (::GetWindowLongW(parent->GetHandle(), GWL_STYLE) & WS_CLIPCHILDREN) != 0;
}

void TfcCustomImageBtn::SetParentClipping(bool value) {
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated()) return;
  const HWND wnd = parent->GetHandle();
  LONG style = ::GetWindowLongW(wnd, GWL_STYLE);
  style = value ? (style | WS_CLIPCHILDREN) : (style & ~WS_CLIPCHILDREN);
  ::SetWindowLongW(wnd, GWL_STYLE, style);
}

bool TfcCustomImageBtn::IsMultipleRegions() {
  if (FTransparentColor == fcNoRegionColor) return false;
  const TfcBitmap* up = PeekImage(false);
  return (up && !up->GetEmpty() && HasDownImage()) || GetShadeStyle() == fbsRaised;
}

void TfcCustomImageBtn::SizeToDefault() {
  TfcBitmap* up = PeekImage(false);
  if (!up || up->GetEmpty()) return;
  SetBounds(GetLeft(), GetTop(), up->GetWidth(), up->GetHeight());
  InvalidateControlBounds(this, true);
}

void TfcCustomImageBtn::AssignTo(TPersistent* dest) {
  if (auto* other = dynamic_cast<TfcCustomImageBtn*>(dest)) {
    other->SetDitherColor(FDitherColor);
    other->SetDitherStyle(FDitherStyle);
    other->SetExtImage(this);
    other->SetExtImageDown(this);
    other->GetOffsets()->Assign(GetOffsets());
    other->SetRespectPalette(GetRespectPalette());
    other->SetTransparentColor(FTransparentColor);
  }
  inherited::AssignTo(dest);
}

// ---- TfcCustomImageBtn: regions and drawing ---------------------------------------------------------------

TColor TfcCustomImageBtn::EffectiveTransparentColor(bool down) {
  if (FTransparentColor != clNone) return FTransparentColor;
  TfcBitmap* image = down && HasDownImage() ? PeekImage(true) : PeekImage(false);
  if (!image || image->GetEmpty()) return clNone;
  return PixelToColor(image->GetPixel(0, 0));
}

UniqueRegion TfcCustomImageBtn::CreateRegion(bool build, bool down) {
  if (FTransparentColor == fcNoRegionColor) return UniqueRegion();
  if (!GetRegionData(down).empty()) {
    UniqueRegion saved = inherited::CreateRegion(build, down);
    if (saved) return saved;
  }
  if (!build) return UniqueRegion();
  TfcBitmap* picture = down && HasDownImage() ? GetStateImage(true) : GetStateImage(false);
  if (!picture || picture->GetEmpty()) return UniqueRegion();
  TfcBitmap work;
  work.SetRespectPalette(GetRespectPaletteFlag());
  PaintImage(picture, &work, true, GetShadeStyle());
  UniqueRegion region = CreateRegionFromBitmap(&work, EffectiveTransparentColor(down));
  if (region && GetShadeStyle() == fbsRaised) {
    UniqueRegion moved = CopyRegion(region.get());
    ::OffsetRgn(moved.get(), 2, 2);
    if (down)
      region = std::move(moved);
    else
      ::CombineRgn(region.get(), region.get(), moved.get(), RGN_OR);
  }
  if (region) SaveRegionData(region.get(), down);
  return region;
}

void TfcCustomImageBtn::PaintImage(TfcBitmap* image, TfcBitmap* target, bool noRegion,
                                   TfcShadeStyle style) {
  if (GetWidth() < 1 || GetHeight() < 1 || !image || !target) return;
  const int width = style == fbsRaised ? GetWidth() - 2 : GetWidth();
  const int height = style == fbsRaised ? GetHeight() - 2 : GetHeight();
  target->SetSize(width, height);
  if (target->GetEmpty()) return;
  const bool down = GetDown();
  const bool dither = GetGroupIndex() >= 1 && down && FDitherColor != clNone && !HasDownImage();
  UniqueRegion clip;
  if (!noRegion && (GetColor() != clNone || dither)) clip = CreateRegion(true, down);
  target->GetCanvas()->StretchDraw(TRect(0, 0, width, height), image);
  const HDC dc = target->GetCanvas()->GetHandle();
  if (!noRegion && GetColor() != clNone) {
    ::SelectClipRgn(dc, clip.get());
    target->SetTransparentColor(EffectiveTransparentColor(down));
    const TColor color = GetColor();
    target->Colorize(GetRedValue(ColorFromInt(static_cast<int32_t>(ColorToRGB(color)))),
                     GetGreenValue(ColorFromInt(static_cast<int32_t>(ColorToRGB(color)))),
                     GetBlueValue(ColorFromInt(static_cast<int32_t>(ColorToRGB(color)))));
    ::SelectClipRgn(dc, nullptr);
  }
  if (!noRegion && dither) {
    if (clip && style == fbsRaised) ::OffsetRgn(clip.get(), -2, -2);
    ::SelectClipRgn(dc, clip.get());
    const TRect all(0, 0, GetWidth(), GetHeight());
    if (FDitherStyle == dsFill) {
      target->GetCanvas()->GetBrush()->SetColor(FDitherColor);
      target->GetCanvas()->GetBrush()->SetStyle(bsSolid);
      target->GetCanvas()->FillRect(all);
    } else {
      FillDither(target->GetCanvas(), all, FDitherStyle == dsDither ? clSilver : clNone,
                 FDitherColor);
    }
    ::SelectClipRgn(dc, nullptr);
  }
}

void TfcCustomImageBtn::DrawButtonFace(TfcBitmap* target, bool faceOnly, bool down,
                                       TfcShadeStyle style) {
  target->SetSize(GetWidth(), GetHeight());
  TfcBitmap* up = GetStateImage(false);
  // On palette displays the face is drawn in the up picture's colours.
  if (GetRespectPaletteFlag() && up) target->CopyPaletteFrom(*up);
  if (target->GetEmpty()) return;
  TCanvas* canvas = target->GetCanvas();
  if (!up || up->GetEmpty()) {
    canvas->GetBrush()->SetColor(clBtnFace);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
    canvas->GetPen()->SetColor(clBlack);
    canvas->GetPen()->SetStyle(psDashDot);
    canvas->GetBrush()->SetStyle(bsClear);
    canvas->Rectangle(0, 0, GetWidth(), GetHeight());
    canvas->GetPen()->SetStyle(psSolid);
    return;
  }
  const bool hasDown = HasDownImage();
  TfcBitmap work;
  work.SetRespectPalette(GetRespectPaletteFlag());
  PaintImage(down && hasDown ? GetStateImage(true) : up, &work, faceOnly, style);
  if (work.GetEmpty()) return;
  TPoint position(0, 0);
  if (down && !hasDown)
    position = TPoint(GetImgOffsets()->GetImageDownX(), GetImgOffsets()->GetImageDownY());
  const TColor key = EffectiveTransparentColor(down);
  if (style == fbsHighlight || (style == fbsFlat && MouseInControl(-1, -1, false))) {
    canvas->Draw(position.X, position.Y, &work);
    DrawShading(&work, target, down, key);
    return;
  }
  const TColor shadow = GetShadeColors()->GetShadow();
  canvas->GetBrush()->SetColor(shadow);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetPen()->SetColor(shadow);
  canvas->Rectangle(0, 0, GetWidth(), GetHeight());
  if (FTransparentColor != fcNoRegionColor) {
    if (down && FDitherStyle == dsBlendDither) {
      work.SetTransparentColor(key);
      work.SetTransparent(true);
    } else {
      work.ReplaceColor(PackPixel(ColorToBytes(shadow)), PackPixel(ColorToBytes(key)));
    }
  }
  canvas->Draw(position.X, position.Y, &work);
}

void TfcCustomImageBtn::DrawShading(TfcBitmap* source, TfcBitmap* target, bool down,
                                    TColor transparentColor) {
  if (!source || !target || source->GetEmpty() || source->GetWidth() != target->GetWidth() ||
      source->GetHeight() != target->GetHeight())
    return;
  const int width = source->GetWidth();
  const int height = source->GetHeight();
  // -1 (and clNone) stand for the colour of the source's first pixel.
  const bool firstPixel = ColorToInt(transparentColor) == -1 || transparentColor == clNone;
  const TfcColor key = firstPixel ? source->GetPixel(0, 0) : ColorToBytes(transparentColor);
  const TfcColor highlight = ColorToBytes(GetShadeColors()->GetBtnHighlight());
  const TfcColor light = ColorToBytes(GetShadeColors()->GetBtn3DLight());
  const TfcColor shadow = ColorToBytes(GetShadeColors()->GetBtnShadow());
  const TfcColor black = ColorToBytes(GetShadeColors()->GetBtnBlack());
  // The source is read from a copy: it may be the target itself.
  std::vector<TfcColor> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = source->GetPixel(x, y);
  const bool focused = HandleAllocated() && Focused();
  const bool outlined = focused || GetDefault();
  const bool focusStep = focused && GetOptions().Contains(boFocusable);

  std::vector<TPoint> diagonal;
  const auto walk = [&](int startX, int startY) {
    diagonal.clear();
    for (int x = startX, y = startY; x < width && y < height; ++x, ++y) diagonal.emplace_back(x, y);
    const int length = static_cast<int>(diagonal.size());
    const auto opaque = [&](int i) {
      const TPoint p = diagonal[static_cast<size_t>(i)];
      return !(pixels[static_cast<size_t>(p.Y) * width + p.X] == key);
    };
    const auto set = [&](int i, const TfcColor& color) {
      if (i < 0 || i >= length) return;
      const TPoint p = diagonal[static_cast<size_t>(i)];
      uint8_t* pixel = target->GetRow(p.Y) + p.X * 3;
      pixel[0] = color.B;
      pixel[1] = color.G;
      pixel[2] = color.R;
    };
    int i = 0;
    while (i < length) {
      while (i < length && !opaque(i)) ++i;
      if (i >= length) break;
      const int runEntry = i;
      while (i + 1 < length && opaque(i + 1)) ++i;
      const int runExit = i;
      int entry = runEntry;
      int exit = runExit;
      if (outlined) {
        ++entry;
        --exit;
      }
      const int first = focusStep ? entry + 1 : entry;
      set(first, down ? black : highlight);
      set(first + 1, down ? shadow : light);
      if (focusStep && down) set(first - 1, black);
      set(exit, down ? highlight : black);
      set(exit - 1, down ? light : shadow);
      if (outlined) {
        set(runEntry, black);
        set(runExit, black);
      }
      i = runExit + 1;
    }
  };
  for (int x = width - 1; x >= 0; --x) walk(x, 0);
  for (int y = 1; y < height; ++y) walk(0, y);
  target->Changed(target);
}

TColor TfcCustomImageBtn::GetColorAtPoint(TPoint p) {
  TfcBitmap face;
  DrawButtonFace(&face, false, GetDown(), GetShadeStyle());
  if (face.GetEmpty()) return clNone;
  return PixelToColor(face.GetPixel(p.X, p.Y));
}

void TfcCustomImageBtn::BakeShading() {
  if (OwnImage()->GetEmpty()) return;
  TfcBitmap up;
  TfcBitmap down;
  DrawButtonFace(&up, false, false, fbsHighlight);
  DrawButtonFace(&down, false, true, fbsHighlight);
  UniqueRegion region = CreateRegion(true, GetDown());
  if (region && !down.GetEmpty()) FillOutsideRegion(&down, region.get());
  FImage->Assign(&up);
  FImageDown->Assign(&down);
  RecreateButton();
}
