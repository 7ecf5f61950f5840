// TGIFImage and its frames: reading and writing GIF files block by block.
//
// A GIF file: "GIF87a" or "GIF89a"; a 7-byte logical screen descriptor (width, height,
// packed fields, background index, aspect ratio) and the global colour table it declares;
// then blocks: extensions ("!" label, fixed part, data sub-blocks), images ("," a 9-byte
// descriptor, a local colour table, the LZW code size byte and data sub-blocks) and the
// trailer ";". The whole file is first copied into memory, and every read is checked against
// what remains there: a short descriptor or table ends the reading, a sub-block that claims
// more bytes than remain ends its frame (kept, marked Corrupted) and the reading.
#include "RxGIF.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>

#include "AniFile.h"
#include "RxGIFCodec.h"
#include "RxGraph.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysString.h"

namespace {

constexpr uint8_t ExtensionIntroducer = 0x21;  // "!"
constexpr uint8_t ImageSeparator = 0x2C;       // ","
constexpr uint8_t Trailer = 0x3B;              // ";"
constexpr uint8_t ExtensionLabels[4] = {0xF9, 0x01, 0xFF, 0xFE};  // by TGIFExtType
constexpr uint16_t MaxRepeatCount = 30000;

const wchar_t* const kWrongColors = L"Wrong number of colors; must be a power of 2";
const wchar_t* const kNoData = L"No GIF Data to write";
const wchar_t* const kEncodingError = L"GIF image encoding error";
const wchar_t* const kTooLarge = L"GIF image is too large";
const wchar_t* const kStreamRead = L"Stream read error";

// Bytes a pixel of a device bitmap takes at most (a 32-bit screen).
constexpr int64_t DeviceBytesPerPixel = 4;

bool SizeAllowed(int64_t width, int64_t height) {
  return width >= 0 && height >= 0 && width <= GIFMaxSide && height <= GIFMaxSide &&
         width * height <= GIFMaxPixels;
}

// A logical screen that covers width x height as far as the limits allow: frames that lie
// beyond it are kept (GIF allows them; they are clipped when shown), so that what is written
// can be read again.
void ClampScreen(int& width, int& height) {
  width = std::clamp(width, 0, GIFMaxSide);
  height = std::clamp(height, 0, GIFMaxSide);
  if (int64_t{width} * height > GIFMaxPixels) height = static_cast<int>(GIFMaxPixels / width);
}

void WriteByte(TStream& s, uint8_t b) { s.WriteBuffer(&b, 1); }
void WriteWord(TStream& s, int value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  s.WriteBuffer(bytes, 2);
}

// Writes one sub-block per string (cut to 255 bytes, empty ones skipped) and the terminator.
void WriteSubBlocks(TStream& s, const TStringList& strings) {
  for (int i = 0; i < strings.GetCount(); ++i) {
    std::string bytes = StringToCp936(strings.Get(i));
    if (bytes.empty()) continue;
    if (bytes.size() > 255) bytes.resize(255);
    WriteByte(s, static_cast<uint8_t>(bytes.size()));
    s.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  }
  WriteByte(s, 0);
}

// Writes a colour table with exactly 2^bits entries (entries beyond Count are black).
void WriteColorTable(TStream& s, const TGIFColorTable& table, int bits) {
  const int entries = 1 << bits;
  uint8_t bytes[256 * 3] = {};
  std::memcpy(bytes, table.Colors, static_cast<size_t>(std::min(table.Count, entries)) * 3);
  s.WriteBuffer(bytes, entries * 3);
}

}  // namespace

// ---- Colour tables --------------------------------------------------------------------------

TColor TGIFColorTable::ColorAt(int index) const {
  return RGBColor(Colors[index][0], Colors[index][1], Colors[index][2]);
}

int TGIFColorTable::IndexOf(TColor color) const {
  if (color == clNone) return -1;
  const COLORREF rgb = ColorToRGB(color) & 0xFFFFFF;
  for (int i = 0; i < Count; ++i)
    if (static_cast<COLORREF>(ColorToInt(ColorAt(i))) == rgb) return i;
  return -1;
}

int ColorsToBits(int colors) {
  for (int bits = 1; bits <= 8; ++bits)
    if (colors == (1 << bits)) return bits;
  throw EInvalidGraphicOperation(kWrongColors);
}

int BitsForColorCount(int count) {
  int bits = 1;
  while (bits < 8 && (1 << bits) < count) ++bits;
  return bits;
}

TGIFData::TGIFData() = default;

void TExtension::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TExtension*>(source)) {
    if (other == this) return;
    ExtType = other->ExtType;
    std::memcpy(ExtRec, other->ExtRec, sizeof(ExtRec));
    if (other->Data) {
      if (!Data) Data = std::make_unique<TStringList>();
      Data->Assign(other->Data.get());
    } else {
      Data.reset();
    }
    return;
  }
  TPersistent::Assign(source);
}

// ---- The reader --------------------------------------------------------------------------

// The file's bytes in memory and a position; every read is checked against the end.
class TGIFReader {
 public:
  explicit TGIFReader(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {}
  bool AtEnd() const { return FPos >= FBytes.size(); }
  size_t Remaining() const { return FBytes.size() - FPos; }
  size_t Position() const { return FPos; }
  const uint8_t* At(size_t pos) const { return FBytes.data() + pos; }
  bool ReadByte(uint8_t& b) {
    if (AtEnd()) return false;
    b = FBytes[FPos++];
    return true;
  }
  bool Read(void* buffer, size_t count) {
    if (count > Remaining()) return false;
    std::memcpy(buffer, FBytes.data() + FPos, count);
    FPos += count;
    return true;
  }
  // Moves on by at most count bytes; false when fewer remained.
  bool Skip(size_t count) {
    const bool whole = count <= Remaining();
    FPos += std::min(count, Remaining());
    return whole;
  }
  // Reads data sub-blocks up to the terminator or the end; each one becomes a string of
  // strings (when strings is given). Returns the first sub-block's bytes.
  std::string ReadSubBlocks(TStringList* strings) {
    std::string first;
    bool isFirst = true;
    uint8_t size;
    while (ReadByte(size) && size != 0) {
      const size_t n = std::min<size_t>(size, Remaining());
      std::string bytes(reinterpret_cast<const char*>(At(FPos)), n);
      FPos += n;
      if (isFirst) first = bytes;
      isFirst = false;
      if (strings) strings->Add(Cp936ToString(bytes));
    }
    return first;
  }

 private:
  std::vector<uint8_t> FBytes;
  size_t FPos = 0;
};

// ---- The budget of decoded bitmaps ------------------------------------------------------------

// The images that show one file and the count of their frames' uses (see the notes in the
// header). The lock guards the list of images and the giving back.
class TGIFBudget {
 public:
  std::mutex Lock;
  std::vector<TGIFImage*> Images;
  std::atomic<uint64_t> Uses{0};
};

// A frame's bitmap: whatever may change its pixels (drawing on its canvas, handing out its
// handle, its canvas's DC or a scan line, a new picture) tells the frame, so that an edited
// bitmap is kept rather than given back and decoded over.
class TGIFFrameBitmap : public TBitmap {
 public:
  explicit TGIFFrameBitmap(TGIFFrame* frame) : FFrame(frame) {}
  void Changed(TObject* sender) override {
    FFrame->Edited();
    TBitmap::Changed(sender);
  }

