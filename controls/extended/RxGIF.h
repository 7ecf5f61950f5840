// TGIFImage: a graphic that reads and writes GIF87a and GIF89a files with all their frames.
// Each frame keeps its encoded data as read and is decoded into a TBitmap only when it is
// drawn, measured or assigned, except that loading a file (LoadFromStream, ReadData) decodes
// its first frame, which becomes the current one; the other frames wait for their use. Frames
// made from bitmaps are encoded when the image is written. Registered for the extension "gif"
// and the clipboard format "GIF Image".
//
// The file is not trusted: the screen and every frame are at most 32,768 pixels a side and
// 16 million pixels, the number of frames is bounded, a frame whose data ends early is kept
// as far as it goes and marked Corrupted (and reading stops there), and a colour table is
// written with the length its descriptor declares.
//
// What an image holds decoded at once is bounded in bytes (GIFMaxDecodedBytes): a frame is
// decoded into rows of up to 8 bits a pixel and then kept as a device bitmap of up to 4 bytes
// a pixel, so a file of a few bytes that declares many huge frames would otherwise claim
// hundreds of megabytes once they were all played. The budget bounds the frames' bitmaps held
// at once, not the frames read, and one budget serves a file however many images show it: an
// image assigned from another (or from one of its frames) shares that image's budget until it
// is cleared or loads another file. Before a frame is decoded, when its decoding would pass
// the budget, frames give their decoded bitmaps back, one after the other until it fits, and
// each is decoded again from its encoded data when it is next used, to the same picture.
// Those given back first are the ones needed last when the frames are played in turn from the
// one being decoded (the frame just before it first), so that a looping animation a few
// frames larger than the budget decodes about those few a loop, not every frame. Only a
// bitmap that is what decoding gives is given back: one assigned to a frame, or drawn on after
// decoding, or whose handle, canvas handle or rows were handed out, is kept (and counts). So
// every frame of a file plays; reading stops (keeping the frames before, and marking the image
// Corrupted) only at a frame that cannot be decoded within the budget by itself, which the
// limits above already exclude. A frame keeps one bitmap object for its life: a pointer from
// GetBitmap stays valid, whatever decoding does; a bitmap given back is empty until its frame
// is used again. Since decoding one frame may give back another's bitmap, the frames of the
// images that share a budget are used by one thread at a time (the animator holds its lock
// for its steps and its palette queries).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "classlib/classes/Lists.h"
#include "classlib/classes/StringList.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Graphic.h"

class TGIFImage;
class TAnimatedCursorImage;
class TGIFBudget;
class TGIFFrameBitmap;

// Limits of what a file may ask for.
constexpr int GIFMaxSide = 32768;                  // pixels a side, screen and frames
constexpr int64_t GIFMaxPixels = 16 * 1024 * 1024; // pixels of one frame or of the screen
constexpr int GIFMaxFrames = 10000;                // frames read from one file
// Bytes that the frames of one image may hold decoded at once: the device bitmaps the
// frames keep (GIFKeptBytes each) and, while a frame is being decoded, its transient forms
// (GIFDecodingBytes). Decoding a frame first gives back the bitmaps used longest ago until
// it fits (see the notes above). It admits one frame of the largest size (GIFMaxPixels).
constexpr int64_t GIFMaxDecodedBytes = int64_t(160) << 20;
// What a decoded frame of width x height keeps: its device bitmap, 4 bytes a pixel at most,
// and the mask of its transparent colour (1 bit a pixel) once it is drawn transparently.
int64_t GIFKeptBytes(int width, int height);
// What decoding it takes besides, until it is kept: its rows at up to 8 bits a pixel (rows
// padded to 4 bytes) and a copy of up to 4 bytes a pixel that the system may make while the
// rows become the device bitmap.
int64_t GIFDecodingBytes(int width, int height);

enum TGIFVersion : uint8_t { gvNone = 0, gv87a = 1, gv89a = 2 };

