#!/usr/bin/env bash
# Checks what the build installs, in a staging folder laid out as the Debian
# package lays it out under /usr.
#
#   check_install.sh stage BUILD_DIR CONFIG STAGE
#                         installs the build into STAGE afresh
#                         (DESTDIR=STAGE cmake --install --prefix /usr --strip)
#   check_install.sh desktop STAGE APP_ID
#                         desktop-file-validate says nothing about the entry
#   check_install.sh metainfo STAGE APP_ID
#                         appstreamcli finds no issue, pedantic ones included,
#                         in the metainfo alone and in the whole staged tree
#                         (where the launchable must name the staged entry);
#                         before AppStream 1.0, none but its not knowing the
#                         <developer> block
#   check_install.sh icons STAGE APP_ID
#                         the entry's icon in every hicolor size, each PNG as
#                         large as its folder says and drawn only in the 16
#                         icon colours, fully opaque or fully transparent
#                         (enlarged without smoothing), and the SVG
#   check_install.sh manpages STAGE
#                         man and groff format both pages without a word, the
#                         English one has a whatis line, both are compressed
#                         at the highest level without name or time stamp
#   check_install.sh hardening STAGE
#                         the program has full RELRO (BIND_NOW, GNU_RELRO),
#                         no RPATH or RUNPATH, stack protector checks and no
#                         symbol table
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
usage() { echo "usage: $0 stage|desktop|metainfo|icons|manpages|hardening ARGS..." >&2; exit 2; }
need() {
    local tool
    for tool; do
        command -v "$tool" >/dev/null || fail "$tool is not installed"
    done
}

# Runs a validator that must print nothing and succeed.
silent() {
    local out status=0
    out=$("$@" 2>&1) || status=$?
    if [[ $status -ne 0 || -n $out ]]; then
        printf '%s\n' "$out" >&2
        fail "$1 exited with $status and printed the above"
    fi
}

