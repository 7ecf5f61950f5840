// Reading and writing the menu movie format (see MenuMovie.h).
//
// The reader walks the bytes with a cursor that knows how many remain: every read first
// checks that its bytes are there, every count and index is checked against its limit, and
// a picture's size is checked before its pixels are allocated. The writer checks the same
// rules, so a file it writes is one the reader accepts.
#include "MenuMovie.h"

#include <cstring>
#include "classlib/classes/Streams.h"

namespace {

[[noreturn]] void Fail(const String& what, size_t offset) {
  throw EMenuMovieError(L"菜单动画文件已损坏：%s（位置 %d）", {what, static_cast<int64_t>(offset)});
}

// A read position in the movie's bytes.
class TMovieCursor {
 public:
  explicit TMovieCursor(const std::string& bytes) : FBytes(bytes) {}

  size_t Offset() const { return FOffset; }
  size_t Remaining() const { return FBytes.size() - FOffset; }
  bool AtEnd() const { return FOffset == FBytes.size(); }

  void Need(size_t count, const wchar_t* what) const {
    if (count > Remaining()) Fail(String(what) + L"不完整", FOffset);
  }
  uint8_t U8(const wchar_t* what) {
    Need(1, what);
    return static_cast<uint8_t>(FBytes[FOffset++]);
  }
  uint16_t U16(const wchar_t* what) {
    Need(2, what);
    const uint16_t value = static_cast<uint16_t>(Byte(0) | Byte(1) << 8);
    FOffset += 2;
    return value;
  }
  int16_t I16(const wchar_t* what) { return static_cast<int16_t>(U16(what)); }
  uint32_t U32(const wchar_t* what) {
    Need(4, what);
    const uint32_t value = Byte(0) | Byte(1) << 8 | Byte(2) << 16 | static_cast<uint32_t>(Byte(3)) << 24;
    FOffset += 4;
    return value;
  }
  std::wstring Text(const wchar_t* what) {
    const size_t length = U16(what);
    if (length > kMenuMaxTextLength) Fail(String(what) + L"过长", FOffset);
    Need(length * 2, what);
    std::wstring text(length, L'\0');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(U16(what));
    return text;
  }
  const char* Here() const { return FBytes.data() + FOffset; }
  void Skip(size_t count) { FOffset += count; }

 private:
  uint32_t Byte(size_t at) const { return static_cast<uint8_t>(FBytes[FOffset + at]); }

