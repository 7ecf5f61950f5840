// TGIFImage: reading, writing and assignment, with the damaged and lying files the decoder
// must survive and the faults that were mended (named in each test).
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <functional>
#include <random>
#include <stdexcept>

#include "GifTestSupport.h"
#include "classlib/system/SysExceptions.h"
#include "tests/classlib/graphics/MemorySurface.h"
#include "controls/extended/GIFCtrl.h"
#include "controls/extended/RxGIFCodec.h"

using namespace giftest;

namespace {

Bytes TwoFrames() {
  TGifBuilder gif;
  gif.Header(4, 3).Control(5).Image(0, 0, 4, 3, Stripes(4, 3, 4)).Control(7, 2, 2).Image(1, 1, 2, 2, {1, 2, 3, 0});
  return gif.Trailer().Data;
}

std::vector<uint8_t> Decode(const Bytes& data, int width, int height, bool interlaced, bool* corrupt,
                            int depth = 8) {
  std::vector<uint8_t> dib(rxgif::DibRowBytes(width, depth) * height, 0);
  *corrupt = rxgif::DecodeLZW(data.data(), data.size(), rxgif::TDibLayout{width, height, depth, interlaced},
                              depth, dib.data(), true);
  return dib;
}

}  // namespace

TEST(GifCodec, InterlacedFrameOfThreeRowsFillsRowsZeroTwoOne) {
  // Three literal codes per row, each row one value: 1, 2, 3 in file order.
  TGifBuilder raw;
  raw.Image(0, 0, 1, 3, {1, 2, 3});
  const Bytes data(raw.Data.begin() + 10, raw.Data.end());
  bool corrupt;
  const std::vector<uint8_t> dib = Decode(data, 1, 3, true, &corrupt);
  EXPECT_FALSE(corrupt);
  // DIB rows are bottom-up, 4 bytes each: image row 0 got 1, row 2 got 2, row 1 got 3.
  EXPECT_EQ(dib[8], 1);
  EXPECT_EQ(dib[0], 2);
  EXPECT_EQ(dib[4], 3);
}

