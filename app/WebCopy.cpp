#include "WebCopy.h"

#include <wininet.h>

#include <cstdio>
#include <utility>
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/Threads.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Animate.h"
#include "classlib/stdctrls/Buttons.h"
#include "classlib/stdctrls/ProgressBars.h"
#include "classlib/stdctrls/StdLabels.h"
#include "classlib/system/SysString.h"

namespace {

constexpr DWORD kBlockSize = 4096;
constexpr int kAnimationResource = 257;
// A read that gets nothing for this long fails the item (a stalled server cannot hold the
// worker, and with it a cancel or the component's destruction, for ever).
constexpr DWORD kReceiveTimeoutMs = 15000;
// The labels are refreshed at most this often, and always at the end.
constexpr DWORD kRefreshMs = 100;

String Lower(const String& s) { return LowerCase(s); }

String FormatScaled(uint64_t n, const wchar_t* small, const wchar_t* kilo, const wchar_t* mega) {
  wchar_t text[64];
  if (n < 1000) {
    swprintf(text, 64, L"%llu%ls", static_cast<unsigned long long>(n), small);
  } else if (n < 1000000) {
    swprintf(text, 64, L"%.2f%ls", static_cast<double>(n) / 1000.0, kilo);
  } else {
    swprintf(text, 64, L"%.2f%ls", static_cast<double>(n) / 1000000.0, mega);
  }
  return text;
}

// Closes a WinInet handle when it goes out of scope.
struct TInternetHandle {
  HINTERNET Handle = nullptr;
  explicit TInternetHandle(HINTERNET h) : Handle(h) {}
  ~TInternetHandle() {
    if (Handle) InternetCloseHandle(Handle);
  }
  TInternetHandle(const TInternetHandle&) = delete;
  TInternetHandle& operator=(const TInternetHandle&) = delete;
};

}  // namespace

// ---- Text routines -------------------------------------------------------------------------

String ExtractURLFileName(const String& s) {
  const size_t cut = s.find_last_of(L"/\\");
  return cut == String::npos ? s : s.substr(cut + 1);
}

String ExtractURLHost(const String& s) {
  String rest = s;
  const size_t scheme = Lower(rest).find(L"://");
  if (scheme != String::npos) rest.erase(0, scheme + 3);
  const size_t at = rest.find(L'@');
  if (at != String::npos) rest.erase(0, at + 1);
  const size_t slash = rest.find(L'/');
  if (slash != String::npos) rest.erase(slash);
  return rest;
}

String AddProxyCredentials(const String& s, const String& user, const String& password) {
  if (user.empty() || Lower(s.substr(0, 7)) != L"http://") return s;
  return L"http://" + user + L":" + password + L"@" + s.substr(7);
}

String FormatByteSize(uint64_t n) { return FormatScaled(n, L"bytes", L" Kb", L" Mb"); }

String FormatTransferRate(uint64_t n) {
  return FormatScaled(n, L" bytes/sec", L" Kb/sec", L" Mb/sec");
}

bool IsUsableFileName(const String& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (wchar_t c : name) {
    if (c < 32 || String(L"<>:\"/\\|?*").find(c) != String::npos) return false;
  }
  // A trailing dot or space is dropped by the file system, so the file would be another.
  if (name.back() == L'.' || name.back() == L' ') return false;
  // Device names stay devices with any extension: "con", "nul.txt", "COM1.mdb".
  String stem = UpperCase(name.substr(0, name.find(L'.')));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : kDevices) {
    if (stem == device) return false;
  }
  if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
      stem[3] >= L'0' && stem[3] <= L'9') {
    return false;
  }
  return true;
}

int ProgressPercent(uint64_t done, uint64_t total) {
  if (total == 0) return 0;
  return static_cast<int>((done * 100 + total / 2) / total);
}

// ---- Items ----------------------------------------------------------------------------------

namespace {
const wchar_t* const WebCopyProtocolNames[] = {L"wpHttp", L"wpFtp"};
const TEnumInfo WebCopyProtocolIdents = MakeEnumInfo(WebCopyProtocolNames);
}  // namespace

const TPropertyTable* TWebCopyItem::PublishedProperties() {
  using P = TPublish<TWebCopyItem>;
  using C = TWebCopyItem;
  static const TPropertyTable table{
      P::Text(L"URL", &C::URL, &C::URL),
      P::Text(L"TargetDir", &C::TargetDir, &C::TargetDir),
      P::Enum(L"Protocol", WebCopyProtocolIdents, &C::Protocol, &C::Protocol).Default(wpHttp),
      P::Text(L"FTPHost", &C::FTPHost, &C::FTPHost),
      P::Text(L"FTPUserID", &C::FTPUserID, &C::FTPUserID),
      P::Text(L"FTPPassword", &C::FTPPassword, &C::FTPPassword),
      P::Integer(L"FTPPort", &C::FTPPort, &C::FTPPort).Default(0),
  };
  return &table;
}

