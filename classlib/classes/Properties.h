// The published-property registry: what the layout reader may set and the writer stores.
//
// Each class that publishes properties gives one table of them, built once from adapters
// over its getters and writers:
//
//   class TMyPanel : public TCustomControl {
//     CLASSLIB_CLASS(TMyPanel, TCustomControl)
//     static const TPropertyTable* PublishedProperties();
//     ...
//   };
//
//   const TPropertyTable* TMyPanel::PublishedProperties() {
//     using P = TPublish<TMyPanel>;
//     static const TPropertyTable table{
//         P::Enum(L"Align", AlignIdents, &TMyPanel::GetAlign, &TMyPanel::SetAlign).Default(alNone),
//         P::Color(L"Color", &TMyPanel::GetColor, &TMyPanel::SetColor).Default(clBtnFace),
//         P::Persistent(L"Font", &TMyPanel::GetFont, &TMyPanel::SetFont),
//         P::Method(L"OnClick", &TMyPanel::GetOnClick, &TMyPanel::SetOnClick),
//     };
//     return &table;
//   }
//
// Lookups walk the class chain, most derived class first, and compare names without regard
// to case; a descendant may declare a property again (with another default, say) and its
// entry then replaces the ancestor's.
//
// Values pass through the registry in four forms: ordinals as int64_t (integers, booleans,
// characters, enumerations by position, sets as bit masks with bit n for value n, colours,
// cursors, shortcuts), floats as double, text as String, objects as TObject*, and events as
// TMethod.
#pragma once
#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>
#include "../system/Win.h"
#include "Component.h"
#include "Sets.h"

CLASSLIB_EXCEPTION(EPropertyError, Exception)
CLASSLIB_EXCEPTION(EPropertyConvertError, Exception)

// ---- Kinds -----------------------------------------------------------------------------

enum TPropKind {
  pkInteger,      // a signed integer of up to 32 bits
  pkCardinal,     // an unsigned 32-bit integer
  pkInt64,        // a signed 64-bit integer
  pkFloat,        // a floating-point value; see TFloatType
  pkBoolean,      // False or True
  pkChar,         // a byte character (code page 936), 0..255
  pkWChar,        // a UTF-16 character
  pkString,       // text, stored as a byte string when it is ASCII
  pkWString,      // text, always stored as UTF-16
  pkEnumeration,  // a value of an enumeration, stored by its identifier
  pkSet,          // a set of an enumeration, stored as its members' identifiers
  pkColor,        // a TColor, stored by name when it has one, else as a number
  pkCursor,       // a TCursor, likewise
  pkShortCut,     // a TShortCut, stored as a number
  pkComponent,    // a reference to a component, stored by name
  pkPersistent,   // a nested object the instance owns (Font, Picture); its own properties
  pkStrings,      // a nested TStrings the instance owns
  pkCollection,   // a nested TCollection the instance owns
  pkMethod        // an event, stored by the name of its handler
};

// How a float property is stored: vaExtended, vaSingle, vaCurrency or vaDate.
enum class TFloatType { Double, Single, Currency, DateTime };

// True for the kinds whose values pass as int64_t (GetOrd/SetOrd).
bool IsOrdinalKind(TPropKind kind);
// True for the kinds whose value is an object the instance owns (nested properties).
bool IsNestedObjectKind(TPropKind kind);

// ---- Enumerations ------------------------------------------------------------------------

// The identifiers of an enumeration: Names[i] names the value i.
struct TEnumInfo {
  const wchar_t* const* Names;  // static strings; not owned
  int Count;
};

// static const wchar_t* const AlignNames[] = {L"alNone", L"alTop", ...};
// inline constexpr TEnumInfo AlignIdents = MakeEnumInfo(AlignNames);
template <size_t N>
constexpr TEnumInfo MakeEnumInfo(const wchar_t* const (&names)[N]) {
  return TEnumInfo{names, static_cast<int>(N)};
}

// The identifier of value; empty when value is outside the enumeration.
String GetEnumName(const TEnumInfo& info, int value);
// The value named name (compared without regard to case); -1 when there is none.
int GetEnumValue(const TEnumInfo& info, const String& name);

// ---- Identifiers of integer kinds (colours, cursors) ---------------------------------------

