// TGraphic, TSharedImage, TPicture and the registry of graphic classes.
#include "Graphic.h"
#include <cstring>
#include <memory>
#include <mutex>
#include "../system/SysFiles.h"
#include "Bitmap.h"
#include "Icon.h"
#include "Jpeg.h"

// ---- Registry ---------------------------------------------------------------------------------

namespace {

struct TFileFormat {
  String Extension;    // without the dot, as registered
  String Description;  // "Bitmaps"
  TGraphicClass Class;
};

struct TClipboardFormat {
  UINT Format;
  TGraphicClass Class;
};

// The registered classes, the oldest first; lookups go from the newest.
struct TGraphicRegistry {
  std::mutex Lock;
  std::vector<TFileFormat> Files;
  std::vector<TClipboardFormat> Clipboard;

  TGraphicRegistry() {
    Files.push_back({L"ico", L"Icons", TGraphicClass::Of<TIcon>()});
    Files.push_back({L"bmp", L"Bitmaps", TGraphicClass::Of<TBitmap>()});
    Files.push_back({L"jpeg", L"JPEG Image File", TGraphicClass::Of<TJPEGImage>()});
    Files.push_back({L"jpg", L"JPEG Image File", TGraphicClass::Of<TJPEGImage>()});
    Clipboard.push_back({CF_BITMAP, TGraphicClass::Of<TBitmap>()});
    Clipboard.push_back({CF_DIB, TGraphicClass::Of<TBitmap>()});
  }
};

TGraphicRegistry& Registry() {
  static TGraphicRegistry registry;
  return registry;
}

String WithoutDot(const String& ext) {
  return !ext.empty() && ext[0] == L'.' ? ext.substr(1) : ext;
}

bool Derives(const TGraphicClass& cls, const TClassInfo* base) {
  return base == nullptr || cls.Info->InheritsFrom(base);
}

}  // namespace

void RegisterFileFormat(const String& ext, const String& description, TGraphicClass cls) {
  if (!cls) throw EInvalidGraphic(L"Invalid graphic class");
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  r.Files.push_back({WithoutDot(ext), description, cls});
}

void RegisterClipboardFormat(UINT format, TGraphicClass cls) {
  if (!cls) throw EInvalidGraphic(L"Invalid graphic class");
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  r.Clipboard.push_back({format, cls});
}

void UnregisterGraphicClass(const TClassInfo* cls) {
  if (cls == nullptr) return;
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  std::erase_if(r.Files, [cls](const TFileFormat& f) { return f.Class.Info->InheritsFrom(cls); });
  std::erase_if(r.Clipboard,
                [cls](const TClipboardFormat& f) { return f.Class.Info->InheritsFrom(cls); });
}

TGraphicClass GraphicClassForExtension(const String& ext) {
  String wanted = WithoutDot(ext);
  if (wanted.empty()) return {};
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  for (auto it = r.Files.rbegin(); it != r.Files.rend(); ++it)
    if (SameText(it->Extension, wanted)) return it->Class;
  return {};
}

TGraphicClass GraphicClassForName(const String& className) {
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  for (auto it = r.Files.rbegin(); it != r.Files.rend(); ++it)
    if (SameText(it->Class.Info->Name, className)) return it->Class;
  for (auto it = r.Clipboard.rbegin(); it != r.Clipboard.rend(); ++it)
    if (SameText(it->Class.Info->Name, className)) return it->Class;
  return {};
}

TGraphicClass GraphicClassForClipboardFormat(UINT format) {
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  for (auto it = r.Clipboard.rbegin(); it != r.Clipboard.rend(); ++it)
    if (it->Format == format) return it->Class;
  return {};
}

UINT ClipboardFormatForGraphicClass(TGraphicClass cls) {
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  for (auto it = r.Clipboard.rbegin(); it != r.Clipboard.rend(); ++it)
    if (it->Class == cls) return it->Format;
  return 0;
}

String GraphicFilter(const TClassInfo* base) {
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  String descriptions;
  String filters;
  int count = 0;
  for (auto it = r.Files.rbegin(); it != r.Files.rend(); ++it) {
    if (!Derives(it->Class, base) || it->Extension.empty()) continue;
    if (count > 0) {
      descriptions += L'|';
      filters += L';';
    }
    descriptions += it->Description + L" (*." + it->Extension + L")|*." + it->Extension;
    filters += L"*." + it->Extension;
    ++count;
  }
  if (count > 1) return L"All (" + filters + L")|" + filters + L'|' + descriptions;
  return descriptions;
}

// ---- TGraphic ---------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed(this);
  else
    FModified = false;
}

TGraphicClass TGraphic::GetGraphicClass() const {
  const TClassInfo* info = ClassInfo();
  {
    TGraphicRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    for (const TFileFormat& f : r.Files)
      if (f.Class.Info == info) return f.Class;
    for (const TClipboardFormat& f : r.Clipboard)
      if (f.Class.Info == info) return f.Class;
  }
  throw EInvalidGraphic(L"Graphic class %s is not registered", {String(info->Name)});
}

void TGraphic::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const String& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TGraphic::ReadData(TStream& stream) { LoadFromStream(stream); }

void TGraphic::WriteData(TStream& stream) { SaveToStream(stream); }

bool TGraphic::Equals(TGraphic* other) {
  if (other == nullptr || other->ClassInfo() != ClassInfo()) return false;
  if (GetEmpty() || other->GetEmpty()) return GetEmpty() && other->GetEmpty();
  TMemoryStream mine;
  WriteData(mine);
  TMemoryStream theirs;
  other->WriteData(theirs);
  return mine.GetSize() == theirs.GetSize() &&
         (mine.GetSize() == 0 ||
          std::memcmp(mine.GetMemory(), theirs.GetMemory(), static_cast<size_t>(mine.GetSize())) == 0);
}

