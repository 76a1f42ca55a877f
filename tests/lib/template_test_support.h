// Helpers for the template-file tests: a scratch folder, whole-file reads and
// writes, and a sensor in the table whose cache holds known records.
#pragma once

#include <kv7700/template_fields.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lib_state.h"
#include "support/library_fixture.h"

namespace kv::testing {

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device entropy;
    path_ = std::filesystem::temp_directory_path() /
            ("kv7700-template-" + std::to_string(entropy()) + std::to_string(entropy()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Names of everything in the folder.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Valid records with a different value in nearly every field.
inline RecordSet OrdinaryRecords() {
  RecordSet r;
  r.Sonar = {5, 500, 12, 14, 48, 10, 3, 2};
  r.WalkAway = {2, 128, 2, 0, 1, 0, 0, 4, 1, 30, 21, 40, 0, 0, 0, 227};
  r.WalkUp = {3, 64, 1, 2, 4, 8, 16, 32, 0, 7, 4, 5, 6, 7, 8, 9};
  r.Idle = {1, 60, 0, 104, 3, 17, 600, 25};
  return r;
}

// Another valid set, different from OrdinaryRecords in every field.
inline RecordSet OtherRecords() {
  RecordSet r;
  r.Sonar = {6, 1020, 13, 1, 60, 11, 4, 9};
  r.WalkAway = {6, 16320, 3, 5, 6, 7, 8, 9, 2, 31, 22, 41, 42, 43, 44, 45};
  r.WalkUp = {0, 16000, 11, 12, 13, 14, 15, 17, 1, 8, 10, 11, 12, 13, 14, 15};
  r.Idle = {2, 0, 1, 105, 0, 18, 601, 26};
  return r;
}

// Compares all 48 words, naming each field that differs.
inline void ExpectRecords(const RecordSet& actual, const RecordSet& expected) {
  for (const TemplateField& field : kTemplateFields) {
    EXPECT_EQ(FieldWord(actual, field), FieldWord(expected, field)) << field.name;
  }
}

inline RecordSet CachedRecords() {
  const DeviceSlot& slot = CurrentSlot();
  return slot.Records;
}

struct DirtyFlags {
  std::uint32_t sonar, walkAway, walkUp, idle;
  bool operator==(const DirtyFlags&) const = default;
};

inline DirtyFlags CachedDirtyFlags() {
  const DeviceSlot& slot = CurrentSlot();
  return {slot.SonarDirty, slot.WalkAwayDirty, slot.WalkUpDirty, slot.IdleDirty};
}

// A sensor in the table whose cache holds `records`, read and not dirty.
class TemplateTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    AddSensor();
    Cache(OrdinaryRecords(), 0x0144);
  }

  static void Cache(const RecordSet& records, std::uint16_t firmware) {
    DeviceSlot& slot = CurrentSlot();
    slot.Records = records;
    slot.FwVersion = firmware;
    slot.RecordsValid = 1;
    slot.SonarDirty = slot.WalkAwayDirty = slot.WalkUpDirty = slot.IdleDirty = 0;
  }

  ScratchFolder folder;
};

}  // namespace kv::testing
