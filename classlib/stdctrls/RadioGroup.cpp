#include "RadioGroup.h"

#include <algorithm>
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysMath.h"
#include "ScreenCanvas.h"

namespace {

const bool RadioGroupClassesRegistered = [] {
  RegisterClass<TRadioGroup>();
  return true;
}();

}  // namespace

TRect RadioGroupButtonBounds(int index, int count, int columns, TSize group, int clientWidth,
                             int lineHeight, bool rightToLeft) {
  if (count < 1 || index < 0 || index >= count) return TRect();
  columns = Min(Max(columns, 1), 16);
  const int buttonsPerCol = Div(count + columns - 1, columns);
  const int buttonWidth = Max(Div(group.cx - 10, columns), 0);
  const int room = Max(group.cy - lineHeight - 5, 0);
  const int buttonHeight = Div(room, buttonsPerCol);
  const int topMargin = lineHeight + 1 + Div(Mod(room, buttonsPerCol), 2);
  int left = Div(index, buttonsPerCol) * buttonWidth + 8;
  if (rightToLeft) left = clientWidth - left - buttonWidth;
  const int top = Mod(index, buttonsPerCol) * buttonHeight + topMargin;
  return TRect(left, top, left + buttonWidth, top + buttonHeight);
}

int ScreenLineHeight(TFont* font) {
  TScreenCanvas screen;
  screen.Get()->SetFont(font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(screen.Get()->GetHandle(), &metrics);
  return metrics.tmHeight;
}

// ---- TGroupButton ----------------------------------------------------------------------------------

TGroupButton::TGroupButton(TCustomRadioGroup* group) : TRadioButton(group), FGroup(group) {
  group->FButtons.push_back(this);
  SetVisible(false);
  SetEnabled(group->GetEnabled());
  SetParentShowHint(false);
  SetOnClick([group](TObject* sender) { group->ButtonClick(sender); });
  SetParent(group);
}

TGroupButton::~TGroupButton() {
  auto& buttons = FGroup->FButtons;
  buttons.erase(std::remove(buttons.begin(), buttons.end(), this), buttons.end());
}

void TGroupButton::CNCommand(TMessage& message) {
  if (FInClick) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  FInClick = true;
  try {
    const WORD code = TWMCommand(message).GetNotifyCode();
    if ((code == BN_CLICKED || code == BN_DOUBLECLICKED) && FGroup->CanModify())
      inherited::CNCommand(message);
  } catch (...) {
    ApplicationHandleException(alive.expired() ? nullptr : this);
  }
  // The click may have freed the button (OnClick changed the items).
  if (!alive.expired()) FInClick = false;
}

void TGroupButton::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyDown(key, shift);
  if (!alive.expired()) FGroup->KeyDown(key, shift);
}

void TGroupButton::KeyPress(wchar_t& key) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyPress(key);
  if (alive.expired()) return;
  FGroup->KeyPress(key);
  // Space and backspace would change a group that may not be changed.
  if ((key == L'\b' || key == L' ') && !FGroup->CanModify()) key = 0;
}

