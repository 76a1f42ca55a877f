#!/bin/sh
# Scenarios of the kernel test, run inside the guest against the real HID
# core, hidraw, udevd and two transports: uhid, and a USB bus (dummy_hcd with
# usbhid). The core scenarios run on both; uhid takes the ones that need
# several sensors at once (one USB gadget at a time) and the USB sensor the
# faults only a USB control pipe has. Each prints one PASS or FAIL line
# naming its transport; the last line counts them.
. "$(dirname "$0")/checks.sh"

out=/tmp/out

# A foreign HID device (a security key), present through every scenario:
# nothing may open it.
plug foreign --vendor 1234 --product 5678
foreign_pid=$pid
foreign_node=$node

transport=uhid
. /transport_scenarios.sh

if udevadm info "$foreign_node" >$out 2>&1 && ! grep -q "uaccess" $out; then
  pass "[uhid] the rule leaves a foreign device untagged"
else fail "[uhid] the rule leaves a foreign device untagged" "tagged" $out; fi

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
  pass "[uhid] list lists both and exits 1 when a sensor cannot be read"
else fail "[uhid] list lists both and exits 1 when a sensor cannot be read" "exit $status" $out; fi
short_index=$(sed -n "s|^\([0-9]*\)  $short_node  .*|\1|p" $out)
kv7700ctl --device "${short_index:-1}" show >$out 2>&1
status=$?
if [ $status = 1 ] && grep -q "00020102" $out; then
  pass "[uhid] show on short reports fails with status 00020102"
else fail "[uhid] show on short reports fails with status 00020102" "exit $status" $out; fi
unplug $short_pid
unplug $sound_pid

# --- Two programs at one sensor: they take turns ---
plug shared --file /tmp/shared.json
shared_pid=$pid
shared_node=$node
kv7700ctl set PingRateS=300 MaxDistS=40 >/dev/null 2>&1
kv7700ctl --json show >/tmp/expected.json 2>&1
kv7700ctl range >/tmp/expected.range 2>&1
(for i in 1 2 3; do kv7700ctl --json show >/tmp/show.$i 2>&1; echo $? >>/tmp/show.status; done) &
shows=$!
(for i in $(seq 6); do kv7700ctl range >/tmp/range.$i 2>&1; echo $? >>/tmp/range.status; done) &
ranges=$!
wait $shows $ranges
wrong=
for i in 1 2 3; do cmp -s /tmp/show.$i /tmp/expected.json || wrong="$wrong show.$i"; done
for i in $(seq 6); do cmp -s /tmp/range.$i /tmp/expected.range || wrong="$wrong range.$i"; done
statuses=$(sort -u /tmp/show.status /tmp/range.status | tr '\n' ' ')
if [ -z "$wrong" ] && [ "$statuses" = "0 " ]; then
  pass "[uhid] three shows beside six ranges read what the sensor holds"
else
  cat /tmp/show.* /tmp/range.* >$out 2>/dev/null
  fail "[uhid] three shows beside six ranges read what the sensor holds" "wrong:$wrong exits: $statuses" $out
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
  pass "[uhid] the service's apply beside a verified set: both succeed"
else fail "[uhid] the service's apply beside a verified set: both succeed" \
  "apply $apply_status, set $set_status" $out; fi

# A fair turn: a set beside readings back to back gets the sensor after one
# reading, not after the 20 s wait.
kv7700ctl range --count 80 >/tmp/ranges.out 2>&1 &
ranges_pid=$!
sleep 1
set_start=$(date +%s)
kv7700ctl set PingRateS=350 >/tmp/set.out 2>&1
set_status=$?
set_seconds=$(($(date +%s) - set_start))
kill $ranges_pid 2>/dev/null
wait $ranges_pid 2>/dev/null
if [ $set_status = 0 ] && [ "$set_seconds" -le 10 ]; then
  pass "[uhid] a set beside back-to-back readings is written within ${set_seconds} s"
else fail "[uhid] a set beside back-to-back readings is written within a few seconds" \
  "exit $set_status after $set_seconds s" /tmp/set.out; fi

# Two programs change different fields of one record at once: both kept.
lost=
for round in 1 2 3; do
  kv7700ctl set PingRateS=$((300 + round * 20)) >/tmp/set.a 2>&1 &
  a_pid=$!
  kv7700ctl set StartDlyS=$((round * 10)) >/tmp/set.b 2>&1
  b_status=$?
  wait $a_pid
  a_status=$?
  kv7700ctl --json show >/tmp/round.json 2>&1
  if [ $a_status != 0 ] || [ $b_status != 0 ] ||
     ! grep -q "\"PingRateS\": *$((300 + round * 20))" /tmp/round.json ||
     ! grep -q "\"StartDlyS\": *$((round * 10))" /tmp/round.json; then
    lost="$lost $round"
    cat /tmp/set.a /tmp/set.b /tmp/round.json >>$out
  fi
done
if [ -z "$lost" ]; then
  pass "[uhid] two sets of one record at once keep both changes, three rounds"
else fail "[uhid] two sets of one record at once keep both changes, three rounds" \
  "lost in round$lost" $out; fi

unplug $shared_pid
violations=$(sed -n 's/^protocol violations: //p' /tmp/shared.log)
echo "shared sensor: protocol violations: $violations"
case $violations in
  "0 "*) pass "[uhid] the shared sensor saw every request followed by its own answer" ;;
  *) fail "[uhid] the shared sensor saw every request followed by its own answer" "$violations" /tmp/shared.log ;;
esac

# --- Hot-plug with udevd ---
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
    pass "[uhid] monitor announces a sensor plugged during its start, once"
  else fail "[uhid] monitor announces a sensor plugged during its start, once" "announced $count times" $mon; fi
  unplug $late_pid
else
  kill $monitor_pid 2>/dev/null
  fail "[uhid] monitor announces a sensor plugged during its start, once" "monitor never read the present sensor" /tmp/present.log
fi
unplug $present_pid

# --- The same on a USB bus, and the faults of a USB control pipe ---
transport=USB
. /transport_scenarios.sh
. /usb_faults.sh
transport=uhid

# --- Checked last: nothing above may have opened the foreign device ---
if [ -n "$foreign_node" ] && ! grep -q "^opened" /tmp/foreign.log; then
  pass "[uhid] no command opened the foreign HID device"
else fail "[uhid] no command opened the foreign HID device" "it was opened (node '$foreign_node')" /tmp/foreign.log; fi
unplug $foreign_pid

echo "$passed passed, $failed failed"
