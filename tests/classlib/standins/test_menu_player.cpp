// The menu movie format and the menu player: movies written and read back, damaged movies
// refused without a crash, and the player in a real window driven by posted mouse and
// keyboard messages, painting into a memory device context.
#include <gtest/gtest.h>

#include <memory>
#include "classlib/forms/Forms.h"
#include "classlib/standins/ShockwaveFlash.h"
#include "tests/ApplicationTestSupport.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

constexpr uint32_t kSky = 0x00C6DEF6;     // background, 0x00RRGGBB
constexpr uint32_t kNormal = 0x002E60B0;  // button faces
constexpr uint32_t kHover = 0x00E67814;
constexpr uint32_t kPressed = 0x001E468C;

TMenuPicture Solid(int w, int h, uint32_t colour) {
  return TMenuPicture{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, colour)};
}

// A face whose top-left pixel is the key colour, so that it is left undrawn.
TMenuPicture Face(uint32_t colour) {
  TMenuPicture face = Solid(40, 20, colour);
  face.Pixels[0] = kMenuKeyColor;
  return face;
}

// 200 × 150: a background, a heading and three buttons in a row.
TMenuMovie SampleMovie() {
  TMenuMovie movie;
  movie.DesignWidth = 200;
  movie.DesignHeight = 150;
  movie.Background = 0;
  movie.Pictures = {Solid(200, 150, kSky), Face(kNormal), Face(kHover), Face(kPressed)};
  movie.Texts.push_back(TMenuText{{10, 5, 180, 20}, 0x00683A1F, 16, true, L"考试辅导系统"});
  const wchar_t* const commands[] = {L"lx", L"about", L"quit"};
  for (int i = 0; i < 3; ++i)
    movie.Buttons.push_back(TMenuButton{{10 + 60 * i, 60, 40, 20}, 1, 2, 3, 0x00FFFFFF, 12,
                                        L"按钮" + IntToStr(i + 1), commands[i], L"arg" + IntToStr(i)});
  return movie;
}

// ---- The format ---------------------------------------------------------------------------------

TEST(MenuMovieFormat, WhatIsWrittenReadsBack) {
  const TMenuMovie movie = SampleMovie();
  const TMenuMovie back = ParseMenuMovie(WriteMenuMovie(movie));
  EXPECT_EQ(200, back.DesignWidth);
  EXPECT_EQ(150, back.DesignHeight);
  ASSERT_EQ(4u, back.Pictures.size());
  EXPECT_EQ(movie.Pictures[1].Pixels, back.Pictures[1].Pixels);
  EXPECT_EQ(movie.Pictures[0].Pixels, back.Pictures[0].Pixels) << "runs longer than 255 pixels";
  ASSERT_EQ(1u, back.Texts.size());
  EXPECT_EQ(L"考试辅导系统", back.Texts[0].Text);
  EXPECT_TRUE(back.Texts[0].Bold);
  ASSERT_EQ(3u, back.Buttons.size());
  EXPECT_EQ(L"about", back.Buttons[1].Command);
  EXPECT_EQ(L"arg1", back.Buttons[1].Args);
  EXPECT_EQ(L"按钮2", back.Buttons[1].Caption);
  EXPECT_EQ(70, back.Buttons[1].Bounds.Left);
  EXPECT_EQ(3, back.Buttons[1].Pressed);
}

TEST(MenuMovieFormat, WriterRefusesWhatAReaderWould) {
  TMenuMovie movie = SampleMovie();
  movie.Buttons[0].Normal = 9;
  EXPECT_THROW(WriteMenuMovie(movie), EMenuMovieError) << "a picture that is not there";
  movie = SampleMovie();
  movie.Pictures[1].Pixels.pop_back();
  EXPECT_THROW(WriteMenuMovie(movie), EMenuMovieError) << "fewer pixels than the size says";
  movie = SampleMovie();
  movie.Buttons[2].Bounds.Left = 190;
  EXPECT_THROW(WriteMenuMovie(movie), EMenuMovieError) << "a button outside the movie";
}

// Offsets into SampleMovie's bytes.
constexpr size_t kCountsAt = 8 + 6;              // picture, text and button counts
constexpr size_t kFirstPictureAt = kCountsAt + 6;

