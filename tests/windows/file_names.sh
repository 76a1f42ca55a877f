# Sourced by scripts/windows-test: template files named in any script, and
# past 260 characters, saved and restored by kv7700ctl.exe and by the
# configurator's Save To File / Restore From File, each name checked on disk
# from the Linux side.

names_dir=$PWD/$win/file-names
names_tool=$(realpath "$tool")
rm -rf "$names_dir"
mkdir -p "$names_dir/Москва"
long_folder=long/$(printf 'a%.0s' {1..70})/$(printf 'b%.0s' {1..70})/$(printf 'c%.0s' {1..70})
mkdir -p "$names_dir/$long_folder"
# The names, relative to $names_dir; the last is 300 characters long.
file_names=("Łódź.txt" "Москва/Łódź Москва 東京.txt" "東京.txt"
  "$long_folder/$(printf 'd%.0s' {1..84}).txt")

# A sensor with a changed setting, whose saved file every name must hold.
"$linux_tool" --simulate="$names_dir/changed.json" set MaxDistS=33 >/dev/null
"$linux_tool" --simulate="$names_dir/changed.json" save "$names_dir/expected.txt" >/dev/null
expected_show=$("$linux_tool" --simulate="$names_dir/changed.json" show)

# save NAME, then load NAME into a sensor of factory settings: the name on
# disk is the UTF-8 one, the file is the Linux tool's, and the sensor ends
# with the changed setting.
saved_and_restored() {
  local name=$1 out status=0 restored=$names_dir/restored.json
  out=$(cd "$names_dir" && "$wine" "$names_tool" --simulate="changed.json" save "$name" 2>&1) ||
    status=$?
  echo "   ${out:0:160}"
  [ "$status" = 0 ] && grep -qF "to $name." <<<"$out" || return 1
  [ -f "$names_dir/$name" ] || { echo "   no file by that name"; return 1; }
  diff <(tr -d '\r' <"$names_dir/$name") "$names_dir/expected.txt" >/dev/null || return 1
  rm -f "$restored"
  out=$(cd "$names_dir" && "$wine" "$names_tool" --simulate="restored.json" load "$name" 2>&1) ||
    { echo "   $out" | head -3; return 1; }
  [ "$("$linux_tool" --simulate="$restored" show)" = "$expected_show" ]
}
for name in "${file_names[@]}"; do
  check "kv7700ctl.exe saves and loads '${name:0:40}' (${#name} characters)" \
    saved_and_restored "$name"
done

# A failed open still names the file as the user gave it.
missing_named() {
  local out
  out=$(cd "$names_dir" && "$wine" "$names_tool" --simulate load "Łódź-missing.txt" 2>&1) && return 1
  echo "   $out" | head -1
  grep -qF "'Łódź-missing.txt'" <<<"$out"
}
check "kv7700ctl.exe names a missing 'Łódź-missing.txt' as given" missing_named

# The configurator's Save To File and Restore From File, through the wide
# file dialogs: it saves its factory-set sensor under one name, restores the
# changed sensor's file from another, applies it and closes.
window_saved_and_restored() {
  local sensor=$names_dir/window.json save="Łódź Москва 東京 window.txt" restore="東京 restore.txt"
  local status=0 program
  rm -f "$sensor"
  "$linux_tool" --simulate="$sensor" save "$names_dir/window-expected.txt" >/dev/null
  cp "$names_dir/expected.txt" "$names_dir/$restore"
  timeout 240 "$wine" "$config" --simulate="Z:$sensor" &
  program=$!
  timeout 180 "$wine" "$win/ui/tools/kv7700-sheet-driver.exe" files "$caption" \
    "Z:${names_dir//\//\\}\\$save" "Z:${names_dir//\//\\}\\$restore" | sed 's/^/   /' ||
    status=$?
  wait "$program" || { echo "   kv7700-config.exe ended with status $?"; status=1; }
  [ "$status" = 0 ] && [ -f "$names_dir/$save" ] || return 1
  diff <(tr -d '\r' <"$names_dir/$save") "$names_dir/window-expected.txt" >/dev/null &&
    [ "$("$linux_tool" --simulate="$sensor" show)" = "$expected_show" ]
}
check "kv7700-config.exe saves to and restores from files named in three scripts" \
  window_saved_and_restored
