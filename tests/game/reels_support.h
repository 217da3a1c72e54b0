// reels_support.h - shared by the reel, play-flow and Dice tests: an independent
// model of the toolkit generator's documented sequence (to predict strips, speeds
// and start positions without calling the code under test), and a fixture that runs
// the loader, starts a game on a machine the way the menu does (state 11), and
// clicks at virtual-screen points through the real input device.
#pragma once

#include <AL/al.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game_harness.h"
#include "media/audio_device.h"
#include "media/random.h"

namespace reeltest {

constexpr int kRestTickLimit = 1000;

// The generator as documented: state = state * 1664525 + 1013904223 (mod 2^32),
// result = top 24 bits / 2^24.
class RefGenerator {
public:
    explicit RefGenerator(int seed) : state_(static_cast<std::uint32_t>(seed)) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 16777216.0;
    }
    float Rnd() { return static_cast<float>(Next()); }
    float Rnd2(float low, float high) {
        const double r = Next();
        return static_cast<float>(low + (static_cast<double>(high) - low) * r);
    }
    int Seed() const { return static_cast<int>(state_); }

private:
    std::uint32_t state_;
};

// A strip as documented: counts laid out from cell 0 (short strips topped up with
// symbol 1 unless only one cell is missing), then 100 swaps with partners drawn as
// trunc(u * 99.9).
inline std::vector<int> ExpectedStrip(const std::vector<int>& counts, RefGenerator& gen) {
    std::vector<int> strip(100, 0);
    int c = 0;
    for (size_t k = 0; k < counts.size(); ++k) {
        for (int n = 0; n < counts[k] && c < 100; ++n) strip[c++] = static_cast<int>(k) + 1;
    }
    if (c < 99) {
        for (; c < 100; ++c) strip[c] = 1;
    }
    for (c = 0; c < 100; ++c) {
        const int t = static_cast<int>(gen.Rnd() * 99.9f);
        std::swap(strip[c], strip[t]);
    }
    return strip;
}

class ReelGame : public gametest::GameTest {
protected:
    void SetUp() override {
        gametest::GameTest::SetUp();
        // Progress saved by an earlier test in this folder may have switched sound
        // off; these tests listen to the effects.
        game->settings[kSettingSound] = 1;
        Render();  // the fit: one virtual unit per pixel at 640 x 480
        RunLoader();
    }

    int Symbol(int reel, int cell) const { return game->reels.Symbol(reel, cell); }
    void SetStrip(int reel, int symbol) {
        for (int c = 0; c < kStripCells; ++c) game->reels.Symbol(reel, c) = symbol;
    }


    // Ticks until no reel moves; returns the ticks taken.
    int TickUntilRest() {
        int n = 0;
        do {
            Tick();
            ++n;
        } while (game->reels.reelsMoving != 0 && n < kRestTickLimit);
        return n;
    }

    // The sound slots started by `step` (one tick, or one call), in order.
    template <class F>
    std::vector<int> SoundsOf(F step) {
        const int before = game->sfxChannel;
        const int plays = game->settings[kSettingSound];
        step();
        std::vector<int> slots;
        if (plays != 1 && plays != 2) return slots;
        for (int ch = before; ch != game->sfxChannel;) {
            ch = (ch + 1) % kSfxRing;
            slots.push_back(SlotOnChannel(ch));
        }
        return slots;
    }
    std::vector<int> TickSounds() {
        return SoundsOf([this] { Tick(); });
    }
    int SlotOnChannel(int ch) const {
        gxtkSample* s = app->audio->channels[game->channels[ch]].sample;
        for (int slot = 0; slot < kSoundSlots; ++slot) {
            if (s && game->sounds[slot] && game->sounds[slot]->sample == s) return slot;
        }
        return -1;
    }
    float ChannelParam(int ch, ALenum param) const {
        float v = 0;
        alGetSourcef(app->audio->channels[ch].source, param, &v);
        return v;
    }

    // Records drawn with the given kind whose fields satisfy `keep`.
    template <class P>
    std::vector<gametest::Record> Records(P keep) const {
        std::vector<gametest::Record> out;
        for (int i = 0; i < RecordCount(); ++i) {
            const gametest::Record r = Rec(i);
            if (keep(r)) out.push_back(r);
        }
        return out;
    }
    // Glyph frames of the text drawn in a colour, as characters (spaces are not drawn).
    std::string TextInColour(float r, float g, float b) const {
        std::string s;
        for (const gametest::Record& rec : Records([&](const gametest::Record& x) {
                 return x.kind == game->fontSlot && x.r == r && x.g == g && x.b == b;
             })) {
            s.push_back(static_cast<char>(rec.frame + 32));
        }
        return s;
    }
};

}  // namespace reeltest
