#!/bin/sh
# What the guests' check scripts share: one PASS or FAIL line per check, and
# virtual sensors of the transport under test ($transport: uhid or USB)
# started and stopped. Sourced, beside the script that sources it.
passed=0
failed=0
# Each line ends with the guest's uptime, which shows where a slow run spends.
at() { cut -d' ' -f1 /proc/uptime; }
pass() { passed=$((passed + 1)); echo "PASS $1 (at $(at) s)"; }
fail() {
  failed=$((failed + 1))
  echo "FAIL $1: $2 (at $(at) s)"
  [ -n "$3" ] && sed 's/^/    | /' "$3"
}

# Starts a virtual device of $transport with the given options, its output
# in $1.log; sets $node to its hidraw node and $pid to its process.
transport=uhid
plug() {
  log=/tmp/$1.log
  shift
  case $transport in
    USB) kv7700-usb-sensor "$@" >"$log" 2>&1 & ;;
    *) kv7700-uhid-sensor "$@" >"$log" 2>&1 & ;;
  esac
  pid=$!
  node=
  # A USB device is enumerated first, which takes a few seconds under TCG.
  for _ in $(seq 300); do
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
