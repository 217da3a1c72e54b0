// fizzcrate.h - the Fizzcrate machine (machine 4): the crate puzzle of nudges and
// runs; its own fields are the turn's nudges, the pause between runs and the fade.
// Implemented in fizzcrate.cpp.
// The game object owns the one object of this class and hands over to it from its
// named entry points; this file names no other machine.
#pragma once

#include "game/machines/machine.h"

struct kx_Tumbleroo_Fizzcrate : kx_Tumbleroo_Machine {
    using kx_Tumbleroo_Machine::kx_Tumbleroo_Machine;
    int Load() override;
    int Tick() override;

    int Arrows();                       // nudge arrows: drawn, and pressed into nudges
    int Search();                       // one search of the three rows for runs
    int SearchRow(int row);             // row -1, 0 (pay line) or 1
    int ScoreRun(int row, int first, int last);
    int Fade();                         // the lit cells' fade, then the turn's end
    int Panel();                        // nudge counter and SPIN

    // Reset by Load and by each turn's spin.
    int delay = 0;            // ticks between two scoring runs
    int nudges = 0;           // nudges left this turn
    float fadeTimer = 0;      // matched cells' fade, 60 down by 2
};
