#include <gtest/gtest.h>

#include <vector>
#include "classlib/classes/Collection.h"
#include "classlib/classes/Component.h"
#include "ClassesTestSupport.h"

using classes_tests::MessageOf;

namespace {

// An item with a value it can copy from another item of its class.
class TValueItem : public TCollectionItem {
  CLASSLIB_CLASS(TValueItem, TCollectionItem)
  explicit TValueItem(TCollection* collection) : TCollectionItem(collection) {}
  ~TValueItem() override { ++Freed; }

  int GetValue() const { return FValue; }
  void SetValue(int value) {
    FValue = value;
    Changed(false);
  }
  void Assign(TPersistent* source) override {
    if (auto* other = dynamic_cast<TValueItem*>(source)) return SetValue(other->FValue);
    inherited::Assign(source);
  }
  static inline int Freed = 0;

 private:
  int FValue = 0;
};

// An item that cannot be copied.
class TPlainItem : public TCollectionItem {
  CLASSLIB_CLASS(TPlainItem, TCollectionItem)
  using TCollectionItem::TCollectionItem;
};

// A collection that records the Update calls it receives.
class TWatched : public TCollection {
  CLASSLIB_CLASS(TWatched, TCollection)
  TWatched(std::initializer_list<int> values = {}) : TCollection(TCollectionItemClass<TValueItem>{}) {
    for (int v : values) AddValue(v);
    Updates.clear();
  }
  TValueItem* Item(int index) const { return static_cast<TValueItem*>(GetItem(index)); }
  TValueItem* AddValue(int value) {
    auto* item = static_cast<TValueItem*>(Add());
    item->SetValue(value);
    return item;
  }
  std::vector<TCollectionItem*> Updates;  // the argument of each Update

 protected:
  void Update(TCollectionItem* item) override { Updates.push_back(item); }
};

std::vector<int> Values(const TWatched& c) {
  std::vector<int> values;
  for (int i = 0; i < c.GetCount(); ++i) values.push_back(c.Item(i)->GetValue());
  return values;
}

using Ints = std::vector<int>;

}  // namespace

TEST(Collection, IdsAreNeverGivenTwice) {
  TWatched c{1, 2, 3};
  EXPECT_EQ(c.Item(1)->GetID(), 1);
  c.Delete(1);
  TValueItem* d = c.AddValue(4);
  EXPECT_EQ(d->GetID(), 3);
  EXPECT_EQ(c.FindItemID(1), nullptr);
  EXPECT_EQ(c.FindItemID(3), d);
  EXPECT_EQ(Values(c), (Ints{1, 3, 4}));
  EXPECT_EQ(d->GetIndex(), 2);
}

TEST(Collection, IndexMovesInsertAndBadIndexes) {
  TWatched c{1, 2, 3};
  c.Item(2)->SetIndex(0);
  EXPECT_EQ(Values(c), (Ints{3, 1, 2}));
  EXPECT_EQ(MessageOf<EListError>([&] { c.Item(0)->SetIndex(5); }), L"List index out of bounds (5)");
  EXPECT_EQ(Values(c), (Ints{3, 1, 2}));

  static_cast<TValueItem*>(c.Insert(1))->SetValue(9);
  static_cast<TValueItem*>(c.Insert(4))->SetValue(8);  // at the end
  EXPECT_EQ(Values(c), (Ints{3, 9, 1, 2, 8}));
  EXPECT_THROW(c.Insert(6), EListError);
  EXPECT_THROW(c.Insert(-1), EListError);
  EXPECT_EQ(MessageOf<EListError>([&] { c.GetItem(5); }), L"List index out of bounds (5)");
  EXPECT_EQ(MessageOf<EListError>([&] { c.Delete(-1); }), L"List index out of bounds (-1)");
  EXPECT_EQ(c.GetCount(), 5);  // a bad index adds or removes nothing
}

