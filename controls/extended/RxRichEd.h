// The rich-text edit control over the system's Rich Edit window (TRxCustomRichEdit and
// TRxRichEdit), its lines and stream formats (TRichEditStrings, TConversion and the converter
// registry), its character and paragraph attributes (TRxTextAttributes, TRxParaAttributes)
// and its OLE callback (TRichEditOleCallback).
//
// The library is chosen once, at the first control: riched20 gives version 2 (3 on NT 5 or
// later) and the "RichEdit20W" class; riched32 alone gives version 1 and the "RICHEDIT"
// class. ChooseRichEditLibrary takes the loader as an argument, so that the version-1 path
// can be chosen in a test.
//
// Text goes in and out as streams. Plain text is code page 936 bytes: it is decoded and
// encoded here and handed to the window as UTF-16 (RxRichStream.h says how).
//
// Not done: the find and replace dialogs are only owned and handed to the two hooks.
#pragma once
#include <windows.h>
#include <richedit.h>
#include <richole.h>
#include <oledlg.h>

#include <functional>
#include <memory>
#include <optional>

#include "classlib/classes/StringList.h"
#include "classlib/stdctrls/Dialogs.h"
#include "classlib/forms/OleForm.h"
#include "classlib/stdctrls/Edits.h"
#include "RxRichStream.h"

class TRxCustomRichEdit;
class TPopupMenu;

// ---- The library -----------------------------------------------------------------------------------

// The Rich Edit generation in use: 1, 2 or 3. Set by the first control made (or by
// InitRichEditLibrary); read everywhere.
extern int RichEditVersion;

// Loads a library by name; nullptr when it cannot.
using TLibraryLoader = std::function<HMODULE(const wchar_t* name)>;
struct TRichEditLibrary {
  int Version = 1;           // 1, 2 or 3
  HMODULE Handle = nullptr;  // the library loaded; nullptr when neither could be
};
// riched20 (version 2, 3 on NT 5 or later), else riched32 (version 1). Pure apart from the
// loader and the system version.
TRichEditLibrary ChooseRichEditLibrary(const TLibraryLoader& load);
// Chooses the system's library once (later calls do nothing) and registers the clipboard
// formats. The library is freed when the program ends.
void InitRichEditLibrary();
// For tests: uses version (1, 2 or 3) for the controls made from now on.
void SetRichEditVersion(int version);
// The window sends WM_CONTEXTMENU itself on a right-button release (systems from NT 5 on);
// where it does not, the control sends it. Tests replace the answer (std::nullopt: the
// system's again).
bool RichEditSendsContextMenu();
void SetRichEditSendsContextMenu(std::optional<bool> value);

// The window class, the size of the character and paragraph format records, and the event
// mask for a version.
const wchar_t* RichEditClassName(int version);
UINT CharFormatSize(int version);
UINT ParaFormatSize(int version);
DWORD RichEditEventMask(int version);

// The clipboard formats registered by name.
UINT CF_EMBEDDEDOBJECT();
UINT CF_LINKSOURCE();
UINT CF_RTF_FORMAT();
UINT CF_RTFNOOBJS_FORMAT();

// ---- Types -------------------------------------------------------------------------------------------

enum TRichStreamFormat { sfDefault, sfRichText, sfPlainText };
enum TRichStreamMode { smSelection, smPlainRtf, smNoObjects, smUnicode };
using TRichStreamModes = TSet<TRichStreamMode>;
enum TRichLangOption { rlAutoKeyboard, rlAutoFont, rlImeCancelComplete, rlImeAlwaysSendNotify };
using TRichLangOptions = TSet<TRichLangOption>;
// The Rich Edit language option bits of a set (1, 2, 4, 8 in the order above).
DWORD LangOptionBits(TRichLangOptions options);
TRichLangOptions LangOptionsOf(DWORD bits);
// The page to print in twips: pageRect (printer pixels) when it is not empty, else the whole
// page of pageWidth x pageHeight pixels; pixelsX and pixelsY are the printer's pixels per inch.
RECT PrintPageTwips(const TRect& pageRect, int pageWidth, int pageHeight, int pixelsX, int pixelsY);

using TRichEditResizeEvent = std::function<void(TObject* sender, const TRect& rect)>;
using TRichEditProtectChange =
    std::function<void(TObject* sender, int startPos, int endPos, bool& allowChange)>;
