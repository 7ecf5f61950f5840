// The menu movie builder, run by the build:
//   makemenu SOURCE MOVIE
// reads the readable menu source (main.menu: the lines are described at its top), draws the
// background and the button pictures, and writes the movie in the menu player's format.
// Exit code 0 on success; otherwise the reason, with the source line, goes to the error
// output.
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include "classlib/standins/MenuMovie.h"
#include "classlib/system/SysString.h"
#include "data/tools/HostPath.h"

namespace {

struct TSourceError {
  int Line;
  std::string What;
};

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// A colour written RRGGBB, as 0x00RRGGBB.
uint32_t ParseColour(const std::string& text, int line) {
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    throw TSourceError{line, "colour '" + text + "' is not RRGGBB"};
  return static_cast<uint32_t>(std::stoul(text, nullptr, 16));
}

// The colour between a and b at t (0..1).
uint32_t Mix(uint32_t a, uint32_t b, double t) {
  auto part = [&](int shift) {
    const int from = a >> shift & 0xFF, to = b >> shift & 0xFF;
    return static_cast<int>(from + (to - from) * t + 0.5) & 0xFF;
  };
  return Rgb(part(16), part(8), part(0));
}

// Inside a rectangle of w × h with corners rounded by radius.
bool InRounded(int x, int y, int w, int h, int radius) {
  const int cx = x < radius ? radius : x >= w - radius ? w - radius - 1 : x;
  const int cy = y < radius ? radius : y >= h - radius ? h - radius - 1 : y;
  const int dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= radius * radius;
}

TMenuPicture Gradient(int w, int h, uint32_t top, uint32_t bottom) {
  TMenuPicture picture{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h)};
  for (int y = 0; y < h; ++y)
    std::fill_n(picture.Pixels.begin() + static_cast<size_t>(y) * w, w, Mix(top, bottom, h > 1 ? double(y) / (h - 1) : 0));
  return picture;
}

void DrawPanel(TMenuPicture& background, int left, int top, int w, int h, uint32_t fill, uint32_t border,
               int radius) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!InRounded(x, y, w, h, radius)) continue;
      const bool edge = !InRounded(x - 1, y, w, h, radius) || !InRounded(x + 1, y, w, h, radius) ||
                        !InRounded(x, y - 1, w, h, radius) || !InRounded(x, y + 1, w, h, radius) ||
                        x == 0 || y == 0 || x == w - 1 || y == h - 1;
      background.Pixels[static_cast<size_t>(top + y) * background.Width + left + x] = edge ? border : fill;
    }
}

// A rounded button face: a vertical gradient with a darker rim and a light line below the
// top rim; outside the corners the key colour, which the player does not draw.
TMenuPicture ButtonFace(int w, int h, uint32_t top, uint32_t bottom, int radius) {
  TMenuPicture picture = Gradient(w, h, top, bottom);
  const uint32_t rim = Mix(bottom, 0, 0.35), shine = Mix(top, 0xFFFFFF, 0.45);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t& pixel = picture.Pixels[static_cast<size_t>(y) * w + x];
      if (!InRounded(x, y, w, h, radius))
        pixel = kMenuKeyColor;
      else if (!InRounded(x - 1, y, w, h, radius) || !InRounded(x + 1, y, w, h, radius) ||
               !InRounded(x, y - 1, w, h, radius) || !InRounded(x, y + 1, w, h, radius) || x == 0 ||
               y == 0 || x == w - 1 || y == h - 1)
        pixel = rim;
      else if (y == 1 || y == 2)
        pixel = shine;
    }
  return picture;
}

// The look of the buttons that follow a "buttons" line.
struct TButtonLook {
  uint32_t Top[3] = {};     // normal, hover, pressed
  uint32_t Bottom[3] = {};
  uint32_t Caption = 0xFFFFFF;
  int Font = 16;
  int Radius = 8;
};

