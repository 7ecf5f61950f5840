// TProgressBar over the system's progress bar (msctls_progress32).
#include "ProgressBars.h"

#include <commctrl.h>
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysMath.h"

namespace {

const wchar_t* const OrientationNames[] = {L"pbHorizontal", L"pbVertical"};
const TEnumInfo OrientationIdents = MakeEnumInfo(OrientationNames);

const bool ProgressBarRegistered = [] {
  RegisterClass<TProgressBar>();
  return true;
}();

}  // namespace

int ProgressStepPosition(int position, int step, int min, int max) {
  if (max <= min) return min;
  const int64_t span = int64_t{max} - min;
  int64_t next = int64_t{position} + step;
  if (next > max) next = (next - min) % span + min;
  if (next < min) next = (next - min) % span + max;
  return static_cast<int>(next);
}

const TPropertyTable* TProgressBar::PublishedProperties() {
  using P = TPublish<TProgressBar>;
  using C = TProgressBar;
  static const TPropertyTable table{
      P::Integer(L"Min", &C::GetMin, &C::SetMin).Default(0),
      P::Integer(L"Max", &C::GetMax, &C::SetMax).Default(100),
      P::Enum(L"Orientation", OrientationIdents, &C::GetOrientation, &C::SetOrientation)
          .Default(pbHorizontal),
      P::Integer(L"Position", &C::GetPosition, &C::SetPosition).Default(0),
      P::Boolean(L"Smooth", &C::GetSmooth, &C::SetSmooth).Default(false),
      P::Integer(L"Step", &C::GetStep, &C::SetStep).Default(10),
  };
  return &table;
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(GetLeft(), GetTop(), 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& params) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&init);
  inherited::CreateParams(params);
  CreateSubClass(params, PROGRESS_CLASSW);
  if (FOrientation == pbVertical) params.Style |= PBS_VERTICAL;
  if (FSmooth) params.Style |= PBS_SMOOTH;
}

void TProgressBar::CreateWnd() {
  inherited::CreateWnd();
  const HWND wnd = GetHandle();
  ::SendMessageW(wnd, PBM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
  ::SendMessageW(wnd, PBM_SETSTEP, static_cast<WPARAM>(FStep), 0);
  ::SendMessageW(wnd, PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetParams(int min, int max) {
  const TComponentState state = GetComponentState();
  const bool reading = state.Contains(csLoading) || state.Contains(csReading);
  if (max < min && !reading) throw EInvalidOperation(L"%s property out of range", {ClassName()});
  FMin = min;
  FMax = max;
  if (reading) return;
  FPosition = Max(FMin, Min(FPosition, FMax));
  if (HandleAllocated()) {
    ::SendMessageW(GetHandle(), PBM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
    ::SendMessageW(GetHandle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
  }
}

void TProgressBar::SetMin(int value) {
  if (value != FMin) SetParams(value, FMax);
}

void TProgressBar::SetMax(int value) {
  if (value != FMax) SetParams(FMin, value);
}

void TProgressBar::Loaded() {
  inherited::Loaded();
  // A layout may give Max before Min; once both are read the range must hold.
  if (FMax < FMin) FMax = FMin;
  SetParams(FMin, FMax);
}

int TProgressBar::GetPosition() const {
  if (HandleAllocated())
    return static_cast<int>(
        ::SendMessageW(const_cast<TProgressBar*>(this)->GetHandle(), PBM_GETPOS, 0, 0));
  return FPosition;
}

void TProgressBar::SetPosition(int value) {
  const TComponentState state = GetComponentState();
  FPosition = state.Contains(csLoading) ? value : Max(FMin, Min(value, FMax));
  if (HandleAllocated()) ::SendMessageW(GetHandle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetStep(int value) {
  FStep = value;
  if (HandleAllocated()) ::SendMessageW(GetHandle(), PBM_SETSTEP, static_cast<WPARAM>(value), 0);
}

void TProgressBar::StepIt() { SetPosition(ProgressStepPosition(GetPosition(), FStep, FMin, FMax)); }

void TProgressBar::StepBy(int delta) {
  SetPosition(static_cast<int>(Max<int64_t>(FMin, Min<int64_t>(int64_t{GetPosition()} + delta, FMax))));
}

void TProgressBar::SetOrientation(TProgressBarOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  if (!GetComponentState().Contains(csLoading)) SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  RecreateWnd();
}

void TProgressBar::SetSmooth(bool value) {
  if (value == FSmooth) return;
  FSmooth = value;
  RecreateWnd();
}
