// TGraphic, the abstract picture that a canvas can draw; TPicture, the holder of one graphic
// of any registered class; TSharedImage, the reference-counted image state that copies of a
// graphic share until one of them is written; and the registry of graphic classes by file
// extension and clipboard format.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "../classes/Events.h"
#include "../classes/Persistent.h"
#include "../classes/Streams.h"
#include "Types.h"

class TCanvas;
class TGraphic;
class TBitmap;
class TIcon;

// ---- Progress -------------------------------------------------------------------------

enum TProgressStage { psStarting, psRunning, psEnding };

// Reports how far a long operation (loading, drawing) has come. r is the part of the image
// that is ready to be redrawn when redrawNow is true.
using TProgressEvent =
    std::function<void(TObject* sender, TProgressStage stage, uint8_t percentDone,
                       bool redrawNow, const TRect& r, const String& msg)>;

// ---- Graphic classes -----------------------------------------------------------------------

// Makes a new, empty graphic of one class; the caller owns the result.
using TGraphicFactory = TGraphic* (*)();

// A class of graphic: its class descriptor and the factory that makes an instance of it.
struct TGraphicClass {
  const TClassInfo* Info = nullptr;  // the class (not owned; static)
  TGraphicFactory Create = nullptr;  // makes an empty instance

  explicit operator bool() const { return Info != nullptr && Create != nullptr; }
  friend bool operator==(const TGraphicClass& a, const TGraphicClass& b) {
    return a.Info == b.Info;
  }

  // The class T (a non-abstract TGraphic descendant with a default constructor).
  template <class T> static TGraphicClass Of() {
    return TGraphicClass{T::StaticClassInfo(), []() -> TGraphic* { return new T(); }};
  }
};

// Registers a graphic class for files with the extension ext (without the dot, any case),
// described in open dialogs by description ("Bitmaps"). Later registrations are found first.
void RegisterFileFormat(const String& ext, const String& description, TGraphicClass cls);
// Registers a graphic class that reads the clipboard format (CF_BITMAP, CF_DIB, ...).
void RegisterClipboardFormat(UINT format, TGraphicClass cls);
// Removes every file and clipboard registration of cls and of the classes derived from it.
void UnregisterGraphicClass(const TClassInfo* cls);
inline void UnregisterGraphicClass(TGraphicClass cls) { UnregisterGraphicClass(cls.Info); }
// The class registered for an extension (with or without the leading dot, any case);
// an empty TGraphicClass when there is none.
TGraphicClass GraphicClassForExtension(const String& ext);
// The class registered under the class name ("TBitmap"); empty when there is none.
TGraphicClass GraphicClassForName(const String& className);
// The class registered for a clipboard format; empty when there is none.
TGraphicClass GraphicClassForClipboardFormat(UINT format);
// The clipboard format registered last for exactly the class; 0 when there is none.
UINT ClipboardFormatForGraphicClass(TGraphicClass cls);
// The open-dialog filter of the registered classes derived from base (every class when
// base is nullptr): "All (*.a;*.b)|*.a;*.b|Desc A (*.a)|*.a|Desc B (*.b)|*.b"; the "All"
// entry only when there is more than one extension.
String GraphicFilter(const TClassInfo* base = nullptr);

// ---- TGraphic ------------------------------------------------------------------------------

// The abstract picture: a size, a way to draw itself into a rectangle of a canvas, and a way
// to read and write itself as a file. Every change fires OnChange.
class TGraphic : public TPersistent {
  CLASSLIB_CLASS(TGraphic, TPersistent)
  TGraphic() = default;

