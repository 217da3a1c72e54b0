#!/usr/bin/env bash
# check_package.sh - the Debian package as a player's system gets it: its name,
# version and dependencies, its files in Debian's places for games, lintian with no
# error or warning, the metainfo and desktop entry through their validators; then
# installed with apt-get, the installed game started under a private Xvfb with
# openbox with a temporary HOME, where it must open its window, save its progress
# and close with status 0 at the desktop's Alt+F4; reinstalled (as an upgrade
# does) with the progress kept; and purged, after which none of its files may
# remain and the progress must.
# Run by the package stage of scripts/test.sh, as root. The package is purged at
# the end whatever happened, and an installed tumbleroo found at the start is left
# alone (the check then fails without touching it).
#
#   bash tests/package/check_package.sh dist/tumbleroo_<version>_<arch>.deb
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DEB=$(readlink -f "${1:?usage: check_package.sh PACKAGE.deb}")
WINDOW_SECONDS=30
SAVE_SECONDS=15

failures=0
pass() { echo "package check: ok    $*"; }
fail() { echo "package check: FAIL  $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

TMP=$(mktemp -d)
installed_by_us=0
game_pid=""
wm_pid=""
source "$ROOT/scripts/display.sh"
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  stop_display
  if [ "$installed_by_us" = 1 ] && dpkg-query -W tumbleroo >/dev/null 2>&1; then
    apt-get -o DPkg::Lock::Timeout=600 purge -y -qq tumbleroo >/dev/null 2>&1
  fi
  rm -rf "$TMP"
}
trap cleanup EXIT
trap "exit 130" INT TERM

field() { dpkg-deb -f "$DEB" "$1"; }
version=$(sed -n 's/^project(Tumbleroo VERSION \([0-9.]*\) .*/\1/p' "$ROOT/CMakeLists.txt")
appstream_id=$(sed -n 's/^set(TUMBLEROO_APPSTREAM_ID \(.*\))$/\1/p' "$ROOT/CMakeLists.txt")

# --- The package file -------------------------------------------------------
check "named tumbleroo_${version}_$(dpkg --print-architecture).deb" \
  test "$(basename "$DEB")" = "tumbleroo_${version}_$(dpkg --print-architecture).deb"
check "version $version, section games" \
  test "$(field Version) $(field Section)" = "$version games"
depends=$(field Depends)
echo "package check: Depends: $depends"
check "depends on the libraries the program links (shlibs)" \
  bash -c '[[ $1 == *libglfw3* && $1 == *libopenal1* && $1 == *libc6* && $1 == *libstdc++6* ]]' _ "$depends"

dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' >"$TMP/contents"
has() { grep -qx "$1" "$TMP/contents"; }
for f in /usr/games/tumbleroo /usr/lib/games/tumbleroo/tumbleroo \
         /usr/share/games/tumbleroo/data/zindle_font.png /usr/share/games/tumbleroo/data/menu-hd2.png \
         /usr/share/games/tumbleroo/data/sfx/001.wav /usr/share/games/tumbleroo/data/icon.png \
         /usr/share/applications/tumbleroo.desktop "/usr/share/metainfo/$appstream_id.metainfo.xml" \
         /usr/share/man/man6/tumbleroo.6.gz /usr/share/doc/tumbleroo/copyright \
         /usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/tumbleroo.png; do
  check "holds $f" has "$f"
done
check "nothing outside /usr" bash -c '! grep -v "^/usr\(/\|$\)" "$1" | grep -qv "^/\?$"' _ "$TMP/contents"

mkdir -p "$TMP/unpacked"
dpkg-deb -x "$DEB" "$TMP/unpacked"
for size in 48 64 128 256; do
  check "icon ${size}x$size is $size pixels on a side" test \
    "$(identify -format '%wx%h' "$TMP/unpacked/usr/share/icons/hicolor/${size}x$size/apps/tumbleroo.png")" = "${size}x$size"
done

# --- Validators -----------------------------------------------------------------
echo "package check: lintian (info, pedantic and experimental tags listed; errors and warnings fail)"
check "lintian: no error, no warning" lintian --fail-on error,warning --display-info --pedantic --display-experimental "$DEB"
check "metainfo validates (appstreamcli --no-net)" \
  appstreamcli validate --no-net "$TMP/unpacked/usr/share/metainfo/$appstream_id.metainfo.xml"
check "metainfo, desktop entry and icons validate together (appstreamcli validate-tree)" \
  appstreamcli validate-tree --no-net "$TMP/unpacked"
check "desktop entry validates" desktop-file-validate "$TMP/unpacked/usr/share/applications/tumbleroo.desktop"

