#include "Printers.h"

#include <winspool.h>

namespace {

// Printers installed between the two calls of an enumeration make it try again, a few times.
constexpr int EnumAttempts = 3;

[[noreturn]] void PrinterError(const wchar_t* message) { throw EPrinter(message); }

const wchar_t NoDefaultPrinter[] = L"There is no default printer currently selected";
const wchar_t InvalidPrinter[] = L"Printer selected is not valid";

// The names of the local and connected printers.
std::vector<String> InstalledPrinters() {
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  for (int attempt = 0; attempt < EnumAttempts; ++attempt) {
    DWORD needed = 0;
    DWORD count = 0;
    if (::EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count) && needed == 0)
      return {};
    if (needed == 0) return {};
    std::vector<BYTE> buffer(needed);
    if (!::EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) {
      if (::GetLastError() == ERROR_INSUFFICIENT_BUFFER) continue;
      return {};
    }
    std::vector<String> names;
    const auto* infos = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
      if (infos[i].pPrinterName) names.emplace_back(infos[i].pPrinterName);
    return names;
  }
  return {};
}

// The system's default printer; empty when there is none.
String DefaultPrinterName() {
  DWORD size = 0;
  ::GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return String();
  std::vector<wchar_t> name(size + 1, L'\0');
  if (!::GetDefaultPrinterW(name.data(), &size)) return String();
  return String(name.data());
}

// An open printer, closed when it goes.
class TPrinterHandle {
 public:
  explicit TPrinterHandle(const String& name) {
    if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &FHandle, nullptr)) FHandle = nullptr;
  }
  ~TPrinterHandle() {
    if (FHandle) ::ClosePrinter(FHandle);
  }
  TPrinterHandle(const TPrinterHandle&) = delete;
  TPrinterHandle& operator=(const TPrinterHandle&) = delete;
  HANDLE Get() const { return FHandle; }

 private:
  HANDLE FHandle = nullptr;
};

}  // namespace

// ---- TPrinterCanvas --------------------------------------------------------------------------------

// A canvas that asks the printer for its context when it needs one.
class TPrinter::TPrinterCanvas : public TCanvas {
 public:
  explicit TPrinterCanvas(TPrinter* printer) : FPrinter(printer) {}

 protected:
  void CreateHandle() override {
    FPrinter->SetState(psHandleIC);
    SetHandle(FPrinter->FDC);
  }

 private:
  TPrinter* FPrinter;  // owns this canvas
};

// ---- TPrinter ----------------------------------------------------------------------------------------

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
  if (FPrinting) {
    try {
      EndDoc();
    } catch (...) {
      // The document is lost either way; the context is freed below.
    }
  }
  if (FCanvas) FCanvas->SetHandle(nullptr);
  if (FDC) ::DeleteDC(FDC);
}

void TPrinter::CheckPrinting(bool expected) const {
  if (FPrinting == expected) return;
  PrinterError(expected ? L"Printer is not currently printing" : L"Printing in progress");
}

TStrings* TPrinter::GetPrinters() {
  if (!FPrinters) {
    auto printers = std::make_unique<TStringList>();
    for (const String& name : InstalledPrinters()) printers->Add(name);
    FPrinters = std::move(printers);
  }
  return FPrinters.get();
}

void TPrinter::SetToDefaultPrinter() {
  const String name = DefaultPrinterName();
  TStrings* printers = GetPrinters();
  int found = -1;
  for (int i = 0; i < printers->GetCount() && !name.empty(); ++i) {
    if (AnsiCompareText(printers->Get(i), name) == 0) {
      found = i;
      break;
    }
  }
  if (found < 0) PrinterError(NoDefaultPrinter);
  ForgetPrinter();
  FPrinterIndex = found;
}

int TPrinter::GetPrinterIndex() {
  if (FPrinterIndex == -1) SetToDefaultPrinter();
  return FPrinterIndex;
}

void TPrinter::SetPrinterIndex(int value) {
  CheckPrinting(false);
  if (value == -1) {
    SetToDefaultPrinter();
    return;
  }
  if (value < 0 || value >= GetPrinters()->GetCount()) PrinterError(L"Printer index out of range");
  ForgetPrinter();
  FPrinterIndex = value;
}

String TPrinter::DeviceName() {
  const int index = GetPrinterIndex();
  TStrings* printers = GetPrinters();
  if (index < 0 || index >= printers->GetCount()) PrinterError(InvalidPrinter);
  return printers->Get(index);
}

