// The memory one load of a small crafted file takes, each in a process of its own (this
// program started again with the case's name), measured as the growth of the process's peak
// working set over its working set before the load:
// - skin: a "cskn" file of one 4096 x 4000 picture of zero pixels (62.5 MiB of pixels in a
//   file of a few hundred KB, within the readers' 64 MiB picture budget), loaded into a skin
//   source whose hue is then shifted, as the skin engine does after a load; then its picture
//   drawn once from its device copy, as a control painting it would (printed apart);
// - gif: a GIF file of under 1 KB that declares four frames of 4096 x 4096, loaded and every
//   frame decoded in turn, as an animator playing it would;
// - gif1080: a 1920 x 1080 animation of 20 frames, whose bitmaps together take more than the
//   GIF budget, loaded and played twice round (every frame decoded in turn).
// Prints, per case, the file's size, the growth in MiB and the budget the readers state, and
// exits with 1 when a growth passes its budget. Usage: bench_load_memory.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "controls/extended/RxGIF.h"
#include "controls/extended/RxGIFCodec.h"
#include "controls/skin/SkinRegistration.h"
#include "controls/skin/engine/SkinReader.h"
#include "controls/skin/engine/SkinSource.h"
#include "controls/skin/engine/SkinStreams.h"
#include "controls/skin/engine/ZlibStreams.h"

namespace {

constexpr double MiB = 1024.0 * 1024.0;

size_t WorkingSet(bool peak) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

// Prints the case's line; 0 when the growth is within the budget.
int Report(const char* name, int64_t fileBytes, size_t grown, int64_t budget) {
  std::printf("%-6s file %7.1f KB  peak working set grew %7.1f MiB  budget %6.1f MiB\n", name, fileBytes / 1024.0,
              grown / MiB, budget / MiB);
  std::fflush(stdout);
  return static_cast<int64_t>(grown) <= budget ? 0 : 1;
}

int SkinCase() {
  RegisterSkinClasses();
  TMemoryStream file;
  file.WriteBuffer("TQLZ", 4);
  {
    TCompressionStream body(1, file);
    for (int i = 0; i < 5; ++i) WriteStreamString(body, L"");
    const int32_t one = 1, none = 0, sides[2] = {4096, 4000};
    body.WriteBuffer(&one, 4);
    WriteStreamString(body, L"Big");
    body.WriteBuffer(sides, sizeof sides);
    const std::vector<char> row(4096 * 4, 0);
    for (int y = 0; y < 4000; ++y) body.WriteBuffer(row.data(), static_cast<int>(row.size()));
    body.WriteBuffer(&none, 4);
    body.Finish();
  }
  file.SetPosition(0);
  const size_t before = WorkingSet(false);
  TSeSkinSource source(nullptr);
  source.LoadFromStream(file);
  source.SetDeltaHue(40);
  const int result = Report("skin", file.GetSize(), WorkingSet(true) - before, TSeSkinReader::MaxPictures);
  // Drawn from: its device copy is made now.
  TSeBitmap* picture = source.GetBitmaps()->Get(0);
  HDC screen = ::GetDC(nullptr);
  picture->DeviceDraw(screen, TRect(0, 0, 1, 1), TRect(0, 0, 1, 1), false);
  ::ReleaseDC(nullptr, screen);
  std::printf("       apart: then drawn from its device copy, grew %7.1f MiB\n", (WorkingSet(true) - before) / MiB);
  return result;
}

// The start of a GIF file: a screen of width x height with a global table of 256 colours,
// so that frames decode at 8 bits.
std::vector<uint8_t> GifScreen(int width, int height) {
  std::vector<uint8_t> gif{'G', 'I', 'F', '8', '9', 'a', uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                           uint8_t(height >> 8), 0x87, 0, 0};
  for (int i = 0; i < 256; ++i) gif.insert(gif.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
  return gif;
}

// Loads the file, decodes every frame rounds times over and reports the growth.
int PlayGif(const char* name, const std::vector<uint8_t>& gif, int frames, int rounds) {
  TMemoryStream file;
  file.WriteBuffer(gif.data(), static_cast<int>(gif.size()));
  file.SetPosition(0);
  const size_t before = WorkingSet(false);
  TGIFImage image;
  image.LoadFromStream(file);
  for (int round = 0; round < rounds; ++round)
    for (int i = 0; i < image.GetCount(); ++i) image.GetFrame(i)->GetBitmap();
  std::printf("%s: %d of %d frames kept\n", name, image.GetCount(), frames);
  return Report(name, file.GetSize(), WorkingSet(true) - before, GIFMaxDecodedBytes);
}

int GifCase() {
  std::vector<uint8_t> gif = GifScreen(4096, 4096);
  // Four frames taking the screen's size (0 x 0 in the descriptor), each a clear code and the
  // end code at code size 8.
  for (int i = 0; i < 4; ++i) {
    const uint8_t frame[] = {0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 3, 0x00, 0x03, 0x02, 0};
    gif.insert(gif.end(), frame, frame + sizeof frame);
  }
  gif.push_back(0x3B);
  return PlayGif("gif", gif, 4, 1);
}

int GifAnimationCase() {
  constexpr int width = 1920, height = 1080, frames = 20;
  std::vector<uint8_t> gif = GifScreen(width, height);
  std::vector<uint8_t> dib(rxgif::DibRowBytes(width, 8) * height);
  for (int i = 0; i < frames; ++i) {
    const uint8_t descriptor[] = {0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // the screen's size
    gif.insert(gif.end(), descriptor, descriptor + sizeof descriptor);
    std::fill(dib.begin(), dib.end(), uint8_t(i * 12 + 1));
    TMemoryStream data;
    rxgif::EncodeLZW(dib.data(), rxgif::TDibLayout{width, height, 8, false}, data);
    const auto* bytes = static_cast<const uint8_t*>(data.GetMemory());
    gif.insert(gif.end(), bytes, bytes + data.GetSize());
  }
  gif.push_back(0x3B);
  dib = {};
  return PlayGif("gif1080", gif, frames, 2);
}

// Runs this program again with the case's name and returns its exit code.
int RunChild(const wchar_t* name) {
  wchar_t path[MAX_PATH]{};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(path) + L"\" " + name;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 2;
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 2;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc > 1 && std::strcmp(argv[1], "skin") == 0) return SkinCase();
    if (argc > 1 && std::strcmp(argv[1], "gif") == 0) return GifCase();
    if (argc > 1 && std::strcmp(argv[1], "gif1080") == 0) return GifAnimationCase();
    std::printf("memory of one load of a small crafted file, each in a process of its own (%s)\n", BuildKind());
    std::fflush(stdout);
    const int skin = RunChild(L"skin");
    const int gif = RunChild(L"gif");
    const int animation = RunChild(L"gif1080");
    if (skin != 0 || gif != 0 || animation != 0)
      std::printf("over the budget or failed: skin %d, gif %d, gif1080 %d\n", skin, gif, animation);
    return skin != 0 || gif != 0 || animation != 0 ? 1 : 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_load_memory: %s\n", e.what());
    return 1;
  }
}
