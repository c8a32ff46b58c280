// The settings file ("key=value" lines, settings, bindings and the rider
// setup): any file reads without harm, and what the program writes back
// reads back to the same file, so a damaged file cannot degrade further
// from one session to the next.
#include <string.h>

#include "base/alloc.h"
#include "base/data_file.h"
#include "app/settings.h"
#include "fuzz_support.h"

namespace {

Settings* read_from(const std::string& path)
{
    Settings* s = new Settings;
    settings_set_defaults(s);
    if (DataStream* in = open_data_file(path.c_str(), "rb")) {
        settings_read_stream(s, in);
        close_data_file(in);
    }
    return s;
}

std::string written(const Settings* s, const std::string& path)
{
    DataStream* out = open_data_file(path.c_str(), "wb");
    fuzz_check(out != nullptr, "cannot write the settings file");
    fuzz_check(settings_write_stream(s, out), "writing the settings failed");
    close_data_file(out);
    size_t size = 0;
    char* text = file_to_buffer(path.c_str(), &size);
    std::string copy = text ? std::string(text, size) : std::string();
    mem_free(text);
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string in = fuzz_home() + "/config", first = fuzz_home() + "/config1", second = fuzz_home() + "/config2";
    if (!fuzz_write_file(in, data, size)) return 0;
    Settings* a = read_from(in);
    std::string once = written(a, first);
    Settings* b = read_from(first);
    std::string twice = written(b, second);
    fuzz_check(once == twice, "the written settings read back differently");
    delete a;
    delete b;
    return 0;
}
