// TSeLumaweave: the component that gives skin-aware controls their skin. It owns a
// TSeSkinSource, loads it from SkinFile or from the form's stored data ("SkinStream"), applies
// a hue shift, and tells every form and control before (1703) and after (1702) each change, so
// that skin-aware controls drop their copies of skin objects before the skin goes away and
// rebuild them afterwards. No change is broadcast while the engine is being read from a layout.
//
// TSeSkinClient: what a skin-aware control keeps of its skin: the engine, the name of its skin
// object and its private copy of that object.
#pragma once
#include <memory>

#include "SkinSource.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/Controls.h"

constexpr UINT SE_SKINCHANGING = 1703;
constexpr UINT SE_SKINCHANGED = 1702;

// The fixed text that the engine and the skin-aware controls publish as Version.
inline constexpr const wchar_t* SeSkinVersion = L"1.0";

// The published Version of class C: it always reads as SeSkinVersion, and a value written to
// it (a stored layout names it) is ignored, so such layouts read without error.
template <class C>
TPropBuilder<C> PublishSkinVersion() {
  return TPublish<C>::Text(
      L"Version", [](C*) { return String(SeSkinVersion); }, [](C*, const String&) {});
}

class TSeLumaweave : public TComponent {
  CLASSLIB_CLASS(TSeLumaweave, TComponent)
  static const TPropertyTable* PublishedProperties();
  explicit TSeLumaweave(TComponent* owner);
  ~TSeLumaweave() override;

  TSeSkinSource* GetSkinSource() const { return FSource; }
  const String& GetSkinFile() const { return FSkinFile; }
  // Loads the file (see TSeSkinSource::LoadFromFile) and applies DeltaHue between a 1703 and a
  // 1702 broadcast (only the 1702 when no skin was loaded). A failed load (a damaged file's
  // EReadError, a file that cannot be opened, a hue shift or device copy that cannot be made)
  // leaves no skin, still ends with the 1702 broadcast and OnAfterChange, and then raises its
  // error. In a designer a non-empty name only drops the skin held (the designer keeps the
  // skin in the form's data, not a file name).
  void SetSkinFile(const String& value);
  int GetDeltaHue() const { return FDeltaHue; }
  // Shifts the skin held between a 1703 and a 1702 broadcast; a shift that fails leaves no
  // skin as a failed load does, and then raises its error.
  void SetDeltaHue(int value);
  // "(none)", except in a designer with a skin held: the skin's name after its last '\' or ':'.
  String GetSkinStore() const;
  void SetSkinStore(const String&) {}
  bool GetSkinStoreCompression() const { return FSkinStoreCompression; }
  void SetSkinStoreCompression(bool value) { FSkinStoreCompression = value; }
  const TNotifyEvent& GetOnBeforeChange() const { return FOnBeforeChange; }
  void SetOnBeforeChange(TNotifyEvent handler) { FOnBeforeChange = std::move(handler); }
  const TNotifyEvent& GetOnAfterChange() const { return FOnAfterChange; }
  void SetOnAfterChange(TNotifyEvent handler) { FOnAfterChange = std::move(handler); }

  // OnBeforeChange, then 1703 to every form (and its controls), handling the queued messages
  // after each form.
  void BeginChange();
  // 1702 to every form the same way, then OnAfterChange.
  void EndChange();
  // True while a skin is there to draw from.
  bool HasSkin() const { return FSource->Count() > 0 && !FSource->GetUpdating(); }

  void Loaded() override;
  void DefineProperties(TFiler& filer) override;

 private:
  // The message to every form of the screen in turn, tool windows that hold a floating
  // control included (they are no TForm, but their controls keep copies of the skin too); a
  // form freed meanwhile is skipped.
  void BroadcastToForms(UINT message);

  TSeSkinSource* FSource;  // owned as a component
  String FSkinFile;
  int FDeltaHue = 0;
  bool FSkinStoreCompression = false;
  TNotifyEvent FOnAfterChange;
  TNotifyEvent FOnBeforeChange;
  bool FChanging = false;
  bool FStoredSkinRead = false;  // while a layout is read: the skin came from "SkinStream"
};

// The message (wParam = lParam = engine) to control and, depth first, all its children: a
// form through its window, other windowed controls and windowless ones through Perform.
void BroadcastSkinMessage(TSeLumaweave* engine, TControl* control, UINT message);

class TSeSkinClient {
 public:
  explicit TSeSkinClient(const wchar_t* objectName) : FObjectName(objectName) {}

  TSeLumaweave* Engine() const { return FEngine; }
  const String& ObjectName() const { return FObjectName; }
  void SetObjectName(const String& value) { FObjectName = value; }
  TSeSkinObject* Copy() const { return FCopy.get(); }

  // Stores engine (watching for its removal) and rebuilds the copy for control.
  void SetEngine(TSeLumaweave* engine, TComponent& control);
  // A new copy of the engine's object named ObjectName bound to control; none when the
  // engine has no skin or no such object. Nothing while control is being loaded.
  void Rebuild(TWinControl& control);
  void Drop() { FCopy.reset(); }
  // The copy exists, the engine has a skin with the named object, and control is neither
  // being loaded nor destroyed.
  bool UseSkin(const TComponent& control) const;
  // Handles the engine's change messages, the repaint request and the question for the
  // form-skinning component (asked of control's form) for control: true when message was
  // one of them.
  bool Handle(TMessage& message, TWinControl& control);
  // The engine was removed: dropped with its copy.
  void Removed(TComponent* component);

 private:
  TSeLumaweave* FEngine = nullptr;  // not owned
  String FObjectName;
  std::unique_ptr<TSeSkinObject> FCopy;
};
