#!/bin/sh
# Scenarios of the kernel test, run inside the guest against the real HID
# core, hidraw, uhid and udevd. Each prints one PASS or FAIL line; the last
# line counts them.
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS $1"; }
fail() {
  failed=$((failed + 1))
  echo "FAIL $1: $2"
  [ -n "$3" ] && sed 's/^/    | /' "$3"
}

# Starts a virtual device with the given options, its output in $1.log;
# sets $node to its hidraw node and $pid to its process.
plug() {
  log=/tmp/$1.log
  shift
  kv7700-uhid-sensor "$@" >"$log" 2>&1 &
  pid=$!
  node=
  for _ in $(seq 100); do
    node=$(sed -n 's/^ready //p' "$log")
    [ -n "$node" ] && break
    sleep 0.05
  done
}
unplug() { kill "$1" 2>/dev/null; wait "$1" 2>/dev/null; }
# Waits up to $2 tenths of a second for the text $3 in the file $1.
wait_for() {
  for _ in $(seq "$2"); do
    grep -q "$3" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# A foreign HID device (a security key), present through every scenario:
# nothing may open it.
plug foreign --vendor 1234 --product 5678
foreign_pid=$pid
foreign_node=$node

# --- One sensor for the basic commands ---
plug sensor --file /tmp/sensor.json
sensor_pid=$pid
sensor_node=$node

out=/tmp/out
if kv7700ctl list >$out 2>&1 && grep -q "^0  $sensor_node  18c8:2bfa  firmware 4.10" $out &&
   [ "$(grep -c . $out)" = 1 ]; then
  pass "list names the one sensor"
else fail "list names the one sensor" "expected '0  $sensor_node  18c8:2bfa  firmware 4.10'" $out; fi

# A fresh sensor file holds the factory configuration, as a fresh emulated
# sensor does: every line of the four records must match.
kv7700ctl --simulate show 2>&1 | tail -n +2 >/tmp/factory.show
if kv7700ctl show >$out 2>&1 && tail -n +2 $out | cmp -s - /tmp/factory.show &&
   [ "$(grep -c . /tmp/factory.show)" -gt 48 ]; then
  pass "show reads the four records"
else fail "show reads the four records" "exit, or records unlike a factory-fresh sensor's" $out; fi

if kv7700ctl set PingRateS=300 MaxDistS=40 >$out 2>&1 &&
   kv7700ctl --json show >$out 2>&1 && grep -q '"PingRateS": *300' $out &&
   grep -q '"MaxDistS": *40' $out; then
  pass "set, then show in a new process"
else fail "set, then show in a new process" "values not kept" $out; fi

# The virtual sensor's target stands 36 inches away, inside 14 to 40.
if kv7700ctl range >$out 2>&1 && grep -qx "InRange: 36 inches" $out; then
  pass "range reads a distance"
else fail "range reads a distance" "no reading" $out; fi

if udevadm info "$sensor_node" >$out 2>&1 && grep -q "^E: TAGS=.*:uaccess:" $out; then
  pass "the rule tags the sensor's node with uaccess"
else fail "the rule tags the sensor's node with uaccess" "no uaccess tag" $out; fi

if udevadm info "$foreign_node" >$out 2>&1 && ! grep -q "uaccess" $out; then
  pass "the rule leaves a foreign device untagged"
else fail "the rule leaves a foreign device untagged" "tagged" $out; fi

su -p -s /bin/sh user -c "kv7700ctl list" >$out 2>&1
status=$?
if [ $status = 1 ] && grep -q "$sensor_node" $out && grep -q "70-kv7700.rules" $out; then
  pass "a user without access is told about the rule"
else fail "a user without access is told about the rule" "exit $status" $out; fi
unplug $sensor_pid

# Unplugging writes the sensor's file; plugged in again, it kept the set.
plug again --file /tmp/sensor.json
if kv7700ctl --json show >$out 2>&1 && grep -q '"PingRateS": *300' $out; then
  pass "the virtual sensor's file keeps its configuration"
else fail "the virtual sensor's file keeps its configuration" "value lost" $out; fi

# The sensor is busy for 2 s after a memory command and answers stale reports
# until then: the values read back show that the tool waited.
if kv7700ctl reset >$out 2>&1 && grep -q "PingRateS *300 -> 200" $out &&
   kv7700ctl --json show >$out 2>&1 && grep -q '"PingRateS": *200' $out; then
  pass "reset reads the factory configuration back"
else fail "reset reads the factory configuration back" "not reset, or read back too soon" $out; fi
unplug $pid

# --- A sensor that answers short reports, beside a sound one ---
plug sound
sound_pid=$pid
sound_node=$node
plug short --answer-bytes 5
short_pid=$pid
short_node=$node
kv7700ctl list >$out 2>&1
status=$?
if [ $status = 1 ] && grep -q "$sound_node" $out && grep -q "$short_node.*00020102" $out; then
  pass "list lists both and exits 1 when a sensor cannot be read"
else fail "list lists both and exits 1 when a sensor cannot be read" "exit $status" $out; fi
short_index=$(sed -n "s|^\([0-9]*\)  $short_node  .*|\1|p" $out)
kv7700ctl --device "${short_index:-1}" show >$out 2>&1
status=$?
if [ $status = 1 ] && grep -q "00020102" $out; then
  pass "show on short reports fails with status 00020102"
else fail "show on short reports fails with status 00020102" "exit $status" $out; fi
unplug $short_pid
unplug $sound_pid

# --- Two programs at one sensor: they take turns ---
plug shared --file /tmp/shared.json
shared_pid=$pid
shared_node=$node
kv7700ctl set PingRateS=300 MaxDistS=40 >/dev/null 2>&1
kv7700ctl --json show >/tmp/expected.json 2>&1
kv7700ctl range >/tmp/expected.range 2>&1
(for i in 1 2 3 4; do kv7700ctl --json show >/tmp/show.$i 2>&1; echo $? >>/tmp/show.status; done) &
shows=$!
(for i in $(seq 12); do kv7700ctl range >/tmp/range.$i 2>&1; echo $? >>/tmp/range.status; done) &
ranges=$!
wait $shows $ranges
wrong=
for i in 1 2 3 4; do cmp -s /tmp/show.$i /tmp/expected.json || wrong="$wrong show.$i"; done
for i in $(seq 12); do cmp -s /tmp/range.$i /tmp/expected.range || wrong="$wrong range.$i"; done
statuses=$(sort -u /tmp/show.status /tmp/range.status | tr '\n' ' ')
if [ -z "$wrong" ] && [ "$statuses" = "0 " ]; then
  pass "four shows beside twelve ranges read what the sensor holds"
else
  cat /tmp/show.* /tmp/range.* >$out 2>/dev/null
  fail "four shows beside twelve ranges read what the sensor holds" "wrong:$wrong exits: $statuses" $out
fi

# The plug-in service's apply beside a set that reads its write back.
kv7700ctl save /tmp/site.txt >/dev/null 2>&1
sed -i 's/^PingRateS = [0-9]*/PingRateS = 400/' /tmp/site.txt
KV7700_POLICY=/tmp/site.txt KV7700_APPLY_LOCK=/tmp/apply.lock kv7700-apply "$shared_node" \
  >/tmp/apply.out 2>&1 &
apply_pid=$!
kv7700ctl set --verify InterKeyDelayWA=640 >/tmp/set.out 2>&1
set_status=$?
wait $apply_pid
apply_status=$?
cat /tmp/apply.out /tmp/set.out >$out
if [ $apply_status = 0 ] && [ $set_status = 0 ] && kv7700ctl --json show >>$out 2>&1 &&
   grep -q '"PingRateS": *400' $out; then
  pass "the service's apply beside a verified set: both succeed"
else fail "the service's apply beside a verified set: both succeed" \
  "apply $apply_status, set $set_status" $out; fi

unplug $shared_pid
violations=$(sed -n 's/^protocol violations: //p' /tmp/shared.log)
echo "shared sensor: protocol violations: $violations"
case $violations in
  "0 "*) pass "the shared sensor saw every request followed by its own answer" ;;
  *) fail "the shared sensor saw every request followed by its own answer" "$violations" /tmp/shared.log ;;
