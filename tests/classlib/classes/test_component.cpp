#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>
#include "classlib/classes/Component.h"
#include "ClassesTestSupport.h"

using classes_tests::MessageOf;

namespace {

using TLog = std::vector<String>;

// A component that writes what happens to it into a log and drops its reference to a
// component when told of that component's removal.
class TProbe : public TComponent {
  CLASSLIB_CLASS(TProbe, TComponent)
  TProbe(TComponent* owner, const String& name, TLog* log) : TComponent(owner), FLog(log) {
    SetName(name);
  }
  ~TProbe() override {
    if (FLog)
      FLog->push_back(L"free " + GetName() +
                      (GetComponentState().Contains(csDestroying) ? L" destroying" : L""));
  }
  TComponent* Ref = nullptr;           // cleared when Ref is removed
  TComponent* FreeOnRemove = nullptr;  // freed when another component is removed

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    inherited::Notification(component, operation);
    if (operation == opRemove && component == Ref) Ref = nullptr;
    if (FLog)
      FLog->push_back(GetName() + (operation == opInsert ? L" +" : L" -") + component->GetName());
    if (operation == opRemove && FreeOnRemove && component != FreeOnRemove) {
      TComponent* doomed = FreeOnRemove;
      FreeOnRemove = nullptr;
      delete doomed;
    }
  }

 private:
  TLog* FLog;
};

bool Logged(const TLog& log, const String& entry) {
  return std::find(log.begin(), log.end(), entry) != log.end();
}

// An unnamed component, or one with a name, owned by owner.
TComponent* Make(TComponent* owner, const wchar_t* name = L"") {
  auto* component = new TComponent(owner);
  component->SetName(name);
  return component;
}

}  // namespace

TEST(Component, OwnerFreesOwnedComponentsLastFirstWhileDestroying) {
  TLog log;
  auto* owner = new TProbe(nullptr, L"Owner", nullptr);
  new TProbe(owner, L"A", &log);
  new TProbe(owner, L"B", &log);
  new TProbe(new TProbe(owner, L"C", &log), L"D", &log);  // D owned one level down
  log.clear();
  owner->Free();
  // C's own destructor body runs before it frees D.
  EXPECT_EQ(log, (TLog{L"free C destroying", L"free D destroying", L"free B destroying",
                       L"free A destroying"}));
}

TEST(Component, DeletingAnOwnedComponentRemovesItAndTellsTheOthers) {
  TLog log;
  TProbe owner(nullptr, L"Owner", &log);
  auto* a = new TProbe(&owner, L"A", &log);
  log.clear();
  auto* b = new TProbe(&owner, L"B", &log);  // named only after it is inserted
  EXPECT_TRUE(Logged(log, L"Owner +"));
  EXPECT_FALSE(Logged(log, L"A +"));  // an insertion is the owner's news only
  b->Ref = a;
  log.clear();
  delete a;
  EXPECT_EQ(owner.GetComponentCount(), 1);
  EXPECT_EQ(b->GetComponentIndex(), 0);
  EXPECT_EQ(b->Ref, nullptr);
  EXPECT_TRUE(Logged(log, L"Owner -A"));
}

TEST(Component, NamesStayUniqueAmongManyComponentsThroughRenamesAndRemovals) {
  // Enough components for the owner to look names up in its index.
  TComponent owner(nullptr);
  std::vector<TComponent*> made;
  for (int i = 0; i < 40; ++i) made.push_back(Make(&owner, (L"Item" + std::to_wstring(i)).c_str()));
  EXPECT_EQ(owner.FindComponent(L"ITEM7"), made[7]);
  EXPECT_THROW(Make(&owner, L"item7"), EComponentError);
  EXPECT_EQ(owner.GetComponentCount(), 41);  // the refused one stays, unnamed

  made[7]->SetName(L"Renamed");
  EXPECT_EQ(owner.FindComponent(L"Item7"), nullptr);
  EXPECT_EQ(owner.FindComponent(L"renamed"), made[7]);
  EXPECT_NO_THROW(made[8]->SetName(L"ITEM7"));  // the old name is free again
  EXPECT_THROW(made[9]->SetName(L"RENAMED"), EComponentError);
  EXPECT_EQ(made[9]->GetName(), L"Item9");
  made[7]->SetName(L"RENAMED");  // a change of case only is its own name
  EXPECT_EQ(owner.FindComponent(L"Renamed"), made[7]);

  delete made[20];
  EXPECT_EQ(owner.FindComponent(L"Item20"), nullptr);
  EXPECT_NO_THROW(Make(&owner, L"Item20"));
  TComponent other(nullptr);
  other.InsertComponent(made[21]);  // moving to another owner takes the name along
  EXPECT_EQ(owner.FindComponent(L"Item21"), nullptr);
  EXPECT_EQ(other.FindComponent(L"item21"), made[21]);
  EXPECT_NO_THROW(Make(&owner, L"Item21"));
  made[30]->SetName(L"");
  EXPECT_EQ(owner.FindComponent(L"Item30"), nullptr);
}

