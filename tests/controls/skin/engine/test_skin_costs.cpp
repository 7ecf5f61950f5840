// What skins cost beyond their size: clearing a skin of many objects, tiling small pictures,
// the memory one load with a hue shift takes, skins of more objects than a load may make, and
// a picture that cannot be made because the process has no GDI handles left. The costs are
// guarded with bounds far above the linear cost (the benchmarks measure them); memory and
// handles are measured in processes of their own.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "controls/skin/SkinRegistration.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/engine/SkinEngine.h"
#include "controls/skin/engine/SkinReader.h"
#include "controls/skin/engine/SkinSource.h"
#include "controls/skin/engine/SkinStreams.h"
#include "controls/skin/engine/SystemBlits.h"
#include "controls/skin/engine/ZlibStreams.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

using skin_tests::Watchdog;

// Hears of the end of the components it is linked to by FreeNotification.
class TEndWatch : public TComponent {
 public:
  TEndWatch() : TComponent(nullptr) {}
  std::vector<TComponent*> Ended;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == opRemove) Ended.push_back(component);
  }
};

bool Has(const std::vector<TComponent*>& list, const TComponent* item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// count unnamed objects owned by the source.
void AddObjects(TSeSkinSource& source, int count) {
  for (int i = 0; i < count; ++i) source.AddObject(new TSeSkinObject(&source));
}

DWORD MillisecondsOf(const std::function<void()>& work) {
  const DWORD start = ::GetTickCount();
  work();
  return ::GetTickCount() - start;
}

TEST(SkinSourceClear, FreesEveryObjectOwnedOrNotAndTellsThoseLinkedToOthers) {
  TEndWatch watch;
  TSeSkinSource source(nullptr);
  auto* linked = new TSeSkinObject(&source);
  auto* plain = new TSeSkinObject(&source);
  auto* child = new TSeSkinObject(plain);
  auto* notOwned = new TSeSkinObject(nullptr);  // given to the source without its ownership
  for (TSeSkinObject* object : {linked, plain, notOwned}) source.AddObject(object);
  watch.FreeNotification(linked);
  watch.FreeNotification(child);
  watch.FreeNotification(notOwned);
  source.Clear();
  EXPECT_EQ(source.Count(), 0);
  EXPECT_EQ(source.GetComponentCount(), 0);
  EXPECT_TRUE(Has(watch.Ended, linked));
  EXPECT_TRUE(Has(watch.Ended, child)) << "an object's children go with it";
  EXPECT_TRUE(Has(watch.Ended, notOwned));
  // The source takes objects again after a clear, and frees them with itself.
  auto* again = new TSeSkinObject(&source);
  source.AddObject(again);
  watch.FreeNotification(again);
  EXPECT_EQ(source.Objects(0), again);
}

// Clearing used to tell every object still listed of each one freed: 20,000 objects took
// about half a minute. Linear, it is a few hundredths of a second; the bound only catches a
// return to the square.
TEST(SkinSourceClear, ManyObjectsAreClearedReplacedAndFreedInLinearTime) {
  Watchdog watchdog(300);
  RegisterSkinClasses();
  constexpr int Objects = 20000;
  constexpr DWORD Bound = 4000;
  auto source = std::make_unique<TSeSkinSource>(nullptr);
  AddObjects(*source, Objects);
  EXPECT_LT(MillisecondsOf([&] { source->Clear(); }), Bound) << "cleared";
  EXPECT_EQ(source->GetComponentCount(), 0);

  // Replaced by another skin: the reader clears the source first.
  AddObjects(*source, Objects);
  TMemoryStream empty;
  TSeSkinSource(nullptr).SaveToStream(empty);
  empty.SetPosition(0);
  EXPECT_LT(MillisecondsOf([&] { source->LoadFromStream(empty); }), Bound) << "replaced";
  EXPECT_EQ(source->Count(), 0);

  AddObjects(*source, Objects);
  EXPECT_LT(MillisecondsOf([&] { source.reset(); }), Bound) << "freed";
}

// ---- Tiling ---------------------------------------------------------------------------------

// A 16 x 16 picture whose pixels all differ, with partly transparent alpha and some pixels
// of the clear colour, which transparent drawing leaves out.
std::unique_ptr<TSeBitmap> Picture() {
  auto bitmap = std::make_unique<TSeBitmap>();
  bitmap->SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      bitmap->SetPixel(x, y, (x + 2 * y) % 5 == 0
                                 ? SeClearPixel
                                 : PackPixel(x * 16, y * 16, (x * y) & 0xFF, static_cast<uint8_t>(x * 16 + y)));
  return bitmap;
}

// Tiling as it was done before: one drawing call per copy.
void TileCopyByCopy(TSeBitmap& bitmap, HDC dc, const TRect& dest, const TRect& s, bool transparent) {
  for (int y = dest.Top; y < dest.Bottom; y += s.Height())
    for (int x = dest.Left; x < dest.Right; x += s.Width()) {
      const int w = std::min(s.Width(), dest.Right - x), h = std::min(s.Height(), dest.Bottom - y);
      bitmap.StretchDraw(dc, Bounds(x, y, w, h), Bounds(s.Left, s.Top, w, h), transparent);
    }
}

// How many pixels of the two surfaces differ, alpha included.
int Differences(const MemorySurface& a, const MemorySurface& b) {
  int count = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) count += !(a.PixelAt(x, y) == b.PixelAt(x, y));
  return count;
}

