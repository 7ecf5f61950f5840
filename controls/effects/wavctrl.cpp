// TepWave and TepWavePlayer: wave bytes kept in layouts and played from memory.
#include "wavctrl.h"

#include <mmsystem.h>

#include <cstring>
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Filer.h"
#include "classlib/classes/Properties.h"

namespace {

const bool WavePlayerRegistered = [] {
  RegisterClass<TepWavePlayer>();
  return true;
}();

const wchar_t* const WavePlayOptNames[] = {L"wpoSync", L"wpoAsync", L"wpoNoDefault", L"wpoLoop",
                                           L"wpoNoStop"};
const TEnumInfo WavePlayOptIdents = MakeEnumInfo(WavePlayOptNames);

// The wave whose bytes the background sound is reading, or nullptr. The system plays one
// simple sound per process at a time, so one record is enough; it is cleared whenever the
// sound is known to have stopped.
TepWave* SoundingWave = nullptr;

uint32_t ReadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IsTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// Stops the simple sound of the process (whichever wave it plays).
void StopSound() {
  ::sndPlaySoundW(nullptr, 0);
  SoundingWave = nullptr;
}

}  // namespace

// ---- WAVE file check -----------------------------------------------------------------------------
//
// A WAVE file is a RIFF chunk: "RIFF", a 32-bit length of what follows, "WAVE", then
// sub-chunks, each a four-byte tag, a 32-bit length and that many bytes (plus a pad byte
// when the length is odd). The RIFF length and every sub-chunk length are checked against
// the bytes that remain; the walk takes at most one step per 8 bytes.

bool IsCompleteWave(const void* bytes, int size) {
  if (!bytes || size < 12) return false;
  const auto* data = static_cast<const uint8_t*>(bytes);
  if (!IsTag(data, "RIFF") || !IsTag(data + 8, "WAVE")) return false;
  const uint32_t riffLength = ReadLE32(data + 4);
  if (riffLength < 4 || riffLength > static_cast<uint32_t>(size) - 8) return false;
  const uint32_t riffEnd = 8 + riffLength;
  bool hasFormat = false;
  bool hasData = false;
  uint32_t offset = 12;
  for (int steps = 0; offset + 8 <= riffEnd && steps <= size / 8; ++steps) {
    const uint32_t chunkLength = ReadLE32(data + offset + 4);
    if (chunkLength > riffEnd - offset - 8) return false;
    if (IsTag(data + offset, "fmt ")) hasFormat = hasFormat || chunkLength >= 16;
    if (IsTag(data + offset, "data")) hasData = true;
    offset += 8 + chunkLength + (chunkLength & 1);
  }
  return hasFormat && hasData;
}

// ---- TepWave ------------------------------------------------------------------------------------

TepWave::TepWave() : FData(std::make_unique<TMemoryStream>()) {}

TepWave::~TepWave() { StopIfSounding(); }

const void* TepWave::GetMemory() const { return FData->GetMemory(); }

int TepWave::GetSize() const { return static_cast<int>(FData->GetSize()); }

void TepWave::StopIfSounding() {
  if (SoundingWave == this) StopSound();
}

void TepWave::Changed() {
  FModified = true;
  if (FOnChange) FOnChange(this);
}

void TepWave::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    Clear();
    return;
  }
  auto* other = dynamic_cast<TepWave*>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  auto copy = std::make_unique<TMemoryStream>();
  copy->SetSize(other->FData->GetSize());
  if (other->GetSize() > 0) std::memcpy(copy->GetMemory(), other->FData->GetMemory(), other->GetSize());
  StopIfSounding();
  FData = std::move(copy);
  Changed();
}

void TepWave::Clear() {
  StopIfSounding();
  FData->Clear();
  Changed();
}

void TepWave::LoadFromStream(TStream& stream) {
  // Read into a new block first: a failed read leaves the old bytes playing undisturbed.
  auto data = std::make_unique<TMemoryStream>();
  const int64_t count = stream.GetSize() - stream.GetPosition();
  if (count > 0) data->CopyFrom(stream, count);
  StopIfSounding();
  FData = std::move(data);
  Changed();
}

void TepWave::SaveToStream(TStream& stream) {
  if (GetSize() > 0) stream.WriteBuffer(FData->GetMemory(), GetSize());
}

void TepWave::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TepWave::SaveToFile(const String& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

void TepWave::ReadData(TStream& stream) { LoadFromStream(stream); }

void TepWave::WriteData(TStream& stream) { SaveToStream(stream); }

void TepWave::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      L"Data", [this](TStream& stream) { ReadData(stream); },
      [this](TStream& stream) { WriteData(stream); }, true);
}

// ---- TepWavePlayer ------------------------------------------------------------------------------------

UINT WavePlayFlags(TOptionsSet options) {
  UINT flags = SND_MEMORY;
  if (options.Contains(wpoAsync)) flags |= SND_ASYNC;
  if (options.Contains(wpoNoDefault)) flags |= SND_NODEFAULT;
  if (options.Contains(wpoLoop)) flags |= SND_LOOP;
  if (options.Contains(wpoNoStop)) flags |= SND_NOSTOP;
  return flags;
}

const TPropertyTable* TepWavePlayer::PublishedProperties() {
  using P = TPublish<TepWavePlayer>;
  using C = TepWavePlayer;
  static const TPropertyTable table{
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true),
      P::Set(L"Options", WavePlayOptIdents, &C::GetOptions, &C::SetOptions)
          .Default(TOptionsSet{wpoSync}),
      P::Persistent(L"Wave", &C::GetWave, &C::SetWave),
      P::Method(L"BeforePlay", &C::GetBeforePlay, &C::SetBeforePlay),
      P::Method(L"AfterPlay", &C::GetAfterPlay, &C::SetAfterPlay),
  };
  return &table;
}

// A new player plays from memory alone: the flags of [wpoSync].
TepWavePlayer::TepWavePlayer(TComponent* owner)
    : TComponent(owner), FPlayFlags(SND_MEMORY), FWave(std::make_unique<TepWave>()) {}

TepWavePlayer::~TepWavePlayer() {
  StopSound();
  FWave.reset();
}

void TepWavePlayer::SetOptions(TOptionsSet value) {
  if (value == FOptions) return;
  FOptions = value;
  FPlayFlags = WavePlayFlags(value);
}

void TepWavePlayer::SetWave(TepWave* value) { FWave->Assign(value); }

void TepWavePlayer::Play() {
  if (FBeforePlay) FBeforePlay(this);
  if (FEnabled) {
    const bool playable = IsCompleteWave(FWave->GetMemory(), FWave->GetSize());
    const void* bytes = playable ? FWave->GetMemory() : nullptr;
    const UINT flags = bytes ? FPlayFlags : 0;
    if (::sndPlaySoundW(static_cast<LPCWSTR>(bytes), flags)) {
      // A sound in the background goes on reading the bytes; any other has ended.
      SoundingWave = bytes && (flags & SND_ASYNC) ? FWave.get() : nullptr;
    } else if (!bytes) {
      SoundingWave = nullptr;
    }
  }
  if (FAfterPlay) FAfterPlay(this);
}
