#!/usr/bin/env bash
# Installs the Debian packages Tumbleroo needs, in groups:
#   --game      building and running the game (scripts/play.sh)
#   --package   the game's build plus Debian's packaging tools (scripts/package.sh)
#   (none)      everything: the above, the tests' and the benchmarks' tools
#               (scripts/test.sh, .ci/run)
# Installs only what is missing, works as root or through sudo, and names each
# package it installs.
set -euo pipefail

GAME=(
  # build
  g++ cmake make pkg-config
  # window, GL, audio and image/sound decoding
  libglfw3-dev libgl-dev libgl1-mesa-dri libopenal-dev libopenal1 libstb-dev
  # artwork generator: the font its glyphs are rasterised from
  fonts-dejavu-core
)
PACKAGING=(
  # the Debian package's build (dpkg-buildpackage with debhelper)
  build-essential dpkg-dev debhelper
)
TESTS=(
  # GoogleTest, a virtual X display with a window manager, real X input,
  # screenshots and sound measurements
  libgtest-dev googletest xvfb xauth openbox xdotool x11-utils imagemagick sox
  # install and package checks: the desktop entry, the package and its metainfo
  desktop-file-utils lintian appstream
  # fuzzing: clang with libFuzzer and its sanitizer runtimes
  clang libclang-rt-14-dev
)
BENCH=(
  # benchmarks: instruction counts, whole-command timing, and the peers they are
  # measured beside (another 2D renderer and engine, another language's collector,
  # a conservative collector)
  valgrind hyperfine strace libsdl2-dev love liblua5.4-dev libgc-dev
)

case ${1:-} in
  --game) GROUP=game; PACKAGES=("${GAME[@]}") ;;
  --package) GROUP=package; PACKAGES=("${GAME[@]}" "${PACKAGING[@]}") ;;
  "") GROUP=all; PACKAGES=("${GAME[@]}" "${PACKAGING[@]}" "${TESTS[@]}" "${BENCH[@]}") ;;
  *) echo "usage: bash scripts/setup.sh [--game | --package]" >&2; exit 2 ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages ($GROUP) already installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "setup: need root (or sudo) to install: ${missing[*]}" >&2; exit 1
  fi
fi

echo "setup: installing ($GROUP) ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another apt run on the machine holds the lock for a while: wait for it.
APT=(apt-get -o DPkg::Lock::Timeout=600)
$SUDO "${APT[@]}" update -qq
$SUDO "${APT[@]}" install -y -qq --no-install-recommends "${missing[@]}" </dev/null
echo "setup: done"
