// ClientWidth and ClientHeight given before a form's window exists are the client area the
// shown window has, for each border style, with and without a menu bar, and for a framed
// child control.
#include <iterator>
#include <memory>

#include "FormsTestSupport.h"
#include "classlib/controls/Menus.h"
#include "classlib/controls/Panels.h"

using namespace forms_tests;

namespace {

// The client area of the window as the system reports it.
TRect WindowClient(TWinControl* control) {
  RECT r{};
  ::GetClientRect(control->GetHandle(), &r);
  return r;
}

}  // namespace

TEST(ClientSizeTest, ClientSizeSetBeforeTheWindowIsTheShownClientArea) {
  for (TFormBorderStyle style : {bsSizeable, bsSingle, bsDialog, bsToolWindow, bsSizeToolWin, bsNone}) {
    std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
    form->SetBorderStyle(style);
    form->SetClientWidth(400);
    form->SetClientHeight(300);
    ASSERT_FALSE(form->HandleAllocated()) << static_cast<int>(style);
    EXPECT_EQ(400, form->GetClientWidth()) << static_cast<int>(style);
    EXPECT_EQ(300, form->GetClientHeight()) << static_cast<int>(style);
    form->Show();
    EXPECT_EQ(Rect(0, 0, 400, 300), WindowClient(form.get())) << static_cast<int>(style);
    EXPECT_EQ(400, form->GetClientWidth());
    EXPECT_EQ(300, form->GetClientHeight());
    form->Hide();
  }
}

TEST(ClientSizeTest, TheMenuBarIsPartOfTheFrame) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  auto* menu = new TMainMenu(form.get());
  auto* item = new TMenuItem(form.get());
  item->SetCaption(L"File");
  menu->GetItems()->Add(item);
  form->SetMenu(menu);
  form->SetClientWidth(320);
  form->SetClientHeight(200);
  form->Show();
  EXPECT_EQ(Rect(0, 0, 320, 200), WindowClient(form.get()));
}

TEST(ClientSizeTest, AFramedChildKeepsItsClientSizeBeforeAndAfterItsWindow) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  auto* panel = new TCustomPanel(form.get());
  panel->SetBorderStyle(bsSingle);
  panel->SetParent(form.get());
  panel->SetClientWidth(100);
  panel->SetClientHeight(50);
  EXPECT_EQ(100, panel->GetClientWidth());
  EXPECT_EQ(50, panel->GetClientHeight());
  EXPECT_GT(panel->GetWidth(), 100);
  form->Show();
  EXPECT_EQ(Rect(0, 0, 100, 50), WindowClient(panel));
}

// The frame is worked out without the system for styles that have none: every combination
// of the styles that add no frame, with each extended style that adds none (and all of
// them), is zero as AdjustWindowRectEx says; the framed styles get the system's own answer.
TEST(ClientSizeTest, FramelessStylesHaveTheZeroFrameTheSystemGives) {
  const DWORD styles[] = {WS_CHILD,  WS_POPUP,    WS_CLIPSIBLINGS, WS_CLIPCHILDREN, WS_DISABLED,
                          WS_TABSTOP, WS_GROUP,   WS_VSCROLL,      WS_HSCROLL,      WS_SYSMENU,
                          WS_VISIBLE, WS_MAXIMIZE, WS_MINIMIZE};
  const DWORD allExStyles = WS_EX_CONTROLPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW |
                            WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_TRANSPARENT |
                            WS_EX_APPWINDOW | WS_EX_NOPARENTNOTIFY | WS_EX_ACCEPTFILES;
  const DWORD exStyles[] = {0, WS_EX_CONTROLPARENT, WS_EX_TOPMOST, WS_EX_TOOLWINDOW,
                            WS_EX_RTLREADING, WS_EX_LEFTSCROLLBAR, WS_EX_TRANSPARENT,
                            WS_EX_APPWINDOW, WS_EX_NOPARENTNOTIFY, WS_EX_ACCEPTFILES, allExStyles};
  const auto systemFrame = [](DWORD style, DWORD exStyle, bool menu) {
    RECT r{0, 0, 0, 0};
    ::AdjustWindowRectEx(&r, style, menu, exStyle);
    return TRect(r);
  };
  const size_t count = std::size(styles);
  int wrong = 0;
  for (uint32_t mask = 0; mask < (1u << count); ++mask) {
    DWORD style = 0;
    for (size_t bit = 0; bit < count; ++bit)
      if (mask & (1u << bit)) style |= styles[bit];
    for (DWORD exStyle : exStyles) {
      const TRect system = systemFrame(style, exStyle, false);
      const TRect ours = WindowFrameOfStyle(style, exStyle, false);
      if (!(system == TRect()) || !(ours == TRect())) {
        if (++wrong <= 5) ADD_FAILURE() << std::hex << "style " << style << " ex " << exStyle;
      }
    }
  }
  EXPECT_EQ(wrong, 0);

  const DWORD framed[] = {WS_BORDER, WS_DLGFRAME, WS_CAPTION, WS_THICKFRAME, WS_OVERLAPPEDWINDOW,
                          WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_CHILD | WS_BORDER, WS_CHILD,
                          WS_POPUP};
  const DWORD edges[] = {0, WS_EX_CLIENTEDGE, WS_EX_STATICEDGE, WS_EX_WINDOWEDGE,
                         WS_EX_DLGMODALFRAME, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE};
  for (DWORD style : framed)
    for (DWORD exStyle : edges)
      for (bool menu : {false, true})
        EXPECT_EQ(TRect(WindowFrameOfStyle(style, exStyle, menu)), systemFrame(style, exStyle, menu))
            << std::hex << style << " " << exStyle << " " << menu;
}
