#!/usr/bin/env bash
# bench/startup/run.sh BUILD_DIR OUT_DIR [--smoke] - start to first frame: the real
# game binary (told by TUMBLEROO_EXIT_AFTER_FIRST_FRAME=1 to leave its loop after
# the first swapped frame) beside a bare window program on GLFW (the game's own
# window library) and one on SDL2, interleaved over several rounds; writes
# OUT_DIR/startup.md. Each program is timed two ways: from exec to the first-frame
# line it prints right after its first swap and glFinish (bench_startup_clock,
# host/first_frame_report.h), which is the budget's figure, and from exec to exit
# (hyperfine). STARTUP_AGAINST=OTHER_BUILD_DIR times that build's game as well, in
# the same rounds (an A/B comparison); a game too old to print the line gets only
# the exit figure.
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
BARE_GLFW=$BUILD_DIR/bench/startup/bench_startup_glfw
CLOCK=$BUILD_DIR/bench/startup/bench_startup_clock
AGAINST=""
if [[ -n ${STARTUP_AGAINST:-} ]]; then
  AGAINST=$(cd "$STARTUP_AGAINST" && pwd)/tumbleroo
  [[ -x $AGAINST ]] || { echo "startup: $AGAINST is not built" >&2; exit 1; }
fi
# Budget: the game's median start to first frame within this of bare GLFW's.
BUDGET_MS=20
[[ -x $GAME ]] || { echo "startup: $GAME is not built" >&2; exit 1; }
[[ -x $CLOCK ]] || { echo "startup: $CLOCK is not built" >&2; exit 1; }
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

# Exec to exit: hyperfine's runs, in seconds, into NAME.txt.
run_exit() {
  local name=$1 bin=$2 round=$3 warm=$WARMUP json=$WORK/$1-$3.json
  [[ $round -gt 1 ]] && warm=0
  (cd "$RUN_DIR" && hyperfine -N --style none --warmup "$warm" --runs "$RUNS" --export-json "$json" "$bin" \
    >/dev/null 2>>"$WORK/$name.err") || return 1
  json_times "$json" >>"$WORK/$name.txt"
}

# Exec to the first-frame line: the stopwatch's runs, in seconds, into
# NAME.frame.txt (the warm-up runs are hyperfine's, just before).
run_frame() {
  local name=$1 bin=$2 i ms
  for i in $(seq 1 "$RUNS"); do
    ms=$(cd "$RUN_DIR" && "$CLOCK" "$bin" 2>>"$WORK/$name.err") || return 1
    awk '{ print $1 / 1000 }' <<<"$ms" >>"$WORK/$name.frame.txt"
  done
}

# One round of one program: its exit runs, then its first-frame runs.
run_round() {
  local name=$1 bin=$2 round=$3
  run_exit "$name" "$bin" "$round" || return 1
  run_frame "$name" "$bin" || echo "startup: $name printed no first-frame line in round $round" >&2
}

for round in $(seq 1 "$ROUNDS"); do
  run_round ours "$GAME" "$round" || { echo "startup: the game failed to start"; cat "$WORK/ours.err"; exit 1; } >&2
  if [[ -n $AGAINST ]]; then
    run_round against "$AGAINST" "$round" || echo "startup: the other build's game failed in round $round" >&2
  fi
  if [[ -x $BARE_GLFW ]]; then
    run_round glfw "$BARE_GLFW" "$round" || echo "startup: bare GLFW failed in round $round" >&2
  fi
  if [[ -x $BARE ]]; then
    run_round sdl2 "$BARE" "$round" || echo "startup: bare SDL2 failed in round $round" >&2
  fi
done

