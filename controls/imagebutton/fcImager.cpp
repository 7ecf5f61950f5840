#include "fcImager.h"

#include <algorithm>
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/stdctrls/Clipboard.h"
#include "classlib/system/FlagScope.h"
#include "fcCommon.h"

namespace {

const wchar_t* const DrawStyleNames[] = {L"Normal", L"Center", L"Stretch", L"Tile",
                                         L"Proportional"};
const TEnumInfo DrawStyleIdents = MakeEnumInfo(DrawStyleNames);

const bool ImagerClassesRegistered = [] {
  RegisterClass<TfcImager>();
  return true;
}();

}  // namespace

// ---- TfcAlphaBlend ------------------------------------------------------------------------------

TfcAlphaBlend::TfcAlphaBlend(TfcBitmapOptions* owner)
    : FOwner(owner), FBitmap(std::make_unique<TfcBitmap>()) {
  FBitmap->OnChange = [this](TObject* sender) { BitmapChanged(sender); };
}

TfcAlphaBlend::~TfcAlphaBlend() { FBitmap->OnChange = nullptr; }

TPersistent* TfcAlphaBlend::GetOwner() const { return FOwner; }

void TfcAlphaBlend::SetAmount(uint8_t value) {
  if (value == FAmount) return;
  FAmount = value;
  FOwner->ApplyBitmapOptions();
}

// The blend picture's change event applies the effects.
void TfcAlphaBlend::SetBitmap(TfcBitmap* value) { FBitmap->Assign(value); }

void TfcAlphaBlend::SetTransparent(bool value) { FBitmap->SetTransparent(value); }

void TfcAlphaBlend::BitmapChanged(TObject*) {
  if (FBusy) return;
  TFlagScope busy(FBusy);
  FOwner->ApplyBitmapOptions();
}

const TPropertyTable* TfcAlphaBlend::PublishedProperties() {
  using P = TPublish<TfcAlphaBlend>;
  using C = TfcAlphaBlend;
  static const TPropertyTable table{
      P::Integer(L"Amount", &C::GetAmount, &C::SetAmount).Default(0),
      P::Persistent(L"Bitmap", &C::GetBitmap, &C::SetBitmap),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(false),
  };
  return &table;
}

// ---- TfcRotate ----------------------------------------------------------------------------------

TPersistent* TfcRotate::GetOwner() const { return FOwner; }

void TfcRotate::SetCenterX(int value) {
  if (value == FCenterX) return;
  FCenterX = value;
  FOwner->ApplyBitmapOptions();
}

void TfcRotate::SetCenterY(int value) {
  if (value == FCenterY) return;
  FCenterY = value;
  FOwner->ApplyBitmapOptions();
}

void TfcRotate::SetAngle(int value) {
  if (value == FAngle) return;
  const bool sizeChanges = (value != 0) != (FAngle != 0);
  FAngle = value;
  if (sizeChanges)
    FOwner->WorkSizeChanged();
  else
    FOwner->ApplyBitmapOptions();
}

const TPropertyTable* TfcRotate::PublishedProperties() {
  using P = TPublish<TfcRotate>;
  using C = TfcRotate;
  static const TPropertyTable table{
      P::Integer(L"CenterX", &C::GetCenterX, &C::SetCenterX).Default(-1),
      P::Integer(L"CenterY", &C::GetCenterY, &C::SetCenterY).Default(-1),
      P::Integer(L"Angle", &C::GetAngle, &C::SetAngle).Default(0),
  };
  return &table;
}

// ---- TfcWave ------------------------------------------------------------------------------------

TPersistent* TfcWave::GetOwner() const { return FOwner; }

void TfcWave::SetXDiv(int value) {
  if (value == FXDiv) return;
  FXDiv = value;
  FOwner->ApplyBitmapOptions();
}

void TfcWave::SetYDiv(int value) {
  if (value == FYDiv) return;
  FYDiv = value;
  FOwner->ApplyBitmapOptions();
}

void TfcWave::SetRatio(int value) {
  if (value == FRatio) return;
  FRatio = value;
  FOwner->ApplyBitmapOptions();
}

void TfcWave::SetWrap(bool value) {
  if (value == FWrap) return;
  FWrap = value;
  FOwner->ApplyBitmapOptions();
}

const TPropertyTable* TfcWave::PublishedProperties() {
  using P = TPublish<TfcWave>;
  using C = TfcWave;
  static const TPropertyTable table{
      P::Integer(L"XDiv", &C::GetXDiv, &C::SetXDiv).Default(0),
      P::Integer(L"YDiv", &C::GetYDiv, &C::SetYDiv).Default(0),
      P::Integer(L"Ratio", &C::GetRatio, &C::SetRatio).Default(0),
      P::Boolean(L"Wrap", &C::GetWrap, &C::SetWrap).Default(false),
  };
  return &table;
}