class TMenuBuilder {
 public:
  void Line(int number, const std::string& line) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') return;
    FLine = number;
    if (word == "movie") {
      FMovie.DesignWidth = Int(in);
      FMovie.DesignHeight = Int(in);
    } else if (word == "background") {
      NeedSize();
      const uint32_t top = Colour(in), bottom = Colour(in);
      FMovie.Pictures.push_back(Gradient(FMovie.DesignWidth, FMovie.DesignHeight, top, bottom));
      FMovie.Background = static_cast<int>(FMovie.Pictures.size()) - 1;
      FHasBackground = true;
    } else if (word == "panel") {
      NeedBackground();
      const int x = Int(in), y = Int(in), w = Int(in), h = Int(in);
      const uint32_t fill = Colour(in), border = Colour(in);
      const int radius = Int(in);
      Inside(x, y, w, h);
      DrawPanel(FMovie.Pictures[FMovie.Background], x, y, w, h, fill, border, radius);
    } else if (word == "buttons") {
      for (int state = 0; state < 3; ++state) {
        FLook.Top[state] = Colour(in);
        FLook.Bottom[state] = Colour(in);
      }
      FLook.Caption = Colour(in);
      FLook.Font = Int(in);
      FLook.Radius = Int(in);
      ++FLookNumber;
    } else if (word == "text") {
      TMenuText text;
      text.Bounds = Rect(in);
      text.FontHeight = Int(in);
      std::string weight;
      in >> weight;
      if (weight != "bold" && weight != "plain") Fail("expected bold or plain");
      text.Bold = weight == "bold";
      text.Color = ColorRef(Colour(in));
      text.Text = Rest(in);
      FMovie.Texts.push_back(std::move(text));
    } else if (word == "button") {
      NeedBackground();
      TMenuButton button;
      button.Bounds = Rect(in);
      std::string command;
      if (!(in >> command)) Fail("a button needs a command");
      button.Command = Utf8ToString(command);
      button.Caption = Rest(in);
      button.CaptionColor = ColorRef(FLook.Caption);
      button.FontHeight = FLook.Font;
      const int first = Faces(button.Bounds.Width, button.Bounds.Height);
      button.Normal = first;
      button.Hover = first + 1;
      button.Pressed = first + 2;
      FMovie.Buttons.push_back(std::move(button));
    } else {
      Fail("unknown line '" + word + "'");
    }
  }

  const TMenuMovie& Movie() const { return FMovie; }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw TSourceError{FLine, what}; }
  int Int(std::istringstream& in) {
    int value = 0;
    if (!(in >> value)) Fail("expected a number");
    return value;
  }
  uint32_t Colour(std::istringstream& in) {
    std::string text;
    in >> text;
    return ParseColour(text, FLine);
  }
  // 0x00RRGGBB as the player's 0x00BBGGRR.
  static uint32_t ColorRef(uint32_t rgb) { return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16; }
  std::wstring Rest(std::istringstream& in) {
    std::string rest;
    std::getline(in, rest);
    const size_t start = rest.find_first_not_of(" \t");
    if (start == std::string::npos) Fail("a text is missing");
    return Utf8ToString(rest.substr(start));
  }
  TMenuRect Rect(std::istringstream& in) {
    TMenuRect r;
    r.Left = Int(in);
    r.Top = Int(in);
    r.Width = Int(in);
    r.Height = Int(in);
    Inside(r.Left, r.Top, r.Width, r.Height);
    return r;
  }
  void NeedSize() const {
    if (FMovie.DesignWidth <= 0 || FMovie.DesignHeight <= 0) Fail("the movie line must come first");
  }
  void NeedBackground() const {
    if (!FHasBackground) Fail("the background line must come before panels and buttons");
  }
  void Inside(int x, int y, int w, int h) const {
    NeedSize();
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > FMovie.DesignWidth || y + h > FMovie.DesignHeight)
      Fail("outside the movie");
  }
  // The index of the first of the three faces of a button of this size and look, drawn once.
  int Faces(int w, int h) {
    const auto key = std::make_tuple(FLookNumber, w, h);
    const auto found = FFaces.find(key);
    if (found != FFaces.end()) return found->second;
    const int first = static_cast<int>(FMovie.Pictures.size());
    for (int state = 0; state < 3; ++state)
      FMovie.Pictures.push_back(ButtonFace(w, h, FLook.Top[state], FLook.Bottom[state], FLook.Radius));
    FFaces[key] = first;
    return first;
  }

  TMenuMovie FMovie;                                // what is built
  TButtonLook FLook;                                // the look of the next buttons
  int FLookNumber = 0;                              // counts "buttons" lines
  bool FHasBackground = false;
  std::map<std::tuple<int, int, int>, int> FFaces;  // (look, width, height) -> first face
  int FLine = 0;                                    // the source line being read
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: makemenu SOURCE MOVIE\n", stderr);
    return 2;
  }
  FILE* source = _wfopen(HostPath(argv[1]).c_str(), L"rb");
  if (!source) {
    std::fputs("makemenu: cannot read the source\n", stderr);
    return 1;
  }
  std::string text;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, source)) > 0;) text.append(chunk, n);
  std::fclose(source);
  try {
    TMenuBuilder builder;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      builder.Line(number, line);
    }
    SaveMenuMovie(builder.Movie(), HostPath(argv[2]));
    std::printf("makemenu: %d buttons, %d pictures\n", static_cast<int>(builder.Movie().Buttons.size()),
                static_cast<int>(builder.Movie().Pictures.size()));
    return 0;
  } catch (const TSourceError& e) {
    std::fprintf(stderr, "makemenu: line %d: %s\n", e.Line, e.What.c_str());
  } catch (const Exception& e) {
    std::fprintf(stderr, "makemenu: %s\n", e.what());
  }
  return 1;
}
