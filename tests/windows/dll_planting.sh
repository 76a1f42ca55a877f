# Sourced by scripts/windows-test: a DLL placed beside a program under a
# system DLL's name is never loaded. kv7700ctl.exe takes HID.DLL and
# SETUPAPI.DLL from the system folder only; kv7700-config.exe imports no DLL
# but KnownDLLs and comctl32 and takes oleacc.dll from the system folder at
# run time, so a planted oleacc.dll stays unrun even before WinMain starts.

planted_dir=$PWD/$win/planted
# `program DLL ARGS...`: runs a copy of the program with the marking DLL
# beside it as DLL; true when the DLL left no mark (planted.loaded).
planted_not_loaded() {
  local program=$1 dll=$2
  shift 2
  rm -rf "$planted_dir"
  mkdir -p "$planted_dir"
  cp "$program" "$planted_dir/"
  cp "$win/tests/planted.dll" "$planted_dir/$dll"
  # Wine takes its own builtin DLLs before any file unless told otherwise.
  (cd "$planted_dir" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${dll%.dll}=n,b" timeout 120 "$wine" "./$(basename "$program")" "$@" >/dev/null 2>&1) || true
  if [ -e "$planted_dir/planted.loaded" ]; then
    echo "   the planted $dll was loaded"
    return 1
  fi
}
check "kv7700ctl.exe list loads no hid.dll from its own folder" \
  planted_not_loaded "$tool" hid.dll list
check "kv7700ctl.exe list loads no setupapi.dll from its own folder" \
  planted_not_loaded "$tool" setupapi.dll list

# The sheet shown with an emulated sensor and closed again by the driver's
# keyboard run, so the DLLs the sheet loads as it opens count too.
config_not_loading() {
  local dll=$1 driver=$PWD/$win/ui/tools/kv7700-sheet-driver.exe
  rm -rf "$planted_dir"
  mkdir -p "$planted_dir"
  cp "$config" "$planted_dir/"
  cp "$win/tests/planted.dll" "$planted_dir/$dll"
  (
    cd "$planted_dir"
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${dll%.dll}=n,b"
    timeout 240 "$wine" ./kv7700-config.exe --simulate="Z:$planted_dir/sensor.json" &
    timeout 180 "$wine" "$driver" smoke "$caption" 33 >/dev/null 2>&1
    wait $!
  ) >/dev/null 2>&1 || true
  if [ -e "$planted_dir/planted.loaded" ]; then
    echo "   the planted $dll was loaded"
    return 1
  fi
}
for dll in oleacc.dll; do
  check "kv7700-config.exe --simulate loads no $dll from its own folder" config_not_loading "$dll"
done
