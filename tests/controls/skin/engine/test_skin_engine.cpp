// The skin engine and the skin-aware controls as real windows: painted from a skin made here,
// then without the engine, then with a second skin; the change messages each control
// received; a failed load, a hue shift kept across skins, no broadcast while a layout is read,
// a form freed during the broadcast, the engine removed under its controls.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "classlib/classes/Layouts.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinAwareButtons.h"
#include "controls/skin/controls/SkinRadioGroup.h"
#include "tests/classlib/graphics/MemorySurface.h"

using namespace skin_tests;

namespace {

// What change messages each control got, in order.
std::vector<std::pair<String, UINT>>& Log() {
  static std::vector<std::pair<String, UINT>> log;
  return log;
}

// Run by a logged control on each change message it gets.
std::function<void(UINT)>& OnChangeMessage() {
  static std::function<void(UINT)> handler;
  return handler;
}

template <class Base>
class TLogged : public Base {
 public:
  explicit TLogged(TComponent* owner) : Base(owner) {}
  void Dispatch(TMessage& message) override {
    if (message.Msg == SE_SKINCHANGING || message.Msg == SE_SKINCHANGED) {
      Log().emplace_back(this->GetName(), message.Msg);
      if (OnChangeMessage()) OnChangeMessage()(message.Msg);
    }
    Base::Dispatch(message);
  }
};

// An object whose hue shift fails as a device copy that cannot be made fails.
class TFailingHueObject : public TSeSkinObject {
  CLASSLIB_CLASS(TFailingHueObject, TSeSkinObject)
  explicit TFailingHueObject(TComponent* owner) : TSeSkinObject(owner) {}
  void ShiftHue(int) override { throw EOutOfResources(L"Out of system resources"); }
};

TSeSkinObject* Part(TComponent* owner, const wchar_t* name, TColor color, TRect r) {
  auto* object = new TSeSkinObject(owner);
  object->SetName(name);
  object->SetColor(color);
  object->SetBoundsRect(r);
  return object;
}

String TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH]{};
  ::GetTempPathW(MAX_PATH, folder);
  return String(folder) + name;
}

// A skin whose check marks are filled squares of the given colours (glyph pixels a side) and
// whose group frame is a filled rectangle; saved as a cskn file.
String MakeSkinFile(const wchar_t* fileName, TColor checked, TColor unchecked, TColor frame,
                    int glyph = 15) {
  TSeSkinSource skin(nullptr);
  skin.SetSkinName(fileName);
  for (const wchar_t* name : {L"CheckBox", L"RadioButton"}) {
    TSeSkinObject* root = Part(nullptr, name, clNone, TRect(0, 0, 80, 20));
    Part(root, L"Checked", checked, TRect(0, 0, glyph, glyph));
    Part(root, L"Unchecked", unchecked, TRect(0, 0, glyph, glyph));
    Part(root, L"Text", clNone, TRect(0, 0, 10, 10))->GetOwnFont()->SetColor(checked);
    skin.AddObject(root);
    skin.InsertComponent(root);
  }
  TSeSkinObject* group = Part(nullptr, L"GroupBox", clNone, TRect(0, 0, 100, 80));
  Part(group, L"Frame", frame, TRect(0, 0, 100, 80));
  skin.AddObject(group);
  skin.InsertComponent(group);
  const String path = TempFile(fileName);
  skin.SaveToFile(path);
  return path;
}

class SkinEngineTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    Log().clear();
    First = MakeSkinFile(L"skin26-first.cskn", clRed, clLime, clYellow);
    Second = MakeSkinFile(L"skin26-second.cskn", clBlue, clFuchsia, clAqua);
    Engine = new TSeLumaweave(Form);
    Engine->SetName(L"Engine");
    Box = Make<TLogged<TSeSkinCheckBox>>(L"Box", 8, 8, 150, 24);
    Box->SetCaption(L"背景音乐");
    Radio = Make<TLogged<TSeSkinRadioButton>>(L"Radio", 8, 36, 150, 24);
    Radio->SetCaption(L"按日");
    Group = Make<TLogged<TSeSkinRadioGroup>>(L"Group", 8, 70, 300, 100);
    Group->SetCaption(L"学习计划");
    Group->GetItems()->Add(L"按作题数量");
    Group->GetItems()->Add(L"按作题时间");
    Group->SetItemIndex(0);
    ShowForm();
  }
  void TearDown() override {
    SkinFormTest::TearDown();
    ::DeleteFileW(First.c_str());
    ::DeleteFileW(Second.c_str());
  }
  template <class T>
  T* Make(const wchar_t* name, int x, int y, int w, int h) {
    T* control = new T(Form);
    control->SetName(name);
    control->SetParent(Form);
    control->SetBounds(x, y, w, h);
    return control;
  }
  void Attach(TSeLumaweave* engine) {
    Box->SetLumaweave(engine);
    Radio->SetLumaweave(engine);
    Group->SetLumaweave(engine);
    Pump();
  }
  // The colour at the middle of a glyph button's mark.
  TColor MarkColour(TSeCustomControl* control) {
    MemorySurface surface(control->GetWidth(), control->GetHeight(), clWhite);
    PaintWindowInto(control, surface);
    return surface.At(6, control->GetHeight() / 2);
  }
  // A new form read from a layout's text.
  static std::unique_ptr<TButtonsForm> ReadIntoNewForm(const String& text) {
    std::unique_ptr<TButtonsForm> form(TCustomForm::Create<TButtonsForm>(nullptr));
    TStringStream stream(text);
    ReadComponentFromStream(stream, form.get());
    return form;
  }
  int Count(const wchar_t* name, UINT message) {
    int n = 0;
    for (const auto& entry : Log()) n += entry.first == name && entry.second == message;
    return n;
  }

  String First, Second;
  TSeLumaweave* Engine = nullptr;
  TSeSkinCheckBox* Box = nullptr;
  TSeSkinRadioButton* Radio = nullptr;
  TSeSkinRadioGroup* Group = nullptr;
};

TEST_F(SkinEngineTest, ControlsPaintFromTheSkinThenWithoutThenFromASecondSkin) {
  const TColor plainBox = MarkColour(Box);
  Attach(Engine);
  EXPECT_FALSE(Box->UseSkin());  // an engine without a skin changes nothing
  EXPECT_EQ(MarkColour(Box), plainBox);

  Engine->SetSkinFile(First);
  Pump();
  // No skin before: only the 1702, to every control, the group's buttons included.
  EXPECT_EQ(Count(L"Box", SE_SKINCHANGING), 0);
  EXPECT_EQ(Count(L"Box", SE_SKINCHANGED), 1);
  EXPECT_EQ(Count(L"Radio", SE_SKINCHANGED), 1);
  EXPECT_EQ(Count(L"Group", SE_SKINCHANGED), 1);
  ASSERT_TRUE(Box->UseSkin());
  ASSERT_TRUE(Group->GetButton(0)->UseSkin());
  EXPECT_EQ(Box->GetGlyphSize(), TSize(15, 15));
  EXPECT_EQ(MarkColour(Box), clLime);  // unchecked
  Box->SetChecked(true);
  EXPECT_EQ(MarkColour(Box), clRed);
  EXPECT_EQ(MarkColour(Group->GetButton(0)), clRed);  // checked item
  EXPECT_EQ(MarkColour(Group->GetButton(1)), clLime);
  {
    MemorySurface surface(Group->GetWidth(), Group->GetHeight(), clWhite);
    PaintWindowInto(Group, surface);
    EXPECT_EQ(surface.At(Group->GetWidth() - 4, Group->GetHeight() - 4), clYellow);
  }
  SaveScreenshot(Form->GetHandle(), L"skin_engine_first");

  // Without the engine: the bases' drawing again.
  Attach(nullptr);
  EXPECT_FALSE(Box->UseSkin());
  EXPECT_EQ(Box->GetSkinCopy(), nullptr);
  EXPECT_NE(MarkColour(Box), clRed);
  SaveScreenshot(Form->GetHandle(), L"skin_engine_none");

  // A second skin: 1703 then 1702 to each control.
  Attach(Engine);
  Log().clear();
  Engine->SetSkinFile(Second);
  Pump();
  for (const wchar_t* name : {L"Box", L"Radio", L"Group"}) {
    EXPECT_EQ(Count(name, SE_SKINCHANGING), 1) << StringToUtf8(name);
    EXPECT_EQ(Count(name, SE_SKINCHANGED), 1) << StringToUtf8(name);
  }
  ASSERT_GE(Log().size(), 2u);
  EXPECT_EQ(Log().front().second, SE_SKINCHANGING);
  EXPECT_EQ(Log().back().second, SE_SKINCHANGED);
  EXPECT_EQ(MarkColour(Box), clBlue);
  EXPECT_EQ(MarkColour(Group->GetButton(1)), clFuchsia);
  SaveScreenshot(Form->GetHandle(), L"skin_engine_second");
}

