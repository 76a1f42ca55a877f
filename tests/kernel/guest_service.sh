#!/bin/sh
# The plug-in service's checks of the guest programs test, sourced by
# guest_programs.sh when scripts/guest-programs-test brought the .msi (all
# but GUEST_SERVICE_CHECKS=0).

# The plug-in service from the .msi, installed silently once (before the
# transports, and stopped again so that it stays out of the other checks):
# on each transport the site file in %ProgramData%\KV7700 reaches a sensor
# present when the service starts and one plugged in afterwards (read back
# by the Linux tool), and a file the library refuses writes nothing and is
# logged. Wine's event log keeps nothing: the service copies its events to a
# file (a start argument), one line each, the id and its strings between
# tabs.
site=$WINEPREFIX/drive_c/ProgramData/KV7700/site.txt
events=$WINEPREFIX/drive_c/events.txt
tab=$(printf '\t')
svc() { timeout 120 $wine sc "$@" >/dev/null 2>&1; }
# The service's state, empty when sc gave no answer: under TCG, with a
# build beside the guest, one query has taken over 30 s.
svc_state() { timeout 90 $wine sc query KV7700Apply 2>/dev/null | tr -d '\r' | sed -n 's/^ *STATE *: *[0-9]* *//p'; }
uptime_s() { cut -d. -f1 /proc/uptime; }
# Waits up to $2 seconds for the service to be in state $1 (a stop waits
# for the sensor under way, a start for the service to report RUNNING);
# leaves the last state seen in $state.
svc_wait() {
  until_s=$(($(uptime_s) + $2))
  while state=$(svc_state); [ "$state" != "$1" ]; do
    [ "$(uptime_s)" -lt "$until_s" ] || return 1
    sleep 1
  done
}
svc_stop() {
  svc stop KV7700Apply
  svc_wait STOPPED 120
}
svc_start() {
  rm -f "$events"
  svc start KV7700Apply '--event-file=C:\events.txt'
}
# Waits up to $2 seconds for an event line matching $1.
wait_event() {
  for _ in $(seq "$2"); do
    tr -d '\r' <"$events" 2>/dev/null | grep -qi "$1" && return 0
    sleep 1
  done
  return 1
}
# A sensor's settings as the Linux tool shows them, its node put aside.
settings() { kv7700ctl --json show 2>&1 | grep -v '"path":'; }

service_install() {
  # The prefix is shared over 9p, whose files Wine cannot run code from
  # reliably: the service, installed there, faulted in its own .text right
  # after reporting START_PENDING (nested access violations to a stack
  # overflow), and msiexec's StartServices failed with 1627. Its folder is
  # in the guest's memory, as /opt/kv7700 is.
  installed="$WINEPREFIX/drive_c/Program Files/KV7700"
  mkdir -p "$installed"
  mount -t tmpfs tmpfs "$installed"
  # Wine stays up from here on, as a Windows machine stays booted: when the
  # last program ends, wineserver goes, and the next Wine command boots the
  # prefix again, starting every automatic service: the plug-in service
  # stopped below would be running again in the checks that follow.
  /usr/lib/wine/wineserver -p >/dev/null 2>&1
  status=0
  timeout 300 $wine msiexec /i 'Z:\opt\kv7700\kv7700.msi' /qn >/dev/null 2>&1 || status=$?
  svc_wait RUNNING 180
  state=${state:-"not answering sc query"}
  note "msiexec /i /qn ended with status $status, the service $state"
  if [ $status = 0 ] && [ "$state" = RUNNING ] && [ -d "$(dirname "$site")" ]; then
    pass "[service] msiexec /i /qn installs and starts the service"  # once
  else fail "[service] msiexec /i /qn installs and starts the service" "status $status, service $state" /dev/null; fi
  svc_stop
}

service_checks() {
  v="[$transport] [service]"
  wine_lets_go
  printf 'MaxDistS = 43\r\nPingRateS = 400\r\n' >"$site"
  # Present at the start: factory-fresh, and read once before the service
  # starts (the refused file's check compares with it).
  plug sensor --file /tmp/$transport-service.json
  present_pid=$pid
  for _ in $(seq 30); do windows_tool list | grep -qi 'vid_18c8&pid_2bfa' && break; sleep 1; done
  settings >/tmp/fresh
  svc_start
  wait_event "^10[0-9]$tab" 120
  kv7700ctl --json show >$out 2>&1
  tr -d '\r' <"$events" >>$out 2>/dev/null
  if grep -q '"MaxDistS": *43' $out && grep -q '"PingRateS": *400' $out &&
     grep -qi "^100$tab\\\\\\\\?\\\\hid#vid_18c8&pid_2bfa.*${tab}tsSonarParms\$" $out; then
    pass "$v a sensor present at the service's start holds the site's settings (event 100)"
  else fail "$v a sensor present at the service's start holds the site's settings (event 100)" "not applied" $out; fi
  unplug $present_pid
  wine_lets_go
  # Plugged in afterwards, factory-fresh.
  rm -f "$events"
  plug arrival
  arrival_pid=$pid
  wait_event "^10[0-9]$tab\\\\\\\\?\\\\hid#vid_18c8" 180
  kv7700ctl --json show >$out 2>&1
  tr -d '\r' <"$events" >>$out 2>/dev/null
  if grep -q '"MaxDistS": *43' $out && grep -qi "^100$tab\\\\\\\\?\\\\hid#vid_18c8&pid_2bfa" $out; then
    pass "$v a sensor plugged in afterwards holds the site's settings (event 100)"
  else fail "$v a sensor plugged in afterwards holds the site's settings (event 100)" "not applied" $out; fi
  unplug $arrival_pid
  wine_lets_go
  # A file the library refuses (PingRateS below its limit): nothing
  # written, event 112. The sensor is read only once the service is done
  # with it: two programs on one sensor at once would garble each other's
  # exchanges.
  printf 'MaxDistS = 44\r\nPingRateS = 150\r\n' >"$site"
  rm -f "$events"
  plug refused
  refused_pid=$pid
  wait_event "^1[01][0-9]$tab" 180
  settings >$out
  cmp -s /tmp/fresh $out && unchanged=1 || unchanged=0
  tr -d '\r' <"$events" >>$out 2>/dev/null
  if [ $unchanged = 1 ] && grep -q "^112$tab.*refused the tsSonarParms" $out; then
    pass "$v a site file the library refuses writes nothing and is logged (event 112)"
  else
    { echo "A fresh sensor:"; cat /tmp/fresh; } >>$out
    fail "$v a site file the library refuses writes nothing and is logged (event 112)" "written or not logged" $out
  fi
  unplug $refused_pid
  wine_lets_go
  svc_stop
  note "the service's checks done"
}
