// ClientWidth and ClientHeight given before a form's window exists are the client area the
// shown window has, for each border style, with and without a menu bar, and for a framed
// child control.
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