TEST_F(SkinEngineTest, GroupBoxSizesItsCaptionCheckBoxAgainAfterASkinChange) {
  const String big = MakeSkinFile(L"skin26-big.cskn", clBlue, clFuchsia, clAqua, 25);
  auto* boxed = Make<TSeSkinGroupBox>(L"Boxed", 320, 8, 200, 80);
  boxed->SetCaption(L"背景");
  boxed->SetUseCheckBox(true);
  boxed->SetLumaweave(Engine);
  Engine->SetSkinFile(First);
  Pump();
  TSeCustomCheckBox* box = boxed->GetCheckBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->GetGlyphSize(), TSize(15, 15));
  const int first = box->GetWidth();
  Engine->SetSkinFile(big);
  Pump();
  EXPECT_EQ(box->GetGlyphSize(), TSize(25, 25));
  EXPECT_EQ(box->GetWidth(), first + 10);
  ::DeleteFileW(big.c_str());
}

TEST_F(SkinEngineTest, FailedLoadLeavesTheEngineUsableAndAnnounced) {
  Attach(Engine);
  Engine->SetSkinFile(First);
  ASSERT_TRUE(Box->UseSkin());
  // A damaged file of a claimed extension.
  const String broken = TempFile(L"skin26-broken.cskn");
  {
    TFileStream file(broken, fmCreate);
    file.WriteBuffer("TQLZ\x78\x9c\x01\x02", 8);
  }
  Log().clear();
  EXPECT_THROW(Engine->SetSkinFile(broken), EReadError);
  ::DeleteFileW(broken.c_str());
  EXPECT_EQ(Count(L"Box", SE_SKINCHANGED), 1);
  EXPECT_FALSE(Engine->GetSkinSource()->GetUpdating());
  EXPECT_FALSE(Box->UseSkin());
  EXPECT_NE(MarkColour(Box), clLime);
  // Still usable.
  Engine->SetSkinFile(First);
  EXPECT_TRUE(Box->UseSkin());
  EXPECT_EQ(MarkColour(Box), clLime);
}

