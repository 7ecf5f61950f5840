#include <gtest/gtest.h>

#include "classlib/classes/StringList.h"
#include "classlib/system/SysFiles.h"
#include "tests/ErrorMessages.h"

namespace {

// The items joined with '|', to compare a whole list at once.
String Joined(const TStrings& list) {
  String result;
  for (int i = 0; i < list.GetCount(); ++i) result += (i ? L"|" : L"") + list.Get(i);
  return result;
}

// A list holding the items of text, one a line.
struct TLines : TStringList {
  explicit TLines(const String& text = L"") { SetText(text); }
};

// Counts its own destructions.
class TCounted : public TObject {
 public:
  explicit TCounted(int& destroyed) : FDestroyed(destroyed) {}
  ~TCounted() override { ++FDestroyed; }

 private:
  int& FDestroyed;
};

// A persistent class that knows nothing of string lists.
class TNotStrings : public TPersistent {
  CLASSLIB_CLASS(TNotStrings, TPersistent)
};

template <class F> String MessageOf(F&& f) {
  return ErrorMessageOf<Exception>(f, L"(no exception)");
}

}  // namespace

TEST(TStringList, SortedListAddsInOrderAndRefusesPositionalChanges) {
  TLines list(L"pear\nApple");
  list.SetSorted(true);
  EXPECT_EQ(list.Add(L"banana"), 1);
  EXPECT_EQ(list.Add(L"zucchini"), 3);
  EXPECT_EQ(list.Add(L"apricot"), 1);
  EXPECT_EQ(Joined(list), L"Apple|apricot|banana|pear|zucchini");

  EXPECT_EQ(MessageOf([&] { list.Insert(0, L"x"); }), L"Operation not allowed on sorted list");
  EXPECT_THROW(list.Put(0, L"x"), EStringListError);
  EXPECT_THROW(list.Move(0, 1), EStringListError);
  EXPECT_EQ(Joined(list), L"Apple|apricot|banana|pear|zucchini");  // nothing lost or moved
}

TEST(TStringList, DuplicatesModesOnASortedList) {
  TLines list(L"b\na");
  list.SetSorted(true);
  EXPECT_EQ(list.Add(L"B"), 1);  // dupIgnore (the default): the index of the existing item
  EXPECT_EQ(list.GetCount(), 2);
  list.SetDuplicates(dupError);
  EXPECT_EQ(MessageOf([&] { list.Add(L"A"); }), L"String list does not allow duplicates");
  EXPECT_EQ(list.GetCount(), 2);
  list.SetDuplicates(dupAccept);
  list.Add(L"a");
  list.Add(L"a");
  EXPECT_EQ(Joined(list), L"a|a|a|b");
  int index = -1;
  EXPECT_TRUE(list.Find(L"A", index));
  EXPECT_EQ(index, 0);  // the first of the equal items

  // An unsorted list keeps every duplicate whatever the mode.
  TStringList plain;
  plain.SetDuplicates(dupError);
  plain.Add(L"x");
  plain.Add(L"x");
  EXPECT_EQ(plain.GetCount(), 2);
}

TEST(TStringList, IndexOfAndFindIgnoreCaseUnlessCaseSensitive) {
  TLines list(L"Alpha\r\nbeta\r\nGamma\r\n");
  EXPECT_EQ(list.IndexOf(L"GAMMA"), 2);
  list.SetSorted(true);
  int index = -1;
  EXPECT_TRUE(list.Find(L"BETA", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.Find(L"b", index));
  EXPECT_EQ(index, 1);  // where it would go
  EXPECT_FALSE(list.Find(L"zeta", index));
  EXPECT_EQ(index, 3);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(L"BETA"), -1);
  EXPECT_EQ(list.IndexOf(L"beta"), 1);
}

