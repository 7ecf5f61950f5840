#include "Images.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../graphics/Bitmap.h"
#include "../graphics/Icon.h"
#include "../system/SysMath.h"

namespace {

const bool ImageClassesRegistered = [] {
  RegisterClass<TImage>();
  return true;
}();

}  // namespace

TRect ImageDestRect(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight,
                    bool stretch, bool proportional, bool center) {
  int w = pictureWidth;
  int h = pictureHeight;
  const int cw = clientWidth;
  const int ch = clientHeight;
  if (stretch || (proportional && (w > cw || h > ch))) {
    if (proportional && w > 0 && h > 0) {
      const double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(Trunc(cw / aspect));
        if (h > ch) {
          h = ch;
          w = static_cast<int>(Trunc(ch * aspect));
        }
      } else {
        h = ch;
        w = static_cast<int>(Trunc(ch * aspect));
        if (w > cw) {
          w = cw;
          h = static_cast<int>(Trunc(cw / aspect));
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect result = Rect(0, 0, w, h);
  if (center) OffsetRect(result, Div(cw - w, 2), Div(ch - h, 2));
  return result;
}

// ---- TImage ----------------------------------------------------------------------------------

TImage::TImage(TComponent* owner)
    : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
  SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
  FPicture->OnChange = [this](TObject* sender) { PictureChanged(sender); };
  SetBounds(GetLeft(), GetTop(), 105, 105);
}

TImage::~TImage() {
  Destroying();
  FPicture->OnChange = nullptr;
}

void TImage::SetPicture(TPicture* value) { FPicture->Assign(value); }

void TImage::SetStretch(bool value) {
  if (value == FStretch) return;
  FStretch = value;
  PictureChanged(this);
}

void TImage::SetCenter(bool value) {
  if (value == FCenter) return;
  FCenter = value;
  PictureChanged(this);
}

void TImage::SetProportional(bool value) {
  if (value == FProportional) return;
  FProportional = value;
  PictureChanged(this);
}

void TImage::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  PictureChanged(this);
}

TCanvas* TImage::GetCanvas() {
  if (!FPicture->GetGraphic()) {
    TBitmap bitmap;
    bitmap.SetSize(GetWidth(), GetHeight());
    FPicture->SetGraphic(&bitmap);
  }
  auto* bitmap = dynamic_cast<TBitmap*>(FPicture->GetGraphic());
  if (!bitmap) throw EInvalidOperation(L"Can only modify an image if it contains a bitmap");
  return bitmap->GetCanvas();
}

TRect TImage::DestRect() {
  return ImageDestRect(FPicture->GetWidth(), FPicture->GetHeight(), GetClientWidth(),
                       GetClientHeight(), FStretch, FProportional, FCenter);
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->GetGraphic();
  if (!graphic || graphic->GetEmpty()) return;
  FDrawing = true;
  try {
    TGraphicControl::GetCanvas()->StretchDraw(DestRect(), graphic);
  } catch (...) {
    FDrawing = false;
    throw;
  }
  FDrawing = false;
}

bool TImage::CanAutoSize(int& newWidth, int& newHeight) {
  if (FPicture->GetWidth() > 0 && FPicture->GetHeight() > 0) {
    const TAlign align = GetAlign();
    if (align == alNone || align == alLeft || align == alRight) newWidth = FPicture->GetWidth();
    if (align == alNone || align == alTop || align == alBottom) newHeight = FPicture->GetHeight();
  }
  return true;
}

void TImage::PictureChanged(TObject*) {
  if (GetAutoSize() && FPicture->GetWidth() > 0 && FPicture->GetHeight() > 0)
    SetBounds(GetLeft(), GetTop(), FPicture->GetWidth(), FPicture->GetHeight());
  TControlStyle style = GetControlStyle();
  if (TGraphic* graphic = FPicture->GetGraphic()) {
    if (!dynamic_cast<TIcon*>(graphic)) graphic->SetTransparent(FTransparent);
    // A picture that covers the whole control hides what lies under it.
    const TRect dest = DestRect();
    const bool covers = !graphic->GetTransparent() && dest.Left <= 0 && dest.Top <= 0 &&
                        dest.Right >= GetWidth() && dest.Bottom >= GetHeight();
    if (covers)
      style.Include(csOpaque);
    else
      style.Exclude(csOpaque);
  } else {
    style.Exclude(csOpaque);
  }
  SetControlStyle(style);
  if (!FDrawing) Invalidate();
}

const TPropertyTable* TImage::PublishedProperties() {
  using P = TPublish<TImage>;
  using C = TImage;
  static const TPropertyTable table{
      P::Boolean(L"Center", &C::GetCenter, &C::SetCenter).Default(false),
      P::Boolean(L"IncrementalDisplay", &C::GetIncrementalDisplay, &C::SetIncrementalDisplay)
          .Default(false),
      P::Persistent(L"Picture", &C::GetPicture, &C::SetPicture),
      P::Boolean(L"Proportional", &C::GetProportional, &C::SetProportional).Default(false),
      P::Boolean(L"Stretch", &C::GetStretch, &C::SetStretch).Default(false),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(false),
  };
  return &table;
}
