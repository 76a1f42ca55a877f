# shellcheck shell=bash
# Sourced by scripts/kernel-test and scripts/guest-programs-test: Debian's
# kernel, an initramfs with its modules and programs, and a QEMU guest that
# cannot outlive its time limit.
#
#   guest_kernel CACHE           # sets guest_package, guest_version, guest_vmlinuz, guest_modules
#   guest_add_module NAME FS     # NAME and what it needs into FS/modules, in order
#   guest_write_module_order FS  # FS/modules/order, for the guest's init
#   guest_copy_libraries FS PROGRAM...  # the shared libraries they load
#   guest_pack FS INITRD         # FS as a gzipped cpio archive
#   guest_run INITRD LOG         # boots, KVM if it works, else TCG; false when
#                                # the guest never came up
#   guest_checks_sites SCRIPT... # the checks the scripts hold (their pass sites)
#   guest_once_sites SCRIPT...   # those of them marked "# once" (run once, where
#                                # the others run once per transport)
#   guest_summary_holds LOG N    # the guest's "P passed, F failed" came, with
#                                # F = 0 and P + F = N
# Set before sourcing: guest_name (messages), guest_title (the heading),
# guest_up (the line the init prints first), guest_seconds (the time limit),
# guest_memory (MB); after it, the array guest_qemu_args (more of QEMU's
# options). guest_run sets guest_accel.

guest_name=${guest_name:-$(basename "$0")}
guest_memory=${guest_memory:-512}
guest_seconds=${guest_seconds:-240}
guest_up=${guest_up:-"$guest_name: guest up"}
guest_qemu_args=()

# Debian's kernel: the package linux-image-amd64 points to, fetched once.
guest_kernel() {
  local cache=$1 kernel deb
  guest_package=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-/ {print $2; exit}')
  [ -n "$guest_package" ] || { echo "$guest_name: no kernel package behind linux-image-amd64" >&2; return 1; }
  kernel=$cache/$guest_package
  if [ ! -d "$kernel" ]; then
    mkdir -p "$cache"
    rm -f "$cache/$guest_package"_*.deb
    (cd "$cache" && apt-get download -q "$guest_package" 2>&1 | grep -v "^W: Download is performed unsandboxed" || true)
    deb=$(ls "$cache/$guest_package"_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || { echo "$guest_name: apt-get download $guest_package failed" >&2; return 1; }
    dpkg-deb -x "$deb" "$kernel.tmp"
    mv "$kernel.tmp" "$kernel"
    rm -f "$deb"
  fi
  guest_version=${guest_package#linux-image-}
  guest_vmlinuz=$kernel/boot/vmlinuz-$guest_version
  guest_modules=$kernel/lib/modules/$guest_version
}

declare -A guest_loaded=()
guest_order=()
guest_add_module() {
  local name=$1 fs=$2 file dep
  [ -n "${guest_loaded[$name]:-}" ] && return
  guest_loaded[$name]=1
  # modinfo names dependencies with '_' where file names may have '-'.
  file=$(find "$guest_modules/kernel" -name "$name.ko*" -o -name "${name//_/-}.ko*" | head -n 1)
  [ -n "$file" ] || { echo "$guest_name: module $name not in $guest_package" >&2; exit 1; }
  for dep in $(/usr/sbin/modinfo -F depends "$file" | tr ',' ' '); do guest_add_module "$dep" "$fs"; done
  mkdir -p "$fs/modules"
  cp "$file" "$fs/modules/"
  guest_order+=("$(basename "$file")")
}

guest_write_module_order() {
  printf '%s\n' "${guest_order[@]}" >"$1/modules/order"
}

# Every shared library the programs load, at the path the loader looks for.
guest_copy_libraries() {
  local fs=$1 program library
  shift
  for program in "$@"; do
    ldd "$program" | awk '$2 == "=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}'
  done | sort -u | while read -r library; do
    mkdir -p "$fs$(dirname "$library")"
    cp -L "$library" "$fs$library"
  done
}

guest_pack() {
  (cd "$1" && find . | cpio -o -H newc --quiet | gzip -1) >"$2"
}

# Boots the guest with accelerator $1; false when it never reached its init
# (a KVM that cannot run this guest, as in some nested VMs).
guest_boot() {
  local accel=$1 initrd=$2 log=$3 cpu=() pidfile
  [ "$accel" = kvm ] && cpu=(-cpu host)
  pidfile=$log.qemu.pid
  : >"$log"
  # In a quiet subshell: a QEMU that aborts is told below, not by the shell.
  (qemu-system-x86_64 -accel "$accel" "${cpu[@]}" -m "$guest_memory" -smp 1 -nographic -nic none \
    -no-reboot -kernel "$guest_vmlinuz" -initrd "$initrd" -pidfile "$pidfile" "${guest_qemu_args[@]}" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1" </dev/null >"$log" 2>&1 || true) 2>/dev/null &
  local qemu=$! second up=60
  [ "$accel" = kvm ] && up=12  # a working KVM boots in a few seconds
  for ((second = 0; second < guest_seconds; second++)); do
    kill -0 "$qemu" 2>/dev/null || break
    if ((second == up)) && ! grep -q "$guest_up" "$log"; then break; fi
    sleep 1
  done
  if [ -s "$pidfile" ]; then kill "$(cat "$pidfile")" 2>/dev/null || true; fi
  wait "$qemu" 2>/dev/null || true
  rm -f "$pidfile"
  grep -q "$guest_up" "$log"
}

guest_run() {
  local initrd=$1 log=$2
  guest_accel=tcg
  if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then guest_accel=kvm; fi
  echo "== ${guest_title:-$guest_name}: Debian $guest_version under QEMU ($guest_accel)"
  if ! guest_boot "$guest_accel" "$initrd" "$log" && [ "$guest_accel" = kvm ]; then
    echo "$guest_name: KVM did not start the guest; under TCG instead"
    guest_accel=tcg
    guest_boot tcg "$initrd" "$log"
  fi
}

# Each check of the guests' scripts ends in exactly one PASS or FAIL line,
# and has one `pass "` in its script: counted there, a check that silently
# stopped running is missed.
guest_checks_sites() {
  cat "$@" | grep -c 'pass "'
}

guest_once_sites() {
  cat "$@" | grep 'pass "' | grep -c '# once$' || true
}

guest_summary_holds() {
  local log=$1 expected=$2 summary passed failed
  summary=$(tr -d '\r' <"$log" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1 || true)
  if [ -z "$summary" ]; then
    echo "$guest_name: the guest did not finish; its console is in $log" >&2
    return 1
  fi
  read -r passed _ failed _ <<<"$summary"
  if [ $((passed + failed)) != "$expected" ]; then
    echo "$guest_name: $((passed + failed)) checks ran, the scripts hold $expected" >&2
    return 1
  fi
  [ "$failed" = 0 ]
}
