# shellcheck shell=bash
# Debian 13 (trixie) chroots for the Debian 13 leg and the package leg, kept
# in a cache folder outside the checkout. Source it (as root), then:
#
#   chroot_base              makes the pristine minbase system BASE_ROOT
#                            with debootstrap, or brings it up to date when it
#                            is current (apt-get update and upgrade); remakes
#                            it when its record differs or it is too old
#   chroot_copy NAME         makes CACHE/NAME a copy of the base once; remade
#                            whenever the base is remade.
#                            Downloaded packages are kept in CACHE/apt-archives,
#                            shared by all chroots (apt-get autoclean drops
#                            those the archive no longer has)
#   chroot_test_system CHECKOUT SET...
#                            the base, then the chroot "test" (a copy of it),
#                            up to date, with the sets of CHECKOUT's own
#                            tools/setup.sh installed (with CI=true); its
#                            folder is TEST_ROOT
#   chroot_run ROOT [--overlay LOWER] [--checkout DIR] [--host-tmp]
#              [--no-network] [--outside] -- CMD...
#                            runs CMD inside ROOT in a private mount namespace
#                            with /proc, /sys, /dev, /dev/pts, /dev/shm, a
#                            tmpfs /tmp (or the host's /tmp with --host-tmp),
#                            the shared apt download cache and the checkout at
#                            /checkout mounted; all unmounted again on exit.
#                            --no-network: a private network namespace with
#                            loopback only, so that X servers and buses of the
#                            tests cannot meet those of the host. --overlay:
#                            ROOT is an overlay of LOWER (changes kept in
#                            ROOT.upper); --outside: CMD runs outside the
#                            chroot with CHROOT_ROOT set (tools/lib/chroot_run.sh)
#   chroot_remove DIR        removes a chroot folder, refusing while anything
#                            is mounted below it
#
# These do their work in the calling shell, never inside "$(...)", so that a
# failing step ends the caller (tools/lib/strict.sh).
#
# Nothing here is mounted in the host's mount namespace: chroot_run mounts in
# a namespace of its own (unshare), which the kernel takes down with all its
# mounts when its last process ends, whatever happens to the script.

CHROOT_SUITE=trixie
CHROOT_MIRROR=http://deb.debian.org/debian
CHROOT_MAX_AGE_DAYS=30
# What the base is made from; a base with another record is made afresh.
CHROOT_RECIPE="suite=$CHROOT_SUITE variant=minbase mirror=$CHROOT_MIRROR"
CHROOT_CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/biorhythm/debian13
BASE_ROOT=$CHROOT_CACHE/base
TEST_ROOT=$CHROOT_CACHE/test
CHROOT_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

chroot_log() { echo "[debian13] $*" >&2; }

# Fails when anything is mounted at or below DIR (in this namespace).
chroot_check_unmounted() {
    local dir
    dir=$(realpath -m "$1")
    if awk -v d="$dir" '$5 == d || index($5, d "/") == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo; then
        chroot_log "error: something is still mounted below $dir:"
        awk -v d="$dir" '$5 == d || index($5, d "/") == 1 { print "  " $5 }' /proc/self/mountinfo >&2
        return 1
    fi
}

chroot_remove() {
    local dir=$1
    [[ -e $dir ]] || return 0
    chroot_check_unmounted "$dir" || return 1
    rm -rf --one-file-system "$dir"
}

# Prints the record of ROOT (its .made file): recipe and the time it was made.
chroot_record() { cat "$1.made" 2>/dev/null || true; }

# True when ROOT was made by the current recipe (and FROM, when given) less
# than CHROOT_MAX_AGE_DAYS ago.
chroot_current() {
    local root=$1 from=${2:-} record made
    [[ -d $root && -f $root.made ]] || return 1
    record=$(chroot_record "$root")
    grep -qxF "recipe: $CHROOT_RECIPE" <<<"$record" || return 1
    if [[ -n $from ]]; then
        grep -qxF "from: $from" <<<"$record" || return 1
    fi
    made=$(sed -n 's/^made: //p' <<<"$record")
    [[ $made =~ ^[0-9]+$ ]] || return 1
    (($(date +%s) - made < CHROOT_MAX_AGE_DAYS * 86400))
}

chroot_base() {
    mkdir -p "$CHROOT_CACHE/apt-archives/partial"
    if chroot_current "$BASE_ROOT"; then
        chroot_log "base: reusing $BASE_ROOT ($(sed -n 's/^made: //p' "$BASE_ROOT.made" | xargs -I{} date -u -d @{} +%F)); bringing it up to date"
        chroot_run "$BASE_ROOT" -- sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get -y -qq dist-upgrade && apt-get autoclean -qq'
        return
    fi
    chroot_log "base: making $BASE_ROOT with debootstrap ($CHROOT_RECIPE)"
    chroot_remove "$BASE_ROOT" || return 1
    rm -f "$BASE_ROOT.made"
    # The shared download cache serves debootstrap too.
    debootstrap --variant=minbase --cache-dir="$CHROOT_CACHE/apt-archives" \
        "$CHROOT_SUITE" "$BASE_ROOT" "$CHROOT_MIRROR" >"$CHROOT_CACHE/debootstrap.log" 2>&1 || {
        chroot_log "error: debootstrap failed; see $CHROOT_CACHE/debootstrap.log"
        tail -20 "$CHROOT_CACHE/debootstrap.log" >&2
        return 1
    }
    # The archive's index, so that apt can install at once.
    chroot_run "$BASE_ROOT" -- sh -c 'apt-get update -qq && apt-get autoclean -qq'
    printf 'recipe: %s\nmade: %s\ndebootstrap: %s\n' "$CHROOT_RECIPE" "$(date +%s)" \
        "$(dpkg-query -W -f='${Version}' debootstrap)" >"$BASE_ROOT.made"
}

chroot_copy() {
    local name=$1 root=$CHROOT_CACHE/$1 base_made
    base_made=$(sed -n 's/^made: //p' "$BASE_ROOT.made")
    if chroot_current "$root" "base made $base_made"; then
        chroot_log "$name: reusing $root"
    else
        chroot_log "$name: copying the base into $root"
        chroot_remove "$root" || return 1
        rm -f "$root.made"
        cp -a --one-file-system "$BASE_ROOT" "$root"
        printf 'recipe: %s\nfrom: base made %s\nmade: %s\n' "$CHROOT_RECIPE" "$base_made" "$(date +%s)" >"$root.made"
    fi
}

chroot_test_system() {
    local checkout=$1 set; shift
    chroot_base
    chroot_copy test
    chroot_log "test: bringing it up to date"
    chroot_run "$TEST_ROOT" -- sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get -y -qq dist-upgrade'
    for set; do
        chroot_log "test: tools/setup.sh $set"
        chroot_run "$TEST_ROOT" --checkout "$checkout" -- sh -c "cd /checkout && CI=true tools/setup.sh $set"
    done
    chroot_run "$TEST_ROOT" -- apt-get autoclean -qq
}

chroot_run() {
    [[ $(id -u) -eq 0 ]] || { chroot_log "error: chroots need root"; return 1; }
    CHROOT_CACHE=$CHROOT_CACHE unshare --mount --propagation private -- bash "$CHROOT_TOOLS/chroot_run.sh" "$@"
}
