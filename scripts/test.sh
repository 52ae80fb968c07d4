#!/bin/sh
# Builds Mivrola and runs every test. With --sanitize, also the AddressSanitizer +
# UndefinedBehaviorSanitizer build, and the parallel tests under ThreadSanitizer.
set -e
cd "$(dirname "$0")/.."
scripts/setup-packages.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --preset default -j "$(nproc)"
[ "$1" = "--sanitize" ] || exit 0

# Under the sanitizers each test binary runs once, whole, two side by side: a sanitized process
# takes longer to start than most single cases take to run. (`ctest --preset asan` still runs
# them case by case.) The output of a binary is shown when it fails.
run_side_by_side() {
  # $1, $2: two lists of "binary [arguments]" lines; each list runs in order.
  printf '%s\n' "$1" | run_list &
  first=$!
  status=0
  printf '%s\n' "$2" | run_list || status=1
  wait "$first" || status=1
  return "$status"
}
run_list() {
  status=0
  log=$(mktemp)
  while read -r line; do
    [ -n "$line" ] || continue
    echo "== $line"
    # shellcheck disable=SC2086
    if ! QT_QPA_PLATFORM=offscreen $line > "$log" 2>&1; then
      cat "$log"
      echo "FAILED: $line"
      status=1
    fi
  done
  rm -f "$log"
  return "$status"
}

cmake --preset asan
cmake --build --preset asan -j "$(nproc)"
asan=build/asan/tests
ui=""
[ -x "$asan/test_ui" ] && ui="$asan/test_ui -silent"
run_side_by_side "$asan/test_algorithms --gtest_brief=1
$asan/test_initial_set --gtest_brief=1" "$asan/test_parallel --gtest_brief=1
$asan/test_batch --gtest_brief=1
$ui
$asan/test_engine --gtest_brief=1"

# ThreadSanitizer over the thread framework and the parallel catalogue entries, the full grids.
cmake --preset tsan
cmake --build --preset tsan -j "$(nproc)" --target test_parallel test_algorithms
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
run_side_by_side "build/tsan/tests/test_parallel --gtest_brief=1" \
  "build/tsan/tests/test_algorithms --gtest_brief=1 --gtest_filter=Parallel/*"
