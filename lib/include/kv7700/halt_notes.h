// Notes of halted key sends. A program that halts a sensor's key sends and
// means to resume them (the window, while "Halt Key Sends" is ticked) notes
// that in the user's runtime folder ($XDG_RUNTIME_DIR/kv7700 on Linux,
// %LOCALAPPDATA%\kv7700 on Windows) and removes the note when it resumes.
// A program killed in between leaves the note: the next start of the window
// or of kv7700ctl finds it, sees its program gone and resumes that sensor.
#pragma once

#include <string>
#include <vector>

namespace kv {

struct HaltNote {
  std::string file;     // the note itself
  std::string path;     // the sensor's interface path
  std::string program;  // "kv7700-config, process 1234"
  long pid = 0;
};

// Notes that this program halted the key sends of the sensor at `path`;
// false when the note could not be written (no runtime folder, say).
bool NoteHalt(const std::string& path);
// Removes this program's note for `path`, if any.
void ForgetHalt(const std::string& path);
// The notes whose program has ended.
std::vector<HaltNote> OrphanedHaltNotes();
void RemoveHaltNote(const HaltNote& note);

}  // namespace kv
