// An object of our own inserted through the rich edit's OLE interface: the verb menu built
// from its verbs, the properties dialog's arguments (its type names, its document, its link),
// and in-place activation in a form with the form's OLE frame and its menu's accelerators.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RichEditTestSupport.h"
#include "classlib/controls/Menus.h"
#include "classlib/controls/Messages.h"
#include "classlib/forms/Forms.h"

namespace rich_tests {
namespace {

LPOLESTR TaskCopy(const wchar_t* text) {
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
  memcpy(copy, text, bytes);
  return copy;
}

String Take(LPSTR text) {
  if (!text) return L"<null>";
  String result = Cp936ToString(text);
  ::CoTaskMemFree(text);
  return result;
}

struct TFakeVerb {
  LONG Number;
  const wchar_t* Name;
  DWORD Attributes;
};

// The verbs of the fake object: two that hide from menus.
const TFakeVerb FakeVerbs[] = {
    {0, L"&Edit", OLEVERBATTRIB_ONCONTAINERMENU},
    {1, L"Open", OLEVERBATTRIB_ONCONTAINERMENU},
    {OLEIVERB_HIDE, L"Hide", OLEVERBATTRIB_ONCONTAINERMENU},
    {2, L"Internal", 0},
    {3, L"Play", OLEVERBATTRIB_ONCONTAINERMENU},
};

class TFakeVerbs : public IEnumOLEVERB {
 public:
  virtual ~TFakeVerbs() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumOLEVERB)) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FCount; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = --FCount;
    if (count == 0) delete this;
    return count;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, OLEVERB* verbs, ULONG* fetched) override {
    ULONG given = 0;
    for (; given < wanted && FNext < std::size(FakeVerbs); ++given, ++FNext) {
      const TFakeVerb& verb = FakeVerbs[FNext];
      verbs[given] = OLEVERB{verb.Number, TaskCopy(verb.Name), 0, verb.Attributes};
    }
    if (fetched) *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    FNext += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    FNext = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumOLEVERB**) override { return E_NOTIMPL; }

 private:
  ULONG FCount = 1;
  size_t FNext = 0;
};