using TRichEditProtectChangeEx = std::function<void(TObject* sender, const TMessage& message,
                                                    int startPos, int endPos, bool& allowChange)>;
using TRichEditSaveClipboard =
    std::function<void(TObject* sender, int numObjects, int numChars, bool& saveClipboard)>;
using TRichEditURLClickEvent =
    std::function<void(TObject* sender, const String& urlText, TMouseButton button)>;
using TRichEditFindErrorEvent = std::function<void(TObject* sender, const String& findText)>;
using TRichEditFindCloseEvent = std::function<void(TObject* sender, TFindDialog* dialog)>;

// ---- Converters ----------------------------------------------------------------------------------------

// Moves the bytes of a stream to and from the window. The base class reads and writes the
// stream directly; a descendant may translate another file format.
class TConversion : public TObject {
  CLASSLIB_CLASS(TConversion, TObject)
  TConversion() = default;
  // Places at most bufSize bytes in buffer; returns the count.
  virtual int ConvertReadStream(TStream& stream, char* buffer, int bufSize);
  // Takes at most bufSize bytes from buffer; returns the count taken.
  virtual int ConvertWriteStream(TStream& stream, const char* buffer, int bufSize);
};
using TConversionClass = std::function<std::unique_ptr<TConversion>()>;

// Adds a converter for a file extension (without the dot, any case); plainText: the files
// are plain text. Searched in the order of registration; "txt" and "rtf" come first.
void RegisterConversionFormat(const String& extension, bool plainText, TConversionClass create);
// The entry for an extension: true when found.
bool FindConversionFormat(const String& extension, bool& plainText, TConversionClass& create);

// ---- TRichEditStrings -------------------------------------------------------------------------------

// The lines of a rich-text edit: no storage of its own, the window's lines through messages,
// and the whole content as an RTF or plain-text stream.
class TRichEditStrings : public TStrings {
  CLASSLIB_CLASS(TRichEditStrings, TStrings)
  explicit TRichEditStrings(TRxCustomRichEdit* richEdit) : FRichEdit(richEdit) {}
  ~TRichEditStrings() override;

  int GetCount() const override;
  String Get(int index) const override;
  void Put(int index, const String& s) override;
  void Insert(int index, const String& s) override;
  void Delete(int index) override;
  void Clear() override;
  void AddStrings(TStrings* strings) override;

  // The whole content as bytes of the format in force (the encoding is not used: plain text
  // is code page 936 unless the mode has smUnicode). Loading tries the format, then the other
  // one; EOutOfResources "Failed to Load Stream" / "Failed to Save Stream". Bytes that open
  // an RTF document are not tried as text: cut short or damaged, the window keeps what it
  // read of them (LoadDamaged; RaiseOnDamage makes that a load failure too).
  void LoadFromStream(TStream& stream, TTextEncoding encoding = teAnsi936) override;
  void SaveToStream(TStream& stream, TTextEncoding encoding = teAnsi936) const override;
  // The converter and format of the file's extension (txt: plain, rtf: rich; others: the
  // format in force).
  void LoadFromFile(const String& fileName, TTextEncoding encoding = teAnsi936) override;
  void SaveToFile(const String& fileName, TTextEncoding encoding = teAnsi936) const override;

  TRichStreamFormat GetFormat() const { return FFormat; }
  void SetFormat(TRichStreamFormat value) { FFormat = value; }
  TRichStreamModes GetMode() const { return FMode; }
  void SetMode(TRichStreamModes value) { FMode = value; }
  // The last load met an RTF document it could not read to its end (cut short, damaged or
  // beyond the reader's limits); the window holds the part read before the damage.
  bool GetLoadDamaged() const { return FLoadDamaged; }
  // A caller that must not take a part for the whole asks for damage to raise
  // EOutOfResources "Failed to Load Stream" (the part read stays in the window).
  bool GetRaiseOnDamage() const { return FRaiseOnDamage; }
  void SetRaiseOnDamage(bool value) { FRaiseOnDamage = value; }

 protected:
  void SetTextStr(const String& value) override;
  void SetUpdateState(bool updating) override;