// ---- TfcBitmapOptions ---------------------------------------------------------------------------

TfcBitmapOptions::TfcBitmapOptions(TfcCustomImager* owner, TPicture* source, TfcBitmap* work)
    : FOwner(owner),
      FAlphaBlend(std::make_unique<TfcAlphaBlend>(this)),
      FRotation(std::make_unique<TfcRotate>(this)),
      FWave(std::make_unique<TfcWave>(this)),
      FSourcePicture(source),
      FWorkImage(work) {}

TfcBitmapOptions::~TfcBitmapOptions() = default;

TPersistent* TfcBitmapOptions::GetOwner() const { return FOwner; }

void TfcBitmapOptions::SetColor(TColor value) { Store(FColor, value); }
void TfcBitmapOptions::SetContrast(int value) { Store(FContrast, value); }
void TfcBitmapOptions::SetEmbossed(bool value) { Store(FEmbossed, value); }
void TfcBitmapOptions::SetTintColor(TColor value) { Store(FTintColor, value); }
void TfcBitmapOptions::SetGaussianBlur(int value) { Store(FGaussianBlur, value); }
void TfcBitmapOptions::SetGrayScale(bool value) { Store(FGrayScale, value); }
void TfcBitmapOptions::SetHorizontallyFlipped(bool value) { Store(FHorizontallyFlipped, value); }
void TfcBitmapOptions::SetInverted(bool value) { Store(FInverted, value); }
void TfcBitmapOptions::SetLightness(int value) { Store(FLightness, value); }
void TfcBitmapOptions::SetSaturation(int value) { Store(FSaturation, value); }
void TfcBitmapOptions::SetSharpen(int value) { Store(FSharpen, value); }
void TfcBitmapOptions::SetSponge(int value) { Store(FSponge, value); }
void TfcBitmapOptions::SetTileSource(bool value) { Store(FTileSource, value); }
void TfcBitmapOptions::SetVerticallyFlipped(bool value) { Store(FVerticallyFlipped, value); }

void TfcBitmapOptions::BeginUpdate() { ++FUpdateCount; }

void TfcBitmapOptions::EndUpdate() {
  if (FUpdateCount <= 0) return;
  if (--FUpdateCount == 0) ApplyBitmapOptions();
}

void TfcBitmapOptions::WorkSizeChanged() {
  if (FOwner)
    FOwner->UpdateWorkImage();
  else
    ApplyBitmapOptions();
}

void TfcBitmapOptions::CopySource(TGraphic* source) {
  const int width = FWorkImage->GetWidth();
  const int height = FWorkImage->GetHeight();
  if (source->GetWidth() == width && source->GetHeight() == height) {
    FWorkImage->Assign(source);
    return;
  }
  // Drawn opaquely, so that every pixel of the working image is replaced (a transparent
  // source would leave the previous result under its key colour); the working image keeps
  // the source's transparency for its own drawing.
  TfcBitmap copy;
  copy.Assign(source);
  copy.SetTransparent(false);
  const TRect whole = Rect(0, 0, width, height);
  if (FTileSource) {
    TileGraphic(&copy, FWorkImage->GetCanvas(), whole);
  } else {
    copy.SetSmoothStretching(FWorkImage->GetSmoothStretching());
    FWorkImage->GetCanvas()->StretchDraw(whole, &copy);
  }
  FWorkImage->SetTransparent(source->GetTransparent());
}

void TfcBitmapOptions::RunEffects() {
  TfcBitmap* image = FWorkImage;
  if (FGrayScale) image->GrayScale();
  if (FLightness != 0) image->Lightness(FLightness);
  if (FAlphaBlend->GetAmount() != 0 && !FAlphaBlend->GetBitmap()->GetEmpty())
    AlphaBlend(image, FAlphaBlend->GetBitmap(), FAlphaBlend->GetAmount(), true);
  if (FColor != clNone) {
    const TColor rgb = ColorFromInt(static_cast<int32_t>(ColorToRGB(FColor)));
    image->Colorize(GetRedValue(rgb), GetGreenValue(rgb), GetBlueValue(rgb));
  }
  if (FTintColor != clNone) {
    const TColor rgb = ColorFromInt(static_cast<int32_t>(ColorToRGB(FTintColor)));
    image->AddColor(Div(GetRedValue(rgb), 2), Div(GetGreenValue(rgb), 2),
                    Div(GetBlueValue(rgb), 2));
  }
  if (FSponge != 0) image->Sponge(FSponge);
  if (FSaturation != -1) image->Saturation(FSaturation);
  if (FGaussianBlur != 0) image->GaussianBlur(FGaussianBlur);
  if (FEmbossed) image->Emboss();
  if (FInverted) image->Invert();
  if (FContrast != 0) image->Contrast(FContrast);
  if (FSharpen != 0) image->Sharpen(FSharpen);
  if (FHorizontallyFlipped) image->Flip(true);
  if (FVerticallyFlipped) image->Flip(false);
  if (FWave->GetRatio() != 0 && FWave->GetXDiv() != 0 && FWave->GetYDiv() != 0)
    image->Wave(FWave->GetXDiv(), FWave->GetYDiv(), FWave->GetRatio(), FWave->GetWrap());
  if (FRotation->GetAngle() != 0)
    image->Rotate(TPoint(FRotation->GetCenterX(), FRotation->GetCenterY()),
                  FRotation->GetAngle());
}

