#!/bin/busybox sh
# /init of the 32-bit Wine guest that tools/vm32/run.sh boots. The guest's root is the host's
# own "/", shared read-only over virtio-9p, with tmpfs on /tmp, /run, /root and /dev/shm; the
# job folder is a second, writable share mounted at /tmp/vm32/share. This script chroots into
# the shared root, runs the job there, leaves its exit code in the share and powers off.
/bin/busybox mkdir -p /bin /proc /sys /dev /newroot
/bin/busybox --install -s /bin
export PATH=/bin

mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev

say() { echo "vm32-init: $*" >/dev/console; }
stop() {
    say "$*"
    sync
    poweroff -f
}

for module in $(cat /modules/order); do
    insmod "/modules/$module.ko" || stop "cannot load module $module"
done

# The read-only root is cached in full (cache=loose): every program started would read its
# libraries over 9p again otherwise, which makes each start of Wine take several times as
# long. The job share below takes cache=mmap, without which a PE file read over 9p maps as
# zero pages under Wine (the job runs its programs from a copy on tmpfs all the same).
mount -t 9p -o ro,trans=virtio,version=9p2000.L,cache=loose,msize=262144 root /newroot ||
    stop "cannot mount the host's root"
for dir in tmp run root; do
    mount -t tmpfs -o mode=1777 "$dir" "/newroot/$dir" || stop "cannot mount tmpfs on /$dir"
done
chmod 700 /newroot/root
mount -t proc proc /newroot/proc
mount -t sysfs sys /newroot/sys
mount -t devtmpfs dev /newroot/dev
mkdir -p /newroot/dev/shm /newroot/dev/pts
# What udev would add: bash's process substitution needs /dev/fd.
ln -sf /proc/self/fd /newroot/dev/fd
ln -sf /proc/self/fd/0 /newroot/dev/stdin
ln -sf /proc/self/fd/1 /newroot/dev/stdout
ln -sf /proc/self/fd/2 /newroot/dev/stderr
mount -t tmpfs -o mode=1777 shm /newroot/dev/shm
mount -t devpts devpts /newroot/dev/pts
share=/newroot/tmp/vm32/share
mkdir -p "$share"
mount -t 9p -o trans=virtio,version=9p2000.L,cache=mmap,msize=262144 job "$share" ||
    stop "cannot mount the job share"

say "running the job"
# The job's output goes to a file; the console shows it as it grows. What the job leaves
# running (a wineserver kept up, say) is killed when the job ends.
output=/newroot/tmp/vm32/output
: >"$output"
tail -f "$output" >/dev/console &
chroot /newroot /usr/bin/env -i HOME=/root TMPDIR=/tmp TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash /tmp/vm32/share/job </dev/null >"$output" 2>&1
status=$?
sleep 1
kill -KILL -1
cp "$output" "$share/output"
echo "$status" >"$share/status"
sync
umount "$share"
stop "job ended with exit code $status"
