#include "hidraw_node.h"

#include <filesystem>
#include <fstream>

namespace kv::sensor_model {

std::string FindHidrawNode(const std::string& uniq, const std::string& sysfsClass) {
  namespace fs = std::filesystem;
  const std::string wanted = "HID_UNIQ=" + uniq;
  std::error_code error;
  for (const fs::directory_entry& node : fs::directory_iterator(sysfsClass, error)) {
    std::ifstream uevent(node.path() / "device" / "uevent");
    for (std::string line; std::getline(uevent, line);) {
      if (line == wanted) return "/dev/" + node.path().filename().string();
    }
  }
  return {};
}

}  // namespace kv::sensor_model