TEST(TStringList, TextSplitsOnEveryLineBreakAndEndsEachLine) {
  TLines list(L"one\r\ntwo\nthree\rfour");
  EXPECT_EQ(Joined(list), L"one|two|three|four");
  EXPECT_EQ(list.GetText(), L"one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_EQ(TLines(L"last\r\n").GetCount(), 1);  // a final break adds no empty line
  EXPECT_EQ(Joined(TLines(L"a\r\n\r\nb\n\n")), L"a||b|");
  EXPECT_EQ(TLines(L"\n\r").GetCount(), 2);  // LF then CR: two empty lines
  EXPECT_EQ(TLines(L"").GetText(), L"");
}

TEST(TStringList, CommaTextQuotesWhatWouldNotReadBack) {
  TStringList list;
  for (const wchar_t* s : {L"plain", L"with space", L"comma,inside", L"say \"hi\"", L"中文", L""})
    list.Add(s);
  const String text = list.GetCommaText();
  EXPECT_EQ(text, L"plain,\"with space\",\"comma,inside\",\"say \"\"hi\"\"\",中文,");
  TStringList back;
  back.SetCommaText(text);
  EXPECT_TRUE(back.Equals(&list)) << Joined(back);

  // A lone empty item is written as two quotes.
  back.SetCommaText(L"\"\"");
  EXPECT_EQ(back.GetCount(), 1);
  EXPECT_EQ(back.GetCommaText(), L"\"\"");
  // Unquoted blanks separate items too; blanks around delimiters are skipped.
  back.SetCommaText(L"  a b , c,,\"d e\"x ,");
  EXPECT_EQ(Joined(back), L"a|b|c||d e|x|");
  back.SetCommaText(L"\"unterminated, still");
  EXPECT_EQ(Joined(back), L"unterminated, still");

  for (TStringList* l : {&list, &back}) {
    l->SetDelimiter(L';');
    l->SetQuoteChar(L'\'');
  }
  list.SetText(L"a;b\nit's");
  EXPECT_EQ(list.GetDelimitedText(), L"'a;b';'it''s'");
  back.SetDelimitedText(list.GetDelimitedText());
  EXPECT_TRUE(back.Equals(&list));
}

TEST(TStringList, NamesAndValues) {
  TLines list(L"Width=800\r\nnote\r\nCaption=a=b\r\n");
  EXPECT_EQ(list.GetName(0), L"Width");
  EXPECT_EQ(list.GetValue(L"width"), L"800");
  EXPECT_EQ(list.GetValue(L"Caption"), L"a=b");
  EXPECT_EQ(list.GetValue(L"note"), L"");
  EXPECT_EQ(list.GetValueFromIndex(2), L"a=b");
  EXPECT_EQ(list.IndexOfName(L"CAPTION"), 2);

  list.SetValue(L"Width", L"1024");
  list.SetValue(L"Height", L"768");
  EXPECT_EQ(Joined(list), L"Width=1024|note|Caption=a=b|Height=768");
  list.SetValue(L"caption", L"");  // an empty value deletes the pair
  EXPECT_EQ(list.IndexOfName(L"Caption"), -1);
  list.SetValueFromIndex(1, L"x");
  EXPECT_EQ(list.Get(1), L"=x");
  list.SetNameValueSeparator(L':');
  list.Add(L"Key:v");
  EXPECT_EQ(list.GetValue(L"key"), L"v");

  // A sorted list takes a new pair at its place.
  TStringList sorted;
  sorted.SetSorted(true);
  sorted.SetValue(L"b", L"2");
  sorted.SetValue(L"a", L"1");
  EXPECT_EQ(Joined(sorted), L"a=1|b=2");
}

TEST(TStringList, ChangeEventsAreHeldBackWhileUpdating) {
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changing;
  };
  list.OnChange = [&](TObject*) { ++changed; };
  list.Add(L"a");
  list.Delete(0);
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);

  changing = changed = 0;
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add(L"a");
  list.Add(L"b");
  list.EndUpdate();
  EXPECT_EQ(changed, 0);
  list.EndUpdate();
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  list.EndUpdate();  // unmatched: ignored

  changing = changed = 0;
  list.SetText(L"x\r\ny\r\nz");
  list.SetCommaText(L"p,q");
  EXPECT_EQ(changing, 2);  // one each for a whole text
  EXPECT_EQ(changed, 2);

  // A refused change fires nothing.
  changing = changed = 0;
  EXPECT_THROW(list.Delete(7), EStringListError);
  EXPECT_EQ(changing + changed, 0);
}

TEST(TStringList, BadIndexesRaiseWithTheIndex) {
  TLines list(L"a");
  EXPECT_EQ(MessageOf([&] { list.Get(1); }), L"List index out of bounds (1)");
  EXPECT_EQ(MessageOf([&] { list.Delete(-1); }), L"List index out of bounds (-1)");
  EXPECT_EQ(MessageOf([&] { list.Insert(2, L"x"); }), L"List index out of bounds (2)");
  EXPECT_THROW(list.GetObject(3), EStringListError);
  EXPECT_THROW(list.PutObject(3, nullptr), EStringListError);
  EXPECT_THROW(list.Exchange(0, 1), EStringListError);
  EXPECT_THROW(list.Move(0, 1), EStringListError);
  list.Insert(1, L"b");  // inserting at Count is allowed
  EXPECT_EQ(Joined(list), L"a|b");
}

