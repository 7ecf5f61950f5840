// Icon lists and animated cursors: streams, sequences, rates, hot spots, and the damaged
// files that must be refused or cut short.
#include <gtest/gtest.h>

#include "GifTestSupport.h"
#include "classlib/system/SysExceptions.h"
#include "controls/extended/AniFile.h"
#include "controls/extended/IcoList.h"
#include "controls/extended/RxGraph.h"

using namespace giftest;

namespace {

std::unique_ptr<TIcon> IconOf(const Bytes& bytes) {
  auto icon = std::make_unique<TIcon>();
  LoadImage(*icon, bytes);
  return icon;
}

// The icon turned into a cursor file with the given hot spot.
Bytes AsCursor(Bytes icon, int x, int y) {
  icon[2] = 2;
  icon[6 + 4] = static_cast<uint8_t>(x);
  icon[6 + 6] = static_cast<uint8_t>(y);
  return icon;
}

}  // namespace

TEST(AnimatedCursor, SequenceRatesTitleAndSharedIcons) {
  const Bytes red = MakeIconFile(RGB(255, 0, 0)), green = MakeIconFile(RGB(0, 255, 0));
  TAnimatedCursorImage cursor;
  LoadImage(cursor, MakeAniFile({red, AsCursor(green, 3, 5)}, {0, 1, 0}, {4, 5, 6}, "odd"));
  ASSERT_EQ(cursor.GetCount(), 3);
  EXPECT_EQ(cursor.GetTitle(), L"odd");  // an odd-sized item is followed by its pad byte
  EXPECT_EQ(cursor.GetCreator(), L"me");
  EXPECT_EQ(cursor.GetFrame(0)->GetJiffRate(), 4u);
  EXPECT_EQ(cursor.GetFrame(2)->GetJiffRate(), 6u);  // "rate" is an array of steps
  EXPECT_EQ(cursor.GetIcon(0), cursor.GetIcon(2));    // one icon, shown twice
  EXPECT_TRUE(cursor.GetFrame(0)->GetIsIcon());
  EXPECT_EQ(cursor.GetFrame(0)->GetHotSpot().X, 8);  // an icon's centre
  EXPECT_FALSE(cursor.GetFrame(1)->GetIsIcon());
  EXPECT_EQ(cursor.GetFrame(1)->GetHotSpot().X, 3);  // a cursor's own hot spot
  EXPECT_EQ(cursor.GetFrame(1)->GetHotSpot().Y, 5);

  // Without "seq " icon k is frame k; a declared frame without an icon is dropped.
  LoadImage(cursor, MakeAniFile({red, green}, {}, {}, "x"));
  EXPECT_EQ(cursor.GetCount(), 0 + 2);

  // Into an icon list, a strip bitmap and an animated GIF.
  TIconList list;
  list.Assign(&cursor);
  EXPECT_EQ(list.GetCount(), 2);
  std::unique_ptr<TBitmap> strip = cursor.AssignToBitmap(clWhite, false, false);
  EXPECT_EQ(strip->GetWidth(), 32);
  EXPECT_EQ(strip->GetCanvas()->GetPixels(20, 8), clLime);
  TGIFImage gif;
  gif.Assign(&cursor);
  ASSERT_EQ(gif.GetCount(), 2);
  EXPECT_EQ(gif.GetFrame(0)->GetAnimateInterval(), 10u * 100 / 6);

  // "seq " and "rate" chunks of one value each set the next frame in turn.
  Bytes body{'A', 'C', 'O', 'N'};
  Chunk(body, "anih", U32s({36, 2, 3, 0, 0, 0, 0, 10, 1}));
  for (uint32_t step : {0u, 1u, 0u}) Chunk(body, "seq ", U32s({step}));
  for (uint32_t rate : {4u, 5u, 6u}) Chunk(body, "rate", U32s({rate}));
  Bytes frames{'f', 'r', 'a', 'm'};
  Chunk(frames, "icon", red);
  Chunk(frames, "icon", green);
  Chunk(body, "LIST", frames);
  Bytes file;
  Chunk(file, "RIFF", body);
  LoadImage(cursor, file);
  ASSERT_EQ(cursor.GetCount(), 3);
  EXPECT_EQ(cursor.GetFrame(2)->GetJiffRate(), 6u);
  EXPECT_EQ(cursor.GetIcon(0), cursor.GetIcon(2));
  EXPECT_NE(cursor.GetIcon(0), cursor.GetIcon(1));
}

