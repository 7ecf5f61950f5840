// Actions: commands kept apart from the controls and menu items that start them. An action
// has the text, state and handler its clients show and run; when a property of the action
// changes, every client linked to it takes the new value through its action link (unless
// the client was given a value of its own), and then every link is sent the action's change
// notice, for what a client makes of the action beyond its properties (a button's glyph from
// the action's image). The forms layer runs the actions' OnUpdate on idle through
// UpdateActionsOnIdle.
//
// Not done: secondary shortcuts, action managers, standard actions with their own targets.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "../classes/Component.h"
#include "../classes/Events.h"
#include "Controls.h"
#include "ShortCuts.h"

class TBasicAction;
class TBasicActionLink;
class TActionLink;
class TCustomActionList;
class TCustomImageList;

// ---- TBasicAction ----------------------------------------------------------------------

// An action with the two events every action has. Clients reach it through links; the
// action knows its links (it does not own them) and cuts them when it is freed.
class TBasicAction : public TComponent {
  CLASSLIB_CLASS(TBasicAction, TComponent)
  explicit TBasicAction(TComponent* owner);
  // Cuts every link: their clients are left without an action.
  ~TBasicAction() override;

  // ---- Targets (for actions that work on a control, such as the active edit) ---------
  // Whether the action can act on target; the default cannot.
  virtual bool HandlesTarget(TObject* target) { return false; }
  // Updates the action's state from target; the default does nothing.
  virtual void UpdateTarget(TObject* target) {}
  // Carries the action out on target; the default does nothing.
  virtual void ExecuteTarget(TObject* target) {}

  // ---- Operations ------------------------------------------------------------------------
  // Runs OnExecute; true when there was a handler.
  virtual bool Execute();
  // Runs OnUpdate; true when there was a handler.
  virtual bool Update();

  // The client component that is executing the action, during Execute through a link;
  // nullptr otherwise. Not owned.
  TComponent* GetActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* value) { FActionComponent = value; }

  // ---- Links (for TBasicActionLink only) -------------------------------------------------
  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);
  int GetClientCount() const { return static_cast<int>(FClients.size()); }
  // EListError "List index out of bounds (%d)" for a bad index.
  TBasicActionLink* GetClient(int index) const;

  // ---- Events ------------------------------------------------------------------------------
  TNotifyEvent OnExecute;  // carries the action out
  TNotifyEvent OnUpdate;   // sets the action's state (Enabled, Checked, ...) on idle
  TNotifyEvent OnChange;   // after a property of the action changed

 protected:
  // Called after a property changed: the change notice to every link (TBasicActionLink::
  // Change), then OnChange. A client told may free itself, other clients or the action:
  // links gone meanwhile are skipped, and nothing more is done once the action is freed.
  virtual void Change();
  // Calls tell(link) for every link of the moment that is still linked when its turn comes.
  // false when the action was freed on the way (the caller must then touch nothing of it).
  bool ForEachClient(const std::function<void(TBasicActionLink*)>& tell);
  // Expires when the action is freed.
  std::weak_ptr<int> GetLifeToken() const { return FLifeToken; }

  std::vector<TBasicActionLink*> FClients;  // links of the clients; not owned

 private:
  TComponent* FActionComponent = nullptr;  // client executing now; not owned
  // Expires when the action is freed, so that a walk over the links can tell.
  std::shared_ptr<int> FLifeToken = std::make_shared<int>(0);
};

// ---- TBasicActionLink --------------------------------------------------------------------

// Connects one client (a control, a menu item) to an action. Owned by the client.
class TBasicActionLink : public TObject {
  CLASSLIB_CLASS(TBasicActionLink, TObject)
  // client is the object that owns the link; the derived links keep it typed.
  explicit TBasicActionLink(TObject* client) {}
  // Takes itself from the action's list of links.
  ~TBasicActionLink() override;

  TBasicAction* GetAction() const { return FAction; }
  // Moves the link to value (nullptr: no action). The client is not told; it calls this
  // from its own SetAction and then copies the action's properties.
  virtual void SetAction(TBasicAction* value);

  // Executes the action for component (which the action sees as ActionComponent).
  // false when there is no action or nothing handled it.
  virtual bool Execute(TComponent* component = nullptr);
  // Updates the action; false when there is no action or nothing handled it.
  virtual bool Update();
  // Whether the client's click runs the action's OnExecute.
  virtual bool IsOnExecuteLinked() { return true; }

  // The action's change notice, sent after any of its properties changed: runs OnChange
  // with the action as sender.
  virtual void Change();

  // Set by the client, to hear the action's change notice. The action's properties do not
  // come through it: they reach the client one by one through the SetX methods of
  // TActionLink, before the notice.
  TNotifyEvent OnChange;

 private:
  friend class TBasicAction;
  TBasicAction* FAction = nullptr;  // the action; not owned
};

// ---- TContainedAction ----------------------------------------------------------------------