 private:
  // The EM_STREAMIN flags and the reader's kind for a format.
  bool IsPlain(TRichStreamFormat format) const;
  // The window exists (made now when the control has a parent).
  bool HasWindow() const;
  int LineIndex(int line) const;
  int LineLength(int offset) const;
  void ReplaceRange(int start, int end, const String& text) const;
  // One EM_STREAMIN; true when the window reported no error. rtfStarted: the bytes were
  // read as rich text and opened an RTF document.
  bool StreamIn(TStream& stream, TConversion& converter, bool plain, bool modifiers,
                bool& rtfStarted) const;

  TRxCustomRichEdit* FRichEdit;                // owns this object
  TRichStreamFormat FFormat = sfDefault;
  TRichStreamModes FMode;
  mutable std::unique_ptr<TConversion> FConverter;  // set by the file operations; may be null
  bool FLoadDamaged = false;   // the last load kept part of a damaged RTF document
  bool FRaiseOnDamage = false; // such a load raises as a failed one does
};

// ---- Attributes -------------------------------------------------------------------------------------

enum TAttributeType { atDefaultText, atSelected, atWord };
// A paragraph's numbering: the values are the window's (PFN_BULLET 1 ... PFN_UCROMAN 6).
enum TRxNumbering {
  nsNone, nsBullet, nsArabicNumbers, nsLoCaseLetter, nsUpCaseLetter, nsLoCaseRoman, nsUpCaseRoman
};
enum TParaAlignment { paLeftJustify, paRightJustify, paCentered, paJustify };

// The character format of the default text, the selection or the selected word. Holds
// nothing of its own: every read asks the window, every write sends a record.
class TRxTextAttributes : public TPersistent {
  CLASSLIB_CLASS(TRxTextAttributes, TPersistent)
  TRxTextAttributes(TRxCustomRichEdit* richEdit, TAttributeType kind)
      : FRichEdit(richEdit), FType(kind) {}

  TFontCharset GetCharset();
  void SetCharset(TFontCharset value);
  // clWindowText for the automatic colour; clWindowText or clDefault set it.
  TColor GetColor();
  void SetColor(TColor value);
  // At most 31 characters (the record's 32 with the terminator).
  String GetName();
  void SetName(const String& value);
  TFontStyles GetStyle();
  void SetStyle(TFontStyles value);
  int GetSize();  // points
  void SetSize(int value);
  TFontPitch GetPitch();
  void SetPitch(TFontPitch value);

  // From a TFont (its size in points, also for a font given by height), another
  // TRxTextAttributes (its whole record) or the class library's TTextAttributes (name,
  // charset, style, pitch, colour).
  void Assign(TPersistent* source) override;

 protected:
  // To a TFont: colour, name, charset, style, size, pitch. To a TTextAttributes: the same
  // but the size.
  void AssignTo(TPersistent* dest) override;

 private:
  CHARFORMAT2W Read();
  void Write(CHARFORMAT2W& format);
  CHARFORMAT2W Blank() const;

  TRxCustomRichEdit* FRichEdit;  // the owner; not owned
  TAttributeType FType;
};

// The paragraph format of the selection.
class TRxParaAttributes : public TPersistent {
  CLASSLIB_CLASS(TRxParaAttributes, TPersistent)
  explicit TRxParaAttributes(TRxCustomRichEdit* richEdit) : FRichEdit(richEdit) {}

  TParaAlignment GetAlignment();
  void SetAlignment(TParaAlignment value);
  int GetFirstIndent();  // points
  void SetFirstIndent(int value);
  int GetLeftIndent();
  void SetLeftIndent(int value);
  int GetRightIndent();
  void SetRightIndent(int value);
  TRxNumbering GetNumbering();
  void SetNumbering(TRxNumbering value);
  // Tab stop index (0..31, points); ERangeError outside. Setting stop i makes at least
  // i + 1 stops.
  int GetTab(int index);
  void SetTab(int index, int value);
  int GetTabCount();

  // From another TRxParaAttributes (its whole record) or the class library's
  // TParaAttributes (alignment, indents, bullet or none, its tab stops).
  void Assign(TPersistent* source) override;

 protected:
  // To a TParaAttributes: the same, a justified paragraph as left-justified and any
  // numbering as a bullet.
  void AssignTo(TPersistent* dest) override;

 private:
  PARAFORMAT2 Read();
  void Write(PARAFORMAT2& format);
  PARAFORMAT2 Blank() const;

