// The component level of TWriter: objects, their properties and their children.
//
// A property is written when it is stored (its stored-when rule) and its value differs
// from the ancestor's, or, without an ancestor, from its declared default; a property
// without a declared default is always written. Nested objects (Font, a string list) write
// their own properties under a dotted path; collections write their items; references
// are written by name relative to the lookup root, events by the name of the root's
// handler they are bound to (an event bound to anything else is left out).
#include <cstdint>
#include "Collection.h"
#include "Filer.h"
#include "MethodTable.h"

namespace {

// The name a reference is written as; empty when it cannot be named from root.
String ReferenceName(TComponent* component, TComponent* root) {
  if (!component) return String();
  if (component->GetOwner() == root) return component->GetName();
  if (component == root) return L"Owner";
  TComponent* owner = component->GetOwner();
  if (owner && !owner->GetName().empty() && !component->GetName().empty())
    return owner->GetName() + L"." + component->GetName();
  return String();
}

// The ancestor object when it has the same property entry (so is of the declaring class).
TPersistent* AncestorFor(TPersistent* ancestor, const TPropInfo* prop) {
  if (!ancestor) return nullptr;
  return GetPropInfo(ancestor, prop->GetName()) == prop ? ancestor : nullptr;
}

bool SameReference(TComponent* a, TComponent* b) {
  if (a == b) return true;
  return a && b && SameText(a->GetName(), b->GetName());
}

// Writes the collection into a byte string, for comparing two collections.
std::string CollectionBytes(TCollection* collection) {
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteCollection(collection);
  const auto* data = static_cast<const char*>(stream.GetMemory());
  return data ? std::string(data, static_cast<size_t>(stream.GetSize())) : std::string();
}

}  // namespace

// ---- Whole components ----------------------------------------------------------------------

void TWriter::WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
  if (!root) throw EWriteError(L"Cannot write a nil component");
  FRootAncestor = ancestor;
  SetAncestor(ancestor);
  SetRoot(root);
  SetLookupRoot(root);
  WriteSignature();
  WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component) {
  component->IncludeComponentState(csWriting);
  try {
    component->WriteState(*this);
  } catch (...) {
    component->ExcludeComponentState(csWriting);
    throw;
  }
  component->ExcludeComponentState(csWriting);
}

void TWriter::WriteData(TComponent* instance) {
  auto* ancestor = dynamic_cast<TComponent*>(GetAncestor());
  TFilerFlags flags;
  if (ancestor) flags.Include(ffInherited);
  if (instance->GetComponentState().Contains(csInline)) flags.Include(ffInline);
  WritePrefix(flags, 0);
  WriteStr(instance->ClassName());
  WriteStr(instance->GetName());
  WriteProperties(instance);
  WriteListEnd();

  if (!GetIgnoreChildren()) {
    // The ancestor's children, matched to this instance's by name.
    std::vector<TComponent*> ancestorChildren;
    if (ancestor)
      ancestor->GetChildren([&](TComponent* child) { ancestorChildren.push_back(child); }, FRootAncestor);
    TPersistent* const savedAncestor = GetAncestor();
    try {
      instance->GetChildren(
          [&](TComponent* child) {
            TComponent* match = nullptr;
            for (TComponent* candidate : ancestorChildren)
              if (SameText(candidate->GetName(), child->GetName())) match = candidate;
            SetAncestor(match);
            WriteComponent(child);
          },
          GetRoot());
    } catch (...) {
      SetAncestor(savedAncestor);
      throw;
    }
    SetAncestor(savedAncestor);
  }
  WriteListEnd();
}

// ---- Properties ------------------------------------------------------------------------------

namespace {

// Writes one ordinal value in the form its kind is stored in.
void WriteOrdinal(TWriter& writer, const TPropInfo& prop, int64_t value) {
  switch (prop.GetKind()) {
    case pkBoolean:
      writer.WriteBoolean(value != 0);
      return;
    case pkChar:
      writer.WriteChar(static_cast<char>(value));
      return;
    case pkWChar:
      writer.WriteWideChar(static_cast<wchar_t>(value));
      return;
    case pkEnumeration: {
      const String name = prop.GetEnumInfo() ? GetEnumName(*prop.GetEnumInfo(), static_cast<int>(value)) : String();
      if (name.empty()) throw EWriteError(L"Invalid value %d of property %s", {static_cast<int>(value), prop.GetName()});
      writer.WriteIdent(name);
      return;
    }
    case pkSet:
      if (prop.GetEnumInfo()) writer.WriteSet(static_cast<uint64_t>(value), *prop.GetEnumInfo());
      return;
    default: {
      String ident;
      if (value >= INT32_MIN && value <= INT32_MAX && prop.IntToIdent(static_cast<int32_t>(value), ident))
        writer.WriteIdent(ident);
      else
        writer.WriteInteger(value);
      return;
    }
  }
}

void WriteFloatValue(TWriter& writer, const TPropInfo& prop, double value) {
  switch (prop.GetFloatType()) {
    case TFloatType::Single:
      writer.WriteSingle(static_cast<float>(value));
      break;
    case TFloatType::Currency:
      writer.WriteCurrency(value);
      break;
    case TFloatType::DateTime:
      writer.WriteDate(value);
      break;
    case TFloatType::Double:
      writer.WriteFloat(value);
      break;
  }
}

}  // namespace

