// TSeSkinSource: a skin in memory: five header texts, the bitmaps and the top-level skin
// objects. It is read and written through filters, one per file format, chosen by the file's
// extension:
//
//   "uskn"  the body as it stands
//   "cskn"  "TQLZ", then the body through zlib at level 1 (the default format)
//   "xskn"  "TQLZ", then the body through zlib at level 9
//   "mskn"  "TQLZ", then through zlib at level 9 a body whose bitmaps are 16-bit BMP files
//           and whose objects are in binary form
//
// Body: the five header strings; the bitmap count and each bitmap's stream record; the object
// count and each object in text form. Every reader goes through TSeSkinReader, so a damaged
// or hostile file raises EReadError "Stream read error" (whatever failed inside: a count, a
// body cut short, a BMP, an object's properties, a picture that cannot be made), or for
// corrupt compressed data EDecompressionError "error", and allocates no more than its budgets:
// 64 MiB of body, 64 MiB for its pictures, each checked by its declared sides before it is
// made, TSeSkinReader::MaxObjects skin objects, children included, and
// TSeSkinReader::MaxObjectData bytes of the objects' stored data. Either way the source has
// been cleared by then: a skin loaded before is gone. The four bytes before a compressed body are not checked, and bytes after the
// compressed body are left in the stream.
#pragma once
#include <memory>
#include <vector>

#include "SkinBitmap.h"
#include "SkinObjects.h"
#include "classlib/classes/Component.h"

class TSeSkinReader;

class TSeSkinSource : public TComponent {
  CLASSLIB_CLASS(TSeSkinSource, TComponent)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinSource(TComponent* owner);
  ~TSeSkinSource() override;

  const String& GetSkinName() const { return FSkinName; }
  void SetSkinName(const String& value) { FSkinName = value; }
  const String& GetSkinVersion() const { return FSkinVersion; }
  void SetSkinVersion(const String& value) { FSkinVersion = value; }
  const String& GetAuthor() const { return FAuthor; }
  void SetAuthor(const String& value) { FAuthor = value; }
  const String& GetAuthorEMail() const { return FAuthorEMail; }
  void SetAuthorEMail(const String& value) { FAuthorEMail = value; }
  const String& GetAuthorURL() const { return FAuthorURL; }
  void SetAuthorURL(const String& value) { FAuthorURL = value; }

  TSeBitmapList* GetBitmaps() { return &FBitmaps; }
  // Frees the bitmaps and the objects (and any other component the source owns); the header
  // texts and DeltaHue stay, and DeltaHue is applied again by the next SetDeltaHue. Costs no
  // more than the objects themselves, however many they are.
  void Clear();
  int Count() const { return static_cast<int>(FObjects.size()); }
  // nullptr outside 0..Count-1 and while updating.
  TSeSkinObject* Objects(int index) const;
  // The first top-level object of that name (case-insensitive); nullptr when none.
  TSeSkinObject* FindObject(const String& name) const;
  // Takes object as a top-level object (owned), gives it the bitmaps and resolves its links.
  void AddObject(TSeSkinObject* object);
  bool GetUpdating() const { return FUpdating; }
  void SetUpdating(bool value) { FUpdating = value; }
  int GetDeltaHue() const { return FDeltaHue; }
  // Shifts bitmaps and objects by the difference to the hue last applied.
  void SetDeltaHue(int value);
  // The skin as it stands already shows the shift value (a skin stored shifted and read
  // back): taken as applied, nothing is shifted.
  void SetAppliedHue(int value) { FDeltaHue = FAppliedHue = value; }

  // Through the "cskn" filter.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream);
  // Loads nothing for an empty name, a missing file (tried also beside the program unless
  // the name has a drive) or an extension no filter claims. A file that cannot be opened
  // raises EFOpenError; a damaged one, EReadError (EDecompressionError for corrupt
  // compressed data).
  void LoadFromFile(const String& name);
  // Saves nothing for an empty name; an extension no filter claims gets the "cskn" format.
  void SaveToFile(const String& name);

