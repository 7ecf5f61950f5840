// Skin files: a skin made here (bitmaps drawn in code, an object tree) saved and loaded
// through each of the four formats and compared object by object and pixel by pixel; the
// filters by extension; unregistered classes; and tens of thousands of mutated files in every
// format (truncations, bit flips, lying counts and sizes, nesting bombs, a decompression bomb)
// under a watchdog and a memory ceiling.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "classlib/classes/Layouts.h"
#include "controls/skin/SkinRegistration.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/engine/SkinBoxObjects.h"
#include "controls/skin/engine/SkinReader.h"
#include "controls/skin/engine/SkinSource.h"
#include "controls/skin/engine/SkinStreams.h"
#include "controls/skin/engine/ZlibStreams.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

using skin_tests::Watchdog;
using Bytes = std::vector<unsigned char>;

// A bitmap of stripes in colours that survive a 16-bit round trip.
std::unique_ptr<TSeBitmap> Stripes(const String& name, int w, int h, int seed) {
  auto bitmap = std::make_unique<TSeBitmap>();
  bitmap->SetName(name);
  bitmap->SetSize(w, h);
  const TPixel32 colours[] = {PackPixel(255, 0, 0, 255), PackPixel(0, 255, 0, 255),
                              PackPixel(0, 0, 255, 255), PackPixel(255, 255, 255, 255),
                              PackPixel(0, 0, 0, 255)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bitmap->SetPixel(x, y, colours[(x / 3 + y / 2 + seed) % 5]);
  return bitmap;
}

TSeSkinObject* Object(TComponent* owner, const wchar_t* name, TSeAlign align, TRect r) {
  auto* object = new TSeSkinObject(owner);
  object->SetName(name);
  object->SetAlign(align);
  object->SetBoundsRect(r);
  return object;
}

void Link(TSeBitmapLink* link, const wchar_t* name, TRect r) {
  link->SetName(name);
  link->SetRect(r);
}

// One object of every further kind under parent, each with its own properties set.
void AddEveryKind(TSeSkinObject* parent) {
  auto* active = new TSeActiveObject(parent);
  active->SetName(L"Active");
  active->SetActiveColor(clYellow);
  active->GetActiveFont()->SetColor(clRed);
  auto* activeBitmap = new TSeActiveBitmap(parent);
  activeBitmap->SetName(L"ActiveBitmap");
  Link(activeBitmap->GetActiveBitmap(), L"Parts", TRect(0, 0, 10, 10));
  auto* system = new TSeSystemButton(parent);
  system->SetName(L"Close");
  system->SetAction(sbaClose);
  Link(system->GetBitmapHot(), L"Parts", TRect(10, 0, 20, 10));
  Link(system->GetBitmapPressed(), L"Parts", TRect(20, 0, 30, 10));
  auto* button = new TSeButtonObject(parent);
  button->SetName(L"Button");
  Link(button->GetBitmapPressed(), L"Frame", TRect(0, 0, 8, 8));
  auto* link = new TSeLinkSkinObject(parent);
  link->SetName(L"Placeholder");
  link->SetLinkControl(L"编辑框");
  auto* form = new TSeFormBitmapSkinObject(parent);
  form->SetName(L"FormPicture");
  form->SetTileStyle(tsCenter);
  Link(form->GetInactiveBitmap(), L"Parts", TRect(0, 10, 40, 20));
  auto* roll = new TSeSysButtonSkinObject(parent);
  roll->SetName(L"Roll");
  roll->SetAction(sbaRollPanel);
  roll->SetRollPanel(L"Panel");
  Link(roll->GetBitmapHover(), L"Parts", TRect(0, 0, 5, 5));
  auto* activeSkin = new TSeActiveSkinObject(parent);
  activeSkin->SetName(L"ActiveSkin");
  activeSkin->SetActiveColor(clNone);
  auto* colors = new TSeColorButtonObject(parent);
  colors->SetName(L"Colors");
  colors->SetPressedColor(clMaroon);
  colors->GetDisabledFont()->SetColor(clGray);
  auto* box = new TSeBitmapBoxObject(parent);
  box->SetName(L"Box");
  box->SetBorderTileStyle(tsStretch);
  auto* activeBox = new TSeActiveBitmapBoxObject(parent);
  activeBox->SetName(L"ActiveBox");
  Link(activeBox->GetFocusedBitmap(), L"Frame", TRect(0, 0, 16, 16));
  auto* buttonBox = new TSeButtonBitmapBoxObject(parent);
  buttonBox->SetName(L"ButtonBox");
  Link(buttonBox->GetDisabledBitmap(), L"Parts", TRect(0, 0, 40, 20));
  auto* panel = new TSeRollPanelObject(parent);
  panel->SetName(L"Panel");
  panel->SetRollKind(rkBottom);
  panel->SetRollValue(6);
}

// The test skin: two bitmaps, a check box object with three children (one with a child of
// its own) and a group box object with one object of every further kind.
void MakeSkin(TSeSkinSource& source) {
  source.SetSkinName(L"Test skin");
  source.SetAuthor(L"测试");
  source.GetBitmaps()->Add(Stripes(L"Parts", 40, 20, 0));
  source.GetBitmaps()->Add(Stripes(L"Frame", 16, 16, 2));
  TSeSkinObject* box = Object(nullptr, L"CheckBox", saNone, TRect(0, 0, 60, 20));
  box->SetColor(clNone);
  Object(box, L"Checked", saLeft, TRect(0, 0, 13, 13))->SetColor(clRed);
  TSeSkinObject* unchecked = Object(box, L"Unchecked", saNone, TRect(0, 0, 13, 13));
  unchecked->SetTextAlign(TSeTextAlign::taCenter);
  Object(unchecked, L"Inner", saClient, TRect(0, 0, 5, 5))->SetMarginLeft(3);
  TSeSkinObject* text = Object(box, L"Text", saClient, TRect(0, 0, 40, 20));
  text->GetOwnFont()->SetColor(clBlue);
  text->SetTextEffect(teShadow);
  source.AddObject(box);
  source.InsertComponent(box);
  TSeSkinObject* group = Object(nullptr, L"GroupBox", saNone, TRect(0, 0, 100, 80));
  group->SetKind(skClient);
  auto* frame = new TSeBitmapObject(group);
  frame->SetName(L"Frame");
  frame->GetBitmap()->SetName(L"Frame");
  frame->GetBitmap()->SetRect(TRect(0, 0, 16, 16));
  frame->SetMarginLeft(4);
  frame->SetTileStyle(tsStretch);
  AddEveryKind(group);
  source.AddObject(group);
  source.InsertComponent(group);
  // As every object read from a file gets.
  box->SetCharset(DefaultFontCharset);
  group->SetCharset(DefaultFontCharset);
}

String Described(TSeSkinObject* object) { return ComponentToText(object); }

void ExpectSameSkin(TSeSkinSource& a, TSeSkinSource& b, bool exactPixels) {
  EXPECT_EQ(a.GetSkinName(), b.GetSkinName());
  EXPECT_EQ(a.GetAuthor(), b.GetAuthor());
  EXPECT_EQ(a.GetAuthorURL(), b.GetAuthorURL());
  ASSERT_EQ(a.Count(), b.Count());
  for (int i = 0; i < a.Count(); ++i) {
    EXPECT_EQ(Described(a.Objects(i)), Described(b.Objects(i)));
    EXPECT_EQ(b.Objects(i)->GetBitmaps(), b.GetBitmaps());
  }
  ASSERT_EQ(a.GetBitmaps()->Count(), b.GetBitmaps()->Count());
  for (int i = 0; i < a.GetBitmaps()->Count(); ++i) {
    TSeBitmap* x = a.GetBitmaps()->Get(i);
    TSeBitmap* y = b.GetBitmaps()->Get(i);
    EXPECT_EQ(x->GetName(), y->GetName());
    ASSERT_EQ(x->GetWidth(), y->GetWidth());
    ASSERT_EQ(x->GetHeight(), y->GetHeight());
    int different = 0;
    for (int py = 0; py < x->GetHeight(); ++py)
      for (int px = 0; px < x->GetWidth(); ++px) {
        const TPixel32 p = x->GetPixel(px, py), q = y->GetPixel(px, py);
        different += exactPixels ? !(p == q) : PixelRGB(p) != PixelRGB(q);
      }
    EXPECT_EQ(different, 0) << i;
  }
}

Bytes BytesOf(TMemoryStream& stream) {
  const auto* first = static_cast<const unsigned char*>(stream.GetMemory());
  return Bytes(first, first + stream.GetSize());
}

Bytes Saved(TSeSkinSource& source, const wchar_t* extension) {
  TMemoryStream stream;
  std::unique_ptr<TSeSkinFilter> filter = FindSkinFilter(String(L"x.") + extension);
  filter->SetSource(&source);
  filter->SaveToStream(stream);
  return BytesOf(stream);
}

// The body the binary filter writes, uncompressed.
Bytes BinaryBody(TSeSkinSource& source) {
  TMemoryStream body;
  TSeSkinFilterMaxCompression filter;
  filter.SetSource(&source);
  filter.WriteSkin(body);
  return BytesOf(body);
}

void Load(TSeSkinSource& source, const wchar_t* extension, const Bytes& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  std::unique_ptr<TSeSkinFilter> filter = FindSkinFilter(String(L"x.") + extension);
  filter->SetSource(&source);
  filter->LoadFromStream(stream);
}

Bytes Compressed(const Bytes& body, int level = 1) {
  TMemoryStream out;
  out.WriteBuffer("TQLZ", 4);
  {
    TCompressionStream z(level, out);
    if (!body.empty()) z.WriteBuffer(body.data(), static_cast<int>(body.size()));
    z.Finish();
  }
  return BytesOf(out);
}

// A format of the test's own: "MARK", then the body as it stands; counts its loads.
class TMarkedFilter : public TSeSkinFilter {
  CLASSLIB_CLASS(TMarkedFilter, TSeSkinFilter)
  String GetExtension() const override { return L"tskn"; }
  String GetDescription() const override { return L"Marked Skin"; }
  void LoadFromStream(TStream& stream) override {
    char mark[4]{};
    stream.ReadBuffer(mark, 4);
    if (std::memcmp(mark, "MARK", 4) != 0) throw EReadError(L"not marked");
    TSeSkinReader reader(stream, TSeSkinReader::MaxBody);
    ReadSkin(reader);
    ++Loads;
  }
  void SaveToStream(TStream& stream) override {
    stream.WriteBuffer("MARK", 4);
    WriteSkin(stream);
  }
  static inline int Loads = 0;
};

class SkinFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterSkinClasses(); }
};

