#include <gtest/gtest.h>

#include <memory>
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Events.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/StringList.h"
#include "ClassesTestSupport.h"

namespace registry_test {

// A colour type of its own, with the identifier functions a graphics library gives it;
// the Color adapter finds them beside the type.
enum class TColor : int32_t {};
inline constexpr TColor clRed = static_cast<TColor>(0x0000FF);
inline constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
bool IdentToColor(const String& ident, TColor& color) {
  if (SameText(ident, L"clRed")) color = clRed;
  else if (SameText(ident, L"clBtnFace")) color = clBtnFace;
  else return false;
  return true;
}
bool ColorToIdent(TColor color, String& ident) {
  if (color == clRed) ident = L"clRed";
  else if (color == clBtnFace) ident = L"clBtnFace";
  else return false;
  return true;
}

enum TAlign { alNone, alTop, alBottom, alClient };
const wchar_t* const AlignNames[] = {L"alNone", L"alTop", L"alBottom", L"alClient"};
constexpr TEnumInfo AlignIdents = MakeEnumInfo(AlignNames);

// Left goes through member functions, the rest straight to the fields.
class TWidget : public TComponent {
  CLASSLIB_CLASS(TWidget, TComponent)
  explicit TWidget(TComponent* owner) : TComponent(owner) { FLines.Add(L"first"); }
  static const TPropertyTable* PublishedProperties();

  int GetLeft() const { return FLeft; }
  void SetLeft(int value) { FLeft = value; }
  bool IsHintStored() const { return FHint != L"auto"; }

  int FLeft = 7;
  TAlign FAlign = alNone;
  TSet<TAlign> FAnchors{alTop};
  TColor FColor = clBtnFace;
  String FCaption, FHint;
  TStringList FLines;
  TWidget* FBuddy = nullptr;
  TNotifyEvent FOnClick;
  float FScale = 1;
  char FAccel = 'A';
  uint32_t FMask = 0;
  int64_t FBig = 0;
  bool FFlag = true;
  short FCursor = 0;
  TWidget* Partner = nullptr;  // a published field
};

const TPropertyTable* TWidget::PublishedProperties() {
  using P = TPublish<TWidget>;
  using W = TWidget;
  static const TPropertyTable table{
      {
          P::Integer(L"Left", &W::GetLeft, &W::SetLeft).Default(0),
          P::Enum(L"Align", AlignIdents, &W::FAlign, &W::FAlign).Default(alNone),
          P::Set(L"Anchors", AlignIdents, &W::FAnchors, &W::FAnchors).Default(TSet<TAlign>{alTop}),
          P::Color(L"Color", &W::FColor, &W::FColor).Default(clBtnFace),
          P::Text(L"Caption", &W::FCaption, &W::FCaption),
          P::WideText(L"Hint", &W::FHint, &W::FHint).Stored(&W::IsHintStored),
          P::Strings(L"Lines", [](W* w) { return &w->FLines; }),
          P::Component(L"Buddy", &W::FBuddy, &W::FBuddy),
          P::Method(L"OnClick", &W::FOnClick, &W::FOnClick),
          P::Float(L"Scale", &W::FScale, &W::FScale, TFloatType::Single).Default(1),
          P::Char(L"Accel", &W::FAccel, &W::FAccel),
          P::Cardinal(L"Mask", &W::FMask, &W::FMask),
          P::Int64(L"Big", &W::FBig, &W::FBig),
          P::Boolean(L"Flag", &W::FFlag, [](W* w, bool v) { w->FFlag = v; }).Default(true),
          P::Cursor(L"Cursor", &W::FCursor, &W::FCursor).Default(0),
      },
      {P::Field(L"Partner", &W::Partner)}};
  return &table;
}

// Declares Left again with another default and adds a property of its own.
class TBigWidget : public TWidget {
  CLASSLIB_CLASS(TBigWidget, TWidget)
  using TWidget::TWidget;
  static const TPropertyTable* PublishedProperties();
  int FDepth = 0;
};

const TPropertyTable* TBigWidget::PublishedProperties() {
  using P = TPublish<TBigWidget>;
  static const TPropertyTable table{
      P::Integer(L"Depth", &TBigWidget::FDepth, &TBigWidget::FDepth),
      P::Integer(L"LEFT", &TBigWidget::GetLeft, &TBigWidget::SetLeft).Default(7),
  };
  return &table;
}

// Publishes nothing of its own.
class TPlainWidget : public TWidget {
  CLASSLIB_CLASS(TPlainWidget, TWidget)
  using TWidget::TWidget;
};

class TNote : public TPersistent { CLASSLIB_CLASS(TNote, TPersistent) };
class TUnpersistent : public TObject { CLASSLIB_CLASS(TUnpersistent, TObject) };

}  // namespace registry_test

