#!/usr/bin/env bash
# run.sh - the Windows build tested under Wine (the `windows` stage of
# scripts/test.sh; also runs alone). Builds the release with scripts/windows.sh,
# then, in a fresh Wine prefix on a private Xvfb display with a window manager:
#   1. the cross-compiled unit tests (test_windows.exe);
#   2. the game from the zip: its window opens, the menu drawn matches the Linux
#      build's menu at the same size (at most kMenuTolerance of the pixels differ
#      by more than kPixelFuzz), Down and Up move the menu's list and back,
#      Alt+Enter fills the screen and returns to the window, a click on the
#      selected machine starts it, a click on SPIN turns the reels and its sounds
#      reach the WASAPI output (Wine's, into a file), iconifying saves the
#      progress under the prefix's %APPDATA%\Tumbleroo, and closing the window
#      ends it with status 0;
#   3. the installer: /S installs it (files, Start-menu shortcut, Apps & features
#      entry), the installed game opens its menu (without a sound device, saying
#      so in one line), the uninstaller removes it all and leaves the progress.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
MENU_TOLERANCE_PERCENT=1   # kMenuTolerance
PIXEL_FUZZ=8%              # kPixelFuzz
SELECTED_MACHINE="256,312" # the menu's selected icon, in window units
SPIN="544,240"
REELS=380x280+40+40

bash scripts/windows.sh
VERSION=$(sed -n 's/^project(Tumbleroo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
LINUX_GAME=$ROOT/${BUILD_DIR:-build}/tumbleroo
[ -x "$LINUX_GAME" ] || cmake --build "${BUILD_DIR:-build}" --target tumbleroo -j"$(nproc)"

WORK=$(mktemp -d /tmp/tumbleroo-windows.XXXXXX)
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export ALSOFT_CONF=$ROOT/tests/support/alsoft-null.conf
GAME_PID="" WM_PID=""
source scripts/display.sh
cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null || true
  stop_display
}
trap cleanup EXIT
unset DISPLAY
start_display 1024x768x24
openbox >/dev/null 2>&1 &
WM_PID=$!

pass() { echo "windows: ok: $*"; }
fail() { echo "windows: FAIL: $*" >&2; exit 1; }

echo "windows: preparing the Wine prefix"
wineboot -i >/dev/null 2>&1
wineserver -w

# --- 1. unit tests -----------------------------------------------------------
wine "$ROOT/build-win/tests/windows/test_windows.exe" --gtest_brief=1 || fail "unit tests under Wine"
pass "unit tests under Wine"