const TPropertyTable* TWebCopy::PublishedProperties() {
  using P = TPublish<TWebCopy>;
  using C = TWebCopy;
  static const TPropertyTable table{
      P::Text(L"Proxy", &C::Proxy, &C::Proxy),
      P::Text(L"ProxyUserID", &C::ProxyUserID, &C::ProxyUserID),
      P::Text(L"ProxyPassword", &C::ProxyPassword, &C::ProxyPassword),
      P::Text(L"DlgCaption", &C::DlgCaption, &C::DlgCaption),
      P::Text(L"DlgFileLabel", &C::DlgFileLabel, &C::DlgFileLabel),
      P::Text(L"DlgProgressLabel", &C::DlgProgressLabel, &C::DlgProgressLabel),
      P::Text(L"DlgRateLabel", &C::DlgRateLabel, &C::DlgRateLabel),
      P::Method(L"OnError", &C::OnError, &C::OnError),
      P::Method(L"OnCopyDone", &C::OnCopyDone, &C::OnCopyDone),
      P::Method(L"OnFileDone", &C::OnFileDone, &C::OnFileDone),
      P::Method(L"OnURLNotFound", &C::OnURLNotFound, &C::OnURLNotFound),
      P::Collection(L"Items", &C::GetItems),
  };
  return &table;
}

void RegisterWebCopyClasses() { RegisterClasses({TWebCopy::StaticClassInfo()}); }

TWebCopyItems::TWebCopyItems(TWebCopy* owner)
    : TOwnedCollection(owner, TCollectionItemClass<TWebCopyItem>{}) {}

TWebCopyItem* TWebCopyItems::Add() { return static_cast<TWebCopyItem*>(TCollection::Add()); }

TWebCopyItem* TWebCopyItems::GetItems(int index) const {
  return static_cast<TWebCopyItem*>(GetItem(index));
}

// ---- The worker ------------------------------------------------------------------------------

class TWCopyThread : public TThread {
  CLASSLIB_CLASS(TWCopyThread, TThread)
  explicit TWCopyThread(TWebCopy* owner) : TThread(true), FOwner(owner) {}
  ~TWCopyThread() override { StopAndWait(); }

 protected:
  void Execute() override {
    try {
      FOwner->CopyAll();
    } catch (...) {
      // Nothing leaves the worker; the run ends and ThreadDone still runs.
    }
  }

 private:
  TWebCopy* FOwner;  // outlives the worker (its destructor waits for it)
};

// ---- TWebCopy -------------------------------------------------------------------------------------

TWebCopy::TWebCopy(TComponent* owner)
    : TComponent(owner), FItems(std::make_unique<TWebCopyItems>(this)) {}

TWebCopy::~TWebCopy() {
  FDestroying = true;
  FCancelled = true;
  // Serves the workers' queued main-thread calls (which do nothing now) while waiting.
  FreeWorker(std::exchange(FThread, nullptr));
  for (TWCopyThread* worker : FRetired) FreeWorker(worker);
  FRetired.clear();
  delete FProgressForm;
  FProgressForm = nullptr;
}

void TWebCopy::FreeWorker(TWCopyThread* worker) {
  if (!worker) return;
  try {
    worker->WaitFor();
  } catch (...) {
  }
  delete worker;
}

void TWebCopy::OnMain(const std::function<void()>& f) {
  TThread::Synchronize([this, &f] {
    if (!FDestroying) f();
  });
}

void TWebCopy::Execute() {
  if (FRunning) return;
  // The last worker's run has ended. Called from OnCopyDone it is still inside its
  // completion call, so it is kept until it has finished rather than waited for here.
  if (FThread) FRetired.push_back(std::exchange(FThread, nullptr));
  for (auto worker = FRetired.begin(); worker != FRetired.end();) {
    if ((*worker)->GetFinished()) {
      FreeWorker(*worker);
      worker = FRetired.erase(worker);
    } else {
      ++worker;
    }
  }
  FCancelled = false;
  FCurrentItem = 0;
  FResults.assign(FItems->GetCount(), wcrNone);
  FRunning = true;
  ShowProgressDialog();
  FThread = new TWCopyThread(this);
  FThread->OnTerminate = [this](TObject*) { ThreadDone(); };
  FThread->Start();
}