  TRxCustomRichEdit* FRichEdit;  // the owner; not owned
};

// ---- OLE callback ----------------------------------------------------------------------------------------

// What the window calls for embedded objects: storage for a new object, the in-place frame
// and document window (the parent form's OLE form object), the container's menu and border
// when an object takes them over and gives them back. Counts references only; the control
// frees it once both its window is gone and the count is 0 (the window may hold it a little
// after its destruction).
class TRichEditOleCallback : public IRichEditOleCallback {
 public:
  explicit TRichEditOleCallback(TRxCustomRichEdit* richEdit) : FRichEdit(richEdit) {}
  TRichEditOleCallback(const TRichEditOleCallback&) = delete;
  TRichEditOleCallback& operator=(const TRichEditOleCallback&) = delete;

  // The control is done with it: freed now when nothing holds it, else at the last Release.
  void Detach();
  ULONG GetRefCount() const { return FRefCount; }
  // The frame and document window held while an object is active in place (not counted for
  // the caller); nullptr when none.
  IOleInPlaceFrame* GetFrame() const { return FFrame; }
  IOleInPlaceUIWindow* GetDocForm() const { return FDocForm; }
  // Takes the menu and border space back from the frame (the document window was left).
  void ClearFrameUI();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE* storage) override;
  HRESULT STDMETHODCALLTYPE GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* doc,
                                              LPOLEINPLACEFRAMEINFO frameInfo) override;
  HRESULT STDMETHODCALLTYPE ShowContainerUI(BOOL show) override;
  HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID clsid, LPSTORAGE storage, LONG cp) override;
  HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT object) override;
  HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT* format, DWORD reco,
                                            BOOL really, HGLOBAL metaPict) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE* range, DWORD reco,
                                             LPDATAOBJECT* data) override;
  HRESULT STDMETHODCALLTYPE GetDragDropEffect(BOOL drag, DWORD keyState, LPDWORD effect) override;
  HRESULT STDMETHODCALLTYPE GetContextMenu(WORD selType, LPOLEOBJECT object, CHARRANGE* range,
                                           HMENU* menu) override;

 private:
  virtual ~TRichEditOleCallback();
  // Gets the frame and document window from the form, when there are none yet.
  void AssignFrame();
  void ReleaseFrame();
  void CreateAccelTable();
  void DestroyAccelTable();

  IOleInPlaceFrame* FFrame = nullptr;        // the form's (or main form's) frame; held
  IOleInPlaceUIWindow* FDocForm = nullptr;   // the control's form; held
  HACCEL FAccelTable = nullptr;              // the form menu's groups 0, 2, 4; owned
  int FAccelCount = 0;
  bool FSaveAutoScroll = false;              // the form's AutoScroll while an object is active
  ULONG FRefCount = 0;
  bool FDetached = false;         // the control let go of it
  TRxCustomRichEdit* FRichEdit;   // not owned; nullptr once detached
};

// ---- Object properties dialog ------------------------------------------------------------------------

// The system's object properties dialog (OleUIObjectPropertiesA of the OLE dialog library):
// replaceable so that tests see its arguments, and answered OLEUI_FALSE where the library or
// the entry is missing. Returns OLEUI_OK when the user pressed OK.
using TObjectPropertiesCall = std::function<UINT(OLEUIOBJECTPROPSA& properties)>;
void SetObjectPropertiesCall(TObjectPropertiesCall call);  // empty: the system's again
// The message boxes of the OLE dialogs' information objects: replaceable as well.
using TOleMessageBoxCall =
    std::function<int(HWND owner, const String& text, const String& caption, UINT flags)>;
void SetOleMessageBoxCall(TOleMessageBoxCall call);