# Where the game's start-up time goes: one more run under strace, timed by the
# files it opens and the first-frame line it writes (relative to exec). Only in a
# full run.
phases() {
  command -v strace >/dev/null || return 0
  local trace=$WORK/phases.trace
  (cd "$RUN_DIR" && strace -f --seccomp-bpf -tt -e trace=execve,openat,write,exit_group -o "$trace" "$GAME" \
    >/dev/null 2>&1) || return 0
  awk '
    function secs(t,  p) { split(t, p, ":"); return p[1] * 3600 + p[2] * 60 + p[3] }
    /ENOENT/ { next }
    /execve\(/ && !t0 { t0 = secs($2) }
    /swrast_dri\.so/ && !gl { gl = secs($2) }
    /data\/icon\.png/ && !icon { icon = secs($2) }
    /alsoft\.conf/ && !al { al = secs($2) }
    /data\/zindle_font\.png/ && !game { game = secs($2) }
    /write\(1, "first frame / && !frame { frame = secs($2) }
    /exit_group/ { end = secs($2) }
    END {
      if (!t0 || !end) exit
      printf "| exec to the OpenGL driver being loaded (libraries, window library, X connection) | %.0f |\n", (gl - t0) * 1000
      if (game) printf "| the driver loaded to the game object reading its first image (window and context, the sound device joined, the runtime) | %.0f |\n", (game - gl) * 1000
      if (game && frame) printf "| that to the first frame swapped and finished | %.0f |\n", (frame - game) * 1000
      if (frame) printf "| clean-up and exit | %.0f |\n", (end - frame) * 1000
      if (al) printf "| (the sound thread reads its configuration at) | %.0f after exec |\n", (al - t0) * 1000
      if (icon) printf "| (the window icon is read at) | %.0f after exec |\n", (icon - t0) * 1000
      printf "| total under strace | %.0f |\n", (end - t0) * 1000
    }' "$trace"
}
PHASES=""
[[ $SMOKE == --smoke ]] || PHASES=$(phases)

# "| label | median | min | max | runs |" of one program's runs, or MISSING.
table_row() {
  local label=$1 file=$2 missing=${3:-not run} m min max n
  if [[ -s $file ]]; then
    read -r m min max _ n <<<"$(stats_ms "$file")"
    echo "| $label | $m | $min | $max | $n |"
  else
    echo "| $label | $missing | | | |"
  fi
}

median_ms() { [[ -s $1 ]] && stats_ms "$1" | cut -d' ' -f1; }

# The budget's lines for one way of timing (SUFFIX .frame.txt or .txt).
verdicts() {
  local suffix=$1 ours glfw sdl2 diff verdict
  ours=$(median_ms "$WORK/ours$suffix") || true
  glfw=$(median_ms "$WORK/glfw$suffix") || true
  sdl2=$(median_ms "$WORK/sdl2$suffix") || true
  if [[ -n $ours && -n $glfw ]]; then
    diff=$(awk -v a="$ours" -v b="$glfw" 'BEGIN { printf "%.1f", a - b }')
    verdict=$(awk -v d="$diff" -v b="$BUDGET_MS" 'BEGIN { print (d <= b) ? "met" : "missed" }')
    echo "- Difference of the medians, ours minus bare GLFW: $diff ms"
    [[ $suffix == .frame.txt ]] && echo "- Budget: within $BUDGET_MS ms of bare GLFW (median): **$verdict**"
  else
    echo "- Difference from bare GLFW: not checked (a program was not run)"
  fi
  if [[ -n $ours && -n $sdl2 ]]; then
    echo "- Difference of the medians, ours minus bare SDL2: $(awk -v a="$ours" -v b="$sdl2" \
      'BEGIN { printf "%.1f", a - b }') ms (for reference)"
  fi
}

rows() {
  local suffix=$1
  table_row "tumbleroo" "$WORK/ours$suffix"
  [[ -n $AGAINST ]] && table_row "tumbleroo of $STARTUP_AGAINST" "$WORK/against$suffix" "no first-frame line"
  table_row "bare GLFW window, clear, swap" "$WORK/glfw$suffix"
  table_row "bare SDL2 window, clear, swap" "$WORK/sdl2$suffix"
}

{
  echo "## Start to first frame"
  echo
  echo "The real \`tumbleroo\` binary under Xvfb (TUMBLEROO_EXIT_AFTER_FIRST_FRAME=1 ends its loop"
  echo "right after its first swapped frame; OpenAL on the null backend; its own working folder with"
  echo "the build's \`data/\` linked in), beside two bare programs, one on GLFW 3 (the game's window"
  echo "library) and one on SDL2, each creating a 640x480 window and OpenGL context, clearing,"
  echo "swapping, calling glFinish and exiting. The three programs alternate round by round,"
  echo "$ROUNDS round(s); in each round a program runs $RUNS times under hyperfine, then $RUNS times"
  echo "under the stopwatch ($WARMUP hyperfine warm-up runs in the first round)."
  echo
  echo "**Exec to first frame** (the budget's figure): \`bench_startup_clock\` reads CLOCK_MONOTONIC"
  echo "just before it spawns the program (posix_spawn); each of the three programs, right after"
  echo "its first buffer swap and glFinish, reads the same clock and prints it on standard output"
  echo "(one line, \`first frame <ns>\`); the figure is the difference. The exit is not in it."
  echo
  echo "| Program | median ms | min ms | max ms | runs |"
  echo "|---|---:|---:|---:|---:|"
  rows .frame.txt
  echo
  verdicts .frame.txt
  echo
  echo "**Exec to exit** (for reference: the first frame plus each program's clean-up and exit,"
  echo "timed by hyperfine without a shell, \`hyperfine -N\`):"
  echo
  echo "| Program | median ms | min ms | max ms | runs |"
  echo "|---|---:|---:|---:|---:|"
  rows .txt
  echo
  verdicts .txt
  echo
  if [[ -n $PHASES ]]; then
    echo "Where the game's time goes (one run under \`strace -f --seccomp-bpf\`, marked by the files it opens"
    echo "and the first-frame line it writes; strace slows it a little):"
    echo
    echo "| Phase | ms |"
    echo "|---|---:|"
    echo "$PHASES"
    echo
  fi
} >"$OUT"
