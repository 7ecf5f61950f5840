// The background pictures of the chooser, records, study log and study plan windows in both
// screen layouts: the layout's picture is shown and covers the client area, the other one is
// stored too, every visible flat button lies on a plate of the picture (a captionless one over
// its label), and a click on the label works the button under it.
#include <gtest/gtest.h>

#include <utility>

#include "WindowTestSupport.h"
#include "app/Ucheck.h"
#include "app/Ucommon.h"
#include "app/Ukmmc.h"
#include "app/Uplan.h"
#include "app/Urz.h"
#include "tests/ApplicationTestSupport.h"

namespace {

int Brightness(TColor colour) {
  const int rgb = ColorToInt(colour);
  return (rgb & 0xFF) + ((rgb >> 8) & 0xFF) + ((rgb >> 16) & 0xFF);
}

// The label ink of a picture inside a rectangle: pixels as dark as the labels' navy.
int LabelInk(TCanvas* canvas, const TRect& r) {
  int ink = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) ink += Brightness(canvas->GetPixels(x, y)) < 300;
  return ink;
}

// Checks the picture under a flat button: a plate (a darker edge against the background,
// a light face) where the button is, with label ink inside when the button has no caption
// and none when it draws its own.
void ExpectPlateUnder(TImage* image, TSpeedButton* button, const char* what) {
  SCOPED_TRACE(what);
  ASSERT_TRUE(button->GetVisible());
  TBitmap* picture = image->GetPicture()->GetBitmap();
  TCanvas* canvas = picture->GetCanvas();
  const TRect r(button->GetLeft() - image->GetLeft(), button->GetTop() - image->GetTop(),
                button->GetLeft() - image->GetLeft() + button->GetWidth(),
                button->GetTop() - image->GetTop() + button->GetHeight());
  ASSERT_GE(r.Left, 3);
  ASSERT_LE(r.Right, picture->GetWidth());
  ASSERT_LE(r.Bottom, picture->GetHeight());
  const int middle = (r.Top + r.Bottom) / 2;
  EXPECT_GT(Brightness(canvas->GetPixels(r.Left - 3, middle)) - Brightness(canvas->GetPixels(r.Left, middle)), 60)
      << "the plate's edge stands out at the button's left";
  EXPECT_GT(Brightness(canvas->GetPixels(r.Left + 4, r.Top + 4)), 620) << "a light face";
  const int ink = LabelInk(canvas, TRect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3));
  if (button->GetCaption().empty())
    EXPECT_GT(ink, 30) << "the picture carries the label";
  else
    EXPECT_EQ(0, ink) << "the button draws its own caption";
}

// The shown picture covers the client area; the hidden one is stored as well.
void ExpectPictures(TCustomForm* form, TImage* shown, TImage* hidden) {
  EXPECT_TRUE(shown->GetVisible());
  TPicture* picture = shown->GetPicture();
  ASSERT_FALSE(picture->GetGraphic() == nullptr || picture->GetGraphic()->GetEmpty());
  EXPECT_LE(shown->GetLeft(), 0);
  EXPECT_LE(shown->GetTop(), 0);
  EXPECT_GE(shown->GetLeft() + picture->GetWidth(), form->GetClientWidth());
  EXPECT_GE(shown->GetTop() + picture->GetHeight(), form->GetClientHeight());
  if (hidden) {
    EXPECT_FALSE(hidden->GetVisible());
    EXPECT_GT(hidden->GetPicture()->GetWidth(), 0);
  }
}

class WindowPictures : public ::testing::Test {
 protected:
  void TearDown() override {
    ScreenMode = L"";
    delete std::exchange(FForm, nullptr);
    Frmkmmc = nullptr;
    ChooserShown = false;
  }
  template <class T>
  T* Open(const String& mode) {
    delete std::exchange(FForm, nullptr);
    ScreenMode = mode;
    T* form = TCustomForm::Create<T>(Application);
    FForm = form;
    form->Show();
    PumpAWhile();
    return form;
  }
  void Shot(const String& name) {
    PumpAWhile();
    EXPECT_TRUE(SaveWindowShot(FForm->GetHandle(), L"picture_" + name + L"_" + ScreenMode));
  }
  // A click on the label of the closing button closes the window.
  void ExpectCloseByLabel(TSpeedButton* close) {
    ClickGraphic(close);
    PumpAWhile();
    EXPECT_FALSE(FForm->GetVisible());
  }

