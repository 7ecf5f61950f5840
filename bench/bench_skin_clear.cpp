// What a skin of many objects costs after its load: cleared, refused, replaced and freed,
// against loading it. The skins are "cskn" files of 1,000, 10,000 and 100,000 minimal
// objects (each a TSeSkinObject in the shortest text form, no bitmaps), made in memory.
// For each size, one run of each in turn:
// - load: a new skin source reads the file (the reference; freed untimed);
// - refuse: the file cut short after its last object (its checksum missing) is read and
//   refused, and the source cleared, as the skin engine does with a skin it cannot load;
// - replace: a loaded source reads another skin (an empty one), which clears it first;
// - clear: a loaded source is cleared;
// - free: a loaded source is freed, as the engine's destructor frees it.
// The loaded sources are made before each run, untimed. Prints, per size, each one's best
// and median of N runs (default 3) and the median of the turns' ratios to the load.
// Usage: bench_skin_clear [runs].
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "BenchTiming.h"
#include "controls/skin/SkinRegistration.h"
#include "controls/skin/engine/SkinSource.h"
#include "controls/skin/engine/SkinStreams.h"
#include "controls/skin/engine/ZlibStreams.h"

namespace {

constexpr int kDefaultRuns = 3;
constexpr int kMaxRuns = 100;
using Bytes = std::vector<unsigned char>;

Bytes BytesOf(TMemoryStream& stream) {
  const auto* first = static_cast<const unsigned char*>(stream.GetMemory());
  return Bytes(first, first + stream.GetSize());
}

// A "cskn" file of count minimal objects: five empty header strings, no bitmaps, and each
// object its class name and the shortest text form of it (no properties).
Bytes SkinOf(int count) {
  TMemoryStream file;
  file.WriteBuffer("TQLZ", 4);
  TCompressionStream z(1, file);
  for (int i = 0; i < 5; ++i) WriteStreamString(z, L"");
  const int32_t bitmaps = 0, objects = count;
  z.WriteBuffer(&bitmaps, 4);
  z.WriteBuffer(&objects, 4);
  for (int i = 0; i < count; ++i) {
    WriteStreamString(z, L"TSeSkinObject");
    WriteStreamString(z, L"object TSeSkinObject\r\nend\r\n");
  }
  z.Finish();
  return BytesOf(file);
}

void LoadInto(TSeSkinSource& source, const Bytes& file) {
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<int>(file.size()));
  stream.SetPosition(0);
  source.LoadFromStream(stream);
}

std::unique_ptr<TSeSkinSource> Loaded(const Bytes& file) {
  auto source = std::make_unique<TSeSkinSource>(nullptr);
  LoadInto(*source, file);
  return source;
}

int Run(int runs) {
  RegisterSkinClasses();
  std::printf("skin clearing against loading, %d runs (%s)\n", runs, BuildKind());
  const Bytes empty = SkinOf(0);
  for (int count : {1000, 10000, 100000}) {
    const Bytes file = SkinOf(count);
    const Bytes cut(file.begin(), file.end() - 4);  // the checksum after the last object missing
    std::unique_ptr<TSeSkinSource> source;
    const std::vector<TurnTiming> t = MeasureRounds(
        runs,
        {Turn{[&] { source.reset(); },
              [&] {
                source = Loaded(file);
                if (source->Count() != count) std::abort();
              }},
         Turn{[&] { source = std::make_unique<TSeSkinSource>(nullptr); },
              [&] {
                try {
                  LoadInto(*source, cut);
                  std::abort();  // a cut file must be refused
                } catch (const EReadError&) {
                  source->Clear();
                }
              }},
         Turn{[&] { source = Loaded(file); },
              [&] {
                LoadInto(*source, empty);
                if (source->Count() != 0) std::abort();
              }},
         Turn{[&] { source = Loaded(file); }, [&] { source->Clear(); }},
         Turn{[&] { source = Loaded(file); }, [&] { source.reset(); }}});
    source.reset();
    std::printf("%d objects, file %.1f KB\n", count, file.size() / 1024.0);
    const char* names[] = {"load", "refuse", "replace", "clear", "free"};
    for (size_t i = 0; i < t.size(); ++i)
      std::printf("  %-8s best %10.3f ms  median %10.3f ms  /load, median of the turns %6.2f\n", names[i],
                  t[i].Time.Best, t[i].Time.Median, t[i].RatioToFirst);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_clear", kDefaultRuns, kMaxRuns, Run);
}
