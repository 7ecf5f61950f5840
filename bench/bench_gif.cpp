// GIF decoding speed: our GIF image against the reference decoder, in the same run, each
// doing the same work: from the file's bytes in memory to a new picture of every frame.
//
// Makes three 1024 x 768 GIF files in memory with our encoder: a photo-like picture of 256
// colours (gradients with fine detail and noise), the same picture interlaced, and a
// 16-frame animation. Then times, over several runs:
// - ours: TGIFImage::LoadFromStream over a memory stream of the file (the file parsed, each
//   frame's sub-blocks joined, the first frame decoded), then every frame's bitmap made
//   (GetBitmap: decoded into a DIB of its own, kept device-dependent);
// - the reference: DGifSlurp from memory (the file parsed, every frame decoded into rows of
//   its own), then each frame's rows made a bitmap the way a program using it would: a DIB
//   section with the frame's colours, kept device-dependent like ours, and all of them kept
//   to the end of the run and freed there, as ours are with the image.
// The two sides alternate (reference, ours, …) and the ratio is the median of the pairs'.
// The bitmaps' share (the reference's rows made bitmaps, timed alone) is printed too, so that
// the decoders' own difference shows. Usage: bench_gif [runs] (default 11).
#include <cstdio>
#include <memory>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include <gif_lib.h>

#include "BenchTiming.h"
#include "classlib/classes/Streams.h"
#include "classlib/graphics/Bitmap.h"
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

// The reference's reading of the whole file; freed by the caller with DGifCloseFile.
GifFileType* ReferenceSlurp(const Bytes& bytes) {
  TInput input{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
  if (!gif) throw std::runtime_error("reference decoder failed");
  if (DGifSlurp(gif) != GIF_OK) {
    DGifCloseFile(gif, &error);
    throw std::runtime_error("reference decoder failed");
  }
  return gif;
}

// One frame of the reference's output as a picture: an 8-bit DIB section with the frame's
// colours (or the file's), its rows copied bottom-up, then made device-dependent.
std::unique_ptr<TBitmap> ReferencePicture(const GifFileType* gif, const SavedImage& image) {
  const GifImageDesc& desc = image.ImageDesc;
  const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
  } info{};
  info.Header.biSize = sizeof info.Header;
  info.Header.biWidth = desc.Width;
  info.Header.biHeight = desc.Height;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = 8;
  info.Header.biCompression = BI_RGB;
  for (int i = 0; colors && i < colors->ColorCount && i < 256; ++i) {
    const GifColorType& c = colors->Colors[i];
    info.Colors[i] = RGBQUAD{c.Blue, c.Green, c.Red, 0};
  }
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
  if (!dib) throw std::runtime_error("CreateDIBSection failed");
  const size_t row = rxgif::DibRowBytes(desc.Width, 8);
  for (int y = 0; y < desc.Height; ++y)
    std::memcpy(static_cast<uint8_t*>(bits) + row * size_t(desc.Height - 1 - y),
                image.RasterBits + size_t(y) * size_t(desc.Width), size_t(desc.Width));
  auto picture = std::make_unique<TBitmap>();
  picture->SetHandle(dib);
  picture->SetHandleType(bmDDB);
  return picture;
}

// Every frame made a picture; the pictures are kept together and freed by the caller, as our
// image keeps its frames' bitmaps until it is freed.
std::vector<std::unique_ptr<TBitmap>> ReferencePictures(const GifFileType* gif) {
  std::vector<std::unique_ptr<TBitmap>> pictures;
  for (int i = 0; i < gif->ImageCount; ++i) pictures.push_back(ReferencePicture(gif, gif->SavedImages[i]));
  return pictures;
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
    TMemoryStream file;  // the file's bytes in memory, as our image reads them
    file.WriteBuffer(c.File.data(), int(c.File.size()));
    int frames = 0;
    const Paired p = MeasurePairs(
        runs,
        [&] {
          int error = 0;
          GifFileType* gif = ReferenceSlurp(c.File);
          const auto pictures = ReferencePictures(gif);
          DGifCloseFile(gif, &error);
        },
        [&] {
          TGIFImage image;
          file.SetPosition(0);
          image.LoadFromStream(file);
          frames = image.GetCount();
          for (int i = 0; i < frames; ++i) image.GetFrame(i)->GetBitmap();
        });
    const Timing& ours = p.B;
    const Timing& reference = p.A;
    int error = 0;
    GifFileType* slurped = ReferenceSlurp(c.File);
    const Timing pictures = Measure(runs, [&] { ReferencePictures(slurped); });
    DGifCloseFile(slurped, &error);
    const double ratio = p.Ratio;
    std::printf("%-11s %7zu bytes, %2d frames  ours best %8.2f ms median %8.2f ms   reference best %8.2f ms median %8.2f ms   ours/reference, median of the pairs %.2f\n",
                c.Name, c.File.size(), frames, ours.Best, ours.Median, reference.Best, reference.Median, ratio);
    std::printf("%-11s   of which the bitmaps (the reference's rows made pictures) best %8.2f ms median %8.2f ms\n", "",
                pictures.Best, pictures.Median);
    if (ratio > 1.2) ++worse;
  }
  std::printf("%s\n", worse ? "ours is slower than 1.2 x the reference on some case" : "ours within 1.2 x the reference");
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunBenchmark(argc, argv, "bench_gif", 11, 1000, Run); }