// A file read whole whose hue shift then fails, and a DeltaHue change that fails: the state of
// a failed load (no skin), the controls told the change has ended, the error raised.
TEST_F(SkinEngineTest, AHueShiftThatFailsEndsAsAFailedLoad) {
  RegisterSkinObjectClass(TFailingHueObject::StaticClassInfo());
  const String failing = TempFile(L"skin26-failing.cskn");
  {
    TSeSkinSource skin(nullptr);
    skin.LoadFromFile(First);
    auto* object = new TFailingHueObject(nullptr);
    object->SetName(L"Failing");
    skin.AddObject(object);
    skin.InsertComponent(object);
    skin.SaveToFile(failing);
  }
  int afterChanges = 0;
  Engine->SetOnAfterChange([&](TObject*) { ++afterChanges; });
  Attach(Engine);
  const auto expectFailedLoad = [&](const char* what) {
    SCOPED_TRACE(what);
    for (const wchar_t* name : {L"Box", L"Radio", L"Group"}) {
      EXPECT_EQ(Count(name, SE_SKINCHANGING), 1) << StringToUtf8(name);
      EXPECT_EQ(Count(name, SE_SKINCHANGED), 1) << StringToUtf8(name);
    }
    EXPECT_EQ(afterChanges, 1);
    EXPECT_EQ(Engine->GetSkinSource()->Count(), 0);
    EXPECT_FALSE(Engine->GetSkinSource()->GetUpdating());
    EXPECT_FALSE(Box->UseSkin());
    EXPECT_NE(MarkColour(Box), clLime);
  };
  Engine->SetSkinFile(First);
  Engine->SetDeltaHue(40);
  Log().clear();
  afterChanges = 0;
  EXPECT_THROW(Engine->SetSkinFile(failing), EOutOfResources);
  expectFailedLoad("the file's hue shift");
  Engine->SetDeltaHue(0);  // no skin: stored only, so the failing skin loads unshifted
  Engine->SetSkinFile(failing);
  ASSERT_TRUE(Box->UseSkin());
  Log().clear();
  afterChanges = 0;
  EXPECT_THROW(Engine->SetDeltaHue(40), EOutOfResources);
  expectFailedLoad("a DeltaHue change");
  Engine->SetOnAfterChange(nullptr);
  ::DeleteFileW(failing.c_str());
}

TEST_F(SkinEngineTest, HueShiftStaysInForceForASecondSkin) {
  Engine->SetDeltaHue(120);  // no skin yet: stored only
  EXPECT_TRUE(Log().empty());
  Engine->SetSkinFile(First);
  TSeSkinObject* checked = Engine->GetSkinSource()->FindObject(L"CheckBox")->FindObject(L"Checked");
  const TColor firstShifted = checked->GetColor();
  EXPECT_NE(firstShifted, clRed);
  Engine->SetSkinFile(First);  // the same file again: shifted the same, not twice
  checked = Engine->GetSkinSource()->FindObject(L"CheckBox")->FindObject(L"Checked");
  EXPECT_EQ(checked->GetColor(), firstShifted);
  Engine->SetDeltaHue(0);
  checked = Engine->GetSkinSource()->FindObject(L"CheckBox")->FindObject(L"Checked");
  EXPECT_EQ(checked->GetColor(), clRed);
}

TEST_F(SkinEngineTest, RemovingTheEngineDropsTheCopies) {
  Attach(Engine);
  Engine->SetSkinFile(First);
  ASSERT_NE(Box->GetSkinCopy(), nullptr);
  delete Engine;
  Engine = nullptr;
  EXPECT_EQ(Box->GetLumaweave(), nullptr);
  EXPECT_EQ(Box->GetSkinCopy(), nullptr);
  EXPECT_EQ(Group->GetSkinCopy(), nullptr);
  EXPECT_EQ(Group->GetButton(0)->GetSkinCopy(), nullptr);
  EXPECT_NE(MarkColour(Box), clLime);
}

