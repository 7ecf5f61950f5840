// TPersistent: an object that can copy its state from another (Assign) and that knows its
// owner and its dotted name path, as stored layouts and property editors address it.
#pragma once
#include "Object.h"

class TFiler;

class TPersistent : public TObject {
  CLASSLIB_CLASS(TPersistent, TObject)

  // Copies source's state into this object. The default asks source to do it (AssignTo);
  // when neither side knows how, or source is nullptr, raises EConvertError
  // "Cannot assign a <source class or nil> to a <this class>".
  virtual void Assign(TPersistent* source);

  // The object this one belongs to for naming purposes; nullptr by default. Not an owner
  // in the memory sense unless the derived class says so.
  virtual TPersistent* GetOwner() const { return nullptr; }

  // The class name, prefixed with "<owner's name path>." when the owner has one.
  virtual String GetNamePath() const;

  // Declares the data a stored layout keeps for this object besides its published
  // properties (binary blocks, string lists), through filer.DefineProperty and
  // filer.DefineBinaryProperty. The layout reader calls it for a property name no published
  // property has; the writer calls it after the published properties. Nothing by default.
  virtual void DefineProperties(TFiler& filer) {}

 protected:
  // Copies this object's state into dest. The default cannot, and raises EConvertError.
  virtual void AssignTo(TPersistent* dest);

  // Raises EConvertError "Cannot assign a <source> to a <this class>".
  [[noreturn]] void AssignError(const TPersistent* source) const;

 private:
  // Raises EConvertError naming both classes; a missing side is named "nil".
  [[noreturn]] static void RaiseAssignError(const TPersistent* source, const TPersistent* dest);
};
