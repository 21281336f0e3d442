#!/usr/bin/env bash
# The Debian package, checked as CI checks it (as root):
#
#   tools/package_check.sh
#
#  1. builds it here (Debian 12) with tools/dev.sh package, which fails on
#     any lintian error or warning;
#  2. checks it again with Debian 13's lintian, in the Debian 13 chroot of
#     tools/debian13.sh (the package set of tools/setup.sh installed there);
#  3. installs it with apt into a fresh Debian 13: an overlay over the
#     pristine minbase system with an init (systemd-sysv), thrown away
#     afterwards, so that nothing but the package and what apt brings with
#     it is there;
#  4. runs the installed /usr/bin/biorhythm through the chart journey of the
#     end-to-end harness (tests/e2e: Xvfb, openbox and xdotool on this side,
#     the program in the chroot);
#  5. purges it with apt, and what apt brought with it (autoremove), and
#     checks that nothing is left: no file it listed, no package that was
#     not there before, no file anywhere that was not there before outside
#     apt's and dpkg's own records, logs and caches.
# shellcheck source=SCRIPTDIR/lib/strict.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/strict.sh"
cd "$(dirname "$0")/.."
checkout=$PWD

[[ $(id -u) -eq 0 ]] || { echo "error: $0 makes and enters chroots: run it as root" >&2; exit 1; }
tools/setup.sh test      # Xvfb, xdotool, ImageMagick for the journey
tools/setup.sh chroot
# shellcheck source=SCRIPTDIR/lib/chroot.sh
source tools/lib/chroot.sh
log() { echo "[package] $*" >&2; }
fail() { echo "FAIL [package]: $*" >&2; exit 1; }
started=$SECONDS