// What the properties dialog asks of the selected object: its type names, its document,
// its class and its view (IOleUIObjInfoA). Counted; the last Release frees it.
class TOleUIObjInfo : public IOleUIObjInfoA {
 public:
  TOleUIObjInfo(TRxCustomRichEdit* richEdit, const REOBJECT& object);
  TOleUIObjInfo(const TOleUIObjInfo&) = delete;
  TOleUIObjInfo& operator=(const TOleUIObjInfo&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetObjectInfo(DWORD object, DWORD* size, LPSTR* label, LPSTR* type,
                                          LPSTR* shortType, LPSTR* location) override;
  HRESULT STDMETHODCALLTYPE GetConvertInfo(DWORD object, CLSID* classId, WORD* format,
                                           CLSID* convertDefault, LPCLSID* exclude,
                                           UINT* excludeCount) override;
  HRESULT STDMETHODCALLTYPE ConvertObject(DWORD object, REFCLSID newClass) override;
  HRESULT STDMETHODCALLTYPE GetViewInfo(DWORD object, HGLOBAL* metaPict, DWORD* aspect,
                                        int* currentScale) override;
  HRESULT STDMETHODCALLTYPE SetViewInfo(DWORD object, HGLOBAL metaPict, DWORD aspect,
                                        int currentScale, BOOL relativeToOrig) override;

 protected:
  virtual ~TOleUIObjInfo();
  ULONG FRefCount = 1;            // the maker's reference
  TRxCustomRichEdit* FRichEdit;   // not owned
  REOBJECT FObject;               // the selected object; its interfaces held
};

// The selected object's link (IOleUILinkInfoA) for the dialog's link page: the one link,
// its source and update options. Counted; the last Release frees it.
class TOleUILinkInfo : public IOleUILinkInfoA {
 public:
  TOleUILinkInfo(TRxCustomRichEdit* richEdit, const REOBJECT& object, IOleLink* link);
  TOleUILinkInfo(const TOleUILinkInfo&) = delete;
  TOleUILinkInfo& operator=(const TOleUILinkInfo&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  DWORD STDMETHODCALLTYPE GetNextLink(DWORD link) override;
  HRESULT STDMETHODCALLTYPE SetLinkUpdateOptions(DWORD link, DWORD updateOptions) override;
  HRESULT STDMETHODCALLTYPE GetLinkUpdateOptions(DWORD link, DWORD* updateOptions) override;
  HRESULT STDMETHODCALLTYPE SetLinkSource(DWORD link, LPSTR displayName, ULONG fileNameLength,
                                          ULONG* eaten, BOOL validate) override;
  HRESULT STDMETHODCALLTYPE GetLinkSource(DWORD link, LPSTR* displayName, ULONG* fileNameLength,
                                          LPSTR* fullLinkType, LPSTR* shortLinkType,
                                          BOOL* sourceAvailable, BOOL* isSelected) override;
  HRESULT STDMETHODCALLTYPE OpenLinkSource(DWORD link) override;
  HRESULT STDMETHODCALLTYPE UpdateLink(DWORD link, BOOL errorMessage, BOOL reserved) override;
  HRESULT STDMETHODCALLTYPE CancelLink(DWORD link) override;
  HRESULT STDMETHODCALLTYPE GetLastUpdate(DWORD link, FILETIME* lastUpdate) override;

 private:
  virtual ~TOleUILinkInfo();
  ULONG FRefCount = 1;            // the maker's reference
  TRxCustomRichEdit* FRichEdit;   // not owned
  REOBJECT FObject;               // the linked object; its interfaces held
  IOleLink* FOleLink;             // held
};

// ---- TRxCustomRichEdit ---------------------------------------------------------------------------------

class TRxCustomRichEdit : public TCustomMemo {
  CLASSLIB_CLASS(TRxCustomRichEdit, TCustomMemo)
  static const TPropertyTable* PublishedProperties();
  explicit TRxCustomRichEdit(TComponent* owner);
  ~TRxCustomRichEdit() override;

