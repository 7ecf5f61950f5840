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
// the decoders' own difference shows.
//
// Then plays, through an animator's composition one step a frame as its timer would, two
// animations whose bitmaps take more than the decoded budget: a 1920 x 1080 one of 20 frames
// (its frames one colour each), three loops, printing the frames decoded in the last loop
// against those that do not fit and the median time of a step; and a 1200 x 1200 one of 40
// transparent frames, played twice with disposal 3 (restore to previous: each step composes
// the picture afresh) and with disposal 1, printing the median time of a step of each.
// Usage: bench_gif [runs] (default 11).
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
#include "controls/extended/GIFCtrl.h"
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

// Appends an image of the screen's size at (0, 0) made of the DIB rows (8 bits, bottom-up).
void PutImage(Bytes& gif, int width, int height, bool interlaced, const std::vector<uint8_t>& dib) {
  Put(gif, {0x2C});
  Word(gif, 0);
  Word(gif, 0);
  Word(gif, width);
  Word(gif, height);
  Put(gif, {interlaced ? 0x40 : 0});
  TMemoryStream out;
  rxgif::EncodeLZW(dib.data(), rxgif::TDibLayout{width, height, 8, interlaced}, out);
  const auto* p = static_cast<const uint8_t*>(out.GetMemory());
  gif.insert(gif.end(), p, p + out.GetSize());
}

Bytes MakeGif(int frames, bool interlaced) {
  Bytes gif{'G', 'I', 'F', '8', '9', 'a'};
  Word(gif, kWidth);
  Word(gif, kHeight);
  Put(gif, {0xF7, 0, 0});
  for (int i = 0; i < 256; ++i) Put(gif, {i, (i * 3) & 0xFF, 255 - i});
  const size_t row = rxgif::DibRowBytes(kWidth, 8);
  for (int f = 0; f < frames; ++f) {
    Put(gif, {0x21, 0xF9, 4, 4, 10, 0, 0, 0});
    const std::vector<uint8_t> pixels = Picture(f);
    std::vector<uint8_t> dib(row * kHeight);
    for (int y = 0; y < kHeight; ++y)
      std::memcpy(dib.data() + row * (kHeight - 1 - y), pixels.data() + size_t(y) * kWidth, kWidth);
    PutImage(gif, kWidth, kHeight, interlaced, dib);
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

// A GIF of frames of the screen's size, each filled with one index of a grey table; with a
// transparent index (one that no pixel holds) and the disposal method when disposal >= 0.
Bytes MakeFlatGif(int width, int height, int frames, int disposal) {
  Bytes gif{'G', 'I', 'F', '8', '9', 'a'};
  Word(gif, width);
  Word(gif, height);
  Put(gif, {0xF7, 0, 0});
  for (int i = 0; i < 256; ++i) Put(gif, {i, i, i});
  std::vector<uint8_t> dib(rxgif::DibRowBytes(width, 8) * size_t(height));
  for (int f = 0; f < frames; ++f) {
    if (disposal >= 0) Put(gif, {0x21, 0xF9, 4, (disposal << 2) | 1, 5, 0, 255, 0});
    std::fill(dib.begin(), dib.end(), uint8_t(f * 6 + 1));
    PutImage(gif, width, height, false, dib);
  }
  gif.push_back(0x3B);
  return gif;
}

// Plays the file loops times round through an animator's composition; the frames decoded
// in the last loop and the median milliseconds of a step of the loops after the first.
struct TPlayed {
  int Frames = 0;
  int DecodedInLastLoop = 0;
  double StepMedian = 0;
};

TPlayed Play(const Bytes& gif, int loops) {
  TMemoryStream file;
  file.WriteBuffer(gif.data(), int(gif.size()));
  file.SetPosition(0);
  TRxGIFAnimator animator(nullptr);
  TGIFImage* image = animator.GetImage();
  image->LoadFromStream(file);
  int decoded = 0;
  image->OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const TRect&, const String&) {
    decoded += stage == psStarting;
  };
  TPlayed played;
  played.Frames = image->GetCount();
  std::vector<double> steps;
  for (int loop = 0; loop < loops; ++loop) {
    decoded = 0;
    for (int i = 0; i < played.Frames; ++i) {
      TColor transparent;
      const double ms = TimeOnce([&] { animator.ComposeFrame(i, transparent); });
      if (loop > 0) steps.push_back(ms);
    }
  }
  image->OnProgress = nullptr;
  played.DecodedInLastLoop = decoded;
  played.StepMedian = BestAndMedian(steps).Median;
  return played;
}

void PlayOverTheBudget() {
  {
    constexpr int width = 1920, height = 1080;
    const int fitting =
        int((GIFMaxDecodedBytes - GIFDecodingBytes(width, height)) / GIFKeptBytes(width, height));
    const TPlayed played = Play(MakeFlatGif(width, height, 20, -1), 3);
    std::printf("loop over the budget  %d x %d, %d frames (%d fit the budget): %d decoded in the last loop, a step median %.1f ms\n",
                width, height, played.Frames, fitting, played.DecodedInLastLoop, played.StepMedian);
  }
  constexpr int side = 1200;
  for (int disposal : {3, 1}) {
    const TPlayed played = Play(MakeFlatGif(side, side, 40, disposal), 2);
    std::printf("transparent frames  %d x %d, %d frames, disposal %d: %d decoded in the last loop, a step median %.1f ms\n",
                side, side, played.Frames, disposal, played.DecodedInLastLoop, played.StepMedian);
  }
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
  PlayOverTheBudget();
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunBenchmark(argc, argv, "bench_gif", 11, 1000, Run); }