// Whether an action list's actions run: asSuspended stops them; asSuspendedEnabled also
// stops them but leaves every action enabled.
enum TActionListState { asNormal, asSuspended, asSuspendedEnabled };

// An action that can belong to an action list, which sees its executions and updates first.
class TContainedAction : public TBasicAction {
  CLASSLIB_CLASS(TContainedAction, TBasicAction)
  // ---- Stored layouts (MenuStreaming.cpp): an action is stored inside its list -----------
  static const TPropertyTable* PublishedProperties();
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;

  explicit TContainedAction(TComponent* owner);
  // Takes itself from its action list.
  ~TContainedAction() override;

  // ---- Attributes ------------------------------------------------------------------------
  TCustomActionList* GetActionList() const { return FActionList; }
  // Moves the action to value (nullptr: none), at the end of its actions.
  void SetActionList(TCustomActionList* value);
  const String& GetCategory() const { return FCategory; }
  void SetCategory(const String& value);
  // The action's position in its list; -1 without a list.
  int GetIndex() const;
  // Moves the action within its list; the index is clamped to the list.
  void SetIndex(int value);
  // The list's State is not asNormal.
  bool GetSuspended() const;

  // ---- Operations ------------------------------------------------------------------------
  // The list's OnExecute first (which may handle it), then the action's own, then the
  // forms layer's target search. true when one of them handled it.
  bool Execute() override;
  // The same order with OnUpdate.
  bool Update() override;

 private:
  friend class TCustomActionList;
  TCustomActionList* FActionList = nullptr;  // the list listing this action; not owned
  String FCategory;                           // groups actions for the designer
};

// The forms layer's search for a target when neither the list nor the action handled an
// execution or update (the active control is asked through the control messages). Empty
// until the forms layer installs them; each returns true when a target handled it.
extern std::function<bool(TBasicAction*)> ActionExecuteTargetHook;
extern std::function<bool(TBasicAction*)> ActionUpdateTargetHook;

// ---- TCustomAction and TAction -----------------------------------------------------------

// An action with the properties its clients show.
class TCustomAction : public TContainedAction {
  CLASSLIB_CLASS(TCustomAction, TContainedAction)
  static const TPropertyTable* PublishedProperties();  // MenuStreaming.cpp
  explicit TCustomAction(TComponent* owner);

  // ---- Attributes (a change is pushed to every linked client) -----------------------------
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value);
  bool GetChecked() const { return FChecked; }
  // Checking an action of a group (GroupIndex > 0) unchecks the others of its list's group.
  void SetChecked(bool value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  int GetHelpContext() const { return FHelpContext; }
  void SetHelpContext(int value);
  const String& GetHint() const { return FHint; }
  void SetHint(const String& value);
  int GetImageIndex() const { return FImageIndex; }  // into the list's Images; -1: none
  void SetImageIndex(int value);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  // Executing the action toggles Checked (within a group it only checks).
  bool GetAutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool value);
  // An update that nobody handles disables the action when it has no OnExecute.
  bool GetDisableIfNoHandler() const { return FDisableIfNoHandler; }
  void SetDisableIfNoHandler(bool value) { FDisableIfNoHandler = value; }

  // ---- Operations ------------------------------------------------------------------------
  // Updates, then executes when enabled (toggling Checked first under AutoCheck). false
  // when suspended, disabled or not handled.
  bool Execute() override;
  bool Update() override;
  // Runs the action for its shortcut: Execute.
  virtual bool HandleShortCut() { return Execute(); }

 private:
  // Checked is set; unchecks the other actions of the group.
  void UncheckGroup();
  // Offers a new value to every TActionLink through set; false when the action was freed
  // meanwhile.
  bool TellLinks(const std::function<void(TActionLink*)>& set);

  String FCaption;                  // text of the clients
  bool FChecked = false;            // check mark of the clients
  bool FEnabled = true;             // clients can be used
  int FHelpContext = 0;             // help topic of the clients
  String FHint;                     // hint of the clients
  int FImageIndex = -1;             // image of the clients; -1: none
  TShortCut FShortCut = scNone;     // key that executes the action
  bool FVisible = true;             // clients are shown
  int FGroupIndex = 0;              // > 0: one checked action per group
  bool FAutoCheck = false;          // Execute toggles Checked
  bool FDisableIfNoHandler = true;  // see GetDisableIfNoHandler
  bool FChecking = false;           // SetChecked is unchecking the group
};

class TAction : public TCustomAction {
  CLASSLIB_CLASS(TAction, TCustomAction)
  explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

// ---- TActionLink ---------------------------------------------------------------------------

// A link whose client shows a TCustomAction's properties. The action calls SetX before it
// stores a new value; IsXLinked says whether the client still shows the action's value (and
// should take the new one) rather than a value of its own. The client-specific links
// (TControlActionLink, TMenuActionLink) override both.
class TActionLink : public TBasicActionLink {
  CLASSLIB_CLASS(TActionLink, TBasicActionLink)
  explicit TActionLink(TObject* client) : TBasicActionLink(client) {}

