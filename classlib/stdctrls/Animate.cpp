// TAnimate over the system's animation control (SysAnimate32).
//
// The clip's header. An AVI file is a RIFF chunk of form 'AVI ': after the 12-byte RIFF
// header come chunks of a four-character id, a 32-bit little-endian size and that many
// bytes of data, padded to an even length. A 'LIST' chunk holds a list type and chunks of
// its own; the 'hdrl' list holds the main header 'avih' (56 bytes: the microseconds per
// frame, ..., the total frames at offset 16, ..., the width and height at offsets 32 and
// 36). Every size read is checked against the bytes that remain in its parent before it is
// used, and lists are followed at most two deep, so a damaged file is refused, never read
// past its end. Only the start of a file is read; a header list cut off by that end is
// searched as far as it goes.
#include "Animate.h"

#include <commctrl.h>
#include <vector>
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysMath.h"

namespace {

const bool AnimateRegistered = [] {
  RegisterClass<TAnimate>();
  return true;
}();

// The bytes read from a file for its header: the lists before the frames are small.
constexpr DWORD HeaderBytes = 64 * 1024;
constexpr size_t MainHeaderSize = 56;

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

bool IsFourCC(const uint8_t* p, const char (&id)[5]) {
  return p[0] == id[0] && p[1] == id[1] && p[2] == id[2] && p[3] == id[3];
}

// Looks through the chunks in [begin, end) for the main header, entering 'hdrl' lists
// (depth counts the lists entered). A chunk may reach past end only where the bytes held
// are the start of a longer file: what lies past end is never read.
bool FindMainHeader(const uint8_t* begin, const uint8_t* end, int depth, TAviInfo& info) {
  const uint8_t* chunk = begin;
  while (end - chunk >= 8) {
    const uint32_t declared = ReadU32(chunk + 4);
    const uint8_t* data = chunk + 8;
    const size_t remaining = static_cast<size_t>(end - data);
    const size_t available = Min<size_t>(declared, remaining);
    if (IsFourCC(chunk, "avih")) {
      if (declared < MainHeaderSize || available < MainHeaderSize) return false;
      const uint32_t frames = ReadU32(data + 16);
      const uint32_t width = ReadU32(data + 32);
      const uint32_t height = ReadU32(data + 36);
      if (frames > 0x7FFFFFFF || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
      info.FrameCount = static_cast<int>(frames);
      info.FrameWidth = static_cast<int>(width);
      info.FrameHeight = static_cast<int>(height);
      return true;
    }
    if (IsFourCC(chunk, "LIST") && available >= 4 && depth < 2 && IsFourCC(data, "hdrl"))
      return FindMainHeader(data + 4, data + available, depth + 1, info);
    const size_t padded = size_t{declared} + (declared & 1);
    if (padded >= remaining) return false;  // the header is not in what is held
    chunk = data + padded;
  }
  return false;
}

// The first bytes of a file (at most HeaderBytes); empty when it cannot be read.
std::vector<uint8_t> ReadFileStart(const String& fileName) {
  std::vector<uint8_t> bytes;
  const HANDLE file = ::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(HeaderBytes);
  DWORD read = 0;
  if (!::ReadFile(file, bytes.data(), HeaderBytes, &read, nullptr)) read = 0;
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

}  // namespace

bool ReadAviInfo(const uint8_t* data, size_t size, TAviInfo& info) {
  info = TAviInfo();
  if (!data || size < 12 || !IsFourCC(data, "RIFF") || !IsFourCC(data + 8, "AVI ")) return false;
  // A file cut short (or only its start read) still has its header near the beginning.
  const size_t riffEnd = Min<size_t>(size, size_t{ReadU32(data + 4)} + 8);
  TAviInfo found;
  if (!FindMainHeader(data + 12, data + riffEnd, 0, found)) return false;
  info = found;
  return true;
}

// ---- Properties -------------------------------------------------------------------------------

const TPropertyTable* TAnimate::PublishedProperties() {
  using P = TPublish<TAnimate>;
  using C = TAnimate;
  static const TPropertyTable table{
      P::Boolean(L"Active", &C::GetActive, &C::SetActive).Default(false),
      P::Boolean(L"Center", &C::GetCenter, &C::SetCenter).Default(true),
      P::Text(L"FileName", &C::GetFileName, &C::SetFileName),
      P::Boolean(L"Open", &C::GetOpen, &C::SetOpen).Default(false),
      P::Integer(L"Repetitions", &C::GetRepetitions, &C::SetRepetitions).Default(0),
      P::Integer(L"ResID", &C::GetResID, &C::SetResID).Default(0),
      P::Text(L"ResName", &C::GetResName, &C::SetResName),
      P::Integer(L"StartFrame", &C::GetStartFrame, &C::SetStartFrame).Default(1),
      P::Integer(L"StopFrame", &C::GetStopFrame, &C::SetStopFrame).Default(0),
      P::Boolean(L"Timers", &C::GetTimers, &C::SetTimers).Default(false),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
      P::Method(L"OnClose", &C::GetOnClose, &C::SetOnClose),
      P::Method(L"OnOpen", &C::GetOnOpen, &C::SetOnOpen),
      P::Method(L"OnStart", &C::GetOnStart, &C::SetOnStart),
      P::Method(L"OnStop", &C::GetOnStop, &C::SetOnStop),
  };
  return &table;
}

// ---- Construction and window ----------------------------------------------------------------------

TAnimate::TAnimate(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  SetBounds(GetLeft(), GetTop(), 100, 80);
}

TAnimate::~TAnimate() {
  Destroying();
  // Stop the control's thread while the window is still there.
  if (HandleAllocated() && FActive) ::SendMessageW(GetHandle(), ACM_STOP, 0, 0);
}

bool TAnimate::Loading() const { return GetComponentState().Contains(csLoading); }

void TAnimate::CreateParams(TCreateParams& params) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_ANIMATE_CLASS};
  ::InitCommonControlsEx(&init);
  inherited::CreateParams(params);
  CreateSubClass(params, ANIMATE_CLASSW);
  if (FCenter) params.Style |= ACS_CENTER;
  if (FTransparent) params.Style |= ACS_TRANSPARENT;
  if (FTimers) params.Style |= ACS_TIMER;
}

