// The stored-layout side of TComponent and TStrings: how a component lists its children
// and reads and writes itself, its Tag and the design position of non-visual components,
// and the "Strings" list of a string list.
#include "Component.h"
#include "Filer.h"
#include "Properties.h"
#include "StringList.h"

// ---- TComponent ------------------------------------------------------------------------

void TComponent::GetChildren(const TGetChildProc& proc, TComponent* root) {
  if (root != this) return;
  // A root keeps the components it owns that no parent lists (the non-visual ones); the
  // list is copied because proc may not change it but a writer's callbacks could.
  const std::vector<TComponent*> owned = FComponents;
  for (TComponent* component : owned)
    if (!component->HasParent()) proc(component);
}

void TComponent::ReadState(TReader& reader) { reader.ReadData(this); }

void TComponent::WriteState(TWriter& writer) { writer.WriteData(this); }

void TComponent::DefineProperties(TFiler& filer) {
  // Tag is every component's; it is kept here rather than in a table of published
  // properties so that TComponent's descendants start their own tables.
  const auto* tagAncestor = dynamic_cast<TComponent*>(filer.GetAncestor());
  filer.DefineProperty(
      L"Tag", [this](TReader* reader) { FTag = reader->ReadInteger(); },
      [this](TWriter* writer) { writer->WriteInteger(FTag); },
      FTag != (tagAncestor ? tagAncestor->FTag : 0));
  // Left and Top of a non-visual component are its design position, kept as two 16-bit
  // halves. Controls publish Left and Top of their own, which the reader finds first.
  const auto* ancestor = dynamic_cast<TComponent*>(filer.GetAncestor());
  const uint32_t info = static_cast<uint32_t>(FDesignInfo);
  const uint32_t ancestorInfo = ancestor ? static_cast<uint32_t>(ancestor->FDesignInfo) : 0;
  const auto low = [](uint32_t v) { return v & 0xFFFFu; };
  const auto high = [](uint32_t v) { return v >> 16; };
  filer.DefineProperty(
      L"Left",
      [this](TReader* reader) {
        const uint32_t left = static_cast<uint32_t>(reader->ReadInteger()) & 0xFFFFu;
        FDesignInfo = static_cast<int32_t>((static_cast<uint32_t>(FDesignInfo) & 0xFFFF0000u) | left);
      },
      [this](TWriter* writer) { writer->WriteInteger(static_cast<uint32_t>(FDesignInfo) & 0xFFFFu); },
      low(info) != low(ancestorInfo));
  filer.DefineProperty(
      L"Top",
      [this](TReader* reader) {
        const uint32_t top = static_cast<uint32_t>(reader->ReadInteger()) & 0xFFFFu;
        FDesignInfo = static_cast<int32_t>((static_cast<uint32_t>(FDesignInfo) & 0xFFFFu) | (top << 16));
      },
      [this](TWriter* writer) { writer->WriteInteger(static_cast<uint32_t>(FDesignInfo) >> 16); },
      high(info) != high(ancestorInfo));
}

// ---- TStrings ----------------------------------------------------------------------------

void TStrings::DefineProperties(TFiler& filer) {
  bool hasData = GetCount() > 0;
  if (auto* ancestor = dynamic_cast<TStrings*>(filer.GetAncestor())) hasData = !Equals(ancestor);
  filer.DefineProperty(
      L"Strings",
      [this](TReader* reader) {
        reader->ReadListBegin();
        BeginUpdate();
        try {
          Clear();
          // Each string takes at least one byte of the stream, so the loop ends with it.
          while (!reader->EndOfList()) Add(reader->ReadString());
        } catch (...) {
          EndUpdate();
          throw;
        }
        EndUpdate();
        reader->ReadListEnd();
      },
      [this](TWriter* writer) {
        writer->WriteListBegin();
        for (int i = 0; i < GetCount(); ++i) writer->WriteString(Get(i));
        writer->WriteListEnd();
      },
      hasData);
}