  // ---- Attributes ------------------------------------------------------------------------
  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual void SetWidth(int value) = 0;
  virtual int GetHeight() const = 0;
  virtual void SetHeight(int value) = 0;
  // Draws with the key colour left out; the default keeps the flag and fires OnChange.
  virtual bool GetTransparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  // The palette the image needs on palette devices; 0 by default. Owned by the graphic.
  virtual HPALETTE GetPalette() const { return nullptr; }
  virtual void SetPalette(HPALETTE value) {}
  // Set by Changed; cleared by the user of the graphic (a picture editor, for example).
  bool GetModified() const { return FModified; }
  void SetModified(bool value);
  bool GetPaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool value) { FPaletteModified = value; }

  // The class of this object, for making a new instance of the same class (TPicture copies
  // a graphic this way). The default finds the class in the registry and raises
  // EInvalidGraphic when it is not registered; a class that is not registered overrides it.
  virtual TGraphicClass GetGraphicClass() const;

  // ---- Operations ------------------------------------------------------------------------
  // Draws the image stretched into r of canvas. Canvas::Draw and StretchDraw call this.
  virtual void Draw(TCanvas* canvas, const TRect& r) = 0;

  virtual void LoadFromStream(TStream& stream) = 0;   // reads from the stream's position
  virtual void SaveToStream(TStream& stream) = 0;     // writes at the stream's position
  virtual void LoadFromFile(const String& fileName);  // through a TFileStream
  virtual void SaveToFile(const String& fileName);

  // Reads the clipboard data handle in the given format; the handle stays the clipboard's.
  virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) = 0;
  // Makes new handles for the clipboard; the caller owns them (SetClipboardData takes them).
  virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) = 0;

  // The stored layout property "Data": how the graphic is written inside a form's layout.
  // The defaults are LoadFromStream and SaveToStream.
  virtual void ReadData(TStream& stream);
  virtual void WriteData(TStream& stream);
  // True when other is of the same class and writes the same Data (two empty graphics of
  // the same class are equal).
  virtual bool Equals(TGraphic* other);
  // Stores the graphic as the binary property "Data" (ReadData, WriteData), written when
  // it differs from the ancestor's or, without one, when it is not empty.
  void DefineProperties(TFiler& filer) override;

  // Fires OnChange with sender and sets Modified.
  virtual void Changed(TObject* sender);
  // Fires OnProgress.
  virtual void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                        bool redrawNow, const TRect& r, const String& msg);

  // ---- Events ----------------------------------------------------------------------------
  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  // Sets the Transparent flag without firing OnChange (for Assign, which fires it once).
  void SetTransparentFlag(bool value) { FTransparent = value; }

 private:
  bool FModified = false;         // changed since the flag was last cleared
  bool FTransparent = false;      // the Transparent property, for classes that keep it here
  bool FPaletteModified = false;  // the palette changed since the flag was last cleared
};

// ---- TSharedImage ---------------------------------------------------------------------------

// Image state that several graphics share after Assign. Each holder calls Reference when it
// takes the image and Release when it lets go; the last Release frees the handles (FreeHandle)
// and deletes the object. A holder that is about to change the image while others hold it
// copies it first.
class TSharedImage : public TObject {
  CLASSLIB_CLASS(TSharedImage, TObject)
  TSharedImage() = default;

  void Reference() { ++FRefCount; }
  // Drops one reference; deletes this object at the last one. Safe on nullptr.
  static void Release(TSharedImage* image);
  int GetRefCount() const { return FRefCount; }

 protected:
  // Frees the system handles the image holds; called once, before deletion.
  virtual void FreeHandle() = 0;

 private:
  int FRefCount = 0;  // holders of this image
};

// ---- TPicture -------------------------------------------------------------------------------

// Holds one graphic of any registered class and owns it. Reading Bitmap or Icon turns the
// picture into an empty one of that kind when it holds something else.
class TPicture : public TPersistent {
  CLASSLIB_CLASS(TPicture, TPersistent)
  TPicture() = default;
  ~TPicture() override = default;

  // ---- Attributes ------------------------------------------------------------------------
  // The graphic held (owned by the picture), or nullptr.
  TGraphic* GetGraphic() const { return FGraphic.get(); }
  // Holds a copy of value (nullptr empties the picture).
  void SetGraphic(TGraphic* value);
  TBitmap* GetBitmap();
  void SetBitmap(TBitmap* value);  // holds a copy, as SetGraphic
  TIcon* GetIcon();
  void SetIcon(TIcon* value);
  int GetWidth() const;   // 0 when empty
  int GetHeight() const;

  // ---- Operations ------------------------------------------------------------------------
  // Chooses the graphic class by the file's extension. EInvalidGraphic
  // "Unknown picture file extension (.ext)" when no class is registered for it.
  void LoadFromFile(const String& fileName);
  // Writes the graphic in its own format; an empty picture writes nothing.
  void SaveToFile(const String& fileName);
  // EInvalidGraphic "Unsupported clipboard format" when no class reads the format.
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);
  static bool SupportsClipboardFormat(UINT format);

  // From a TPicture (its graphic is copied), a TGraphic (copied) or nullptr (clears).
  void Assign(TPersistent* source) override;

  // The stored layout property "Data": the graphic's class name as a short string (a length
  // byte and the name's bytes) followed by the graphic's Data. Reading an empty class name
  // clears the picture; EInvalidGraphic when the class is not registered.
  void ReadPictureData(TStream& stream);
  void WritePictureData(TStream& stream);
  // True when the layout needs the Data property (a non-empty graphic is held).
  bool HasData() const;
  // Stores the picture as the binary property "Data" (ReadPictureData, WritePictureData),
  // written when it differs from the ancestor's or, without one, when HasData.
  void DefineProperties(TFiler& filer) override;

  // ---- Events ----------------------------------------------------------------------------
  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  void AssignTo(TPersistent* dest) override;
  virtual void Changed(TObject* sender);
  virtual void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                        bool redrawNow, const TRect& r, const String& msg);

 private:
  // Replaces the graphic by an empty one of cls unless it already is one.
  void ForceType(TGraphicClass cls);
  // Holds graphic (may be nullptr) instead of the old one and hooks its events.
  void Adopt(std::unique_ptr<TGraphic> graphic);
  void HookProgress(TGraphic& graphic);

  std::unique_ptr<TGraphic> FGraphic;  // the graphic held
};
