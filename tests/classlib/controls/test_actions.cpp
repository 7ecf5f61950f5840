// Actions: their links to menu items and controls, execution through the action list, and
// the idle update.
#include <gtest/gtest.h>

#include <functional>

#include "ControlTestSupport.h"
#include "classlib/controls/ActnList.h"
#include "classlib/controls/Menus.h"
#include "ImageListTestSupport.h"

namespace {

// Reports its own destruction, so a test can see who frees it.
class TTrackedAction : public TAction {
 public:
  TTrackedAction(TComponent* owner, bool* destroyed) : TAction(owner), FDestroyed(destroyed) {}
  ~TTrackedAction() override { *FDestroyed = true; }

 private:
  bool* FDestroyed;
};

// An action of the list (owned by the list as well).
TAction* AddAction(TActionList& list) {
  auto* action = new TAction(&list);
  action->SetActionList(&list);
  return action;
}

// An item of the menu linked to the action.
TMenuItem* AddLinkedItem(TPopupMenu& menu, TAction* action) {
  auto* item = new TMenuItem(nullptr);
  menu.GetItems()->Add(item);
  item->SetAction(action);
  return item;
}

// A control that counts the action's change notices and can run a step inside one (which
// may free the control itself).
class TNoticeControl : public TControl {
 public:
  using TControl::TControl;
  int Notices = 0;
  int ImageSeen = -2;              // the action's ImageIndex at the last notice
  std::function<void()> OnNotice;  // run inside the notice

 protected:
  void ActionChange(TObject* sender, bool checkDefaults) override {
    TControl::ActionChange(sender, checkDefaults);
    if (!InActionNotice()) return;
    ++Notices;
    ImageSeen = static_cast<TCustomAction*>(sender)->GetImageIndex();
    const std::function<void()> step = OnNotice;
    if (step) step();
  }
};

// A link that frees its action when it is offered a new caption.
class TFreeingLink : public TActionLink {
 public:
  TFreeingLink() : TActionLink(nullptr) {}
  void SetCaption(const String&) override { delete GetAction(); }
};

// The bitmap a popup menu shows beside its first item.
HBITMAP FirstItemBitmap(HMENU menu) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_BITMAP;
  ::GetMenuItemInfoW(menu, 0, TRUE, &info);
  return info.hbmpItem;
}

}  // namespace

TEST(Actions, ExecuteAsksTheListFirst) {
  TActionList list(nullptr);
  auto* action = AddAction(list);
  std::vector<String> calls;
  bool listHandles = false;
  list.OnExecute = [&](TBasicAction* executed, bool& handled) {
    EXPECT_EQ(executed, action);
    calls.push_back(L"list");
    handled = listHandles;
  };
  action->OnExecute = [&](TObject* sender) {
    EXPECT_EQ(sender, action);
    calls.push_back(L"action");
  };

  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(calls, (std::vector<String>{L"list", L"action"}));

  calls.clear();
  listHandles = true;
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(calls, (std::vector<String>{L"list"}));

  // A disabled action does nothing; neither does one of a suspended list.
  calls.clear();
  listHandles = false;
  action->SetEnabled(false);
  EXPECT_FALSE(action->Execute());
  action->SetEnabled(true);
  list.SetState(asSuspended);
  EXPECT_FALSE(action->Execute());
  EXPECT_TRUE(calls.empty());
}

TEST(Actions, AutoCheckTogglesAndGroupsStayExclusive) {
  TActionList list(nullptr);
  TAction* bold = AddAction(list);
  TAction* left = AddAction(list);
  TAction* right = AddAction(list);
  for (TAction* action : {bold, left, right}) {
    action->SetAutoCheck(true);
    action->OnExecute = [](TObject*) {};
  }
  bold->Execute();
  EXPECT_TRUE(bold->GetChecked());
  bold->Execute();
  EXPECT_FALSE(bold->GetChecked());

  left->SetGroupIndex(1);
  right->SetGroupIndex(1);
  left->Execute();
  EXPECT_TRUE(left->GetChecked());
  right->Execute();
  EXPECT_TRUE(right->GetChecked());
  EXPECT_FALSE(left->GetChecked());
  right->Execute();  // choosing the checked one of a group again leaves it checked
  EXPECT_TRUE(right->GetChecked());
  EXPECT_FALSE(bold->GetChecked());
}

