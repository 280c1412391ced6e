#!/usr/bin/env bash
# The README's two commands on a fresh machine: makes a minimal Debian chroot with debootstrap
# (the distribution's mirror and this machine's apt sources, so that it meets the package
# registry as this machine does, in flux or not), copies a clean clone of this repository's
# HEAD into it, and runs tools/run.sh and then tools/test.sh there, timing each. Exits 0 when
# both passed. Run it, as root, before closing a change that touches what is installed or how;
# it takes many minutes and downloads every package the project needs. The chroot shares this
# machine's kernel: whether 32-bit programs run (and so whether the lanes take the guest) is
# this machine's answer, not that of a fresh one of the other kind.
#
#   tools/fresh.sh [--keep] [--only run|test] [DIR]
#
# DIR is the chroot (default /var/tmp/quellin-fresh, outside the clone); it is made anew, and
# removed at the end unless --keep. --only runs one of the two commands. What each command
# printed is in DIR/../quellin-fresh-run.log and ...-test.log (beside DIR, kept).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
keep=no only=
while (($#)); do
    case $1 in
    --keep) keep=yes ;;
    --only)
        [[ ${2:-} == run || ${2:-} == test ]] || { echo "usage: fresh.sh [--keep] [--only run|test] [DIR]" >&2; exit 2; }
        only=$2
        shift
        ;;
    -*) echo "usage: fresh.sh [--keep] [--only run|test] [DIR]" >&2; exit 2 ;;
    *) break ;;
    esac
    shift
done
dir=$(realpath -m "${1:-/var/tmp/quellin-fresh}")
logs=${dir%/}
(($(id -u) == 0)) || { echo "fresh.sh: run it as root (debootstrap, chroot)" >&2; exit 2; }
[[ $dir != "$root"* ]] || { echo "fresh.sh: the chroot must lie outside the clone" >&2; exit 2; }

# This machine's mirror of the distribution: the first apt source that serves bookworm itself
# (not its security suite), from the deb822 files or the one-line lists.
mirror=$(
    {
        awk 'BEGIN { RS = ""; FS = "\n" }
             { uris = ""; suites = ""; enabled = 1
               for (i = 1; i <= NF; i++) {
                   if ($i ~ /^URIs:/) { uris = $i; sub(/^URIs: */, "", uris) }
                   if ($i ~ /^Suites:/) { suites = " " $i " "; sub(/^Suites:/, "", suites) }
                   if ($i ~ /^Enabled: *no/) enabled = 0 }
               if (enabled && suites ~ / bookworm / && uris != "") { split(uris, u, " "); print u[1] } }' \
            /etc/apt/sources.list.d/*.sources 2>/dev/null || true
        awk '$1 == "deb" && $0 ~ / bookworm / { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; break } }' \
            /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true
    } | head -n 1
)
[[ -n $mirror ]] || { echo "fresh.sh: no apt source of bookworm on this machine to take the mirror from" >&2; exit 1; }
command -v debootstrap >/dev/null || {
    echo "installing: debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
}

mounted=()
finish() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -l "${mounted[$i]}" 2>/dev/null || true
    done
    [[ $keep == yes ]] || rm -rf --one-file-system "$dir"
}
trap finish EXIT

seconds() { echo $((SECONDS - $1)); }
rm -rf --one-file-system "$dir"
mkdir -p "$dir"
start=$SECONDS
echo "fresh: debootstrap --variant=minbase bookworm $dir $mirror"
debootstrap --variant=minbase bookworm "$dir" "$mirror" >"$logs-debootstrap.log" 2>&1 || {
    tail -n 20 "$logs-debootstrap.log" >&2
    echo "fresh: debootstrap failed" >&2
    exit 1
}
echo "fresh: the chroot in $(seconds "$start") s"

# The registry as this machine sees it: its apt sources (the disabled ones stay out), its name
# service...
rm -f "$dir/etc/apt/sources.list"
rm -rf "$dir/etc/apt/sources.list.d"
mkdir -p "$dir/etc/apt/sources.list.d"
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
    [[ -f $file ]] || continue
    cp "$file" "$dir$file"
done
cp -L /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
# ...and the certificates this machine trusts, with npm's settings that name them: a machine of
# this workplace reaches the npm registry through them.
if compgen -G '/usr/local/share/ca-certificates/*' >/dev/null; then
    mkdir -p "$dir/usr/local/share/ca-certificates"
    cp -a /usr/local/share/ca-certificates/. "$dir/usr/local/share/ca-certificates/"
fi
[[ ! -f /etc/ssl/certs/ca-certificates.crt ]] || {
    mkdir -p "$dir/etc/ssl/certs"
    cp /etc/ssl/certs/ca-certificates.crt "$dir/etc/ssl/certs/"
}
for file in /etc/npmrc /usr/etc/npmrc; do
    [[ ! -f $file ]] || { mkdir -p "$dir${file%/*}"; cp "$file" "$dir$file"; }
done
for mount in proc sys dev dev/pts; do
    mkdir -p "$dir/$mount"
    case $mount in
    proc) mount -t proc proc "$dir/proc" ;;
    sys) mount -t sysfs sys "$dir/sys" ;;
    dev) mount --bind /dev "$dir/dev" ;;
    dev/pts) mount -t devpts devpts "$dir/dev/pts" ;;
    esac
    mounted+=("$dir/$mount")
done
mount -t tmpfs -o mode=1777 shm "$dir/dev/shm" && mounted+=("$dir/dev/shm")

# A clean clone: what is committed, nothing of this work tree's builds.
mkdir -p "$dir/work"
git -C "$root" rev-parse --verify -q HEAD >/dev/null || { echo "fresh.sh: no commit to clone" >&2; exit 1; }
git clone -q --no-local "$root" "$dir/work/quellin"
echo "fresh: a clean clone of $(git -C "$root" rev-parse --short HEAD) in $dir/work/quellin"

status=0
for command in run test; do
    [[ -z $only || $only == "$command" ]] || continue
    start=$SECONDS
    rc=0
    chroot "$dir" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /work/quellin && bash tools/$command.sh" </dev/null >"$logs-$command.log" 2>&1 || rc=$?
    echo "fresh: bash tools/$command.sh: exit code $rc in $(seconds "$start") s (its output: $logs-$command.log)"
    if ((rc != 0)); then
        tail -n 15 "$logs-$command.log" | sed 's/^/    /'
        status=1
    fi
done
exit $status