TEST(SkinTiles, TilingGivesThePixelsOfOneCopyAtATime) {
  auto picture = Picture();
  const TRect sources[] = {TRect(3, 2, 4, 3),  TRect(5, 0, 6, 16), TRect(0, 7, 16, 8),
                           TRect(2, 3, 5, 8),  TRect(0, 0, 16, 16), TRect(1, 1, 2, 15)};
  // Inside, cut on every side, narrow, and wider than one tile of copies.
  const TRect dests[] = {TRect(0, 0, 40, 24), TRect(-7, -3, 33, 20), TRect(283, 30, 305, 45),
                         TRect(20, 30, 23, 39), TRect(-3, 2, 297, 9)};
  for (bool system : {true, false}) {
    SetSystemBlitsEnabled(system);
    for (bool transparent : {false, true})
      for (const TRect& s : sources)
        for (const TRect& d : dests) {
          SCOPED_TRACE(::testing::Message() << (system ? "system" : "software") << " transparent "
                                            << transparent << " source " << s.Width() << "x" << s.Height()
                                            << " at " << s.Left << "," << s.Top << " dest " << d.Left << ","
                                            << d.Top << "-" << d.Right << "," << d.Bottom);
          MemorySurface tiled(300, 40, clTeal), copies(300, 40, clTeal), reference(300, 40, clTeal);
          picture->TileTo(&tiled.Canvas, d, s, transparent);
          picture->TileCopyByCopy(&copies.Canvas, d, s, transparent);
          TileCopyByCopy(*picture, reference.DC(), d, s, transparent);
          EXPECT_EQ(Differences(tiled, reference), 0);
          EXPECT_EQ(Differences(copies, reference), 0);
        }
  }
  SetSystemBlitsEnabled(true);
}

int CALLBACK CountDrawingCall(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM calls) {
  switch (record->iType) {
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE:
    case EMR_TRANSPARENTBLT: ++*reinterpret_cast<int*>(calls); break;
    default: break;
  }
  return 1;
}

// How many drawing calls TileTo takes to fill dest, counted in a recording of them.
int TilingCalls(TSeBitmap& picture, const TRect& dest, const TRect& source, bool transparent) {
  HDC recorder = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  ::IntersectClipRect(recorder, dest.Left, dest.Top, dest.Right, dest.Bottom);
  TCanvas canvas;
  canvas.SetHandle(recorder);
  picture.TileTo(&canvas, dest, source, transparent);
  canvas.SetHandle(nullptr);
  HENHMETAFILE recording = ::CloseEnhMetaFile(recorder);
  int calls = 0;
  ::EnumEnhMetaFile(nullptr, recording, &CountDrawingCall, &calls, nullptr);
  ::DeleteEnhMetaFile(recording);
  return calls;
}

