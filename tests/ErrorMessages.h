// The message of an exception a test provokes, to compare with the text it expects.
#pragma once
#include "classlib/system/SysString.h"

// The message of the exception of class E that action raises, or `none` when it raises
// none. An exception of another class goes on to the caller, which fails the test.
template <class E, class F>
String ErrorMessageOf(F&& action, const String& none) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  }
  return none;
}
