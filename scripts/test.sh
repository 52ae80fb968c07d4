#!/bin/sh
# Builds Mivrola and runs every test. With --sanitize, also the AddressSanitizer +
# UndefinedBehaviorSanitizer build.
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
