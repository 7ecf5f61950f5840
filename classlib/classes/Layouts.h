// Whole stored layouts: reading and writing a component with everything inside it, in the
// binary or the text form; the layout resources that forms and data modules are made
// from; the modules loaded so far, which references into other modules name; and the
// global load that defers fix-ups and Loaded to the end of the outermost read.
//
// Layout resources: each layout is a text file compiled into the executable as an RCDATA
// resource named after the class of its root object (cmake/Layouts.cmake). A resource may
// also hold the binary form (it starts with "TPF0").
#pragma once
#include "../system/Win.h"
#include "Component.h"
#include "Streams.h"

// ---- Global loading -------------------------------------------------------------------------

// While at least one is alive on a thread, the components read on that thread wait for
// their fix-ups and their Loaded: both happen in Finish of the outermost one, references
// first, then Loaded in the order the components were read. Every read opens one of its own,
// so a single read needs none; reading several layouts into one instance (an inherited form)
// keeps them apart from Loaded until all are read.
class TGlobalLoading {
 public:
  TGlobalLoading();
  // Without Finish (an exception is passing): forgets the fix-ups and the components
  // recorded since this one began, which are being freed.
  ~TGlobalLoading();
  TGlobalLoading(const TGlobalLoading&) = delete;
  TGlobalLoading& operator=(const TGlobalLoading&) = delete;

  // Ends this load. The outermost one resolves the references (EReadError for a name that
  // names no component) and calls Loaded on every component read.
  void Finish();

 private:
  size_t FFixupMark;  // fix-ups recorded before this load began
  size_t FLoadedMark; // components recorded before this load began
  bool FFinished = false;
};

// ---- Loaded modules ---------------------------------------------------------------------------

// The root component of that name among the roots read so far that still exist (forms, data
// modules); nullptr when there is none. Names compare without regard to case.
TComponent* FindGlobalComponent(const String& name);
// Lists root among the loaded modules until it is freed (the reader does this for every
// root it reads).
void AddGlobalComponent(TComponent* root);
// name, or name_1, name_2, ... whichever no other loaded module has.
String UniqueGlobalName(const String& name, const TComponent* except);

// ---- Streams ------------------------------------------------------------------------------------

// Reads one component from the stream's position in either form (the binary form starts
// with "TPF0"; anything else is taken for the text form) into root, or into a new instance
// of the stored class when root is nullptr (the caller then owns it). Read errors name the
// line of the text form.
TComponent* ReadComponentFromStream(TStream& stream, TComponent* root);
// Reads one component from the stream's position, in either form, into instance as it
// stands: it takes the stored name unchanged and is not made a global module (see
// TReader::ReadInstance).
void ReadComponentInto(TStream& stream, TComponent* instance);
// Writes root in the binary form at the stream's position, leaving out what ancestor
// (nullptr: none) gives alike.
void WriteComponentToStream(TStream& stream, TComponent* root, TComponent* ancestor = nullptr);
// Writes root in the text form (ASCII, CR LF line ends).
void WriteComponentText(TStream& stream, TComponent* root, TComponent* ancestor = nullptr);
String ComponentToText(TComponent* root);

// ---- Layout resources ---------------------------------------------------------------------------

// True when module (nullptr: the executable) has the layout resource of that class name.
bool HasLayoutResource(const String& className, HINSTANCE module = nullptr);
// Reads the layouts of instance's class and of its ancestors below rootAncestor (each that
// has one, the most distant first) into instance, as one global load. False when none of
// those classes has a layout resource.
bool InitInheritedComponent(TComponent* instance, const TClassInfo* rootAncestor,
                            HINSTANCE module = nullptr);
// As InitInheritedComponent, for the constructor of a form or data module that must have a
// layout: EReadError "Resource <class> not found" when there is none.
void ReadInheritedLayout(TComponent* instance, const TClassInfo* rootAncestor,
                         HINSTANCE module = nullptr);