TEST(AnimatedCursor, DamagedFilesAreRefusedOrCutShort) {
  const Bytes red = MakeIconFile(RGB(255, 0, 0));
  const Bytes good = MakeAniFile({red, red}, {}, {}, "t");
  TAnimatedCursorImage cursor;
  LoadImage(cursor, good);
  // What is not an animated cursor is refused and leaves the loaded image as it was.
  EXPECT_THROW(LoadImage(cursor, Bytes(good.begin(), good.begin() + 11)), EReadError);
  EXPECT_THROW(LoadImage(cursor, MakeIconFile(RGB(0, 0, 255))), EReadError);
  EXPECT_EQ(cursor.GetCount(), 2);
  EXPECT_EQ(cursor.GetTitle(), L"t");
  // A header chunk larger than the header is read as far as the header goes.
  {
    Bytes header = U32s({36, 1, 1, 0, 0, 0, 0, 7, 1});
    header.insert(header.end(), 8, 9);
    Bytes frames{'f', 'r', 'a', 'm'};
    Chunk(frames, "icon", red);
    Bytes body{'A', 'C', 'O', 'N'};
    Chunk(body, "anih", header);
    Chunk(body, "LIST", frames);
    Bytes file{'R', 'I', 'F', 'F', 0, 0, 0, 0};  // the RIFF size left 0
    file.insert(file.end(), body.begin(), body.end());
    LoadImage(cursor, file);
    EXPECT_EQ(cursor.GetCount(), 1);
    EXPECT_EQ(cursor.GetHeader().jifRate, 7u);
  }
  // Frame counts beyond what the data could hold are refused.
  Bytes lying = good;
  lying[12 + 8 + 4] = 0xFF;
  lying[12 + 8 + 5] = 0xFF;
  EXPECT_THROW(LoadImage(cursor, lying), EReadError);
  // A damaged icon ends its own list: the frames before it stay.
  Bytes damaged = MakeAniFile({red, Bytes(red.size(), 0x55)}, {}, {}, "t");
  LoadImage(cursor, damaged);
  EXPECT_EQ(cursor.GetCount(), 1);
  // An icon directory pointing outside its chunk is not followed.
  Bytes outside = red;
  outside[6 + 12] = 0xF0;
  outside[6 + 13] = 0xFF;
  EXPECT_NO_THROW(LoadImage(cursor, MakeAniFile({red, outside}, {}, {}, "t")));
  EXPECT_EQ(cursor.GetCount(), 1);
  // Writing is not supported: the message goes through the responder, then a silent abort.
  String shown;
  auto saved = NotImplementedResponder;
  NotImplementedResponder = [&](const String& msg) { shown = msg; };
  TMemoryStream out;
  EXPECT_THROW(cursor.SaveToStream(out), EAbort);
  NotImplementedResponder = saved;
  EXPECT_EQ(shown, L"Function not yet implemented");
}

TEST(IconList, StreamsEditsAndNotifications) {
  const Bytes red = MakeIconFile(RGB(255, 0, 0));
  std::unique_ptr<TIcon> icon = IconOf(red);
  TIconList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.Add(icon.get());
  list.Put(1, icon.get());  // the index equal to the count appends
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_EQ(changes, 2);
  list.BeginUpdate();
  list.Exchange(0, 1);
  list.Move(0, 1);
  list.EndUpdate();
  EXPECT_EQ(changes, 3);
  list.Get(0)->SetHandle(nullptr);  // editing an icon held in the list is a change of it
  EXPECT_EQ(changes, 4);
  list.Move(1, 1);  // a move to where it is is reported too
  EXPECT_EQ(changes, 5);

  list.Assign(&list);  // from itself: the icons stay
  EXPECT_EQ(list.GetCount(), 2);

  TMemoryStream stream;
  list.SaveToStream(stream);
  stream.SetPosition(0);
  TIconList back;
  back.LoadFromStream(stream);
  ASSERT_EQ(back.GetCount(), 2);
  EXPECT_TRUE(back.Get(0) == nullptr || back.Get(0)->GetEmpty());
  EXPECT_EQ(back.Get(1)->GetWidth(), 16);
}

