// The OLE side of the rich-text edit: the callback's interface table and storage, its life
// beyond the control, and documents holding embedded objects.
#include <gtest/gtest.h>

#include "RichEditTestSupport.h"

namespace rich_tests {
namespace {

class RichOleTest : public DBWindowTest {};

TEST_F(RichOleTest, CallbackAnswersItsInterfacesOnly) {
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(0, 0, 200, 100));
  IRichEditOleCallback* callback = edit->GetOleCallback();
  void* object = nullptr;
  EXPECT_EQ(callback->QueryInterface(IID_IRichEditOleCallback, &object), S_OK);
  EXPECT_EQ(object, static_cast<void*>(callback));
  callback->Release();
  EXPECT_EQ(callback->QueryInterface(IID_IUnknown, &object), S_OK);
  callback->Release();
  EXPECT_EQ(callback->QueryInterface(IID_IOleObject, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(callback->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  // What the container leaves to the window.
  LPOLEINPLACEFRAME frame = reinterpret_cast<LPOLEINPLACEFRAME>(1);
  LPOLEINPLACEUIWINDOW doc = reinterpret_cast<LPOLEINPLACEUIWINDOW>(1);
  EXPECT_EQ(callback->GetInPlaceContext(&frame, &doc, nullptr), E_NOTIMPL);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(doc, nullptr);
  EXPECT_EQ(callback->QueryInsertObject(nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(callback->GetContextMenu(0, nullptr, nullptr, nullptr), E_NOTIMPL);
  LPDATAOBJECT data = reinterpret_cast<LPDATAOBJECT>(1);
  EXPECT_EQ(callback->GetClipboardData(nullptr, 0, &data), E_NOTIMPL);
  EXPECT_EQ(data, nullptr);
}

TEST_F(RichOleTest, NewStorageIsAWritableCompoundFile) {
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(0, 0, 200, 100));
  IStorage* storage = nullptr;
  ASSERT_EQ(edit->GetOleCallback()->GetNewStorage(&storage), S_OK);
  ASSERT_NE(storage, nullptr);
  IStream* stream = nullptr;
  ASSERT_EQ(storage->CreateStream(L"Contents", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                  0, 0, &stream),
            S_OK);
  ULONG written = 0;
  EXPECT_EQ(stream->Write("abc", 3, &written), S_OK);
  EXPECT_EQ(written, 3u);
  stream->Release();
  STATSTG stat{};
  EXPECT_EQ(storage->Stat(&stat, STATFLAG_NONAME), S_OK);
  // The storage alone keeps its bytes: this is the last reference.
  EXPECT_EQ(storage->Release(), 0u);
  EXPECT_EQ(edit->GetOleCallback()->GetNewStorage(nullptr), E_INVALIDARG);
}

TEST_F(RichOleTest, CallbackOutlivesTheControlWhileHeld) {
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(0, 0, 200, 100));
  edit->HandleNeeded();
  IRichEditOleCallback* callback = edit->GetOleCallback();
  callback->AddRef();
  edit->Free();
  // Still usable: the last Release frees it.
  void* object = nullptr;
  EXPECT_EQ(callback->QueryInterface(IID_IRichEditOleCallback, &object), S_OK);
  callback->Release();
  EXPECT_EQ(callback->Release(), 0u);
}

TEST_F(RichOleTest, EmbeddedObjectGroupLoadsAndClears) {
  ShowHost();
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(10, 10, 300, 200));
  edit->HandleNeeded();
  EXPECT_NE(edit->GetRichEditOle(), nullptr);
  const std::string rtf =
      "{\\rtf1\\ansi before {\\object\\objemb\\objw1000\\objh500{\\*\\objclass Paint.Picture}"
      "{\\*\\objdata 01050000020000000e0000005061696e742e50696374757265000000000000000000"
      "0400000000000000}{\\result {\\pict\\wmetafile8\\picw100\\pich100 0100090000}}} after\\par}";
  LoadRich(edit, rtf);
  const String text = edit->GetLines()->GetText();
  EXPECT_EQ(text.substr(0, 6), L"before");
  EXPECT_NE(text.find(L"after"), String::npos);
  edit->Clear();
  EXPECT_EQ(edit->GetTextLength(), 0);
  EXPECT_FALSE(edit->GetModified());
  // Objects not allowed: a new window without the callback, still loading the document.
  edit->SetAllowObjects(false);
  edit->HandleNeeded();
  EXPECT_EQ(edit->GetRichEditOle(), nullptr);
  LoadRich(edit, rtf);
  EXPECT_EQ(edit->GetLines()->GetText().substr(0, 6), L"before");
  edit->SetTitle(L"题干");
}

}  // namespace
}  // namespace rich_tests
