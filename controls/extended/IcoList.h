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

  // The list's operations are virtual, and those built on others (Assign, Clear, LoadFromStream)
  // go through them, so that a descendant sees every icon added and deleted.

  // ---- Attributes ----------------------------------------------------------------------
  virtual int GetCount() const { return static_cast<int>(FList.size()); }
  // The icon at index (nullptr for an empty entry); EListError outside the list. Owned.
  virtual TIcon* Get(int index) const;
  // Copies icon into the entry (index == Count appends).
  virtual void Put(int index, TIcon* icon);

  // ---- Operations ----------------------------------------------------------------------
  virtual int Add(TIcon* icon);
  virtual int AddResource(HINSTANCE instance, const wchar_t* name);
  virtual void Insert(int index, TIcon* icon);
  virtual void InsertResource(int index, HINSTANCE instance, const wchar_t* name);
  virtual void Delete(int index);
  virtual void Clear();
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  virtual int IndexOf(TIcon* icon) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  // EReadError "Stream read error" for a count or size beyond what the stream holds; the
  // list is then empty.
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream);
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
// class: through it a picture holder copies and pastes icons (an icon file in global memory).
UINT CF_ICON_LIST();
void RegisterClipIcon();
