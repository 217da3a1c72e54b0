#!/usr/bin/env bash
# bench/game/run.sh BUILD_DIR OUT_DIR [--smoke]
#
# The game's own work, measured on the real game object with the build's generated
# data, written as OUT_DIR/game.md: draw calls per frame against the fewest
# possible, instructions per update tick and per replayed display-list record
# (callgrind), heap allocations per tick and frame, collector pauses in play, the
# main loop's frame pacing, and every screen's frame time at three window sizes. bench/run.sh calls it with a display already set;
# run on its own without one, it starts the draw-call count (the only measurement
# that renders into a GL window) under xvfb-run.
# Exits non-zero only when it could not run; a missed budget is reported, not an
# error. --smoke runs every measurement for a few frames (callgrind is skipped and
# the cost pass runs natively, only to prove that it runs).
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: bench/game/run.sh BUILD_DIR OUT_DIR [--smoke]" >&2
    exit 2
fi
BUILD_DIR=$(cd "$1" && pwd)
OUT_DIR=$2
SMOKE=0
[[ ${3:-} == --smoke ]] && SMOKE=1
mkdir -p "$OUT_DIR"
OUT_DIR=$(cd "$OUT_DIR" && pwd)
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)

BIN=$BUILD_DIR/bench/game/bench_game
DATA=$BUILD_DIR/data
if [[ ! -x $BIN ]]; then
    echo "bench/game: $BIN is missing (build the bench_game target)" >&2
    exit 1
fi
if [[ ! -d $DATA/common ]]; then
    echo "bench/game: $DATA is missing (build the artdata target)" >&2
    exit 1
fi
export ALSOFT_CONF=${ALSOFT_CONF:-$ROOT/tests/support/alsoft-null.conf}

# Budgets (also stated in the programs' own output).
RECORD_BUDGET=200

# The frame times take more frames than the counts: they are wall-clock times, and
# with ten frames a second of work elsewhere on the machine moved a median.
if [[ $SMOKE == 1 ]]; then
    FRAMES=2; COST_FRAMES=1; GC_TICKS=300; PACING_SECONDS=5; TIMED_FRAMES=2
else
    FRAMES=10; COST_FRAMES=20; GC_TICKS=3000; PACING_SECONDS=60; TIMED_FRAMES=40
fi

WORK=$(mktemp -d /tmp/tumbleroo-bench-game-XXXXXX)
trap 'rm -rf "$WORK"' EXIT

# GL measurements need a display; without one they get a private Xvfb.
with_display() {
    if [[ -n ${DISPLAY:-} ]]; then
        "$@"
    else
        xvfb-run -a -s "-screen 0 1920x1080x24" "$@"
    fi
}

declare -A SECONDS_TAKEN
# run NAME COMMAND...: stdout to $WORK/NAME.out, timed; fails the script when the
# program could not run.
run() {
    local name=$1
    shift
    local start=$SECONDS
    if ! "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"; then
        echo "bench/game: $name failed:" >&2
        cat "$WORK/$name.err" >&2
        exit 1
    fi
    SECONDS_TAKEN[$name]=$((SECONDS - start))
}

run drawcalls with_display "$BIN" drawcalls "$DATA" "$FRAMES"
run allocs "$BIN" allocs "$DATA" "$FRAMES"
if [[ $SMOKE == 1 ]] || ! command -v valgrind >/dev/null; then
    COST_TOOL=native
    run cost "$BIN" cost "$DATA" "$COST_FRAMES"
else
    COST_TOOL=callgrind
    mkdir -p "$WORK/callgrind"
    run cost valgrind --tool=callgrind --collect-atstart=no \
        --callgrind-out-file="$WORK/callgrind/out" "$BIN" cost "$DATA" "$COST_FRAMES"
fi
run gc "$BIN" gc "$DATA" "$GC_TICKS"
run pacing "$BIN" pacing "$DATA" "$PACING_SECONDS"
# The design size, the largest art tier at 4:3, and a 1920x1080 window.
FRAME_SIZES="640x480 1440x1080 1920x1080"
FRAME_BUDGET_MS=16.7
for size in $FRAME_SIZES; do
    run "frametime-$size" with_display "$BIN" frametime "$DATA" "$TIMED_FRAMES" "$size"
done

# One row per screen: its median and 99th percentile at each size, and the verdict
# on the median at 1920x1080.
frame_table() {
    local header="| Screen" rule="|---"
    for size in $FRAME_SIZES; do
        header+=" | $size median ms | $size p99 ms"
        rule+="|---:|---:"
    done
    echo "$header | Verdict (median at 1920x1080 under $FRAME_BUDGET_MS ms) |"
    echo "$rule|---|"
    awk -F'\t' -v sizes="$FRAME_SIZES" -v budget="$FRAME_BUDGET_MS" '
        FNR == 1 { file++ }
        $1 == "frametime" { if (!($2 in seen)) { seen[$2] = 1; order[++n] = $2 }
                            med[file, $2] = $4; p99[file, $2] = $5 }
        END {
            k = split(sizes, size, " ")
            for (i = 1; i <= n; i++) {
                s = order[i]; line = "| " s
                for (f = 1; f <= k; f++) {
                    if ((f, s) in med) line = line " | " med[f, s] " | " p99[f, s]
                    else line = line " | not reached | "
                }
                if ((k, s) in med) verdict = (med[k, s] < budget) ? "met" : "missed"
                else verdict = "not measured"
                print line " | " verdict " |"
            }
        }' $(for size in $FRAME_SIZES; do echo "$WORK/frametime-$size.out"; done)
    echo
    for size in $FRAME_SIZES; do
        awk -F'\t' -v size="$size" '$1 == "frametime-stopped" {
            printf "- At %s the tour stopped: %s; the screens after it were not reached.\n", size, $2 }' \
            "$WORK/frametime-$size.out"
    done
}

