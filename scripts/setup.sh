#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tumbleroo needs.
# Called by the README's two commands and by .ci/run. Installs only what is missing,
# works as root or through sudo, and names each package it installs.
set -euo pipefail

PACKAGES=(
  # build
  g++ cmake make pkg-config
  # window, GL, audio and image/sound decoding
  libglfw3-dev libgl-dev libgl1-mesa-dri libopenal-dev libopenal1 libstb-dev
  # artwork generator: the font its glyphs are rasterised from
  fonts-dejavu-core
  # tests: GoogleTest, a virtual X display with a window manager, real X input,
  # screenshots and sound measurements
  libgtest-dev googletest xvfb xauth openbox xdotool x11-utils imagemagick sox
  # install tests: the desktop entry checker
  desktop-file-utils
  # fuzzing: clang with libFuzzer and its sanitizer runtimes
  clang libclang-rt-14-dev
  # benchmarks: instruction counts, whole-command timing, and the peers they are
  # measured beside (another 2D renderer and engine, another language's collector,
  # a conservative collector)
  valgrind hyperfine strace libsdl2-dev love liblua5.4-dev libgc-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages already installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "setup: need root (or sudo) to install: ${missing[*]}" >&2; exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
echo "setup: done"
