#!/bin/sh
# Installs the Debian packages that building and testing Mivrola need, when they are missing,
# and the further packages named as arguments.
set -e
packages="cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev qt6-multimedia-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev xvfb xauth $*"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
