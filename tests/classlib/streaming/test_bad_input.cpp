// Bad layouts: each malformed text or damaged binary raises EReadError or EClassNotFound
// with a message that says where, and thousands of random mutations of valid layouts are
// either read or refused that way, without a crash, a hang or an unbounded allocation.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "KindsTree.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/ObjectText.h"
#include "classlib/controls/Controls.h"

namespace {

class TFuzzPanel : public TWinControl {
  CLASSLIB_CLASS(TFuzzPanel, TWinControl)
  explicit TFuzzPanel(TComponent* owner) : TWinControl(owner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  }
};

// The same text each round; the lines are grouped only to keep the source short.
const wchar_t* const ControlsText =
    L"object Host: TFuzzPanel\r\n  Left = 4\r\n  Top = 5\r\n  Width = 300\r\n  Height = 200\r\n"
    L"  Caption = 'host'\r\n  Color = clBtnFace\r\n  TabOrder = 0\r\n"
    L"  object Inner: TFuzzPanel\r\n    Left = 10\r\n    Top = 10\r\n    Width = 100\r\n    Height = 50\r\n"
    L"    Align = alClient\r\n    Anchors = [akLeft, akTop, akRight]\r\n"
    L"    Constraints.MaxWidth = 120\r\n    Constraints.MinHeight = 20\r\n    Cursor = crHandPoint\r\n"
    L"    Font.Charset = GB2312_CHARSET\r\n    Font.Height = -12\r\n    Font.Name = 'Tahoma'\r\n"
    L"    Font.Style = [fsBold, fsItalic]\r\n    ParentFont = False\r\n    Visible = False\r\n"
    L"    TabOrder = 0\r\n  end\r\nend\r\n";

void RegisterFuzzClasses() {
  RegisterKindsClasses();
  RegisterClass<TFuzzPanel>();
}

// Reads text into a new root; returns the message of the EReadError or EClassNotFound it
// raised (empty when it read). Any other exception fails the test.
String ReadError(const std::string& bytes) {
  TStringStream stream{AnsiString(bytes)};
  try {
    std::unique_ptr<TComponent> root(ReadComponentFromStream(stream, nullptr));
  } catch (const EReadError& e) {
    return e.Message().empty() ? String(L"?") : e.Message();
  } catch (const EClassNotFound& e) {
    return e.Message().empty() ? String(L"?") : e.Message();
  }
  return String();
}

std::string Narrow(const String& text) { return std::string(text.begin(), text.end()); }

std::string ToBinary(const String& text) {
  TStringStream source(text);
  TMemoryStream binary;
  ObjectTextToBinary(source, binary);
  const auto* data = static_cast<const char*>(binary.GetMemory());
  return std::string(data, static_cast<size_t>(binary.GetSize()));
}

struct TBadText {
  const char* What;
  const wchar_t* Text;
  const wchar_t* Expected;  // part of the message
};

const TBadText BadTexts[] = {
    {"unterminated string", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Text = 'abc\r\n  end\r\nend\r\n", L"line 3"},
    {"unknown class", L"object A: TKindsRoot\r\n  object B: TNoSuchThing\r\n  end\r\nend\r\n", L"TNoSuchThing"},
    {"unknown root class", L"object A: TNoSuchRoot\r\nend\r\n", L"TNoSuchRoot"},
    {"unknown property", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Nope = 1\r\n  end\r\nend\r\n", L"Nope"},
    {"unknown nested property", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Nested.Nope = 1\r\n  end\r\nend\r\n", L"line 3"},
    {"path through a plain value", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Integer.Depth = 1\r\n  end\r\nend\r\n", L"line 3"},
    {"text for an integer", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Integer = 'x'\r\n  end\r\nend\r\n", L"Integer"},
    {"integer out of range", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Integer = 99999999999\r\n  end\r\nend\r\n", L"Integer"},
    {"unknown enumeration value", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Enum = keFourth\r\n  end\r\nend\r\n", L"Enum"},
    {"unknown set member", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Set = [keFirst, keNone]\r\n  end\r\nend\r\n", L"Set"},
    {"unknown colour name", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Color = clNoSuchColour\r\n  end\r\nend\r\n", L"Color"},
    {"number for a boolean", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Boolean = 1\r\n  end\r\nend\r\n", L"Boolean"},
    {"value for a nested object", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Nested = 3\r\n  end\r\nend\r\n", L"Nested"},
    {"list for a collection", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Items = ('a')\r\n  end\r\nend\r\n", L"Items"},
    {"text for a reference", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Buddy = 'B'\r\n  end\r\nend\r\n", L"Buddy"},
    {"unresolved reference", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Buddy = Nobody\r\n  end\r\nend\r\n", L"Nobody"},
    {"reference of the wrong class", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Buddy = Owner\r\n  end\r\nend\r\n", L"Buddy"},
    {"unknown handler", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    OnPing = Nothing\r\n  end\r\nend\r\n", L"Nothing"},
    {"duplicate name", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n  end\r\n  object B: TKindsComponent\r\n  end\r\nend\r\n", L"line 4"},
    {"missing end", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Integer = 1\r\nend\r\n", L"line"},
    {"end too many", L"object A: TKindsRoot\r\n  end\r\nend\r\nend\r\n", L"line"},
    {"item outside a collection", L"object A: TKindsRoot\r\n  item\r\n  end\r\nend\r\n", L"line"},
    {"bad binary block", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Blob = {0A0}\r\n  end\r\nend\r\n", L"line"},
    {"damaged picture", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Picture.Data = {07544269746D6170FFFFFF7F}\r\n  end\r\nend\r\n", L"Picture.Data"},
    {"picture of an unknown class", L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Picture.Data = {0454466F6F00}\r\n  end\r\nend\r\n", L"Picture.Data"},
    {"control property out of range", L"object A: TFuzzPanel\r\n  Cursor = 40000\r\nend\r\n", L"Cursor"},
    {"persistent class as object", L"object A: TKindsRoot\r\n  object B: TStringList\r\n  end\r\nend\r\n", L"TStringList"},
};

}  // namespace

TEST(BadLayouts, EachMalformedTextRaisesAReadErrorSayingWhere) {
  RegisterFuzzClasses();
  RegisterClass<TStringList>();
  for (const TBadText& bad : BadTexts) {
    const String message = ReadError(Narrow(bad.Text));
    EXPECT_FALSE(message.empty()) << bad.What;
    EXPECT_NE(String::npos, message.find(bad.Expected)) << bad.What << ": " << Narrow(message);
  }
}

TEST(BadLayouts, TruncatedBinaryIsRefusedAtEveryLength) {
  RegisterFuzzClasses();
  std::unique_ptr<TKindsRoot> tree(MakeKindsTree());
  const std::string binary = ToBinary(ComponentToText(tree.get()));
  ASSERT_TRUE(ReadError(binary).empty());
  for (size_t length = 0; length < binary.size(); ++length)
    EXPECT_FALSE(ReadError(binary.substr(0, length)).empty()) << length;
}

TEST(BadLayouts, AbsurdLengthsAndCountsAreRefusedBeforeAllocating) {
  RegisterFuzzClasses();
  const std::string binary = ToBinary(
      L"object A: TKindsRoot\r\n  object B: TKindsComponent\r\n    Blob = {0102}\r\n  end\r\nend\r\n");
  // The count of the binary block (after its vaBinary byte) as 2 GB, then as negative.
  const size_t blob = binary.find("Blob");
  ASSERT_NE(std::string::npos, blob);
  const size_t count = blob + 4 + 1;
  for (uint32_t absurd : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    std::string damaged = binary;
    std::memcpy(&damaged[count], &absurd, 4);
    EXPECT_FALSE(ReadError(damaged).empty()) << absurd;
  }
  // Objects nested far deeper than any layout.
  std::wstring deep = L"object A: TKindsRoot\r\n";
  for (int i = 0; i < 500; ++i) deep += L"object B" + std::to_wstring(i) + L": TKindsComponent\r\n";
  for (int i = 0; i < 500; ++i) deep += L"end\r\n";
  deep += L"end\r\n";
  EXPECT_FALSE(ReadError(Narrow(deep)).empty());
}

// Rounds of up to maxEdits random edits (edit changes text at a random place) of each of
// sources in turn, every result read or refused; gives how many were refused.
template <class F>
int ReadMutations(const std::string (&sources)[2], unsigned seed, int rounds, int maxEdits, F edit) {
  std::mt19937 random(seed);
  int refused = 0;
  for (int round = 0; round < rounds; ++round) {
    std::string bytes = sources[round % 2];
    const int edits = 1 + static_cast<int>(random() % maxEdits);
    for (int e = 0; e < edits && bytes.size() > 5; ++e) edit(bytes, random);
    if (!ReadError(bytes).empty()) ++refused;
  }
  return refused;
}

TEST(BadLayouts, MutatedTextsAndBinariesAreReadOrRefused) {
  RegisterFuzzClasses();
  std::unique_ptr<TKindsRoot> tree(MakeKindsTree());
  const std::string texts[] = {Narrow(ComponentToText(tree.get())), Narrow(ControlsText)};
  const int refusedTexts = ReadMutations(texts, 20240611, 2000, 4, [](std::string& text, std::mt19937& random) {
    const size_t at = random() % text.size();
    switch (random() % 4) {
      case 0: text[at] = static_cast<char>(random() % 128); break;               // change a byte
      case 1: text.erase(at, 1 + random() % 16); break;                          // cut a piece
      case 2: text.insert(at, text.substr(random() % text.size(), 1 + random() % 24)); break;
      case 3: text[at] = "'{}()<>[]=.:+#$0123456789"[random() % 25]; break;    // a token char
    }
  });
  EXPECT_GT(refusedTexts, 500);  // most mutations break the layout

  const std::string binaries[] = {ToBinary(ComponentToText(tree.get())), ToBinary(ControlsText)};
  ReadMutations(binaries, 7, 3000, 3, [](std::string& binary, std::mt19937& random) {
    const size_t at = 4 + random() % (binary.size() - 4);  // keep the signature mostly
    switch (random() % 3) {
      case 0: binary[at] = static_cast<char>(random()); break;
      case 1: binary[at] = static_cast<char>(binary[at] + 1 - 2 * static_cast<int>(random() % 2)); break;
      case 2: binary.erase(at, 1 + random() % 8); break;
    }
  });
}
