#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Netsonde and runs every test (installing what is missing), in timed
# stages:
#   1. the build, and the unit tests in parallel;
#   2. the lab tests (CTest label netns), then the Debian package and its
#      check (lintian, AppStream, desktop entry, manual page, an unpacked
#      installation);
#   3. the AddressSanitizer and UndefinedBehaviorSanitizer build and the
#      whole suite under it (leaks checked too);
#   4. every fuzz target for a few seconds.
# At the end it prints each stage's time and the test share of the code.
# A test that did not run, or a skip whose reason tests/allowed-skips.txt
# does not list, fails the run.
#
#   scripts/test.sh --quick    stage 1 alone, for the edit-build-test loop
set -euo pipefail
cd "$(dirname "$0")/.."

quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
# The compiler cache serves any clone of the tree, wherever it lies.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
jobs=$(nproc)
scratch=$(mktemp -d)
timings=()

print_summary() {
  local status=$?
  rm -rf "$scratch"
  echo
  [ ${#timings[@]} -gt 0 ] && printf '%s\n' "${timings[@]}"
  scripts/test-share.py
  exit "$status"
}
trap print_summary EXIT

# stage NAME COMMAND...: runs COMMAND and records how long it took.
stage() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  timings+=("$(printf '%-44s %5d s' "$name" $((SECONDS - start)))")
}

# configure DIR CMAKE_ARGUMENT...
configure() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@" >/dev/null
}

# run_tests DIR NAME CTEST_ARGUMENT...: the tests, then their skips checked.
run_tests() {
  local dir=$1 junit=$scratch/$2.xml status=0
  shift 2
  ctest --test-dir "$dir" --output-on-failure --test-output-size-passed 1048576 \
    --output-junit "$junit" --parallel "$jobs" "$@" || status=$?
  scripts/check-skips.py --allowed tests/allowed-skips.txt "$junit" || status=1
  return "$status"
}

# The install prefix is the package's, so the package reuses this build.
build_and_unit_tests() {
  configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr
  cmake --build build --parallel "$jobs"
  run_tests build unit --label-exclude netns --timeout 300
}

lab_tests_and_package() {
  run_tests build lab --label-regex netns --timeout 300
  # Any lintian hint fails, informational and pedantic ones too.
  scripts/package.sh build
  scripts/check-package.sh build/netsonde_*.deb
}

# The first report of either sanitizer ends its test with a failure.
sanitizer_suite() {
  configure build-asan -DCMAKE_BUILD_TYPE=Debug -DNETSONDE_SANITIZE=ON
  cmake --build build-asan --parallel "$jobs"
  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:check_initialization_order=1:strict_init_order=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    run_tests build-asan sanitizers --timeout 600
}

# fuzz_target NAME: a short run from the committed seeds; what the fuzzer
# adds goes to the scratch folder, never into the source tree.
fuzz_target() {
  local target=$1 log=$scratch/$1.log
  mkdir -p "$scratch/$target"
  if ! build-fuzz/tests/fuzz/fuzz_"$target" -max_total_time="${NETSONDE_FUZZ_SECONDS:-10}" -print_final_stats=1 \
      -artifact_prefix=build-fuzz/"$target"- "$scratch/$target" "tests/fuzz/$target" >"$log" 2>&1; then
    cat "$log"
    echo "fuzz_$target failed; the input is kept in build-fuzz/" >&2
    return 1
  fi
  echo "fuzz_$target:"
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|cov:' "$log" | tail -n 4 || true
}

# The targets run side by side, as many at a time as there are processors.
fuzz_targets() {
  local targets=() batch pids failed=0 i pid
  for seeds in tests/fuzz/*/; do
    targets+=("$(basename "$seeds")")
  done
  CXX=clang++ configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNETSONDE_FUZZ=ON
  cmake --build build-fuzz --parallel "$jobs" --target "${targets[@]/#/fuzz_}"
  for ((i = 0; i < ${#targets[@]}; i += jobs)); do
    batch=("${targets[@]:i:jobs}")
    pids=()
    for target in "${batch[@]}"; do
      fuzz_target "$target" >"$scratch/$target.summary" 2>&1 &
      pids+=($!)
    done
    for pid in "${pids[@]}"; do
      wait "$pid" || failed=1
    done
    for target in "${batch[@]}"; do
      cat "$scratch/$target.summary"
    done
  done
  return "$failed"
}

stage "1. build and unit tests" build_and_unit_tests
$quick && exit 0
stage "2. lab tests and package" lab_tests_and_package
stage "3. sanitizer build and whole suite" sanitizer_suite
stage "4. fuzz targets" fuzz_targets