namespace registry_clash {
class TWidget : public TPersistent { CLASSLIB_CLASS(TWidget, TPersistent) };  // a second TWidget
}  // namespace registry_clash

namespace {

using namespace registry_test;
using classes_tests::MessageOf;

// ---- Class descriptors ------------------------------------------------------------------

// ---- Registry ----------------------------------------------------------------------------------

TEST(ClassRegistry, RegistersTheClassAndItsAncestors) {
  RegisterClass<TBigWidget>();
  EXPECT_EQ(FindClass(L"tbigwidget"), TBigWidget::StaticClassInfo());
  EXPECT_EQ(GetClass(L"TWidget"), TWidget::StaticClassInfo());
  EXPECT_EQ(GetClass(L"TPersistent"), TPersistent::StaticClassInfo());
  EXPECT_EQ(GetClass(L"TObject"), nullptr);
  RegisterClass<TBigWidget>();  // again: nothing happens

  UnRegisterClass(TBigWidget::StaticClassInfo());
  EXPECT_EQ(GetClass(L"TBigWidget"), nullptr);
  EXPECT_EQ(GetClass(L"TWidget"), TWidget::StaticClassInfo());
  UnRegisterClass(TWidget::StaticClassInfo());
}

TEST(ClassRegistry, UnknownClassesAndClashes) {
  EXPECT_EQ(GetClass(L"TNothingLikeThis"), nullptr);
  EXPECT_EQ(MessageOf<EClassNotFound>([] { FindClass(L"TNothingLikeThis"); }),
            L"Class TNothingLikeThis not found");

  RegisterClasses({TWidget::StaticClassInfo(), TNote::StaticClassInfo()});
  EXPECT_EQ(MessageOf<EFilerError>([] { RegisterClass<registry_clash::TWidget>(); }),
            L"A class named TWidget already exists");
  EXPECT_EQ(GetClass(L"TWidget"), TWidget::StaticClassInfo());
  EXPECT_THROW(RegisterClass<TUnpersistent>(), EFilerError);
  EXPECT_EQ(GetClass(L"TUnpersistent"), nullptr);
  UnRegisterClass(registry_clash::TWidget::StaticClassInfo());  // not the registered one
  EXPECT_EQ(GetClass(L"TWidget"), TWidget::StaticClassInfo());
  UnRegisterClass(TWidget::StaticClassInfo());
  UnRegisterClass(TNote::StaticClassInfo());
}

// ---- Property lookups -------------------------------------------------------------------------------

TEST(Properties, LookupsAlongTheChain) {
  const TPropInfo* left = GetPropInfo(TWidget::StaticClassInfo(), L"left");
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->GetKind(), pkInteger);
  EXPECT_EQ(GetPropInfo(TPlainWidget::StaticClassInfo(), L"CAPTION")->GetKind(), pkString);
  EXPECT_EQ(GetPropInfo(TWidget::StaticClassInfo(), L"Lef"), nullptr);
  EXPECT_EQ(GetPropInfo(TWidget::StaticClassInfo(), L"Depth"), nullptr);

  // The descendant's Left replaces the ancestor's, at the ancestor's place.
  const TPropInfo* bigLeft = GetPropInfo(TBigWidget::StaticClassInfo(), L"Left");
  EXPECT_NE(bigLeft, left);
  EXPECT_EQ(std::get<int64_t>(bigLeft->GetDefault()), 7);
  const std::vector<const TPropInfo*> list = GetPropList(TBigWidget::StaticClassInfo());
  ASSERT_EQ(list.size(), GetPropList(TWidget::StaticClassInfo()).size() + 1);
  EXPECT_EQ(list.front(), bigLeft);
  EXPECT_STREQ(list.back()->GetName(), L"Depth");

