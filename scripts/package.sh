#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in BUILD_DIR (default build-package): the
# stripped program in netsonde_<version>_<arch>.deb and its debug symbols in
# netsonde-dbgsym_<version>_<arch>.ddeb beside it. Prints both paths.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
scripts/install-deps.sh
# The prefix the package installs under: the window library's folder
# (lib/<multiarch>/netsonde) and its path from the executable's folder,
# compiled into the executable, both follow from it.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" --target netsonde netsonde_window netsonde_data
rm -f "$build"/netsonde_*.deb "$build"/netsonde-dbgsym_*.ddeb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/netsonde_*.deb "$build"/netsonde-dbgsym_*.ddeb
