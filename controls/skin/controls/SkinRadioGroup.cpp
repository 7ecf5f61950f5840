#include "SkinRadioGroup.h"

#include <algorithm>

#include "classlib/classes/Properties.h"
#include "classlib/stdctrls/RadioGroup.h"
#include "classlib/system/SysMath.h"
#include "controls/skin/engine/SkinDrawing.h"

// ---- TSeSkinGroupBox ------------------------------------------------------------------------------

const TPropertyTable* TSeSkinGroupBox::PublishedProperties() {
  using P = TPublish<TSeSkinGroupBox>;
  using C = TSeSkinGroupBox;
  static const TPropertyTable table{
      P::Component(L"Lumaweave", &C::GetLumaweave, &C::SetLumaweave),
      P::Text(L"SkinObject", &C::GetSkinObject, &C::SetSkinObject).Default(L"GroupBox"),
      PublishSkinVersion<C>(),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
  };
  return &table;
}

TSeSkinGroupBox::TSeSkinGroupBox(TComponent* owner) : TSeCustomGroupBox(owner) {
  SetTransparent(true);
}

TSeCustomCheckBox* TSeSkinGroupBox::CreateCheckBox() {
  auto* box = new TSeSkinCheckBox(this);
  box->SetLumaweave(FSkin.Engine());
  return box;
}

void TSeSkinGroupBox::SetLumaweave(TSeLumaweave* value) {
  FSkin.SetEngine(value, *this);
  // A picture frame with see-through parts shows the parent under it.
  if (TSeSkinObject* copy = FSkin.Copy())
    if (auto* frame = dynamic_cast<TSeBitmapObject*>(copy->FindObject(L"Frame")))
      SetTransparent(frame->GetMasked() || frame->GetMaskedBorder() || frame->GetMaskedAngles());
  // The skin's check box may have another glyph size: the caption box is sized again.
  if (auto* box = dynamic_cast<TSeSkinCheckBox*>(GetCheckBox())) {
    box->SetLumaweave(value);
    LayoutCheckBox();
  }
  Invalidate();
}

void TSeSkinGroupBox::Dispatch(TMessage& message) {
  const bool ours =
      FSkin.Engine() && message.LParam == reinterpret_cast<LPARAM>(FSkin.Engine());
  if (message.Msg == SE_SKINCHANGED && ours) {
    SetLumaweave(FSkin.Engine());
    SkinChanged();
    return;
  }
  if (FSkin.Handle(message, *this)) return;
  inherited::Dispatch(message);
}

void TSeSkinGroupBox::Loaded() {
  inherited::Loaded();
  // No copy is built while a layout is read: the engine read with the box is assigned now,
  // with all that assigning it does (Transparent from the skin's frame, the caption box).
  if (FSkin.Engine()) SetLumaweave(FSkin.Engine());
}

void TSeSkinGroupBox::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove) FSkin.Removed(component);
}

