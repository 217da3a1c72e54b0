#!/usr/bin/env bash
# bench/startup/run.sh BUILD_DIR OUT_DIR [--smoke] - start to first frame: the real
# game binary (told by TUMBLEROO_EXIT_AFTER_FIRST_FRAME=1 to leave its loop after
# the first swapped frame) beside a bare window program on GLFW (the game's own
# window library) and one on SDL2, timed by hyperfine from exec to exit,
# interleaved over several rounds; writes OUT_DIR/startup.md.
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
# Budget: the game's median start to first frame within this of bare GLFW's.
BUDGET_MS=20
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
  if [[ -x $BARE_GLFW ]]; then
    run_one glfw "$BARE_GLFW" "$round" || echo "startup: bare GLFW failed in round $round" >&2
  fi
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
    /alsoft\.conf/ && !al { al = secs($2) }
    /data\/zindle_font\.png/ && !game { game = secs($2) }
    /exit_group/ { end = secs($2) }
    END {
      if (!t0 || !end) exit
      printf "| exec to the OpenGL driver being loaded (libraries, window library, X connection) | %.0f |\n", (gl - t0) * 1000
      if (win) printf "| the driver loaded to the window and context ready | %.0f |\n", (win - gl) * 1000
      if (game && win) printf "| window ready to the first image (the sound device joined, the runtime, the game object) | %.0f |\n", (game - win) * 1000
      if (game) printf "| first images, first frame swapped, clean-up and exit | %.0f |\n", (end - game) * 1000
      if (al) printf "| (the sound thread reads its configuration at) | %.0f after exec |\n", (al - t0) * 1000
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
  echo "backend; its own working folder with the build's \`data/\` linked in), beside two bare"
  echo "programs, one on GLFW 3 (the game's window library) and one on SDL2, each creating a 640x480"
  echo "window and OpenGL context, clearing, swapping, calling glFinish and exiting. Timed by"
  echo "hyperfine without a shell (\`hyperfine -N\`), $ROUNDS round(s) of $RUNS runs each, the three"
  echo "programs alternating round by round ($WARMUP warm-up runs in the first)."
  echo
  echo "| Program | median ms | min ms | max ms | runs |"
  echo "|---|---:|---:|---:|---:|"
  read -r om omin omax _ on <<<"$(stats_ms "$WORK/ours.txt")"
  echo "| tumbleroo to its first frame | $om | $omin | $omax | $on |"
  for peer in glfw:GLFW sdl2:SDL2; do
    name=${peer%%:*} label=${peer#*:}
    if [[ -s $WORK/$name.txt ]]; then
      read -r pm pmin pmax _ pn <<<"$(stats_ms "$WORK/$name.txt")"
      echo "| bare $label window, clear, swap | $pm | $pmin | $pmax | $pn |"
      echo "$pm" >"$WORK/$name.median"
    else
      echo "| bare $label window, clear, swap | not run | | | |"
    fi
  done
  echo
  if [[ -s $WORK/glfw.median ]]; then
    diff=$(awk -v a="$om" -v b="$(cat "$WORK/glfw.median")" 'BEGIN { printf "%.1f", a - b }')
    verdict=$(awk -v d="$diff" -v b="$BUDGET_MS" 'BEGIN { print (d <= b) ? "met" : "missed" }')
    echo "- Difference of the medians, ours minus bare GLFW: $diff ms"
    echo "- Budget: within $BUDGET_MS ms of bare GLFW (median): **$verdict**"
  else
    echo "- Budget: within $BUDGET_MS ms of bare GLFW (median): not checked (bare GLFW not run)"
  fi
  if [[ -s $WORK/sdl2.median ]]; then
    echo "- Difference of the medians, ours minus bare SDL2: $(awk -v a="$om" -v b="$(cat "$WORK/sdl2.median")" \
      'BEGIN { printf "%.1f", a - b }') ms (for reference)"
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
