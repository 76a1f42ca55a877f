# Sourced by scripts/windows-test: the distance plot in the running
# kv7700-config.exe, opened from the sheet's system menu by the keyboard
# (Alt+Space, P), given the keyboard, closed with Esc, and closed with the
# sheet; and its picture with high contrast on.
range_plot_from_menu() {
  local status=0
  local caption="KV7700 $(project_version), DLL 5.50, DeviceFW 4.10"
  timeout 240 "$wine" "$config" --simulate &
  local program=$!
  timeout 180 "$wine" "$win/ui/tools/kv7700-sheet-driver.exe" plot "$caption" | sed 's/^/   /' ||
    status=$?
  wait "$program" || { echo "   kv7700-config.exe ended with status $?"; status=1; }
  [ "$status" = 0 ]
}
check "kv7700-config.exe --simulate: Alt+Space, P opens the distance plot with the keyboard, Esc closes it, and it closes with the sheet" range_plot_from_menu

# Wine cannot turn high contrast on, so the picture comes from the plot's
# test, which answers "on" itself and sets the black theme's colours.
range_plot_high_contrast() {
  local bmp=$win/windows-range-plot-high-contrast.bmp log status=0
  rm -f "$bmp" "${bmp%.bmp}.png"
  log=$(KV7700_SCREENSHOT_DIR="Z:$(cd "$win" && pwd)" "$wine" "$win/tests/win32_tests.exe" \
    --gtest_filter='RangePlotWindowTest.HighContrast*' --gtest_color=no 2>&1) || status=$?
  grep -E '^\[  (PASSED|FAILED) |Failure' <<<"$log" | sed 's/^/   /' || true
  [ "$status" = 0 ] && [ -s "$bmp" ] && scripts/lib/bmp-to-png "$bmp" "${bmp%.bmp}.png" &&
    echo "   ${bmp%.bmp}.png"
}
check "the distance plot paints in the theme's colours with high contrast on (picture saved)" range_plot_high_contrast
