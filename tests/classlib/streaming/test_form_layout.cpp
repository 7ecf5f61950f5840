// Forms made from their layout resources (layouts/*.layout, compiled in by
// examprep_layouts): controls with owner, parent, bounds, z-order and tab order; events
// bound to the form's handlers; a reference to a control defined later; Loaded once per
// component after all its properties; csLoading seen by a writer during the read; an
// inherited form reading only its own level; the errors of a missing resource, an unknown
// property, class or handler, and an unresolved reference; and a layout's client size
// (given before the menu it names) holding before the window exists and once it is shown.
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
#include "tests/ErrorMessages.h"

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

// Forms that only load their layout: the client size form, and those whose layouts are
// wrong in one way each (or missing).
#define LAYOUT_FORM(Name)                                             \
  class Name : public TForm {                                         \
    CLASSLIB_CLASS(Name, TForm)                                       \
    explicit Name(TComponent* owner) : TForm(owner) { LoadLayout(); } \
  };
LAYOUT_FORM(TClientSizeForm)
LAYOUT_FORM(TNoLayoutForm)
LAYOUT_FORM(TBadPropertyForm)
LAYOUT_FORM(TUnknownClassForm)
LAYOUT_FORM(TBadHandlerForm)
LAYOUT_FORM(TUnresolvedForm)

class FormLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClasses({TProbe::StaticClassInfo(), TProbePanel::StaticClassInfo(), TProbeStore::StaticClassInfo()});
    LoadOrder.clear();
  }
};

// The message of the exception TErr the form's construction raises; empty when none.
template <class TErr, class TFormClass>
String ConstructionError() {
  return ErrorMessageOf<TErr>([] { TFormClass form(nullptr); }, String());
}

bool Has(const String& text, const wchar_t* part) { return text.find(part) != String::npos; }

}  // namespace

TEST_F(FormLayout, ControlsGetOwnerParentBoundsAndOrder) {
  TLayoutForm form(nullptr);
  ASSERT_TRUE(form.Panel1 && form.First && form.Second && form.Third && form.Store);
  EXPECT_EQ(L"LayoutForm", form.GetName());
  EXPECT_EQ(TRect(10, 20, 410, 320), form.GetBoundsRect());
  EXPECT_EQ(poScreenCenter, form.GetPosition());
  EXPECT_TRUE(form.GetFont()->GetStyle() == TFontStyles{fsBold});

  for (TComponent* c : std::initializer_list<TComponent*>{form.Panel1, form.First, form.Store})
    EXPECT_EQ(&form, c->GetOwner()) << c->GetName();
  EXPECT_EQ(&form, form.Panel1->GetParent());
  EXPECT_EQ(form.Panel1, form.First->GetParent());
  EXPECT_EQ(TRect(21, 22, 53, 64), form.Third->GetBoundsRect());
  EXPECT_EQ(crHandPoint, form.First->GetCursor());
  EXPECT_EQ(0x00100000 | 300, form.Store->GetDesignInfo());
  // A control that takes its parent's font has it once read.
  EXPECT_EQ(L"Tahoma", form.Third->GetFont()->GetName());

  // Z-order is the order of the layout; the tab order is the one the layout gives.
  ASSERT_EQ(3, form.Panel1->GetControlCount());
  EXPECT_EQ(form.First, form.Panel1->GetControl(0));
  EXPECT_EQ(form.Third, form.Panel1->GetControl(2));
  EXPECT_EQ(2, form.First->GetTabOrder());
  EXPECT_EQ(0, form.Third->GetTabOrder());
}