  EXPECT_NE(GetFieldInfo(TBigWidget::StaticClassInfo(), L"partner"), nullptr);
  EXPECT_EQ(GetFieldInfo(TBigWidget::StaticClassInfo(), L"Buddy"), nullptr);
}

TEST(Properties, OrdinalValuesPassAsIntegers) {
  TWidget w(nullptr);
  GetPropInfo(&w, L"Align")->SetOrd(&w, alClient);
  EXPECT_EQ(w.FAlign, alClient);
  GetPropInfo(&w, L"Anchors")->SetOrd(&w, (1 << alTop) | (1 << alBottom));
  EXPECT_TRUE(w.FAnchors == (TSet<TAlign>{alTop, alBottom}));
  EXPECT_EQ(GetPropInfo(&w, L"Anchors")->GetOrd(&w), (1 << alTop) | (1 << alBottom));

  w.FAccel = static_cast<char>(0xC8);  // a byte, not a negative number
  EXPECT_EQ(GetPropInfo(&w, L"Accel")->GetOrd(&w), 0xC8);
  w.FMask = 0xFFFFFFFF;
  EXPECT_EQ(GetPropInfo(&w, L"Mask")->GetOrd(&w), 0xFFFFFFFFLL);
  GetPropInfo(&w, L"Big")->SetOrd(&w, INT64_MIN);
  EXPECT_EQ(w.FBig, INT64_MIN);
  GetPropInfo(&w, L"Flag")->SetOrd(&w, 0);
  EXPECT_FALSE(w.FFlag);
  EXPECT_EQ(GetPropInfo(&w, L"Color")->GetOrd(&w), static_cast<int32_t>(0x8000000F));
}

TEST(Properties, IdentifiersOfColoursCursorsAndEnumerations) {
  const TPropInfo* color = GetPropInfo(TWidget::StaticClassInfo(), L"Color");
  int32_t value = 0;
  String ident;
  ASSERT_TRUE(color->IdentToInt(L"clRed", value));
  EXPECT_EQ(value, 0xFF);
  ASSERT_TRUE(color->IntToIdent(static_cast<int32_t>(0x8000000F), ident));
  EXPECT_EQ(ident, L"clBtnFace");
  EXPECT_FALSE(color->IntToIdent(0x123456, ident));

  // Cursors take theirs from the kind, once registered.
  const TPropInfo* cursor = GetPropInfo(TWidget::StaticClassInfo(), L"Cursor");
  EXPECT_FALSE(cursor->IdentToInt(L"crHandPoint", value));
  RegisterIntegerConsts(
      pkCursor,
      [](const String& s, int32_t& v) { return SameText(s, L"crHandPoint") && ((v = -21), true); },
      [](int32_t v, String& s) { return v == -21 && ((s = L"crHandPoint"), true); });
  EXPECT_TRUE(cursor->IdentToInt(L"CRHANDPOINT", value));
  EXPECT_EQ(value, -21);
  EXPECT_TRUE(cursor->IntToIdent(-21, ident));
  EXPECT_EQ(ident, L"crHandPoint");
  RegisterIntegerConsts(pkCursor, nullptr, nullptr);
  EXPECT_FALSE(cursor->IdentToInt(L"crHandPoint", value));

  EXPECT_EQ(GetEnumName(AlignIdents, alBottom), L"alBottom");
  EXPECT_EQ(GetEnumName(AlignIdents, 4), L"");
  EXPECT_EQ(GetEnumName(AlignIdents, -1), L"");
  EXPECT_EQ(GetEnumValue(AlignIdents, L"ALCLIENT"), alClient);
  EXPECT_EQ(GetEnumValue(AlignIdents, L"alClien"), -1);
}

TEST(Properties, TextFloatsObjectsAndKindChecks) {
  TWidget w(nullptr);
  GetPropInfo(&w, L"Caption")->SetString(&w, L"标题");
  EXPECT_EQ(w.FCaption, L"标题");
  GetPropInfo(&w, L"Scale")->SetFloat(&w, 0.5);
  EXPECT_EQ(w.FScale, 0.5f);
  EXPECT_EQ(GetPropInfo(&w, L"Lines")->GetObject(&w), &w.FLines);
  EXPECT_EQ(GetPropInfo(&w, L"Lines")->GetClassType(), TStringList::StaticClassInfo());

  EXPECT_EQ(MessageOf<EPropertyConvertError>([&] { GetPropInfo(&w, L"Left")->GetFloat(&w); }),
            L"Invalid property type: Left");
  EXPECT_EQ(MessageOf<EPropertyError>([&] { GetPropInfo(&w, L"Lines")->SetObject(&w, nullptr); }),
            L"Property Lines is read-only");
}

