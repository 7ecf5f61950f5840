// TIconList and the icon clipboard format.
#include "IcoList.h"

#include <algorithm>

#include "classlib/classes/Filer.h"
#include "classlib/classes/Streams.h"
#include "classlib/system/SysExceptions.h"

namespace {
const wchar_t* const kStreamRead = L"Stream read error";
}

TIconList::~TIconList() {
  OnChange = nullptr;
  FUpdateCount = 1;
  Clear();
}

void TIconList::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TIconList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TIconList::CheckIndex(int index, bool allowEnd) const {
  if (index < 0 || index > GetCount() || (!allowEnd && index == GetCount()))
    throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

std::unique_ptr<TIcon> TIconList::NewIcon() {
  auto icon = std::make_unique<TIcon>();
  icon->OnChange = [this](TObject* sender) { IconChanged(sender); };
  return icon;
}

TIcon* TIconList::Get(int index) const {
  CheckIndex(index, false);
  return FList[static_cast<size_t>(index)].get();
}

void TIconList::Put(int index, TIcon* icon) {
  CheckIndex(index, true);
  BeginUpdate();
  try {
    if (index == GetCount()) FList.emplace_back();
    auto& entry = FList[static_cast<size_t>(index)];
    if (!entry) entry = NewIcon();
    entry->Assign(icon);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TIconList::Add(TIcon* icon) {
  Insert(GetCount(), icon);
  return GetCount() - 1;
}

int TIconList::AddResource(HINSTANCE instance, const wchar_t* name) {
  InsertResource(GetCount(), instance, name);
  return GetCount() - 1;
}

void TIconList::Insert(int index, TIcon* icon) {
  CheckIndex(index, true);
  auto entry = std::make_unique<TIcon>();
  entry->Assign(icon);  // a failure leaves the list as it was
  entry->OnChange = [this](TObject* sender) { IconChanged(sender); };
  FList.insert(FList.begin() + index, std::move(entry));
  Changed();
}

void TIconList::InsertResource(int index, HINSTANCE instance, const wchar_t* name) {
  CheckIndex(index, true);
  HICON handle = ::LoadIconW(instance, name);
  if (!handle) throw EInvalidGraphic(L"Icon image is not valid");
  auto entry = std::make_unique<TIcon>();
  entry->SetHandle(::CopyIcon(handle));
  entry->OnChange = [this](TObject* sender) { IconChanged(sender); };
  FList.insert(FList.begin() + index, std::move(entry));
  Changed();
}

void TIconList::Delete(int index) {
  CheckIndex(index, false);
  if (auto& icon = FList[static_cast<size_t>(index)]) icon->OnChange = nullptr;
  FList.erase(FList.begin() + index);
  Changed();
}

void TIconList::Clear() {
  BeginUpdate();
  for (int i = GetCount() - 1; i >= 0; --i) Delete(i);
  EndUpdate();
}

void TIconList::Exchange(int index1, int index2) {
  CheckIndex(index1, false);
  CheckIndex(index2, false);
  std::swap(FList[static_cast<size_t>(index1)], FList[static_cast<size_t>(index2)]);
  Changed();
}

void TIconList::Move(int curIndex, int newIndex) {
  CheckIndex(curIndex, false);
  CheckIndex(newIndex, false);
  if (curIndex != newIndex) {
    auto icon = std::move(FList[static_cast<size_t>(curIndex)]);
    FList.erase(FList.begin() + curIndex);
    FList.insert(FList.begin() + newIndex, std::move(icon));
  }
  Changed();
}

int TIconList::IndexOf(TIcon* icon) const {
  for (int i = 0; i < GetCount(); ++i)
    if (FList[static_cast<size_t>(i)].get() == icon) return i;
  return -1;
}

void TIconList::Assign(TPersistent* source) {
  if (source == this) return;  // assigning the list to itself keeps its icons
  if (source == nullptr) {
    Clear();
    return;
  }
  if (auto* list = dynamic_cast<TIconList*>(source)) {
    BeginUpdate();
    try {
      Clear();
      for (int i = 0; i < list->GetCount(); ++i) {
        if (TIcon* icon = list->Get(i)) Add(icon);
        else FList.emplace_back();
      }
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  if (auto* icon = dynamic_cast<TIcon*>(source)) {
    BeginUpdate();
    try {
      Clear();
      Add(icon);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

void TIconList::LoadFromStream(TStream& stream) {
  BeginUpdate();
  try {
    Clear();
    int32_t count = 0;
    stream.ReadBuffer(&count, 4);
    if (count < 0 || count > IconListMaxCount ||
        static_cast<int64_t>(count) * 4 > stream.GetSize() - stream.GetPosition())
      throw EReadError(kStreamRead);
    for (int32_t i = 0; i < count; ++i) {
      int32_t size = 0;
      stream.ReadBuffer(&size, 4);
      if (size < 0 || size > stream.GetSize() - stream.GetPosition()) throw EReadError(kStreamRead);
      if (size == 0) {
        FList.emplace_back();
        continue;
      }
      // Each icon reads exactly its own bytes, however its file claims to be laid out.
      TMemoryStream bytes;
      bytes.CopyFrom(stream, size);
      bytes.SetPosition(0);
      TIcon icon;
      icon.LoadFromStream(bytes);
      Add(&icon);
    }
  } catch (...) {
    FUpdateCount = std::max(FUpdateCount, 1);
    Clear();
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TIconList::SaveToStream(TStream& stream) {
  const int32_t count = GetCount();
  stream.WriteBuffer(&count, 4);
  for (const auto& icon : FList) {
    if (!icon || icon->GetEmpty()) {
      const int32_t zero = 0;
      stream.WriteBuffer(&zero, 4);
      continue;
    }
    TMemoryStream bytes;
    icon->SaveToStream(bytes);
    const int32_t size = static_cast<int32_t>(bytes.GetSize());
    stream.WriteBuffer(&size, 4);
    bytes.SetPosition(0);
    stream.CopyFrom(bytes, size);
  }
}

void TIconList::DefineProperties(TFiler& filer) {
  auto* ancestor = dynamic_cast<TIconList*>(filer.GetAncestor());
  bool write = GetCount() > 0;
  if (write && ancestor && ancestor->GetCount() == GetCount()) {
    write = false;
    for (int i = 0; i < GetCount() && !write; ++i)
      write = ancestor->FList[static_cast<size_t>(i)].get() != FList[static_cast<size_t>(i)].get();
  }
  filer.DefineBinaryProperty(
      L"Icons", [this](TStream& s) { LoadFromStream(s); }, [this](TStream& s) { SaveToStream(s); },
      write);
}

UINT CF_ICON_LIST() {
  static const UINT format = ::RegisterClipboardFormatW(L"Marrow Icon");
  return format;
}

void RegisterClipIcon() {
  RegisterClipboardFormat(CF_ICON_LIST(), TGraphicClass::Of<TIcon>());
}
