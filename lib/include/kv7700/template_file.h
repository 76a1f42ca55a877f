// Template files beyond the flat operations of kv7700.h (WriteDevCfgToFile,
// ReadDevCfgFmFile): for tools that compare a file with a sensor before
// writing it.
#pragma once

#include <kv7700/device_info.h>
#include <kv7700/records.h>

namespace kv {

// What ReadDevCfgFmFile would leave in the current sensor's cache, written
// to `records` instead: the cache, its dirty flags and DevError stay as they
// are. `stored` names the records the Set operations would take; a record
// they would refuse is given as cached. 1 when the file was read to its
// end; 0, with nothing written, when it could not be.
int PreviewDevCfgFmFile(const char* path, RecordSet* records, DirtyRecords* stored);

}  // namespace kv
