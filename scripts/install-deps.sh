#!/usr/bin/env bash
# Installs the Debian packages Burnmark needs; packages already present are
# skipped. "--test" adds what the tests use (the srecord and jedutil oracles,
# clang for the fuzz targets, umockdev for the simulated programmer behind the
# real USB stack).
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libusb-1.0-0-dev libgtest-dev
          libjpeg-dev fonts-liberation python3)
if [[ "${1:-}" == "--test" ]]; then
    packages+=(srecord mame-tools clang libclang-rt-14-dev umockdev libumockdev-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