  TProgramData Data;
  TRecordingResponders Responders;
  TCustomForm* FForm = nullptr;
};

TEST_F(WindowPictures, ChooserButtonsLieOnTheirLabelsInBothLayouts) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    const bool small = String(mode) == L"800";
    auto* form = Open<TFrmkmmc>(mode);
    Frmkmmc = form;
    ExpectPictures(form, small ? form->Image1 : form->Image11, small ? form->Image11 : form->Image1);
    const std::pair<TSpeedButton*, const char*> buttons[] = {
        {form->SpeedButton1, "练习新题"}, {form->SpeedButton2, "错题重做"}, {form->SpeedButton3, "习题重温"},
        {form->SpeedButton5, "试题录入"}, {form->SpeedButton4, "系统设置"}, {form->SpeedButton6, "关闭"}};
    for (const auto& [button, label] : buttons) {
      EXPECT_TRUE(button->GetCaption().empty()) << label;
      EXPECT_TRUE(button->GetFlat()) << label;
      ExpectPlateUnder(small ? form->Image1 : form->Image11, button, label);
    }
    Shot(L"chooser");
    ExpectCloseByLabel(form->SpeedButton6);
  }
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(WindowPictures, RecordsShowTheNoteAndOneRowOfButtonsInBothLayouts) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    const bool small = String(mode) == L"800";
    auto* form = Open<TFrmCheck>(mode);
    TImage* picture = small ? form->Image1 : form->Image2;
    ExpectPictures(form, picture, small ? form->Image2 : form->Image1);
    ExpectPlateUnder(picture, form->SpeedButton2, "查阅");
    ExpectPlateUnder(picture, form->SpeedButton1, "设置");
    ExpectPlateUnder(picture, form->SpeedButton3, "关闭");
    EXPECT_EQ(form->SpeedButton1->GetTop(), form->SpeedButton2->GetTop()) << "查阅 in the row of 设置 and 关闭";
    EXPECT_EQ(form->SpeedButton1->GetHeight(), form->SpeedButton2->GetHeight());
    EXPECT_TRUE(InSight(form->Lbtip)) << "the note stays inside the window";
    EXPECT_LE(form->Lbtip->GetLeft() + form->Lbtip->GetWidth(), form->SpeedButton2->GetLeft());
    EXPECT_LE(form->Lbtip->GetTop() + form->Lbtip->GetHeight(), form->GetClientHeight());
    Shot(L"records");
    ExpectCloseByLabel(form->SpeedButton3);
  }
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(WindowPictures, StudyLogButtonsLieOnTheirLabelsInBothLayouts) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    const bool small = String(mode) == L"800";
    auto* form = Open<TFrmRz>(mode);
    TImage* picture = small ? form->Image1 : form->Image2;
    ExpectPictures(form, picture, small ? form->Image2 : form->Image1);
    ExpectPlateUnder(picture, form->SpeedButton1, "设置");
    ExpectPlateUnder(picture, form->SpeedButton3, "关闭");
    Shot(L"study_log");
    ExpectCloseByLabel(form->SpeedButton3);
  }
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(WindowPictures, PlanButtonsKeepTheirCaptionsOnPlates) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    auto* form = Open<TFrmplan>(mode);
    ExpectPictures(form, form->Image1, nullptr);
    ExpectPlateUnder(form->Image1, form->SpeedButton1, "设定");
    ExpectPlateUnder(form->Image1, form->SpeedButton2, "关闭");
    Shot(L"plan");
    ClickGraphic(form->SpeedButton1);
    EXPECT_EQ(L"保存", form->SpeedButton1->GetCaption()) << "the click reaches the button over the plate";
    ClickGraphic(form->SpeedButton2);
    PumpAWhile();
    EXPECT_FALSE(form->GetVisible());
  }
}

}  // namespace
