#!/usr/bin/env bash
# Fuzzes every parser for a bounded time: builds the libFuzzer targets into
# build-fuzz/ (clang, address and undefined-behaviour sanitizers, every layer
# instrumented), runs each target for SECONDS_PER_TARGET seconds (default 15) from
# its seeds and past regressions, prints one line per target with the inputs it
# executed, and copies every crash, leak, timeout or out-of-memory input into
# tests/fuzz/regressions/<target>/. Exits non-zero when any target failed.
#
#   bash scripts/fuzz.sh [SECONDS_PER_TARGET]
#
# FUZZ_TARGETS="ogg png" limits the run to some targets; FUZZ_BUILD_DIR moves the
# build folder; FUZZ_SEED fixes the fuzzers' random seed (0, the default, draws a
# new one each run). With a fixed seed each target also starts from its seeds and
# regressions alone, leaving out what earlier runs added to its working corpus, so
# that the run starts where a fresh checkout's run starts (the fuzzer's timing
# still makes two runs drift apart).
# Needs no display and no sound device.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
SECONDS_PER_TARGET=${1:-15}
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
# Absolute: a target may change its working folder (the saved-progress one does).
case $BUILD_DIR in /*) ;; *) BUILD_DIR=$ROOT/$BUILD_DIR ;; esac
read -r -a TARGETS <<< "${FUZZ_TARGETS:-strings saved wav ogg png paths}"
FUZZ_DIR=$ROOT/tests/fuzz

if ! [[ $SECONDS_PER_TARGET =~ ^[0-9]+$ ]] || [ "$SECONDS_PER_TARGET" -lt 1 ]; then
    echo "usage: bash scripts/fuzz.sh [SECONDS_PER_TARGET]" >&2
    exit 2
fi
for tool in clang clang++ cmake; do
    command -v "$tool" >/dev/null || { echo "fuzz: $tool is missing (bash scripts/setup.sh installs it)" >&2; exit 2; }
done

# The audio device never opens a sound device here, but OpenAL may be asked for
# its context: keep it on the null backend.
export ALSOFT_CONF=$ROOT/tests/support/alsoft-null.conf
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=0}"

started=$(date +%s)
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -DTUMBLEROO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target fuzz_all >/dev/null
built=$(date +%s)
echo "fuzz: targets built in $((built - started)) s"

failed=0
for target in "${TARGETS[@]}"; do
    exe=$BUILD_DIR/tests/fuzz/fuzz_$target
    corpus=$BUILD_DIR/corpus/$target
    artifacts=$BUILD_DIR/artifacts/$target
    log=$BUILD_DIR/logs/$target.log
    [ "${FUZZ_SEED:-0}" = 0 ] || rm -rf "$corpus"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")" "$FUZZ_DIR/seeds/$target" "$FUZZ_DIR/regressions/$target"
    rm -f "$artifacts"/*
    status=0
    # New inputs go to the first folder only; seeds and regressions are just read.
    "$exe" -max_total_time="$SECONDS_PER_TARGET" -seed="${FUZZ_SEED:-0}" -timeout=5 -rss_limit_mb=2048 \
        -dict="$FUZZ_DIR/fuzz.dict" -print_final_stats=1 \
        -artifact_prefix="$artifacts/" \
        "$corpus" "$FUZZ_DIR/seeds/$target" "$FUZZ_DIR/regressions/$target" >"$log" 2>&1 || status=$?
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    kept=0
    for found in "$artifacts"/*; do
        [ -f "$found" ] || continue
        name=$(basename "$found")
        cp "$found" "$FUZZ_DIR/regressions/$target/$name"
        kept=$((kept + 1))
    done
    if [ "$status" -ne 0 ] || [ "$kept" -ne 0 ]; then
        failed=1
        printf 'fuzz %-8s FAILED after %s inputs (status %s, %s input(s) kept in tests/fuzz/regressions/%s/; log %s)\n' \
            "$target" "${executed:-?}" "$status" "$kept" "$target" "$log"
        grep -m 3 -E "ERROR|runtime error|property broken" "$log" | sed 's/^/    /' || true
    else
        printf 'fuzz %-8s ok  %10s inputs in %s s\n' "$target" "${executed:-?}" "$SECONDS_PER_TARGET"
    fi
done
echo "fuzz: done in $(($(date +%s) - started)) s"
exit "$failed"
