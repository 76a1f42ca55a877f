# Sourced by scripts/windows-test: a DLL placed beside a program under a
# system DLL's name is never loaded. kv7700ctl.exe takes HID.DLL and
# SETUPAPI.DLL from the system folder only; kv7700-config.exe imports no DLL
# but KnownDLLs and comctl32 and takes oleacc.dll from the system folder at
# run time, so a planted oleacc.dll stays unrun even before WinMain starts.

planted_dir=$PWD/$win/planted
# `plant PROGRAM DLL`: a fresh folder with a copy of the program and the
# marking DLL beside it as DLL.
plant() {
  rm -rf "$planted_dir"
  mkdir -p "$planted_dir"
  cp "$1" "$planted_dir/"
  cp "$win/tests/planted.dll" "$planted_dir/$2"
}
# `marked DLL LOADED`: whether the DLL left its mark (planted.loaded) is as
# LOADED (yes or no) says.
marked() {
  local left=no
  [ -e "$planted_dir/planted.loaded" ] && left=yes
  [ "$left" = "$2" ] || { echo "   the planted $1 left a mark: $left"; return 1; }
}
# `planted_run STATUS LOADED PROGRAM DLL ARGS...`: runs the planted copy; true
# when it ended with STATUS (so it did start and do its work) and the DLL's
# mark is as LOADED says.
planted_run() {
  local expected=$1 loaded=$2 program=$3 dll=$4 status=0
  shift 4
  plant "$program" "$dll"
  # Wine takes its own builtin DLLs before any file unless told otherwise.
  (cd "$planted_dir" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${dll%.dll}=n,b" timeout 120 "$wine" "./$(basename "$program")" "$@" >/dev/null 2>&1) || status=$?
  [ "$status" = "$expected" ] ||
    { echo "   $(basename "$program") ended with status $status, not $expected"; return 1; }
  marked "$dll" "$loaded"
}
# The control: the planted DLL does leave its mark when a program takes it.
check "a program that loads hid.dll by name alone takes the planted one (the checks' control)" \
  planted_run 0 yes "$win/tests/kv7700-load-by-name.exe" hid.dll hid.dll
# Without a sensor, list ends with status 1 having asked both DLLs.
check "kv7700ctl.exe list loads no hid.dll from its own folder" \
  planted_run 1 no "$tool" hid.dll list
check "kv7700ctl.exe list loads no setupapi.dll from its own folder" \
  planted_run 1 no "$tool" setupapi.dll list

# The sheet shown with an emulated sensor and closed again by the driver's
# keyboard run, so the DLLs the sheet loads as it opens count too. Both
# programs must end well, or the sheet never opened.
config_not_loading() {
  local dll=$1 driver=$PWD/$win/ui/tools/kv7700-sheet-driver.exe status=0
  plant "$config" "$dll"
  (
    cd "$planted_dir"
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${dll%.dll}=n,b"
    timeout 240 "$wine" ./kv7700-config.exe --simulate="Z:$planted_dir/sensor.json" &
    program=$!
    ended=0
    timeout 180 "$wine" "$driver" smoke "$caption" 33 || ended=$?
    wait $program || ended=$?
    exit $ended
  ) >/dev/null 2>&1 || status=$?
  [ "$status" = 0 ] || { echo "   the sheet or its driver ended with status $status"; return 1; }
  marked "$dll" no
}
for dll in oleacc.dll; do
  check "kv7700-config.exe --simulate loads no $dll from its own folder" config_not_loading "$dll"
done
