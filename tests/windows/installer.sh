# Sourced by scripts/windows-test: the .msi installs silently for the machine,
# both programs run from where it put them, a newer version replaces an older
# one, and uninstalling leaves no file, shortcut, folder or registry entry of
# ours. The .zip and the .msi carry LICENSE.txt and NOTICES.txt with CRLF ends.

msi_version=$(project_version)
msi=$win/kv7700-$msi_version.msi
msi_stage=$(mktemp -d /tmp/kv7700-msi.XXXXXX)
# winemenubuilder would copy the Start-menu entry to this machine's desktop menus.
msi_wine() { WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" "$wine" "$@"; }
msi_product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
msi_installed_dir="$WINEPREFIX/drive_c/Program Files/KV7700"
msi_uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# What an install may leave behind: the files under C:\ and the registry,
# as text. The installer service's own (empty) folder and keys are no trace of ours.
msi_snapshot() {  # msi_snapshot NAME
  (cd "$WINEPREFIX" && find drive_c | grep -v '^drive_c/windows/Installer$' | sort) >"$msi_stage/$1.files"
  local hive
  for hive in HKLM HKCU; do
    msi_wine reg export "$hive\\Software" "$msi_stage/$1.$hive.reg" /y >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$msi_stage/$1.$hive.reg" | tr -d '\r' >"$msi_stage/$1.$hive.txt"
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
    msi_wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null |
    grep -q 'ProductIcon.*kv7700.ico'
}
check "Start-menu entry and installed-programs entry (name, version, publisher, icon)" msi_start_menu_and_arp

# The same product one version on: a new product code, the same upgrade code.
msi_next() {
  cp "$win/packaging/windows/msi/"* "$msi_stage/"
  local code
  code=$(msi_product_code "$msi" | tr -d '{}')
  sed -i "s/$code/0D1B5F6E-2C1A-4E55-9C39-7A4B0E8C9F01/; s/Version=\"$msi_version\"/Version=\"9.99\"/" \
    "$msi_stage/kv7700.wxs"
  (cd "$msi_stage" && wixl --arch x64 --output next.msi kv7700.wxs 2>/dev/null)
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
  [ "$status" = 0 ] && [ "$older" = 0 ] && [ "$downgrade" != 0 ] &&
    [ -f "$msi_installed_dir/bin/kv7700ctl.exe" ]
}
check "a newer .msi replaces the older one, an older one is refused" msi_major_upgrade

msi_uninstalls_cleanly() {
  local status=0 code
  for code in "{0D1B5F6E-2C1A-4E55-9C39-7A4B0E8C9F01}" "$(msi_product_code "$msi")"; do
    msi_wine reg query "$msi_uninstall_key\\$code" >/dev/null 2>&1 || continue
    msi_wine msiexec /x "$code" /qn || status=$?
  done
  msi_snapshot after
  local files hive added=""
  files=$(diff "$msi_stage/before.files" "$msi_stage/after.files" | grep '^[<>]') || true
  for hive in HKLM HKCU; do
    # New keys left empty are the installer service's own containers; a
    # value, or anything naming us, is ours.
    added+=$(diff "$msi_stage/before.$hive.txt" "$msi_stage/after.$hive.txt" |
      sed -n 's/^> //p' | grep -v '^\[.*\]$' | grep -v '^$') || true
    added+=$(grep -i 'kv7700\|9BA7E01D' "$msi_stage/after.$hive.txt") || true
  done
  echo "   msiexec /x /qn: status $status; files left or gone: ${files:-none}; registry: ${added:-nothing of ours}"
  [ "$status" = 0 ] && [ -z "$files" ] && [ -z "$added" ] && [ -z "$(msi_shortcut)" ]
}
check "msiexec /x /qn leaves no file, shortcut, folder or registry entry" msi_uninstalls_cleanly

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
