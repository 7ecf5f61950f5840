#include "ImageList.h"

#include "Bitmap.h"
#include "Canvas.h"
#include "GdiHandles.h"
#include "Icon.h"

namespace {

constexpr int kMaxImageSide = 32768;
constexpr int kGrowBy = 4;                      // images the system list grows by
constexpr DWORD kRopDspdxax = 0x00E20746;       // brush where the source is 0, dest where 1

[[noreturn]] void RaiseInvalidOperation(const wchar_t* message) {
  throw EInvalidOperation(message);
}

// The common controls are set up once per process, before the first image list.
void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}

UINT DepthFlags(TColorDepth depth) {
  switch (depth) {
    case cdDeviceDependent: return ILC_COLORDDB;
    case cd4Bit: return ILC_COLOR4;
    case cd8Bit: return ILC_COLOR8;
    case cd16Bit: return ILC_COLOR16;
    case cd24Bit: return ILC_COLOR24;
    case cd32Bit: break;
  }
  return ILC_COLOR32;
}

UINT StyleFlags(TDrawingStyle style) {
  switch (style) {
    case dsFocus: return ILD_FOCUS;
    case dsSelected: return ILD_SELECTED;
    case dsTransparent: return ILD_TRANSPARENT;
    case dsNormal: break;
  }
  return ILD_NORMAL;
}

// The colour as the image list calls take it: clNone and clDefault are their markers.
COLORREF ImageListColor(TColor color) {
  if (color == clNone) return CLR_NONE;
  if (color == clDefault) return CLR_DEFAULT;
  return ColorToRGB(color);
}

// A copy of the bitmap's image, for the calls that write into the bitmap they are given
// (adding with a mask colour blackens the masked pixels).
UniqueBitmap CopyBitmap(TBitmap* image) {
  UniqueBitmap copy(static_cast<HBITMAP>(
      ::CopyImage(image->GetHandle(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!copy) throw EOutOfResources(L"Out of system resources");
  return copy;
}

HBITMAP HandleOf(TBitmap* bitmap) { return bitmap ? bitmap->GetHandle() : nullptr; }

}  // namespace

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() = default;

// ---- Attributes -------------------------------------------------------------------------

void TCustomImageList::SetWidth(int value) {
  if (value == FWidth) return;
  if (value < 1 || value > kMaxImageSide) RaiseInvalidOperation(L"Invalid image size");
  FWidth = value;
  if (FHandle) RecreateHandle();
  Change();
}

void TCustomImageList::SetHeight(int value) {
  if (value == FHeight) return;
  if (value < 1 || value > kMaxImageSide) RaiseInvalidOperation(L"Invalid image size");
  FHeight = value;
  if (FHandle) RecreateHandle();
  Change();
}

int TCustomImageList::GetCount() const {
  return FHandle ? ::ImageList_GetImageCount(FHandle.get()) : 0;
}

void TCustomImageList::SetBkColor(TColor value) {
  if (value == FBkColor) return;
  FBkColor = value;
  if (FHandle) ::ImageList_SetBkColor(FHandle.get(), ImageListColor(value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor value) {
  if (value == FBlendColor) return;
  FBlendColor = value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (value == FDrawingStyle) return;
  FDrawingStyle = value;
  Change();
}

void TCustomImageList::SetColorDepth(TColorDepth value) {
  if (value == FColorDepth) return;
  FColorDepth = value;
  if (FHandle) RecreateHandle();
  Change();
}

HIMAGELIST TCustomImageList::GetHandle() {
  if (!FHandle) RecreateHandle();
  return FHandle.get();
}

void TCustomImageList::SetHandle(HIMAGELIST value) {
  if (value) {
    int width = 0, height = 0;
    if (!::ImageList_GetIconSize(value, &width, &height))
      RaiseInvalidOperation(L"Invalid ImageList");
    FWidth = width;
    FHeight = height;
  }
  FHandle.reset(value);
  Change();
}

// ---- Operations ---------------------------------------------------------------------------

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  CheckImage(image);
  const int index = ::ImageList_Add(GetHandle(), image->GetHandle(), HandleOf(mask));
  if (index < 0) RaiseInvalidOperation(L"Unable to insert an image");
  Change();
  return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  CheckImage(image);
  UniqueBitmap copy = CopyBitmap(image);
  const int index = ::ImageList_AddMasked(GetHandle(), copy.get(), ColorToRGB(maskColor));
  if (index < 0) RaiseInvalidOperation(L"Unable to insert an image");
  Change();
  return index;
}

int TCustomImageList::AddIcon(TIcon* icon) {
  if (!icon || icon->GetEmpty()) RaiseInvalidOperation(L"Invalid image size");
  const int index = ::ImageList_AddIcon(GetHandle(), icon->GetHandle());
  if (index < 0) RaiseInvalidOperation(L"Unable to insert an image");
  Change();
  return index;
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  CheckIndex(index);
  CheckImage(image);
  if (!::ImageList_Replace(FHandle.get(), index, image->GetHandle(), HandleOf(mask)))
    RaiseInvalidOperation(L"Unable to Replace Image");
  Change();
}

// The system has no masked replace: the image is added masked at the end, moved over the
// old one and the extra entry removed.
void TCustomImageList::ReplaceMasked(int index, TBitmap* newImage, TColor maskColor) {
  CheckIndex(index);
  CheckImage(newImage);
  UniqueBitmap copy = CopyBitmap(newImage);
  HIMAGELIST handle = FHandle.get();
  const int added = ::ImageList_AddMasked(handle, copy.get(), ColorToRGB(maskColor));
  if (added < 0) RaiseInvalidOperation(L"Unable to Replace Image");
  const bool moved = ::ImageList_Copy(handle, index, handle, added, ILCF_MOVE) != FALSE;
  // Removes every image the strip added, whether or not the move worked.
  for (int last = ::ImageList_GetImageCount(handle) - 1; last >= added; --last)
    ::ImageList_Remove(handle, last);
  if (!moved) RaiseInvalidOperation(L"Unable to Replace Image");
  Change();
}

void TCustomImageList::Delete(int index) {
  CheckIndex(index);
  ::ImageList_Remove(FHandle.get(), index);
  Change();
}

void TCustomImageList::Clear() {
  if (FHandle) ::ImageList_Remove(FHandle.get(), -1);
  Change();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  if (!canvas || !FHandle || index < 0 || index >= GetCount()) return;
  HDC dc = canvas->GetHandle();
  if (enabled)
    ::ImageList_DrawEx(FHandle.get(), index, dc, x, y, 0, 0, ImageListColor(FBkColor),
                       ImageListColor(FBlendColor), StyleFlags(FDrawingStyle));
  else
    DrawDisabled(dc, x, y, index);
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) {
  if (!image) return;
  CheckIndex(index);
  image->SetSize(FWidth, FHeight);
  image->FreeImage();  // draw on this bitmap's own image, not one it shares
  Draw(image->GetCanvas(), 0, 0, index);
}

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
}

// ---- Private ----------------------------------------------------------------------------

void TCustomImageList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) RaiseInvalidOperation(L"Invalid ImageList Index");
}