 private:
  String FSkinName = L"Skin";
  String FSkinVersion = L"1.0";
  String FAuthor = L"Unknown";
  String FAuthorEMail = L"none@example.com";
  String FAuthorURL = L"http://example.com";
  std::vector<TSeSkinObject*> FObjects;  // owned as components
  TSeBitmapList FBitmaps;
  bool FUpdating = false;
  int FDeltaHue = 0;
  int FAppliedHue = 0;
};

class TSeSkinFilter : public TPersistent {
  CLASSLIB_CLASS(TSeSkinFilter, TPersistent)
  TSeSkinFilter() = default;

  TSeSkinSource* GetSource() const { return FSource; }
  void SetSource(TSeSkinSource* value) { FSource = value; }
  // The body (see the top of this file) of the source.
  virtual void ReadSkin(TSeSkinReader& reader);
  virtual void WriteSkin(TStream& stream);
  virtual String GetExtension() const { return L""; }
  virtual String GetDescription() const { return L""; }
  virtual void LoadFromStream(TStream&) {}
  virtual void SaveToStream(TStream&) {}

 protected:
  void ReadHeader(TSeSkinReader& reader);
  void WriteHeader(TStream& stream);

 private:
  TSeSkinSource* FSource = nullptr;  // not owned
};

class TSeSkinFilterUncompressed : public TSeSkinFilter {
  CLASSLIB_CLASS(TSeSkinFilterUncompressed, TSeSkinFilter)
  String GetExtension() const override { return L"uskn"; }
  String GetDescription() const override { return L"Uncompressed Skin"; }
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
};

class TSeSkinFilterCompressed : public TSeSkinFilter {
  CLASSLIB_CLASS(TSeSkinFilterCompressed, TSeSkinFilter)
  String GetExtension() const override { return L"cskn"; }
  String GetDescription() const override { return L"Compressed Skin"; }
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

 protected:
  virtual int LevelIndex() const { return 1; }
};

class TSeSkinFilterUltraCompressed : public TSeSkinFilterCompressed {
  CLASSLIB_CLASS(TSeSkinFilterUltraCompressed, TSeSkinFilterCompressed)
  String GetExtension() const override { return L"xskn"; }
  String GetDescription() const override { return L"Ultra Compressed Skin"; }

 protected:
  int LevelIndex() const override { return 3; }
};

class TSeSkinFilterMaxCompression : public TSeSkinFilterUltraCompressed {
  CLASSLIB_CLASS(TSeSkinFilterMaxCompression, TSeSkinFilterUltraCompressed)
  String GetExtension() const override { return L"mskn"; }
  String GetDescription() const override { return L"Maximum Compressed"; }
  void ReadSkin(TSeSkinReader& reader) override;
  void WriteSkin(TStream& stream) override;
};

// ---- The filter registry -------------------------------------------------------------------------
// The filter classes, in registration order: the four above are registered when the program
// starts (uncompressed, compressed, ultra, maximum) and unregistered in reverse order at its end.
// A program adds a format by registering its own TSeSkinFilter descendant (made with its public
// constructor taking nothing); a file is read and written by the first class whose extension
// matches.

// Adds the class at the end; nothing when it is there already. EInvalidOperation when it is
// no skin filter class or cannot be made.
void RegisterSkinFilter(const TClassInfo* filterClass);
// Takes the class out; nothing when it is not there.
void UnregisterSkinFilter(const TClassInfo* filterClass);
int SkinFilterCount();
const TClassInfo* SkinFilterClass(int index);  // nullptr outside 0 .. count - 1

// A new filter of the first registered class whose extension is the file name's (without
// regard to case); nullptr when none claims it.
std::unique_ptr<TSeSkinFilter> FindSkinFilter(const String& fileName);
