// The image button: its window region cut from the picture (a click on a transparent corner
// reaches the form underneath), the copy kept for hit tests across resizes and recreation,
// stored regions surviving window creation, stored blocks mutated at random places, the
// faces painted on memory DCs (dither, shading), shared pictures and imagers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "classlib/classes/Layouts.h"
#include "classlib/controls/ControlTestSupport.h"
#include "controls/imagebutton/fcImager.h"
#include "controls/imagebutton/fcImgBtn.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"
#include "tests/controls/imagebutton/WindowTestSupport.h"

using namespace button_tests;

namespace {

constexpr TfcColor Key{255, 0, 255};   // magenta: the corners
constexpr TfcColor Blue{200, 40, 20};  // the face (bytes blue, green, red)

// 40 x 40: ten narrowing bands at the top and at the bottom, full in the middle; the
// corners are Key.
void PaintCutCorners(TfcBitmap& image, TfcColor face = Blue) {
  image.SetSize(40, 40);
  for (int y = 0; y < 40; ++y) {
    const int r = y < 10 ? y : (y >= 30 ? 39 - y : 10);
    for (int x = 0; x < 40; ++x) image.GetPixels().At(x, y) = x >= 10 - r && x < 30 + r ? face : Key;
  }
  image.Changed(&image);
}

TColor FaceColor(TfcColor c) { return PixelToColor(c); }

// An image button of 40 x 40 with the cut-corner picture, placed on form.
template <class Button = TfcImageBtn>
Button* PlacePad(TCustomForm* form, const String& name, int left, int top) {
  auto* button = new Button(form);
  button->SetName(name);
  button->SetCaption(L"");  // tests read the face's pixels: no text drawn over them
  button->SetBounds(left, top, 40, 40);
  TfcBitmap picture;
  PaintCutCorners(picture);
  button->SetImage(&picture);
  button->SetParent(form);
  return button;
}

class FcImageButtonTest : public FormTest {
 protected:
  TfcImageBtn* NewButton(int left, int top) {
    TfcImageBtn* button = PlacePad(Form, L"Pad" + IntToStr(++Made), left, top);
    button->SetOnClick([this](TObject* sender) { ++Clicks[sender]; });
    return button;
  }
  int Made = 0;
  std::map<TObject*, int> Clicks;
};

TEST_F(FcImageButtonTest, AClickOnATransparentCornerReachesTheFormUnderneath) {
  CursorRestore pointer;
  ShowForm();
  TfcImageBtn* button = NewButton(20, 20);
  int formPresses = 0;
  Form->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { ++formPresses; });
  Pump();
  ASSERT_NE(button->GetHitRegion(), nullptr);
  EXPECT_FALSE(::PtInRegion(button->GetHitRegion(), 1, 1));
  EXPECT_TRUE(::PtInRegion(button->GetHitRegion(), 20, 20));
  const TPoint origin = Form->ClientToScreen(TPoint(20, 20));
  EXPECT_EQ(::WindowFromPoint(POINT{origin.X + 1, origin.Y + 1}), Form->GetHandle());
  EXPECT_EQ(::WindowFromPoint(POINT{origin.X + 20, origin.Y + 20}), button->GetHandle());
  // Real input at the corner, then in the middle.
  const auto clickAt = [](int x, int y) {
    ::SetCursorPos(x, y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof(INPUT));
    stdctrl_tests::PumpUntil([] { return false; }, 150);
  };
  clickAt(origin.X + 1, origin.Y + 1);
  EXPECT_EQ(formPresses, 1);
  EXPECT_EQ(Clicks[button], 0);
  clickAt(origin.X + 20, origin.Y + 20);
  EXPECT_EQ(Clicks[button], 1);
  EXPECT_EQ(formPresses, 1);
  EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), L"imagebutton_corner"));
}

