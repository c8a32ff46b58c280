#include "tools/content/noise.h"

#include <cmath>

uint32_t noise_hash(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u ^ uint32_t(x) * 0x85EBCA6Bu ^ uint32_t(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float noise_lattice(int32_t x, int32_t y, uint32_t seed) {
    return float(noise_hash(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

static int32_t wrap(int32_t v, int period) {
    if (period <= 0) return v;
    v %= period;
    return v < 0 ? v + period : v;
}

float value_noise(float x, float y, uint32_t seed, int period) {
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = int32_t(fx), iy = int32_t(fy);
    float tx = x - fx, ty = y - fy;
    // Quintic fade: continuous slope and curvature across cell borders.
    float sx = tx * tx * tx * (tx * (tx * 6 - 15) + 10);
    float sy = ty * ty * ty * (ty * (ty * 6 - 15) + 10);
    int32_t x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    int32_t y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    float a = noise_lattice(x0, y0, seed), b = noise_lattice(x1, y0, seed);
    float c = noise_lattice(x0, y1, seed), d = noise_lattice(x1, y1, seed);
    float top = a + (b - a) * sx;
    float bottom = c + (d - c) * sx;
    return top + (bottom - top) * sy;
}

float fbm_noise(float x, float y, uint32_t seed, int octaves, float gain, int period) {
    float sum = 0, amplitude = 1, total = 0;
    for (int o = 0; o < octaves; o++) {
        sum += value_noise(x, y, seed + uint32_t(o) * 1013u, period) * amplitude;
        total += amplitude;
        amplitude *= gain;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
    }
    return sum / total;
}
