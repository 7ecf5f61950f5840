// TStatusBar over the system's status window: a row of panels (TStatusPanel, each with
// its text, width, alignment and bevel), or one simple panel across the whole bar showing
// SimpleText. The last panel reaches to the right end whatever its Width.
//
// The bar keeps to the bounds its alignment gives it (the window does not place itself).
//
// Not done: owner-drawn panels, AutoHint, panels' bidirectional text.
#pragma once
#include "../classes/Collection.h"
#include "../controls/Controls.h"
#include "../controls/Panels.h"  // TAlignment

class TStatusBar;

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

// ---- TStatusPanel -------------------------------------------------------------------------------
class TStatusPanel : public TCollectionItem {
  CLASSLIB_CLASS(TStatusPanel, TCollectionItem)
  static const TPropertyTable* PublishedProperties();  // StatusBars.cpp
  // 50 wide, left-justified, lowered.
  explicit TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}

  void Assign(TPersistent* source) override;
  String GetDisplayName() const override;

  const String& GetText() const { return FText; }
  void SetText(const String& value);
  // Pixels; below 0 counts as 0.
  int GetWidth() const { return FWidth; }
  void SetWidth(int value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TStatusPanelBevel GetBevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel value);

 private:
  String FText;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelBevel FBevel = pbLowered;
};

// ---- TStatusPanels ---------------------------------------------------------------------------------
// The panels of a status bar, which owns the collection and is told of every change.
class TStatusPanels : public TCollection {
  CLASSLIB_CLASS(TStatusPanels, TCollection)
  explicit TStatusPanels(TStatusBar* statusBar);

  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  // EListError "List index out of bounds (%d)" outside the panels.
  TStatusPanel* GetItem(int index) const { return static_cast<TStatusPanel*>(TCollection::GetItem(index)); }
  TPersistent* GetOwner() const override;

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TStatusBar* FStatusBar;  // owns this collection
};

// ---- TStatusBar ----------------------------------------------------------------------------------
class TStatusBar : public TWinControl {
  CLASSLIB_CLASS(TStatusBar, TWinControl)
  static const TPropertyTable* PublishedProperties();  // StatusBars.cpp
  // Bottom-aligned, 19 high, clBtnFace, a size grip, no panels.
  explicit TStatusBar(TComponent* owner);
  ~TStatusBar() override;

  // The panels; owned by the bar.
  TStatusPanels* GetPanels() const { return FPanels.get(); }
  void SetPanels(TStatusPanels* value);  // copies value's panels
  // One panel across the whole bar instead of Panels.
  bool GetSimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool value);
  const String& GetSimpleText() const { return FSimpleText; }
  void SetSimpleText(const String& value);
  // The grip at the right end that sizes the window.
  bool GetSizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool value);

  // Hands the panels' edges, texts, alignments and bevels to the window.
  void UpdatePanels();
  // Hands one panel's text, alignment and bevel to the window.
  void UpdatePanel(int index);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void WMSize(TMessage& message) override;

 private:
  std::unique_ptr<TStatusPanels> FPanels;
  bool FSimplePanel = false;
  String FSimpleText;
  bool FSizeGrip = true;
};