TEST(GifCodec, DamagedCodeStreamsEndInsideTheFrame) {
  // Code size 2 (clear 4, end 5), 3-bit codes, one-byte sub-blocks.
  struct Case {
    const char* What;
    Bytes Data;
    bool Corrupt;
  };
  const Case cases[] = {
      // No clear code first: the first code is a literal.
      {"missing first clear code", {2, 1, 0x09, 1, 0x0A, 0}, false},
      // A code beyond the next free one.
      {"code beyond the table", {2, 1, 0x3C, 1, 0x07, 0}, true},
      // Sub-blocks of one byte each carry 3-bit codes across their boundaries.
      {"one-byte sub-blocks", {2, 1, 0x4C, 1, 0x0A, 1, 0x05, 0}, false},
      // Code size out of range is clamped and marked.
      {"code size 12", {12, 1, 0x4C, 1, 0x0A, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    bool corrupt = false;
    std::vector<uint8_t> dib;
    try {
      dib = Decode(c.Data, 2, 2, false, &corrupt);
    } catch (const EReadError&) {
      corrupt = true;  // the data ended before the picture: also acceptable here
    }
    EXPECT_EQ(corrupt, c.Corrupt);
  }
  // A sub-block claiming more bytes than there are, and data that simply stops.
  bool corrupt = false;
  EXPECT_THROW(Decode(Bytes{2, 200, 0x4C}, 8, 8, false, &corrupt), EReadError);
  EXPECT_THROW(Decode(Bytes{2}, 8, 8, false, &corrupt), EReadError);
}

TEST(GifCodec, ACodeAboveTheNextFreeEntryIsCorruptWhileTheNextFreeOneDecodes) {
  // Code size 2 (clear 4, end 5, first free 6), 3-bit codes: clear, the literal 1, then a
  // table code, then the end code. After one literal the next free entry is 6.
  // Code 6 is the entry being made (the previous string and its own first character): 1 1.
  bool corrupt = true;
  std::vector<uint8_t> dib = Decode(Bytes{2, 2, 0x8C, 0x0B, 0}, 3, 1, false, &corrupt);
  EXPECT_FALSE(corrupt);
  EXPECT_EQ(dib[0], 1);
  EXPECT_EQ(dib[1], 1);
  EXPECT_EQ(dib[2], 1);
  // Code 7 names an entry that does not exist yet.
  corrupt = false;
  dib = Decode(Bytes{2, 2, 0xCC, 0x0B, 0}, 3, 1, false, &corrupt);
  EXPECT_TRUE(corrupt);
  EXPECT_EQ(dib[0], 1) << "what came before stays";
  EXPECT_EQ(dib[1], 0) << "nothing is written for the bad code";
}

TEST(GifCodec, StopsWhenAllRowsAreFilledWithoutAnEndCode) {
  TGifBuilder raw;
  raw.Image(0, 0, 3, 2, {1, 1, 1, 1, 1, 1});
  Bytes data(raw.Data.begin() + 10, raw.Data.end());
  data.resize(data.size() - 2);  // the end code's byte and the terminator are gone
  data.back() &= 0x0F;
  bool corrupt = true;
  const std::vector<uint8_t> dib = Decode(data, 3, 2, false, &corrupt);
  EXPECT_FALSE(corrupt);
  EXPECT_EQ(dib[0], 1);
  EXPECT_EQ(dib[6], 1);
}

TEST(GifImage, ReadsFramesExtensionsAndLoopingAsTheFileSays) {
  TGifBuilder gif;
  gif.Text("gif89A").Word(4).Word(3).Raw({0x81, 1, 0});  // lower-case signature, upper-case A
  for (int i = 0; i < 4; ++i) gif.Raw({i * 60, i * 60, i * 60});
  gif.Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Raw({3, 1, 0x60, 0xEA, 0});  // 60000 loops
  gif.Control(3).Control(9, 1, 3);  // two controls: the larger delay, the last's transparency
  gif.Raw({0x21, 0xFE, 2}).Text("hi").Raw({0});
  gif.Image(0, 0, 0, 0, {});  // width and height 0: the screen's
  TGIFImage image;
  LoadImage(image, gif.Trailer().Data);
  ASSERT_EQ(image.GetCount(), 1);
  EXPECT_EQ(image.GetVersion(), gv89a);
  EXPECT_TRUE(image.GetLooping());
  EXPECT_EQ(image.GetRepeatCount(), 30000);
  EXPECT_EQ(image.GetBackgroundColor(), RGBColor(60, 60, 60));
  TGIFFrame* frame = image.GetFrame(0);
  EXPECT_EQ(frame->GetItem()->Size.X, 4);
  EXPECT_EQ(frame->GetItem()->Size.Y, 3);
  EXPECT_EQ(frame->GetAnimateInterval(), 90u);
  EXPECT_EQ(frame->GetTransparentIndex(), 1);
  EXPECT_EQ(frame->GetDisposalMethod(), 3);
  EXPECT_EQ(frame->GetComment()->Get(0), L"hi");
}

TEST(GifImage, PlainTextDropsEarlierExtensionsAndTrailingCommentsJoin) {
  TGifBuilder gif;
  gif.Header(2, 2).Control(50, 1);
  gif.Raw({0x21, 0x01, 12, 0, 0, 0, 0, 2, 0, 2, 0, 1, 1, 0, 0, 1, 'x', 0});  // plain text
  gif.Image(0, 0, 2, 2, {0, 1, 2, 3});
  gif.Raw({0x21, 0xFE, 1, 'a', 0, 0x21, 0xFE, 1, 'b', 0});
  TGIFImage image;
  LoadImage(image, gif.Trailer().Data);
  ASSERT_EQ(image.GetCount(), 1);
  EXPECT_EQ(image.GetFrame(0)->GetAnimateInterval(), 0u);
  EXPECT_EQ(image.GetFrame(0)->GetTransparentColor(), clNone);
  ASSERT_EQ(image.GetComment()->GetCount(), 3);
  EXPECT_EQ(image.GetComment()->Get(1), L"\r\n\r\n");
}

TEST(GifImage, TruncatedFrameKeepsItsRowsAndEndsTheReading) {
  const Bytes whole = TwoFrames();
  TGIFImage reference;
  LoadImage(reference, whole);
  ASSERT_EQ(reference.GetCount(), 2);
  // Cut inside the first frame's data: one frame, corrupted, decodable as far as it goes.
  const size_t firstImage = 13 + 12 + 8;
  Bytes cut(whole.begin(), whole.begin() + firstImage + 13);
  TGIFImage image;
  LoadImage(image, cut);
  ASSERT_EQ(image.GetCount(), 1);
  EXPECT_TRUE(image.GetFrame(0)->GetCorrupted());
  EXPECT_TRUE(image.GetCorrupted());
  EXPECT_FALSE(image.GetFrame(0)->GetBitmap()->GetEmpty());
  // A sub-block claiming more than remains: the frame stops there, and nothing after it
  // is read as blocks.
  Bytes lying = whole;
  lying[firstImage + 11] = 250;
  TGIFImage second;
  LoadImage(second, lying);
  EXPECT_EQ(second.GetCount(), 1);
  EXPECT_TRUE(second.GetFrame(0)->GetCorrupted());
}

TEST(GifImage, RefusesSizesBeyondTheLimitsAndLyingByteCounts) {
  for (int side : {32769, 60000}) {
    TGifBuilder gif;
    gif.Header(side, 2).Image(0, 0, 1, 1, {0});
    TGIFImage image;
    EXPECT_THROW(LoadImage(image, gif.Trailer().Data), EInvalidGraphicOperation);
    EXPECT_EQ(image.GetCount(), 0);
  }
  TGifBuilder big;  // each side allowed, but more than 16 million pixels
  big.Header(2, 2).Raw({0x2C}).Word(0).Word(0).Word(32768).Word(32768).Raw({0, 2, 0});
  TGIFImage image;
  EXPECT_THROW(LoadImage(image, big.Trailer().Data), EInvalidGraphicOperation);
  // More large frames than the decoded budget holds at once: every one is read (the budget
  // bounds the bitmaps held, see GifImageBudget).
  const int fitting =
      static_cast<int>((GIFMaxDecodedBytes - GIFDecodingBytes(2048, 2048)) / GIFKeptBytes(2048, 2048));
  TGifBuilder many;
  many.Header(2048, 2048);
  for (int i = 0; i < fitting + 2; ++i) many.Image(0, 0, 0, 0, {});
  TGIFImage manyImage;
  LoadImage(manyImage, many.Trailer().Data);
  EXPECT_EQ(manyImage.GetCount(), fitting + 2);
  EXPECT_FALSE(manyImage.GetCorrupted());
  // A frame placed far beyond the screen is kept, and the screen written stays readable.
  TGifBuilder distant;
  distant.Header(4, 4).Image(40000, 30000, 2, 2, {0, 1, 2, 3});
  TGIFImage farImage;
  LoadImage(farImage, distant.Trailer().Data);
  TGIFImage farBack;
  LoadImage(farBack, SaveImage(farImage));
  EXPECT_EQ(farBack.GetFrame(0)->GetOrigin().X, 40000);
  EXPECT_LE(int64_t{farBack.GetScreenWidth()} * farBack.GetScreenHeight(), GIFMaxPixels);
  // Stored data whose byte count exceeds what the stream holds.
  TMemoryStream stream;
  const int32_t count = 1000;
  stream.WriteBuffer(&count, 4);
  stream.WriteBuffer(TwoFrames().data(), 40);
  stream.SetPosition(0);
  EXPECT_THROW(image.ReadData(stream), EReadError);
}

TEST(GifImage, WritesWhatItReadsAndMendsTheWritingFaults) {
  TGIFImage image;
  LoadImage(image, TwoFrames());
  const Bytes saved = SaveImage(image);
  TGIFImage back;
  LoadImage(back, saved);
  ASSERT_EQ(back.GetCount(), 2);
  EXPECT_EQ(OurIndices(back.GetFrame(0)), Stripes(4, 3, 4));
  EXPECT_EQ(back.GetFrame(1)->GetTransparentIndex(), 2);
  EXPECT_EQ(back.GetFrame(1)->GetDisposalMethod(), 2);
  EXPECT_EQ(back.GetFrame(1)->GetAnimateInterval(), 70u);

  // A delay beyond 655.35 seconds is written as the largest the field holds, not wrapped.
  image.GetFrame(0)->SetAnimateInterval(700000);
  // A comment line longer than 255 bytes is cut; the version becomes 89a.
  image.GetComment()->Add(String(300, L'x'));
  image.GetComment()->Add(L"练习动画");  // comments are GBK bytes in the file
  LoadImage(back, SaveImage(image));
  EXPECT_EQ(back.GetFrame(0)->GetAnimateInterval(), 655350u);
  EXPECT_EQ(back.GetComment()->Get(0).size(), 255u);
  EXPECT_EQ(back.GetComment()->Get(1), L"练习动画");

  // One frame: no looping extension even with Looping set.
  TGIFImage single;
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf8bit);
  bitmap.SetSize(3, 3);
  single.AddFrame(&bitmap);
  single.SetLooping(true);
  const Bytes one = SaveImage(single);
  EXPECT_EQ(std::search(one.begin(), one.end(), "NETSCAPE", "NETSCAPE" + 8), one.end());
  EXPECT_EQ(std::string(one.begin(), one.begin() + 6), "GIF87a");
}

TEST(GifImage, ColourTablesAreWrittenWithTheLengthTheyDeclare) {
  // A global table of 3 colours is written as the 4 entries its size field declares.
  TGIFImage image;
  LoadImage(image, TwoFrames());
  TGIFColorTable& global = const_cast<TGIFColorTable&>(image.GetData()->ColorMap);
  global.Count = 3;
  const Bytes saved = SaveImage(image);
  EXPECT_EQ(saved[10] & 7, 1);
  const TRefImage ref = ReferenceDecode(saved);
  ASSERT_TRUE(ref.Ok);
  EXPECT_EQ(ref.Frames.size(), 2u);
}

TEST(GifImage, TransparencyKeysOnThePaletteIndex) {
  // Entries 0 and 2 have the same colour; only index 2 is transparent.
  TGifBuilder gif;
  gif.Text("GIF89a").Word(2).Word(2).Raw({0x81, 0, 0});
  gif.Raw({10, 20, 30, 200, 0, 0, 10, 20, 30, 0, 0, 200});
  gif.Control(0, 2).Image(0, 0, 2, 2, {0, 2, 1, 0});
  TGIFImage image;
  LoadImage(image, gif.Trailer().Data);
  TGIFFrame* frame = image.GetFrame(0);
  TBitmap* bitmap = frame->GetBitmap();
  // The table's colours stay: drawn opaque, the picture holds only colours of the file.
  EXPECT_EQ(frame->GetTransparentColor(), RGBColor(10, 20, 30));
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(0, 0), RGBColor(10, 20, 30));
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(1, 0), RGBColor(10, 20, 30));
  // Drawn transparently, only the pixel of index 2 lets the background through.
  for (int pass = 0; pass < 2; ++pass) {  // the second time with the mask lent back
    MemorySurface surface(2, 2, clLime);
    frame->Draw(&surface.Canvas, TRect{0, 0, 2, 2}, true);
    EXPECT_EQ(surface.At(0, 0), RGBColor(10, 20, 30));
    EXPECT_EQ(surface.At(1, 0), clLime);
    EXPECT_EQ(surface.At(0, 1), RGBColor(200, 0, 0));
    EXPECT_EQ(surface.At(1, 1), RGBColor(10, 20, 30));
  }
  // Written back, the transparent index is still 2.
  TGIFImage back;
  LoadImage(back, SaveImage(image));
  EXPECT_EQ(back.GetFrame(0)->GetTransparentIndex(), 2);
}

