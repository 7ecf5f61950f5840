// Forms made from their layout resources (layouts/*.layout, compiled in by
// examprep_layouts): controls with owner, parent, bounds, z-order and tab order; events
// bound to the form's handlers; a reference to a control defined later; Loaded once per
// component after all its properties; csLoading seen by a writer during the read; an
// inherited form reading only its own level; and the errors of a missing resource, an
// unknown property, class or handler, and an unresolved reference.
#include <gtest/gtest.h>

#include <vector>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/ActnList.h"
#include "classlib/controls/Controls.h"
#include "classlib/controls/Menus.h"
#include "classlib/controls/Panels.h"
#include "classlib/controls/Scrolling.h"
#include "classlib/forms/DataModule.h"
#include "classlib/forms/Forms.h"

namespace {

std::vector<TComponent*> LoadOrder;  // every Loaded, in order

class TProbe : public TWinControl {
  CLASSLIB_CLASS(TProbe, TWinControl)
  explicit TProbe(TComponent* owner) : TWinControl(owner) {}
  static const TPropertyTable* PublishedProperties() {
    using P = TPublish<TProbe>;
    static const TPropertyTable table{
        P::Integer(L"Probe", &TProbe::Probe, &TProbe::SetProbe).Default(0),
        P::Component(L"Buddy", &TProbe::Buddy, &TProbe::Buddy),
    };
    return &table;
  }

  void SetProbe(int value) {
    Probe = value;
    ProbeSawLoading = GetComponentState().Contains(csLoading);
  }
  void Loaded() override {
    inherited::Loaded();
    ++LoadedCount;
    ProbeAtLoaded = Probe;
    BuddyAtLoaded = Buddy;
    LoadOrder.push_back(this);
  }

  int Probe = 0;
  bool ProbeSawLoading = false;
  TProbe* Buddy = nullptr;  // not owned
  int LoadedCount = 0;
  int ProbeAtLoaded = -1;
  TProbe* BuddyAtLoaded = nullptr;
};

class TProbePanel : public TWinControl {
  CLASSLIB_CLASS(TProbePanel, TWinControl)
  explicit TProbePanel(TComponent* owner) : TWinControl(owner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  }
};

class TProbeStore : public TComponent {
  CLASSLIB_CLASS(TProbeStore, TComponent)
  explicit TProbeStore(TComponent* owner) : TComponent(owner) {}
};

class TLayoutForm : public TForm {
  CLASSLIB_CLASS(TLayoutForm, TForm)
  explicit TLayoutForm(TComponent* owner) : TForm(owner) {
    RegisterHandlers();
    LoadLayout();
  }
  static const TPropertyTable* PublishedProperties() {
    using P = TPublish<TLayoutForm>;
    static const TPropertyTable table(
        {}, {P::Field(L"Panel1", &TLayoutForm::Panel1), P::Field(L"First", &TLayoutForm::First),
             P::Field(L"Second", &TLayoutForm::Second), P::Field(L"Third", &TLayoutForm::Third),
             P::Field(L"Store", &TLayoutForm::Store)});
    return &table;
  }
  static void RegisterHandlers() {
    using M = TPublishMethods<TLayoutForm>;
    RegisterMethods<TLayoutForm>({M::Handler(L"FirstClick", &TLayoutForm::FirstClick),
                                  M::Handler(L"FormCreate", &TLayoutForm::FormCreate),
                                  M::Handler(L"ExitActionExecute", &TLayoutForm::ExitActionExecute)});
  }

  void FirstClick(TObject* sender) {
    ++Clicks;
    ClickSender = sender;
  }
  void FormCreate(TObject*) { ++Creates; }
  void ExitActionExecute(TObject*) { ++Exits; }
  void Loaded() override {
    inherited::Loaded();
    ++FormLoadedCount;
    LoadOrder.push_back(this);
  }

