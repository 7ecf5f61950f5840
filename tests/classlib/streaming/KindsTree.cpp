#include "KindsTree.h"

#include <gtest/gtest.h>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Layouts.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"

namespace {

const wchar_t* const KindsEnumNames[] = {L"keFirst", L"keSecond", L"keThird"};
constexpr TEnumInfo KindsEnumIdents = MakeEnumInfo(KindsEnumNames);

}  // namespace

const TPropertyTable* TKindsItem::PublishedProperties() {
  using P = TPublish<TKindsItem>;
  static const TPropertyTable table{
      P::Integer(L"Value", &TKindsItem::Value, &TKindsItem::Value).Default(0),
      P::Text(L"Label", &TKindsItem::Label, &TKindsItem::Label),
  };
  return &table;
}

const TPropertyTable* TKindsNested::PublishedProperties() {
  using P = TPublish<TKindsNested>;
  static const TPropertyTable table{
      P::Integer(L"Depth", &TKindsNested::Depth, &TKindsNested::Depth).Default(0),
      P::Color(L"Shade", &TKindsNested::Shade, &TKindsNested::Shade).Default(clBlack),
  };
  return &table;
}

TKindsComponent::TKindsComponent(TComponent* owner) : TComponent(owner) {}

const TPropertyTable* TKindsComponent::PublishedProperties() {
  using P = TPublish<TKindsComponent>;
  using C = TKindsComponent;
  static const TPropertyTable table{
      P::Integer(L"Integer", &C::Integer, &C::Integer).Default(0),
      P::Cardinal(L"Cardinal", &C::Cardinal, &C::Cardinal).Default(0),
      P::Int64(L"Int64", &C::Int64, &C::Int64),
      P::Float(L"Double", &C::Double, &C::Double),
      P::Float(L"Single", &C::Single, &C::Single, TFloatType::Single),
      P::Float(L"Currency", &C::Currency, &C::Currency, TFloatType::Currency),
      P::Float(L"Date", &C::Date, &C::Date, TFloatType::DateTime),
      P::Boolean(L"Boolean", &C::Boolean, &C::Boolean).Default(false),
      P::Char(L"Char", &C::Char, &C::Char).Default('a'),
      P::WChar(L"WChar", &C::WChar, &C::WChar).Default(L'a'),
      P::Text(L"Text", &C::Text, &C::Text),
      P::WideText(L"WideText", &C::WideText, &C::WideText),
      P::Enum(L"Enum", KindsEnumIdents, &C::Enum, &C::Enum).Default(keFirst),
      P::Set(L"Set", KindsEnumIdents, &C::Set, &C::Set).Default(TKindsSet{}),
      P::Color(L"Color", &C::Color, &C::Color).Default(clWindow),
      P::Cursor(L"Cursor", &C::Cursor, &C::Cursor).Default(0),
      P::ShortCut(L"ShortCut", &C::ShortCut, &C::ShortCut).Default(0),
      P::Component(L"Buddy", &C::Buddy, &C::Buddy),
      P::Component(L"Partner", &C::Partner, &C::Partner),
      P::Method(L"OnPing", &C::GetOnPing, &C::SetOnPing),
      P::Persistent(L"Nested", [](C* c) { return c->Nested.get(); }),
      P::Strings(L"Lines", [](C* c) { return c->Lines.get(); }),
      P::Collection(L"Items", [](C* c) { return c->Items.get(); }),
      P::Persistent(L"Picture", [](C* c) { return c->Picture.get(); }),
  };
  return &table;
}

void TKindsComponent::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  filer.DefineBinaryProperty(
      L"Blob",
      [this](TStream& stream) {
        Blob.assign(static_cast<size_t>(stream.GetSize()), 0);
        if (!Blob.empty()) stream.ReadBuffer(Blob.data(), static_cast<int>(Blob.size()));
      },
      [this](TStream& stream) {
        if (!Blob.empty()) stream.WriteBuffer(Blob.data(), static_cast<int>(Blob.size()));
      },
      [&] {
        if (auto* ancestor = dynamic_cast<TKindsComponent*>(filer.GetAncestor())) return Blob != ancestor->Blob;
        return !Blob.empty();
      }());
}

void TKindsComponent::Loaded() {
  TComponent::Loaded();
  ++LoadedCount;
  BuddySetAtLoaded = Buddy != nullptr;
}

void RegisterKindsClasses() {
  static const bool done = [] {
    RegisterClasses({TKindsRoot::StaticClassInfo(), TKindsComponent::StaticClassInfo()});
    using M = TPublishMethods<TKindsRoot>;
    RegisterMethods<TKindsRoot>({
        M::Handler(L"Ping", &TKindsRoot::Ping),
        M::Handler(L"Pong", &TKindsRoot::Pong),
    });
    return true;
  }();
  (void)done;
}

