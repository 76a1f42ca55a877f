# Sourced by scripts/windows-test: a hid.dll or setupapi.dll placed beside
# kv7700ctl.exe is never loaded: the library takes HID.DLL and SETUPAPI.DLL
# from the system folder only (kv7700-config.exe loads them the same way).

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
  (cd "$planted_dir" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;hid,setupapi=n,b" timeout 120 "$wine" "./$(basename "$program")" "$@" >/dev/null 2>&1) || true
  if [ -e "$planted_dir/planted.loaded" ]; then
    echo "   the planted $dll was loaded"
    return 1
  fi
}
check "kv7700ctl.exe list loads no hid.dll from its own folder" \
  planted_not_loaded "$tool" hid.dll list
check "kv7700ctl.exe list loads no setupapi.dll from its own folder" \
  planted_not_loaded "$tool" setupapi.dll list