TEST(Component, FreeNotificationReachesOtherOwnersAndIsUndoneByEitherSide) {
  TLog log;
  auto* form1 = new TProbe(nullptr, L"Form1", nullptr);
  TProbe form2(nullptr, L"Form2", nullptr);
  auto* source = new TProbe(form1, L"Source", nullptr);
  auto* user = new TProbe(form1, L"User", &log);
  user->Ref = source;
  source->FreeNotification(user);
  EXPECT_TRUE(source->GetComponentState().Contains(csFreeNotification));
  form2.InsertComponent(user);  // the request survives the receiver's change of owner
  EXPECT_EQ(user->GetOwner(), &form2);
  log.clear();
  delete form1;
  EXPECT_EQ(user->Ref, nullptr);
  EXPECT_EQ(log, TLog{L"User -Source"});

  auto* a = new TProbe(nullptr, L"A", nullptr);
  auto* b = new TProbe(nullptr, L"B", &log);
  auto* c = new TProbe(nullptr, L"C", &log);
  a->FreeNotification(b);
  a->FreeNotification(c);
  a->FreeNotification(c);  // a second request adds nothing
  delete b;                // the receiver goes first: a must forget it
  log.clear();
  delete a;
  EXPECT_EQ(log, TLog{L"C -A"});

  auto* d = new TProbe(nullptr, L"D", nullptr);
  d->FreeNotification(c);
  d->RemoveFreeNotification(c);
  log.clear();
  delete d;
  EXPECT_TRUE(log.empty());
  delete c;
}

TEST(Component, NoticeHandlerMayFreeASibling) {
  TLog log;
  TProbe owner(nullptr, L"Owner", nullptr);
  auto* a = new TProbe(&owner, L"A", nullptr);
  auto* b = new TProbe(&owner, L"B", nullptr);
  auto* c = new TProbe(&owner, L"C", &log);
  new TProbe(&owner, L"D", nullptr);
  b->FreeOnRemove = c;
  delete a;
  EXPECT_EQ(owner.GetComponentCount(), 2);
  EXPECT_EQ(owner.FindComponent(L"C"), nullptr);
  EXPECT_TRUE(Logged(log, L"free C"));
}

TEST(Component, NamesAreIdentifiersFoundAndUniqueInTheOwnerWithoutRegardToCase) {
  TComponent c(nullptr);
  c.SetName(L"_x9");
  EXPECT_EQ(c.GetName(), L"_x9");
  c.SetName(L"");
  for (const wchar_t* bad : {L"1abc", L"a b", L"a-b", L"名字"}) {
    EXPECT_EQ(MessageOf<EComponentError>([&] { c.SetName(bad); }),
              L"'" + String(bad) + L"' is not a valid component name");
  }
  EXPECT_EQ(c.GetName(), L"");

  TComponent owner(nullptr);
  TComponent* edit = Make(&owner, L"Edit1");
  TComponent* other = Make(&owner);
  EXPECT_EQ(MessageOf<EComponentError>([&] { other->SetName(L"EDIT1"); }),
            L"A component named EDIT1 already exists");
  EXPECT_EQ(other->GetName(), L"");

  // The same name under another owner is fine, but not once inserted here.
  TComponent owner2(nullptr);
  TComponent* stranger = Make(&owner2, L"edit1");
  EXPECT_THROW(owner.InsertComponent(stranger), EComponentError);
  EXPECT_EQ(stranger->GetOwner(), &owner2);
  EXPECT_EQ(owner.GetComponentCount(), 2);

  // FindComponent ignores case, looks one level deep, and never finds the unnamed.
  Make(edit, L"Inner");
  EXPECT_EQ(owner.FindComponent(L"Inner"), nullptr);
  EXPECT_EQ(owner.FindComponent(L""), nullptr);
}

