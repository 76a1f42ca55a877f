# The core scenarios, run once per transport: sourced by scenarios.sh with
# $transport set to "uhid" or "USB" (plug starts that transport's sensor).
# Each PASS or FAIL line names the transport.
t="[$transport]"

plug sensor-$transport --file /tmp/sensor-$transport.json
sensor_pid=$pid
sensor_node=$node

out=/tmp/out
if kv7700ctl list >$out 2>&1 && grep -q "^0  $sensor_node  18c8:2bfa  firmware 4.10" $out &&
   [ "$(grep -c . $out)" = 1 ]; then
  pass "$t list names the one sensor"
else fail "$t list names the one sensor" "expected '0  $sensor_node  18c8:2bfa  firmware 4.10'" $out; fi

# A fresh sensor file holds the factory configuration, as a fresh emulated
# sensor does: every line of the four records must match.
kv7700ctl --simulate show 2>&1 | tail -n +2 >/tmp/factory.show
if kv7700ctl show >$out 2>&1 && tail -n +2 $out | cmp -s - /tmp/factory.show &&
   [ "$(grep -c . /tmp/factory.show)" -gt 48 ]; then
  pass "$t show reads the four records"
else fail "$t show reads the four records" "exit, or records unlike a factory-fresh sensor's" $out; fi

if kv7700ctl set PingRateS=300 MaxDistS=40 >$out 2>&1 &&
   kv7700ctl --json show >$out 2>&1 && grep -q '"PingRateS": *300' $out &&
   grep -q '"MaxDistS": *40' $out; then
  pass "$t set, then show in a new process"
else fail "$t set, then show in a new process" "values not kept" $out; fi

# The virtual sensor's target stands 36 inches away, inside 14 to 40.
if kv7700ctl range >$out 2>&1 && grep -qx "InRange: 36 inches" $out; then
  pass "$t range reads a distance"
else fail "$t range reads a distance" "no reading" $out; fi

if udevadm info "$sensor_node" >$out 2>&1 && grep -q "^E: TAGS=.*:uaccess:" $out; then
  pass "$t the rule tags the sensor's node with uaccess"
else fail "$t the rule tags the sensor's node with uaccess" "no uaccess tag" $out; fi

# On a USB bus the node's parents are the interface and the USB device, with
# the identity a real sensor shows there.
if [ "$transport" = USB ]; then
  if udevadm info -a "$sensor_node" >$out 2>&1 && grep -q 'SUBSYSTEMS=="usb"' $out &&
     grep -q 'ATTRS{idVendor}=="18c8"' $out && grep -q 'ATTRS{idProduct}=="2bfa"' $out &&
     grep -q 'ATTRS{bInterfaceProtocol}=="01"' $out; then
    pass "$t the node sits under a USB keyboard interface of 18c8:2bfa"
  else fail "$t the node sits under a USB keyboard interface of 18c8:2bfa" "parents" $out; fi
fi

su -p -s /bin/sh user -c "kv7700ctl list" >$out 2>&1
status=$?
if [ $status = 1 ] && grep -q "$sensor_node" $out && grep -q "70-kv7700.rules" $out; then
  pass "$t a user without access is told about the rule"
else fail "$t a user without access is told about the rule" "exit $status" $out; fi
unplug $sensor_pid

# Each request's answer fetched after it and after the sensor's 250 ms, as
# the sensor saw them: on USB the sensor learns of a request only after the
# host's call has ended.
violations=$(sed -n 's/^protocol violations: //p' /tmp/sensor-$transport.log)
case $violations in
  "0 "*) pass "$t the sensor saw every answer fetched in time" ;;
  *) fail "$t the sensor saw every answer fetched in time" "$violations" /tmp/sensor-$transport.log ;;
esac

# Unplugging writes the sensor's file; plugged in again, it kept the set.
plug again-$transport --file /tmp/sensor-$transport.json
if kv7700ctl --json show >$out 2>&1 && grep -q '"PingRateS": *300' $out; then
  pass "$t the virtual sensor's file keeps its configuration"
else fail "$t the virtual sensor's file keeps its configuration" "value lost" $out; fi

# The sensor is busy for 2 s after a memory command and answers stale reports
# until then: the values read back show that the tool waited.
if kv7700ctl reset >$out 2>&1 && grep -q "PingRateS *300 -> 200" $out &&
   kv7700ctl --json show >$out 2>&1 && grep -q '"PingRateS": *200' $out; then
  pass "$t reset reads the factory configuration back"
else fail "$t reset reads the factory configuration back" "not reset, or read back too soon" $out; fi
unplug $pid

# --- Hot-plug with udevd ---
mon=/tmp/monitor-$transport
timeout 30 kv7700ctl monitor --count 2 >$mon 2>&1 &
monitor_pid=$!
wait_for $mon 50 "watching"
plug hot-plug-$transport
wait_for $mon 30 "plugged in: $node"
unplug $pid
wait $monitor_pid
status=$?
if [ $status = 0 ] && grep -q "sensor plugged in: $node\$" $mon &&
   grep -q "sensor pulled out: $node" $mon; then
  pass "$t monitor sees a sensor plugged in and pulled out"
else fail "$t monitor sees a sensor plugged in and pulled out" "exit $status" $mon; fi
