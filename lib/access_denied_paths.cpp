#include "access_denied_paths.h"

#include <algorithm>
#include <vector>

namespace kv {

namespace {
// Library state, used from the one thread that calls the library.
std::vector<std::string>& DeniedPaths() {
  static std::vector<std::string> paths;
  return paths;
}
}  // namespace

const std::vector<std::string>& AccessDeniedPaths() {
  return DeniedPaths();
}

void ClearAccessDenied() {
  DeniedPaths().clear();
}

void NoteAccessDenied(const std::string& path) {
  auto& paths = DeniedPaths();
  if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
}

void ForgetAccessDenied(const std::string& path) {
  std::erase(DeniedPaths(), path);
}

}  // namespace kv
