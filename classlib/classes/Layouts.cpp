#include "Layouts.h"

#include <algorithm>
#include <cstring>
#include <map>
#include "Filer.h"
#include "LayoutsInternal.h"
#include "ObjectText.h"

namespace {

// ---- The running load of this thread ------------------------------------------------------

struct TLoadState {
  int Depth = 0;                    // TGlobalLoading objects alive
  std::vector<TPropFixup> Fixups;   // references to resolve at the end
  std::vector<TComponent*> Loaded;  // components to tell at the end, in reading order
};

thread_local TLoadState LoadState;

// Sets every recorded reference; EReadError for the first name that names no component or
// one of the wrong class.
void ResolveFixups(const std::vector<TPropFixup>& fixups) {
  for (const TPropFixup& fixup : fixups) {
    TComponent* target = FindNestedComponent(fixup.Root, fixup.Name);
    const String prefix = Format(L"Error reading %s (%s): ", {fixup.Where, fixup.Instance->ClassName()});
    if (!target)
      throw EReadError(WithLine(prefix + Format(L"Unresolved reference to '%s'", {fixup.Name}), fixup.Line));
    try {
      fixup.Prop->SetObject(fixup.Instance, target);
    } catch (const Exception& e) {
      throw EReadError(WithLine(prefix + e.Message(), fixup.Line));
    }
  }
}

// ---- The loaded modules -------------------------------------------------------------------

// Lists the roots read so far; each root tells it of its end through a free notification.
class TModuleList : public TComponent {
 public:
  TModuleList() : TComponent(nullptr) {}
  ~TModuleList() override {
    for (TComponent* module : FModules) RemoveFreeNotification(module);
  }

  // The classes whose layout has been read into module (see InitInheritedComponent).
  bool LevelRead(TComponent* module, const TClassInfo* cls) const {
    const auto it = FLevels.find(module);
    return it != FLevels.end() && std::find(it->second.begin(), it->second.end(), cls) != it->second.end();
  }
  void MarkLevelRead(TComponent* module, const TClassInfo* cls) {
    Add(module);
    FLevels[module].push_back(cls);
  }

  void Add(TComponent* module) {
    if (std::find(FModules.begin(), FModules.end(), module) != FModules.end()) return;
    FModules.push_back(module);
    module->FreeNotification(this);
  }

  TComponent* Find(const String& name, const TComponent* except) const {
    if (name.empty()) return nullptr;
    for (TComponent* module : FModules)
      if (module != except && SameText(module->GetName(), name)) return module;
    return nullptr;
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove) {
      FModules.erase(std::remove(FModules.begin(), FModules.end(), component), FModules.end());
      FLevels.erase(component);
    }
  }

 private:
  std::vector<TComponent*> FModules;  // roots alive; not owned
  std::map<TComponent*, std::vector<const TClassInfo*>> FLevels;  // layouts read, per root
};

TModuleList& Modules() {
  static TModuleList modules;
  return modules;
}

bool IsBinaryForm(TStream& stream) {
  const int64_t start = stream.GetPosition();
  char signature[4] = {};
  const int count = stream.Read(signature, 4);
  stream.SetPosition(start);
  return count == 4 && std::memcmp(signature, "TPF0", 4) == 0;
}

}  // namespace

// ---- Recording ---------------------------------------------------------------------------------

void RecordFixup(TPropFixup fixup) { LoadState.Fixups.push_back(std::move(fixup)); }

void RecordLoaded(TComponent* component) {
  auto& loaded = LoadState.Loaded;
  if (std::find(loaded.begin(), loaded.end(), component) == loaded.end()) loaded.push_back(component);
}

String WithLine(const String& message, int line) {
  return line > 0 ? Format(L"%s on line %d", {message, line}) : message;
}

TComponent* FindNestedComponent(TComponent* root, const String& name) {
  if (!root || name.empty()) return nullptr;
  TComponent* current = nullptr;
  size_t start = 0;
  bool first = true;
  for (;;) {
    const size_t dot = name.find(L'.', start);
    const String part = name.substr(start, dot == String::npos ? String::npos : dot - start);
    if (first) {
      if (SameText(part, L"Owner"))
        current = root;
      else {
        current = root->FindComponent(part);
        if (!current && SameText(part, root->GetName())) current = root;
        if (!current) current = FindGlobalComponent(part);
      }
      first = false;
    } else {
      current = current->FindComponent(part);
    }
    if (!current) return nullptr;
    if (dot == String::npos) return current;
    start = dot + 1;
  }
}

// ---- TSeparateLoading --------------------------------------------------------------------------

TSeparateLoading::TSeparateLoading()
    : FDepth(LoadState.Depth),
      FFixups(std::move(LoadState.Fixups)),
      FLoaded(std::move(LoadState.Loaded)) {
  LoadState.Depth = 0;
  LoadState.Fixups.clear();
  LoadState.Loaded.clear();
}

TSeparateLoading::~TSeparateLoading() {
  LoadState.Depth = FDepth;
  LoadState.Fixups = std::move(FFixups);
  LoadState.Loaded = std::move(FLoaded);
}

// ---- TGlobalLoading --------------------------------------------------------------------------

TGlobalLoading::TGlobalLoading()
    : FFixupMark(LoadState.Fixups.size()), FLoadedMark(LoadState.Loaded.size()) {
  ++LoadState.Depth;
}