// A tile is made only where the drawing calls it saves cost more than making it: an opaque
// picture of 16 to 48 pixels over a control's background (180 x 90) drew slower through a
// tile than copy by copy, while a transparent call costs far more than an opaque one.
TEST(SkinTiles, ATileIsMadeOnlyWhereItSavesMoreThanItCosts) {
  const struct {
    int64_t Copies, TileCalls, TilePixels;
    bool Transparent, SystemBlit, Pays;
  } cases[] = {
      {72, 1, 192 * 96, false, true, false},    // 16 x 16 over 180 x 90
      {10, 1, 240 * 96, false, true, false},    // 48 x 48 over 200 x 90
      {180, 1, 180 * 90, false, true, false},   // a 1 x 90 strip
      {16200, 1, 180 * 90, false, true, true},  // 1 x 1
      {72, 1, 192 * 96, true, true, true},
      {8, 1, 192 * 96, true, true, true},       // 48 x 48
      {2, 1, 32 * 16, true, true, false},
      {2, 1, 32 * 16, true, false, false},      // the software blit: a buffer each call
      {3, 1, 48 * 16, true, false, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TilingPays(c.Copies, c.TileCalls, c.TilePixels, c.Transparent, c.SystemBlit), c.Pays)
        << c.Copies << " copies, transparent " << c.Transparent << ", system blit " << c.SystemBlit;
  // A 4 x 100 opaque strip over 1264 x 100: 316 copies, or 5 of a tile 256 x 100, which pays
  // (a tile of its sides the other way round, 100 x 256, would take 13 and not pay).
  TSeBitmap strip;
  strip.SetSize(4, 100);
  strip.Clear(PackPixel(200, 30, 30, 255));
  EXPECT_EQ(TilingCalls(strip, TRect(0, 0, 1264, 100), TRect(0, 0, 4, 100), false), 5);
}

// A 1 x 1 picture over 600 x 600 pixels took a drawing call per pixel (some 30 s under Wine);
// the bound only catches a return to that.
TEST(SkinTiles, APixelTiledOverALargeAreaCostsAboutWhatALargePictureDoes) {
  Watchdog watchdog(300);
  auto picture = Picture();
  MemorySurface surface(600, 600, clWhite);
  for (bool transparent : {false, true}) {
    const DWORD took = MillisecondsOf(
        [&] { picture->TileTo(&surface.Canvas, TRect(0, 0, 600, 600), TRect(4, 4, 5, 5), transparent); });
    EXPECT_LT(took, 2000u) << transparent;
    EXPECT_EQ(surface.At(599, 599), PixelToColor(picture->GetPixel(4, 4)));
  }
}

// ---- A load in a process of its own -----------------------------------------------------------

PROCESS_MEMORY_COUNTERS MemoryCounters() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

// A "cskn" file of one picture of width x height, every pixel 0, made without holding the
// body in memory.
void WriteOnePictureSkin(TStream& out, int width, int height) {
  out.WriteBuffer("TQLZ", 4);
  TCompressionStream body(1, out);
  for (int i = 0; i < 5; ++i) WriteStreamString(body, L"");
  const int32_t one = 1;
  body.WriteBuffer(&one, 4);
  WriteStreamString(body, L"Big");
  const int32_t sides[2] = {width, height};
  body.WriteBuffer(sides, sizeof sides);
  const std::vector<char> row(static_cast<size_t>(width) * 4, 0);
  for (int y = 0; y < height; ++y) body.WriteBuffer(row.data(), static_cast<int>(row.size()));
  const int32_t none = 0;
  body.WriteBuffer(&none, 4);
  body.Finish();
}

// Loads a skin of one picture that fills most of the pictures' budget and shifts its hue as
// the engine does after a load; exits with 0 when the process grew by less than the budget.
int LoadAndShiftTheLargestPicture() {
  RegisterSkinClasses();
  TMemoryStream file;
  WriteOnePictureSkin(file, 4096, 4000);  // 62.5 MiB of pixels, within the body's 64 MiB
  file.SetPosition(0);
  const size_t before = MemoryCounters().WorkingSetSize;
  TSeSkinSource source(nullptr);
  source.LoadFromStream(file);
  source.SetDeltaHue(40);
  const size_t grown = MemoryCounters().PeakWorkingSetSize - before;
  const bool loaded = source.GetBitmaps()->Count() == 1 && source.GetBitmaps()->Get(0)->GetWidth() == 4096;
  if (!loaded || grown >= size_t(TSeSkinReader::MaxPictures) + (size_t(8) << 20)) {
    std::fprintf(stderr, "loaded %d, the process grew by %u MiB\n", loaded, unsigned(grown >> 20));
    return 1;
  }
  return 0;
}

TEST(SkinLoadMemory, AHueShiftedLoadStaysWithinThePicturesBudget) {
  EXPECT_EXIT(_exit(LoadAndShiftTheLargestPicture()), ::testing::ExitedWithCode(0), "");
}

String TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH]{};
  ::GetTempPathW(MAX_PATH, folder);
  return String(folder) + name;
}

