#!/usr/bin/env bash
# bench/run.sh [--smoke] [--build-dir DIR] [--out FILE] - builds a release tree (or
# uses DIR, already built), starts a virtual display when none is set, runs every
# benchmark section bench/<section>/run.sh in name order and writes one Markdown
# report: the machine, the command, then each section's tables and verdicts.
# --smoke runs every program for a few frames or ticks only (seconds in all).
# Exits non-zero only when a section could not run; a missed budget is reported.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
COMMAND="bash bench/run.sh${*:+ $*}"
SMOKE=""
BUILD_DIR=""
OUT=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --smoke) SMOKE=--smoke ;;
    --build-dir) BUILD_DIR=${2:?--build-dir needs a folder}; shift ;;
    --out) OUT=${2:?--out needs a file}; shift ;;
    *) echo "usage: bash bench/run.sh [--smoke] [--build-dir DIR] [--out FILE]" >&2; exit 2 ;;
  esac
  shift
done

STARTED=$(date +%s)

if [[ -z $BUILD_DIR ]]; then
  BUILD_DIR=$ROOT/build-bench
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DTUMBLEROO_TESTS=OFF >/dev/null
  cmake --build "$BUILD_DIR" -j"$(nproc)" >/dev/null
fi
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
OUT=${OUT:-$BUILD_DIR/report.md}
mkdir -p "$(dirname "$OUT")"

SECTIONS=$(mktemp -d)
source "$ROOT/scripts/display.sh"
cleanup() {
  rm -rf "$SECTIONS"
  stop_display
}
trap cleanup EXIT
# Large enough for the frame-time table's 1920x1080 window.
start_display 1920x1080x24
export ALSOFT_CONF=$ROOT/tests/support/alsoft-null.conf

FAILED=()
TIMES=()
for script in "$ROOT"/bench/*/run.sh; do
  section=$(basename "$(dirname "$script")")
  echo "bench: $section" >&2
  section_start=$(date +%s)
  if ! bash "$script" "$BUILD_DIR" "$SECTIONS" $SMOKE; then
    FAILED+=("$section")
    printf '## %s\n\nThis section could not run (see the log of the run).\n\n' "$section" >"$SECTIONS/$section.md"
  fi
  TIMES+=("$section $(($(date +%s) - section_start)) s")
done

first_line() { "$@" 2>/dev/null | head -1 || true; }
version_of() { pkg-config --modversion "$1" 2>/dev/null || echo "not installed"; }

machine_header() {
  local cpu ram gl
  cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
  ram=$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
  gl=$(first_line "$BUILD_DIR/bench/sprites/bench_sprites_ours" --info)
  echo "# Benchmark report"
  echo
  echo "| | |"
  echo "|---|---|"
  echo "| Date | $(date -u '+%Y-%m-%d %H:%M UTC') |"
  echo "| CPU | ${cpu:-unknown} |"
  echo "| Cores | $(nproc) |"
  echo "| RAM | $ram |"
  echo "| Kernel | $(uname -sr) |"
  echo "| Debian | $(cat /etc/debian_version 2>/dev/null || echo unknown) |"
  echo "| Display | Xvfb ($DISPLAY) |"
  echo "| GL renderer and version (our own context) | ${gl:-unknown} |"
  echo "| Compilers | $(first_line g++ --version); $(first_line cmake --version) |"
  echo "| Peers | SDL2 $(version_of sdl2); $(first_line love --version); Lua $(version_of lua5.4); Boehm GC (libgc) $(version_of bdw-gc); $(first_line hyperfine --version) |"
  echo "| Build | $BUILD_DIR ($(awk -F= '/^CMAKE_BUILD_TYPE:/ { print $2 }' "$BUILD_DIR/CMakeCache.txt")) |"
  echo "| Load average at the end | $(cut -d' ' -f1-3 /proc/loadavg) |"
  echo
  echo "Command: \`$COMMAND\`${SMOKE:+ (smoke run: a few frames or ticks per program, figures not meaningful)}"
  echo
  echo "Run time, build included: $(($(date +%s) - STARTED)) s (sections: $(IFS=,; echo "${TIMES[*]}" | sed 's/,/, /g'))"
  echo
}

{
  machine_header
  for section in "$SECTIONS"/*.md; do
    [[ -e $section ]] || continue
    cat "$section"
    echo
  done
} >"$OUT"
echo "bench: report written to $OUT" >&2

if [[ ${#FAILED[@]} -gt 0 ]]; then
  echo "bench: sections that could not run: ${FAILED[*]}" >&2
  exit 1
fi
