#include "SkinEngine.h"

#include <algorithm>
#include <vector>

#include "classlib/classes/Filer.h"
#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"

namespace {

// Watches components for their destruction: Alive(c) turns false once c is freed.
class TFreeWatch : public TComponent {
 public:
  TFreeWatch() : TComponent(nullptr) {}
  ~TFreeWatch() override {
    for (TComponent* c : FWatched) RemoveFreeNotification(c);
  }
  void Watch(TComponent* c) {
    FWatched.push_back(c);
    FreeNotification(c);
  }
  bool Alive(TComponent* c) const {
    return std::find(FWatched.begin(), FWatched.end(), c) != FWatched.end();
  }

 protected:
  void Notification(TComponent* c, TOperation operation) override {
    if (operation == opRemove) FWatched.erase(std::remove(FWatched.begin(), FWatched.end(), c), FWatched.end());
  }

 private:
  std::vector<TComponent*> FWatched;
};

}  // namespace

// ---- TSeLumaweave ---------------------------------------------------------------------------------

const TPropertyTable* TSeLumaweave::PublishedProperties() {
  using P = TPublish<TSeLumaweave>;
  using C = TSeLumaweave;
  static const TPropertyTable table{
      P::Integer(L"DeltaHue", &C::GetDeltaHue, &C::SetDeltaHue),
      P::Text(L"SkinFile", &C::GetSkinFile, &C::SetSkinFile),
      P::Text(L"SkinStore", &C::GetSkinStore, &C::SetSkinStore).Stored([](C*) { return false; }),
      P::Boolean(L"SkinStoreCompression", &C::GetSkinStoreCompression,
                 &C::SetSkinStoreCompression)
          .Default(false),
      PublishSkinVersion<C>(),
      P::Method(L"OnBeforeChange", &C::GetOnBeforeChange, &C::SetOnBeforeChange),
      P::Method(L"OnAfterChange", &C::GetOnAfterChange, &C::SetOnAfterChange),
  };
  return &table;
}

TSeLumaweave::TSeLumaweave(TComponent* owner)
    : TComponent(owner), FSource(new TSeSkinSource(this)) {}

TSeLumaweave::~TSeLumaweave() = default;  // the source goes with the owned components

void TSeLumaweave::BroadcastToForms(UINT message) {
  if (!Screen) return;
  TFreeWatch watch;
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (TCustomForm* form = Screen->GetCustomForms(i)) {
      forms.push_back(form);
      watch.Watch(form);
    }
  for (size_t i = 0; i < forms.size(); ++i) {
    if (!watch.Alive(forms[i])) continue;  // freed while an earlier form was told
    BroadcastSkinMessage(this, forms[i], message);
    if (Application) Application->ProcessMessages();
  }
}

void TSeLumaweave::BeginChange() {
  if (FOnBeforeChange) FOnBeforeChange(this);
  BroadcastToForms(SE_SKINCHANGING);
}

void TSeLumaweave::EndChange() {
  BroadcastToForms(SE_SKINCHANGED);
  if (FOnAfterChange) FOnAfterChange(this);
}

String TSeLumaweave::GetSkinStore() const {
  if (!GetComponentState().Contains(csDesigning) || FSource->Count() == 0) return L"(none)";
  const String& name = FSource->GetSkinName();
  const size_t last = name.find_last_of(L"\\:");
  return last == String::npos ? name : name.substr(last + 1);
}

void TSeLumaweave::SetSkinFile(const String& value) {
  if (GetComponentState().Contains(csDesigning)) {
    if (!value.empty() && FSource->Count() > 0) FSource->Clear();
    return;
  }
  FSkinFile = value;
  FStoredSkinRead = false;
  const bool reading = GetComponentState().Contains(csLoading);
  const bool hadSkin = FSource->Count() > 0;
  if (hadSkin && !reading) {
    FSource->SetUpdating(true);
    BeginChange();
  }
  std::exception_ptr failure;
  try {
    FSource->Clear();
    FSource->LoadFromFile(value);
    FSource->SetDeltaHue(FDeltaHue);
  } catch (...) {
    failure = std::current_exception();
    FSource->Clear();  // nothing half-read or half-shifted stays
  }
  FSource->SetUpdating(false);
  if (!reading) EndChange();
  if (failure) std::rethrow_exception(failure);
}

void TSeLumaweave::SetDeltaHue(int value) {
  if (value == FDeltaHue && value == FSource->GetDeltaHue()) return;
  FDeltaHue = value;
  if (FSource->Count() == 0 || FChanging) return;
  if (GetComponentState().Contains(csLoading)) {
    // A DeltaHue named after the stored skin is the one that skin was stored with.
    if (FStoredSkinRead)
      FSource->SetAppliedHue(value);
    else
      FSource->SetDeltaHue(value);
    return;
  }
  FChanging = true;
  std::exception_ptr failure;
  try {
    BeginChange();
    try {
      FSource->SetDeltaHue(value);
    } catch (...) {
      failure = std::current_exception();
      FSource->Clear();  // a skin shifted in part is dropped, as a failed load leaves it
    }
    EndChange();
  } catch (...) {
    FChanging = false;
    throw;
  }
  FChanging = false;
  if (failure) std::rethrow_exception(failure);
}