TEST_F(FcImageButtonTest, TheKeptRegionStaysValidThroughResizesAndARecreate) {
  ShowForm();
  TfcImageBtn* button = NewButton(10, 10);
  Pump();
  const auto sameAsWindow = [&] {
    UniqueRegion window(::CreateRectRgn(0, 0, 0, 0));
    if (::GetWindowRgn(button->GetHandle(), window.get()) == ERROR) return false;
    return button->GetHitRegion() && ::EqualRgn(window.get(), button->GetHitRegion());
  };
  for (int i = 1; i <= 20; ++i) {
    button->SetBounds(10, 10, 40 + i * 3, 40 + i);
    Pump();
    ASSERT_TRUE(sameAsWindow()) << i;
    RECT box;
    ASSERT_NE(::GetRgnBox(button->GetHitRegion(), &box), ERROR);
    EXPECT_EQ(box.right, 40 + i * 3) << i;  // rebuilt from the stretched picture
    EXPECT_EQ(box.bottom, 40 + i) << i;
  }
  button->RecreateWnd();
  Pump();
  EXPECT_TRUE(sameAsWindow());
  EXPECT_FALSE(button->GetRegionData(false).empty());
  button->SetTransparentColor(fcNoRegionColor);
  Pump();
  EXPECT_EQ(button->GetHitRegion(), nullptr);
  UniqueRegion window(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(::GetWindowRgn(button->GetHandle(), window.get()), ERROR);
}

// A form with one image button, written as layout text (with its picture and region).
String StoredPadText(TCustomForm* form) {
  TfcImageBtn* button = PlacePad(form, L"Pad1", 8, 8);
  button->HandleNeeded();  // builds and records the region
  const String text = ComponentToText(form);
  delete button;
  return text;
}

// The hex digits of the RegionData block in a layout text, and where they stand.
struct HexBlock {
  size_t Open = String::npos;
  size_t Close = String::npos;
  std::string Hex;
};
HexBlock FindRegionBlock(const String& text) {
  HexBlock block;
  const size_t name = text.find(L"RegionData = {");
  if (name == String::npos) return block;
  block.Open = text.find(L'{', name);
  block.Close = text.find(L'}', block.Open);
  for (size_t i = block.Open + 1; i < block.Close; ++i)
    if (iswxdigit(text[i])) block.Hex.push_back(static_cast<char>(text[i]));
  return block;
}

TEST_F(FcImageButtonTest, AStoredRegionSurvivesWindowCreationUntilARealResize) {
  const String text = StoredPadText(Form);
  HexBlock block = FindRegionBlock(text);
  ASSERT_NE(block.Open, String::npos) << StringToUtf8(text);
  EXPECT_EQ(block.Hex.size(), 372u * 2);  // N = 368: 21 bands of the picture
  // Store a different outline (the top band only) to see which one the window takes.
  UniqueRegion band(::CreateRectRgn(0, 0, 40, 5));
  TfcRegionBytes bytes = RegionToBytes(band.get());
  const uint32_t n = static_cast<uint32_t>(bytes.size());
  bytes.insert(bytes.begin(), {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)});
  std::string replaced;
  char hex[3];
  for (uint8_t b : bytes) {
    std::snprintf(hex, sizeof hex, "%02X", b);
    replaced += hex;
  }
  const String stored = text.substr(0, block.Open + 1) + Utf8ToString(replaced) + text.substr(block.Close);
  ReadLayout(stored);
  auto* pad = Find<TfcImageBtn>(L"Pad1");
  ASSERT_NE(pad, nullptr);
  ShowForm();
  ASSERT_NE(pad->GetHitRegion(), nullptr);
  EXPECT_TRUE(::EqualRgn(pad->GetHitRegion(), band.get()));
  pad->SetBounds(8, 8, 44, 44);
  Pump();
  EXPECT_TRUE(::PtInRegion(pad->GetHitRegion(), 22, 22));  // rebuilt from the picture
}