# appstreamcli always reports its verdict; anything besides the verdict of
# success is an issue. The metainfo is written as AppStream 1.0 wants it
# (Debian 13), with the <developer> block that replaced <developer_name>.
# AppStream before 1.0 (Debian 12: 0.16) does not know that block: its one
# expected report is the info that the tag is unknown, and it must make it.
appstream_clean() {
    local out status=0 version issues unexpected expected=
    version=$(appstreamcli --version | sed -n 's/^AppStream version: *\([0-9]*\)\..*/\1/p')
    [[ $version =~ ^[0-9]+$ ]] || fail "cannot read the version of appstreamcli: $(appstreamcli --version)"
    ((version >= 1)) || expected='^[[:space:]]*I: [^ ]+: unknown-tag developer$'
    out=$(appstreamcli "$@" --no-net --pedantic 2>&1) || status=$?
    issues=$(grep -v -e 'Validation was successful' -e '^$' <<<"$out" || true)
    if [[ -n $expected ]] && ! grep -qE "$expected" <<<"$issues"; then
        fail "appstreamcli $1 (AppStream $version) no longer reports the <developer> block as unknown: $out"
    fi
    # Every issue but the expected one, under the name of its file
    # (validate-tree names each file before its issues).
    unexpected=$(awk -v expected="$expected" '
        /^[^[:space:]].*\.xml:?$/ { file = $0; next }
        expected != "" && $0 ~ expected { next }
        { if (file != "") print file; file = ""; print }' <<<"$issues")
    if [[ $status -ne 0 || -n $unexpected ]]; then
        appstreamcli "$@" --no-net --pedantic --explain >&2 || true
        fail "appstreamcli $1 exited with $status and reported the above"
    fi
}

[[ $# -ge 2 ]] || usage
case=$1
shift

case $case in
stage)
    [[ $# -eq 3 ]] || usage
    build=$1 config=$2 stage=$3
    rm -rf "$stage"
    DESTDIR=$stage cmake --install "$build" --config "$config" --prefix /usr --strip >/dev/null
    [[ -x $stage/usr/bin/biorhythm ]] || fail "nothing installed at $stage/usr/bin/biorhythm"
    ;;
desktop)
    [[ $# -eq 2 ]] || usage
    need desktop-file-validate
    entry=$1/usr/share/applications/$2.desktop
    [[ -f $entry ]] || fail "no desktop entry $entry"
    silent desktop-file-validate "$entry"
    ;;
metainfo)
    [[ $# -eq 2 ]] || usage
    need appstreamcli
    metainfo=$1/usr/share/metainfo/$2.metainfo.xml
    [[ -f $metainfo ]] || fail "no metainfo $metainfo"
    appstream_clean validate "$metainfo"
    appstream_clean validate-tree "$1"
    ;;
icons)
    [[ $# -eq 2 ]] || usage
    need identify convert
    stage=$1 id=$2
    entry=$stage/usr/share/applications/$id.desktop
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [[ $icon == "$id" ]] || fail "the desktop entry's icon is '$icon', not '$id'"
    theme=$stage/usr/share/icons/hicolor
    palette='^(#(000000|800000|008000|808000|000080|800080|008080|C0C0C0|808080|FF0000|00FF00|FFFF00|0000FF|FF00FF|00FFFF|FFFFFF)FF|#[0-9A-F]{6}00)$'
    for size in 16 24 32 48 64 128 256; do
        png=$theme/${size}x${size}/apps/$icon.png
        [[ -f $png ]] || fail "no $size px icon $png"
        got=$(identify -format '%wx%h' "$png")
        [[ $got == "${size}x${size}" ]] || fail "$png is $got"
        # Every colour of the picture, as #RRGGBBAA.
        colours=$(convert "$png" -depth 8 -alpha on -unique-colors txt:- |
            sed -n 's/.* \(#[0-9A-F]\{8\}\) .*/\1/p')
        [[ -n $colours ]] || fail "cannot read the colours of $png"
        if stray=$(grep -Ev "$palette" <<<"$colours"); then
            fail "$png has $(wc -l <<<"$stray") colours outside the icon palette (smoothed?), such as $(head -n 3 <<<"$stray" | tr "\n" " ")"
        fi
    done
    svg=$theme/scalable/apps/$icon.svg
    [[ -f $svg ]] || fail "no scalable icon $svg"
    grep -q '<svg ' "$svg" || fail "$svg is not an SVG picture"
    ;;
manpages)
    [[ $# -eq 1 ]] || usage
    need man lexgrog od
    for page in "$1/usr/share/man/man1/biorhythm.1.gz" "$1/usr/share/man/ja/man1/biorhythm.1.gz"; do
        [[ -f $page ]] || fail "no manual page $page"
        # gzip header: no FNAME flag (byte 3, bit 3), MTIME 0 (bytes 4-7),
        # XFL 2 = highest compression (byte 8).
        read -r -a header < <(od -An -tu1 -N9 "$page")
        (( (header[3] & 8) == 0 )) || fail "$page stores its file name"
        (( header[4] + header[5] + header[6] + header[7] == 0 )) || fail "$page stores a time stamp"
        (( header[8] == 2 )) || fail "$page is not compressed at the highest level"
        # Formatted the way Debian's lintian does it; any word on stderr is
        # a warning.
        warnings=$(env -i PATH="$PATH" LC_ALL=C.UTF-8 MANROFFSEQ= MANWIDTH=80 \
            man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) ||
            fail "man cannot format $page: $warnings"
        [[ -z $warnings ]] || fail "man and groff warn about $page:"$'\n'"$warnings"
    done
    whatis=$(LC_ALL=C.UTF-8 lexgrog "$1/usr/share/man/man1/biorhythm.1.gz") ||
        fail "no whatis line in the English manual page: $whatis"
    [[ $whatis == *'"biorhythm - '* ]] || fail "odd whatis line: $whatis"
    ;;
hardening)
    [[ $# -eq 1 ]] || usage
    need readelf
    program=$1/usr/bin/biorhythm
    [[ -f $program ]] || fail "no program at $program"
    # Whole outputs first: grep -q in a pipe would end readelf early.
    dynamic=$(readelf -dW "$program")
    segments=$(readelf -lW "$program")
    symbols=$(readelf --dyn-syms -W "$program")
    sections=$(readelf -SW "$program")
    if grep -E '\((RPATH|RUNPATH)\)' <<<"$dynamic"; then
        fail "the program carries a library search path"
    fi
    grep -Eq '\(FLAGS\).*BIND_NOW' <<<"$dynamic" || fail "no BIND_NOW: the program is linked without -z now"
    grep -q GNU_RELRO <<<"$segments" || fail "no GNU_RELRO segment: linked without -z relro"
    grep -q ' __stack_chk_fail@' <<<"$symbols" ||
        fail "the program calls no __stack_chk_fail: built without a stack protector"
    if grep -q '\.symtab' <<<"$sections"; then
        fail "the program keeps its symbol table: not stripped"
    fi
    ;;
*)
    usage
    ;;
esac
