// Component trees through the writer and the reader: every property kind, a binary block
// and a picture written to text, converted to binary and back, read into new objects and
// compared; defaults left out; absent values keeping the constructor's; references forward
// and into another module; events bound by handler name; Loaded once per component.
#include <gtest/gtest.h>

#include <memory>

#include "KindsTree.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/ObjectText.h"

namespace {

TKindsComponent* Child(TComponent* root, const wchar_t* name) {
  return dynamic_cast<TKindsComponent*>(root->FindComponent(name));
}

String BinaryToText(TMemoryStream& binary) {
  binary.SetPosition(0);
  TStringStream text;
  ObjectBinaryToText(binary, text);
  return text.GetDataString();
}

}  // namespace

TEST(ComponentRoundTrip, TextBinaryTextAndReadBackGiveTheSameTree) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  const String text = TreeText(original.get());

  // Text -> binary -> text gives the writer's text again.
  TStringStream source(text);
  TMemoryStream binary;
  ObjectTextToBinary(source, binary);
  EXPECT_EQ(text, BinaryToText(binary));

  // Read from the binary form into a new root made by class name.
  binary.SetPosition(0);
  std::unique_ptr<TComponent> copy(ReadComponentFromStream(binary, nullptr));
  auto* root = dynamic_cast<TKindsRoot*>(copy.get());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(L"Tree", root->GetName().substr(0, 4));
  ASSERT_EQ(2, root->GetComponentCount());
  ExpectSameKinds(Child(original.get(), L"First"), Child(root, L"First"));

  // The text the writer writes of the copy is the text it was read from (names aside).
  root->SetName(L"Tree");
  EXPECT_EQ(text, TreeText(root));
}

TEST(ComponentRoundTrip, ReferencesAndEventsPointIntoTheNewTree) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  std::unique_ptr<TComponent> copy(ReadTreeText(TreeText(original.get())));
  auto* root = static_cast<TKindsRoot*>(copy.get());
  TKindsComponent* first = Child(root, L"First");
  TKindsComponent* second = Child(root, L"Second");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);

  // The forward reference names the second child of the new tree, not the original's.
  EXPECT_EQ(second, first->Buddy);
  EXPECT_EQ(first, second->Buddy);
  EXPECT_EQ(root, second->Partner);
  // The event calls the handler of the new root.
  ASSERT_TRUE(static_cast<bool>(first->OnPing));
  first->OnPing(first);
  EXPECT_EQ(1, root->Pings);
  EXPECT_EQ(first, root->LastSender);
  EXPECT_EQ(0, original->Pings);
}

TEST(ComponentRoundTrip, LoadedRunsOnceAfterEveryReferenceIsSet) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  std::unique_ptr<TComponent> copy(ReadTreeText(TreeText(original.get())));
  for (const wchar_t* name : {L"First", L"Second"}) {
    TKindsComponent* child = Child(copy.get(), name);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(1, child->LoadedCount) << name;
    EXPECT_TRUE(child->BuddySetAtLoaded) << name;
    EXPECT_FALSE(child->GetComponentState().Contains(csLoading)) << name;
    EXPECT_FALSE(child->GetComponentState().Contains(csReading)) << name;
  }
  EXPECT_FALSE(copy->GetComponentState().Contains(csLoading));
}

TEST(ComponentRoundTrip, DefaultsAreLeftOutAndAbsentValuesKeepTheConstructorValue) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  Child(original.get(), L"Second")->Integer = 0;  // the declared default
  const String text = TreeText(original.get());
  // Second's Integer equals the declared default 0 and its other values are defaults.
  const size_t second = text.find(L"object Second: TKindsComponent");
  ASSERT_NE(String::npos, second);
  const String secondPart = text.substr(second);
  EXPECT_EQ(String::npos, secondPart.find(L"Integer ="));
  EXPECT_EQ(String::npos, secondPart.find(L"Color ="));
  EXPECT_EQ(String::npos, secondPart.find(L"Lines.Strings"));
  EXPECT_EQ(String::npos, secondPart.find(L"Picture.Data"));
  EXPECT_NE(String::npos, text.find(L"Integer = -123456"));

  std::unique_ptr<TComponent> copy(ReadTreeText(text));
  // Absent from the layout: the constructor's 7 stays, though the declared default is 0.
  EXPECT_EQ(7, Child(copy.get(), L"Second")->Integer);
  EXPECT_EQ(-123456, Child(copy.get(), L"First")->Integer);
}

TEST(ComponentRoundTrip, WritesKindsInTheirStoredForms) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  const String text = TreeText(original.get());
  EXPECT_NE(String::npos, text.find(L"object Tree: TKindsRoot"));
  EXPECT_NE(String::npos, text.find(L"Enum = keThird"));
  EXPECT_NE(String::npos, text.find(L"Set = [keFirst, keThird]"));
  EXPECT_NE(String::npos, text.find(L"Color = clRed"));
  EXPECT_NE(String::npos, text.find(L"Cursor = crHandPoint"));
  EXPECT_NE(String::npos, text.find(L"Buddy = Second"));
  EXPECT_NE(String::npos, text.find(L"OnPing = Ping"));
  EXPECT_NE(String::npos, text.find(L"Nested.Depth = 3"));
  EXPECT_NE(String::npos, text.find(L"Lines.Strings = ("));
  EXPECT_NE(String::npos, text.find(L"Items = <"));
  EXPECT_NE(String::npos, text.find(L"Picture.Data = {"));
  EXPECT_NE(String::npos, text.find(L"Blob = {"));
  EXPECT_NE(String::npos, text.find(L"Left = 16"));
  EXPECT_NE(String::npos, text.find(L"Top = 32"));
  EXPECT_NE(String::npos, text.find(L"Tag = 42"));
  // A reference to the root itself is written as Owner.
  EXPECT_NE(String::npos, text.find(L"Partner = Owner"));
}