 protected:
  void Changing() override {
    TBitmap::Changing();
    FFrame->Edited();
  }

 private:
  TGIFFrame* FFrame;
};

namespace {

// A monochrome bitmap of the DIB rows' size: 1 where a pixel holds index.
UniqueBitmap IndexMask(const uint8_t* rows, int width, int height, int depth, int index) {
  const size_t maskRow = static_cast<size_t>((width + 15) / 16) * 2;  // WORD-aligned rows
  const size_t dibRow = rxgif::DibRowBytes(width, depth);
  std::vector<uint8_t> bits(maskRow * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* line = rows + dibRow * static_cast<size_t>(height - 1 - y);
    uint8_t* out = bits.data() + maskRow * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x) {
      int value;
      if (depth == 8) value = line[x];
      else if (depth == 4) value = (x & 1) ? line[x / 2] & 15 : line[x / 2] >> 4;
      else value = (line[x / 8] >> (7 - (x & 7))) & 1;
      if (value == index) out[x / 8] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
  }
  UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, bits.data()));
  if (!mask) throw EOutOfResources(L"Out of system resources");
  return mask;
}

}  // namespace

// ---- TGIFFrame ---------------------------------------------------------------------------

TGIFFrame::TGIFFrame(TGIFImage* owner) : FOwner(owner), FBitmap(std::make_unique<TGIFFrameBitmap>(this)) {
  FItem = new TGIFItem();
  FItem->Reference();
}

TGIFFrame::~TGIFFrame() {
  FBitmap.reset();
  FExtensions.clear();
  TSharedImage::Release(FItem);
}

void TGIFFrame::Edited() {
  if (FSettingKey) return;
  FDecoded = false;
  FIndexMask.reset();
}

void TGIFFrame::ClearBitmap() {
  FBitmap->Assign(nullptr);
  FBitmap->SetTransparentColor(clDefault);
  FBitmap->SetTransparent(false);
  FDecoded = false;
  FIndexMask.reset();
}

void TGIFFrame::NewImage() {
  TSharedImage::Release(FItem);
  FItem = new TGIFItem();
  FItem->Reference();
  ClearBitmap();
  FGrayscaleMapping = FCorrupted = FInterlaced = FLocalColors = false;
  FTransparentColor = clNone;
  FTransparentIndex = -1;
  FOrigin = TPoint{0, 0};
  FAnimateInterval = 0;
  FDisposalMethod = 0;
}

void TGIFFrame::UniqueItem() {
  if (FItem->GetRefCount() <= 1) return;
  auto* copy = new TGIFItem();
  FItem->ImageData.SetPosition(0);
  copy->ImageData.CopyFrom(FItem->ImageData, FItem->ImageData.GetSize());
  copy->ImageData.SetPosition(0);
  FItem->ImageData.SetPosition(0);
  copy->Size = FItem->Size;
  copy->PackedFields = FItem->PackedFields;
  copy->BitsPerPixel = FItem->BitsPerPixel;
  copy->ColorMap = FItem->ColorMap;
  copy->Reference();
  TSharedImage::Release(FItem);
  FItem = copy;
}

void TGIFFrame::SetTransparentColor(TColor value) {
  FTransparentColor = value;
  FTransparentIndex = -1;
}

// The size decoding gives is the descriptor's: a frame not decoded is measured without
// decoding it (the animator measures frames it does not draw).
int TGIFFrame::GetWidth() {
  if (!FBitmap->GetEmpty()) return FBitmap->GetWidth();
  return FItem->ImageData.GetSize() > 0 ? FItem->Size.X : 0;
}

int TGIFFrame::GetHeight() {
  if (!FBitmap->GetEmpty()) return FBitmap->GetHeight();
  return FItem->ImageData.GetSize() > 0 ? FItem->Size.Y : 0;
}

TExtension* TGIFFrame::FindComment() const {
  for (const auto& ext : FExtensions)
    if (ext->ExtType == etComment) return ext.get();
  return nullptr;
}

TStringList* TGIFFrame::GetComment() {
  TExtension* ext = FindComment();
  if (!ext) {
    FExtensions.push_back(std::make_unique<TExtension>());
    ext = FExtensions.back().get();
    ext->ExtType = etComment;
  }
  if (!ext->Data) ext->Data = std::make_unique<TStringList>();
  return ext->Data.get();
}

void TGIFFrame::SetComment(TStrings* value) { GetComment()->Assign(value); }

void TGIFFrame::LoadFromReader(TGIFReader& reader) {
  uint8_t desc[9];
  if (!reader.Read(desc, sizeof(desc))) throw EReadError(kStreamRead);
  const int left = desc[0] | (desc[1] << 8);
  const int top = desc[2] | (desc[3] << 8);
  int width = desc[4] | (desc[5] << 8);
  int height = desc[6] | (desc[7] << 8);
  const uint8_t packed = desc[8];
  FInterlaced = (packed & 0x40) != 0;
  if (packed & 0x80) {
    FItem->BitsPerPixel = static_cast<uint8_t>((packed & 7) + 1);
    FLocalColors = true;
    FItem->ColorMap.Count = 1 << FItem->BitsPerPixel;
    if (!reader.Read(FItem->ColorMap.Colors, static_cast<size_t>(FItem->ColorMap.Count) * 3))
      throw EReadError(kStreamRead);
  } else {
    FLocalColors = false;
    FItem->ColorMap = TGIFColorTable{};
  }

  // The raster data: the code size byte, then sub-blocks while they are whole.
  uint8_t codeSize;
  if (!reader.ReadByte(codeSize)) throw EReadError(kStreamRead);
  FItem->ImageData.WriteBuffer(&codeSize, 1);
  bool terminated = false;
  uint8_t size;
  while (reader.ReadByte(size)) {
    if (size > reader.Remaining()) break;
    FItem->ImageData.WriteBuffer(&size, 1);
    if (size == 0) {
      terminated = true;
      break;
    }
    FItem->ImageData.WriteBuffer(reader.At(reader.Position()), size);
    reader.Skip(size);
  }
  // Data that stops without its terminator was cut short, as a sub-block cut off is.
  FCorrupted = !terminated;
  FItem->ImageData.SetPosition(0);

  if (width == 0) width = FOwner->FScreenWidth;
  if (height == 0) height = FOwner->FScreenHeight;
  if (!SizeAllowed(width, height)) throw EInvalidGraphicOperation(kTooLarge);
  FOrigin = TPoint{left, top};
  FItem->Size = TPoint{width, height};
  FItem->PackedFields = packed;
  if (!FLocalColors) FItem->ColorMap = FOwner->FData->ColorMap;

  FAnimateInterval = 0;
  for (const auto& ext : FExtensions) {
    if (ext->ExtType != etGraphicControl) continue;
    const uint8_t flags = ext->ExtRec[1];
    const uint32_t delay = ext->ExtRec[2] | (ext->ExtRec[3] << 8);
    const int index = ext->ExtRec[4];
    if (flags & 1) {
      if (index < FItem->ColorMap.Count) {
        FTransparentColor = FItem->ColorMap.ColorAt(index);
        FTransparentIndex = index;
      }
    } else {
      FTransparentColor = clNone;
      FTransparentIndex = -1;
    }
    FAnimateInterval = std::max(delay * 10, FAnimateInterval);
    FDisposalMethod = static_cast<uint8_t>((flags & 0x1C) >> 2);
  }
}