void PutU16(std::string& bytes, size_t at, unsigned value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

TEST(MenuMovieFormat, DamagedMoviesAreRefused) {
  const std::string good = WriteMenuMovie(SampleMovie());
  for (int tenth = 0; tenth < 10; ++tenth)
    EXPECT_THROW(ParseMenuMovie(good.substr(0, good.size() * tenth / 10)), EMenuMovieError) << tenth;
  EXPECT_THROW(ParseMenuMovie(good.substr(0, good.size() - 1)), EMenuMovieError) << "one byte short";
  EXPECT_THROW(ParseMenuMovie(good + "x"), EMenuMovieError) << "a byte too many";

  struct TLie {
    const char* What;
    size_t At;
    unsigned Value;
  };
  const TLie lies[] = {
      {"more pictures than there are", kCountsAt, 5},
      {"more buttons than there are", kCountsAt + 4, 4},
      {"more buttons than allowed", kCountsAt + 4, 60000},
      {"background beyond the pictures", 12, 4},
      {"design width 0", 8, 0},
      {"a picture wider than allowed", kFirstPictureAt, 5000},
      {"a picture larger than its runs", kFirstPictureAt + 2, 151},
      {"runs longer than the file (low word)", kFirstPictureAt + 4, 0xFFFC},
      {"runs longer than the file (high word)", kFirstPictureAt + 6, 0x7FFF},
      {"runs not a whole number of runs", kFirstPictureAt + 4, 0x0001},
  };
  for (const TLie& lie : lies) {
    std::string bad = good;
    PutU16(bad, lie.At, lie.Value);
    EXPECT_THROW(ParseMenuMovie(bad), EMenuMovieError) << lie.What;
  }
  std::string zeroRun = good;
  zeroRun[kFirstPictureAt + 8] = 0;
  EXPECT_THROW(ParseMenuMovie(zeroRun), EMenuMovieError) << "a run of no pixels";
  std::string other = good;
  other[0] = 'F';
  EXPECT_THROW(ParseMenuMovie(other), EMenuMovieError) << "another signature";
}

TEST(MenuMovieFormat, EveryChangedByteIsReadOrRefusedWithoutACrash) {
  TMenuMovie movie = SampleMovie();
  movie.Pictures[0] = Solid(20, 15, kSky);  // a small movie, so every byte can be tried
  movie.DesignWidth = 200;
  const std::string good = WriteMenuMovie(movie);
  int refused = 0;
  for (size_t at = 0; at < good.size(); ++at) {
    for (unsigned char value : {0x00, 0x7F, 0xFF}) {
      std::string bad = good;
      bad[at] = static_cast<char>(value);
      try {
        ParseMenuMovie(bad);
      } catch (const EMenuMovieError&) {
        ++refused;
      }
    }
  }
  EXPECT_GT(refused, 0);
}

TEST(MenuMovieFormat, MessageSaysWhatIsWrong) {
  try {
    ParseMenuMovie(std::string("EXMENU1\0", 8));
    FAIL() << "a header without its sizes";
  } catch (const EMenuMovieError& e) {
    EXPECT_NE(String::npos, e.Message().find(L"菜单动画文件已损坏")) << StringToUtf8(e.Message());
  }
}

// ---- The player in a window --------------------------------------------------------------------

String TempFile(const String& name) {
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, folder);
  return String(folder) + name + IntToStr(int64_t(::GetCurrentProcessId())) + L".swf";
}

// A form 400 × 300 holding a player over its whole client area, playing SampleMovie from a
// file; every command the player sends is recorded.
class MenuPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    FFile = TempFile(L"menuplayer_");
    SaveMenuMovie(SampleMovie(), FFile);
    FForm.reset(TCustomForm::Create<TForm>(nullptr));
    FForm->SetBorderStyle(bsNone);
    FForm->SetBounds(50, 50, 400, 300);
    Player = new TShockwaveFlash(FForm.get());
    Player->SetParent(FForm.get());
    Player->SetAlign(alClient);
    Player->SetOnFSCommand([this](TObject*, const String& command, const String& args) {
      Commands.push_back(command + L"|" + args);
    });
    Player->SetMovie(FFile);
    Player->Play();
    FForm->Show();
    Pump();
  }
  void TearDown() override {
    FForm.reset();
    ::DeleteFileW(FFile.c_str());
  }
  void Pump() { PumpApplicationUntil([] { return false; }, 60, 10); }
  void Post(UINT msg, WPARAM w, int x, int y) {
    ::PostMessageW(Player->GetHandle(), msg, w, MAKELPARAM(x, y));
  }
  void Key(WORD key) {
    ::PostMessageW(Player->GetHandle(), WM_KEYDOWN, key, 1);
    ::PostMessageW(Player->GetHandle(), WM_KEYUP, key, 0xC0000001);
    Pump();
  }
  TPoint Centre(int button) {
    const TRect r = Player->ButtonRect(button);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Click(int x, int y) {
    Post(WM_MOUSEMOVE, 0, x, y);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Post(WM_LBUTTONUP, 0, x, y);
    Pump();
  }
  // The colour (0x00RRGGBB) the player paints at a client point.
  uint32_t PixelAt(int x, int y) {
    MemorySurface surface(400, 300);
    Player->RenderTo(surface.DC(), 400, 300);
    const COLORREF c = ColorToRGB(surface.At(x, y));
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
  }

  TShockwaveFlash* Player = nullptr;  // owned by the form
  std::vector<String> Commands;

 private:
  String FFile;
  std::unique_ptr<TForm> FForm;
};