TEST(GifImage, AssignedImagesShareHeaderDataUntilOneChangesIt) {
  TGIFImage first;
  LoadImage(first, TwoFrames());
  first.GetComment()->Add(L"first");
  TGIFImage second;
  second.Assign(&first);
  EXPECT_TRUE(second.Equals(&first));
  second.GetComment()->Add(L"second");
  EXPECT_EQ(first.GetComment()->GetCount(), 1);
  EXPECT_EQ(second.GetComment()->GetCount(), 2);
  EXPECT_FALSE(second.Equals(&first));
  EXPECT_EQ(second.GetCount(), 2);
  EXPECT_EQ(OurIndices(second.GetFrame(0)), Stripes(4, 3, 4));
}

TEST(GifImage, EmptyImageAnswersAndRefusesAsItShould) {
  TGIFImage image;
  EXPECT_TRUE(image.GetEmpty());
  EXPECT_EQ(image.GetWidth(), 0);
  EXPECT_THROW(image.SetWidth(5), EInvalidGraphicOperation);
  // Asked for its bitmap, an image without frames is assigned an empty bitmap: one frame,
  // current, and the change reported.
  TGIFImage blank;
  int changes = 0;
  blank.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(blank.GetBitmap()->GetEmpty());
  EXPECT_EQ(blank.GetCount(), 1);
  EXPECT_EQ(blank.GetFrameIndex(), 0);
  EXPECT_EQ(changes, 1);
  TMemoryStream stream;
  EXPECT_THROW(image.SaveToStream(stream), EInvalidGraphicOperation);
  EXPECT_THROW(LoadImage(image, Bytes{'G', 'I', 'F', '8', '8', 'a'}), EInvalidGraphicOperation);
  // After the trailing extensions, a byte that starts no block.
  TGifBuilder stray;
  stray.Header(2, 2).Image(0, 0, 2, 2, {0, 1, 2, 3}).Raw({0x21, 0xFF, 3, 'a', 'b', 'c', 0, 0x55});
  EXPECT_THROW(LoadImage(image, stray.Data), EInvalidGraphicOperation);
  TGifBuilder unknown;
  unknown.Header(2, 2).Raw({0x21, 0x77, 0});
  try {
    LoadImage(image, unknown.Data);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), L"Unrecognized extension block: 77");
  }
}

