#include "SkinOptions.h"

#include <algorithm>

#include "classlib/classes/ClassRegistry.h"

namespace {

const wchar_t* const EffectNames[] = {
    L"veRandomSelect", L"veFade",      L"veDiagonal",       L"veDown",         L"veIn",
    L"veOut",          L"veRectIn",    L"veRectOut",        L"vePixel",        L"vePixelLine",
    L"veDiamondIn",    L"veDiamondOut", L"veSmoothDiagonal", L"veSmoothRectIn", L"veSmoothRectOut"};
const wchar_t* const DirectionNames[] = {L"vdNone", L"vdNoRotate", L"vdRotate90", L"vdRotate180",
                                         L"vdRotate270"};
const wchar_t* const DragModeNames[] = {L"vfdmBorder", L"vfdmFullDrag"};
constexpr TEnumInfo EffectIdents = MakeEnumInfo(EffectNames);
constexpr TEnumInfo DirectionIdents = MakeEnumInfo(DirectionNames);
constexpr TEnumInfo DragModeIdents = MakeEnumInfo(DragModeNames);

int64_t Counter() {
  LARGE_INTEGER value;
  ::QueryPerformanceCounter(&value);
  return value.QuadPart;
}

}  // namespace

// ---- TSeBlending ---------------------------------------------------------------------------------

const TPropertyTable* TSeBlending::PublishedProperties() {
  using P = TPublish<TSeBlending>;
  using C = TSeBlending;
  static const TPropertyTable table{
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(false),
      P::Integer(L"Value", &C::GetValue, &C::SetValue).Default(150),
  };
  return &table;
}

void TSeBlending::Changed() {
  if (OnChange) OnChange(this);
}

void TSeBlending::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Changed();
}

void TSeBlending::SetValue(int value) {
  value = std::clamp(value, 0, 255);
  if (value == FValue) return;
  FValue = value;
  Changed();
}

void TSeBlending::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSeBlending*>(source);
  if (!other) return inherited::Assign(source);
  FEnabled = other->FEnabled;
  FValue = other->FValue;
  Changed();
}

// ---- TSeShadow -------------------------------------------------------------------------------------

const TPropertyTable* TSeShadow::PublishedProperties() {
  using P = TPublish<TSeShadow>;
  using C = TSeShadow;
  static const TPropertyTable table{
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(false),
      P::Integer(L"Size", &C::GetSize, &C::SetSize).Default(4),
  };
  return &table;
}

void TSeShadow::Changed() {
  if (OnChange) OnChange(this);
}

void TSeShadow::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Changed();
}

void TSeShadow::SetSize(int value) {
  if (value == FSize) return;
  if (value <= 0) FEnabled = false;
  FSize = std::min(value, 20);
  Changed();
}

void TSeShadow::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSeShadow*>(source);
  if (!other) return inherited::Assign(source);
  FEnabled = other->FEnabled;
  FSize = other->FSize;
  Changed();
}

// ---- TSeGravitation, TSeDragging, TSeAnimation --------------------------------------------------------

const TPropertyTable* TSeGravitation::PublishedProperties() {
  using P = TPublish<TSeGravitation>;
  using C = TSeGravitation;
  static const TPropertyTable table{
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true),
      P::Integer(L"Size", &C::GetSize, &C::SetSize).Default(20),
  };
  return &table;
}

void TSeGravitation::SetSize(int value) { FSize = value < 2 ? 1 : std::min(value, 50); }

void TSeGravitation::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSeGravitation*>(source);
  if (!other) return inherited::Assign(source);
  FEnabled = other->FEnabled;
  FSize = other->FSize;
}

const TPropertyTable* TSeDragging::PublishedProperties() {
  using P = TPublish<TSeDragging>;
  using C = TSeDragging;
  static const TPropertyTable table{
      P::Boolean(L"Sizeable", &C::GetSizeable, &C::SetSizeable).Default(true),
      P::Boolean(L"Moveable", &C::GetMoveable, &C::SetMoveable).Default(true),
      P::Enum(L"DragMode", DragModeIdents, &C::GetDragMode, &C::SetDragMode).Default(vfdmFullDrag),
  };
  return &table;
}

void TSeDragging::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSeDragging*>(source);
  if (!other) return inherited::Assign(source);
  FSizeable = other->FSizeable;
  FMoveable = other->FMoveable;
  FDragMode = other->FDragMode;
}