# --- helpers -------------------------------------------------------------------
# wait_window: the id of the game's window once it is mapped.
wait_window() {
  local id=""
  for _ in $(seq 120); do
    id=$(xdotool search --onlyvisible --name '^Tumbleroo$' 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}
shot() { import -window "$1" "$2" 2>/dev/null; }
# differing PICTURE_A PICTURE_B: how many pixels differ by more than the fuzz.
differing() { compare -metric AE -fuzz "$PIXEL_FUZZ" "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }
# still WINDOW OUT: waits until two shots a second apart agree (the menu has
# finished loading and settled), leaving the last in OUT.
still() {
  local prev=$WORK/prev.png
  shot "$1" "$prev"
  for _ in $(seq 60); do
    sleep 1
    shot "$1" "$2"
    [ "$(differing "$prev" "$2")" = 0 ] && return 0
    cp "$2" "$prev"
  done
  return 1
}
click() {
  xdotool mousemove --window "$1" "${2%,*}" "${2#*,}" sleep 0.2 mousedown 1 sleep 0.15 mouseup 1
}
# close_window WID PID: Alt+F4 on the window, pressed again (up to three times)
# while the process runs on: on a busy machine the first press can come before the
# window manager has given the window the focus, and then it closes nothing.
close_window() {
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$1" key --clearmodifiers alt+F4 2>/dev/null || true
    for _ in $(seq 10); do kill -0 "$2" 2>/dev/null || return 0; sleep 0.5; done
  done
}
# wait_exit PID: the process's status once it has ended (fails after 20 s).
wait_exit() {
  for _ in $(seq 40); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; return $?; }
    sleep 0.5
  done
  return 124
}
geometry() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p; s/^HEIGHT=//p' | paste -sd x; }
progress_file() { find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/Tumbleroo/.quorvelstate' 2>/dev/null | head -1; }

# --- 2. the game from the zip ------------------------------------------------
mkdir -p "$WORK/linux"
cp -r "$ROOT/${BUILD_DIR:-build}/data" "$WORK/linux/"
(cd "$WORK/linux" && exec "$LINUX_GAME" --windowed >/dev/null 2>&1) &
GAME_PID=$!
WID=$(wait_window) || fail "the Linux build's window did not open"
still "$WID" "$WORK/linux-menu.png" || fail "the Linux build's menu did not settle"
kill "$GAME_PID"; wait "$GAME_PID" 2>/dev/null || true; GAME_PID=""

(cd "$WORK" && unzip -q "$ROOT/dist/tumbleroo-$VERSION-win64.zip")
GAME_DIR=$WORK/tumbleroo-$VERSION-win64
# Wine's sound output goes to ALSA's default device, here a file (raw samples in
# the mix format Wine hands out: 32-bit float, stereo).
mkdir -p "$WORK/home"
SOUND=$WORK/sound.raw
printf 'pcm.!default {\n type file\n slave.pcm "null"\n file "%s"\n format "raw"\n}\n' "$SOUND" > "$WORK/home/.asoundrc"
(cd "$WORK" && HOME=$WORK/home exec wine "$GAME_DIR/tumbleroo.exe" --windowed > "$WORK/zip-stdout.txt" 2>/dev/null) &
GAME_PID=$!
WID=$(wait_window) || fail "the Windows build's window did not open"
pass "window opened"
still "$WID" "$WORK/wine-menu.png" || fail "the Windows build's menu did not settle"
SIZE=$(identify -format '%wx%h' "$WORK/wine-menu.png")
[ "$SIZE" = "640x480" ] || fail "window is $SIZE, not 640x480"
DIFF=$(differing "$WORK/linux-menu.png" "$WORK/wine-menu.png")
LIMIT=$((640 * 480 * MENU_TOLERANCE_PERCENT / 100))
[ "$DIFF" -le "$LIMIT" ] 2>/dev/null || fail "menu differs from the Linux build's in $DIFF pixels (limit $LIMIT)"
pass "menu drawn as on Linux ($DIFF of 307200 pixels differ, limit $LIMIT)"

xdotool windowactivate --sync "$WID" key --clearmodifiers Down
still "$WID" "$WORK/down.png" || fail "the menu did not settle after Down"
MOVED=$(differing "$WORK/wine-menu.png" "$WORK/down.png")
[ "$MOVED" -gt "$LIMIT" ] 2>/dev/null || fail "Down did not move the menu's list ($MOVED pixels changed)"
xdotool key --clearmodifiers Up
still "$WID" "$WORK/up.png" || fail "the menu did not settle after Up"
BACK=$(differing "$WORK/wine-menu.png" "$WORK/up.png")
[ "$BACK" -le "$LIMIT" ] 2>/dev/null || fail "Up did not bring the first machine back ($BACK pixels differ)"
pass "keyboard: Down moves the list ($MOVED pixels), Up brings it back ($BACK)"

xdotool key --clearmodifiers alt+Return
sleep 2
FULL=$(geometry "$WID")
[ "$FULL" = "1024x768" ] || fail "Alt+Enter left the window at $FULL, not the screen's 1024x768"
xdotool key --clearmodifiers alt+Return
sleep 2
BACKSIZE=$(geometry "$WID")
[ "$BACKSIZE" = "640x480" ] || fail "the second Alt+Enter left the window at $BACKSIZE"
still "$WID" "$WORK/windowed.png" || fail "the menu did not settle after fullscreen"
pass "Alt+Enter: fullscreen $FULL, back to $BACKSIZE"

click "$WID" "$SELECTED_MACHINE"
sleep 3
shot "$WID" "$WORK/machine.png"
LEFT=$(differing "$WORK/wine-menu.png" "$WORK/machine.png")
[ "$LEFT" -gt "$LIMIT" ] 2>/dev/null || fail "a click on the selected machine left the menu up ($LEFT pixels changed)"
pass "machine started by a click ($LEFT pixels changed)"
click "$WID" "$SPIN"
sleep 0.4
shot "$WID" "$WORK/spin1.png"
sleep 0.3
shot "$WID" "$WORK/spin2.png"
convert "$WORK/spin1.png" -crop "$REELS" +repage "$WORK/reels1.png"
convert "$WORK/spin2.png" -crop "$REELS" +repage "$WORK/reels2.png"
TURNED=$(differing "$WORK/reels1.png" "$WORK/reels2.png")
[ "$TURNED" -gt 1000 ] 2>/dev/null || fail "the reels did not turn after SPIN ($TURNED pixels changed)"
pass "reels spin ($TURNED reel pixels changed in 0.3 s)"
sleep 2
PEAK=$(sox -t raw -e floating-point -b 32 -c 2 -r 48000 "$SOUND" -n stat 2>&1 | sed -n 's/^Maximum amplitude: *//p')
awk -v p="${PEAK:-0}" 'BEGIN { exit !(p > 0.01 && p <= 1.0) }' || fail "no sound reached the output (peak ${PEAK:-none})"
pass "sound through WASAPI (peak amplitude $PEAK)"

[ -z "$(progress_file)" ] || fail "progress saved before iconifying"
xdotool windowminimize "$WID"
for _ in $(seq 30); do [ -n "$(progress_file)" ] && break; sleep 0.5; done
STATE=$(progress_file)
[ -n "$STATE" ] || fail "iconifying saved no progress under %APPDATA%\\Tumbleroo"
pass "iconifying saved ${STATE#$WINEPREFIX/}"
xdotool windowactivate "$WID" 2>/dev/null || xdotool windowmap "$WID"
sleep 1
close_window "$WID" "$GAME_PID"
STATUS=0; wait_exit "$GAME_PID" || STATUS=$?
GAME_PID=""
[ "$STATUS" = 0 ] || fail "closing the window ended the game with status $STATUS"
pass "closed with status 0"

# --- 3. the installer ------------------------------------------------------------
PROGRAMS="$WINEPREFIX/drive_c/Program Files/Tumbleroo"
SHORTCUT="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tumbleroo/Tumbleroo.lnk"
KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tumbleroo'
wine "$ROOT/dist/tumbleroo-$VERSION-setup.exe" /S
wineserver -w
[ -f "$PROGRAMS/tumbleroo.exe" ] && [ -f "$PROGRAMS/data/icon.png" ] && [ -f "$PROGRAMS/uninstall.exe" ] ||
  fail "the silent install left no game in Program Files"
[ -f "$SHORTCUT" ] || fail "no Start-menu shortcut"
wine reg query "$KEY" /v UninstallString >/dev/null 2>&1 || fail "no Apps & features entry"
pass "installed silently (files, shortcut, Apps & features entry)"

(cd "$WORK" && exec wine "C:\\Program Files\\Tumbleroo\\tumbleroo.exe" > "$WORK/installed-stdout.txt" 2>/dev/null) &
GAME_PID=$!
WID=$(wait_window) || fail "the installed game's window did not open"
still "$WID" "$WORK/installed-menu.png" || fail "the installed game's menu did not settle"
DIFF=$(differing "$WORK/wine-menu.png" "$WORK/installed-menu.png")
[ "$DIFF" -le "$LIMIT" ] 2>/dev/null || fail "the installed game's menu differs in $DIFF pixels"
close_window "$WID" "$GAME_PID"
STATUS=0; wait_exit "$GAME_PID" || STATUS=$?
GAME_PID=""
[ "$STATUS" = 0 ] || fail "the installed game ended with status $STATUS"
# The other lines are the load messages of the saved progress.
SAID=$(tr -d '\r' < "$WORK/installed-stdout.txt" | grep -i 'alc\|sound\|audio' || true)
[ "$SAID" = "alcOpenDevice failed" ] || fail "without a sound device the game said: $SAID"
pass "installed game starts and shows the menu (silent, one line)"

wine "C:\\Program Files\\Tumbleroo\\uninstall.exe" /S
wineserver -w
[ ! -e "$PROGRAMS" ] || fail "the uninstaller left $(ls "$PROGRAMS" | tr '\n' ' ')"
[ ! -e "$SHORTCUT" ] || fail "the uninstaller left the shortcut"
! wine reg query "$KEY" >/dev/null 2>&1 || fail "the uninstaller left the Apps & features entry"
[ -n "$(progress_file)" ] || fail "the uninstaller removed the progress"
pass "uninstalled; progress kept"
rm -rf "$WORK"
echo "windows: all passed"
