// Template files beyond the flat operations of kv7700.h (WriteDevCfgToFile,
// ReadDevCfgFmFile): a save that tells how it went, a load that tells which
// records it took, and a preview for tools that compare a file with a sensor
// before writing it.
#pragma once

#include <kv7700/device_info.h>
#include <kv7700/records.h>
#include <kv7700/save_report.h>

#include <array>

namespace kv {

// The order in which a load stores a file's records, each through its Set
// operation. A tool that stores records as a load does keeps this order, so
// that it meets the same refusal first.
inline constexpr std::array<RecordKind, 4> kLoadStoreOrder = {
    RecordKind::WalkAway, RecordKind::WalkUp, RecordKind::Sonar, RecordKind::Idle};

// WriteDevCfgToFile, returning how the save went. A failure is also the
// current sensor's last failure, in words.
SaveReport SaveDevCfgToFile(const char* path);

// What a load of a template file did.
struct TemplateLoad {
  bool read = false;     // the file was read to its end (else nothing changed)
  RecordFlags accepted;  // the records stored, and so marked to be written
  // The records their check refused: each stays as cached. Also the
  // current sensor's last failure, naming the first and its limits.
  RecordFlags refused;
};

// ReadDevCfgFmFile, returning which records it stored.
TemplateLoad LoadDevCfgFmFile(const char* path);

// What ReadDevCfgFmFile would leave in the current sensor's cache, written
// to `records` instead: the cache, its dirty flags, DevError and the last
// failure stay as they are. `stored` names the records the Set operations
// would take; a record they would refuse is given as cached. 1 when the
// file was read to its end; 0, with nothing written, when it could not be.
int PreviewDevCfgFmFile(const char* path, RecordSet* records, RecordFlags* stored);

}  // namespace kv
