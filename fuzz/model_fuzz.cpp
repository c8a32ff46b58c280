// ".jm" model files (plain, JM1, JM2 with bone weights) as bikes, riders and
// track objects ship them: a parsed model's arrays agree with its counts and
// every index it holds points inside its arrays.
#include <math.h>

#include "fuzz_support.h"
#include "render/model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Model* model = parse_model((const char*)data, size, "fuzz.jm");
    if (!model) return 0;
    fuzz_check(!model->parts.empty(), "a model without parts");
    for (const ModelPart& p : model->parts) {
        size_t v = (size_t)p.vertex_count, halves = p.bone_count > 0 ? 2 : 1;
        fuzz_check(p.vertex_count >= 0 && p.triangle_count >= 0 && p.bone_count >= 0, "a negative count");
        fuzz_check(p.positions.size() == 3 * v * halves && p.normals.size() == 3 * v * halves &&
                       p.tangents.size() == 3 * v * halves && p.uvs.size() == 2 * v,
                   "vertex arrays disagree with the vertex count");
        fuzz_check(p.triangles.size() == 3 * (size_t)p.triangle_count, "triangles disagree with their count");
        for (int i : p.triangles) fuzz_check(i >= 0 && i < p.vertex_count, "a triangle names a missing vertex");
        if (p.bone_count > 0) {
            fuzz_check(p.weights.size() == 4 * v && p.bone_indices.size() == 4 * v,
                       "bone arrays disagree with the vertex count");
            for (int b : p.bone_indices) fuzz_check(b >= 0 && b < p.bone_count, "a weight names a missing bone");
        }
    }
    model_free(model);
    return 0;
}
