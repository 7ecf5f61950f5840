// A tree of non-visual components whose properties cover every kind the registry knows,
// for the round-trip and bad-input tests: TKindsRoot owns TKindsComponent children, each
// with ordinals, floats, texts, a reference, an event, a nested object, a string list, a
// collection, a picture and a binary block of its own.
#pragma once
#include <memory>
#include <vector>

#include "classlib/classes/Collection.h"
#include "classlib/classes/Component.h"
#include "classlib/classes/Filer.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/StringList.h"
#include "classlib/graphics/Colors.h"
#include "classlib/graphics/Graphic.h"

enum TKindsEnum { keFirst, keSecond, keThird };
using TKindsSet = TSet<TKindsEnum>;

class TKindsItem : public TCollectionItem {
  CLASSLIB_CLASS(TKindsItem, TCollectionItem)
  explicit TKindsItem(TCollection* collection) : TCollectionItem(collection) {}
  static const TPropertyTable* PublishedProperties();
  int Value = 0;
  String Label;
};

class TKindsNested : public TPersistent {
  CLASSLIB_CLASS(TKindsNested, TPersistent)
  static const TPropertyTable* PublishedProperties();
  int Depth = 0;
  TColor Shade = clBlack;
};

class TKindsComponent : public TComponent {
  CLASSLIB_CLASS(TKindsComponent, TComponent)
  explicit TKindsComponent(TComponent* owner) : TComponent(owner) {}
  static const TPropertyTable* PublishedProperties();
  void DefineProperties(TFiler& filer) override;

  // Integer's constructor value (7) differs from its declared default (0).
  int Integer = 7;
  uint32_t Cardinal = 0;
  int64_t Int64 = 0;
  double Double = 0, Currency = 0, Date = 0;
  float Single = 0;
  bool Boolean = false;
  char Char = 'a';
  wchar_t WChar = L'a';
  String Text, WideText;
  TKindsEnum Enum = keFirst;
  TKindsSet Set;
  TColor Color = clWindow;
  short Cursor = 0;
  uint16_t ShortCut = 0;
  TKindsComponent* Buddy = nullptr;  // not owned
  TComponent* Partner = nullptr;     // not owned
  TNotifyEvent OnPing;
  std::unique_ptr<TKindsNested> Nested = std::make_unique<TKindsNested>();
  std::unique_ptr<TStringList> Lines = std::make_unique<TStringList>();
  std::unique_ptr<TCollection> Items = std::make_unique<TCollection>(TCollectionItemClass<TKindsItem>{});
  std::unique_ptr<TPicture> Picture = std::make_unique<TPicture>();
  std::vector<uint8_t> Blob;  // the defined binary property "Blob"

  // What Loaded saw: how often it ran, and whether the references were set by then.
  int LoadedCount = 0;
  bool BuddySetAtLoaded = false;
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCount;
    BuddySetAtLoaded = Buddy != nullptr;
  }
};

class TKindsRoot : public TComponent {
  CLASSLIB_CLASS(TKindsRoot, TComponent)
  explicit TKindsRoot(TComponent* owner) : TComponent(owner) {}

  int Pings = 0;
  TObject* LastSender = nullptr;
  void Ping(TObject* sender) {
    ++Pings;
    LastSender = sender;
  }
};

// Registers the classes and TKindsRoot's handler (once).
void RegisterKindsClasses();

// A root with two children: First refers to Second (defined later), every kind is set.
TKindsRoot* MakeKindsTree();
// Equal property by property (the reference by name, the event by whether it is set).
void ExpectSameKinds(TKindsComponent* expected, TKindsComponent* actual);
// Reads text (the text form) into root, or into a new root made by class name when it is
// null (the caller frees it).
TComponent* ReadTreeText(const String& text, TComponent* root = nullptr);
