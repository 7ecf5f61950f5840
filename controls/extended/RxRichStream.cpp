#include "RxRichStream.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned CodePage936 = 936;

bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

}  // namespace

// ---- Line breaks ----------------------------------------------------------------------------------

template <typename CharT>
void TLineBreakNormaliser<CharT>::Feed(const CharT* data, size_t count, TText& out) {
  const CharT cr = static_cast<CharT>('\r');
  const CharT lf = static_cast<CharT>('\n');
  for (size_t i = 0; i < count; ++i) {
    const CharT ch = data[i];
    if (FPendingCR) {
      FPendingCR = false;
      out += cr;
      out += lf;
      if (ch == lf) continue;  // CR LF: the pair is one break
    }
    if (ch == cr) {
      FPendingCR = true;  // its partner may be the next character, in this chunk or the next
    } else if (ch == lf) {
      out += cr;
      out += lf;
    } else {
      out += ch;
    }
  }
}

template <typename CharT>
void TLineBreakNormaliser<CharT>::Finish(TText& out) {
  if (!FPendingCR) return;
  FPendingCR = false;
  out += static_cast<CharT>('\r');
  out += static_cast<CharT>('\n');
}

template class TLineBreakNormaliser<char>;
template class TLineBreakNormaliser<wchar_t>;

// ---- Code page 936 --------------------------------------------------------------------------------

namespace {

void DecodeWhole(const char* data, size_t count, std::wstring& out) {
  if (count == 0) return;
  const int size = static_cast<int>(count);
  const int needed = ::MultiByteToWideChar(CodePage936, 0, data, size, nullptr, 0);
  if (needed <= 0) return;
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(needed));
  ::MultiByteToWideChar(CodePage936, 0, data, size, out.data() + at, needed);
}

void EncodeWhole(const wchar_t* data, size_t count, std::string& out) {
  if (count == 0) return;
  const int size = static_cast<int>(count);
  const int needed = ::WideCharToMultiByte(CodePage936, 0, data, size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return;
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(needed));
  ::WideCharToMultiByte(CodePage936, 0, data, size, out.data() + at, needed, nullptr, nullptr);
}

}  // namespace

void TGbkDecoder::Feed(const char* data, size_t count, std::wstring& out) {
  std::string bytes = FPending;
  FPending.clear();
  bytes.append(data, count);
  // Walk the characters: a lead byte takes the next byte with it, so a lead byte that is
  // the last byte has its trail byte still to come.
  size_t whole = 0;
  while (whole < bytes.size()) {
    if (!IsGbkLeadByte(static_cast<unsigned char>(bytes[whole]))) {
      ++whole;
    } else if (whole + 1 < bytes.size()) {
      whole += 2;
    } else {
      break;
    }
  }
  DecodeWhole(bytes.data(), whole, out);
  FPending.assign(bytes, whole, std::string::npos);
}

void TGbkDecoder::Finish(std::wstring& out) {
  DecodeWhole(FPending.data(), FPending.size(), out);
  FPending.clear();
}

void TGbkEncoder::Feed(const char* data, size_t count, std::string& out) {
  std::string bytes = FPendingBytes;
  FPendingBytes.clear();
  bytes.append(data, count);
  const size_t units = bytes.size() / 2;
  std::wstring text = FPendingUnit;
  FPendingUnit.clear();
  for (size_t i = 0; i < units; ++i) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  if (bytes.size() % 2) FPendingBytes.assign(1, bytes.back());
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) {
    FPendingUnit.assign(1, text.back());
    text.pop_back();
  }
  EncodeWhole(text.data(), text.size(), out);
}

void TGbkEncoder::Finish(std::string& out) {
  EncodeWhole(FPendingUnit.data(), FPendingUnit.size(), out);
  FPendingUnit.clear();
  FPendingBytes.clear();  // half a code unit is no character
}

// ---- The RTF guard ----------------------------------------------------------------------------------

void TRtfGuard::EndWord() {
  if (FWord == "bin" && FParameter > 0) {
    FBinaryLeft = FParameter;
    FState = gsBinary;
  } else {
    FState = gsText;
  }
  FWord.clear();
  FParameter = 0;
  FNegative = false;
  FLength = 0;
}

bool TRtfGuard::Feed(const char* data, size_t count) {
  for (size_t i = 0; i < count && !FBroken; ++i) {
    const char ch = data[i];
    const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    const bool digit = ch >= '0' && ch <= '9';
    switch (FState) {
      case gsBinary:
        if (--FBinaryLeft <= 0) FState = gsText;
        continue;
      case gsHex1: FState = gsHex2; continue;
      case gsHex2: FState = gsText; continue;
      case gsEscape:
        if (letter) {
          FState = gsWord;
          FWord.assign(1, ch);
          FLength = 1;
        } else if (ch == '\'') {
          FState = gsHex1;
        } else {
          FState = gsText;  // a control symbol
        }
        continue;
      case gsWord:
        if (letter) {
          if (++FLength > MaxWordLength) FBroken = true;
          else FWord += ch;
          continue;
        }
        if (digit || ch == '-') {
          FState = gsParameter;
          FNegative = ch == '-';
          FLength = digit ? 1 : 0;
          FParameter = digit ? ch - '0' : 0;
          continue;
        }
        EndWord();
        if (ch == ' ') continue;  // the delimiter belongs to the word
        break;  // the character itself is text, a brace or the next escape
      case gsParameter:
        if (digit) {
          if (++FLength > MaxParameterLength) FBroken = true;
          else FParameter = FParameter * 10 + (ch - '0');
          continue;
        }
        if (FNegative) FParameter = -FParameter;
        EndWord();
        if (ch == ' ') continue;
        if (FState == gsBinary) {
          // The byte right after \binN without a space is the first data byte.
          if (--FBinaryLeft <= 0) FState = gsText;
          continue;
        }
        break;
      case gsText: break;
    }
    if (ch == '\\') FState = gsEscape;
    else if (ch == '{' && ++FDepth > MaxDepth) FBroken = true;
    else if (ch == '}' && FDepth > 0) --FDepth;
  }
  return !FBroken;
}