  // ---- Attributes -----------------------------------------------------------------------------
  // The next three make the window again when changed.
  bool GetHideScrollBars() const { return FHideScrollBars; }
  void SetHideScrollBars(bool value);
  bool GetSelectionBar() const { return FSelectionBar; }
  void SetSelectionBar(bool value);
  bool GetAllowObjects() const { return FAllowObjects; }
  void SetAllowObjects(bool value);
  bool GetAutoURLDetect();
  void SetAutoURLDetect(bool value);
  bool GetWordSelection();
  void SetWordSelection(bool value);
  bool GetPlainText() const { return FPlainText; }
  // Keeps the text, in the other text mode.
  virtual void SetPlainText(bool value);
  bool GetHideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  TRichLangOptions GetLangOptions();
  void SetLangOptions(TRichLangOptions value);
  int GetUndoLimit() const { return FUndoLimit; }
  void SetUndoLimit(int value);
  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& value);
  bool GetAutoVerbMenu() const { return FAutoVerbMenu; }
  void SetAutoVerbMenu(bool value) { FAutoVerbMenu = value; }
  bool GetAllowInPlace() const { return FAllowInPlace; }
  void SetAllowInPlace(bool value) { FAllowInPlace = value; }
  TRichStreamFormat GetStreamFormat() const { return FRichLines->GetFormat(); }
  void SetStreamFormat(TRichStreamFormat value) { FRichLines->SetFormat(value); }
  TRichStreamModes GetStreamMode() const { return FRichLines->GetMode(); }
  void SetStreamMode(TRichStreamModes value) { FRichLines->SetMode(value); }
  // Makes the converter of a stream operation when Lines has none of its own (from a file
  // operation); empty: TConversion.
  const TConversionClass& GetDefaultConverter() const { return FDefaultConverter; }
  void SetDefaultConverter(TConversionClass value) { FDefaultConverter = std::move(value); }
  // The print area in printer pixels; empty: the whole page.
  const TRect& GetPageRect() const { return FPageRect; }
  void SetPageRect(const TRect& value) { FPageRect = value; }

  TRxTextAttributes* GetSelAttributes() const { return FSelAttributes.get(); }
  TRxTextAttributes* GetDefAttributes() const { return FDefAttributes.get(); }
  TRxTextAttributes* GetWordAttributes() const { return FWordAttributes.get(); }
  TRxParaAttributes* GetParagraph() const { return FParagraph.get(); }
  TRichEditStrings* GetRichLines() const { return FRichLines; }
  // The OLE interface of the window (not counted for the caller); nullptr without objects.
  IRichEditOle* GetRichEditOle() const { return FRichEditOle; }
  TRichEditOleCallback* GetOleCallback() const { return FCallback; }

  // ---- Embedded objects ------------------------------------------------------------------------
  // With AutoVerbMenu and one object selected (not active in place): a menu of the object's
  // verbs with "<type> Properties" at its top, or the control's own popup menu with those
  // appended (the verbs as a sub-menu); otherwise the control's own popup menu. The menu made
  // here lives until the next call.
  TPopupMenu* GetPopupMenu() const override;
  // The object properties dialog for the one selected object (not active in place); true
  // when the user pressed OK.
  bool ObjectPropertiesDialog();
  // The selected object when the selection is exactly one object: its record, with the
  // object's IOleObject held (the caller releases it); false otherwise.
  bool GetSelectedObject(REOBJECT& object) const;
  // Runs a verb of the selected object in the control's window (EOleError when it fails).
  void DoObjectVerb(LONG verb);
  // The object active in place takes (true) or gives back (false) the form's attention.
  void SetUIActive(bool active);

  // ---- Selection and text --------------------------------------------------------------------
  int GetSelStart() override;
  void SetSelStart(int value) override;
  // Selection end minus start, the end counted at most to the text's end (so that select-all
  // gives the text's length, 0 for an empty text).
  int GetSelLength() override;
  void SetSelLength(int value) override;
  String GetSelText() override;
  int GetSelTextBuf(wchar_t* buffer, int bufSize) override;
  // The characters [start, end); an end before the start or -1 means the text's end.
  String GetTextRange(int start, int end);
  // The text's length in the window's characters (a paragraph break counts 1).
  int GetTextLength();
  // Line and column of the selection's end.
  TPoint GetCaretPos();
  void SetMaxLength(int value) override;
  // Closes the embedded objects, empties the text, clears Modified.
  void Clear() override;
  void SetLines(TStrings* value) { FRichLines->Assign(value); }

  // ---- Printing --------------------------------------------------------------------------------
  // Prints the text on the system printer as a document named caption.
  virtual void Print(const String& caption);
  // Renders the text on dc page by page: pageTwips is the page in twips, newPage starts the
  // next page. Stops at the text's end, or when a page takes no more text. Returns the pages.
  int PrintOnDevice(HDC dc, const RECT& pageTwips, const std::function<void()>& newPage);

  // ---- Events ------------------------------------------------------------------------------------
  TNotifyEvent OnSelectionChange;
  TRichEditResizeEvent OnResizeRequest;
  TRichEditProtectChange OnProtectChange;
  TRichEditProtectChangeEx OnProtectChangeEx;
  TRichEditSaveClipboard OnSaveClipboard;
  TRichEditURLClickEvent OnURLClick;
  TRichEditFindErrorEvent OnTextNotFound;
  TRichEditFindCloseEvent OnCloseFindDialog;

