// The message dialog: buttons, width, icon page and captions for every mode and kind, the
// result of every button and of a close by the system in the real window, a second
// question while one is open, the responder; and the wait box.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/Ucommon.h"
#include "app/Udlg.h"
#include "app/Uprogress.h"
#include "tests/ApplicationTestSupport.h"

namespace {

class MessageDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterLayoutClasses();
    FrmDlg = TCustomForm::Create<TFrmDlg>(nullptr);
  }
  void TearDown() override { delete std::exchange(FrmDlg, nullptr); }
  // The visible buttons as "1" "2" "3" in the order 1, 2, 3, with their captions.
  static String Buttons() {
    String shown;
    for (TfcShapeBtn* button : {FrmDlg->fcShapeBtn1, FrmDlg->fcShapeBtn2, FrmDlg->fcShapeBtn3})
      if (button->GetVisible()) shown += IntToStr(button->GetModalResult()) + button->GetCaption() + L" ";
    return shown;
  }
  // Shows the dialog through ShowDlg and works it with the step; the result.
  static int Ask(int mode, const String& kind, const std::function<void(HWND)>& answer) {
    TModalDriver driver({[&] {
      HWND window = FindOwnWindow(L"标题");
      if (!window) return false;
      answer(window);
      return true;
    }});
    const int result = ShowDlg(L"标题", L"要保存吗？", mode, 0, kind);
    EXPECT_TRUE(driver.Done());
    return result;
  }
};

TEST_F(MessageDialog, ButtonsWidthIconAndCaptionsByModeAndKind) {
  const int design = FrmDlg->GetDesignWidth();
  EXPECT_EQ(399, FrmDlg->GetClientWidth());
  struct {
    int Mode;
    const wchar_t* Kind;
    const wchar_t* Buttons;
    bool Narrow;
  } const cases[] = {
      {0, L"NO", L"1确定 2取消 ", false},        {1, L"NO", L"3确定 ", false},
      {2, L"NO", L"1确定 2取消 3确定 ", false},  {3, L"NO", L"1确定 ", true},
      {0, L"Exam", L"1确定 2作废 ", false},      {2, L"Exam", L"1确定 2作废 3取消 ", false},
      {2, L"exam", L"1确定 2取消 3确定 ", false}, {0, L"", L"1确定 2取消 ", false},
  };
  for (const auto& c : cases) {
    FrmDlg->Prepare(L"提示", L"正文", c.Mode, 1, c.Kind);
    EXPECT_EQ(c.Buttons, Buttons()) << c.Mode << " " << StringToUtf8(c.Kind);
    EXPECT_EQ(c.Narrow ? 200 : design, FrmDlg->GetWidth()) << c.Mode;
    EXPECT_EQ(FrmDlg->GetClientWidth() - 13, FrmDlg->fcLabel1->GetLeft() + FrmDlg->fcLabel1->GetWidth())
        << "the text ends 13 pixels before the right edge";
  }
  FrmDlg->Prepare(L"提示", L"正文", 1, 0, L"NO");
  FrmDlg->Prepare(L"提示", L"正文", 7, 0, L"NO");
  EXPECT_EQ(L"3确定 ", Buttons()) << "another mode keeps the last call's buttons";

  for (int page = 0; page < 3; ++page) {
    FrmDlg->Prepare(L"警告", L"正文", 1, page, L"NO");
    EXPECT_EQ(page, FrmDlg->epNoteBook1->GetPageIndex());
  }
  EXPECT_EQ(L"警告", FrmDlg->GetCaption());
  EXPECT_EQ(L"警告", FrmDlg->Label1->GetCaption());
  EXPECT_EQ(L"正文", FrmDlg->fcLabel1->GetCaption());
  FrmDlg->Prepare(L"提示", L"正文", 1, 0, L"Exam");
  EXPECT_EQ(3, FrmDlg->GetSystemCloseResult());
  FrmDlg->Prepare(L"提示", L"正文", 1, 0, L"NO");
  EXPECT_EQ(2, FrmDlg->GetSystemCloseResult());
}

