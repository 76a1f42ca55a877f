// Feeds arbitrary bytes to the emulated sensor's file reader as a file.
// Checks: nothing crashes; a refused file gets a message and is left as it
// was; an accepted one writes back to text that reads as the same sensor.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "hid/emulated/sensor_file.h"

namespace {

using namespace kv::emu;

std::string g_path;  // the fuzzer's bytes as a file

void RemoveFile() {
  std::remove(g_path.c_str());
}

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "sensor file: %s\n", what);
    std::abort();
  }
}

bool SameImage(const SensorImage& a, const SensorImage& b) {
  return a.memories.working == b.memories.working && a.memories.user == b.memories.user &&
         a.memories.factory == b.memories.factory && a.firmwareVersion == b.firmwareVersion &&
         a.vendorId == b.vendorId && a.releaseNumber == b.releaseNumber;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Memory-backed when the system has it.
  const std::filesystem::path shm = "/dev/shm";
  std::error_code ec;
  const auto folder =
      std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
  std::random_device entropy;
  g_path = (folder / ("kv7700-fuzz-sensor-" + std::to_string(entropy()) +
                      std::to_string(entropy()) + ".json"))
               .string();
  std::atexit(RemoveFile);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(g_path, std::ios::binary | std::ios::trunc);
    out << input;
    Require(static_cast<bool>(out), "cannot write the input file");
  }
  SensorImage image;
  std::string error;
  if (!LoadSensorFile(g_path, &image, &error)) {
    Require(!error.empty(), "a refused file without a message");
    Require(Contents(g_path) == input, "a refused file was changed");
    return 0;
  }
  SensorImage again;
  Require(SensorImageFromJson(SensorImageToJson(image), &again, &error),
          "a written sensor does not read back");
  Require(SameImage(image, again), "a written sensor reads back different");
  return 0;
}
