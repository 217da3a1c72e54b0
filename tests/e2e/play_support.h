// play_support.h - steps that several end-to-end scenarios share: seeding a state
// file, waiting for the menu to rest, starting the selected machine with a tap,
// clicking a machine's controls until its game ends, and reading the menu's
// last-ten column row by row.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/image.h"
#include "tests/e2e/progress_file.h"
#include "tests/e2e/screens.h"
#include "tests/e2e/session.h"

namespace e2e {

constexpr double kScreenSeconds = 20;
constexpr double kExitSeconds = 20;

// Progress with `machine` as the last machine played (so the menu opens on it) and
// sound on, as the game itself would save it.
Progress SeededProgress(int machine);

// The menu once its pictures have slid in and nothing moves any more.
Image StillMenu(Session& s);

// Taps the selected icon and waits until the machine's reel frame shows.
bool StartSelectedMachine(Session& s, int machine, Image* playing);

// The Dice reels above their HOLD buttons (which pulse between the two spins).
double ReelChange(const Image& a, const Image& b);
// Waits until the reels have been at rest for several shots in a row.
Image StillReels(Session& s, int machine);

// The controls a player clicks to lose a machine's lives fastest.
std::vector<Point> ControlsOf(int machine);

struct GameResult {
    bool ended = false;
    std::string saved;  // the state file written when the menu took the score
    Image overlay;      // the last picture of the game-over overlay seen
};

// Clicks through `controls` in turn until the game ends and the menu has saved the
// score, for at most `seconds`.
GameResult PlayUntilSaved(Session& s, const std::vector<Point>& controls, const std::string& before, double seconds);

// The game-over overlay: its yellow band across the left edge over a darkened
// game.
bool IsGameOver(const Image& shot);
bool IsFullGameOver(const Image& shot);

// Rows of the menu's last-ten column (heading first), each as a text mask.
std::vector<Mask> LastColumnRows(const Image& menu);

}  // namespace e2e
