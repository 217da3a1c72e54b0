#!/usr/bin/env bash
# Sourced by the commands that need an X display (the test run, the soak, the
# benchmarks). start_display starts a private Xvfb on the first free display number
# from 90 up when DISPLAY is unset, and exports DISPLAY; stop_display ends it. The
# caller calls stop_display from its own EXIT trap.
XVFB_PID=""

# start_display [SCREEN]: SCREEN is Xvfb's WxHxDEPTH, 1920x1080x24 unless given.
start_display() {
  [[ -n ${DISPLAY:-} ]] && return 0
  local screen=${1:-1920x1080x24} n
  for n in $(seq 90 130); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    # The socket appears once the server is ready; a server that lost the race
    # for this number exits, and the next number is tried.
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    if [[ -e /tmp/.X11-unix/X$n ]] && kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=:$n
      echo "started Xvfb on $DISPLAY"
      return 0
    fi
    XVFB_PID=""
  done
  echo "could not start Xvfb: no free display number" >&2
  return 1
}

stop_display() {
  if [[ -n $XVFB_PID ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