// An embedded (or, with a link source, linked) object that records what it is asked.
class TFakeObject : public IOleObject, public IOleLink {
 public:
  explicit TFakeObject(bool linked) : FLinked(linked) {}
  virtual ~TFakeObject() = default;
  std::vector<LONG> Verbs;        // DoVerb's verb numbers
  std::vector<HWND> VerbWindows;  // and windows
  DWORD UpdateOptions = OLEUPDATE_ALWAYS;
  int Closed = 0;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject))
      *object = static_cast<IOleObject*>(this);
    else if (FLinked && IsEqualIID(iid, IID_IOleLink))
      *object = static_cast<IOleLink*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FCount; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = --FCount;
    if (count == 0) delete this;
    return count;
  }
  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
    *site = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD) override {
    ++Closed;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override {
    *data = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND window, LPCRECT) override {
    Verbs.push_back(verb);
    VerbWindows.push_back(window);
    return verb == 3 ? E_FAIL : S_OK;  // Play fails
  }
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override {
    *verbs = new TFakeVerbs;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* id) override {
    *id = CLSID_NULL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* name) override {
    *name = TaskCopy(form == USERCLASSTYPE_SHORT ? L"Fake" : L"Fake Drawing Object");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL* size) override {
    *size = SIZEL{1000, 1000};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* connection) override {
    *connection = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override {
    *advise = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
    *status = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
  // IOleLink
  HRESULT STDMETHODCALLTYPE SetUpdateOptions(DWORD options) override {
    UpdateOptions = options;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUpdateOptions(DWORD* options) override {
    *options = UpdateOptions;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSourceMoniker(IMoniker*, REFCLSID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSourceMoniker(IMoniker** moniker) override {
    *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetSourceDisplayName(LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSourceDisplayName(LPOLESTR* name) override {
    *name = TaskCopy(L"C:\\资料\\figure.fak");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE BindToSource(DWORD, IBindCtx*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindIfRunning() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBoundSource(IUnknown** source) override {
    *source = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnbindSource() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Update(IBindCtx*) override { return S_OK; }

 private:
  ULONG FCount = 1;
  bool FLinked;
};

const CLSID FakeClass = {0x5a1d0c7e, 0x41a0, 0x4b2c, {0x9e, 0x10, 0x41, 0x00, 0x00, 0x00, 0x00, 0x29}};

// Inserts the object at the caret through the window's OLE interface and selects it.
void InsertObject(TRxCustomRichEdit* edit, TFakeObject* object, bool linked) {
  IRichEditOle* ole = edit->GetRichEditOle();
  ASSERT_NE(ole, nullptr);
  IStorage* storage = nullptr;
  ASSERT_EQ(edit->GetOleCallback()->GetNewStorage(&storage), S_OK);
  IOleClientSite* site = nullptr;
  ASSERT_EQ(ole->GetClientSite(&site), S_OK);
  REOBJECT record{};
  record.cbStruct = sizeof(record);
  record.cp = REO_CP_SELECTION;
  record.clsid = FakeClass;
  record.poleobj = object;
  record.pstg = storage;
  record.polesite = site;
  record.sizel = SIZEL{1000, 1000};
  record.dvaspect = DVASPECT_CONTENT;
  record.dwFlags = REO_RESIZABLE | (linked ? REO_LINK : 0);
  const int at = edit->GetSelStart();
  ASSERT_EQ(ole->InsertObject(&record), S_OK);
  storage->Release();
  site->Release();
  edit->SetSelStart(at);
  edit->SetSelLength(1);
}

std::vector<String> Captions(TMenuItem* items) {
  std::vector<String> captions;
  for (int i = 0; i < items->GetCount(); ++i) captions.push_back(items->GetItem(i)->GetCaption());
  return captions;
}

// What the properties dialog was given.
struct TPropertiesSeen {
  int Calls = 0;
  DWORD Flags = 0;
  String Caption;
  HWND Owner = nullptr;
  String Label, Type, ShortType, Location;
  DWORD Size = 0;
  CLSID Class{};
  bool HasLink = false;
  DWORD FirstLink = 0, AfterLink = 0;
  String LinkSource, FullLinkType, ShortLinkType;
  HRESULT Cancel = S_OK;
  HRESULT SetOptions = E_FAIL;
};

class RichOleObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = TCustomForm::Create<TForm>(nullptr);
    Form->SetBounds(100, 100, 500, 400);
    Edit = new TRxRichEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 460, 300);
    Form->Show();
    Pump();
    Edit->GetLines()->SetText(L"ab");
    Edit->SetSelStart(2);
    SetObjectPropertiesCall([this](OLEUIOBJECTPROPSA& properties) {
      Record(properties);
      return static_cast<UINT>(OLEUI_OK);
    });
    SetOleMessageBoxCall([this](HWND, const String& text, const String& caption, UINT flags) {
      Boxes.push_back(text + L"|" + caption + L"|" + std::to_wstring(flags & MB_ICONMASK));
      return IDOK;
    });
  }
  void TearDown() override {
    SetObjectPropertiesCall(nullptr);
    SetOleMessageBoxCall(nullptr);
    delete Form;
    Pump();
  }
  void Record(OLEUIOBJECTPROPSA& properties) {
    ++Seen.Calls;
    Seen.Flags = properties.dwFlags;
    Seen.Caption = Cp936ToString(properties.lpPS->pszCaption);
    Seen.Owner = properties.lpPS->hwndParent;
    LPSTR label = nullptr, type = nullptr, shortType = nullptr, location = nullptr;
    properties.lpObjInfo->GetObjectInfo(properties.dwObject, &Seen.Size, &label, &type, &shortType, &location);
    Seen.Label = Take(label);
    Seen.Type = Take(type);
    Seen.ShortType = Take(shortType);
    Seen.Location = Take(location);
    WORD format = 0;
    CLSID convert{};
    LPCLSID exclude = nullptr;
    UINT excluded = 0;
    properties.lpObjInfo->GetConvertInfo(properties.dwObject, &Seen.Class, &format, &convert, &exclude, &excluded);
    Seen.HasLink = properties.lpLinkInfo != nullptr;
    if (!Seen.HasLink) return;
    IOleUILinkInfoA* link = properties.lpLinkInfo;
    Seen.FirstLink = link->GetNextLink(0);
    Seen.AfterLink = link->GetNextLink(Seen.FirstLink);
    LPSTR source = nullptr, full = nullptr, brief = nullptr;
    ULONG length = 0;
    BOOL available = FALSE, selected = FALSE;
    link->GetLinkSource(Seen.FirstLink, &source, &length, &full, &brief, &available, &selected);
    Seen.LinkSource = Take(source);
    Seen.FullLinkType = Take(full);
    Seen.ShortLinkType = Take(brief);
    Seen.SetOptions = link->SetLinkUpdateOptions(Seen.FirstLink, OLEUPDATE_ONCALL);
    Seen.Cancel = link->CancelLink(Seen.FirstLink);
  }

  TForm* Form = nullptr;
  TRxRichEdit* Edit = nullptr;  // owned by Form
  TPropertiesSeen Seen;
  std::vector<String> Boxes;
};

TEST_F(RichOleObjectTest, VerbMenuHoldsTheMenuVerbsUnderTheObjectsProperties) {
  auto* object = new TFakeObject(false);
  InsertObject(Edit, object, false);
  TPopupMenu* menu = Edit->GetPopupMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Captions(menu->GetItems()),
            (std::vector<String>{L"Fake Properties", L"&Edit", L"Open", L"Play"}));
  EXPECT_TRUE(menu->GetItems()->GetItem(1)->GetDefault());
  EXPECT_FALSE(menu->GetItems()->GetItem(2)->GetDefault());
  // Choosing a verb runs it in the control's window; a verb that fails raises.
  menu->GetItems()->GetItem(2)->Click();
  ASSERT_EQ(object->Verbs, std::vector<LONG>{1});
  EXPECT_EQ(object->VerbWindows[0], Edit->GetHandle());
  EXPECT_THROW(menu->GetItems()->GetItem(3)->Click(), EOleError);
  // The properties item opens the dialog over the control, captioned with the short type.
  menu->GetItems()->GetItem(0)->Click();
  EXPECT_EQ(Seen.Calls, 1);
  EXPECT_EQ(Seen.Caption, L"Fake Properties");
  EXPECT_EQ(Seen.Owner, Edit->GetHandle());
  EXPECT_FALSE(Seen.HasLink);
  EXPECT_EQ(Seen.Flags & OPF_OBJECTISLINK, 0u);

  // Not one object selected, or no verb menu wanted: the control's own menu (none here).
  Edit->SetSelStart(0);
  Edit->SetSelLength(3);
  EXPECT_EQ(Edit->GetPopupMenu(), nullptr);
  Edit->SetSelStart(2);
  Edit->SetSelLength(1);
  Edit->SetAutoVerbMenu(false);
  EXPECT_EQ(Edit->GetPopupMenu(), nullptr);
}

TEST_F(RichOleObjectTest, OwnPopupMenuGetsThePropertiesAndTheVerbsAsASubMenuOnce) {
  auto* own = new TPopupMenu(Form);
  auto* copy = new TMenuItem(own);
  copy->SetCaption(L"复制");
  own->GetItems()->Add(copy);
  Edit->SetPopupMenu(own);
  InsertObject(Edit, new TFakeObject(false), false);
  for (int asked = 0; asked < 3; ++asked) {
    TPopupMenu* menu = Edit->GetPopupMenu();
    ASSERT_EQ(menu, own);
    ASSERT_EQ(Captions(menu->GetItems()),
              (std::vector<String>{L"复制", L"-", L"Fake Properties", L"Fake"}));
    EXPECT_EQ(Captions(menu->GetItems()->GetItem(3)), (std::vector<String>{L"&Edit", L"Open", L"Play"}));
  }
  // The control's menu is its own again when no object is selected.
  Edit->SetSelStart(0);
  EXPECT_EQ(Captions(Edit->GetPopupMenu()->GetItems()), std::vector<String>{L"复制"});
}

TEST_F(RichOleObjectTest, PropertiesDialogGetsTheObjectsNamesDocumentAndLink) {
  Application->SetTitle(L"考试辅导系统");
  Edit->SetTitle(L"题干");
  auto* object = new TFakeObject(true);
  InsertObject(Edit, object, true);
  Edit->SetModified(false);
  EXPECT_TRUE(Edit->ObjectPropertiesDialog());
  EXPECT_EQ(Seen.Calls, 1);
  EXPECT_NE(Seen.Flags & OPF_OBJECTISLINK, 0u);
  EXPECT_EQ(Seen.Size, static_cast<DWORD>(-1));
  EXPECT_EQ(Seen.Label, L"Fake Drawing Object");
  EXPECT_EQ(Seen.Type, L"Fake Drawing Object");
  EXPECT_EQ(Seen.ShortType, L"Fake");
  EXPECT_EQ(Seen.Location, L"题干 - 考试辅导系统");
  EXPECT_TRUE(IsEqualCLSID(Seen.Class, FakeClass));
  ASSERT_TRUE(Seen.HasLink);
  EXPECT_EQ(Seen.FirstLink, 1u);
  EXPECT_EQ(Seen.AfterLink, 0u);
  EXPECT_EQ(Seen.LinkSource, L"C:\\资料\\figure.fak");
  EXPECT_EQ(Seen.FullLinkType, L"Fake Drawing Object");
  EXPECT_EQ(Seen.ShortLinkType, L"Fake");
  // Changing the update options goes to the link and marks the text modified.
  EXPECT_EQ(Seen.SetOptions, S_OK);
  EXPECT_EQ(object->UpdateOptions, static_cast<DWORD>(OLEUPDATE_ONCALL));
  EXPECT_TRUE(Edit->GetModified());
  // Breaking the link is refused with the system's stop box.
  EXPECT_EQ(Seen.Cancel, E_NOTIMPL);
  EXPECT_EQ(Boxes, std::vector<String>{L"Break link operation is not supported.|Link Properties|" +
                                       std::to_wstring(MB_ICONSTOP)});
  // Without a title the document is the application.
  Edit->SetTitle(L" ");
  SetObjectPropertiesCall([this](OLEUIOBJECTPROPSA& properties) {
    Record(properties);
    return static_cast<UINT>(OLEUI_CANCEL);
  });
  EXPECT_FALSE(Edit->ObjectPropertiesDialog());
  EXPECT_EQ(Seen.Location, L"考试辅导系统");
  // No single object selected: no dialog.
  Edit->SetSelStart(0);
  EXPECT_FALSE(Edit->ObjectPropertiesDialog());
  EXPECT_EQ(Seen.Calls, 2);
}

// Counts the in-place deactivations it is told of.
class TCountingRichEdit : public TRxRichEdit {
 public:
  using TRxRichEdit::TRxRichEdit;
  int Deactivations = 0;
  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_UIDEACTIVATE) ++Deactivations;
    TRxRichEdit::Dispatch(message);
  }
};

TEST_F(RichOleObjectTest, InPlaceContextIsTheFormsFrameAndActivationMovesBetweenControls) {
  IRichEditOleCallback* callback = Edit->GetOleCallback();
  auto* second = new TCountingRichEdit(Form);
  second->SetParent(Form);
  second->SetBounds(10, 320, 460, 40);
  second->HandleNeeded();
  auto* menu = new TMainMenu(Form);
  auto* file = new TMenuItem(menu);
  file->SetCaption(L"文件");
  auto* save = new TMenuItem(menu);
  save->SetCaption(L"保存");
  save->SetShortCut(ShortCut('S', TShiftState{ssCtrl}));
  file->Add(save);
  menu->GetItems()->Add(file);
  Form->SetMenu(menu);
  Form->SetAutoScroll(true);

  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* doc = nullptr;
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof(info);
  ASSERT_EQ(callback->GetInPlaceContext(&frame, &doc, &info), S_OK);
  EXPECT_EQ(frame, static_cast<IOleInPlaceFrame*>(Form->GetOleFormObject()));
  EXPECT_EQ(static_cast<IUnknown*>(doc), static_cast<IUnknown*>(frame));
  EXPECT_EQ(info.hwndFrame, Form->GetHandle());
  EXPECT_FALSE(info.fMDIApp);
  EXPECT_EQ(info.cAccelEntries, 1u);  // Ctrl+S of the File group
  EXPECT_NE(info.haccel, nullptr);
  // The object takes the form's attention: this control is the active one, no scrolling.
  EXPECT_EQ(callback->ShowContainerUI(FALSE), S_OK);
  EXPECT_EQ(Form->GetActiveOleControl(), Edit);
  EXPECT_FALSE(Form->GetAutoScroll());
  // It puts its shared menu on the form; leaving the document window takes it back.
  HMENU shared = ::CreateMenu();
  OLEMENUGROUPWIDTHS widths{};
  HOLEMENU oleMenu = ::OleCreateMenuDescriptor(shared, &widths);
  EXPECT_EQ(frame->SetMenu(shared, oleMenu, Edit->GetHandle()), S_OK);
  EXPECT_EQ(::GetMenu(Form->GetHandle()), shared);
  Edit->Perform(CM_DOCWINDOWACTIVATE, 0, 0);
  EXPECT_EQ(::GetMenu(Form->GetHandle()), menu->GetHandle());
  // Another control's object taking over tells this control to deactivate, and back.
  Form->SetActiveOleControl(second);
  Form->SetActiveOleControl(Edit);
  EXPECT_EQ(second->Deactivations, 1);
  // The container takes everything back.
  EXPECT_EQ(callback->ShowContainerUI(TRUE), S_OK);
  EXPECT_EQ(Form->GetActiveOleControl(), nullptr);
  EXPECT_TRUE(Form->GetAutoScroll());
  EXPECT_EQ(static_cast<TRichEditOleCallback*>(callback)->GetFrame(), nullptr);
  frame->Release();
  doc->Release();
  ::OleDestroyMenuDescriptor(oleMenu);
  ::DestroyMenu(shared);
  // No in-place objects wanted: no context.
  Edit->SetAllowInPlace(false);
  EXPECT_EQ(callback->GetInPlaceContext(&frame, &doc, &info), E_NOTIMPL);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(callback->ShowContainerUI(FALSE), E_NOTIMPL);
  // A freed control is no longer the form's active one.
  Form->SetActiveOleControl(second);
  second->Free();
  EXPECT_EQ(Form->GetActiveOleControl(), nullptr);
}

// The in-place object gets the shortcuts of the container's groups 0, 2 and 4: of the menus'
// items at every depth and of a top-level item without a menu of its own, never those of
// other groups.
TEST_F(RichOleObjectTest, TheInPlaceAcceleratorsAreTheContainerGroupsShortcuts) {
  auto* menu = new TMainMenu(Form);
  // A top-level item of a group with its own shortcut and, when sub is not 0, one sub-item.
  auto add = [menu](int group, TShortCut own, TShortCut sub) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(L"组" + std::to_wstring(group));
    item->SetGroupIndex(group);
    item->SetShortCut(own);
    menu->GetItems()->Add(item);
    if (!sub) return item;
    auto* child = new TMenuItem(menu);
    child->SetCaption(L"项");
    child->SetShortCut(sub);
    item->Add(child);
    return child;
  };
  const TShiftState ctrl{ssCtrl};
  TMenuItem* save = add(0, 0, ShortCut('S', ctrl));
  TMenuItem* refresh = add(0, ShortCut(VK_F5, TShiftState{}), 0);
  add(1, ShortCut('E', ctrl), ShortCut('C', ctrl));
  TMenuItem* next = add(2, 0, ShortCut('N', ctrl));
  add(3, ShortCut(VK_F9, TShiftState{}), 0);
  TMenuItem* help = add(4, ShortCut(VK_F1, TShiftState{}), 0);
  // A shortcut deeper down, on File > Export > PDF, is the menu's too.
  auto* exportItem = new TMenuItem(menu);
  exportItem->SetCaption(L"导出");
  save->GetParent()->Add(exportItem);
  auto* pdf = new TMenuItem(menu);
  pdf->SetCaption(L"PDF");
  pdf->SetShortCut(ShortCut('P', ctrl));
  exportItem->Add(pdf);
  Form->SetMenu(menu);

  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* doc = nullptr;
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof(info);
  ASSERT_EQ(Edit->GetOleCallback()->GetInPlaceContext(&frame, &doc, &info), S_OK);
  EXPECT_EQ(info.cAccelEntries, 5u);
  std::vector<ACCEL> table(8);
  table.resize(static_cast<size_t>(::CopyAcceleratorTableW(info.haccel, table.data(), 8)));
  std::vector<std::pair<WORD, WORD>> got;  // key, command
  for (const ACCEL& accel : table) got.push_back({accel.key, accel.cmd});
  const std::vector<std::pair<WORD, WORD>> expected{
      {'S', save->GetCommand()}, {'P', pdf->GetCommand()}, {VK_F5, refresh->GetCommand()},
      {'N', next->GetCommand()}, {VK_F1, help->GetCommand()}};
  EXPECT_EQ(got, expected);
  frame->Release();
  doc->Release();
}

}  // namespace
}  // namespace rich_tests
