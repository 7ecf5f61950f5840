#include "TestDataSet.h"

#include "classlib/classes/StringList.h"

namespace {

class FieldTest : public DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    Data.Backing->AddColumn(Column(L"price", ftCurrency));
    Data.Backing->AddColumn(Column(L"rtf", ftBlob));
    Data.Open();
  }
  TField* F(const wchar_t* name) { return Data.FieldByName(name); }
};

String ConvertErrorText(const std::function<void()>& action) {
  return ErrorMessageOf<EConvertError>(action, L"no error");
}

TEST_F(FieldTest, StringFieldConversions) {
  Data.Edit();
  F(L"a1")->SetAsString(L"42");
  EXPECT_EQ(F(L"a1")->GetAsInteger(), 42);
  F(L"a1")->SetAsString(L"x");
  EXPECT_EQ(ConvertErrorText([&] { F(L"a1")->GetAsInteger(); }), L"'x' is not a valid integer value");
  EXPECT_EQ(ConvertErrorText([&] { F(L"a1")->GetAsFloat(); }),
            L"'x' is not a valid floating point value");
  F(L"a1")->SetAsBoolean(true);
  EXPECT_EQ(F(L"a1")->GetAsString(), L"True");
  F(L"a1")->SetAsString(L"");
  EXPECT_FALSE(F(L"a1")->GetIsNull());  // an empty text is stored as such
  F(L"a1")->Clear();
  EXPECT_TRUE(F(L"a1")->GetIsNull());
  F(L"a1")->SetAsVariant(12);
  EXPECT_EQ(F(L"a1")->GetAsVariant().GetVarType(), varString);
  EXPECT_EQ(F(L"a1")->GetAsString(), L"12");
}

TEST_F(FieldTest, IntegerFieldsCheckTextAndRange) {
  Data.Edit();
  TField* e3 = F(L"e3");
  e3->SetAsString(L"-17");
  EXPECT_EQ(e3->GetAsInteger(), -17);
  EXPECT_EQ(DatabaseErrorText([&] { e3->SetAsString(L"abc"); }),
            L"'abc' is not a valid integer value for field 'e3'");
  EXPECT_EQ(DatabaseErrorText([&] { e3->SetAsInteger(40000); }),
            L"40000 is not a valid value for field 'e3'. The allowed range is -32768 to 32767");
  e3->SetAsFloat(2.5);
  EXPECT_EQ(e3->GetAsInteger(), 2);  // halves to even
  e3->SetAsString(L"");
  EXPECT_TRUE(e3->GetIsNull());
  EXPECT_EQ(e3->GetAsString(), L"");
  EXPECT_EQ(e3->GetAsInteger(), 0);
  EXPECT_EQ(DatabaseErrorText([&] { e3->GetAsDateTime(); }),
            L"Cannot access field 'e3' as type DateTime");
  e3->SetAsVariant(L"12");
  EXPECT_EQ(e3->GetAsVariant(), Variant(12));
  EXPECT_THROW(e3->SetAsVariant(L"x1"), EDatabaseError);
  EXPECT_TRUE(e3->IsValidChar(L'-'));
  EXPECT_FALSE(e3->IsValidChar(L'a'));
}

TEST_F(FieldTest, FloatAndCurrencyText) {
  Data.Edit();
  auto* score = static_cast<TFloatField*>(F(L"score"));
  score->SetAsString(L"1234.5");
  EXPECT_EQ(score->GetDisplayText(), L"1234.5");
  score->SetDisplayFormat(L"#,##0.00");
  EXPECT_EQ(score->GetDisplayText(), L"1,234.50");
  EXPECT_EQ(score->GetText(), L"1,234.50");  // without EditFormat the edit text uses it too
  score->SetEditFormat(L"0.0");
  EXPECT_EQ(score->GetText(), L"1234.5");
  EXPECT_EQ(DatabaseErrorText([&] { score->SetAsString(L"1.2.3"); }),
            L"'1.2.3' is not a valid floating point value for field 'score'");
  score->SetAsFloat(2.5);
  EXPECT_EQ(score->GetAsInteger(), 2);

  TField* price = F(L"price");
  price->SetAsFloat(1234.56789);
  EXPECT_DOUBLE_EQ(price->GetAsFloat(), 1234.5679);
  EXPECT_EQ(price->GetDisplayText(), L"$1,234.57");
  EXPECT_EQ(price->GetText(), L"1234.57");
  EXPECT_EQ(price->GetAsVariant().GetVarType(), varCurrency);
}

