#include "FindFiles.h"
#include <algorithm>
#include <memory>
#include "classlib/system/Win.h"

namespace {

struct TFindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};
using TFindHandle = std::unique_ptr<void, TFindCloser>;

}  // namespace

std::vector<String> FindFiles(const String& pattern) {
  std::vector<String> names;
  WIN32_FIND_DATAW data;
  HANDLE first = FindFirstFileW(pattern.c_str(), &data);
  if (first == INVALID_HANDLE_VALUE) return names;
  TFindHandle find(first);
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end());
  return names;
}
