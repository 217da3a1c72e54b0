// cubewick.h - the Cubewick machine (machine 2): a walker eating its way along the
// pay line; its own fields are the walker's cell, step and animation. Implemented in
// cubewick.cpp.
// The game object owns the one object of this class and hands over to it from its
// named entry points; this file names no other machine.
#pragma once

#include "game/machines/machine.h"

struct kx_Tumbleroo_Cubewick : kx_Tumbleroo_Machine {
    using kx_Tumbleroo_Machine::kx_Tumbleroo_Machine;
    int Load() override;
    int Tick() override;

    int DrawWalker(float half);
    int Walk();                 // one tick of the walk, eating on arrival
    int EatCell(int reel);      // the pay-line cell of the reel, by its symbol
    int Dying();
    int SpinControl();

    // Reset by Load and by each spin.
    float walkerPos = 0;        // cell of the walker, -1 at the start
    float walkerStep = 0;       // progress toward the next cell
    int walkerAnim = 0;         // walker animation counter
};
