// TAnimatedCursorImage: the frames of a Windows animated cursor (RIFF form "ACON") as icons
// with their hot spots, display rates and sequence numbers, and the file's title and author.
// It hands its frames to a TIcon (the first), a TBitmap (a strip) or a TIconList.
//
// The reader trusts no size: the header chunk is read up to its 36 bytes and the rest
// skipped; frame and step counts beyond what the data could hold are refused; chunks that
// claim more bytes than remain end the reading; icon directories pointing outside their
// chunk are skipped; a damaged icon ends only the list it is in.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Icon.h"

class TIconList;

// Most frames (steps) a file may declare.
constexpr int AniMaxFrames = 4096;
// Largest side and area of the strip bitmap.
constexpr int AniMaxStripSide = 32768;
constexpr int64_t AniMaxStripPixels = 16 * 1024 * 1024;

// The "anih" chunk.
struct TAniHeader {
  uint32_t cbSizeof = 0;   // size of the header
  uint32_t cFrames = 0;    // number of icons
  uint32_t cSteps = 0;     // number of steps shown
  uint32_t cx = 0, cy = 0;
  uint32_t cBitCount = 0, cPlanes = 0;
  uint32_t jifRate = 0;    // default rate in sixtieths of a second
  uint32_t fl = 0;         // bit 0: frames are icon resources
};

class TIconFrame : public TPersistent {
  CLASSLIB_CLASS(TIconFrame, TPersistent)
  TIconFrame(int sequence = -1, uint32_t rate = 0) : FJiffRate(rate), FSequence(sequence) {}

  // The icon shown (shared with other frames that show the same one); may be nullptr.
  TIcon* GetIcon() const { return FIcon.get(); }
  bool GetIsIcon() const { return FIsIcon; }
  TPoint GetHotSpot() const { return FHotSpot; }
  uint32_t GetJiffRate() const { return FJiffRate; }
  int GetSequence() const { return FSequence; }
  void Assign(TPersistent* source) override;

 private:
  friend class TAnimatedCursorImage;
  std::shared_ptr<TIcon> FIcon;   // freed when the last frame showing it goes
  bool FIsIcon = false;           // from an icon rather than a cursor resource
  char FTag[4] = {};              // the "icon" chunk's identifier
  uint32_t FChunkSize = 0;        // and size
  TPoint FHotSpot{0, 0};
  uint32_t FJiffRate;             // sixtieths of a second
  int FSequence;                  // the icon number shown; -1 when not numbered by the file
};

class TAnimatedCursorImage : public TPersistent {
  CLASSLIB_CLASS(TAnimatedCursorImage, TPersistent)
  TAnimatedCursorImage() = default;
  ~TAnimatedCursorImage() override = default;

  void Clear();
  int GetCount() const { return static_cast<int>(FFrames.size()); }
  TIconFrame* GetFrame(int index) const { return FFrames.at(static_cast<size_t>(index)).get(); }
  TIcon* GetIcon(int index) const { return GetFrame(index)->GetIcon(); }
  const TAniHeader& GetHeader() const { return FHeader; }
  String GetTitle() const;
  String GetCreator() const;
  uint16_t GetSourceColors() const { return FSourceColors; }

  // Reads from the stream's position to its end. EReadError "Stream read error" for a file
  // that is not an animated cursor or yields no frame.
  virtual void LoadFromStream(TStream& stream);
  // Writing is not supported: "Function not yet implemented", then a silent abort.
  virtual void SaveToStream(TStream& stream);
  virtual void LoadFromFile(const String& fileName);
  void Assign(TPersistent* source) override;
  // A new bitmap of the frames side by side (or stacked), reduced in colours when asked;
  // the caller owns it. Frames beyond the strip's largest size are left out.
  std::unique_ptr<TBitmap> AssignToBitmap(TColor background, bool vertical, bool reduce);

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  void ReadAni(const uint8_t* data, size_t size);
  // The icon of an "icon" chunk, or nullptr for a damaged or unknown one.
  std::shared_ptr<TIcon> ReadIcon(const uint8_t* data, size_t size, bool& isIcon, TPoint& hotSpot);

  TAniHeader FHeader;
  std::string FTitle;    // at most 255 bytes
  std::string FCreator;
  std::vector<std::unique_ptr<TIconFrame>> FFrames;
  uint16_t FSourceColors = 0;
};
