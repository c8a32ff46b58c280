// Where each material sits in the generated bike, wheel, rider-body and
// rider-head pictures (fractions, top-left origin). The painters in
// bike_textures.cpp and the model builders share these rectangles.
#pragma once
#include "tools/content/bike_mesh.h"

// Bike picture (one per make, 256 x 256).
constexpr UvRect BIKE_PLASTIC = {0.0f, 0.0f, 0.5f, 0.5f};        // make colour with graphics
constexpr UvRect BIKE_FRAME = {0.5f, 0.0f, 0.75f, 0.25f};        // frame tubes
constexpr UvRect BIKE_ENGINE = {0.75f, 0.0f, 1.0f, 0.25f};       // engine cases and cylinder
constexpr UvRect BIKE_SEAT = {0.5f, 0.25f, 0.75f, 0.5f};         // seat cover
constexpr UvRect BIKE_BLACK = {0.75f, 0.25f, 1.0f, 0.5f};        // black plastic, grips, clamps
constexpr UvRect BIKE_FORK_TUBE = {0.0f, 0.5f, 0.25f, 0.75f};    // fork tubes
constexpr UvRect BIKE_SLIDER = {0.25f, 0.5f, 0.5f, 0.75f};       // fork sliders and guards
constexpr UvRect BIKE_SPRING = {0.5f, 0.5f, 0.75f, 0.75f};       // shock spring
constexpr UvRect BIKE_EXHAUST = {0.75f, 0.5f, 1.0f, 0.75f};      // pipe and silencer
constexpr UvRect BIKE_PLAIN = {0.25f, 0.75f, 0.5f, 1.0f};        // make colour without graphics
constexpr UvRect BIKE_WHITE = {0.5f, 0.75f, 0.75f, 1.0f};        // second plastic colour
constexpr UvRect BIKE_METAL = {0.75f, 0.75f, 1.0f, 1.0f};        // chain, axles, levers

// Wheel picture (256 x 256, with alpha for the spokes).
constexpr UvRect WHEEL_TREAD = {0.0f, 0.0f, 1.0f, 0.5f};         // u around the wheel, v around the tube
constexpr UvRect WHEEL_SPOKES = {0.0f, 0.5f, 0.5f, 1.0f};        // rim, spokes and hub seen from the side
constexpr UvRect WHEEL_RIM = {0.5f, 0.5f, 0.75f, 0.75f};
constexpr UvRect WHEEL_HUB = {0.75f, 0.5f, 1.0f, 0.75f};
constexpr UvRect WHEEL_ROTOR = {0.5f, 0.75f, 1.0f, 1.0f};

// Rider-body picture (256 x 256).
constexpr UvRect RIDER_JERSEY = {0.0f, 0.0f, 0.5f, 0.5f};
constexpr UvRect RIDER_SLEEVE = {0.5f, 0.0f, 1.0f, 0.25f};
constexpr UvRect RIDER_PANTS = {0.5f, 0.25f, 1.0f, 0.5f};
constexpr UvRect RIDER_GLOVE = {0.0f, 0.5f, 0.25f, 0.75f};
constexpr UvRect RIDER_BOOT = {0.25f, 0.5f, 0.5f, 0.75f};
constexpr UvRect RIDER_GUARD = {0.5f, 0.5f, 0.75f, 0.75f};
constexpr UvRect RIDER_NECK = {0.75f, 0.5f, 1.0f, 0.75f};

// Rider-head picture (256 x 256).
constexpr UvRect HEAD_SHELL = {0.0f, 0.0f, 1.0f, 0.5f};
constexpr UvRect HEAD_GOGGLES = {0.0f, 0.5f, 0.5f, 0.75f};
constexpr UvRect HEAD_PEAK = {0.5f, 0.5f, 1.0f, 0.75f};
constexpr UvRect HEAD_CHIN = {0.0f, 0.75f, 0.5f, 1.0f};

// A number plate shows the whole number picture.
constexpr UvRect PLATE_ALL = {0.0f, 0.0f, 1.0f, 1.0f};
