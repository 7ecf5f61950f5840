// TIcon: an icon held as the bytes of its icon file, as a system icon handle, or both.
// Loading keeps the file's bytes; the handle is made from the chosen image when it is first
// needed. An icon given as a handle is written out as a file of one image.
//
// PNG images inside an icon file are kept as they are and handed to the system
// (CreateIconFromResourceEx reads them); when the system cannot make an icon of one, the
// icon raises EInvalidGraphic "Icon image is not valid" as for any damaged image.
#pragma once
#include <cstdint>
#include <vector>
#include "GdiHandles.h"
#include "Graphic.h"
#include "IcoFormat.h"

class TIcon : public TGraphic {
  CLASSLIB_CLASS(TIcon, TGraphic)
  TIcon() = default;
  ~TIcon() override = default;

  // ---- Attributes ------------------------------------------------------------------------
  bool GetEmpty() const override;
  // The size of the chosen image (of the handle's bitmaps for an icon given as a handle).
  int GetWidth() const override;
  int GetHeight() const override;
  // An icon's size comes from its image: EInvalidGraphicOperation
  // "Cannot change the size of an icon". SetSize chooses among a file's images instead.
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  // The size to choose from a file of several images: the nearest image is used. 0, 0 (the
  // default) means the file's first image. Drops the handle when the choice changes.
  void SetSize(int width, int height);
  // Icons always draw their transparent parts transparently.
  bool GetTransparent() const override { return true; }
  void SetTransparent(bool value) override {}

  bool HandleAllocated() const { return static_cast<bool>(FHandle); }
  // The icon's handle, made from the file's bytes when needed; nullptr while empty. The
  // icon keeps owning it. EInvalidGraphic "Icon image is not valid" when the system cannot
  // make an icon of the chosen image.
  HICON GetHandle();
  // Takes ownership of value (nullptr empties the icon) and drops the file's bytes.
  void SetHandle(HICON value);
  // Gives up the handle: the caller owns and destroys it. The file's bytes stay, so the
  // icon is still drawable (a new handle is made); an icon that was only a handle becomes
  // empty.
  HICON ReleaseHandle();

  TGraphicClass GetGraphicClass() const override { return TGraphicClass::Of<TIcon>(); }

  // ---- Operations ------------------------------------------------------------------------
  // From a TIcon (copied) or nullptr (empties); other sources as TPersistent says.
  void Assign(TPersistent* source) override;
  // Draws the icon stretched into r (its own size when r is empty), transparently.
  void Draw(TCanvas* canvas, const TRect& r) override;

  // Reads an icon file: every byte from the stream's position to its end. EInvalidGraphic
  // "Icon image is not valid" when the file or any of its images is damaged; the icon is
  // unchanged then.
  void LoadFromStream(TStream& stream) override;
  // Writes the icon file: the bytes that were loaded, or a file of one image made from the
  // handle. Nothing for an empty icon.
  void SaveToStream(TStream& stream) override;
  // Icons travel through the clipboard as an icon file in global memory, in the format
  // registered for TIcon; without one, and for another format, EInvalidGraphic
  // "Clipboard does not support Icons".
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

 private:
  // Replaces the file's bytes (already checked) and drops the handle.
  void SetImage(std::vector<uint8_t> data, std::vector<TIcoEntry> entries);
  void HandleNeeded();
  // An icon file of one image made from the handle's bitmaps.
  std::vector<uint8_t> WriteHandleImage() const;

  std::vector<uint8_t> FData;        // the icon file; empty for an icon given as a handle
  std::vector<TIcoEntry> FEntries;   // the checked directory of FData
  int FRequestedWidth = 0;           // SetSize; 0 for the first image's size
  int FRequestedHeight = 0;
  UniqueIcon FHandle;                // made from FData on demand, or given by SetHandle
  int FHandleWidth = 0;              // size of FHandle's bitmaps when it was given
  int FHandleHeight = 0;
};
