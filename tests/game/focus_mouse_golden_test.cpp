// focus_mouse_golden_test.cpp - a mouse player sees every machine screen exactly as
// before the focus ring existed: the same scripted mouse-only play of each machine
// draws, tick by tick, the display lists recorded in golden/mouse_play_lists.txt
// (recorded from the game before the ring was added). Set TUMBLEROO_RECORD_GOLDEN=1
// to write the file afresh from the game under test.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "game_harness.h"

namespace {

const char kGoldenFile[] = TUMBLEROO_SOURCE_DIR "/tests/game/golden/mouse_play_lists.txt";

class MousePlayGoldenTest : public gametest::GameTest {
protected:
    uint64_t hash = 1469598103934665603ull;
    int ticks = 0;

    void SetUp() override {
        GameTest::SetUp();
        Render();
        RunLoader();
    }

    void Fold(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        for (int i = 0; i < 4; ++i) {
            hash ^= (bits >> (8 * i)) & 0xffu;
            hash *= 1099511628211ull;
        }
    }
    // Every record's fields as the replay reads them, after every tick.
    void Step(int n = 1) {
        for (int i = 0; i < n; ++i) {
            Tick();
            ticks += 1;
            for (int r = 0; r < RecordCount(); ++r) {
                const gametest::Record rec = Rec(r);
                for (float f : {rec.kind, rec.x, rec.y, rec.rot, rec.w, rec.h, rec.frame, rec.alpha, rec.r, rec.g,
                                rec.b}) {
                    Fold(f);
                }
            }
            Fold(static_cast<float>(RecordCount()));
        }
    }
    void Click(const MachineControl& c) {
        MoveMouse(c.x * game->scaleX, c.y * game->scaleY);
        PressMouse();
        Step(3);  // held: acts once
        ReleaseMouse();
        Step(2);
    }
    const MachineControl& Control(int i) { return game->m_CurrentMachine()->Controls().items[i]; }
    int Count() { return game->m_CurrentMachine()->Controls().count; }

    // Spin, let the reels run, press every control once in list order with a pause
    // after each (the presses land in whatever phase the machine is in), spin again.
    void Play(int machine) {
        StartMachine(machine);
        const MachineControl spin = Control(machine == kMachineDice || machine == kMachineFizzcrate ? Count() - 1 : 0);
        Click(spin);
        Step(300);
        for (int i = 0; i < Count(); ++i) {
            Click(Control(i));
            Step(machine == kMachineCometrow ? 12 : 40);
        }
        Click(spin);
        Step(300);
    }

    std::map<int, std::string> Golden() {
        std::map<int, std::string> lines;
        std::ifstream in(kGoldenFile);
        int machine;
        std::string rest;
        while (in >> machine && std::getline(in, rest)) lines[machine] = rest;
        return lines;
    }
    std::string Figures() {
        std::ostringstream s;
        s << " " << ticks << " " << std::hex << hash;
        return s.str();
    }
};

TEST_F(MousePlayGoldenTest, MouseOnlyPlayDrawsTheRecordedListsOnEveryMachine) {
    const int machines[] = {kMachineQuillmorPlat, kMachineCubewick, kMachineCometrow, kMachineFizzcrate, kMachineDice};
    std::map<int, std::string> seen;
    for (int m : machines) {
        Recreate();
        Render();
        RunLoader();
        hash = 1469598103934665603ull;
        ticks = 0;
        Play(m);
        seen[m] = Figures();
    }
    if (std::getenv("TUMBLEROO_RECORD_GOLDEN") != nullptr) {
        std::ofstream out(kGoldenFile);
        for (const auto& [m, figures] : seen) out << m << figures << "\n";
        GTEST_SKIP() << "recorded " << kGoldenFile;
    }
    const std::map<int, std::string> golden = Golden();
    ASSERT_EQ(golden.size(), 5u) << "missing " << kGoldenFile;
    for (int m : machines) EXPECT_EQ(seen[m], golden.at(m)) << "machine " << m;
}

}  // namespace
