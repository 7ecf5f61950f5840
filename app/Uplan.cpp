// The study plan window.
#include "Uplan.h"

#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/stdctrls/Clipboard.h"
#include "dm.h"

TFrmplan* Frmplan = nullptr;

TColor CountdownColor(int days) { return ColorFromInt(days <= 7 ? 255 : 2476900); }

String CountdownText(int days) { return days > 999 ? String(L"999") : IntToStr(days); }

bool ReadCount(const String& text, int& count) {
  // Blanks may stand before and after the digits, never between them: a count pasted as
  // "1 2" is no number rather than 12.
  count = 0;
  bool digits = false, ended = false;
  for (wchar_t ch : text) {
    if (ch == L'_' || ch == L' ') {
      ended = digits;
      continue;
    }
    if (ch < L'0' || ch > L'9' || ended) return false;
    digits = true;
    count = count * 10 + (ch - L'0');
    if (count > 99999) return false;
  }
  return true;
}

const TPropertyTable* TFrmplan::PublishedProperties() {
  using P = TPublish<TFrmplan>;
  using C = TFrmplan;
  static const TPropertyTable table(
      {}, {P::Field(L"Image1", &C::Image1), P::Field(L"epLabel1", &C::epLabel1), P::Field(L"Label1", &C::Label1),
           P::Field(L"epLabel2", &C::epLabel2), P::Field(L"Label2", &C::Label2),
           P::Field(L"DateEdit1", &C::DateEdit1),
           P::Field(L"SeSkinRadioGroup1", &C::SeSkinRadioGroup1),
           P::Field(L"MaskEdit1", &C::MaskEdit1), P::Field(L"MaskEdit2", &C::MaskEdit2),
           P::Field(L"SpeedButton1", &C::SpeedButton1), P::Field(L"SpeedButton2", &C::SpeedButton2),
           P::Field(L"DTCalc1", &C::DTCalc1)});
  return &table;
}

TFrmplan::TFrmplan(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
  TakeOnlyWholeCounts(MaskEdit1);
  TakeOnlyWholeCounts(MaskEdit2);
  // Only the group's caption is large: its items keep the window's font, so that the count
  // boxes sit in the gaps of the items' texts.
  for (int i = 0; i < SeSkinRadioGroup1->GetButtonCount(); ++i) SeSkinRadioGroup1->GetButton(i)->SetFont(GetFont());
}

void TFrmplan::TakeOnlyWholeCounts(TMaskEdit* box) {
  // The mask leaves out what it refuses, so a pasted "1 2" would become 12: a paste is taken
  // only when it reads as a count itself, and refused with a beep otherwise.
  TWndMethod inner = box->GetWindowProc();
  box->SetWindowProc([inner](TMessage& message) {
    if (message.Msg == WM_PASTE) {
      String pasted;
      try {
        pasted = Clipboard()->GetAsText();
      } catch (const Exception&) {
        return;  // another program holds the clipboard: there is nothing to paste
      }
      int count = 0;
      if (!ReadCount(pasted, count)) {
        ::MessageBeep(0);
        return;
      }
    }
    inner(message);
  });
}

void TFrmplan::RegisterHandlers() {
  using M = TPublishMethods<TFrmplan>;
  using C = TFrmplan;
  RegisterMethods<TFrmplan>({M::Handler(L"FormShow", &C::FormShow),
                             M::Handler(L"SeSkinRadioGroup1Click", &C::SeSkinRadioGroup1Click),
                             M::Handler(L"SpeedButton1Click", &C::SpeedButton1Click),
                             M::Handler(L"SpeedButton2Click", &C::SpeedButton2Click)});
}

void TFrmplan::FormShow(TObject*) {
  TADOTable* plan = DM1->Cn1Table_plan;
  if (!plan->GetActive()) plan->Open();
  plan->First();
  if (!plan->IsEmpty()) {
    MaskEdit1->SetText(plan->FieldByName(L"PlanAmount")->GetAsString());
    MaskEdit2->SetText(plan->FieldByName(L"PlanTime")->GetAsString());
    TField* examDate = plan->FieldByName(L"ExamDate");
    if (examDate->GetIsNull())
      DateEdit1->SetText(String());
    else
      DateEdit1->SetDateValue(examDate->GetAsDateTime());
    // Setting the kind fires the group's click, which enables and focuses its count box.
    SeSkinRadioGroup1->SetItemIndex(plan->FieldByName(L"PlanMark")->GetAsInteger());
  }
  // Without a stored kind (an empty table, or a mark that is no item) the window shows the
  // plan by count, the kind that a save then writes.
  if (SeSkinRadioGroup1->GetItemIndex() < 0) SeSkinRadioGroup1->SetItemIndex(0);
  Countdown();
}

