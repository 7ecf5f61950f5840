// Loading a compressed skin file of about 2 MB against inflating the same bytes with zlib
// directly. The skin is made here: five bitmaps of soft gradients with noise (about 2:1 under
// zlib, as drawn skin parts compress) and a small object tree, saved in the "cskn" format into
// memory. One run of the load reads the whole skin from memory into a new skin source (inflate,
// bounded reads, the bitmaps made and keyed, the objects read; the bitmaps' device copies are
// made when first drawn from, which the load does not do); the skin loaded is freed before the
// next run, untimed. The reference that does the same work inflates the body into a new buffer
// made by the run (freed before the next run, untimed), as the load writes its pixels into new
// memory every run; the aim, at most 4/3, is against it. The inflate into a buffer made and
// filled beforehand (zlib's own time, without the first writes into new memory) is shown too.
// The three alternate (inflate into new memory, load, inflate in place, inflate into new
// memory …). Prints the best and the median of N runs (default 11) and the median of the
// turns' ratios to the inflate into new memory. Usage: bench_skin_file [runs].
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "BenchTiming.h"
#include "controls/skin/SkinRegistration.h"
#include "controls/skin/engine/SkinSource.h"

namespace {

constexpr int kDefaultRuns = 11;
constexpr int kMaxRuns = 1000;

void MakeSkin(TSeSkinSource& skin) {
  std::mt19937 random(2026);
  for (int b = 0; b < 5; ++b) {
    auto bitmap = std::make_unique<TSeBitmap>();
    bitmap->SetName(L"Part" + IntToStr(b));
    bitmap->SetSize(512, 400);
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 512; ++x) {
        const int noise = static_cast<int>(random() % 8);
        bitmap->SetPixel(x, y, PackPixel((x / 2 + b * 30) & 0xFF, (y / 2) & 0xFF,
                                         ((x + y) / 4 + noise) & 0xFF, 255));
      }
    skin.GetBitmaps()->Add(std::move(bitmap));
  }
  for (const wchar_t* name : {L"CheckBox", L"RadioButton", L"GroupBox"}) {
    auto* root = new TSeSkinObject(&skin);
    root->SetName(name);
    root->SetBoundsRect(TRect(0, 0, 80, 20));
    for (const wchar_t* child : {L"Checked", L"Unchecked", L"Text"}) {
      auto* part = new TSeSkinObject(root);
      part->SetName(child);
      part->SetBoundsRect(TRect(0, 0, 13, 13));
    }
    skin.AddObject(root);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : kDefaultRuns;
  if (runs < 1 || runs > kMaxRuns) runs = kDefaultRuns;
  try {
    RegisterSkinClasses();
    TSeSkinSource skin(nullptr);
    MakeSkin(skin);
    TMemoryStream file;
    skin.SaveToStream(file);
    const auto* bytes = static_cast<const unsigned char*>(file.GetMemory());
    const uLong compressed = static_cast<uLong>(file.GetSize() - 4);
    // The inflated size, for the reference's buffer.
    std::vector<unsigned char> plain(64u << 20);
    uLongf plainSize = static_cast<uLongf>(plain.size());
    if (uncompress(plain.data(), &plainSize, bytes + 4, compressed) != Z_OK) return 1;
    std::printf("skin file: %.2f MB compressed, %.2f MB inflated (%s)\n", file.GetSize() / 1048576.0,
                plainSize / 1048576.0, BuildKind());

    std::unique_ptr<unsigned char[]> fresh;
    std::unique_ptr<TSeSkinSource> loaded;
    const std::vector<TurnTiming> t = MeasureRounds(
        runs, {Turn{[&] { fresh.reset(); },
                    [&] {
                      fresh.reset(new unsigned char[plainSize]);
                      uLongf size = plainSize;
                      if (uncompress(fresh.get(), &size, bytes + 4, compressed) != Z_OK) std::abort();
                    }},
               Turn{[&] {
                      loaded.reset();
                      file.SetPosition(0);
                    },
                    [&] {
                      loaded = std::make_unique<TSeSkinSource>(nullptr);
                      loaded->LoadFromStream(file);
                      if (loaded->Count() != 3) std::abort();
                    }},
               Turn{.Work = [&] {
                      uLongf size = static_cast<uLongf>(plain.size());
                      if (uncompress(plain.data(), &size, bytes + 4, compressed) != Z_OK) std::abort();
                    }}});
    std::printf("into new mem  best %9.3f ms  median %9.3f ms\n", t[0].Time.Best, t[0].Time.Median);
    std::printf("skin load     best %9.3f ms  median %9.3f ms  load/new mem, median of the turns %5.2f\n",
                t[1].Time.Best, t[1].Time.Median, t[1].RatioToFirst);
    std::printf("in place      best %9.3f ms  median %9.3f ms  in place/new mem, median of the turns %5.2f\n",
                t[2].Time.Best, t[2].Time.Median, t[2].RatioToFirst);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_skin_file: %s\n", e.what());
    return 1;
  }
  return 0;
}
