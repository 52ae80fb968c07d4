#!/bin/sh
# Builds Mivrola and starts it (the window program when it is built, else the batch tool's help).
set -e
cd "$(dirname "$0")/.."
scripts/setup-packages.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
if [ -x build/default/src/app/mivrola ]; then
  exec build/default/src/app/mivrola "$@"
fi
exec build/default/src/batch/mivrola-batch --help
