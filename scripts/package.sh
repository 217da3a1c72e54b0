#!/usr/bin/env bash
# Builds the Debian package dist/tumbleroo_<version>_<arch>.deb with Debian's own
# tools (debhelper's dh with its CMake build system, dpkg-buildpackage -b), after
# installing the build's packages. The build runs in a copy of the source under
# build-deb/, so the checkout gains nothing but dist/; the version and its date
# come from CMakeLists.txt, and debian/changelog is written from them in the copy.
#
#   bash scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
WORK=$ROOT/build-deb
say() { echo "package: $*"; }

say "checking the build's packages"
bash scripts/setup.sh --package

version=$(sed -n 's/^project(Tumbleroo VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
released=$(sed -n 's/^set(TUMBLEROO_RELEASE_DATE \([0-9-]*\))$/\1/p' CMakeLists.txt)
if [ -z "$version" ] || [ -z "$released" ]; then
  echo "package: no version or release date in CMakeLists.txt" >&2
  exit 1
fi
arch=$(dpkg --print-architecture)
deb=tumbleroo_${version}_${arch}.deb
source=$WORK/tumbleroo-$version

say "copying the source of tumbleroo $version to ${source#"$ROOT"/}"
rm -rf "$WORK"
mkdir -p "$source"
# The files git knows or would add; without git, the tree less its build output.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
    xargs -0 cp --parents -t "$source"
else
  tar -C "$ROOT" --exclude='./build*' --exclude=./dist --exclude=./.git -cf - . | tar -C "$source" -xf -
fi

maintainer=$(sed -n 's/^Maintainer: //p' debian/control)
cat > "$source/debian/changelog" <<CHANGES
tumbleroo ($version) unstable; urgency=medium

  * Tumbleroo $version.

 -- $maintainer  $(LC_ALL=C date -u -R -d "$released 12:00")
CHANGES

say "building the package (the game and its data; no tests, no benchmarks)"
cd "$source"
dpkg-checkbuilddeps
# debhelper echoes every command in full: those go to the log, and only its steps
# and the build's progress to the terminal; a failure shows the log's end.
log=$WORK/package.log
if ! DEB_BUILD_OPTIONS="noddebs parallel=$(nproc)" dpkg-buildpackage -b -us -uc 2>&1 | tee "$log" |
    grep --line-buffered -E '^(\[ *[0-9]+%\] (Building|Linking|Generating|Built target)|   dh_[a-z_]+|   debian/rules override_dh_[a-z_]+)' |
    sed -u 's/ -O--buildsystem=cmake$//'; then
  tail -n 40 "$log"
  echo "package: the build failed; the whole log is ${log#"$ROOT"/}" >&2
  exit 1
fi

mkdir -p "$ROOT/dist"
rm -f "$ROOT"/dist/tumbleroo_*.deb
cp "$WORK/$deb" "$ROOT/dist/$deb"
say "built dist/$deb"
