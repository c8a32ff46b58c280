#include "render/shader.h"

#include <string.h>

#include "platform/log.h"
#include "render/gl_ext.h"

// Uniform locations are looked up on first use and cached.
enum Uniform { U_ENVMAT, U_NBONES, U_BONE_C, U_BONE_T, U_BONE_R, UNIFORM_COUNT };
static const char* const UNIFORM_NAMES[UNIFORM_COUNT] = {"envmat", "nbones", "bone_c", "bone_t", "bone_r"};

struct Program {
    GLhandleARB program, vertex, fragment;
    GLint uniforms[UNIFORM_COUNT];
    bool looked_up[UNIFORM_COUNT];
};

static const char* const NAMES[PROGRAM_COUNT] = {
    "fixed", "lit", "env", "norm_lit", "norm_env", "norm_spec_lit", "terrain_normals", "terrain",
};
// Sampler names per slot; each is bound to the unit of its position.
static const char* const SAMPLERS[PROGRAM_COUNT][3] = {
    {}, {"tex"}, {"tex"}, {"tex", "nmap"}, {"tex", "nmap"}, {"tex", "nmap", "smap"}, {"tex", "base"},
    {"tex", "nmap", "smap"},
};

static Program programs[PROGRAM_COUNT];
static bool active;
static int current;
static int switches;

const char* program_name(int slot) { return slot >= 0 && slot < PROGRAM_COUNT ? NAMES[slot] : "?"; }
bool shaders_active() { return active; }
int current_program() { return current; }
int program_switch_count() { return switches; }
void reset_program_switch_count() { switches = 0; }

// Prints a non-empty compile or link log as "%s for %s:\n%s\n".
static void print_log(GLhandleARB object, const char* what, const char* program) {
    const GlCaps& gl = gl_caps();
    GLint length = 0;
    gl.get_object_parameter_iv(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length <= 1) return;
    char text[4096];
    GLsizei got = 0;
    gl.get_info_log(object, (GLsizei)sizeof text, &got, text);
    text[got < (GLsizei)sizeof text ? got : (GLsizei)sizeof text - 1] = '\0';
    if (text[0]) log("%s for %s:\n%s\n", what, program, text);
}

static GLhandleARB compile_stage(GLenum kind, const char* source, const char* what, const char* program) {
    const GlCaps& gl = gl_caps();
    GLhandleARB shader = gl.create_shader_object(kind);
    if (!shader) return 0;
    gl.shader_source(shader, 1, &source, nullptr);
    gl.compile_shader(shader);
    print_log(shader, what, program);
    GLint ok = 0;
    gl.get_object_parameter_iv(shader, GL_OBJECT_COMPILE_STATUS_ARB, &ok);
    if (!ok) {
        gl.delete_object(shader);
        return 0;
    }
    return shader;
}

static bool build_program(int slot) {
    const GlCaps& gl = gl_caps();
    Program* p = &programs[slot];
    p->vertex = compile_stage(GL_VERTEX_SHADER_ARB, shader_vertex_source(slot), "vertex shader status", NAMES[slot]);
    p->fragment =
        compile_stage(GL_FRAGMENT_SHADER_ARB, shader_fragment_source(slot), "fragment shader status", NAMES[slot]);
    if (!p->vertex || !p->fragment) return false;
    p->program = gl.create_program_object();
    if (!p->program) return false;
    gl.attach_object(p->program, p->vertex);
    gl.attach_object(p->program, p->fragment);
    gl.link_program(p->program);
    print_log(p->program, "link status", NAMES[slot]);
    GLint ok = 0;
    gl.get_object_parameter_iv(p->program, GL_OBJECT_LINK_STATUS_ARB, &ok);
    if (!ok) return false;
    gl.use_program_object(p->program);
    for (int unit = 0; unit < 3 && SAMPLERS[slot][unit]; unit++) {
        GLint location = gl.get_uniform_location(p->program, SAMPLERS[slot][unit]);
        if (location >= 0) gl.uniform_1i(location, unit);
    }
    gl.use_program_object(0);
    return true;
}

void delete_shaders() {
    const GlCaps& gl = gl_caps();
    if (gl.use_program_object) gl.use_program_object(0);
    for (int slot = 1; slot < PROGRAM_COUNT; slot++) {
        Program* p = &programs[slot];
        if (gl.delete_object) {
            if (p->program) gl.delete_object(p->program);
            if (p->vertex) gl.delete_object(p->vertex);
            if (p->fragment) gl.delete_object(p->fragment);
        }
        *p = Program{};
    }
    active = false;
    current = 0;
}

bool build_shaders(bool use_shader) {
    const GlCaps& gl = gl_caps();
    delete_shaders();
    if (!use_shader || !gl.has_vertex_shader || !gl.has_fragment_shader || !gl.has_shader_objects ||
        gl.texture_units < 4)
        return false;
    for (int slot = 1; slot < PROGRAM_COUNT; slot++) {
        if (!build_program(slot)) {
            delete_shaders();
            return false;
        }
    }
    active = true;
    return true;
}

void use_program(int slot) {
    if (slot < 0 || slot >= PROGRAM_COUNT || slot == current) return;
    if (slot != 0 && !active) return;
    gl_caps().use_program_object(programs[slot].program);
    current = slot;
    switches++;
}

static GLint uniform_location(int slot, Uniform u) {
    Program* p = &programs[slot];
    if (!p->looked_up[u]) {
        p->uniforms[u] = gl_caps().get_uniform_location(p->program, UNIFORM_NAMES[u]);
        p->looked_up[u] = true;
    }
    return p->uniforms[u];
}

void set_shader_camera(const float camera[16]) {
    if (!active) return;
    // Column-major 3 x 3 of the camera's rotation, transposed.
    float envmat[9];
    for (int row = 0; row < 3; row++)
        for (int col = 0; col < 3; col++) envmat[col * 3 + row] = camera[row * 4 + col];
    const int slots[2] = {PROGRAM_ENV, PROGRAM_NORM_ENV};
    for (int slot : slots) {
        use_program(slot);
        GLint location = uniform_location(slot, U_ENVMAT);
        if (location >= 0) gl_caps().uniform_matrix_3fv(location, 1, GL_FALSE, envmat);
    }
    use_program(0);
}

void set_bones(int n, const float (*rest_centres)[3], const float (*posed_centres)[3],
               const float (*rotations)[9]) {
    if (!active || current == 0) return;
    n = n < 0 ? 0 : n > MAX_BONES ? MAX_BONES : n;
    const GlCaps& gl = gl_caps();
    GLint location = uniform_location(current, U_NBONES);
    if (location >= 0) gl.uniform_1i(location, n);
    if (n == 0) return;
    if ((location = uniform_location(current, U_BONE_C)) >= 0) gl.uniform_3fv(location, n, rest_centres[0]);
    if ((location = uniform_location(current, U_BONE_T)) >= 0) gl.uniform_3fv(location, n, posed_centres[0]);
    if ((location = uniform_location(current, U_BONE_R)) >= 0)
        gl.uniform_matrix_3fv(location, n, GL_FALSE, rotations[0]);
}
