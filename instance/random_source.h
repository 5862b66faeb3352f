#pragma once

#include <cstdint>

// The process-wide linear congruential generator behind the random demands.
// A given seed always gives the same sequence of draws.

// Sets the state to `seed`; leaves the normal-deviate cache as it is.
void seedRandom(uint32_t seed);
// Advances the state and returns an integer 0 … 32767.
int nextDraw();
// A double in [0, 1], both ends included.
double uniform01();
// An integer in [a, b], both ends included (a <= b).
int uniformInt(int a, int b);
// A normal deviate by the polar method; draws come in pairs, the second kept
// for the next call.
double normalDeviate(double mean, double spread);
