// Compressed data files: a ".gz" file is inflated on the fly behind the same
// stream as a plain file. Damaged data must end the stream, never run past it.
#include "base/data_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input's first byte picks how the stream is read, the rest is the file.
    if (size < 1) return 0;
    int how = data[0] % 3;
    std::string path = fuzz_home() + "/input";
    if (!fuzz_write_file(path + ".gz", data + 1, size - 1)) return 0;
    DataStream* s = open_data_file(path.c_str(), "rb");
    if (!s) return 0;
    // Inflated output is bounded so that a small bomb cannot stall the run.
    size_t total = 0;
    const size_t limit = 8u << 20;
    char buffer[4096];
    while (total < limit) {
        int got;
        if (how == 0) {
            got = data_read(s, buffer, sizeof buffer);
            fuzz_check(got <= (int)sizeof buffer, "data_read beyond its count");
            if (got <= 0) break;
        } else if (how == 1) {
            if (!data_gets(s, buffer, 77)) break;
            got = 77;
        } else {
            int c = data_peekc(s);
            if (data_getc(s) != c) fuzz_check(false, "peeked and read bytes differ");
            if (c < 0) break;
            got = 1;
        }
        total += (size_t)got;
    }
    close_data_file(s);
    return 0;
}