esac

# --- Hot-plug with udevd ---
mon=/tmp/monitor
timeout 20 kv7700ctl monitor --count 2 >$mon 2>&1 &
monitor_pid=$!
wait_for $mon 50 "watching"
plug hot-plug
wait_for $mon 30 "plugged in: $node"
unplug $pid
wait $monitor_pid
status=$?
if [ $status = 0 ] && grep -q "sensor plugged in: $node\$" $mon &&
   grep -q "sensor pulled out: $node" $mon; then
  pass "monitor sees a sensor plugged in and pulled out"
else fail "monitor sees a sensor plugged in and pulled out" "exit $status" $mon; fi

# A sensor plugged while monitor still reads the one present at its start is
# announced once, not a second time by the enumeration.
plug present --trace
present_pid=$pid
timeout 20 kv7700ctl monitor >$mon 2>&1 &
monitor_pid=$!
# Its enumeration is under way once it reads the present sensor, for 1.75 s.
if wait_for /tmp/present.log 50 "^set "; then
  plug late
  late_pid=$pid
  announced=no
  wait_for $mon 50 "sensor plugged in: $node\$" && announced=yes
  # A second announcement would follow the enumeration's read within 2 s.
  sleep 3
  kill $monitor_pid 2>/dev/null
  wait $monitor_pid 2>/dev/null
  count=$(grep -c "sensor plugged in: $node\$" $mon)
  if [ $announced = yes ] && [ "$count" = 1 ]; then
    pass "monitor announces a sensor plugged during its start, once"
  else fail "monitor announces a sensor plugged during its start, once" "announced $count times" $mon; fi
  unplug $late_pid
else
  kill $monitor_pid 2>/dev/null
  fail "monitor announces a sensor plugged during its start, once" "monitor never read the present sensor" /tmp/present.log
fi
unplug $present_pid

# --- Checked last: nothing above may have opened the foreign device ---
if [ -n "$foreign_node" ] && ! grep -q "^opened" /tmp/foreign.log; then
  pass "no command opened the foreign HID device"
else fail "no command opened the foreign HID device" "it was opened (node '$foreign_node')" /tmp/foreign.log; fi
unplug $foreign_pid

echo "$passed passed, $failed failed"
