// Painted pictures of the bikes and riders: one bike picture per make
// colour scheme (and its two alternatives), the wheels, the rider's gear
// and helmet (each with alternatives). PNG bytes, deterministic.
#pragma once
#include <string>

// `prefix` is a bike texture's base name ("crf250", "kx250f_2013"): its
// letters pick the make's colours. `variant` 0 is the base look, 1 and 2
// the "-alt1" and "-alt2" looks.
std::string bike_texture_png(const char* prefix, int variant);
// The name of the colour scheme a bike texture prefix is painted in ("red", ...).
const char* bike_colour_scheme(const char* prefix);
std::string wheel_texture_png(int variant);        // 0, 1, 2
// The tread knobs as a tangent-space normal map ("_norm" companion of every wheel look).
std::string wheel_normal_png();
std::string rider_body_texture_png(int variant);   // 0..3
std::string rider_head_texture_png(int variant);   // 0..3