void TGraphic::Changed(TObject* sender) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                        bool redrawNow, const TRect& r, const String& msg) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

// ---- TSharedImage -----------------------------------------------------------------------------

void TSharedImage::Release(TSharedImage* image) {
  if (image == nullptr) return;
  if (--image->FRefCount > 0) return;
  image->FreeHandle();
  delete image;
}

// ---- TPicture ---------------------------------------------------------------------------------

void TPicture::HookProgress(TGraphic& graphic) {
  graphic.OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percentDone,
                              bool redrawNow, const TRect& r, const String& msg) {
    Progress(sender, stage, percentDone, redrawNow, r, msg);
  };
}

void TPicture::Adopt(std::unique_ptr<TGraphic> graphic) {
  FGraphic = std::move(graphic);
  if (FGraphic) {
    FGraphic->OnChange = [this](TObject* sender) { Changed(sender); };
    HookProgress(*FGraphic);
  }
}

void TPicture::SetGraphic(TGraphic* value) {
  std::unique_ptr<TGraphic> copy;
  if (value != nullptr) {
    copy.reset(value->GetGraphicClass().Create());
    copy->Assign(value);
  }
  Adopt(std::move(copy));
  Changed(this);
}

void TPicture::ForceType(TGraphicClass cls) {
  if (FGraphic && FGraphic->InheritsFrom(cls.Info)) return;
  Adopt(std::unique_ptr<TGraphic>(cls.Create()));
  Changed(this);
}

TBitmap* TPicture::GetBitmap() {
  ForceType(TGraphicClass::Of<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::SetBitmap(TBitmap* value) { SetGraphic(value); }

TIcon* TPicture::GetIcon() {
  ForceType(TGraphicClass::Of<TIcon>());
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::SetIcon(TIcon* value) { SetGraphic(value); }

int TPicture::GetWidth() const { return FGraphic != nullptr ? FGraphic->GetWidth() : 0; }

int TPicture::GetHeight() const { return FGraphic != nullptr ? FGraphic->GetHeight() : 0; }

void TPicture::LoadFromFile(const String& fileName) {
  String ext = WithoutDot(ExtractFileExt(fileName));
  TGraphicClass cls = GraphicClassForExtension(ext);
  if (!cls) throw EInvalidGraphic(L"Unknown picture file extension (.%s)", {ext});
  std::unique_ptr<TGraphic> graphic(cls.Create());
  HookProgress(*graphic);
  graphic->LoadFromFile(fileName);
  Adopt(std::move(graphic));
  Changed(this);
}

void TPicture::SaveToFile(const String& fileName) {
  if (FGraphic != nullptr) FGraphic->SaveToFile(fileName);
}

void TPicture::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  TGraphicClass cls = GraphicClassForClipboardFormat(format);
  if (!cls) throw EInvalidGraphic(L"Unsupported clipboard format");
  std::unique_ptr<TGraphic> graphic(cls.Create());
  graphic->LoadFromClipboardFormat(format, data, palette);
  Adopt(std::move(graphic));
  Changed(this);
}

void TPicture::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  if (FGraphic != nullptr) FGraphic->SaveToClipboardFormat(format, data, palette);
}

bool TPicture::SupportsClipboardFormat(UINT format) {
  return static_cast<bool>(GraphicClassForClipboardFormat(format));
}

void TPicture::Assign(TPersistent* source) {
  if (source == nullptr)
    SetGraphic(nullptr);
  else if (auto* picture = dynamic_cast<TPicture*>(source))
    SetGraphic(picture->GetGraphic());
  else if (auto* graphic = dynamic_cast<TGraphic*>(source))
    SetGraphic(graphic);
  else
    inherited::Assign(source);
}

void TPicture::AssignTo(TPersistent* dest) {
  if (FGraphic && dest != nullptr && FGraphic->InheritsFrom(dest->ClassInfo()))
    dest->Assign(FGraphic.get());
  else
    inherited::AssignTo(dest);
}

void TPicture::ReadPictureData(TStream& stream) {
  uint8_t length = 0;
  stream.ReadBuffer(&length, 1);
  std::string name(length, '\0');
  if (length > 0) stream.ReadBuffer(name.data(), length);
  String className(name.begin(), name.end());
  std::unique_ptr<TGraphic> graphic;
  if (!className.empty()) {
    TGraphicClass cls = GraphicClassForName(className);
    if (!cls) throw EInvalidGraphic(L"Unknown graphic class %s", {className});
    graphic.reset(cls.Create());
    graphic->ReadData(stream);
  }
  Adopt(std::move(graphic));
  Changed(this);
}

void TPicture::WritePictureData(TStream& stream) {
  std::string name;
  if (FGraphic != nullptr)
    for (wchar_t ch : FGraphic->ClassName()) name += static_cast<char>(ch < 0x80 ? ch : '?');
  if (name.size() > 255) name.resize(255);
  uint8_t length = static_cast<uint8_t>(name.size());
  stream.WriteBuffer(&length, 1);
  if (length > 0) stream.WriteBuffer(name.data(), length);
  if (FGraphic != nullptr) FGraphic->WriteData(stream);
}

bool TPicture::HasData() const { return FGraphic != nullptr && !FGraphic->GetEmpty(); }

void TPicture::Changed(TObject* sender) {
  if (OnChange) OnChange(this);
}

void TPicture::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                        bool redrawNow, const TRect& r, const String& msg) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}
