#include "hid/emulated/sensor_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "platform/file_name.h"
#include "platform/text_file_save.h"

namespace kv::emu {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr int kFormat = 1;
// Far above any real sensor file: refuses to slurp a device or a huge file.
constexpr std::size_t kMaxFileBytes = std::size_t{64} * 1024;
constexpr const char* kBlockKeys[6] = {"0x80", "0x81", "0x82", "0x83", "0x84", "0x85"};

// What is wrong with a file's content; caught before it leaves this file.
struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Hex4(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

std::string BlockText(const Block& block) {
  std::string text;
  for (std::uint8_t byte : block) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text;
}

Json MemoryJson(const Memory& memory) {
  Json blocks = Json::object();
  for (std::size_t n = 0; n < memory.size(); ++n) blocks[kBlockKeys[n]] = BlockText(memory[n]);
  return blocks;
}

bool ParseHex(const std::string& digits, unsigned long limit, unsigned long* value) {
  if (digits.empty() || digits.size() > 4) return false;
  unsigned long result = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    result = result * 16 + static_cast<unsigned long>(digit);
  }
  if (result > limit) return false;
  *value = result;
  return true;
}

const Json& Member(const Json& doc, const char* key) {
  auto it = doc.find(key);
  if (it == doc.end()) throw Malformed(std::string("\"") + key + "\" is missing");
  return *it;
}

std::uint16_t ReadWord(const Json& doc, const char* key) {
  const Json& value = Member(doc, key);
  const std::string what = std::string("\"") + key + "\" must be a number from 0 to 0xFFFF";
  if (value.is_number_unsigned()) {
    if (value.get<std::uint64_t>() > 0xFFFF) throw Malformed(what);
    return static_cast<std::uint16_t>(value.get<std::uint64_t>());
  }
  if (value.is_string()) {
    const std::string& text = value.get_ref<const std::string&>();
    unsigned long word = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
        ParseHex(text.substr(2), 0xFFFF, &word)) {
      return static_cast<std::uint16_t>(word);
    }
    throw Malformed(what + ", for example \"0x0410\" (found \"" + text + "\")");
  }
  throw Malformed(what);
}

Block ReadBlock(const Json& value, const std::string& where) {
  const std::string what =
      where + " must be eight bytes in hexadecimal, for example " + "\"00 32 28 31 7d 0a 02 00\"";
  if (!value.is_string()) throw Malformed(what);
  std::istringstream tokens(value.get_ref<const std::string&>());
  Block block{};
  std::string token;
  std::size_t count = 0;
  while (tokens >> token) {
    unsigned long byte = 0;
    if (count == block.size() || token.size() > 2 || !ParseHex(token, 0xFF, &byte)) {
      throw Malformed(what);
    }
    block[count++] = static_cast<std::uint8_t>(byte);
  }
  if (count != block.size()) throw Malformed(what);
  return block;
}

Memory ReadMemory(const Json& doc, const char* key) {
  const Json& blocks = Member(doc, key);
  if (!blocks.is_object()) {
    throw Malformed(std::string("\"") + key + "\" must hold the blocks \"0x80\" to \"0x85\"");
  }
  Memory memory{};
  for (std::size_t n = 0; n < memory.size(); ++n) {
    const std::string where = std::string("\"") + key + "\" block \"" + kBlockKeys[n] + "\"";
    auto it = blocks.find(kBlockKeys[n]);
    if (it == blocks.end()) throw Malformed(where + " is missing");
    memory[n] = ReadBlock(*it, where);
  }
  return memory;
}