TBitmap* TGIFFrame::GetBitmap() {
  if (FOwner) FLastUse = ++FOwner->FBudget->Uses;
  if (!FBitmap->GetEmpty()) return FBitmap.get();
  // A bitmap given back is decoded into again, so that pointers to it stay valid.
  FDecoded = false;
  FIndexMask.reset();
  const int64_t dataSize = FItem->ImageData.GetSize();
  if (dataSize <= 0) return FBitmap.get();

  const auto* data = static_cast<const uint8_t*>(FItem->ImageData.GetMemory());
  // Bits 0 means the frame has no colour table at all (neither its own nor the screen's).
  const int bits = FItem->BitsPerPixel;
  int depth;
  if (bits == 1) depth = 1;
  else if (bits >= 2 && bits <= 4) depth = 4;
  else if (bits >= 5 && bits <= 8) depth = 8;
  else {
    FCorrupted = true;
    throw EInvalidGraphicOperation(kWrongColors);
  }
  const int width = FItem->Size.X;
  const int height = FItem->Size.Y;
  if (!SizeAllowed(width, height)) throw EInvalidGraphicOperation(kTooLarge);
  if (width == 0 || height == 0) return FBitmap.get();
  if (FOwner) FOwner->MakeRoomFor(this, GIFKeptBytes(width, height) + GIFDecodingBytes(width, height));

  const int colors = 1 << depth;
  // The frame is decoded straight into the rows of a DIB section made with its header and
  // colour table, which the bitmap then takes over.
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
  } info{};
  BITMAPINFOHEADER& ih = info.Header;
  ih.biSize = sizeof(ih);
  ih.biWidth = width;
  ih.biHeight = height;
  ih.biPlanes = 1;
  ih.biBitCount = static_cast<WORD>(depth);
  ih.biCompression = BI_RGB;
  ih.biClrUsed = static_cast<DWORD>(colors);
  RGBQUAD* palette = info.Colors;
  const TGIFColorTable& table = FItem->ColorMap;
  for (int i = 0; i < colors; ++i) {
    if (i < table.Count) {
      palette[i] = RGBQUAD{table.Colors[i][2], table.Colors[i][1], table.Colors[i][0], 0};
    } else {
      palette[i] = RGBQUAD{128, 128, 128, 128};
    }
  }
  // Transparency belongs to a palette index. When another entry has the same colour, keying
  // on the colour would leave out that entry's pixels too: the frame then keeps a mask of the
  // index (made below from the rows) and draws with it; the table's colours stay as they are.
  bool keyShared = false;
  if (FTransparentIndex >= 0 && FTransparentIndex < colors) {
    const RGBQUAD& key = palette[FTransparentIndex];
    for (int i = 0; i < colors && !keyShared; ++i)
      keyShared = i != FTransparentIndex && palette[i].rgbRed == key.rgbRed &&
                  palette[i].rgbGreen == key.rgbGreen && palette[i].rgbBlue == key.rgbBlue;
  }
  void* rows = nullptr;
  HBITMAP dib = ::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &rows,
                                   nullptr, 0);
  if (!dib || !rows) {
    if (dib) ::DeleteObject(dib);
    throw EOutOfResources(L"Out of system resources");
  }
  FBitmap->SetHandle(dib);  // owns the section from here on

  rxgif::TDibLayout layout{width, height, depth, FInterlaced};
  TGIFImage* owner = FOwner;
  // Whatever a progress handler raises stops the decoding as a failure, even a stream error.
  bool progressRaised = false;
  auto progress = [owner, &progressRaised](TProgressStage stage, int percent) {
    if (!owner) return;
    try {
      owner->CodecProgress(stage, percent);
    } catch (...) {
      progressRaised = true;
      throw;
    }
  };
  try {
    try {
      progress(psStarting, 0);
      const bool corrupt = rxgif::DecodeLZW(
          data, static_cast<size_t>(dataSize), layout, bits, static_cast<uint8_t*>(rows), true,
          [&progress](int percent) { progress(psRunning, percent); });
      FCorrupted = FCorrupted || corrupt;
    } catch (const EReadError&) {
      if (progressRaised) throw;
      // The data ends before the picture does: the rows decoded so far stay.
      FCorrupted = true;
    }
  } catch (const Exception& e) {
    // No half-decoded picture is kept: the next use decodes the frame again. The bitmap
    // object stays the same (pointers to it are held), only emptied.
    ClearBitmap();
    if (owner) owner->CodecProgress(psEnding, 0, e.Message());
    throw;
  } catch (...) {
    ClearBitmap();  // as above, for anything else a handler raised
    throw;
  }
  progress(psEnding, 100);

  // Made while the rows are there; taken once the bitmap has its final form (which is a
  // change of the bitmap, and would drop it).
  UniqueBitmap indexMask;
  if (keyShared) indexMask = IndexMask(static_cast<const uint8_t*>(rows), width, height, depth, FTransparentIndex);
  FBitmap->SetPaletteModified(true);
  // The palette of the colour table is made before the bitmap becomes device-dependent, so
  // that it stays with it (the image's palette is that of its current frame).
  FBitmap->GetPalette();
  if (!FBitmap->GetMonochrome()) FBitmap->SetHandleType(bmDDB);
  FIndexMask = std::move(indexMask);
  MarkDecoded();
  return FBitmap.get();
}

void TGIFFrame::MarkDecoded() { FDecoded = true; }

int64_t TGIFFrame::HeldBytes() const {
  if (FBitmap->GetEmpty()) return 0;
  return GIFKeptBytes(FBitmap->GetWidth(), FBitmap->GetHeight());
}

void TGIFFrame::GiveBackBitmap() { ClearBitmap(); }

