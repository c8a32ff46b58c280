// Drawing models: materials, display lists, vertex streams, immediate mode,
// CPU skinning, CPU environment mapping, render statistics and the POV-Ray
// export.
#include <GL/gl.h>
#include <GL/glext.h>
#include <math.h>

#include <algorithm>

#include "base/data_file.h"
#include "base/num.h"
#include "base/render_options.h"
#include "render/gl_ext.h"
#include "render/model.h"
#include "render/shader.h"

static float camera_position[3];
static bool reflections = true;
static ModelStats stats;
static std::vector<float> env_uvs;  // frame scratch for the CPU environment mapping

void set_model_camera(const float eye[3]) {
    for (int k = 0; k < 3; k++) camera_position[k] = eye[k];
}
void set_model_reflections(bool on) { reflections = on; }
ModelStats model_stats() { return stats; }
void reset_model_stats() { stats = ModelStats{}; }

bool model_has_environment(const Model* model) { return model && model->has_environment && reflections; }

// ---- skinning ------------------------------------------------------------

// out = R v with R given column by column.
static void rotate(const float* r, const float* v, float* out) {
    for (int i = 0; i < 3; i++) out[i] = r[i] * v[0] + r[3 + i] * v[1] + r[6 + i] * v[2];
}

static void normalise(float* v) {
    float length = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0)
        for (int k = 0; k < 3; k++) v[k] /= length;
}

void skin_model_part(ModelPart* part, const ModelBones& bones) {
    size_t half = (size_t)part->vertex_count * 3;
    if (part->bone_count == 0 || part->positions.size() < 2 * half) return;
    for (int i = 0; i < part->vertex_count; i++) {
        const float* x = &part->positions[half + (size_t)i * 3];
        const float* n = &part->normals[half + (size_t)i * 3];
        const float* t = &part->tangents[half + (size_t)i * 3];
        float p[3] = {0, 0, 0}, pn[3] = {0, 0, 0}, pt[3] = {0, 0, 0};
        for (int slot = 0; slot < 4; slot++) {
            float w = part->weights[(size_t)i * 4 + slot];
            int b = part->bone_indices[(size_t)i * 4 + slot];
            if (w <= 0 || b < 0 || b >= bones.count) continue;
            const float* r = bones.rotation[b];
            float local[3], turned[3];
            for (int k = 0; k < 3; k++) local[k] = x[k] - bones.rest[b][k];
            rotate(r, local, turned);
            for (int k = 0; k < 3; k++) p[k] += w * (bones.posed[b][k] + turned[k]);
            rotate(r, n, turned);
            for (int k = 0; k < 3; k++) pn[k] += w * turned[k];
            rotate(r, t, turned);
            for (int k = 0; k < 3; k++) pt[k] += w * turned[k];
        }
        normalise(pn);
        normalise(pt);
        for (int k = 0; k < 3; k++) {
            part->positions[(size_t)i * 3 + k] = p[k];
            part->normals[(size_t)i * 3 + k] = pn[k];
            part->tangents[(size_t)i * 3 + k] = pt[k];
        }
    }
}

// ---- sending triangles -----------------------------------------------------

static bool is_skinned(const ModelPart& part) { return part.bone_count > 0; }

// The halves of the arrays a draw streams: with shaders on, skinned parts
// send their rest pose (the card skins it), whatever the CPU last posed.
struct PartStreams {
    const float* positions;
    const float* normals;
    const float* tangents;
};
static PartStreams part_streams(const ModelPart& part) {
    size_t half = is_skinned(part) && shaders_active() ? (size_t)part.vertex_count * 3 : 0;
    return {part.positions.data() + half, part.normals.data() + half, part.tangents.data() + half};
}

// Corner by corner: tangent and bone attributes (shaders on), then normal,
// texture coordinate and position.
static void send_immediate(const ModelPart& part, const float* uvs) {
    const GlCaps& gl = gl_caps();
    bool attributes = shaders_active() && gl.multi_tex_coord_4f;
    PartStreams streams = part_streams(part);
    glBegin(GL_TRIANGLES);
    for (int index : part.triangles) {
        size_t i = (size_t)index;
        if (attributes) {
            const float* t = &streams.tangents[i * 3];
            gl.multi_tex_coord_4f(GL_TEXTURE1, t[0], t[1], t[2], 1);
            if (is_skinned(part)) {
                const float* w = &part.weights[i * 4];
                const int* b = &part.bone_indices[i * 4];
                gl.multi_tex_coord_4f(GL_TEXTURE2, w[0], w[1], w[2], w[3]);
                gl.multi_tex_coord_4f(GL_TEXTURE3, (float)b[0], (float)b[1], (float)b[2], (float)b[3]);
            }
        }
        glNormal3fv(&streams.normals[i * 3]);
        glTexCoord2fv(&uvs[i * 2]);
        glVertex3fv(&streams.positions[i * 3]);
    }
    glEnd();
}

