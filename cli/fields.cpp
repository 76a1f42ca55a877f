#include "fields.h"

namespace kv::cli {

const char* RecordName(RecordKind record) {
  switch (record) {
    case RecordKind::Sonar:
      return "tsSonarParms";
    case RecordKind::WalkAway:
      return "tsWalkAwayParms";
    case RecordKind::WalkUp:
      return "tsWalkUpParms";
    case RecordKind::Idle:
      return "tsIdleParms";
  }
  return "";
}

const char* SetOperationName(RecordKind record) {
  switch (record) {
    case RecordKind::Sonar:
      return "SetSonarParms";
    case RecordKind::WalkAway:
      return "SetWalkAwayParms";
    case RecordKind::WalkUp:
      return "SetWalkUpParms";
    case RecordKind::Idle:
      return "SetIdleParms";
  }
  return "";
}

std::span<const Field> AllFields() {
  return kTemplateFields;
}

const Field* FindField(std::string_view name) {
  return FindTemplateField(name);
}

std::uint16_t Value(const Configuration& config, const Field& field) {
  return FieldWord(config, field);
}

void SetValue(Configuration* config, const Field& field, std::uint16_t value) {
  FieldWord(*config, field) = value;
}

bool SameRecord(const Configuration& a, const Configuration& b, RecordKind record) {
  switch (record) {
    case RecordKind::Sonar:
      return a.Sonar == b.Sonar;
    case RecordKind::WalkAway:
      return a.WalkAway == b.WalkAway;
    case RecordKind::WalkUp:
      return a.WalkUp == b.WalkUp;
    case RecordKind::Idle:
      return a.Idle == b.Idle;
  }
  return true;
}

}  // namespace kv::cli