  const std::string& FBytes;  // the whole file; not owned
  size_t FOffset = 0;         // the next byte to read
};

int Count(TMovieCursor& in, int limit, const wchar_t* what) {
  const int count = in.U16(what);
  if (count > limit) Fail(String(what) + L"过多", in.Offset());
  return count;
}

TMenuRect ReadRect(TMovieCursor& in, int designWidth, int designHeight) {
  TMenuRect r;
  r.Left = in.I16(L"位置");
  r.Top = in.I16(L"位置");
  r.Width = in.I16(L"大小");
  r.Height = in.I16(L"大小");
  if (r.Width <= 0 || r.Height <= 0 || r.Left < 0 || r.Top < 0 || r.Left + r.Width > designWidth ||
      r.Top + r.Height > designHeight)
    Fail(L"位置超出画面", in.Offset());
  return r;
}

int FontHeight(TMovieCursor& in) {
  const int height = in.U16(L"字号");
  if (height < 6 || height > 200) Fail(L"字号无效", in.Offset());
  return height;
}

TMenuPicture ReadPicture(TMovieCursor& in) {
  TMenuPicture picture;
  picture.Width = in.U16(L"图片");
  picture.Height = in.U16(L"图片");
  if (picture.Width < 1 || picture.Height < 1 || picture.Width > kMenuMaxSide ||
      picture.Height > kMenuMaxSide)
    Fail(L"图片大小无效", in.Offset());
  const size_t runBytes = in.U32(L"图片");
  if (runBytes % 4 != 0) Fail(L"图片数据长度无效", in.Offset());
  in.Need(runBytes, L"图片数据");
  const size_t pixelCount = static_cast<size_t>(picture.Width) * picture.Height;
  // Each run gives at most 255 pixels: a size that cannot cover the picture is refused
  // before the pixels are allocated.
  if (runBytes / 4 * 255 < pixelCount) Fail(L"图片数据不足", in.Offset());
  picture.Pixels.resize(pixelCount);
  const uint8_t* run = reinterpret_cast<const uint8_t*>(in.Here());
  size_t filled = 0;
  for (size_t i = 0; i < runBytes; i += 4, run += 4) {
    const size_t count = run[0];
    if (count == 0 || count > pixelCount - filled) Fail(L"图片数据无效", in.Offset() + i);
    const uint32_t pixel = uint32_t(run[3]) << 16 | uint32_t(run[2]) << 8 | run[1];
    std::fill_n(picture.Pixels.begin() + filled, count, pixel);
    filled += count;
  }
  if (filled != pixelCount) Fail(L"图片数据不足", in.Offset());
  in.Skip(runBytes);
  return picture;
}

int PictureIndex(TMovieCursor& in, const TMenuMovie& movie) {
  const int index = in.U16(L"图片编号");
  if (index >= static_cast<int>(movie.Pictures.size())) Fail(L"图片编号无效", in.Offset());
  return index;
}

// ---- Writing ------------------------------------------------------------------------------

class TMovieWriter {
 public:
  void U8(unsigned v) { FBytes.push_back(static_cast<char>(v & 0xFF)); }
  void U16(unsigned v) {
    U8(v);
    U8(v >> 8);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void Text(const std::wstring& text) {
    if (text.size() > static_cast<size_t>(kMenuMaxTextLength)) Fail(L"文字过长", FBytes.size());
    U16(static_cast<unsigned>(text.size()));
    for (wchar_t ch : text) U16(ch);
  }
  void Rect(const TMenuRect& r) {
    U16(static_cast<uint16_t>(r.Left));
    U16(static_cast<uint16_t>(r.Top));
    U16(static_cast<uint16_t>(r.Width));
    U16(static_cast<uint16_t>(r.Height));
  }
  void Picture(const TMenuPicture& picture) {
    U16(picture.Width);
    U16(picture.Height);
    std::string runs;
    size_t i = 0;
    while (i < picture.Pixels.size()) {
      const uint32_t pixel = picture.Pixels[i];
      size_t count = 1;
      while (count < 255 && i + count < picture.Pixels.size() && picture.Pixels[i + count] == pixel) ++count;
      runs.push_back(static_cast<char>(count));
      runs.push_back(static_cast<char>(pixel & 0xFF));
      runs.push_back(static_cast<char>(pixel >> 8 & 0xFF));
      runs.push_back(static_cast<char>(pixel >> 16 & 0xFF));
      i += count;
    }
    U32(static_cast<uint32_t>(runs.size()));
    FBytes += runs;
  }
  std::string FBytes;
};

}  // namespace

TMenuMovie ParseMenuMovie(const std::string& bytes) {
  TMovieCursor in(bytes);
  in.Need(kMenuMovieSignatureSize, L"文件头");
  if (std::memcmp(in.Here(), kMenuMovieSignature, kMenuMovieSignatureSize) != 0) Fail(L"不是菜单动画", 0);
  in.Skip(kMenuMovieSignatureSize);

  TMenuMovie movie;
  movie.DesignWidth = in.U16(L"文件头");
  movie.DesignHeight = in.U16(L"文件头");
  if (movie.DesignWidth < 1 || movie.DesignHeight < 1 || movie.DesignWidth > kMenuMaxSide ||
      movie.DesignHeight > kMenuMaxSide)
    Fail(L"画面大小无效", in.Offset());
  movie.Background = in.U16(L"文件头");
  const int pictures = Count(in, kMenuMaxPictures, L"图片");
  const int texts = Count(in, kMenuMaxTexts, L"文字");
  const int buttons = Count(in, kMenuMaxButtons, L"按钮");
  if (movie.Background >= pictures) Fail(L"背景图片编号无效", in.Offset());

  for (int i = 0; i < pictures; ++i) movie.Pictures.push_back(ReadPicture(in));
  for (int i = 0; i < texts; ++i) {
    TMenuText text;
    text.Bounds = ReadRect(in, movie.DesignWidth, movie.DesignHeight);
    text.Color = in.U32(L"文字") & 0x00FFFFFF;
    text.FontHeight = FontHeight(in);
    text.Bold = in.U8(L"文字") != 0;
    text.Text = in.Text(L"文字");
    movie.Texts.push_back(std::move(text));
  }
  for (int i = 0; i < buttons; ++i) {
    TMenuButton button;
    button.Bounds = ReadRect(in, movie.DesignWidth, movie.DesignHeight);
    button.Normal = PictureIndex(in, movie);
    button.Hover = PictureIndex(in, movie);
    button.Pressed = PictureIndex(in, movie);
    button.CaptionColor = in.U32(L"按钮") & 0x00FFFFFF;
    button.FontHeight = FontHeight(in);
    button.Caption = in.Text(L"按钮标题");
    button.Command = in.Text(L"按钮命令");
    button.Args = in.Text(L"按钮参数");
    movie.Buttons.push_back(std::move(button));
  }
  if (!in.AtEnd()) Fail(L"文件末尾有多余的数据", in.Offset());
  return movie;
}

TMenuMovie LoadMenuMovie(const std::wstring& fileName) {
  std::string bytes;
  try {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    const int64_t size = file.GetSize();
    if (size > kMenuMaxFileSize) Fail(L"文件过大", 0);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0) file.ReadBuffer(bytes.data(), static_cast<int>(size));
  } catch (const EMenuMovieError&) {
    throw;
  } catch (const Exception& e) {
    throw EMenuMovieError(L"无法读取菜单动画文件 %s：%s", {fileName, e.Message()});
  }
  return ParseMenuMovie(bytes);
}