void TGIFFrame::EncodeBitmap() {
  if (FBitmap->GetEmpty()) throw EInvalidGraphicOperation(kNoData);
  std::unique_ptr<TMemoryStream> stream;
  const TPixelFormat format = FBitmap->GetPixelFormat();
  if (format == pf1bit || format == pf4bit || format == pf8bit) {
    stream = std::make_unique<TMemoryStream>();
    FBitmap->SaveToStream(*stream);
  } else {
    const TMappingMethod method = FGrayscaleMapping ? mmGrayscale : DefaultMappingMethod;
    stream = ReduceBitmapToStream(FBitmap.get(), pf8bit, method);
    if (method == mmGrayscale) FGrayscaleMapping = true;
    if (stream->GetSize() == 0) FBitmap->SaveToStream(*stream);
  }

  // The BMP in memory: file header, info header, colour table, bits at the stored offset.
  const auto* bytes = static_cast<const uint8_t*>(stream->GetMemory());
  const int64_t size = stream->GetSize();
  if (!bytes || size < 54) throw EInvalidGraphicOperation(kEncodingError);
  BITMAPINFOHEADER ih;
  std::memcpy(&ih, bytes + 14, sizeof(ih));
  uint32_t bitsOffset;
  std::memcpy(&bitsOffset, bytes + 10, 4);
  const int depth = ih.biBitCount;
  if (depth != 1 && depth != 4 && depth != 8) throw EInvalidGraphicOperation(kEncodingError);
  if (ih.biCompression != BI_RGB || ih.biWidth <= 0 || ih.biHeight <= 0 ||
      !SizeAllowed(ih.biWidth, ih.biHeight) || ih.biSize < 40)
    throw EInvalidGraphicOperation(kEncodingError);
  const int colors = 1 << depth;
  int entries = ih.biClrUsed ? std::min<int>(static_cast<int>(ih.biClrUsed), colors) : colors;
  const uint64_t tableOffset = 14 + static_cast<uint64_t>(ih.biSize);
  entries = static_cast<int>(std::min<uint64_t>(
      entries, tableOffset < bitsOffset ? (bitsOffset - tableOffset) / 4 : 0));
  const uint64_t rowBytes = rxgif::DibRowBytes(ih.biWidth, depth);
  if (static_cast<uint64_t>(bitsOffset) + rowBytes * static_cast<uint64_t>(ih.biHeight) >
      static_cast<uint64_t>(size))
    throw EInvalidGraphicOperation(kEncodingError);

  UniqueItem();
  FInterlaced = false;
  TGIFColorTable table;
  // The entries the BMP holds (its colours used, as far as its bits offset allows), not
  // 2^depth: a BMP that holds fewer would give pixel bytes as colours.
  table.Count = std::max(entries, 2);
  for (int i = 0; i < entries; ++i) {
    RGBQUAD q;
    std::memcpy(&q, bytes + tableOffset + 4 * i, 4);
    table.Colors[i][0] = q.rgbRed;
    table.Colors[i][1] = q.rgbGreen;
    table.Colors[i][2] = q.rgbBlue;
  }
  FItem->ColorMap = table;
  FItem->ImageData.SetSize(0);
  FItem->ImageData.SetPosition(0);
  rxgif::TDibLayout layout{ih.biWidth, ih.biHeight, depth, false};
  TGIFImage* owner = FOwner;
  if (owner) owner->CodecProgress(psStarting, 0);
  try {
    rxgif::EncodeLZW(bytes + bitsOffset, layout, FItem->ImageData, [owner](int percent) {
      if (owner) owner->CodecProgress(psRunning, percent);
    });
  } catch (const Exception& e) {
    if (owner) owner->CodecProgress(psEnding, 0, e.Message());
    throw;
  }
  if (owner) owner->CodecProgress(psEnding, 100);
  FItem->ImageData.SetPosition(0);
  FItem->BitsPerPixel = static_cast<uint8_t>(BitsForColorCount(table.Count));
  if (owner && owner->FData->ColorMap.Count == 0) {
    owner->UniqueData();
    owner->FData->ColorMap = table;
    owner->FData->BitsPerPixel = FItem->BitsPerPixel;
    FLocalColors = false;
  } else {
    FLocalColors = true;
  }
  FItem->Size = TPoint{ih.biWidth, ih.biHeight};
  if (owner) {
    int width = std::max<int>(owner->FScreenWidth, FOrigin.X + ih.biWidth);
    int height = std::max<int>(owner->FScreenHeight, FOrigin.Y + ih.biHeight);
    ClampScreen(width, height);
    owner->FScreenWidth = width;
    owner->FScreenHeight = height;
  }
}

void TGIFFrame::UpdateExtensions() {
  TExtension* control = nullptr;
  for (const auto& ext : FExtensions)
    if (ext->ExtType == etGraphicControl) control = ext.get();
  if (!control && (FAnimateInterval > 0 || FTransparentColor != clNone || FDisposalMethod != 0)) {
    FExtensions.push_back(std::make_unique<TExtension>());
    control = FExtensions.back().get();
    control->ExtType = etGraphicControl;
    control->ExtRec[0] = 4;
  }
  if (control) {
    // Delays beyond what the field holds are written as its largest value.
    const uint32_t delay = std::min<uint32_t>(FAnimateInterval / 10, 65535);
    control->ExtRec[2] = static_cast<uint8_t>(delay);
    control->ExtRec[3] = static_cast<uint8_t>(delay >> 8);
    int index = FTransparentIndex;
    if (index < 0 || index >= FItem->ColorMap.Count) index = FItem->ColorMap.IndexOf(FTransparentColor);
    if (FTransparentColor != clNone && index >= 0) {
      control->ExtRec[4] = static_cast<uint8_t>(index);
      control->ExtRec[1] |= 1;
    } else {
      control->ExtRec[1] &= static_cast<uint8_t>(~1);
    }
    control->ExtRec[1] = static_cast<uint8_t>((control->ExtRec[1] & ~0x1C) | ((FDisposalMethod & 7) << 2));
  }
  FExtensions.erase(std::remove_if(FExtensions.begin(), FExtensions.end(),
                                   [](const std::unique_ptr<TExtension>& ext) {
                                     return ext->ExtType == etComment &&
                                            (!ext->Data || ext->Data->GetCount() == 0);
                                   }),
                    FExtensions.end());
  if (!FExtensions.empty() && FOwner) FOwner->FVersion = gv89a;
}

void TGIFFrame::SaveToStream(TStream& s) {
  for (const auto& ext : FExtensions) {
    WriteByte(s, ExtensionIntroducer);
    WriteByte(s, ExtensionLabels[ext->ExtType]);
    switch (ext->ExtType) {
      case etGraphicControl: s.WriteBuffer(ext->ExtRec, 6); break;
      case etPlainText: s.WriteBuffer(ext->ExtRec, 13); break;
      case etApplication: s.WriteBuffer(ext->ExtRec, 12); break;
      case etComment: break;
    }
    if (ext->ExtType != etGraphicControl) {
      if (ext->Data) WriteSubBlocks(s, *ext->Data);
      else WriteByte(s, 0);
    }
  }
  WriteByte(s, ImageSeparator);
  WriteWord(s, FOrigin.X);
  WriteWord(s, FOrigin.Y);
  WriteWord(s, FItem->Size.X);
  WriteWord(s, FItem->Size.Y);
  uint8_t packed = 0;
  int bits = 0;
  if (FLocalColors) {
    bits = BitsForColorCount(FItem->ColorMap.Count);
    FItem->BitsPerPixel = static_cast<uint8_t>(bits);
    packed = static_cast<uint8_t>(0x80 | (bits - 1));
  }
  if (FInterlaced) packed |= 0x40;
  WriteByte(s, packed);
  if (FLocalColors) WriteColorTable(s, FItem->ColorMap, bits);
  FItem->ImageData.SetPosition(0);
  s.CopyFrom(FItem->ImageData, FItem->ImageData.GetSize());
  FItem->ImageData.SetPosition(0);
}

void TGIFFrame::Draw(TCanvas* canvas, const TRect& r, bool transparent) {
  TBitmap* bitmap = GetBitmap();
  if (bitmap->GetEmpty()) return;
  const bool keyed = transparent && FTransparentColor != clNone;
  FSettingKey = true;  // the key is no change of the pixels
  try {
    if (keyed) bitmap->SetTransparentColor(FTransparentColor);
    if (bitmap->GetTransparent() != keyed) bitmap->SetTransparent(keyed);
  } catch (...) {
    FSettingKey = false;
    throw;
  }
  FSettingKey = false;
  if (!keyed || !FIndexMask) {
    canvas->StretchDraw(r, bitmap);
    return;
  }
  // The bitmap draws with the mask of the transparent index, lent to it for this drawing.
  bitmap->SetMaskHandle(FIndexMask.release());
  struct TTakeBack {
    TBitmap* Bitmap;
    UniqueBitmap& Mask;
    ~TTakeBack() { Mask.reset(Bitmap->ReleaseMaskHandle()); }
  } takeBack{bitmap, FIndexMask};
  canvas->StretchDraw(r, bitmap);
}

