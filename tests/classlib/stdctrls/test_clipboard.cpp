// The clipboard: text in and out, sessions that nest and keep several formats together,
// pictures both ways, and the errors of a clipboard held by another thread or of data that
// is no picture.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "DialogTestSupport.h"
#include "classlib/classes/StringList.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Icon.h"
#include "classlib/stdctrls/Clipboard.h"
#include "tests/ErrorMessages.h"

using namespace dialog_tests;

namespace {

UINT TestFormat() {
  static const UINT format = ::RegisterClipboardFormatW(L"ExamPrep Test Data");
  return format;
}

class ClipboardTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(Clipboard()->GetOpenCount(), 0); }
};

TEST_F(ClipboardTest, TextGoesInAndComesOutAsUnicode) {
  TClipboard* clipboard = Clipboard();
  EXPECT_EQ(Clipboard(), clipboard);  // one instance
  clipboard->SetAsText(L"题库 law 第三条");
  EXPECT_TRUE(clipboard->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(clipboard->GetAsText(), L"题库 law 第三条");
  clipboard->SetAsText(L"");
  EXPECT_EQ(clipboard->GetAsText(), L"");
  clipboard->Clear();
  EXPECT_FALSE(clipboard->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(clipboard->GetAsText(), L"");
  EXPECT_EQ(clipboard->GetFormatCount(), 0);
}

TEST_F(ClipboardTest, ASessionNestsAndKeepsEveryFormatPutInIt) {
  TClipboard* clipboard = Clipboard();
  clipboard->Open();
  clipboard->Open();
  EXPECT_EQ(clipboard->GetOpenCount(), 2);
  clipboard->SetAsText(L"stem");
  const char data[] = "binary\0data";
  clipboard->SetBuffer(TestFormat(), data, sizeof(data));
  clipboard->Close();
  EXPECT_EQ(clipboard->GetOpenCount(), 1);
  clipboard->Close();
  clipboard->Close();  // unmatched: ignored
  EXPECT_EQ(clipboard->GetOpenCount(), 0);

  EXPECT_TRUE(clipboard->HasFormat(CF_UNICODETEXT));
  EXPECT_TRUE(clipboard->HasFormat(TestFormat()));
  bool listed = false;
  for (int i = 0; i < clipboard->GetFormatCount(); ++i)
    listed = listed || clipboard->GetFormats(i) == TestFormat();
  EXPECT_TRUE(listed);
  EXPECT_EQ(clipboard->GetFormats(-1), 0u);
  EXPECT_EQ(clipboard->GetFormats(1000), 0u);

  // Outside a session each put replaces what was there.
  clipboard->SetAsText(L"alone");
  EXPECT_FALSE(clipboard->HasFormat(TestFormat()));
}

TEST_F(ClipboardTest, ABitmapTravelsBothWays) {
  TBitmap bitmap;
  bitmap.SetSize(20, 10);
  bitmap.GetCanvas()->GetBrush()->SetColor(clRed);
  bitmap.GetCanvas()->FillRect(Rect(0, 0, 20, 10));
  bitmap.GetCanvas()->SetPixels(3, 4, clBlue);
  Clipboard()->Assign(&bitmap);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  // Into a picture and into a bitmap.
  TPicture picture;
  picture.Assign(Clipboard());
  auto* copy = dynamic_cast<TBitmap*>(picture.GetGraphic());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(TSize(copy->GetWidth(), copy->GetHeight()), TSize(20, 10));
  EXPECT_EQ(copy->GetCanvas()->GetPixels(0, 0), clRed);
  EXPECT_EQ(copy->GetCanvas()->GetPixels(3, 4), clBlue);
  TBitmap direct;
  direct.Assign(Clipboard());
  EXPECT_EQ(direct.GetCanvas()->GetPixels(3, 4), clBlue);

  // A picture holding a bitmap goes the same way.
  TPicture source;
  TBitmap small;
  small.SetSize(5, 6);
  source.SetBitmap(&small);
  Clipboard()->Assign(&source);
  direct.Assign(Clipboard());
  EXPECT_EQ(direct.GetHeight(), 6);
}

TEST_F(ClipboardTest, WhatIsNoPictureIsRefusedAndLeavesTheClipboardClosed) {
  Clipboard()->SetAsText(L"only text");
  TPicture picture;
  EXPECT_EQ(ErrorMessageOf<EInvalidGraphic>([&] { picture.Assign(Clipboard()); }, L"(no error)"),
            L"Unsupported clipboard format");
  EXPECT_EQ(Clipboard()->GetOpenCount(), 0);
  // Icons do not travel through the clipboard.
  TIcon icon;
  icon.SetHandle(::CopyIcon(::LoadIconW(nullptr, IDI_QUESTION)));
  EXPECT_THROW(Clipboard()->Assign(&icon), EInvalidGraphic);
  EXPECT_EQ(Clipboard()->GetOpenCount(), 0);
  // Nor does anything that is not a picture.
  TStringList list;
  EXPECT_THROW(Clipboard()->Assign(&list), EConvertError);
}

TEST_F(ClipboardTest, AClipboardHeldByAnotherThreadCannotBeOpened) {
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  std::thread holder([&] {
    if (::OpenClipboard(nullptr)) {
      held = true;
      for (int i = 0; i < 500 && !release; ++i) ::Sleep(10);
      ::CloseClipboard();
    }
    held = true;  // (also when it could not: the test then sees the clipboard open)
  });
  for (int i = 0; i < 500 && !held; ++i) ::Sleep(5);
  EXPECT_EQ(ErrorMessageOf<Exception>([] { Clipboard()->SetAsText(L"blocked"); }, L"(opened)"),
            L"Cannot open clipboard");
  EXPECT_EQ(Clipboard()->GetOpenCount(), 0);
  // A handle that could not be put is freed, not leaked (nothing to see but no crash).
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, 4);
  EXPECT_THROW(Clipboard()->SetAsHandle(TestFormat(), memory), Exception);
  release = true;
  holder.join();
  Clipboard()->SetAsText(L"free again");
  EXPECT_EQ(Clipboard()->GetAsText(), L"free again");
}

}  // namespace
