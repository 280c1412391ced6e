#!/usr/bin/env bash
# Runs a script inside a virtual machine that has 32-bit Wine, for machines whose kernel does
# not run 32-bit Linux programs: the distribution's own kernel under QEMU does.
#
#   tools/vm32/run.sh [options] SCRIPT [ARG...]
#
#   --in PATH       copies a file or folder into the guest's input folder (repeatable)
#   --ref PATH      hands a file or folder in without copying it into the guest: the script
#                   reads it over 9p as $VM32_REF/NAME (repeatable; large archives)
#   --out DIR       receives the files the script leaves in $VM32_OUT (default: vm32-out)
#   --env NAME=VAL  sets a variable for the script (repeatable)
#   --timeout SEC   bounds the whole run, boot included (default: 900)
#   --work DIR      cache of the initramfs and the runs' job folders (default: build/vm32)
#
# The guest boots the host's newest /boot/vmlinuz-* with an initramfs made here (busybox and
# the virtio and 9p modules, cached in the work folder and made again when an input changes).
# Its root is this machine's "/", read-only; /tmp, /run, /root and /dev/shm are tmpfs, so what
# lies there on this machine is not seen (pass it with --in). The script runs as root with
# bash, in $VM32_IN: a copy, on tmpfs, of what --in passed (programs that Wine maps must not
# be read over 9p). Results go to $VM32_OUT, a folder shared with this machine. Anything
# under /tmp, /root or $VM32_IN is gone after the run. 32-bit Wine is /usr/lib/wine/wine;
# use WINEARCH=win32 and a WINEPREFIX on tmpfs.
#
# Prints what the script printed and exits with its exit code. A guest that does not finish
# in time is killed; the run then fails with exit code 124 and the tail of the guest's
# console. Missing packages, or a guest that ends without a result, give exit code 125; a
# command line it does not understand, exit code 2.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here="$root/tools/vm32"

usage() { # exit-code
    sed -n '4,14p' "$0" | sed 's/^# \{0,1\}//'
    exit "$1"
}
complain() {
    echo "vm32: $*" >&2
    exit 125
}

inputs=()
references=()
environment=()
out=vm32-out
timeout=900
work="$root/build/vm32"
while (($#)); do
    case $1 in
    --in) inputs+=("$2"); shift 2 ;;
    --ref) references+=("$2"); shift 2 ;;
    --out) out=$2; shift 2 ;;
    --env) [[ $2 == [A-Za-z_]*=* ]] || usage 2 >&2; environment+=("$2"); shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --help | -h) usage 0 ;;
    --) shift; break ;;
    -*) usage 2 >&2 ;;
    *) break ;;
    esac
