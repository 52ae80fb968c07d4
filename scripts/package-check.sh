#!/bin/sh
# Builds the Debian package from the default build, unpacks it into a fresh staging root and
# checks it as a distribution would: the menu entry and the AppStream metainfo validate, the
# entry's program and icon are there, both programs run from the staging root (on the offscreen
# platform, away from the build folder) and both manual pages render.
set -e
cd "$(dirname "$0")/.."
scripts/setup-packages.sh desktop-file-utils appstream man-db dpkg-dev file
cmake --preset default
cmake --build --preset default -j "$(nproc)"
rm -f build/default/mivrola_*.deb
cpack --preset default
deb="$PWD/$(ls build/default/mivrola_*.deb)"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root="$stage/root"
dpkg-deb -x "$deb" "$root"
fail() {
  echo "package check: $*" >&2
  exit 1
}

share="$root/usr/share"
desktop="$share/applications/org.mivrola.Mivrola.desktop"
metainfo="$share/metainfo/org.mivrola.Mivrola.metainfo.xml"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "the menu entry starts '$exec_name', which is not installed"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in scalable/apps/$icon.svg 48x48/apps/$icon.png 128x128/apps/$icon.png 256x256/apps/$icon.png; do
  [ -s "$share/icons/hicolor/$size" ] || fail "icon $size missing"
done

# The programs run from the staging root in an empty folder with an empty home.
mkdir "$stage/home" "$stage/work"
cd "$stage/work"
export HOME="$stage/home" XDG_CONFIG_HOME="$stage/home/.config" QT_QPA_PLATFORM=offscreen
"$root/usr/bin/mivrola-batch" --algorithm 268 --set SpinEdit2.Value=1000 > batch.txt
cat batch.txt
grep -q '^== 268 ' batch.txt || fail "mivrola-batch printed no report for entry 268"
version=$("$root/usr/bin/mivrola" --version)
echo "$version"
batch_version=$("$root/usr/bin/mivrola-batch" --version)
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$version" = "mivrola $release" ] || fail "'$version' is not the metainfo's newest release $release"
[ "$batch_version" = "mivrola-batch $release" ] || fail "'$batch_version' is not release $release"

for page in mivrola mivrola-batch; do
  file="$share/man/man1/$page.1.gz"
  MANWIDTH=80 man -l "$file" > "$page.txt"
  grep -q '^NAME' "$page.txt" || fail "man -l rendered no NAME section for $page(1)"
  zcat "$file" | groff -man -ww -z 2> warnings.txt
  [ ! -s warnings.txt ] || fail "groff warns about $page(1): $(cat warnings.txt)"
done

echo "package: $deb, $(stat -c %s "$deb") bytes"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
