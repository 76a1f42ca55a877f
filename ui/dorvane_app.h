// The application object: start-up checks, the working copy of the current
// sensor's configuration, and every library operation the sheet and the
// pages need. The pages never call the library; they call this object, which
// hands each piece of library work to the LibraryRunner.
#pragma once

#include <kv7700/kv7700.h>
#include <kv7700/records.h>
#include <kv7700/template_fields.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "dialog_host.h"
#include "event_gate.h"
#include "library_runner.h"

namespace kv::ui {

class PropSheet;
class PropertyPage;
class SNRPage;
class WAPage;
class WUPage;
class MiscPage;

// Where the start-up checks learn about the library; replaceable in tests.
class LibraryIdentity {
 public:
  virtual ~LibraryIdentity() = default;
  virtual int ApiAvailable() const = 0;
  virtual int GetLibVersion(std::uint16_t* major, std::uint16_t* minor,
                            std::uint16_t* build) const = 0;
};
// The library this program is linked with.
const LibraryIdentity& LinkedLibrary();

class CDorvaneApp {
 public:
  CDorvaneApp();
  ~CDorvaneApp();
  CDorvaneApp(const CDorvaneApp&) = delete;
  CDorvaneApp& operator=(const CDorvaneApp&) = delete;

  // --- The working state (all zero at start but FwVariant). ---
  std::int16_t LibVersionMajor = 0;
  std::int16_t LibVersionMinor = 0;
  std::int16_t LibVersionBuild = 0;
  std::int32_t DeviceFw = 0;       // firmware of the current sensor, 0 when none is loaded
  std::uint32_t ConfigLoaded = 0;  // the edit copies hold a configuration read from a sensor
  std::int16_t FwVariant = -1;     // -1 standard, 2 reduced (no distance controls)
  std::uint32_t SonarPending = 0;
  std::uint32_t WalkAwayPending = 0;
  std::uint32_t WalkAwayPendingSonar = 0;
  std::uint32_t WalkUpPending = 0;
  std::uint32_t WalkUpPendingSonar = 0;
  std::uint32_t IdlePendingSonar = 0;
  // The edit copies, each record also under the name the pages know it by.
  RecordSet Edit;
  tsSonarParms& EditSonar = Edit.Sonar;
  tsWalkAwayParms& EditWalkAway = Edit.WalkAway;
  tsWalkUpParms& EditWalkUp = Edit.WalkUp;
  tsIdleParms& EditIdle = Edit.Idle;
  // The copies saved for cloning.
  RecordSet Clone;
  // The pages while the sheet exists; null before InitInstance built them.
  SNRPage* PageSonar = nullptr;
  WAPage* PageWalkAway = nullptr;
  WUPage* PageWalkTo = nullptr;
  MiscPage* PageMisc = nullptr;

  // --- Set-up by the host, before InitInstance. ---
  // The runner of library work (the caller keeps ownership); inline if none.
  void SetRunner(LibraryRunner* runner);
  void SetLibraryIdentity(const LibraryIdentity* identity);
  // The caption of message boxes that have none: the program file's name.
  void SetAppName(std::string name) { appName_ = std::move(name); }
  const std::string& AppName() const { return appName_; }
  LibraryRunner& Runner() { return *runner_; }
  EventGate& Gate() { return gate_; }

  // --- Start-up and shut-down. ---
  // Checks the library, clears the state, builds the pages and the sheet.
  // False (after telling the user through `ownerless`) when the program
  // must end. The host then runs Sheet() until it closes.
  bool InitInstance(WindowHost& ownerless);
  PropSheet* Sheet() { return sheet_.get(); }
  // After the sheet closed: closes every sensor, destroys sheet and pages.
  void ExitInstance();

  // --- Operations of the pages: 1 for success, 0 for failure. ---
  int PushConfigToLib();
  int PullConfigFmLib();
  // Re-reads sensor 0: the number of open sensors, or 0 when the read failed
  // (the edit copies are then zero and nothing counts as loaded).
  int RefreshConfigFmDev();
  // RefreshConfigFmDev right after OpenAllDevices read every sensor: takes
  // sensor 0's configuration from that read instead of reading it again.
  int LoadConfigJustRead();
  int PushSonarToDev();
  int PushWalkAwayToDev();
  int PushWalkUpToDev();
  int PushIdleToDev();
  int ResetAllAndRefresh();
  int RestoreUserDefaultsAndRefresh();
  int SaveUserDefaultsAndRefresh();
  int SaveCloneData();
  int WriteCloneData();
  // "KV7700 3.60, DLL 5.50, DeviceFW 1.43".
  std::string FormatCaption() const;
  // Fills one key list of a key page from KeyNameTable; 0 without a dialog
  // or without that list.
  int FillKeyList(DialogHost* dialog, int listId);
  // -1 for a firmware whose lowest hex digit is 0, 2 for digit 2; any other
  // digit keeps the previous variant.
  void SetFwVariant(std::int32_t firmware);

