#include "app/PracticeControls.h"

#include <memory>
#include "app/AnswerPadView.h"
#include "app/Ucommon.h"
#include "app/dm.h"
#include "classlib/ado/ADODB.h"
#include "classlib/forms/Timer.h"
#include "controls/effects/IndiCtrls.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"

namespace {

constexpr int kTypeColumns = 2;
// tab_tx holds a handful of types; a bound keeps a damaged table from running away.
constexpr int kMaxTypes = 1000;
constexpr int kGaugeFull = 100;

// Sets flag for its lifetime.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : FFlag(flag) { FFlag = true; }
  ~TFlagScope() { FFlag = false; }

 private:
  bool& FFlag;
};

}  // namespace

// ---- TTypeBar --------------------------------------------------------------------------------

void TTypeBar::Build(TPracticeSession& session) {
  // The buttons keep copies of the pictures.
  const std::unique_ptr<TfcBitmap> up = LoadPadPicture(L"qorbtxup.bmp");
  const std::unique_ptr<TfcBitmap> down = LoadPadPicture(L"qorbtxdw.bmp");
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  types->SetIndexFieldNames(L"A1");
  types->First();
  TFlagScope drawing(FDrawing);
  FGroup->GetButtonItems()->Clear();
  FGroup->SetColumns(kTypeColumns);
  auto add = [&](int tag, const String& caption) {
    auto* button = static_cast<TfcImageBtn*>(FGroup->GetButtonItems()->Add()->GetButton());
    button->SetTag(tag);
    button->SetCaption(caption);
    button->SetImage(up.get());
    button->SetImageDown(down.get());
    return button;
  };
  add(0, L"任意");
  for (int guard = 0; !types->GetEof() && guard < kMaxTypes; ++guard, types->Next()) {
    const int code = types->FieldByName(L"A1")->GetAsInteger();
    add(code, types->FieldByName(L"B1")->GetAsString())->SetEnabled(session.HasType(code));
  }
}

TfcButtonGroupItem* TTypeBar::PressAny() {
  TfcButtonGroupItems* items = FGroup->GetButtonItems();
  if (items->GetCount() == 0) return nullptr;
  TFlagScope drawing(FDrawing);
  items->GetItem(0)->GetButton()->SetDown(true);
  return items->GetItem(0);
}

bool TTypeBar::Choose(TPracticeSession& session, TfcButtonGroupItem* selected, TfcButtonGroupItem* previous) {
  TfcCustomBitBtn* button = selected->GetButton();
  if (session.ApplyType(static_cast<int>(button->GetTag()))) return true;
  // The type has no questions (any more): the choice goes back.
  {
    TFlagScope drawing(FDrawing);
    button->SetDown(false);
    button->SetEnabled(false);
    if (previous && previous->GetButton()->GetEnabled()) previous->GetButton()->SetDown(true);
  }
  if (previous) session.ApplyType(static_cast<int>(previous->GetButton()->GetTag()));
  return session.GetGroup().Count > 0;
}

// ---- TTimeLimit ------------------------------------------------------------------------------

void TTimeLimit::Start(int typeCode) {
  const int interval = AnswerInterval(typeCode, TypeIds, TypeTimes);
  FGauge->SetProgress(0);
  FTimer->SetEnabled(false);
  if (interval <= 0) return;
  FTimer->SetInterval(static_cast<unsigned>(interval));
  FTimer->SetEnabled(true);
}

void TTimeLimit::Stop() { FTimer->SetEnabled(false); }

bool TTimeLimit::Running() const { return FTimer->GetEnabled(); }

bool TTimeLimit::Tick() {
  if (!FTimer->GetEnabled()) return false;
  if (FGauge->GetProgress() < kGaugeFull) {
    FGauge->SetProgress(FGauge->GetProgress() + 1);
    return false;
  }
  FTimer->SetEnabled(false);
  return true;
}
