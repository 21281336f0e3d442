#!/usr/bin/env bash
# Runs a command inside a chroot, with what programs need mounted. Started by
# chroot_run (tools/lib/chroot.sh) inside a private mount namespace:
#
#   chroot_run.sh ROOT [--overlay LOWER] [--checkout DIR] [--host-tmp]
#                 [--no-network] [--outside] -- CMD...
#
# --overlay LOWER: ROOT is the empty mount point of an overlay of LOWER,
# whose changes are kept in ROOT.upper (ROOT.work is the overlay's own).
# --outside: CMD runs here, outside the chroot, with everything mounted and
# CHROOT_ROOT set (for a test on the host driving a program in the chroot).
# Inside, the environment is a clean one (PATH, HOME, LANG, TERM, and CI,
# DISPLAY, XDG_RUNTIME_DIR, QT_QPA_PLATFORM when set). CMD's exit status is
# the script's.
# shellcheck source=SCRIPTDIR/strict.sh
source "$(dirname "${BASH_SOURCE[0]}")/strict.sh"

root=$(realpath "$1")
shift
checkout='' host_tmp=false network=true lower='' outside=false
while [[ $# -gt 0 ]]; do
    case $1 in
    --overlay) lower=$(realpath "$2"); shift 2 ;;
    --outside) outside=true; shift ;;
    --checkout) checkout=$(realpath "$2"); shift 2 ;;
    --host-tmp) host_tmp=true; shift ;;
    --no-network) network=false; shift ;;
    --) shift; break ;;
    *) echo "chroot_run.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
[[ $# -gt 0 ]] || { echo "chroot_run.sh: no command" >&2; exit 2; }

# Started by chroot_run only: mounts made outside a private namespace would
# show on the host.
if [[ $(readlink /proc/self/ns/mnt) == "$(readlink /proc/1/ns/mnt)" ]]; then
    echo "chroot_run.sh: not in a private mount namespace; use chroot_run" >&2
    exit 2
fi

mounted=()
mount_at() {
    local target=$1; shift
    mount "$@" "$target"
    mounted+=("$target")
}
# shellcheck disable=SC2317  # called by the trap
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
    done
}
trap cleanup EXIT

if [[ -n $lower ]]; then
    mkdir -p "$root" "$root.upper" "$root.work"
    mount_at "$root" -t overlay overlay -o "lowerdir=$lower,upperdir=$root.upper,workdir=$root.work"
fi
[[ -x $root/bin/sh ]] || { echo "chroot_run.sh: $root is not a system" >&2; exit 2; }

mount_at "$root/proc" -t proc proc
mount_at "$root/sys" --bind /sys
mount_at "$root/dev" --bind /dev
mount_at "$root/dev/pts" --bind /dev/pts
mount_at "$root/dev/shm" -t tmpfs -o mode=1777,nosuid,nodev shm
if $host_tmp; then
    mount_at "$root/tmp" --bind /tmp
else
    mount_at "$root/tmp" -t tmpfs -o mode=1777,nosuid,nodev tmp
fi
cache=${CHROOT_CACHE:?}/apt-archives
mkdir -p "$cache/partial" "$root/var/cache/apt/archives"
mount_at "$root/var/cache/apt/archives" --bind "$cache"
if [[ -n $checkout ]]; then
    mkdir -p "$root/checkout"
    mount_at "$root/checkout" --bind "$checkout"
fi
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

environment=(PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
             HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}")
for name in CI DISPLAY XDG_RUNTIME_DIR QT_QPA_PLATFORM; do
    [[ -n ${!name:-} ]] && environment+=("$name=${!name}")
done

if $outside; then
    run=(env CHROOT_ROOT="$root" "$@")
else
    run=(chroot "$root" env -i "${environment[@]}" "$@")
fi
status=0
if $network; then
    "${run[@]}" || status=$?
else
    # Loopback only: X servers, D-Bus and AT-SPI buses use abstract sockets,
    # which are per network namespace.
    unshare --net -- sh -c 'ip link set lo up && exec "$@"' sh "${run[@]}" || status=$?
fi
exit "$status"
