// The menu movie format that TShockwaveFlash plays: a background picture, static texts and
// buttons, each button with a normal, a hover and a pressed picture, a caption and the
// command (and argument text) it sends when chosen.
//
// Layout of a file (all numbers little-endian, texts UTF-16 with a 16-bit length in
// characters in front):
//
//   header   8 bytes signature "EXMENU1\0"
//            u16 design width, u16 design height (every position is in these units)
//            u16 background picture index
//            u16 picture count, u16 text count, u16 button count
//   picture  u16 width, u16 height, u32 size in bytes of the runs that follow;
//            runs of (u8 count 1..255, u8 blue, u8 green, u8 red), row by row from the top,
//            adding up to exactly width × height pixels
//   text     i16 left, top, width, height; u32 colour (0x00BBGGRR); u16 font height in
//            pixels; u8 bold; text
//   button   i16 left, top, width, height; u16 normal, hover, pressed picture index;
//            u32 caption colour; u16 font height; caption; command; args
//
// Every count, size and index is checked against the limits below and against the bytes
// that remain before it is used; a file that breaks any rule, or has bytes left over, is
// refused with EMenuMovieError. Pixels whose colour is kMenuKeyColor are see-through in
// button pictures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "classlib/system/SysExceptions.h"

CLASSLIB_EXCEPTION(EMenuMovieError, Exception)

inline constexpr char kMenuMovieSignature[8] = {'E', 'X', 'M', 'E', 'N', 'U', '1', '\0'};
inline constexpr size_t kMenuMovieSignatureSize = sizeof kMenuMovieSignature;

// Limits of a movie the player accepts.
inline constexpr int kMenuMaxSide = 4096;            // design size and picture sides
inline constexpr int kMenuMaxPictures = 256;
inline constexpr int kMenuMaxTexts = 256;
inline constexpr int kMenuMaxButtons = 256;
inline constexpr int kMenuMaxTextLength = 1024;      // characters of one text
inline constexpr int64_t kMenuMaxFileSize = 64 << 20;
// Pixels of this colour (0x00BBGGRR) are not drawn: the shape of a button picture.
inline constexpr uint32_t kMenuKeyColor = 0x00FF00FF;

// A picture: rows from the top, 0x00RRGGBB per pixel (as a 32-bit DIB holds it).
struct TMenuPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // Width × Height
};

struct TMenuRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Contains(int x, int y) const { return x >= Left && y >= Top && x < Left + Width && y < Top + Height; }
};

// A static text of the menu (a group heading, a title).
struct TMenuText {
  TMenuRect Bounds;
  uint32_t Color = 0;   // 0x00BBGGRR
  int FontHeight = 16;  // pixels in design units
  bool Bold = false;
  std::wstring Text;
};

struct TMenuButton {
  TMenuRect Bounds;
  int Normal = 0;       // picture indexes
  int Hover = 0;
  int Pressed = 0;
  uint32_t CaptionColor = 0;
  int FontHeight = 16;
  std::wstring Caption;
  std::wstring Command;  // what OnFSCommand receives as the command
  std::wstring Args;     // and as the argument text
};

struct TMenuMovie {
  int DesignWidth = 0;
  int DesignHeight = 0;
  int Background = 0;  // picture index
  std::vector<TMenuPicture> Pictures;
  std::vector<TMenuText> Texts;
  std::vector<TMenuButton> Buttons;
};

// Reads a movie from its bytes; EMenuMovieError says what is wrong (and where) otherwise.
TMenuMovie ParseMenuMovie(const std::string& bytes);
// Reads the movie file; EMenuMovieError also when it cannot be read or is too large.
TMenuMovie LoadMenuMovie(const std::wstring& fileName);
// The bytes of a movie. EMenuMovieError when the movie breaks a rule a reader checks, so
// that what is written can always be read back.
std::string WriteMenuMovie(const TMenuMovie& movie);
// Writes the bytes to the file (created or replaced); EMenuMovieError when it cannot.
void SaveMenuMovie(const TMenuMovie& movie, const std::wstring& fileName);
