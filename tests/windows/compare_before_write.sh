# Sourced by scripts/windows-test: kv7700-config.exe driven from outside
# while kv7700ctl.exe writes its sensor between the sheet's read and its
# Apply. The sheet asks first; Yes keeps both programs' changes, No writes
# the sheet's values over the other program's, Cancel writes nothing.
compare_before_write() {
  local answer=$1 status=0 ping max expected
  local file=$PWD/$win/compare-sensor-$answer.json
  local caption="KV7700 $(project_version), DLL 5.50, DeviceFW 4.10"
  rm -f "$file" "$file.lock"
  "$linux_tool" --simulate="$file" show >/dev/null  # factory-fresh: PingRateS 200, MinDistS 14, MaxDistS 36
  timeout 240 "$wine" "$config" --simulate="Z:$file" &
  local program=$!
  timeout 180 "$wine" "$win/ui/tools/kv7700-sheet-driver.exe" compare "$caption" 33 "$answer" \
    "Z:$PWD/$tool --simulate=Z:$file set PingRateS=400" | sed 's/^/   /' || status=$?
  wait "$program" || { echo "   kv7700-config.exe ended with status $?"; status=1; }
  ping=$("$linux_tool" --simulate="$file" --json show | sed -n 's/.*"PingRateS": *\([0-9]*\).*/\1/p')
  max=$("$linux_tool" --simulate="$file" --json show | sed -n 's/.*"MaxDistS": *\([0-9]*\).*/\1/p')
  echo "   the sensor keeps PingRateS $ping, MaxDistS $max"
  case $answer in
    yes) expected="400 33" ;;
    no) expected="200 33" ;;
    cancel) expected="400 36" ;;
  esac
  [ "$status" = 0 ] && [ "$ping $max" = "$expected" ]
}
check "kv7700-config.exe asks before Apply writes over kv7700ctl.exe's change; Yes keeps both" compare_before_write yes
check "kv7700-config.exe asks before Apply writes over kv7700ctl.exe's change; No writes the sheet's values" compare_before_write no
check "kv7700-config.exe asks before Apply writes over kv7700ctl.exe's change; Cancel writes nothing" compare_before_write cancel
