# Sourced by scripts/windows-test inside its Wine session: what screen
# readers hear in the native sheet, and the sheet on high-dpi screens.

# Every control of the four pages carries the Linux host's name (the shared
# table of tests/ui/accessible_name_table.h), read back through oleacc as a
# screen reader asks for it. The test prints how the names were given:
# Windows keeps them in oleacc's store; Wine does not (IAccPropServices
# answers E_NOTIMPL), so there the controls answer them themselves.
names_through_oleacc() {
  local log=$win/accessibility-names.log status=0
  gtest_under_wine "$log" "$win/tests/win32_tests.exe" --gtest_filter='AccessibleNamesTest.*' ||
    status=$?
  grep -E '^\[   INFO|^\[  (PASSED|FAILED) |Failure|Expected|Which is|trace' "$log" | sed 's/^/   /'
  return "$status"
}
check "every edit, list, box and button of the pages: the Linux host's name, through oleacc" \
  names_through_oleacc

# The sheet at the screen's dpi, set in the prefix for this one run.
sheet_at_dpi() {
  local dpi=$1 log=$win/sheet-$1dpi.log status=0
  wine_set_dpi "$dpi"
  KV_EXPECT_DPI=$dpi gtest_under_wine "$log" "$win/tests/win32_tests.exe" \
    --gtest_filter='SheetDpiTest.*' || status=$?
  wine_set_dpi 96
  grep -E '^\[   INFO|^\[  (PASSED|FAILED) |Failure|Expected|Which is|trace' "$log" | sed 's/^/   /'
  return "$status"
}
for dpi in 144 192; do
  check "the sheet at $dpi dpi: controls where their dialog units put them, every text whole" \
    sheet_at_dpi "$dpi"
done

# Windows stretches the bitmaps of a program that does not say it scales
# itself.
declares_dpi_awareness() {
  grep -aq 'PerMonitorV2, PerMonitor' "$config" && grep -aq 'true/pm' "$config"
}
check "kv7700-config.exe declares per-monitor dpi awareness" declares_dpi_awareness
