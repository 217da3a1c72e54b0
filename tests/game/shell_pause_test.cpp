// shell_pause_test.cpp - the pause menu (slide in and out, keyboard selection, the
// sound switch, resume, quit, Back, the portrait layout) and the credits box.
#include "game_harness.h"

namespace {

using gametest::GameTest;
using gametest::Record;

class ShellPause : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        RunLoader();
        Render();
        OpenPause(-64);
    }
    // A running game with the pause menu just opened; no screen runs in the ticks.
    void OpenPause(int panelY) {
        game->state = 0;
        game->paused = 1;
        game->pauseSlide = 1;
        game->pauseCursor = 0;
        game->pausePanelY = panelY;
    }
    void TapKey(int code) {
        PressKey(code);
        Tick();
        game->m_PauseMenu();
        ReleaseKey(code);
        Tick();
    }
    void TapAt(float x, float y) {
        MoveMouse(x, y);
        PressMouse();
        Tick();
        game->m_PauseMenu();
        ReleaseMouse();
        Tick();
    }
};

TEST_F(ShellPause, ThePanelSlidesInBy24UntilItPassesTheMiddle) {
    std::vector<int> seen;
    for (int i = 0; i < 15; ++i) {
        game->m_CLS2D(kAbsent, 0, 0, 0);
        game->m_PauseMenu();
        seen.push_back(game->pausePanelY);
    }
    EXPECT_EQ(seen[0], -40);
    EXPECT_EQ(seen[1], -16);
    EXPECT_EQ(seen[2], 8);
    EXPECT_EQ(seen[11], 224);
    EXPECT_EQ(seen[12], 248);  // 224 is still short of 240: one more step
    EXPECT_EQ(seen[14], 248);
    EXPECT_EQ(game->paused, 1);
    // The screen darkens with the panel's distance: the first record covers it.
    const Record shade = Rec(0);
    EXPECT_EQ(shade.kind, kKindRect);
    EXPECT_FLOAT_EQ(shade.w, 640);
    EXPECT_NEAR(shade.alpha, 248 / 384.0f, 1e-5);
}

TEST_F(ShellPause, KeysMoveTheSelectionOnePressAtATime) {
    OpenPause(248);
    PressKey(37);  // left
    Tick();
    game->m_PauseMenu();
    EXPECT_EQ(game->pauseCursor, -1);
    EXPECT_EQ(game->keyUsed, 1);
    game->m_PauseMenu();  // still held: no second step
    Tick();
    game->m_PauseMenu();
    EXPECT_EQ(game->pauseCursor, -1);
    ReleaseKey(37);
    Tick();
    TapKey(39);  // right
    EXPECT_EQ(game->pauseCursor, 0);
    TapKey(39);
    EXPECT_EQ(game->pauseCursor, 1);
    TapKey(40);  // down from the sound button goes back to resume
    EXPECT_EQ(game->pauseCursor, 0);
    TapKey(38);  // up from resume selects the menu button
    EXPECT_EQ(game->pauseCursor, -1);
    TapKey(40);
    EXPECT_EQ(game->pauseCursor, 0);
    EXPECT_EQ(game->paused, 1);
}

TEST_F(ShellPause, TheSelectionRingFollowsTheCursor) {
    OpenPause(248);
    game->pauseCursor = 1;
    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_PauseMenu();
    bool ringAtSound = false;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == 97 && r.frame == 6) {
            EXPECT_FLOAT_EQ(r.x, 460);
            EXPECT_FLOAT_EQ(r.y, 248 - 64);
            EXPECT_FLOAT_EQ(r.w, 2.5f);
            ringAtSound = true;
        }
    }
    EXPECT_TRUE(ringAtSound);
}

TEST_F(ShellPause, TheSoundButtonSwitchesAndClicksOnlyWhenTurnedOn) {
    OpenPause(248);
    const int channel = game->sfxChannel;
    TapAt(460, 184);
    EXPECT_EQ(game->settings[kSettingSound], 0);
    EXPECT_EQ(game->sfxChannel, channel);  // switched off before the click
    TapAt(460, 184);
    EXPECT_EQ(game->settings[kSettingSound], 1);
    EXPECT_EQ(game->sfxChannel, channel + 1);
    game->settings[kSettingSound] = 7;  // a stray saved value reads as on and goes off
    TapAt(460, 184);
    EXPECT_EQ(game->settings[kSettingSound], 0);
    // The key works on the selected sound button too.
    game->pauseCursor = 1;
    TapKey(90);
    EXPECT_EQ(game->settings[kSettingSound], 1);
}