TEST_F(SkinFilesTest, EveryFormatRoundTripsObjectsAndPixels) {
  TSeSkinSource skin(nullptr);
  MakeSkin(skin);
  for (const wchar_t* ext : {L"uskn", L"cskn", L"xskn", L"mskn"}) {
    SCOPED_TRACE(StringToUtf8(ext));
    const Bytes bytes = Saved(skin, ext);
    if (String(ext) != L"uskn") EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TQLZ");
    TSeSkinSource loaded(nullptr);
    Load(loaded, ext, bytes);
    ExpectSameSkin(skin, loaded, String(ext) != L"mskn");
    // The children came back as a tree that still finds and lays out.
    TSeSkinObject* box = loaded.FindObject(L"checkbox");
    ASSERT_TRUE(box);
    ASSERT_NE(box->FindObject(L"Inner"), nullptr);
    // The picture link of the group's frame is bound to the loaded bitmap.
    auto* frame = dynamic_cast<TSeBitmapObject*>(loaded.FindObject(L"GroupBox")->FindObject(L"Frame"));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->GetBitmap()->GetBitmap(), loaded.GetBitmaps()->Get(1));
    std::unique_ptr<TSeSkinObject> copy(CloneSkinObject(box, nullptr));
    copy->SetBoundsRect(TRect(0, 0, 80, 20));
    EXPECT_EQ(copy->FindObject(L"Text")->GetBoundsRect(), TRect(13, 0, 80, 20));
    // Every further kind came back as its class with its links bound.
    TSeSkinObject* group = loaded.FindObject(L"GroupBox");
    auto* system = dynamic_cast<TSeSystemButton*>(group->FindObject(L"Close"));
    ASSERT_TRUE(system);
    EXPECT_EQ(system->GetBitmapPressed()->GetBitmap(), loaded.GetBitmaps()->Get(0));
    auto* roll = dynamic_cast<TSeSysButtonSkinObject*>(group->FindObject(L"Roll"));
    ASSERT_TRUE(roll);
    EXPECT_EQ(roll->FindRollPanel(), group->FindObject(L"Panel"));
    auto* buttonBox = dynamic_cast<TSeButtonBitmapBoxObject*>(group->FindObject(L"ButtonBox"));
    ASSERT_TRUE(buttonBox);
    EXPECT_TRUE(buttonBox->GetDisabledBitmap()->Valid());
  }
  // The level matters: xskn is no larger than cskn.
  EXPECT_LE(Saved(skin, L"xskn").size(), Saved(skin, L"cskn").size());
}

