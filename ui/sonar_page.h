// The Sonar page: detection distances, delays, ping rate, indicators, still
// targets.
//
// Its values live in four records: most in the sonar record, the
// still-target and blanking values in the idle record, and the two
// "Minutes (not sec)" switches in the walk-away and walk-up records. Edits
// of sonar fields wait in the controls until Apply; edits of the other
// three records go into the application's edit copies at once (and are
// collected again at Apply). Which controls show, and how the delays are
// stored, depends on the sensor's firmware and variant.
#pragma once

#include <cstdint>
#include <string>

#include "property_page.h"

namespace kv::ui {

class SNRPage : public PropertyPage {
 public:
  static constexpr int kTemplateId = 107;

  // Controls of template 107.
  static constexpr int kIdLedFlags = 1023;  // hidden: LEDFlagsS below firmware 1.43
  static constexpr int kIdPingRate = 1024;
  static constexpr int kIdCycleCount = 1025;  // always hidden
  static constexpr int kIdMinDistance = 1026;
  static constexpr int kIdMaxDistance = 1027;
  static constexpr int kIdInRangeDelay = 1028;
  static constexpr int kIdInRangeWord = 1029;  // hidden: IRDBTmS below firmware 1.43
  static constexpr int kIdStartDelay = 1030;
  static constexpr int kIdOutOfRangeDelay = 1031;
  static constexpr int kIdNoInRangeLed = 1044;
  static constexpr int kIdNoOutOfRangeLed = 1045;
  static constexpr int kIdNoTransitionLed = 1046;
  static constexpr int kIdInRangeDelayRange = 1047;
  static constexpr int kIdOutOfRangeDelayRange = 1048;
  static constexpr int kIdNearTargetFault = 1056;
  static constexpr int kIdCycleCountLabel = 1059;
  static constexpr int kIdDetectDeadTarget = 1061;
  static constexpr int kIdDeadDelta = 1062;
  static constexpr int kIdDeadTime = 1063;
  static constexpr int kIdInRangeMinutes = 1064;
  static constexpr int kIdOutOfRangeMinutes = 1065;
  static constexpr int kIdBlanking = 1066;
  static constexpr int kIdBlankingLabel = 1067;
  static constexpr int kIdLedGroup = 1068;
  static constexpr int kIdStillTargetGroup = 1069;
  static constexpr int kIdDeadDeltaLabel = 1070;
  static constexpr int kIdDeadTimeLabel = 1071;
  static constexpr int kIdMinDistanceLabel = 1072;
  static constexpr int kIdMinDistanceRange = 1073;
  static constexpr int kIdMaxDistanceLabel = 1074;
  static constexpr int kIdMaxDistanceRange = 1075;
  static constexpr int kIdPingRateLabel = 1076;
  static constexpr int kIdPingRateRange = 1077;

  explicit SNRPage(CDorvaneApp& app);

  // Shows, hides and enables the controls for the current firmware and
  // variant.
  void UpdateSonarVisibility();
  // Enables or disables the advanced controls (only the power-up delay on
  // the reduced variant).
  void SetSonarAdvanced(bool on);
  // Shows the edit copies in the controls and ends with nothing pending;
  // does nothing while no configuration is loaded.
  void FillSonarPage();
  // Reads the controls of every group with a pending change into the edit
  // copies, correcting out-of-range entries (and saying so). The Misc page
  // calls it before it saves a template file.
  void CollectSonarPage();
  // Collects, then writes each pending record in the order sonar, idle,
  // walk-away, walk-up. True when all were written; on the first failure it
  // tells the user, keeps that record pending and the page modified, and
  // returns false.
  bool ApplySonarPage();

 protected:
  void OnInitDialog() override;
  void OnSetActive() override;
  bool OnApply() override;
  void OnCommand(int command, int parameter) override;

 private:
  bool SeparateDelays();
  bool AnyPending();
  void ClearPending();
  void MarkSonarChanged();
  void MarkIdleChanged();
  void OnNearTargetFaultClicked();
  void OnDetectDeadTargetClicked();
  void OnOutOfRangeMinutesClicked();
  void OnInRangeMinutesClicked();

  void CollectSonarRecord();
  void CollectIdleRecord();
  std::uint16_t CollectPingRate();
  // The edit's value, lowered to `max` (and written back) when above it.
  std::uint32_t ClampEdit(int id, std::uint32_t value, std::uint32_t max);

  // After a record was written: the pause the sensor needs, then unmodified.
  void RecordWritten();
  // After a record was not written: tell the user, keep it pending.
  bool RecordNotWritten(const std::string& record, std::uint32_t* pending);
};

}  // namespace kv::ui