using TIdentToInt = bool (*)(const String& ident, int32_t& value);
using TIntToIdent = bool (*)(int32_t value, String& ident);

// Gives a kind (pkColor, pkCursor) its identifiers for every property of that kind that has
// none of its own. The library that defines the identifiers calls it at start-up; a later
// call replaces the earlier pair.
void RegisterIntegerConsts(TPropKind kind, TIdentToInt identToInt, TIntToIdent intToIdent);
TIdentToInt FindIdentToInt(TPropKind kind);  // nullptr when none was registered
TIntToIdent FindIntToIdent(TPropKind kind);

// ---- Events ---------------------------------------------------------------------------------

// An event handler as the registry passes it: the handler (a std::function of the event's
// own type) held in Code, empty for none. Name is the handler's name as a layout gives it;
// the std::function does not remember it, so a getter leaves it empty.
struct TMethod {
  String Name;
  std::any Code;
  bool Assigned() const { return Code.has_value(); }
};

// ---- One property -----------------------------------------------------------------------------

using TPropValue = std::variant<std::monostate, int64_t, double, String, TObject*, TMethod>;

class TPropInfo {
 public:
  using TGetter = std::function<TPropValue(TObject* instance)>;
  using TSetter = std::function<void(TObject* instance, const TPropValue& value)>;
  using TStoredFunc = std::function<bool(TObject* instance)>;

  // getter must give the form of value that kind passes as (see the top of this file);
  // setter may be empty for a read-only property (nested objects often are).
  TPropInfo(const wchar_t* name, TPropKind kind, TGetter getter, TSetter setter);

  // ---- Attributes ---------------------------------------------------------------
  const wchar_t* GetName() const { return FName; }
  TPropKind GetKind() const { return FKind; }
  // The identifiers of a pkEnumeration or pkSet property; nullptr for other kinds.
  const TEnumInfo* GetEnumInfo() const { return FEnumInfo; }
  TFloatType GetFloatType() const { return FFloatType; }
  // The class the value must be of: pkComponent, pkPersistent, pkStrings, pkCollection.
  const TClassInfo* GetClassType() const { return FClassType; }
  bool IsWritable() const { return static_cast<bool>(FSetter); }
  // The declared default; monostate when the property declares none.
  const TPropValue& GetDefault() const { return FDefault; }
  bool HasDefault() const { return !std::holds_alternative<std::monostate>(FDefault); }

  // ---- Values -------------------------------------------------------------------
  // Each raises EPropertyConvertError "Invalid property type: <name>" when the property's
  // kind does not pass values in that form, and a writer EPropertyError "Property <name> is
  // read-only" when there is no setter. instance must be of the class that declares the
  // property (or a descendant).
  int64_t GetOrd(TObject* instance) const;
  void SetOrd(TObject* instance, int64_t value) const;
  double GetFloat(TObject* instance) const;
  void SetFloat(TObject* instance, double value) const;
  String GetString(TObject* instance) const;
  void SetString(TObject* instance, const String& value) const;
  // Component references and nested objects. The nested object stays the instance's.
  // (The system's headers rename GetObject to GetObjectW; Win.h is included above so that
  // every unit sees the same name.)
  TObject* GetObject(TObject* instance) const;
  void SetObject(TObject* instance, TObject* value) const;
  TMethod GetMethod(TObject* instance) const;
  void SetMethod(TObject* instance, const TMethod& value) const;

  // The stored-when rule: false means the writer leaves the property out.
  bool IsStored(TObject* instance) const;
  // True when the value is the one a layout need not repeat: the declared default for
  // ordinals (never without one); the declared default, else 0 or empty, for int64, float
  // and text; nil for references, no handler for events. Nested objects are never default
  // here: their own properties decide.
  bool IsDefaultValue(TObject* instance) const;

  // Identifiers of pkColor and pkCursor values: the property's own pair, else its kind's
  // (RegisterIntegerConsts). False when there is none or it does not know the value.
  bool IdentToInt(const String& ident, int32_t& value) const;
  bool IntToIdent(int32_t value, String& ident) const;