TEST_F(SkinEngineTest, StoredSkinLoadsWithoutBroadcastAndAFormFreedMeanwhileIsSkipped) {
  Engine->SetSkinFile(First);
  Box->SetLumaweave(Engine);
  // A font of the box's own is stored with it; reading its engine gives it the skin's again.
  ASSERT_EQ(Box->GetFont()->GetColor(), clRed);
  Box->GetFont()->SetColor(clGreen);
  // The engine and the check box written to a layout and read into another form.
  const String text = ComponentToText(Form);
  EXPECT_NE(text.find(L"SkinStream"), String::npos);
  EXPECT_NE(text.find(L"Lumaweave = Engine"), String::npos);
  Log().clear();
  auto* copy = TCustomForm::Create<TButtonsForm>(nullptr);
  {
    TStringStream stream(text);
    ReadComponentFromStream(stream, copy);
  }
  EXPECT_TRUE(Log().empty());  // nothing broadcast while the form was read
  auto* engine = dynamic_cast<TSeLumaweave*>(copy->FindComponent(L"Engine"));
  auto* box = dynamic_cast<TSeSkinCheckBox*>(copy->FindComponent(L"Box"));
  ASSERT_TRUE(engine && box);
  EXPECT_EQ(engine->GetSkinSource()->Count(), 3);  // the stored skin stayed loaded
  EXPECT_TRUE(engine->GetSkinFile().empty());
  EXPECT_TRUE(box->UseSkin());
  EXPECT_EQ(box->GetFont()->GetColor(), clRed);  // the "Text" child's
  // A control that frees the other form while the broadcast runs: that form is skipped.
  int changes = 0;
  OnChangeMessage() = [&](UINT message) {
    if (message != SE_SKINCHANGING || !copy) return;
    ++changes;
    delete copy;
    copy = nullptr;
  };
  Box->SetLumaweave(Engine);
  Engine->SetSkinFile(Second);
  OnChangeMessage() = nullptr;
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy, nullptr);
  EXPECT_TRUE(Box->UseSkin());
}

TEST_F(SkinEngineTest, AGroupBoxReadWithItsEngineTakesItsTransparencyFromTheFrame) {
  // A skin whose group frame is a picture without see-through parts: the group box is opaque.
  TSeSkinSource skin(nullptr);
  TSeSkinObject* root = Part(nullptr, L"GroupBox", clNone, TRect(0, 0, 100, 80));
  auto* frame = new TSeBitmapObject(root);
  frame->SetName(L"Frame");
  frame->SetMasked(false);
  frame->SetMaskedBorder(false);
  frame->SetMaskedAngles(false);
  skin.AddObject(root);
  skin.InsertComponent(root);
  const String path = TempFile(L"skin26-picture-frame.cskn");
  skin.SaveToFile(path);
  Engine->SetSkinFile(path);
  Group->SetLumaweave(Engine);
  EXPECT_FALSE(Group->GetTransparent());
  Group->SetTransparent(true);  // stored so; reading the engine makes it opaque again
  std::unique_ptr<TButtonsForm> copy = ReadIntoNewForm(ComponentToText(Form));
  auto* group = dynamic_cast<TSeSkinRadioGroup*>(copy->FindComponent(L"Group"));
  ASSERT_TRUE(group);
  EXPECT_TRUE(group->UseSkin());
  EXPECT_FALSE(group->GetTransparent());
  copy.reset();
  ::DeleteFileW(path.c_str());
}

TEST_F(SkinEngineTest, AHueShiftedSkinStoredInALayoutReadsBackAsItWasShown) {
  Engine->SetDeltaHue(60);
  Engine->SetSkinFile(First);
  auto checkedColour = [](TSeLumaweave* engine) {
    return engine->GetSkinSource()->FindObject(L"CheckBox")->FindObject(L"Checked")->GetColor();
  };
  const TColor shown = checkedColour(Engine);
  ASSERT_NE(shown, clRed);
  const String text = ComponentToText(Form);
  // The same layout with DeltaHue named after the stored skin.
  String moved = text;
  const size_t at = moved.find(L"DeltaHue = 60");
  ASSERT_NE(at, String::npos);
  const size_t lineStart = moved.rfind(L'\n', at) + 1, lineEnd = moved.find(L'\n', at) + 1;
  const String line = moved.substr(lineStart, lineEnd - lineStart);
  moved.erase(lineStart, lineEnd - lineStart);
  moved.insert(moved.find(L'\n', moved.find(L'}', moved.find(L"SkinStream"))) + 1, line);
  for (int pass = 0; pass < 2; ++pass) {
    std::unique_ptr<TButtonsForm> copy = ReadIntoNewForm(pass == 0 ? text : moved);
    auto* engine = dynamic_cast<TSeLumaweave*>(copy->FindComponent(L"Engine"));
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->GetDeltaHue(), 60);
    EXPECT_EQ(checkedColour(engine), shown) << pass;
  }
}