void TWebCopy::ShowProgressDialog() {
  delete FProgressForm;
  FProgressForm = new TForm(this);
  TForm* form = FProgressForm;
  form->SetBorderStyle(bsDialog);
  form->SetBorderIcons(TBorderIcons{});
  form->SetPosition(poScreenCenter);
  form->SetBounds(0, 0, 300, 190);
  form->SetCaption(DlgCaption);
  const int width = form->GetWidth();

  auto* animation = new TAnimate(form);
  animation->SetParent(form);
  animation->SetBounds(10, 0, 80, 50);
  try {
    animation->SetResID(kAnimationResource);
    animation->SetRepetitions(0);
    animation->SetActive(true);
  } catch (const std::exception&) {
    // A program without the clip shows the dialog without its animation.
  }

  FProgressBar = new TProgressBar(form);
  FProgressBar->SetParent(form);
  FProgressBar->SetBounds(10, 60, width - 20, 12);
  FProgressBar->SetMin(0);
  FProgressBar->SetMax(100);

  auto label = [&](int top, const String& text, bool fixedWidth) {
    auto* l = new TLabel(form);
    l->SetParent(form);
    if (fixedWidth) l->SetAutoSize(false);
    l->SetBounds(10, top, fixedWidth ? width - 20 : 100, 13);
    l->SetCaption(text);
    return l;
  };
  FFileLabel = label(80, DlgFileLabel, true);
  FProgressLabel = label(100, DlgProgressLabel, false);
  FRateLabel = label(120, DlgRateLabel, false);

  auto* cancel = new TButton(form);
  cancel->SetParent(form);
  cancel->SetCaption(L"Cancel");
  cancel->SetLeft(width - cancel->GetWidth() - 10);
  cancel->SetTop(130);
  cancel->SetOnClick([this](TObject* sender) { CancelClick(sender); });
  form->Show();
}

void TWebCopy::CancelClick(TObject*) {
  FCancelled = true;
  if (FProgressForm) FProgressForm->Hide();
}

void TWebCopy::ThreadDone() {
  if (FDestroying) return;
  FRunning = false;
  TForm* form = FProgressForm;
  FProgressForm = nullptr;
  FProgressBar = nullptr;
  FFileLabel = FProgressLabel = FRateLabel = nullptr;
  if (form) form->Release();  // this call runs inside a handler of the worker, not of the form
  if (OnCopyDone) OnCopyDone(this);
}

TWebCopyResult TWebCopy::GetItemResult(int index) const {
  if (FRunning || index < 0 || index >= static_cast<int>(FResults.size())) return wcrNone;
  return FResults[index];
}

bool TWebCopy::GetSucceeded() const {
  if (FRunning || FResults.empty()) return false;
  for (TWebCopyResult r : FResults) {
    if (r != wcrDone) return false;
  }
  return true;
}

String TWebCopy::FilePrefix() const {
  const int count = FItems->GetCount();
  if (count <= 1) return String();
  return IntToStr(FCurrentItem.load()) + L" of " + IntToStr(count) + L" : ";
}

void TWebCopy::CopyAll() {
  HINTERNET session = InternetOpenW(L"WebCopy", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) return;
  TInternetHandle sessionGuard(session);
  DWORD timeout = kReceiveTimeoutMs;
  InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  FInternetHandle = session;
  const int count = FItems->GetCount();
  for (int i = 1; i <= count; ++i) {
    FCurrentItem = i;
    const TWebCopyItem* item = FItems->GetItems(i - 1);
    TWebCopyResult result = wcrNone;
    try {
      result = item->Protocol == wpFtp
                   ? FtpCopy(item->FTPUserID, item->FTPPassword, item->FTPHost, item->FTPPort,
                             item->URL, item->TargetDir)
                   : HttpCopy(item->URL, item->TargetDir);
    } catch (...) {
      result = wcrWriteFailed;
    }
    FResults[i - 1] = result;
    if (FCancelled) break;
    // A local file that cannot be written ends the run.
    if (result == wcrWriteFailed || result == wcrBadName) break;
    if (OnFileDone) OnMain([&] { OnFileDone(this, i - 1); });
  }
  FInternetHandle = nullptr;
}

TWebCopyResult TWebCopy::HttpCopy(const String& url, const String& dir) {
  const String name = ExtractURLFileName(url);
  const String address = AddProxyCredentials(url, ProxyUserID, ProxyPassword);
  const String fileLine = DlgFileLabel + L" " + FilePrefix() + name + L" from " + ExtractURLHost(address);
  OnMain([&] {
    if (FFileLabel) FFileLabel->SetCaption(fileLine);
  });
  // The address is asked for whatever its name: an unreachable or refused one is reported as
  // any other is, and a name that cannot be a local file is refused where the file is made.
  HINTERNET request = InternetOpenUrlW(static_cast<HINTERNET>(FInternetHandle), address.c_str(), nullptr, 0,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  if (!request) {
    if (OnURLNotFound) OnMain([&] { OnURLNotFound(this, address); });
    return wcrNotFound;
  }
  TInternetHandle requestGuard(request);
  DWORD status = 0;
  DWORD size = sizeof status;
  if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
      status >= 300) {
    if (OnError) OnMain([&] { OnError(this, static_cast<int>(status)); });
    return wcrHttpError;
  }
  // The length as text, so that lengths past 4 GB are read whole.
  uint64_t total = 0;
  wchar_t lengthText[32] = {};
  DWORD lengthSize = sizeof lengthText;
  if (HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr)) {
    total = wcstoull(lengthText, nullptr, 10);
  }
  return ReadToFile(request, dir, name, total, false);
}

