// Button sounds: TepWave holds the bytes of a complete RIFF WAVE file and keeps them in a
// stored layout as the binary property "Data"; TepWavePlayer plays such a wave from memory
// with the system's simple sound call, synchronously or in the background.
//
// A sound played in the background reads its bytes while it plays, so a wave that is being
// played is stopped before its bytes are replaced or freed. Bytes that are not a complete
// WAVE file (the chunks run past the end, no "fmt " or "data" chunk) are never handed to
// the system, which would trust the lengths inside them; playing them stops any sound
// instead, as playing an empty wave does.
//
// Not done: playing from a file or a resource name (the buttons only play from memory).
#pragma once
#include <cstdint>
#include <memory>
#include "classlib/classes/Component.h"
#include "classlib/classes/Events.h"
#include "classlib/classes/Sets.h"
#include "classlib/classes/Streams.h"

class TPropertyTable;

// ---- TepWave ----------------------------------------------------------------------------------
class TepWave : public TPersistent {
  CLASSLIB_CLASS(TepWave, TPersistent)
  TepWave();
  // Stops the sound first when it is this wave's.
  ~TepWave() override;

  // ---- Attributes ----------------------------------------------------------------------------
  // The wave file image, byte for byte; nullptr while it is empty. Valid until the bytes
  // are next replaced; owned by the wave.
  const void* GetMemory() const;
  int GetSize() const;
  bool GetEmpty() const { return GetSize() == 0; }
  // Set whenever new bytes arrive; the owner may clear it.
  bool GetModified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }
  // Told after new bytes arrived.
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }

  // ---- Operations ------------------------------------------------------------------------------
  // Copies the bytes of another TepWave (nullptr empties this one); each wave keeps its
  // own copy.
  void Assign(TPersistent* source) override;
  // Replaces the bytes by everything from the stream's position to its end.
  virtual void LoadFromStream(TStream& stream);
  // Writes the bytes at the stream's position.
  virtual void SaveToStream(TStream& stream);
  // Reads the whole file (opened read-only); EFOpenError when it cannot be opened.
  virtual void LoadFromFile(const String& fileName);
  // Creates the file and writes the bytes; EFCreateError when it cannot be created.
  virtual void SaveToFile(const String& fileName);
  // Empties the wave.
  void Clear();

  // Layout "Data": the wave file image, written always.
  void DefineProperties(TFiler& filer) override;

 private:
  // Stops the background sound when it plays from these bytes.
  void StopIfSounding();
  // The bytes changed: marks the wave modified and tells OnChange.
  void Changed();
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

  std::unique_ptr<TMemoryStream> FData;  // the wave file image; owned
  bool FModified = false;                // new bytes arrived since the owner cleared it
  TNotifyEvent FOnChange;                // the owner's handler
};

// True when bytes of that size hold a RIFF WAVE file whose chunks all lie inside them and
// that has a "fmt " and a "data" chunk: what the system may read without running past the
// end of the block.
bool IsCompleteWave(const void* bytes, int size);

// ---- TepWavePlayer ----------------------------------------------------------------------------------
enum TepWavePlayOpt { wpoSync, wpoAsync, wpoNoDefault, wpoLoop, wpoNoStop };
using TOptionsSet = TSet<TepWavePlayOpt>;

// The system's play flags of a set of options: play from memory, plus background, no
// default sound, loop and no-stop as the options say (wpoSync adds nothing).
UINT WavePlayFlags(TOptionsSet options);

class TepWavePlayer : public TComponent {
  CLASSLIB_CLASS(TepWavePlayer, TComponent)
  static const TPropertyTable* PublishedProperties();
  explicit TepWavePlayer(TComponent* owner);
  // Stops any sound and frees the wave.
  ~TepWavePlayer() override;

  // ---- Attributes ------------------------------------------------------------------------------
  // Plays only when True.
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  TOptionsSet GetOptions() const { return FOptions; }
  void SetOptions(TOptionsSet value);
  // The sound; owned. SetWave copies value's bytes.
  TepWave* GetWave() const { return FWave.get(); }
  void SetWave(TepWave* value);
  // The flags Play hands to the system.
  UINT GetPlayFlags() const { return FPlayFlags; }

  // ---- Operations ------------------------------------------------------------------------------
  // BeforePlay; when Enabled, plays the wave with the play flags (an empty wave stops the
  // sound playing); AfterPlay.
  void Play();

  // ---- Events ------------------------------------------------------------------------------
  const TNotifyEvent& GetBeforePlay() const { return FBeforePlay; }
  void SetBeforePlay(TNotifyEvent handler) { FBeforePlay = std::move(handler); }
  const TNotifyEvent& GetAfterPlay() const { return FAfterPlay; }
  void SetAfterPlay(TNotifyEvent handler) { FAfterPlay = std::move(handler); }

 private:
  bool FEnabled = true;                // plays only when True
  TOptionsSet FOptions{wpoSync};       // how to play
  UINT FPlayFlags;                     // the system's flags for FOptions
  std::unique_ptr<TepWave> FWave;      // the sound; owned
  TNotifyEvent FBeforePlay;
  TNotifyEvent FAfterPlay;
};