void TAnimate::CreateWnd() {
  inherited::CreateWnd();
  // A new window (a style changed) shows the clip that was open, playing if it was.
  if (FOpen) {
    const bool wasActive = FActive;
    FActive = false;
    FOpen = InternalOpen();
    if (FOpen && wasActive) Play(FStartFrame, FStopFrame, FRepetitions);
  }
}

void TAnimate::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND) {
    CNCommand(message);
    return;
  }
  inherited::Dispatch(message);
}

void TAnimate::CNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case ACN_START:
      FActive = true;
      if (FOnStart) FOnStart(this);
      break;
    case ACN_STOP:
      FActive = false;
      if (FOnStop) FOnStop(this);
      break;
    default: break;
  }
}

// ---- Sources ----------------------------------------------------------------------------------------

void TAnimate::CloseForChange() {
  if (FOpen) SetOpen(false);
}

void TAnimate::SetFileName(const String& value) {
  if (value == FFileName) return;
  CloseForChange();
  FFileName = value;
  FResName.clear();
  FResID = 0;
}

void TAnimate::SetResName(const String& value) {
  if (value == FResName) return;
  CloseForChange();
  FResName = value;
  FFileName.clear();
  FResID = 0;
}

void TAnimate::SetResID(int value) {
  if (value == FResID) return;
  CloseForChange();
  FResID = value;
  FFileName.clear();
  FResName.clear();
}

void TAnimate::SetResHandle(HINSTANCE value) {
  if (value == FResHandle) return;
  CloseForChange();
  FResHandle = value;
}

bool TAnimate::InternalOpen() {
  TAviInfo info;
  WPARAM module = 0;
  LPARAM source = 0;
  if (!FFileName.empty()) {
    const std::vector<uint8_t> bytes = ReadFileStart(FFileName);
    if (!ReadAviInfo(bytes.data(), bytes.size(), info)) return false;
    source = reinterpret_cast<LPARAM>(FFileName.c_str());
  } else if (!FResName.empty() || FResID != 0) {
    const HINSTANCE instance = FResHandle ? FResHandle : ::GetModuleHandleW(nullptr);
    const wchar_t* name = FResName.empty() ? MAKEINTRESOURCEW(FResID) : FResName.c_str();
    const HRSRC resource = ::FindResourceW(instance, name, L"AVI");
    const HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
    const auto* bytes = loaded ? static_cast<const uint8_t*>(::LockResource(loaded)) : nullptr;
    if (!bytes || !ReadAviInfo(bytes, ::SizeofResource(instance, resource), info)) return false;
    module = reinterpret_cast<WPARAM>(instance);
    source = reinterpret_cast<LPARAM>(name);
  } else {
    return false;
  }
  if (!::SendMessageW(GetHandle(), ACM_OPENW, module, source)) return false;
  FInfo = info;
  return true;
}

