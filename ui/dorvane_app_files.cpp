// The application object's access to configuration template files.
#include "dorvane_app.h"

namespace kv::ui {

int CDorvaneApp::WriteDevCfgToFile(const std::string& path) {
  int result = 0;
  Library({"Writing the file", 0}, [&] { result = kv::WriteDevCfgToFile(path.c_str()); });
  return result;
}

int CDorvaneApp::ReadDevCfgFmFile(const std::string& path) {
  int result = 0;
  Library({"Reading the file", 0}, [&] { result = kv::ReadDevCfgFmFile(path.c_str()); });
  return result;
}

}  // namespace kv::ui
