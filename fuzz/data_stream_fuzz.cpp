// The formatted reads every text file of the program goes through: the
// program's own scanf formats, lines, comments and integers, mixed in the
// order the input's first bytes choose.
#include <limits.h>
#include <string.h>

#include "base/data_file.h"
#include "fuzz_support.h"

namespace {

// One read of each kind the readers use; false at the end of the data.
bool read_once(DataStream* s, int kind)
{
    char text[1024];
    char word[64];
    int i = 0, j = 0;
    float f[5] = {};
    switch (kind) {
    case 0: return data_scanf(s, "%d %f %f %f ", &i, &f[0], &f[1], &f[2]) >= 0;
    case 1: return data_scanf(s, "[ %f %f ] %f %f %f %1023s ", &f[0], &f[1], &f[2], &f[3], &f[4], text) >= 0;
    case 2: return data_scanf(s, "%63s %1023[^\n]", word, text) >= 0;
    case 3: return data_scanf(s, "%x %d", (unsigned*)&i, &j) >= 0;
    case 4: return data_gets(s, text, sizeof text) != nullptr;
    case 5: return data_gets(s, text, 2) != nullptr;
    case 6: data_skip_comments(s); return data_peekc(s) >= 0;
    case 7: return data_read_int(s) != INT_MIN || data_getc(s) >= 0;
    case 8: return data_skip_space(s) >= 0 && data_getc(s) >= 0;
    default: return data_read(s, text, 7) > 0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Four bytes of read order, then the file.
    if (size < 4) return 0;
    std::string path = fuzz_home() + "/input.txt";
    if (!fuzz_write_file(path, data + 4, size - 4)) return 0;
    DataStream* s = open_data_file(path.c_str(), "rb");
    if (!s) return 0;
    // Every read either consumes a byte or ends; the bound only guards against a read that does neither.
    for (size_t step = 0; step < 4 * size + 16; step++) {
        long before = data_tell(s);
        if (!read_once(s, data[step % 4] % 10)) break;
        fuzz_check(data_tell(s) >= before, "the stream moved backwards");
        fuzz_check(data_tell(s) <= (long)(size - 4), "the stream read past its length");
    }
    close_data_file(s);
    return 0;
}