void TWriter::WriteProperties(TPersistent* instance) {
  for (const TPropInfo* prop : GetPropList(instance->ClassInfo())) {
    if (!prop->IsStored(instance)) continue;
    const TPropKind kind = prop->GetKind();
    if (!IsNestedObjectKind(kind) && !prop->IsWritable()) continue;
    TPersistent* ancestor = AncestorFor(GetAncestor(), prop);
    const wchar_t* name = prop->GetName();

    if (IsOrdinalKind(kind)) {
      const int64_t value = prop->GetOrd(instance);
      if (ancestor ? value == prop->GetOrd(ancestor) : prop->IsDefaultValue(instance)) continue;
      WritePropName(name);
      WriteOrdinal(*this, *prop, value);
    } else if (kind == pkFloat) {
      const double value = prop->GetFloat(instance);
      if (ancestor ? value == prop->GetFloat(ancestor) : prop->IsDefaultValue(instance)) continue;
      WritePropName(name);
      WriteFloatValue(*this, *prop, value);
    } else if (kind == pkString || kind == pkWString) {
      const String value = prop->GetString(instance);
      if (ancestor ? value == prop->GetString(ancestor) : prop->IsDefaultValue(instance)) continue;
      WritePropName(name);
      if (kind == pkWString)
        WriteWideString(value);
      else
        WriteString(value);
    } else if (kind == pkComponent) {
      auto* value = dynamic_cast<TComponent*>(prop->GetObject(instance));
      if (ancestor) {
        if (SameReference(value, dynamic_cast<TComponent*>(prop->GetObject(ancestor)))) continue;
      } else if (!value) {
        continue;
      }
      if (!value) {
        WritePropName(name);
        WriteValue(vaNil);
        continue;
      }
      const String reference = ReferenceName(value, GetLookupRoot());
      if (reference.empty()) continue;
      WritePropName(name);
      WriteIdent(reference);
    } else if (kind == pkMethod) {
      const String handler = FindMethodName(GetRoot(), prop->GetMethod(instance).Code);
      if (ancestor) {
        const String inherited = FindMethodName(FRootAncestor, prop->GetMethod(ancestor).Code);
        if (SameText(handler, inherited)) continue;
        if (handler.empty()) {
          WritePropName(name);
          WriteValue(vaNil);
          continue;
        }
      } else if (handler.empty()) {
        continue;
      }
      WritePropName(name);
      WriteIdent(handler);
    } else if (kind == pkCollection) {
      auto* collection = dynamic_cast<TCollection*>(prop->GetObject(instance));
      if (!collection) continue;
      auto* inherited = ancestor ? dynamic_cast<TCollection*>(prop->GetObject(ancestor)) : nullptr;
      if (inherited ? CollectionBytes(collection) == CollectionBytes(inherited) : collection->GetCount() == 0)
        continue;
      WritePropName(name);
      WriteCollection(collection);
    } else {
      // A nested object: its own properties, named under this one's path.
      auto* nested = dynamic_cast<TPersistent*>(prop->GetObject(instance));
      if (!nested || dynamic_cast<TComponent*>(nested)) continue;
      auto* nestedAncestor = ancestor ? dynamic_cast<TPersistent*>(prop->GetObject(ancestor)) : nullptr;
      const String savedPath = FPropPath;
      TPersistent* const savedAncestor = GetAncestor();
      FPropPath = savedPath + name + L".";
      SetAncestor(nestedAncestor);
      try {
        WriteProperties(nested);
      } catch (...) {
        FPropPath = savedPath;
        SetAncestor(savedAncestor);
        throw;
      }
      FPropPath = savedPath;
      SetAncestor(savedAncestor);
    }
  }
  instance->DefineProperties(*this);
}

void TWriter::WriteCollection(TCollection* collection) {
  WriteValue(vaCollection);
  // Items are written whole, without the path or the ancestor of the property around them.
  const String savedPath = FPropPath;
  TPersistent* const savedAncestor = GetAncestor();
  FPropPath.clear();
  SetAncestor(nullptr);
  try {
    if (collection) {
      for (int i = 0; i < collection->GetCount(); ++i) {
        WriteListBegin();
        WriteProperties(collection->GetItem(i));
        WriteListEnd();
      }
    }
  } catch (...) {
    FPropPath = savedPath;
    SetAncestor(savedAncestor);
    throw;
  }
  FPropPath = savedPath;
  SetAncestor(savedAncestor);
  WriteListEnd();
}