DEVMODEW* TPrinter::DeviceMode() {
  if (FDevMode.empty()) {
    const String name = DeviceName();
    TPrinterHandle printer(name);
    if (!printer.Get()) PrinterError(InvalidPrinter);
    auto* device = const_cast<wchar_t*>(name.c_str());
    const LONG size = ::DocumentPropertiesW(nullptr, printer.Get(), device, nullptr, nullptr, 0);
    if (size < static_cast<LONG>(sizeof(DEVMODEW))) PrinterError(InvalidPrinter);
    std::vector<BYTE> mode(static_cast<size_t>(size));
    if (::DocumentPropertiesW(nullptr, printer.Get(), device,
                              reinterpret_cast<DEVMODEW*>(mode.data()), nullptr,
                              DM_OUT_BUFFER) != IDOK)
      PrinterError(InvalidPrinter);
    FDevMode = std::move(mode);
  }
  return reinterpret_cast<DEVMODEW*>(FDevMode.data());
}

void TPrinter::ForgetPrinter() {
  SetState(psNoHandle);
  FDevMode.clear();
}

void TPrinter::SetState(TState value) {
  if (value == FState) return;
  if (value == psNoHandle) {
    CheckPrinting(false);
    if (FCanvas) FCanvas->SetHandle(nullptr);
    if (FDC) ::DeleteDC(FDC);
    FDC = nullptr;
    FState = psNoHandle;
    return;
  }
  // A device context serves where an information context is asked.
  if (value == psHandleIC && FState == psHandleDC) return;
  const String name = DeviceName();
  const DEVMODEW* mode = DeviceMode();
  HDC dc = value == psHandleIC ? ::CreateICW(L"WINSPOOL", name.c_str(), nullptr, mode)
                               : ::CreateDCW(L"WINSPOOL", name.c_str(), nullptr, mode);
  if (!dc) PrinterError(InvalidPrinter);
  if (FCanvas) FCanvas->SetHandle(nullptr);
  if (FDC) ::DeleteDC(FDC);
  FDC = dc;
  FState = value;
}

TPrinterOrientation TPrinter::GetOrientation() {
  return DeviceMode()->dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
  CheckPrinting(false);
  DEVMODEW* mode = DeviceMode();
  mode->dmOrientation = value == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  mode->dmFields |= DM_ORIENTATION;
  // The next context is made with the new setting.
  SetState(psNoHandle);
}

HDC TPrinter::GetHandle() {
  SetState(psHandleIC);
  return FDC;
}

TCanvas* TPrinter::GetCanvas() {
  if (!FCanvas) FCanvas = std::make_unique<TPrinterCanvas>(this);
  return FCanvas.get();
}

int TPrinter::GetPageWidth() { return ::GetDeviceCaps(GetHandle(), HORZRES); }

int TPrinter::GetPageHeight() { return ::GetDeviceCaps(GetHandle(), VERTRES); }

void TPrinter::BeginDoc() {
  CheckPrinting(false);
  SetState(psHandleDC);
  GetCanvas()->Refresh();
  DOCINFOW info{};
  info.cbSize = sizeof(info);
  info.lpszDocName = FTitle.c_str();
  if (::StartDocW(FDC, &info) <= 0)
    throw EPrinter(L"Printing could not start: " + SysErrorMessage(::GetLastError()));
  if (::StartPage(FDC) <= 0) {
    const DWORD error = ::GetLastError();
    ::AbortDoc(FDC);
    throw EPrinter(L"Printing could not start: " + SysErrorMessage(error));
  }
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
}

void TPrinter::EndDoc() {
  CheckPrinting(true);
  ::EndPage(FDC);
  if (!FAborted) ::EndDoc(FDC);
  FPrinting = false;
  FAborted = false;
  FPageNumber = 0;
}

void TPrinter::Abort() {
  CheckPrinting(true);
  ::AbortDoc(FDC);
  FAborted = true;
  EndDoc();
}

void TPrinter::NewPage() {
  CheckPrinting(true);
  ::EndPage(FDC);
  ::StartPage(FDC);
  ++FPageNumber;
  GetCanvas()->Refresh();
}

void TPrinter::Refresh() {
  CheckPrinting(false);
  ForgetPrinter();
  FPrinters.reset();
  FPrinterIndex = -1;
}

TPrinter* Printer() {
  static std::unique_ptr<TPrinter> instance = std::make_unique<TPrinter>();
  return instance.get();
}