TEST_F(FormLayout, EventsForwardReferenceLoadedAndLoadingState) {
  TLayoutForm form(nullptr);
  form.First->Click();
  EXPECT_EQ(1, form.Clicks);
  EXPECT_EQ(form.First, form.ClickSender);
  ASSERT_TRUE(static_cast<bool>(form.GetOnCreate()));
  form.GetOnCreate()(&form);
  EXPECT_EQ(1, form.Creates);
  EXPECT_FALSE(static_cast<bool>(form.Second->GetOnClick()));

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

TEST_F(FormLayout, MenusAndActionsAreReadIntoTheirParentsAndWrittenInside) {
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
  EXPECT_EQ(file, exit->GetParentComponent());
  EXPECT_EQ(list, action->GetActionList());
  // The item refers to an action read after it, and shows the action's caption.
  EXPECT_EQ(action, exit->GetAction());
  EXPECT_EQ(L"E&xit", exit->GetCaption());
  EXPECT_EQ(0x4051, exit->GetShortCut());
  exit->Click();
  EXPECT_EQ(1, form.Exits);

  // Written back: non-visual components first, then the controls, each inside its parent;
  // the menu items and the action inside their menu and list.
  const String text = ComponentToText(&form);
  const wchar_t* const inOrder[] = {L"object Store: TProbeStore", L"object MainMenu1: TMainMenu",
                                    L"object File1: TMenuItem", L"object Exit1: TMenuItem",
                                    L"object ActionList1: TActionList", L"object ExitAction: TAction",
                                    L"object Panel1: TProbePanel", L"object First: TProbe"};
  for (size_t i = 0; i + 1 < std::size(inOrder); ++i) {
    ASSERT_TRUE(Has(text, inOrder[i])) << StringToUtf8(inOrder[i]);
    EXPECT_LT(text.find(inOrder[i]), text.find(inOrder[i + 1])) << StringToUtf8(inOrder[i]);
  }
  for (const wchar_t* line : {L"Action = ExitAction", L"OnExecute = ExitActionExecute", L"Menu = MainMenu1",
                              L"OnClick = FirstClick", L"Buddy = Third", L"Font.Charset = GB2312_CHARSET"})
    EXPECT_TRUE(Has(text, line)) << StringToUtf8(line);
}

TEST_F(FormLayout, LayoutErrorsNameWhatAndWhere) {
  const auto expectParts = [](const String& message, std::initializer_list<const wchar_t*> parts) {
    for (const wchar_t* part : parts) EXPECT_TRUE(Has(message, part)) << StringToUtf8(message);
  };
  expectParts(ConstructionError<EReadError, TNoLayoutForm>(), {L"TNoLayoutForm"});
  expectParts(ConstructionError<EReadError, TBadPropertyForm>(),
              {L"TBadPropertyForm", L"TProbePanel", L"Colour", L"line 5"});
  expectParts(ConstructionError<EClassNotFound, TUnknownClassForm>(), {L"TNoSuchGadget", L"line 3"});
  expectParts(ConstructionError<EReadError, TBadHandlerForm>(), {L"NoSuchHandler", L"line 4"});
  expectParts(ConstructionError<EReadError, TUnresolvedForm>(), {L"Nobody", L"Buddy", L"line 4"});
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
  for (const wchar_t* line : {L"VertScrollBar.Range = 900", L"VertScrollBar.Increment = 20",
                              L"AutoScroll = False", L"BevelOuter = bvLowered", L"BorderWidth = 3",
                              L"Alignment = taLeftJustify", L"Color = clWindow", L"Caption = 'caption'"})
    EXPECT_TRUE(Has(text, line)) << StringToUtf8(text);

  // Read back, the same properties write the same text.
  TScrollBox copy(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, &copy);
  auto* read = dynamic_cast<TCustomPanel*>(copy.FindComponent(L"Panel"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(&copy, read->GetParent());
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

TEST_F(FormLayout, TheLayoutsClientSizeIsTheShownClientArea) {
  TClientSizeForm form(nullptr);
  ASSERT_NE(nullptr, form.GetMenu());
  EXPECT_FALSE(form.HandleAllocated());
  EXPECT_EQ(400, form.GetClientWidth());
  EXPECT_EQ(300, form.GetClientHeight());
  form.Show();
  RECT client{};
  ::GetClientRect(form.GetHandle(), &client);
  EXPECT_EQ(400, client.right);
  EXPECT_EQ(300, client.bottom);
  form.Hide();
}
