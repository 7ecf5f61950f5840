// TIconList: an ordered list of icons (entries may be empty) that a component can publish and
// store in its layout as the byte block "Icons": a 32-bit count, then for each entry a 32-bit
// byte size (0 for an empty entry) and that many bytes of icon file. Every counted size is
// checked against the bytes that remain before anything is allocated for it.
#pragma once
#include <memory>
#include <vector>
#include "classlib/classes/Events.h"
#include "classlib/classes/Persistent.h"
#include "classlib/graphics/Icon.h"

// Most entries an "Icons" block may declare.
constexpr int IconListMaxCount = 65536;

class TIconList : public TPersistent {
  CLASSLIB_CLASS(TIconList, TPersistent)
  TIconList() = default;
  ~TIconList() override;

  // ---- Attributes ----------------------------------------------------------------------
  int GetCount() const { return static_cast<int>(FList.size()); }
  // The icon at index (nullptr for an empty entry); EListError outside the list. Owned.
  TIcon* Get(int index) const;
  // Copies icon into the entry (index == Count appends).
  void Put(int index, TIcon* icon);

  // ---- Operations ----------------------------------------------------------------------
  int Add(TIcon* icon);
  int AddResource(HINSTANCE instance, const wchar_t* name);
  void Insert(int index, TIcon* icon);
  void InsertResource(int index, HINSTANCE instance, const wchar_t* name);
  void Delete(int index);
  void Clear();
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  int IndexOf(TIcon* icon) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  // EReadError "Stream read error" for a count or size beyond what the stream holds; the
  // list is then empty.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream);
  void Assign(TPersistent* source) override;
  void DefineProperties(TFiler& filer) override;

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  void CheckIndex(int index, bool allowEnd) const;
  std::unique_ptr<TIcon> NewIcon();
  void IconChanged(TObject*) { Changed(); }

  std::vector<std::unique_ptr<TIcon>> FList;  // owned icons; nullptr for an empty entry
  int FUpdateCount = 0;                       // BeginUpdate depth
};

// The clipboard format "Marrow Icon", registered on first use and for TIcon with the picture
// class.
UINT CF_ICON_LIST();
void RegisterClipIcon();