// A colour table: Count valid entries of red, green, blue.
struct TGIFColorTable {
  int Count = 0;
  uint8_t Colors[256][3] = {};

  TColor ColorAt(int index) const;
  // The first entry with the colour's RGB value; -1 when none (clNone is never found).
  int IndexOf(TColor color) const;
};

// The number of bits of a colour count 2, 4, ..., 256; EInvalidGraphicOperation
// "Wrong number of colors; must be a power of 2" for any other.
int ColorsToBits(int colors);
// The smallest n >= 1 with 2^n >= count (count up to 256).
int BitsForColorCount(int count);

// Header data that images share after Assign; copied before one of them changes it.
class TGIFData : public TSharedImage {
  CLASSLIB_CLASS(TGIFData, TSharedImage)
  TGIFData();
  TStringList Comment;          // the image's comment lines
  uint8_t AspectRatio = 0;      // as in the screen descriptor
  uint8_t BitsPerPixel = 0;     // size of the global table as 2^n
  uint8_t ColorResBits = 0;
  TGIFColorTable ColorMap;      // the global colour table

 protected:
  void FreeHandle() override { Comment.Clear(); }
};

// A frame's encoded data, shared by frames assigned from one another.
class TGIFItem : public TSharedImage {
  CLASSLIB_CLASS(TGIFItem, TSharedImage)
  TGIFItem() = default;
  // The code size byte, the data sub-blocks and the terminator, as read or encoded.
  TMemoryStream ImageData;
  TPoint Size{0, 0};            // width, height
  uint8_t PackedFields = 0;     // the image descriptor's last byte as read
  uint8_t BitsPerPixel = 0;
  TGIFColorTable ColorMap;      // the frame's effective table (local, or the global copy)

 protected:
  void FreeHandle() override { ImageData.SetSize(0); }
};

enum TGIFExtType : uint8_t { etGraphicControl = 0, etPlainText = 1, etApplication = 2, etComment = 3 };

// An extension block kept with a frame: graphic control and comment extensions.
class TExtension : public TPersistent {
  CLASSLIB_CLASS(TExtension, TPersistent)
  TExtension() = default;
  TGIFExtType ExtType = etGraphicControl;
  std::unique_ptr<TStringList> Data;  // the data sub-blocks, one string each; may be none
  uint8_t ExtRec[13] = {};            // the fixed part; byte 0 is the block size
  void Assign(TPersistent* source) override;
};

class TGIFFrame : public TPersistent {
  CLASSLIB_CLASS(TGIFFrame, TPersistent)
  explicit TGIFFrame(TGIFImage* owner = nullptr);
  ~TGIFFrame() override;

  // ---- Attributes ----------------------------------------------------------------------
  TGIFImage* GetOwnerImage() const { return FOwner; }
  // The decoded picture, made from the encoded data when used without one (first use, or
  // after it was given back to the image's budget); owned by the frame, the same object for
  // the frame's life. EInvalidGraphicOperation "Wrong number of colors; must be a power of 2"
  // (the frame marked Corrupted) for a frame without any colour table.
  TBitmap* GetBitmap();
  // The bitmap's size, or the descriptor's while the frame is not decoded (what decoding
  // gives): measuring a frame does not decode it.
  int GetWidth();
  int GetHeight();
  TPoint GetOrigin() const { return FOrigin; }
  void SetOrigin(TPoint value) { FOrigin = value; }
  bool GetInterlaced() const { return FInterlaced; }
  bool GetCorrupted() const { return FCorrupted; }
  bool GetGrayscaleMapping() const { return FGrayscaleMapping; }
  void SetGrayscaleMapping(bool value) { FGrayscaleMapping = value; }
  TColor GetTransparentColor() const { return FTransparentColor; }
  // Sets the key colour; the palette index is looked up when the frame is written.
  void SetTransparentColor(TColor value);
  // The palette index that is transparent (-1 when none or not known).
  int GetTransparentIndex() const { return FTransparentIndex; }
  // Milliseconds; a file's delay of up to 655.35 seconds is kept whole.
  uint32_t GetAnimateInterval() const { return FAnimateInterval; }
  void SetAnimateInterval(uint32_t value) { FAnimateInterval = value; }
  uint8_t GetDisposalMethod() const { return FDisposalMethod; }
  void SetDisposalMethod(uint8_t value) { FDisposalMethod = value & 7; }
  bool GetLocalColors() const { return FLocalColors; }
  // The lines of the frame's comment extension, made on demand; owned by the frame.
  TStringList* GetComment();
  void SetComment(TStrings* value);
  TGIFItem* GetItem() const { return FItem; }
  const std::vector<std::unique_ptr<TExtension>>& GetExtensions() const { return FExtensions; }

