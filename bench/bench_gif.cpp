// GIF decoding speed: our LZW decoder against the reference decoder, in the same run.
//
// Makes three 1024 x 768 GIF files in memory with our encoder: a photo-like picture of 256
// colours (gradients with fine detail and noise), the same picture interlaced, and a
// 16-frame animation. Then times, over several runs, the reference decoder reading each
// file whole (DGifSlurp from memory: parsing and decoding every frame) and our decoder
// decoding every frame's data into DIB rows (the frames parsed once beforehand, since
// parsing only copies the sub-blocks), and prints both and their ratio. Usage:
// bench_gif [runs] (default 11).
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <gif_lib.h>

#include "BenchTiming.h"
#include "classlib/classes/Streams.h"
#include "controls/extended/RxGIF.h"
#include "controls/extended/RxGIFCodec.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
using Bytes = std::vector<uint8_t>;

void Put(Bytes& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
}
void Word(Bytes& out, int v) { Put(out, {v & 0xFF, v >> 8}); }

// Index rows top-down of a photo-like picture: smooth areas, fine detail and some noise.
std::vector<uint8_t> Picture(int shift) {
  std::mt19937 random(42 + shift);
  std::vector<uint8_t> pixels(size_t(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int smooth = (x + shift * 8) * 96 / kWidth + y * 96 / kHeight;
      const int detail = ((x ^ y) & 31) < 4 ? 40 : 0;
      pixels[size_t(y) * kWidth + x] = static_cast<uint8_t>((smooth + detail + random() % 6) & 0xFF);
    }
  return pixels;
}

Bytes MakeGif(int frames, bool interlaced) {
  Bytes gif{'G', 'I', 'F', '8', '9', 'a'};
  Word(gif, kWidth);
  Word(gif, kHeight);
  Put(gif, {0xF7, 0, 0});
  for (int i = 0; i < 256; ++i) Put(gif, {i, (i * 3) & 0xFF, 255 - i});
  const size_t row = rxgif::DibRowBytes(kWidth, 8);
  for (int f = 0; f < frames; ++f) {
    Put(gif, {0x21, 0xF9, 4, 4, 10, 0, 0, 0, 0x2C});
    Word(gif, 0);
    Word(gif, 0);
    Word(gif, kWidth);
    Word(gif, kHeight);
    Put(gif, {interlaced ? 0x40 : 0});
    const std::vector<uint8_t> pixels = Picture(f);
    std::vector<uint8_t> dib(row * kHeight);
    for (int y = 0; y < kHeight; ++y)
      std::memcpy(dib.data() + row * (kHeight - 1 - y), pixels.data() + size_t(y) * kWidth, kWidth);
    TMemoryStream out;
    rxgif::EncodeLZW(dib.data(), rxgif::TDibLayout{kWidth, kHeight, 8, interlaced}, out);
    const auto* p = static_cast<const uint8_t*>(out.GetMemory());
    gif.insert(gif.end(), p, p + out.GetSize());
  }
  gif.push_back(0x3B);
  return gif;
}

struct TInput {
  const Bytes* Data;
  size_t Pos;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* input = static_cast<TInput*>(gif->UserData);
  const size_t n = std::min<size_t>(size_t(count), input->Data->size() - input->Pos);
  std::memcpy(buffer, input->Data->data() + input->Pos, n);
  input->Pos += n;
  return int(n);
}

void ReferenceDecode(const Bytes& bytes) {
  TInput input{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
  if (!gif || DGifSlurp(gif) != GIF_OK) throw std::runtime_error("reference decoder failed");
  DGifCloseFile(gif, &error);
}

int Run(int runs) {
  std::printf("bench_gif: %d x %d, %d runs (%s)\n", kWidth, kHeight, runs, BuildKind());
  struct Case {
    const char* Name;
    Bytes File;
  };
  std::vector<Case> cases;
  cases.push_back({"photo-like", MakeGif(1, false)});
  cases.push_back({"interlaced", MakeGif(1, true)});
  cases.push_back({"16 frames", MakeGif(16, false)});
  int worse = 0;
  for (const Case& c : cases) {
    TGIFImage image;
    TMemoryStream stream;
    stream.WriteBuffer(c.File.data(), int(c.File.size()));
    stream.SetPosition(0);
    image.LoadFromStream(stream);
    std::vector<uint8_t> dib(rxgif::DibRowBytes(kWidth, 8) * kHeight);
    const Timing ours = Measure(runs, [&] {
      for (int i = 0; i < image.GetCount(); ++i) {
        TGIFFrame* frame = image.GetFrame(i);
        TGIFItem* item = frame->GetItem();
        std::memset(dib.data(), 0, dib.size());
        rxgif::DecodeLZW(static_cast<const uint8_t*>(item->ImageData.GetMemory()),
                         size_t(item->ImageData.GetSize()),
                         rxgif::TDibLayout{kWidth, kHeight, 8, frame->GetInterlaced()}, 8, dib.data(), true);
      }
    });
    const Timing reference = Measure(runs, [&] { ReferenceDecode(c.File); });
    const double ratio = ours.Median / reference.Median;
    std::printf("%-11s %7zu bytes  ours best %8.2f ms median %8.2f ms   reference best %8.2f ms median %8.2f ms   ours/reference %.2f\n",
                c.Name, c.File.size(), ours.Best, ours.Median, reference.Best, reference.Median, ratio);
    if (ratio > 1.2) ++worse;
  }
  std::printf("%s\n", worse ? "ours is slower than 1.2 x the reference on some case" : "ours within 1.2 x the reference");
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunBenchmark(argc, argv, "bench_gif", 11, 1000, Run); }
