# Sourced by scripts/windows-test: `kv7700ctl.exe monitor` follows an arrival
# whichever character set the system's record is in (Wine sends the UTF-16
# record to a window registered for the ANSI one).
monitor_follows_both_records() {
  local path='\\?\HID#VID_18C8&PID_2BFA#7&1&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}'
  local out=$win/monitor-records.json status=0 form
  timeout 60 "$wine" "$tool" --json monitor --count 2 >"$out" 2>/dev/null &
  local monitor=$!
  for form in ansi wide; do
    timeout 60 "$wine" "$win/tests/kv7700-device-broadcast.exe" "$form" "$path" || status=1
  done
  wait "$monitor" || { echo "   monitor ended with status $?"; status=1; }
  # Both arrivals name the whole path (no sensor is behind it, so neither opens).
  local named
  named=$(tr -d '\r' <"$out" | grep -cF '"path":"\\\\?\\HID#VID_18C8&PID_2BFA#7&1&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}"') || true
  echo "   arrivals with the whole path: $named of 2"
  [ "$status" = 0 ] && [ "$named" = 2 ]
}
check "monitor follows an arrival record in ANSI and in UTF-16" monitor_follows_both_records
