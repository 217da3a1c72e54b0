// soak.h - the long soak of the real game object: a seeded bot that plays the whole
// cabinet through the real input device tick by tick (soak_bot.cpp), the checks run
// after every tick, the save round trips and the collector's record
// (soak_monitor.cpp), and the driver with its figures (soak_main.cpp). The suite
// runs it short; scripts/soak.sh runs it long.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "game/shell/game.h"

namespace soak {


struct Options {
    long ticks = 40000;
    unsigned seed = 1;
    int renderEvery = 8;      // one render per this many updates
    int saveEvery = 4000;     // a save and reload check every this many updates
    int resizeEvery = 20000;  // a new window size (and asset reload) every this many updates
    int measureEvery = 500;   // a full collection and the retained set every this many updates
};

// Requests the bot makes of the driver, beside the input it feeds itself.
enum class HostRequest { None, Suspend };

// Plays the cabinet: menu navigation by keys, clicks and drags, unlocks, the sound
// switch and the credits; in a machine SPIN, holds, nudges, moves, random keys and
// clicks, pause with resume, sound or quit. Input goes through the real input device
// and the fake window's mouse position before each update.
class Bot {
public:
    explicit Bot(unsigned seed);
    // Feeds the input of the coming update.
    HostRequest BeforeTick(const kx_Tumbleroo_MyApp& g);
    void NoteGameStarted(int machine) { ++started_[machine - 1]; }
    void ReleaseAll();

private:
    std::mt19937 rng_;
    std::vector<int> heldKeys_;
    bool mouseHeld_ = false;
    int holdTicks_ = 0;
    int idleTicks_ = 0;
    float dragStep_ = 0;
    int playTicks_ = 0;      // updates spent in the current game
    int gameLimit_ = 0;      // updates after which the bot leaves the game by the pause menu
    int pauseWish_ = 0;      // what the bot wants from the open pause menu: -1 leave, 0 resume, 1 sound
    std::array<int, kMachineCount> started_{};

    bool Chance(double p);
    int Uniform(int lo, int hi);
    void PressKey(int code, int hold);
    void ClickAt(const kx_Tumbleroo_MyApp& g, float vx, float vy, int hold);
    void PointAt(const kx_Tumbleroo_MyApp& g, float vx, float vy);
    void Rest();
    void Noise(const kx_Tumbleroo_MyApp& g);
    void Menu(const kx_Tumbleroo_MyApp& g);
    void MenuNavigate(const kx_Tumbleroo_MyApp& g, int target);
    void MenuStart(const kx_Tumbleroo_MyApp& g);
    void StartDrag(const kx_Tumbleroo_MyApp& g);
    int Target();
    HostRequest Play(const kx_Tumbleroo_MyApp& g);
    void MachineMove(const kx_Tumbleroo_MyApp& g);
    void Pause(const kx_Tumbleroo_MyApp& g);
    void PressSpin(const kx_Tumbleroo_MyApp& g, float x, float y);
    int targetMachine_ = 0;
};

// Figures of a run, printed at its end.
struct Figures {
    long ticks = 0;
    std::array<long, kMachineCount> machineTicks{};
    std::array<int, kMachineCount> gamesStarted{};
    std::array<int, kMachineCount> gamesFinished{};
    long menuTicks = 0;
    int savesVerified = 0;
    int renders = 0;
    int suspends = 0;
    int resizes = 0;
    int pauses = 0;
    int peakLiveBytes = 0;
    int peakObjects = 0;
    std::array<int, 4> quarterMaxBytes{};   // highest live bytes in each quarter of the run
    std::array<int, 4> quarterMaxObjects{};
    int firstHalfMaxBytes = 0, secondHalfMaxBytes = 0;
    int retainedSamples = 0;
    int retainedKeysCompared = 0;        // asset sets measured in both the second and last quarter
    int retainedMinBytes = 0, retainedMaxBytes = 0;
    int retainedMaxGrowth = 0;           // largest growth of one asset set's retained bytes, q2 to q4
    double wallSeconds = 0;
};

// The saved arrays as the game holds them (scores up to the last saved entry).
struct Tables {
    std::vector<int> settings, scores;
    std::vector<bool> flags;
    bool operator==(const Tables& o) const {
        return settings == o.settings && scores == o.scores && flags == o.flags;
    }
};

// Every-tick checks of the game object against the ranges of the screens and the
// machines, the score tables after each finished game, save and reload round trips,
// and the collector's live bytes after each update.
class Monitor {
public:
    explicit Monitor(Figures* figures) : figures_(figures) {}
    // Checks after update `tick`; failures are reported through GoogleTest.
    void AfterTick(long tick, kx_Tumbleroo_MyApp& g, Bot& bot);
    // Saves (unless `alreadySaved`), checks the file loads back to the same tables.
    void VerifySave(kx_Tumbleroo_MyApp& g, bool alreadySaved, const char* why);
    void RecordCollector(long tick);
    // A full collection now, then the bytes and objects still reachable, filed under
    // the assets loaded (tier, sound bank, reel sheet), which set most of the heap.
    void MeasureRetained(long tick, const kx_Tumbleroo_MyApp& g);
    void Finish();
    bool Failed() const { return failures_ > 0; }

private:
    Figures* figures_;
    int failures_ = 0;
    int prevState_ = 0;
    int prevScore_ = 0;
    int prevShown_ = 0;
    int endedScore_ = 0;
    int endedMachine_ = 0;
    Tables before_;  // the tables as the finished game left them, before the update
    std::vector<int> liveBytes_;
    std::vector<int> liveObjects_;  // sampled, see kObjectSampleEvery
    struct Retained {
        long tick;
        std::string assets;
        int bytes, objects;
    };
    std::vector<Retained> retained_;
    void CheckRetained(long ticks);

    void CheckFrame(long tick, const kx_Tumbleroo_MyApp& g);
    void CheckPlay(long tick, const kx_Tumbleroo_MyApp& g);
    void CheckTablesAfterGame(long tick, const kx_Tumbleroo_MyApp& g);
    bool Expect(bool ok, long tick, const std::string& what);
};

int CountLiveObjects();
std::string FormatFigures(const Figures& f);

}  // namespace soak