TEST_F(SkinFilesTest, ALoadedSkinDrawsFromDeviceCopiesOfItsPixelsAtOnce) {
  // Noise of odd sides (its body spans several of the decompression stream's input blocks)
  // and stripes with one magenta pixel, which the loader keys out.
  TSeSkinSource skin(nullptr);
  auto noise = std::make_unique<TSeBitmap>();
  noise->SetName(L"Noise");
  noise->SetSize(257, 331);
  std::mt19937 random(7);
  for (int y = 0; y < 331; ++y)  // green of 128 or more: never near the key
    for (int x = 0; x < 257; ++x)
      noise->SetPixel(x, y, PackPixel(random() & 0xFF, (random() & 0x7F) | 0x80, random() & 0xFF, 255));
  skin.GetBitmaps()->Add(std::move(noise));
  skin.GetBitmaps()->Add(Stripes(L"Parts", 40, 20, 0));
  skin.GetBitmaps()->Get(1)->SetPixel(5, 5, PackPixel(255, 0, 255, 255));
  const Bytes bytes = Saved(skin, L"cskn");
  ASSERT_GT(bytes.size(), size_t(3 * 65536));
  TSeSkinSource loaded(nullptr);
  Load(loaded, L"cskn", bytes);
  skin.GetBitmaps()->Get(1)->SetPixel(5, 5, SeClearPixel);
  ExpectSameSkin(skin, loaded, true);
  // Drawn straight after the load, the first through DeviceDraw, the second by DeviceTile.
  for (int i = 0; i < 2; ++i) {
    TSeBitmap* bitmap = loaded.GetBitmaps()->Get(i);
    const TRect all(0, 0, bitmap->GetWidth(), bitmap->GetHeight());
    MemorySurface surface(all.Right, all.Bottom, clBlue);
    if (i == 0)
      bitmap->DeviceDraw(surface.DC(), all, all, false);
    else
      bitmap->DeviceTile(surface.DC(), all, all);
    int different = 0;
    for (int y = 0; y < all.Bottom; ++y)
      for (int x = 0; x < all.Right; ++x)
        different += surface.At(x, y) != PixelToColor(bitmap->GetPixel(x, y));
    EXPECT_EQ(different, 0) << i;
    ASSERT_TRUE(bitmap->GetDeviceCopy());
    EXPECT_EQ(bitmap->GetDeviceCopy()->GetWidth(), all.Right);
  }
  // The copy's mask leaves out the keyed pixel.
  TSeBitmap* parts = loaded.GetBitmaps()->Get(1);
  parts->SetMaskedDraw(1);
  MemorySurface surface(40, 20, clBlue);
  parts->DeviceDraw(surface.DC(), TRect(0, 0, 40, 20), TRect(0, 0, 40, 20), true);
  EXPECT_EQ(surface.At(5, 5), clBlue);
  EXPECT_EQ(surface.At(6, 5), PixelToColor(parts->GetPixel(6, 5)));
}

