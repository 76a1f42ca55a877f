// Feeds arbitrary bytes to the template reader as a file. Besides crashes,
// leaks and undefined behaviour it checks what the reader promises: it
// succeeds, every record it stored passes its check, and saving the result
// and reading that back gives the same cache.
#include <kv7700/kv7700.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "lib_state.h"

namespace {

std::string g_input;  // the fuzzer's bytes as a file
std::string g_saved;  // the cache saved again

void RemoveFiles() {
  std::remove(g_input.c_str());
  std::remove(g_saved.c_str());
}

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "template reader: %s\n", what);
    std::abort();
  }
}

// A sensor's cache with valid records, none marked changed.
void CacheValidRecords() {
  kv::CloseAllDevices();
  kv::DeviceSlot& slot = kv::CurrentSlot();
  slot.Records.Sonar = {5, 500, 12, 14, 48, 10, 3, 2};
  slot.Records.WalkAway = {2, 128, 2, 0, 1, 0, 0, 4, 1, 30, 21, 40, 0, 0, 0, 227};
  slot.Records.WalkUp = {3, 64, 1, 2, 4, 8, 16, 32, 0, 7, 4, 5, 6, 7, 8, 9};
  slot.Records.Idle = {1, 60, 0, 104, 3, 17, 600, 25};
  slot.FwVersion = 0x0144;
  slot.RecordsValid = 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Memory-backed when the system has it: each run writes and renames files.
  const std::filesystem::path shm = "/dev/shm";
  std::error_code ec;
  const auto folder =
      std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
  std::random_device entropy;
  const auto base =
      folder / ("kv7700-fuzz-" + std::to_string(entropy()) + std::to_string(entropy()));
  g_input = base.string() + "-in.txt";
  g_saved = base.string() + "-saved.txt";
  std::atexit(RemoveFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(g_input.c_str(), "wb");
  Require(file != nullptr, "cannot create the input file");
  Require(std::fwrite(data, 1, size, file) == size, "cannot write the input file");
  std::fclose(file);

  CacheValidRecords();
  Require(kv::ReadDevCfgFmFile(g_input.c_str()) == 1, "an existing file was not read");
  kv::DeviceSlot& slot = kv::CurrentSlot();
  Require(slot.DevError == 0, "DevError is not 0 after a completed read");
  Require(slot.IdleDirty == 1, "the idle record was not stored");
  kv::tsSonarParms sonar = slot.Records.Sonar;
  kv::tsWalkAwayParms walkAway = slot.Records.WalkAway;
  kv::tsWalkUpParms walkUp = slot.Records.WalkUp;
  Require(kv::CheckSonarParms(&sonar, 0) == 1, "a sonar record that fails its check");
  Require(kv::CheckWalkAwayParms(&walkAway, 0) == 1, "a walk-away record that fails its check");
  Require(kv::CheckWalkUpParms(&walkUp, 0) == 1, "a walk-up record that fails its check");

  const kv::DeviceSlot loaded = slot;
  Require(kv::WriteDevCfgToFile(g_saved.c_str()) == 1, "saving the cache failed");
  CacheValidRecords();
  Require(kv::ReadDevCfgFmFile(g_saved.c_str()) == 1, "the saved file was not read");
  Require(slot.Records.Sonar == loaded.Records.Sonar &&
              slot.Records.WalkAway == loaded.Records.WalkAway &&
              slot.Records.WalkUp == loaded.Records.WalkUp &&
              slot.Records.Idle == loaded.Records.Idle,
          "a saved cache does not read back the same");
  return 0;
}