TEST_F(FcImageButtonTest, MutatedStoredBlocksAreDroppedWithoutACrash) {
  const String text = StoredPadText(Form);
  const HexBlock block = FindRegionBlock(text);
  ASSERT_FALSE(block.Hex.empty());
  const auto withHex = [&](const std::string& hex) {
    return text.substr(0, block.Open + 1) + Utf8ToString(hex) + text.substr(block.Close);
  };
  std::vector<std::string> mutations;
  for (size_t byte = 0; byte < 60; ++byte) {  // N, the header and the first rectangles
    for (const char* value : {"FF", "00", "7F"}) {
      std::string hex = block.Hex;
      hex.replace(byte * 2, 2, value);
      mutations.push_back(hex);
    }
  }
  for (size_t bytes = 0; bytes < block.Hex.size() / 2; bytes += 7)
    mutations.push_back(block.Hex.substr(0, bytes * 2));
  int dropped = 0;
  for (const std::string& hex : mutations) {
    for (int i = Form->GetComponentCount() - 1; i >= 0; --i) delete Form->GetComponent(i);
    ReadLayout(withHex(hex));
    auto* pad = dynamic_cast<TfcImageBtn*>(Form->FindComponent(L"Pad1"));
    ASSERT_NE(pad, nullptr);
    const TfcRegionBytes& record = pad->GetRegionData(false);
    EXPECT_TRUE(record.empty() || IsValidRegionData(record));
    dropped += record.empty() ? 1 : 0;
    pad->HandleNeeded();  // a dropped record is rebuilt from the picture
    EXPECT_NE(pad->GetHitRegion(), nullptr);
  }
  EXPECT_GT(dropped, 100);
}

TEST_F(FcImageButtonTest, ADownGroupedButtonWithoutADownPictureIsMovedAndDithered) {
  TfcImageBtn* button = NewButton(0, 0);
  button->SetGroupIndex(1);
  MemorySurface up(40, 40);
  button->PaintToDC(up.DC());
  EXPECT_EQ(up.At(20, 20), FaceColor(Blue));
  EXPECT_EQ(up.At(0, 0), clBlack);  // a corner takes the shadow colour (outside the region)
  button->SetDown(true);
  MemorySurface down(40, 40);
  button->PaintToDC(down.DC());
  const TColor a = down.At(22, 22), b = down.At(23, 22);
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == clSilver && b == clWhite) || (a == clWhite && b == clSilver));
  EXPECT_EQ(down.At(2, 2), clBlack);   // the corner of the moved picture
  EXPECT_EQ(down.At(1, 20), clBlack);  // the band the move uncovered
  button->SetDitherStyle(dsFill);
  MemorySurface filled(40, 40);
  button->PaintToDC(filled.DC());
  EXPECT_EQ(filled.At(22, 22), clWhite);
  EXPECT_EQ(filled.At(23, 22), clWhite);
}

TEST_F(FcImageButtonTest, AHighlightedFaceIsShadedAlongItsOutline) {
  TfcImageBtn* button = NewButton(0, 0);
  button->SetShadeStyle(fbsHighlight);
  MemorySurface face(40, 40);
  button->PaintToDC(face.DC());
  // The diagonal from the top-left corner enters the picture at (5, 5), leaves it at (34, 34).
  EXPECT_EQ(face.At(5, 5), Rgb(clBtnHighlight));
  EXPECT_EQ(face.At(6, 6), Rgb(cl3DLight));
  EXPECT_EQ(face.At(34, 34), clBlack);
  EXPECT_EQ(face.At(33, 33), Rgb(clBtnShadow));
  EXPECT_EQ(face.At(20, 20), FaceColor(Blue));
  // A transparent colour of -1 keys the colour of the source's first pixel.
  TfcBitmap source, target;
  PaintCutCorners(source);
  PaintCutCorners(target);
  button->DrawShading(&source, &target, false, ColorFromInt(-1));
  EXPECT_EQ(PixelToColor(target.GetPixel(5, 5)), Rgb(clBtnHighlight));
  EXPECT_EQ(PixelToColor(target.GetPixel(0, 0)), FaceColor(Key));
  button->SetGroupIndex(1);
  button->SetAllowAllUp(true);
  TfcBitmap pressed;
  PaintCutCorners(pressed, TfcColor{10, 200, 10});
  button->SetImageDown(&pressed);
  button->SetDown(true);
  MemorySurface down(40, 40);
  button->PaintToDC(down.DC());
  EXPECT_EQ(down.At(5, 5), clBlack);  // down: dark where the light was
  EXPECT_EQ(down.At(34, 34), Rgb(clBtnHighlight));
  EXPECT_EQ(down.At(20, 20), FaceColor(TfcColor{10, 200, 10}));
}

