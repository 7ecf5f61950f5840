// The parsers of files from outside the program (GIF images, animated cursors, icon-list
// streams) fed real files cut at every position, with bits flipped and counts and sizes
// made to lie: well over 100,000 inputs, each parsed and drawn as far as it goes. A
// watchdog ends the run when one input takes too long, and the process's memory is checked
// against the limits the parsers promise.
#define PSAPI_VERSION 2
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <random>

#include "ExtendedTestSupport.h"
#include "GifTestSupport.h"
#include "classlib/system/SysExceptions.h"
#include "controls/extended/AniFile.h"
#include "controls/extended/IcoList.h"

using namespace giftest;
using extended_tests::TDeadline;

namespace {

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
  return counters.PrivateUsage;
}

// The mutants of one seed: every cut, then random bit flips, byte overwrites and lying
// 16- and 32-bit fields.
template <class Parse>
size_t RunMutants(const char* what, const Bytes& seed, size_t randomCount, bool everyCut,
                  TDeadline& watchdog, Parse parse) {
  std::mt19937 random(static_cast<unsigned>(seed.size()) * 7919u);
  size_t inputs = 0;
  size_t peak = 0;
  auto run = [&](const Bytes& input) {
    parse(input);
    watchdog.Progress(what, unsigned(inputs));
    if (++inputs % 256 == 0) peak = std::max(peak, PrivateBytes());
  };
  if (everyCut)
    for (size_t n = 0; n < seed.size(); ++n) run(Bytes(seed.begin(), seed.begin() + n));
  const uint32_t lies[] = {0, 1, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF};
  for (size_t i = 0; i < randomCount; ++i) {
    Bytes input = seed;
    const int edits = 1 + random() % 3;
    for (int e = 0; e < edits && !input.empty(); ++e) {
      const size_t at = random() % input.size();
      switch (random() % 4) {
        case 0: input[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
        case 1: input[at] = static_cast<uint8_t>(random()); break;
        case 2: {
          const uint32_t lie = lies[random() % std::size(lies)];
          for (size_t k = 0; k < 4 && at + k < input.size(); ++k) input[at + k] = static_cast<uint8_t>(lie >> (8 * k));
          break;
        }
        default: input.resize(at); break;
      }
    }
    run(input);
  }
  // One frame of 16 million pixels decoded (its rows, the BMP, the bitmap and its device
  // copy) stays well below this; more would mean an allocation beyond the limits.
  EXPECT_LT(peak, size_t(400) << 20) << what;
  return inputs;
}

void ParseGif(const Bytes& input) {
  TGIFImage image;
  try {
    LoadImage(image, input);
  } catch (const Exception&) {
    return;  // refused with a message: fine
  }
  for (int i = 0; i < image.GetCount(); ++i) {
    try {
      image.GetFrame(i)->GetBitmap();
    } catch (const EInvalidGraphicOperation&) {
      // a frame whose colour count is impossible
    }
  }
  // What was loaded can be written and read again.
  if (image.GetCount() == 0) return;
  TMemoryStream out;
  try {
    image.SaveToStream(out);
  } catch (const EInvalidGraphicOperation&) {
    return;  // a frame that cannot be written ("No GIF Data to write", colour counts)
  }
  out.SetPosition(0);
  TGIFImage again;
  again.LoadFromStream(out);
  EXPECT_EQ(again.GetCount(), image.GetCount());
}

void ParseAni(const Bytes& input) {
  TAnimatedCursorImage cursor;
  try {
    LoadImage(cursor, input);
  } catch (const EReadError&) {
    return;
  }
  for (int i = 0; i < cursor.GetCount(); ++i) {
    try {
      cursor.GetIcon(i)->GetHandle();
    } catch (const EInvalidGraphic&) {
    }
  }
}

void ParseIconList(const Bytes& input) {
  TIconList list;
  try {
    LoadImage(list, input);
  } catch (const Exception&) {
    EXPECT_EQ(list.GetCount(), 0);
  }
}

}  // namespace

TEST(ParserMutations, HundredThousandDamagedInputsNeitherCrashNorHang) {
  TDeadline watchdog(30000);
  size_t inputs = 0;

  TGifBuilder small;
  small.Header(6, 5).Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Raw({3, 1, 0, 0, 0});
  small.Control(10, 1, 2).Image(0, 0, 6, 5, Stripes(6, 5, 4));
  small.Control(10, 2, 3).Image(1, 1, 3, 3, Stripes(3, 3, 3)).Raw({0x21, 0xFE, 2, 'o', 'k', 0}).Trailer();
  inputs += RunMutants("gif built", small.Data, 30000, true, watchdog, ParseGif);
  for (const char* name : {"treescap-interlaced.gif", "gifgrid.gif", "x-trans.gif"})
    inputs += RunMutants(name, ReadFileBytes(ReferenceImage(name)), 10000, true, watchdog, ParseGif);

  const std::vector<Bytes> icons{MakeIconFile(RGB(255, 0, 0)), MakeIconFile(RGB(0, 255, 0))};
  const Bytes ani = MakeAniFile(icons, {0, 1, 0}, {5, 6, 7}, "spin");
  inputs += RunMutants("ani", ani, 30000, true, watchdog, ParseAni);

  TIconList list;
  TIcon icon;
  LoadImage(icon, icons[0]);
  list.Add(&icon);
  list.Put(1, &icon);
  TMemoryStream listStream;
  list.SaveToStream(listStream);
  const auto* p = static_cast<const uint8_t*>(listStream.GetMemory());
  inputs += RunMutants("icon list", Bytes(p, p + listStream.GetSize()), 8000, false, watchdog, ParseIconList);

  EXPECT_GE(inputs, 100000u);
}
