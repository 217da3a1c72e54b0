#!/usr/bin/env bash
# bench/startup/run.sh BUILD_DIR OUT_DIR [--smoke] - start to first frame: the real
# game binary (told by TUMBLEROO_EXIT_AFTER_FIRST_FRAME=1 to leave its loop after
# the first swapped frame) beside a bare SDL2 window program, timed by hyperfine
# from exec to exit, interleaved over several rounds; writes OUT_DIR/startup.md.
set -euo pipefail

BUILD_DIR=$(cd "$1" && pwd)
OUT_DIR=$(cd "$2" && pwd)
SMOKE=${3:-}
OUT=$OUT_DIR/startup.md
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

if [[ $SMOKE == --smoke ]]; then
  ROUNDS=1 RUNS=2 WARMUP=0
else
  ROUNDS=4 RUNS=5 WARMUP=2
fi

GAME=$BUILD_DIR/tumbleroo
BARE=$BUILD_DIR/bench/startup/bench_startup_sdl2
[[ -x $GAME ]] || { echo "startup: $GAME is not built" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "startup: hyperfine is not installed" >&2; exit 1; }

# The game reads data/ and its state file from its working folder: a folder of
# its own, with the build's data linked in, so no state file of a test is read.
RUN_DIR=$WORK/run
mkdir -p "$RUN_DIR"
[[ -d $BUILD_DIR/data ]] && ln -s "$BUILD_DIR/data" "$RUN_DIR/data"
export TUMBLEROO_EXIT_AFTER_FIRST_FRAME=1

# Every run's time in seconds out of hyperfine's JSON, one per line.
json_times() {
  awk '/"times": \[/ { on = 1; next } on && /\]/ { on = 0 } on { gsub(/[ ,]/, ""); if ($0 != "") print }' "$1"
}

stats_ms() {
  sort -g "$1" | awk '{v[NR] = $1 * 1000} END {
    if (NR == 0) { print "- - - - 0"; exit }
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.1f %.1f %.1f %.1f %d\n", m, v[1], v[NR], 0, NR }'
}

run_one() {
  local name=$1 bin=$2 round=$3 warm=$WARMUP json=$WORK/$1-$3.json
  [[ $round -gt 1 ]] && warm=0
  (cd "$RUN_DIR" && hyperfine -N --style none --warmup "$warm" --runs "$RUNS" --export-json "$json" "$bin" \
    >/dev/null 2>>"$WORK/$name.err") || return 1
  json_times "$json" >>"$WORK/$name.txt"
}

for round in $(seq 1 "$ROUNDS"); do
  run_one ours "$GAME" "$round" || { echo "startup: the game failed to start"; cat "$WORK/ours.err"; exit 1; } >&2
  if [[ -x $BARE ]]; then
    run_one sdl2 "$BARE" "$round" || echo "startup: bare SDL2 failed in round $round" >&2
  fi
done

# Where the game's start-up time goes: one more run under strace, timed by the
# files it opens on the way (relative to exec). Only in a full run.
phases() {
  command -v strace >/dev/null || return 0
  local trace=$WORK/phases.trace
  (cd "$RUN_DIR" && strace -f --seccomp-bpf -tt -e trace=execve,openat,exit_group -o "$trace" "$GAME" \
    >/dev/null 2>&1) || return 0
  awk '
    function secs(t,  p) { split(t, p, ":"); return p[1] * 3600 + p[2] * 60 + p[3] }
    /ENOENT/ { next }
    /execve\(/ && !t0 { t0 = secs($2) }
    /swrast_dri\.so/ && !gl { gl = secs($2) }
    /data\/icon\.png/ && !win { win = secs($2) }
    /alsoft\.conf|libopenal/ && win && !al { al = secs($2) }
    /data\/zindle_font\.png/ && !game { game = secs($2) }
    /exit_group/ { end = secs($2) }
    END {
      if (!t0 || !end) exit
      printf "| exec to the OpenGL driver being loaded (libraries, window library, X connection) | %.0f |\n", (gl - t0) * 1000
      if (win) printf "| the driver loaded to the window and context ready | %.0f |\n", (win - gl) * 1000
      if (al) printf "| window ready to the sound device being opened | %.0f |\n", (al - win) * 1000
      if (game) printf "| sound device and context, the runtime, the game object up to its first image | %.0f |\n", (game - al) * 1000
      if (game) printf "| first images, first frame swapped, clean-up and exit | %.0f |\n", (end - game) * 1000
      printf "| total under strace | %.0f |\n", (end - t0) * 1000
    }' "$trace"
}
PHASES=""
[[ $SMOKE == --smoke ]] || PHASES=$(phases)

{
  echo "## Start to first frame"
  echo
  echo "The real \`tumbleroo\` binary under Xvfb, from exec to exit right after its first swapped"
  echo "frame (TUMBLEROO_EXIT_AFTER_FIRST_FRAME=1 ends its loop there; OpenAL on the null"
  echo "backend; its own working folder with the build's \`data/\` linked in), beside a bare SDL2"
  echo "program that creates a 640x480 window and OpenGL context, clears, swaps, calls glFinish"
  echo "and exits. Timed by hyperfine without a shell (\`hyperfine -N\`), $ROUNDS round(s) of $RUNS"
  echo "runs each, the two programs alternating round by round ($WARMUP warm-up runs in the first)."
  echo
  echo "| Program | median ms | min ms | max ms | runs |"
  echo "|---|---:|---:|---:|---:|"
  read -r om omin omax _ on <<<"$(stats_ms "$WORK/ours.txt")"
  echo "| tumbleroo to its first frame | $om | $omin | $omax | $on |"
  if [[ -s $WORK/sdl2.txt ]]; then
    read -r sm smin smax _ sn <<<"$(stats_ms "$WORK/sdl2.txt")"
    echo "| bare SDL2 window, clear, swap | $sm | $smin | $smax | $sn |"
    diff=$(awk -v a="$om" -v b="$sm" 'BEGIN { printf "%.1f", a - b }')
    verdict=$(awk -v d="$diff" 'BEGIN { print (d <= 50) ? "met" : "missed" }')
    echo
    echo "- Difference of the medians: $diff ms"
    echo "- Budget: no more than 50 ms above bare SDL2 (median): **$verdict**"
  else
    echo "| bare SDL2 window, clear, swap | not run | | | |"
    echo
    echo "- Budget: no more than 50 ms above bare SDL2 (median): not checked (bare SDL2 not run)"
  fi
  echo
  if [[ -n $PHASES ]]; then
    echo "Where the game's time goes (one run under \`strace -f --seccomp-bpf\`, marked by the files it"
    echo "opens; strace slows it a little):"
    echo
    echo "| Phase | ms |"
    echo "|---|---:|"
    echo "$PHASES"
    echo
  fi
} >"$OUT"
