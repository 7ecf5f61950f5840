// JPEG decoding through libjpeg (6b interface).
//
// The whole file is in memory. A source manager of our own hands libjpeg the buffer in one
// piece; when libjpeg asks for more, the data was cut short: the manager notes that and
// supplies a fake end-of-image marker (FF D9), so that libjpeg finishes instead of waiting
// for bytes that never come, and DecodeJpeg then reports the damage.
//
// libjpeg reports fatal errors by calling error_exit, which must not return. Ours longjmps
// back to the frame that started the work. C++ exceptions never travel through libjpeg's C
// frames: each setjmp sits in a small function whose locals are all trivial (so the jump
// skips no destructor), that function returns false, and the C++ code around it raises
// EInvalidGraphic. The decompressor itself lives in a Decoder object owned by that C++
// code, which destroys it on every path.
//
// The dimensions from the frame header are checked against kMaxJpegPixels before the
// output buffer is allocated and before libjpeg allocates its own per-image buffers. A
// progress monitor bounds the number of scans a progressive file may make libjpeg run.
#include "JpegFormat.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "../system/SysExceptions.h"

namespace {

// More scans than any sane progressive file has (a typical one has about ten).
constexpr int kMaxScans = 500;

// The error manager: libjpeg's part first, then the jump target of the running phase.
struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

// The memory source: libjpeg's part first, then the buffer and what happened to it.
struct MemorySource {
  jpeg_source_mgr pub;
  bool truncated;  // libjpeg asked for bytes past the end of the data
};

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

void ErrorExit(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings and traces are not printed: a GUI program has no console.
void OutputMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}

// Called only when the buffer is used up, so the data ended before the image did.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
  src->truncated = true;
  src->pub.next_input_byte = kFakeEoi;
  src->pub.bytes_in_buffer = sizeof kFakeEoi;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
  if (static_cast<unsigned long>(count) > src->pub.bytes_in_buffer) {
    FillInputBuffer(cinfo);  // skipping past the end: the rest is missing
    return;
  }
  src->pub.next_input_byte += count;
  src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// Stops a file whose scans never end (each scan of a progressive file is a full pass).
void ProgressMonitor(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    cinfo->err->msg_code = JERR_BAD_SCAN_SCRIPT;
    cinfo->err->error_exit(cinfo);
  }
}

// Owns one libjpeg decompressor with its managers; destroys it on every path.
struct Decoder {
  ErrorManager err;
  MemorySource src;
  jpeg_progress_mgr progress;
  jpeg_decompress_struct cinfo;

  Decoder() : err(), src(), progress(), cinfo() {}
  ~Decoder() { jpeg_destroy_decompress(&cinfo); }  // safe on a zeroed or failed object
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
};

// ---- The phases that run libjpeg. Only trivial locals: see the header comment. ----

bool CreateAndReadHeader(Decoder* d, const uint8_t* data, size_t size) {
  d->cinfo.err = jpeg_std_error(&d->err.pub);
  d->err.pub.error_exit = ErrorExit;
  d->err.pub.output_message = OutputMessage;
  if (setjmp(d->err.jump)) return false;
  jpeg_create_decompress(&d->cinfo);

  d->src.pub.init_source = InitSource;
  d->src.pub.fill_input_buffer = FillInputBuffer;
  d->src.pub.skip_input_data = SkipInputData;
  d->src.pub.resync_to_restart = jpeg_resync_to_restart;
  d->src.pub.term_source = TermSource;
  d->src.pub.next_input_byte = data;
  d->src.pub.bytes_in_buffer = data ? size : 0;
  d->src.truncated = false;
  d->cinfo.src = &d->src.pub;

  d->progress.progress_monitor = ProgressMonitor;
  d->cinfo.progress = &d->progress;

  jpeg_read_header(&d->cinfo, TRUE);  // fails unless an image follows the tables
  return true;
}

// CMYK as Adobe's programs write it is stored inverted (0 = full ink); plain CMYK is not.
void CmykRowToBgr(const JSAMPLE* cmyk, uint8_t* bgr, unsigned width, bool inverted) {
  for (unsigned x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

// Decodes every row into out (rowBytes apart). out_color_space is already chosen.
bool Decompress(Decoder* d, uint8_t* out, size_t rowBytes) {
  j_decompress_ptr cinfo = &d->cinfo;
  if (setjmp(d->err.jump)) return false;
  jpeg_start_decompress(cinfo);
  const bool cmyk = cinfo->out_color_space == JCS_CMYK;
  JSAMPARRAY cmykRow =
      cmyk ? cinfo->mem->alloc_sarray(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                      cinfo->output_width * 4, 1)
           : nullptr;
  // Our source never suspends, so each call yields one row; a call that yields none
  // would mean a broken state, and ends the loop rather than spinning.
  while (cinfo->output_scanline < cinfo->output_height) {
    uint8_t* row = out + cinfo->output_scanline * rowBytes;
    JSAMPROW target[1] = {cmyk ? cmykRow[0] : row};
    if (jpeg_read_scanlines(cinfo, target, 1) != 1) return false;
    if (cmyk) CmykRowToBgr(cmykRow[0], row, cinfo->output_width, cinfo->saw_Adobe_marker);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

// ---- The C++ side ----

[[noreturn]] void RaiseJpegError(int code) {
  throw EInvalidGraphic(L"JPEG error #" + std::to_wstring(code));
}

std::unique_ptr<Decoder> OpenDecoder(const uint8_t* data, size_t size) {
  auto decoder = std::make_unique<Decoder>();
  if (!CreateAndReadHeader(decoder.get(), data, size)) RaiseJpegError(decoder->err.pub.msg_code);
  const jpeg_decompress_struct& cinfo = decoder->cinfo;
  const uint64_t pixels = static_cast<uint64_t>(cinfo.image_width) * cinfo.image_height;
  if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
      pixels > static_cast<uint64_t>(kMaxJpegPixels))
    RaiseJpegError(JERR_IMAGE_TOO_BIG);
  return decoder;
}

// Picks the colour space libjpeg converts to: BGR directly where it can, CMYK otherwise
// (converted row by row above). Anything else is not a picture we can show.
void ChooseOutputSpace(jpeg_decompress_struct& cinfo) {
  switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      cinfo.out_color_space = JCS_EXT_BGR;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo.out_color_space = JCS_CMYK;
      break;
    default:
      RaiseJpegError(JERR_CONVERSION_NOTIMPL);
  }
}

}  // namespace

void ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height) {
  std::unique_ptr<Decoder> decoder = OpenDecoder(data, size);
  width = static_cast<int>(decoder->cinfo.image_width);
  height = static_cast<int>(decoder->cinfo.image_height);
}

TJpegPixels DecodeJpeg(const uint8_t* data, size_t size) {
  std::unique_ptr<Decoder> decoder = OpenDecoder(data, size);
  ChooseOutputSpace(decoder->cinfo);

  TJpegPixels result;
  result.Width = static_cast<int>(decoder->cinfo.image_width);
  result.Height = static_cast<int>(decoder->cinfo.image_height);
  const size_t rowBytes = static_cast<size_t>(result.Width) * 3;
  result.Bgr.resize(rowBytes * static_cast<size_t>(result.Height));

  if (!Decompress(decoder.get(), result.Bgr.data(), rowBytes))
    RaiseJpegError(decoder->err.pub.msg_code);
  // The image was completed with a fake end marker: its lower part is not real.
  if (decoder->src.truncated) RaiseJpegError(JWRN_JPEG_EOF);
  return result;
}
