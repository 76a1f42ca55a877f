# Sourced by scripts/windows-test: the distance plot in the running
# kv7700-config.exe, opened from the sheet's system menu by the keyboard and
# closed with the sheet.
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
check "kv7700-config.exe --simulate: the system menu opens the distance plot, which closes with the sheet" range_plot_from_menu
