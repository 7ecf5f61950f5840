// The date-difference component.
#include "DTCalc.h"

#include <cmath>

#include "classlib/classes/Properties.h"

int32_t TruncLow32(double value) {
  if (!std::isfinite(value)) return 0;
  double whole = std::trunc(value);
  // Beyond the 64-bit range only the remainder modulo 2^32 matters (fmod is exact).
  if (std::fabs(whole) >= 9.2e18) whole = std::fmod(whole, 4294967296.0);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(whole)));
}

const TPropertyTable* TDTCalc::PublishedProperties() {
  using P = TPublish<TDTCalc>;
  using C = TDTCalc;
  static const TPropertyTable table{
      P::Float(L"StartTime", &C::GetStartTime, &C::SetStartTime, TFloatType::DateTime),
      P::Float(L"EndTime", &C::GetEndTime, &C::SetEndTime, TFloatType::DateTime),
  };
  return &table;
}

void TDTCalc::SetStartTime(TDateTime value) {
  FStartTime = value;
  Recalculate();
}

void TDTCalc::SetEndTime(TDateTime value) {
  FEndTime = value;
  Recalculate();
}

void TDTCalc::Recalculate() {
  const double d = FEndTime - FStartTime;
  const double milliseconds = d * 86400000;
  FMilliseconds = TruncLow32(milliseconds);
  FSeconds = TruncLow32(milliseconds / 1000);
  FMinutes = TruncLow32(milliseconds / 1000 / 60);
  FHours = TruncLow32(milliseconds / 1000 / 60 / 60);
  FDays = TruncLow32(milliseconds / 1000 / 60 / 60 / 24);
  FMonths = TruncLow32(d / 30.4375);
  FYears = TruncLow32(d / 365.25);
}