  // ---- Operations ----------------------------------------------------------------------
  // Draws the bitmap stretched into r; with transparent and a transparent colour, the
  // transparent pixels are left out.
  void Draw(TCanvas* canvas, const TRect& r, bool transparent);
  void Assign(TPersistent* source) override;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  friend class TGIFImage;
  friend class TGIFFrameBitmap;
  void NewImage();
  // Reads the image descriptor, colour table and raster data (the "," is read).
  void LoadFromReader(class TGIFReader& reader);
  // Writes the extensions, descriptor, local table and encoded data.
  void SaveToStream(TStream& stream);
  // Encodes the bitmap into the encoded data.
  void EncodeBitmap();
  // Builds the graphic control extension from the frame's fields before writing.
  void UpdateExtensions();
  // Takes the item for this frame alone before it is changed.
  void UniqueItem();
  TExtension* FindComment() const;
  // Marks the bitmap as what decoding gave, so that it may be given back; anything that may
  // change its pixels afterwards takes the mark away (Edited).
  void MarkDecoded();
  // The bitmap may have changed: it is no longer what decoding gave.
  void Edited();
  // Empties the bitmap (the same object) and drops what was derived from its pixels.
  void ClearBitmap();
  // The bytes the frame's bitmap holds (GIFKeptBytes of its size); 0 without one.
  int64_t HeldBytes() const;
  // Gives a decoded bitmap back: it becomes empty until the frame is used again.
  void GiveBackBitmap();

  TGIFImage* FOwner;                        // the image the frame belongs to; not owned
  std::unique_ptr<TBitmap> FBitmap;         // decoded or assigned picture; never replaced
  // The mask of the transparent index of the decoded bitmap, when another entry of the table
  // has the transparent entry's colour (keying on the colour would leave out those pixels too).
  UniqueBitmap FIndexMask;
  TGIFItem* FItem = nullptr;                // shared; this frame holds one reference
  std::vector<std::unique_ptr<TExtension>> FExtensions;  // those read before the frame
  TPoint FOrigin{0, 0};
  bool FInterlaced = false;
  bool FCorrupted = false;
  bool FGrayscaleMapping = false;
  TColor FTransparentColor = clNone;
  int FTransparentIndex = -1;               // the palette index that FTransparentColor names
  uint32_t FAnimateInterval = 0;            // milliseconds
  uint8_t FDisposalMethod = 0;              // 0..7 as in the file
  bool FLocalColors = false;
  bool FDecoded = false;                    // FBitmap is what decoding FItem gives
  bool FSettingKey = false;                 // Draw is setting the key: no edit of the pixels
  uint64_t FLastUse = 0;                    // the budget's use count when last used
};

class TGIFImage : public TGraphic {
  CLASSLIB_CLASS(TGIFImage, TGraphic)
  TGIFImage();
  ~TGIFImage() override;

