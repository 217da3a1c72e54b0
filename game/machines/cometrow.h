// cometrow.h - the Cometrow machine (machine 3): a ship crossing eight drifting
// lanes; its own fields are the ship's lane and step. Implemented in cometrow.cpp.
// The game object owns the one object of this class and hands over to it from its
// named entry points; this file names no other machine.
#pragma once

#include "game/machines/machine.h"

struct kx_Tumbleroo_Cometrow : kx_Tumbleroo_Machine {
    using kx_Tumbleroo_Machine::kx_Tumbleroo_Machine;
    int Load() override;
    int Tick() override;

    int Ship();                 // draws the ship at its lane and step
    int Buttons();              // SPIN and "Move->"
    int Cross();                // one tick of drift, move and collision
    int CellUnder(int lane);    // strip position on the pay line under the ship
    int Crash();
    int Arrive();
    int SetReelRules();         // floating lanes while crossing, a click after a spin

    // Reset by Load and by each spin.
    float shipPos = 0;          // lane of the ship, -1 at the start
    float shipStep = 0;         // progress of a move to the next lane
};
