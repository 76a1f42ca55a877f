# Sourced by scripts/windows-test: template files named in any script, and
# past 260 characters, saved and restored by kv7700ctl.exe and by the
# configurator's Save To File / Restore From File, each name checked on disk
# from the Linux side.

names_dir=$PWD/$win/file-names
names_tool=$(realpath "$tool")
# kv7700ctl.exe's runs check names, not the sensor's pace: its emulated
# sensors answer at once (KV7700_VIRTUAL_TIME), as in same_as_linux.
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
  out=$(cd "$names_dir" && KV7700_VIRTUAL_TIME=1 "$wine" "$names_tool" --simulate="changed.json" save "$name" 2>&1) ||
    status=$?
  echo "   ${out:0:160}"
  [ "$status" = 0 ] && grep -qF "to $name." <<<"$out" || return 1
  [ -f "$names_dir/$name" ] || { echo "   no file by that name"; return 1; }
  diff <(tr -d '\r' <"$names_dir/$name") "$names_dir/expected.txt" >/dev/null || return 1
  rm -f "$restored"
  out=$(cd "$names_dir" && KV7700_VIRTUAL_TIME=1 "$wine" "$names_tool" --simulate="restored.json" load "$name" 2>&1) ||
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
  out=$(cd "$names_dir" && KV7700_VIRTUAL_TIME=1 "$wine" "$names_tool" --simulate load "Łódź-missing.txt" 2>&1) && return 1
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

# A short relative name from a working folder of 250 characters and more:
# the system makes a full path past MAX_PATH from it, so the name must take
# the "\\?\" prefix by its full length (Wine accepts it either way; the
# unit test FileNameWindows.AShortRelativeNameIsJudgedByItsFullLength checks
# the form Windows needs).
deep_dir=$names_dir/$(printf 'e%.0s' {1..60})/$(printf 'f%.0s' {1..60})/$(printf 'g%.0s' {1..60})
while [ ${#deep_dir} -lt 250 ]; do deep_dir=$deep_dir/h; done
mkdir -p "$deep_dir"
cp "$names_dir/changed.json" "$deep_dir/changed.json"
short_name_in_deep_folder() {
  local out status=0
  echo "   working folder: ${#deep_dir} characters"
  out=$(cd "$deep_dir" && KV7700_VIRTUAL_TIME=1 "$wine" "$names_tool" --simulate=changed.json save t.txt 2>&1) ||
    status=$?
  echo "   ${out:0:160}"
  [ "$status" = 0 ] && [ -f "$deep_dir/t.txt" ] || return 1
  diff <(tr -d '\r' <"$deep_dir/t.txt") "$names_dir/expected.txt" >/dev/null || return 1
  rm -f "$deep_dir/restored.json"
  out=$(cd "$deep_dir" && KV7700_VIRTUAL_TIME=1 "$wine" "$names_tool" --simulate=restored.json load t.txt 2>&1) ||
    { echo "   $out" | head -3; return 1; }
  [ "$("$linux_tool" --simulate="$deep_dir/restored.json" show)" = "$expected_show" ]
}
check "kv7700ctl.exe saves and loads 't.txt' in a working folder of 250+ characters" \
  short_name_in_deep_folder

# A save over a hidden file keeps it hidden (ReplaceFileW takes the old
# file's attributes; a plain rename would leave a visible file), and a
# read-only file is refused and left as it was. Attributes as Wine's own
# attrib.exe sets and reads them.
attributes_of() {  # the attribute letters attrib.exe prints for Z:NAME
  "$wine" attrib "Z:${1//\//\\}" 2>/dev/null | tr -d '\r' | sed 's/Z:.*//;s/ //g'
}
attributes_kept() {
  local hidden=$names_dir/hidden.txt readonly=$names_dir/readonly.txt out status=0
  rm -f "$hidden" "$readonly"
  echo "old" >"$hidden"
  echo "old" >"$readonly"
  "$wine" attrib +h "Z:${hidden//\//\\}" >/dev/null 2>&1
  "$wine" attrib +r "Z:${readonly//\//\\}" >/dev/null 2>&1
  echo "   before: hidden.txt '$(attributes_of "$hidden")', readonly.txt '$(attributes_of "$readonly")'"
  [[ $(attributes_of "$hidden") == *H* ]] || { echo "   attrib +h did not take"; return 1; }
  out=$(cd "$names_dir" && KV7700_VIRTUAL_TIME=1 "$wine" "$names_tool" --simulate=changed.json save hidden.txt 2>&1) ||
    { echo "   $out" | head -2; return 1; }
  diff <(tr -d '\r' <"$hidden") "$names_dir/expected.txt" >/dev/null ||
    { echo "   hidden.txt was not saved"; return 1; }
  out=$(cd "$names_dir" && KV7700_VIRTUAL_TIME=1 "$wine" "$names_tool" --simulate=changed.json save readonly.txt 2>&1) ||
    status=$?
  echo "   read-only: ${out:0:160}"
  echo "   after: hidden.txt '$(attributes_of "$hidden")', readonly.txt '$(attributes_of "$readonly")'"
  [[ $(attributes_of "$hidden") == *H* ]] && [ "$status" != 0 ] &&
    [ "$(cat "$readonly")" = old ] && [[ $(attributes_of "$readonly") == *R* ]]
}
check "kv7700ctl.exe keeps a hidden file hidden and leaves a read-only one alone" attributes_kept

# An emulated sensor's file past 260 characters is read, not taken for a
# missing one and replaced by a factory-fresh sensor.
long_sensor=$names_dir/$long_folder/$(printf 's%.0s' {1..60}).json
long_sensor_read() {
  local before shown
  echo "   ${#long_sensor} characters"
  cp "$names_dir/changed.json" "$long_sensor"
  before=$(md5sum <"$long_sensor")
  shown=$(KV7700_VIRTUAL_TIME=1 "$wine" "$names_tool" --simulate="Z:${long_sensor//\//\\}" show 2>&1 | tr -d '\r')
  echo "   $(grep -i '^ *MaxDistS' <<<"$shown" | head -1)"
  [ "$(md5sum <"$long_sensor")" = "$before" ] && grep -qE 'MaxDistS[ =:]+33\b' <<<"$shown"
}
check "kv7700ctl.exe reads a 300-character --simulate file and leaves it as it was" long_sensor_read