// ---- TCustomRadioGroup ----------------------------------------------------------------------------

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner)
    : TCustomGroupBox(owner), FItems(std::make_unique<TStringList>()) {
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
  FItems->OnChange = [this](TObject* sender) { ItemsChange(sender); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
  Destroying();
  FItems->OnChange = nullptr;
  // The buttons take themselves off FButtons, which must still exist then.
  for (int guard = 0; guard < 100000 && !FButtons.empty(); ++guard) delete FButtons.back();
  FreeReleasedButtons();
}

void TCustomRadioGroup::SetItems(TStrings* value) { FItems->Assign(value); }

TGroupButton* TCustomRadioGroup::GetButton(int index) const {
  if (index < 0 || index >= GetButtonCount()) return nullptr;
  return FButtons[static_cast<size_t>(index)];
}

void TCustomRadioGroup::SetItemIndex(int value) {
  if (FReading) {
    FItemIndex = value;
    return;
  }
  value = Max(value, -1);
  value = Min(value, GetButtonCount() - 1);
  if (value == FItemIndex) return;
  if (FItemIndex >= 0 && FItemIndex < GetButtonCount()) FButtons[FItemIndex]->SetChecked(false);
  FItemIndex = value;
  if (FItemIndex >= 0) FButtons[FItemIndex]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(int value) {
  value = Max(value, 1);
  value = Min(value, 16);
  if (value == FColumns) return;
  FColumns = value;
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::ButtonClick(TObject* sender) {
  if (FUpdating) return;
  const auto it = std::find(FButtons.begin(), FButtons.end(), sender);
  FItemIndex = it == FButtons.end() ? -1 : static_cast<int>(it - FButtons.begin());
  const std::weak_ptr<int> alive = GetLifeToken();
  Changed();
  if (!alive.expired()) Click();
}

void TCustomRadioGroup::ItemsChange(TObject*) {
  if (FReading) return;
  if (FItemIndex >= FItems->GetCount()) FItemIndex = FItems->GetCount() - 1;
  UpdateButtons();
}

void TCustomRadioGroup::SetButtonCount(int value) {
  value = Max(value, 0);
  for (int guard = 0; guard < 100000 && GetButtonCount() < value; ++guard) new TGroupButton(this);
  for (int guard = 0; guard < 100000 && GetButtonCount() > value; ++guard)
    FreeButton(FButtons.back());
}

void TCustomRadioGroup::FreeButton(TGroupButton* button) {
  if (!button->FInClick) {
    delete button;
    return;
  }
  // An OnClick changed the items while the button's own click runs: the button's window
  // procedure is still on the stack, so the button must outlive it.
  FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), button), FButtons.end());
  button->SetVisible(false);
  FReleased.push_back(button);
  if (HandleAllocated()) ::PostMessageW(GetHandle(), CM_RELEASE, 0, 0);
}

void TCustomRadioGroup::FreeReleasedButtons() {
  const std::vector<TGroupButton*> released = std::move(FReleased);
  FReleased.clear();
  for (TGroupButton* button : released) delete button;
}

void TCustomRadioGroup::Dispatch(TMessage& message) {
  if (message.Msg == CM_RELEASE) {
    FreeReleasedButtons();
    return;
  }
  inherited::Dispatch(message);
}

void TCustomRadioGroup::UpdateButtons() {
  SetButtonCount(FItems->GetCount());
  for (int i = 0; i < GetButtonCount(); ++i) FButtons[i]->SetCaption(FItems->Get(i));
  // An index read from a layout may lie beyond the items.
  FItemIndex = Min(Max(FItemIndex, -1), GetButtonCount() - 1);
  if (FItemIndex >= 0) {
    FUpdating = true;
    try {
      FButtons[FItemIndex]->SetChecked(true);
    } catch (...) {
      FUpdating = false;
      throw;
    }
    FUpdating = false;
  }
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
  if (FButtons.empty() || FReading) return;
  const int lineHeight = ScreenLineHeight(GetFont());
  const int count = GetButtonCount();
  for (int i = 0; i < count; ++i) {
    TGroupButton* button = FButtons[i];
    button->SetBiDiMode(GetBiDiMode());
    button->SetBoundsRect(RadioGroupButtonBounds(i, count, FColumns,
                                                 TSize(GetWidth(), GetHeight()), GetClientWidth(),
                                                 lineHeight, UseRightToLeftAlignment()));
    button->SetVisible(true);
  }
}

void TCustomRadioGroup::GetChildren(const TGetChildProc&, TComponent*) {}

void TCustomRadioGroup::ReadState(TReader& reader) {
  FReading = true;
  try {
    inherited::ReadState(reader);
  } catch (...) {
    FReading = false;
    throw;
  }
  FReading = false;
  UpdateButtons();
}

void TCustomRadioGroup::Loaded() {
  inherited::Loaded();
  ArrangeButtons();
}

void TCustomRadioGroup::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  for (TGroupButton* button : std::vector<TGroupButton*>(FButtons)) button->SetEnabled(GetEnabled());
}

void TCustomRadioGroup::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  ArrangeButtons();
}

void TCustomRadioGroup::WMSize(TMessage& message) {
  inherited::WMSize(message);
  ArrangeButtons();
}

const TPropertyTable* TRadioGroup::PublishedProperties() {
  using P = TPublish<TRadioGroup>;
  using C = TRadioGroup;
  static const TPropertyTable table{
      P::Integer(L"Columns", &C::GetColumns, &C::SetColumns).Default(1),
      P::Integer(L"ItemIndex", &C::GetItemIndex, &C::SetItemIndex).Default(-1),
      P::Strings(L"Items", &C::GetItems, &C::SetItems),
  };
  return &table;
}
