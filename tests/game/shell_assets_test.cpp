// shell_assets_test.cpp - the asset loader: tiers and file names from the window
// size, slot information, the 29-tick load, bank sounds, missing files, and sound
// effects on the ring of channels (OpenAL on its null backend).
#include <AL/al.h>

#include "game_harness.h"
#include "media/audio_device.h"

namespace {

using gametest::GameTest;
using gametest::UseFixtureData;
using gametest::WritePng;
using gametest::WriteWav;

class ShellAssets : public GameTest {};

TEST_F(ShellAssets, TierFollowsTheLargerWindowSide) {
    struct TierCase {
        int w, h, tier;
        const char* icons;
    };
    const TierCase cases[] = {
        {630, 630, 1, "common/icons.png"},      {631, 100, 2, "common/icons-hd.png"},
        {100, 631, 2, "common/icons-hd.png"},   {640, 480, 2, "common/icons-hd.png"},
        {1230, 1230, 2, "common/icons-hd.png"}, {1231, 480, 4, "common/icons-hd2.png"},
        {1280, 1024, 4, "common/icons-hd2.png"}, {320, 240, 1, "common/icons.png"},
    };
    UseFixtureData();  // nothing to load: only the choice is under test
    for (const TierCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        Recreate(c.w, c.h);
        EXPECT_EQ(game->tier, c.tier);
        EXPECT_FLOAT_EQ(game->imageScale, 1.0f / static_cast<float>(c.tier));
        EXPECT_EQ(game->m_ImageFileName(String("common/icons")), String(c.icons));
    }
}

TEST_F(ShellAssets, A640By480WindowReadsTheHdSheetsCutAtTwiceTheFrameSize) {
    UseFixtureData();
    WritePng("common/icons-hd.png", 8 * 64, 2 * 64);
    WritePng("common/icons.png", 8 * 32, 2 * 32, 0xff0000ffu);  // must not be read
    Recreate(640, 480);
    EXPECT_EQ(RunLoader(), 29);
    ASSERT_NE(game->images[97], nullptr);
    EXPECT_EQ(game->images[97]->width, 64);
    EXPECT_EQ(game->images[97]->frames.Length(), 16);
    EXPECT_EQ(game->slotInfo[291], 64);
    EXPECT_EQ(game->slotInfo[292], 64);
    EXPECT_EQ(game->slotInfo[293], 16);
    // Every other file is missing: the slots stay empty and nothing fails.
    EXPECT_EQ(game->images[95], nullptr);
    EXPECT_EQ(game->images[93], nullptr);
    EXPECT_EQ(game->sounds[1], nullptr);
    EXPECT_EQ(game->slotInfo[3 * 10], 256);  // the slot still records its frame size
    Render();
    Tick();
}

TEST_F(ShellAssets, TheFontKeepsItsAdvanceInVirtualUnitsAtEveryTier) {
    UseFixtureData();
    WritePng("fonts/editundo-hd2.png", 8 * 64, 16 * 64);
    Recreate(1280, 1024);
    RunLoader();
    ASSERT_NE(game->images[90], nullptr);
    EXPECT_EQ(game->images[90]->width, 64);
    EXPECT_EQ(game->images[90]->frames.Length(), 128);
    EXPECT_EQ(game->fontSlot, 90);
    EXPECT_EQ(game->slotInfo[270], 7);
    EXPECT_EQ(game->slotInfo[271], 10);
    EXPECT_EQ(game->slotInfo[272], 128);
    EXPECT_FLOAT_EQ(game->imageScale, 0.25f);
}

TEST_F(ShellAssets, SmallWindowsReadTheBaseSheets) {
    UseFixtureData();
    WritePng("heart.png", 32, 32);
    WritePng("heart-hd.png", 64, 64);
    Recreate(400, 300);
    RunLoader();
    ASSERT_NE(game->images[5], nullptr);
    EXPECT_EQ(game->images[5]->width, 32);
    EXPECT_FLOAT_EQ(game->imageScale, 1);
}

TEST_F(ShellAssets, TheLoaderTakesOneStepPerTickAndShowsTheLoadingScreen) {
    int ticks = 0;
    while (game->loadStep > 0) {
        const int before = game->loadStep;
        Tick();
        ++ticks;
        if (game->loadStep > 0) {
            EXPECT_EQ(game->loadStep, before + 1);
        }
        EXPECT_FLOAT_EQ(game->clearR, 40);
        EXPECT_EQ(RecordCount(), 25);  // two rings of 11 dots, the disc, the band, the logo
        ASSERT_LE(ticks, 29);
    }
    EXPECT_EQ(ticks, 29);
    EXPECT_EQ(game->spinnerAngle, 29 * 16);
    // The reload starts it again from step 1.
    game->m_Reload();
    EXPECT_EQ(game->loadStep, 1);
    EXPECT_FLOAT_EQ(game->clearA, 1);
    EXPECT_EQ(RunLoader(), 29);
}

// Only what a frame draws is decoded for it: the loading screen shows the logo
// alone, so the sheets the loader reads meanwhile keep waiting for their first
// draw, and the menu's first frame decodes the ones it draws.
TEST_F(ShellAssets, ASheetIsDecodedAtItsFirstDrawAndTheLoadingStepsStayTheSame) {
    constexpr int kLogo = 93, kIcons = 97, kButtons = 95;
    auto decoded = [this](int slot) {
        kx_graphics_Image* image = game->images[slot];
        return image && image->surface->texture != 0;
    };
    Tick();  // step 1 reads the icons
    Render();
    ASSERT_NE(game->images[kIcons], nullptr);
    EXPECT_GT(game->images[kIcons]->surface->Width(), 0);  // its size is known
    EXPECT_TRUE(decoded(kLogo));
    EXPECT_FALSE(decoded(kIcons));
    EXPECT_EQ(RunLoader(), 28);  // the remaining steps, one per tick, as before
    for (int i = 0; i < 3; ++i) Render();
    EXPECT_FALSE(decoded(kButtons));
    Tick();  // the menu
    ASSERT_EQ(game->state, 1);
    Render();
    int menuSheets = 0;
    for (int i = 0; i < game->drawCount; ++i) {
        const int kind = static_cast<int>(Rec(i).kind);
        if (kind >= 0 && game->images[kind]) {
            EXPECT_TRUE(decoded(kind)) << "slot " << kind << " drawn but not decoded";
            ++menuSheets;
        }
    }
    EXPECT_GT(menuSheets, 0);
}

TEST_F(ShellAssets, SoundFileNamesHaveAtLeastThreeDigits) {
    EXPECT_EQ(game->m_SfxFileName(5), String("sfx/005.wav"));
    EXPECT_EQ(game->m_SfxFileName(42), String("sfx/042.wav"));
    EXPECT_EQ(game->m_SfxFileName(123), String("sfx/123.wav"));
    UseFixtureData();
    WriteWav("sfx/042.wav");
    game->m_LoadSFX(42);
    EXPECT_NE(game->sounds[42], nullptr);
    game->m_LoadSFX(5);
    EXPECT_EQ(game->sounds[5], nullptr);
    game->m_LoadSFX(123);  // beyond the slots: nothing stored, nothing overrun
    game->m_LoadSFX(-1);
}

TEST_F(ShellAssets, BankSoundsAreNumberedFromTheSoundSet) {
    UseFixtureData();
    WriteWav("sfx/023.wav");
    WriteWav("sfx/003.wav");
    game->soundSet = 2;
    game->m_LoadSFX2(13);
    EXPECT_NE(game->sounds[13], nullptr);
    game->m_LoadSFX2(12);
    EXPECT_EQ(game->sounds[12], nullptr);
    game->soundSet = 1;
    game->m_LoadSFX2(13);  // file 013 is missing: the old sound goes
    EXPECT_EQ(game->sounds[13], nullptr);
    game->soundSet = 0;
    game->m_LoadSFX2(13);
    EXPECT_NE(game->sounds[13], nullptr);
}

TEST_F(ShellAssets, AFullLoadWithTheSecondBankFillsSlots11To19FromFiles21To29) {
    UseFixtureData();
    for (int n = 21; n <= 29; ++n) WriteWav("sfx/0" + std::to_string(n) + ".wav");
    game->soundSet = 2;
    RunLoader();
    for (int slot = 11; slot <= 19; ++slot) EXPECT_NE(game->sounds[slot], nullptr) << slot;
    EXPECT_EQ(game->sounds[21], nullptr);
}

class ShellSound : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        RunLoader();
        ASSERT_NE(game->sounds[98], nullptr) << "needs sfx/098.wav";
    }
    float Gain(int channel) {
        float v = -1;
        alGetSourcef(app->audio->channels[channel].source, AL_GAIN, &v);
        return v;
    }
    float Pitch(int channel) {
        float v = -1;
        alGetSourcef(app->audio->channels[channel].source, AL_PITCH, &v);
        return v;
    }
};