  TProbePanel* Panel1 = nullptr;
  TProbe* First = nullptr;
  TProbe* Second = nullptr;
  TProbe* Third = nullptr;
  TProbeStore* Store = nullptr;
  int Clicks = 0;
  TObject* ClickSender = nullptr;
  int Creates = 0;
  int Exits = 0;
  int FormLoadedCount = 0;
};

class TDerivedLayoutForm : public TLayoutForm {
  CLASSLIB_CLASS(TDerivedLayoutForm, TLayoutForm)
  explicit TDerivedLayoutForm(TComponent* owner) : TLayoutForm(owner) { LoadLayout(); }
};

class TTestModule : public TDataModule {
  CLASSLIB_CLASS(TTestModule, TDataModule)
  explicit TTestModule(TComponent* owner) : TDataModule(owner) {
    using M = TPublishMethods<TTestModule>;
    RegisterMethods<TTestModule>({M::Handler(L"ModuleCreate", &TTestModule::ModuleCreate)});
    LoadLayout();
  }
  void ModuleCreate(TObject*) { ++Creates; }
  int Creates = 0;
};

// Forms whose layouts are wrong in one way each (or missing).
#define BROKEN_FORM(Name)                                         \
  class Name : public TForm {                                     \
    CLASSLIB_CLASS(Name, TForm)                                   \
    explicit Name(TComponent* owner) : TForm(owner) { LoadLayout(); } \
  };
BROKEN_FORM(TNoLayoutForm)
BROKEN_FORM(TBadPropertyForm)
BROKEN_FORM(TUnknownClassForm)
BROKEN_FORM(TBadHandlerForm)
BROKEN_FORM(TUnresolvedForm)

class FormLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClasses({TProbe::StaticClassInfo(), TProbePanel::StaticClassInfo(), TProbeStore::StaticClassInfo()});
    LoadOrder.clear();
  }
};

// The message of the exception T the form's construction raises; empty when none.
template <class TErr, class TFormClass>
String ConstructionError() {
  try {
    TFormClass form(nullptr);
  } catch (const TErr& e) {
    return e.Message();
  }
  return String();
}

bool Has(const String& text, const wchar_t* part) { return text.find(part) != String::npos; }

}  // namespace

TEST_F(FormLayout, ControlsGetOwnerParentBoundsAndOrder) {
  TLayoutForm form(nullptr);
  ASSERT_NE(form.Panel1, nullptr);
  ASSERT_NE(form.First, nullptr);
  ASSERT_NE(form.Third, nullptr);
  ASSERT_NE(form.Store, nullptr);
  EXPECT_EQ(L"LayoutForm", form.GetName());
  EXPECT_EQ(L"Layout form", form.GetCaption());
  EXPECT_EQ(TRect(10, 20, 410, 320), form.GetBoundsRect());
  EXPECT_EQ(poScreenCenter, form.GetPosition());
  EXPECT_EQ(-12, form.GetFont()->GetHeight());
  EXPECT_EQ(L"Tahoma", form.GetFont()->GetName());
  EXPECT_TRUE(form.GetFont()->GetStyle() == TFontStyles{fsBold});

  for (TComponent* c : {static_cast<TComponent*>(form.Panel1), static_cast<TComponent*>(form.First),
                        static_cast<TComponent*>(form.Second), static_cast<TComponent*>(form.Third),
                        static_cast<TComponent*>(form.Store)})
    EXPECT_EQ(&form, c->GetOwner()) << c->GetName();
  EXPECT_EQ(&form, form.Panel1->GetParent());
  EXPECT_EQ(form.Panel1, form.First->GetParent());
  EXPECT_EQ(TRect(21, 22, 53, 64), form.Third->GetBoundsRect());
  EXPECT_EQ(crHandPoint, form.First->GetCursor());
  EXPECT_EQ(L"first", form.First->GetHint());
  EXPECT_EQ(0x00100000 | 300, form.Store->GetDesignInfo());
  EXPECT_EQ(9, form.Store->GetTag());
  // A control that takes its parent's font has it once read.
  EXPECT_TRUE(form.Panel1->GetParentFont());
  EXPECT_EQ(L"Tahoma", form.Panel1->GetFont()->GetName());
  EXPECT_EQ(L"Tahoma", form.Third->GetFont()->GetName());

  // Z-order is the order of the layout; the tab order is the one the layout gives.
  ASSERT_EQ(3, form.Panel1->GetControlCount());
  EXPECT_EQ(form.First, form.Panel1->GetControl(0));
  EXPECT_EQ(form.Second, form.Panel1->GetControl(1));
  EXPECT_EQ(form.Third, form.Panel1->GetControl(2));
  EXPECT_EQ(2, form.First->GetTabOrder());
  EXPECT_EQ(0, form.Third->GetTabOrder());
}

TEST_F(FormLayout, EventsAreBoundToTheFormsHandlers) {
  TLayoutForm form(nullptr);
  form.First->Click();
  EXPECT_EQ(1, form.Clicks);
  EXPECT_EQ(form.First, form.ClickSender);
  ASSERT_TRUE(static_cast<bool>(form.GetOnCreate()));
  form.GetOnCreate()(&form);
  EXPECT_EQ(1, form.Creates);
  EXPECT_FALSE(static_cast<bool>(form.Second->GetOnClick()));
}