TEST_F(MenuPlayer, ButtonsScaleWithTheWindow) {
  // The design is 200 × 150, the player 400 × 300: every position doubles.
  EXPECT_EQ(TRect(140, 120, 220, 160), Player->ButtonRect(1));
  EXPECT_EQ(1, Player->ButtonAt(140, 120));
  EXPECT_EQ(1, Player->ButtonAt(219, 159));
  EXPECT_EQ(-1, Player->ButtonAt(220, 159)) << "right of the button";
  EXPECT_EQ(-1, Player->ButtonAt(139, 130)) << "left of it";
  EXPECT_EQ(-1, Player->ButtonAt(5, 5)) << "the background";
}

TEST_F(MenuPlayer, ClickSendsTheButtonsCommandAndArgs) {
  const TPoint about = Centre(1);
  Click(about.X, about.Y);
  ASSERT_EQ(1u, Commands.size());
  EXPECT_EQ(L"about|arg1", Commands[0]);

  // Pressed on one button, released on another: nothing is chosen.
  const TPoint quit = Centre(2);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, about.X, about.Y);
  Post(WM_MOUSEMOVE, MK_LBUTTON, quit.X, quit.Y);
  Post(WM_LBUTTONUP, 0, quit.X, quit.Y);
  Pump();
  EXPECT_EQ(1u, Commands.size());
  Click(5, 5);
  EXPECT_EQ(1u, Commands.size()) << "the background sends nothing";
}

TEST_F(MenuPlayer, FacesFollowTheMouse) {
  const TPoint lx = Centre(0);
  const TRect r = Player->ButtonRect(0);
  EXPECT_EQ(kNormal, PixelAt(r.Left + 4, r.Top + 4));
  EXPECT_EQ(kSky, PixelAt(r.Left, r.Top)) << "the key colour leaves the corner undrawn";
  EXPECT_EQ(kSky, PixelAt(r.Left - 2, r.Top + 4));
  Post(WM_MOUSEMOVE, 0, lx.X, lx.Y);
  Pump();
  EXPECT_EQ(0, Player->GetHoverIndex());
  EXPECT_EQ(kHover, PixelAt(r.Left + 4, r.Top + 4));
  Post(WM_LBUTTONDOWN, MK_LBUTTON, lx.X, lx.Y);
  Pump();
  EXPECT_EQ(kPressed, PixelAt(r.Left + 4, r.Top + 4));
  Post(WM_MOUSEMOVE, MK_LBUTTON, 5, 5);
  Pump();
  EXPECT_EQ(kNormal, PixelAt(r.Left + 4, r.Top + 4)) << "dragged off, the button is let go";
  Post(WM_LBUTTONUP, 0, 5, 5);
  Pump();
  EXPECT_TRUE(Commands.empty());
}

TEST_F(MenuPlayer, KeyboardMovesAndChooses) {
  ::SetFocus(Player->GetHandle());
  Pump();
  EXPECT_EQ(0, Player->GetFocusIndex());
  Key(VK_TAB);
  EXPECT_EQ(1, Player->GetFocusIndex()) << "Tab stays among the buttons";
  Key(VK_RIGHT);
  EXPECT_EQ(2, Player->GetFocusIndex());
  Key(VK_DOWN);
  EXPECT_EQ(0, Player->GetFocusIndex()) << "and wraps round";
  Key(VK_LEFT);
  EXPECT_EQ(2, Player->GetFocusIndex());
  Key(VK_UP);
  EXPECT_EQ(1, Player->GetFocusIndex());
  Key(VK_RETURN);
  Key(VK_SPACE);
  ASSERT_EQ(2u, Commands.size());
  EXPECT_EQ(L"about|arg1", Commands[0]);
  EXPECT_EQ(L"about|arg1", Commands[1]);
}

TEST_F(MenuPlayer, DamagedMovieLeavesThePlayerBlank) {
  const String bad = TempFile(L"menuplayer_bad_");
  std::string bytes = WriteMenuMovie(SampleMovie());
  bytes.resize(bytes.size() / 2);
  HANDLE file = ::CreateFileW(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);

  EXPECT_THROW(Player->SetMovie(bad), EMenuMovieError);
  ::DeleteFileW(bad.c_str());
  EXPECT_FALSE(Player->GetPlaying());
  EXPECT_TRUE(Player->GetMovieData().Buttons.empty());
  EXPECT_EQ(0x00FFFFFFu, PixelAt(200, 150)) << "blank";
  EXPECT_THROW(Player->Play(), EInvalidOperation);
  EXPECT_THROW(Player->SetMovie(L"C:\\no such folder\\main.swf"), EMenuMovieError);
  Click(100, 100);
  EXPECT_TRUE(Commands.empty());
}

}  // namespace