TEST_F(SkinEngineTest, LayoutWithoutAStoredSkinKeepsItsSkinFile) {
  // A file not there (yet): nothing loaded, so the layout stores no skin, only the name.
  const String missing = TempFile(L"skin26-not-there.cskn");
  Engine->SetSkinFile(missing);
  ASSERT_EQ(Engine->GetSkinSource()->Count(), 0);
  std::unique_ptr<TButtonsForm> copy = ReadIntoNewForm(ComponentToText(Form));
  auto* engine = dynamic_cast<TSeLumaweave*>(copy->FindComponent(L"Engine"));
  ASSERT_TRUE(engine);
  EXPECT_EQ(engine->GetSkinFile(), missing);
}

TEST_F(SkinEngineTest, InADesignerSkinStoreNamesTheSkinAndSkinFileOnlyDropsIt) {
  Attach(Engine);
  Engine->SetSkinFile(First);
  EXPECT_EQ(Engine->GetSkinStore(), L"(none)");  // at run time
  Engine->GetSkinSource()->SetSkinName(L"D:\\skins\\blue:Ocean Blue");
  Engine->SetDesigning(true);
  EXPECT_EQ(Engine->GetSkinStore(), L"Ocean Blue");
  Log().clear();
  Engine->SetSkinFile(L"");  // an empty name changes nothing
  EXPECT_EQ(Engine->GetSkinSource()->Count(), 3);
  Engine->SetSkinFile(Second);
  EXPECT_EQ(Engine->GetSkinSource()->Count(), 0);  // dropped, the second not loaded
  EXPECT_EQ(Engine->GetSkinFile(), First);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(Engine->GetSkinStore(), L"(none)");
  EXPECT_FALSE(Box->UseSkin());
  EXPECT_NE(MarkColour(Box), clLime);  // the controls draw without the dropped skin
}

TEST_F(SkinFormTest, VersionReadsTheFixedTextAndStoredLayoutsNamingItRead) {
  // Layouts that name Version with any text read without error (the value is not taken).
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object Engine: TSeLumaweave\n    Version = '9.9'\n  end\n"
      L"  object Box: TSeSkinCheckBox\n    Version = '9.9'\n    Caption = '复选'\n  end\n"
      L"  object Radio: TSeSkinRadioButton\n    Version = 'old'\n  end\n"
      L"  object Group: TSeSkinGroupBox\n    Version = ''\n  end\n"
      L"  object Radios: TSeSkinRadioGroup\n    Version = '2'\n    Items.Strings = (\n      'a')\n"
      L"  end\n"
      L"end\n");
  const wchar_t* const names[] = {L"Engine", L"Box", L"Radio", L"Group", L"Radios"};
  for (const wchar_t* name : names) {
    TComponent* c = Form->FindComponent(name);
    ASSERT_TRUE(c) << StringToUtf8(name);
    const TPropInfo* version = GetPropInfo(c, L"Version");
    ASSERT_TRUE(version) << StringToUtf8(name);
    EXPECT_EQ(version->GetString(c), SeSkinVersion) << StringToUtf8(name);
  }
  // Written back, each names the fixed text, and that layout reads again into another form.
  const String text = ComponentToText(Form);
  size_t count = 0;
  for (size_t at = text.find(L"Version = '1.0'"); at != String::npos;
       at = text.find(L"Version = '1.0'", at + 1))
    ++count;
  EXPECT_EQ(count, 5u);
  std::unique_ptr<TButtonsForm> copy(TCustomForm::Create<TButtonsForm>(nullptr));
  TStringStream stream(text);
  EXPECT_NO_THROW(ReadComponentFromStream(stream, copy.get()));
  EXPECT_NE(copy->FindComponent(L"Radios"), nullptr);
}

}  // namespace
