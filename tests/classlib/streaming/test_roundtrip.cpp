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

bool Has(const String& text, const wchar_t* part) { return text.find(part) != String::npos; }

}  // namespace

TEST(ComponentRoundTrip, TextBinaryTextAndReadBackGiveTheSameTree) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  const String text = ComponentToText(original.get());

  // Text -> binary -> text gives the writer's text again.
  TStringStream source(text), back;
  TMemoryStream binary;
  ObjectTextToBinary(source, binary);
  binary.SetPosition(0);
  ObjectBinaryToText(binary, back);
  EXPECT_EQ(text, back.GetDataString());

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
  EXPECT_EQ(text, ComponentToText(root));
}

TEST(ComponentRoundTrip, ReferencesAndEventsPointIntoTheNewTreeBeforeLoaded) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  std::unique_ptr<TComponent> copy(ReadTreeText(ComponentToText(original.get())));
  auto* root = static_cast<TKindsRoot*>(copy.get());
  TKindsComponent* first = Child(root, L"First");
  TKindsComponent* second = Child(root, L"Second");
  ASSERT_TRUE(first && second);

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

  // Loaded ran once per component, after every reference was set.
  for (TKindsComponent* child : {first, second}) {
    EXPECT_EQ(1, child->LoadedCount) << child->GetName();
    EXPECT_TRUE(child->BuddySetAtLoaded) << child->GetName();
    EXPECT_FALSE(child->GetComponentState().Contains(csLoading)) << child->GetName();
    EXPECT_FALSE(child->GetComponentState().Contains(csReading)) << child->GetName();
  }
  EXPECT_FALSE(root->GetComponentState().Contains(csLoading));
}

TEST(ComponentRoundTrip, KindsAreWrittenInTheirStoredFormsAndDefaultsLeftOut) {
  std::unique_ptr<TKindsRoot> original(MakeKindsTree());
  Child(original.get(), L"Second")->Integer = 0;  // the declared default
  const String text = ComponentToText(original.get());
  for (const wchar_t* line :
       {L"object Tree: TKindsRoot", L"Integer = -123456", L"Enum = keThird", L"Set = [keFirst, keThird]",
        L"Color = clRed", L"Cursor = crHandPoint", L"Buddy = Second", L"OnPing = Ping", L"Nested.Depth = 3",
        L"Lines.Strings = (", L"Items = <", L"Picture.Data = {", L"Blob = {", L"Left = 16", L"Top = 32",
        L"Tag = 42", L"Partner = Owner"})  // a reference to the root itself is written as Owner
    EXPECT_TRUE(Has(text, line)) << StringToUtf8(line);

  // Second's Integer equals the declared default 0 and its other values are defaults.
  const size_t second = text.find(L"object Second: TKindsComponent");
  ASSERT_NE(String::npos, second);
  for (const wchar_t* absent : {L"Integer =", L"Color =", L"Lines.Strings", L"Picture.Data"})
    EXPECT_FALSE(Has(text.substr(second), absent)) << StringToUtf8(absent);

  std::unique_ptr<TComponent> copy(ReadTreeText(text));
  // Absent from the layout: the constructor's 7 stays, though the declared default is 0.
  EXPECT_EQ(7, Child(copy.get(), L"Second")->Integer);
  EXPECT_EQ(-123456, Child(copy.get(), L"First")->Integer);
}

TEST(ComponentRoundTrip, WriteDescendentLeavesOutWhatTheAncestorGivesAlike) {
  std::unique_ptr<TKindsRoot> ancestor(MakeKindsTree());
  std::unique_ptr<TComponent> descendant(ReadTreeText(ComponentToText(ancestor.get())));
  descendant->SetName(L"Tree");
  Child(descendant.get(), L"First")->Integer = 99;

  TStringStream text;
  WriteComponentText(text, descendant.get(), ancestor.get());
  const String written = text.GetDataString();
  EXPECT_TRUE(Has(written, L"inherited Tree: TKindsRoot"));
  EXPECT_TRUE(Has(written, L"inherited First: TKindsComponent"));
  EXPECT_TRUE(Has(written, L"Integer = 99"));
  for (const wchar_t* absent : {L"Cardinal =", L"Lines.Strings", L"Picture.Data", L"Blob ="})
    EXPECT_FALSE(Has(written, absent)) << StringToUtf8(absent);

  // Read over an instance made from the ancestor's layout: only Integer changes.
  std::unique_ptr<TComponent> target(ReadTreeText(ComponentToText(ancestor.get())));
  EXPECT_EQ(target.get(), ReadTreeText(written, target.get()));
  EXPECT_EQ(99, Child(target.get(), L"First")->Integer);
  EXPECT_EQ(4000000000u, Child(target.get(), L"First")->Cardinal);
  EXPECT_EQ(2, target->GetComponentCount());
}

TEST(ComponentRoundTrip, ReferenceIntoAnotherLoadedModuleIsResolved) {
  RegisterKindsClasses();
  std::unique_ptr<TComponent> shared(ReadTreeText(
      L"object SharedModule: TKindsRoot\r\n  object Store: TKindsComponent\r\n  end\r\nend\r\n"));
  ASSERT_EQ(L"SharedModule", shared->GetName());
  std::unique_ptr<TComponent> user(ReadTreeText(
      L"object UserModule: TKindsRoot\r\n"
      L"  object Client: TKindsComponent\r\n"
      L"    Partner = SharedModule.Store\r\n"
      L"  end\r\n"
      L"end\r\n"));
  EXPECT_EQ(shared->FindComponent(L"Store"), Child(user.get(), L"Client")->Partner);
  // Written back relative to the user's root, the reference keeps the module's name.
  EXPECT_TRUE(Has(ComponentToText(user.get()), L"Partner = SharedModule.Store"));
}

TEST(ComponentRoundTrip, SecondInstanceOfARootGetsAUniqueName) {
  RegisterKindsClasses();
  const String text = L"object Twin: TKindsRoot\r\nend\r\n";
  auto a = std::make_unique<TKindsRoot>(nullptr);
  TKindsRoot b(nullptr);
  ReadTreeText(text, a.get());
  ReadTreeText(text, &b);
  EXPECT_EQ(L"Twin", a->GetName());
  EXPECT_EQ(L"Twin_1", b.GetName());
  EXPECT_EQ(&b, FindGlobalComponent(L"Twin_1"));
  a.reset();  // the module list forgets it
  EXPECT_EQ(nullptr, FindGlobalComponent(L"Twin"));
  TKindsRoot c(nullptr);
  ReadTreeText(text, &c);
  EXPECT_EQ(L"Twin", c.GetName());
}

TEST(ComponentRoundTrip, ReadComponentsMakesEachWithOwner) {
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
