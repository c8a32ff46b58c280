// Deterministic noise for the content generator: integer-hash value noise,
// smooth in between lattice points, optionally periodic so that textures
// tile. Every function is pure: the same arguments give the same value on
// every machine (no platform random numbers, no global state).
#pragma once
#include <cstdint>

uint32_t noise_hash(int32_t x, int32_t y, uint32_t seed);
// Uniform in [0, 1) from a lattice point.
float noise_lattice(int32_t x, int32_t y, uint32_t seed);
// Smooth value noise in [0, 1); `period` > 0 wraps the lattice (in cells).
float value_noise(float x, float y, uint32_t seed, int period = 0);
// Sum of `octaves` value noises, each at twice the frequency and `gain` times
// the amplitude of the previous; normalised to [0, 1).
float fbm_noise(float x, float y, uint32_t seed, int octaves, float gain = 0.5f, int period = 0);