TEST(GifImage, AFrameWithoutAnyColourTableRaisesAndIsMarkedCorrupted) {
  // No screen table; the first frame has a table of its own, the second none.
  TGifBuilder gif;
  gif.Text("GIF89a").Word(2).Word(2).Raw({0, 0, 0});
  gif.Raw({0x2C}).Word(0).Word(0).Word(2).Word(2).Raw({0x80, 10, 20, 30, 40, 50, 60});
  const Bytes data = Encode({0, 1, 1, 0}, 2, 2, 8, false);
  gif.Data.insert(gif.Data.end(), data.begin(), data.end());
  gif.Image(0, 0, 2, 2, {0, 1, 1, 0});
  TGIFImage image;
  LoadImage(image, gif.Trailer().Data);
  ASSERT_EQ(image.GetCount(), 2);
  EXPECT_FALSE(image.GetFrame(0)->GetBitmap()->GetEmpty());
  try {
    image.GetFrame(1)->GetBitmap();
    FAIL() << "decoded without colours";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), L"Wrong number of colors; must be a power of 2");
  }
  EXPECT_TRUE(image.GetFrame(1)->GetCorrupted());
}

TEST(GifImage, TravelsThroughTheClipboardAndRefusesALyingByteCount) {
  TGIFImage image;
  LoadImage(image, TwoFrames());
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  UINT format;
  HANDLE data;
  HPALETTE palette;
  image.SaveToClipboardFormat(format, data, palette);
  ::SetClipboardData(format, data);
  ::CloseClipboard();

  ASSERT_TRUE(::OpenClipboard(nullptr));
  TGIFImage back;
  back.LoadFromClipboardFormat(CF_BITMAP, ::GetClipboardData(CF_BITMAP), nullptr);
  ::CloseClipboard();
  ASSERT_EQ(back.GetCount(), 2);
  EXPECT_EQ(OurIndices(back.GetFrame(1)), (std::vector<uint8_t>{1, 2, 3, 0}));

  // A block whose byte count claims more than the block holds.
  HGLOBAL lying = ::GlobalAlloc(GMEM_MOVEABLE, 16);
  auto* bytes = static_cast<uint8_t*>(::GlobalLock(lying));
  std::memset(bytes, 0, 16);
  bytes[0] = 0xF0;
  bytes[1] = 0xFF;
  ::GlobalUnlock(lying);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  ::SetClipboardData(CF_GIF(), lying);
  TGIFImage refused;
  EXPECT_THROW(refused.LoadFromClipboardFormat(CF_GIF(), ::GetClipboardData(CF_GIF()), nullptr), EReadError);
  ::EmptyClipboard();
  ::CloseClipboard();
}

