// Simulation time: every subsystem steps in ticks of TICK seconds, and race
// times, demo records and state histories count ticks from the race reset as
// signed 32-bit integers. The wall clock only paces ticks. No physics headers.
#pragma once

constexpr int TICKS_PER_SECOND = 128;
constexpr double TICK = 1.0 / TICKS_PER_SECOND;  // s, the one simulation step
// At most this much real time is credited to the simulation per frame (s).
constexpr double MAX_FRAME_STEP = 0.125;