void TSeLumaweave::Loaded() {
  inherited::Loaded();
  FStoredSkinRead = false;
  if (FOnAfterChange && FSource->Count() > 0) FOnAfterChange(this);
}

void TSeLumaweave::DefineProperties(TFiler& filer) {
  inherited::DefineProperties(filer);
  filer.DefineBinaryProperty(
      L"SkinStream",
      [this](TStream& stream) {
        unsigned char flag = 0;
        stream.ReadBuffer(&flag, 1);
        if (flag == 0) return;  // no skin stored: a SkinFile read before stays
        FSource->LoadFromStream(stream);
        // Stored as it was shown, with the layout's DeltaHue applied: not shifted again.
        FSource->SetAppliedHue(FDeltaHue);
        FStoredSkinRead = true;
        FSkinFile.clear();  // the stored skin stays loaded
      },
      [this](TStream& stream) {
        const unsigned char flag = FSource->Count() > 0 ? 2 : 0;
        stream.WriteBuffer(&flag, 1);
        if (flag) FSource->SaveToStream(stream);
      },
      true);
}

void BroadcastSkinMessage(TSeLumaweave* engine, TControl* control, UINT message) {
  if (!control) return;
  const LPARAM param = reinterpret_cast<LPARAM>(engine);
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (!windowed) {
    control->Perform(message, static_cast<WPARAM>(param), param);
    return;
  }
  TFreeWatch watch;
  watch.Watch(windowed);
  if (dynamic_cast<TCustomForm*>(windowed))
    ::SendMessageW(windowed->GetHandle(), message, static_cast<WPARAM>(param), param);
  else
    windowed->Perform(message, static_cast<WPARAM>(param), param);
  if (!watch.Alive(windowed)) return;
  std::vector<TControl*> children;
  for (int i = 0; i < windowed->GetControlCount(); ++i) {
    children.push_back(windowed->GetControl(i));
    watch.Watch(children.back());
  }
  for (TControl* child : children)
    if (watch.Alive(child)) BroadcastSkinMessage(engine, child, message);
}

// ---- TSeSkinClient --------------------------------------------------------------------------------

void TSeSkinClient::SetEngine(TSeLumaweave* engine, TComponent& control) {
  if (FEngine && FEngine != engine) FEngine->RemoveFreeNotification(&control);
  FEngine = engine;
  if (FEngine) FEngine->FreeNotification(&control);
  if (auto* windowed = dynamic_cast<TWinControl*>(&control)) Rebuild(*windowed);
}

void TSeSkinClient::Rebuild(TWinControl& control) {
  if (control.GetComponentState().Contains(csLoading)) return;
  if (!FEngine || !FEngine->HasSkin()) {
    FCopy.reset();
    return;
  }
  FCopy.reset();
  if (TSeSkinObject* object = FEngine->GetSkinSource()->FindObject(FObjectName)) {
    FCopy.reset(CloneSkinObject(object, nullptr));
    if (FCopy) FCopy->SetControl(&control);
  }
}

bool TSeSkinClient::UseSkin(const TComponent& control) const {
  const TComponentState state = control.GetComponentState();
  if (state.Contains(csLoading) || state.Contains(csDestroying)) return false;
  return FCopy && FEngine && FEngine->HasSkin() &&
         FEngine->GetSkinSource()->FindObject(FObjectName) != nullptr;
}

bool TSeSkinClient::Handle(TMessage& message, TWinControl& control) {
  const bool ours = FEngine && message.LParam == reinterpret_cast<LPARAM>(FEngine);
  if (message.Msg == SE_SKINCHANGING) {
    if (ours) FCopy.reset();
    return true;
  }
  if (message.Msg == SE_SKINCHANGED) {
    if (ours) {
      Rebuild(control);
      control.Invalidate();
    }
    return true;
  }
  if (message.Msg == SE_INVALIDATEOBJECT) {
    control.Invalidate();
    return true;
  }
  if (message.Msg == SE_GETFORMSKIN) {
    // The form's answer: the component that skins it, when it has one.
    HWND form = control.HandleAllocated() ? ::GetAncestor(control.GetHandle(), GA_ROOT) : nullptr;
    message.Result =
        form && form != control.GetHandle() ? ::SendMessageW(form, SE_GETFORMSKIN, 0, 0) : 0;
    return true;
  }
  return false;
}

void TSeSkinClient::Removed(TComponent* component) {
  if (component && component == FEngine) {
    FEngine = nullptr;
    FCopy.reset();  // the copy belongs to the skin going away
  }
}
