// Rider states from demo files and server datagrams: any 39 bytes decode to
// finite values inside the ranges the track and bike fix.
#include <math.h>
#include <string.h>

#include "fuzz_support.h"
#include "sim/packed_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < PACKED_STATE_SIZE) return 0;
    PackedRiderState s;
    memcpy(s.bytes, data, PACKED_STATE_SIZE);
    // Ranges of a small and of a huge track.
    const packed_state_ranges ranges[] = {{256, 0, 0.53f, 1.0f}, {65536, -5000, 1.2f, 1.4f}};
    for (const packed_state_ranges& r : ranges) {
        rider_state_values v = packed_state_decode(&s, &r);
        for (double p : v.frame_position) fuzz_check(isfinite(p), "a position that is not a number");
        for (int i = 0; i < 3; i++)
            fuzz_check(v.frame_position[i] >= (i == 1 ? r.base_height : 0) - 1e-3 &&
                           v.frame_position[i] <= r.side_length + (i == 1 ? r.base_height : 0) + 1e-3,
                       "a position outside the track's ranges");
        for (int i = 0; i < 4; i++)
            fuzz_check(isfinite(v.frame_quaternion[i]) && isfinite(v.rider_quaternion[i]),
                       "an orientation that is not a number");
        fuzz_check(isfinite(v.steering_angle) && isfinite(v.swingarm_angle) && isfinite(v.fork_slider) &&
                       isfinite(v.engine_rpm),
                   "a joint value that is not a number");
        for (float o : v.rider_offset) fuzz_check(isfinite(o) && fabsf(o) <= 16.001f, "a rider offset out of range");
        for (float a : v.wheel_angle) fuzz_check(isfinite(a), "a wheel angle that is not a number");
        // Packing the decoded values again gives the same decoded values.
        PackedRiderState again = packed_state_encode(&v, &r, nullptr);
        fuzz_check(memcmp(again.bytes, s.bytes, PACKED_SWINGARM) == 0, "position or orientation changed on repacking");
    }
    packed_controls c = packed_controls_decode(s.bytes[PACKED_CONTROLS]);
    fuzz_check(c.gear >= 0 && c.gear <= 7 && c.throttle >= 0 && c.throttle <= 1, "controls out of range");
    int bit = 0, value = 0;
    if (packed_state_integrity_bit(&s, &bit, &value))
        fuzz_check(bit >= 0 && bit < 256 && (value == 0 || value == 1), "an integrity bit outside its value");
    integrity_value kept = {};
    integrity_keep_bit(&kept, &s);
    return 0;
}
