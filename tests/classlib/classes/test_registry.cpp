#include <gtest/gtest.h>

#include <algorithm>
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Events.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/StringList.h"

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

class TWidget : public TComponent {
  CLASSLIB_CLASS(TWidget, TComponent)
  explicit TWidget(TComponent* owner) : TComponent(owner) { FLines.Add(L"first"); }
  static const TPropertyTable* PublishedProperties();

  int GetLeft() const { return FLeft; }
  void SetLeft(int value) { FLeft = value; }
  TAlign GetAlign() const { return FAlign; }
  void SetAlign(TAlign value) { FAlign = value; }
  TSet<TAlign> GetAnchors() const { return FAnchors; }
  void SetAnchors(TSet<TAlign> value) { FAnchors = value; }
  TColor GetColor() const { return FColor; }
  void SetColor(TColor value) { FColor = value; }
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value) { FCaption = value; }
  TStringList* GetLines() { return &FLines; }
  TWidget* GetBuddy() const { return FBuddy; }
  void SetBuddy(TWidget* value) { FBuddy = value; }
  TNotifyEvent GetOnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent value) { FOnClick = std::move(value); }
  bool IsHintStored() const { return FHint != L"auto"; }

  int FLeft = 7;
  TAlign FAlign = alNone;
  TSet<TAlign> FAnchors{alTop};
  TColor FColor = clBtnFace;
  String FCaption;
  String FHint;
  TStringList FLines;
  TWidget* FBuddy = nullptr;
  TNotifyEvent FOnClick;
  double FRatio = 0;
  float FScale = 1;
  char FAccel = 'A';
  wchar_t FMark = L'x';
  uint32_t FMask = 0;
  int64_t FBig = 0;
  bool FFlag = true;
  short FCursor = 0;
  TWidget* Partner = nullptr;  // a published field
};

const TPropertyTable* TWidget::PublishedProperties() {
  using P = TPublish<TWidget>;
  static const TPropertyTable table{
      {
          P::Integer(L"Left", &TWidget::GetLeft, &TWidget::SetLeft).Default(0),
          P::Enum(L"Align", AlignIdents, &TWidget::GetAlign, &TWidget::SetAlign).Default(alNone),
          P::Set(L"Anchors", AlignIdents, &TWidget::GetAnchors, &TWidget::SetAnchors)
              .Default(TSet<TAlign>{alTop}),
          P::Color(L"Color", &TWidget::GetColor, &TWidget::SetColor).Default(clBtnFace),
          P::Text(L"Caption", &TWidget::GetCaption, &TWidget::SetCaption),
          P::WideText(L"Hint", &TWidget::FHint, &TWidget::FHint).Stored(&TWidget::IsHintStored),
          P::Strings(L"Lines", &TWidget::GetLines),
          P::Component(L"Buddy", &TWidget::GetBuddy, &TWidget::SetBuddy),
          P::Method(L"OnClick", &TWidget::GetOnClick, &TWidget::SetOnClick),
          P::Float(L"Ratio", &TWidget::FRatio, &TWidget::FRatio),
          P::Float(L"Scale", &TWidget::FScale, &TWidget::FScale, TFloatType::Single).Default(1),
          P::Char(L"Accel", &TWidget::FAccel, &TWidget::FAccel),
          P::WChar(L"Mark", &TWidget::FMark, &TWidget::FMark),
          P::Cardinal(L"Mask", &TWidget::FMask, &TWidget::FMask),
          P::Int64(L"Big", &TWidget::FBig, &TWidget::FBig),
          P::Boolean(L"Flag", &TWidget::FFlag, [](TWidget* w, bool v) { w->FFlag = v; }).Default(true),
          P::Cursor(L"Cursor", &TWidget::FCursor, &TWidget::FCursor).Default(0),
      },
      {P::Field(L"Partner", &TWidget::Partner)}};
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

class TAbstractWidget : public TComponent {
  CLASSLIB_CLASS(TAbstractWidget, TComponent)
  using TComponent::TComponent;
  virtual void Paint() = 0;
};

class TNote : public TPersistent {
  CLASSLIB_CLASS(TNote, TPersistent)
};

class TUnpersistent : public TObject {
  CLASSLIB_CLASS(TUnpersistent, TObject)
};

}  // namespace registry_test

namespace registry_clash {
// Another class called TWidget.
class TWidget : public TPersistent {
  CLASSLIB_CLASS(TWidget, TPersistent)
};
}  // namespace registry_clash

