// The application object's access to configuration template files.
#include <kv7700/last_failure.h>

#include "dorvane_app.h"

namespace kv::ui {

int CDorvaneApp::WriteDevCfgToFile(const std::string& path) {
  return Library({"Writing the file", 0}, [&] { return kv::WriteDevCfgToFile(path.c_str()); });
}

std::string CDorvaneApp::LastFailureNote() {
  const std::string text = Library({"", 0}, [] { return DescribeFailure(GetLastFailure()); });
  return text.empty() ? text : "\n\n" + text;
}

int CDorvaneApp::ReadDevCfgFmFile(const std::string& path) {
  return Library({"Reading the file", 0}, [&] { return kv::ReadDevCfgFmFile(path.c_str()); });
}

}  // namespace kv::ui
