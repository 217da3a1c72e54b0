// motifs.h - the picture library shared by the reel sheets, the menu buttons and
// the badges. Every motif is designed in a 32 x 32 unit box centred on (16, 16);
// callers place and size it with Pen::sub.
#pragma once

#include "raster.h"

namespace art {

constexpr float kMotifBox = 32.0f;

enum class Motif {
    Cherry, Lemon, Orange, Plum, Grapes, Melon, Strawberry, Banana,
    Bell, Seven, Bar, Star, Diamond, Clover, Horseshoe, Heart,
    Coin, Trophy, Crown, Bolt, Rocket, Gem, Moon, Key,
};
constexpr int kMotifCount = 24;

void drawMotif(Pen& pen, Motif m);
// Draws motif m at centre c, size units across.
void placeMotif(Pen& pen, Motif m, Vec c, float size);

// The lit look of a matched or winning symbol: a warm glow behind it and
// twinkles in front (call back, then the symbol, then front).
void litBack(Pen& pen, Color tint);
void litFront(Pen& pen, Color tint);

Shape heartShape(Vec c, float size);  // size is the heart's width
// A die face 1..6 in a 32-unit box.
void drawDie(Pen& pen, int face, Color body, Color pips);

}  // namespace art