void TfcBitmapOptions::ApplyBitmapOptions() {
  // A change made by the application itself (the blend picture's transparency is switched
  // while it is stretched) must not start the chain again halfway through.
  if (FApplying) return;
  if (FOwner && FOwner->GetComponentState().Contains(csLoading)) return;
  if (!FWorkImage || FWorkImage->GetEmpty()) return;
  TGraphic* source = FSourcePicture ? FSourcePicture->GetGraphic() : nullptr;
  if (!source || source->GetEmpty()) return;
  if (FUpdateCount > 0) return;
  {
    TFlagScope applying(FApplying);
    CopySource(source);
    RunEffects();
  }
  if (OnChange) OnChange(this);
}

const TPropertyTable* TfcBitmapOptions::PublishedProperties() {
  using P = TPublish<TfcBitmapOptions>;
  using C = TfcBitmapOptions;
  static const TPropertyTable table{
      P::Persistent(L"AlphaBlend", &C::GetAlphaBlend),
      P::Color(L"Color", &C::GetColor, &C::SetColor).Default(clNone),
      P::Integer(L"Contrast", &C::GetContrast, &C::SetContrast).Default(0),
      P::Boolean(L"Embossed", &C::GetEmbossed, &C::SetEmbossed).Default(false),
      P::Color(L"TintColor", &C::GetTintColor, &C::SetTintColor).Default(clNone),
      P::Integer(L"GaussianBlur", &C::GetGaussianBlur, &C::SetGaussianBlur).Default(0),
      P::Boolean(L"GrayScale", &C::GetGrayScale, &C::SetGrayScale).Default(false),
      P::Boolean(L"HorizontallyFlipped", &C::GetHorizontallyFlipped, &C::SetHorizontallyFlipped)
          .Default(false),
      P::Boolean(L"Inverted", &C::GetInverted, &C::SetInverted).Default(false),
      P::Integer(L"Lightness", &C::GetLightness, &C::SetLightness).Default(0),
      P::Persistent(L"Rotation", &C::GetRotation),
      P::Integer(L"Saturation", &C::GetSaturation, &C::SetSaturation).Default(-1),
      P::Integer(L"Sharpen", &C::GetSharpen, &C::SetSharpen).Default(0),
      P::Integer(L"Sponge", &C::GetSponge, &C::SetSponge).Default(0),
      P::Boolean(L"TileSource", &C::GetTileSource, &C::SetTileSource).Default(false),
      P::Boolean(L"VerticallyFlipped", &C::GetVerticallyFlipped, &C::SetVerticallyFlipped)
          .Default(false),
      P::Persistent(L"Wave", &C::GetWave),
  };
  return &table;
}

// ---- TfcCustomImager: life cycle ----------------------------------------------------------------

TfcCustomImager::TfcCustomImager(TComponent* owner)
    : TGraphicControl(owner),
      FPicture(std::make_unique<TPicture>()),
      FWorkImage(std::make_unique<TfcBitmap>()),
      FBitmapOptions(
          std::make_unique<TfcBitmapOptions>(this, FPicture.get(), FWorkImage.get())) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
  FWorkImage->SetRespectPalette(true);
  FWorkImage->SetUseHalftonePalette(true);
  FPicture->OnChange = [this](TObject* sender) { PictureChanged(sender); };
  FBitmapOptions->OnChange = [this](TObject*) { Changed(); };
  SetBounds(GetLeft(), GetTop(), 100, 100);
}

TfcCustomImager::~TfcCustomImager() {
  // Nothing may call back into a half-destroyed imager.
  FPicture->OnChange = nullptr;
  FBitmapOptions->OnChange = nullptr;
}

