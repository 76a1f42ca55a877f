#include <kv7700/factory_defaults.h>

namespace kv {

// Ping every 200 ms, 14 to 36 inches, 10 s out-of-range and 2 s in-range
// debounce; walking away types LCTL+LALT+DELETE, walking up types nothing;
// no keep-alive key, no dead-target detection.
RecordSet FactoryDefaults() {
  RecordSet defaults;
  defaults.Sonar.PingRateS = 200;
  defaults.Sonar.Reserved1S = 40;
  defaults.Sonar.MinDistS = 14;
  defaults.Sonar.MaxDistS = 36;
  defaults.Sonar.ORDBTmS = 10;
  defaults.Sonar.IRDBTmS = 2;
  defaults.WalkAway.KeyCountWA = 1;
  defaults.WalkAway.InterKeyDelayWA = 128;
  defaults.WalkAway.Key1ModsWA = 0x05;
  defaults.WalkAway.Key1CodeWA = 0x4C;
  defaults.WalkUp.InterKeyDelayWU = 128;
  return defaults;
}

}  // namespace kv
