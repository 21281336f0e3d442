#!/usr/bin/env bash
# The Windows installer for real, under Wine on a private Xvfb:
#
#   installer_e2e.sh SETUP ZIP
#
# In a fresh Wine prefix: installs SETUP silently (/S); checks the program's
# folder (the same files as ZIP, byte for byte), the Start-menu entry and
# the uninstaller's registration; runs the installed program through the
# end-to-end journey of tests/e2e/run_e2e.sh (the chart's pixels, 閉じる,
# 開始 again, 終了 with status 0); runs the program unpacked from ZIP up to
# its title window; uninstalls silently and checks that no file, shortcut
# or registry entry of the program is left.
set -euo pipefail

[[ $# -eq 2 ]] || { echo "usage: $0 SETUP ZIP" >&2; exit 2; }
SETUP=$(realpath "$1")
ZIP=$(realpath "$2")
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
for tool in wine wineboot wineserver Xvfb xdotool unzip; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 2; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/biorhythm-wine.XXXXXX")
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
RESULT=1
# shellcheck source=SCRIPTDIR/../../tools/lib/xvfb.sh
source "$ROOT/tools/lib/xvfb.sh"

cleanup() {
    wineserver -k 2>/dev/null || true
    stop_private_xvfb
    if [[ $RESULT -eq 0 ]]; then
        rm -rf "$WORK"
    else
        echo "installer e2e: files kept in $WORK" >&2
    fi
}
trap cleanup EXIT

fail() { echo "FAIL [installer]: $*" >&2; exit 1; }
log() { echo "[installer] $*"; }

# Files of the prefix's drive C:, for a before-and-after comparison.
drive_files() { (cd "$WINEPREFIX/drive_c" && find . -type f | LC_ALL=C sort); }

# A registry value as Wine writes it in user.reg: non-ASCII characters as
# \xNNNN escapes.
reg_escape() {
    /usr/bin/python3 -c 'import sys; print("".join(c if ord(c) < 128 else "\\x%04x" % ord(c) for c in sys.argv[1]))' "$1"
}

start_private_xvfb "$WORK/xvfb.log" || fail "could not start Xvfb"
wineboot -i >/dev/null 2>&1
wineserver -w
log "fresh Wine prefix $WINEPREFIX on $DISPLAY"
drive_files >"$WORK/before.txt"
cp "$WINEPREFIX/user.reg" "$WORK/user-before.reg"

# ---- Silent install ----
wine "$SETUP" /S
wineserver -w
user_dir=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
install_dir=$user_dir/AppData/Local/Programs/Biorhythm
[[ -f $install_dir/biorhythm.exe ]] || fail "no biorhythm.exe in $install_dir after the silent install"
log "installed into ${install_dir#"$WINEPREFIX/"}"

# The installed folder holds exactly the zip's files, and the uninstaller.
mkdir "$WORK/unzipped"
unzip -q "$ZIP" -d "$WORK/unzipped"
portable=$WORK/unzipped/$(basename "$ZIP" -win64.zip)
[[ -f $portable/biorhythm.exe ]] || fail "the zip has no $(basename "$portable")/biorhythm.exe"
diff -r --exclude=uninstall.exe "$portable" "$install_dir" >"$WORK/zip-vs-installed.txt" ||
    fail "the installed files differ from the zip's: $(head -5 "$WORK/zip-vs-installed.txt")"
[[ -f $install_dir/uninstall.exe ]] || fail "no uninstall.exe"
(cd "$portable" && find . -type f | LC_ALL=C sort) >"$WORK/shipped.txt"
expected=$(printf '%s\n' ./Qt6Core.dll ./Qt6Gui.dll ./Qt6Widgets.dll ./biorhythm.exe \
    ./imageformats/qico.dll ./libgcc_s_seh-1.dll ./libstdc++-6.dll ./libwinpthread-1.dll \
    ./platforms/qwindows.dll ./qt.conf ./translations/qtbase_ja.qm | LC_ALL=C sort)
[[ $(cat "$WORK/shipped.txt") == "$expected" ]] ||
    fail "shipped files: $(tr '\n' ' ' <"$WORK/shipped.txt"), expected $(tr '\n' ' ' <<<"$expected")"
log "installed files = zip's files: $(tr '\n' ' ' <"$WORK/shipped.txt")"

shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/バイオリズム.lnk"
[[ -f $shortcut ]] || fail "no Start-menu entry バイオリズム.lnk"
log "Start-menu entry: ${shortcut#"$user_dir/"}"

# The uninstaller's registration, as Windows lists installed programs.
key='[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\io.github.biorhythm.biorhythm]'
awk -v key="$key" 'index($0, key) == 1 { on = 1; next } /^\[/ { on = 0 } on && NF' "$WINEPREFIX/user.reg" >"$WORK/uninstall-key.txt"
[[ -s $WORK/uninstall-key.txt ]] || fail "no uninstall key for the program in HKCU"
expect_value() {
    grep -qxF "$1" "$WORK/uninstall-key.txt" || fail "uninstall key lacks $1; it has: $(tr '\n' ' ' <"$WORK/uninstall-key.txt")"
}
expect_value "\"DisplayName\"=\"$(reg_escape バイオリズム)\""
expect_value '"DisplayVersion"="1.00"'
expect_value '"Publisher"="The Biorhythm developers"'
expect_value '"NoModify"=dword:00000001'
grep -q '^"DisplayIcon"=".*\\\\biorhythm.exe,0"$' "$WORK/uninstall-key.txt" || fail "no DisplayIcon naming biorhythm.exe"
grep -q '^"UninstallString"="\\".*\\\\uninstall.exe\\""$' "$WORK/uninstall-key.txt" || fail "no UninstallString"
size_kb=$(sed -n 's/^"EstimatedSize"=dword:\([0-9a-f]*\)$/\1/p' "$WORK/uninstall-key.txt")
installed_kb=$(du -sk --apparent-size "$install_dir" | cut -f1)
[[ -n $size_kb ]] && (( 16#$size_kb > installed_kb * 9 / 10 && 16#$size_kb < installed_kb * 11 / 10 )) ||
    fail "EstimatedSize ${size_kb:-missing} (hex KB) is not the installed size, about $installed_kb KB"
log "registered: バイオリズム 1.00, $((16#$size_kb)) KB"

# ---- The installed program, end to end ----
"$ROOT/tests/e2e/run_e2e.sh" "$install_dir/biorhythm.exe" chart || fail "the journey with the installed program failed"

# ---- The zip, run unpacked: up to its title window, then the exit icon ----
"$ROOT/tests/e2e/run_e2e.sh" "$portable/biorhythm.exe" start_exit || fail "the program unpacked from the zip failed"
wineserver -w

# ---- Silent uninstall ----
# The uninstaller copies itself into %TEMP% and runs from there: wait for
# it. Windows deletes that copy at the next restart, as Wine's restart does.
wine "$install_dir/uninstall.exe" /S
wineserver -w
wineboot -r >/dev/null 2>&1
wineserver -w
[[ ! -e $install_dir ]] || fail "the program's folder is left: $(find "$install_dir" | head -5 | tr '\n' ' ')"
[[ ! -e $shortcut ]] || fail "the Start-menu entry is left"
grep -qi -e 'biorhythm' -e "$(reg_escape バイオリズム)" "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" &&
    fail "registry entries of the program are left: $(grep -i -e biorhythm "$WINEPREFIX/user.reg" | head -3)"
drive_files >"$WORK/after.txt"
diff "$WORK/before.txt" "$WORK/after.txt" >"$WORK/left.txt" && left='' || left=$(grep '^>' "$WORK/left.txt" || true)
[[ -z $left ]] || fail "files left after the uninstall: $left"
log "uninstalled: no file, shortcut or registry entry left"

RESULT=0
echo "PASS [installer]"