// ---- Reading --------------------------------------------------------------------------------------

void TRichStreamReader::Append(const char* data, size_t count) {
  switch (FKind) {
    case rkRichText:
      // The signature is judged on the bytes as they came, also when the guard stops them.
      if (FHead.size() < SignatureLength)
        FHead.append(data, std::min(count, SignatureLength - FHead.size()));
      if (!FGuard.Feed(data, count)) {
        FFailed = true;
        return;
      }
      FReady.append(data, count);
      break;
    case rkText936: {
      std::string lines;
      FBytes.Feed(data, count, lines);
      std::wstring text;
      FDecoder.Feed(lines.data(), lines.size(), text);
      FReady.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
      break;
    }
    case rkUnicode: {
      std::string bytes = FOddByte;
      FOddByte.clear();
      bytes.append(data, count);
      if (bytes.size() % 2) {
        FOddByte.assign(1, bytes.back());
        bytes.pop_back();
      }
      std::wstring units(bytes.size() / 2, L'\0');
      if (!units.empty()) std::memcpy(units.data(), bytes.data(), bytes.size());
      std::wstring text;
      FUnits.Feed(units.data(), units.size(), text);
      FReady.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
      break;
    }
  }
}

void TRichStreamReader::End() {
  if (FKind == rkText936) {
    std::string lines;
    FBytes.Finish(lines);
    std::wstring text;
    FDecoder.Feed(lines.data(), lines.size(), text);
    FDecoder.Finish(text);
    FReady.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  } else if (FKind == rkUnicode) {
    std::wstring text;
    FUnits.Finish(text);
    FReady.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    FOddByte.clear();
  }
}

bool TRichStreamReader::Pull(const TRichByteSource& source) {
  if (FSourceEnded) return false;
  char chunk[ChunkSize];
  const int count = source ? source(chunk, ChunkSize) : 0;
  if (count <= 0) {
    FSourceEnded = true;
    End();
    return false;
  }
  Append(chunk, static_cast<size_t>(std::min(count, ChunkSize)));
  return !FFailed;
}

bool TRichStreamReader::CheckRtfStart() {
  return FHead.rfind("{\\rtf", 0) == 0 || FHead.rfind("{\\urtf", 0) == 0;
}

int TRichStreamReader::Read(char* buffer, int cb, const TRichByteSource& source) {
  if (FFailed) return -1;
  if (!buffer || cb <= 0) return 0;
  if (!FStartChecked && FKind == rkRichText) {
    while (FHead.size() < SignatureLength && Pull(source)) {
    }
    FStartChecked = true;
    FRtfStarted = CheckRtfStart();
    if (FFailed || !FRtfStarted) {
      FFailed = true;
      return -1;
    }
  }
  const size_t wanted = static_cast<size_t>(cb);
  while (FReady.size() - FReadyOffset < wanted && Pull(source)) {
  }
  // RTF the guard stopped goes no further: the window keeps what it read before.
  if (FFailed) return -1;
  size_t count = std::min(wanted, FReady.size() - FReadyOffset);
  // UTF-16 goes in whole code units when the window leaves room for one.
  if (FKind != rkRichText && count > 1) count &= ~static_cast<size_t>(1);
  std::memcpy(buffer, FReady.data() + FReadyOffset, count);
  FReadyOffset += count;
  if (FReadyOffset >= ChunkSize * 4) {
    FReady.erase(0, FReadyOffset);
    FReadyOffset = 0;
  }
  return static_cast<int>(count);
}

// ---- Writing --------------------------------------------------------------------------------------

bool TRichStreamWriter::Send(const std::string& bytes, const TRichByteSink& sink) {
  if (bytes.empty()) return true;
  if (!sink) return false;
  return sink(bytes.data(), static_cast<int>(bytes.size())) == static_cast<int>(bytes.size());
}

bool TRichStreamWriter::Write(const char* buffer, int cb, const TRichByteSink& sink) {
  if (!buffer || cb <= 0) return true;
  if (FKind == rkRichText) {
    // NULs are held until something follows them: at the very end they are dropped.
    size_t end = static_cast<size_t>(cb);
    while (end > 0 && buffer[end - 1] == '\0') --end;
    if (end == 0) {
      FHeldNuls += static_cast<size_t>(cb);
      return true;
    }
    std::string bytes(FHeldNuls, '\0');
    bytes.append(buffer, end);
    FHeldNuls = static_cast<size_t>(cb) - end;
    return Send(bytes, sink);
  }
  if (FKind != rkText936) return Send(std::string(buffer, static_cast<size_t>(cb)), sink);
  std::string bytes;
  FEncoder.Feed(buffer, static_cast<size_t>(cb), bytes);
  return Send(bytes, sink);
}

bool TRichStreamWriter::Finish(const TRichByteSink& sink) {
  if (FKind != rkText936) return true;
  std::string bytes;
  FEncoder.Finish(bytes);
  return Send(bytes, sink);
}
