// The background pictures of the chooser, records, study log and study plan windows in both
// screen layouts: the layout's picture is shown and covers the client area, the other one is
// stored too, every visible flat button lies on a plate of the picture (a captionless one over
// its label), and a click on the label works the button under it. Every window with a
// background picture holds the picture and its controls inside its client area.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "WindowTestSupport.h"
#include "app/Ucheck.h"
#include "app/Ucommon.h"
#include "app/Ukmmc.h"
#include "app/UInPut.h"
#include "app/Uplan.h"
#include "app/Urz.h"
#include "app/Utedit.h"
#include "app/dm.h"
#include "tests/ApplicationTestSupport.h"

namespace {

class WindowPictures : public ::testing::Test {
 protected:
  void TearDown() override {
    ScreenMode = L"";
    delete std::exchange(FForm, nullptr);
    Frmkmmc = nullptr;
    ChooserShown = false;
    LawPointMode = 0;
    DM1->Cn1Query_tm->Close();
    DM1->cn1query_nr->Close();
  }
  // The edit window works on the question the practice window has put the shared queries on.
  TfrmTedit* OpenEdit(const String& mode) {
    const String id = SelectText(Data.Cn(), L"select top 1 a1 from tab_answ order by a1");
    for (TADOQuery* query : {DM1->Cn1Query_tm, DM1->cn1query_nr}) {
      query->Close();
      query->GetSQL()->SetText(String(query == DM1->Cn1Query_tm ? L"select * from tab_answ" : L"select * from tab_exer") +
                               L" where a1 = " + QuotedStr(id));
      query->Open();
    }
    return Open<TfrmTedit>(mode);
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

// The picture may overhang the client area by this much (an edge of the frame's width).
constexpr int kPictureOverhang = 2;

// No scroll bar; the shown picture fills the client area without being cut off; every other
// visible control lies inside the client area.
void ExpectHeldInsideClient(TCustomForm* form, TImage* picture) {
  const HWND window = form->GetHandle();
  EXPECT_EQ(0, ::GetWindowLongW(window, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) << "no scroll bar";
  RECT client{};
  ::GetClientRect(window, &client);
  ExpectPictures(form, picture, nullptr);
  EXPECT_LE(picture->GetLeft() + picture->GetPicture()->GetWidth(), client.right + kPictureOverhang);
  EXPECT_LE(picture->GetTop() + picture->GetPicture()->GetHeight(), client.bottom + kPictureOverhang);
  for (int i = 0; i < form->GetControlCount(); ++i) {
    TControl* control = form->GetControl(i);
    if (control == picture || !control->GetVisible()) continue;
    EXPECT_TRUE(control->GetLeft() >= 0 && control->GetTop() >= 0 &&
                control->GetLeft() + control->GetWidth() <= client.right &&
                control->GetTop() + control->GetHeight() <= client.bottom)
        << StringToUtf8(control->GetName()) << " at " << control->GetLeft() << "," << control->GetTop() << " "
        << control->GetWidth() << "x" << control->GetHeight() << " in " << client.right << "x" << client.bottom;
  }
}

TEST_F(WindowPictures, EveryPictureWindowHoldsItsControlsInsideItsClientAtBothSizes) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    SCOPED_TRACE(StringToUtf8(mode));
    const bool small = String(mode) == L"800";
    {
      SCOPED_TRACE("chooser");
      auto* form = Open<TFrmkmmc>(mode);
      Frmkmmc = form;
      ExpectHeldInsideClient(form, small ? form->Image1 : form->Image11);
    }
    {
      SCOPED_TRACE("records");
      auto* form = Open<TFrmCheck>(mode);
      ExpectHeldInsideClient(form, small ? form->Image1 : form->Image2);
    }
    {
      SCOPED_TRACE("study log");
      auto* form = Open<TFrmRz>(mode);
      ExpectHeldInsideClient(form, small ? form->Image1 : form->Image2);
    }
    {
      SCOPED_TRACE("plan");
      auto* form = Open<TFrmplan>(mode);
      ExpectHeldInsideClient(form, form->Image1);
    }
    {
      SCOPED_TRACE("entry");
      auto* form = Open<TFrmInPut>(mode);
      ExpectHeldInsideClient(form, small ? form->Image1 : form->Image2);
    }
    {
      SCOPED_TRACE("edit");
      auto* form = OpenEdit(mode);
      ExpectHeldInsideClient(form, small ? form->Image1 : form->Image2);
    }
  }
}

// The edit window's picture in both layouts, with or without the law-point rows: its buttons
// keep their captions on plates, its inputs stand on the panels, its labels on the picture.
TEST_F(WindowPictures, EditButtonsKeepTheirCaptionsOnPlatesInBothLayouts) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    const bool small = String(mode) == L"800";
    TfrmTedit* form = nullptr;
    for (int lawPoints : {1, 0}) {
      LawPointMode = lawPoints;
      form = OpenEdit(mode);
      TImage* picture = small ? form->Image1 : form->Image2;
      ExpectPictures(form, picture, small ? form->Image2 : form->Image1);
      const std::pair<TSpeedButton*, const char*> buttons[] = {
          {form->SpeedButton4, "保存"}, {form->SpeedButton3, "取消"}, {form->SpeedButton2, "使用说明"}};
      for (const auto& [button, label] : buttons) {
        EXPECT_FALSE(button->GetCaption().empty()) << label;
        ExpectPlateUnder(picture, button, label);
      }
      std::vector<TControl*> inputs{form->RxDBRichEdit1, form->RxDBRichEdit2, form->SE_Num, form->Edit1,
                                    form->ComboBox1};
      if (lawPoints) inputs.insert(inputs.end(), {form->BtnAddFg, form->ListBox1});
      for (TControl* input : inputs) ExpectOnPanel(picture, input);
      for (TRxLabel* label : {form->Label1, form->Label2, form->Label3, form->Label4, form->Label5, form->RxLabel4})
        EXPECT_TRUE(label->GetTransparent()) << StringToUtf8(label->GetName());
    }
    Shot(L"edit");
    ExpectCloseByLabel(form->SpeedButton3);
  }
  EXPECT_TRUE(Responders.Log.Empty());
}

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
    if (small) {
      // 查阅 under the grid, the note below it.
      EXPECT_LT(form->SpeedButton2->GetTop(), form->SpeedButton1->GetTop());
      EXPECT_LE(form->SpeedButton2->GetTop() + form->SpeedButton2->GetHeight(), form->Lbtip->GetTop());
    } else {
      EXPECT_EQ(form->SpeedButton1->GetTop(), form->SpeedButton2->GetTop()) << "查阅 in the row of 设置 and 关闭";
      EXPECT_EQ(form->SpeedButton1->GetHeight(), form->SpeedButton2->GetHeight());
      EXPECT_LE(form->Lbtip->GetLeft() + form->Lbtip->GetWidth(), form->SpeedButton2->GetLeft());
    }
    EXPECT_TRUE(InSight(form->Lbtip)) << "the note stays inside the window";
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