TKindsRoot* MakeKindsTree() {
  RegisterKindsClasses();
  auto* root = new TKindsRoot(nullptr);
  root->SetName(L"Tree");
  auto* first = new TKindsComponent(root);
  first->SetName(L"First");
  auto* second = new TKindsComponent(root);
  second->SetName(L"Second");

  first->Integer = -123456;
  first->Cardinal = 4000000000u;
  first->Int64 = -9000000000000LL;
  first->Double = 3.141592653589793;
  first->Single = 0.1f;
  first->Currency = 1234.5678;
  first->Date = 45292.75;
  first->Boolean = true;
  first->Char = 'Z';
  first->WChar = L'\u4E2D';
  first->Text = L"It's a \"text\" with a tab\tand a long tail that goes past sixty-four characters easily";
  first->WideText = L"中文 wide";
  first->Enum = keThird;
  first->Set = TKindsSet{keFirst, keThird};
  first->Color = clRed;
  first->Cursor = -21;  // crHandPoint
  first->ShortCut = 0x4053;
  first->Buddy = second;  // defined later in the stream
  TMethodEntry ping;
  if (FindMethodEntry(root->ClassInfo(), L"Ping", ping)) first->OnPing = std::any_cast<TNotifyEvent>(ping.Bind(root));
  first->Nested->Depth = 3;
  first->Nested->Shade = ColorFromInt(0x123456);
  first->Lines->Add(L"one");
  first->Lines->Add(L"");
  first->Lines->Add(L"三");
  auto* item = static_cast<TKindsItem*>(first->Items->Add());
  item->Value = 5;
  item->Label = L"five";
  item = static_cast<TKindsItem*>(first->Items->Add());
  item->Value = 0;
  item->Label = L"zero";
  for (int i = 0; i < 300; ++i) first->Blob.push_back(static_cast<uint8_t>(i * 7));
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(3, 2);
  bitmap.GetCanvas()->GetBrush()->SetColor(clBlue);
  bitmap.GetCanvas()->FillRect(Rect(0, 0, 3, 2));
  first->Picture->SetGraphic(&bitmap);
  first->SetDesignInfo(0x00200010);  // Left 16, Top 32
  first->SetTag(42);

  second->Buddy = first;
  second->Partner = root;  // written as Owner
  return root;
}

void ExpectSameKinds(TKindsComponent* expected, TKindsComponent* actual) {
  ASSERT_NE(actual, nullptr);
  EXPECT_EQ(expected->GetName(), actual->GetName());
  EXPECT_EQ(expected->Integer, actual->Integer);
  EXPECT_EQ(expected->Cardinal, actual->Cardinal);
  EXPECT_EQ(expected->Int64, actual->Int64);
  EXPECT_EQ(expected->Double, actual->Double);
  EXPECT_EQ(expected->Single, actual->Single);
  EXPECT_EQ(expected->Currency, actual->Currency);
  EXPECT_EQ(expected->Date, actual->Date);
  EXPECT_EQ(expected->Boolean, actual->Boolean);
  EXPECT_EQ(expected->Char, actual->Char);
  EXPECT_EQ(expected->WChar, actual->WChar);
  EXPECT_EQ(expected->Text, actual->Text);
  EXPECT_EQ(expected->WideText, actual->WideText);
  EXPECT_EQ(expected->Enum, actual->Enum);
  EXPECT_TRUE(expected->Set == actual->Set);
  EXPECT_EQ(ColorToInt(expected->Color), ColorToInt(actual->Color));
  EXPECT_EQ(expected->Cursor, actual->Cursor);
  EXPECT_EQ(expected->ShortCut, actual->ShortCut);
  EXPECT_EQ(expected->Buddy ? expected->Buddy->GetName() : String(),
            actual->Buddy ? actual->Buddy->GetName() : String());
  EXPECT_EQ(expected->Partner ? expected->Partner->GetName() : String(),
            actual->Partner ? actual->Partner->GetName() : String());
  EXPECT_EQ(static_cast<bool>(expected->OnPing), static_cast<bool>(actual->OnPing));
  EXPECT_EQ(expected->Nested->Depth, actual->Nested->Depth);
  EXPECT_EQ(ColorToInt(expected->Nested->Shade), ColorToInt(actual->Nested->Shade));
  EXPECT_TRUE(expected->Lines->Equals(actual->Lines.get()));
  ASSERT_EQ(expected->Items->GetCount(), actual->Items->GetCount());
  for (int i = 0; i < expected->Items->GetCount(); ++i) {
    auto* a = static_cast<TKindsItem*>(expected->Items->GetItem(i));
    auto* b = static_cast<TKindsItem*>(actual->Items->GetItem(i));
    EXPECT_EQ(a->Value, b->Value);
    EXPECT_EQ(a->Label, b->Label);
  }
  EXPECT_EQ(expected->Blob, actual->Blob);
  EXPECT_EQ(expected->GetDesignInfo(), actual->GetDesignInfo());
  EXPECT_EQ(expected->GetTag(), actual->GetTag());
  TGraphic* picture = expected->Picture->GetGraphic();
  TGraphic* read = actual->Picture->GetGraphic();
  ASSERT_EQ(picture == nullptr, read == nullptr);
  if (picture) {
    EXPECT_TRUE(picture->Equals(read));
  }
}

String TreeText(TComponent* root) { return ComponentToText(root); }

TComponent* ReadTreeText(const String& text) {
  TStringStream stream(text);
  return ReadComponentFromStream(stream, nullptr);
}