# --- Installed --------------------------------------------------------------------
if dpkg-query -W -f='${Status}' tumbleroo 2>/dev/null | grep -q installed; then
  fail "tumbleroo is already installed on this system: not touching it"
  exit 1
fi
installed_by_us=1
export DEBIAN_FRONTEND=noninteractive
APT=(apt-get -o DPkg::Lock::Timeout=600 -y -qq)
# apt's and dpkg's chatter goes to a log, shown when a step fails.
apt_quiet() { "${APT[@]}" "$@" >>"$TMP/apt.log" 2>&1 || { tail -n 20 "$TMP/apt.log"; return 1; }; }
check "apt-get install ./$(basename "$DEB")" apt_quiet install "$DEB"
dpkg -L tumbleroo >"$TMP/installed" 2>/dev/null
check "dpkg lists the installed files" test -s "$TMP/installed"

check "tumbleroo --version names $version" test "$(/usr/games/tumbleroo --version 2>/dev/null)" = "tumbleroo $version"
/usr/games/tumbleroo --no-such-option >/dev/null 2>"$TMP/refused"
check "an unknown option exits with 2" test $? = 2
check "...and says so on standard error" grep -q "unknown option '--no-such-option'" "$TMP/refused"

# The player's first start, from a desktop: a fresh HOME, no XDG_DATA_HOME.
home=$TMP/home
player=$home/.local/share/tumbleroo
mkdir -p "$home"
unset DISPLAY
start_display 1280x800x24 >/dev/null
HOME=$home openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
(cd / && exec env -u XDG_DATA_HOME HOME="$home" ALSOFT_CONF="$ROOT/tests/support/alsoft-null.conf" \
   /usr/games/tumbleroo) >"$TMP/game.log" 2>&1 &
game_pid=$!
window=$(timeout "$WINDOW_SECONDS" xdotool search --sync --onlyvisible --name '^Tumbleroo$' 2>/dev/null | head -n 1)
check "the installed game opens its window" test -n "$window"
if [ -n "$window" ]; then
  # Iconifying the window saves the progress.
  xdotool windowminimize "$window"
  for _ in $(seq $((SAVE_SECONDS * 10))); do [ -s "$player/.quorvelstate" ] && break; sleep 0.1; done
fi
check "progress saved in ~/.local/share/tumbleroo/.quorvelstate" test -s "$player/.quorvelstate"
check "the player's data/ links to the installed data" \
  test "$(readlink -f "$player/data")" = /usr/share/games/tumbleroo/data
check "the game was still running" kill -0 "$game_pid"
# Closed as a player closes it: back from the task bar, then the desktop's Alt+F4,
# pressed again while the game runs on. On a busy machine the window manager may
# not have given the restored window the focus when the first press comes, and
# then that press closes nothing.
if [ -n "$window" ]; then
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$window" >/dev/null 2>&1
    xdotool key --clearmodifiers alt+F4
    for _ in $(seq $((SAVE_SECONDS * 10 / 3))); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$game_pid" 2>/dev/null || break
  done
fi
if kill -0 "$game_pid" 2>/dev/null; then kill "$game_pid"; fi
wait "$game_pid" 2>/dev/null
status=$?
game_pid=""
check "closing the window ends the game with status 0" test "$status" = 0
check "the game printed no failure" bash -c '! grep -Eq "failed|Error" "$1"' _ "$TMP/game.log"
check "the installed files are unchanged (dpkg --verify)" test -z "$(dpkg --verify tumbleroo)"

cp "$player/.quorvelstate" "$TMP/progress"
check "reinstalling (as an upgrade does) works" apt_quiet install --reinstall "$DEB"
check "...and keeps the progress" cmp -s "$TMP/progress" "$player/.quorvelstate"

# --- Purged -------------------------------------------------------------------------
check "apt-get purge tumbleroo" apt_quiet purge tumbleroo
installed_by_us=0
left=()
while IFS= read -r path; do
  [ "$path" = /. ] && continue
  [ -e "$path" ] || [ -L "$path" ] || continue
  # A folder another package owns too (/usr/games, /usr/share/man/man6) stays.
  if [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
  left+=("$path")
done <"$TMP/installed"
check "purging removed every installed file (${#left[@]} left: ${left[*]:-none})" test ${#left[@]} = 0
check "purging left the player's progress alone" cmp -s "$TMP/progress" "$player/.quorvelstate"

if [ "$failures" -ne 0 ]; then
  echo "package check: $failures check(s) failed"
  [ -s "$TMP/game.log" ] && sed 's/^/  game: /' "$TMP/game.log" | head -n 20
  exit 1
fi
echo "package check: all passed"
