// dice.h - the Dice machine (machine 5): dice poker on five reels; its own fields
// are the turn's scoring delay, the hand and the banner. Implemented in dice.cpp.
// The game object owns the one object of this class and hands over to it from its
// named entry points; this file names no other machine.
#pragma once

#include "game/machines/machine.h"
#include "runtime/runtime.h"

struct kx_Tumbleroo_Dice : kx_Tumbleroo_Machine {
    using kx_Tumbleroo_Machine::kx_Tumbleroo_Machine;
    int Load() override;
    int Tick() override;

    int Holds();         // the five HOLD buttons
    int ReadHand();      // names and values the hand on the pay line
    int Score();         // the hand, the score, the banner's start
    int Banner();        // one tick of the result banner
    int EndTurn();
    int SpinButton();

    // Reset by Load (with the phase) and by each turn's steps.
    int delay = 0;            // ticks from the reels' stop to the scoring
    String handName;          // name of the last hand
    int handValue = 0;        // value of the last hand
    int faceCounts[18] = {};  // dice per face at 1..6 of the last hand
    float bannerX = 0;        // result banner position
};