TEST(GifImage, ReportsProgressWhileDecodingAndEncoding) {
  TGIFImage image;
  std::vector<TProgressStage> stages;
  std::vector<int> percents;
  image.OnProgress = [&](TObject* sender, TProgressStage stage, uint8_t percent, bool, const TRect&,
                         const String&) {
    EXPECT_EQ(sender, &image);
    stages.push_back(stage);
    percents.push_back(percent);
  };
  LoadImage(image, ReadFileBytes(ReferenceImage("solid2.gif")));
  ASSERT_GE(stages.size(), 2u);
  EXPECT_EQ(stages.front(), psStarting);
  EXPECT_EQ(stages.back(), psEnding);
  EXPECT_EQ(percents.back(), 100);
  stages.clear();
  TBitmap bitmap;
  bitmap.Assign(image.GetBitmap());
  image.AddFrame(&bitmap);
  SaveImage(image);  // encodes the new frame
  ASSERT_GE(stages.size(), 3u);
  EXPECT_EQ(stages.front(), psStarting);
  EXPECT_EQ(stages[1], psRunning);
  EXPECT_EQ(stages.back(), psEnding);
}

TEST(GifImage, AFrameWhoseDecodingARaisingProgressHandlerStoppedIsDecodedWholeNextTime) {
  // Noise, so that the decoder reports progress long before the end (every 4096 codes).
  constexpr int side = 128;
  std::vector<uint8_t> indices(side * side);
  std::mt19937 random(7);
  for (uint8_t& index : indices) index = static_cast<uint8_t>(random() % 256);
  TGifBuilder gif;
  gif.Header(side, side, 8).Image(0, 0, 2, 2, {0, 1, 2, 3}).Image(0, 0, side, side, indices);
  const Bytes file = gif.Trailer().Data;
  // Raised at the start, part-way, part-way as a stream error, and as no Exception at all.
  const std::function<void(TProgressStage)> handlers[] = {
      [](TProgressStage stage) { if (stage == psStarting) throw EAbort(L"stop"); },
      [](TProgressStage stage) { if (stage == psRunning) throw EAbort(L"stop"); },
      [](TProgressStage stage) { if (stage == psRunning) throw EReadError(L"stop"); },
      [](TProgressStage stage) { if (stage == psRunning) throw std::runtime_error("stop"); },
  };
  for (size_t i = 0; i < std::size(handlers); ++i) {
    SCOPED_TRACE(i);
    TGIFImage image;
    LoadImage(image, file);
    TGIFFrame* frame = image.GetFrame(1);
    image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const TRect&, const String&) {
      handlers[i](stage);
    };
    EXPECT_ANY_THROW(frame->GetBitmap());
    image.OnProgress = nullptr;
    TBitmap* bitmap = frame->GetBitmap();
    ASSERT_EQ(bitmap->GetWidth(), side);
    EXPECT_FALSE(frame->GetCorrupted());
    int wrong = 0;
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x)
        wrong += bitmap->GetCanvas()->GetPixels(x, y) != frame->GetItem()->ColorMap.ColorAt(indices[y * side + x]);
    EXPECT_EQ(wrong, 0);
  }
}

