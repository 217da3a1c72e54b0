// app.cpp - the game object's callbacks and the game's module globals. An empty
// shell until the game lands: nothing is updated or drawn yet.
#include "game/shell/game.h"

int kx_Tumbleroo_MyApp::m_OnCreate() { return 0; }
int kx_Tumbleroo_MyApp::m_OnUpdate() { return 0; }
int kx_Tumbleroo_MyApp::m_OnRender() { return 0; }

int kx_Tumbleroo_InitGlobals() { return 0; }