// The shortest text form of an object: its class and nothing more.
const wchar_t BareObject[] = L"object TSeSkinObject\r\nend\r\n";

// The text form of an object holding count children of the text childText (in their text
// form, as older data stores them).
String ObjectWithChildren(int count, const String& childText = BareObject) {
  TMemoryStream children;
  children.WriteBuffer(&count, 4);
  for (int i = 0; i < count; ++i) {
    WriteStreamString(children, L"TSeSkinObject");
    WriteStreamString(children, childText);
  }
  static const wchar_t Digits[] = L"0123456789ABCDEF";
  const auto* bytes = static_cast<const unsigned char*>(children.GetMemory());
  String text = L"object TSeSkinObject\r\n  Objects = {";
  for (int64_t i = 0; i < children.GetSize(); ++i) {
    if (i % 32 == 0) text += L"\r\n    ";
    text += Digits[bytes[i] >> 4];
    text += Digits[bytes[i] & 15];
  }
  return text + L"}\r\nend\r\n";
}

// A "cskn" file of count objects in text form, the i-th object's text given by text(i),
// written straight to the file.
void WriteObjectsSkin(const String& path, int count, const std::function<String(int)>& text) {
  TFileStream out(path, fmCreate);
  out.WriteBuffer("TQLZ", 4);
  TCompressionStream body(1, out);
  for (int i = 0; i < 5; ++i) WriteStreamString(body, L"");
  const int32_t counts[2] = {0, count};  // no bitmaps
  body.WriteBuffer(counts, sizeof counts);
  for (int i = 0; i < count; ++i) {
    WriteStreamString(body, L"TSeSkinObject");
    WriteStreamString(body, text(i));
  }
  body.Finish();
}

const wchar_t* const GoodSkin = L"skin-objects-good.cskn";
// 1.1 million bare objects: a 2.9 MB file whose body, 62.7 MB, is within its budget. Loaded,
// they took 379 MB.
const wchar_t* const ManyObjects = L"skin-objects-many.cskn";
// Two objects, the first with a child and the second with as many children as a load may
// make in all.
const wchar_t* const ManyChildren = L"skin-objects-children.cskn";
// Two objects of 60,000 children each: more than a load may make in all, though each
// object's children are within it.
const wchar_t* const TwoManyChildren = L"skin-objects-two-halves.cskn";
// One object with one child whose text is 28.7 MB of spaces: a file of some hundred KB whose
// object's text, 63.3 MB, is within the body's budget. Read, it took 406 MB.
const wchar_t* const BigChild = L"skin-objects-big-child.cskn";

int WriteTheSkinsOfManyObjects() {
  RegisterSkinClasses();
  TSeSkinSource skin(nullptr);
  auto* object = new TSeSkinObject(&skin);
  object->SetName(L"CheckBox");
  skin.AddObject(object);
  skin.SaveToFile(TempFile(GoodSkin));
  WriteObjectsSkin(TempFile(ManyObjects), 1100000, [](int) { return String(BareObject); });
  WriteObjectsSkin(TempFile(ManyChildren), 2,
                   [](int i) { return ObjectWithChildren(i == 0 ? 1 : TSeSkinReader::MaxObjects); });
  WriteObjectsSkin(TempFile(TwoManyChildren), 2, [](int) { return ObjectWithChildren(60000); });
  WriteObjectsSkin(TempFile(BigChild), 1, [](int) {
    return ObjectWithChildren(1, L"object TSeSkinObject\r\n" + String(28700000, L' ') + L"end\r\n");
  });
  return 0;
}