namespace {

// A list that counts the icons added and deleted through its own operations.
class TCountingIconList : public TIconList {
 public:
  int Added = 0, Deleted = 0;
  int Add(TIcon* icon) override {
    ++Added;
    return TIconList::Add(icon);
  }
  void Delete(int index) override {
    ++Deleted;
    TIconList::Delete(index);
  }
};

}  // namespace

TEST(IconList, ADescendantSeesEveryIconAddedAndDeleted) {
  std::unique_ptr<TIcon> red = IconOf(MakeIconFile(RGB(255, 0, 0)));
  TIconList source;
  source.Add(red.get());
  source.Add(red.get());
  TCountingIconList list;
  list.Assign(&source);
  EXPECT_EQ(list.Added, 2);
  TMemoryStream stream;
  source.SaveToStream(stream);
  stream.SetPosition(0);
  list.LoadFromStream(stream);
  EXPECT_EQ(list.Deleted, 2);
  EXPECT_EQ(list.Added, 4);
  list.Clear();
  EXPECT_EQ(list.Deleted, 4);
}

TEST(IconList, APictureCopiesAndPastesAnIconThroughTheClipboard) {
  RegisterClipIcon();
  std::unique_ptr<TIcon> red = IconOf(MakeIconFile(RGB(255, 0, 0)));
  TPicture picture;
  picture.SetIcon(red.get());
  UINT format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  picture.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_ICON_LIST());
  ASSERT_NE(data, nullptr);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  ::SetClipboardData(format, data);
  ::CloseClipboard();

  ASSERT_TRUE(TPicture::SupportsClipboardFormat(CF_ICON_LIST()));
  ASSERT_TRUE(::OpenClipboard(nullptr));
  TPicture pasted;
  pasted.LoadFromClipboardFormat(CF_ICON_LIST(), ::GetClipboardData(CF_ICON_LIST()), nullptr);
  ::EmptyClipboard();
  ::CloseClipboard();
  auto* icon = dynamic_cast<TIcon*>(pasted.GetGraphic());
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->GetWidth(), 16);
  TBitmap drawn;
  drawn.SetSize(16, 16);
  drawn.GetCanvas()->Draw(0, 0, icon);
  EXPECT_EQ(drawn.GetCanvas()->GetPixels(8, 8), clRed);
  // Another format is not an icon's.
  TIcon other;
  EXPECT_THROW(other.LoadFromClipboardFormat(CF_BITMAP, nullptr, nullptr), EInvalidGraphic);
}

TEST(IconList, LyingCountsAndSizesAreRefused) {
  const Bytes red = MakeIconFile(RGB(255, 0, 0));
  struct Case {
    const char* What;
    Bytes Data;
  };
  Bytes oversize{1, 0, 0, 0};
  const uint32_t size = uint32_t(red.size() + 100);
  for (int k = 0; k < 4; ++k) oversize.push_back(uint8_t(size >> (8 * k)));
  oversize.insert(oversize.end(), red.begin(), red.end());
  // Each icon reads exactly its own bytes: two icons back to back, the first's size one short.
  Bytes shortFirst{2, 0, 0, 0};
  const uint32_t shortSize = uint32_t(red.size() - 1);
  for (int k = 0; k < 4; ++k) shortFirst.push_back(uint8_t(shortSize >> (8 * k)));
  shortFirst.insert(shortFirst.end(), red.begin(), red.end() - 1);
  for (int k = 0; k < 4; ++k) shortFirst.push_back(uint8_t(red.size() >> (8 * k)));
  shortFirst.insert(shortFirst.end(), red.begin(), red.end());
  const Case cases[] = {{"count beyond the data", {0xFF, 0xFF, 0, 0, 0, 0, 0, 0}},
                        {"negative count", {0xFF, 0xFF, 0xFF, 0xFF}},
                        {"size beyond the data", oversize},
                        {"icon one byte short", shortFirst}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TIconList list;
    EXPECT_ANY_THROW(LoadImage(list, c.Data));
    EXPECT_EQ(list.GetCount(), 0);
  }
  TIconList empty;
  LoadImage(empty, Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(empty.GetCount(), 2);
}
