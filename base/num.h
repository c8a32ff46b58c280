// Numeric constants and the two clamps every floor shares. Header only; no
// state. The clamps differ only in what a NaN becomes:
//   clamp_keep_nan    lets it through, for values whose NaN should show downstream;
//   clamp_nan_to_low  turns it into `lo`, for outside input on its way to a
//                     cast, a packed field or the physics.
// The bounds take the type of `v`, so a float clamps in float and an int in int.
#pragma once
#include <type_traits>

constexpr double PI = 3.14159265358979323846;
constexpr float PI_F = 3.14159265358979323846f;

// `v` held to lo..hi (lo <= hi); a NaN comes out unchanged, a value equal to
// a bound comes out as itself.
template <typename T>
constexpr T clamp_keep_nan(T v, std::type_identity_t<T> lo, std::type_identity_t<T> hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// `v` held to lo..hi (lo <= hi); a NaN comes out as `lo`, a value equal to a
// bound comes out as the bound.
template <typename T>
constexpr T clamp_nan_to_low(T v, std::type_identity_t<T> lo, std::type_identity_t<T> hi) {
    return v > lo ? (v < hi ? v : hi) : lo;
}
