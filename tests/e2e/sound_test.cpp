// sound_test.cpp - what a spin sounds like, captured by OpenAL Soft's wave
// backend into a file the test names: the reel whirr (a sound that lasts as long
// as the reels run fast, since its copies follow each other closer than they are
// long) and the stop clicks (short bursts that die away within a few hundredths
// of a second); and nothing at all once the menu's switch has turned sound off.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/e2e/play_support.h"

namespace e2e {
namespace {

constexpr int kRate = 44100;
constexpr int kFrameMs = 10;
constexpr int kFrame = kRate * kFrameMs / 1000;
// Levels in 16-bit units: the quietest whirr is about 230 RMS, a click starts
// near 2000.
constexpr double kSoundLevel = 100;
constexpr int kSilenceLimit = 2;
// The whirr: sound without a gap for at least this long; no click or interface
// sound lasts a third of it.
constexpr int kWhirrFrames = 50;
// A click: a rise to at least this level, then down to this share of it 60 ms on.
constexpr double kClickLevel = 600;
constexpr double kClickDecay = 0.4;
constexpr int kDecayFrames = 6;

std::string WaveConf(const std::string& file) {
    return "[general]\ndrivers = wave\nfrequency = 44100\nchannels = stereo\nsample-type = int16\n"
           "dither = false\n[wave]\nfile = " + file + "\n";
}

// The samples of a 16-bit stereo RIFF/WAVE file, mixed down to mono.
bool ReadCapture(const std::string& path, std::vector<double>* mono) {
    std::string bytes;
    if (!ReadFile(path, &bytes) || bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) return false;
    std::size_t at = 12;
    int channels = 0, bits = 0;
    while (at + 8 <= bytes.size()) {
        std::string id = bytes.substr(at, 4);
        std::uint32_t size;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        at += 8;
        if (id == "fmt " && at + 16 <= bytes.size()) {
            std::uint16_t c, b;
            std::memcpy(&c, bytes.data() + at + 2, 2);
            std::memcpy(&b, bytes.data() + at + 14, 2);
            channels = c;
            bits = b;
        } else if (id == "data") {
            if (channels != 2 || bits != 16) return false;
            // The size field may be stale if the writer was cut short: read to the end.
            for (std::size_t i = at; i + 4 <= bytes.size(); i += 4) {
                std::int16_t l, r;
                std::memcpy(&l, bytes.data() + i, 2);
                std::memcpy(&r, bytes.data() + i + 2, 2);
                mono->push_back((l + r) / 2.0);
            }
            return true;
        }
        at += size + (size & 1);
    }
    return false;
}

std::vector<double> Envelope(const std::vector<double>& s) {
    std::vector<double> rms;
    for (std::size_t i = 0; i + kFrame <= s.size(); i += kFrame) {
        double sum = 0;
        for (int k = 0; k < kFrame; ++k) sum += s[i + k] * s[i + k];
        rms.push_back(std::sqrt(sum / kFrame));
    }
    return rms;
}

struct Analysis {
    int whirrStart = -1, whirrFrames = 0;  // the longest unbroken run of sound
    int clicksAfterWhirr = 0;
};

Analysis Analyse(const std::vector<double>& env) {
    Analysis a;
    for (std::size_t i = 0; i < env.size();) {
        std::size_t j = i;
        while (j < env.size() && env[j] > kSoundLevel) ++j;
        if (static_cast<int>(j - i) > a.whirrFrames) {
            a.whirrFrames = static_cast<int>(j - i);
            a.whirrStart = static_cast<int>(i);
        }
        i = j + 1;
    }
    if (a.whirrStart < 0) return a;
    for (std::size_t i = a.whirrStart + 1; i + kDecayFrames < env.size(); ++i) {
        double before = std::max(env[i - 1], 1.0);
        bool rise = env[i] > kClickLevel && env[i] > 2.5 * before;
        if (rise && env[i + kDecayFrames] < kClickDecay * env[i]) {
            ++a.clicksAfterWhirr;
            i += kDecayFrames;
        }
    }
    return a;
}

// Starts Dice from the menu, spins once and waits for the reels to stop.
void SpinOnce(Session& s) {
    Image playing;
    ASSERT_TRUE(StartSelectedMachine(s, kDice, &playing));
    Image before = s.Shot(), shot;
    s.Click(kSpin.x, kSpin.y);
    ASSERT_TRUE(s.WaitForShot([&](const Image& img) { return ReelChange(before, img) > 0.02; }, kScreenSeconds, &shot))
        << "the reels did not start";
    // All five reels have stopped once the picture stays the same for a while.
    ASSERT_TRUE(IsPlaying(StillReels(s, kDice), kDice))
        << "the reels did not stop";
}

TEST(Sound, ASpinWhirrsAndClicksAndIsSilentWithTheSwitchOff) {
    for (bool soundOn : {true, false}) {
        SCOPED_TRACE(soundOn ? "sound on" : "sound off");
        Session::Options o;
        hosttest::TempDir captureDir;
        std::string capture = captureDir.path() + "/capture.wav";
        o.soundConf = WaveConf(capture);
        Session s(soundOn ? "sound-on" : "sound-off", o);
        ASSERT_TRUE(s.ready());
        ASSERT_TRUE(WriteFile(s.StatePath(), SeededProgress(kDice).Serialise()));
        ASSERT_TRUE(s.Launch());
        Image menu = StillMenu(s);
        if (!soundOn) {
            s.Click(kSoundSwitch.x, kSoundSwitch.y);
            Image off;
            const int x = kSoundSwitch.x - 32, y = kSoundSwitch.y - 32, side = 64;
            ASSERT_TRUE(s.WaitForShot(
                [&](const Image& img) {
                    return IsMenu(img) && img.Crop(x, y, side, side).DifferenceTo(menu.Crop(x, y, side, side), 8) > 0.02;
                },
                                      kScreenSeconds, &off))
                << "the switch did not change";
            // Let the game see the switch's release before the next press: a press
            // read in the same update as the previous release is a drag from the
            // switch to the icon, which scrolls the list.
            StillMenu(s);
        }
        SpinOnce(s);
        ASSERT_EQ(s.Close(kExitSeconds), 0);

        std::vector<double> samples;
        ASSERT_TRUE(ReadCapture(capture, &samples)) << "no 16-bit stereo capture";
        ASSERT_GT(samples.size(), static_cast<std::size_t>(kRate)) << "under a second captured";
        Analysis a = Analyse(Envelope(samples));
        if (soundOn) {
            EXPECT_GE(a.whirrFrames, kWhirrFrames) << "no whirr: longest sound " << a.whirrFrames * kFrameMs << " ms";
            // The reels stop a few ticks apart; on a busy machine the host catches up
            // several updates in one frame and their clicks start in one mixer period,
            // where they sound (and are counted) as one.
            EXPECT_GE(a.clicksAfterWhirr, 1) << "stop clicks heard: " << a.clicksAfterWhirr;
        } else {
            double peak = 0;
            for (double v : samples) peak = std::max(peak, std::fabs(v));
            EXPECT_LE(peak, kSilenceLimit) << "sound with the switch off";
        }
    }
}

}  // namespace
}  // namespace e2e
