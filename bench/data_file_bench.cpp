// Opening data files: index lookups among many archive members, and reading
// a gzip member through the stream.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <string>

#include "base/data_file.h"
#include "base/data_index.h"
#include "support/data_home.h"

namespace {

// A game data folder with one archive of `count` small members and one
// compressed member of about 1 MiB; the environment points at it.
struct BenchData {
    TestDataHome home;
    explicit BenchData(int count) {
        std::string header, body;
        for (int i = 0; i < count; i++) {
            std::string name = "tracks/t" + std::to_string(i % 97) + "/file" + std::to_string(i);
            header += "4 " + name + "\n";
            body += "data";
        }
        std::string text;
        for (int i = 0; text.size() < (1 << 20); i++) text += std::to_string(i * 7919 % 100003) + "\n";
        uLongf packed_size = compressBound(text.size()) + 64;
        std::string packed(packed_size, 0);
        z_stream z{};
        deflateInit2(&z, 6, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);  // gzip wrapper
        z.next_in = (Bytef*)text.data();
        z.avail_in = (uInt)text.size();
        z.next_out = (Bytef*)packed.data();
        z.avail_out = (uInt)packed.size();
        deflate(&z, Z_FINISH);
        packed.resize(z.total_out);
        deflateEnd(&z);
        header += std::to_string(packed.size()) + " big.txt.gz\n-\n";
        home.write_game("zzzz.saf", header + body + packed);
        (void)file_list();
    }
};

void BM_OpenArchiveMember(benchmark::State& state) {
    BenchData data(20000);
    int i = 0;
    for (auto _ : state) {
        int k = i % 20000;
        std::string name = "@TRACKS/t" + std::to_string(k % 97) + "/file" + std::to_string(k);
        DataStream* s = open_data_file(name.c_str(), "rb");
        benchmark::DoNotOptimize(data_getc(s));
        close_data_file(s);
        i += 7;
    }
}
BENCHMARK(BM_OpenArchiveMember);

void BM_ReadInflatedMember(benchmark::State& state) {
    BenchData data(10);
    for (auto _ : state) {
        DataStream* s = open_data_file("@big.txt", "rb");
        long sum = 0;
        int v;
        while (data_scanf(s, "%d", &v) == 1) sum += v;
        benchmark::DoNotOptimize(sum);
        state.SetBytesProcessed(state.bytes_processed() + data_tell(s));
        close_data_file(s);
    }
}
BENCHMARK(BM_ReadInflatedMember)->Unit(benchmark::kMillisecond);

}  // namespace