TEST_F(SkinFilesTest, FilesAreChosenByExtensionAndMissingOnesLoadNothing) {
  TSeSkinSource skin(nullptr);
  MakeSkin(skin);
  wchar_t folder[MAX_PATH]{};
  ::GetTempPathW(MAX_PATH, folder);
  const String upper = String(folder) + L"skin26 test.CSKN";
  skin.SaveToFile(upper);
  TSeSkinSource loaded(nullptr);
  loaded.LoadFromFile(upper);
  EXPECT_EQ(loaded.Count(), 2);
  // An unclaimed extension saves the cskn format and loads nothing.
  const String other = String(folder) + L"skin26 test.bin";
  skin.SaveToFile(other);
  TSeSkinSource none(nullptr);
  none.LoadFromFile(other);
  none.LoadFromFile(String(folder) + L"no such skin.cskn");
  none.LoadFromFile(L"Z:\\no such folder\\no.uskn");
  none.LoadFromFile(L"");
  EXPECT_EQ(none.Count(), 0);
  TMemoryStream file;
  file.LoadFromFile(other);
  EXPECT_EQ(std::string(static_cast<const char*>(file.GetMemory()), 4), "TQLZ");
  ::DeleteFileW(upper.c_str());
  ::DeleteFileW(other.c_str());
  // The default stream format is cskn; the four leading bytes are not checked.
  TMemoryStream stream;
  skin.SaveToStream(stream);
  static_cast<char*>(stream.GetMemory())[0] = 'X';
  stream.SetPosition(0);
  TSeSkinSource fromStream(nullptr);
  fromStream.LoadFromStream(stream);
  EXPECT_EQ(fromStream.Count(), 2);
  EXPECT_EQ(FindSkinFilter(L"a.XsKn")->GetDescription(), L"Ultra Compressed Skin");
  EXPECT_EQ(FindSkinFilter(L"a.skn"), nullptr);
}

