// Models: parsing a rider-sized skinned model and posing it on the CPU (the
// path taken for every rider each frame when shaders are off).
#include <benchmark/benchmark.h>
#include <math.h>

#include <string>

#include "render/model.h"

namespace {

// A JM2 sheet of `side` x `side` vertices, each weighted to two of nine bones.
std::string skinned_sheet(int side) {
    std::string text = "JM2 9 sheet\n16 1 0.3 0.3 0.3 " + std::to_string(side * side) + " " +
                       std::to_string((side - 1) * (side - 1) * 2) + "\n";
    char line[256];
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++) {
            int a = (x + y) % 9, b = (x * 3 + y) % 9;
            snprintf(line, sizeof line, "%g %g 0 0 0 1 %g %g", x * 0.1, y * 0.1, x / (side - 1.0), y / (side - 1.0));
            text += line;
            for (int k = 0; k < 9; k++) text += k == a ? " 0.7" : k == b && b != a ? " 0.3" : " 0";
            text += "\n";
        }
    for (int y = 0; y + 1 < side; y++)
        for (int x = 0; x + 1 < side; x++) {
            int i = y * side + x;
            snprintf(line, sizeof line, "%d %d %d\n%d %d %d\n", i, i + 1, i + side + 1, i, i + side + 1, i + side);
            text += line;
        }
    return text;
}

void BM_ParseSkinnedModel(benchmark::State& state) {
    std::string text = skinned_sheet((int)state.range(0));
    for (auto _ : state) {
        Model* m = parse_model(text.data(), text.size(), "bench.jm");
        benchmark::DoNotOptimize(m);
        model_free(m);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)text.size());
}
BENCHMARK(BM_ParseSkinnedModel)->Arg(40);

void BM_SkinOnCpu(benchmark::State& state) {
    std::string text = skinned_sheet((int)state.range(0));
    Model* m = parse_model(text.data(), text.size(), "bench.jm");
    float rest[9][3] = {}, posed[9][3], rotation[9][9];
    for (int b = 0; b < 9; b++) {
        float a = 0.1f * (float)b;
        float r[9] = {cosf(a), sinf(a), 0, -sinf(a), cosf(a), 0, 0, 0, 1};
        for (int k = 0; k < 9; k++) rotation[b][k] = r[k];
        posed[b][0] = (float)b, posed[b][1] = 1, posed[b][2] = 0;
    }
    ModelBones bones = {9, rest, posed, rotation};
    for (auto _ : state) {
        skin_model_part(&m->parts[0], bones);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed((int64_t)state.iterations() * m->parts[0].vertex_count);
    model_free(m);
}
// 1600 vertices: about a generated rider body.
BENCHMARK(BM_SkinOnCpu)->Arg(40);

}  // namespace
