#!/usr/bin/env bash
# For players: installs the packages that building and running the game need (not
# the tests' or the benchmarks'), builds the game and its data alone in
# build-game/, and starts it there, where it keeps its progress. Arguments go to
# the game (--help lists them).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=build-game
say() { echo "play: $*"; }

say "checking the game's packages"
bash scripts/setup.sh --game
say "configuring $BUILD_DIR/ (the game alone: no tests, no benchmarks)"
cmake -S . -B "$BUILD_DIR" -DTUMBLEROO_TESTS=OFF -DTUMBLEROO_BENCH=OFF >/dev/null
say "building the game and drawing its artwork"
cmake --build "$BUILD_DIR" -j"$(nproc)" --target tumbleroo artdata
# Earlier versions of this command played from build/: bring that progress along.
if [ -f build/.quorvelstate ] && [ ! -e "$BUILD_DIR/.quorvelstate" ]; then
  cp build/.quorvelstate "$BUILD_DIR/.quorvelstate"
  say "took the progress saved in build/"
fi
say "starting $BUILD_DIR/tumbleroo"
cd "$BUILD_DIR"
exec ./tumbleroo "$@"
