// Reading animated cursors.
//
// The file is a RIFF form "ACON": chunks of a 4-byte identifier, a 32-bit little-endian size
// and the data, padded to an even length. "anih" is the header; "rate" and "seq " are arrays
// of one 32-bit value per step (display time, icon number); "LIST" "fram" holds one "icon"
// chunk per icon (an icon or cursor file); "LIST" "INFO" holds the title ("INAM") and the
// author ("IART"). The whole file is read into memory first and every size is checked
// against what remains of its chunk.
#include "AniFile.h"

#include <algorithm>
#include <cstring>

#include "IcoList.h"
#include "RxGraph.h"
#include "classlib/classes/Streams.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysString.h"

namespace {

const wchar_t* const kStreamRead = L"Stream read error";

uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
bool IsTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// The file starts as an animated cursor does: "RIFF", a size, "ACON".
bool IsAniFile(const uint8_t* data, size_t size) {
  return size >= 12 && IsTag(data, "RIFF") && IsTag(data + 8, "ACON");
}

// A chunk's size with its pad byte, cut to what remains.
size_t Padded(uint32_t size, size_t remaining) {
  return static_cast<size_t>(std::min<uint64_t>(uint64_t{size} + (size & 1), remaining));
}

std::string ReadText(const uint8_t* data, size_t size) {
  size = std::min<size_t>(size, 255);
  const auto* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  return std::string(reinterpret_cast<const char*>(data), end ? static_cast<size_t>(end - data) : size);
}

}  // namespace

void TIconFrame::Assign(TPersistent* source) {
  if (auto* frame = dynamic_cast<TIconFrame*>(source)) {
    if (frame == this) return;
    FIcon.reset();
    if (frame->FIcon) {
      FIcon = std::make_shared<TIcon>();
      FIcon->Assign(frame->FIcon.get());
    }
    FIsIcon = frame->FIsIcon;
    std::memcpy(FTag, frame->FTag, 4);
    FChunkSize = frame->FChunkSize;
    FHotSpot = frame->FHotSpot;
    FJiffRate = frame->FJiffRate;
    FSequence = frame->FSequence;
    return;
  }
  TPersistent::Assign(source);
}

void TAnimatedCursorImage::Clear() {
  FFrames.clear();
  FTitle.clear();
  FCreator.clear();
  FHeader = TAniHeader{};
  FSourceColors = 0;
}

String TAnimatedCursorImage::GetTitle() const { return Cp936ToString(FTitle); }
String TAnimatedCursorImage::GetCreator() const { return Cp936ToString(FCreator); }

std::shared_ptr<TIcon> TAnimatedCursorImage::ReadIcon(const uint8_t* data, size_t size,
                                                       bool& isIcon, TPoint& hotSpot) {
  hotSpot = TPoint{0, 0};
  if (size < 6) return nullptr;
  std::vector<uint8_t> copy(data, data + size);
  const uint16_t type = U16(copy.data() + 2);
  const uint16_t count = U16(copy.data() + 4);
  if (type != 1 && type != 2) return nullptr;
  isIcon = type == 1;
  copy[2] = 1;  // a cursor loads as an icon
  copy[3] = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * i;
    if (entry + 16 > size) break;
    const uint32_t imageSize = U32(copy.data() + entry + 8);
    const uint32_t offset = U32(copy.data() + entry + 12);
    // An entry pointing outside the chunk is not looked at.
    if (uint64_t{offset} + 40 > size || uint64_t{offset} + imageSize > size) continue;
    const uint16_t bits = U16(copy.data() + offset + 14);
    const uint16_t colors = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    FSourceColors = std::max(FSourceColors, colors);
    hotSpot = TPoint{U16(copy.data() + entry + 4), U16(copy.data() + entry + 6)};
  }
  auto icon = std::make_shared<TIcon>();
  try {
    TMemoryStream stream;
    stream.WriteBuffer(copy.data(), static_cast<int>(copy.size()));
    stream.SetPosition(0);
    icon->LoadFromStream(stream);
  } catch (const Exception&) {
    return nullptr;  // a damaged icon
  }
  if (isIcon) hotSpot = TPoint{icon->GetWidth() / 2, icon->GetHeight() / 2};
  return icon;
}

