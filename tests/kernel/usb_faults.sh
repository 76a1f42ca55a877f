# Faults only a USB control pipe has, sourced by scenarios.sh: the USB
# sensor stalls, leaves unanswered, answers short or vanishes during the
# GET_REPORT a set reads the configuration with. Each set must fail with
# status 00020102 and write nothing, and the next command must work.
plug usb-faults --file /tmp/usb-faults.json --fault stall --fault short --fault timeout \
  --fault vanish
faults_pid=$pid
faults_log=$log

# Arms the sensor's next fault ($1) and runs the set that meets it; sets
# $status, $elapsed (seconds) and $faulted (the sensor's line on the fault).
set_meeting_fault() {
  faulted=
  kill -USR1 $faults_pid
  wait_for $faults_log 50 "^armed $1" || return
  start=$(date +%s)
  kv7700ctl set PingRateS=500 >$out 2>&1
  status=$?
  elapsed=$(($(date +%s) - start))
  faulted=$(grep "^fault $1" $faults_log | head -n 1)
  cat $faults_log >>$out
}
# True when the sensor still holds the factory PingRateS and shows it.
unchanged_and_working() {
  kv7700ctl --json show >>$out 2>&1 && grep -q '"PingRateS": *200' $out
}
failed_right() { [ $status = 1 ] && grep -q "status 00020102" $out && [ -n "$faulted" ]; }

name="[USB] a stalled GET_REPORT fails set with 00020102, nothing written, the next show works"
set_meeting_fault stall
if failed_right && unchanged_and_working; then pass "$name"
else fail "$name" "exit $status, fault '$faulted'" $out; fi

name="[USB] a short answer fails set with 00020102, nothing written, the next show works"
set_meeting_fault short
if failed_right && unchanged_and_working; then pass "$name"
else fail "$name" "exit $status, fault '$faulted'" $out; fi

# usbhid gives up after its 5 s control timeout; the sensor takes requests
# again once it says so.
name="[USB] a GET_REPORT that times out fails set with 00020102 after 5 s, nothing written, the next show works"
set_meeting_fault timeout
wait_for $faults_log 100 "^fault timeout: over"
if failed_right && [ "$elapsed" -ge 5 ] && unchanged_and_working; then pass "$name"
else fail "$name" "exit $status after ${elapsed}s, fault '$faulted'" $out; fi

# Pulled out while the host waits: the set fails at once, not after the
# control timeout; the sensor's file is written on the way out.
name="[USB] a pull in the middle of a read fails set at once with 00020102, nothing written"
set_meeting_fault vanish
wait $faults_pid
if failed_right && [ "$elapsed" -lt 5 ]; then
  plug usb-faults-again --file /tmp/usb-faults.json
  if unchanged_and_working; then pass "$name"
  else fail "$name" "changed, or the sensor plugged in again does not answer" $out; fi
  unplug $pid
else fail "$name" "exit $status after ${elapsed}s, fault '$faulted'" $out; fi
