// The component level of TReader: objects, their properties and their children.
//
// An object is read as: its prefix, class name and name; its properties, each a dotted name
// ("Font.Style") followed by a value, up to vaNull; its children, each an object, up to
// vaNull. A property name is looked up among the published properties of the object its
// path leads to; a name no published property has is offered to that object's
// DefineProperties. References to components are recorded as fix-ups and resolved when the
// outermost load ends (Layouts.cpp), so that they may name a component read later in the
// stream or one of another loaded module. Events are bound by handler name through the
// root class's handler table (MethodTable.h).
//
// Errors. Every failure while a property is read is raised again as EReadError
// "Error reading <object>.<property> (<class>): <reason>", with " on line <n>" when the
// stream came from the text form; an unknown class raises EClassNotFound with the line.
// Objects and collections nest at most MaxComponentDepth deep.
#include <optional>
#include <climits>
#include "ClassRegistry.h"
#include "Collection.h"
#include "Filer.h"
#include "Layouts.h"
#include "LayoutsInternal.h"
#include "MethodTable.h"
#include "ObjectText.h"

namespace {

const wchar_t* const SInvalidPropertyValue = L"Invalid property value";
const wchar_t* const SInvalidImage = L"Invalid stream format";

// The deepest nesting of objects inside objects and of collections inside items.
constexpr int MaxComponentDepth = 128;

// An EReadError that already names the property it happened in: passed on unchanged by
// the properties around it (a collection item's property inside the collection property).
class EPropertyReadError : public EReadError {
 public:
  using EReadError::EReadError;
  const wchar_t* ClassName() const override { return L"EReadError"; }
};

// Counts one level of nesting for as long as it lives.
class TDepthGuard {
 public:
  explicit TDepthGuard(int& depth) : FDepth(depth) {
    if (++FDepth > MaxComponentDepth) {
      --FDepth;
      throw EReadError(SInvalidImage);
    }
  }
  ~TDepthGuard() { --FDepth; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

 private:
  int& FDepth;
};

// The name an error message gives the object a property belongs to.
String ObjectPath(TPersistent* instance) {
  const String path = instance ? instance->GetNamePath() : String();
  return path.empty() && instance ? instance->ClassName() : path;
}

// Raises the exception being handled again as a read error: EReadError and EClassNotFound
// as they are, any other failure of the class library (a component's Loaded, a name the
// owner refuses) as EReadError with its message. Called inside a catch block.
[[noreturn]] void RethrowAsReadError() {
  try {
    throw;
  } catch (const EReadError&) {
    throw;
  } catch (const EClassNotFound&) {
    throw;
  } catch (const Exception& e) {
    throw EReadError(e.Message());
  }
}

[[noreturn]] void PropValueError() { throw EReadError(SInvalidPropertyValue); }

[[noreturn]] void NoSuchProperty(const String& name) {
  throw EReadError(L"Property %s does not exist", {name});
}

bool IsIntegerValue(TValueType value) {
  return value == vaInt8 || value == vaInt16 || value == vaInt32 || value == vaInt64;
}

// An integer property's value: a number, or an identifier the property knows (clRed,
// crHandPoint, GB2312_CHARSET), checked against the range of the kind.
int64_t ReadIntegerValue(TReader& reader, const TPropInfo& prop) {
  int64_t value;
  if (reader.NextValue() == vaIdent) {
    int32_t known = 0;
    if (!prop.IdentToInt(reader.ReadIdent(), known)) PropValueError();
    value = known;
  } else {
    value = reader.ReadInt64();
  }
  switch (prop.GetKind()) {
    case pkCardinal:
      // Stored by some writers as a signed 32-bit number; either reading is accepted.
      if (value < INT32_MIN || value > UINT32_MAX) PropValueError();
      return static_cast<uint32_t>(value);
    case pkShortCut:
      if (value < 0 || value > 0xFFFF) PropValueError();
      return value;
    case pkCursor:
      if (value < SHRT_MIN || value > SHRT_MAX) PropValueError();
      return value;
    default:
      if (value < INT32_MIN || value > INT32_MAX) PropValueError();
      return value;
  }
}

// The class of a published field of root's class (or an ancestor's) named className: a
// form finds the classes of its own components without their being registered.
const TClassInfo* FindFieldClass(const TComponent* root, const String& className) {
  if (!root) return nullptr;
  for (const TClassInfo* c = root->ClassInfo(); c; c = c->Parent) {
    const TPropertyTable* table = c->PublishedProperties ? c->PublishedProperties() : nullptr;
    if (!table) continue;
    for (int i = 0; i < table->GetFieldCount(); ++i) {
      const TClassInfo* fieldClass = table->GetField(i).ClassType;
      if (fieldClass && SameText(fieldClass->Name, className)) return fieldClass;
    }
  }
  return nullptr;
}

// The class a stored object names: a field's class of the root, else a registered class.
// EClassNotFound (with the line) when there is none; EReadError when it is no component class.
const TClassInfo* FindComponentClass(const TComponent* root, const String& className, int line) {
  const TClassInfo* cls = FindFieldClass(root, className);
  if (!cls) cls = GetClass(className);
  if (!cls) throw EClassNotFound(WithLine(Format(L"Class %s not found", {className}), line));
  if (!cls->CreateComponent)
    throw EReadError(WithLine(Format(L"Class %s is not a component class", {className}), line));
  return cls;
}

}  // namespace

// ---- Lines ---------------------------------------------------------------------------------

int TReader::LineAt(int64_t position) const { return FLineMap ? FLineMap->LineAt(position) : 0; }

// ---- Whole components ----------------------------------------------------------------------

TComponent* TReader::ReadRootComponent(TComponent* root) { return ReadRoot(root, true); }

void TReader::ReadInstance(TComponent* instance) {
  if (!instance) throw EReadError(L"Invalid stream format");
  ReadRoot(instance, false);
}

TComponent* TReader::ReadRoot(TComponent* root, bool asModule) {
  ReadSignature();
  std::optional<TSeparateLoading> separate;
  if (!asModule) separate.emplace();
  TGlobalLoading load;
  TComponent* result = root;
  bool created = false;
  try {
    const int64_t headerPos = GetPosition();
    TFilerFlags flags;
    int childPos = 0;
    ReadPrefix(flags, childPos);
    const String className = ReadStr();
    const String name = ReadStr();
    if (!result) {
      const TClassInfo* cls = FindComponentClass(nullptr, className, LineAt(headerPos));
      result = cls->CreateComponent(nullptr);
      created = true;
      result->IncludeComponentState(csLoading);
      result->IncludeComponentState(csReading);
      result->SetName(name);
    } else if (!asModule) {
      result->IncludeComponentState(csLoading);
      result->IncludeComponentState(csReading);
      result->SetName(name);
    } else if (!result->GetComponentState().Contains(csDesigning)) {
      result->IncludeComponentState(csLoading);
      result->IncludeComponentState(csReading);
      // A second instance of a form keeps the layout's name with a number added.
      result->SetName(UniqueGlobalName(name, result));
    }
    SetRoot(result);
    SetLookupRoot(result);
    if (asModule) AddGlobalComponent(result);
    RecordLoaded(result);
    TComponent* const savedOwner = FOwner;
    TComponent* const savedParent = FParent;
    FOwner = result;
    FParent = nullptr;
    try {
      result->ReadState(*this);
    } catch (...) {
      FOwner = savedOwner;
      FParent = savedParent;
      throw;
    }
    FOwner = savedOwner;
    FParent = savedParent;
    result->ExcludeComponentState(csReading);
    load.Finish();
  } catch (...) {
    if (created) {
      delete result;
    } else if (result) {
      // The given root outlives the failed read; it is not left marked as being read.
      result->ExcludeComponentState(csReading);
      result->ExcludeComponentState(csLoading);
    }
    RethrowAsReadError();
  }
  return result;
}

TComponent* TReader::ReadComponent(TComponent* component) {
  TDepthGuard depth(FComponentDepth);
  TGlobalLoading load;
  const int64_t headerPos = GetPosition();
  TFilerFlags flags;
  int childPos = 0;
  ReadPrefix(flags, childPos);
  const String className = ReadStr();
  const String name = ReadStr();
  const int line = LineAt(headerPos);

  TComponent* result = component;
  bool created = false;
  if (!result && flags.Contains(ffInherited)) {
    // An object of an ancestor's layout: it exists already, made by the earlier level.
    result = FLookupRoot ? FLookupRoot->FindComponent(name) : nullptr;
    if (!result) throw EReadError(WithLine(Format(L"Ancestor for '%s' not found", {name}), line));
  } else if (!result) {
    const TClassInfo* cls = FindComponentClass(GetRoot(), className, line);
    result = cls->CreateComponent(FOwner);
    created = true;
  }
  try {
    result->IncludeComponentState(csLoading);
    if (flags.Contains(ffInline)) result->IncludeComponentState(csInline);
    if (!flags.Contains(ffInherited)) {
      try {
        result->SetName(name);
      } catch (const Exception& e) {
        throw EReadError(WithLine(e.Message(), line));
      }
    }
    RecordLoaded(result);
    result->IncludeComponentState(csReading);
    // A component that lives on a parent (a menu item, an action) takes the object it is
    // stored inside; controls take it again in their ReadState.
    if (FParent && result->HasParent() && result->GetParentComponent() != FParent)
      result->SetParentComponent(FParent);
    result->ReadState(*this);
    result->ExcludeComponentState(csReading);
    if (flags.Contains(ffChildPos)) {
      TComponent* parent = result->GetParentComponent();
      if (!parent) parent = FParent;
      if (parent) parent->SetChildOrder(result, childPos);
    }
    load.Finish();
  } catch (...) {
    if (created) delete result;
    throw;
  }
  return result;
}

void TReader::ReadComponents(TComponent* owner, TComponent* parent,
                             const std::function<void(TComponent* component)>& proc) {
  TComponent* const savedOwner = FOwner;
  TComponent* const savedParent = FParent;
  TComponent* const savedRoot = GetRoot();
  TComponent* const savedLookupRoot = GetLookupRoot();
  std::vector<TComponent*> read;
  try {
    TGlobalLoading load;
    FOwner = owner;
    FParent = parent;
    SetRoot(owner);
    SetLookupRoot(owner);
    try {
      while (!EndOfList()) read.push_back(ReadComponent(nullptr));
      ReadListEnd();
      load.Finish();
    } catch (...) {
      // The components read before the fault are the owner's; they go with the error.
      for (auto it = read.rbegin(); it != read.rend(); ++it) delete *it;
      read.clear();
      throw;
    }
  } catch (...) {
    FOwner = savedOwner;
    FParent = savedParent;
    SetRoot(savedRoot);
    SetLookupRoot(savedLookupRoot);
    throw;
  }
  FOwner = savedOwner;
  FParent = savedParent;
  SetRoot(savedRoot);
  SetLookupRoot(savedLookupRoot);
  if (proc)
    for (TComponent* component : read) proc(component);
}

void TReader::ReadData(TComponent* instance) {
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
  // The children belong to the root and live on this component.
  TComponent* const savedOwner = FOwner;
  TComponent* const savedParent = FParent;
  FOwner = GetRoot() ? GetRoot() : instance;
  FParent = instance;
  try {
    while (!EndOfList()) ReadComponent(nullptr);
    ReadListEnd();
  } catch (...) {
    FOwner = savedOwner;
    FParent = savedParent;
    throw;
  }
  FOwner = savedOwner;
  FParent = savedParent;
}

// ---- Properties ------------------------------------------------------------------------------

namespace {

// Reads the value of prop into instance.
// owner and path name the property in a fixup's messages (made only for a reference).
void ReadPropValue(TReader& reader, TPersistent* instance, const TPropInfo& prop, TPersistent* owner,
                   const String& path, int line) {
  switch (prop.GetKind()) {
    case pkInteger:
    case pkCardinal:
    case pkShortCut:
    case pkColor:
    case pkCursor:
      prop.SetOrd(instance, ReadIntegerValue(reader, prop));
      break;
    case pkInt64:
      prop.SetOrd(instance, reader.ReadInt64());
      break;
    case pkBoolean:
      prop.SetOrd(instance, reader.ReadBoolean() ? 1 : 0);
      break;
    case pkChar:
      prop.SetOrd(instance, static_cast<unsigned char>(reader.ReadChar()));
      break;
    case pkWChar:
      prop.SetOrd(instance, static_cast<uint16_t>(reader.ReadWideChar()));
      break;
    case pkFloat:
      prop.SetFloat(instance, reader.ReadFloat());
      break;
    case pkString:
    case pkWString:
      prop.SetString(instance, reader.ReadString());
      break;
    case pkEnumeration: {
      const TValueType next = reader.NextValue();
      if (next != vaIdent && next != vaFalse && next != vaTrue) PropValueError();
      const int value = prop.GetEnumInfo() ? GetEnumValue(*prop.GetEnumInfo(), reader.ReadIdent()) : -1;
      if (value < 0) PropValueError();
      prop.SetOrd(instance, value);
      break;
    }
    case pkSet:
      if (!prop.GetEnumInfo()) PropValueError();
      prop.SetOrd(instance, static_cast<int64_t>(reader.ReadSet(*prop.GetEnumInfo())));
      break;
    case pkComponent:
      if (reader.NextValue() == vaNil) {
        reader.ReadValue();
        prop.SetObject(instance, nullptr);
      } else {
        if (reader.NextValue() != vaIdent) PropValueError();
        const String name = reader.ReadIdent();
        if (name.empty()) PropValueError();
        if (!prop.IsWritable()) PropValueError();
        RecordFixup(TPropFixup{instance, &prop, reader.GetLookupRoot(), name,
                               ObjectPath(owner) + L"." + path, line});
      }
      break;
    case pkMethod: {
      const TValueType next = reader.NextValue();
      if (next == vaNil || next == vaNull) {
        reader.ReadValue();
        prop.SetMethod(instance, TMethod{});
        break;
      }
      if (next != vaIdent) PropValueError();
      const String name = reader.ReadIdent();
      TComponent* root = reader.GetRoot();
      TMethodEntry entry;
      if (!root || !FindMethodEntry(root->ClassInfo(), name, entry))
        throw EReadError(L"Method %s not found in %s", {name, root ? root->ClassName() : String(L"nil")});
      prop.SetMethod(instance, TMethod{name, entry.Bind(root)});
      break;
    }
    case pkCollection: {
      auto* collection = dynamic_cast<TCollection*>(prop.GetObject(instance));
      if (!collection) PropValueError();
      reader.ReadCollection(collection);
      break;
    }
    case pkPersistent:
    case pkStrings:
      // A nested object takes its values through its own properties ("Font.Style").
      PropValueError();
  }
}

}  // namespace

void TReader::ReadProperty(TPersistent* instance) {
  const int64_t start = GetPosition();
  const String path = ReadStr();
  const int line = LineAt(start);
  TPersistent* target = instance;
  try {
    // "Font.Style": each part before the last names a nested object. Most paths have no
    // dot: they are the name itself, with nothing to copy.
    size_t partStart = 0;
    for (size_t dot = path.find(L'.'); dot != String::npos; dot = path.find(L'.', partStart)) {
      const String part = path.substr(partStart, dot - partStart);
      const TPropInfo* prop = GetPropInfo(target, part);
      if (!prop) NoSuchProperty(part);
      if (!IsNestedObjectKind(prop->GetKind())) throw EReadError(L"Invalid property path");
      auto* nested = dynamic_cast<TPersistent*>(prop->GetObject(target));
      if (!nested) throw EReadError(L"Invalid property path");
      target = nested;
      partStart = dot + 1;
    }
    const String lastPart = partStart > 0 ? path.substr(partStart) : String();
    const String& name = partStart > 0 ? lastPart : path;
    if (name.empty()) throw EReadError(L"Invalid property path");
    if (const TPropInfo* prop = GetPropInfo(target, name)) {
      ReadPropValue(*this, target, *prop, instance, path, line);
    } else {
      // Data the object stores itself; DefineProperty clears the name once it has read it.
      TPersistent* const savedAncestor = GetAncestor();
      SetAncestor(nullptr);
      SetPropName(name);
      try {
        target->DefineProperties(*this);
      } catch (...) {
        SetAncestor(savedAncestor);
        throw;
      }
      SetAncestor(savedAncestor);
      if (!GetPropName().empty()) {
        SetPropName(String());
        NoSuchProperty(name);
      }
    }
  } catch (const EPropertyReadError&) {
    throw;
  } catch (const EClassNotFound&) {
    throw;  // an object inside a collection item named an unknown class; it names its line
  } catch (const Exception& e) {
    throw EPropertyReadError(WithLine(Format(L"Error reading %s.%s (%s): %s",
                                             {ObjectPath(instance), path, target->ClassName(), e.Message()}),
                                      line));
  } catch (const std::exception&) {
    throw EPropertyReadError(WithLine(Format(L"Error reading %s.%s (%s): %s",
                                             {ObjectPath(instance), path, target->ClassName(),
                                              String(SInvalidPropertyValue)}),
                                      line));
  }
}

void TReader::ReadCollection(TCollection* collection) {
  TDepthGuard depth(FComponentDepth);
  CheckValue(vaCollection);
  collection->BeginUpdate();
  try {
    collection->Clear();
    // Every item takes at least two bytes of the stream, so the stream bounds the loop.
    while (!EndOfList()) {
      if (IsIntegerValue(NextValue())) ReadInteger();  // the item's index, kept for its order
      TCollectionItem* item = collection->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    collection->EndUpdate();
    throw;
  }
  collection->EndUpdate();
}
