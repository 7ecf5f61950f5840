// TSeCustomMessage: the settings of the library's message boxes (fonts, position, border
// icons, effects) and the factory of their parts. One global instance, owned by the
// application, serves the whole run; the status-bar font of the system is kept beside it.
#pragma once
#include <memory>

#include "classlib/classes/Component.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/controls/SkinOptions.h"

class TSeCustomButton;
class TSeCustomLabel;
class TSeCustomCheckBox;
class TSeHook;

enum TSeBorderIcon { vbiClose, vbiSystemMenu, vbiMinimize, vbiMaximize, vbiHelp, vbiRollup, vbiTray };
using TSeBorderIcons = TSet<TSeBorderIcon>;
extern const TEnumInfo SeBorderIconIdents;

class TSeCustomMessage : public TComponent {
  CLASSLIB_CLASS(TSeCustomMessage, TComponent)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomMessage(TComponent* owner);
  ~TSeCustomMessage() override;  // the global reference forgets it

  bool GetShowButtonGlyph() const { return FShowButtonGlyph; }
  void SetShowButtonGlyph(bool value) { FShowButtonGlyph = value; }
  bool GetShowIconImage() const { return FShowIconImage; }
  void SetShowIconImage(bool value) { FShowIconImage = value; }
  TPosition GetPosition() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  TSeBorderIcons GetBorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TSeBorderIcons value) { FBorderIcons = value; }
  bool GetShowHints() const { return FShowHints; }
  void SetShowHints(bool value) { FShowHints = value; }
  // True makes this the global component (the previous one is freed); False leaves the
  // global component as it is.
  bool GetGlobal() const { return FGlobal; }
  void SetGlobal(bool value);
  // Owned; the writers copy.
  TFont* GetMessageFont() const { return FMessageFont.get(); }
  void SetMessageFont(TFont* value) { FMessageFont->Assign(value); }
  TFont* GetButtonFont() const { return FButtonFont.get(); }
  void SetButtonFont(TFont* value) { FButtonFont->Assign(value); }
  TSeAnimation* GetAnimation() const { return FAnimation.get(); }
  void SetAnimation(TSeAnimation* value) { FAnimation->Assign(value); }
  TSeBlending* GetBlending() const { return FBlending.get(); }
  void SetBlending(TSeBlending* value) { FBlending->Assign(value); }
  TSeDragging* GetDragging() const { return FDragging.get(); }
  void SetDragging(TSeDragging* value) { FDragging->Assign(value); }
  TSeShadow* GetShadow() const { return FShadow.get(); }
  void SetShadow(TSeShadow* value) { FShadow->Assign(value); }

  // The parts of a message box, owned by owner.
  virtual TSeCustomButton* CreateButton(TComponent* owner);
  virtual TWinControl* CreateEdit(TComponent* owner);  // a TSeCustomEdit
  virtual TSeHook* CreateFormHook(TComponent* owner);  // a TSeCustomForm
  virtual TSeCustomLabel* CreateLabel(TComponent* owner);
  virtual TSeCustomCheckBox* CreateCheckBox(TComponent* owner);

 private:
  bool FShowButtonGlyph = true;
  bool FShowIconImage = true;
  TPosition FPosition = poScreenCenter;
  TSeBorderIcons FBorderIcons{vbiClose, vbiSystemMenu};
  std::unique_ptr<TFont> FMessageFont;
  std::unique_ptr<TFont> FButtonFont;
  bool FShowHints = false;
  bool FGlobal = false;
  std::unique_ptr<TSeAnimation> FAnimation;
  std::unique_ptr<TSeBlending> FBlending;
  std::unique_ptr<TSeDragging> FDragging;
  std::unique_ptr<TSeShadow> FShadow;
};

// The global message component, owned by the application: made when the program starts, and
// again on the next use after it was freed (nullptr without an application).
TSeCustomMessage* SeGlobalMessage();
// The system's status-bar font, read once from the non-client metrics; owned here.
TFont* SeStatusFont();