TEST(Properties, ReferencesAndFieldsCheckTheClass) {
  TComponent owner(nullptr);
  auto* a = new TWidget(&owner);
  auto* b = new TBigWidget(&owner);
  auto* other = new TComponent(&owner);
  const TPropInfo* buddy = GetPropInfo(a, L"Buddy");
  EXPECT_EQ(buddy->GetClassType(), TWidget::StaticClassInfo());
  buddy->SetObject(a, b);
  EXPECT_EQ(a->FBuddy, b);
  EXPECT_THROW(buddy->SetObject(a, other), EInvalidCast);
  EXPECT_EQ(a->FBuddy, b);
  buddy->SetObject(a, nullptr);
  EXPECT_EQ(a->FBuddy, nullptr);

  const TFieldInfo* partner = GetFieldInfo(a->ClassInfo(), L"Partner");
  partner->Set(a, b);
  EXPECT_EQ(partner->Get(a), b);
  EXPECT_THROW(partner->Set(a, other), EInvalidCast);
}

TEST(Properties, EventsPassAsTypedHandlers) {
  TWidget w(nullptr);
  const TPropInfo* onClick = GetPropInfo(&w, L"OnClick");
  EXPECT_FALSE(onClick->GetMethod(&w).Assigned());

  TObject* sender = nullptr;
  TMethod method;
  method.Name = L"WidgetClick";
  method.Code = TNotifyEvent([&sender](TObject* s) { sender = s; });
  onClick->SetMethod(&w, method);
  ASSERT_TRUE(w.FOnClick);
  w.FOnClick(&w);
  EXPECT_EQ(sender, &w);
  EXPECT_TRUE(onClick->GetMethod(&w).Assigned());

  TMethod wrong;
  wrong.Code = std::function<void(int)>([](int) {});
  EXPECT_THROW(onClick->SetMethod(&w, wrong), EPropertyConvertError);
  onClick->SetMethod(&w, TMethod());
  EXPECT_FALSE(w.FOnClick);
}

TEST(Properties, DefaultsAndStoredRules) {
  TWidget w(nullptr);
  w.FLeft = 0;
  // No declared default means 0 or empty, except ordinals (always written) and nested
  // objects (which decide for themselves).
  for (const wchar_t* name : {L"Left", L"Anchors", L"Color", L"Scale", L"Caption", L"Big",
                              L"Buddy", L"OnClick"})
    EXPECT_TRUE(GetPropInfo(&w, name)->IsDefaultValue(&w)) << name;
  for (const wchar_t* name : {L"Mask", L"Lines"})
    EXPECT_FALSE(GetPropInfo(&w, name)->IsDefaultValue(&w)) << name;
  w.FLeft = 7;
  w.FCaption = L"x";
  EXPECT_FALSE(GetPropInfo(&w, L"Left")->IsDefaultValue(&w));
  EXPECT_FALSE(GetPropInfo(&w, L"Caption")->IsDefaultValue(&w));

  const TPropInfo* hint = GetPropInfo(&w, L"Hint");
  EXPECT_TRUE(hint->IsStored(&w));
  w.FHint = L"auto";
  EXPECT_FALSE(hint->IsStored(&w));
  EXPECT_TRUE(GetPropInfo(&w, L"Left")->IsStored(&w));
}

TEST(Properties, TablesRefuseDuplicateNamesAndMismatchedDefaults) {
  using P = TPublish<TWidget>;
  EXPECT_THROW(TPropertyTable({P::Integer(L"Left", &TWidget::GetLeft, &TWidget::SetLeft),
                               P::Integer(L"left", &TWidget::GetLeft, &TWidget::SetLeft)}),
               EPropertyError);
  EXPECT_THROW(P::Integer(L"Left", &TWidget::GetLeft, &TWidget::SetLeft).Default(L"text"),
               EPropertyConvertError);
}

}  // namespace
