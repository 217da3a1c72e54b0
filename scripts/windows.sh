#!/usr/bin/env bash
# Builds the Windows release on Debian: installs the cross-compiler, Wine, NSIS and
# zip when missing, builds data/ with the Linux art tool (build/), cross-compiles
# the game and its Windows tests (build-win/), and writes
#   dist/tumbleroo-<version>-win64.zip       tumbleroo.exe, data\, README.txt
#   dist/tumbleroo-<version>-setup.exe       the installer (silent with /S)
# The version is the one in CMakeLists.txt's project(). The tests themselves run
# from tests/windows/run.sh (the `windows` stage of scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 nsis zip imagemagick
          cmake make pkg-config g++ libstb-dev libopenal-dev libglfw3-dev googletest fonts-dejavu-core)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  echo "windows: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

VERSION=$(sed -n 's/^project(Tumbleroo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$VERSION" ] || { echo "windows: no VERSION in CMakeLists.txt's project()" >&2; exit 1; }

# data/ comes from the art tool, which runs on the build machine.
LINUX_BUILD=${BUILD_DIR:-build}
cmake -S . -B "$LINUX_BUILD" >/dev/null
cmake --build "$LINUX_BUILD" --target artdata -j"$(nproc)"

WIN_BUILD=${WIN_BUILD_DIR:-build-win}
# The executable's and the installer's icon: the window icon's picture, in the
# sizes Explorer and the Start menu ask for.
ICON=$ROOT/$WIN_BUILD/tumbleroo.ico
mkdir -p "$WIN_BUILD"
convert "$LINUX_BUILD/data/icon.png" -define icon:auto-resize=256,64,48,32,16 "$ICON"
cmake -S . -B "$WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DTUMBLEROO_BENCH=OFF \
  -DTUMBLEROO_TESTS=ON -DTUMBLEROO_WINDOWS_ICON="$ICON" >/dev/null
cmake --build "$WIN_BUILD" -j"$(nproc)"

NAME=tumbleroo-$VERSION-win64
STAGE=$ROOT/dist/$NAME
rm -rf "$STAGE" "dist/$NAME.zip" "dist/tumbleroo-$VERSION-setup.exe"
mkdir -p "$STAGE"
cp "$WIN_BUILD/tumbleroo.exe" "$STAGE/"
x86_64-w64-mingw32-strip "$STAGE/tumbleroo.exe"
cp -r "$LINUX_BUILD/data" "$STAGE/data"
# Windows line ends, so that Notepad shows the lines.
sed "s/@VERSION@/$VERSION/; s/\$/\r/" packaging/windows/README.txt > "$STAGE/README.txt"

(cd dist && zip -qr "$NAME.zip" "$NAME")
makensis -V2 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DICON="$ICON" -DOUTFILE="$ROOT/dist/tumbleroo-$VERSION-setup.exe" \
  packaging/windows/tumbleroo.nsi
echo "windows: dist/$NAME.zip and dist/tumbleroo-$VERSION-setup.exe"
