# Sourced by scripts/windows-test: without a certificate nothing is signed;
# with one (a throwaway root and code-signing certificate made here with
# openssl) the build signs kv7700ctl.exe, kv7700-config.exe,
# kv7700-service.exe and the .msi, and osslsigncode verifies each against
# that root, and not against another root or after a byte is changed. The
# build is put back unsigned afterwards. (Windows' own trust decision, the
# time stamp and SmartScreen are not tried here: there is no time-stamping
# server and no Windows.)

sign_stage=$(mktemp -d /tmp/kv7700-sign.XXXXXX)
sign_files=("$win/cli/kv7700ctl.exe" "$win/ui/win32/kv7700-config.exe"
  "$win/service/windows/kv7700-service.exe" "$win/kv7700-$(project_version).msi")
sign_verify() {  # sign_verify FILE ROOT.pem
  osslsigncode verify -CAfile "$2" -in "$1" >"$sign_stage/verify.out" 2>&1
}

sign_certificates() {
  (
    cd "$sign_stage" &&
      openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 \
        -subj "/CN=KV7700 throwaway test root" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign &&
      openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
        -subj "/CN=KV7700 throwaway test signer" &&
      printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext &&
      openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -CAcreateserial \
        -out signer.pem -days 2 -extfile signer.ext &&
      echo "throwaway $RANDOM$RANDOM" >password.txt &&
      openssl pkcs12 -export -in signer.pem -inkey signer.key -certfile root.pem \
        -out signer.p12 -passout file:password.txt &&
      openssl req -x509 -newkey rsa:2048 -nodes -keyout other.key -out other.pem -days 2 \
        -subj "/CN=Another root"
  ) >/dev/null 2>&1
}

sign_none_by_default() {
  local file signed=""
  for file in "${sign_files[@]}"; do
    [ -f "$file" ] || { echo "   missing: $file"; return 1; }
    osslsigncode verify -in "$file" >/dev/null 2>&1 && signed+=" $(basename "$file")"
  done
  echo "   signed without a certificate:${signed:- none}"
  [ -z "$signed" ]
}
check "without a certificate the programs and the .msi are not signed" sign_none_by_default

sign_build() {  # sign_build [PKCS12 PASSWORD_FILE]: configures and builds the signed files
  cmake --preset windows -DKV_SIGN_PKCS12="${1:-}" -DKV_SIGN_PASSWORD_FILE="${2:-}" >/dev/null &&
    cmake --build --preset windows --target kv7700ctl kv7700-config kv7700-service msi >/dev/null
}
sign_with_certificate() {
  sign_certificates || { echo "   openssl could not make the certificates"; return 1; }
  sign_build "$sign_stage/signer.p12" "$sign_stage/password.txt" || return 1
  local file status=0
  for file in "${sign_files[@]}"; do
    if sign_verify "$file" "$sign_stage/root.pem" && grep -q 'KV7700 throwaway test signer' "$sign_stage/verify.out"; then
      echo "   $(basename "$file"): verified against the throwaway root"
    else
      echo "   $(basename "$file"): not verified: $(grep -i 'fail\|error' "$sign_stage/verify.out" | head -2)"
      status=1
    fi
    if sign_verify "$file" "$sign_stage/other.pem"; then
      echo "   $(basename "$file"): verified against another root too"
      status=1
    fi
  done
  # A changed byte breaks the signature.
  cp "$win/cli/kv7700ctl.exe" "$sign_stage/changed.exe"
  printf 'X' | dd of="$sign_stage/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
  if sign_verify "$sign_stage/changed.exe" "$sign_stage/root.pem"; then
    echo "   a changed kv7700ctl.exe still verifies"
    status=1
  fi
  return "$status"
}
check "with a throwaway certificate the build signs the three programs and the .msi, verified against its root only" sign_with_certificate

# Back to the unsigned build the other stages expect.
sign_build || echo "   the unsigned build could not be restored"
rm -rf "$sign_stage"
