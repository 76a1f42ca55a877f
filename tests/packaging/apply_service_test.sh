#!/usr/bin/env bash
# The plug-in service without systemd: the script its unit runs, given a
# sensor's path, applies the site policy to that sensor through kv7700ctl on
# an emulated sensor; a missing, unreadable or refused policy, or a lock held
# by another arrival, writes nothing and says why; a sensor another program
# keeps is tried once more. Then systemd-analyze verify checks the unit
# (skipped when it is not installed).
#
# apply_service_test.sh KV7700CTL SOURCE_DIR
set -uo pipefail

tool=$1
source_dir=$2
script=$source_dir/packaging/kv7700-apply
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KV7700_VIRTUAL_TIME=1 KV7700CTL="$tool" KV7700_APPLY_LOCK="$work/lock"
sensor=$work/sensor.json
export KV7700CTL_OPTIONS="--simulate=$sensor --trace"
path=/dev/hidraw-emu0  # where the emulated sensor is plugged in
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run NAME POLICY [PATH]: the script's exit status in $status, its output in
# $work/out.
run() {
  KV7700_POLICY=$2 "$script" "${3:-$path}" >"$work/out" 2>&1
  status=$?
}

expect() {  # expect NAME STATUS TEXT...
  local name=$1 want=$2
  shift 2
  [ "$status" -eq "$want" ] || fail "$name: exit status $status, expected $want"
  for text in "$@"; do
    grep -qF -- "$text" "$work/out" || fail "$name: no '$text' in: $(cat "$work/out")"
  done
}

commits() { grep -c '^set 00 90' "$work/out"; }

printf 'PingRateS = 500\nKeyCountWA = 2\nKey2CodeWA = 4\n' >"$work/site.txt"
printf 'PingRateS = 150\nKeyCountWA = 3\n' >"$work/refused.txt"
mkdir "$work/folder.txt"

run first "$work/site.txt" hidraw-emu0
expect "first arrival" 0 "applying $work/site.txt to $path" "$path): changed"
[ "$(commits)" -eq 1 ] || fail "first arrival: $(commits) commits, expected 1"

run again "$work/site.txt"
expect "second arrival" 0 "$path): unchanged"
[ "$(commits)" -eq 0 ] || fail "second arrival wrote to the sensor"

run missing "$work/none.txt"
expect "missing policy" 1 "the site policy $work/none.txt is missing; nothing was written"
run unreadable "$work/folder.txt"
expect "unreadable policy" 1 "is not a readable file; nothing was written"
run refused "$work/refused.txt"
expect "refused policy" 1 "SetSonarParms refused the tsSonarParms" "Nothing was written to sensor 0"
[ "$(commits)" -eq 0 ] || fail "refused policy wrote to the sensor"
run elsewhere "$work/site.txt" /dev/hidraw99
expect "another path" 1 "no sensor is open at /dev/hidraw99" "failed (kv7700ctl exit status 1)"

# An arrival whose apply still runs holds the lock: the next one waits and,
# given no time, gives up without writing.
exec 8>>"$work/lock"
flock 8
KV7700_APPLY_WAIT=0 run locked "$work/site.txt"
expect "lock held" 1 "another apply held $work/lock"
exec 8>&-

# A sensor another program keeps past kv7700ctl's wait (20 s, at once on
# virtual time) is logged and tried once more, then given up.
exec 7>>"$sensor.lock"
flock 7
run busy "$work/site.txt"
expect "sensor in use" 1 "is in use by" "was in use by another program; trying once more"
[ "$(grep -c 'is in use by' "$work/out")" -eq 2 ] || fail "sensor in use: not tried exactly twice"
exec 7>&-

# Nothing above changed the sensor after the first arrival.
"$tool" "--simulate=$sensor" --json show >"$work/out" 2>&1
grep -q '"PingRateS": 500' "$work/out" || fail "the sensor lost the policy: $(cat "$work/out")"
grep -q '"KeyCountWA": 2' "$work/out" || fail "the refused policy reached the sensor"

if command -v systemd-analyze >/dev/null; then
  units=$work/units
  mkdir "$units"
  sed "s|@KV_APPLY_SCRIPT@|$script|" "$source_dir/packaging/kv7700-apply@.service.in" \
    >"$units/kv7700-apply@.service"
  # The manual page is installed with the package, not here.
  systemd-analyze verify --man=no "$units/kv7700-apply@hidraw3.service" >"$work/out" 2>&1 ||
    fail "systemd-analyze verify: $(cat "$work/out")"
else
  echo "systemd-analyze is not installed: the unit was not verified"
fi

[ "$failures" -eq 0 ] && echo "PASS: the plug-in service" && exit 0
exit 1
