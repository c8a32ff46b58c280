// Erosion records from demos and race servers: unpacked into the queue and
// dug into a small ground. Nothing may crash, no height may turn
// non-finite, and a decoded record packs back to one that decodes the same.
#include <math.h>

#include <vector>

#include "fuzz_support.h"
#include "track/erode.h"
#include "track/terrain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ErodeQueue queue;
    if (queue.ring.empty()) erode_queue_init(&queue);
    erode_queue_clear(&queue);

    std::vector<ErodePoint> points;
    const bool ok = erode_unpack(data, (int)size, 64.0f, &points);
    fuzz_check(ok == (size >= ERODE_RECORD_HEADER && data[0] == ERODE_RECORD_TYPE), "a record taken or refused wrongly");
    if (!ok) return 0;
    Terrain* ground = terrain_create(4, 2.0f, 10.0f);  // 64 ft square
    if (!ground) return 0;
    fuzz_check(points.size() == 1 + (size - ERODE_RECORD_HEADER) / 4, "a point count other than the record's");
    for (const ErodePoint& p : points) {
        fuzz_check(isfinite(p.x) && isfinite(p.z) && fabsf(p.dx) <= 1 && fabsf(p.dz) <= 1, "a decoded value out of range");
        fuzz_check(p.weight >= 0 && p.weight <= 15, "a weight beyond four bits");
    }
    if (points.size() <= ERODE_PATH_POINTS) {
        // Packing what was decoded keeps every point within a step code.
        uint8_t again[ERODE_RECORD_MAX];
        const int bytes = erode_pack(points.data(), (int)points.size(), ground->size, again);
        std::vector<ErodePoint> back;
        fuzz_check(erode_unpack(again, bytes, ground->size, &back) && back.size() == points.size(),
                   "a packed record that does not unpack");
    }

    const float player[2] = {32, 32};
    erode_queue_record(&queue, data, (int)size, ground->size);
    for (int frame = 0; queue.count > 0 && frame < 64; frame++)
        (void)erode_process(&queue, ground, (data[size - 1] & 1) ? player : nullptr, 100, frame * 300);
    for (int v = 0; v < ground->dim * ground->dim; v++) fuzz_check(isfinite(ground->heights[v]), "a non-finite height");
    terrain_reshade(ground);
    terrain_free(ground);
    return 0;
}