TEST_F(SkinFilesTest, AFilterTheProgramRegistersServesItsExtensionUntilUnregistered) {
  // The four formats are registered from the start, in their order.
  ASSERT_EQ(SkinFilterCount(), 4);
  EXPECT_EQ(SkinFilterClass(0), TSeSkinFilterUncompressed::StaticClassInfo());
  EXPECT_EQ(SkinFilterClass(3), TSeSkinFilterMaxCompression::StaticClassInfo());
  EXPECT_EQ(SkinFilterClass(4), nullptr);
  TSeSkinSource skin(nullptr);
  MakeSkin(skin);
  wchar_t folder[MAX_PATH]{};
  ::GetTempPathW(MAX_PATH, folder);
  const String path = String(folder) + L"考试 marked skin.TSKN";
  EXPECT_EQ(FindSkinFilter(path), nullptr);
  RegisterSkinFilter(TMarkedFilter::StaticClassInfo());
  RegisterSkinFilter(TMarkedFilter::StaticClassInfo());  // once in the list
  EXPECT_EQ(SkinFilterCount(), 5);
  skin.SaveToFile(path);
  TMemoryStream file;
  file.LoadFromFile(path);
  EXPECT_EQ(std::string(static_cast<const char*>(file.GetMemory()), 4), "MARK");
  TMarkedFilter::Loads = 0;
  TSeSkinSource loaded(nullptr);
  loaded.LoadFromFile(path);
  EXPECT_EQ(TMarkedFilter::Loads, 1);
  ExpectSameSkin(skin, loaded, true);
  // What is no filter class is refused and leaves the list as it was.
  EXPECT_THROW(RegisterSkinFilter(TSeSkinSource::StaticClassInfo()), EInvalidOperation);
  EXPECT_THROW(RegisterSkinFilter(nullptr), EInvalidOperation);
  EXPECT_EQ(SkinFilterCount(), 5);
  // Unregistered, the extension loads nothing and is written in the default format.
  UnregisterSkinFilter(TMarkedFilter::StaticClassInfo());
  EXPECT_EQ(SkinFilterCount(), 4);
  TSeSkinSource none(nullptr);
  none.LoadFromFile(path);
  EXPECT_EQ(none.Count(), 0);
  EXPECT_EQ(TMarkedFilter::Loads, 1);
  skin.SaveToFile(path);
  file.LoadFromFile(path);
  EXPECT_EQ(std::string(static_cast<const char*>(file.GetMemory()), 4), "TQLZ");
  ::DeleteFileW(path.c_str());
}

TEST_F(SkinFilesTest, UnregisteredClassesAreReadWholeAndDropped) {
  TSeSkinSource skin(nullptr);
  MakeSkin(skin);
  for (const wchar_t* ext : {L"uskn", L"mskn"}) {
    Bytes body = Saved(skin, ext);
    if (String(ext) == L"mskn") {
      // Inflate, rename, deflate.
      TMemoryStream in;
      in.WriteBuffer(body.data() + 4, static_cast<int>(body.size() - 4));
      in.SetPosition(0);
      TDecompressionStream z(in);
      Bytes plain;
      unsigned char block[4096];
      for (int got; (got = z.Read(block, sizeof block)) > 0;) plain.insert(plain.end(), block, block + got);
      body = plain;
    }
    // The first object's class name "TSeSkinObject" becomes one that is not registered.
    const std::string from = "TSeSkinObject";
    auto at = std::search(body.begin(), body.end(), from.begin(), from.end());
    ASSERT_NE(at, body.end());
    std::copy_n("TSeSkinObjecX", 13, at);
    if (String(ext) == L"mskn") body = Compressed(body, 3);
    TSeSkinSource loaded(nullptr);
    Load(loaded, ext, body);
    EXPECT_EQ(loaded.Count(), 1) << StringToUtf8(ext);  // the second object read in step
    EXPECT_NE(loaded.FindObject(L"GroupBox"), nullptr);
  }
}

TEST_F(SkinFilesTest, ACompressedSkinReadsWithDataAfterItAndACutOrCorruptOneIsRefused) {
  TSeSkinSource skin(nullptr);
  MakeSkin(skin);
  const Bytes file = Saved(skin, L"cskn");
  // Followed by other data in the same stream: read, and the stream left at that data.
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<int>(file.size()));
  stream.WriteBuffer("after", 5);
  stream.SetPosition(0);
  TSeSkinSource loaded(nullptr);
  loaded.LoadFromStream(stream);
  ExpectSameSkin(skin, loaded, true);
  EXPECT_EQ(stream.GetPosition(), static_cast<int64_t>(file.size()));
  // Cut short (the last cuts leave the body whole without its checksum): the skin reader's
  // own error; corrupt in the zlib header or the checksum: the decompression stream's.
  Bytes badHeader = file, badChecksum = file;
  badHeader[4] ^= 0xFF;
  badChecksum.back() ^= 0x01;
  for (const Bytes& bad : {Bytes(file.begin(), file.begin() + static_cast<long>(file.size() / 2)),
                           Bytes(file.begin(), file.end() - 4), Bytes(file.begin(), file.end() - 1)}) {
    TSeSkinSource damaged(nullptr);
    EXPECT_THROW(Load(damaged, L"cskn", bad), EReadError) << bad.size();
  }
  for (const Bytes& bad : {badHeader, badChecksum}) {
    TSeSkinSource damaged(nullptr);
    damaged.AddObject(Object(&damaged, L"Before", saNone, TRect(0, 0, 5, 5)));
    EXPECT_THROW(Load(damaged, L"cskn", bad), EDecompressionError) << bad.size();
    EXPECT_EQ(damaged.FindObject(L"Before"), nullptr) << "cleared before the body failed";
  }
}

