// Key names as they come from settings and binding files, and the names the
// program shows for any code a device or file may report.
#include <string.h>

#include "platform/platform.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The name as a C string: stops at the first NUL, like a line read from a file.
    std::string name((const char*)data, strnlen((const char*)data, size));
    int code = 0;
    if (key_code(name.c_str(), &code)) {
        const char* shown = key_name(code);
        fuzz_check(shown != nullptr, "a resolved key has no name");
    }
    if (size >= 4) {
        int raw;
        memcpy(&raw, data, sizeof raw);
        fuzz_check(key_name(raw) != nullptr, "a code without a name");
    }
    return 0;
}