static void unit_array(int unit, int size, GLenum type, const void* data) {
    const GlCaps& gl = gl_caps();
    gl.client_active_texture(GL_TEXTURE0 + unit);
    if (data) {
        glTexCoordPointer(size, type, 0, data);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
}

// One indexed draw of 32-bit triangle lists from the part's streams.
static void send_arrays(const ModelPart& part, const float* uvs) {
    const GlCaps& gl = gl_caps();
    bool attributes = shaders_active() && gl.client_active_texture;
    PartStreams streams = part_streams(part);
    glVertexPointer(3, GL_FLOAT, 0, streams.positions);
    glEnableClientState(GL_VERTEX_ARRAY);
    glNormalPointer(GL_FLOAT, 0, streams.normals);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (attributes) {
        unit_array(1, 3, GL_FLOAT, streams.tangents);
        if (is_skinned(part)) {
            unit_array(2, 4, GL_FLOAT, part.weights.data());
            unit_array(3, 4, GL_INT, part.bone_indices.data());
        }
        gl.client_active_texture(GL_TEXTURE0);
    }
    glTexCoordPointer(2, GL_FLOAT, 0, uvs);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDrawElements(GL_TRIANGLES, part.triangle_count * 3, GL_UNSIGNED_INT, part.triangles.data());
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (attributes) {
        unit_array(1, 0, GL_FLOAT, nullptr);
        if (is_skinned(part)) {
            unit_array(2, 0, GL_FLOAT, nullptr);
            unit_array(3, 0, GL_FLOAT, nullptr);
        }
        gl.client_active_texture(GL_TEXTURE0);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

static void send_part(const ModelPart& part, const float* uvs) {
    if (render_options().no_vertex_arrays) send_immediate(part, uvs);
    else send_arrays(part, uvs);
}

// Plain files always; JM parts with shaders on, or rigid and not self-lit or
// mirror-like. The others change every frame (CPU skinning, environment
// coordinates) or need their material around them.
static bool uses_display_list(const Model& model, const ModelPart& part) {
    return model.is_plain || shaders_active() || (part.bone_count == 0 && part.shininess >= 0);
}

static void draw_part(const Model& model, ModelPart* part) {
    if (part->triangle_count == 0) return;
    stats.triangles += part->triangle_count;
    stats.vertices += part->vertex_count;
    if (!uses_display_list(model, *part)) {
        send_part(*part, part->uvs.data());
        return;
    }
    if (!part->display_list) {
        part->display_list = glGenLists(1);
        if (!part->display_list) {
            send_part(*part, part->uvs.data());
            return;
        }
        glNewList(part->display_list, GL_COMPILE);
        send_part(*part, part->uvs.data());
        glEndList();
    }
    glCallList(part->display_list);
}

// ---- lit and self-lit parts ----------------------------------------------

static void set_bone_uniforms(const ModelBones* bones) {
    if (!shaders_active()) return;
    if (bones && bones->count > 0) set_bones(bones->count, bones->rest, bones->posed, bones->rotation);
    else set_bones(0, nullptr, nullptr, nullptr);
}

static bool skin_on_cpu(const ModelPart& part, const ModelBones* bones) {
    return !shaders_active() && bones && part.bone_count > 0 && part.bone_count == bones->count;
}

static Model* pick_lod(Model* model, const float position[3]) {
    return (Model*)choose_model_lod(model, position, camera_position);
}

void draw_model(Model* model, const float position[3], const ModelBones* bones) {
    if (!model) return;
    model = pick_lod(model, position);
    set_bone_uniforms(bones);
    static const float BLACK[4] = {0, 0, 0, 1}, WHITE[4] = {1, 1, 1, 1};
    for (ModelPart& part : model->parts) {
        if (part.shininess == MODEL_ENVIRONMENT) break;
        bool self_lit = part.shininess == MODEL_SELF_LIT;
        float saved_model_ambient[4], saved_light_ambient[4];
        if (self_lit) {
            glGetFloatv(GL_LIGHT_MODEL_AMBIENT, saved_model_ambient);
            glGetLightfv(GL_LIGHT0, GL_AMBIENT, saved_light_ambient);
            glLightModelfv(GL_LIGHT_MODEL_AMBIENT, BLACK);
            glLightfv(GL_LIGHT0, GL_AMBIENT, part.colour);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, BLACK);
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, BLACK);
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1);
        } else {
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, part.colour);
            // OpenGL refuses exponents above 128.
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(part.shininess, 0.125f, 128.0f));
        }
        if (skin_on_cpu(part, bones)) skin_model_part(&part, *bones);
        draw_part(*model, &part);
        if (self_lit) {
            glLightfv(GL_LIGHT0, GL_AMBIENT, saved_light_ambient);
            glLightModelfv(GL_LIGHT_MODEL_AMBIENT, saved_model_ambient);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, WHITE);
        }
    }
}