TEST_F(FormLayout, ForwardReferenceLoadedAndLoadingState) {
  TLayoutForm form(nullptr);
  EXPECT_EQ(form.Third, form.First->Buddy);
  // Loaded ran once per component, after every property and reference was set.
  for (TProbe* probe : {form.First, form.Second, form.Third}) {
    EXPECT_EQ(1, probe->LoadedCount) << probe->GetName();
    EXPECT_EQ(probe->Probe, probe->ProbeAtLoaded) << probe->GetName();
    EXPECT_TRUE(probe->ProbeSawLoading) << probe->GetName();
    EXPECT_FALSE(probe->GetComponentState().Contains(csLoading));
    EXPECT_FALSE(probe->GetComponentState().Contains(csReading));
    EXPECT_FALSE(probe->GetControlState().Contains(csReadingState));
  }
  EXPECT_EQ(form.Third, form.First->BuddyAtLoaded);
  EXPECT_EQ(1, form.FormLoadedCount);
  EXPECT_FALSE(form.GetComponentState().Contains(csLoading));
  // The root first, then the components in the order they were read.
  ASSERT_EQ(4u, LoadOrder.size());
  EXPECT_EQ(&form, LoadOrder[0]);
  EXPECT_EQ(form.First, LoadOrder[1]);
  EXPECT_EQ(form.Third, LoadOrder[3]);
}

TEST_F(FormLayout, InheritedFormReadsItsOwnLevelOverTheAncestors) {
  TDerivedLayoutForm form(nullptr);
  EXPECT_EQ(L"Derived form", form.GetCaption());
  EXPECT_EQ(50, form.First->Probe);
  EXPECT_EQ(6, form.Second->Probe);
  auto* fourth = dynamic_cast<TProbe*>(form.FindComponent(L"Fourth"));
  ASSERT_NE(fourth, nullptr);
  EXPECT_EQ(form.Panel1, fourth->GetParent());
  EXPECT_EQ(form.First, fourth->Buddy);
  EXPECT_EQ(4, form.Panel1->GetControlCount());
  EXPECT_EQ(11, form.GetComponentCount());
}

TEST_F(FormLayout, MenusAndActionsAreReadIntoTheirParents) {
  TLayoutForm form(nullptr);
  auto* menu = dynamic_cast<TMainMenu*>(form.FindComponent(L"MainMenu1"));
  auto* file = dynamic_cast<TMenuItem*>(form.FindComponent(L"File1"));
  auto* exit = dynamic_cast<TMenuItem*>(form.FindComponent(L"Exit1"));
  auto* list = dynamic_cast<TActionList*>(form.FindComponent(L"ActionList1"));
  auto* action = dynamic_cast<TAction*>(form.FindComponent(L"ExitAction"));
  ASSERT_TRUE(menu && file && exit && list && action);
  EXPECT_EQ(menu, form.GetMenu());
  ASSERT_EQ(1, menu->GetItems()->GetCount());
  EXPECT_EQ(file, menu->GetItems()->GetItem(0));
  EXPECT_EQ(exit, file->GetItem(0));
  EXPECT_EQ(menu, file->GetParentComponent());
  EXPECT_EQ(file, exit->GetParentComponent());
  EXPECT_EQ(list, action->GetActionList());
  // The item refers to an action read after it, and shows the action's caption.
  EXPECT_EQ(action, exit->GetAction());
  EXPECT_EQ(L"E&xit", exit->GetCaption());
  EXPECT_EQ(0x4051, exit->GetShortCut());
  exit->Click();
  EXPECT_EQ(1, form.Exits);

  // Written back, the items and the action are stored inside their menu and list.
  const String text = ComponentToText(&form);
  EXPECT_LT(text.find(L"object MainMenu1: TMainMenu"), text.find(L"object File1: TMenuItem"));
  EXPECT_LT(text.find(L"object File1: TMenuItem"), text.find(L"object Exit1: TMenuItem"));
  EXPECT_LT(text.find(L"object ActionList1: TActionList"), text.find(L"object ExitAction: TAction"));
  EXPECT_NE(String::npos, text.find(L"Action = ExitAction"));
  EXPECT_NE(String::npos, text.find(L"OnExecute = ExitActionExecute"));
  EXPECT_NE(String::npos, text.find(L"Menu = MainMenu1"));
}

TEST_F(FormLayout, WritingTheFormGivesItsControlsInsideTheirParents) {
  TLayoutForm form(nullptr);
  const String text = ComponentToText(&form);
  const size_t panel = text.find(L"object Panel1: TProbePanel");
  const size_t first = text.find(L"object First: TProbe");
  const size_t store = text.find(L"object Store: TProbeStore");
  ASSERT_NE(String::npos, panel);
  ASSERT_NE(String::npos, first);
  ASSERT_NE(String::npos, store);
  // Non-visual components first, then the controls, each inside its parent.
  EXPECT_LT(store, panel);
  EXPECT_LT(panel, first);
  EXPECT_TRUE(Has(text, L"OnClick = FirstClick"));
  EXPECT_TRUE(Has(text, L"Buddy = Third"));
  EXPECT_TRUE(Has(text, L"Cursor = crHandPoint"));
  EXPECT_TRUE(Has(text, L"Font.Charset = GB2312_CHARSET"));
}

