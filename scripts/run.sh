#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Netsonde (installing what is missing) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build build --target netsonde
exec build/netsonde "$@"
