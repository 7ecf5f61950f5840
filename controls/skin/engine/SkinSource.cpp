#include "SkinSource.h"

#include <algorithm>

#include "SkinReader.h"
#include "SkinStreams.h"
#include "ZlibStreams.h"
#include "classlib/classes/Properties.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/BmpFormat.h"
#include "classlib/system/SysFiles.h"

namespace {

constexpr int MaxHeaderBytes = 4096;
constexpr int MinBitmapBytes = 12;  // name count, width, height
const char CompressedMagic[4] = {'T', 'Q', 'L', 'Z'};

TPixel32 MagentaKey() { return PackPixel(255, 0, 255, 0); }

// Books the picture a BMP file declares with the reader before it is decoded, by the sides of
// its info header. While it is made the picture takes three forms at once at most: the decoded
// rows and their DIB (each at most 4 bytes a pixel) and the 32-bit skin picture, which stays.
void BookBmpPicture(TSeSkinReader& reader, TMemoryStream& bmp) {
  int width = 0, height = 0;
  try {
    ReadBmpSides(static_cast<const uint8_t*>(bmp.GetMemory()), static_cast<size_t>(bmp.GetSize()), width,
                 height);
  } catch (const Exception&) {
    SkinReadError();  // not a BMP's headers
  }
  reader.TakePicture(width, height, 8);
}

// A bitmap of the "mskn" body: the BMP file decoded and copied into a new skin picture.
std::unique_ptr<TSeBitmap> ReadBmpBitmap(TSeSkinReader& reader, const String& name) {
  const int32_t size = reader.ReadInt32();
  TMemoryStream bmp;
  reader.ReadBlock(size, bmp);
  BookBmpPicture(reader, bmp);
  auto bitmap = std::make_unique<TSeBitmap>();
  try {
    TBitmap picture;
    picture.LoadFromStream(bmp);
    bitmap->Assign(&picture);
  } catch (const Exception&) {
    SkinReadError();  // not a picture, or one that cannot be made
  }
  bitmap->ApplyColorKey(PixelToColor(SeClearPixel));
  bitmap->SetName(name);
  bitmap->RequestDeviceCopy();
  return bitmap;
}

}  // namespace

// ---- TSeSkinSource --------------------------------------------------------------------------------

const TPropertyTable* TSeSkinSource::PublishedProperties() {
  using P = TPublish<TSeSkinSource>;
  using C = TSeSkinSource;
  static const TPropertyTable table{
      P::Text(L"SkinName", &C::GetSkinName, &C::SetSkinName),
      P::Text(L"SkinVersion", &C::GetSkinVersion, &C::SetSkinVersion),
      P::Text(L"Author", &C::GetAuthor, &C::SetAuthor),
      P::Text(L"AuthorEMail", &C::GetAuthorEMail, &C::SetAuthorEMail),
      P::Text(L"AuthorURL", &C::GetAuthorURL, &C::SetAuthorURL),
  };
  return &table;
}

TSeSkinSource::TSeSkinSource(TComponent* owner) : TComponent(owner) {}

TSeSkinSource::~TSeSkinSource() { Clear(); }

void TSeSkinSource::Clear() {
  // What comes next is unshifted: the hue shift in force is applied to it afresh.
  FAppliedHue = 0;
  FBitmaps.Clear();
  const std::vector<TSeSkinObject*> objects = std::move(FObjects);
  FObjects.clear();
  // An object the source does not own (added by a caller) is freed on its own; those it owns,
  // the only components it owns, go together, last first, each without a notice to the others
  // (unless free notifications link it to others): telling every remaining object of each
  // removal made clearing a skin cost the square of its objects.
  for (TSeSkinObject* object : objects)
    if (object->GetOwner() != this) delete object;
  DestroyComponents();
}

TSeSkinObject* TSeSkinSource::Objects(int index) const {
  if (FUpdating || index < 0 || index >= Count()) return nullptr;
  return FObjects[static_cast<size_t>(index)];
}

TSeSkinObject* TSeSkinSource::FindObject(const String& name) const {
  for (TSeSkinObject* object : FObjects)
    if (SameText(object->GetName(), name)) return object;
  return nullptr;
}

void TSeSkinSource::AddObject(TSeSkinObject* object) {
  if (!object) return;
  FObjects.push_back(object);
  object->SetBitmaps(&FBitmaps);
  object->ResolveLinks();
}

void TSeSkinSource::SetDeltaHue(int value) {
  if (value == FDeltaHue && value == FAppliedHue) return;
  FDeltaHue = value;
  const int delta = value - FAppliedHue;
  if (delta == 0) return;
  for (int i = 0; i < FBitmaps.Count(); ++i) FBitmaps.Get(i)->ShiftHue(delta);
  for (TSeSkinObject* object : FObjects) object->ShiftHue(delta);
  FAppliedHue = value;
}

void TSeSkinSource::LoadFromStream(TStream& stream) {
  TSeSkinFilterCompressed filter;
  filter.SetSource(this);
  filter.LoadFromStream(stream);
}

