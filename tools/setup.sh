#!/usr/bin/env bash
# Installs the Debian 12 packages this project needs that are not installed
# yet, and nothing else.
#
#   tools/setup.sh run       build and run the program
#   tools/setup.sh test      also build and run the tests and benchmarks
#                            (the default)
#   tools/setup.sh package   also build the Debian package and check it
#   tools/setup.sh fuzz      the test set and clang 14 with its fuzzer runtime
#
# As root it runs apt-get itself; otherwise it uses sudo when it can, and
# when it cannot, it prints the one command to run.
set -euo pipefail

# One list per set; "test" and "package" build on "run", "fuzz" on "test".
run_packages=(
    cmake g++ make                      # build
    qt6-base-dev                        # Qt 6 Widgets, Gui and Core
    fonts-ipafont-gothic                # the Japanese gothic face of the windows
    qt6-translations-l10n               # Qt's own texts in Japanese
)
test_packages=(
    libgtest-dev libgmock-dev           # logic tests (Qt Test comes with qt6-base-dev)
    libbenchmark-dev                    # benchmarks
    pkgconf libxcb1-dev jq              # start-up and memory comparison
    xvfb xdotool x11-utils imagemagick  # end-to-end tests, screenshots, icon checks
    desktop-file-utils appstream        # desktop entry and metainfo validators
    man-db groff-base                   # manual page checks
    ibus ibus-mozc mozc-server dbus-x11 # end-to-end test with a Japanese input method
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi  # reading it as a screen reader does
    procps                              # pgrep: ending the processes those sessions start
)
package_packages=(
    dpkg-dev file                       # dpkg-shlibdeps for Depends, as CPack runs it
    lintian                             # checks the package
)
fuzz_packages=(
    clang-14 libclang-rt-14-dev         # libFuzzer
)

set=${1:-test}
case $set in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
fuzz) packages=("${run_packages[@]}" "${test_packages[@]}" "${fuzz_packages[@]}") ;;
*)
    echo "usage: $0 [run|test|package|fuzz]" >&2
    exit 2
    ;;
esac

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
install_command=(apt-get install -y --no-install-recommends "${missing[@]}")
export DEBIAN_FRONTEND=noninteractive
can_sudo=false
if command -v sudo >/dev/null && { sudo -n true 2>/dev/null || [[ -t 0 ]]; }; then
    can_sudo=true  # without a password, or with one asked for at the terminal
fi
if [[ $(id -u) -eq 0 ]]; then
    apt-get update -qq
    "${install_command[@]}"
elif $can_sudo; then
    sudo apt-get update -qq
    sudo DEBIAN_FRONTEND=noninteractive "${install_command[@]}"
else
    echo "These packages are missing and this user cannot install them." >&2
    echo "Ask an administrator to run:" >&2
    echo "  apt-get update && ${install_command[*]}" >&2
    exit 1
fi