void TAnimatedCursorImage::ReadAni(const uint8_t* data, size_t size) {
  if (!IsAniFile(data, size)) throw EReadError(kStreamRead);
  Clear();
  size_t pos = 12;
  size_t rateIndex = 0, seqIndex = 0;
  int iconNumber = 0;
  while (size - pos >= 8) {
    const uint8_t* tag = data + pos;
    const uint32_t chunkSize = U32(data + pos + 4);
    pos += 8;
    if (chunkSize > size - pos) break;  // a truncated chunk ends the reading
    const uint8_t* chunk = data + pos;
    if (IsTag(tag, "anih")) {
      uint8_t header[36] = {};
      std::memcpy(header, chunk, std::min<size_t>(chunkSize, sizeof(header)));
      std::memcpy(&FHeader, header, sizeof(header));
      if (!(FHeader.fl & 1) || FHeader.cSteps == 0) throw EReadError(kStreamRead);
      // Every frame and step needs at least 4 bytes of the file: larger counts lie.
      if (FHeader.cFrames > AniMaxFrames || FHeader.cSteps > AniMaxFrames ||
          uint64_t{FHeader.cFrames} * 4 > size || uint64_t{FHeader.cSteps} * 4 > size)
        throw EReadError(kStreamRead);
      FFrames.clear();
      const uint32_t frames = std::max(FHeader.cFrames, FHeader.cSteps);
      for (uint32_t i = 0; i < frames; ++i)
        FFrames.push_back(std::make_unique<TIconFrame>(static_cast<int>(i), FHeader.jifRate));
    } else if (IsTag(tag, "rate")) {
      for (size_t k = 0; k + 4 <= chunkSize && rateIndex < FFrames.size(); k += 4)
        FFrames[rateIndex++]->FJiffRate = U32(chunk + k);
    } else if (IsTag(tag, "seq ")) {
      const size_t entries = chunkSize / 4;
      for (size_t k = 0; k < entries && seqIndex < FFrames.size(); ++k) {
        const uint32_t value = U32(chunk + 4 * k);
        FFrames[seqIndex++]->FSequence = value > AniMaxFrames ? -2 : static_cast<int>(value);
      }
      // A chunk of the whole sequence ends the frames there; a chunk of one value sets the
      // next frame in turn, and the chunks after it the frames after it.
      if (entries > 1 && entries < FFrames.size()) FFrames.resize(entries);
    } else if (IsTag(tag, "LIST") && chunkSize >= 4) {
      const uint8_t* list = chunk + 4;
      size_t remaining = chunkSize - 4;
      if (IsTag(chunk, "fram")) {
        while (remaining >= 8) {
          const uint8_t* sub = list;
          const uint32_t subSize = U32(sub + 4);
          if (subSize > remaining - 8) break;
          if (IsTag(sub, "icon")) {
            bool isIcon = false;
            TPoint hotSpot;
            if (iconNumber >= AniMaxFrames) break;
            std::shared_ptr<TIcon> icon = ReadIcon(sub + 8, subSize, isIcon, hotSpot);
            if (!icon) break;  // a damaged icon ends this list only
            bool shown = false;
            for (auto& frame : FFrames) {
              if (frame->FSequence != iconNumber) continue;
              frame->FIcon = icon;
              frame->FIsIcon = isIcon;
              frame->FHotSpot = hotSpot;
              std::memcpy(frame->FTag, sub, 4);
              frame->FChunkSize = subSize;
              shown = true;
            }
            if (!shown && FFrames.size() < AniMaxFrames) {
              auto frame = std::make_unique<TIconFrame>(-1, FHeader.jifRate);
              frame->FIcon = icon;
              frame->FIsIcon = isIcon;
              frame->FHotSpot = hotSpot;
              std::memcpy(frame->FTag, sub, 4);
              frame->FChunkSize = subSize;
              FFrames.push_back(std::move(frame));
            }
            ++iconNumber;
          }
          const size_t step = 8 + Padded(subSize, remaining - 8);
          list += step;
          remaining -= step;
        }
      } else if (IsTag(chunk, "INFO")) {
        while (remaining >= 8) {
          const uint8_t* sub = list;
          const uint32_t subSize = U32(sub + 4);
          if (subSize > remaining - 8) break;
          if (IsTag(sub, "INAM")) FTitle = ReadText(sub + 8, subSize);
          else if (IsTag(sub, "IART")) FCreator = ReadText(sub + 8, subSize);
          const size_t step = 8 + Padded(subSize, remaining - 8);
          list += step;
          remaining -= step;
        }
      }
    }
    pos += Padded(chunkSize, size - pos);
  }
  for (size_t i = FFrames.size(); i-- > 0;)
    if (!FFrames[i]->FIcon) FFrames.erase(FFrames.begin() + static_cast<ptrdiff_t>(i));
  FHeader.cSteps = static_cast<uint32_t>(FFrames.size());
  if (FFrames.empty()) throw EReadError(kStreamRead);
}