TWebCopyResult TWebCopy::FtpCopy(const String& user, const String& password, const String& host, int port,
                                 const String& path, const String& dir) {
  const String name = ExtractURLFileName(path);
  const String fileLine = DlgFileLabel + L" " + FilePrefix() + name + L" from " + host;
  OnMain([&] {
    if (FFileLabel) FFileLabel->SetCaption(fileLine);
  });
  const bool login = !user.empty() && !password.empty();
  HINTERNET connection =
      InternetConnectW(static_cast<HINTERNET>(FInternetHandle), host.c_str(), static_cast<INTERNET_PORT>(port),
                       login ? user.c_str() : nullptr, login ? password.c_str() : nullptr,
                       INTERNET_SERVICE_FTP, 0, 0);
  if (!connection) {
    if (OnError) OnMain([&] { OnError(this, 0); });
    return wcrConnectFailed;
  }
  TInternetHandle connectionGuard(connection);
  // The directory part runs through the last "/": "/name" is read from the root directory.
  const size_t slash = path.find_last_of(L'/');
  if (slash != String::npos) {
    FtpSetCurrentDirectoryW(connection, path.substr(0, slash + 1).c_str());
  }
  uint64_t total = 0;
  WIN32_FIND_DATAW found{};
  if (!FCancelled && IsUsableFileName(name)) {
    HINTERNET listing = FtpFindFirstFileW(connection, name.c_str(), &found, INTERNET_FLAG_RELOAD, 0);
    if (listing) {
      total = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      InternetCloseHandle(listing);
    }
  }
  HINTERNET file = FtpOpenFileW(connection, name.c_str(), GENERIC_READ,
                                FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0);
  if (!file) {
    if (OnURLNotFound) OnMain([&] { OnURLNotFound(this, path); });
    return wcrNotFound;
  }
  TInternetHandle fileGuard(file);
  // The cancel flag is not cleared before reading: a Cancel pressed while connecting has
  // hidden the dialog and must end the item, not let it run on unseen.
  return ReadToFile(file, dir, name, total, true);
}

TWebCopyResult TWebCopy::ReadToFile(void* source, const String& dir, const String& name, uint64_t total,
                                    bool showBytesWithoutTotal) {
  if (!IsUsableFileName(name)) return wcrBadName;
  const String target = dir + name;
  const String partial = target + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return wcrWriteFailed;
  TWebCopyResult result = wcrDone;
  uint64_t done = 0;
  const DWORD start = GetTickCount();
  DWORD lastRefresh = start - kRefreshMs;
  auto refresh = [&](bool force) {
    const DWORD now = GetTickCount();
    if (!force && now - lastRefresh < kRefreshMs) return;
    lastRefresh = now;
    const uint64_t elapsed = static_cast<uint64_t>(now - start) + 1;
    const uint64_t rate = (done * 1000 + elapsed / 2) / elapsed;
    OnMain([&] {
      if (!FProgressBar) return;
      if (total != 0) {
        FProgressBar->SetPosition(ProgressPercent(done, total));
        FProgressLabel->SetCaption(DlgProgressLabel + L" " + FormatByteSize(done) + L" of " + FormatByteSize(total));
      } else if (showBytesWithoutTotal) {
        FProgressLabel->SetCaption(DlgProgressLabel + L" " + FormatByteSize(done));
      }
      FRateLabel->SetCaption(DlgRateLabel + L" " + FormatTransferRate(rate));
    });
  };
  char block[kBlockSize];
  // Bounded by the data the server sends; each read waits at most the receive timeout.
  for (;;) {
    if (FCancelled) {
      result = wcrCancelled;
      break;
    }
    DWORD got = 0;
    if (!InternetReadFile(static_cast<HINTERNET>(source), block, kBlockSize, &got)) {
      result = wcrReadFailed;
      break;
    }
    if (got == 0) break;  // the server has nothing more to send
    DWORD written = 0;
    if (!WriteFile(file, block, got, &written, nullptr) || written != got) {
      result = wcrWriteFailed;
      break;
    }
    done += got;
    refresh(false);
  }
  if (result == wcrDone && total != 0 && done != total) result = wcrShort;
  if (result == wcrDone) refresh(true);
  const bool closed = CloseHandle(file) != 0;
  if (result == wcrDone && !closed) result = wcrWriteFailed;
  if (result == wcrDone && !MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    result = wcrWriteFailed;
  }
  if (result != wcrDone) DeleteFileW(partial.c_str());
  return result;
}
