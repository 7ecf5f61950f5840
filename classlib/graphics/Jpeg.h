// TJPEGImage: a JPEG picture held as its compressed bytes, with the decoded bitmap made
// when it is first needed (to draw it, or when asked for). Writing gives back the bytes that
// were read, unchanged. Registered for the extensions "jpg" and "jpeg".
#pragma once
#include <cstdint>
#include <memory>
#include <vector>
#include "Graphic.h"

class TJPEGImage : public TGraphic {
  CLASSLIB_CLASS(TJPEGImage, TGraphic)
  TJPEGImage();
  ~TJPEGImage() override;

  // ---- Attributes ------------------------------------------------------------------------
  bool GetEmpty() const override { return FData.empty(); }
  // The size the frame header declares (read when loading; no decoding needed).
  int GetWidth() const override { return FWidth; }
  int GetHeight() const override { return FHeight; }
  // A JPEG image's size is its file's: EInvalidGraphicOperation
  // "Cannot change the size of a JPEG image".
  void SetWidth(int value) override;
  void SetHeight(int value) override;

  // The decoded picture as a 24-bit bitmap, decoded now if it was not yet; owned by the
  // image and dropped when the image changes. nullptr while empty. EInvalidGraphic when the
  // data cannot be decoded (damaged or cut short).
  TBitmap* GetBitmap();
  // The compressed bytes, as read.
  const std::vector<uint8_t>& GetData() const { return FData; }

  TGraphicClass GetGraphicClass() const override { return TGraphicClass::Of<TJPEGImage>(); }

  // ---- Operations ------------------------------------------------------------------------
  // From a TJPEGImage (its bytes are copied) or nullptr (empties).
  void Assign(TPersistent* source) override;
  // Draws the decoded bitmap stretched into r. A picture that failed to decode raises
  // EInvalidGraphic the first time and draws nothing afterwards, so that a window showing
  // it does not report the same fault on every repaint.
  void Draw(TCanvas* canvas, const TRect& r) override;

  // Reads every byte from the stream's position to its end and checks the header;
  // EInvalidGraphic (the image unchanged) when it is not a JPEG file.
  void LoadFromStream(TStream& stream) override;
  // Writes the bytes that were read (nothing when empty).
  void SaveToStream(TStream& stream) override;
  // JPEG data does not come from the clipboard: EInvalidGraphic "Unsupported clipboard
  // format". Saving hands out the decoded bitmap.
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

  // Layout "Data": a 32-bit byte count followed by the JPEG file.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

 protected:
  // Into a TBitmap: the decoded picture.
  void AssignTo(TPersistent* dest) override;

 private:
  // Checks the header of data and takes it as the image; EInvalidGraphic leaves all as it was.
  void SetData(std::vector<uint8_t> data);

  std::vector<uint8_t> FData;        // the JPEG file; empty when the image is empty
  int FWidth = 0;                    // from the frame header
  int FHeight = 0;
  std::unique_ptr<TBitmap> FBitmap;  // decoded on demand; owned
  bool FDecodeFailed = false;        // decoding FData raised; Draw stays silent after that
};