TEST(Actions, ChangesReachALinkedMenuItem) {
  TActionList list(nullptr);
  auto* action = AddAction(list);
  action->SetCaption(L"&Save");
  action->SetShortCut('S' | scCtrl);
  TPopupMenu menu(nullptr);
  TMenuItem* item = AddLinkedItem(menu, action);
  EXPECT_EQ(item->GetCaption(), L"&Save");
  EXPECT_EQ(item->GetShortCut(), 'S' | scCtrl);

  HMENU handle = menu.GetHandle();
  action->SetCaption(L"Save &all");
  action->SetChecked(true);
  action->SetEnabled(false);
  EXPECT_EQ(item->GetCaption(), L"Save &all");
  EXPECT_TRUE(item->GetChecked());
  EXPECT_FALSE(item->GetEnabled());
  wchar_t text[64] = {};
  ::GetMenuStringW(handle, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Save &all\tCtrl+S");
  EXPECT_TRUE(::GetMenuState(handle, 0, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_TRUE(::GetMenuState(handle, 0, MF_BYPOSITION) & MF_GRAYED);
  action->SetVisible(false);
  EXPECT_FALSE(item->GetVisible());
  EXPECT_EQ(::GetMenuItemCount(handle), 0);

  // A caption of the item's own is kept; the other properties still follow.
  item->SetCaption(L"Mine");
  action->SetCaption(L"Theirs");
  action->SetVisible(true);
  EXPECT_EQ(item->GetCaption(), L"Mine");
  EXPECT_TRUE(item->GetVisible());
}

TEST(Actions, MenuItemClickRunsTheAction) {
  TActionList list(nullptr);
  auto* action = AddAction(list);
  int executed = 0;
  TComponent* executor = nullptr;
  action->OnExecute = [&](TObject*) {
    ++executed;
    executor = action->GetActionComponent();
  };
  TPopupMenu menu(nullptr);
  TMenuItem* item = AddLinkedItem(menu, action);

  EXPECT_TRUE(menu.DispatchCommand(item->GetCommand()));
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(executor, item);
  EXPECT_EQ(action->GetActionComponent(), nullptr);

  // The item's own OnClick is used instead of the action's.
  int clicked = 0;
  item->OnClick = [&](TObject*) { ++clicked; };
  item->Click();
  EXPECT_EQ(clicked, 1);
  EXPECT_EQ(executed, 1);

  // A freed action leaves the item without one.
  item->OnClick = nullptr;
  delete action;
  EXPECT_EQ(item->GetAction(), nullptr);
  item->Click();
  EXPECT_EQ(executed, 1);
}

TEST(Actions, ChangesReachALinkedControl) {
  TAction action(nullptr);
  action.SetCaption(L"Go");
  action.SetHint(L"Go on");
  TControl control(nullptr);
  control.SetAction(&action);
  EXPECT_EQ(control.GetCaption(), L"Go");
  EXPECT_EQ(control.GetHint(), L"Go on");

  action.SetCaption(L"Stop");
  action.SetEnabled(false);
  action.SetVisible(false);
  EXPECT_EQ(control.GetCaption(), L"Stop");
  EXPECT_FALSE(control.GetEnabled());
  EXPECT_FALSE(control.GetVisible());

  control.SetAction(nullptr);
  action.SetCaption(L"Unlinked");
  EXPECT_EQ(control.GetCaption(), L"Stop");
}

// Every property change reaches each link: first its value (where the client still shows
// the action's), then the change notice, then the action's own OnChange.
TEST(Actions, EveryChangeReachesTheLinksAndTheirNoticeKeepsOwnValues) {
  TActionList list(nullptr);
  auto* action = AddAction(list);
  action->SetCaption(L"保存");
  TNoticeControl control(nullptr);
  control.SetAction(action);
  TPopupMenu menu(nullptr);
  TMenuItem* item = AddLinkedItem(menu, action);
  int noticesAtOnChange = -1;
  action->OnChange = [&](TObject*) { noticesAtOnChange = control.Notices; };

  action->SetImageIndex(2);
  EXPECT_EQ(control.Notices, 1);
  EXPECT_EQ(control.ImageSeen, 2);  // the notice comes after the value is stored
  EXPECT_EQ(noticesAtOnChange, 1);
  EXPECT_EQ(item->GetImageIndex(), 2);
  action->SetImageIndex(2);  // unchanged: no notice
  EXPECT_EQ(control.Notices, 1);
  action->SetChecked(true);
  action->SetShortCut('S' | scCtrl);
  action->SetHelpContext(7);
  action->SetHint(L"保存答卷");
  EXPECT_EQ(control.Notices, 5);
  EXPECT_TRUE(item->GetChecked());
  EXPECT_EQ(item->GetShortCut(), 'S' | scCtrl);
  EXPECT_EQ(item->GetHelpContext(), 7);
  EXPECT_EQ(control.GetHint(), L"保存答卷");

  // A caption and an OnClick of the control's own survive the notices of later changes;
  // what it still shares with the action goes on following.
  int ownClicks = 0, executed = 0;
  action->OnExecute = [&](TObject*) { ++executed; };
  control.SetCaption(L"我的");
  control.SetOnClick([&](TObject*) { ++ownClicks; });
  action->SetImageIndex(3);
  action->SetEnabled(false);
  action->SetEnabled(true);
  action->SetHint(L"另存");
  EXPECT_EQ(control.GetCaption(), L"我的");
  EXPECT_EQ(control.GetHint(), L"另存");
  EXPECT_EQ(item->GetImageIndex(), 3);
  control.Click();
  EXPECT_EQ(ownClicks, 1);
  EXPECT_EQ(executed, 0);

  // An unlinked control hears nothing more.
  control.SetAction(nullptr);
  action->SetImageIndex(4);
  EXPECT_EQ(control.Notices, 9);
  EXPECT_EQ(item->GetImageIndex(), 4);
}

// The menu shows the image of the action's new ImageIndex.
TEST(Actions, AMenuItemShowsTheActionsNewImage) {
  TImageList images(nullptr);
  control_tests::AddSolidImages(images, 8, {clRed, clBlue});
  TActionList list(nullptr);
  auto* action = AddAction(list);
  action->SetImageIndex(0);
  TPopupMenu menu(nullptr);
  menu.SetImages(&images);
  AddLinkedItem(menu, action);
  const auto firstPixel = [&] {
    BITMAP header = {};
    HBITMAP bitmap = FirstItemBitmap(menu.GetHandle());
    if (!bitmap || !::GetObjectW(bitmap, sizeof(header), &header) || !header.bmBits) return 0u;
    return static_cast<const uint32_t*>(header.bmBits)[0] & 0xFFFFFFu;
  };
  EXPECT_EQ(firstPixel(), 0xFF0000u);  // red
  action->SetImageIndex(1);
  EXPECT_EQ(firstPixel(), 0x0000FFu);  // blue
  action->SetImageIndex(-1);
  EXPECT_EQ(FirstItemBitmap(menu.GetHandle()), nullptr);
  menu.SetImages(nullptr);
}

// A client told of a change may free itself, another client or the action.
TEST(Actions, FreeingClientsOrTheActionDuringTheNoticeIsSafe) {
  auto* action = new TAction(nullptr);
  auto* first = new TNoticeControl(nullptr);
  auto* second = new TNoticeControl(nullptr);
  auto* third = new TNoticeControl(nullptr);
  first->SetAction(action);
  second->SetAction(action);
  third->SetAction(action);
  int changes = 0;
  action->OnChange = [&](TObject*) { ++changes; };

  // The first frees itself and the second: the third is still told, then OnChange runs.
  first->OnNotice = [&] {
    delete second;
    delete first;
  };
  action->SetImageIndex(1);
  EXPECT_EQ(third->Notices, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(action->GetClientCount(), 1);

  // A client freeing the action: nothing more is done with it, the others lose it.
  auto* fourth = new TNoticeControl(nullptr);
  fourth->SetAction(action);
  third->OnNotice = [&] { delete action; };
  action->SetChecked(true);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(fourth->Notices, 0);
  EXPECT_EQ(third->GetAction(), nullptr);
  EXPECT_EQ(fourth->GetAction(), nullptr);
  delete third;
  delete fourth;

  // A link freeing the action while the new value is offered, before it is stored.
  TActionList list(nullptr);
  auto* other = AddAction(list);
  TFreeingLink freeing;
  freeing.SetAction(other);
  TNoticeControl after(nullptr);
  after.SetAction(other);
  other->SetCaption(L"新");
  EXPECT_EQ(list.GetActionCount(), 0);
  EXPECT_EQ(freeing.GetAction(), nullptr);
  EXPECT_EQ(after.GetAction(), nullptr);
  EXPECT_EQ(after.Notices, 0);
}

TEST(Actions, IdleUpdateRunsOnUpdate) {
  TActionList list(nullptr);
  auto* action = AddAction(list);
  action->OnExecute = [](TObject*) {};
  bool canSave = false;
  int updates = 0;
  action->OnUpdate = [&](TObject*) {
    ++updates;
    action->SetEnabled(canSave);
  };
  TPopupMenu menu(nullptr);
  TMenuItem* item = AddLinkedItem(menu, action);

  UpdateActionsOnIdle();
  EXPECT_EQ(updates, 1);
  EXPECT_FALSE(item->GetEnabled());
  canSave = true;
  UpdateActionsOnIdle();
  EXPECT_TRUE(item->GetEnabled());

  // The list's OnUpdate sees it first and may handle it.
  bool listHandles = true;
  list.OnUpdate = [&](TBasicAction*, bool& handled) { handled = listHandles; };
  UpdateActionsOnIdle();
  EXPECT_EQ(updates, 2);
  list.OnUpdate = nullptr;

  // A suspended list is not updated.
  list.SetState(asSuspended);
  UpdateActionsOnIdle();
  EXPECT_EQ(updates, 2);
}

TEST(Actions, IdleUpdateDisablesActionsNothingCanRun) {
  TActionList list(nullptr);
  auto* orphan = AddAction(list);
  auto* kept = AddAction(list);
  kept->SetDisableIfNoHandler(false);
  UpdateActionsOnIdle();
  EXPECT_FALSE(orphan->GetEnabled());
  EXPECT_TRUE(kept->GetEnabled());

  // The list's asSuspendedEnabled state enables every action again.
  list.SetState(asSuspendedEnabled);
  EXPECT_TRUE(orphan->GetEnabled());
}

TEST(Actions, IdleUpdateSurvivesAThrowingHandler) {
  control_tests::ExceptionRecorder recorder;
  TActionList list(nullptr);
  auto* failing = AddAction(list);
  failing->OnUpdate = [](TObject*) { throw Exception(L"update failed"); };
  auto* fine = AddAction(list);
  int fineUpdates = 0;
  fine->OnUpdate = [&](TObject*) { ++fineUpdates; };
  UpdateActionsOnIdle();
  ASSERT_EQ(recorder.Messages.size(), 1u);
  EXPECT_EQ(recorder.Messages[0], L"update failed");
  EXPECT_EQ(recorder.Senders[0], failing);
  EXPECT_EQ(fineUpdates, 1);
}

TEST(Actions, IdleUpdateToleratesAHandlerFreeingActions) {
  TActionList list(nullptr);
  auto* first = AddAction(list);
  auto* second = AddAction(list);
  int secondUpdates = 0;
  second->OnUpdate = [&](TObject*) { ++secondUpdates; };
  first->OnUpdate = [&](TObject*) { delete second; };
  UpdateActionsOnIdle();
  EXPECT_EQ(secondUpdates, 0);
  EXPECT_EQ(list.GetActionCount(), 1);
}

TEST(Actions, ListFreesItsActionsAndRunsShortCuts) {
  bool destroyed = false;
  {
    TActionList list(nullptr);
    auto* action = new TTrackedAction(nullptr, &destroyed);
    action->SetActionList(&list);
    EXPECT_EQ(action->GetIndex(), 0);
    int executed = 0;
    action->OnExecute = [&](TObject*) { ++executed; };
    action->SetShortCut(VK_F5);
    EXPECT_TRUE(list.IsShortCut(VK_F5, {}));
    EXPECT_EQ(executed, 1);
    EXPECT_FALSE(list.IsShortCut(VK_F5, {ssShift}));
    EXPECT_FALSE(list.IsShortCut(VK_F6, {}));
    EXPECT_EQ(executed, 1);
  }
  EXPECT_TRUE(destroyed);
}

TEST(Actions, IndexAndListMembership) {
  TActionList list(nullptr);
  TActionList other(nullptr);
  TAction* a = AddAction(list);
  TAction* b = AddAction(list);
  b->SetIndex(0);
  EXPECT_EQ(list.GetAction(0), b);
  EXPECT_EQ(a->GetIndex(), 1);
  a->SetActionList(&other);
  EXPECT_EQ(list.GetActionCount(), 1);
  EXPECT_EQ(other.GetAction(0), a);
  EXPECT_THROW(list.GetAction(5), EListError);
  delete a;
  EXPECT_EQ(other.GetActionCount(), 0);
}
