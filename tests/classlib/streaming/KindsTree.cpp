#include "KindsTree.h"

#include <gtest/gtest.h>

#include <tuple>

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
      P::Method(L"OnPing", &C::OnPing, &C::OnPing),
      P::Persistent(L"Nested", [](C* c) { return c->Nested.get(); }),
      P::Strings(L"Lines", [](C* c) { return c->Lines.get(); }),
      P::Collection(L"Items", [](C* c) { return c->Items.get(); }),
      P::Persistent(L"Picture", [](C* c) { return c->Picture.get(); }),
  };
  return &table;
}

void TKindsComponent::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  auto* ancestor = dynamic_cast<TKindsComponent*>(filer.GetAncestor());
  filer.DefineBinaryProperty(
      L"Blob",
      [this](TStream& stream) {
        Blob.assign(static_cast<size_t>(stream.GetSize()), 0);
        if (!Blob.empty()) stream.ReadBuffer(Blob.data(), static_cast<int>(Blob.size()));
      },
      [this](TStream& stream) {
        if (!Blob.empty()) stream.WriteBuffer(Blob.data(), static_cast<int>(Blob.size()));
      },
      ancestor ? Blob != ancestor->Blob : !Blob.empty());
}

void RegisterKindsClasses() {
  static const bool done = [] {
    RegisterClasses({TKindsRoot::StaticClassInfo(), TKindsComponent::StaticClassInfo()});
    RegisterMethods<TKindsRoot>({TPublishMethods<TKindsRoot>::Handler(L"Ping", &TKindsRoot::Ping)});
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
  first->Lines->SetText(L"one\r\n\r\n三");
  for (auto [value, label] : {std::pair{5, L"five"}, std::pair{0, L"zero"}}) {
    auto* item = static_cast<TKindsItem*>(first->Items->Add());
    item->Value = value;
    item->Label = label;
  }
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

namespace {

String NameOf(TComponent* component) { return component ? component->GetName() : String(); }

// Every value of c that a layout carries, in one tuple to compare at once.
auto KindsOf(TKindsComponent* c) {
  std::vector<std::pair<int, String>> items;
  for (int i = 0; i < c->Items->GetCount(); ++i) {
    auto* item = static_cast<TKindsItem*>(c->Items->GetItem(i));
    items.emplace_back(item->Value, item->Label);
  }
  return std::make_tuple(
      c->GetName(), c->Integer, c->Cardinal, c->Int64, c->Double, c->Single, c->Currency, c->Date,
      c->Boolean, c->Char, c->WChar, c->Text, c->WideText, c->Enum, c->Set, ColorToInt(c->Color),
      c->Cursor, c->ShortCut, NameOf(c->Buddy), NameOf(c->Partner), static_cast<bool>(c->OnPing),
      c->Nested->Depth, ColorToInt(c->Nested->Shade), c->Lines->GetText(), items, c->Blob,
      c->GetDesignInfo(), c->GetTag());
}

}  // namespace

void ExpectSameKinds(TKindsComponent* expected, TKindsComponent* actual) {
  ASSERT_NE(actual, nullptr);
  EXPECT_EQ(KindsOf(expected), KindsOf(actual));
  TGraphic* picture = expected->Picture->GetGraphic();
  TGraphic* read = actual->Picture->GetGraphic();
  ASSERT_EQ(picture == nullptr, read == nullptr);
  if (picture) {
    EXPECT_TRUE(picture->Equals(read));
  }
}

TComponent* ReadTreeText(const String& text, TComponent* root) {
  TStringStream stream(text);
  return ReadComponentFromStream(stream, root);
}
