#!/usr/bin/env bash
# bench/collector/run.sh BUILD_DIR OUT_DIR [--smoke] - collector pauses on synthetic
# heaps of 100,000 and 1,000,000 live objects with the game's kind of churn: our
# collector, Lua 5.4 and the Boehm collector, each in its own process, interleaved
# over several rounds; writes OUT_DIR/collector.md.
set -euo pipefail

BUILD_DIR=$(cd "$1" && pwd)
OUT_DIR=$2
SMOKE=${3:-}
OUT=$OUT_DIR/collector.md
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Ticks per heap size: enough for Lua, whose next cycle waits until its heap has
# doubled, to run whole cycles on the big heap too.
if [[ $SMOKE == --smoke ]]; then
  ROUNDS=1 SIZES="10000" TICKS_10000=20
else
  ROUNDS=2 SIZES="100000 1000000" TICKS_100000=3000 TICKS_1000000=8000
fi
ticks_for() { local v=TICKS_$1; echo "${!v}"; }

DIR=$BUILD_DIR/bench/collector
PROGRAMS=(ours lua boehm)
[[ -x $DIR/bench_collector_ours ]] || { echo "collector: bench_collector_ours is not built" >&2; exit 1; }

# Median, 99th percentile (nearest rank) and maximum of column $2 of file $1.
stats() {
  awk -v c="$2" '!/^#/ { print $c }' "$1" | sort -g | awk '{v[NR]=$1} END {
    if (NR == 0) { print "- - - 0"; exit }
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    i = int(0.99 * NR); if (i < 0.99 * NR) i++; if (i < 1) i = 1
    printf "%.1f %.1f %.1f %d\n", m, v[i], v[NR], NR }'
}

median_of() {
  sort -g "$1" | awk '{v[NR]=$1} END { if (NR == 0) { print "-"; exit }
    printf "%.0f\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

for round in $(seq 1 "$ROUNDS"); do
  for live in $SIZES; do
    for name in "${PROGRAMS[@]}"; do
      bin=$DIR/bench_collector_$name
      [[ -x $bin ]] || continue
      raw=$WORK/$name-$live-$round.txt
      TICKS=$(ticks_for "$live")
      if ! "$bin" --live "$live" --ticks "$TICKS" >"$raw" 2>>"$WORK/$name.err"; then
        [[ $name == ours ]] && { echo "collector: our program failed" >&2; exit 1; }
        echo "collector: $name failed ($live live, round $round)" >&2
        continue
      fi
      grep -v '^#' "$raw" >>"$WORK/$name-$live.txt"
      awk -v t="$TICKS" '/^# seconds/ { printf "%.0f\n", t / $3 }' "$raw" >>"$WORK/$name-$live.rate"
      grep '^# mode' "$raw" | head -1 | awk '{print $3}' >"$WORK/$name.mode" || true
    done
  done
done

# Our own pause budgets in µs, per heap: p99 and maximum (0: none).
P99_BUDGET_1000000=500 MAX_BUDGET_1000000=2000
P99_BUDGET_100000=0 MAX_BUDGET_100000=250
budget_for() { local v=$1_BUDGET_$2; echo "${!v:-0}"; }

label() {
  case $1 in
    ours) echo "ours (gc_collect after every tick)" ;;
    lua) echo "Lua 5.4 (incremental, lua_gc STEP per tick)" ;;
    boehm) echo "Boehm GC $(cat "$WORK/boehm.mode" 2>/dev/null)" ;;
  esac
}