TEST_F(MessageDialog, EachButtonReturnsItsResult) {
  auto press = [](TfcShapeBtn* const TFrmDlg::*button) {
    return [button](HWND) { ClickButton((FrmDlg->*button)->GetHandle()); };
  };
  EXPECT_EQ(1, Ask(0, L"NO", press(&TFrmDlg::fcShapeBtn1)));
  EXPECT_EQ(2, Ask(0, L"NO", press(&TFrmDlg::fcShapeBtn2)));
  EXPECT_EQ(3, Ask(1, L"NO", press(&TFrmDlg::fcShapeBtn3)));
  EXPECT_EQ(3, Ask(2, L"Exam", press(&TFrmDlg::fcShapeBtn3)));
  EXPECT_EQ(1, Ask(3, L"NO", [](HWND window) {
    EXPECT_EQ(0, ::GetWindowLongW(window, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) << "the narrow box scrolls nothing";
    ClickButton(FrmDlg->fcShapeBtn1->GetHandle());
  }));
  EXPECT_EQ(2, Ask(2, L"Exam", press(&TFrmDlg::fcShapeBtn2))) << "作废";
}

TEST_F(MessageDialog, ButtonsAreCutToTheirRoundedShape) {
  EXPECT_EQ(1, Ask(2, L"NO", [](HWND) {
    HWND button = FrmDlg->fcShapeBtn1->GetHandle();
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_NE(ERROR, ::GetWindowRgn(button, region.get())) << "cut to its shape";
    EXPECT_FALSE(::PtInRegion(region.get(), 0, 0)) << "a rounded corner";
    EXPECT_TRUE(::PtInRegion(region.get(), 36, 12));
    // 取消 pressed and released away from it: nothing is chosen; then 确定 is clicked.
    HWND cancel = FrmDlg->fcShapeBtn2->GetHandle();
    ::PostMessageW(cancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(36, 12));
    ::PostMessageW(cancel, WM_LBUTTONUP, 0, MAKELPARAM(-100, 12));
    ClickButton(button);
  }));
}

TEST_F(MessageDialog, KeysMoveBetweenTheShownButtonsAndPressTheFocusedOne) {
  struct {
    int Mode;
    const wchar_t* Kind;
    std::vector<WORD> Keys;
    int Result;
  } const cases[] = {
      {0, L"NO", {VK_RETURN}, 1},                     // the first button has the focus
      {1, L"NO", {VK_SPACE}, 3},                      // the only one shown
      {0, L"NO", {VK_TAB, VK_RETURN}, 2},             // 确定 → 取消
      {2, L"NO", {VK_TAB, VK_TAB, VK_SPACE}, 2},      // left to right: 1, 3, 2
      {2, L"Exam", {VK_TAB, VK_RETURN}, 3},           // 取消, not 作废
      {2, L"Exam", {VK_TAB, VK_TAB, VK_TAB, VK_RETURN}, 1},  // round again
      {3, L"NO", {VK_TAB, VK_RETURN}, 1},             // one button: Tab stays on it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Mode << " " << StringToUtf8(c.Kind) << " " << c.Keys.size());
    size_t next = 0;
    TModalDriver driver({[&] {
      if (!FindOwnWindow(L"标题") || !::GetFocus()) return false;
      // One key at a time, each after the last was handled.
      if (next < c.Keys.size()) EXPECT_TRUE(PostKey(c.Keys[next++]));
      return next >= c.Keys.size();
    }});
    EXPECT_EQ(c.Result, ShowDlg(L"标题", L"要保存吗？", c.Mode, 0, c.Kind));
    EXPECT_TRUE(driver.Done());
  }
}

TEST_F(MessageDialog, ScreenshotsOfEveryModeAndKindOnBothScreenSizes) {
  static const wchar_t kLong[] = L"本次考试尚未交卷，确定要退出考试吗？未交卷的试卷可以在考试记录中继续。";
  struct {
    int Mode, Icon;
    const wchar_t* Kind;
    const wchar_t* Name;
    const wchar_t* Text;
  } const cases[] = {{0, 0, L"NO", L"dialog_mode0", kLong},    {1, 1, L"NO", L"dialog_mode1", kLong},
                     {2, 2, L"NO", L"dialog_mode2", kLong},    {3, 1, L"NO", L"dialog_mode3", L"请选择具体章节!"},
                     {2, 1, L"Exam", L"dialog_exam", kLong}};
  for (const auto& c : cases) {
    TModalDriver driver({[&] {
      HWND window = FindOwnWindow(L"提示");
      if (!window) return false;
      ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
      EXPECT_TRUE(SaveShotsOverMenu(window, c.Name));
      ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    }});
    ShowDlg(L"提示", c.Text, c.Mode, c.Icon, c.Kind);
    EXPECT_TRUE(driver.Done());
  }
}

TEST_F(MessageDialog, CloseBySystemCancelsAndNeverVoidsAnExam) {
  auto systemClose = [](HWND window) { ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); };
  EXPECT_EQ(2, Ask(0, L"NO", systemClose));
  EXPECT_EQ(3, Ask(2, L"Exam", systemClose)) << "取消, not 作废";
  EXPECT_EQ(3, Ask(2, L"Exam", [](HWND window) { ::PostMessageW(window, WM_CLOSE, 0, 0); }));
}