TEST(Component, IndexesAndBadIndexes) {
  TComponent owner(nullptr);
  TComponent* items[3];
  for (auto*& item : items) item = Make(&owner);
  EXPECT_EQ(MessageOf<EListError>([&] { owner.GetComponent(3); }), L"List index out of bounds (3)");
  EXPECT_THROW(owner.GetComponent(-1), EListError);
  items[2]->SetComponentIndex(0);
  EXPECT_EQ(owner.GetComponent(0), items[2]);
  EXPECT_EQ(owner.GetComponent(1), items[0]);
  items[2]->SetComponentIndex(99);  // clamped to the last place
  EXPECT_EQ(owner.GetComponent(2), items[2]);
  TComponent lone(nullptr);
  EXPECT_EQ(lone.GetComponentIndex(), -1);
  lone.SetComponentIndex(3);  // no owner: nothing to do
}

TEST(Component, OwnershipCannotFormACycle) {
  auto* top = new TComponent(nullptr);
  auto* mid = new TComponent(top);
  auto* leaf = new TComponent(mid);
  EXPECT_THROW(leaf->InsertComponent(top), EComponentError);
  EXPECT_THROW(mid->InsertComponent(mid), EComponentError);
  EXPECT_EQ(top->GetOwner(), nullptr);
  EXPECT_EQ(leaf->GetOwner(), mid);
  top->RemoveComponent(leaf);  // not owned by top: ignored
  EXPECT_EQ(leaf->GetOwner(), mid);
  mid->RemoveComponent(leaf);  // now the caller owns it
  EXPECT_EQ(mid->GetComponentCount(), 0);
  delete top;
  delete leaf;
}

// ---- TPersistent ----------------------------------------------------------------------

namespace {

class TBar;
class TFoo : public TPersistent {
  CLASSLIB_CLASS(TFoo, TPersistent)
  int Value = 0;

 protected:
  void AssignTo(TPersistent* dest) override;
};

class TBar : public TPersistent {
  CLASSLIB_CLASS(TBar, TPersistent)
  int Value = 0;
};

// A TFoo knows how to copy itself into a TBar, but not the other way round.
void TFoo::AssignTo(TPersistent* dest) {
  if (auto* bar = dynamic_cast<TBar*>(dest)) {
    bar->Value = Value;
    return;
  }
  inherited::AssignTo(dest);
}

}  // namespace

TEST(Persistent, AssignErrorsNameBothClasses) {
  TFoo foo;
  TBar bar;
  foo.Value = 5;
  bar.Assign(&foo);
  EXPECT_EQ(bar.Value, 5);
  EXPECT_EQ(MessageOf<EConvertError>([&] { foo.Assign(&bar); }), L"Cannot assign a TBar to a TFoo");
  EXPECT_EQ(MessageOf<EConvertError>([&] { foo.Assign(&foo); }), L"Cannot assign a TFoo to a TFoo");
  EXPECT_EQ(MessageOf<EConvertError>([&] { bar.Assign(nullptr); }), L"Cannot assign a nil to a TBar");
}

TEST(Sets, OperationsIgnoreMembersOutsideTheRange) {
  enum TStyle { stBold, stItalic, stUnderline, stStrikeOut };
  using TStyles = TSet<TStyle>;
  TStyles s{stBold, stUnderline};
  s.Include(stItalic).Exclude(stBold).Include(static_cast<TStyle>(64)).Include(static_cast<TStyle>(-1));
  EXPECT_EQ(s, (TStyles{stItalic, stUnderline}));
  EXPECT_EQ(s + TStyles{stStrikeOut} - TStyles{stItalic}, (TStyles{stUnderline, stStrikeOut}));
  EXPECT_EQ(s * (TStyles{stItalic, stBold}), TStyles{stItalic});
}
