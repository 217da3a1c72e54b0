#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite with CTest. Starts
# a virtual X display (Xvfb) when none is set, and points OpenAL Soft at its null
# backend so that the suite never needs sound hardware.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
bash scripts/setup.sh
bash scripts/build.sh

export ALSOFT_CONF=${ALSOFT_CONF:-$ROOT/tests/support/alsoft-null.conf}

XVFB_PID=""
cleanup() { [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  # Find a free display number and start a server on it.
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      break
    fi
  done
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break
    sleep 0.1
  done
  echo "test: started Xvfb on $DISPLAY"
fi

cd "${BUILD_DIR:-build}"
ctest --output-on-failure -j"$(nproc)" "$@"