done
(($#)) || usage 2 >&2
script=$1
shift
[[ -f $script ]] || complain "no script $script"
[[ $timeout =~ ^[0-9]+$ ]] || complain "--timeout takes seconds"

# What the guest needs from this machine.
missing=()
command -v qemu-system-x86_64 >/dev/null || missing+=("qemu-system-x86_64 (package qemu-system-x86)")
kernel=
for candidate in $(compgen -G '/boot/vmlinuz-*' | sort -V -r); do
    version=${candidate#/boot/vmlinuz-}
    if compgen -G "/lib/modules/$version/kernel/fs/9p/9p.ko*" >/dev/null; then
        kernel=$candidate
        break
    fi
done
[[ -n $kernel ]] || missing+=("a kernel with 9p modules in /boot (package linux-image-amd64)")
[[ $(dpkg-query -W -f='${db:Status-Status}' busybox-static 2>/dev/null) == installed ]] ||
    missing+=("a static busybox (package busybox-static)")
[[ -x /usr/lib/wine/wine ]] || missing+=("32-bit Wine, /usr/lib/wine/wine (package wine32:i386)")
((${#missing[@]} == 0)) || complain "missing: $(printf '%s; ' "${missing[@]}")tools/deps.sh test installs them"
version=${kernel#/boot/vmlinuz-}
modules_dir=/lib/modules/$version/kernel

# The initramfs: busybox, /init and the modules that the 9p shares and overlayfs (the lanes lay
# their prefixes over one kept) need, each after those it depends on.
modules=()
module_files=()
add_module() {
    local module=$1 file dependency
    [[ " ${modules[*]} " != *" $module "* ]] || return 0
    file=$(find "$modules_dir" \( -name "$module.ko" -o -name "$module.ko.xz" -o -name "$module.ko.zst" \) |
        head -n 1)
    [[ -n $file ]] || complain "the kernel $version has no module $module"
    for dependency in $(modinfo -F depends "$file" | tr ',' ' '); do
        add_module "$dependency"
    done
    modules+=("$module")
    module_files+=("$file")
}
for module in virtio_pci 9pnet_virtio 9p overlay; do
    add_module "$module"
done
mkdir -p "$work"
key=$( (echo "$version"; sha256sum /bin/busybox "$here/init.sh" "${module_files[@]}") | sha256sum)
initramfs="$work/initramfs-$version.cpio"
if [[ ! -f $initramfs || $(cat "$initramfs.key" 2>/dev/null) != "$key" ]]; then
    staging=$(mktemp -d "$work/initramfs.XXXXXX")
    mkdir -p "$staging/bin" "$staging/modules"
    cp /bin/busybox "$staging/bin/busybox"
    install -m 755 "$here/init.sh" "$staging/init"
    for file in "${module_files[@]}"; do
        case $file in
        *.xz) xz -dc "$file" >"$staging/modules/$(basename "${file%.xz}")" ;;
        *.zst) zstd -qdc "$file" >"$staging/modules/$(basename "${file%.zst}")" ;;
        *) cp "$file" "$staging/modules/" ;;
        esac
    done
    printf '%s\n' "${modules[@]}" >"$staging/modules/order"
    (cd "$staging" && find . | LC_ALL=C sort | /bin/busybox cpio -o -H newc 2>/dev/null) >"$initramfs.new"
    mv "$initramfs.new" "$initramfs"
    echo "$key" >"$initramfs.key"
    rm -rf "$staging"
fi

# The job folder shared with the guest: the inputs, the job, and what comes back.
job=$(mktemp -d "$work/job.XXXXXX")
qemu_pid=
finish() {
    [[ -z $qemu_pid ]] || kill -KILL "$qemu_pid" 2>/dev/null || true
    rm -rf "$job"
}
trap finish EXIT
trap 'exit 130' INT TERM
mkdir -p "$job/in" "$job/out" "$job/ref"
for input in "${inputs[@]}"; do
    [[ -e $input ]] || complain "no input $input"
    cp -a "$input" "$job/in/"
done
# References are linked where the file system allows it: nothing is copied twice.
for reference in "${references[@]}"; do
    [[ -e $reference ]] || complain "no reference $reference"
    cp -al "$reference" "$job/ref/" 2>/dev/null || cp -a "$reference" "$job/ref/"
done
cp "$script" "$job/script"
{
    echo 'set -e'
    echo 'mkdir -p /tmp/vm32/in && cp -a /tmp/vm32/share/in/. /tmp/vm32/in/'
    echo 'cp /tmp/vm32/share/script /tmp/vm32/script'
    echo 'export VM32_IN=/tmp/vm32/in VM32_OUT=/tmp/vm32/share/out VM32_REF=/tmp/vm32/share/ref'
    for assignment in "${environment[@]}"; do
        printf 'export %s=%q\n' "${assignment%%=*}" "${assignment#*=}"
    done
    echo 'cd "$VM32_IN"'
    echo 'set +e'
    printf 'bash /tmp/vm32/script'
    printf ' %q' "$@"
    echo
} >"$job/job"

# TCG: a KVM guest does not get through early boot here, and "-cpu max" makes 32-bit
# processes fault in the guest's kernel. TCG keeps the code it translated by address:
# "norandmaps" maps a library at the same address in every process, so that a process start
# reuses the translations of the last one (a start of Wine's reg.exe took 0.34 s instead of
# 0.55 s). 12 GiB: tmpfs takes half, and the two lanes side by
# side hold two 32-bit prefixes (0.65 GB each), two 64-bit ones (1.3 GB each) and a copy each
# of their inputs.
console="$job/console.log"
qemu-system-x86_64 -accel tcg -cpu qemu64,+ssse3,+sse4.1,+sse4.2,+popcnt -m 12288 -smp 2 \
    -nodefaults -no-user-config -display none -monitor none -no-reboot -nic none \
    -serial "file:$console" \
    -kernel "$kernel" -initrd "$initramfs" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1 norandmaps" \
    -fsdev "local,id=root,path=/,security_model=none,readonly=on,multidevs=remap" \
    -device virtio-9p-pci,fsdev=root,mount_tag=root \
    -fsdev "local,id=job,path=$job,security_model=none" \
    -device virtio-9p-pci,fsdev=job,mount_tag=job \
    </dev/null >"$job/qemu.log" 2>&1 &
qemu_pid=$!
deadline=$((SECONDS + timeout))
while kill -0 "$qemu_pid" 2>/dev/null && ((SECONDS < deadline)); do
    sleep 1
done
timed_out=no
if kill -0 "$qemu_pid" 2>/dev/null; then
    timed_out=yes
    kill -KILL "$qemu_pid" 2>/dev/null || true
fi
wait "$qemu_pid" 2>/dev/null || true
qemu_pid=

tail_of_console() {
    echo "vm32: last lines of the guest's console:" >&2
    tail -n 40 "$console" 2>/dev/null | tr -d '\r' | sed 's/^/    /' >&2
    [[ ! -s $job/qemu.log ]] || sed 's/^/    qemu: /' "$job/qemu.log" >&2
}
if [[ $timed_out == yes ]]; then
    echo "vm32: the guest did not finish within $timeout s and was killed" >&2
    tail_of_console
    exit 124
fi
if [[ ! -f $job/status ]]; then
    echo "vm32: the guest ended without the job's exit code" >&2
    tail_of_console
    exit 125
fi
cat "$job/output" 2>/dev/null || true
mkdir -p "$out"
cp -a "$job/out/." "$out/"
status=$(cat "$job/status")
[[ $status =~ ^[0-9]+$ ]] || status=125
exit "$status"
