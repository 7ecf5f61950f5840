// TRxGIFAnimator: a real window under Xvfb whose frames advance with their delays (drawn on
// the window's thread and on the worker), loop or stop as Loop says and stop when told; each
// disposal method composed on a memory device context; and the animation switched, changed
// and freed while its timer ticks.
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "GifTestSupport.h"
#include "classlib/controls/ControlTestSupport.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/MemorySurface.h"
#include "classlib/classes/Layouts.h"
#include "controls/extended/ExtendedRegistration.h"
#include "controls/extended/GIFCtrl.h"
#include "tests/ApplicationTestSupport.h"

using namespace giftest;
using control_tests::TTestHost;

namespace {

// Four frames of 8 x 8, each filled with its own table entry; delays in hundredths.
Bytes FourFrames(std::initializer_list<int> delays) {
  TGifBuilder gif;
  gif.Header(8, 8, 2);
  int index = 0;
  for (int delay : delays) {
    gif.Control(delay).Image(0, 0, 8, 8, std::vector<uint8_t>(64, uint8_t(index)));
    ++index;
  }
  return gif.Trailer().Data;
}

TColor EntryColor(int i) { return RGBColor(uint8_t(i * 40 % 256), uint8_t(i * 80 % 256), uint8_t(255 - i * 30 % 256)); }

bool Pump(const std::function<bool()>& done, DWORD ms) { return PumpApplicationUntil(done, ms, 1); }

}  // namespace

TEST(GifAnimator, PlaysWithTheFrameDelaysLoopsAndStops) {
  // At 800 x 600 the frames are drawn on the worker; events still come on the main thread.
  for (auto [width, height] : {std::pair{1024, 768}, std::pair{800, 600}}) {
    TTestHost host(0, 0, width, height);
    auto* animator = new TRxGIFAnimator(nullptr);
    animator->SetParent(&host);
    animator->SetBounds(20, 20, 10, 10);
    animator->SetAsyncDrawing(width == 800);
    LoadImage(*animator->GetImage(), FourFrames({5, 10, 0, 2}));
    EXPECT_EQ(animator->GetWidth(), 8);  // AutoSize follows the logical screen
    host.ShowHost();

    std::vector<int> shown;
    std::vector<DWORD> times;
    int starts = 0, stops = 0;
    bool offMainThread = false;
    animator->OnFrameChanged = [&](TObject*) {
      offMainThread = offMainThread || ::GetCurrentThreadId() != GetMainThreadID();
      shown.push_back(animator->GetFrameIndex());
      times.push_back(::GetTickCount());
    };
    animator->OnStart = [&](TObject*) { ++starts; };
    animator->OnStop = [&](TObject*) {
      offMainThread = offMainThread || ::GetCurrentThreadId() != GetMainThreadID();
      ++stops;
    };
    animator->SetLoop(false);
    const DWORD start = ::GetTickCount();
    animator->SetAnimate(true);
    animator->SetAnimate(true);
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(Pump([&] { return !animator->GetAnimate(); }, 5000));
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(offMainThread);
    ASSERT_EQ(times.size(), 4u);
    // 50, 100, 50 (0 runs at 50) and 50 (20 runs at 50) milliseconds, give or take the timer.
    EXPECT_GE(times[0] - start, 40u);
    EXPECT_GE(times[1] - times[0], 85u);
    EXPECT_GE(times[3] - start, 220u);

    // The window shows frame 0 again, only inside the animator's bounds.
    Pump([] { return false; }, 50);
    HDC dc = ::GetDC(host.GetHandle());
    EXPECT_EQ(ColorToRGB(EntryColor(0)), ::GetPixel(dc, 24, 24));
    EXPECT_NE(ColorToRGB(EntryColor(0)), ::GetPixel(dc, 29, 29));
    ::ReleaseDC(host.GetHandle(), dc);
    TRxGIFAnimator picture(nullptr);
    picture.SetParent(&host);
    picture.SetBounds(60, 20, 10, 10);
    LoadImage(*picture.GetImage(), ReadFileBytes(ReferenceImage("porsche.gif")));
    Pump([] { return false; }, 50);
    extended_tests::SaveScreenshot(host.GetHandle(),
                                   width == 1024 ? "gif_animator_1024x768" : "gif_animator_800x600");

    // Looping until told to stop.
    shown.clear();
    animator->SetLoop(true);
    animator->SetAnimate(true);
    EXPECT_TRUE(Pump([&] { return shown.size() >= 6; }, 5000));
    animator->SetAnimate(false);
    const size_t after = shown.size();
    Pump([] { return false; }, 200);
    EXPECT_EQ(shown.size(), after);
    EXPECT_EQ(stops, 2);
    delete animator;
  }
}

