// TDTCalc: the difference of two date-time values in milliseconds, seconds, minutes, hours,
// days, months (30.4375 days) and years (365.25 days). Writing StartTime or EndTime
// recomputes every result from d = EndTime - StartTime (days, the time of day a fraction).
//
// Each result is the truncation toward zero of its real value, of which the low 32 bits are
// kept. The truncation is taken through a 64-bit integer (and, beyond its range, modulo 2^32
// first): a real out of the 32-bit range is never converted straight to a 32-bit integer,
// whose result the compiler leaves undefined.
#pragma once
#include <cstdint>
#include "classlib/classes/Component.h"
#include "classlib/system/SysDate.h"

class TDTCalc : public TComponent {
  CLASSLIB_CLASS(TDTCalc, TComponent)
  static const TPropertyTable* PublishedProperties();
  explicit TDTCalc(TComponent* owner) : TComponent(owner) {}

  TDateTime GetStartTime() const { return FStartTime; }
  void SetStartTime(TDateTime value);
  TDateTime GetEndTime() const { return FEndTime; }
  void SetEndTime(TDateTime value);

  int32_t GetMilliseconds() const { return FMilliseconds; }
  int32_t GetSeconds() const { return FSeconds; }
  int32_t GetMinutes() const { return FMinutes; }
  int32_t GetHours() const { return FHours; }
  int32_t GetDays() const { return FDays; }
  int32_t GetMonths() const { return FMonths; }
  int32_t GetYears() const { return FYears; }

 private:
  void Recalculate();

  TDateTime FStartTime = 0;  // the earlier moment (days since 1899-12-30)
  TDateTime FEndTime = 0;    // the later moment
  int32_t FMilliseconds = 0;
  int32_t FSeconds = 0;
  int32_t FMinutes = 0;
  int32_t FHours = 0;
  int32_t FDays = 0;
  int32_t FMonths = 0;
  int32_t FYears = 0;
};

// The low 32 bits of value truncated toward zero (0 for a value that is not a number).
int32_t TruncLow32(double value);
