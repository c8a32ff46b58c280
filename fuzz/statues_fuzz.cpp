// A track's "statues" file on a small ground: every statue stands at a
// finite place with a proper rotation, and the grid lists only statues
// that exist.
#include <math.h>

#include "base/data_file.h"
#include "fuzz_support.h"
#include "track/statues.h"
#include "track/terrain.h"

namespace {

const void* any_shape(void*, const char* name, float* radius) {
    *radius = (float)(name[1] % 7);
    return name[1] == 'x' ? nullptr : name;
}
void no_free(void*, const void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Terrain* ground = terrain_create(3, 4, 1);
    const std::string path = fuzz_home() + "/statues";
    if (!fuzz_write_file(path, data, size)) return 0;
    const statue_asset_ops ops = {nullptr, nullptr, any_shape, no_free, nullptr};
    TrackStatues s;
    statues_init(&s, &ops);
    DataStream* stream = open_data_file(path.c_str(), "rb");
    if (!stream) return 0;
    const int made = statues_read(&s, ground, stream);
    close_data_file(stream);
    fuzz_check(made == (int)s.statues.size(), "statues made and counted differ");
    for (const Statue& st : s.statues) {
        for (float v : st.position) fuzz_check(isfinite(v), "a statue off the map");
        for (int c = 0; c < 3; c++) {
            float length = 0;
            for (int r = 0; r < 3; r++) length += st.orientation[r * 3 + c] * st.orientation[r * 3 + c];
            fuzz_check(fabsf(length - 1) < 1e-3f || st.facing_distance > 0, "an orientation that is no rotation");
        }
    }
    statues_rebuild_grid(&s, ground->size);
    for (const auto& square : s.grid)
        for (int i : square) fuzz_check(i >= 0 && i < (int)s.statues.size() && s.statues[i].shape, "a grid entry without a shaped statue");
    statues_free(&s);
    return 0;
}
