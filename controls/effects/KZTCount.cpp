// The elapsed-time clock.
#include "KZTCount.h"

#include <windows.h>

#include <string>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"

namespace {

const bool TimeCounterRegistered = [] {
  RegisterClass<TKZTimeCounter>();
  return true;
}();

TTickSource& TickSource() {
  static TTickSource source;
  return source;
}

}  // namespace

const TPropertyTable* TKZTimeCounter::PublishedProperties() {
  using P = TPublish<TKZTimeCounter>;
  using C = TKZTimeCounter;
  // Neither has a default: both are always written.
  static const TPropertyTable table{
      P::Boolean(L"Counting", &C::GetCounting, &C::SetCounting),
      P::Text(L"Elapsed", &C::GetElapsed, &C::SetElapsed),
  };
  return &table;
}

TKZTimeCounter::TKZTimeCounter(TComponent* owner) : TTimer(owner) {
  FStartTicks = NowTicks();
  FCounting = true;
}

TTickSource TKZTimeCounter::SetTickSource(TTickSource source) {
  TTickSource previous = std::move(TickSource());
  TickSource() = std::move(source);
  return previous;
}

int64_t TKZTimeCounter::NowTicks() {
  const TTickSource& source = TickSource();
  if (source) return source();
  return static_cast<int64_t>(::GetTickCount64());
}

String TKZTimeCounter::FormatElapsed(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  const int64_t hours = seconds / 3600;
  const int minutes = static_cast<int>(seconds / 60 % 60);
  const int secs = static_cast<int>(seconds % 60);
  const auto twoDigits = [](int v) { return String(1, L'0' + v / 10) + String(1, L'0' + v % 10); };
  return std::to_wstring(hours) + L":" + twoDigits(minutes) + L":" + twoDigits(secs);
}

int64_t TKZTimeCounter::ElapsedSeconds() const {
  if (!FCounting) return FPauseSeconds;
  const int64_t ms = NowTicks() - FStartTicks;
  return ms < 0 ? 0 : ms / 1000;
}

String TKZTimeCounter::GetElapsed() const { return FormatElapsed(ElapsedSeconds()); }

void TKZTimeCounter::SetCounting(bool value) {
  if (value == FCounting) return;
  if (!value) {
    FPauseSeconds = ElapsedSeconds();  // cut to the whole second, as the text showed it
  } else {
    FStartTicks = NowTicks() - FPauseSeconds * 1000;
  }
  FCounting = value;
}

void TKZTimeCounter::Reset() {
  FStartTicks = NowTicks();
  FPauseSeconds = 0;
}