// The good skin loaded by the engine, then each skin of too many objects or too much object
// data: each is refused with the readers' error at the count or the length that passes the
// bound, before any of those objects is made or that data read: quickly, the process grown by little (the second file's 10 MB of children's text is
// read and converted before they are counted), and no skin left, as a failed load leaves it.
// Exits with 0 when so.
int RefuseTheSkinsOfManyObjects() {
  RegisterSkinClasses();
  const String good = TempFile(GoodSkin);
  TSeLumaweave engine(nullptr);
  int afterChanges = 0;
  engine.SetOnAfterChange([&](TObject*) { ++afterChanges; });
  int failures = 0;
  const struct {
    const wchar_t* File;
    size_t MostGrowth;
  } crafted[] = {{ManyObjects, size_t(16) << 20},
                 {BigChild, size_t(16) << 20},  // before the others raise the peak
                 {ManyChildren, size_t(96) << 20},
                 {TwoManyChildren, size_t(96) << 20}};
  for (const auto& c : crafted) {
    engine.SetSkinFile(good);
    afterChanges = 0;
    const size_t before = MemoryCounters().WorkingSetSize;
    String message = L"(loaded)";
    const DWORD took = MillisecondsOf([&] {
      try {
        engine.SetSkinFile(TempFile(c.File));
      } catch (const Exception& e) {
        message = e.Message();
      }
    });
    const size_t grown = MemoryCounters().PeakWorkingSetSize - before;
    TSeSkinSource* source = engine.GetSkinSource();
    const bool noSkin = !engine.HasSkin() && source->Count() == 0 && source->GetComponentCount() == 0 &&
                        !source->GetUpdating() && afterChanges == 1;
    if (message != L"Stream read error" || took > 5000 || grown >= c.MostGrowth || !noSkin) {
      std::fprintf(stderr, "%s: %s in %u ms, the process grew by %u MiB, no skin %d\n",
                   StringToUtf8(c.File).c_str(), StringToUtf8(message).c_str(), unsigned(took),
                   unsigned(grown >> 20), noSkin);
      ++failures;
    }
  }
  engine.SetSkinFile(good);
  failures += engine.HasSkin() ? 0 : 1;
  return failures;
}

TEST(SkinLoadMemory, ASkinOfTooManyObjectsIsRefusedQuicklyAndLeavesNoSkin) {
  // The files are written in a process of their own, so that what writing them took is not
  // counted as the load's.
  EXPECT_EXIT(_exit(WriteTheSkinsOfManyObjects()), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(_exit(RefuseTheSkinsOfManyObjects()), ::testing::ExitedWithCode(0), "");
  for (const wchar_t* file : {GoodSkin, ManyObjects, ManyChildren, TwoManyChildren, BigChild})
    ::DeleteFileW(TempFile(file).c_str());
}

// Takes every GDI handle the process may have, then reads a 64 x 64 bitmap record; exits
// with 0 when it was refused with the readers' error.
int ReadABitmapWithoutGdiHandles() {
  TMemoryStream record;
  WriteStreamString(record, L"P");
  const int32_t sides[2] = {64, 64};
  record.WriteBuffer(sides, sizeof sides);
  const std::vector<char> pixels(64 * 64 * 4, 0x40);
  record.WriteBuffer(pixels.data(), static_cast<int>(pixels.size()));
  record.SetPosition(0);
  std::vector<HGDIOBJ> taken;
  for (int i = 0; i < 200000; ++i) {
    HBITMAP bitmap = ::CreateBitmap(1, 1, 1, 1, nullptr);
    if (!bitmap) break;
    taken.push_back(bitmap);
  }
  String message = L"(read)";
  try {
    TSeBitmap bitmap;
    bitmap.LoadFromStream(record);
  } catch (const EReadError& e) {
    message = e.Message();
  } catch (const Exception& e) {
    message = String(e.ClassName()) + L" " + e.Message();
  }
  for (HGDIOBJ object : taken) ::DeleteObject(object);
  if (message != L"Stream read error") {
    std::fprintf(stderr, "after %u handles: %s\n", unsigned(taken.size()), StringToUtf8(message).c_str());
    return 1;
  }
  return 0;
}

TEST(SkinLoadHandles, APictureThatCannotBeMadeIsTheReadersError) {
  EXPECT_EXIT(_exit(ReadABitmapWithoutGdiHandles()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
