// The edits and lists in stored layouts: a form of each written out keeps what differs from
// the defaults (and nothing else), and reads back into the same state.
#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "classlib/classes/StringList.h"
#include "classlib/stdctrls/ComboBoxes.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/MaskEdit.h"
#include "classlib/stdctrls/SpinEdit.h"

using namespace edit_tests;

namespace {

template <class T>
T* Add(TForm* form, const wchar_t* name) {
  T* control = new T(form);
  control->SetName(name);
  control->SetParent(form);
  return control;
}

bool Has(const String& text, const String& line) { return text.find(line) != String::npos; }

// The lines of one object of a layout text, up to the next object.
String ObjectText(const String& text, const String& header) {
  const size_t start = text.find(header);
  if (start == String::npos) return String();
  const size_t end = text.find(L"object ", start + header.size());
  return text.substr(start, end == String::npos ? String::npos : end - start);
}

TEST(EditLayouts, AFormOfEditsAndListsIsWrittenAndReadBack) {
  TEditsForm::RegisterHandlers();
  TEditsForm* source = TCustomForm::Create<TEditsForm>(nullptr);
  source->SetName(L"Form1");
  auto* edit = Add<TEdit>(source, L"Edit1");
  edit->SetMaxLength(12);
  edit->SetCharCase(ecUpperCase);
  edit->SetText(L"HELLO");
  auto* memo = Add<TMemo>(source, L"Memo1");
  memo->GetLines()->SetText(L"one\r\ntwo");
  memo->SetScrollBars(ssBoth);
  auto* mask = Add<TMaskEdit>(source, L"Mask1");
  mask->SetEditMask(L"00/00;0;_");
  mask->SetText(L"1234");
  auto* spin = Add<TSpinEdit>(source, L"Spin1");
  spin->SetMaxValue(9);
  spin->SetValue(7);
  auto* list = Add<TListBox>(source, L"List1");
  list->GetItems()->SetCommaText(L"a,b,c");
  list->SetItemIndex(2);
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(20);
  auto* combo = Add<TComboBox>(source, L"Combo1");
  combo->SetStyle(csDropDownList);
  combo->GetItems()->SetCommaText(L"red,green");
  combo->SetItemIndex(1);
  combo->SetDropDownCount(4);

  // What the copy reads back below shows what was written; here, what must not be.
  const String text = ComponentToText(source);
  const String editText = ObjectText(text, L"object Edit1: TEdit");
  for (const wchar_t* left : {L"AutoSelect", L"AutoSize", L"TabStop", L"ParentColor", L"Caption"})
    EXPECT_FALSE(Has(editText, left)) << StringToUtf8(left) << "\n" << StringToUtf8(text);
  EXPECT_FALSE(Has(ObjectText(text, L"object Combo1: TComboBox"), L"Caption"));
  EXPECT_TRUE(Has(text, L"Lines.Strings = ("));
  EXPECT_FALSE(Has(text, L"'one'#13#10"));  // the memo's text is kept as its lines only

  TEditsForm* copy = TCustomForm::Create<TEditsForm>(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy);
  auto* edit2 = dynamic_cast<TEdit*>(copy->FindComponent(L"Edit1"));
  auto* memo2 = dynamic_cast<TMemo*>(copy->FindComponent(L"Memo1"));
  auto* mask2 = dynamic_cast<TMaskEdit*>(copy->FindComponent(L"Mask1"));
  auto* spin2 = dynamic_cast<TSpinEdit*>(copy->FindComponent(L"Spin1"));
  auto* list2 = dynamic_cast<TListBox*>(copy->FindComponent(L"List1"));
  auto* combo2 = dynamic_cast<TComboBox*>(copy->FindComponent(L"Combo1"));
  ASSERT_TRUE(edit2 && memo2 && mask2 && spin2 && list2 && combo2);
  EXPECT_EQ(edit2->GetText(), L"HELLO");
  EXPECT_EQ(edit2->GetMaxLength(), 12);
  EXPECT_EQ(edit2->GetCharCase(), ecUpperCase);
  EXPECT_EQ(memo2->GetLines()->GetCommaText(), L"one,two");
  EXPECT_EQ(memo2->GetScrollBars(), ssBoth);
  EXPECT_EQ(mask2->GetEditText(), L"12/34");  // Text is read before EditMask
  EXPECT_EQ(mask2->GetText(), L"1234");
  EXPECT_EQ(spin2->GetValue(), 7);
  EXPECT_EQ(spin2->GetMaxValue(), 9);
  EXPECT_EQ(list2->GetItems()->GetCommaText(), L"a,b,c");
  EXPECT_EQ(list2->GetItemIndex(), 2);
  EXPECT_EQ(list2->GetStyle(), lbOwnerDrawFixed);
  EXPECT_EQ(list2->GetItemHeight(), 20);
  EXPECT_EQ(combo2->GetStyle(), csDropDownList);
  EXPECT_EQ(combo2->GetItemIndex(), 1);
  EXPECT_EQ(combo2->GetText(), L"green");
  EXPECT_EQ(combo2->GetDropDownCount(), 4);
  delete copy;
  delete source;
  Pump();
}

}  // namespace
