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