namespace {

// Reads a file of a few hundred bytes that declares four frames of 4096 x 4096 and decodes
// every frame, as an animator playing it would; exits with 0 when the process grew by less
// than the decoded budget and every frame was kept.
int DecodeHugeFramesOfATinyFile() {
  TGifBuilder gif;
  gif.Header(4096, 4096, 8);  // 256 colours: decoded at 8 bits a pixel
  for (int i = 0; i < 4; ++i) gif.Image(0, 0, 0, 0, {});
  const Bytes file = gif.Trailer().Data;
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  const size_t before = counters.WorkingSetSize;
  int frames = 0;
  {
    TGIFImage image;
    LoadImage(image, file);
    frames = image.GetCount();
    for (int i = 0; i < frames; ++i) image.GetFrame(i)->GetBitmap();
  }
  ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  const size_t grown = counters.PeakWorkingSetSize - before;
  std::fprintf(stderr, "%u bytes, %d frames kept, the process grew by %u MiB\n", unsigned(file.size()), frames,
               unsigned(grown >> 20));
  return frames == 4 && grown < size_t(GIFMaxDecodedBytes) ? 0 : 1;
}

// Plays a 1920 x 1080 animation of 20 frames, whose bitmaps take more than the budget: every
// frame of the image it was loaded into, then three times round through an animator showing
// that image (SetImage copies it), one frame after the other as its timer would. Each frame
// has a table of its own whose first entry, which fills the frame, is the frame's colour, and
// whose transparent last entry has the same colour (so the frame draws with the index's
// mask). Exits with 0 when every frame showed its colour, the last loop decoded only about
// the frames that do not fit, and the process grew by less than one budget and the
// animator's own composed picture, although two images show the file.
int PlayEveryFrameOfALargeAnimation() {
  constexpr int width = 1920, height = 1080, frames = 20;
  auto color = [](int frame) { return RGBColor(uint8_t(frame * 12), uint8_t(200 - frame * 5), 90); };
  TGifBuilder gif;
  gif.Header(width, height, 1);
  for (int i = 0; i < frames; ++i) {
    gif.Control(5, 255).Raw({0x2C}).Word(0).Word(0).Word(width).Word(height).Raw({0x87});
    const COLORREF rgb = ColorToRGB(color(i));
    for (int entry = 0; entry < 256; ++entry)
      entry % 255 == 0 ? gif.Raw({GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)}) : gif.Raw({entry, entry, entry});
    gif.Raw({8, 4, 0x00, 0x01, 0x04, 0x04, 0});  // clear, 0, end: every pixel takes entry 0
  }
  const Bytes file = gif.Trailer().Data;
  const int fitting =
      static_cast<int>((GIFMaxDecodedBytes - GIFDecodingBytes(width, height)) / GIFKeptBytes(width, height));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  const size_t before = counters.WorkingSetSize;
  int shown = 0, decoded = 0;
  {
    TGIFImage image;
    LoadImage(image, file);
    for (int i = 0; i < frames; ++i) image.GetFrame(i)->GetBitmap();
    TRxGIFAnimator animator(nullptr);
    animator.SetImage(&image);
    animator.GetImage()->OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const TRect&,
                                          const String&) { decoded += stage == psStarting; };
    for (int round = 0; round < 3; ++round) {
      decoded = 0;
      for (int i = 0; i < frames; ++i) {
        TColor transparent;
        TCanvas* picture = animator.ComposeFrame(i, transparent)->GetCanvas();
        shown += picture->GetPixels(width / 2, height / 2) == color(i);
      }
    }
    animator.GetImage()->OnProgress = nullptr;
  }
  ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  const size_t grown = counters.PeakWorkingSetSize - before;
  std::fprintf(stderr, "%u bytes, %d of %d frames shown, %d decoded in the last loop (%d fit), the process grew by %u MiB\n",
               unsigned(file.size()), shown, 3 * frames, decoded, fitting, unsigned(grown >> 20));
  const int64_t allowed = GIFMaxDecodedBytes + GIFKeptBytes(width, height);
  return shown == 3 * frames && decoded <= frames - fitting + 1 && int64_t(grown) < allowed ? 0 : 1;
}

