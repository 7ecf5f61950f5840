// TKZTimeCounter: the elapsed-time clock of the practice and exam windows.
//
// A window timer (the owner's OnTimer shows the time) plus a clock that measures from a
// start point and holds a pause. The clock measures with a monotonic millisecond counter,
// so a change of the system clock during a practice neither makes the time jump nor go
// negative. A pause is kept as a number of whole seconds (the elapsed time cut to the
// second when the clock stops), never read back from the text it shows.
//
// Elapsed is "h:mm:ss" of the elapsed whole seconds; the hours do not start again at 24,
// so a long study time is never lost (25 hours read "25:00:00"). While the clock stands
// stopped, Elapsed shows the held pause.
#pragma once
#include <cstdint>
#include <functional>
#include "classlib/forms/Timer.h"
#include "classlib/system/SysString.h"

class TPropertyTable;

// Where the clock reads "now": milliseconds of a counter that never goes back.
using TTickSource = std::function<int64_t()>;

class TKZTimeCounter : public TTimer {
  CLASSLIB_CLASS(TKZTimeCounter, TTimer)
  static const TPropertyTable* PublishedProperties();
  // Interval 1000, enabled; the clock runs from zero.
  explicit TKZTimeCounter(TComponent* owner);

  // Replaces the source of "now" of every clock (tests); an empty source restores the
  // system's monotonic counter. Gives back the source in use before.
  static TTickSource SetTickSource(TTickSource source);
  // The elapsed whole seconds as "h:mm:ss" (0:05:07, 12:00:59, 25:00:00). Negative
  // values count as 0.
  static String FormatElapsed(int64_t seconds);

  // ---- Published attributes ------------------------------------------------------------------
  // True while the clock runs. False stops it and holds the elapsed whole seconds; True
  // resumes from the held value. Writing the value it already has changes nothing.
  bool GetCounting() const { return FCounting; }
  void SetCounting(bool value);
  // Reading gives the elapsed time now; writing only stores the text (layouts keep one from
  // design time), which is never read back.
  String GetElapsed() const;
  void SetElapsed(const String& value) { FElapsedText = value; }

  // ---- Operations ----------------------------------------------------------------------------
  void Start() { SetCounting(true); }
  void Stop() { SetCounting(false); }
  // Back to zero; a running clock goes on from 0:00:00, a stopped one starts from it.
  void Reset();
  // The elapsed whole seconds (the held pause while stopped).
  int64_t ElapsedSeconds() const;

 private:
  static int64_t NowTicks();

  bool FCounting = false;       // the clock runs
  String FElapsedText;          // the last text written to Elapsed; never read back
  int64_t FStartTicks = 0;      // counter value (ms) from which a running clock measures
  int64_t FPauseSeconds = 0;    // whole seconds held while stopped
};