  // ---- Attributes ----------------------------------------------------------------------
  bool GetEmpty() const override;
  int GetWidth() const override;
  int GetHeight() const override;
  // EInvalidGraphicOperation "Cannot change the Size of a GIF image".
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  HPALETTE GetPalette() const override;
  bool GetTransparent() const override;
  TGraphicClass GetGraphicClass() const override { return TGraphicClass::Of<TGIFImage>(); }

  int GetCount() const { return static_cast<int>(FFrames.size()); }
  TGIFFrame* GetFrame(int index) const { return FFrames.at(static_cast<size_t>(index)).get(); }
  int GetFrameIndex() const { return FFrameIndex; }
  void SetFrameIndex(int value);
  int GetScreenWidth() const { return GetEmpty() ? 0 : FScreenWidth; }
  int GetScreenHeight() const { return GetEmpty() ? 0 : FScreenHeight; }
  TColor GetBackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor value);
  bool GetLooping() const { return FLooping; }
  void SetLooping(bool value);
  uint16_t GetRepeatCount() const { return FRepeatCount; }
  void SetRepeatCount(uint16_t value);
  bool GetCorrupted() const { return FCorrupted; }
  TGIFVersion GetVersion() const { return FVersion; }
  // The image's comment; changing it through this pointer is allowed (the shared header
  // data is copied for this image first).
  TStringList* GetComment();
  const TGIFData* GetData() const { return FData; }
  // The current frame's bitmap (see the class notes); owned by the frame.
  TBitmap* GetBitmap();

  // ---- Operations ----------------------------------------------------------------------
  void NewImage();
  // Appends a frame made from graphic and makes it current; returns its index.
  virtual int AddFrame(TGraphic* graphic);
  void DeleteFrame(int index);
  void UpdateScreenSize();
  // Encodes every frame that has no encoded data; with redecode, a frame whose bitmap has no
  // palette is decoded again from the new data.
  void EncodeFrames(bool redecode);

  void Draw(TCanvas* canvas, const TRect& r) override;
  void Assign(TPersistent* source) override;
  bool Equals(TGraphic* other) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  // A 32-bit byte count, then the GIF file; the count must not exceed what the stream holds.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

  // Reports coding progress through OnProgress (used by the frames).
  void CodecProgress(TProgressStage stage, int percent, const String& msg = String());

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  friend class TGIFFrame;
  // Reads size bytes of a GIF file; decodes the current frame when decode is set.
  void ReadStream(TStream& stream, int64_t size, bool decode);
  void WriteStream(TStream& stream, bool withCount);
  // Takes the header data for this image alone before it is changed.
  void UniqueData();
  void ClearFrames();
  // Before frame is decoded: gives back the decoded bitmaps of the other frames of the images
  // sharing the budget, those needed last in play order first, until those held and decoding
  // bytes fit GIFMaxDecodedBytes (or none is left).
  void MakeRoomFor(const TGIFFrame* frame, int64_t decoding);
  // Leaves the current budget and holds budget (a new one of its own when none is given).
  void JoinBudget(std::shared_ptr<TGIFBudget> budget);
  // The frame's index in this image; -1 when it is not one of them.
  int IndexOf(const TGIFFrame* frame) const;

  TGIFData* FData = nullptr;                      // shared; this image holds one reference
  std::vector<std::unique_ptr<TGIFFrame>> FFrames;
  TGIFVersion FVersion = gvNone;
  int FFrameIndex = -1;
  int FScreenWidth = 0;
  int FScreenHeight = 0;
  TColor FBackgroundColor = clNone;
  bool FLooping = false;
  bool FCorrupted = false;
  uint16_t FRepeatCount = 1;
  std::shared_ptr<TGIFBudget> FBudget;            // shared with the images showing the same file
};

// The clipboard format "GIF Image" (registered on first use).
UINT CF_GIF();
// Registers TGIFImage, TGIFFrame, the "gif" extension and the clipboard format.
void RegisterGIFImage();
// Takes the "gif" extension and the clipboard format back (done when the program ends).
void UnregisterGIFImage();
