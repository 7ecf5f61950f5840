#include "OleForm.h"

#include "../controls/Menus.h"
#include "Forms.h"

TOleForm::~TOleForm() {
  if (FActiveObject) FActiveObject->Release();
}

void TOleForm::Detach() {
  FForm = nullptr;
  AddRef();
  Release();  // frees it when no one else holds it
}

HWND TOleForm::FormWindow() const {
  return FForm && FForm->HandleAllocated() ? FForm->GetHandle() : nullptr;
}

HRESULT STDMETHODCALLTYPE TOleForm::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) ||
      IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TOleForm::AddRef() { return ++FRefCount; }

ULONG STDMETHODCALLTYPE TOleForm::Release() {
  if (FRefCount > 0) --FRefCount;
  const ULONG count = FRefCount;
  if (count == 0 && !FForm) delete this;
  return count;
}

HRESULT STDMETHODCALLTYPE TOleForm::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = FormWindow();
  return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TOleForm::ContextSensitiveHelp(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleForm::GetBorder(LPRECT border) {
  if (!border) return E_POINTER;
  const HWND window = FormWindow();
  if (!window) return E_FAIL;
  ::GetClientRect(window, border);
  return S_OK;
}

namespace {
bool NoSpace(LPCBORDERWIDTHS widths) {
  return !widths || (widths->left == 0 && widths->top == 0 && widths->right == 0 && widths->bottom == 0);
}
}  // namespace

// The form keeps no room for an object's tool bars.
HRESULT STDMETHODCALLTYPE TOleForm::RequestBorderSpace(LPCBORDERWIDTHS widths) {
  return NoSpace(widths) ? S_OK : INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE TOleForm::SetBorderSpace(LPCBORDERWIDTHS widths) {
  return NoSpace(widths) ? S_OK : OLE_E_INVALIDRECT;
}

HRESULT STDMETHODCALLTYPE TOleForm::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  if (object) object->AddRef();
  if (FActiveObject) FActiveObject->Release();
  FActiveObject = object;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleForm::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS widths) {
  if (!widths) return E_POINTER;
  // The container's groups (File, Container, Window) hold nothing.
  widths->width[0] = widths->width[2] = widths->width[4] = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleForm::SetMenu(HMENU shared, HOLEMENU oleMenu, HWND activeObject) {
  const HWND window = FormWindow();
  if (!window) return E_FAIL;
  if (shared) {
    ::SetMenu(window, shared);
    FSharedMenu = shared;
    return ::OleSetMenuDescriptor(oleMenu, window, activeObject, this, FActiveObject);
  }
  // The object is done with the form's menu bar: the form's own comes back.
  FSharedMenu = nullptr;
  TMainMenu* own = FForm->GetMenu();
  ::SetMenu(window, own ? own->GetHandle() : nullptr);
  return ::OleSetMenuDescriptor(nullptr, window, nullptr, nullptr, nullptr);
}

HRESULT STDMETHODCALLTYPE TOleForm::RemoveMenus(HMENU) { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleForm::SetStatusText(LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleForm::EnableModeless(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleForm::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }
