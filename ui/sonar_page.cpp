#include "sonar_page.h"

#include <kv7700/records.h>

#include "dorvane_app.h"
#include "sonar_rules.h"

namespace kv::ui {

namespace {

// Each record written is followed by this pause before the next one.
constexpr std::uint32_t kAfterWriteMs = 1000;

constexpr const char* kLongDelayRange = "( 0 to 255 sec )";
constexpr const char* kPackedDelayRange = "( 0 to 15 sec )";
constexpr const char* kPingRateCaption = "Ping Rate Error";
constexpr const char* kPingRateTooLow = "The Minimum Ping Rate is 200msec!";
constexpr const char* kPingRateTooHigh = "The Maximum Ping Rate is 1020msec!";

// Older firmware takes the LED word as it is entered, in 7 bits.
constexpr std::uint32_t kLedWordMask = 0x7F;

constexpr int kLedBoxes[] = {SNRPage::kIdNoInRangeLed, SNRPage::kIdNoOutOfRangeLed,
                             SNRPage::kIdNoTransitionLed};
constexpr std::uint16_t kLedBits[] = {kLedNoInRange, kLedNoOutOfRange, kLedNoTransition};

// What the reduced firmware variant has no use for: distances, ping rate,
// LEDs and still targets.
constexpr int kHiddenOnReducedVariant[] = {
    SNRPage::kIdBlanking,         SNRPage::kIdBlankingLabel,    SNRPage::kIdPingRate,
    SNRPage::kIdPingRateLabel,    SNRPage::kIdPingRateRange,    SNRPage::kIdMinDistance,
    SNRPage::kIdNearTargetFault,  SNRPage::kIdMinDistanceLabel, SNRPage::kIdMinDistanceRange,
    SNRPage::kIdMaxDistance,      SNRPage::kIdMaxDistanceLabel, SNRPage::kIdMaxDistanceRange,
    SNRPage::kIdStillTargetGroup, SNRPage::kIdDetectDeadTarget, SNRPage::kIdDeadDelta,
    SNRPage::kIdDeadTime,         SNRPage::kIdDeadDeltaLabel,   SNRPage::kIdDeadTimeLabel,
    SNRPage::kIdLedGroup,         SNRPage::kIdNoInRangeLed,     SNRPage::kIdNoOutOfRangeLed,
    SNRPage::kIdNoTransitionLed};

// Enabled only while the Misc page's "Enable Advanced Settings" is ticked.
constexpr int kAdvancedControls[] = {SNRPage::kIdBlanking,        SNRPage::kIdPingRate,
                                     SNRPage::kIdNearTargetFault, SNRPage::kIdDetectDeadTarget,
                                     SNRPage::kIdDeadDelta,       SNRPage::kIdDeadTime,
                                     SNRPage::kIdStartDelay};

void SetBit(std::uint16_t* word, std::uint16_t bit, bool on) {
  *word = static_cast<std::uint16_t>(on ? (*word | bit) : (*word & ~bit));
}

std::uint16_t Low16(std::uint32_t value) {
  return static_cast<std::uint16_t>(value);
}

}  // namespace

SNRPage::SNRPage(CDorvaneApp& app) : PropertyPage(app, kTemplateId, "Sonar") {
  HandleTextChange({kIdLedFlags, kIdPingRate, kIdCycleCount, kIdMinDistance, kIdMaxDistance,
                    kIdInRangeDelay, kIdInRangeWord, kIdStartDelay, kIdOutOfRangeDelay},
                   [this](int) { MarkSonarChanged(); });
  HandleClick({kIdNoInRangeLed, kIdNoOutOfRangeLed, kIdNoTransitionLed},
              [this](int) { MarkSonarChanged(); });
  HandleClick(kIdNearTargetFault, [this](int) { OnNearTargetFaultClicked(); });
  HandleClick(kIdDetectDeadTarget, [this](int) { OnDetectDeadTargetClicked(); });
  HandleClick(kIdOutOfRangeMinutes, [this](int) { OnOutOfRangeMinutesClicked(); });
  HandleClick(kIdInRangeMinutes, [this](int) { OnInRangeMinutesClicked(); });
  // The idle record's fields go into the edit copy as they are typed.
  HandleTextChange(kIdDeadDelta, [this](int) {
    MarkIdleChanged();
    App().EditIdle.DMTODeltaI = sonar::DeadDeltaTicks(Low16(Dialog().GetNumber(kIdDeadDelta)));
  });
  HandleTextChange(kIdDeadTime, [this](int) {
    MarkIdleChanged();
    App().EditIdle.DMTOTmI = Low16(Dialog().GetNumber(kIdDeadTime));
  });
  HandleTextChange(kIdBlanking, [this](int) {
    MarkIdleChanged();
    App().EditIdle.SNBlankTmI = Low16(Dialog().GetNumber(kIdBlanking));
  });
}

bool SNRPage::SeparateDelays() {
  return App().DeviceFw >= kFwSeparateDelays;
}

bool SNRPage::AnyPending() {
  const CDorvaneApp& app = App();
  return app.SonarPending || app.IdlePendingSonar || app.WalkAwayPendingSonar ||
         app.WalkUpPendingSonar;
}

void SNRPage::ClearPending() {
  CDorvaneApp& app = App();
  app.SonarPending = 0;
  app.IdlePendingSonar = 0;
  app.WalkAwayPendingSonar = 0;
  app.WalkUpPendingSonar = 0;
}

// --- Handlers ----------------------------------------------------------------

void SNRPage::MarkSonarChanged() {
  SetModified(true);
  App().SonarPending = 1;
}

void SNRPage::MarkIdleChanged() {
  SetModified(true);
  App().IdlePendingSonar = 1;
}

void SNRPage::OnNearTargetFaultClicked() {
  SetModified(true);
  App().SonarPending = 1;
  App().IdlePendingSonar = 1;
  SetBit(&App().EditIdle.FlagsI, kIdleNearTargetFault, Dialog().IsChecked(kIdNearTargetFault));
}

void SNRPage::OnDetectDeadTargetClicked() {
  MarkIdleChanged();
  SetBit(&App().EditIdle.FlagsI, kIdleDetectDeadTarget, Dialog().IsChecked(kIdDetectDeadTarget));
}

void SNRPage::OnOutOfRangeMinutesClicked() {
  SetBit(&App().EditWalkAway.Flags0WA, kDelayInMinutes, Dialog().IsChecked(kIdOutOfRangeMinutes));
  SetModified(true);
  App().WalkAwayPendingSonar = 1;
}

void SNRPage::OnInRangeMinutesClicked() {
  SetBit(&App().EditWalkUp.Flags0WU, kDelayInMinutes, Dialog().IsChecked(kIdInRangeMinutes));
  SetModified(true);
  App().WalkUpPendingSonar = 1;
}

void SNRPage::OnInitDialog() {
  UpdateSonarVisibility();
  FillSonarPage();
}

void SNRPage::OnSetActive() {
  if (!App().ConfigLoaded) {
    SetModified(false);
    ClearPending();
  } else if (!App().SonarPending) {
    // Shows the edit copies afresh unless sonar edits wait in the controls.
    FillSonarPage();
  }
}

bool SNRPage::OnApply() {
  return AnyPending() ? ApplySonarPage() : true;
}

void SNRPage::OnCommand(int command, int parameter) {
  if (command == CMD_REFRESH_PAGES) {
    UpdateSonarVisibility();
    SetSonarAdvanced(false);
    FillSonarPage();
    if (parameter == 1) {
      // Restored from a file: the next Apply writes every record.
      App().SonarPending = 1;
      App().IdlePendingSonar = 1;
      App().WalkAwayPendingSonar = 1;
      App().WalkUpPendingSonar = 1;
      SetModified(true);
    }
  } else if (command == CMD_ADVANCED_SETTINGS) {
    SetSonarAdvanced(parameter != 0);
  }
}

// --- Controls ----------------------------------------------------------------

void SNRPage::UpdateSonarVisibility() {
  if (!HasWindow()) {
    return;
  }
  DialogHost& dialog = Dialog();
  const bool separate = SeparateDelays();
  for (int id : kLedBoxes) {
    dialog.SetEnabled(id, separate);
  }
  const char* delayRange = separate ? kLongDelayRange : kPackedDelayRange;
  dialog.SetText(kIdInRangeDelayRange, delayRange);
  dialog.SetText(kIdOutOfRangeDelayRange, delayRange);
  // The cycle count is kept in the page but never shown.
  dialog.SetVisible(kIdCycleCount, false);
  dialog.SetVisible(kIdCycleCountLabel, false);
  const bool reduced = App().FwVariant == kFwVariantReduced;
  for (int id : kHiddenOnReducedVariant) {
    dialog.SetVisible(id, !reduced);
  }
  if (!reduced) {
    dialog.SetEnabled(kIdMinDistance, true);
    dialog.SetEnabled(kIdMaxDistance, true);
  }
}

void SNRPage::SetSonarAdvanced(bool on) {
  if (!HasWindow()) {
    return;
  }
  const bool reduced = App().FwVariant == kFwVariantReduced;
  for (int id : kAdvancedControls) {
    Dialog().SetEnabled(id, on && (!reduced || id == kIdStartDelay));
  }
}

void SNRPage::FillSonarPage() {
  if (!HasWindow()) {
    return;
  }
  DialogHost& dialog = Dialog();
  WaitCursor busy(dialog);
  CDorvaneApp& app = App();
  if (!app.ConfigLoaded) {
    return;
  }
  // Setting an edit's text runs its handler as typing does; the last step
  // clears what they marked.
  const tsSonarParms& sonarRecord = app.EditSonar;
  if (SeparateDelays()) {
    for (std::size_t i = 0; i < std::size(kLedBoxes); ++i) {
      dialog.SetChecked(kLedBoxes[i], (sonarRecord.LEDFlagsS & kLedBits[i]) != 0);
    }
  } else {
    dialog.SetNumber(kIdLedFlags, sonarRecord.LEDFlagsS);
  }
  dialog.SetNumber(kIdPingRate, sonarRecord.PingRateS);
  dialog.SetNumber(kIdCycleCount, sonarRecord.Reserved1S);
  dialog.SetNumber(kIdMinDistance, sonarRecord.MinDistS);
  dialog.SetNumber(kIdMaxDistance, sonarRecord.MaxDistS);
  if (SeparateDelays()) {
    dialog.SetNumber(kIdInRangeDelay, sonarRecord.IRDBTmS);
    dialog.SetNumber(kIdOutOfRangeDelay, sonarRecord.ORDBTmS);
  } else {
    dialog.SetNumber(kIdInRangeDelay, sonar::PackedInRange(sonarRecord.ORDBTmS));
    dialog.SetNumber(kIdOutOfRangeDelay, sonar::PackedOutOfRange(sonarRecord.ORDBTmS));
    dialog.SetNumber(kIdInRangeWord, sonarRecord.IRDBTmS);
  }

  const std::uint16_t idleFlags = app.EditIdle.FlagsI;
  dialog.SetChecked(kIdNearTargetFault, (idleFlags & kIdleNearTargetFault) != 0);
  dialog.SetChecked(kIdDetectDeadTarget, (idleFlags & kIdleDetectDeadTarget) != 0);
  // Its handler stores the shown inches back as ticks, so a delta that is
  // no whole number of inches comes out as one.
  dialog.SetNumber(kIdDeadDelta, sonar::DeadDeltaInches(app.EditIdle.DMTODeltaI));
  dialog.SetNumber(kIdDeadTime, app.EditIdle.DMTOTmI);
  dialog.SetNumber(kIdBlanking, app.EditIdle.SNBlankTmI);

  dialog.SetChecked(kIdOutOfRangeMinutes, (app.EditWalkAway.Flags0WA & kDelayInMinutes) != 0);
  dialog.SetChecked(kIdInRangeMinutes, (app.EditWalkUp.Flags0WU & kDelayInMinutes) != 0);
  dialog.SetNumber(kIdStartDelay, sonarRecord.StartDlyS);

  SetModified(false);
  ClearPending();
}

// --- Collect -----------------------------------------------------------------

std::uint32_t SNRPage::ClampEdit(int id, std::uint32_t value, std::uint32_t max) {
  if (value > max) {
    value = max;
    Dialog().SetNumber(id, value);
  }
  return value;
}

std::uint16_t SNRPage::CollectPingRate() {
  std::uint16_t rate = Low16(Dialog().GetNumber(kIdPingRate));
  const char* complaint = nullptr;
  if (rate < kPingRateMin) {
    complaint = kPingRateTooLow;
    rate = kPingRateMin;
  } else if (rate > kPingRateMax) {
    complaint = kPingRateTooHigh;
    rate = kPingRateMax;
  }
  if (complaint) {
    Message(complaint, kPingRateCaption);
    Dialog().SetNumber(kIdPingRate, rate);
  }
  // Stored as entered; the sensor keeps it in 4 ms steps.
  return rate;
}

void SNRPage::CollectSonarRecord() {
  DialogHost& dialog = Dialog();
  tsSonarParms& record = App().EditSonar;
  if (SeparateDelays()) {
    std::uint16_t flags = 0;
    for (std::size_t i = 0; i < std::size(kLedBoxes); ++i) {
      if (dialog.IsChecked(kLedBoxes[i])) {
        flags |= kLedBits[i];
      }
    }
    record.LEDFlagsS = flags;
  } else {
    record.LEDFlagsS = static_cast<std::uint16_t>(dialog.GetNumber(kIdLedFlags) & kLedWordMask);
  }

  record.PingRateS = CollectPingRate();

  const sonar::Distances distances =
      sonar::CorrectDistances(dialog.GetNumber(kIdMinDistance), dialog.GetNumber(kIdMaxDistance));
  record.MinDistS = distances.min;
  record.MaxDistS = distances.max;
  dialog.SetNumber(kIdMinDistance, distances.min);
  dialog.SetNumber(kIdMaxDistance, distances.max);

  if (SeparateDelays()) {
    record.IRDBTmS = Low16(
        ClampEdit(kIdInRangeDelay, Low16(dialog.GetNumber(kIdInRangeDelay)), sonar::kLongDelayMax));
    record.ORDBTmS = Low16(ClampEdit(
        kIdOutOfRangeDelay, Low16(dialog.GetNumber(kIdOutOfRangeDelay)), sonar::kLongDelayMax));
  } else {
    const std::uint32_t inRange =
        ClampEdit(kIdInRangeDelay, dialog.GetNumber(kIdInRangeDelay), sonar::kPackedDelayMax);
    const std::uint32_t outOfRange =
        ClampEdit(kIdOutOfRangeDelay, dialog.GetNumber(kIdOutOfRangeDelay), sonar::kPackedDelayMax);
    record.ORDBTmS = sonar::PackDelays(inRange, outOfRange);
    record.IRDBTmS = static_cast<std::uint16_t>(dialog.GetNumber(kIdInRangeWord) & 0xFF);
  }

  record.StartDlyS =
      Low16(ClampEdit(kIdStartDelay, dialog.GetNumber(kIdStartDelay), sonar::kStartDelayMax));
}

void SNRPage::CollectIdleRecord() {
  DialogHost& dialog = Dialog();
  tsIdleParms& record = App().EditIdle;
  SetBit(&record.FlagsI, kIdleNearTargetFault, dialog.IsChecked(kIdNearTargetFault));
  SetBit(&record.FlagsI, kIdleDetectDeadTarget, dialog.IsChecked(kIdDetectDeadTarget));
  record.DMTODeltaI = sonar::DeadDeltaTicks(dialog.GetNumber(kIdDeadDelta));
  record.DMTOTmI = static_cast<std::uint16_t>(dialog.GetNumber(kIdDeadTime) & 0xFF);
  record.SNBlankTmI = static_cast<std::uint16_t>(dialog.GetNumber(kIdBlanking) & 0xFF);
}

void SNRPage::CollectSonarPage() {
  if (!HasWindow()) {
    return;
  }
  CDorvaneApp& app = App();
  if (app.SonarPending) {
    CollectSonarRecord();
  }
  if (app.IdlePendingSonar) {
    CollectIdleRecord();
  }
  if (app.WalkAwayPendingSonar) {
    SetBit(&app.EditWalkAway.Flags0WA, kDelayInMinutes, Dialog().IsChecked(kIdOutOfRangeMinutes));
  }
  if (app.WalkUpPendingSonar) {
    SetBit(&app.EditWalkUp.Flags0WU, kDelayInMinutes, Dialog().IsChecked(kIdInRangeMinutes));
  }
}

// --- Apply -------------------------------------------------------------------

void SNRPage::RecordWritten() {
  Dialog().Pause(kAfterWriteMs);
  SetModified(false);
}

bool SNRPage::RecordNotWritten(const std::string& record, std::uint32_t* pending) {
  // A push drops the page's flag as soon as the library took the record, so
  // a failed device write would otherwise leave nothing for the next Apply
  // to retry. The page stays modified and the sheet stays open.
  *pending = 1;
  SetModified(true);
  // Not when the user chose not to overwrite another program's change.
  if (!App().TakeWriteCancelled()) {
    Failure("Failed to Write the device Features (" + record + ")!");
  }
  return false;
}

bool SNRPage::ApplySonarPage() {
  if (!HasWindow()) {
    return true;
  }
  WaitCursor busy(Dialog());
  CDorvaneApp& app = App();
  CollectSonarPage();
  // One record per write, in this order; the key pages have applied before
  // this page and left to it any record both pages edited.
  if (app.SonarPending) {
    if (!app.PushSonarToDev()) {
      return RecordNotWritten("Sonar", &app.SonarPending);
    }
    RecordWritten();
    app.SonarPending = 0;
  }
  if (app.IdlePendingSonar) {
    if (!app.PushIdleToDev()) {
      return RecordNotWritten("Idle", &app.IdlePendingSonar);
    }
    RecordWritten();
    app.IdlePendingSonar = 0;
  }
  if (app.WalkAwayPendingSonar && !app.WalkAwayPending) {
    if (!app.PushWalkAwayToDev()) {
      return RecordNotWritten("WalkAway", &app.WalkAwayPendingSonar);
    }
    RecordWritten();
    app.WalkAwayPendingSonar = 0;
  }
  if (app.WalkUpPendingSonar && !app.WalkUpPending) {
    if (!app.PushWalkUpToDev()) {
      return RecordNotWritten("WalkUp", &app.WalkUpPendingSonar);
    }
    RecordWritten();
    app.WalkUpPendingSonar = 0;
  }
  return true;
}

}  // namespace kv::ui