void TSeSkinSource::SaveToStream(TStream& stream) {
  TSeSkinFilterCompressed filter;
  filter.SetSource(this);
  filter.SaveToStream(stream);
}

void TSeSkinSource::LoadFromFile(const String& name) {
  if (name.empty()) return;
  String path = name;
  if (!FileExists(path)) {
    if (name.size() > 1 && name[1] == L':') return;
    wchar_t module[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    path = ExtractFilePath(module) + name;
    if (!FileExists(path)) return;
  }
  std::unique_ptr<TSeSkinFilter> filter = FindSkinFilter(path);
  if (!filter) return;
  TFileStream file(path, fmOpenRead | fmShareDenyWrite);
  filter->SetSource(this);
  filter->LoadFromStream(file);
}

void TSeSkinSource::SaveToFile(const String& name) {
  if (name.empty()) return;
  std::unique_ptr<TSeSkinFilter> filter = FindSkinFilter(name);
  if (!filter) filter = std::make_unique<TSeSkinFilterCompressed>();
  TFileStream file(name, fmCreate);
  filter->SetSource(this);
  filter->SaveToStream(file);
}

// ---- Filters --------------------------------------------------------------------------------------

void TSeSkinFilter::ReadHeader(TSeSkinReader& reader) {
  FSource->SetSkinName(reader.ReadString(MaxHeaderBytes));
  FSource->SetSkinVersion(reader.ReadString(MaxHeaderBytes));
  FSource->SetAuthor(reader.ReadString(MaxHeaderBytes));
  FSource->SetAuthorEMail(reader.ReadString(MaxHeaderBytes));
  FSource->SetAuthorURL(reader.ReadString(MaxHeaderBytes));
}

void TSeSkinFilter::WriteHeader(TStream& stream) {
  WriteStreamString(stream, FSource->GetSkinName());
  WriteStreamString(stream, FSource->GetSkinVersion());
  WriteStreamString(stream, FSource->GetAuthor());
  WriteStreamString(stream, FSource->GetAuthorEMail());
  WriteStreamString(stream, FSource->GetAuthorURL());
}

void TSeSkinFilter::ReadSkin(TSeSkinReader& reader) {
  FSource->Clear();
  ReadHeader(reader);
  const int bitmaps = reader.ReadCount(MinBitmapBytes);
  if (bitmaps > TSeSkinReader::MaxBitmaps) SkinReadError();
  for (int i = 0; i < bitmaps; ++i) {
    auto bitmap = std::make_unique<TSeBitmap>();
    reader.ReadBitmap(*bitmap);
    bitmap->ApplyColorKey(PixelToColor(MagentaKey()));
    bitmap->RequestDeviceCopy();
    FSource->GetBitmaps()->Add(std::move(bitmap));
  }
  const int objects = reader.ReadCount(8);
  reader.CheckObjectCount(objects);
  for (int i = 0; i < objects; ++i)
    FSource->AddObject(ReadSkinObjectText(reader, FSource));
}

void TSeSkinFilter::WriteSkin(TStream& stream) {
  WriteHeader(stream);
  TSeBitmapList* bitmaps = FSource->GetBitmaps();
  const int32_t bitmapCount = bitmaps->Count();
  stream.WriteBuffer(&bitmapCount, sizeof bitmapCount);
  for (int i = 0; i < bitmapCount; ++i) bitmaps->Get(i)->SaveToStream(stream);
  const int32_t objectCount = FSource->Count();
  stream.WriteBuffer(&objectCount, sizeof objectCount);
  for (int i = 0; i < objectCount; ++i) WriteSkinObjectText(stream, FSource->Objects(i));
}

void TSeSkinFilterUncompressed::LoadFromStream(TStream& stream) {
  TSeSkinReader reader(stream, TSeSkinReader::MaxBody);
  ReadSkin(reader);
}

void TSeSkinFilterUncompressed::SaveToStream(TStream& stream) { WriteSkin(stream); }

void TSeSkinFilterCompressed::LoadFromStream(TStream& stream) {
  char magic[4];
  stream.ReadBuffer(magic, 4);  // not checked
  TDecompressionStream body(stream, TSeSkinReader::MaxBody);
  TSeSkinReader reader(body, TSeSkinReader::MaxBody);
  ReadSkin(reader);
  // The body must end here, with the zlib stream and its checksum: a stream cut short is a
  // damaged skin. Whatever follows the zlib stream is left in the stream, unread.
  unsigned char probe = 0;
  if (body.Read(&probe, 1) != 0 || !body.StreamEnded()) SkinReadError();
}

void TSeSkinFilterCompressed::SaveToStream(TStream& stream) {
  stream.WriteBuffer(CompressedMagic, 4);
  TCompressionStream body(LevelIndex(), stream);
  WriteSkin(body);
  body.Finish();
}

void TSeSkinFilterMaxCompression::ReadSkin(TSeSkinReader& reader) {
  TSeSkinSource* source = GetSource();
  source->Clear();
  ReadHeader(reader);
  const int bitmaps = reader.ReadCount(8);
  if (bitmaps > TSeSkinReader::MaxBitmaps) SkinReadError();
  for (int i = 0; i < bitmaps; ++i) {
    const String name = reader.ReadString(TSeSkinReader::MaxNameBytes);
    source->GetBitmaps()->Add(ReadBmpBitmap(reader, name));
  }
  const int objects = reader.ReadCount(8);
  reader.CheckObjectCount(objects);
  for (int i = 0; i < objects; ++i) source->AddObject(ReadSkinObjectBinary(reader, source));
}

void TSeSkinFilterMaxCompression::WriteSkin(TStream& stream) {
  TSeSkinSource* source = GetSource();
  WriteHeader(stream);
  TSeBitmapList* bitmaps = source->GetBitmaps();
  const int32_t bitmapCount = bitmaps->Count();
  stream.WriteBuffer(&bitmapCount, sizeof bitmapCount);
  for (int i = 0; i < bitmapCount; ++i) {
    TSeBitmap* bitmap = bitmaps->Get(i);
    WriteStreamString(stream, bitmap->GetName());
    TBitmap picture;
    picture.SetPixelFormat(pf16bit);
    picture.SetSize(bitmap->GetWidth(), bitmap->GetHeight());
    bitmap->Draw(picture.GetCanvas(), 0, 0, false);
    TMemoryStream bmp;
    picture.SaveToStream(bmp);
    const int32_t size = static_cast<int32_t>(bmp.GetSize());
    stream.WriteBuffer(&size, sizeof size);
    stream.WriteBuffer(bmp.GetMemory(), size);
  }
  const int32_t objectCount = source->Count();
  stream.WriteBuffer(&objectCount, sizeof objectCount);
  for (int i = 0; i < objectCount; ++i) WriteSkinObjectBinary(stream, source->Objects(i));
}

// ---- Filter registry ------------------------------------------------------------------------------

namespace {

// The registered classes; the four of this unit are put in when the list is first reached
// (at start-up, below); the list goes with the program's static data at its end.
class TSkinFilterList {
 public:
  TSkinFilterList() {
    for (const TClassInfo* c :
         {TSeSkinFilterUncompressed::StaticClassInfo(), TSeSkinFilterCompressed::StaticClassInfo(),
          TSeSkinFilterUltraCompressed::StaticClassInfo(), TSeSkinFilterMaxCompression::StaticClassInfo()})
      Classes.push_back(c);
  }
  std::vector<const TClassInfo*> Classes;
};

TSkinFilterList& SkinFilters() {
  static TSkinFilterList list;
  return list;
}

// Registers the four formats while the program starts.
const struct TSkinFilterStarter {
  TSkinFilterStarter() { SkinFilters(); }
} gSkinFilterStarter;

std::unique_ptr<TSeSkinFilter> MakeFilter(const TClassInfo* filterClass) {
  if (!filterClass || !filterClass->CreatePersistent) return nullptr;
  std::unique_ptr<TPersistent> made(filterClass->CreatePersistent());
  auto* filter = dynamic_cast<TSeSkinFilter*>(made.get());
  if (!filter) return nullptr;
  made.release();
  return std::unique_ptr<TSeSkinFilter>(filter);
}

}  // namespace

void RegisterSkinFilter(const TClassInfo* filterClass) {
  if (!filterClass || !filterClass->InheritsFrom(TSeSkinFilter::StaticClassInfo()) ||
      !filterClass->CreatePersistent)
    throw EInvalidOperation(L"Not a skin filter class: %s",
                            {String(filterClass ? filterClass->Name : L"nil")});
  auto& classes = SkinFilters().Classes;
  if (std::find(classes.begin(), classes.end(), filterClass) == classes.end())
    classes.push_back(filterClass);
}

void UnregisterSkinFilter(const TClassInfo* filterClass) {
  auto& classes = SkinFilters().Classes;
  classes.erase(std::remove(classes.begin(), classes.end(), filterClass), classes.end());
}

int SkinFilterCount() { return static_cast<int>(SkinFilters().Classes.size()); }

const TClassInfo* SkinFilterClass(int index) {
  const auto& classes = SkinFilters().Classes;
  return index >= 0 && index < static_cast<int>(classes.size()) ? classes[static_cast<size_t>(index)]
                                                                 : nullptr;
}

std::unique_ptr<TSeSkinFilter> FindSkinFilter(const String& fileName) {
  const String ext = LowerCase(ExtractFileExt(fileName));
  if (ext.empty()) return nullptr;
  // A copy: a filter's constructor may register or unregister classes.
  const std::vector<const TClassInfo*> classes = SkinFilters().Classes;
  for (const TClassInfo* c : classes) {
    std::unique_ptr<TSeSkinFilter> filter = MakeFilter(c);
    if (filter && L"." + LowerCase(filter->GetExtension()) == ext) return filter;
  }
  return nullptr;
}
