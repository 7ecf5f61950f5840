// TFiler, TReader and TWriter: the values of the binary component format.
//
// A stored component starts with the signature "TPF0". Each value is one byte of
// TValueType followed by its data, little-endian:
//   vaNull                      nothing; ends a list, a property list or a child list
//   vaList                      values up to a vaNull
//   vaInt8/16/32, vaInt64       1, 2, 4, 8 bytes, signed
//   vaExtended                  10 bytes, an 80-bit extended float
//   vaSingle, vaDate            4-byte float, 8-byte double
//   vaCurrency                  8-byte integer, the value times 10000
//   vaString, vaIdent           1-byte length and that many bytes (code page 936)
//   vaLString, vaUTF8String     4-byte length and that many bytes (936, UTF-8)
//   vaWString                   4-byte count and that many UTF-16 units
//   vaBinary                    4-byte count and that many bytes
//   vaSet                       short strings (1-byte length and bytes) up to an empty one
//   vaCollection                items, each an optional integer and a vaList of
//                               properties, up to a vaNull
//   vaFalse, vaTrue, vaNil      nothing
// An object is an optional prefix byte $F0 | flags (followed by an integer value when
// ffChildPos is set), its class name and its name as short strings, its properties (each a
// short-string name and a value) up to vaNull, and its children up to vaNull.
//
// The reader trusts no length: each one is checked against the bytes left in the stream
// before anything is allocated for it, nested values are skipped to a bounded depth, and
// running out of bytes raises EReadError "Stream read error". Neither side buffers: the
// stream's position is always the filer's.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>
#include "Component.h"
#include "Properties.h"
#include "Sets.h"
#include "Streams.h"

// The one-byte type of a value. The reader may meet bytes outside this list; it refuses
// them with EReadError "Invalid property value" where it expects a value.
enum TValueType : uint8_t {
  vaNull,
  vaList,
  vaInt8,
  vaInt16,
  vaInt32,
  vaExtended,
  vaString,
  vaIdent,
  vaFalse,
  vaTrue,
  vaBinary,
  vaSet,
  vaLString,
  vaNil,
  vaCollection,
  vaSingle,
  vaCurrency,
  vaDate,
  vaWString,
  vaInt64,
  vaUTF8String
};

// The flags of an object's prefix byte.
enum TFilerFlag {
  ffInherited,  // the object comes from an ancestor layout ("inherited")
  ffChildPos,   // an integer with the child's position follows the prefix
  ffInline      // the object is a frame embedded in another layout ("inline")
};
using TFilerFlags = TSet<TFilerFlag>;

// The deepest nesting of lists and collections the reader follows.
inline constexpr int MaxValueDepth = 64;

class TReader;
class TWriter;
class TCollection;
class TObjectTextLineMap;  // ObjectText.h
using TReaderProc = std::function<void(TReader* reader)>;
using TWriterProc = std::function<void(TWriter* writer)>;
using TStreamProc = std::function<void(TStream& stream)>;

// ---- 80-bit extended floats ---------------------------------------------------------------

// Exact: every double is an extended.
void DoubleToExtended(double value, uint8_t extended[10]);
// Rounded to the nearest double (ties to even); too large gives infinity, too small zero or
// a denormal. Infinities and NaNs stay what they are.
double ExtendedToDouble(const uint8_t extended[10]);

// ---- TFiler ---------------------------------------------------------------------------------

class TFiler : public TObject {
  CLASSLIB_CLASS(TFiler, TObject)

  // The filer reads or writes at the stream's position; the stream must outlive it.
  explicit TFiler(TStream& stream) : FStream(stream) {}

  TStream& GetStream() const { return FStream; }
  // The component a read or write started from; not owned.
  TComponent* GetRoot() const { return FRoot; }
  virtual void SetRoot(TComponent* value) { FRoot = value; }
  // The component whose owned components references are resolved against; not owned.
  TComponent* GetLookupRoot() const { return FLookupRoot; }
  void SetLookupRoot(TComponent* value) { FLookupRoot = value; }
  // While writing a descendant, the object its values are compared with; not owned.
  TPersistent* GetAncestor() const { return FAncestor; }
  void SetAncestor(TPersistent* value) { FAncestor = value; }
  bool GetIgnoreChildren() const { return FIgnoreChildren; }
  void SetIgnoreChildren(bool value) { FIgnoreChildren = value; }

  // A property an object stores itself (from its DefineProperties). The reader calls
  // readData when the property being read has that name; the writer writes the name and
  // calls writeData when hasData is true.
  virtual void DefineProperty(const String& name, const TReaderProc& readData,
                              const TWriterProc& writeData, bool hasData) = 0;
  // As DefineProperty for a block of bytes (a vaBinary value): readData gets a stream over
  // the block, writeData fills one.
  virtual void DefineBinaryProperty(const String& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;

 protected:
  TStream& FStream;                   // read or written; not owned
  TComponent* FRoot = nullptr;        // see GetRoot
  TComponent* FLookupRoot = nullptr;  // see GetLookupRoot
  TPersistent* FAncestor = nullptr;   // see GetAncestor
  bool FIgnoreChildren = false;       // children are neither read nor written
};

// ---- TReader --------------------------------------------------------------------------------

class TReader : public TFiler {
  CLASSLIB_CLASS(TReader, TFiler)