void TGIFFrame::Assign(TPersistent* source) {
  if (source == this) return;
  if (auto* frame = dynamic_cast<TGIFFrame*>(source)) {
    if (frame->FItem != FItem) {
      TSharedImage::Release(FItem);
      FItem = frame->FItem;
      FItem->Reference();
    }
    FLocalColors = (FOwner && frame->FOwner == FOwner) ? frame->FLocalColors : true;
    FOrigin = frame->FOrigin;
    FInterlaced = frame->FInterlaced;
    // A decoded bitmap keyed by an index mask is decoded again here when used (its mask
    // comes with decoding); any other is shared with the source until one of them changes.
    if (!frame->FBitmap->GetEmpty() && !frame->FIndexMask) {
      ClearBitmap();
      FBitmap->Assign(frame->FBitmap.get());
      FDecoded = false;
      if (frame->FDecoded) MarkDecoded();  // the same encoded data gives it again
    } else {
      ClearBitmap();
    }
    FTransparentColor = frame->FTransparentColor;
    FTransparentIndex = frame->FTransparentIndex;
    FAnimateInterval = frame->FAnimateInterval;
    FDisposalMethod = frame->FDisposalMethod;
    FGrayscaleMapping = frame->FGrayscaleMapping;
    FCorrupted = frame->FCorrupted;
    if (TExtension* comment = frame->FindComment(); comment && comment->Data &&
                                                   comment->Data->GetCount() > 0)
      GetComment()->Assign(comment->Data.get());
  } else if (auto* image = dynamic_cast<TGIFImage*>(source)) {
    if (image->GetCount() == 0) return;
    Assign(image->GetFrame(std::max(image->GetFrameIndex(), 0)));
    return;
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    if (graphic->GetEmpty()) {
      NewImage();
    } else {
      NewImage();
      FBitmap->Assign(graphic);
      if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) {
        FBitmap->SetMonochrome(bitmap->GetMonochrome());
        if (graphic->GetTransparent()) FTransparentColor = bitmap->GetTransparentColor();
      } else if (graphic->GetTransparent()) {
        FTransparentColor = ColorFromInt(static_cast<int32_t>(
            ::GetNearestColor(FBitmap->GetCanvas()->GetHandle(),
                              ColorToRGB(FBitmap->GetCanvas()->GetBrush()->GetColor()))));
      }
    }
  } else {
    TPersistent::Assign(source);
    return;
  }
  if (FOwner) FOwner->UpdateScreenSize();
}

void TGIFFrame::AssignTo(TPersistent* dest) {
  if (dynamic_cast<TGIFImage*>(dest) || dynamic_cast<TGIFFrame*>(dest)) {
    dest->Assign(this);
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(dest)) {
    TBitmap* bitmap = GetBitmap();
    graphic->Assign(bitmap);
    if (auto* target = dynamic_cast<TBitmap*>(dest); target && FTransparentColor != clNone) {
      target->SetTransparentColor(ColorFromInt(static_cast<int32_t>(
          ::GetNearestColor(target->GetCanvas()->GetHandle(), ColorToRGB(FTransparentColor)))));
      target->SetTransparent(true);
    }
    return;
  }
  TPersistent::AssignTo(dest);
}

// ---- TGIFImage ---------------------------------------------------------------------------

TGIFImage::TGIFImage() {
  NewImage();
  SetTransparentFlag(true);
}

TGIFImage::~TGIFImage() {
  OnChange = nullptr;
  OnProgress = nullptr;
  TSharedImage::Release(FData);
  FData = nullptr;
  {
    std::lock_guard<std::mutex> guard(FBudget->Lock);
    std::erase(FBudget->Images, this);
  }
  FFrames.clear();
}

void TGIFImage::ClearFrames() { FFrames.clear(); }

int TGIFImage::IndexOf(const TGIFFrame* frame) const {
  for (size_t i = 0; i < FFrames.size(); ++i)
    if (FFrames[i].get() == frame) return static_cast<int>(i);
  return -1;
}

void TGIFImage::JoinBudget(std::shared_ptr<TGIFBudget> budget) {
  if (!budget) budget = std::make_shared<TGIFBudget>();
  if (budget == FBudget) return;
  if (FBudget) {
    std::lock_guard<std::mutex> guard(FBudget->Lock);
    std::erase(FBudget->Images, this);
  }
  {
    std::lock_guard<std::mutex> guard(budget->Lock);
    budget->Images.push_back(this);
  }
  FBudget = std::move(budget);
}

void TGIFImage::MakeRoomFor(const TGIFFrame* frame, int64_t decoding) {
  std::lock_guard<std::mutex> guard(FBudget->Lock);
  const int index = std::max(IndexOf(frame), 0);
  struct TCandidate {
    TGIFFrame* Frame;
    int Ahead;  // frames from the one being decoded to this one, played in turn
  };
  int64_t held = 0;
  std::vector<TCandidate> givable;
  for (TGIFImage* image : FBudget->Images) {
    const int count = image->GetCount();
    for (int i = 0; i < count; ++i) {
      TGIFFrame* other = image->FFrames[static_cast<size_t>(i)].get();
      if (other == frame) continue;
      const int64_t bytes = other->HeldBytes();
      held += bytes;
      if (other->FDecoded && bytes > 0) givable.push_back({other, ((i - index) % count + count) % count});
    }
  }
  if (held + decoding <= GIFMaxDecodedBytes) return;
  // Played in turn from the frame being decoded, the one just before it is needed last: those
  // furthest ahead go first (used longest ago among equals). Giving back the one used longest
  // ago instead would, in a loop a frame larger than the budget, give back each frame just
  // before it is needed again, and decode every frame on every loop.
  std::sort(givable.begin(), givable.end(), [](const TCandidate& a, const TCandidate& b) {
    if (a.Ahead != b.Ahead) return a.Ahead > b.Ahead;
    return a.Frame->FLastUse < b.Frame->FLastUse;
  });
  for (const TCandidate& candidate : givable) {
    held -= candidate.Frame->HeldBytes();
    candidate.Frame->GiveBackBitmap();
    if (held + decoding <= GIFMaxDecodedBytes) return;
  }
}

void TGIFImage::NewImage() {
  TSharedImage::Release(FData);
  FData = new TGIFData();
  FData->Reference();
  ClearFrames();
  JoinBudget(nullptr);  // another file: a budget of its own
  FCorrupted = false;
  FFrameIndex = -1;
  FBackgroundColor = clNone;
  FRepeatCount = 1;
  FLooping = false;
  FVersion = gvNone;
  FScreenWidth = FScreenHeight = 0;
}

void TGIFImage::UniqueData() {
  if (FData->GetRefCount() <= 1) return;
  auto* copy = new TGIFData();
  copy->Comment.Assign(&FData->Comment);
  copy->AspectRatio = FData->AspectRatio;
  copy->BitsPerPixel = FData->BitsPerPixel;
  copy->ColorResBits = FData->ColorResBits;
  copy->ColorMap = FData->ColorMap;
  copy->Reference();
  TSharedImage::Release(FData);
  FData = copy;
}

TStringList* TGIFImage::GetComment() {
  UniqueData();
  return &FData->Comment;
}

bool TGIFImage::GetEmpty() const {
  if (FFrames.empty()) return true;
  const TGIFFrame* frame = FFrames[static_cast<size_t>(std::max(FFrameIndex, 0)) < FFrames.size()
                                       ? static_cast<size_t>(std::max(FFrameIndex, 0))
                                       : 0]
                               .get();
  // Encoded data first: a frame's bitmap may be given back meanwhile (see the notes).
  if (frame->FItem->ImageData.GetSize() > 0) return false;
  return !frame->FBitmap || frame->FBitmap->GetEmpty();
}

