// Model files: parsing, bone weights, tangents, degenerate triangles,
// texture density, the registry and the level-of-detail chains.
#include "render/model.h"

#include <GL/gl.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "base/alloc.h"
#include "base/messages.h"
#include "base/data_file.h"
#include "base/data_index.h"
#include "base/render_options.h"
#include "render/model_local.h"
#include "base/model_text.h"
#include "render/shader.h"
#include "render/texture.h"

static std::vector<Model*> models;  // load order; owned
void model_say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    show_messagev(format, args);
    va_end(args);
}

// ---- parsing -------------------------------------------------------------

enum { MAX_WEIGHT_SLOTS = 4 };

// Keeps the four largest positive weights of one vertex: a weight goes into
// the slot holding the smallest (the lowest such slot), unless all four are
// taken by larger weights already.
static void add_weight(float* w, int* index, int bone, float weight, bool* overflowed) {
    int smallest = 0;
    for (int k = 1; k < MAX_WEIGHT_SLOTS; k++)
        if (w[k] < w[smallest]) smallest = k;
    if (w[smallest] > 0) *overflowed = true;
    if (w[smallest] >= weight) return;
    w[smallest] = weight;
    index[smallest] = bone;
}

static void normalise_weights(float* w, int* index) {
    float sum = 0;
    for (int k = 0; k < MAX_WEIGHT_SLOTS; k++) sum += w[k];
    if (!isfinite(sum)) {  // huge weights: scale by the largest first
        float largest = *std::max_element(w, w + MAX_WEIGHT_SLOTS);
        sum = 0;
        for (int k = 0; k < MAX_WEIGHT_SLOTS; k++) sum += w[k] /= largest;
    }
    if (sum > 0) {
        for (int k = 0; k < MAX_WEIGHT_SLOTS; k++) w[k] /= sum;
    } else {
        for (int k = 0; k < MAX_WEIGHT_SLOTS; k++) w[k] = 0.25f, index[k] = 0;
    }
}

// One part: header (JM only), vertices, triangles. False on any unreadable
// number, a negative count or counts the rest of the file cannot hold.
static bool read_part(TextCursor* c, bool plain, int bones, const char* name, ModelPart* part) {
    float s = 32, a = 1, colour[3] = {1, 1, 1};
    if (!plain) {
        if (!text_float(c, &s) || !text_float(c, &a) || !text_float(c, &colour[0]) ||
            !text_float(c, &colour[1]) || !text_float(c, &colour[2]))
            return false;
    }
    int v = 0, t = 0;
    if (!text_int(c, &v) || !text_int(c, &t) || v < 0 || t < 0) return false;
    int per_vertex = 8 + bones;
    if ((int64_t)v * per_vertex > text_numbers_left(c)) return false;

    part->vertex_count = v;
    part->shininess = s;
    part->colour[0] = colour[0], part->colour[1] = colour[1], part->colour[2] = colour[2];
    part->colour[3] = s < 0 ? a : 1;
    part->bone_count = bones;
    int halves = bones > 0 ? 2 : 1;
    part->positions.assign((size_t)v * 3 * halves, 0.0f);
    part->normals.assign((size_t)v * 3 * halves, 0.0f);
    part->uvs.assign((size_t)v * 2, 0.0f);
    if (bones > 0) {
        part->weights.assign((size_t)v * 4, 0.0f);
        part->bone_indices.assign((size_t)v * 4, 0);
    }
    bool overflowed = false;
    for (int i = 0; i < v; i++) {
        float* p = &part->positions[(size_t)i * 3];
        float* n = &part->normals[(size_t)i * 3];
        float* uv = &part->uvs[(size_t)i * 2];
        for (int k = 0; k < 3; k++)
            if (!text_float(c, &p[k])) return false;
        for (int k = 0; k < 3; k++)
            if (!text_float(c, &n[k])) return false;
        if (!text_float(c, &uv[0]) || !text_float(c, &uv[1])) return false;
        uv[1] = 1 - uv[1];
        if (bones == 0) continue;
        float* w = &part->weights[(size_t)i * 4];
        int* index = &part->bone_indices[(size_t)i * 4];
        for (int j = 0; j < bones; j++) {
            float weight;
            if (!text_float(c, &weight)) return false;
            if (weight > 0) add_weight(w, index, j, weight, &overflowed);
        }
        normalise_weights(w, index);
    }
    if (overflowed) model_say("Warning: vertex with more than 4 bone influences in '%.900s'", name);

    if ((int64_t)t * 3 > text_numbers_left(c)) return false;
    part->triangle_count = t;
    part->triangles.assign((size_t)t * 3, 0);
    for (int& index : part->triangles)
        if (!text_int(c, &index)) return false;
    return true;
}