void draw_model_static(Model* model, const float position[3]) { draw_model(model, position, nullptr); }

// ---- environment-mapped parts --------------------------------------------

// Sphere-map coordinates of the view direction reflected at each vertex,
// turned into world space (y up).
static void environment_coordinates(const ModelPart& part, const float eye[3], const float position[3],
                                    const float r[9]) {
    env_uvs.resize((size_t)part.vertex_count * 2);
    float offset[3], local_eye[3];
    for (int k = 0; k < 3; k++) offset[k] = position[k] - eye[k];
    for (int j = 0; j < 3; j++) local_eye[j] = r[3 * j] * offset[0] + r[3 * j + 1] * offset[1] + r[3 * j + 2] * offset[2];
    const float TWO_PI = 2 * PI_F;
    for (int i = 0; i < part.vertex_count; i++) {
        const float* p = &part.positions[(size_t)i * 3];
        const float* n = &part.normals[(size_t)i * 3];
        float d[3], reflected[3], w[3];
        for (int k = 0; k < 3; k++) d[k] = local_eye[k] + p[k];
        float dn = d[0] * n[0] + d[1] * n[1] + d[2] * n[2];
        for (int k = 0; k < 3; k++) reflected[k] = d[k] - 2 * dn * n[k];
        rotate(r, reflected, w);
        normalise(w);
        float horizontal = sqrtf(w[0] * w[0] + w[2] * w[2]);
        float* uv = &env_uvs[(size_t)i * 2];
        if (horizontal < 1e-6f) {
            uv[0] = w[1] < 0 ? 1.0f : 0.5f;  // straight down lies on the rim, straight up at the centre
            uv[1] = 0.5f;
            continue;
        }
        float scale = acosf(std::clamp(w[1], -1.0f, 1.0f)) / TWO_PI / horizontal;
        uv[0] = 0.5f + w[0] * scale;
        uv[1] = 0.5f + w[2] * scale;
    }
}

void draw_model_environment(Model* model, const float eye[3], const float position[3], const float rotation[9],
                            const ModelBones* bones) {
    if (!model) return;
    model = (Model*)choose_model_lod(model, position, eye);
    if (!model->has_environment) return;
    set_bone_uniforms(bones);
    for (ModelPart& part : model->parts) {
        if (part.shininess != MODEL_ENVIRONMENT || part.triangle_count == 0) continue;
        glColor4f(part.colour[0] * part.colour[3], part.colour[1] * part.colour[3], part.colour[2] * part.colour[3], 1);
        if (skin_on_cpu(part, bones)) skin_model_part(&part, *bones);
        if (shaders_active()) {
            draw_part(*model, &part);
            continue;
        }
        environment_coordinates(part, eye, position, rotation);
        stats.triangles += part.triangle_count;
        stats.vertices += part.vertex_count;
        send_part(part, env_uvs.data());
    }
}

// ---- POV-Ray --------------------------------------------------------------

static void write_vectors(DataStream* f, const char* title, const float* values, int count, int size) {
    data_printf(f, "\t%s {\n", title);
    data_printf(f, "\t\t%d\n", count);
    for (int i = 0; i < count; i++) {
        const float* v = values + (size_t)i * size;
        const char* suffix = i + 1 < count ? "," : "";
        if (size == 3) data_printf(f, "\t\t<%f,%f,%f>%s\n", v[0], v[1], v[2], suffix);
        else data_printf(f, "\t\t<%f,%f>%s\n", v[0], v[1], suffix);
    }
    data_puts(f, "\t}\n");
}

bool export_povray(const Model* model, DataStream* f) {
    bool several = model->parts.size() > 1;
    if (several) data_puts(f, "union {\n");
    for (const ModelPart& part : model->parts) {
        data_puts(f, "mesh2 {\n");
        write_vectors(f, "vertex_vectors", part.positions.data(), part.vertex_count, 3);
        write_vectors(f, "normal_vectors", part.normals.data(), part.vertex_count, 3);
        write_vectors(f, "uv_vectors", part.uvs.data(), part.vertex_count, 2);
        data_puts(f, "\tface_indices {\n");
        data_printf(f, "\t\t%d\n", part.triangle_count);
        for (int t = 0; t < part.triangle_count; t++) {
            const int* tri = &part.triangles[(size_t)t * 3];
            data_printf(f, "\t\t<%d,%d,%d>%s\n", tri[0], tri[1], tri[2], t + 1 < part.triangle_count ? "," : "");
        }
        data_puts(f, "\t}\n");
        data_puts(f, "}\n");
    }
    if (several) data_puts(f, "}\n");
    return data_flush(f) && !data_error(f);
}
