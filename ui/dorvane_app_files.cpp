// The application object's access to configuration template files.
#include "dorvane_app.h"

namespace kv::ui {

int CDorvaneApp::WriteDevCfgToFile(const std::string& path) {
  return Library({"Writing the file", 0}, [&] { return kv::WriteDevCfgToFile(path.c_str()); });
}

int CDorvaneApp::ReadDevCfgFmFile(const std::string& path) {
  return Library({"Reading the file", 0}, [&] { return kv::ReadDevCfgFmFile(path.c_str()); });
}

}  // namespace kv::ui