SensorImage ParseImage(const std::string& text) {
  Json doc;
  try {
    doc = Json::parse(text);
  } catch (const Json::exception& e) {
    // A syntax error, or a number too large for any type (out_of_range).
    // Drop the library's "[json.exception.parse_error.101] " prefix.
    std::string why = e.what();
    const std::size_t end = why.find("] ");
    throw Malformed(end == std::string::npos ? why : why.substr(end + 2));
  }
  if (!doc.is_object()) throw Malformed("the file must hold one JSON object");
  const Json& format = Member(doc, "format");
  if (!format.is_number_integer() || format.get<std::int64_t>() != kFormat) {
    throw Malformed("\"format\" must be " + std::to_string(kFormat));
  }
  SensorImage image;
  image.vendorId = ReadWord(doc, "vendorId");
  if (image.vendorId != kSensorVendor && image.vendorId != kSensorVendorAlt) {
    throw Malformed("\"vendorId\" must be " + Hex4(kSensorVendor) + " or " +
                    Hex4(kSensorVendorAlt) + " (found " + Hex4(image.vendorId) + ")");
  }
  image.releaseNumber = ReadWord(doc, "releaseNumber");
  image.firmwareVersion = ReadWord(doc, "firmwareVersion");
  image.memories.working = ReadMemory(doc, "working");
  image.memories.user = ReadMemory(doc, "userDefaults");
  image.memories.factory = ReadMemory(doc, "factoryDefaults");
  return image;
}

std::string SystemError() {
  return std::strerror(errno);
}

}  // namespace

std::string SensorImageToJson(const SensorImage& image) {
  Json doc = Json::object();
  doc["format"] = kFormat;
  doc["vendorId"] = Hex4(image.vendorId);
  doc["releaseNumber"] = Hex4(image.releaseNumber);
  doc["firmwareVersion"] = Hex4(image.firmwareVersion);
  doc["working"] = MemoryJson(image.memories.working);
  doc["userDefaults"] = MemoryJson(image.memories.user);
  doc["factoryDefaults"] = MemoryJson(image.memories.factory);
  return doc.dump(2) + "\n";
}

bool SensorImageFromJson(const std::string& text, SensorImage* image, std::string* error) {
  try {
    *image = ParseImage(text);
    return true;
  } catch (const Malformed& e) {
    if (error) *error = e.what();
    return false;
  }
}

bool LoadSensorFile(const std::string& path, SensorImage* image, std::string* error) {
  std::string scratch;
  std::string& message = error ? *error : scratch;
  std::error_code code;
  const fs::file_status status = fs::status(PathFromUtf8(path), code);
  if (status.type() == fs::file_type::not_found) {
    *image = SensorImage{};
    return SaveSensorFile(path, *image, error);
  }
  if (code) {
    message = "cannot read emulated sensor file " + path + ": " + code.message();
    return false;
  }
  if (status.type() != fs::file_type::regular) {
    message = path + " is not a regular file, so not an emulated sensor file";
    return false;
  }
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    message = "cannot read emulated sensor file " + path + ": " + SystemError();
    return false;
  }
  std::string text(kMaxFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) {
    message = "cannot read emulated sensor file " + path + ": " + SystemError();
    return false;
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kMaxFileBytes) {
    message = path + " is too large to be an emulated sensor file (left unchanged)";
    return false;
  }
  std::string why;
  if (!SensorImageFromJson(text, image, &why)) {
    message = path + " is not a valid emulated sensor file: " + why + " (left unchanged)";
    return false;
  }
  return true;
}

bool SaveSensorFile(const std::string& path, const SensorImage& image, std::string* error) {
  // The same safe save as a template file: through links, keeping the old
  // file whole until the new one is on the disk.
  SaveOutcome outcome;
  if (SaveTextFile(path.c_str(), SensorImageToJson(image), &outcome)) return true;
  if (error) {
    *error =
        "cannot write emulated sensor file " + path + ": " +
        std::strerror(outcome.error != 0 ? outcome.error : EIO) +
        (outcome.fileMayBeIncomplete ? " (it was written in place and may be incomplete)" : "");
  }
  return false;
}

SensorImage ImageOf(const EmulatedSensor& sensor, std::uint16_t vendorId,
                    std::uint16_t releaseNumber) {
  SensorImage image;
  image.memories = sensor.CopyMemories();
  image.firmwareVersion = sensor.FirmwareVersion();
  image.vendorId = vendorId;
  image.releaseNumber = releaseNumber;
  return image;
}

std::shared_ptr<EmulatedSensor> MakeSensor(const SensorImage& image) {
  auto sensor = std::make_shared<EmulatedSensor>(image.firmwareVersion);
  sensor->SetMemories(image.memories);
  return sensor;
}

}  // namespace kv::emu