  // ---- Building (the adapters of TPublish use these) --------------------------------------
  void SetEnumInfo(const TEnumInfo* info) { FEnumInfo = info; }
  void SetFloatType(TFloatType type) { FFloatType = type; }
  void SetClassType(const TClassInfo* cls) { FClassType = cls; }
  void SetIdents(TIdentToInt identToInt, TIntToIdent intToIdent);
  // Stores value as the default, in the form the kind passes values (an integer default of
  // a float property becomes a double). EPropertyConvertError when the form does not fit.
  void SetDefaultValue(TPropValue value);
  void SetStoredFunc(TStoredFunc stored) { FStored = std::move(stored); }

 private:
  [[noreturn]] void ConvertError() const;
  void CheckWritable() const;
  TPropValue Get(TObject* instance) const;

  const wchar_t* FName;                    // static string; not owned
  TPropKind FKind;
  TGetter FGetter;                         // gives the value in its form
  TSetter FSetter;                         // empty: read-only
  TStoredFunc FStored;                     // empty: always stored
  TPropValue FDefault;                     // monostate: no declared default
  const TEnumInfo* FEnumInfo = nullptr;    // identifiers of enumerations and sets; static
  TFloatType FFloatType = TFloatType::Double;
  const TClassInfo* FClassType = nullptr;  // class of references and nested objects
  TIdentToInt FIdentToInt = nullptr;       // this property's own identifiers, if any
  TIntToIdent FIntToIdent = nullptr;
};

// ---- Published fields -----------------------------------------------------------------------------

// A field of a form or data module that the reader points at the component of the same name
// once it has created it (and that is cleared when that component goes).
struct TFieldInfo {
  const wchar_t* Name;                                       // static string; not owned
  const TClassInfo* ClassType;                               // the field's component class
  std::function<void(TObject* instance, TComponent* value)> Set;  // EInvalidCast: wrong class
  std::function<TComponent*(TObject* instance)> Get;
};

// ---- One class's table -----------------------------------------------------------------------------

class TPropertyTable {
 public:
  // EPropertyError "Property %s is declared twice" when two entries share a name.
  TPropertyTable(std::initializer_list<TPropInfo> properties,
                 std::initializer_list<TFieldInfo> fields = {});

  int GetCount() const { return static_cast<int>(FProperties.size()); }
  const TPropInfo& GetProperty(int index) const { return FProperties.at(static_cast<size_t>(index)); }
  // This table's entry of that name (without regard to case); nullptr when there is none.
  const TPropInfo* Find(const String& name) const;

  int GetFieldCount() const { return static_cast<int>(FFields.size()); }
  const TFieldInfo& GetField(int index) const { return FFields.at(static_cast<size_t>(index)); }
  const TFieldInfo* FindField(const String& name) const;

 private:
  std::vector<TPropInfo> FProperties;  // in declaration order
  std::vector<TFieldInfo> FFields;
};

// ---- Lookups along the class chain ------------------------------------------------------------------

// The property of that name that cls publishes or inherits; nullptr when there is none.
const TPropInfo* GetPropInfo(const TClassInfo* cls, const String& name);
inline const TPropInfo* GetPropInfo(const TObject* instance, const String& name) {
  return instance ? GetPropInfo(instance->ClassInfo(), name) : nullptr;
}
// Every property of cls, ancestors' first, each in declaration order; a property a
// descendant declares again stays at its ancestor's place with the descendant's entry.
std::vector<const TPropInfo*> GetPropList(const TClassInfo* cls);
// The published field of that name of cls or an ancestor; nullptr when there is none.
const TFieldInfo* GetFieldInfo(const TClassInfo* cls, const String& name);

// ---- Adapters ------------------------------------------------------------------------------------------

