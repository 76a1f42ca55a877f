#include "key_text.h"

#include <kv7700/key_names.h>

namespace kv::cli {

namespace {

template <class R>
std::string KeySequence(const R& record) {
  using Keys = KeyRecord<R>;
  const std::uint16_t count = record.*Keys::kCount;
  if (count == 0) return "none";
  std::string text;
  for (std::size_t i = 0; i < count && i < Keys::kMods.size(); ++i) {
    if (!text.empty()) text += ", ";
    text += StrokeName(record.*Keys::kMods[i], record.*Keys::kCodes[i]);
  }
  return text;
}

}  // namespace

std::string StrokeName(std::uint16_t mods, std::uint16_t code) {
  return KeyStrokeName(KeySet{static_cast<std::uint8_t>(mods), static_cast<std::uint8_t>(code)});
}

std::string ModifierNames(std::uint16_t mods) {
  if ((mods & 0xFF) == 0) return "none";
  return StrokeName(mods, 0);
}

std::string KeyCodeName(std::uint16_t code) {
  return StrokeName(0, code);
}

std::string SequenceName(const tsWalkAwayParms& record) {
  return KeySequence(record);
}

std::string SequenceName(const tsWalkUpParms& record) {
  return KeySequence(record);
}

std::string KeepAliveName(const tsIdleParms& record) {
  if (record.PressRateI == 0) return "off";
  return StrokeName(record.Key1ModsI, record.Key1CodeI) + " every " +
         std::to_string(record.PressRateI) + " s";
}

}  // namespace kv::cli
