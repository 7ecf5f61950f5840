// TRichEditOleCallback: the container side of embedded objects in a rich-text edit. The
// window asks it for storage when an object is inserted or loaded from RTF, and tells it when
// an object is deleted. The in-place frame, the context menu and the clipboard are left to
// the window (E_NOTIMPL), as the class library has no OLE form host.
#include "RxRichEd.h"

void TRichEditOleCallback::Detach() {
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
                                                                   LPOLEINPLACEFRAMEINFO) {
  if (frame) *frame = nullptr;
  if (doc) *doc = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::ShowContainerUI(BOOL) { return E_NOTIMPL; }

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