static void sub3(const float* a, const float* b, float* out) {
    for (int k = 0; k < 3; k++) out[k] = a[k] - b[k];
}
static void cross3(const float* a, const float* b, float* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
static float dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

static bool triangle_in_range(const ModelPart& part, const int* tri) {
    for (int k = 0; k < 3; k++)
        if (tri[k] < 0 || tri[k] >= part.vertex_count) return false;
    return true;
}

static const float TINY = 1.0f / 1048576.0f;  // 2^-20

// Per-vertex tangents along increasing u, summed over the triangles and
// normalised. Triangles whose texture mapping is mirrored relative to the
// stored (flipped-v) texture space have their contribution turned round.
static void compute_tangents(ModelPart* part) {
    int v = part->vertex_count;
    part->tangents.assign(part->positions.size(), 0.0f);
    for (int t = 0; t < part->triangle_count; t++) {
        const int* tri = &part->triangles[(size_t)t * 3];
        if (!triangle_in_range(*part, tri)) continue;
        const float* p0 = &part->positions[(size_t)tri[0] * 3];
        const float* p1 = &part->positions[(size_t)tri[1] * 3];
        const float* p2 = &part->positions[(size_t)tri[2] * 3];
        const float* uv0 = &part->uvs[(size_t)tri[0] * 2];
        const float* uv1 = &part->uvs[(size_t)tri[1] * 2];
        const float* uv2 = &part->uvs[(size_t)tri[2] * 2];
        float e1[3], e2[3], tangent[3];
        sub3(p1, p0, e1);
        sub3(p2, p0, e2);
        float du1 = uv1[0] - uv0[0], dv1 = uv1[1] - uv0[1];
        float du2 = uv2[0] - uv0[0], dv2 = uv2[1] - uv0[1];
        float d = du1 * dv2 - dv1 * du2;
        if (fabsf(d) < TINY) {
            float l1 = dot3(e1, e1), l2 = dot3(e2, e2);
            const float* longer = l1 >= l2 ? e1 : e2;
            float length = sqrtf(std::max(l1, l2));
            for (int k = 0; k < 3; k++) tangent[k] = length > 0 ? longer[k] / length * TINY : (k == 0 ? TINY : 0);
        } else {
            float bitangent[3], frame[3], normal[3];
            for (int k = 0; k < 3; k++) {
                tangent[k] = (dv2 * e1[k] - dv1 * e2[k]) / d;
                bitangent[k] = (du1 * e2[k] - du2 * e1[k]) / d;
                normal[k] = part->normals[(size_t)tri[0] * 3 + k] + part->normals[(size_t)tri[1] * 3 + k] +
                            part->normals[(size_t)tri[2] * 3 + k];
            }
            cross3(tangent, bitangent, frame);
            if (dot3(frame, normal) >= 0)
                for (float& x : tangent) x = -x;
        }
        for (int corner = 0; corner < 3; corner++)
            for (int k = 0; k < 3; k++) part->tangents[(size_t)tri[corner] * 3 + k] += tangent[k];
    }
    for (int i = 0; i < v; i++) {
        float* tangent = &part->tangents[(size_t)i * 3];
        float length = sqrtf(dot3(tangent, tangent));
        if (length > 0 && isfinite(length)) {
            for (int k = 0; k < 3; k++) tangent[k] /= length;
        } else {
            tangent[0] = 1, tangent[1] = 0, tangent[2] = 0;
        }
    }
}

// Drops triangles with an index out of range or (almost) no area; returns
// how many went.
static int remove_degenerate(ModelPart* part) {
    const float MIN_AREA_SQUARED = ldexpf(1.0f, -80);
    int kept = 0;
    for (int t = 0; t < part->triangle_count; t++) {
        const int* tri = &part->triangles[(size_t)t * 3];
        if (!triangle_in_range(*part, tri)) continue;
        float e1[3], e2[3], n[3];
        sub3(&part->positions[(size_t)tri[1] * 3], &part->positions[(size_t)tri[0] * 3], e1);
        sub3(&part->positions[(size_t)tri[2] * 3], &part->positions[(size_t)tri[0] * 3], e2);
        cross3(e1, e2, n);
        if (dot3(n, n) < MIN_AREA_SQUARED) continue;
        for (int k = 0; k < 3; k++) part->triangles[(size_t)kept * 3 + k] = tri[k];
        kept++;
    }
    int removed = part->triangle_count - kept;
    part->triangle_count = kept;
    part->triangles.resize((size_t)kept * 3);
    return removed;
}

// Largest texture-coordinate change per foot over edges of at least 1/16 ft.
static void compute_density(ModelPart* part) {
    part->density_u = part->density_v = 0;
    for (int t = 0; t < part->triangle_count; t++) {
        const int* tri = &part->triangles[(size_t)t * 3];
        for (int e = 0; e < 3; e++) {
            int a = tri[e], b = tri[(e + 1) % 3];
            float d[3];
            sub3(&part->positions[(size_t)b * 3], &part->positions[(size_t)a * 3], d);
            float length = sqrtf(dot3(d, d));
            if (length < 1.0f / 16) continue;
            part->density_u = std::max(part->density_u, fabsf(part->uvs[(size_t)b * 2] - part->uvs[(size_t)a * 2]) / length);
            part->density_v =
                std::max(part->density_v, fabsf(part->uvs[(size_t)b * 2 + 1] - part->uvs[(size_t)a * 2 + 1]) / length);
        }
    }
}

// The rest half of positions, normals and tangents of a skinned part.
static void copy_rest_half(ModelPart* part) {
    size_t half = (size_t)part->vertex_count * 3;
    std::copy_n(part->positions.begin(), half, part->positions.begin() + (ptrdiff_t)half);
    std::copy_n(part->normals.begin(), half, part->normals.begin() + (ptrdiff_t)half);
    std::copy_n(part->tangents.begin(), half, part->tangents.begin() + (ptrdiff_t)half);
}

// "JM" followed by a number: the version; 0 when the text is plain format.
static int jm_version(TextCursor* c) {
    TextCursor probe = *c;
    const char* start;
    size_t length;
    if (!text_token(&probe, &start, &length) || length < 2 || strncmp(start, "JM", 2) != 0) return 0;
    int version;
    if (length == 2) {
        if (!text_int(&probe, &version)) return 0;
    } else {
        char digits[16];
        if (length - 2 >= sizeof digits) return 0;
        memcpy(digits, start + 2, length - 2);
        TextCursor number = {digits, digits + (length - 2)};
        if (!text_int(&number, &version)) return 0;
    }
    *c = probe;
    return version == 0 ? -1 : version;
}

Model* parse_model(const char* text, size_t size, const char* name) {
    TextCursor c = {text, text + size};
    int version = jm_version(&c);
    bool plain = version == 0;
    int bones = 0;
    if (!plain) {
        if (version != 1 && version != 2) return nullptr;
        if (version == 2) {
            const char* unused;
            size_t length;
            if (!text_int(&c, &bones) || bones < 0 || bones > MAX_BONES || !text_token(&c, &unused, &length))
                return nullptr;
        }
    }
    Model* model = new Model();
    model->name = name;
    model->is_plain = plain;
    for (;;) {
        ModelPart part{};
        if (!read_part(&c, plain, bones, name, &part)) break;
        model->parts.push_back(std::move(part));
        if (plain) break;
    }
    if (model->parts.empty()) {
        delete model;
        return nullptr;
    }
    int removed = 0;
    for (ModelPart& part : model->parts) {
        compute_tangents(&part);
        if (part.bone_count > 0) copy_rest_half(&part);
        removed += remove_degenerate(&part);
        compute_density(&part);
        model->density_u = std::max(model->density_u, part.density_u);
        model->density_v = std::max(model->density_v, part.density_v);
        if (part.shininess == MODEL_ENVIRONMENT) model->has_environment = true;
    }
    if (removed > 0) model_say("%d degenerate triangles deleted in %.100s", removed, name);
    return model;
}

Model* read_model_file(const char* name) {
    size_t size = 0;
    char* text = file_to_buffer(name, &size);
    if (!text) return nullptr;
    Model* model = parse_model(text, size, name);
    mem_free(text);
    return model;
}

void model_free(Model* model) {
    if (!model) return;
    for (ModelPart& part : model->parts)
        if (part.display_list) glDeleteLists(part.display_list, 1);
    for (ModelLod& lod : model->lods) model_free(lod.model);
    delete model;
}

// ---- registry and level of detail ------------------------------------

static void refresh_generation(Model* model) {
    if (model->generation != 0) model->generation = texture_generation();
}

// "@stem.ext" has level-of-detail files "stem_lod<x>..." in the data index.
static void collect_lods(Model* model) {
    const char* name = model->name.c_str();
    if (name[0] != '@') return;
    std::string stem = name + 1;
    size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.resize(dot);
    stem += "_lod";
    std::vector<std::string> seen;
    for (const char* const* list = file_list(); list && *list; list++) {
        const char* file = *list;
        if (strncasecmp(file, stem.c_str(), stem.size()) != 0) continue;
        const char* digits = file + stem.size();
        size_t count = strspn(digits, "0123456789");
        if (count == 0 || count > 2 || (digits[count] != '\0' && digits[count] != '.')) continue;
        std::string lod_name = std::string("@") + file;
        if (lod_name.size() > 3 && strcasecmp(lod_name.c_str() + lod_name.size() - 3, ".gz") == 0)
            lod_name.resize(lod_name.size() - 3);
        if (std::find(seen.begin(), seen.end(), lod_name) != seen.end()) continue;
        seen.push_back(lod_name);
        Model* lod = read_model_file(lod_name.c_str());
        if (!lod) continue;
        lod->generation = model->generation;
        model->lods.push_back(ModelLod{ldexpf(1.0f, atoi(digits)), lod});
    }
    std::stable_sort(model->lods.begin(), model->lods.end(),
                     [](const ModelLod& a, const ModelLod& b) { return a.distance < b.distance; });
}

Model* load_model(const char* name) {
    for (Model* m : models)
        if (m->name == name) {
            refresh_generation(m);
            return m;
        }
    for (Model* m : models)
        if (strcasecmp(m->name.c_str(), name) == 0) {
            model_say("Warning: case mismatch on '%.900s'", name);
            refresh_generation(m);
            return m;
        }
    Model* model = read_model_file(name);
    if (!model) return nullptr;
    model->generation = texture_generation();
    collect_lods(model);
    models.push_back(model);
    return model;
}

void delete_unused_models(bool all) {
    int current = texture_generation();
    for (size_t i = models.size(); i-- > 0;) {
        Model* m = models[i];
        if (!all && (m->generation == 0 || m->generation == current)) continue;
        if (render_options().debug_level >= 1) model_say("deleting model %.900s", m->name.c_str());
        model_free(m);
        models.erase(models.begin() + (ptrdiff_t)i);
    }
    if (all) models = std::vector<Model*>();
}

int model_count() { return (int)models.size(); }

const Model* choose_model_lod(const Model* model, const float position[3], const float eye[3]) {
    const RenderOptions& r = render_options();
    float d[3];
    sub3(position, eye, d);
    float reach = dot3(d, d) * r.lod_scale * r.lod_scale;
    const Model* choice = model;
    for (const ModelLod& lod : model->lods) {
        float beyond = lod.distance - r.lod_bias;
        if (!(beyond > 0 && beyond * beyond > reach)) choice = lod.model;
    }
    return choice;
}
