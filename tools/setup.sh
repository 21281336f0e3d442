#!/usr/bin/env bash
# Installs the Debian 12 packages this project needs that are not installed
# yet, and nothing else.
#
#   tools/setup.sh          build, run and test the program
#   tools/setup.sh fuzz     also clang 14 and its fuzzer runtime
#
# As root it runs apt-get itself; otherwise it uses sudo when it can, and
# when it cannot, it prints the one command to run.
set -euo pipefail

packages=(
    cmake g++ make                      # build
    qt6-base-dev                        # Qt 6 Widgets, Gui, Core and Test
    libgtest-dev libgmock-dev           # logic tests
    libbenchmark-dev                    # benchmarks
    pkgconf libxcb1-dev jq              # start-up and memory comparison
    fonts-ipafont-gothic                # the Japanese gothic face of the windows
    xvfb xdotool x11-utils imagemagick  # end-to-end tests and screenshots
    qt6-translations-l10n               # Qt's own texts (context menus, buttons) in Japanese
    ibus ibus-mozc mozc-server dbus-x11 # end-to-end test with a Japanese input method
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi  # reading it as a screen reader does
)
if [[ ${1:-} == fuzz ]]; then
    packages+=(clang-14 libclang-rt-14-dev)
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