void TCustomImageList::CheckImage(TBitmap* image) const {
  if (!image || image->GetWidth() < FWidth || image->GetHeight() < FHeight)
    RaiseInvalidOperation(L"Invalid image size");
}

void TCustomImageList::RecreateHandle() {
  InitCommonControlsOnce();
  UniqueImageList handle(
      ::ImageList_Create(FWidth, FHeight, DepthFlags(FColorDepth) | ILC_MASK, kGrowBy, kGrowBy));
  if (!handle) throw EOutOfResources(L"Out of system resources");
  ::ImageList_SetBkColor(handle.get(), ImageListColor(FBkColor));
  FHandle = std::move(handle);
}

// The image's shape is taken into a monochrome bitmap (white where transparent, black
// where the image has any other colour than white) and stamped twice through a brush.
void TCustomImageList::DrawDisabled(HDC dc, int x, int y, int index) {
  UniqueDC monoDC(::CreateCompatibleDC(dc));
  UniqueBitmap mono(::CreateBitmap(FWidth, FHeight, 1, 1, nullptr));
  if (!monoDC || !mono) return;  // nothing to draw with; a paint must not fail
  {
    SelectObjectScope selectMono(monoDC.get(), mono.get());
    ::PatBlt(monoDC.get(), 0, 0, FWidth, FHeight, WHITENESS);
    ::ImageList_DrawEx(FHandle.get(), index, monoDC.get(), 0, 0, 0, 0, CLR_NONE, CLR_NONE,
                       ILD_NORMAL);

    const COLORREF oldText = ::SetTextColor(dc, RGB(255, 255, 255));
    const COLORREF oldBk = ::SetBkColor(dc, RGB(0, 0, 0));
    UniqueBrush highlight(::CreateSolidBrush(ColorToRGB(clBtnHighlight)));
    UniqueBrush shadow(::CreateSolidBrush(ColorToRGB(clBtnShadow)));
    {
      SelectObjectScope selectBrush(dc, highlight.get());
      ::BitBlt(dc, x + 1, y + 1, FWidth, FHeight, monoDC.get(), 0, 0, kRopDspdxax);
    }
    {
      SelectObjectScope selectBrush(dc, shadow.get());
      ::BitBlt(dc, x, y, FWidth, FHeight, monoDC.get(), 0, 0, kRopDspdxax);
    }
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBk);
  }
}