# The callgrind dumps, one per pass: "update SCREEN" or "render SCREEN" and its
# instruction count.
cost_table() {
    if [[ $COST_TOOL != callgrind ]]; then
        echo "Not measured in the smoke run (callgrind skipped; the passes ran natively: $(grep -c '^cost' "$WORK/cost.out") screens)."
        echo
        return
    fi
    local counts=$WORK/cost.counts
    for f in "$WORK"/callgrind/out.*; do
        awk '/^desc: Trigger: Client Request: / { sub(/^desc: Trigger: Client Request: /, ""); tag = $0 }
             /^summary: / { total = $2 }
             END { if (tag != "") printf "%s\t%s\n", tag, total }' "$f"
    done >"$counts"
    echo "| Screen | Ticks | Instructions per tick of \`m_OnUpdate\` | Frames | Records replayed per frame | Instructions per frame of \`m_OnRender\` | Instructions per record | Verdict (at most $RECORD_BUDGET) |"
    echo "|---|---|---|---|---|---|---|---|"
    awk -F'\t' -v budget="$RECORD_BUDGET" -v verdicts="$WORK/cost.verdicts" '
        FNR == NR { count[$1] = $2; next }
        $1 == "cost" {
            screen = $2; n = $3; records = $4
            up = count["update " screen]; render = count["render " screen]
            per = records > 0 ? render / records : 0
            met = per <= budget ? "met" : "missed"
            printf "| %s | %d | %.0f | %d | %.1f | %.0f | %.1f | %s |\n", screen, n, up / n, n, records / n, render / n, per, met
            print screen "\t" met "\t" per >> verdicts
        }' "$counts" "$WORK/cost.out"
    echo
}

{
    echo "## The game's own work"
    echo
    echo "Measured on the real game object (\`kx_Tumbleroo_MyApp\`) with the build's generated data, driven through"
    echo "the real input device from a fresh cabinet: the loading screen, the machine-select menu, each of the"
    echo "five machines a few ticks into a spin, the pause menu and the game-over overlay (bench/game)."
    echo
    cat "$WORK/drawcalls.out"
    echo "### Instructions per tick and per replayed record"
    echo
    echo "Counted by callgrind (instructions, repeatable from run to run): each screen runs $COST_FRAMES ticks with"
    echo "collection switched on only inside \`m_OnUpdate\`, then $COST_FRAMES more ticks each followed by a render,"
    echo "with collection on only inside \`m_OnRender\` (the clear, the fit and the replay; the drawing context is"
    echo "opened outside it, as the host does). The CPU side alone is counted: the graphics device makes up and"
    echo "counts every draw call exactly as it would (the test build's \`gxtkTestHooks::submitDraws\` switch off) but hands none to OpenGL, and"
    echo "the run has no GL context at all, so the driver does no work anywhere; the textures' names are simply 0."
    echo "It has no sound device either, whose mixer thread would otherwise be counted with the game. Instructions"
    echo "per record are the whole render divided by the records it replayed, so the frame's fixed work (the"
    echo "clear, the fit) and its draw calls are shared out over its records. The loading screen's records are"
    echo "mostly ovals, each a fan of 16 to 288 vertices."
    echo
    cost_table
    if [[ -f $WORK/cost.verdicts ]]; then
        missed=$(awk -F'\t' '$2 == "missed" { printf "%s%s (%.0f)", sep, $1, $3; sep = ", " }' "$WORK/cost.verdicts")
        if [[ -z $missed ]]; then
            echo "**Budget: at most $RECORD_BUDGET instructions per replayed record on the CPU side: met on every screen.**"
        else
            echo "**Budget: at most $RECORD_BUDGET instructions per replayed record on the CPU side: missed on $missed.**"
        fi
        echo
    fi
    cat "$WORK/allocs.out"
    cat "$WORK/gc.out"
    cat "$WORK/pacing.out"
    echo "### Frame time by window size"
    echo
    echo "The real game object's frames in a real GL window of each size (llvmpipe, the software rasteriser,"
    echo "under Xvfb), on the same tour of screens: each frame is timed from the start of the render to the end"
    echo "of \`glFinish\` after the buffer swap, so the rasteriser's work for the frame is inside it (the update"
    echo "before it is not). $TIMED_FRAMES frames a screen (fewer on the loading screen, which ends); a sheet's first"
    echo "frame includes its decode. 1920x1080 takes the largest tier of the art (\"-hd2\"); so does 1440x1080,"
    echo "the same height at the design's 4:3 shape. Wall-clock times on a shared machine."
    echo
    frame_table
    echo
    echo "### Run"
    echo
    echo "| Measurement | Seconds |"
    echo "|---|---|"
    for name in drawcalls cost allocs gc pacing $(for size in $FRAME_SIZES; do echo "frametime-$size"; done); do
        echo "| $name | ${SECONDS_TAKEN[$name]} |"
    done
    echo
} >"$OUT_DIR/game.md"
echo "bench/game: wrote $OUT_DIR/game.md"