TEST(GifAnimator, SingleFramesDoNotStepAndDelaysAreClamped) {
  TRxGIFAnimator animator(nullptr);
  LoadImage(*animator.GetImage(), FourFrames({6000}));
  EXPECT_EQ(animator.FrameDelay(), 0u);
  LoadImage(*animator.GetImage(), FourFrames({6000, 1}));
  EXPECT_EQ(animator.FrameDelay(), 10000u);
  animator.SetFrameIndex(1);
  EXPECT_EQ(animator.FrameDelay(), 50u);
  animator.SetFrameIndex(-1);
  animator.SetFrameIndex(2);
  EXPECT_EQ(animator.GetFrameIndex(), 1);
}

TEST(GifAnimator, EachDisposalMethodComposesAsGifSays) {
  // Screen 4 x 4: frame 0 fills it with entry 1; frame 1 puts entry 2 at (1, 1) 2 x 2 with
  // the disposal under test; frame 2 puts entry 3 at (0, 0) 1 x 1.
  struct Case {
    int Disposal;
    TColor AtOneOne;
  };
  const TColor background = clWindow;
  for (const Case c : {Case{0, EntryColor(2)}, Case{1, EntryColor(2)}, Case{2, background},
                       Case{3, EntryColor(1)}, Case{5, EntryColor(2)}}) {
    SCOPED_TRACE(c.Disposal);
    TGifBuilder gif;
    gif.Header(4, 4, 2);
    gif.Image(0, 0, 4, 4, std::vector<uint8_t>(16, 1));
    gif.Control(0, -1, c.Disposal).Image(1, 1, 2, 2, std::vector<uint8_t>(4, 2));
    gif.Image(0, 0, 1, 1, {3});
    TRxGIFAnimator animator(nullptr);
    LoadImage(*animator.GetImage(), gif.Trailer().Data);
    TColor transparent;
    // Composed step by step (the cache) and from scratch give the same picture.
    for (bool stepwise : {true, false}) {
      if (stepwise) {
        animator.ComposeFrame(0, transparent);
        animator.ComposeFrame(1, transparent);
      } else {
        LoadImage(*animator.GetImage(), gif.Data);
      }
      TBitmap* picture = animator.ComposeFrame(2, transparent);
      MemorySurface surface(4, 4);
      surface.Canvas.Draw(0, 0, picture);
      EXPECT_EQ(surface.At(0, 0), EntryColor(3));
      EXPECT_EQ(surface.At(3, 3), EntryColor(1));
      EXPECT_EQ(surface.At(1, 1), ColorToRGB(c.AtOneOne) == ColorToRGB(clWindow)
                                      ? ColorFromInt(int32_t(ColorToRGB(clWindow)))
                                      : c.AtOneOne);
    }
  }
  // A full-size opaque frame placed away from (0, 0) hides nothing before it.
  TGifBuilder shifted;
  shifted.Header(4, 4, 2).Image(0, 0, 4, 4, std::vector<uint8_t>(16, 1));
  shifted.Image(2, 2, 4, 4, std::vector<uint8_t>(16, 2));
  TRxGIFAnimator animator(nullptr);
  LoadImage(*animator.GetImage(), shifted.Trailer().Data);
  TColor transparent;
  MemorySurface surface(4, 4);
  surface.Canvas.Draw(0, 0, animator.ComposeFrame(1, transparent));
  EXPECT_EQ(surface.At(0, 0), EntryColor(1));
  EXPECT_EQ(surface.At(3, 3), EntryColor(2));
}

TEST(GifAnimator, ComposesWithTheImagesPaletteAndDecodesOnlyTheFramesItDraws) {
  TRxGIFAnimator animator(nullptr);
  TGIFImage* image = animator.GetImage();
  LoadImage(*image, FourFrames({5, 5, 5, 5}));
  ASSERT_NE(image->GetPalette(), nullptr);
  TColor transparent;
  TBitmap* picture = animator.ComposeFrame(0, transparent);
  // Frame 1 is drawn onto the cached picture: while it is decoded there, the image's palette
  // is selected in the picture; after, the picture's own is back.
  const HGDIOBJ standard = ::GetStockObject(DEFAULT_PALETTE);
  HGDIOBJ during = nullptr;
  image->OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const TRect&, const String&) {
    if (stage == psStarting) during = ::GetCurrentObject(picture->GetCanvas()->GetHandle(), OBJ_PAL);
  };
  EXPECT_EQ(animator.ComposeFrame(1, transparent), picture);
  image->OnProgress = nullptr;
  EXPECT_TRUE(during != nullptr && during != standard);
  EXPECT_EQ(::GetCurrentObject(picture->GetCanvas()->GetHandle(), OBJ_PAL), standard);
  EXPECT_EQ(ColorToInt(picture->GetCanvas()->GetBrush()->GetColor()) & 0xFF000000, PaletteRelativeFlag);

  // Frames 1 and 2 are transparent and restored after they are shown (disposal 3): composing
  // frame 3 afresh replays from frame 0 and draws neither, so neither is decoded.
  TGifBuilder gif;
  gif.Header(8, 8, 2).Image(0, 0, 8, 8, std::vector<uint8_t>(64, 1));
  for (int i = 1; i <= 3; ++i) gif.Control(5, 0, i < 3 ? 3 : 1).Image(0, 0, 8, 8, std::vector<uint8_t>(64, uint8_t(i)));
  LoadImage(*image, gif.Trailer().Data);
  int decoded = 0;
  image->OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const TRect&, const String&) {
    decoded += stage == psStarting;
  };
  MemorySurface surface(8, 8);
  surface.Canvas.Draw(0, 0, animator.ComposeFrame(3, transparent));
  image->OnProgress = nullptr;
  EXPECT_EQ(decoded, 1) << "frame 3 alone";
  EXPECT_EQ(surface.At(4, 4), EntryColor(3));
}

