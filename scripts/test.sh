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
  # ThreadSanitizer over the thread framework and the parallel catalogue entries. The largest
  # grids stay with the other builds: under ThreadSanitizer a thread start costs a hundred times
  # more, and the entries that start a thread per step (113, 247, 250, 322) are sorted here at
  # the small sizes and broken off at every stage of the larger one.
  cmake --preset tsan
  cmake --build --preset tsan -j "$(nproc)" --target test_parallel test_algorithms
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
  build/tsan/tests/test_parallel --gtest_filter='Framework.*:PassSorts.*:BitonicParallelThreads.*:RangeSplittingSorts.*-RangeSplittingSorts.SortAndKeepRecordsInEveryMode:RangeSplittingSorts.ChainsLongerThanTheThreadsEnd:RangeSplittingSorts.BreakOffKeepsEveryRecord'
  sorts=Parallel/ParallelEntry.SortsInBothModesWithAndWithoutThreadLimit
  filter="Parallel/*-$sorts/entry_113:$sorts/entry_247:$sorts/entry_250:$sorts/entry_322"
  # Two shards side by side: the runs wait on thread starts more than they compute.
  GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=0 build/tsan/tests/test_algorithms --gtest_filter="$filter" &
  first=$!
  GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=1 build/tsan/tests/test_algorithms --gtest_filter="$filter"
  wait "$first"
fi
