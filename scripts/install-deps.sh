#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building and testing Netsonde need,
# only those that are missing. Needs root (or sudo) the first time.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth poppler-utils fonts-dejavu-core openbox x11-utils xdotool
  iproute2 nftables procps util-linux
  clang clang-format libclang-rt-14-dev
  bind9 bind9-utils bind9-dnsutils openssl
  traceroute mtr-tiny iputils-ping whois time libcap2-bin python3
  librsvg2-bin gzip file binutils lintian appstream desktop-file-utils man-db groff-base
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
