// The name a screen reader hears for every edit and drop-down list of the
// four pages, the same on Linux and Windows. Buttons, check boxes, radio
// buttons and group boxes are named by their own text.
#pragma once

#include <array>

namespace kv::ui::testing {

struct ExpectedAccessibleName {
  int templateId;
  int controlId;
  const char* name;
};

inline constexpr std::array<ExpectedAccessibleName, 33> kFieldAccessibleNames{{
    // Sonar
    {107, 1066, "Sonar Blanking"},
    {107, 1025, "40Kc Cycles"},
    {107, 1026, "Minimum Detection Distance"},
    {107, 1027, "Maximum Detection Distance"},
    {107, 1028, "In-Range Detection Delay"},
    {107, 1031, "Out-of-Range Detection Delay"},
    {107, 1030, "Power-up Delay"},
    {107, 1024, "Periodic Search Rate"},
    {107, 1023, "LED Control Flags"},
    {107, 1029, "In-Range Detection Delay Word"},
    {107, 1062, "Dead Target Delta Distance (inches)"},
    {107, 1063, "Declare Object Dead After (seconds)"},
    // Walk-Away
    {108, 1011, "Key"},
    {108, 1015, "Key Set 1"},
    {108, 1012, "Key"},
    {108, 1016, "Key Set 2"},
    {108, 1013, "Key"},
    {108, 1017, "Key Set 3"},
    {108, 1021, "Key"},
    {108, 1022, "Key Set 4"},
    {108, 1014, "Delay (msec) between key presses:"},
    {108, 1023, "MinDist Fault Send Rate (sec):"},
    // Walk-To
    {109, 1011, "Key"},
    {109, 1015, "Key Set 1"},
    {109, 1012, "Key"},
    {109, 1016, "Key Set 2"},
    {109, 1013, "Key"},
    {109, 1017, "Key Set 3"},
    {109, 1021, "Key"},
    {109, 1022, "Key Set 4"},
    {109, 1014, "Delay (msec) between key presses:"},
    // Misc.
    {110, 1050, "View Range"},
    {110, 1055, "msec Rate"},
}};

}  // namespace kv::ui::testing