TEST(GifImageBudget, ATinyFileOfHugeFramesTakesNoMoreThanTheDecodedBudget) {
  EXPECT_EXIT(_exit(DecodeHugeFramesOfATinyFile()), ::testing::ExitedWithCode(0), "");
}

TEST(GifImageBudget, EveryFrameOfAnAnimationLargerThanTheBudgetPlaysWithinIt) {
  EXPECT_EXIT(_exit(PlayEveryFrameOfALargeAnimation()), ::testing::ExitedWithCode(0), "");
}

TEST(GifImageBudget, EditsThroughTheHandleAndTheRowsAreKeptAndPointersStayValid) {
  // Two-colour frames of 2048 x 2048, more than the budget holds decoded at once.
  constexpr int side = 2048;
  const int fitting = static_cast<int>((GIFMaxDecodedBytes - GIFDecodingBytes(side, side)) / GIFKeptBytes(side, side));
  const int frames = fitting + 3;
  TGifBuilder gif;
  gif.Header(side, side, 1);
  for (int i = 0; i < frames; ++i) gif.Image(0, 0, 0, 0, {});
  TGIFImage image;
  LoadImage(image, gif.Trailer().Data);
  ASSERT_EQ(image.GetCount(), frames);
  int decoded = 0;
  image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const TRect&, const String&) {
    decoded += stage == psStarting;
  };

  // Frame 0 drawn on through its handle with plain GDI, frame 1 written through its rows.
  TBitmap* byHandle = image.GetFrame(0)->GetBitmap();
  const TColor decodedColor = byHandle->GetCanvas()->GetPixels(5, 5);
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, byHandle->GetHandle());
  ::PatBlt(dc, 4, 4, 4, 4, WHITENESS);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  const TColor drawn = byHandle->GetCanvas()->GetPixels(5, 5);
  ASSERT_NE(drawn, decodedColor);
  TBitmap* byRows = image.GetFrame(1)->GetBitmap();
  std::memset(byRows->GetScanLine(0), 0xFF, 4);
  const TColor written = byRows->GetCanvas()->GetPixels(0, 0);
  ASSERT_NE(written, decodedColor);

  // Every other frame decoded twice, from the last one back, so that frames 0 and 1 are
  // the ones needed last: bitmaps are given back and decoded again, not those two.
  TBitmap* third = image.GetFrame(2)->GetBitmap();
  for (int round = 0; round < 2; ++round)
    for (int i = frames - 1; i >= 2; --i) image.GetFrame(i)->GetBitmap();
  EXPECT_GT(decoded, frames) << "nothing was given back";
  EXPECT_EQ(byHandle->GetCanvas()->GetPixels(5, 5), drawn);
  EXPECT_EQ(byRows->GetCanvas()->GetPixels(0, 0), written);

  // Frame 2's bitmap given back, then its decoding stopped by a raising handler: the object
  // an earlier GetBitmap returned is still the frame's, and decodes again.
  EXPECT_EQ(image.GetFrame(2)->GetBitmap(), third);
  for (int n = 0; n < 4 * frames && !third->GetEmpty(); ++n) image.GetFrame(3 + n % (frames - 3))->GetBitmap();
  ASSERT_TRUE(third->GetEmpty());
  image.OnProgress = [](TObject*, TProgressStage, uint8_t, bool, const TRect&, const String&) {
    throw EAbort(L"stop");
  };
  EXPECT_ANY_THROW(image.GetFrame(2)->GetBitmap());
  image.OnProgress = nullptr;
  EXPECT_EQ(image.GetFrame(2)->GetBitmap(), third);
  EXPECT_EQ(third->GetWidth(), side);

  // Encoding with redecoding keeps the frame's bitmap object too.
  TGIFImage made;
  TBitmap colours;
  colours.SetPixelFormat(pf24bit);
  colours.SetSize(4, 4);
  made.AddFrame(&colours);
  TBitmap* before = made.GetFrame(0)->GetBitmap();
  made.EncodeFrames(true);
  EXPECT_EQ(made.GetFrame(0)->GetBitmap(), before);
  EXPECT_EQ(before->GetWidth(), 4);
}

}  // namespace
