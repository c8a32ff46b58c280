// CPU side of texture loading: decoding, mip chains and the redundancy test
// for one large picture. A track loads a few hundred textures, so these
// bound how long the texture part of a track load takes.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "base/image.h"
#include "render/mip.h"

static std::vector<unsigned char> noise_picture(int w, int h, int bpp) {
    std::mt19937 rng(7);
    std::vector<unsigned char> px((size_t)w * h * bpp);
    for (auto& b : px) b = (unsigned char)(rng() & 255);
    return px;
}

static void BM_MipChainRgba1024(benchmark::State& state) {
    std::vector<unsigned char> px = noise_picture(1024, 1024, 4);
    for (auto _ : state) {
        std::vector<unsigned char> chain = make_mip_chain(px.data(), 1024, 1024, 4, false);
        benchmark::DoNotOptimize(chain.data());
    }
}
BENCHMARK(BM_MipChainRgba1024)->Unit(benchmark::kMillisecond);

static void BM_RedundancyTest1024(benchmark::State& state) {
    // A flat picture passes every texel, the slowest case of the test.
    std::vector<unsigned char> px(1024 * 1024 * 3, 100);
    std::vector<unsigned char> chain = make_mip_chain(px.data(), 1024, 1024, 3, false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            mip_level_is_redundant(chain.data(), 1024, 1024, chain.data() + 1024 * 1024 * 3, 3));
    }
}
BENCHMARK(BM_RedundancyTest1024)->Unit(benchmark::kMillisecond);

static void BM_DecodePng512(benchmark::State& state) {
    std::vector<unsigned char> px = noise_picture(512, 512, 3), file;
    if (!encode_png(px.data(), 512, 512, 3, false, &file)) state.SkipWithError("encode failed");
    for (auto _ : state) {
        Image img;
        const char* error;
        benchmark::DoNotOptimize(decode_png(file.data(), file.size(), &img, &error));
    }
}
BENCHMARK(BM_DecodePng512)->Unit(benchmark::kMillisecond);