TEST_F(FieldTest, BooleanAndDateTimeFields) {
  Data.Edit();
  auto* ok = static_cast<TBooleanField*>(F(L"ok"));
  EXPECT_EQ(ok->GetAsString(), L"True");
  ok->SetAsString(L"f");
  EXPECT_FALSE(ok->GetAsBoolean());
  ok->SetDisplayValues(L"对;错");
  EXPECT_EQ(ok->GetAsString(), L"错");
  ok->SetAsString(L"对");
  EXPECT_TRUE(ok->GetAsBoolean());
  EXPECT_EQ(DatabaseErrorText([&] { ok->SetAsString(L"maybe"); }),
            L"'maybe' is not a valid boolean value for field 'ok'");
  ok->SetAsVariant(0);
  EXPECT_EQ(ok->GetAsVariant(), Variant(false));

  TField* e1 = F(L"e1");
  EXPECT_EQ(e1->GetAsString(), L"1/5/2024");
  e1->SetAsString(L"2/29/2024 1:02:03 PM");
  EXPECT_DOUBLE_EQ(e1->GetAsDateTime(), EncodeDate(2024, 2, 29) + EncodeTime(13, 2, 3, 0));
  e1->SetAsString(L"2024-03-01 08:00:00");
  EXPECT_DOUBLE_EQ(e1->GetAsDateTime(), EncodeDate(2024, 3, 1) + EncodeTime(8, 0, 0, 0));
  static_cast<TDateTimeField*>(e1)->SetDisplayFormat(L"yyyy年mm月dd日");
  EXPECT_EQ(e1->GetDisplayText(), L"2024年03月01日");
  EXPECT_EQ(ConvertErrorText([&] { e1->SetAsString(L"soon"); }), L"'soon' is not a valid date and time");
  EXPECT_EQ(e1->GetAsVariant().GetVarType(), varDate);
}

TEST_F(FieldTest, StoredTextDatesAreReadAsDates) {
  Data.Close();
  Data.Backing->GetRow(0).Values[3] = L"2024-05-06 07:08:09";
  Data.Open();
  EXPECT_DOUBLE_EQ(F(L"e1")->GetAsDateTime(), EncodeDate(2024, 5, 6) + EncodeTime(7, 8, 9, 0));
  EXPECT_EQ(F(L"e1")->GetAsString(), L"5/6/2024 7:08:09 AM");
}

TEST_F(FieldTest, TextChangeAndValidateEvents) {
  TField* a1 = F(L"a1");
  a1->OnGetText = [](TField* sender, String& text, bool display) {
    text = (display ? L"[" : L"(") + sender->GetAsString() + (display ? L"]" : L")");
  };
  EXPECT_EQ(a1->GetDisplayText(), L"[Apple]");
  EXPECT_EQ(a1->GetText(), L"(Apple)");
  a1->OnSetText = [](TField* sender, const String& text) { sender->SetAsString(UpperCase(text)); };
  Data.Edit();
  a1->SetText(L"pear");
  EXPECT_EQ(a1->GetAsString(), L"PEAR");
  std::vector<String> changes;
  a1->OnChange = [&changes](TField* sender) { changes.push_back(sender->GetAsString()); };
  a1->OnValidate = [](TField* sender) {
    if (sender->GetAsString() == L"bad") throw EDatabaseError(L"refused");
  };
  a1->SetAsString(L"fine");
  EXPECT_THROW(a1->SetAsString(L"bad"), EDatabaseError);
  EXPECT_EQ(a1->GetAsString(), L"fine");
  EXPECT_EQ(changes, std::vector<String>{L"fine"});
}

