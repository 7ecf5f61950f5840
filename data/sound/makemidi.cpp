// The tune writer, run by the build:
//   makemidi TUNES FOLDER
// reads the tune list (tunes.txt: the lines are described at its top) and writes each tune
// into FOLDER as NAME.mid, a Standard MIDI File of format 0 with one track.
// Exit code 0 on success; otherwise the reason, with the line, goes to the error output.
#include <cstdio>
#include <sstream>
#include <string>
#include "classlib/system/SysString.h"
#include "data/tools/HostPath.h"

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerEighth = kTicksPerQuarter / 2;

struct TTuneError {
  int Line;
  std::string What;
};

void Big16(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v >> 8 & 0xFF));
  out.push_back(static_cast<char>(v & 0xFF));
}
void Big32(std::string& out, uint32_t v) {
  Big16(out, v >> 16);
  Big16(out, v & 0xFFFF);
}
// A delta time as MIDI's variable-length quantity.
void VarLen(std::string& out, uint32_t v) {
  char bytes[5];
  int n = 0;
  bytes[n++] = static_cast<char>(v & 0x7F);
  while ((v >>= 7) > 0) bytes[n++] = static_cast<char>(0x80 | (v & 0x7F));
  while (n > 0) out.push_back(bytes[--n]);
}

// The MIDI key of a pitch such as C4, F#3 or A#4; -1 for the rest R.
int Key(const std::string& pitch, int line) {
  if (pitch == "R") return -1;
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (pitch.size() < 2 || pitch[0] < 'A' || pitch[0] > 'G') throw TTuneError{line, "bad pitch " + pitch};
  int key = kSteps[pitch[0] - 'A'];
  size_t at = 1;
  if (pitch[at] == '#') {
    ++key;
    ++at;
  }
  if (at + 1 != pitch.size() || pitch[at] < '0' || pitch[at] > '8') throw TTuneError{line, "bad octave " + pitch};
  key += (pitch[at] - '0' + 1) * 12;
  if (key > 127) throw TTuneError{line, "pitch too high " + pitch};
  return key;
}

// One tune line as the bytes of a MIDI file; name receives the tune's name.
std::string Tune(const std::string& text, int line, std::string& name) {
  std::istringstream in(text);
  int tempo = 0, program = 0;
  if (!(in >> name >> tempo >> program) || tempo < 20 || tempo > 300 || program < 0 || program > 127)
    throw TTuneError{line, "expected NAME TEMPO PROGRAM"};
  std::string track;
  VarLen(track, 0);
  track += "\xFF\x51\x03";
  const uint32_t microsPerQuarter = 60000000u / static_cast<uint32_t>(tempo);
  track.push_back(static_cast<char>(microsPerQuarter >> 16));
  track.push_back(static_cast<char>(microsPerQuarter >> 8 & 0xFF));
  track.push_back(static_cast<char>(microsPerQuarter & 0xFF));
  VarLen(track, 0);
  track.push_back(static_cast<char>(0xC0));
  track.push_back(static_cast<char>(program));
  uint32_t pending = 0;  // ticks of rest before the next event
  int notes = 0;
  for (std::string note; in >> note;) {
    const size_t colon = note.find(':');
    if (colon == std::string::npos) throw TTuneError{line, "expected PITCH:LENGTH, got " + note};
    const int key = Key(note.substr(0, colon), line);
    const int eighths = std::atoi(note.c_str() + colon + 1);
    if (eighths < 1 || eighths > 32) throw TTuneError{line, "bad length in " + note};
    const uint32_t ticks = static_cast<uint32_t>(eighths) * kTicksPerEighth;
    if (key < 0) {
      pending += ticks;
      continue;
    }
    VarLen(track, pending);
    track.push_back(static_cast<char>(0x90));
    track.push_back(static_cast<char>(key));
    track.push_back(static_cast<char>(90));
    VarLen(track, ticks);
    track.push_back(static_cast<char>(0x80));
    track.push_back(static_cast<char>(key));
    track.push_back(static_cast<char>(0));
    pending = 0;
    ++notes;
  }
  if (notes == 0) throw TTuneError{line, "a tune needs notes"};
  VarLen(track, pending);
  track += std::string("\xFF\x2F\x00", 3);

  std::string file = "MThd";
  Big32(file, 6);
  Big16(file, 0);
  Big16(file, 1);
  Big16(file, kTicksPerQuarter);
  file += "MTrk";
  Big32(file, static_cast<uint32_t>(track.size()));
  return file + track;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: makemidi TUNES FOLDER\n", stderr);
    return 2;
  }
  FILE* source = _wfopen(HostPath(argv[1]).c_str(), L"rb");
  if (!source) {
    std::fputs("makemidi: cannot read the tune list\n", stderr);
    return 1;
  }
  std::string text;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, source)) > 0;) text.append(chunk, n);
  std::fclose(source);
  const String folder = HostPath(argv[2]);
  std::istringstream lines(text);
  std::string line;
  int written = 0;
  try {
    for (int number = 1; std::getline(lines, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '#') continue;
      std::string name;
      const std::string bytes = Tune(line, number, name);
      const String file = folder + L"\\" + Utf8ToString(name) + L".mid";
      FILE* out = _wfopen(file.c_str(), L"wb");
      if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        if (out) std::fclose(out);
        throw TTuneError{number, "cannot write " + name + ".mid"};
      }
      std::fclose(out);
      ++written;
    }
  } catch (const TTuneError& e) {
    std::fprintf(stderr, "makemidi: line %d: %s\n", e.Line, e.What.c_str());
    return 1;
  }
  std::printf("makemidi: %d tunes\n", written);
  return 0;
}