// Reads a skin of every kind made here without registering any class; exits with 0 when
// it came back whole.
int ReadWithoutRegistering() {
  TSeSkinSource skin(nullptr);
  MakeSkin(skin);
  TMemoryStream stream;
  skin.SaveToStream(stream);
  stream.SetPosition(0);
  TSeSkinSource loaded(nullptr);
  loaded.LoadFromStream(stream);
  TSeSkinObject* group = loaded.FindObject(L"GroupBox");
  const bool whole = loaded.Count() == 2 && group &&
                     dynamic_cast<TSeRollPanelObject*>(group->FindObject(L"Panel")) &&
                     dynamic_cast<TSeSystemButton*>(group->FindObject(L"Close"));
  return whole ? 0 : 1;
}

// In a process of its own, where no other test has registered anything.
TEST(SkinClassesOnFirstUse, ASkinReadsWithoutTheProgramRegisteringTheClasses) {
  EXPECT_EXIT(_exit(ReadWithoutRegistering()), ::testing::ExitedWithCode(0), "");
}

// A body with objects nested depth deep (binary children inside binary children).
Bytes NestedBody(int depth) {
  TSeSkinSource skin(nullptr);
  TSeSkinObject* root = Object(nullptr, L"O0", saNone, TRect(0, 0, 5, 5));
  TSeSkinObject* at = root;
  for (int i = 1; i < depth; ++i) at = Object(at, (L"O" + IntToStr(i)).c_str(), saNone, TRect(0, 0, 5, 5));
  skin.AddObject(root);
  skin.InsertComponent(root);
  return BinaryBody(skin);
}

// A bitmap record as skin files hold it: the name, the sides, then pixelBytes bytes.
Bytes BitmapRecord(int32_t width, int32_t height, size_t pixelBytes) {
  TMemoryStream stream;
  WriteStreamString(stream, L"Big");
  const int32_t sides[2] = {width, height};
  stream.WriteBuffer(sides, sizeof sides);
  const Bytes pixels(pixelBytes, 0x7F);
  if (!pixels.empty()) stream.WriteBuffer(pixels.data(), static_cast<int>(pixels.size()));
  const auto* begin = static_cast<const unsigned char*>(stream.GetMemory());
  return Bytes(begin, begin + stream.GetSize());
}

TEST_F(SkinFilesTest, ABitmapLargerThanTheBytesLeftIsRefusedBeforeItIsMade) {
  struct Case {
    const char* What;
    int32_t Width, Height;
    size_t PixelBytes;
    int64_t Budget;
  };
  const Case refused[] = {
      {"sides within the limit, 64 bytes of 40000", 100, 100, 64, TSeSkinReader::MaxBody},
      {"the largest sides, 64 bytes", TSeSkinReader::MaxBitmapSide, TSeSkinReader::MaxBitmapSide, 64,
       TSeSkinReader::MaxBody},
      {"the bytes there, beyond the reader's budget", 4, 4, 64, 40},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.What);
    const Bytes record = BitmapRecord(c.Width, c.Height, c.PixelBytes);
    TMemoryStream stream;
    stream.WriteBuffer(record.data(), static_cast<int>(record.size()));
    stream.SetPosition(0);
    TSeSkinReader reader(stream, c.Budget);
    TSeBitmap bitmap;
    EXPECT_THROW(reader.ReadBitmap(bitmap), EReadError);
    EXPECT_EQ(0, bitmap.GetWidth()) << "no picture was made";
    EXPECT_EQ(0, bitmap.GetHeight());
  }
  // Exactly the bytes its sides need: read.
  const Bytes record = BitmapRecord(4, 4, 64);
  TMemoryStream stream;
  stream.WriteBuffer(record.data(), static_cast<int>(record.size()));
  stream.SetPosition(0);
  TSeSkinReader reader(stream, TSeSkinReader::MaxBody);
  TSeBitmap bitmap;
  reader.ReadBitmap(bitmap);
  EXPECT_EQ(4, bitmap.GetWidth());
  EXPECT_EQ(0, reader.BytesLeft());
}