namespace {

using namespace registry_test;

// ---- Class descriptors ------------------------------------------------------------------

TEST(ClassInfo, FactoriesFollowTheConstructors) {
  const TClassInfo* widget = TWidget::StaticClassInfo();
  ASSERT_NE(widget->CreateComponent, nullptr);
  EXPECT_EQ(widget->CreatePersistent, nullptr);
  EXPECT_EQ(TAbstractWidget::StaticClassInfo()->CreateComponent, nullptr);
  EXPECT_NE(TNote::StaticClassInfo()->CreatePersistent, nullptr);
  EXPECT_NE(TStringList::StaticClassInfo()->CreatePersistent, nullptr);
  EXPECT_EQ(TStrings::StaticClassInfo()->CreatePersistent, nullptr);  // abstract

  TComponent owner(nullptr);
  TComponent* made = widget->CreateComponent(&owner);
  ASSERT_NE(dynamic_cast<TWidget*>(made), nullptr);
  EXPECT_EQ(made->GetOwner(), &owner);
  EXPECT_EQ(owner.GetComponentCount(), 1);

  TPersistent* note = TNote::StaticClassInfo()->CreatePersistent();
  EXPECT_EQ(note->ClassName(), L"TNote");
  delete note;
}

TEST(ClassInfo, OwnPropertyTablesOnly) {
  EXPECT_EQ(TWidget::StaticClassInfo()->PublishedProperties, &TWidget::PublishedProperties);
  EXPECT_EQ(TPlainWidget::StaticClassInfo()->PublishedProperties, nullptr);
  EXPECT_EQ(TComponent::StaticClassInfo()->PublishedProperties, nullptr);
}

// ---- Registry ----------------------------------------------------------------------------------

TEST(ClassRegistry, RegistersTheClassAndItsAncestors) {
  RegisterClass<TBigWidget>();
  EXPECT_EQ(FindClass(L"tbigwidget"), TBigWidget::StaticClassInfo());
  EXPECT_EQ(GetClass(L"TWidget"), TWidget::StaticClassInfo());
  EXPECT_EQ(GetClass(L"TComponent"), TComponent::StaticClassInfo());
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
  try {
    FindClass(L"TNothingLikeThis");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), L"Class TNothingLikeThis not found");
  }

  RegisterClasses({TWidget::StaticClassInfo(), TNote::StaticClassInfo()});
  try {
    RegisterClass<registry_clash::TWidget>();
    FAIL();
  } catch (const EFilerError& e) {
    EXPECT_EQ(e.Message(), L"A class named TWidget already exists");
  }
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

TEST(Properties, ColourIdentifiersComeFromTheColourType) {
  const TPropInfo* color = GetPropInfo(TWidget::StaticClassInfo(), L"Color");
  int32_t value = 0;
  ASSERT_TRUE(color->IdentToInt(L"clRed", value));
  EXPECT_EQ(value, 0xFF);
  String ident;
  ASSERT_TRUE(color->IntToIdent(static_cast<int32_t>(0x8000000F), ident));
  EXPECT_EQ(ident, L"clBtnFace");
  EXPECT_FALSE(color->IntToIdent(0x123456, ident));
}

TEST(Properties, CursorIdentifiersComeFromTheKind) {
  const TPropInfo* cursor = GetPropInfo(TWidget::StaticClassInfo(), L"Cursor");
  int32_t value = 0;
  String ident;
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
}

TEST(Properties, TextFloatsObjectsAndKindChecks) {
  TWidget w(nullptr);
  GetPropInfo(&w, L"Caption")->SetString(&w, L"标题");
  EXPECT_EQ(w.FCaption, L"标题");
  GetPropInfo(&w, L"Scale")->SetFloat(&w, 0.5);
  EXPECT_EQ(w.FScale, 0.5f);
  EXPECT_EQ(GetPropInfo(&w, L"Lines")->GetObject(&w), &w.FLines);
  EXPECT_EQ(GetPropInfo(&w, L"Lines")->GetClassType(), TStringList::StaticClassInfo());

  try {
    GetPropInfo(&w, L"Left")->GetFloat(&w);
    FAIL();
  } catch (const EPropertyConvertError& e) {
    EXPECT_EQ(e.Message(), L"Invalid property type: Left");
  }
  try {
    GetPropInfo(&w, L"Lines")->SetObject(&w, nullptr);
    FAIL();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), L"Property Lines is read-only");
  }
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
  EXPECT_EQ(a->Partner, b);
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
  const auto isDefault = [&w](const wchar_t* name) { return GetPropInfo(&w, name)->IsDefaultValue(&w); };
  EXPECT_FALSE(isDefault(L"Left"));  // 7 is not the declared 0
  w.FLeft = 0;
  EXPECT_TRUE(isDefault(L"Left"));
  EXPECT_TRUE(isDefault(L"Anchors"));
  EXPECT_TRUE(isDefault(L"Color"));
  EXPECT_TRUE(isDefault(L"Scale"));
  EXPECT_TRUE(isDefault(L"Ratio"));    // no declared default: 0
  EXPECT_TRUE(isDefault(L"Caption"));  // no declared default: empty
  EXPECT_TRUE(isDefault(L"Big"));
  EXPECT_FALSE(isDefault(L"Mask"));    // ordinal without a default: always written
  EXPECT_FALSE(isDefault(L"Lines"));   // nested objects decide for themselves
  EXPECT_TRUE(isDefault(L"Buddy"));
  EXPECT_TRUE(isDefault(L"OnClick"));
  w.FCaption = L"x";
  EXPECT_FALSE(isDefault(L"Caption"));

  const TPropInfo* hint = GetPropInfo(&w, L"Hint");
  EXPECT_TRUE(hint->IsStored(&w));
  w.FHint = L"auto";
  EXPECT_FALSE(hint->IsStored(&w));
  EXPECT_TRUE(GetPropInfo(&w, L"Left")->IsStored(&w));
}

TEST(Properties, TablesRefuseDuplicateNames) {
  using P = TPublish<TWidget>;
  EXPECT_THROW(TPropertyTable({P::Integer(L"Left", &TWidget::GetLeft, &TWidget::SetLeft),
                               P::Integer(L"left", &TWidget::GetLeft, &TWidget::SetLeft)}),
               EPropertyError);
  EXPECT_THROW(P::Integer(L"Left", &TWidget::GetLeft, &TWidget::SetLeft).Default(L"text"),
               EPropertyConvertError);
}

TEST(Properties, EnumerationNames) {
  EXPECT_EQ(GetEnumName(AlignIdents, alBottom), L"alBottom");
  EXPECT_EQ(GetEnumName(AlignIdents, 4), L"");
  EXPECT_EQ(GetEnumName(AlignIdents, -1), L"");
  EXPECT_EQ(GetEnumValue(AlignIdents, L"ALCLIENT"), alClient);
  EXPECT_EQ(GetEnumValue(AlignIdents, L"alClien"), -1);
}

}  // namespace