int TGIFImage::GetWidth() const {
  if (GetEmpty() || FFrameIndex < 0 || FFrameIndex >= GetCount()) return 0;
  return FFrames[static_cast<size_t>(FFrameIndex)]->GetWidth();
}

int TGIFImage::GetHeight() const {
  if (GetEmpty() || FFrameIndex < 0 || FFrameIndex >= GetCount()) return 0;
  return FFrames[static_cast<size_t>(FFrameIndex)]->GetHeight();
}

void TGIFImage::SetWidth(int) { throw EInvalidGraphicOperation(L"Cannot change the Size of a GIF image"); }
void TGIFImage::SetHeight(int) { throw EInvalidGraphicOperation(L"Cannot change the Size of a GIF image"); }

HPALETTE TGIFImage::GetPalette() const {
  if (FFrames.empty()) return nullptr;
  return const_cast<TGIFImage*>(this)->GetBitmap()->GetPalette();
}

bool TGIFImage::GetTransparent() const {
  if (!TGraphic::GetTransparent()) return false;
  for (const auto& frame : FFrames)
    if (frame->FTransparentColor != clNone) return true;
  return false;
}

void TGIFImage::SetFrameIndex(int value) {
  if (value < -1 || value >= GetCount() || value == FFrameIndex) return;
  FFrameIndex = value;
  Changed(this);
}

void TGIFImage::SetBackgroundColor(TColor value) {
  if (value == FBackgroundColor) return;
  FBackgroundColor = value;
  Changed(this);
}

void TGIFImage::SetLooping(bool value) {
  if (value == FLooping) return;
  FLooping = value;
  Changed(this);
}

void TGIFImage::SetRepeatCount(uint16_t value) {
  value = std::min(value, MaxRepeatCount);
  if (value == FRepeatCount) return;
  FRepeatCount = value;
  Changed(this);
}

TBitmap* TGIFImage::GetBitmap() {
  if (FFrames.empty()) {
    TBitmap empty;
    Assign(&empty);  // one frame, made current
    return FFrames[0]->GetBitmap();
  }
  if (FFrameIndex >= 0 && FFrameIndex < GetCount())
    return FFrames[static_cast<size_t>(FFrameIndex)]->GetBitmap();
  return FFrames[0]->GetBitmap();
}

int TGIFImage::AddFrame(TGraphic* graphic) {
  auto frame = std::make_unique<TGIFFrame>(this);
  TGIFFrame* added = frame.get();
  FFrames.push_back(std::move(frame));
  FFrameIndex = GetCount() - 1;
  try {
    added->Assign(graphic);
  } catch (...) {
    FFrames.pop_back();
    FFrameIndex = GetCount() - 1;
    throw;
  }
  if (FVersion == gvNone) FVersion = gv87a;
  if (GetCount() > 1) FVersion = gv89a;
  return FFrameIndex;
}

void TGIFImage::DeleteFrame(int index) {
  if (index < 0 || index >= GetCount()) return;
  FFrames.erase(FFrames.begin() + index);
  if (FFrameIndex >= GetCount()) FFrameIndex = GetCount() - 1;
  Changed(this);
}

void TGIFImage::UpdateScreenSize() {
  int width = 0, height = 0;
  for (const auto& frame : FFrames) {
    int w, h;
    if (frame->FItem->ImageData.GetSize() > 0) {
      w = frame->FItem->Size.X;
      h = frame->FItem->Size.Y;
    } else {
      w = frame->GetWidth();
      h = frame->GetHeight();
    }
    width = std::max(width, w + frame->FOrigin.X);
    height = std::max(height, h + frame->FOrigin.Y);
  }
  ClampScreen(width, height);
  FScreenWidth = width;
  FScreenHeight = height;
}

void TGIFImage::EncodeFrames(bool redecode) {
  for (const auto& frame : FFrames) {
    if (frame->FItem->ImageData.GetSize() > 0) continue;
    frame->EncodeBitmap();
    if (redecode && frame->FBitmap->GetPalette() == nullptr) {
      frame->ClearBitmap();  // the same object: pointers to it stay valid
      frame->GetBitmap();
    }
  }
  for (const auto& frame : FFrames) frame->UpdateExtensions();
}

void TGIFImage::Draw(TCanvas* canvas, const TRect& r) {
  if (FFrameIndex < 0 || FFrameIndex >= GetCount()) return;
  FFrames[static_cast<size_t>(FFrameIndex)]->Draw(canvas, r, GetTransparent());
}

void TGIFImage::CodecProgress(TProgressStage stage, int percent, const String& msg) {
  Progress(this, stage, static_cast<uint8_t>(std::clamp(percent, 0, 100)), false, TRect{}, msg);
}

// ---- Reading -------------------------------------------------------------------------------

int64_t GIFKeptBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  const int64_t mask = static_cast<int64_t>(rxgif::DibRowBytes(width, 1)) * height;
  return DeviceBytesPerPixel * width * int64_t{height} + mask;
}

int64_t GIFDecodingBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return static_cast<int64_t>(rxgif::DibRowBytes(width, 8)) * height + DeviceBytesPerPixel * width * int64_t{height};
}

