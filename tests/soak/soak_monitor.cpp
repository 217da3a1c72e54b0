// soak_monitor.cpp - what the soak checks after every update: the screen state, the
// display list's bound, the machine's lives, phase and score in their ranges, the
// score tables after each finished game, save and reload round trips, and the
// collector's live bytes and objects. A failed check is reported through GoogleTest
// with the tick it happened in; the first few of each kind are shown in full.
#include "soak.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "game_harness.h"
#include "host/app.h"

namespace soak {
namespace {

// The ranges each machine keeps, indexed by machine number - 1 (QuillmorPlat,
// Cubewick, Cometrow, Fizzcrate, Dice). Phases are those that can be seen between
// two updates: a crash, a crossing, a death or an exit is settled in its own tick.
struct MachineRanges {
    const char* name;
    int reels;
    int maxLives;
    std::vector<int> phases;
    int overPhase;       // a phase seen only once the game is over, -1 none
    int maxGainPerTick;  // the most one update can add to the score
};
const MachineRanges kRanges[kMachineCount] = {
    {"QuillmorPlat", 8, 3, {0, 1, 5}, 5, 145},
    {"Cubewick", 6, 3, {0, 1, 3, 5}, 5, 50},
    {"Cometrow", 8, 3, {0, 1, 2, 5}, 5, 105},
    {"Fizzcrate", 6, 5, {0, 1, 2, 3}, -1, 540},
    {"Dice", 5, 3, {0, 1, 2, 3, 4}, 4, 80},
};

constexpr int kStartLives = 3;
constexpr int kStrip = 100;
constexpr int kMaxRecordsFloats = (kDrawListRecords - 1) * kRecordFloats;
constexpr int kOverlayEnd = 90;      // the game-over overlay's last tick in play
constexpr int kOverlayFadeFrom = 73;
constexpr int kShownFailures = 20;   // failures shown in full; the rest are counted
constexpr int kObjectSampleEvery = 500;
constexpr int kTable = 10;
constexpr int kLastTables = 50;
constexpr int kSavedScores = 100;
// Growth allowed in the peaks of live bytes between the second and the last quarter:
// the larger of a floor and a quarter. Which images and sounds are loaded (the
// window's tier, the machine's sound bank and reel sheet) and whether a reload's old
// and new assets overlap move these peaks; the retained sets below are exact.
constexpr int kByteSlackMin = 64 * 1024;
constexpr int kSlackDivisor = 4;
// Retained bytes and objects of the same asset set, second against last quarter. A
// game caught at another moment holds a few more small objects (the bot's play keys
// also press the machines' controls, so games run further between samples); a leak
// of one object per game or save outgrows this within a longer run.
constexpr int kRetainedSlackBytes = 1024;
constexpr int kRetainedSlackObjects = 8;

const char kAllLoaded[] =
    "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
    "Highscore 2 Loaded\nHighscore 3 Loaded\nHighscore 4 Loaded\n";

std::string ReadStateFile() {
    std::ifstream in(std::string(gametest::WorkDir()) + "/" + kStateFileName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Tables Snapshot(const kx_Tumbleroo_MyApp& g) {
    Tables t;
    for (int i = 0; i < kSettingsCount; ++i) t.settings.push_back(g.settings[i]);
    for (int i = 0; i < kFlagsCount; ++i) t.flags.push_back(g.flags[i]);
    for (int i = 0; i < kSavedScores; ++i) t.scores.push_back(g.scores[i]);
    return t;
}

std::string Describe(const Tables& t) {
    std::ostringstream s;
    s << "settings";
    for (int v : t.settings) s << ' ' << v;
    s << " | scores";
    for (int v : t.scores) s << ' ' << v;
    return s.str();
}

int MaxOf(const std::vector<int>& v, size_t from, size_t to) {
    int m = 0;
    for (size_t i = from; i < to && i < v.size(); ++i) m = std::max(m, v[i]);
    return m;
}

}  // namespace

int CountLiveObjects() {
    return gc_list_count(gc_unmarked_list) + gc_list_count(gc_queued_list) + gc_list_count(gc_marked_list);
}

bool Monitor::Expect(bool ok, long tick, const std::string& what) {
    if (ok) return true;
    if (++failures_ <= kShownFailures) ADD_FAILURE() << "tick " << tick << ": " << what;
    return false;
}

void Monitor::AfterTick(long tick, kx_Tumbleroo_MyApp& g, Bot& bot) {
    CheckFrame(tick, g);
    if (g.state == kScreenPlay && prevState_ != 10 && prevState_ != 0) {
        const int m = g.machine;
        ++figures_->gamesStarted[m - 1];
        bot.NoteGameStarted(m);
        Expect(g.score == 0 && g.gameOver == 0 && g.phase == 0 && g.lives == kStartLives && g.gameOverTimer == 0,
               tick, "a new game does not start from zero score, three lives and phase 0");
        prevScore_ = 0;
    }
    if (g.state == kScreenPlay) {
        ++figures_->machineTicks[g.machine - 1];
        if (g.loadStep == 0) CheckPlay(tick, g);
    } else {
        ++figures_->menuTicks;
    }
    if (g.state == kScreenBackToMenu && prevState_ == 10) {
        endedScore_ = g.score;
        endedMachine_ = g.machine;
        before_ = Snapshot(g);
        ++figures_->gamesFinished[g.machine - 1];
        Expect(g.gameOver == 1, tick, "the game went back to the menu without being over");
    }
    if (g.state == kScreenMenu && prevState_ == 2) {
        CheckTablesAfterGame(tick, g);
        VerifySave(g, true, "after a finished game");
    }
    prevState_ = g.state;
    prevScore_ = g.score;
    prevShown_ = g.shownScore;
}

void Monitor::CheckFrame(long tick, const kx_Tumbleroo_MyApp& g) {
    const int s = g.state;
    Expect(s == 1 || s == 2 || s == 10 || s == 11, tick, "state " + std::to_string(s));
    Expect(g.loadStep >= 0 && g.loadStep <= kLoaderLastStep + 1, tick, "loadStep " + std::to_string(g.loadStep));
    Expect(g.drawCount >= 0 && g.drawCount <= kMaxRecordsFloats && g.drawCount % kRecordFloats == 0, tick,
           "drawCount " + std::to_string(g.drawCount));
    Expect(g.machine >= 1 && g.machine <= kMachineCount, tick, "machine " + std::to_string(g.machine));
    Expect(g.pauseCursor >= -1 && g.pauseCursor <= 1, tick, "pauseCursor " + std::to_string(g.pauseCursor));
    Expect(g.paused == 0 || g.paused == 1, tick, "paused " + std::to_string(g.paused));
    Expect(g.creditsOpen == 0 || g.creditsOpen == 1, tick, "creditsOpen " + std::to_string(g.creditsOpen));
    Expect(g.creditsOpen == 0 || s == 1 || s == 11, tick, "credits open outside the menu");
    Expect(g.settings[kSettingLastMachine] >= 1 && g.settings[kSettingLastMachine] <= kMachineCount, tick,
           "last machine " + std::to_string(g.settings[kSettingLastMachine]));
    Expect(g.settings[kSettingCoins] >= 0, tick, "coins " + std::to_string(g.settings[kSettingCoins]));
    Expect(g.settings[kSettingSound] == 0 || g.settings[kSettingSound] == 1, tick,
           "sound switch " + std::to_string(g.settings[kSettingSound]));
    const int timerMax = s == 10 ? kOverlayEnd - 1 : kOverlayFadeFrom;
    Expect(g.gameOverTimer >= 0 && g.gameOverTimer <= timerMax, tick,
           "gameOverTimer " + std::to_string(g.gameOverTimer) + " in state " + std::to_string(s));
}

void Monitor::CheckPlay(long tick, const kx_Tumbleroo_MyApp& g) {
    const MachineRanges& r = kRanges[g.machine - 1];
    const std::string at = std::string(r.name) + ": ";
    Expect(g.reels.reelCount == r.reels, tick, at + "reelCount " + std::to_string(g.reels.reelCount));
    Expect(g.lives >= 0 && g.lives <= r.maxLives, tick, at + "lives " + std::to_string(g.lives));
    Expect(g.lives > 0 || g.gameOver == 1, tick, at + "no lives left but the game goes on");
    Expect(g.gameOver == 0 || g.gameOver == 1, tick, at + "gameOver " + std::to_string(g.gameOver));
    const bool knownPhase = std::find(r.phases.begin(), r.phases.end(), g.phase) != r.phases.end();
    Expect(knownPhase, tick, at + "phase " + std::to_string(g.phase));
    Expect(g.phase != r.overPhase || g.gameOver == 1, tick, at + "game-over phase while the game goes on");
    const int gain = g.score - prevScore_;
    Expect(gain >= 0 && gain <= r.maxGainPerTick, tick,
           at + "score went from " + std::to_string(prevScore_) + " to " + std::to_string(g.score));
    const int lo = std::min(prevShown_, g.score), hi = std::max(prevShown_, g.score);
    Expect(g.shownScore >= lo && g.shownScore <= hi, tick, at + "shownScore " + std::to_string(g.shownScore));
    for (int i = 0; i < g.reels.reelCount; ++i) {
        Expect(g.reels.reelPos[i] >= 0 && g.reels.reelPos[i] < kStrip, tick, at + "reelPos " + std::to_string(g.reels.reelPos[i]));
        Expect(g.reels.holds[i] == 0 || g.reels.holds[i] == 1, tick, at + "hold " + std::to_string(g.reels.holds[i]));
    }
}

// The finished score goes first into the last-ten table and, when it beats an entry,
// into the top ten below every entry it does not beat; the rest moves down one.
void Monitor::CheckTablesAfterGame(long tick, const kx_Tumbleroo_MyApp& g) {
    const int base = (endedMachine_ - 1) * kTable;
    std::vector<int> top(before_.scores.begin() + base, before_.scores.begin() + base + kTable);
    std::vector<int> last(before_.scores.begin() + kLastTables + base,
                          before_.scores.begin() + kLastTables + base + kTable);
    const auto place = std::find_if(top.begin(), top.end(), [this](int v) { return v < endedScore_; });
    if (place != top.end()) {
        top.insert(place, endedScore_);
        top.pop_back();
    }
    last.insert(last.begin(), endedScore_);
    last.pop_back();
    for (int j = 0; j < kTable; ++j) {
        Expect(g.scores[base + j] == top[j], tick, "top-ten entry " + std::to_string(j) + " after a game of " +
                                                       std::to_string(endedScore_));
        Expect(g.scores[kLastTables + base + j] == last[j], tick, "last-ten entry " + std::to_string(j));
    }
    Expect(std::is_sorted(top.begin(), top.end(), std::greater<int>()), tick, "top ten out of order");
}

// The file on disk must load back, section by section, to exactly the tables the
// game holds, and saving again must write the same text.
void Monitor::VerifySave(kx_Tumbleroo_MyApp& g, bool alreadySaved, const char* why) {
    if (!alreadySaved) g.m_Save();
    const std::string text = ReadStateFile();
    const Tables held = Snapshot(g);
    for (int i = 0; i < kSettingsCount; ++i) g.settings[i] = 0;
    for (int i = 0; i < kFlagsCount; ++i) g.flags[i] = false;
    for (int i = 0; i < kSavedScores; ++i) g.scores[i] = 0;
    testing::internal::CaptureStdout();
    g.m_Load();
    const std::string printed = testing::internal::GetCapturedStdout();
    const Tables loaded = Snapshot(g);
    const long tick = figures_->ticks;
    Expect(printed == kAllLoaded, tick, std::string(why) + ": the load said " + printed);
    if (!Expect(loaded == held, tick, std::string(why) + ": the saved tables came back different")) {
        ADD_FAILURE() << "held   " << Describe(held) << "\nloaded " << Describe(loaded) << "\nfile   " << text;
    }
    g.m_Save();
    Expect(ReadStateFile() == text, tick, std::string(why) + ": saving the loaded tables wrote another text");
    ++figures_->savesVerified;
}

void Monitor::RecordCollector(long tick) {
    liveBytes_.push_back(gc_alloced_bytes);
    if (tick % kObjectSampleEvery == 0) liveObjects_.push_back(CountLiveObjects());
}

void Monitor::MeasureRetained(long tick, const kx_Tumbleroo_MyApp& g) {
    if (g.loadStep > 0) return;
    // Two full collections: the first still keeps what this cycle had already
    // reached before it became garbage; the second starts from the roots. A sweep
    // needs a white object, and once a quiet game has traced its whole heap there is
    // none, so each pass gets a fresh one that nothing holds.
    for (int pass = 0; pass < 2; ++pass) {
        Array<int> unheld(1);
        gc_force_sweep = true;
        gc_collect();
    }
    const std::string assets = std::to_string(g.tier) + "/" + std::to_string(g.soundSet) + "/" + g.reelSheet.ToUtf8();
    retained_.push_back(Retained{tick, assets, gc_alloced_bytes, CountLiveObjects()});
}

// The retained set of one asset set must not grow from the second quarter to the
// last: what a game, a save or a pause leaves behind would show here exactly.
void Monitor::CheckRetained(long ticks) {
    std::map<std::string, std::array<int, 2>> second, last;  // bytes, objects
    for (const Retained& r : retained_) {
        const long q = r.tick * 4 / ticks;
        if (q != 1 && q != 3) continue;
        std::array<int, 2>& m = (q == 1 ? second : last)[r.assets];
        m[0] = std::max(m[0], r.bytes);
        m[1] = std::max(m[1], r.objects);
    }
    figures_->retainedSamples = static_cast<int>(retained_.size());
    for (const Retained& r : retained_) {
        if (figures_->retainedMinBytes == 0 || r.bytes < figures_->retainedMinBytes) figures_->retainedMinBytes = r.bytes;
        figures_->retainedMaxBytes = std::max(figures_->retainedMaxBytes, r.bytes);
    }
    for (const auto& [assets, late] : last) {
        const auto early = second.find(assets);
        if (early == second.end()) continue;
        ++figures_->retainedKeysCompared;
        const int growth = late[0] - early->second[0];
        figures_->retainedMaxGrowth = std::max(figures_->retainedMaxGrowth, growth);
        Expect(growth <= kRetainedSlackBytes && late[1] - early->second[1] <= kRetainedSlackObjects, ticks,
               "the retained set with assets " + assets + " grew from " + std::to_string(early->second[0]) +
                   " bytes in " + std::to_string(early->second[1]) + " objects to " + std::to_string(late[0]) +
                   " bytes in " + std::to_string(late[1]) + " objects");
    }
    Expect(figures_->retainedKeysCompared > 0, ticks, "no asset set was measured in both the second and last quarter");
}

// After the first quarter (start-up, first loads) the heap must not grow: the
// highest live bytes of the last quarter stay within a small slack of the second
// quarter's, and the same for the object count.
void Monitor::Finish() {
    const size_t n = liveBytes_.size();
    const size_t k = liveObjects_.size();
    for (int q = 0; q < 4; ++q) {
        figures_->quarterMaxBytes[q] = MaxOf(liveBytes_, n * q / 4, n * (q + 1) / 4);
        figures_->quarterMaxObjects[q] = MaxOf(liveObjects_, k * q / 4, k * (q + 1) / 4);
    }
    figures_->firstHalfMaxBytes = MaxOf(liveBytes_, 0, n / 2);
    figures_->secondHalfMaxBytes = MaxOf(liveBytes_, n / 2, n);
    figures_->peakLiveBytes = MaxOf(liveBytes_, 0, n);
    figures_->peakObjects = MaxOf(liveObjects_, 0, k);
    const int q2 = figures_->quarterMaxBytes[1], q4 = figures_->quarterMaxBytes[3];
    const int byteSlack = std::max(kByteSlackMin, q2 / kSlackDivisor);
    Expect(q4 <= q2 + byteSlack, figures_->ticks,
           "live bytes grew: last quarter peaks at " + std::to_string(q4) + ", second quarter at " +
               std::to_string(q2));
    CheckRetained(figures_->ticks);
}

}  // namespace soak