  // The action as a TCustomAction; nullptr when there is none or it is another kind.
  TCustomAction* GetCustomAction() const;

  virtual bool IsCaptionLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsCheckedLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsEnabledLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsHelpContextLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsHintLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsImageIndexLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsShortCutLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsVisibleLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsGroupIndexLinked() { return GetCustomAction() != nullptr; }
  virtual bool IsAutoCheckLinked() { return GetCustomAction() != nullptr; }

  virtual void SetCaption(const String& value) {}
  virtual void SetChecked(bool value) {}
  virtual void SetEnabled(bool value) {}
  virtual void SetHelpContext(int value) {}
  virtual void SetHint(const String& value) {}
  virtual void SetImageIndex(int value) {}
  virtual void SetShortCut(TShortCut value) {}
  virtual void SetVisible(bool value) {}
  virtual void SetGroupIndex(int value) {}
  virtual void SetAutoCheck(bool value) {}
};

// ---- TControlActionLink --------------------------------------------------------------------

// Passes a TCustomAction's Caption, Enabled, Hint and Visible on to a control. The control
// owns the link (TControl::SetAction makes it) and runs the action from its Click.
class TControlActionLink : public TActionLink {
  CLASSLIB_CLASS(TControlActionLink, TActionLink)
  explicit TControlActionLink(TControl* client) : TActionLink(client), FClient(client) {}

  TControl* GetClient() const { return FClient; }

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;

  void SetCaption(const String& value) override;
  void SetEnabled(bool value) override;
  void SetHint(const String& value) override;
  void SetVisible(bool value) override;

 protected:
  TControl* FClient;  // the control that owns this link
};

// ---- TCustomActionList and TActionList ---------------------------------------------------

// Handles an action's execution or update for the whole list; setting handled stops the
// action's own handler.
using TActionEvent = std::function<void(TBasicAction* action, bool& handled)>;

// A list of actions. The list frees its actions when it is freed.
class TCustomActionList : public TComponent {
  CLASSLIB_CLASS(TCustomActionList, TComponent)
  // ---- Stored layouts (MenuStreaming.cpp): the actions root owns are stored inside ------
  static const TPropertyTable* PublishedProperties();
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

  explicit TCustomActionList(TComponent* owner);
  ~TCustomActionList() override;

  // ---- Attributes ------------------------------------------------------------------------
  int GetActionCount() const { return static_cast<int>(FActions.size()); }
  // EListError "List index out of bounds (%d)" for a bad index.
  TContainedAction* GetAction(int index) const;
  // The images the actions' ImageIndex refers to; not owned (dropped when freed).
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* value);
  TActionListState GetState() const { return FState; }
  // asSuspendedEnabled enables every action of the list.
  void SetState(TActionListState value);

  // ---- Operations ------------------------------------------------------------------------
  // The list's OnExecute for action; true when it handled it. Nothing in a suspended list.
  virtual bool ExecuteAction(TBasicAction* action);
  // The list's OnUpdate for action; true when it handled it.
  virtual bool UpdateAction(TBasicAction* action);
  // Executes the first action whose ShortCut is the shortcut of key and shift; true when
  // there is one (whether or not it ran). For the form's key handling.
  bool IsShortCut(WORD key, TShiftState shift);
  // The same for a WM_KEYDOWN or WM_SYSKEYDOWN, with the modifier keys' state now.
  bool IsShortCut(const TWMKey& message);

  // ---- Events ------------------------------------------------------------------------------
  TActionEvent OnExecute;  // sees every execution of the list's actions first
  TActionEvent OnUpdate;   // sees every update of the list's actions first
  TNotifyEvent OnChange;   // after an action was added, removed or changed

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void Change();

 private:
  friend class TContainedAction;
  friend void UpdateActionsOnIdle();
  void AddAction(TContainedAction* action);     // appends without notices
  void RemoveAction(TContainedAction* action);  // takes out without notices
  int IndexOfAction(const TContainedAction* action) const;
  void MoveAction(TContainedAction* action, int index);

  std::vector<TContainedAction*> FActions;  // the actions; freed with the list
  TCustomImageList* FImages = nullptr;      // images of the actions; not owned
  TActionListState FState = asNormal;       // whether the actions run
};

class TActionList : public TCustomActionList {
  CLASSLIB_CLASS(TActionList, TCustomActionList)
  explicit TActionList(TComponent* owner) : TCustomActionList(owner) {}
};

// Runs Update for every action of every action list that is not suspended, so that the
// actions' OnUpdate handlers set their state. The forms layer calls it when the message
// queue is empty. An exception from a handler goes to ApplicationHandleException and the
// other actions are still updated.
void UpdateActionsOnIdle();