const TPropertyTable* TSeAnimation::PublishedProperties() {
  using P = TPublish<TSeAnimation>;
  using C = TSeAnimation;
  static const TPropertyTable table{
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(false),
      P::Integer(L"Time", &C::GetTime, &C::SetTime).Default(400),
      P::Integer(L"Resolution", &C::GetResolution, &C::SetResolution).Default(1),
      P::Integer(L"TileCount", &C::GetTileCount, &C::SetTileCount).Default(1),
      P::Enum(L"Effect", EffectIdents, &C::GetEffect, &C::SetEffect).Default(veFade),
      P::Enum(L"Direction", DirectionIdents, &C::GetDirection, &C::SetDirection).Default(vdNone),
  };
  return &table;
}

void TSeAnimation::SetTime(int value) { FTime = value < 51 ? 50 : std::min(value, 9000); }
void TSeAnimation::SetResolution(int value) { FResolution = std::clamp(value, 1, 10); }
void TSeAnimation::SetTileCount(int value) { FTileCount = std::clamp(value, 1, 20); }

void TSeAnimation::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSeAnimation*>(source);
  if (!other) return inherited::Assign(source);
  FEnabled = other->FEnabled;
  FTime = other->FTime;
  FResolution = other->FResolution;
  FTileCount = other->FTileCount;
  FEffect = other->FEffect;
  FDirection = other->FDirection;
}

// ---- The window options ------------------------------------------------------------------------------

TSeWindowOptions::TSeWindowOptions()
    : FBlending(std::make_unique<TSeBlending>()),
      FShadow(std::make_unique<TSeShadow>()),
      FAnimation(std::make_unique<TSeAnimation>()) {}

TSeWindowOptions::~TSeWindowOptions() {
  FAnimation.reset();
  FShadow.reset();
  FBlending.reset();
}

void TSeWindowOptions::Changed() {
  if (OnChange) OnChange(this);
}

void TSeWindowOptions::SetBlending(TSeBlending* value) {
  FBlending->Assign(value);
  Changed();
}

void TSeWindowOptions::SetShadow(TSeShadow* value) {
  FShadow->Assign(value);
  Changed();
}

void TSeWindowOptions::SetAnimation(TSeAnimation* value) {
  FAnimation->Assign(value);
  Changed();
}

void TSeWindowOptions::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSeWindowOptions*>(source);
  if (!other || other->ClassInfo() != ClassInfo()) return inherited::Assign(source);
  FBlending->Assign(other->FBlending.get());
  FShadow->Assign(other->FShadow.get());
  FAnimation->Assign(other->FAnimation.get());
  Changed();
}

template <class T>
const TPropertyTable& TSeWindowOptions::OptionProperties() {
  using P = TPublish<T>;
  static const TPropertyTable table{
      P::Persistent(L"Blending", &T::GetBlending, &T::SetBlending),
      P::Persistent(L"Shadow", &T::GetShadow, &T::SetShadow),
      P::Persistent(L"Animation", &T::GetAnimation, &T::SetAnimation),
  };
  return table;
}

const TPropertyTable* TSeFormOptions::PublishedProperties() {
  return &OptionProperties<TSeFormOptions>();
}

const TPropertyTable* TSePopupMenuOptions::PublishedProperties() {
  return &OptionProperties<TSePopupMenuOptions>();
}

// ---- TSeTimer ----------------------------------------------------------------------------------------

TSeTimer::TSeTimer() {
  FStart = Counter();
  FStop = Counter();
  FOverhead = FStop - FStart;
  LARGE_INTEGER frequency;
  if (::QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
    FFrequency = frequency.QuadPart;
}

void TSeTimer::Start() { FStart = Counter(); }
void TSeTimer::Stop() { FStop = Counter(); }

double TSeTimer::Elapsed() const {
  return static_cast<double>(FStop - FStart - FOverhead) / static_cast<double>(FFrequency);
}

void StartTimer(std::unique_ptr<TSeTimer>& timer) {
  if (!timer) timer = std::make_unique<TSeTimer>();
  timer->Start();
}

float StopTimer(std::unique_ptr<TSeTimer>& timer) {
  if (!timer) return 0;
  timer->Stop();
  return static_cast<float>(timer->Elapsed());
}

void RegisterSkinOptionClasses() {
  RegisterClasses({TSeBlending::StaticClassInfo(), TSeShadow::StaticClassInfo(),
                   TSeGravitation::StaticClassInfo(), TSeDragging::StaticClassInfo(),
                   TSeFormOptions::StaticClassInfo(), TSePopupMenuOptions::StaticClassInfo(),
                   TSeAnimation::StaticClassInfo()});
}
