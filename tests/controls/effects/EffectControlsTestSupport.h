// Test support for the effect control bases, labels, bevel, notebook and sounds: layouts read
// into a host, windowless controls painted into a memory surface, the message loop pumped,
// and a small PCM WAVE file made in memory.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "classlib/classes/Layouts.h"
#include "classlib/classes/Streams.h"
#include "classlib/controls/ControlTestSupport.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/MemorySurface.h"

namespace effect_tests {

// Handles what is queued, through the application.
inline void Pump() {
  for (int i = 0; i < 20; ++i) Application->ProcessMessages();
}

// Reads a layout text (the object of the host first, the controls inside it) into host.
inline void ReadLayout(TComponent* host, const String& text) {
  TStringStream stream(text);
  ReadComponentFromStream(stream, host);
}

// Paints a control into the surface, its top-left corner at (0, 0).
inline void PaintInto(TControl* control, MemorySurface& surface) {
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  ::GdiFlush();
}

// The plain colour a system colour stands for now (what a surface pixel reads as).
inline TColor Rgb(TColor color) { return ColorFromInt(static_cast<int32_t>(ColorToRGB(color))); }

// A mono 8-bit PCM WAVE file of `samples` samples at 8000 Hz (a quiet square wave).
inline std::vector<uint8_t> MakeWave(uint32_t samples) {
  std::vector<uint8_t> bytes;
  auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  tag("RIFF");
  u32(4 + 8 + 16 + 8 + samples + (samples & 1));
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);     // PCM
  u16(1);     // mono
  u32(8000);  // samples per second
  u32(8000);  // bytes per second
  u16(1);     // block align
  u16(8);     // bits per sample
  tag("data");
  u32(samples);
  for (uint32_t i = 0; i < samples; ++i) bytes.push_back((i / 8) % 2 ? 136 : 120);
  if (samples & 1) bytes.push_back(0);
  return bytes;
}

// The bytes as a memory stream positioned at its start.
inline void FillStream(TMemoryStream& stream, const std::vector<uint8_t>& bytes) {
  stream.SetSize(static_cast<int64_t>(bytes.size()));
  if (!bytes.empty()) std::memcpy(stream.GetMemory(), bytes.data(), bytes.size());
  stream.SetPosition(0);
}

}  // namespace effect_tests