  void Dispatch(TMessage& message) override;

 protected:
  friend class TRichEditStrings;
  friend class TRichEditOleCallback;

  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandle(const TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;

  virtual void TextNotFound(TFindDialog* dialog);
  virtual void RequestSize(const TRect& rect);
  virtual void CloseFindDialog(TFindDialog* dialog);
  virtual void SelectionChange();
  virtual bool ProtectChange(const TMessage& message, int startPos, int endPos);
  virtual bool SaveClipboard(int numObjects, int numChars);
  virtual void URLClick(const String& urlText, TMouseButton button);

  // Sets EM_SETTEXTMODE for plain or rich text.
  void SetTextMode(bool plain);
  // Closes every embedded object, last to first.
  void CloseObjects();
  void UpdateHostNames();
  // Sets the range (start, end), scrolling the caret into view when asked.
  void SetSelection(int start, int end, bool scrollCaret);
  CHARRANGE GetSelection();
  bool LinesUpdating() const { return FLinesUpdating; }

 private:
  void CNNotify(TMessage& message);
  void CMBiDiModeChanged(TMessage& message) override;
  void CMDocWindowActivate(TMessage& message);
  // Version 1: the right edge erased too, and no paint inside a paint.
  void WMPaint(TMessage& message) override;
  // Sends WM_CONTEXTMENU where the window does not.
  void WMRButtonUp(TMessage& message) override;
  // Replaces the selection undoably and selects the replacement (not while Lines updates).
  void EMReplaceSel(TMessage& message);
  void LinkNotify(const ENLINK& link);
  void ApplyWordSelection();
  void ApplyLangOptions();

  // ---- State (in the order a reader meets it) ----
  bool FHideScrollBars = true;       // ES_DISABLENOSCROLL when false
  bool FSelectionBar = true;         // ES_SELECTIONBAR
  bool FAutoURLDetect = true;        // links shown and reported
  bool FWordSelection = true;        // ECO_AUTOWORDSELECTION
  bool FPlainText = false;           // the window is in plain-text mode
  std::unique_ptr<TRxTextAttributes> FSelAttributes;   // of the selection
  std::unique_ptr<TRxTextAttributes> FDefAttributes;   // of the default text
  std::unique_ptr<TRxTextAttributes> FWordAttributes;  // of the selected word
  std::unique_ptr<TRxParaAttributes> FParagraph;       // of the selection's paragraphs
  int FScreenLogPixels = 96;         // the screen's vertical pixels per inch
  int FUndoLimit = 100;
  TRichEditStrings* FRichLines;      // the Lines object; owned by the memo
  std::unique_ptr<TMemoryStream> FMemStream;  // the content while the window is absent
  bool FHideSelection = true;
  TRichLangOptions FLangOptions{rlAutoFont};
  bool FModified = false;            // Modified kept across a re-creation
  bool FLinesUpdating = false;       // Lines replaces text (no selection fix-up)
  TRect FPageRect;                   // print area in printer pixels
  CHARRANGE FClickRange{-1, -1};     // the link of the last button press
  TMouseButton FClickBtn = mbLeft;   // the button of that press
  std::unique_ptr<TFindDialog> FFindDialog;
  std::unique_ptr<TFindDialog> FReplaceDialog;
  bool FAllowObjects = true;
  TRichEditOleCallback* FCallback;   // counted; freed through Detach
  IRichEditOle* FRichEditOle = nullptr;  // the window's, held while the window lives
  String FTitle;                     // the OLE host document's title
  bool FAutoVerbMenu = true;
  bool FAllowInPlace = true;
  TConversionClass FDefaultConverter;  // makes stream converters; empty: TConversion
  mutable TPopupMenu* FPopupVerbMenu = nullptr;  // the last verb menu; owned (freed by the next)
};


class TRxRichEdit : public TRxCustomRichEdit {
  CLASSLIB_CLASS(TRxRichEdit, TRxCustomRichEdit)
  explicit TRxRichEdit(TComponent* owner) : TRxCustomRichEdit(owner) {}
};

// Registers TRxRichEdit and TRxDBRichEdit for stored layouts.
void RegisterRichEditClasses();