TEST(GifAnimator, SwitchedChangedAndFreedWhileTheTimerTicks) {
  // A round that makes no progress for a minute is a deadlock; a slow machine only stretches
  // the run.
  extended_tests::TDeadline deadline(60000);
  TTestHost host(0, 0, 200, 200);
  host.ShowHost();
  const Bytes gif = FourFrames({0, 0, 0, 0});
  for (int round = 0; round < 40; ++round) {
    deadline.Progress("animator round", unsigned(round));
    auto* animator = new TRxGIFAnimator(nullptr);
    animator->SetParent(&host);
    animator->SetAsyncDrawing(round % 2 == 1);
    LoadImage(*animator->GetImage(), gif);
    int frames = 0;
    animator->OnFrameChanged = [&](TObject*) { ++frames; };
    for (int change = 0; change < 100; ++change) {
      switch (change % 6) {
        case 0: animator->SetAnimate(true); break;
        case 1: animator->SetFrameIndex(change % 4); break;
        case 2: animator->SetStretch(change % 4 == 2); break;
        case 3: animator->SetAsyncDrawing(change % 4 == 3); break;
        case 4: Application->ProcessMessages(); ::Sleep(1); break;
        default:
          if (change % 12 == 5) animator->SetAnimate(false);
      }
    }
    Pump([] { return false; }, round % 4 == 0 ? 120 : 5);
    delete animator;  // while running, possibly in a step on its worker
  }
}

TEST(GifAnimator, ReadsItsPictureFromAStoredLayoutAndTheGifFormatIsRegistered) {
  RegisterExtendedClasses();
  EXPECT_EQ(GraphicClassForExtension(L"gif"), TGraphicClass::Of<TGIFImage>());
  TPicture picture;
  picture.LoadFromFile(Utf8ToString(ReferenceImage("treescap.gif")));
  EXPECT_NE(dynamic_cast<TGIFImage*>(picture.GetGraphic()), nullptr);

  // Image.Data: a 32-bit byte count, then the GIF file, as the practice windows store it.
  const Bytes gif = FourFrames({5, 5, 5, 5});
  String hex;
  const uint32_t count = uint32_t(gif.size());
  Bytes data{uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16), uint8_t(count >> 24)};
  data.insert(data.end(), gif.begin(), gif.end());
  for (uint8_t b : data) {
    wchar_t pair[3];
    swprintf(pair, 3, L"%02X", b);
    hex += pair;
  }
  TTestHost host;
  TStringStream text(L"object Host: TTestHost\n  object Anim: TRxGIFAnimator\n    Loop = False\n"
                     L"    Image.Data = {" + hex + L"}\n  end\nend\n");
  ReadComponentFromStream(text, &host);
  auto* animator = dynamic_cast<TRxGIFAnimator*>(host.FindComponent(L"Anim"));
  ASSERT_NE(animator, nullptr);
  EXPECT_EQ(animator->GetImage()->GetCount(), 4);
  EXPECT_EQ(animator->GetFrameIndex(), 0);
  EXPECT_FALSE(animator->GetLoop());
  EXPECT_EQ(animator->FrameDelay(), 50u);
  // Written back, the picture is stored again.
  EXPECT_NE(ComponentToText(&host).find(L"Image.Data = {"), String::npos);
  // A damaged stored picture is refused while the layout is read.
  TTestHost other;
  TStringStream damaged(L"object Host: TTestHost\n  object Anim: TRxGIFAnimator\n"
                        L"    Image.Data = {FF00000047494638}\n  end\nend\n");
  EXPECT_ANY_THROW(ReadComponentFromStream(damaged, &other));
}

