// random.h - the toolkit's random generator (kx_random) and math helpers (kx_math).
// Implemented in media/random.cpp. The host's module initialiser seeds the
// generator; the reels and machines depend on its exact sequence.
#pragma once

// Generator state. Starts at 1234; the game reseeds it when a machine's game starts.
extern int kx_random_Seed;

constexpr int kRandomInitialSeed = 1234;

// Module initialiser, run by the host's kxInit: the seed back to 1234.
int kx_random_init();

float kx_random_Rnd();                      // [0, 1); never 1
float kx_random_Rnd2(float low, float high);
float kx_random_Rnd3(float range);

// Degree/radian factors in single precision: every angle of the game is in degrees.
constexpr float D2R = 0.0174532924f;
constexpr float R2D = 57.2957802f;

int kx_math_Abs(int x);
float kx_math_Abs2(float x);
