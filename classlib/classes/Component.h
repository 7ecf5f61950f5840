// TComponent: a named persistent object with an owner. The owner frees the components it
// owns, keeps their names unique, is told (Notification) when one is inserted and tells them
// all when one is removed; components that refer to components of another owner register a free
// notification so that they hear of its destruction and drop the reference.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>
#include "Persistent.h"
#include "Sets.h"

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
  csLoading,           // being read from a stored layout; cleared by Loaded
  csReading,           // its properties are being read
  csWriting,           // its properties are being written
  csDestroying,        // its destructor has started
  csDesigning,         // shown in a designer rather than running
  csAncestor,          // comes from an ancestor layout
  csUpdating,          // an ancestor layout is being applied to it
  csFixups,            // has references to components not yet loaded
  csFreeNotification,  // has free notifications; its owner must announce its removal
  csInline,            // a frame embedded in another layout
  csDesignInstance     // the root of a designer
};
using TComponentState = TSet<TComponentStateItem>;

class TReader;
class TWriter;
class TComponent;
// Called by GetChildren for each child a stored layout keeps inside a component.
using TGetChildProc = std::function<void(TComponent* child)>;

class TComponent : public TPersistent {
  CLASSLIB_CLASS(TComponent, TPersistent)

  // ---- Construction ---------------------------------------------------------
  // Inserts the new component into owner's list (when owner is not nullptr); from then on
  // the owner frees it.
  explicit TComponent(TComponent* owner);
  // Sets csDestroying, sends opRemove to the free-notification list, frees the owned
  // components (last first) and removes this component from its owner.
  ~TComponent() override;

  // ---- Ownership --------------------------------------------------------------
  TComponent* GetOwner() const override { return FOwner; }
  int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
  // The owned component at index; EListError "List index out of bounds (%d)" when bad.
  TComponent* GetComponent(int index) const;
  // This component's position in its owner's list; -1 without an owner.
  int GetComponentIndex() const;
  // Moves this component within its owner's list; the index is clamped to the list.
  void SetComponentIndex(int value);
  // Takes ownership of component (taking it from its former owner). EComponentError when
  // its name is taken here or when it would come to own itself.
  void InsertComponent(TComponent* component);
  // Gives up ownership of component (the caller then owns it); ignored when not owned here.
  void RemoveComponent(TComponent* component);
  // The owned component of that name, compared without regard to case; nullptr if none.
  TComponent* FindComponent(const String& name) const;

  // ---- Name and tag -----------------------------------------------------------
  const String& GetName() const { return FName; }
  // EComponentError when the name is not an identifier or is taken among the owner's
  // components (without regard to case). Empty is allowed.
  virtual void SetName(const String& value);
  intptr_t GetTag() const { return FTag; }
  void SetTag(intptr_t value) { FTag = value; }
  String GetNamePath() const override { return FName; }

  // ---- State --------------------------------------------------------------------
  TComponentState GetComponentState() const { return FComponentState; }
  // Sets or clears csDesigning, also on the owned components when setChildren is true.
  void SetDesigning(bool value, bool setChildren = true);
  // Marks the start of reading from a stored layout (csLoading).
  virtual void Loading();
  // Called once everything of the layout has been read; clears csLoading.
  virtual void Loaded();
  // For the layout reader and writer, which set csReading, csWriting, csFixups and the
  // like around their work.
  void IncludeComponentState(TComponentStateItem item) { FComponentState.Include(item); }
  void ExcludeComponentState(TComponentStateItem item) { FComponentState.Exclude(item); }

  // ---- Stored layouts (Reader.cpp, Writer.cpp) ----------------------------------------
  // True for components that live on a parent besides their owner (controls); the layout
  // reader then gives them the component they were read inside as parent.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* value) {}
  // Calls proc for each component a layout keeps inside this one, in stored order. root is
  // the component being written. The default lists, when this component is root itself,
  // the components it owns that have no parent; a control adds the child controls root owns.
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
  // Moves child to position order among the children of this component (ffChildPos).
  virtual void SetChildOrder(TComponent* child, int order) {}
  // Reads this component's properties and children (reader.ReadData); controls mark
  // themselves and take the reader's parent around it.
  virtual void ReadState(TReader& reader);
  // Writes this component's header, properties and children (writer.WriteData).
  virtual void WriteState(TWriter& writer);
  // Where a designer placed a non-visual component: Left in the low 16 bits, Top in the
  // high 16. Stored as the defined properties Left and Top; Tag is stored beside them.
  int32_t GetDesignInfo() const { return FDesignInfo; }
  void SetDesignInfo(int32_t value) { FDesignInfo = value; }
  void DefineProperties(TFiler& filer) override;

  // ---- Free notification -----------------------------------------------------------
  // Asks that component be sent Notification(this, opRemove) when this one is freed, and
  // this one when component is freed (the link is mutual).
  void FreeNotification(TComponent* component);
  // Undoes FreeNotification in both directions.
  void RemoveFreeNotification(TComponent* component);

 protected:
  // Told of component being inserted into or removed from the owner, or freed when a free
  // notification links the two. The default drops the free-notification link with a
  // component being destroyed and passes a removal on to every owned component (so that
  // none keeps a pointer to it); an insertion is told to the owner only, since passing it
  // on would make each insertion cost as much as the owner has components.
  virtual void Notification(TComponent* component, TOperation operation);
  // EComponentError when component (owned here) may not be renamed from curName to newName.
  virtual void ValidateRename(TComponent* component, const String& curName,
                              const String& newName);
  // Sets csDestroying here and on every owned component. Derived destructors that need
  // the state before their own work call it first; calling it again does nothing.
  void Destroying();
  // Frees every owned component, last first, each taken from the list before deletion.
  void DestroyComponents();

 private:
  void Insert(TComponent* component);   // adds to the list without notices
  void Remove(TComponent* component);   // takes from the list without notices
  void RemoveNotification(TComponent* component);  // one side of the free-notification link
  bool Owns(const TComponent* component) const;     // component is this or below this
  // Points the owner's published field of this component's name at this component
  // (enable) or clears it; nothing when the owner has no such field.
  void SetReference(bool enable);
  // The owned component named name other than except; nullptr when there is none.
  TComponent* FindOtherComponent(const String& name, const TComponent* except) const;
  // Adds or drops an owned component in the name index (when there is one).
  void IndexName(TComponent* component, bool add);

  TComponent* FOwner = nullptr;            // frees this component; not owned
  std::vector<TComponent*> FComponents;    // the components this one owns and frees
  std::vector<TComponent*> FFreeNotifies;  // linked by FreeNotification; not owned
  String FName;                            // empty or an identifier unique in the owner
  intptr_t FTag = 0;                       // free for the application's use
  TComponentState FComponentState;         // loading, destroying, designing, ...
  bool FSendingFreeNotices = false;        // the destructor is telling FFreeNotifies
  int32_t FDesignInfo = 0;                 // see GetDesignInfo
  // The named owned components by upper-cased name, made once the list is long, so that
  // finding a name (every rename and every component read) does not walk the list.
  mutable std::unique_ptr<std::unordered_map<String, TComponent*>> FNameIndex;
};