void TFrmplan::Countdown() {
  TDateTime examDate = 0;
  if (!TryStrToDate(DateEdit1->GetText(), examDate)) {
    // No exam date set: no countdown.
    epLabel1->SetCaption(String());
    Label1->SetVisible(false);
    epLabel2->SetVisible(false);
    return;
  }
  DTCalc1->SetStartTime(DM1->Today());
  DTCalc1->SetEndTime(examDate);
  const int days = DTCalc1->GetDays();
  Label1->SetCaption(CountdownText(days));
  if (days <= 0) {
    epLabel1->SetCaption(days < 0 ? L"考试已结束！" : L"祝考试成功！");
    Label1->SetVisible(false);
    epLabel2->SetVisible(false);
    return;
  }
  epLabel1->SetCaption(L"距离考试还有");
  Label1->GetFont()->SetColor(CountdownColor(days));
  Label1->SetVisible(true);
  epLabel2->SetVisible(true);
}

TMaskEdit* TFrmplan::CountBox() const { return SeSkinRadioGroup1->GetItemIndex() == 1 ? MaskEdit2 : MaskEdit1; }

void TFrmplan::EnableCountBox() {
  const bool first = CountBox() == MaskEdit1;
  MaskEdit1->SetEnabled(first);
  MaskEdit2->SetEnabled(!first);
}

void TFrmplan::SeSkinRadioGroup1Click(TObject*) {
  EnableCountBox();
  TMaskEdit* box = CountBox();
  if (box->CanFocus()) box->SetFocus();
}

void TFrmplan::EnterEditMode() {
  FEditing = true;
  SpeedButton1->SetCaption(L"保存");
  DateEdit1->SetEnabled(true);
  SeSkinRadioGroup1->SetEnabled(true);
  EnableCountBox();
}

bool TFrmplan::Save() {
  TDateTime examDate = 0;
  if (!TryStrToDate(DateEdit1->GetText(), examDate)) {
    ShowDlg(L"提示", L"请输入正确的考试日期！", 1, 1, L"NO");
    if (DateEdit1->CanFocus()) DateEdit1->SetFocus();
    return false;
  }
  int amount = 0, minutes = 0;
  if (!ReadCount(MaskEdit1->GetText(), amount) || !ReadCount(MaskEdit2->GetText(), minutes)) {
    ShowDlg(L"提示", L"请输入正确的数量！", 1, 1, L"NO");
    if (CountBox()->CanFocus()) CountBox()->SetFocus();
    return false;
  }
  const int mark = CountBox() == MaskEdit2 ? 1 : 0;
  TADOTable* plan = DM1->Cn1Table_plan;
  try {
    if (!plan->GetActive()) plan->Open();
    plan->First();
    plan->Edit();  // an empty table gets its row
    plan->FieldByName(L"PlanAmount")->SetAsInteger(amount);
    plan->FieldByName(L"PlanTime")->SetAsInteger(minutes);
    plan->FieldByName(L"ExamDate")->SetAsDateTime(examDate);
    plan->FieldByName(L"PlanMark")->SetAsInteger(mark);
    plan->Post();
  } catch (const std::exception&) {
    if (plan->GetActive()) plan->Cancel();
    ShowDlg(L"错误", L"无法保存学习计划！", 1, 2, L"NO");
    return false;
  }
  FEditing = false;
  SpeedButton1->SetCaption(L"设定");
  DateEdit1->SetEnabled(false);
  SeSkinRadioGroup1->SetEnabled(false);
  // The count of the saved kind stays at hand.
  EnableCountBox();
  Countdown();
  return true;
}

void TFrmplan::SpeedButton1Click(TObject*) {
  if (FEditing)
    Save();
  else
    EnterEditMode();
}

void TFrmplan::SpeedButton2Click(TObject*) { Close(); }