{
  echo "## Collector pauses on synthetic heaps"
  echo
  echo "A stable live set of small nodes (two references and an int each) held in chunks of 256,"
  echo "and per tick the game's kind of churn: 100 short-lived texts, 100 arrays of 8 ints, 100"
  echo "small objects, 100 reference stores into random live nodes (through our write barrier;"
  echo "Lua's table barrier; plain stores for Boehm) and 20 live nodes replaced by new ones. All"
  echo "three programs make the same seeded choices. The pause is the time spent in the collector"
  echo "in a tick, taken with a monotonic clock:"
  echo
  echo "- ours: the \`gc_collect\` call at the end of every tick, as the host's loop makes it after"
  echo "  each update (thresholds and order of work as shipped). Lazy destruction of dead objects"
  echo "  happens inside allocation and counts in the whole tick, not in the pause. The set-up, which"
  echo "  allocates the whole live set without a sweep, ends with one forced whole collection, so the"
  echo "  timed ticks start from a swept heap."
  echo "- Lua 5.4: default parameters, incremental mode. Its automatic steps are held back while the"
  echo "  tick runs (LUA_GCSTOP) and the tick ends with \`lua_gc(L, LUA_GCSTEP, kb)\`, kb being the"
  echo "  kilobytes the tick allocated: the same work Lua's own pacing does for that allocation,"
  echo "  done where it can be timed."
  echo "- Boehm (libgc 8.2, default settings): \`GC_enable_incremental()\` is asked for and works here"
  echo "  (the mode it ended in is in the table). It collects from inside allocation on its own pacing."
  echo "  The time it reports through its collection events (in incremental mode: the stopped world of"
  echo "  the final mark and the reclaim phase; in the default mode: start to end of a collection) is"
  echo "  added to its tick, and in incremental mode every tick also ends with a timed"
  echo "  \`GC_collect_a_little()\`. The small marking increments it makes inside allocation report no"
  echo "  event, so its pause column undercounts; its whole-tick column holds all of its work, which"
  echo "  is why the budget is also checked on the whole tick."
  echo
  echo "The whole tick (mutator plus collector) is given too, and the throughput in ticks per second"
  echo "(median of the rounds). $ROUNDS round(s) per heap (ticks per run in each heading), the three"
  echo "programs interleaved. Wall-clock tails include any time the process was descheduled, which on"
  echo "a busy 2-core machine can reach several milliseconds."
  echo
  for live in $SIZES; do
    echo "### $(echo "$live" | sed -e :a -e 's/\B[0-9]\{3\}\>/,&/; ta') live objects, $(ticks_for "$live") ticks per run"
    echo
    echo "| Collector | pause median µs | pause p99 µs | pause max µs | tick median µs | tick p99 µs | ticks/s |"
    echo "|---|---:|---:|---:|---:|---:|---:|"
    for name in "${PROGRAMS[@]}"; do
      pool=$WORK/$name-$live.txt
      if [[ ! -s $pool ]]; then
        echo "| $(label "$name") | not run | | | | | |"
        continue
      fi
      read -r pm pp px _ <<<"$(stats "$pool" 1)"
      read -r tm tp _ _ <<<"$(stats "$pool" 2)"
      echo "| $(label "$name") | $pm | $pp | $px | $tm | $tp | $(median_of "$WORK/$name-$live.rate") |"
    done
    echo
    read -r _ op ox _ <<<"$(stats "$WORK/ours-$live.txt" 1)"
    read -r _ ot _ _ <<<"$(stats "$WORK/ours-$live.txt" 2)"
    read -r cm cp cx _ <<<"$(stats "$WORK/ours-$live.txt" 3)"
    echo "- Our pause on the thread's CPU clock, which leaves out any time the process was descheduled: median $cm µs, p99 $cp µs, max $cx µs"
    p99_budget=$(budget_for P99 "$live") max_budget=$(budget_for MAX "$live")
    if [[ $p99_budget != 0 ]]; then
      verdict=$(awk -v a="$op" -v b="$p99_budget" 'BEGIN { print (a < b) ? "met" : "missed" }')
      echo "- Budget: our p99 pause under $p99_budget µs ($op µs): **$verdict**"
    fi
    if [[ $max_budget != 0 ]]; then
      verdict=$(awk -v a="$ox" -v b="$max_budget" 'BEGIN { print (a < b) ? "met" : "missed" }')
      echo "- Budget: our largest pause under $max_budget µs ($ox µs): **$verdict**"
    fi
    for peer in lua boehm; do
      pool=$WORK/$peer-$live.txt
      name=$([[ $peer == lua ]] && echo "Lua 5.4" || echo "Boehm")
      if [[ ! -s $pool ]]; then
        echo "- Budget: p99 pause below $name's: not checked ($name not run)"
        continue
      fi
      read -r _ pp _ _ <<<"$(stats "$pool" 1)"
      verdict=$(awk -v a="$op" -v b="$pp" 'BEGIN { print (a < b) ? "met" : "missed" }')
      echo "- Budget: p99 pause below $name's ($op µs vs $pp µs): **$verdict**"
      read -r _ tp _ _ <<<"$(stats "$pool" 2)"
      verdict=$(awk -v a="$ot" -v b="$tp" 'BEGIN { print (a < b) ? "met" : "missed" }')
      echo "- Budget, whole tick: p99 tick below $name's ($ot µs vs $tp µs): **$verdict**"
    done
    echo
  done
} >"$OUT"
