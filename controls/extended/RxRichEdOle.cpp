// The OLE side of the rich-text edit: the container callback the window calls (storage for
// new objects, the in-place frame of the parent form, the container's menu and border while
// an object is active), the verb menu and the properties dialog of a selected object with
// the two information objects the dialog asks, and the control's part in the form's
// in-place activation.
#include <algorithm>

#include "RxRichEd.h"
#include "classlib/controls/Menus.h"
#include "classlib/controls/Messages.h"
#include "classlib/forms/Forms.h"
#include "classlib/system/SysString.h"

namespace {

// ---- Strings for the OLE dialogs: byte strings on the OLE task allocator ----------------------------

LPSTR TaskString(const String& text) {
  const std::string bytes = StringToCp936(text);
  auto* copy = static_cast<LPSTR>(::CoTaskMemAlloc(bytes.size() + 1));
  if (copy) std::copy(bytes.c_str(), bytes.c_str() + bytes.size() + 1, copy);
  return copy;
}

// A name the object gives, freed from the task allocator; empty when it gives none.
String TakeTaskString(LPOLESTR text) {
  if (!text) return String();
  String result(text);
  ::CoTaskMemFree(text);
  return result;
}

String UserType(IOleObject* object, DWORD form) {
  LPOLESTR name = nullptr;
  if (!object || FAILED(object->GetUserType(form, &name))) return String();
  return TakeTaskString(name);
}

String ApplicationTitle() { return Application ? Application->GetTitle() : String(); }

// The record's interfaces are held by a copy: one reference each.
void HoldObject(REOBJECT& object) {
  if (object.poleobj) object.poleobj->AddRef();
  if (object.pstg) object.pstg->AddRef();
  if (object.polesite) object.polesite->AddRef();
}

void ReleaseObject(REOBJECT& object) {
  if (object.poleobj) object.poleobj->Release();
  if (object.pstg) object.pstg->Release();
  if (object.polesite) object.polesite->Release();
  object.poleobj = nullptr;
  object.pstg = nullptr;
  object.polesite = nullptr;
}

TObjectPropertiesCall& PropertiesCall() {
  static TObjectPropertiesCall call;
  return call;
}

TOleMessageBoxCall& MessageBoxCall() {
  static TOleMessageBoxCall call;
  return call;
}

UINT SystemObjectProperties(OLEUIOBJECTPROPSA& properties) {
  using TEntry = UINT(WINAPI*)(LPOLEUIOBJECTPROPSA);
  static HMODULE library = ::LoadLibraryW(L"oledlg.dll");
  if (!library) return OLEUI_FALSE;
  auto entry = reinterpret_cast<TEntry>(
      reinterpret_cast<void*>(::GetProcAddress(library, "OleUIObjectPropertiesA")));
  return entry ? entry(&properties) : OLEUI_FALSE;
}

int OleMessageBox(HWND owner, const String& text, const String& caption, UINT flags) {
  if (MessageBoxCall()) return MessageBoxCall()(owner, text, caption, flags);
  return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

constexpr size_t kMaxAccelerators = 1000;
constexpr int kMaxMenuDepth = 32;

// Adds the shortcut of item and of every item below it, at any depth (a shortcut on
// File > Export > PDF is one of the menu's as much as one on File > Open).
void AddItemAccelerators(TMenuItem* item, int depth, std::vector<ACCEL>& accelerators) {
  if (depth > kMaxMenuDepth || accelerators.size() >= kMaxAccelerators) return;
  const TShortCut shortCut = item->GetShortCut();
  if (shortCut != 0) {
    ACCEL accel{};
    accel.fVirt = FVIRTKEY;
    if (shortCut & scShift) accel.fVirt |= FSHIFT;
    if (shortCut & scCtrl) accel.fVirt |= FCONTROL;
    if (shortCut & scAlt) accel.fVirt |= FALT;
    accel.key = static_cast<WORD>(shortCut & 0xFF);
    accel.cmd = item->GetCommand();
    accelerators.push_back(accel);
  }
  for (int i = 0; i < item->GetCount(); ++i)
    AddItemAccelerators(item->GetItem(i), depth + 1, accelerators);
}

// The accelerators of a form menu's items in the container's groups (0, 2, 4), as the
// in-place object gets them in its frame information.
std::vector<ACCEL> ContainerAccelerators(TMenuItem* items) {
  std::vector<ACCEL> accelerators;
  if (!items) return accelerators;
  for (int i = 0; i < items->GetCount(); ++i) {
    TMenuItem* top = items->GetItem(i);
    const int group = top->GetGroupIndex();
    if (group == 0 || group == 2 || group == 4) AddItemAccelerators(top, 0, accelerators);
  }
  return accelerators;
}

}  // namespace

void SetObjectPropertiesCall(TObjectPropertiesCall call) { PropertiesCall() = std::move(call); }
void SetOleMessageBoxCall(TOleMessageBoxCall call) { MessageBoxCall() = std::move(call); }

// ---- TRichEditOleCallback ------------------------------------------------------------------------------

TRichEditOleCallback::~TRichEditOleCallback() {
  ReleaseFrame();
  DestroyAccelTable();
}

void TRichEditOleCallback::Detach() {
  ReleaseFrame();
  DestroyAccelTable();
  FRichEdit = nullptr;
  FDetached = true;
  Release();  // the control's own reference, taken when it made this object
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRichEditOleCallback)) {
    *object = static_cast<IRichEditOleCallback*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TRichEditOleCallback::AddRef() { return ++FRefCount; }

ULONG STDMETHODCALLTYPE TRichEditOleCallback::Release() {
  if (FRefCount > 0) --FRefCount;
  const ULONG count = FRefCount;
  // Freed only once the control is done with it and the window holds it no more.
  if (count == 0 && FDetached) delete this;
  return count;
}

void TRichEditOleCallback::AssignFrame() {
  if (FFrame || !FRichEdit || !FRichEdit->GetAllowInPlace() || !FRichEdit->HandleAllocated()) return;
  TCustomForm* form = GetParentForm(FRichEdit);
  if (!form) return;
  // The document window is the control's form; the frame is the MDI frame for a child.
  TCustomForm* frameForm = form;
  if (form->GetFormStyle() == fsMDIChild && Application && Application->GetMainForm())
    frameForm = Application->GetMainForm();
  FFrame = frameForm->GetOleFormObject();
  FFrame->AddRef();
  FDocForm = form->GetOleFormObject();
  FDocForm->AddRef();
}

void TRichEditOleCallback::ReleaseFrame() {
  if (FFrame) FFrame->Release();
  if (FDocForm) FDocForm->Release();
  FFrame = nullptr;
  FDocForm = nullptr;
}

void TRichEditOleCallback::CreateAccelTable() {
  if (FAccelTable || !FRichEdit) return;
  TCustomForm* form = GetParentForm(FRichEdit);
  TMainMenu* menu = form ? form->GetMenu() : nullptr;
  std::vector<ACCEL> accelerators = ContainerAccelerators(menu ? menu->GetItems() : nullptr);
  if (accelerators.empty()) return;
  FAccelTable = ::CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));
  FAccelCount = FAccelTable ? static_cast<int>(accelerators.size()) : 0;
}

