// A track's surface table, "tileinfo" or the older "texturelist": bad lines
// warn and are skipped; what is kept must be usable by the tire model.
#include <math.h>

#include "fuzz_support.h"
#include "track/tileinfo.h"

namespace {

unsigned any_image(void*, const char* name) { return name[0] ? 1u : 0u; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // First byte: which file and whether images load; the rest is the text.
    if (size < 1) return 0;
    std::string text((const char*)data + 1, size - 1);
    const TerrainImageOps images = {any_image, nullptr};
    const TerrainImageOps* ops = (data[0] & 2) ? &images : nullptr;
    SurfaceTable table;
    std::vector<std::string> warnings;
    if (data[0] & 1)
        texturelist_parse(&table, text.c_str(), ops);
    else
        tileinfo_parse(&table, text.c_str(), ops, &warnings);
    fuzz_check(table.entries.size() <= TILEINFO_MAX_ENTRIES, "more surfaces than a tile map can name");
    tileinfo_compute_transitions(&table);
    for (const TileInfo& e : table.entries) {
        fuzz_check(e.name.size() <= TILEINFO_NAME_CHARS, "a surface name beyond its length");
        fuzz_check(e.erode.limit_count >= 0 && e.erode.limit_count <= ERODE_MAX_LIMITS,
                   "an erosion limit count outside the table");
        for (float slip : {0.0f, 0.5f, 3.0f, 40.0f, 1e7f}) {
            (void)tileinfo_friction(&e, slip, slip);
            (void)tileinfo_roll_resist(&e, slip, 0.5f);
        }
    }
    return 0;
}