TEST_F(ShellPause, ResumeSlidesThePanelOutAndEndsThePause) {
    OpenPause(248);
    TapAt(320, 248);
    EXPECT_EQ(game->pauseSlide, -1);
    EXPECT_EQ(game->paused, 1);
    int ticks = 0;
    while (game->paused == 1 && ticks < 40) {
        game->m_PauseMenu();
        ++ticks;
    }
    EXPECT_EQ(game->paused, 0);
    EXPECT_LT(game->pausePanelY, -32);
    EXPECT_EQ(ticks, 12);  // 248 down to -16 in 11 steps; the 12th reaches -40 and ends it
}

TEST_F(ShellPause, BackWhileSlidingInStartsTheSlideOutAtOnce) {
    game->m_PauseMenu();
    game->m_PauseMenu();
    ASSERT_EQ(game->pausePanelY, -16);
    TapKey(27);
    EXPECT_EQ(game->pauseSlide, -1);
    EXPECT_EQ(game->paused, 1);
    EXPECT_EQ(game->pausePanelY, 8);  // that update still moved it in before Back was read
    game->m_PauseMenu();
    EXPECT_EQ(game->pausePanelY, -16);
    EXPECT_EQ(game->paused, 1);
    game->m_PauseMenu();
    EXPECT_EQ(game->pausePanelY, -40);
    EXPECT_EQ(game->paused, 0);
}

TEST_F(ShellPause, TheMenuButtonEndsTheGameWithoutASlide) {
    OpenPause(248);
    MoveMouse(180, 184);
    PressMouse();
    Tick();
    game->m_PauseMenu();
    EXPECT_EQ(game->paused, 0);
    EXPECT_EQ(game->pausePanelY, -64);
    EXPECT_EQ(game->gameOver, 1);
    EXPECT_EQ(game->pointerUsed, 1);
}

TEST_F(ShellPause, TheKeyOnTheSelectedMenuButtonEndsTheGameToo) {
    OpenPause(248);
    game->pauseCursor = -1;
    PressKey(13);
    Tick();
    game->m_PauseMenu();
    EXPECT_EQ(game->gameOver, 1);
    EXPECT_EQ(game->paused, 0);
    EXPECT_EQ(game->pointerUsed, 1);
}

TEST_F(ShellPause, PortraitPanelIsNarrowerAndTheButtonsCloser) {
    Recreate(640, 960);
    RunLoader();
    Render();
    ASSERT_EQ(game->landscape, 0);
    OpenPause(200);
    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_PauseMenu();
    const Record body = Rec(2);
    EXPECT_FLOAT_EQ(body.x, 160 - 128);
    EXPECT_FLOAT_EQ(body.y, 224 - 80);
    EXPECT_FLOAT_EQ(body.w, 256);
    EXPECT_FLOAT_EQ(body.h, 160);
    MoveMouse(2 * (160 + 96), 2 * (224 - 96));  // the sound button, in window pixels
    PressMouse();
    Tick();
    game->m_PauseMenu();
    EXPECT_EQ(game->settings[kSettingSound], 0);
}

class ShellCredits : public GameTest {};

TEST_F(ShellCredits, APressAnywhereClosesTheBoxWithItsSound) {
    RunLoader();
    Render();
    game->creditsOpen = 1;
    Tick();
    EXPECT_EQ(game->creditsOpen, 1);
    // The box and six centred lines; the first glyph of "A Game By" at size 1.5.
    std::string shown;
    for (int i = 0; i < RecordCount(); ++i) {
        if (Rec(i).kind == 90) shown += static_cast<char>(Rec(i).frame + 32);
    }
    EXPECT_NE(shown.find("AGameBy"), std::string::npos);
    EXPECT_NE(shown.find("Quillmor"), std::string::npos);
    EXPECT_NE(shown.find(".example"), std::string::npos);
    bool firstLine = false;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == 90 && r.frame == 'A' - 32 && std::abs(r.x - (320 - 42)) < 1e-3f) {
            EXPECT_NEAR(r.y, 480 * 0.24f + 7.5f, 1e-3);
            firstLine = true;
        }
    }
    EXPECT_TRUE(firstLine);

    MoveMouse(2, 2);  // far outside the box
    PressMouse();
    Tick();
    EXPECT_EQ(game->creditsOpen, 0);
    EXPECT_EQ(game->pointerUsed, 1);
    EXPECT_EQ(game->sfxChannel, 1);
    EXPECT_EQ(app->audio->channels[1].sample, game->sounds[99]->sample);
}

TEST_F(ShellCredits, APressAlreadyUsedDoesNotCloseIt) {
    RunLoader();
    Render();
    PressMouse();
    Tick();
    game->pointerUsed = 1;
    game->creditsOpen = 1;
    Tick();
    EXPECT_EQ(game->creditsOpen, 1);
    ReleaseMouse();
    Tick();
    PressMouse();
    Tick();
    EXPECT_EQ(game->creditsOpen, 0);
}

}  // namespace
