#include "sim/engine.h"

#include <math.h>

#include "sim/bike_info.h"

float engine_torque(const BikeInfo* bike, float rpm, float throttle)
{
    const float last = BIKE_TORQUE_POINTS - 1;
    float b = rpm / BIKE_TORQUE_RPM_STEP;
    b = b > 0 ? (b < last ? b : last) : 0;  // also turns a not-a-number speed into 0
    const int i = (int)floorf(b);
    const int j = i + 1 < BIKE_TORQUE_POINTS ? i + 1 : i;
    const float f = b - i;
    const float* q = bike->closed_throttle_torque;
    const float* w = bike->full_throttle_torque;
    const float closed = q[i] + f * (q[j] - q[i]);
    const float full = w[i] + f * (w[j] - w[i]);
    return closed + throttle * (full - closed);
}

bool is_wheelie_cut(int stop_wheelies, bool front_contact, bool rear_contact, float frame_pitch_rate)
{
    return (stop_wheelies & 1) && !front_contact && rear_contact && frame_pitch_rate > -1.0f / 32;
}
