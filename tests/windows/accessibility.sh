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
# itself. Per-monitor v2 rescales the pages' dialogs; where only v1 exists
# nothing would, so there the program is system aware (Wine reads neither:
# this checks what the manifest asks for, not what Windows makes of it).
declares_dpi_awareness() {
  grep -aq '>PerMonitorV2, System<' "$config" && grep -aq '>true</dpiAware>' "$config"
}
check "kv7700-config.exe declares per-monitor v2 dpi awareness, system awareness before" \
  declares_dpi_awareness

# Without supportedOS Windows runs a program with older behaviour.
declares_supported_windows() {
  local program id
  for program in "$config" "$tool"; do
    for id in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
      1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
      grep -aq "supportedOS Id=\"{$id}\"" "$program" || { echo "   $program: no $id"; return 1; }
    done
  done
}
check "kv7700-config.exe and kv7700ctl.exe list Windows 7, 8, 8.1 and 10/11 as supported" \
  declares_supported_windows