// An object whose property name was damaged (its length in the binary form, a byte of it in
// the text form) is refused in the readers' words, not with the damaged bytes quoted.
TEST_F(SkinFilesTest, ADamagedObjectIsRefusedInReadableWords) {
  TSeSkinSource skin(nullptr);
  MakeSkin(skin);
  const auto damaged = [](Bytes body, const std::string& find, size_t at, unsigned char value) {
    const auto found = std::search(body.begin(), body.end(), find.begin(), find.end());
    EXPECT_NE(found, body.end()) << find;
    if (found != body.end()) found[static_cast<long>(at)] = value;
    return body;
  };
  const struct {
    const wchar_t* Format;
    Bytes File;
  } files[] = {
      {L"mskn", Compressed(damaged(BinaryBody(skin), "\x05" "Align", 0, 0x0C), 3)},
      {L"uskn", damaged(Saved(skin, L"uskn"), "Align = ", 2, 0x05)},
  };
  for (const auto& file : files) {
    TSeSkinSource loaded(nullptr);
    String message = L"(loaded)";
    try {
      Load(loaded, file.Format, file.File);
    } catch (const Exception& e) {
      message = e.Message();
    }
    EXPECT_EQ(message, L"Stream read error") << StringToUtf8(file.Format);
  }
}

TEST_F(SkinFilesTest, NestingAndBombsAreRefused) {
  Watchdog watchdog(120);
  TSeSkinSource loaded(nullptr);
  EXPECT_NO_THROW(Load(loaded, L"mskn", Compressed(NestedBody(30), 3)));
  EXPECT_EQ(loaded.Count(), 1);
  EXPECT_THROW(Load(loaded, L"mskn", Compressed(NestedBody(40), 3)), EReadError);
  // A decompression bomb: a body that inflates beyond 64 MiB.
  {
    TMemoryStream out;
    out.WriteBuffer("TQLZ", 4);
    {
      TCompressionStream z(3, out);
      Bytes head;
      for (int i = 0; i < 5; ++i) head.insert(head.end(), {0, 0, 0, 0});  // five empty strings
      head.insert(head.end(), {0, 0, 0, 0});                              // no bitmaps
      head.insert(head.end(), {1, 0, 0, 0});                              // one object
      head.insert(head.end(), {13, 0, 0, 0});
      for (char c : std::string("TSeSkinObject")) head.push_back(static_cast<unsigned char>(c));
      head.insert(head.end(), {0xF0, 0xFF, 0xFF, 0x07});  // a text of ~128 MiB declared
      z.WriteBuffer(head.data(), static_cast<int>(head.size()));
      const Bytes spaces(1 << 20, ' ');
      for (int i = 0; i < 80; ++i) z.WriteBuffer(spaces.data(), static_cast<int>(spaces.size()));
      z.Finish();
    }
    out.SetPosition(0);
    TSeSkinSource bombed(nullptr);
    EXPECT_THROW(bombed.LoadFromStream(out), EReadError);
  }
}

PROCESS_MEMORY_COUNTERS MemoryCounters() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

size_t PeakMemory() { return MemoryCounters().PeakWorkingSetSize; }

TEST_F(SkinFilesTest, MutatedFilesNeverCrashHangOrOverspend) {
  Watchdog watchdog(400);
  TSeSkinSource skin(nullptr);
  MakeSkin(skin);
  skin.GetBitmaps()->Clear();
  skin.GetBitmaps()->Add(Stripes(L"Small", 6, 4, 1));
  // The bodies as the filters write them, uncompressed.
  const Bytes textBody = Saved(skin, L"uskn"), binaryBody = BinaryBody(skin);
  const size_t before = PeakMemory();
  std::mt19937 random(26);
  constexpr int Mutations = 45000;
  int refused = 0;
  String unreadable;  // the first refusal with another message
  const wchar_t* const formats[] = {L"uskn", L"cskn", L"xskn", L"mskn"};
  for (int round = 0; round < Mutations; ++round) {
    const int format = round % 4;
    Bytes body = format == 3 ? binaryBody : textBody;
    switch (random() % 5) {
      case 0:
        for (int i = 0, n = 1 + static_cast<int>(random() % 3); i < n; ++i)
          body[random() % body.size()] ^= static_cast<unsigned char>(1u << (random() % 8));
        break;
      case 1:
        body.resize(random() % body.size());
        break;
      case 2: {  // a lying count, length or size
        const size_t at = random() % (body.size() - 4);
        const int32_t lies[] = {-1, 0x7FFFFFFF, 0x000FFFFF, static_cast<int32_t>(0x800F0000),
                                static_cast<int32_t>(random() % 100000), 8192, 8193};
        const int32_t lie = lies[random() % 7];
        std::memcpy(body.data() + at, &lie, 4);
        break;
      }
      case 3:
        body[random() % body.size()] = static_cast<unsigned char>(random());
        break;
      default:
        body.insert(body.begin() + static_cast<long>(random() % body.size()), body.begin(),
                    body.begin() + static_cast<long>(random() % 64));
        break;
    }
    const Bytes file = format == 0 ? body : Compressed(body, format == 1 ? 1 : 3);
    TSeSkinSource loaded(nullptr);
    try {
      Load(loaded, formats[format], file);
    } catch (const EReadError& e) {
      ++refused;
      // Readable: never a property path made of the file's bytes.
      if (e.Message() != L"Stream read error" && unreadable.empty()) unreadable = e.Message();
    } catch (const EDecompressionError& e) {
      ++refused;  // corrupt compressed data
      if (e.Message() != L"error" && unreadable.empty()) unreadable = e.Message();
    } catch (const Exception& e) {
      ADD_FAILURE() << "round " << round << ": " << e.ClassName() << " " << e.what();
    }
  }
  EXPECT_GT(refused, Mutations / 4);
  EXPECT_EQ(unreadable, L"");
  // Nothing a mutation declared was allocated: the peak grew by far less than the budget.
  EXPECT_LT(PeakMemory() - before, size_t(64) << 20);
}

