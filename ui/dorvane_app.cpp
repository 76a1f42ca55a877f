#include "dorvane_app.h"

#include <kv7700/clock.h>
#include <kv7700/device_info.h>
#include <kv7700/halt_notes.h>
#include <kv7700/held_sensor.h>
#include <kv7700/operation_cost.h>

#include <cstdio>

#include "app_version.h"
#include "key_sets.h"
#include "misc_page.h"
#include "prop_sheet.h"
#include "record_change.h"
#include "sonar_page.h"
#include "walk_away_page.h"
#include "walk_up_page.h"

namespace kv::ui {

namespace {

class Linked final : public LibraryIdentity {
 public:
  int ApiAvailable() const override { return kv::ApiAvailable(); }
  int GetLibVersion(std::uint16_t* major, std::uint16_t* minor,
                    std::uint16_t* build) const override {
    return kv::GetLibVersion(major, minor, build);
  }
};

// The host's progress takes each operation's duration from the library.
Activity Reading() {
  return {"Reading the sensor's configuration", ReadCost().ms};
}

// A page's write of one record: its read for the compare, then the write.
Activity Writing(RecordKind kind) {
  const RecordFlags only = RecordFlags::Only(kind);
  return {"Writing to the sensor", ReadRecordsCost(only).ms + WriteCost(only).ms};
}

// A memory command with the library's read-back, then the window's own
// read of the sensor.
Activity MemoryCommand(const char* text) {
  return {text, MemoryCommandCost().ms + ReadCost().ms};
}

}  // namespace

const LibraryIdentity& LinkedLibrary() {
  static const Linked kLinked;
  return kLinked;
}

CDorvaneApp::CDorvaneApp() : identity_(&LinkedLibrary()), appName_(kDefaultAppName) {}

CDorvaneApp::~CDorvaneApp() = default;

void CDorvaneApp::SetRunner(LibraryRunner* runner) {
  runner_ = runner ? runner : &inlineRunner_;
}

void CDorvaneApp::SetLibraryIdentity(const LibraryIdentity* identity) {
  identity_ = identity ? identity : &LinkedLibrary();
}

void CDorvaneApp::ClearState() {
  LibVersionMajor = LibVersionMinor = LibVersionBuild = 0;
  DeviceFw = 0;
  ConfigLoaded = 0;
  FwVariant = -1;
  SonarPending = WalkAwayPending = WalkAwayPendingSonar = 0;
  WalkUpPending = WalkUpPendingSonar = IdlePendingSonar = 0;
  Edit = {};
  Clone = {};
}

bool CDorvaneApp::InitInstance(WindowHost& ownerless) {
  const Activity loading{"Loading the sensor library", 0};
  if (!Library(loading, [&] { return identity_->ApiAvailable(); })) {
    ownerless.ShowMessage({"Failed to load API module!", "Error", MessageIcon::Warning});
    return false;
  }
  ClearState();
  std::uint16_t major = 0, minor = 0, build = 0;
  Library(loading, [&] { identity_->GetLibVersion(&major, &minor, &build); });
  LibVersionMajor = static_cast<std::int16_t>(major);
  LibVersionMinor = static_cast<std::int16_t>(minor);
  LibVersionBuild = static_cast<std::int16_t>(build);
  if (LibVersionMajor < 2) {
    ownerless.ShowMessage({"Must use DLL v2.00 or higher with this App!", "DLL Incompatibility",
                           MessageIcon::Warning});
    return false;
  }

  // Built in this order; added to the sheet in tab order, on which the
  // Apply protocol depends (the Sonar page applies after both key pages).
  auto walkAway = std::make_unique<WAPage>(*this);
  auto walkUp = std::make_unique<WUPage>(*this);
  auto sonar = std::make_unique<SNRPage>(*this);
  auto misc = std::make_unique<MiscPage>(*this);
  PageWalkAway = walkAway.get();
  PageWalkTo = walkUp.get();
  PageSonar = sonar.get();
  PageMisc = misc.get();
  sheet_ = std::make_unique<PropSheet>(*this, FormatCaption());
  for (PropertyPage* page :
       {static_cast<PropertyPage*>(PageWalkAway), static_cast<PropertyPage*>(PageWalkTo),
        static_cast<PropertyPage*>(PageSonar), static_cast<PropertyPage*>(PageMisc)}) {
    sheet_->AddPage(page);
  }
  pages_.push_back(std::move(walkAway));
  pages_.push_back(std::move(walkUp));
  pages_.push_back(std::move(sonar));
  pages_.push_back(std::move(misc));
  return true;
}

void CDorvaneApp::ExitInstance() {
  CloseAllDevices();
  sheet_.reset();
  PageSonar = nullptr;
  PageWalkAway = nullptr;
  PageWalkTo = nullptr;
  PageMisc = nullptr;
  pages_.clear();
}

int CDorvaneApp::PushConfigToLib() {
  return Library({"Storing the configuration", 0}, [&]() -> int {
    return SetSonarParms(&EditSonar) && SetWalkAwayParms(&EditWalkAway) &&
           SetWalkUpParms(&EditWalkUp) && SetIdleParms(&EditIdle);
  });
}

void CDorvaneApp::PullInLibrary() {
  // The results are not looked at: a sensor without a read configuration
  // leaves the copies as they were.
  GetWalkAwayParms(&EditWalkAway);
  GetWalkUpParms(&EditWalkUp);
  GetSonarParms(&EditSonar);
  GetIdleParms(&EditIdle);
  DeviceFw = GetFirmwareVersion();
  ConfigLoaded = 1;
}

void CDorvaneApp::KnowLastRead() {
  GetSonarParms(&known_.Sonar);
  GetWalkAwayParms(&known_.WalkAway);
  GetWalkUpParms(&known_.WalkUp);
  GetIdleParms(&known_.Idle);
}

int CDorvaneApp::PullConfigFmLib() {
  Library({"Loading the configuration", 0}, [&] { PullInLibrary(); });
  return 1;
}

int CDorvaneApp::RefreshInLibrary() {
  SelectDevice(0);
  if (!ReadDevCfg()) {
    DeviceFw = 0;
    ConfigLoaded = 0;
    Edit = {};
    return 0;
  }
  const int count = static_cast<std::uint16_t>(GetDeviceCount());
  if (count != 0) {
    PullInLibrary();
    KnowLastRead();
  }
  return count;
}

int CDorvaneApp::RefreshConfigFmDev() {
  return Library(Reading(), [&] { return RefreshInLibrary(); });
}

int CDorvaneApp::LoadConfigJustRead() {
  int result = 0;
  Library({"Loading the configuration", 0}, [&] {
    SelectDevice(0);
    if (ReuseLastRead()) {
      PullInLibrary();
      KnowLastRead();
      result = GetDeviceCount();
    } else {
      result = RefreshInLibrary();
    }
  });
  return result;
}

template <class R>
int CDorvaneApp::PushRecord(RecordKind kind, R& edit, R RecordSet::*member, int (*set)(const R*),
                            int (*get)(R*), std::uint32_t* pending) {
  enum { kFailed, kWritten, kChanged };
  for (;;) {
    RecordSet sensor = known_;
    const int outcome = Library(Writing(kind), [&]() -> int {
      // The library's checks first: a record it refuses sends nothing.
      if (!set(&edit)) return kFailed;
      if (pending) *pending = 0;
      // One hold from the read of the record to its write: nobody changes
      // it between the compare and the write.
      const HeldSensors hold;
      if (!hold.Held()) return kFailed;
      if (!ReadRecordsNow(RecordFlags::Only(kind), &sensor)) return kFailed;
      if (!ChangedElsewhere(kind, known_, sensor).empty()) return kChanged;
      if (!WriteDevCfg()) return kFailed;
      get(&(known_.*member));  // as the sensor keeps it now
      return kWritten;
    });
    if (outcome != kChanged) return outcome;
    // Asked with the sensor free: the user may take a while.
    const std::string question = ChangeQuestion(kind, ChangedElsewhere(kind, known_, sensor));
    const MessageResult answer =
        asker_ ? asker_->ShowMessage(
                     {question, appName_, MessageIcon::Question, MessageButtons::YesNoCancel})
               : MessageResult::Cancel;
    if (answer == MessageResult::Cancel) {
      // The cache takes the sensor's values in place of the edit, so that
      // no later write of another record carries the edit along.
      Library(Writing(kind), [&] { set(&(sensor.*member)); });
      writeCancelled_ = true;
      return kFailed;
    }
    if (answer == MessageResult::Yes) {
      RecordSet edited = known_;
      edited.*member = edit;
      edit = Merge(kind, known_, sensor, edited).*member;
      mergedFromSensor_ = true;
    }
    // Compared again under a new hold: the sensor may have changed once more.
    known_.*member = sensor.*member;
  }
}

int CDorvaneApp::PushSonarToDev() {
  return PushRecord(RecordKind::Sonar, EditSonar, &RecordSet::Sonar, &SetSonarParms, &GetSonarParms,
                    &SonarPending);
}

int CDorvaneApp::PushWalkAwayToDev() {
  return PushRecord(RecordKind::WalkAway, EditWalkAway, &RecordSet::WalkAway, &SetWalkAwayParms,
                    &GetWalkAwayParms, &WalkAwayPending);
}

int CDorvaneApp::PushWalkUpToDev() {
  return PushRecord(RecordKind::WalkUp, EditWalkUp, &RecordSet::WalkUp, &SetWalkUpParms,
                    &GetWalkUpParms, &WalkUpPending);
}

int CDorvaneApp::PushIdleToDev() {
  return PushRecord(RecordKind::Idle, EditIdle, &RecordSet::Idle, &SetIdleParms, &GetIdleParms,
                    nullptr);
}

int CDorvaneApp::MemoryCommandAndRefresh(int (*command)(), const Activity& activity) {
  return Library(activity, [&]() -> int { return command() && RefreshInLibrary() != 0; });
}

int CDorvaneApp::ResetAllAndRefresh() {
  return MemoryCommandAndRefresh(&FactoryResetDev, MemoryCommand("Resetting the sensor"));
}

int CDorvaneApp::RestoreUserDefaultsAndRefresh() {
  if (DeviceFw < kFwUserDefaults) {
    return 0;
  }
  return MemoryCommandAndRefresh(&RestoreUserDefaultsDev,
                                 MemoryCommand("Restoring the user defaults"));
}

int CDorvaneApp::SaveUserDefaultsAndRefresh() {
  if (DeviceFw < kFwUserDefaults) {
    return 0;
  }
  return MemoryCommandAndRefresh(&SaveUserDefaultsDev, MemoryCommand("Saving the user defaults"));
}

int CDorvaneApp::SaveCloneData() {
  Clone = Edit;
  return 1;
}

int CDorvaneApp::WriteCloneData() {
  constexpr RecordFlags kAll = {true, true, true, true};
  return Library({"Writing the saved configuration", WriteCost(kAll).ms}, [&]() -> int {
    if (!SetSonarParms(&Clone.Sonar) || !SetWalkAwayParms(&Clone.WalkAway) ||
        !SetWalkUpParms(&Clone.WalkUp) || !SetIdleParms(&Clone.Idle) || !WriteDevCfg()) {
      return 0;
    }
    KnowLastRead();  // what the sensor holds now
    return 1;
  });
}

std::string CDorvaneApp::FormatCaption() const {
  char caption[128];
  std::snprintf(caption, sizeof caption, "%s %s, DLL %d.%d%d, DeviceFW %X.%02X", kModelName,
                kAppVersion, LibVersionMajor, LibVersionMinor, LibVersionBuild,
                static_cast<unsigned>(static_cast<std::uint16_t>(DeviceFw >> 8)),
                static_cast<unsigned>(DeviceFw & 0xFF));
  return caption;
}

int CDorvaneApp::FillKeyList(DialogHost* dialog, int listId) {
  return dialog ? ui::FillKeyList(*dialog, listId) : 0;
}

void CDorvaneApp::SetFwVariant(std::int32_t firmware) {
  switch (firmware & kFwVariantMask) {
    case kFwVariantFull:
      FwVariant = -1;
      break;
    case kFwVariantReduced:
      FwVariant = kFwVariantReduced;
      break;
    default:
      break;  // other digits keep the variant already set
  }
}

int CDorvaneApp::OpenAllDevices() {
  // Discovery reads every sensor in step: the time of one.
  return Library({"Opening the sensors", ReadCost().ms}, [&] {
    std::uint32_t firmware = 0;
    const int result = kv::OpenAllDevices(&firmware);
    DeviceFw = static_cast<std::int32_t>(firmware);
    return result;
  });
}

int CDorvaneApp::DeviceArrived(const std::string& path) {
  // Opening reads nothing from the sensor.
  return Library({"Opening the sensor", 0}, [&] { return kv::DeviceArrived(path.c_str()); });
}

int CDorvaneApp::DeviceRemoved(const std::string& path) {
  return Library({"Closing the sensor", 0}, [&] { return kv::DeviceRemoved(path.c_str()); });
}

std::vector<std::string> CDorvaneApp::AccessDeniedPaths() {
  std::vector<std::string> paths;
  Library({"", 0}, [&] { paths = kv::GetAccessDeniedPaths(); });
  return paths;
}

int CDorvaneApp::GetHidGuid(Guid* guid) {
  return Library({"", 0}, [&] { return kv::GetHidGuid(guid); });
}

namespace {

// The sensor settles this long after a halt or resume; another program's
// exchange must not come in meanwhile.
// A failed send waits as well: the sensor may have taken it all the same.
int ControlAndSettle(std::uint32_t halt, bool settle) {
  const HeldSensors hold;
  const int sent = hold.Held() && kv::SendControl(halt) ? 1 : 0;
  if (sent && halt) {
    NoteHalt(GetDevicePath(0));
  } else if (sent) {
    ForgetHalt(GetDevicePath(0));
  }
  if (settle) {
    GetClock().SleepMs(kKeySendSettleMs);
  }
  return sent;
}

}  // namespace

int CDorvaneApp::SendControl(std::uint32_t halt) {
  return Library(
      {halt ? "Halting key sends" : "Resuming key sends", ControlCost().ms + kKeySendSettleMs},
      [&] { return ControlAndSettle(halt, true); });
}

void CDorvaneApp::EndSession(bool resume) {
  sessionEnded_ = true;
  CancelSensorWaits();
  if (resume) {
    // Straight to the runner: it still takes one piece of work at a time,
    // so the resume follows the work under way.
    runner_->Run([] { ControlAndSettle(0, false); }, {"Resuming key sends", ControlCost().ms});
  }
}

std::vector<std::string> CDorvaneApp::ResumeOrphanedHalts() {
  std::vector<std::string> told;
  Library({"Resuming key sends", ControlCost().ms + kKeySendSettleMs}, [&] {
    for (const HaltNote& note : OrphanedHaltNotes()) {
      for (SensorIndex index = 0; index < GetDeviceCount(); ++index) {
        if (GetDevicePath(index) != note.path || !SelectDevice(index)) {
          continue;
        }
        const HeldSensors hold;
        if (hold.Held() && kv::SendControl(0)) {
          GetClock().SleepMs(kKeySendSettleMs);
          RemoveHaltNote(note);
          told.push_back("The key sends of the sensor at " + note.path + " were left halted by " +
                         note.program + ", which ended without resuming them. They are resumed.");
        }
      }
    }
    SelectDevice(0);
  });
  return told;
}

int CDorvaneApp::GetRangeInfo(RangeInfo* out) {
  return Library({"Reading the distance", RangeCost().ms}, [&] { return kv::GetRangeInfo(out); });
}

std::uint32_t CDorvaneApp::GetDevError() {
  return Library({"", 0}, [&] { return kv::GetDevError(); });
}

std::string CDorvaneApp::SensorInUseNote() {
  std::string holder;
  const bool inUse = Library({"", 0}, [&] {
    if ((kv::GetDevError() & kExchangeCodeMask) != kErrSensorInUse) return false;
    holder = kv::GetSensorHolder();
    return true;
  });
  if (!inUse) return {};
  return "\n\nThe sensor is in use by " +
         (holder.empty() ? std::string("another program") : holder) +
         ". Try again when it is done with the sensor.";
}

int CDorvaneApp::CloseAllDevices() {
  // Closing sends nothing: done after the session's end as well.
  if (sessionEnded_) {
    runner_->Run([] { kv::CloseAllDevices(); }, {"Closing the sensors", 0});
    return 1;
  }
  return Library({"Closing the sensors", 0}, [&] { return kv::CloseAllDevices(); });
}

}  // namespace kv::ui