TEST_F(FcImageButtonTest, AssignSharesPicturesAndAButtonCannotBorrowFromItself) {
  TfcImageBtn* first = NewButton(0, 0);
  auto* second = new TfcImageBtn(Form);
  second->Assign(first);
  EXPECT_EQ(second->GetExtImage(), first);
  EXPECT_EQ(second->GetExtImageDown(), first);
  EXPECT_EQ(second->GetStateImage(false), first->GetImage());
  first->SetExtImage(first);
  EXPECT_EQ(first->GetExtImage(), nullptr);
  EXPECT_FALSE(first->GetImage()->GetEmpty());
  // A new picture of the first button reaches the second.
  second->SetBounds(0, 0, 40, 40);
  TfcBitmap green;
  PaintCutCorners(green, TfcColor{10, 200, 10});
  first->SetImage(&green);
  MemorySurface face(40, 40);
  second->PaintToDC(face.DC());
  EXPECT_EQ(face.At(20, 20), FaceColor(TfcColor{10, 200, 10}));
  delete first;  // the second forgets it
  EXPECT_EQ(second->GetExtImage(), nullptr);
  second->PaintToDC(face.DC());
}

TEST_F(FcImageButtonTest, AnImagerRefreshedWhilePaintingTellsItsLinksOnlyOfNewPixels) {
  auto* imager = new TfcImager(Form);
  imager->SetParent(Form);
  TBitmap source;
  source.SetSize(40, 40);
  source.GetCanvas()->GetBrush()->SetColor(clBlue);
  source.GetCanvas()->FillRect(TRect(0, 0, 40, 40));
  imager->GetPicture()->Assign(&source);
  TfcImageBtn* button = NewButton(0, 0);
  button->SetExtImage(imager);
  button->SetTransparentColor(clWhite);
  int told = 0;
  TfcChangeLink watcher;
  watcher.OnChange = [&](TObject*) { ++told; };
  imager->RegisterChanges(&watcher);
  MemorySurface face(40, 40);
  for (int i = 0; i < 3; ++i) button->PaintToDC(face.DC());
  EXPECT_EQ(told, 0);
  EXPECT_EQ(face.At(20, 20), clBlue);
  imager->GetBitmapOptions()->SetInverted(true);
  EXPECT_GE(told, 1);
  told = 0;
  button->PaintToDC(face.DC());
  EXPECT_EQ(told, 0);
  EXPECT_EQ(face.At(20, 20), ColorFromInt(0x0000FFFF));  // blue inverted: yellow
  imager->UnRegisterChanges(&watcher);
}

TEST_F(FcImageButtonTest, ANewPictureInsideTheClickHandlerIsTakenAfterIt) {
  ShowForm();
  TfcImageBtn* button = NewButton(10, 10);
  Pump();
  // Red everywhere but the top-left pixel, which is then the transparent colour.
  TfcBitmap square;
  square.SetSize(40, 40);
  fcPixels::Fill(square.GetPixels(), TfcColor{0, 0, 255});
  square.GetPixels().At(0, 0) = TfcColor{255, 255, 255};
  ASSERT_FALSE(::PtInRegion(button->GetHitRegion(), 1, 1));
  int clicks = 0;
  button->SetOnClick([&](TObject*) {
    ++clicks;
    button->SetImage(&square);
  });
  ClickWindow(button->GetHandle(), 20, 20);
  Pump();
  EXPECT_EQ(clicks, 1);
  ASSERT_NE(button->GetHitRegion(), nullptr);
  EXPECT_TRUE(::PtInRegion(button->GetHitRegion(), 1, 1));  // the square's outline now
  EXPECT_FALSE(::PtInRegion(button->GetHitRegion(), 0, 0));
  EXPECT_TRUE(::IsWindow(button->GetHandle()));
}

}  // namespace