# 1. Built on Debian 12, lintian clean there.
deb=$(tools/dev.sh package | tail -n 1)
[[ -f $deb && $deb == "$checkout"/build-package/*.deb ]] || fail "tools/dev.sh package printed no .deb: $deb"
log "built $deb; Depends: $(dpkg-deb -f "$deb" Depends)"

# 2. Debian 13's lintian.
chroot_test_system "$checkout" package
root=$TEST_ROOT
chroot_run "$root" --checkout "$checkout" -- lintian --version
chroot_run "$root" --checkout "$checkout" -- \
    lintian --info --display-info --fail-on error,warning "/checkout/${deb#"$checkout"/}" ||
    fail "Debian 13's lintian finds errors or warnings (above)"
log "Debian 13's lintian: clean"

# 3-5. A fresh Debian 13. Its changes live in an overlay's upper folder,
# removed at the end; the records of each step go to WORK, which the
# chroot sees as its own /tmp (the host's, so that the program reaches the
# test's X server).
WORK=$(mktemp -d /tmp/biorhythm-package.XXXXXX)
fresh=$(mktemp -d "$CHROOT_CACHE/fresh.XXXXXX")
finish() {
    chroot_remove "$fresh" || echo "warning: $fresh left behind" >&2
}
trap finish EXIT
cp "$deb" "$WORK/"
package_file=$WORK/$(basename "$deb")
in_fresh() { chroot_run "$fresh/root" --overlay "$BASE_ROOT" --host-tmp "$@"; }

# Everything of the system that a package could leave behind: installed
# packages, and every path on the system's own file system (not /proc, /dev,
# /tmp and the other mounts).
snapshot() {
    in_fresh -- sh -c "
        dpkg-query -W -f='\${binary:Package} \${Version} \${db:Status-Abbrev}\n' | sort >$WORK/$1.packages
        find / -xdev | sort >$WORK/$1.files"
}
# A minbase system has no init. Every installed Debian 13 has one, systemd,
# and the certificates apt recommends: a desktop package that brings them
# in (here through D-Bus) leaves them behind on purpose, since Debian marks
# systemd-sysv as protected from removal. So the fresh system gets them
# first, as a real one has them.
in_fresh -- env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq systemd-sysv ca-certificates >/dev/null ||
    fail "could not install systemd-sysv into the fresh system"
snapshot before
log "fresh Debian 13: $(wc -l <"$WORK/before.packages") packages"

in_fresh -- env DEBIAN_FRONTEND=noninteractive apt-get install -y "$package_file" | tee "$WORK/install.log" ||
    fail "apt could not install the package on Debian 13"
in_fresh -- sh -c "dpkg -L biorhythm >$WORK/package.files
    dpkg-query -W -f='\${Version} \${db:Status-Abbrev}\n' biorhythm >$WORK/package.status"
[[ $(cat "$WORK/package.status") == "1.00 ii " ]] || fail "biorhythm not installed: $(cat "$WORK/package.status")"
grep -qx /usr/bin/biorhythm "$WORK/package.files" || fail "the package has no /usr/bin/biorhythm"
log "installed with apt, $(wc -l <"$WORK/package.files") paths; Qt there: $(grep -o 'libqt6core6[a-z0-9]* [^ ]*' "$WORK/install.log" | head -1 || true)"

# The installed program through the chart journey: the test's X server and
# xdotool here, the program in the fresh system.
# Its user's home is in WORK: what the program or Qt keep there (caches) are
# the user's files, not the system's.
mkdir -p "$WORK/home"
cat >"$WORK/biorhythm" <<EOF
#!/bin/sh
exec env -u XDG_CACHE_HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME=$WORK/home \\
    chroot "$(realpath "$fresh/root")" /usr/bin/biorhythm "\$@"
EOF
chmod +x "$WORK/biorhythm"
in_fresh --outside -- /usr/bin/python3 tests/e2e/e2e.py run chart x11 --program "$WORK/biorhythm" ||
    fail "the installed program failed the journey (above)"
log "the installed /usr/bin/biorhythm passed the chart journey"

in_fresh -- env DEBIAN_FRONTEND=noninteractive sh -c 'apt-get purge -y biorhythm && apt-get autoremove --purge -y' |
    tee "$WORK/purge.log" || fail "apt could not remove the package"
# apt keeps what an installed package still recommends or suggests, even
# when it came with biorhythm (libraries that systemd suggests, say). Such a
# package is only accepted when apt would remove it but for that; it is then
# purged too, so that the system is compared with what it was.
snapshot purged
names() { awk '{ sub(/:.*/, "", $1); print $1 }' "$@"; }
kept=$(comm -13 <(names "$WORK/before.packages" | sort) <(names "$WORK/purged.packages" | sort))
if [[ -n $kept ]]; then
    weak=$(in_fresh -- apt-get -s autoremove -o APT::AutoRemove::RecommendsImportant=false \
        -o APT::AutoRemove::SuggestsImportant=false | sed -n 's/^Remv \([^ :]*\).*/\1/p')
    strong=$(comm -23 <(sort <<<"$kept") <(sort <<<"$weak"))
    [[ -z $strong ]] || fail "packages that came with biorhythm and stay for no weak dependency: $strong"
    log "kept by apt since installed packages recommend or suggest them: ${kept//$'\n'/ }"
    # shellcheck disable=SC2086
    in_fresh -- env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq $kept >/dev/null
fi
snapshot after

# Nothing of the package is left but the folders it shared with others
# (/usr, /usr/share/man/man1, ...), which stay while other packages own them.
left=$(in_fresh -- sh -c "while read -r path; do
        [ \"\$path\" = /. ] || [ ! -e \"\$path\" ] && continue
        [ -d \"\$path\" ] && dpkg-query -S \"\$path\" >/dev/null 2>&1 && continue
        echo \"\$path\"
    done <$WORK/package.files")
[[ -z $left ]] || fail "left behind from the package: $left"
in_fresh -- dpkg-query -W biorhythm >/dev/null 2>&1 && fail "dpkg still knows biorhythm: $(in_fresh -- dpkg -l biorhythm | tail -1)"
diff -u "$WORK/before.packages" "$WORK/after.packages" >&2 ||
    fail "the installed packages differ from the fresh system's (above)"
# Every new path: apt's and dpkg's records, logs and caches are expected to
# change; anything else is left behind.
bookkeeping='^/var/(lib/dpkg|lib/apt|log|cache/(apt|debconf|ldconfig))(/|$)|^/etc/ld\.so\.cache$'
new=$(comm -13 "$WORK/before.files" "$WORK/after.files" | grep -Ev "$bookkeeping" || true)
[[ -z $new ]] || fail "left behind on the system after purge and autoremove:
$new"
log "purged with apt: no file, folder or package of it left"

rm -rf "$WORK"
log "package leg passed in $((SECONDS - started)) s"