TGlobalLoading::~TGlobalLoading() {
  if (FFinished) return;
  --LoadState.Depth;
  if (LoadState.Fixups.size() > FFixupMark) LoadState.Fixups.resize(FFixupMark);
  if (LoadState.Loaded.size() > FLoadedMark) LoadState.Loaded.resize(FLoadedMark);
}

void TGlobalLoading::Finish() {
  if (FFinished) return;
  FFinished = true;
  if (--LoadState.Depth > 0) return;
  // The lists are taken first: a Loaded that reads a layout of its own starts afresh.
  std::vector<TPropFixup> fixups = std::move(LoadState.Fixups);
  std::vector<TComponent*> loaded = std::move(LoadState.Loaded);
  LoadState.Fixups.clear();
  LoadState.Loaded.clear();
  ResolveFixups(fixups);
  for (TComponent* component : loaded) {
    component->Loaded();
    component->ExcludeComponentState(csLoading);
  }
}

// ---- Loaded modules --------------------------------------------------------------------------

TComponent* FindGlobalComponent(const String& name) { return Modules().Find(name, nullptr); }

void AddGlobalComponent(TComponent* root) {
  if (root) Modules().Add(root);
}

String UniqueGlobalName(const String& name, const TComponent* except) {
  if (name.empty() || !Modules().Find(name, except)) return name;
  // Each turn either returns or moves to the next number; names are few.
  for (int i = 1; i < 100000; ++i) {
    const String candidate = Format(L"%s_%d", {name, i});
    if (!Modules().Find(candidate, except)) return candidate;
  }
  return String();
}

// ---- Streams -----------------------------------------------------------------------------------

namespace {

// Reads the component at stream's position, in either form, with read.
template <class F>
TComponent* ReadEitherForm(TStream& source, const F& read) {
  std::unique_ptr<TMemoryStream> copy;
  TStream& stream = SizedStream(source, copy);
  if (IsBinaryForm(stream)) {
    TReader reader(stream);
    return read(reader);
  }
  TMemoryStream binary;
  TObjectTextLineMap lines;
  ObjectTextToBinary(stream, binary, &lines);
  binary.SetPosition(0);
  TReader reader(binary);
  reader.SetLineMap(&lines);
  return read(reader);
}

}  // namespace

void ReadComponentInto(TStream& stream, TComponent* instance) {
  ReadEitherForm(stream, [instance](TReader& reader) {
    reader.ReadInstance(instance);
    return instance;
  });
}

TComponent* ReadComponentFromStream(TStream& stream, TComponent* root) {
  return ReadEitherForm(stream, [root](TReader& reader) { return reader.ReadRootComponent(root); });
}

void WriteComponentToStream(TStream& stream, TComponent* root, TComponent* ancestor) {
  TWriter writer(stream);
  writer.WriteDescendent(root, ancestor);
}

void WriteComponentText(TStream& stream, TComponent* root, TComponent* ancestor) {
  TMemoryStream binary;
  WriteComponentToStream(binary, root, ancestor);
  binary.SetPosition(0);
  ObjectBinaryToText(binary, stream);
}

String ComponentToText(TComponent* root) {
  TStringStream text;
  WriteComponentText(text, root);
  return text.GetDataString();
}

// ---- Layout resources --------------------------------------------------------------------------

namespace {

HINSTANCE ModuleOrExecutable(HINSTANCE module) {
  return module ? module : GetModuleHandleW(nullptr);
}

bool ReadLayoutResource(TComponent* instance, const String& className, HINSTANCE module) {
  if (!HasLayoutResource(className, module)) return false;
  TResourceStream stream(ModuleOrExecutable(module), className, RT_RCDATA);
  try {
    ReadComponentFromStream(stream, instance);
  } catch (const EClassNotFound& e) {
    throw EClassNotFound(Format(L"%s (layout of %s)", {e.Message(), className}));
  } catch (const EReadError& e) {
    throw EReadError(Format(L"%s (layout of %s)", {e.Message(), className}));
  }
  return true;
}

}  // namespace

bool HasLayoutResource(const String& className, HINSTANCE module) {
  if (className.empty()) return false;
  return FindResourceW(ModuleOrExecutable(module), className.c_str(), RT_RCDATA) != nullptr;
}

bool InitInheritedComponent(TComponent* instance, const TClassInfo* rootAncestor, HINSTANCE module) {
  if (!instance) return false;
  // The classes from the most distant one below rootAncestor down to instance's own.
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = instance->ClassInfo(); c && c != rootAncestor; c = c->Parent) {
    if (c == TComponent::StaticClassInfo()) break;
    chain.push_back(c);
  }
  // A C++ constructor sees its own class, not the most derived one: each constructor of a
  // chain of forms that calls this reads the levels not read before, so that no layout is
  // read twice into one instance.
  TGlobalLoading load;
  bool found = false;
  for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
    if (Modules().LevelRead(instance, *c)) {
      found = true;
      continue;
    }
    if (ReadLayoutResource(instance, (*c)->Name, module)) {
      Modules().MarkLevelRead(instance, *c);
      found = true;
    }
  }
  load.Finish();
  return found;
}

void ReadInheritedLayout(TComponent* instance, const TClassInfo* rootAncestor, HINSTANCE module) {
  if (!InitInheritedComponent(instance, rootAncestor, module))
    throw EReadError(L"Resource %s not found", {instance ? instance->ClassName() : String(L"nil")});
}