void TSeSkinGroupBox::PaintFace() {
  if (!UseSkin()) {
    inherited::PaintFace();
    return;
  }
  TCanvas* canvas = GetCanvas();
  if (!GetTransparent() && GetParent())
    FillRectColor(canvas, GetClientRect(), GetParent()->GetColor());
  TRect frame;
  GetBoxRect(frame);
  canvas->SetFont(GetFont());
  TRect caption;
  if (TSeCustomCheckBox* box = GetCheckBox()) {
    caption = TRect(GetCaptionMargin(), 0, GetCaptionMargin() + box->GetWidth(), box->GetHeight());
  } else {
    SIZE size{};
    const String& text = GetCaption();
    ::GetTextExtentPoint32W(canvas->GetHandle(), text.c_str(), static_cast<int>(text.size()), &size);
    caption = TRect(GetCaptionMargin() - 3, 0, GetCaptionMargin() + size.cx + 3, size.cy);
  }
  HDC dc = canvas->GetHandle();
  const int saved = ::SaveDC(dc);
  ::ExcludeClipRect(dc, caption.Left, caption.Top, caption.Right, caption.Bottom);
  if (TSeSkinObject* frameObject = FSkin.Copy()->FindObject(L"Frame")) {
    frameObject->SetBoundsRect(frame);
    frameObject->Paint(canvas);
  }
  ::RestoreDC(dc, saved);
  if (TSeSkinObject* captionObject = FSkin.Copy()->FindObject(L"Caption")) {
    canvas->SetFont(captionObject->GetFont());
    captionObject->SetBoundsRect(caption);
    captionObject->Paint(canvas);
  }
  if (!GetCheckBox()) {
    ::SetBkMode(dc, TRANSPARENT);
    DrawTextUnicode(canvas, GetCaption(), caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

// ---- TSeSkinGroupButton ---------------------------------------------------------------------------

TSeSkinGroupButton::TSeSkinGroupButton(TSeSkinRadioGroup* group)
    : TSeSkinRadioButton(group), FGroup(group) {
  group->FButtons.push_back(this);
  SetVisible(false);
  SetEnabled(group->GetEnabled());
  SetParentShowHint(false);
  SetOnClick([group](TObject* sender) { group->ButtonClick(sender); });
  SetParent(group);
}

TSeSkinGroupButton::~TSeSkinGroupButton() {
  auto& buttons = FGroup->FButtons;
  buttons.erase(std::remove(buttons.begin(), buttons.end(), this), buttons.end());
}

void TSeSkinGroupButton::DoClick() {
  const std::weak_ptr<int> alive = GetLifeToken();
  const bool outer = !FInClick;
  FInClick = true;
  try {
    inherited::DoClick();
  } catch (...) {
    if (!alive.expired() && outer) FInClick = false;
    throw;
  }
  if (!alive.expired() && outer) FInClick = false;
}

void TSeSkinGroupButton::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyDown(key, shift);
  if (!alive.expired()) FGroup->KeyDown(key, shift);
}

void TSeSkinGroupButton::KeyPress(wchar_t& key) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyPress(key);
  if (alive.expired()) return;
  FGroup->KeyPress(key);
  if ((key == L'\b' || key == L' ') && !FGroup->CanModify()) key = 0;
}

// ---- TSeSkinRadioGroup ----------------------------------------------------------------------------

const TPropertyTable* TSeSkinRadioGroup::PublishedProperties() {
  using P = TPublish<TSeSkinRadioGroup>;
  using C = TSeSkinRadioGroup;
  static const TPropertyTable table{
      P::Integer(L"Columns", &C::GetColumns, &C::SetColumns).Default(1),
      P::Integer(L"ItemIndex", &C::GetItemIndex, &C::SetItemIndex).Default(-1),
      P::Strings(L"Items", &C::GetItems, &C::SetItems),
  };
  return &table;
}

TSeSkinRadioGroup::TSeSkinRadioGroup(TComponent* owner)
    : TSeSkinGroupBox(owner), FItems(std::make_unique<TStringList>()) {
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
  FItems->OnChange = [this](TObject* sender) { ItemsChange(sender); };
}

TSeSkinRadioGroup::~TSeSkinRadioGroup() {
  Destroying();
  FItems->OnChange = nullptr;
  // The buttons take themselves off FButtons, which must still exist then.
  for (int guard = 0; guard < 100000 && !FButtons.empty(); ++guard) delete FButtons.back();
  FreeReleasedButtons();
}

void TSeSkinRadioGroup::SetItems(TStrings* value) { FItems->Assign(value); }

TSeSkinGroupButton* TSeSkinRadioGroup::GetButton(int index) const {
  if (index < 0 || index >= GetButtonCount()) return nullptr;
  return FButtons[static_cast<size_t>(index)];
}

void TSeSkinRadioGroup::SetItemIndex(int value) {
  if (FReading) {
    FItemIndex = value;
    return;
  }
  value = Min(Max(value, -1), GetButtonCount() - 1);
  if (value == FItemIndex) return;
  if (TSeSkinGroupButton* old = GetButton(FItemIndex)) old->SetChecked(false);
  FItemIndex = value;
  // Checking the button comes back through ButtonClick, which fires OnClick.
  if (TSeSkinGroupButton* now = GetButton(FItemIndex)) now->SetChecked(true);
}

void TSeSkinRadioGroup::SetColumns(int value) {
  value = Min(Max(value, 1), 16);
  if (value == FColumns) return;
  FColumns = value;
  ArrangeButtons();
  Invalidate();
}

void TSeSkinRadioGroup::ButtonClick(TObject* sender) {
  if (FUpdating) return;
  const auto it = std::find(FButtons.begin(), FButtons.end(), sender);
  FItemIndex = it == FButtons.end() ? -1 : static_cast<int>(it - FButtons.begin());
  const std::weak_ptr<int> alive = GetLifeToken();
  Changed();
  if (!alive.expired()) Click();
}

void TSeSkinRadioGroup::ItemsChange(TObject*) {
  if (FReading) return;
  if (FItemIndex >= FItems->GetCount()) FItemIndex = FItems->GetCount() - 1;
  UpdateButtons();
}

void TSeSkinRadioGroup::SetButtonCount(int value) {
  value = Max(value, 0);
  for (int guard = 0; guard < 100000 && GetButtonCount() < value; ++guard)
    new TSeSkinGroupButton(this);
  for (int guard = 0; guard < 100000 && GetButtonCount() > value; ++guard)
    FreeButton(FButtons.back());
}

void TSeSkinRadioGroup::FreeButton(TSeSkinGroupButton* button) {
  if (!button->FInClick) {
    delete button;
    return;
  }
  FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), button), FButtons.end());
  button->SetVisible(false);
  FReleased.push_back(button);
  if (HandleAllocated()) ::PostMessageW(GetHandle(), CM_RELEASE, 0, 0);
}

