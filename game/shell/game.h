// game.h - the game object kx_Tumbleroo_MyApp, created by the host's start-up and
// driven through the kx_app_App callbacks.
//
// For now the game is an empty shell: its callbacks do nothing, so the host opens an
// empty window. The game itself (screens, machines, progress) fills this class in.
#pragma once

#include "host/app.h"

struct kx_Tumbleroo_MyApp : kx_app_App {
    int m_OnCreate() override;
    int m_OnUpdate() override;
    int m_OnRender() override;
};

// Sets the game's module globals to their initial values; called once at start-up,
// before the game object is created.
int kx_Tumbleroo_InitGlobals();