TEST(ComponentRoundTrip, ReadsIntoAGivenRootAndKeepsItsOwnPropertiesUntouched) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  const String text = TreeText(original.get());
  TKindsRoot root(nullptr);
  TStringStream stream(text);
  EXPECT_EQ(&root, ReadComponentFromStream(stream, &root));
  EXPECT_EQ(2, root.GetComponentCount());
  EXPECT_EQ(&root, Child(&root, L"First")->GetOwner());
}

TEST(ComponentRoundTrip, WriteDescendentLeavesOutWhatTheAncestorGivesAlike) {
  std::unique_ptr<TKindsRoot> ancestor(MakeKindsTree());
  std::unique_ptr<TComponent> descendant(ReadTreeText(TreeText(ancestor.get())));
  descendant->SetName(L"Tree");
  Child(descendant.get(), L"First")->Integer = 99;

  TStringStream text;
  WriteComponentText(text, descendant.get(), ancestor.get());
  const String written = text.GetDataString();
  EXPECT_NE(String::npos, written.find(L"inherited Tree: TKindsRoot"));
  EXPECT_NE(String::npos, written.find(L"inherited First: TKindsComponent"));
  EXPECT_NE(String::npos, written.find(L"Integer = 99"));
  EXPECT_EQ(String::npos, written.find(L"Cardinal ="));
  EXPECT_EQ(String::npos, written.find(L"Lines.Strings"));
  EXPECT_EQ(String::npos, written.find(L"Picture.Data"));
  EXPECT_EQ(String::npos, written.find(L"Blob ="));

  // Read over an instance made from the ancestor's layout: only Integer changes.
  std::unique_ptr<TComponent> target(ReadTreeText(TreeText(ancestor.get())));
  TStringStream input(written);
  ReadComponentFromStream(input, target.get());
  EXPECT_EQ(99, Child(target.get(), L"First")->Integer);
  EXPECT_EQ(4000000000u, Child(target.get(), L"First")->Cardinal);
  EXPECT_EQ(2, target->GetComponentCount());
}

TEST(ComponentRoundTrip, ReferenceIntoAnotherLoadedModuleIsResolved) {
  RegisterKindsClasses();
  std::unique_ptr<TComponent> shared(ReadTreeText(
      L"object SharedModule: TKindsRoot\r\n"
      L"  object Store: TKindsComponent\r\n"
      L"  end\r\n"
      L"end\r\n"));
  ASSERT_EQ(L"SharedModule", shared->GetName());
  std::unique_ptr<TComponent> user(ReadTreeText(
      L"object UserModule: TKindsRoot\r\n"
      L"  object Client: TKindsComponent\r\n"
      L"    Partner = SharedModule.Store\r\n"
      L"  end\r\n"
      L"end\r\n"));
  EXPECT_EQ(shared->FindComponent(L"Store"), Child(user.get(), L"Client")->Partner);

  // Written back relative to the user's root, the reference keeps the module's name.
  EXPECT_NE(String::npos, TreeText(user.get()).find(L"Partner = SharedModule.Store"));
}

TEST(ComponentRoundTrip, SecondInstanceOfARootGetsAUniqueName) {
  RegisterKindsClasses();
  const String text = L"object Twin: TKindsRoot\r\nend\r\n";
  auto readInto = [&](TComponent* root) {
    TStringStream stream(text);
    ReadComponentFromStream(stream, root);
  };
  auto a = std::make_unique<TKindsRoot>(nullptr);
  TKindsRoot b(nullptr);
  readInto(a.get());
  readInto(&b);
  EXPECT_EQ(L"Twin", a->GetName());
  EXPECT_EQ(L"Twin_1", b.GetName());
  EXPECT_EQ(&b, FindGlobalComponent(L"Twin_1"));
  a.reset();  // the module list forgets it
  EXPECT_EQ(nullptr, FindGlobalComponent(L"Twin"));
  TKindsRoot c(nullptr);
  readInto(&c);
  EXPECT_EQ(L"Twin", c.GetName());
}

TEST(ComponentRoundTrip, ReadComponentsMakesEachWithOwner) {
  RegisterKindsClasses();
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  // A list of two objects without signature, as components are copied through a stream.
  TMemoryStream list;
  {
    TWriter writer(list);
    writer.SetRoot(original.get());
    writer.SetLookupRoot(original.get());
    writer.WriteComponent(original->FindComponent(L"First"));
    writer.WriteComponent(original->FindComponent(L"Second"));
    writer.WriteListEnd();
  }
  list.SetPosition(0);
  TKindsRoot owner(nullptr);
  std::vector<TComponent*> made;
  TReader reader(list);
  reader.ReadComponents(&owner, nullptr, [&](TComponent* c) { made.push_back(c); });
  ASSERT_EQ(2u, made.size());
  EXPECT_EQ(&owner, made[0]->GetOwner());
  EXPECT_EQ(made[1], static_cast<TKindsComponent*>(made[0])->Buddy);
}