// A BMP of width x height whose RLE8 rows are only the end-of-bitmap code: 64 bytes that
// declare any size.
Bytes EmptyRleBmp(int32_t width, int32_t height) {
  Bytes bmp;
  const auto put = [&](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp.push_back(static_cast<unsigned char>(value >> (8 * i)));
  };
  const uint32_t pixelsAt = 14 + 40 + 2 * 4;
  put('B' | 'M' << 8, 2);
  put(pixelsAt + 2, 4), put(0, 4), put(pixelsAt, 4);
  put(40, 4), put(width, 4), put(height, 4), put(1, 2), put(8, 2), put(1 /* RLE8 */, 4);
  put(2, 4), put(0, 4), put(0, 4), put(2 /* colours */, 4), put(0, 4);
  put(0, 4), put(0xFFFFFF, 4);
  put(0x0100, 2);  // 0, 1: the end of the bitmap
  return bmp;
}

// An "mskn" file of count pictures, each the BMP, and no objects.
Bytes PicturesFile(const Bytes& bmp, int count) {
  Bytes body(20, 0);  // five empty header strings
  const auto put = [&](int32_t value) {
    for (int i = 0; i < 4; ++i) body.push_back(static_cast<unsigned char>(value >> (8 * i)));
  };
  put(count);
  for (int i = 0; i < count; ++i) {
    put(1), body.push_back('P');
    put(static_cast<int32_t>(bmp.size()));
    body.insert(body.end(), bmp.begin(), bmp.end());
  }
  put(0);
  return Compressed(body, 3);
}

// Loads crafted files whose pictures are far larger than their bytes; exits with 0 when each
// was refused with the readers' error within a second and the process never grew by the
// pictures' budget.
int LoadCraftedPictures() {
  const size_t before = MemoryCounters().WorkingSetSize;
  const struct {
    const char* What;
    Bytes File;
  } files[] = {
      {"one 8192 x 8192 picture", PicturesFile(EmptyRleBmp(8192, 8192), 1)},
      {"sixteen 2304 x 2304 pictures", PicturesFile(EmptyRleBmp(2304, 2304), 16)},
  };
  int failures = 0;
  for (const auto& file : files) {
    TSeSkinSource loaded(nullptr);
    const DWORD start = ::GetTickCount();
    String message = L"(loaded)";
    try {
      Load(loaded, L"mskn", file.File);
    } catch (const EReadError& e) {
      message = e.Message();
    } catch (const Exception& e) {
      message = String(e.ClassName()) + L" " + e.Message();
    }
    const DWORD took = ::GetTickCount() - start;
    if (message != L"Stream read error" || took > 1000) {
      std::fprintf(stderr, "%s (%u bytes): %s after %lu ms\n", file.What, unsigned(file.File.size()),
                   StringToUtf8(message).c_str(), took);
      ++failures;
    }
  }
  const size_t grown = MemoryCounters().PeakWorkingSetSize - before;
  if (grown >= size_t(64) << 20) {  // the budget the readers promise
    std::fprintf(stderr, "the process grew by %u MiB\n", unsigned(grown >> 20));
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}

// In a process of its own, so that its memory is this load's alone.
TEST(SkinPictureBudget, PicturesLargerThanTheirBytesAreRefusedAtTheirHeaders) {
  EXPECT_EXIT(_exit(LoadCraftedPictures()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
