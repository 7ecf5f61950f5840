// Writes the download dialog's animation: a silent AVI clip of uncompressed 24-bit frames
// in which a sheet of paper travels from a globe to a folder.
//
//   makeavi OUTPUT.avi
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr uint32_t kWidth = 80, kHeight = 40, kFrames = 10, kRate = 10;

void PutU32s(std::vector<uint8_t>& out, std::initializer_list<uint32_t> values) {
  for (const uint32_t value : values)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PutId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }
size_t Open(std::vector<uint8_t>& out, const char* id, const char* listType = nullptr) {
  PutId(out, id);
  const size_t sizeAt = out.size();
  PutU32s(out, {0});
  if (listType) PutId(out, listType);
  return sizeAt;
}
void Close(std::vector<uint8_t>& out, size_t sizeAt) {
  const auto size = static_cast<uint32_t>(out.size() - sizeAt - 4);
  for (int i = 0; i < 4; ++i) out[sizeAt + i] = static_cast<uint8_t>(size >> (8 * i));
}

struct TFrame {
  std::vector<uint8_t> Pixels = std::vector<uint8_t>(((kWidth * 3 + 3) & ~3u) * kHeight, 0);
  // (x, y) from the top left; colour as red, green, blue.
  void Fill(int left, int top, int right, int bottom, uint32_t rgb) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) {
        if (x < 0 || y < 0 || x >= int(kWidth) || y >= int(kHeight)) continue;
        uint8_t* p = &Pixels[(kHeight - 1 - y) * ((kWidth * 3 + 3) & ~3u) + x * 3];
        p[0] = rgb & 0xFF;
        p[1] = (rgb >> 8) & 0xFF;
        p[2] = (rgb >> 16) & 0xFF;
      }
  }
};

TFrame Draw(uint32_t f) {
  TFrame frame;
  frame.Fill(0, 0, kWidth, kHeight, 0xF0F0F0);       // the dialog's face (transparent)
  frame.Fill(4, 10, 22, 28, 0x3070C0);                // the globe
  frame.Fill(8, 10, 10, 28, 0x60A0E0);
  frame.Fill(4, 18, 22, 20, 0x60A0E0);
  frame.Fill(56, 14, 76, 30, 0xE0B040);               // the folder
  frame.Fill(56, 11, 64, 14, 0xE0B040);
  const int x = 22 + static_cast<int>(f) * 30 / (kFrames - 1);
  const int y = 8 + static_cast<int>(f % 2);
  frame.Fill(x, y, x + 10, y + 14, 0x808080);         // the sheet and its edge
  frame.Fill(x + 1, y + 1, x + 9, y + 13, 0xFFFFFF);
  for (int line = 0; line < 4; ++line) frame.Fill(x + 2, y + 3 + line * 3, x + 8, y + 4 + line * 3, 0x404040);
  return frame;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: makeavi OUTPUT.avi\n");
    return 2;
  }
  const uint32_t frameSize = ((kWidth * 3 + 3) & ~3u) * kHeight;
  std::vector<uint8_t> avi;
  const size_t riff = Open(avi, "RIFF", "AVI ");
  const size_t hdrl = Open(avi, "LIST", "hdrl");
  const size_t avih = Open(avi, "avih");
  PutU32s(avi, {1000000 / kRate, frameSize * kRate, 0, 0x10, kFrames, 0, 1, frameSize, kWidth, kHeight, 0, 0, 0, 0});
  Close(avi, avih);
  const size_t strl = Open(avi, "LIST", "strl");
  const size_t strh = Open(avi, "strh");
  PutId(avi, "vids");
  PutId(avi, "DIB ");
  PutU32s(avi, {0, 0, 0, 1, kRate, 0, kFrames, frameSize, 0xFFFFFFFF, 0, 0, kWidth | (kHeight << 16)});
  Close(avi, strh);
  const size_t strf = Open(avi, "strf");
  PutU32s(avi, {40, kWidth, kHeight, 1 | (24u << 16), 0, frameSize, 0, 0, 0, 0});
  Close(avi, strf);
  Close(avi, strl);
  Close(avi, hdrl);
  const size_t movi = Open(avi, "LIST", "movi");
  const size_t moviType = movi + 4;  // index offsets count from the list's type
  std::vector<uint32_t> offsets;
  for (uint32_t f = 0; f < kFrames; ++f) {
    offsets.push_back(static_cast<uint32_t>(avi.size() - moviType));
    const size_t chunk = Open(avi, "00db");
    const TFrame frame = Draw(f);
    avi.insert(avi.end(), frame.Pixels.begin(), frame.Pixels.end());
    Close(avi, chunk);
  }
  Close(avi, movi);
  const size_t idx1 = Open(avi, "idx1");
  for (const uint32_t offset : offsets) {
    PutId(avi, "00db");
    PutU32s(avi, {0x10, offset, frameSize});
  }
  Close(avi, idx1);
  Close(avi, riff);
  FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 1;
  const bool written = std::fwrite(avi.data(), 1, avi.size(), out) == avi.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}
