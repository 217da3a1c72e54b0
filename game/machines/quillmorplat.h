// quillmorplat.h - the QuillmorPlat machine (machine 1): a platform runner on the
// pay line; its own fields are the runner's cell, step, facing, action, animation and
// run timer. Implemented in quillmorplat.cpp.
// The game object owns the one object of this class and hands over to it from its
// named entry points; this file names no other machine.
#pragma once

#include "game/machines/machine.h"

struct kx_Tumbleroo_QuillmorPlat : kx_Tumbleroo_Machine {
    using kx_Tumbleroo_Machine::kx_Tumbleroo_Machine;
    int Load() override;
    int Tick() override;

    int DrawLedges();            // lane, exit, entrance and the two ledge tiles
    int DrawRunner();
    int Action();                // carries on walking, turning or riding
    int Walk();
    int Run();                   // timer bar, timer, and the decision when still
    int Symbol(int reel, int row);  // symbol `row` cells below the pay line; 0 off the line
    int Decide();
    int Ride(int direction);     // every reel one cell: +1 up, -1 down
    int Stops(int newPhase, int anim);
    int SpinControl();

    // Reset by Load and by each spin.
    float runnerPos = 0;         // cell of the runner, -1 left ledge, 8 right ledge
    float runnerStep = 0;        // progress of the current walk step
    float runnerDir = 0;         // 1 facing right, -1 facing left
    int runnerAction = 0;        // 0 deciding, 1 walking, 2 turning, 3 riding
    int runnerAnim = 0;          // runner animation counter
    int runTimer = 0;            // ticks left in this run
};
