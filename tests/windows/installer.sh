# Sourced by scripts/windows-test: the .msi installs silently for the machine,
# both programs run from where it put them, kv7700ctl.exe is on the PATH, the
# plug-in service runs and applies the site template (the default one, then
# one named by policy) to an emulated sensor present at its start, a newer
# version replaces an older one and keeps the site template, and
# uninstalling leaves no file, shortcut, folder, service, event source, PATH
# entry or registry entry of ours but the administrator's site template. The
# .zip and the .msi carry LICENSE.txt and NOTICES.txt with CRLF ends.

msi_version=$(project_version)
msi=$win/kv7700-$msi_version.msi
msi_stage=$(mktemp -d /tmp/kv7700-msi.XXXXXX)
# winemenubuilder would copy the Start-menu entry to this machine's desktop menus.
msi_wine() { WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" "$wine" "$@"; }
msi_product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
msi_installed_dir="$WINEPREFIX/drive_c/Program Files/KV7700"
msi_uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
msi_program_data="$WINEPREFIX/drive_c/ProgramData/KV7700"
msi_event_source='HKLM\System\CurrentControlSet\Services\EventLog\Application\KV7700'
msi_environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
msi_policy_key='HKLM\Software\Policies\KV7700'
# The machine's PATH. Wine's installer leaves behind the separator of an
# entry it removes (";;", a trailing ";"), where Windows takes it out with the
# entry: empty entries are dropped here, so the entries themselves compare.
msi_machine_path() {
  msi_wine reg query "$msi_environment" /v PATH 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_[A-Z_]*SZ *//p' | sed 's/;;*/;/g; s/;$//'
}
msi_path_before=$(msi_machine_path)
msi_bin_on_path='C:\Program Files\KV7700\bin\'

# What an install may leave behind: the files under C:\ and the registry,
# as text. The installer service's own (empty) folder and keys are no trace of ours.
msi_snapshot() {  # msi_snapshot NAME
  (cd "$WINEPREFIX" && find drive_c | grep -v '^drive_c/windows/Installer$' | sort) >"$msi_stage/$1.files"
  local hive
  for hive in HKLM HKCU; do
    msi_wine reg export "$hive\\Software" "$msi_stage/$1.$hive.reg" /y >/dev/null 2>&1
    # Wine lists the network cards once a service has run: Wine's, not ours.
    iconv -f UTF-16 -t UTF-8 "$msi_stage/$1.$hive.reg" | tr -d '\r' |
      awk '/^\[/ { skip = /\\NetworkCards\\/ } !skip' >"$msi_stage/$1.$hive.txt"
  done
}

msi_builds() {
  cmake --build --preset windows --target msi >/dev/null && [ -s "$msi" ] && echo "   $msi"
}
check "the .msi builds (target msi)" msi_builds

# (windows-test runs with set -e: a failure here is the uninstall check's to report.)
msi_snapshot before || echo "   the prefix could not be read before installing"

msi_installs_silently() {
  local status=0
  msi_wine msiexec /i "Z:$PWD/$msi" /qn || status=$?
  echo "   msiexec /i /qn: status $status"
  [ "$status" = 0 ] && [ -f "$msi_installed_dir/bin/kv7700ctl.exe" ] &&
    [ -f "$msi_installed_dir/bin/kv7700-config.exe" ]
}
check "msiexec /i /qn installs both programs in Program Files\\KV7700" msi_installs_silently

msi_programs_run() {
  local bin='C:\Program Files\KV7700\bin' version shown status=0
  version=$("$wine" "$bin\\kv7700ctl.exe" --version | tr -d '\r')
  shown=$(KV7700_VIRTUAL_TIME=1 "$wine" "$bin\\kv7700ctl.exe" --simulate show | tr -d '\r' | head -1)
  echo "   $version; $shown"
  # The configurator shows its version in the sheet's caption.
  local file=$PWD/$win/installed-sensor.json
  rm -f "$file"
  timeout 240 "$wine" "$bin\\kv7700-config.exe" --simulate="Z:$file" &
  local program=$!
  timeout 180 "$wine" "$win/ui/tools/kv7700-sheet-driver.exe" smoke "$caption" 34 >/dev/null || status=1
  wait "$program" || status=1
  echo "   installed kv7700-config.exe: sheet \"$caption\" $([ $status = 0 ] && echo driven || echo failed)"
  [ "$status" = 0 ] && [ "$version" = "kv7700ctl $msi_version" ] && [[ $shown == "Sensor 0: "* ]]
}
check "the installed programs run (--version, --simulate show, the sheet)" msi_programs_run

msi_shortcut() {  # the Start-menu entry, for all users or (under Wine) the installing user
  find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/KV7700 Configurator.lnk' | head -1
}
msi_start_menu_and_arp() {
  local link code entry
  link=$(msi_shortcut)
  code=$(msi_product_code "$msi")
  entry=$(msi_wine reg query "$msi_uninstall_key\\$code" 2>/dev/null | tr -d '\r')
  echo "   ${link#"$WINEPREFIX/"}"
  echo "   $(grep -E 'DisplayName|DisplayVersion|Publisher' <<<"$entry" | tr -s ' ' | tr '\n' ';')"
  [ -n "$link" ] && tr -d '\0' <"$link" | grep -qa 'kv7700-config.exe' &&
    grep -q 'DisplayName.*KV7700 configurator' <<<"$entry" &&
    grep -q "DisplayVersion.*$msi_version" <<<"$entry" &&
    grep -q 'Publisher.*KV7700 configurator project' <<<"$entry" &&
    grep -q 'HelpLink.*https://' <<<"$entry" && grep -qi 'Readme.*KV7700\\README.txt' <<<"$entry" &&
    msi_wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null |
    grep -q 'ProductIcon.*kv7700.ico'
}
check "Start-menu entry and installed-programs entry (name, version, publisher, icon, help link, read-me)" msi_start_menu_and_arp

msi_service_state() { msi_wine sc query KV7700Apply 2>/dev/null | tr -d '\r' | sed -n 's/^ *STATE *: *[0-9]* *//p'; }
msi_wait_state() {  # msi_wait_state STATE: up to 60 s
  local waited=0
  while [ "$(msi_service_state)" != "$1" ] && [ $waited -lt 60 ]; do
    sleep 1
    waited=$((waited + 1))
  done
  [ "$(msi_service_state)" = "$1" ]
}
msi_installed_for_the_machine() {
  local source path on_path
  msi_wait_state RUNNING
  source=$(msi_wine reg query "$msi_event_source" 2>/dev/null | tr -d '\r')
  path=$(msi_machine_path)
  # A new process takes the machine's PATH.
  on_path=$(msi_wine cmd /c kv7700ctl --version 2>/dev/null | tr -d '\r')
  echo "   service KV7700Apply: $(msi_service_state); $(grep -o 'EventMessageFile.*' <<<"$source" | tr -s ' ')"
  echo "   PATH: $path; 'kv7700ctl --version' there: $on_path"
  echo "   ProgramData\KV7700: $(ls "$msi_program_data" 2>/dev/null | tr '\n' ' ')"
  [ "$(msi_service_state)" = RUNNING ] &&
    grep -qi 'EventMessageFile *REG_EXPAND_SZ *C:\\Program Files\\KV7700\\bin\\kv7700-service.exe' <<<"$source" &&
    grep -q 'TypesSupported *REG_DWORD *0x7' <<<"$source" &&
    [ "$path" = "$msi_path_before;$msi_bin_on_path" ] &&
    [ "$on_path" = "kv7700ctl $msi_version" ] &&
    [ "$(ls "$msi_program_data")" = site.example.txt ] &&
    [ -f "$msi_installed_dir/policies/kv7700.admx" ] &&
    [ -f "$msi_installed_dir/policies/en-US/kv7700.adml" ]
}
check "the service runs, with its event source; kv7700ctl.exe on the PATH; the example template and policy templates" msi_installed_for_the_machine

# The service with an emulated sensor present at its start: Wine's event log
# keeps nothing, so the service also copies its events to a file (a start
# argument for tests, as is --simulate, which it passes to kv7700ctl.exe).
msi_sensor=$PWD/$win/service-sensor.json
msi_events=$msi_stage/events.txt
msi_service_run() {  # msi_service_run: restarts the service on the sensor; waits for its events
  msi_wine sc stop KV7700Apply >/dev/null 2>&1 || true
  msi_wait_state STOPPED || return 1
  rm -f "$msi_events"
  msi_wine sc start KV7700Apply "--simulate=Z:$msi_sensor" "--event-file=Z:$msi_events" >/dev/null 2>&1 || return 1
  local waited=0
  # The start's event, then one for the sensor present.
  while [ "$(cat "$msi_events" 2>/dev/null | grep -c .)" -lt 2 ] && [ $waited -lt 90 ]; do
    sleep 1
    waited=$((waited + 1))
  done
  tr -d '\r' <"$msi_events" | sed 's/^/   event /'
}
msi_sensor_field() { "$linux_tool" --simulate="$msi_sensor" --json show | jq -r ".$1.$2"; }
msi_service_applies() {
  rm -f "$msi_sensor"
  # The default: nothing configured, nothing written.
  msi_service_run || return 1
  local untouched ok=0
  untouched=$(msi_sensor_field tsSonarParms MaxDistS)
  grep -q '^109	' "$msi_events" || ok=1
  printf 'MaxDistS = 41\r\nPingRateS = 300\r\n' >"$msi_program_data/site.txt"
  msi_service_run || return 1
  grep -q '^1	C:\\ProgramData\\KV7700\\site.txt	the default	on' "$msi_events" || ok=1
  grep -q '^100	/dev/hidraw-emu0	C:\\ProgramData\\KV7700\\site.txt	tsSonarParms' "$msi_events" || ok=1
  echo "   sensor: MaxDistS $untouched without a site file, then $(msi_sensor_field tsSonarParms MaxDistS)"
  [ "$untouched" != 41 ] && [ "$(msi_sensor_field tsSonarParms MaxDistS)" = 41 ] &&
    [ "$(msi_sensor_field tsSonarParms PingRateS)" = 300 ] && [ $ok = 0 ] || return 1
  msi_service_run || return 1  # a second start finds it holding the file
  grep -q '^101	/dev/hidraw-emu0	' "$msi_events"
}
check "the service applies %ProgramData%\KV7700\site.txt to a sensor present at its start (none while there is none)" msi_service_applies

msi_service_refuses() {
  local before
  before=$(sha256sum <"$msi_sensor")
  cp "$msi_program_data/site.txt" "$msi_stage/site.good"
  printf 'MaxDistS = 44\r\nPingRateS = 150\r\n' >"$msi_program_data/site.txt"
  msi_service_run
  cp "$msi_stage/site.good" "$msi_program_data/site.txt"
  grep -q '^112	C:\\ProgramData\\KV7700\\site.txt	/dev/hidraw-emu0	.*refused the tsSonarParms' "$msi_events" &&
    [ "$(sha256sum <"$msi_sensor")" = "$before" ]
}
check "a site template the library refuses writes nothing and is logged (event 112)" msi_service_refuses

msi_policy_honoured() {
  printf 'MaxDistS = 45\r\n' >"$msi_stage/policy-site.txt"
  msi_wine reg add "$msi_policy_key" /v SiteTemplate /t REG_EXPAND_SZ /d "Z:$msi_stage/policy-site.txt" /f >/dev/null 2>&1
  msi_service_run
  local named=0 off=0
  grep -q "^1	Z:$msi_stage/policy-site.txt	named by policy	on" "$msi_events" &&
    [ "$(msi_sensor_field tsSonarParms MaxDistS)" = 45 ] && named=1
  msi_wine reg add "$msi_policy_key" /v ApplyOnPlugIn /t REG_DWORD /d 0 /f >/dev/null 2>&1
  printf 'MaxDistS = 46\r\n' >"$msi_stage/policy-site.txt"
  msi_service_run
  grep -q '^120	/dev/hidraw-emu0$' <(tr -d '\r' <"$msi_events") &&
    [ "$(msi_sensor_field tsSonarParms MaxDistS)" = 45 ] && off=1
  msi_wine reg delete "$msi_policy_key" /f >/dev/null 2>&1
  msi_wine sc stop KV7700Apply >/dev/null 2>&1
  msi_wait_state STOPPED
  msi_wine sc start KV7700Apply >/dev/null 2>&1
  echo "   policy's file applied: $named; turned off by policy, nothing written: $off"
  [ $named = 1 ] && [ $off = 1 ] && msi_wait_state RUNNING
}
check "the policy's site template is applied, and ApplyOnPlugIn=0 writes nothing (registry values set here)" msi_policy_honoured

# The same product one version on: a new product code, the same upgrade code.
msi_next() {
  cp "$win/packaging/windows/msi/"* "$msi_stage/"
  local code
  code=$(msi_product_code "$msi" | tr -d '{}')
  sed -i "s/$code/0D1B5F6E-2C1A-4E55-9C39-7A4B0E8C9F01/; s/Version=\"$msi_version\"/Version=\"9.99\"/" \
    "$msi_stage/kv7700.wxs"
  (cd "$msi_stage" && wixl --arch x64 --output next.msi kv7700.wxs 2>/dev/null) &&
    cmake -DMSIBUILD=msibuild -DMSI="$msi_stage/next.msi" -P packaging/windows/msi_tables.cmake
}
msi_major_upgrade() {
  msi_next || return 1
  local status=0 older=0
  msi_wine msiexec /i "Z:$msi_stage/next.msi" /qn || status=$?
  # The older version's entry is gone, the newer one's there, and the older
  # one does not go back over it.
  msi_wine reg query "$msi_uninstall_key\\$(msi_product_code "$msi")" >/dev/null 2>&1 && older=1
  msi_wine reg query "$msi_uninstall_key\\{0D1B5F6E-2C1A-4E55-9C39-7A4B0E8C9F01}" >/dev/null 2>&1 || status=1
  local downgrade=0
  msi_wine msiexec /i "Z:$PWD/$msi" /qn || downgrade=$?
  echo "   newer over older: status $status, older still listed: $older; older over newer: status $downgrade"
  echo "   site.txt after the upgrade: $(tr -d '\r' <"$msi_program_data/site.txt" 2>/dev/null | tr '\n' ' ')"
  echo "   service: $(msi_service_state); PATH: $(msi_machine_path)"
  [ "$status" = 0 ] && [ "$older" = 0 ] && [ "$downgrade" != 0 ] &&
    [ -f "$msi_installed_dir/bin/kv7700ctl.exe" ] &&
    cmp -s "$msi_program_data/site.txt" "$msi_stage/site.good" && msi_wait_state RUNNING &&
    [ "$(msi_machine_path)" = "$msi_path_before;$msi_bin_on_path" ]
}
check "a newer .msi replaces the older one and keeps the site template, an older one is refused" msi_major_upgrade

msi_uninstalls_cleanly() {
  local status=0 code
  for code in "{0D1B5F6E-2C1A-4E55-9C39-7A4B0E8C9F01}" "$(msi_product_code "$msi")"; do
    msi_wine reg query "$msi_uninstall_key\\$code" >/dev/null 2>&1 || continue
    msi_wine msiexec /x "$code" /qn || status=$?
  done
  msi_snapshot after
  local files hive added="" system=""
  # The site template is the administrator's: it stays, in its folder.
  files=$(diff "$msi_stage/before.files" "$msi_stage/after.files" | grep '^[<>]' |
    grep -vx '> drive_c/ProgramData/KV7700\(/site.txt\)\?') || true
  [ -f "$msi_program_data/site.txt" ] && [ "$(ls "$msi_program_data")" = site.txt ] ||
    files+=" (site.txt not kept alone: $(ls "$msi_program_data" 2>&1))"
  msi_wine sc query KV7700Apply >/dev/null 2>&1 && system+="the service; "
  msi_wine reg query "$msi_event_source" >/dev/null 2>&1 && system+="the event source; "
  [ "$(msi_machine_path)" = "$msi_path_before" ] || system+="PATH $(msi_machine_path); "
  for hive in HKLM HKCU; do
    # New keys left empty are the installer service's own containers; a
    # value, or anything naming us, is ours.
    added+=$(diff "$msi_stage/before.$hive.txt" "$msi_stage/after.$hive.txt" |
      sed -n 's/^> //p' | grep -v '^\[.*\]$' | grep -v '^$') || true
    added+=$(grep -i 'kv7700\|9BA7E01D' "$msi_stage/after.$hive.txt") || true
  done
  echo "   msiexec /x /qn: status $status; files left or gone: ${files:-none}; registry: ${added:-nothing of ours}; system: ${system:-nothing of ours}"
  [ "$status" = 0 ] && [ -z "$files" ] && [ -z "$added" ] && [ -z "$system" ] && [ -z "$(msi_shortcut)" ]
}
check "msiexec /x /qn leaves no file, shortcut, folder, service, event source, PATH entry or registry entry, and keeps site.txt" msi_uninstalls_cleanly

# LICENSE.txt and NOTICES.txt in both packages, each line ending CRLF.
msi_notices_ok() {  # msi_notices_ok DIR
  local license=$1/LICENSE.txt notices=$1/NOTICES.txt
  [ -s "$license" ] && [ -s "$notices" ] || return 1
  ! grep -qv $'\r$' "$license" && ! grep -qv $'\r$' "$notices" &&
    grep -q 'KV7700 configurator developers' "$license" && grep -q '^MIT License' "$license" &&
    grep -q 'GCC RUNTIME LIBRARY EXCEPTION' "$notices" && grep -q 'winpthreads' "$notices" &&
    grep -q 'CLI11' "$notices" && grep -q 'nlohmann' "$notices"
}
packages_carry_notices() {
  mkdir -p "$msi_stage/from-msi" "$msi_stage/from-zip"
  msiextract -C "$msi_stage/from-msi" "$msi" >/dev/null
  local zip
  zip=$(ls "$win"/kv7700-*.zip 2>/dev/null | head -1)
  [ -n "$zip" ] || { (cd "$win" && cpack -G ZIP >/dev/null) && zip=$(ls "$win"/kv7700-*.zip | head -1); }
  (cd "$msi_stage/from-zip" && cmake -E tar xf "$OLDPWD/$zip")
  local in_msi in_zip
  in_msi=$(dirname "$(find "$msi_stage/from-msi" -name LICENSE.txt | head -1)")
  in_zip=$(dirname "$(find "$msi_stage/from-zip" -name LICENSE.txt | head -1)")
  echo "   msi: ${in_msi#"$msi_stage/"}, zip: ${in_zip#"$msi_stage/"}"
  msi_notices_ok "$in_msi" && msi_notices_ok "$in_zip"
}
check "the .zip and the .msi hold LICENSE.txt and NOTICES.txt with CRLF ends" packages_carry_notices

rm -rf "$msi_stage"
