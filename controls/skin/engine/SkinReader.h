// TSeSkinReader: the one reader of skin data. Everything a skin stream declares (string
// lengths, block sizes, bitmap sides, counts) is checked against what the reader may still
// take before anything is allocated, and data is read in chunks, so a lying count costs no
// more memory than the bytes that really arrive. The pictures a read makes have a budget of
// their own (MaxPictures): a picture's sides times its bytes per pixel, in every form it takes
// while it is made, are checked against what is left of it before any of them is allocated,
// so a file that declares a huge picture in a few bytes (a compressed BMP) is refused at its
// header. Every refusal is EReadError "Stream read error" (SkinReadError), a body cut short,
// a picture that cannot be made and a damaged object included: the message never carries
// bytes of the file. Corrupt compressed data is the one exception: the decompression stream's
// EDecompressionError "error" reaches the caller as it is.
//
// The pictures of one load, the skin engine's hue shift included, take at most MaxPictures
// (their 32-bit forms, and the transient forms of the one being made booked beside them). A
// picture's device-dependent copy, as large as its 32-bit form again at most, is made neither
// by the load nor by the hue shift: only when the picture is first drawn from it.
//
// The skin objects of one load, every object's children included, are at most MaxObjects
// (an object takes some hundreds of bytes however few it has in the file): each is booked
// before it is made, and a count that declares more objects than are left is refused before
// any of them is made. A reader made while another reads on the same thread (an object's
// children, read from its stored data) books its objects with that outer reader.
//
// The objects' stored data of one load is at most MaxObjectData bytes: each object's data (its
// text or its binary block) is booked with the outermost reader by its declared length before
// any of it is read, and stays booked. A child's data lies inside its parent's and is booked
// again when the child is read, as it is copied again then. While an object is read its data
// takes some six times its bytes in memory (the bytes, the text, the converted and the stored
// forms), so a file whose few bytes inflate to an object of tens of megabytes is refused at
// that length, before any of it is taken. Real skins hold well under a megabyte of it.
#pragma once
#include <cstdint>

#include "SkinBitmap.h"
#include "classlib/classes/Streams.h"
#include "classlib/system/SysString.h"

class TSeSkinReader {
 public:
  static constexpr int64_t MaxBody = int64_t(64) << 20;  // a decompressed body at most
  static constexpr int MaxBitmapSide = 8192;
  static constexpr int MaxBitmaps = 4096;
  static constexpr int MaxNameBytes = 4096;
  static constexpr int64_t MaxPictures = MaxBody;  // all pictures of one read, 32-bit forms
  static constexpr int MaxObjects = 100000;        // all skin objects of one read
  static constexpr int64_t MaxObjectData = int64_t(16) << 20;  // their stored data, all levels

  // Reads stream from its position; at most budget bytes are ever taken. budget is lowered
  // to what the stream holds when it can tell its size.
  TSeSkinReader(TStream& stream, int64_t budget);
  ~TSeSkinReader();
  TSeSkinReader(const TSeSkinReader&) = delete;
  TSeSkinReader& operator=(const TSeSkinReader&) = delete;

  int64_t BytesLeft() const { return FLeft; }
  // Exactly count bytes.
  void Read(void* buffer, int64_t count);
  int32_t ReadInt32();
  // A count that must be 0 or more and at most BytesLeft() / minBytesEach.
  int32_t ReadCount(int minBytesEach);
  // A string as WriteStreamString writes it, of at most maxBytes bytes.
  String ReadString(int64_t maxBytes);
  // The count bytes of a string whose length was read already.
  String ReadStringBytes(int64_t count);
  // Exactly count bytes into a new memory stream positioned at 0.
  void ReadBlock(int64_t count, TMemoryStream& into);
  // A TSeBitmap stream record (sides at most MaxBitmapSide, pixels within what is left of
  // both budgets). A record with a side of 0 leaves the bitmap empty.
  void ReadBitmap(TSeBitmap& bitmap);
  // Books a picture of width x height (each 1..MaxBitmapSide) before any form of it is made:
  // its 32-bit form and, while it is being made, transientBytesPerPixel more for each pixel
  // must fit in what is left of MaxPictures; the 32-bit form stays booked.
  void TakePicture(int64_t width, int64_t height, int transientBytesPerPixel);
  // A count of skin objects about to be read: refused when more than the read may still make.
  void CheckObjectCount(int64_t count);
  // Books one skin object of the read before it is made.
  void TakeObject();
  // The length of an object's stored data, booked with the read's MaxObjectData before any
  // of the data is read: refused when negative, beyond what is left to read or beyond what
  // the read's objects may still hold.
  int32_t ReadObjectDataSize();

 private:
  // The reader whose objects this one books: itself unless it reads for another.
  TSeSkinReader& Outermost();

  TStream& FStream;
  int64_t FLeft;                       // bytes that may still be read
  int64_t FPicturesLeft = MaxPictures;  // bytes that pictures may still take
  int64_t FObjectsLeft = MaxObjects;    // skin objects the read may still make
  int64_t FObjectDataLeft = MaxObjectData;  // bytes of object data the read may still take
  TSeSkinReader* FOuter;                // the reader this one reads for, or nullptr
};

// Raises the readers' one error, EReadError "Stream read error".
[[noreturn]] void SkinReadError();
