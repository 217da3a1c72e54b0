#!/usr/bin/env bash
# The long soak: builds the soak program (RelWithDebInfo, in build-soak/), starts a
# virtual X display when none is set, and lets the bot play the real game object
# for TICKS updates (default 1,000,000) with every check after every update. Prints
# the run's figures; exits non-zero on any failure.
#
#   bash scripts/soak.sh [TICKS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
TICKS=${1:-1000000}
SEED=${2:-1}
BUILD_DIR=${BUILD_DIR:-build-soak}
# A render every 256 updates and a new window shape every 50,000 keep a million
# updates within minutes; the suite's short run renders more often.
RENDER_EVERY=${RENDER_EVERY:-256}
RESIZE_EVERY=${RESIZE_EVERY:-50000}

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target soak

source scripts/display.sh
trap stop_display EXIT
start_display

export ALSOFT_CONF="$ROOT/tests/support/alsoft-null.conf"
START=$(date +%s)
set +e
# Fizzcrate writes each run length it searches ("C" and a number) to standard
# output; those lines are left out of the report.
"$BUILD_DIR/tests/soak/soak" --ticks "$TICKS" --seed "$SEED" \
  --render-every "$RENDER_EVERY" --resize-every "$RESIZE_EVERY" | grep -v '^C[0-9]*$'
STATUS=${PIPESTATUS[0]}
set -e
echo "soak: wall time $(( $(date +%s) - START )) s, exit status $STATUS"
exit "$STATUS"