TEST_F(FieldTest, BlobBytesComeBackByteForByte) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0";
  rtf.push_back('\0');
  rtf += "\xff\x80}";
  TMemoryStream source;
  source.Write(rtf.data(), static_cast<int>(rtf.size()));
  auto* blob = static_cast<TBlobField*>(F(L"rtf"));
  EXPECT_TRUE(blob->GetIsBlob());
  EXPECT_EQ(blob->GetDisplayText(), L"(Blob)");
  Data.Edit();
  blob->LoadFromStream(source);  // from the start, whatever the position
  Data.Post();
  EXPECT_EQ(blob->GetDisplayText(), L"(BLOB)");
  EXPECT_EQ(blob->GetBlobSize(), static_cast<int64_t>(rtf.size()));

  std::unique_ptr<TStream> reader = Data.CreateBlobStream(blob, bmRead);
  std::string read(rtf.size(), '?');
  EXPECT_EQ(reader->Read(read.data(), static_cast<int>(read.size()) + 5), static_cast<int>(rtf.size()));
  EXPECT_EQ(read, rtf);
  EXPECT_THROW(reader->Write("x", 1), EStreamError);
  EXPECT_EQ(DatabaseErrorText([&] { Data.CreateBlobStream(blob, bmWrite); }),
            L"Dataset not in edit or insert mode");

  Data.Edit();
  {
    std::unique_ptr<TStream> writer = Data.CreateBlobStream(blob, bmReadWrite);
    writer->Seek(0, soEnd);
    writer->Write("\x01\x02", 2);
  }
  Data.Post();
  EXPECT_EQ(blob->GetBlobSize(), static_cast<int64_t>(rtf.size() + 2));
  EXPECT_EQ(Data.Backing->GetRow(0).Values[8].AsBytes().back(), 2);
}

TEST_F(FieldTest, MemoAssignsToAndFromStrings) {
  TStringList lines;
  lines.Assign(F(L"note"));
  EXPECT_EQ(lines.GetText(), L"first\r\n");
  Data.Edit();
  lines.SetText(L"line one\r\nline two");
  F(L"note")->Assign(&lines);
  EXPECT_EQ(F(L"note")->GetAsString(), L"line one\r\nline two\r\n");
  Data.Post();
  TStringList back;
  back.Assign(F(L"note"));
  ASSERT_EQ(back.GetCount(), 2);
  EXPECT_EQ(back.Get(1), L"line two");
  EXPECT_EQ(F(L"note")->GetAsVariant().GetVarType(), varString);
  EXPECT_EQ(F(L"note")->GetDisplayText(), L"(MEMO)");
}

TEST(FieldLookup, IgnoresCaseAndFollowsAddedRemovedAndRenamedFields) {
  TTestDataSet ds;
  FillQuestions(*ds.Backing);
  ds.Open();
  EXPECT_EQ(ds.FindField(L"A1"), ds.FieldByName(L"a1"));
  EXPECT_EQ(ds.FindField(L"NOTE")->GetFieldName(), L"note");
  EXPECT_EQ(ds.FindField(L"a"), nullptr);
  ds.Close();

  TStringField name(nullptr);
  name.SetFieldName(L"a1");
  name.SetDataSet(&ds);
  TIntegerField id(nullptr);
  id.SetFieldName(L"id");
  id.SetDataSet(&ds);
  EXPECT_EQ(ds.FindField(L"ID"), &id);
  id.SetFieldName(L"e3");  // renamed: found by its new name only
  EXPECT_EQ(ds.FindField(L"id"), nullptr);
  EXPECT_EQ(ds.FindField(L"E3"), &id);
  {
    TStringField twin(nullptr);
    twin.SetFieldName(L"A1");
    twin.SetDataSet(&ds);
    EXPECT_EQ(ds.FindField(L"a1"), &name);  // the first of two of that name
  }
  EXPECT_EQ(ds.GetFieldCount(), 2);
  ds.Open();
  EXPECT_EQ(ds.FieldByName(L"A1")->GetAsString(), L"Apple");
  EXPECT_EQ(ds.FieldByName(L"e3")->GetAsInteger(), 3);
  ds.Close();
  name.SetDataSet(nullptr);
  EXPECT_EQ(ds.FindField(L"a1"), nullptr);
}

}  // namespace
