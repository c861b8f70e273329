#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Netsonde with its tests (installing what is missing) and runs every
# test; then builds the Debian package and checks it (lintian, AppStream,
# desktop entry, manual page, an unpacked installation); then builds and
# runs the whole suite again with AddressSanitizer and
# UndefinedBehaviorSanitizer (leaks checked too); then runs every fuzz
# target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure --timeout 300

# The package, from the build above; any lintian error or warning fails.
scripts/package.sh build
scripts/check-package.sh build/netsonde_*.deb

# The first report of either sanitizer ends its test with a failure.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNETSONDE_SANITIZE=ON >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:check_initialization_order=1:strict_init_order=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --timeout 600

# A short run of each fuzz target from its committed seeds; what the fuzzer
# adds goes to a scratch folder, never into the source tree.
fuzz_seconds=${NETSONDE_FUZZ_SECONDS:-10}
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNETSONDE_FUZZ=ON >/dev/null
targets=()
for seeds in tests/fuzz/*/; do
  targets+=("$(basename "$seeds")")
done
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  if ! build-fuzz/tests/fuzz/fuzz_"$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
      -artifact_prefix=build-fuzz/"$target"- "$scratch/$target" "tests/fuzz/$target" >"$log" 2>&1; then
    cat "$log"
    echo "fuzz_$target failed; the input is kept in build-fuzz/" >&2
    exit 1
  fi
  echo "fuzz_$target:"
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|cov:' "$log" | tail -n 4 || true
done
