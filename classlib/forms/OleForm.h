// TOleForm: the in-place frame of a form for embedded objects. An object that a control of
// the form activates in place (a rich-text edit's object, say) asks the control's container
// for a frame and a document window; both are this object, over the form's window.
//
// What it offers: the frame's window, its client area as the border, no room for tools
// (border space is refused unless none is asked for), the shared menu that the object builds
// set on the form's window with the system's OLE menu descriptor (and the form's own menu
// back when the object is done), the active object, and nothing for status text,
// accelerators or modeless dialogs. The container's own menu groups in a shared menu stay
// empty.
//
// Life: counted like any COM object, but the form owns it: Detach (from the form's
// destructor) lets go of the form, and the object is freed once no one holds it any more.
#pragma once
#include <windows.h>
#include <ole2.h>

#include "../system/SysExceptions.h"

class TCustomForm;

// An OLE call failed; the call's result is kept beside the message.
class EOleError : public Exception {
 public:
  EOleError(const String& message, HRESULT result) : Exception(message), FResult(result) {}
  const wchar_t* ClassName() const override { return L"EOleError"; }
  HRESULT GetResult() const { return FResult; }

 private:
  HRESULT FResult;
};

class TOleForm : public IOleInPlaceFrame {
 public:
  explicit TOleForm(TCustomForm* form) : FForm(form) {}
  TOleForm(const TOleForm&) = delete;
  TOleForm& operator=(const TOleForm&) = delete;

  // The form is going: freed now when nothing holds it, else at the last Release.
  void Detach();
  TCustomForm* GetForm() const { return FForm; }
  // The object that SetActiveObject named (held); nullptr when none.
  IOleInPlaceActiveObject* GetActiveObject() const { return FActiveObject; }
  // The shared menu the object set; nullptr when the form shows its own.
  HMENU GetSharedMenu() const { return FSharedMenu; }
  ULONG GetRefCount() const { return FRefCount; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
  // IOleInPlaceUIWindow
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) override;
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
  // IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU oleMenu, HWND activeObject) override;
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) override;
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, WORD id) override;

 private:
  virtual ~TOleForm();
  HWND FormWindow() const;

  ULONG FRefCount = 0;
  TCustomForm* FForm;                               // not owned; nullptr once detached
  IOleInPlaceActiveObject* FActiveObject = nullptr;  // held while set
  HMENU FSharedMenu = nullptr;                      // the object's shared menu on the form
};