void TGIFImage::ReadStream(TStream& stream, int64_t size, bool decode) {
  NewImage();
  const int64_t available = stream.GetSize() - stream.GetPosition();
  if (size < 0 || size > available || size > INT_MAX) throw EReadError(kStreamRead);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(bytes.data(), static_cast<int>(size));
  try {
    if (size > 0) {
      TGIFReader reader(std::move(bytes));
      uint8_t header[6];
      if (!reader.Read(header, 6)) throw EInvalidGraphicOperation(L"Unknown GIF version");
      auto upper = [](uint8_t c) { return static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 32 : c); };
      if (upper(header[0]) != 'G' || upper(header[1]) != 'I' || upper(header[2]) != 'F')
        throw EInvalidGraphicOperation(L"Unknown GIF version");
      if (header[3] == '8' && (header[4] == '7' || header[4] == '9') && upper(header[5]) == 'A')
        FVersion = header[4] == '7' ? gv87a : gv89a;
      else
        throw EInvalidGraphicOperation(L"Unknown GIF version");

      uint8_t screen[7];
      if (!reader.Read(screen, 7)) throw EReadError(kStreamRead);
      FScreenWidth = screen[0] | (screen[1] << 8);
      FScreenHeight = screen[2] | (screen[3] << 8);
      if (!SizeAllowed(FScreenWidth, FScreenHeight)) throw EInvalidGraphicOperation(kTooLarge);
      const uint8_t packed = screen[4];
      const uint8_t backgroundIndex = screen[5];
      FData->AspectRatio = screen[6];
      FData->BitsPerPixel = static_cast<uint8_t>((packed & 7) + 1);
      FData->ColorResBits = static_cast<uint8_t>(((packed & 0x70) >> 4) + 1);
      if (packed & 0x80) {
        FData->ColorMap.Count = 1 << FData->BitsPerPixel;
        if (!reader.Read(FData->ColorMap.Colors, static_cast<size_t>(FData->ColorMap.Count) * 3))
          throw EReadError(kStreamRead);
        if (backgroundIndex < FData->ColorMap.Count)
          FBackgroundColor = FData->ColorMap.ColorAt(backgroundIndex);
      }

      uint8_t block = 0;
      reader.ReadByte(block);
      while (block != 0 && block != Trailer && !reader.AtEnd()) {
        std::vector<std::unique_ptr<TExtension>> collected;
        // The run of extensions before a frame (or after the last one).
        while (block == ExtensionIntroducer) {
          uint8_t label = 0;
          if (!reader.ReadByte(label)) {
            block = Trailer;
            break;
          }
          auto ext = std::make_unique<TExtension>();
          bool keep = false;
          switch (label) {
            case 0xF9: {
              ext->ExtType = etGraphicControl;
              uint8_t blockSize = 0;
              reader.ReadByte(blockSize);
              uint8_t fixed[255] = {};
              const size_t got = std::min<size_t>(blockSize, reader.Remaining());
              reader.Read(fixed, got);
              ext->ExtRec[0] = 4;
              std::memcpy(ext->ExtRec + 1, fixed, 4);
              ext->ExtRec[5] = 0;
              reader.ReadSubBlocks(nullptr);
              keep = true;
              break;
            }
            case 0xFE:
              ext->ExtType = etComment;
              ext->Data = std::make_unique<TStringList>();
              reader.ReadSubBlocks(ext->Data.get());
              keep = true;
              break;
            case 0x01: {
              uint8_t blockSize = 0;
              reader.ReadByte(blockSize);
              reader.Skip(blockSize);
              reader.ReadSubBlocks(nullptr);
              collected.clear();  // a plain-text block discards what came before it
              break;
            }
            case 0xFF: {
              uint8_t blockSize = 0;
              reader.ReadByte(blockSize);
              char ident[255] = {};
              const size_t got = std::min<size_t>(blockSize, reader.Remaining());
              reader.Read(ident, got);
              const std::string first = reader.ReadSubBlocks(nullptr);
              const size_t compared = std::min<size_t>(got, 11);
              const bool looping = compared > 0 && (std::memcmp(ident, "NETSCAPE2.0", compared) == 0 ||
                                                    std::memcmp(ident, "ANIMEXTS1.0", compared) == 0);
              if (looping && first.size() >= 3 && first[0] == 1) {
                FLooping = true;
                const int count = static_cast<uint8_t>(first[1]) | (static_cast<uint8_t>(first[2]) << 8);
                FRepeatCount = static_cast<uint16_t>(std::min<int>(count, MaxRepeatCount));
              }
              break;
            }
            default: {
              wchar_t text[64];
              swprintf(text, 64, L"Unrecognized extension block: %.2x", label);
              throw EInvalidGraphicOperation(text);
            }
          }
          if (keep) collected.push_back(std::move(ext));
          if (reader.AtEnd() || !reader.ReadByte(block)) block = Trailer;
        }

        if (block == ImageSeparator) {
          if (GetCount() >= GIFMaxFrames) {
            FCorrupted = true;
            break;
          }
          auto frame = std::make_unique<TGIFFrame>(this);
          if (FData->ColorMap.Count > 0)
            frame->FItem->BitsPerPixel = static_cast<uint8_t>(ColorsToBits(FData->ColorMap.Count));
          frame->FExtensions = std::move(collected);
          try {
            frame->LoadFromReader(reader);
          } catch (const EReadError&) {
            // The descriptor, its colour table or the code size byte is cut off.
            FCorrupted = true;
            break;
          }
          // The budget bounds the bitmaps held at once, which decoding keeps within it by
          // giving back those used longest ago: only a frame that cannot be decoded within it
          // by itself ends the reading (the pixel limits keep every frame within it).
          const TPoint size = frame->FItem->Size;
          if (GIFKeptBytes(size.X, size.Y) + GIFDecodingBytes(size.X, size.Y) > GIFMaxDecodedBytes) {
            FCorrupted = true;  // the frames so far stay; the rest is not read
            break;
          }
          const bool whole = !frame->FCorrupted;
          FFrames.push_back(std::move(frame));
          if (!whole) {
            FCorrupted = true;
            break;  // what follows a cut-off frame is not data of the file
          }
          block = Trailer;
          while (!reader.AtEnd()) {
            reader.ReadByte(block);
            if (block != 0) break;
            block = Trailer;
          }
          if (block != ExtensionIntroducer && block != ImageSeparator && block != Trailer) block = 0;
        } else {
          if (FData->Comment.GetCount() == 0 && !collected.empty()) {
            for (const auto& ext : collected) {
              if (ext->ExtType != etComment || !ext->Data) continue;
              if (FData->Comment.GetCount() > 0) FData->Comment.Add(L"\r\n\r\n");
              FData->Comment.AddStrings(ext->Data.get());
            }
          } else if (block != 0 && block != Trailer) {
            throw EInvalidGraphicOperation(kStreamRead);
          }
        }
      }
    }
    if (!FFrames.empty()) {
      FFrameIndex = 0;
      if (decode) GetBitmap();
    }
  } catch (...) {
    NewImage();
    throw;
  }
  SetPaletteModified(true);
  Changed(this);
}

void TGIFImage::LoadFromStream(TStream& stream) {
  ReadStream(stream, stream.GetSize() - stream.GetPosition(), true);
}

void TGIFImage::ReadData(TStream& stream) {
  int32_t count = 0;
  stream.ReadBuffer(&count, 4);
  ReadStream(stream, count, true);
}

// ---- Writing -------------------------------------------------------------------------------

void TGIFImage::WriteStream(TStream& stream, bool withCount) {
  if (FFrames.empty()) throw EInvalidGraphicOperation(kNoData);
  EncodeFrames(false);
  TMemoryStream out;
  if (FData->Comment.GetCount() > 0) FVersion = gv89a;
  out.WriteBuffer("GIF", 3);
  out.WriteBuffer(FVersion == gv87a ? "87a" : "89a", 3);
  UpdateScreenSize();
  WriteWord(out, FScreenWidth);
  WriteWord(out, FScreenHeight);
  const TGIFColorTable& global = FData->ColorMap;
  int globalBits = 0;
  if (global.Count > 0) {
    globalBits = BitsForColorCount(global.Count);
    WriteByte(out, static_cast<uint8_t>(0x80 | ((globalBits - 1) << 4) | (globalBits - 1)));
    WriteByte(out, static_cast<uint8_t>(std::max(global.IndexOf(FBackgroundColor), 0)));
  } else {
    WriteByte(out, 0);
    WriteByte(out, 0);
  }
  WriteByte(out, FData->AspectRatio);
  if (global.Count > 0) WriteColorTable(out, global, globalBits);
  if (FLooping && GetCount() > 1) {
    WriteByte(out, ExtensionIntroducer);
    WriteByte(out, 0xFF);
    WriteByte(out, 11);
    out.WriteBuffer("NETSCAPE2.0", 11);
    const uint8_t loop[5] = {3, 1, static_cast<uint8_t>(FRepeatCount),
                             static_cast<uint8_t>(FRepeatCount >> 8), 0};
    out.WriteBuffer(loop, 5);
  }
  for (const auto& frame : FFrames) frame->SaveToStream(out);
  if (FData->Comment.GetCount() > 0) {
    WriteByte(out, ExtensionIntroducer);
    WriteByte(out, 0xFE);
    WriteSubBlocks(out, FData->Comment);
  }
  WriteByte(out, Trailer);
  const int32_t count = static_cast<int32_t>(out.GetSize());
  if (withCount) stream.WriteBuffer(&count, 4);
  out.SetPosition(0);
  stream.CopyFrom(out, out.GetSize());
}

