#include <gtest/gtest.h>

#include <string>

#include "classlib/classes/Lists.h"
#include "ClassesTestSupport.h"

using classes_tests::MessageOf;

namespace {

// Records every notification as "a+", "b-" (deleted) or "cx" (extracted).
class TRecordingList : public TList {
 public:
  std::string Log;
  ~TRecordingList() override { Clear(); }

 protected:
  void Notify(void* ptr, TListNotification action) override {
    Log += *static_cast<char*>(ptr);
    Log += action == lnAdded ? '+' : action == lnDeleted ? '-' : 'x';
  }
};

char a = 'a', b = 'b', c = 'c', d = 'd';

// The items of a list of chars, in order.
std::string Order(const TList& list) {
  std::string order;
  for (int i = 0; i < list.GetCount(); ++i) order += *static_cast<char*>(list.GetItem(i));
  return order;
}

}  // namespace

TEST(TList, AddInsertDeleteKeepOrderAndNotify) {
  TRecordingList list;
  EXPECT_EQ(list.Add(&a), 0);
  EXPECT_EQ(list.Add(&c), 1);
  list.Insert(1, &b);
  list.Add(nullptr);  // nullptr items are stored but not notified
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_EQ(list.GetItem(1), &b);
  EXPECT_EQ(list.Log, "a+c+b+");

  list.Log.clear();
  EXPECT_EQ(list.Remove(&b), 1);
  EXPECT_EQ(list.Remove(&d), -1);
  EXPECT_EQ(list.Extract(&a), &a);
  EXPECT_EQ(list.Extract(&d), nullptr);
  EXPECT_EQ(list.Log, "b-ax");
  EXPECT_EQ(list.First(), &c);
  EXPECT_EQ(list.Last(), nullptr);

  list.Log.clear();
  list.SetItem(1, &d);
  list.SetItem(1, &a);
  list.Clear();
  EXPECT_EQ(list.Log, "d+d-a+a-c-");
  EXPECT_EQ(list.GetCapacity(), 0);
}

TEST(TList, BadIndexesRaiseWithTheIndexInTheMessage) {
  TList list;
  EXPECT_THROW(list.First(), EListError);
  list.Add(&a);
  EXPECT_EQ(MessageOf<EListError>([&] { list.GetItem(5); }), L"List index out of bounds (5)");
  EXPECT_THROW(list.GetItem(-1), EListError);
  EXPECT_THROW(list.Delete(1), EListError);
  EXPECT_THROW(list.Insert(2, &b), EListError);
  EXPECT_THROW(list.Exchange(0, 1), EListError);
  EXPECT_THROW(list.Move(0, 1), EListError);
  EXPECT_THROW(list.SetCount(-1), EListError);
  EXPECT_THROW(list.SetCapacity(0), EListError);  // below Count
  list.Insert(1, &b);                              // inserting at Count is allowed
  EXPECT_EQ(list.Last(), &b);
}

TEST(TList, MoveExchangePackAndSort) {
  TList list;
  for (char* p : {&d, &b, &a, &c}) list.Add(p);
  list.Move(0, 3);      // b a c d
  list.Exchange(0, 1);  // a b c d
  EXPECT_EQ(Order(list), "abcd");
  list.Insert(1, nullptr);
  list.Add(nullptr);
  list.Pack();
  EXPECT_EQ(list.GetCount(), 4);

  list.Sort([](void* x, void* y) { return *static_cast<char*>(y) - *static_cast<char*>(x); });
  EXPECT_EQ(Order(list), "dcba");
  // A compare that throws leaves the list as it was.
  EXPECT_THROW(list.Sort([](void*, void*) -> int { throw EListError(L"x"); }), EListError);
  EXPECT_EQ(Order(list), "dcba");
}

TEST(TBits, GrowsOnSetAndFindsTheFirstOpenBit) {
  TBits bits;
  EXPECT_EQ(bits.OpenBit(), 0);
  bits.SetBit(40, true);
  EXPECT_EQ(bits.GetSize(), 41);
  EXPECT_FALSE(bits.GetBit(39));
  for (int i = 0; i < 40; ++i) bits.SetBit(i, true);
  EXPECT_EQ(bits.OpenBit(), 41);  // all set: the size
  bits.SetBit(33, false);
  EXPECT_EQ(bits.OpenBit(), 33);

  // Shrinking forgets the bits past the new end.
  bits.SetSize(34);
  bits.SetSize(64);
  EXPECT_FALSE(bits.GetBit(40));

  EXPECT_THROW(bits.GetBit(64), EBitsError);
  EXPECT_THROW(bits.SetBit(-1, true), EBitsError);
  EXPECT_EQ(MessageOf<EBitsError>([&] { bits.SetSize(-1); }), L"Bits index out of range");
}
