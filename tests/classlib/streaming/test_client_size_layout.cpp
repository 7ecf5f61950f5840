// A form whose layout gives ClientWidth and ClientHeight (before the menu it names) gets
// exactly that client area, before its window exists and once it is shown.
#include <gtest/gtest.h>

#include "classlib/controls/Menus.h"
#include "classlib/forms/Forms.h"

namespace {

class TClientSizeForm : public TForm {
  CLASSLIB_CLASS(TClientSizeForm, TForm)
  explicit TClientSizeForm(TComponent* owner) : TForm(owner) { LoadLayout(); }
};

}  // namespace

TEST(ClientSizeLayout, TheLayoutsClientSizeIsTheShownClientArea) {
  TClientSizeForm form(nullptr);
  ASSERT_NE(nullptr, form.GetMenu());
  EXPECT_FALSE(form.HandleAllocated());
  EXPECT_EQ(400, form.GetClientWidth());
  EXPECT_EQ(300, form.GetClientHeight());
  form.Show();
  RECT client{};
  ::GetClientRect(form.GetHandle(), &client);
  EXPECT_EQ(400, client.right);
  EXPECT_EQ(300, client.bottom);
  form.Hide();
}