TEST(GifAnimator, TheGifFormatIsGivenBackAndRegisteredOnlyOnce) {
  RegisterExtendedClasses();
  RegisterGIFImage();  // a second registration adds nothing: one unregistration removes it
  ASSERT_EQ(GraphicClassForExtension(L"gif"), TGraphicClass::Of<TGIFImage>());
  UnregisterGIFImage();
  EXPECT_FALSE(static_cast<bool>(GraphicClassForExtension(L"gif")));
  EXPECT_FALSE(static_cast<bool>(GraphicClassForClipboardFormat(CF_GIF())));
  RegisterGIFImage();
  EXPECT_EQ(GraphicClassForExtension(L"gif"), TGraphicClass::Of<TGIFImage>());
  EXPECT_EQ(GraphicClassForClipboardFormat(CF_GIF()), TGraphicClass::Of<TGIFImage>());
}

namespace {

// A windowless picture that paints a bitmap it does not own, as a picture under an animator
// would; the worker paints it as part of the parent's image.
class TBitmapView : public TGraphicControl {
  CLASSLIB_CLASS(TBitmapView, TGraphicControl)
  explicit TBitmapView(TBitmap* bitmap) : TGraphicControl(nullptr), FBitmap(bitmap) {}

 protected:
  void Paint() override { GetCanvas()->Draw(0, 0, FBitmap); }

 private:
  TBitmap* FBitmap;  // not owned
};

}  // namespace

TEST(GifAnimator, WithAsyncDrawingBothThreadsDrawABitmapOnlyUnderItsLock) {
  extended_tests::TDeadline deadline(60000);
  TTestHost host(0, 0, 200, 200);
  TBitmap shared;
  shared.SetSize(8, 8);
  shared.GetCanvas()->GetBrush()->SetColor(clLime);
  shared.GetCanvas()->FillRect(TRect{0, 0, 8, 8});
  auto view = std::make_unique<TBitmapView>(&shared);
  view->SetParent(&host);
  view->SetBounds(20, 20, 8, 8);
  auto animator = std::make_unique<TRxGIFAnimator>(nullptr);
  animator->SetParent(&host);
  animator->SetBounds(20, 20, 8, 8);
  // Four frames with a see-through entry, so that each step paints the parent's image.
  TGifBuilder gif;
  gif.Header(8, 8, 2);
  for (int i = 0; i < 4; ++i) {
    std::vector<uint8_t> pixels(64, uint8_t(i % 3 + 1));
    pixels[0] = 0;
    gif.Control(0, 0).Image(0, 0, 8, 8, pixels);
  }
  LoadImage(*animator->GetImage(), gif.Trailer().Data);
  ASSERT_TRUE(animator->GetImage()->GetTransparent());
  host.ShowHost();
  animator->SetAsyncDrawing(true);
  EXPECT_TRUE(BitmapDrawingLocked());
  animator->SetAnimate(true);
  const int first = animator->GetFrameIndex();
  ASSERT_TRUE(Pump([&] { return animator->GetFrameIndex() != first; }, 5000));

  // While the main thread holds the bitmap, the worker waits in the step that draws it: at
  // most the step under way moves the frame on.
  deadline.Progress("holding the bitmap");
  shared.GetCanvas()->Lock();
  int last = animator->GetFrameIndex(), changes = 0;
  for (int i = 0; i < 20; ++i) {
    ::Sleep(20);
    if (animator->GetFrameIndex() != last) {
      ++changes;
      last = animator->GetFrameIndex();
    }
  }
  shared.GetCanvas()->Unlock();
  EXPECT_LE(changes, 1);
  // Let go, the worker steps again on its own (the main thread still pumps nothing).
  const int held = animator->GetFrameIndex();
  for (int i = 0; i < 50 && animator->GetFrameIndex() == held; ++i) ::Sleep(20);
  EXPECT_NE(animator->GetFrameIndex(), held);
  last = animator->GetFrameIndex();

  // Both threads draw it over and over for a second: the frames go on and nothing hangs.
  MemorySurface surface(8, 8);
  int steps = 0;
  for (const DWORD until = ::GetTickCount() + 1000; ::GetTickCount() < until;) {
    deadline.Progress("drawing on both threads", unsigned(steps));
    surface.Canvas.Draw(0, 0, &shared);
    host.Repaint();
    Application->ProcessMessages();
    if (animator->GetFrameIndex() != last) {
      ++steps;
      last = animator->GetFrameIndex();
    }
  }
  EXPECT_GE(steps, 4);
  EXPECT_EQ(surface.At(4, 4), clLime);
  animator->SetAnimate(false);
}