void CALLBACK CloseInnerDialog(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND inner = FindOwnWindow(L"内")) ::PostMessageW(inner, WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST_F(MessageDialog, SecondQuestionWhileOneIsOpenGetsItsOwnDialog) {
  int inner = -1;
  TModalDriver driver({[&] {
    if (!FindOwnWindow(L"外")) return false;
    const UINT_PTR closer = ::SetTimer(nullptr, 0, 50, &CloseInnerDialog);
    try {
      inner = ShowDlg(L"内", L"第二个问题", 0, 2, L"NO");
    } catch (const Exception& e) {
      ADD_FAILURE() << "the second question raised: " << StringToUtf8(e.Message());
    }
    ::KillTimer(nullptr, closer);
    ClickButton(FrmDlg->fcShapeBtn1->GetHandle());
    return true;
  }});
  EXPECT_EQ(1, ShowDlg(L"外", L"第一个问题", 0, 0, L"NO"));
  EXPECT_EQ(2, inner);
  EXPECT_TRUE(driver.Done());
}

// Centred on the desktop, unless that hides the asking window's top: then the message's top
// goes to that window's middle, never past the desktop's bottom.
TEST(MessageDialogPlace, CentredOrFromTheMiddleOfTheWindowWhoseTopItWouldHide) {
  const TRect desktop(0, 0, 1024, 768);
  struct {
    TRect Asking;
    int Top;
  } const cases[] = {
      {TRect(), 309},                     // nobody asks: centred
      {TRect(300, 100, 700, 600), 309},   // its top stays in sight
      {TRect(300, 350, 700, 650), 500},   // covered: from its middle
      {TRect(300, 400, 700, 1000), 618},  // its middle too low: on the desktop's bottom
      {TRect(0, 350, 200, 650), 309},     // beside the message
  };
  for (const auto& c : cases) {
    const TRect place = MessagePlace(desktop, 400, 150, c.Asking);
    EXPECT_EQ(place.Top, c.Top) << c.Asking.Top;
    EXPECT_EQ(place.Left, 312);
    EXPECT_EQ(place.Height(), 150);
  }
}

TEST_F(MessageDialog, ResponderAnswersInsteadOfTheWindow) {
  TRecordingResponders responders;
  responders.Log.DialogAnswer = 3;
  EXPECT_EQ(3, ShowDlg(L"提示", L"正文", 2, 1, L"Exam"));
  EXPECT_EQ(std::vector<String>{L"提示|正文|2|1|Exam"}, responders.Log.Dialogs);
  EXPECT_FALSE(FrmDlg->GetVisible());
}

// ---- The wait box ----------------------------------------------------------------------------------

TEST(WaitBox, ShowsItsTextAndHides) {
  RegisterLayoutClasses();
  FrmProgress = TCustomForm::Create<TFrmProgress>(nullptr);
  FrmProgress->Show();
  FrmProgress->Label1->SetCaption(L"正在初始化数据...");
  FrmProgress->Repaint();
  PumpApplicationUntil([] { return false; }, 100, 10);
  EXPECT_TRUE(::IsWindowVisible(FrmProgress->GetHandle()));
  EXPECT_TRUE(SaveWindowShot(FrmProgress->GetHandle(), L"waitbox"));
  FrmProgress->Hide();
  EXPECT_FALSE(::IsWindowVisible(FrmProgress->GetHandle()));
  delete std::exchange(FrmProgress, nullptr);
}

}  // namespace