namespace {

// An image button whose face can be drawn, and whose window destroyed, on its own.
class TFaceProbe : public TfcImageBtn {
 public:
  using TfcImageBtn::TfcImageBtn;
  using TfcCustomImageBtn::DrawButtonFace;
  using TWinControl::DestroyHandle;
};

}  // namespace

TEST_F(FcImageButtonTest, TheUpPictureLeavesGdiWhileTheWindowIsAwayAndComesBackUnchanged) {
  ShowForm();
  auto* button = PlacePad<TFaceProbe>(Form, L"Probe", 20, 20);
  Pump();
  ASSERT_NE(button->GetHitRegion(), nullptr);
  UniqueRegion outline(::CreateRectRgn(0, 0, 0, 0));
  ::CombineRgn(outline.get(), button->GetHitRegion(), nullptr, RGN_COPY);
  TfcBitmap original;
  original.Assign(button->GetImage());
  int changes = 0;
  TfcChangeLink link;
  link.OnChange = [&](TObject*) { ++changes; };
  button->GetImage()->RegisterChanges(&link);
  const int withWindow = control_tests::GdiObjectCount();
  for (int round = 0; round < 5; ++round) {
    button->DestroyHandle();
    // The picture's section and memory DC are gone (and the region with the window).
    EXPECT_LE(control_tests::GdiObjectCount(), withWindow - 3) << round;
    button->HandleNeeded();
    Pump();
    EXPECT_EQ(control_tests::GdiObjectCount(), withWindow) << "nothing leaks, round " << round;
  }
  EXPECT_EQ(changes, 0) << "setting the pixels aside and back is no change of the picture";
  EXPECT_TRUE(::EqualRgn(button->GetHitRegion(), outline.get())) << "the stored outline stays";
  ASSERT_EQ(button->GetImage()->GetImageSize(), original.GetImageSize());
  EXPECT_EQ(std::memcmp(button->GetImage()->GetBits(), original.GetBits(),
                        static_cast<size_t>(original.GetImageSize())), 0);
  // Asked for while the window is away, the picture comes back at once.
  button->DestroyHandle();
  EXPECT_FALSE(button->GetImage()->GetEmpty());
  button->GetImage()->UnRegisterChanges(&link);
}

namespace {

// A 40 x 40 picture of 8 bits whose colour table is a grey ramp, the first entry magenta.
std::unique_ptr<TBitmap> EightBitPicture() {
  std::vector<uint8_t> memory(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 256);
  auto* palette = reinterpret_cast<LOGPALETTE*>(memory.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = 256;
  for (int i = 0; i < 256; ++i)
    palette->palPalEntry[i] = PALETTEENTRY{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  palette->palPalEntry[0] = PALETTEENTRY{255, 0, 255, 0};
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf8bit);
  bitmap->SetPalette(::CreatePalette(palette));
  bitmap->SetSize(40, 40);
  return bitmap;
}

}  // namespace

TEST_F(FcImageButtonTest, TheFaceTakesTheUpPicturesPaletteAndTheButtonItsGlyphs) {
  auto* button = new TFaceProbe(Form);
  EXPECT_EQ(button->GetPalette(), nullptr) << "no glyph, no palette";
  std::unique_ptr<TBitmap> picture = EightBitPicture();
  button->GetGlyph()->Assign(picture.get());
  EXPECT_NE(button->GetPalette(), nullptr);
  TfcBitmap up;
  up.LoadFromBitmap(picture.get());
  ASSERT_TRUE(up.GetColorTableFound());
  button->SetImage(&up);
  button->SetBounds(0, 0, 40, 40);
  TfcBitmap face;
  button->DrawButtonFace(&face, false, false, fbsNormal);
  EXPECT_TRUE(face.GetColorTableFound());
  EXPECT_EQ(face.GetColorTable()[0].rgbRed, 255);
  EXPECT_EQ(face.GetColorTable()[0].rgbGreen, 0);
  EXPECT_EQ(face.GetColorTable()[77].rgbBlue, 77);
}
