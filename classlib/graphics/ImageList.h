// TCustomImageList and TImageList: a list of equally sized images over the system's image
// list (comctl32), each with a mask, drawn by index.
//
// Not done: reading and writing the list's images in stored layouts, change links to
// controls (OnChange is the only notice), overlays and drag images.
#pragma once
#include <utility>
#include "../classes/Component.h"
#include "../classes/Events.h"
#include "../system/Win.h"
#include <commctrl.h>
#include "Colors.h"

class TCanvas;
class TBitmap;
class TIcon;

// How Draw combines an image with the background (the system's ILD_ styles).
enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
// The colour depth of the system image list; cdDeviceDependent is the screen's own format.
enum TColorDepth { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };

// Owns one system image list and destroys it with ImageList_Destroy.
class UniqueImageList {
 public:
  UniqueImageList() = default;
  explicit UniqueImageList(HIMAGELIST handle) : FHandle(handle) {}
  UniqueImageList(UniqueImageList&& other) noexcept : FHandle(other.release()) {}
  UniqueImageList& operator=(UniqueImageList&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueImageList(const UniqueImageList&) = delete;
  UniqueImageList& operator=(const UniqueImageList&) = delete;
  ~UniqueImageList() { reset(); }

  HIMAGELIST get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  HIMAGELIST release() { return std::exchange(FHandle, nullptr); }
  void reset(HIMAGELIST handle = nullptr) {
    HIMAGELIST old = std::exchange(FHandle, handle);
    if (old && old != handle) ::ImageList_Destroy(old);
  }

 private:
  HIMAGELIST FHandle = nullptr;  // the owned image list, or nullptr
};

class TCustomImageList : public TComponent {
  CLASSLIB_CLASS(TCustomImageList, TComponent)
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;

  // ---- Attributes ------------------------------------------------------------------------
  // The size of every image (16 x 16 by default). Changing it removes every image.
  // EInvalidOperation "Invalid image size" outside 1..32768.
  int GetWidth() const { return FWidth; }
  void SetWidth(int value);
  int GetHeight() const { return FHeight; }
  void SetHeight(int value);
  int GetCount() const;

  // The colour the list's images are drawn on (clNone: transparently, the default).
  TColor GetBkColor() const { return FBkColor; }
  void SetBkColor(TColor value);
  // The colour dsFocus and dsSelected blend the image with (clNone: the highlight colour).
  TColor GetBlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor value);
  TDrawingStyle GetDrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle value);
  // The depth the images are kept in (cd32Bit by default). Changing it removes every image.
  TColorDepth GetColorDepth() const { return FColorDepth; }
  void SetColorDepth(TColorDepth value);

  // The system image list, made when first needed; the image list keeps owning it.
  // EOutOfResources when the system cannot make one.
  HIMAGELIST GetHandle();
  // Takes ownership of value (nullptr drops the list); the size is read from it.
  void SetHandle(HIMAGELIST value);
  bool HandleAllocated() const { return static_cast<bool>(FHandle); }

  // ---- Operations ------------------------------------------------------------------------
  // Adds the image (several, when image is a strip of Width-wide images) with its mask
  // (a monochrome bitmap, 1 = transparent; nullptr for none) and returns the first new
  // index. The bitmaps stay the caller's. EInvalidOperation "Invalid image size" when
  // image is smaller than Width x Height, "Unable to insert an image" when the system fails.
  int Add(TBitmap* image, TBitmap* mask);
  // Adds the image with every pixel of maskColor transparent. The caller's bitmap is not
  // changed.
  int AddMasked(TBitmap* image, TColor maskColor);
  // Adds a copy of the icon's image. EInvalidOperation "Invalid image size" for an empty icon.
  int AddIcon(TIcon* icon);
  // Replace the image at index; EInvalidOperation "Invalid ImageList Index" for a bad
  // index, "Unable to Replace Image" when the system fails.
  void Replace(int index, TBitmap* image, TBitmap* mask);
  void ReplaceMasked(int index, TBitmap* newImage, TColor maskColor);
  // Removes the image at index; EInvalidOperation "Invalid ImageList Index" for a bad index.
  void Delete(int index);
  void Clear();

  // Draws the image at index with its top-left corner at (x, y) in DrawingStyle. A
  // disabled image is drawn as an embossed silhouette: its shape in the button highlight
  // colour one pixel down and right, then in the button shadow colour. An index outside
  // the list draws nothing (-1 is the usual "no image").
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  // Sets image to Width x Height and draws the image at index onto it.
  void GetBitmap(int index, TBitmap* image);

  // ---- Events ----------------------------------------------------------------------------
  TNotifyEvent OnChange;  // after every change of the images or of how they are drawn

 protected:
  virtual void Change();

 private:
  void CheckIndex(int index) const;
  void CheckImage(TBitmap* image) const;
  // Makes a new, empty system list of the current size and depth.
  void RecreateHandle();
  void DrawDisabled(HDC dc, int x, int y, int index);

  UniqueImageList FHandle;             // the system image list; made on demand
  int FWidth = 16;                     // size of each image
  int FHeight = 16;
  TColor FBkColor = clNone;            // background for drawing (clNone: none)
  TColor FBlendColor = clNone;         // blend colour of dsFocus and dsSelected
  TDrawingStyle FDrawingStyle = dsNormal;
  TColorDepth FColorDepth = cd32Bit;
};

class TImageList : public TCustomImageList {
  CLASSLIB_CLASS(TImageList, TCustomImageList)
  explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}
};