void TAnimatedCursorImage::LoadFromStream(TStream& stream) {
  const int64_t remaining = stream.GetSize() - stream.GetPosition();
  if (remaining <= 0 || remaining > INT_MAX) throw EReadError(kStreamRead);
  std::vector<uint8_t> data(static_cast<size_t>(remaining));
  stream.ReadBuffer(data.data(), static_cast<int>(data.size()));
  // What is not an animated cursor is refused before anything is cleared: the image stays.
  if (!IsAniFile(data.data(), data.size())) throw EReadError(kStreamRead);
  try {
    ReadAni(data.data(), data.size());
  } catch (...) {
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::SaveToStream(TStream&) {
  RaiseNotImplemented();
}

void TAnimatedCursorImage::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(stream);
}

void TAnimatedCursorImage::Assign(TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    Clear();
    return;
  }
  if (auto* cursor = dynamic_cast<TAnimatedCursorImage*>(source)) {
    Clear();
    FHeader = cursor->FHeader;
    FTitle = cursor->FTitle;
    FCreator = cursor->FCreator;
    FSourceColors = cursor->FSourceColors;
    for (const auto& frame : cursor->FFrames) {
      auto copy = std::make_unique<TIconFrame>(-1, cursor->FHeader.jifRate);
      copy->Assign(frame.get());
      FFrames.push_back(std::move(copy));
    }
    return;
  }
  TPersistent::Assign(source);
}

std::unique_ptr<TBitmap> TAnimatedCursorImage::AssignToBitmap(TColor background, bool vertical,
                                                              bool reduce) {
  auto bitmap = std::make_unique<TBitmap>();
  if (FFrames.empty() || !FFrames[0]->FIcon) return bitmap;
  const int width = std::max(FFrames[0]->FIcon->GetWidth(), 1);
  const int height = std::max(FFrames[0]->FIcon->GetHeight(), 1);
  // As many frames as the strip's largest size allows.
  int64_t count = static_cast<int64_t>(FFrames.size());
  count = std::min<int64_t>(count, AniMaxStripSide / (vertical ? height : width));
  count = std::min<int64_t>(count, AniMaxStripPixels / (int64_t{width} * height));
  count = std::max<int64_t>(count, 1);
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(vertical ? width : static_cast<int>(width * count),
                  vertical ? static_cast<int>(height * count) : height);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetBrush()->SetColor(background);
  canvas->FillRect(TRect{0, 0, bitmap->GetWidth(), bitmap->GetHeight()});
  for (int64_t i = 0; i < count; ++i) {
    TIcon* icon = FFrames[static_cast<size_t>(i)]->FIcon.get();
    if (!icon) continue;
    const int x = vertical ? 0 : static_cast<int>(i * width);
    const int y = vertical ? static_cast<int>(i * height) : 0;
    canvas->Draw(x, y, icon);
  }
  if (reduce) ReduceBitmapToColorCount(bitmap.get(), std::max<int>(FSourceColors, 16));
  return bitmap;
}

void TAnimatedCursorImage::AssignTo(TPersistent* dest) {
  if (auto* icon = dynamic_cast<TIcon*>(dest)) {
    icon->Assign(FFrames.empty() ? nullptr : FFrames[0]->FIcon.get());
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    if (FFrames.empty()) {
      bitmap->Assign(nullptr);
      return;
    }
    const TColor background = bitmap->GetCanvas()->GetBrush()->GetColor();
    std::unique_ptr<TBitmap> strip = AssignToBitmap(background, false, true);
    bitmap->Assign(strip.get());
    return;
  }
  if (auto* list = dynamic_cast<TIconList*>(dest)) {
    list->BeginUpdate();
    try {
      list->Clear();
      for (const auto& frame : FFrames)
        if (frame->FIcon) list->Add(frame->FIcon.get());
    } catch (...) {
      list->EndUpdate();
      throw;
    }
    list->EndUpdate();
    return;
  }
  TPersistent::AssignTo(dest);
}