void TRichEditOleCallback::DestroyAccelTable() {
  if (FAccelTable) ::DestroyAcceleratorTable(FAccelTable);
  FAccelTable = nullptr;
  FAccelCount = 0;
}

void TRichEditOleCallback::ClearFrameUI() {
  if (!FFrame) return;
  FFrame->SetMenu(nullptr, nullptr, nullptr);
  FFrame->SetBorderSpace(nullptr);
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetNewStorage(LPSTORAGE* storage) {
  if (!storage) return E_INVALIDARG;
  *storage = nullptr;
  ILockBytes* bytes = nullptr;
  HRESULT result = ::CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  if (FAILED(result)) return result;
  result = ::StgCreateDocfileOnILockBytes(
      bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, storage);
  // The storage holds its own reference to the bytes.
  bytes->Release();
  return result;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetInPlaceContext(LPOLEINPLACEFRAME* frame,
                                                                   LPOLEINPLACEUIWINDOW* doc,
                                                                   LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame) *frame = nullptr;
  if (doc) *doc = nullptr;
  if (!frame || !doc) return E_POINTER;
  try {
    AssignFrame();
    if (!FFrame || !FRichEdit || !FRichEdit->GetAllowInPlace()) return E_NOTIMPL;
    *frame = FFrame;
    FFrame->AddRef();
    *doc = FDocForm;
    FDocForm->AddRef();
    CreateAccelTable();
    if (frameInfo) {
      frameInfo->fMDIApp = FALSE;
      FFrame->GetWindow(&frameInfo->hwndFrame);
      frameInfo->haccel = FAccelTable;
      frameInfo->cAccelEntries = static_cast<UINT>(FAccelCount);
    }
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::ShowContainerUI(BOOL show) {
  try {
    if (!show) AssignFrame();
    if (!show && !FFrame) return E_NOTIMPL;
    TCustomForm* form = FRichEdit ? GetParentForm(FRichEdit) : nullptr;
    if (show) {
      // The container takes its menu, border and attention back.
      ClearFrameUI();
      if (FRichEdit) FRichEdit->SetUIActive(false);
      DestroyAccelTable();
      if (form && FFrame) form->SetAutoScroll(FSaveAutoScroll);
      ReleaseFrame();
    } else {
      // The object takes them over: the form must not scroll under it meanwhile.
      if (form) {
        FSaveAutoScroll = form->GetAutoScroll();
        form->SetAutoScroll(false);
      }
      if (FRichEdit) FRichEdit->SetUIActive(true);
    }
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::DeleteObject(LPOLEOBJECT object) {
  if (object) object->Close(OLECLOSE_NOSAVE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD,
                                                                 BOOL, HGLOBAL) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::ContextSensitiveHelp(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetClipboardData(CHARRANGE*, DWORD,
                                                                  LPDATAOBJECT* data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetDragDropEffect(BOOL, DWORD, LPDWORD) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*,
                                                                HMENU*) {
  return E_NOTIMPL;
}

// ---- The control: selected object, verbs, in-place attention --------------------------------------------

bool TRxCustomRichEdit::GetSelectedObject(REOBJECT& object) const {
  object = REOBJECT{};
  object.cbStruct = sizeof(object);
  if (!FRichEditOle || !HandleAllocated()) return false;
  CHARRANGE range{0, 0};
  const HWND window = const_cast<TRxCustomRichEdit*>(this)->GetHandle();  // made already
  ::SendMessageW(window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  // One object is one character of the text, selected alone.
  if (range.cpMax - range.cpMin != 1) return false;
  if (FAILED(FRichEditOle->GetObject(REO_IOB_SELECTION, &object, REO_GETOBJ_POLEOBJ))) return false;
  if (!object.poleobj) return false;
  if (object.cp != range.cpMin) {
    object.poleobj->Release();
    object.poleobj = nullptr;
    return false;
  }
  return true;
}

void TRxCustomRichEdit::DoObjectVerb(LONG verb) {
  REOBJECT object{};
  if (!GetSelectedObject(object)) return;
  IOleClientSite* site = nullptr;
  if (FRichEditOle) FRichEditOle->GetClientSite(&site);
  RECT client{};
  ::GetClientRect(GetHandle(), &client);
  const HRESULT result = object.poleobj->DoVerb(verb, nullptr, site, 0, GetHandle(), &client);
  if (site) site->Release();
  object.poleobj->Release();
  if (FAILED(result)) throw EOleError(L"The object's verb failed", result);
}

TPopupMenu* TRxCustomRichEdit::GetPopupMenu() const {
  auto* self = const_cast<TRxCustomRichEdit*>(this);
  if (FPopupVerbMenu) {
    TPopupMenu* previous = FPopupVerbMenu;
    FPopupVerbMenu = nullptr;
    previous->Free();  // its items, also those lent to the control's menu, go with it
  }
  TPopupMenu* result = inherited::GetPopupMenu();
  REOBJECT object{};
  if (!FAutoVerbMenu || !GetSelectedObject(object)) return result;
  IOleObject* ole = object.poleobj;
  if (object.dwFlags & REO_INPLACEACTIVE) {
    ole->Release();
    return result;
  }
  auto* menu = new TPopupMenu(self);
  FPopupVerbMenu = menu;
  IEnumOLEVERB* verbs = nullptr;
  if (SUCCEEDED(ole->EnumVerbs(&verbs)) && verbs) {
    OLEVERB verb{};
    ULONG fetched = 0;
    for (int guard = 0; guard < 256 && verbs->Next(1, &verb, &fetched) == S_OK && fetched == 1; ++guard) {
      const String name = TakeTaskString(verb.lpszVerbName);
      if (verb.lVerb < 0 || !(verb.grfAttribs & OLEVERBATTRIB_ONCONTAINERMENU)) continue;
      auto* item = new TMenuItem(menu);
      item->SetCaption(name);
      item->SetDefault(verb.lVerb == 0);
      item->SetEnabled((verb.fuFlags & (MF_GRAYED | MF_DISABLED)) == 0);
      const LONG number = verb.lVerb;
      item->OnClick = [self, number](TObject*) { self->DoObjectVerb(number); };
      menu->GetItems()->Add(item);
    }
    verbs->Release();
  }
  const String type = UserType(ole, USERCLASSTYPE_SHORT);
  ole->Release();
  auto* properties = new TMenuItem(menu);
  properties->SetCaption(Format(L"%s Properties", {type}));
  properties->OnClick = [self](TObject*) { self->ObjectPropertiesDialog(); };
  if (result && result->GetItems()->GetCount() > 0) {
    // The control's own menu gets the object's part; the items stay the verb menu's.
    TMenuItem* items = result->GetItems();
    auto* line = new TMenuItem(menu);
    line->SetCaption(L"-");
    items->Add(line);
    items->Add(properties);
    if (menu->GetItems()->GetCount() > 0) {
      auto* sub = new TMenuItem(menu);
      sub->SetCaption(type);
      while (menu->GetItems()->GetCount() > 0) {
        TMenuItem* verb = menu->GetItems()->GetItem(0);
        menu->GetItems()->Remove(verb);
        sub->Add(verb);
      }
      items->Add(sub);
    }
    return result;
  }
  if (menu->GetItems()->GetCount() > 0) {
    menu->GetItems()->Insert(0, properties);
    return menu;
  }
  properties->Free();
  return result;
}

bool TRxCustomRichEdit::ObjectPropertiesDialog() {
  REOBJECT object{};
  if (!GetSelectedObject(object)) return false;
  if (object.dwFlags & REO_INPLACEACTIVE) {
    object.poleobj->Release();
    return false;
  }
  auto* info = new TOleUIObjInfo(this, object);
  TOleUILinkInfo* linkInfo = nullptr;
  OLEUIOBJECTPROPSA properties{};
  properties.cbStruct = sizeof(properties);
  if (object.dwFlags & REO_LINK) {
    IOleLink* link = nullptr;
    if (SUCCEEDED(object.poleobj->QueryInterface(IID_IOleLink, reinterpret_cast<void**>(&link))) && link) {
      linkInfo = new TOleUILinkInfo(this, object, link);
      link->Release();
      properties.dwFlags |= OPF_OBJECTISLINK;
    }
  }
  const String type = UserType(object.poleobj, USERCLASSTYPE_SHORT);
  object.poleobj->Release();
  const std::string caption = StringToCp936(Format(L"%s Properties", {type}));
  OLEUIGNRLPROPSA general{};
  general.cbStruct = sizeof(general);
  OLEUIVIEWPROPSA view{};
  view.cbStruct = sizeof(view);
  view.dwFlags = VPF_DISABLESCALE;
  OLEUILINKPROPSA link{};
  link.cbStruct = sizeof(link);
  PROPSHEETHEADERA sheet{};
  sheet.dwSize = sizeof(sheet);
  sheet.hwndParent = GetHandle();
  sheet.pszCaption = caption.c_str();
  properties.lpPS = &sheet;
  properties.lpObjInfo = info;
  properties.lpLinkInfo = linkInfo;
  properties.lpGP = &general;
  properties.lpVP = &view;
  properties.lpLP = &link;
  UINT answer = OLEUI_FALSE;
  try {
    answer = PropertiesCall() ? PropertiesCall()(properties) : SystemObjectProperties(properties);
  } catch (...) {
    info->Release();
    if (linkInfo) linkInfo->Release();
    throw;
  }
  info->Release();
  if (linkInfo) linkInfo->Release();
  return answer == OLEUI_OK;
}

void TRxCustomRichEdit::SetUIActive(bool active) {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  if (active) {
    form->SetActiveOleControl(this);
    if (FAllowInPlace && CanFocus()) SetFocus();
    return;
  }
  if (form->GetActiveOleControl() == this) form->SetActiveOleControl(nullptr);
  if (form->GetActiveControl() == this && HandleAllocated()) {
    ::SetFocus(GetHandle());
    SelectionChange();
  }
}

void TRxCustomRichEdit::CMDocWindowActivate(TMessage& message) {
  // The document window (an MDI child) was left: its object's menu and tools leave the frame.
  if (message.WParam == 0 && FCallback) FCallback->ClearFrameUI();
}

// ---- TOleUIObjInfo -----------------------------------------------------------------------------------

TOleUIObjInfo::TOleUIObjInfo(TRxCustomRichEdit* richEdit, const REOBJECT& object)
    : FRichEdit(richEdit), FObject(object) {
  HoldObject(FObject);
}

TOleUIObjInfo::~TOleUIObjInfo() { ReleaseObject(FObject); }

HRESULT STDMETHODCALLTYPE TOleUIObjInfo::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TOleUIObjInfo::AddRef() { return ++FRefCount; }

ULONG STDMETHODCALLTYPE TOleUIObjInfo::Release() {
  const ULONG count = FRefCount > 0 ? --FRefCount : 0;
  if (count == 0) delete this;
  return count;
}

HRESULT STDMETHODCALLTYPE TOleUIObjInfo::GetObjectInfo(DWORD, DWORD* size, LPSTR* label, LPSTR* type,
                                                        LPSTR* shortType, LPSTR* location) {
  const String full = UserType(FObject.poleobj, USERCLASSTYPE_FULL);
  if (size) *size = static_cast<DWORD>(-1);  // not known
  if (label) *label = TaskString(full);
  if (type) *type = TaskString(full);
  if (shortType) *shortType = TaskString(UserType(FObject.poleobj, USERCLASSTYPE_SHORT));
  if (location) {
    const String title = FRichEdit ? FRichEdit->GetTitle() : String();
    *location = TaskString(Trim(title).empty() ? ApplicationTitle()
                                               : Format(L"%s - %s", {title, ApplicationTitle()}));
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleUIObjInfo::GetConvertInfo(DWORD, CLSID* classId, WORD* format,
                                                         CLSID* convertDefault, LPCLSID* exclude,
                                                         UINT* excludeCount) {
  if (classId) *classId = FObject.clsid;
  if (format) *format = 0;
  if (convertDefault) *convertDefault = CLSID_NULL;
  if (exclude) *exclude = nullptr;
  if (excludeCount) *excludeCount = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleUIObjInfo::ConvertObject(DWORD, REFCLSID) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TOleUIObjInfo::GetViewInfo(DWORD, HGLOBAL* metaPict, DWORD* aspect,
                                                      int* currentScale) {
  if (metaPict) {
    *metaPict = nullptr;
    // The icon the object shows as an icon, else its class's icon.
    if (FObject.dvaspect == DVASPECT_ICON && FObject.poleobj) {
      IDataObject* data = nullptr;
      if (SUCCEEDED(FObject.poleobj->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data))) && data) {
        FORMATETC format{CF_METAFILEPICT, nullptr, DVASPECT_ICON, -1, TYMED_MFPICT};
        STGMEDIUM medium{};
        if (SUCCEEDED(data->GetData(&format, &medium)) && medium.tymed == TYMED_MFPICT)
          *metaPict = medium.hMetaFilePict;
        data->Release();
      }
    }
    if (!*metaPict) *metaPict = ::OleGetIconOfClass(FObject.clsid, nullptr, TRUE);
  }
  if (aspect) *aspect = FObject.dvaspect;
  if (currentScale) *currentScale = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleUIObjInfo::SetViewInfo(DWORD, HGLOBAL, DWORD aspect, int, BOOL) {
  IRichEditOle* ole = FRichEdit ? FRichEdit->GetRichEditOle() : nullptr;
  if (!ole) return E_NOTIMPL;
  if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_ICON) return E_INVALIDARG;
  if (aspect == FObject.dvaspect) return S_OK;
  const HRESULT result = ole->SetDvaspect(REO_IOB_SELECTION, aspect);
  if (SUCCEEDED(result)) FObject.dvaspect = aspect;
  return result;
}

// ---- TOleUILinkInfo ----------------------------------------------------------------------------------

TOleUILinkInfo::TOleUILinkInfo(TRxCustomRichEdit* richEdit, const REOBJECT& object, IOleLink* link)
    : FRichEdit(richEdit), FObject(object), FOleLink(link) {
  HoldObject(FObject);
  FOleLink->AddRef();
}

TOleUILinkInfo::~TOleUILinkInfo() {
  FOleLink->Release();
  ReleaseObject(FObject);
}

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TOleUILinkInfo::AddRef() { return ++FRefCount; }

ULONG STDMETHODCALLTYPE TOleUILinkInfo::Release() {
  const ULONG count = FRefCount > 0 ? --FRefCount : 0;
  if (count == 0) delete this;
  return count;
}

// The one link is number 1.
DWORD STDMETHODCALLTYPE TOleUILinkInfo::GetNextLink(DWORD link) { return link == 0 ? 1 : 0; }

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::SetLinkUpdateOptions(DWORD, DWORD updateOptions) {
  const HRESULT result = FOleLink->SetUpdateOptions(updateOptions);
  if (SUCCEEDED(result) && FRichEdit) FRichEdit->SetModified(true);
  return result;
}

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::GetLinkUpdateOptions(DWORD, DWORD* updateOptions) {
  if (!updateOptions) return E_POINTER;
  return FOleLink->GetUpdateOptions(updateOptions);
}

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::SetLinkSource(DWORD, LPSTR, ULONG, ULONG*, BOOL) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::GetLinkSource(DWORD, LPSTR* displayName, ULONG* fileNameLength,
                                                         LPSTR* fullLinkType, LPSTR* shortLinkType,
                                                         BOOL* sourceAvailable, BOOL* isSelected) {
  LPOLESTR source = nullptr;
  const HRESULT result = FOleLink->GetSourceDisplayName(&source);
  if (FAILED(result)) return result;
  const String name = TakeTaskString(source);
  if (displayName) *displayName = TaskString(name);
  if (fileNameLength) *fileNameLength = static_cast<ULONG>(StringToCp936(name).size());
  if (fullLinkType) *fullLinkType = TaskString(UserType(FObject.poleobj, USERCLASSTYPE_FULL));
  if (shortLinkType) *shortLinkType = TaskString(UserType(FObject.poleobj, USERCLASSTYPE_SHORT));
  if (sourceAvailable) *sourceAvailable = TRUE;
  if (isSelected) *isSelected = TRUE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::OpenLinkSource(DWORD) {
  if (!FObject.poleobj || !FRichEdit || !FRichEdit->HandleAllocated()) return E_FAIL;
  RECT client{};
  ::GetClientRect(FRichEdit->GetHandle(), &client);
  return FObject.poleobj->DoVerb(OLEIVERB_SHOW, nullptr, FObject.polesite, 0, FRichEdit->GetHandle(), &client);
}

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::UpdateLink(DWORD, BOOL, BOOL) {
  return FObject.poleobj ? FObject.poleobj->Update() : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::CancelLink(DWORD) {
  OleMessageBox(FRichEdit && FRichEdit->HandleAllocated() ? FRichEdit->GetHandle() : nullptr,
                L"Break link operation is not supported.", L"Link Properties", MB_OK | MB_ICONSTOP);
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleUILinkInfo::GetLastUpdate(DWORD, FILETIME*) { return S_OK; }
