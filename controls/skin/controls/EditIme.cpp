#include "EditIme.h"

#include <vector>

namespace {
TEditImeApi& CurrentApi() {
  static TEditImeApi api = SystemEditImeApi();
  return api;
}
}  // namespace

TEditImeApi SystemEditImeApi() {
  TEditImeApi api;
  api.GetContext = &::ImmGetContext;
  api.ReleaseContext = &::ImmReleaseContext;
  api.GetCompositionString = &::ImmGetCompositionStringW;
  api.SetCompositionFont = &::ImmSetCompositionFontW;
  api.SetCompositionWindow = &::ImmSetCompositionWindow;
  return api;
}

const TEditImeApi& EditImeApi() { return CurrentApi(); }

TEditImeApi SetEditImeApi(const TEditImeApi& api) {
  const TEditImeApi previous = CurrentApi();
  CurrentApi() = api;
  return previous;
}

String ReadCompositionResult(const TEditImeApi& api, HIMC context) {
  if (!api.GetCompositionString || !context) return String();
  const LONG size = api.GetCompositionString(context, GCS_RESULTSTR, nullptr, 0);
  // A result longer than this is no typing; it would only be a fault of the input method.
  constexpr LONG Limit = 1 << 20;
  if (size <= 0 || size > Limit) return String();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(size) / sizeof(wchar_t) + 1);
  const LONG read = api.GetCompositionString(context, GCS_RESULTSTR, buffer.data(),
                                             static_cast<DWORD>(size));
  if (read <= 0 || read > size) return String();
  return String(buffer.data(), static_cast<std::size_t>(read) / sizeof(wchar_t));
}