namespace PropertyDetail {

template <class V> struct IsSet : std::false_type {};
template <class E> struct IsSet<TSet<E>> : std::true_type {};

// Names the element type of a TSet (used only in decltype).
template <class E> E SetElementOf(const TSet<E>&);


// An ordinal value (integer, bool, character, enumeration, TSet, TColor) as int64_t.
template <class V>
int64_t ToOrd(const V& value) {
  if constexpr (IsSet<V>::value) {
    int64_t bits = 0;
    for (int i = 0; i < 64; ++i)
      if (value.Contains(static_cast<decltype(SetElementOf(value))>(i))) bits |= int64_t{1} << i;
    return bits;
  } else if constexpr (std::is_enum_v<V>) {
    return static_cast<int64_t>(static_cast<std::underlying_type_t<V>>(value));
  } else if constexpr (std::is_same_v<V, char>) {
    return static_cast<unsigned char>(value);
  } else if constexpr (std::is_same_v<V, wchar_t>) {
    return static_cast<uint16_t>(value);
  } else {
    static_assert(std::is_integral_v<V>, "not an ordinal type");
    return static_cast<int64_t>(value);
  }
}

template <class V>
V FromOrd(int64_t value) {
  if constexpr (IsSet<V>::value) {
    V set;
    for (int i = 0; i < 64; ++i)
      if (value & (int64_t{1} << i)) set.Include(static_cast<decltype(SetElementOf(set))>(i));
    return set;
  } else if constexpr (std::is_same_v<V, bool>) {
    return value != 0;
  } else if constexpr (std::is_enum_v<V>) {
    return static_cast<V>(static_cast<std::underlying_type_t<V>>(value));
  } else {
    static_assert(std::is_integral_v<V>, "not an ordinal type");
    return static_cast<V>(value);
  }
}

// A default given to Default(): text, float, or an ordinal of any of the ordinal types.
template <class D>
TPropValue DefaultValue(const D& value) {
  if constexpr (std::is_convertible_v<D, String>)
    return String(value);
  else if constexpr (std::is_floating_point_v<D>)
    return static_cast<double>(value);
  else if constexpr (std::is_null_pointer_v<D>)
    return static_cast<TObject*>(nullptr);
  else
    return ToOrd(value);
}

// Calls a writer: a member function, a data member or a callable taking (T*, value).
template <class T, class S, class V>
void Assign(const S& set, T* object, V&& value) {
  if constexpr (std::is_member_object_pointer_v<S>)
    object->*set = std::forward<V>(value);
  else
    std::invoke(set, object, std::forward<V>(value));
}

template <class T, class G>
using ValueOf = std::remove_cvref_t<std::invoke_result_t<const G&, T*>>;

}  // namespace PropertyDetail

// One entry being built; Default and Stored add to it and give it back for chaining.
template <class T>
class TPropBuilder : public TPropInfo {
 public:
  using TPropInfo::TPropInfo;

  // The declared default: the writer leaves out a value equal to it. The reader does not
  // set it: a value absent from a layout keeps the constructor's value.
  template <class D>
  TPropBuilder& Default(const D& value) {
    SetDefaultValue(PropertyDetail::DefaultValue(value));
    return *this;
  }
  // Stored(false) keeps the property out of layouts; Stored(&T::IsXStored) (a member
  // function or a callable taking T*) decides per instance.
  TPropBuilder& Stored(bool stored) {
    SetStoredFunc([stored](TObject*) { return stored; });
    return *this;
  }
  template <class F>
    requires std::is_invocable_r_v<bool, const F&, T*>
  TPropBuilder& Stored(F stored) {
    SetStoredFunc([stored](TObject* instance) {
      return static_cast<bool>(std::invoke(stored, static_cast<T*>(instance)));
    });
    return *this;
  }
  // This property's own identifiers (pkColor, pkCursor), instead of its kind's.
  TPropBuilder& Idents(TIdentToInt identToInt, TIntToIdent intToIdent) {
    SetIdents(identToInt, intToIdent);
    return *this;
  }
};

// The adapters that make the entries of T's table. A getter is a member function, a data
// member or a callable taking T*; a writer is a member function, a data member or a
// callable taking (T*, value).
template <class T>
class TPublish {
 public:
  using TBuilder = TPropBuilder<T>;

