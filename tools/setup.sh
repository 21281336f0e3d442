#!/usr/bin/env bash
# Installs the Debian 12 packages this project needs that are not installed
# yet, and nothing else.
#
#   tools/setup.sh run       build and run the program
#   tools/setup.sh test      also build and run the tests and benchmarks
#                            (the default)
#   tools/setup.sh package   also build the Debian package and check it
#   tools/setup.sh fuzz      the test set and clang 14 with its fuzzer runtime
#   tools/setup.sh chroot    what the Debian 13 chroots of tools/debian13.sh
#                            and tools/package_check.sh need on the host
#   tools/setup.sh windows   the test set, the MinGW-w64 cross compiler, Wine
#                            and NSIS; and a deb-src entry for Debian's main
#                            archive, so that apt can fetch Qt's source
#
# As root it runs apt-get itself; otherwise it uses sudo when it can, and
# when it cannot, it prints the one command to run.
# shellcheck source=SCRIPTDIR/lib/strict.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/strict.sh"

# One list per set; "test" and "package" build on "run", "fuzz" on "test".
run_packages=(
    cmake g++ make                      # build
    qt6-base-dev                        # Qt 6 Widgets, Gui and Core
    fonts-ipafont-gothic                # the Japanese gothic face of the windows
    qt6-translations-l10n               # Qt's own texts in Japanese
    qt6-wayland                         # runs as a native Wayland client
)
test_packages=(
    libgtest-dev libgmock-dev           # logic tests (Qt Test comes with qt6-base-dev)
    ccache                              # builds in fresh folders reuse earlier objects
    libbenchmark-dev                    # benchmarks
    pkgconf libxcb1-dev jq              # start-up and memory comparison
    python3                             # the end-to-end harness (tests/e2e), Debian's own Python
    xvfb xdotool x11-utils imagemagick  # end to end on X11: display, input, windows, pictures
    openbox mutter                      # ... with a window manager: openbox, and GNOME's
    desktop-file-utils appstream        # desktop entry and metainfo validators
    man-db groff-base                   # manual page checks
    ibus ibus-mozc mozc-server dbus-x11 # end to end with a Japanese input method:
    fcitx5 fcitx5-mozc fcitx5-frontend-qt6  # mozc under ibus and under fcitx5,
    xclip                               # reading back what a box holds
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi  # reading it as a screen reader does
    orca                                # the screen reader itself
    sway wtype grim                     # end to end on Wayland
)
package_packages=(
    dpkg-dev file                       # dpkg-shlibdeps for Depends, as CPack runs it
    lintian                             # checks the package
)
windows_packages=(
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools  # cross compiler
    ninja-build ccache dpkg-dev         # building Qt from Debian's source package
    wine wine64                         # running the Windows build and its tests
    locales                             # a Japanese locale for Wine, as a Japanese Windows has
    nsis                                # the installer
    python3-pefile                      # reading the program's version record and flags
    unzip                               # checking the portable zip
)
chroot_packages=(
    debootstrap                         # makes the Debian 13 system
    iproute2                            # loopback of the tests' private network
)
fuzz_packages=(
    clang-14 libclang-rt-14-dev         # libFuzzer
)

set=${1:-test}
case $set in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
chroot) packages=("${run_packages[@]}" "${chroot_packages[@]}") ;;
fuzz) packages=("${run_packages[@]}" "${test_packages[@]}" "${fuzz_packages[@]}") ;;
windows) packages=("${run_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}") ;;
*)
    echo "usage: $0 [run|test|package|chroot|fuzz|windows]" >&2
    exit 2
    ;;
esac

# Runs a command as root: directly, or through sudo; when neither can be
# done, prints the command for an administrator and fails.
as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null && { sudo -n true 2>/dev/null || [[ -t 0 ]]; }; then
        sudo "$@"   # without a password, or with one asked for at the terminal
    else
        echo "This user cannot do this. Ask an administrator to run:" >&2
        echo "  $*" >&2
        exit 1
    fi
}

# The Windows build compiles Qt from Debian's source package, which apt
# fetches only with a deb-src entry. This one is for the main archive of the
# running release and nothing else.
updated=false
if [[ $set == windows ]]; then
    source_list=/etc/apt/sources.list.d/biorhythm-qt-source.sources
    if [[ ! -f $source_list ]]; then
        . /etc/os-release
        echo "Adding $source_list (Qt's source package for the Windows build)"
        printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" \
            "Suites: $VERSION_CODENAME" "Components: main" \
            "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
            as_root tee "$source_list" >/dev/null
        as_root apt-get update -qq
        updated=true
    fi
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
$updated || as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
