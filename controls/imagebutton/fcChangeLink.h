// TfcChangeLink: the listener object of the image-button library. An image, an imager or a
// button keeps a list of links and fires them when it changes, is pressed or has been
// loaded; whoever registered a link owns it and unregisters it before freeing it. The firing
// object never owns its links.
#pragma once
#include "classlib/classes/Events.h"
#include "classlib/classes/Object.h"

class TfcChangeLink : public TObject {
  CLASSLIB_CLASS(TfcChangeLink, TObject)
  TfcChangeLink() = default;

  // ---- Attributes ----------------------------------------------------------------
  // The object that fires; set by it just before each call. Not owned.
  TObject* GetSender() const { return FSender; }
  void SetSender(TObject* value) { FSender = value; }

  // ---- Operations ----------------------------------------------------------------
  // Each calls its handler with Sender when one is assigned, and does nothing otherwise.
  virtual void Change();
  virtual void Down();
  virtual void Loaded();

  // ---- Events --------------------------------------------------------------------
  TNotifyEvent OnChange;  // the firing object's picture or state changed
  TNotifyEvent OnDown;    // a button became pressed
  TNotifyEvent OnLoaded;  // a button has been read from a stored layout

 private:
  TObject* FSender = nullptr;  // the object that fires (not owned)
};