  // --- Library access for the sheet and the Misc page. ---
  // Opens every sensor; DeviceFw takes sensor 0's firmware version.
  int OpenAllDevices();
  int DeviceArrived(const std::string& path);
  int DeviceRemoved(const std::string& path);
  // Sensors present but not openable by this user (GetAccessDeniedPaths).
  std::vector<std::string> AccessDeniedPaths();
  int GetHidGuid(Guid* guid);
  // Non-zero halts the sensor's key sends, zero resumes them, then waits
  // the sensor's settle time, all in one hold of the sensor. A halt is
  // noted in the user's runtime folder until the resume, so that a next
  // start resumes it should this program be killed meanwhile.
  int SendControl(std::uint32_t halt);
  // The desktop session ends: waits for a sensor give up, no further
  // library work starts, and the key sends are resumed when `resume` (no
  // settle time: the platform gives the program only a few seconds).
  void EndSession(bool resume);
  // At start-up: resumes the key sends that a program which ended without
  // resuming them left halted on an open sensor; the sentences that say so.
  std::vector<std::string> ResumeOrphanedHalts();
  int GetRangeInfo(RangeInfo* out);
  std::uint32_t GetDevError();
  // When the current sensor's last operation failed because another program
  // kept it, the sentence that names that program, to follow a failure
  // message; "" otherwise.
  std::string SensorInUseNote();
  int CloseAllDevices();
  // Where a write asks the user when another program changed the record it
  // is about to write (the sheet's window); without one it writes nothing.
  void SetAsker(WindowHost* asker) { asker_ = asker; }
  // True once after a write took another program's values into the edit
  // copies, which the pages then show.
  bool TakeMergedFromSensor() { return std::exchange(mergedFromSensor_, false); }
  // True once after the user chose not to write over another program's
  // change (the write then returned 0 without a failure to report).
  bool TakeWriteCancelled() { return std::exchange(writeCancelled_, false); }
  int WriteDevCfgToFile(const std::string& path);
  // Why the current sensor's last operation failed and what to do, to
  // follow a failure message ("\n\nCould not write ..."); "" when it did
  // not fail.
  std::string LastFailureNote();
  int ReadDevCfgFmFile(const std::string& path);

 private:
  // Runs library work through the runner, with handlers held off meanwhile,
  // and returns what the work returned (its zero value if the runner never
  // ran it).
  template <typename Work>
  auto Library(const Activity& activity, Work&& work) -> std::invoke_result_t<Work&>;
  void ClearState();
  // The bodies of PullConfigFmLib and RefreshConfigFmDev, for use inside
  // library work (work never hands further work to the runner).
  void PullInLibrary();
  // Takes the cache, just read from the sensor (or written to it), as what
  // the next write compares the sensor with.
  void KnowLastRead();
  int RefreshInLibrary();
  int MemoryCommandAndRefresh(int (*command)(), const Activity& activity);
  // Writes `edit` as the current sensor's record `kind`, first reading the
  // sensor's record under the same hold and comparing it with known_; when
  // another program changed it meanwhile, asks the user before writing.
  template <class R>
  int PushRecord(RecordKind kind, R& edit, R RecordSet::*member, int (*set)(const R*),
                 int (*get)(R*), std::uint32_t* pending);
  // The records as this window last read or wrote them.
  RecordSet known_;
  WindowHost* asker_ = nullptr;
  bool mergedFromSensor_ = false;
  bool sessionEnded_ = false;
  bool writeCancelled_ = false;

  InlineRunner inlineRunner_;
  LibraryRunner* runner_ = &inlineRunner_;
  const LibraryIdentity* identity_;
  std::string appName_;
  EventGate gate_;
  std::vector<std::unique_ptr<PropertyPage>> pages_;
  std::unique_ptr<PropSheet> sheet_;
};

template <typename Work>
auto CDorvaneApp::Library(const Activity& activity, Work&& work) -> std::invoke_result_t<Work&> {
  using Result = std::invoke_result_t<Work&>;
  // After the session's end nothing is sent but its resume.
  if (sessionEnded_) {
    return Result();
  }
  EventGate::Scope busy(gate_);
  if constexpr (std::is_void_v<Result>) {
    runner_->Run(work, activity);
  } else {
    Result result{};
    runner_->Run([&] { result = work(); }, activity);
    return result;
  }
}

}  // namespace kv::ui
