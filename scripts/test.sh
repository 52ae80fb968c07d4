#!/bin/sh
# Builds Mivrola and runs every test. With --sanitize, also the AddressSanitizer +
# UndefinedBehaviorSanitizer build, and the parallel tests under ThreadSanitizer.
set -e
cd "$(dirname "$0")/.."
scripts/setup-packages.sh
presets="default"
[ "$1" = "--sanitize" ] && presets="default asan"
for preset in $presets; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
  QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j "$(nproc)"
done
if [ "$1" = "--sanitize" ]; then
  # ThreadSanitizer over the thread framework and the parallel catalogue entries, the full grids.
  cmake --preset tsan
  cmake --build --preset tsan -j "$(nproc)" --target test_parallel test_algorithms
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
  # Two shards of each side by side: the runs wait for the main thread more than they compute.
  for binary in test_parallel test_algorithms; do
    filter="*"
    [ "$binary" = test_algorithms ] && filter="Parallel/*"
    GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=0 "build/tsan/tests/$binary" --gtest_filter="$filter" &
    first=$!
    GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=1 "build/tsan/tests/$binary" --gtest_filter="$filter"
    wait "$first"
  done
fi