  // ---- Ordinals ------------------------------------------------------------------
  template <class G, class S>
  static TBuilder Integer(const wchar_t* name, G get, S set) { return Ordinal(name, pkInteger, get, set); }
  template <class G, class S>
  static TBuilder Cardinal(const wchar_t* name, G get, S set) { return Ordinal(name, pkCardinal, get, set); }
  template <class G, class S>
  static TBuilder Int64(const wchar_t* name, G get, S set) { return Ordinal(name, pkInt64, get, set); }
  template <class G, class S>
  static TBuilder Boolean(const wchar_t* name, G get, S set) { return Ordinal(name, pkBoolean, get, set); }
  template <class G, class S>
  static TBuilder Char(const wchar_t* name, G get, S set) { return Ordinal(name, pkChar, get, set); }
  template <class G, class S>
  static TBuilder WChar(const wchar_t* name, G get, S set) { return Ordinal(name, pkWChar, get, set); }
  template <class G, class S>
  static TBuilder ShortCut(const wchar_t* name, G get, S set) { return Ordinal(name, pkShortCut, get, set); }
  // Cursors take their identifiers from the pkCursor kind (RegisterIntegerConsts).
  template <class G, class S>
  static TBuilder Cursor(const wchar_t* name, G get, S set) { return Ordinal(name, pkCursor, get, set); }
  // A TColor property. Its identifiers are IdentToColor and ColorToIdent of the colour
  // type's own library, found by argument-dependent lookup where the table is defined.
  template <class G, class S>
  static TBuilder Color(const wchar_t* name, G get, S set) {
    using V = PropertyDetail::ValueOf<T, G>;
    TBuilder entry = Ordinal(name, pkColor, get, set);
    entry.SetIdents(&ColorIdentToInt<V>, &ColorIntToIdent<V>);
    return entry;
  }
  // info must outlive the table (a static).
  template <class G, class S>
  static TBuilder Enum(const wchar_t* name, const TEnumInfo& info, G get, S set) {
    TBuilder entry = Ordinal(name, pkEnumeration, get, set);
    entry.SetEnumInfo(&info);
    return entry;
  }
  // A TSet of the enumeration info names.
  template <class G, class S>
  static TBuilder Set(const wchar_t* name, const TEnumInfo& info, G get, S set) {
    TBuilder entry = Ordinal(name, pkSet, get, set);
    entry.SetEnumInfo(&info);
    return entry;
  }

  // ---- Floats and text -------------------------------------------------------------
  template <class G, class S>
  static TBuilder Float(const wchar_t* name, G get, S set, TFloatType type = TFloatType::Double) {
    using V = PropertyDetail::ValueOf<T, G>;
    TBuilder entry(
        name, pkFloat,
        [get](TObject* o) -> TPropValue { return static_cast<double>(std::invoke(get, Self(o))); },
        [set](TObject* o, const TPropValue& v) {
          PropertyDetail::Assign(set, Self(o), static_cast<V>(std::get<double>(v)));
        });
    entry.SetFloatType(type);
    return entry;
  }
  // A pkString property (a String written as a byte string where it is ASCII).
  template <class G, class S>
  static TBuilder Text(const wchar_t* name, G get, S set) { return TextOf(name, pkString, get, set); }
  // A pkWString property (always written as UTF-16).
  template <class G, class S>
  static TBuilder WideText(const wchar_t* name, G get, S set) { return TextOf(name, pkWString, get, set); }

  // ---- Objects -----------------------------------------------------------------------
  // A reference to a component of the getter's pointer type.
  template <class G, class S>
  static TBuilder Component(const wchar_t* name, G get, S set) { return ObjectOf(name, pkComponent, get, set); }
  // Nested objects the instance owns. The writer, when given, is called with an object of
  // the same class and is expected to copy it (Assign).
  template <class G>
  static TBuilder Persistent(const wchar_t* name, G get) { return ObjectOf(name, pkPersistent, get, nullptr); }
  template <class G, class S>
  static TBuilder Persistent(const wchar_t* name, G get, S set) { return ObjectOf(name, pkPersistent, get, set); }
  template <class G>
  static TBuilder Strings(const wchar_t* name, G get) { return ObjectOf(name, pkStrings, get, nullptr); }
  template <class G, class S>
  static TBuilder Strings(const wchar_t* name, G get, S set) { return ObjectOf(name, pkStrings, get, set); }
  template <class G>
  static TBuilder Collection(const wchar_t* name, G get) { return ObjectOf(name, pkCollection, get, nullptr); }
  template <class G, class S>
  static TBuilder Collection(const wchar_t* name, G get, S set) { return ObjectOf(name, pkCollection, get, set); }