TEST_F(ShellSound, EffectsCycleOverTwentyFourChannelsFromChannelOne) {
    game->m_PlaySFX(kSfxClick, 1.5f, 0.25f, 0);
    EXPECT_EQ(game->sfxChannel, 1);
    EXPECT_EQ(app->audio->channels[1].sample, game->sounds[98]->sample);
    EXPECT_FLOAT_EQ(Gain(1), 0.25f);
    EXPECT_FLOAT_EQ(Pitch(1), 1.5f);
    for (int i = 2; i <= 23; ++i) game->m_PlaySFX(kSfxClick, 1, 1, 0);
    EXPECT_EQ(game->sfxChannel, 23);
    game->m_PlaySFX(kSfxTick, 1, 1, 0);
    EXPECT_EQ(game->sfxChannel, 0);
    EXPECT_EQ(app->audio->channels[0].sample, game->sounds[99]->sample);
    game->m_PlaySFX(kSfxTick, 1, 0.5f, 0);
    EXPECT_EQ(game->sfxChannel, 1);  // the 25th effect cuts the first
    EXPECT_EQ(app->audio->channels[1].sample, game->sounds[99]->sample);
    EXPECT_FLOAT_EQ(Gain(1), 0.5f);
}

TEST_F(ShellSound, SoundOffChangesNoChannel) {
    game->settings[kSettingSound] = 0;
    game->m_PlaySFX(kSfxClick, 1, 1, 0);
    EXPECT_EQ(game->sfxChannel, 0);
    EXPECT_EQ(app->audio->channels[1].sample, nullptr);
    game->settings[kSettingSound] = 3;  // only 1 and 2 mean on
    game->m_PlaySFX(kSfxClick, 1, 1, 0);
    EXPECT_EQ(game->sfxChannel, 0);
    game->settings[kSettingSound] = 2;
    game->m_PlaySFX(kSfxClick, 1, 1, 0);
    EXPECT_EQ(game->sfxChannel, 1);
}

TEST_F(ShellSound, AnEmptySlotTakesItsTurnAndPlaysNothing) {
    game->m_PlaySFX(kSfxClick, 1, 1, 0);
    ASSERT_EQ(game->sounds[50], nullptr);
    game->m_PlaySFX(50, 1, 1, 0);
    game->m_PlaySFX(500, 1, 1, 0);
    EXPECT_EQ(game->sfxChannel, 3);
    EXPECT_EQ(app->audio->channels[2].sample, nullptr);
    EXPECT_EQ(app->audio->ChannelState(2), 0);
}

}  // namespace