void TAnimate::InternalClose() {
  if (HandleAllocated()) {
    if (FActive) ::SendMessageW(GetHandle(), ACM_STOP, 0, 0);
    ::SendMessageW(GetHandle(), ACM_OPENW, 0, 0);
  }
  FActive = false;
  FInfo = TAviInfo();
}

void TAnimate::SetOpen(bool value) {
  if (Loading()) {
    FOpenAfterLoad = FOpenAfterLoad || value;
    return;
  }
  if (value == FOpen) return;
  if (!value) {
    InternalClose();
    FOpen = false;
    if (FOnClose) FOnClose(this);
    return;
  }
  if (!InternalOpen()) throw EInvalidOperation(L"Cannot open AVI");
  FOpen = true;
  // The frames played stay inside the clip.
  FStartFrame = Max(1, Min(FStartFrame, FInfo.FrameCount));
  if (FStopFrame <= 0 || FStopFrame > FInfo.FrameCount) FStopFrame = FInfo.FrameCount;
  if (FOnOpen) FOnOpen(this);
}

void TAnimate::Loaded() {
  inherited::Loaded();
  if (!FOpenAfterLoad && !FActive) return;
  FOpenAfterLoad = false;
  const bool play = FActive;
  FActive = false;
  if (play)
    SetActive(true);
  else
    SetOpen(true);
}

// ---- Playing ---------------------------------------------------------------------------------------------

void TAnimate::SetActive(bool value) {
  if (Loading()) {
    FActive = value;  // played once the layout is read
    return;
  }
  if (value == FActive) return;
  if (value)
    Play(FStartFrame, FStopFrame, FRepetitions);
  else
    Stop();
}

void TAnimate::SetRepetitions(int value) { FRepetitions = Max(0, value); }

void TAnimate::SetStartFrame(int value) {
  FStartFrame = FOpen ? Max(1, Min(value, FInfo.FrameCount)) : Max(1, value);
}

void TAnimate::SetStopFrame(int value) {
  if (FOpen && (value <= 0 || value > FInfo.FrameCount)) value = FInfo.FrameCount;
  FStopFrame = Max(0, value);
}

void TAnimate::Play(int fromFrame, int toFrame, int count) {
  if (!FOpen) SetOpen(true);
  const int last = FInfo.FrameCount;
  FStartFrame = Max(1, Min(fromFrame, last));
  FStopFrame = toFrame <= 0 ? last : Max(FStartFrame, Min(toFrame, last));
  FRepetitions = Max(0, count);
  const WPARAM times = FRepetitions == 0 ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(FRepetitions);
  const LPARAM frames = MAKELONG(FStartFrame - 1, FStopFrame - 1);
  if (::SendMessageW(GetHandle(), ACM_PLAY, times, frames)) FActive = true;
}

void TAnimate::Seek(int frame) {
  if (!FOpen) SetOpen(true);
  frame = Max(1, Min(frame, FInfo.FrameCount));
  ::SendMessageW(GetHandle(), ACM_PLAY, 1, MAKELONG(frame - 1, frame - 1));
}

void TAnimate::Stop() {
  if (!FActive) return;
  if (HandleAllocated()) ::SendMessageW(GetHandle(), ACM_STOP, 0, 0);
  FActive = false;
}

void TAnimate::Reset() {
  Stop();
  if (FOpen) Seek(FStartFrame);
}

// ---- Look ------------------------------------------------------------------------------------------------

void TAnimate::RecreateKeepingClip() {
  if (HandleAllocated()) {
    if (FActive) ::SendMessageW(GetHandle(), ACM_STOP, 0, 0);
    RecreateWnd();  // CreateWnd opens and plays again what was open
  }
}

void TAnimate::SetCenter(bool value) {
  if (value == FCenter) return;
  FCenter = value;
  RecreateKeepingClip();
}

void TAnimate::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  RecreateKeepingClip();
}

void TAnimate::SetTimers(bool value) {
  if (value == FTimers) return;
  FTimers = value;
  RecreateKeepingClip();
}