  // ---- Events ------------------------------------------------------------------------------
  // The getter gives the event's std::function; the writer takes one. A TMethod whose Code
  // holds another type raises EPropertyConvertError "Invalid property value".
  template <class G, class S>
  static TBuilder Method(const wchar_t* name, G get, S set) {
    using V = PropertyDetail::ValueOf<T, G>;
    return TBuilder(
        name, pkMethod,
        [get](TObject* o) -> TPropValue {
          TMethod method;
          V handler = std::invoke(get, Self(o));
          if (handler) method.Code = std::move(handler);
          return method;
        },
        [set](TObject* o, const TPropValue& v) {
          const TMethod& method = std::get<TMethod>(v);
          if (!method.Code.has_value()) {
            PropertyDetail::Assign(set, Self(o), V{});
          } else if (const V* handler = std::any_cast<V>(&method.Code)) {
            PropertyDetail::Assign(set, Self(o), *handler);
          } else {
            throw EPropertyConvertError(L"Invalid property value");
          }
        });
  }

  // ---- Fields ---------------------------------------------------------------------------------
  // A component field: P::Field(L"Button1", &TForm1::Button1).
  template <class C>
  static TFieldInfo Field(const wchar_t* name, C* T::*member) {
    static_assert(std::is_base_of_v<TComponent, C>, "a published field holds a component");
    return TFieldInfo{
        name, C::StaticClassInfo(),
        [member](TObject* o, TComponent* value) {
          C* typed = value ? dynamic_cast<C*>(value) : nullptr;
          if (value && !typed) throw EInvalidCast(L"Invalid class typecast");
          Self(o)->*member = typed;
        },
        [member](TObject* o) -> TComponent* { return Self(o)->*member; }};
  }

 private:
  static T* Self(TObject* instance) { return static_cast<T*>(instance); }

  template <class G, class S>
  static TBuilder Ordinal(const wchar_t* name, TPropKind kind, G get, S set) {
    using V = PropertyDetail::ValueOf<T, G>;
    return TBuilder(
        name, kind,
        [get](TObject* o) -> TPropValue { return PropertyDetail::ToOrd<V>(std::invoke(get, Self(o))); },
        [set](TObject* o, const TPropValue& v) {
          PropertyDetail::Assign(set, Self(o), PropertyDetail::FromOrd<V>(std::get<int64_t>(v)));
        });
  }

  template <class G, class S>
  static TBuilder TextOf(const wchar_t* name, TPropKind kind, G get, S set) {
    return TBuilder(
        name, kind, [get](TObject* o) -> TPropValue { return String(std::invoke(get, Self(o))); },
        [set](TObject* o, const TPropValue& v) {
          PropertyDetail::Assign(set, Self(o), std::get<String>(v));
        });
  }

  template <class G, class S>
  static TBuilder ObjectOf(const wchar_t* name, TPropKind kind, G get, S set) {
    using V = PropertyDetail::ValueOf<T, G>;
    static_assert(std::is_pointer_v<V>, "the getter of an object property gives a pointer");
    using C = std::remove_cv_t<std::remove_pointer_t<V>>;
    TPropInfo::TSetter setter;
    if constexpr (!std::is_null_pointer_v<S>) {
      setter = [set](TObject* o, const TPropValue& v) {
        TObject* value = std::get<TObject*>(v);
        C* typed = value ? dynamic_cast<C*>(value) : nullptr;
        if (value && !typed) throw EInvalidCast(L"Invalid class typecast");
        PropertyDetail::Assign(set, Self(o), typed);
      };
    }
    TBuilder entry(
        name, kind,
        [get](TObject* o) -> TPropValue {
          return static_cast<TObject*>(const_cast<C*>(std::invoke(get, Self(o))));
        },
        std::move(setter));
    entry.SetClassType(C::StaticClassInfo());
    return entry;
  }

  template <class V>
  static bool ColorIdentToInt(const String& ident, int32_t& value) {
    V color{};
    if (!IdentToColor(ident, color)) return false;
    value = static_cast<int32_t>(color);
    return true;
  }
  template <class V>
  static bool ColorIntToIdent(int32_t value, String& ident) {
    return ColorToIdent(static_cast<V>(value), ident);
  }
};