TEST(TStringList, ObjectsTravelWithTheirStringsAndOwnedOnesAreFreed) {
  int destroyed = 0;
  {
    TStringList list;
    list.SetOwnsObjects(true);
    auto* one = new TCounted(destroyed);
    list.AddObject(L"one", one);
    list.AddObject(L"two", new TCounted(destroyed));
    list.AddObject(L"three", new TCounted(destroyed));
    list.Move(0, 2);
    list.Exchange(0, 1);
    EXPECT_EQ(Joined(list), L"three|two|one");
    EXPECT_EQ(list.IndexOfObject(one), 2);
    list.Delete(1);
    EXPECT_EQ(destroyed, 1);
    list.PutObject(0, new TCounted(destroyed));  // the replaced object is freed
    EXPECT_EQ(destroyed, 2);
    list.Clear();
    EXPECT_EQ(destroyed, 4);
    list.AddObject(L"last", new TCounted(destroyed));
  }
  EXPECT_EQ(destroyed, 5);  // the destructor freed the last one

  // Without OwnsObjects the objects stay the caller's.
  TCounted kept(destroyed);
  {
    TStringList list;
    list.AddObject(L"k", &kept);
    list.Delete(0);
    list.AddObject(L"k", &kept);
  }
  EXPECT_EQ(destroyed, 5);
}

TEST(TStringList, SortAssignAndAddStrings) {
  TStringList list;
  list.SetCommaText(L"ccc,a,bb,B");
  list.CustomSort([](TStringList* l, int i, int j) {
    return static_cast<int>(l->Get(i).size()) - static_cast<int>(l->Get(j).size());
  });
  EXPECT_EQ(Joined(list), L"a|B|bb|ccc");  // stable: "a" stays before "B"
  list.Sort();
  EXPECT_EQ(Joined(list), L"a|B|bb|ccc");

  TLines copy(L"old");
  list.SetNameValueSeparator(L':');
  copy.Assign(&list);
  EXPECT_TRUE(copy.Equals(&list));
  EXPECT_EQ(copy.GetNameValueSeparator(), L':');
  copy.Assign(&copy);  // assigning a list to itself keeps it
  copy.AddStrings(&copy);
  EXPECT_EQ(Joined(copy), L"a|B|bb|ccc|a|B|bb|ccc");

  TNotStrings other;
  EXPECT_EQ(MessageOf([&] { copy.Assign(&other); }), L"Cannot assign a TNotStrings to a TStringList");
  EXPECT_EQ(copy.GetCount(), 8);
}

TEST(TStringList, StreamsAndFilesRoundTripChineseTextInEachEncoding) {
  const String text = L"第一行：选择题\r\nsecond line\r\n";
  TLines list(text);
  TMemoryStream ansi;
  list.SaveToStream(ansi);
  const std::string expected = StringToCp936(text);
  ASSERT_EQ(ansi.GetSize(), static_cast<int64_t>(expected.size()));
  EXPECT_EQ(std::string(static_cast<char*>(ansi.GetMemory()), expected.size()), expected);

  for (TTextEncoding encoding : {teAnsi936, teUtf8, teUtf16}) {
    TMemoryStream stream;
    stream.WriteBuffer("xy", 2);  // loading starts at the stream's position
    list.SaveToStream(stream, encoding);
    stream.SetPosition(2);
    TStringList back;
    back.LoadFromStream(stream);  // the mark, not the default, decides for UTF-8 and UTF-16
    EXPECT_EQ(back.GetText(), text) << "encoding " << encoding;
  }

  // Without a mark the bytes are read in the encoding asked for.
  const std::string utf8 = StringToUtf8(text);
  TMemoryStream bare;
  bare.WriteBuffer(utf8.data(), static_cast<int>(utf8.size()));
  bare.SetPosition(0);
  TStringList back;
  back.LoadFromStream(bare, teUtf8);
  EXPECT_EQ(back.GetText(), text);

  wchar_t folder[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
  const String fileName = String(folder) + L"stringlist_test.txt";
  list.SaveToFile(fileName, teUtf8);
  back.LoadFromFile(fileName);
  DeleteFile(fileName);
  EXPECT_TRUE(back.Equals(&list));
  EXPECT_THROW(back.LoadFromFile(fileName), EFOpenError);
}
