// Shown riders placed from hostile states (demo files, server datagrams): the
// bodies must stay finite and the physics library must never complain,
// through placement, a shown tick and a few world steps.
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "fuzz_support.h"
#include "sim/crf250_fixture.h"
#include "sim/replay.h"
#include "sim/slots.h"

namespace {

[[noreturn]] void physics_complaint(int num, const char* msg, va_list ap)
{
    fprintf(stderr, "physics library message %d: ", num);
    vfprintf(stderr, msg, ap);
    fputc('\n', stderr);
    fuzz_check(false, "the physics library complained");
    abort();
}

bool all_finite(const Rider* r)
{
    for (dBodyID b : r->bike.body) {
        const dReal* values[] = {dBodyGetPosition(b), dBodyGetLinearVel(b), dBodyGetAngularVel(b)};
        for (const dReal* v : values)
            for (int i = 0; i < 3; i++)
                if (!isfinite(v[i])) return false;
        const dReal* q = dBodyGetQuaternion(b);
        for (int i = 0; i < 4; i++)
            if (!isfinite(q[i])) return false;
    }
    return true;
}

float flat_ground(const void* self, float, float) { return *(const float*)self; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Three states (shown, older, newer), then: rider byte, presence, tick distance.
    if (size < 3 * PACKED_STATE_SIZE + 3) return 0;
    PackedRiderState states[3];
    for (int i = 0; i < 3; i++) memcpy(states[i].bytes, data + i * PACKED_STATE_SIZE, PACKED_STATE_SIZE);
    const uint8_t* tail = data + 3 * PACKED_STATE_SIZE;
    int rider_byte = tail[0] == 255 ? -1 : tail[0];
    float presence = (tail[1] % 5) * 0.25f;
    int tick_distance = (int8_t)tail[2];

    TestWorld tw;
    if (!tw.ok) return 0;
    dSetMessageHandler(physics_complaint);
    BikeInfo info = crf250_2008();
    rider_slots* slots = rider_slots_create();
    fuzz_check(slots != nullptr, "no slot table");
    Rider* r = rider_create(slots, 0, RIDER_SHOWN, &tw.w, &info, nullptr, false, nullptr);
    fuzz_check(r != nullptr, "the test bike could not be built");
    bike_body_set_presence(&r->bike, presence);

    const packed_state_ranges ranges = {2048, -64, 0.5303f, 1.0f};
    rider_state_values v = packed_state_decode(&states[0], &ranges);
    rider_place_from_state(r, &v, rider_byte);
    fuzz_check(all_finite(r), "placement gave a body a NaN");

    float ground_height = -64;
    const ground_ops ground = {flat_ground, &ground_height};
    rider_snapshot snapshot = {&states[0], &states[1], &states[2], tick_distance};
    for (int tick = 0; tick < 3; tick++) {
        rider_apply_snapshot(r, &snapshot, &ranges, (tail[1] & 8) ? nullptr : &ground);
        physics_world_step(&tw.w);
        rider_presence_after_step(r);
        fuzz_check(all_finite(r), "a shown tick gave a body a NaN");
    }
    rider_slots_free(slots);
    return 0;
}