// ---- TfcCustomImager: attributes ----------------------------------------------------------------

void TfcCustomImager::SetPicture(TPicture* value) { FPicture->Assign(value); }

void TfcCustomImager::SetDrawStyle(TfcImagerDrawStyle value) {
  if (value == FDrawStyle) return;
  FDrawStyle = value;
  UpdateWorkImage();
  Invalidate();
}

void TfcCustomImager::SetPreProcess(bool value) {
  if (value == FPreProcess) return;
  FPreProcess = value;
  UpdateWorkImage();
  Invalidate();
}

bool TfcCustomImager::IsPictureEmpty() const {
  TGraphic* graphic = FPicture->GetGraphic();
  return !graphic || graphic->GetEmpty();
}

void TfcCustomImager::RegisterChanges(TfcChangeLink* link) {
  if (link && std::find(FChangeLinks.begin(), FChangeLinks.end(), link) == FChangeLinks.end())
    FChangeLinks.push_back(link);
}

void TfcCustomImager::UnRegisterChanges(TfcChangeLink* link) {
  FChangeLinks.erase(std::remove(FChangeLinks.begin(), FChangeLinks.end(), link),
                     FChangeLinks.end());
}

void TfcCustomImager::NotifyChangeLinks() {
  if (FQuietLinks) return;
  // A link's handler may unregister links: walk a copy.
  const std::vector<TfcChangeLink*> links = FChangeLinks;
  for (TfcChangeLink* link : links) {
    link->SetSender(FWorkImage.get());
    link->Change();
  }
}

// ---- TfcCustomImager: the working image ---------------------------------------------------------

void TfcCustomImager::UpdateWorkImage() {
  if (IsLoading()) return;
  TFlagScope updating(FUpdatingWorkImage);
  const bool fitsControl = !FPreProcess && (FDrawStyle == TfcImagerDrawStyle::Stretch ||
                                            FDrawStyle == TfcImagerDrawStyle::Tile ||
                                            FDrawStyle == TfcImagerDrawStyle::Proportional);
  const int pictureWidth = FPicture->GetWidth();
  const int pictureHeight = FPicture->GetHeight();
  if (fitsControl) {
    FWorkImage->SetSizeIfChanged(GetWidth(), GetHeight());
  } else if (FBitmapOptions->GetRotation()->GetAngle() != 0) {
    const int side = Max(pictureWidth, pictureHeight);
    FWorkImage->SetSizeIfChanged(side, side);
  } else {
    FWorkImage->SetSizeIfChanged(pictureWidth, pictureHeight);
  }
  ApplyOptions();
  AdjustSize();
}

void TfcCustomImager::RefreshForViewer() {
  const auto snapshot = [this] {
    const uint8_t* bits = FWorkImage->GetBits();
    return bits ? std::vector<uint8_t>(bits, bits + FWorkImage->GetImageSize())
                : std::vector<uint8_t>();
  };
  const int width = FWorkImage->GetWidth();
  const int height = FWorkImage->GetHeight();
  const std::vector<uint8_t> before = snapshot();
  {
    TFlagScope quiet(FQuietLinks);
    UpdateWorkImage();
  }
  if (width != FWorkImage->GetWidth() || height != FWorkImage->GetHeight() ||
      before != snapshot())
    NotifyChangeLinks();
}

void TfcCustomImager::ApplyOptions() {
  if (IsLoading() || IsPictureEmpty()) return;
  if (FWorkImage->GetEmpty()) {
    // Sizing the working image applies the effects; when it stays empty (a control without
    // room), there is nothing to apply and no reason to try again from here.
    if (!FUpdatingWorkImage) UpdateWorkImage();
    return;
  }
  FBitmapOptions->ApplyBitmapOptions();
}

void TfcCustomImager::AdjustSize() {
  if (!GetAutoSize() || IsPictureEmpty() || IsLoading()) return;
  const int width = FPicture->GetWidth();
  const int height = FPicture->GetHeight();
  if (GetWidth() == width && GetHeight() == height) return;
  TFlagScope inAutoSize(FInAutoSize);
  SetBounds(GetLeft(), GetTop(), width, height);
}

void TfcCustomImager::PictureChanged(TObject*) {
  UpdateWorkImage();
  InvalidateControlBounds(this, true);
  NotifyChangeLinks();
}

void TfcCustomImager::CopyToClipboard() {
  if (FWorkImage->GetEmpty()) return;
  TBitmap bitmap;
  FWorkImage->SaveToBitmap(&bitmap);
  Clipboard()->Assign(&bitmap);
}

// ---- TfcCustomImager: bounds and painting -------------------------------------------------------

