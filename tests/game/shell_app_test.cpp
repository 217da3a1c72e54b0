// shell_app_test.cpp - the game object's life: creation defaults, the fit of the
// virtual screen to the window, a resize that reloads the assets and holds the
// screens, the dispatch, and suspend/resume.
#include "game_harness.h"
#include "host/app.h"

namespace {

using gametest::GameTest;

class ShellApp : public GameTest {};

TEST_F(ShellApp, CreateSetsTheStartingState) {
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->loadStep, 1);
    EXPECT_EQ(game->deviceWidth, 640);
    EXPECT_EQ(game->deviceHeight, 480);
    EXPECT_EQ(game->settings[kSettingSound], 1);
    EXPECT_EQ(game->pausePanelY, -64);
    EXPECT_EQ(game->pauseSlide, -1);
    EXPECT_EQ(game->menuIntro, -32);
    EXPECT_EQ(app->updateRate, kTicksPerSecond);
    for (int i = 0; i < kChannelCount; ++i) EXPECT_EQ(game->channels[i], i);
    EXPECT_EQ(game->reelSheet, String("Reel_Fruit"));
    EXPECT_EQ(game->drawList.Length(), kDrawListFloats);
    EXPECT_EQ(game->reels.reelCells.Length(), kReelCellInts);
    EXPECT_EQ(game->scores.Length(), kScoresCount);
    // Machine comes from settings[1], which loading the (absent) progress keeps within
    // the machines 1..5; the list scrolls so that machine sits under the band.
    EXPECT_EQ(game->machine, kMachineQuillmorPlat);
    EXPECT_FLOAT_EQ(game->menuScrollY, 480 * 0.65f);
}

struct FitCase {
    int w, h;
    float scale, virtualW, virtualH;
    int landscape;
};

TEST_F(ShellApp, FitKeepsOneDesignSideAndTheWindowShape) {
    const FitCase cases[] = {
        {1280, 480, 2, 640, 240, 1},
        {640, 960, 2, 320, 480, 0},
        {600, 600, 1.25f, 480, 480, 1},  // a tie counts as landscape
        {640, 480, 1, 640, 480, 1},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        Recreate(c.w, c.h);
        Render();
        EXPECT_FLOAT_EQ(game->scaleX, c.scale);
        EXPECT_FLOAT_EQ(game->scaleY, c.scale);
        EXPECT_FLOAT_EQ(kx_Tumbleroo_jscrw, c.virtualW);
        EXPECT_FLOAT_EQ(kx_Tumbleroo_jscrh, c.virtualH);
        EXPECT_EQ(game->landscape, c.landscape);
    }
}

TEST_F(ShellApp, ResizeReloadsAndHoldsTheScreenUntilTheLoadEnds) {
    RunLoader();
    Render();
    game->creditsOpen = 1;
    Tick();
    ASSERT_EQ(game->loadStep, 0);
    SetWindowSize(800, 600);
    Tick();  // the size is only seen by the next frame
    EXPECT_EQ(game->loadStep, 0);
    Render();
    EXPECT_EQ(game->loadStep, 1);
    EXPECT_EQ(game->deviceWidth, 800);
    EXPECT_EQ(game->deviceHeight, 600);
    EXPECT_FLOAT_EQ(game->scaleX, 1.25f);

    // While loading, a press does not reach the credits box: only the loader runs.
    PressMouse();
    Tick();
    EXPECT_EQ(game->creditsOpen, 1);
    EXPECT_FLOAT_EQ(game->clearR, 40);  // the loading screen's clear colour
    ReleaseMouse();
    const int ticks = RunLoader() + 1;
    EXPECT_EQ(ticks, 29);
    PressMouse();
    Tick();
    EXPECT_EQ(game->creditsOpen, 0);
}

TEST_F(ShellApp, SameSizeFramesDoNotReload) {
    RunLoader();
    Render();
    Render();
    EXPECT_EQ(game->loadStep, 0);
}

TEST_F(ShellApp, BackToMenuStateReturnsToTheMenuInOneTick) {
    RunLoader();
    game->state = kScreenBackToMenu;
    Tick();
    EXPECT_EQ(game->state, kScreenMenu);
}

TEST_F(ShellApp, EveryTickEndsWithTheDefaultDrawState) {
    RunLoader();
    game->m_SetCol(1, 2, 3, 0.25f);
    game->m_SetSize(4, 5);
    game->drawRot = 30;
    Tick();
    EXPECT_FLOAT_EQ(game->drawSizeX, 1);
    EXPECT_FLOAT_EQ(game->drawSizeY, 1);
    EXPECT_FLOAT_EQ(game->drawRot, 0);
    EXPECT_FLOAT_EQ(game->drawR, 255);
    EXPECT_FLOAT_EQ(game->drawA, 1);
}

TEST_F(ShellApp, SuspendDuringAGameOpensThePauseMenuFully) {
    RunLoader();
    Render();
    game->state = kScreenPlay;
    app->InvokeOnSuspend();
    EXPECT_EQ(game->paused, 1);
    EXPECT_EQ(game->pauseSlide, 1);
    EXPECT_EQ(game->pausePanelY, 240);
    EXPECT_EQ(app->updateRate, kSuspendedTicksPerSecond);
    game->paused = 0;
    app->InvokeOnResume();
    EXPECT_EQ(game->paused, 1);
    EXPECT_EQ(game->pausePanelY, 240);
    EXPECT_EQ(app->updateRate, kTicksPerSecond);
}

TEST_F(ShellApp, SuspendInTheMenuClearsThePauseState) {
    RunLoader();
    game->paused = 1;
    game->pauseSlide = 1;
    game->pausePanelY = 100;
    app->InvokeOnSuspend();
    EXPECT_EQ(game->paused, 0);
    EXPECT_EQ(game->pauseSlide, 0);
    EXPECT_EQ(game->pausePanelY, 0);
    app->InvokeOnResume();
    EXPECT_EQ(game->paused, 0);
    EXPECT_EQ(app->updateRate, kTicksPerSecond);
}

TEST_F(ShellApp, TheGameSurvivesCollectionsWithItsArrays) {
    RunLoader();
    for (int i = 0; i < 5; ++i) {
        game->m_CLS2D(kAbsent, 0, 0, 0);
        for (int k = 0; k < 100; ++k) game->m_Rect(static_cast<float>(k), 0, 1, 1);
        gc_collect();
    }
    EXPECT_EQ(game->drawCount, 100 * kRecordFloats);
    EXPECT_FLOAT_EQ(game->drawList[99 * kRecordFloats + REC_X], 99);
    EXPECT_NE(game->images[97], nullptr);
}

}  // namespace