std::string WriteMenuMovie(const TMenuMovie& movie) {
  TMovieWriter out;
  out.FBytes.assign(kMenuMovieSignature, kMenuMovieSignatureSize);
  out.U16(movie.DesignWidth);
  out.U16(movie.DesignHeight);
  out.U16(movie.Background);
  out.U16(static_cast<unsigned>(movie.Pictures.size()));
  out.U16(static_cast<unsigned>(movie.Texts.size()));
  out.U16(static_cast<unsigned>(movie.Buttons.size()));
  for (const TMenuPicture& picture : movie.Pictures) {
    if (picture.Pixels.size() != static_cast<size_t>(picture.Width) * picture.Height)
      Fail(L"图片大小与像素数不符", out.FBytes.size());
    out.Picture(picture);
  }
  for (const TMenuText& text : movie.Texts) {
    out.Rect(text.Bounds);
    out.U32(text.Color);
    out.U16(text.FontHeight);
    out.U8(text.Bold ? 1 : 0);
    out.Text(text.Text);
  }
  for (const TMenuButton& button : movie.Buttons) {
    out.Rect(button.Bounds);
    out.U16(button.Normal);
    out.U16(button.Hover);
    out.U16(button.Pressed);
    out.U32(button.CaptionColor);
    out.U16(button.FontHeight);
    out.Text(button.Caption);
    out.Text(button.Command);
    out.Text(button.Args);
  }
  ParseMenuMovie(out.FBytes);  // the same rules as a reader's, so the file can be read back
  return out.FBytes;
}

void SaveMenuMovie(const TMenuMovie& movie, const std::wstring& fileName) {
  const std::string bytes = WriteMenuMovie(movie);
  try {
    TFileStream file(fileName, fmCreate);
    file.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  } catch (const Exception& e) {
    throw EMenuMovieError(L"无法写入菜单动画文件 %s：%s", {fileName, e.Message()});
  }
}