void TfcCustomImager::SetBounds(int left, int top, int width, int height) {
  if ((width == GetWidth() && height == GetHeight()) || FInAutoSize) {
    inherited::SetBounds(left, top, width, height);
    return;
  }
  TFlagScope inSetBounds(FInSetBounds);
  // The parent need not erase the old place: the new picture covers it or Changed
  // invalidates it with erase.
  TWinControl* parent = GetParent();
  const bool parentOpaque = parent && parent->GetControlStyle().Contains(csOpaque);
  if (parent) parent->SetControlStyle(parent->GetControlStyle() + TControlStyle{csOpaque});
  try {
    inherited::SetBounds(left, top, width, height);
  } catch (...) {
    if (parent && !parentOpaque)
      parent->SetControlStyle(parent->GetControlStyle() - TControlStyle{csOpaque});
    throw;
  }
  if (parent && !parentOpaque)
    parent->SetControlStyle(parent->GetControlStyle() - TControlStyle{csOpaque});
  UpdateWorkImage();
}

void TfcCustomImager::Invalidate() {
  if (FInSetBounds) return;
  InvalidateControlBounds(this, true);
}

void TfcCustomImager::Changed() {
  if (GetParent()) {
    TGraphic* graphic = FPicture->GetGraphic();
    InvalidateControlBounds(this, graphic && graphic->GetTransparent());
  }
  NotifyChangeLinks();
}

void TfcCustomImager::Loaded() {
  inherited::Loaded();
  AdjustSize();
  // The working image was not made while loading; make it now, so that image buttons that
  // show it have it before the imager is first painted.
  ApplyOptions();
}

void TfcCustomImager::Paint() {
  if (GetComponentState().Contains(csDestroying)) return;
  TCanvas* canvas = GetCanvas();
  if (FWorkImage->GetEmpty() && !IsPictureEmpty()) {
    ApplyOptions();
    return;
  }
  if (FWorkImage->GetEmpty()) {
    if (GetComponentState().Contains(csDesigning)) {
      canvas->GetPen()->SetColor(clBlack);
      canvas->GetPen()->SetStyle(psDash);
      canvas->GetBrush()->SetColor(clWhite);
      canvas->GetBrush()->SetStyle(bsSolid);
      canvas->Rectangle(0, 0, GetWidth(), GetHeight());
    }
    return;
  }
  const int workWidth = FWorkImage->GetWidth();
  const int workHeight = FWorkImage->GetHeight();
  TRect r;
  switch (FDrawStyle) {
    case TfcImagerDrawStyle::Normal:
      r = Rect(0, 0, FPicture->GetWidth(), FPicture->GetHeight());
      break;
    case TfcImagerDrawStyle::Center:
      r = Bounds(Div(GetWidth(), 2) - Div(workWidth, 2), Div(GetHeight(), 2) - Div(workHeight, 2),
                 workWidth, workHeight);
      break;
    case TfcImagerDrawStyle::Stretch:
    case TfcImagerDrawStyle::Tile:
      r = Rect(0, 0, GetWidth(), GetHeight());
      break;
    case TfcImagerDrawStyle::Proportional:
      r = FitRectProportional(Rect(0, 0, GetWidth(), GetHeight()), workWidth, workHeight);
      break;
  }
  if (!FPreProcess) {
    canvas->Draw(r.Left, r.Top, FWorkImage.get());
    return;
  }
  switch (FDrawStyle) {
    case TfcImagerDrawStyle::Normal:
    case TfcImagerDrawStyle::Center:
      canvas->Draw(r.Left, r.Top, FWorkImage.get());
      break;
    case TfcImagerDrawStyle::Stretch:
    case TfcImagerDrawStyle::Proportional:
      canvas->StretchDraw(r, FWorkImage.get());
      break;
    case TfcImagerDrawStyle::Tile:
      FWorkImage->TileDraw(canvas, r);
      break;
  }
}

// ---- TfcImager ----------------------------------------------------------------------------------

const TPropertyTable* TfcImager::PublishedProperties() {
  using P = TPublish<TfcImager>;
  using C = TfcImager;
  static const TPropertyTable table{
      P::Persistent(L"BitmapOptions", &C::GetBitmapOptions),
      P::Enum(L"DrawStyle", DrawStyleIdents, &C::GetDrawStyle, &C::SetDrawStyle)
          .Default(TfcImagerDrawStyle::Normal),
      P::Persistent(L"Picture", &C::GetPicture, &C::SetPicture),
      P::Boolean(L"PreProcess", &C::GetPreProcess, &C::SetPreProcess).Default(true),
  };
  return &table;
}