  explicit TReader(TStream& stream);

  // ---- Position ------------------------------------------------------------------------
  int64_t GetPosition() const { return FStream.GetPosition(); }
  void SetPosition(int64_t value) { FStream.SetPosition(value); }
  // Bytes between the position and the end of the stream.
  int64_t GetBytesLeft() const;

  // ---- Raw data ----------------------------------------------------------------------------
  // Reads exactly count bytes; EReadError "Stream read error" when fewer are left.
  void Read(void* buffer, int count);
  // EReadError "Invalid stream format" when the next four bytes are not "TPF0".
  void ReadSignature();
  // Reads an object's prefix when there is one; otherwise flags is empty.
  void ReadPrefix(TFilerFlags& flags, int& childPos);
  // A short string without a type byte (class, object and property names, set members).
  String ReadStr();

  // ---- Value types ------------------------------------------------------------------------
  TValueType ReadValue();
  // The type of the next value, without reading it.
  TValueType NextValue();
  // EReadError "Invalid property value" unless the next value has that type (it is read).
  void CheckValue(TValueType value);
  // True when the next value is vaNull (it is not read).
  bool EndOfList();
  void ReadListBegin();  // vaList
  void ReadListEnd();    // vaNull

  // ---- Values -------------------------------------------------------------------------------
  // Each reads one value of the kinds named and raises EReadError "Invalid property value"
  // for any other.
  int32_t ReadInteger();  // vaInt8, vaInt16, vaInt32
  int64_t ReadInt64();    // and vaInt64
  bool ReadBoolean();     // vaFalse, vaTrue
  char ReadChar();        // a string of one byte character
  wchar_t ReadWideChar(); // a string of one UTF-16 unit
  // Floats accept every float kind and the integers; vaCurrency gives the value / 10000.
  double ReadFloat();
  float ReadSingle();
  double ReadCurrency();
  double ReadDate();
  // vaString, vaLString (code page 936), vaWString, vaUTF8String.
  String ReadString();
  // vaIdent; vaFalse, vaTrue, vaNil and vaNull give "False", "True", "nil" and "Null".
  String ReadIdent();
  // A vaSet: its members' identifiers in stored order.
  std::vector<String> ReadSet();
  // A vaSet of the enumeration info names, as a bit mask (bit n for value n);
  // EReadError "Invalid property value" for an identifier info does not have.
  uint64_t ReadSet(const TEnumInfo& info);
  // A vaBinary, appended to dest.
  void ReadBinary(TStream& dest);
  // Reads past the next value, whatever it is; lists and collections nest at most
  // MaxValueDepth deep (EReadError "Invalid stream format" beyond).
  void SkipValue();

  // ---- Defined properties ------------------------------------------------------------------------
  // The name of the property being read, which DefineProperty and DefineBinaryProperty match
  // and clear once they have read its value.
  const String& GetPropName() const { return FPropName; }
  void SetPropName(const String& value) { FPropName = value; }
  void DefineProperty(const String& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const String& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // ---- Components (Reader.cpp) ------------------------------------------------------------------
  // Reads a stored component (the signature and one object) into root, or into a new
  // instance of the stored class when root is nullptr (the caller then owns it). When the
  // outermost read ends, references are fixed up and every component read gets Loaded;
  // csLoading is set on each from the moment it is read until its Loaded.
  TComponent* ReadRootComponent(TComponent* root);
  // Reads a stored component into instance: it takes the stored name as it stands (no
  // number added to make it unique) and is not made a global module (a part of some other
  // structure, not a form). The stored class name is not checked against instance's.
  void ReadInstance(TComponent* instance);
  // Reads one object: the given component, else (for an inherited object) the lookup
  // root's component of that name, else a new one made with GetOwner() as owner and
  // GetParent() as parent.
  TComponent* ReadComponent(TComponent* component);
  // Reads objects up to the vaNull that ends the list, each made with owner and parent, and
  // hands each to proc once the whole list is read and fixed up.
  void ReadComponents(TComponent* owner, TComponent* parent,
                      const std::function<void(TComponent* component)>& proc);
  // Reads the properties and the children of instance (TComponent::ReadState calls it).
  void ReadData(TComponent* instance);
  // Reads one property, its dotted name and its value, into instance.
  void ReadProperty(TPersistent* instance);
  // Reads a vaCollection into collection, replacing its items.
  void ReadCollection(TCollection* collection);

  // The owner and the parent of the components ReadComponent makes; not owned.
  TComponent* GetOwner() const { return FOwner; }
  void SetOwner(TComponent* value) { FOwner = value; }
  TComponent* GetParent() const { return FParent; }
  void SetParent(TComponent* value) { FParent = value; }
  // Where the stream came from in a text form (ObjectTextToBinary filled it); errors then
  // name the line. Not owned; nullptr for none.
  void SetLineMap(const TObjectTextLineMap* value) { FLineMap = value; }
  // The line of the text form at a position of the stream; 0 when not known.
  int LineAt(int64_t position) const;

 protected:
  // Raises EReadError "Invalid property value".
  [[noreturn]] static void PropValueError();
  // Length-prefixed data: EReadError "Stream read error" when count is negative or larger
  // than the bytes left, before anything is allocated.
  void CheckCount(int64_t count) const;

  String FPropName;  // see GetPropName

 private:
  // asModule: the root is renamed to a unique global name and registered as a global module.
  TComponent* ReadRoot(TComponent* root, bool asModule);
  void SkipValue(int depth);
  void SkipBytes(int64_t count);
  int64_t FSize;  // the stream's size when the reader was made
  TComponent* FOwner = nullptr;                 // see GetOwner
  TComponent* FParent = nullptr;                // see GetParent
  const TObjectTextLineMap* FLineMap = nullptr; // see SetLineMap
  int FComponentDepth = 0;                      // objects being read inside each other
};

// ---- TWriter ------------------------------------------------------------------------------------

class TWriter : public TFiler {
  CLASSLIB_CLASS(TWriter, TFiler)