TEST_F(FormLayout, MissingResourceNamesTheClass) {
  const String message = ConstructionError<EReadError, TNoLayoutForm>();
  EXPECT_TRUE(Has(message, L"TNoLayoutForm")) << message;
}

TEST_F(FormLayout, UnknownPropertyNamesClassPropertyAndLine) {
  const String message = ConstructionError<EReadError, TBadPropertyForm>();
  EXPECT_TRUE(Has(message, L"TBadPropertyForm")) << message;
  EXPECT_TRUE(Has(message, L"TProbePanel")) << message;
  EXPECT_TRUE(Has(message, L"Colour")) << message;
  EXPECT_TRUE(Has(message, L"line 5")) << message;
}

TEST_F(FormLayout, UnknownClassNamesTheClassAndLine) {
  const String message = ConstructionError<EClassNotFound, TUnknownClassForm>();
  EXPECT_TRUE(Has(message, L"TNoSuchGadget")) << message;
  EXPECT_TRUE(Has(message, L"line 3")) << message;
}

TEST_F(FormLayout, UnknownHandlerAndUnresolvedReferenceAreReadErrors) {
  String message = ConstructionError<EReadError, TBadHandlerForm>();
  EXPECT_TRUE(Has(message, L"NoSuchHandler")) << message;
  EXPECT_TRUE(Has(message, L"line 4")) << message;
  message = ConstructionError<EReadError, TUnresolvedForm>();
  EXPECT_TRUE(Has(message, L"Nobody")) << message;
  EXPECT_TRUE(Has(message, L"Buddy")) << message;
  EXPECT_TRUE(Has(message, L"line 4")) << message;
}

TEST_F(FormLayout, PanelsAndScrollBarsRoundTrip) {
  RegisterClasses({TScrollBox::StaticClassInfo(), TCustomPanel::StaticClassInfo()});
  TScrollBox box(nullptr);
  box.SetName(L"Box");
  box.SetBounds(0, 0, 300, 200);
  box.GetVertScrollBar()->SetRange(900);
  box.GetVertScrollBar()->SetIncrement(20);
  auto* panel = new TCustomPanel(&box);
  panel->SetName(L"Panel");
  panel->SetParent(&box);
  panel->SetBevelOuter(bvLowered);
  panel->SetBorderWidth(3);
  panel->SetAlignment(taLeftJustify);
  panel->SetColor(clWindow);
  panel->SetCaption(L"caption");

  const String text = ComponentToText(&box);
  EXPECT_TRUE(Has(text, L"VertScrollBar.Range = 900")) << StringToUtf8(text);
  EXPECT_TRUE(Has(text, L"AutoScroll = False"));
  EXPECT_TRUE(Has(text, L"BevelOuter = bvLowered"));
  EXPECT_TRUE(Has(text, L"Color = clWindow"));

  TScrollBox copy(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, &copy);
  auto* read = dynamic_cast<TCustomPanel*>(copy.FindComponent(L"Panel"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(&copy, read->GetParent());
  EXPECT_EQ(900, copy.GetVertScrollBar()->GetRange());
  EXPECT_EQ(20, copy.GetVertScrollBar()->GetIncrement());
  EXPECT_FALSE(copy.GetAutoScroll());
  EXPECT_EQ(bvLowered, read->GetBevelOuter());
  EXPECT_EQ(3, read->GetBorderWidth());
  EXPECT_EQ(taLeftJustify, read->GetAlignment());
  EXPECT_EQ(ColorToInt(clWindow), ColorToInt(read->GetColor()));
  EXPECT_EQ(L"caption", read->GetCaption());
  EXPECT_EQ(text, ComponentToText(&copy));
}

TEST_F(FormLayout, DataModuleIsMadeFromItsLayout) {
  TTestModule module(nullptr);
  EXPECT_EQ(L"TestModule", module.GetName());
  EXPECT_EQ(TPoint(192, 125), module.GetDesignOffset());
  EXPECT_EQ(TPoint(215, 150), module.GetDesignSize());
  auto* store = dynamic_cast<TProbeStore*>(module.FindComponent(L"Store"));
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(0x00100000 | 24, store->GetDesignInfo());
  module.AfterConstruction();
  EXPECT_EQ(1, module.Creates);
  EXPECT_EQ(&module, FindGlobalComponent(L"TestModule"));
}
