#!/usr/bin/env bash
# The Qt window, driven from outside, while another program writes its sensor
# between the window's read and its write: the window asks before writing,
# and the answer decides what the sensor keeps (Yes: both programs' changes,
# No: the window's values over the other program's, Cancel: nothing).
#
#   compare_before_write.sh DRIVE_WINDOW KV7700CTL yes|no|cancel
set -euo pipefail
drive=$1
ctl=$2
answer=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sensor=$dir/sensor.json
window=$dir/window.log
# kv7700ctl spends the sensor's waits on a virtual clock; the window keeps
# the real one.
ctl() { KV7700_VIRTUAL_TIME=1 "$ctl" --simulate="$sensor" "$@"; }

field() {  # field NAME: the sensor's value, as kv7700ctl shows it now
  ctl --json show | sed -n "s/.*\"$1\": *\([0-9]*\).*/\1/p"
}

ctl show >/dev/null  # the sensor, factory-fresh
ping_before=$(field PingRateS)
min_before=$(field MinDistS)
{
  for _ in $(seq 600); do
    grep -q '^started:' "$window" 2>/dev/null && break
    sleep 0.1
  done
  ctl set PingRateS=400 >/dev/null
  echo written
} | timeout 120 "$drive" compare "$sensor" "$answer" 20 >"$window" 2>&1

sed 's/^/   window: /' "$window"
grep -q '^message: Another program changed the sonar settings' "$window" ||
  { echo "the window wrote without asking"; exit 1; }
[ "$(grep -c '^message:' "$window")" = 1 ] || { echo "one question expected"; exit 1; }

ping=$(field PingRateS)
min=$(field MinDistS)
echo "   sensor: PingRateS $ping_before -> $ping, MinDistS $min_before -> $min"
case $answer in
  yes) [ "$ping" = 400 ] && [ "$min" = 20 ] ;;
  no) [ "$ping" = "$ping_before" ] && [ "$min" = 20 ] ;;
  cancel) [ "$ping" = 400 ] && [ "$min" = "$min_before" ] ;;
esac