TEST(Collection, UpdateIsCalledOncePerOutermostEndUpdate) {
  TWatched c{1};
  TValueItem* a = c.Item(0);
  a->SetValue(2);
  EXPECT_EQ(c.Updates, std::vector<TCollectionItem*>{a});  // one item changed

  c.Updates.clear();
  c.BeginUpdate();
  c.BeginUpdate();
  c.AddValue(5);
  a->SetIndex(1);
  c.EndUpdate();
  EXPECT_TRUE(c.Updates.empty());
  c.EndUpdate();
  EXPECT_EQ(c.Updates, std::vector<TCollectionItem*>{nullptr});

  c.EndUpdate();  // unmatched: must not silence later changes
  c.Updates.clear();
  a->SetValue(7);
  EXPECT_EQ(c.Updates.size(), 1u);

  c.Updates.clear();
  TValueItem::Freed = 0;
  c.Clear();
  EXPECT_EQ(c.GetCount(), 0);
  EXPECT_EQ(TValueItem::Freed, 2);
  EXPECT_EQ(c.Updates.size(), 1u);  // one Update for the whole Clear
}

TEST(Collection, ItemsMoveBetweenCollectionsAndLeaveWhenFreed) {
  TValueItem::Freed = 0;
  {
    TWatched first{1, 2}, second{3, 4};
    TValueItem* a = first.Item(0);
    a->SetCollection(&second);
    EXPECT_EQ(first.GetCount(), 1);
    EXPECT_EQ(a->GetIndex(), 2);
    EXPECT_EQ(a->GetID(), 2);  // a new ID from its new collection
    delete second.Item(0);
    EXPECT_EQ(Values(second), (Ints{4, 1}));
    a->SetCollection(nullptr);  // the caller owns it now
    EXPECT_EQ(a->GetIndex(), -1);
    delete a;
    EXPECT_EQ(TValueItem::Freed, 2);
  }
  EXPECT_EQ(TValueItem::Freed, 4);  // the rest went with their collections
}

TEST(Collection, AssignCopiesItems) {
  TWatched source{1, 2, 3}, dest{7, 7, 7, 7, 7};
  dest.Assign(&source);
  EXPECT_EQ(Values(dest), (Ints{1, 2, 3}));
  EXPECT_EQ(dest.Updates, std::vector<TCollectionItem*>{nullptr});

  dest.Assign(&dest);  // into itself: nothing lost
  EXPECT_EQ(Values(dest), (Ints{1, 2, 3}));

  TComponent notACollection(nullptr);
  EXPECT_EQ(MessageOf<EConvertError>([&] { dest.Assign(&notACollection); }),
            L"Cannot assign a TComponent to a TWatched");

  TCollection plain(TCollectionItemClass<TPlainItem>{}), plainCopy(TCollectionItemClass<TPlainItem>{});
  plain.Add();
  EXPECT_EQ(MessageOf<EConvertError>([&] { plainCopy.Assign(&plain); }),
            L"Cannot assign a TPlainItem to a TPlainItem");
  EXPECT_EQ(plainCopy.GetUpdateCount(), 0);  // the failed copy ended its update
}

namespace {

// An item whose collection reads the item's own member on every Update.
class TLabelledItem : public TCollectionItem {
  CLASSLIB_CLASS(TLabelledItem, TCollectionItem)
  explicit TLabelledItem(TCollection* collection) : TCollectionItem(collection) {}
  String Label = L"built";
};

class TReadingCollection : public TCollection {
 public:
  TReadingCollection() : TCollection(TCollectionItemClass<TLabelledItem>{}) {}
  std::vector<String> Seen;  // the labels of every item at each Update
  void Update(TCollectionItem*) override {
    Seen.clear();
    for (int i = 0; i < GetCount(); ++i) Seen.push_back(static_cast<TLabelledItem*>(GetItem(i))->Label);
  }
};

}  // namespace

TEST(Collection, AddAnnouncesTheItemOnlyOnceItIsWhollyBuilt) {
  TReadingCollection c;
  c.Add();
  c.Add();
  ASSERT_EQ(c.Seen.size(), 2u);
  EXPECT_EQ(c.Seen[1], L"built");
}
