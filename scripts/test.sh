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
  # ThreadSanitizer over the thread framework and every parallel catalogue entry.
  cmake --preset tsan
  cmake --build --preset tsan -j "$(nproc)" --target test_parallel test_algorithms
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build/tsan/tests/test_parallel
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    build/tsan/tests/test_algorithms --gtest_filter='Parallel/*'
fi