  explicit TWriter(TStream& stream) : TFiler(stream) {}

  int64_t GetPosition() const { return FStream.GetPosition(); }

  // ---- Raw data --------------------------------------------------------------------------------
  // Writes exactly count bytes; EWriteError "Stream write error" otherwise.
  void Write(const void* buffer, int count);
  void WriteSignature();
  // Writes the prefix byte when flags is not empty, and childPos after it with ffChildPos.
  void WritePrefix(TFilerFlags flags, int childPos);
  // A short string without a type byte; EWriteError "String too long for a short string:
  // <text>" when it needs more than 255 bytes.
  void WriteStr(const String& value);
  // The name of a property: the current property path followed by name.
  void WritePropName(const String& name);

  // ---- Values -------------------------------------------------------------------------------------
  void WriteValue(TValueType value);
  void WriteListBegin();  // vaList
  void WriteListEnd();    // vaNull
  // The smallest of vaInt8, vaInt16, vaInt32 and vaInt64 that holds value.
  void WriteInteger(int64_t value);
  void WriteBoolean(bool value);
  void WriteChar(char value);         // a string of one byte
  void WriteWideChar(wchar_t value);  // as WriteString of one character
  void WriteFloat(double value);      // vaExtended
  void WriteSingle(float value);      // vaSingle
  void WriteCurrency(double value);   // vaCurrency: value * 10000 rounded half to even
  void WriteDate(double value);       // vaDate
  // Text that is all ASCII as vaString (up to 255 characters) or vaLString; any other text
  // as vaWString, so that no character is lost to a code page.
  void WriteString(const String& value);
  // Always vaWString.
  void WriteWideString(const String& value);
  // "False", "True", "nil" and "Null" (without regard to case) as vaFalse, vaTrue, vaNil,
  // vaNull; anything else as vaIdent.
  void WriteIdent(const String& ident);
  void WriteSet(const std::vector<String>& idents);
  // The members of the bit mask bits (bit n for value n) that info names.
  void WriteSet(uint64_t bits, const TEnumInfo& info);
  // A vaBinary of count bytes.
  void WriteBinary(const void* data, int count);
  // A vaBinary of what writeData writes into a stream it is given.
  void WriteBinary(const TStreamProc& writeData);

  // ---- Defined properties ---------------------------------------------------------------------------
  // Prefixed to every property name written ("Font." while Font's properties are written).
  const String& GetPropPath() const { return FPropPath; }
  void SetPropPath(const String& value) { FPropPath = value; }
  void DefineProperty(const String& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const String& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // ---- Components (Writer.cpp) -------------------------------------------------------------------
  // Writes the signature and root with everything GetChildren lists inside it.
  void WriteRootComponent(TComponent* root);
  // As WriteRootComponent, leaving out the values and children ancestor gives alike (an
  // instance of root's ancestor class as its own layout made it); nullptr for none.
  void WriteDescendent(TComponent* root, TComponent* ancestor);
  // Writes one component through its WriteState, with csWriting set meanwhile.
  void WriteComponent(TComponent* component);
  // Writes the header, the properties and the children of instance (TComponent::WriteState
  // calls it).
  void WriteData(TComponent* instance);
  // Writes the published properties of instance that differ from the ancestor's (without
  // an ancestor: that are stored and not at their declared default), then its defined ones.
  void WriteProperties(TPersistent* instance);
  // Writes a vaCollection of the items' properties.
  void WriteCollection(TCollection* collection);
  // The ancestor of the root being written; not owned.
  TComponent* GetRootAncestor() const { return FRootAncestor; }

 protected:
  String FPropPath;  // see GetPropPath
  TComponent* FRootAncestor = nullptr;  // see GetRootAncestor
};