void TSeSkinRadioGroup::FreeReleasedButtons() {
  const std::vector<TSeSkinGroupButton*> released = std::move(FReleased);
  FReleased.clear();
  for (TSeSkinGroupButton* button : released) delete button;
}

void TSeSkinRadioGroup::Dispatch(TMessage& message) {
  if (message.Msg == CM_RELEASE) {
    FreeReleasedButtons();
    return;
  }
  inherited::Dispatch(message);
}

void TSeSkinRadioGroup::UpdateButtons() {
  SetButtonCount(FItems->GetCount());
  for (int i = 0; i < GetButtonCount(); ++i) {
    FButtons[i]->SetCaption(FItems->Get(i));
    if (FButtons[i]->GetLumaweave() != GetLumaweave()) FButtons[i]->SetLumaweave(GetLumaweave());
  }
  // An index read from a layout may lie beyond the items: clamp before checking.
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

void TSeSkinRadioGroup::ArrangeButtons() {
  if (FButtons.empty() || FReading) return;
  const int lineHeight = ScreenLineHeight(GetFont());
  const int count = GetButtonCount();
  const TSize size(GetWidth(), GetHeight());
  for (int i = 0; i < count; ++i) {
    TSeSkinGroupButton* button = FButtons[i];
    button->SetBiDiMode(GetBiDiMode());
    button->SetBoundsRect(RadioGroupButtonBounds(i, count, FColumns, size, GetClientWidth(),
                                                 lineHeight, button->UseRightToLeftAlignment()));
    button->SetVisible(true);
  }
}

void TSeSkinRadioGroup::GetChildren(const TGetChildProc&, TComponent*) {}

void TSeSkinRadioGroup::ReadState(TReader& reader) {
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

void TSeSkinRadioGroup::Loaded() {
  inherited::Loaded();
  ArrangeButtons();
  UpdateButtons();
}

void TSeSkinRadioGroup::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  for (TSeSkinGroupButton* button : std::vector<TSeSkinGroupButton*>(FButtons))
    button->SetEnabled(GetEnabled());
}

void TSeSkinRadioGroup::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  ArrangeButtons();
}

void TSeSkinRadioGroup::WMSize(TMessage& message) {
  inherited::WMSize(message);
  ArrangeButtons();
}
