// A setup file shared by another player ("key=value" lines under "@setups/"):
// every value must land inside its setting's range or choices.
#include <math.h>
#include <string.h>

#include <filesystem>

#include "fuzz_support.h"
#include "sim/setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool made = std::filesystem::create_directories(fuzz_user_folder() + "setups") || true;
    (void)made;
    if (!fuzz_write_file(fuzz_user_folder() + "setups/shared", data, size)) return 0;
    RiderSetup setup;
    setup_init_defaults(&setup);
    (void)setup_read_file(&setup, "shared");
    fuzz_check(memchr(setup.bike, 0, sizeof setup.bike) && memchr(setup.name, 0, sizeof setup.name) &&
                   memchr(setup.number, 0, sizeof setup.number),
               "a text setting lost its end");
    for (int k = 0; k < SETUP_KEY_COUNT; k++) {
        const SetupSetting* s = setup_setting((SetupKey)k);
        if (s->kind == SETUP_KIND_NUMBER)
            fuzz_check(isfinite(setup.value[k]) && setup.value[k] >= s->min && setup.value[k] <= s->max,
                       "a number setting outside its range");
        if (s->kind == SETUP_KIND_CHOICE)
            fuzz_check(setup.choice[k] >= 0 && setup.choice[k] < s->option_count,
                       "a choice outside its options");
    }
    return 0;
}