void TGIFImage::SaveToStream(TStream& stream) { WriteStream(stream, false); }
void TGIFImage::WriteData(TStream& stream) { WriteStream(stream, true); }

// ---- Assignment --------------------------------------------------------------------------

void TGIFImage::Assign(TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    NewImage();
    Changed(this);
    return;
  }
  if (auto* image = dynamic_cast<TGIFImage*>(source)) {
    std::vector<std::unique_ptr<TGIFFrame>> frames;
    for (const auto& src : image->FFrames) {
      auto frame = std::make_unique<TGIFFrame>(this);
      frame->FOwner = nullptr;  // no screen-size updates while the list is being built
      frame->Assign(src.get());
      frame->FOwner = this;
      frame->FLocalColors = src->FLocalColors;
      frames.push_back(std::move(frame));
    }
    image->FData->Reference();
    TSharedImage::Release(FData);
    FData = image->FData;
    // The same file: its decoded bitmaps are held against the source's budget.
    JoinBudget(image->FBudget);
    FVersion = image->FVersion;
    FBackgroundColor = image->FBackgroundColor;
    FRepeatCount = image->FRepeatCount;
    FLooping = image->FLooping;
    FCorrupted = image->FCorrupted;
    FFrames = std::move(frames);
    FScreenWidth = image->FScreenWidth;
    FScreenHeight = image->FScreenHeight;
    FFrameIndex = image->FFrameIndex;
    Changed(this);
    return;
  }
  if (auto* frame = dynamic_cast<TGIFFrame*>(source)) {
    NewImage();
    if (frame->FOwner) {
      FData->AspectRatio = frame->FOwner->FData->AspectRatio;
      FData->BitsPerPixel = frame->FOwner->FData->BitsPerPixel;
      FData->ColorResBits = frame->FOwner->FData->ColorResBits;
      FData->ColorMap = frame->FOwner->FData->ColorMap;
    }
    if (frame->FOwner) JoinBudget(frame->FOwner->FBudget);  // a frame of the same file
    auto added = std::make_unique<TGIFFrame>(this);
    added->Assign(frame);
    FFrames.push_back(std::move(added));
    FFrameIndex = 0;
    if (FVersion == gvNone) FVersion = gv87a;
    UpdateScreenSize();
    Changed(this);
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    NewImage();
    AddFrame(bitmap);
    Changed(this);
    return;
  }
  if (auto* cursor = dynamic_cast<TAnimatedCursorImage*>(source)) {
    NewImage();
    FBackgroundColor = clWindow;
    for (int i = 0; i < cursor->GetCount(); ++i) {
      TIcon* icon = cursor->GetIcon(i);
      if (!icon) continue;
      TBitmap bitmap;
      bitmap.SetSize(icon->GetWidth(), icon->GetHeight());
      bitmap.GetCanvas()->GetBrush()->SetColor(clWindow);
      bitmap.GetCanvas()->FillRect(TRect{0, 0, icon->GetWidth(), icon->GetHeight()});
      bitmap.GetCanvas()->Draw(0, 0, icon);
      const int index = AddFrame(&bitmap);
      FFrames[static_cast<size_t>(index)]->FAnimateInterval =
          cursor->GetFrame(i)->GetJiffRate() * 100 / 6;
    }
    if (!FFrames.empty()) FFrameIndex = 0;
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TGIFImage::AssignTo(TPersistent* dest) {
  if (dynamic_cast<TGIFImage*>(dest)) {
    dest->Assign(this);
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(dest)) {
    if (GetEmpty()) graphic->Assign(nullptr);
    else if (FFrameIndex < 0) graphic->Assign(GetBitmap());
    else FFrames[static_cast<size_t>(FFrameIndex)]->AssignTo(dest);
    return;
  }
  TGraphic::AssignTo(dest);
}

bool TGIFImage::Equals(TGraphic* other) {
  auto* image = dynamic_cast<TGIFImage*>(other);
  return image && image->FData == FData;
}

// ---- Clipboard -----------------------------------------------------------------------------

UINT CF_GIF() {
  static const UINT format = ::RegisterClipboardFormatW(L"GIF Image");
  return format;
}

void TGIFImage::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  format = 0;
  data = nullptr;
  palette = nullptr;
  if (FFrames.empty()) return;
  FFrames[0]->GetBitmap()->SaveToClipboardFormat(format, data, palette);
  for (const auto& frame : FFrames)
    if (frame->FItem->ImageData.GetSize() == 0) return;
  TMemoryStream stream;
  WriteStream(stream, true);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(stream.GetSize()));
  if (!memory) return;
  if (void* target = ::GlobalLock(memory)) {
    std::memcpy(target, stream.GetMemory(), static_cast<size_t>(stream.GetSize()));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_GIF(), memory);
  } else {
    ::GlobalFree(memory);
  }
}

void TGIFImage::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  HANDLE gif = ::IsClipboardFormatAvailable(CF_GIF()) ? ::GetClipboardData(CF_GIF()) : nullptr;
  if (gif) {
    const SIZE_T available = ::GlobalSize(gif);
    const auto* bytes = static_cast<const uint8_t*>(::GlobalLock(gif));
    if (!bytes) throw EReadError(kStreamRead);
    struct TUnlock {
      HANDLE H;
      ~TUnlock() { ::GlobalUnlock(H); }
    } unlock{gif};
    int32_t count = 0;
    if (available < 4) throw EReadError(kStreamRead);
    std::memcpy(&count, bytes, 4);
    if (count < 0 || static_cast<SIZE_T>(count) > available - 4) throw EReadError(kStreamRead);
    TMemoryStream stream;
    stream.WriteBuffer(bytes + 4, count);
    stream.SetPosition(0);
    ReadStream(stream, count, false);
    if (!FFrames.empty()) {
      FFrameIndex = 0;
      if (::IsClipboardFormatAvailable(CF_BITMAP)) {
        TBitmap bitmap;
        bitmap.LoadFromClipboardFormat(CF_BITMAP, ::GetClipboardData(CF_BITMAP), nullptr);
        FFrames[0]->ClearBitmap();
        FFrames[0]->FBitmap->Assign(&bitmap);
      }
    }
    return;
  }
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(format, data, palette);
  Assign(&bitmap);
}

// ---- Registration --------------------------------------------------------------------------

namespace {

bool GIFImageRegistered = false;

// Gives the format back when the program ends. Made after the graphic registry (the first
// registration makes that), so it goes before it.
struct TGIFRegistrationEnd {
  ~TGIFRegistrationEnd() { UnregisterGIFImage(); }
};

}  // namespace

void RegisterGIFImage() {
  if (GIFImageRegistered) return;
  RegisterClasses({TGIFFrame::StaticClassInfo(), TGIFImage::StaticClassInfo()});
  RegisterFileFormat(L"gif", L"CompuServe GIF Image", TGraphicClass::Of<TGIFImage>());
  RegisterClipboardFormat(CF_GIF(), TGraphicClass::Of<TGIFImage>());
  GIFImageRegistered = true;
  static TGIFRegistrationEnd atProgramEnd;
}

void UnregisterGIFImage() {
  if (!GIFImageRegistered) return;
  UnregisterGraphicClass(TGraphicClass::Of<TGIFImage>());
  GIFImageRegistered = false;
}
