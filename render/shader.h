// The shader program table: slot 0 is the fixed-function pipeline, slots 1
// to 7 the GLSL programs ("lit", "env", "norm_lit", "norm_env",
// "norm_spec_lit", "terrain_normals", "terrain"), built once at start-up.
// Called by the model, bike and terrain drawing. Main thread, GL context
// current. Positions are in the model's units (ft).
#pragma once

enum ShaderSlot {
    PROGRAM_FIXED = 0,
    PROGRAM_LIT = 1,
    PROGRAM_ENV = 2,
    PROGRAM_NORM_LIT = 3,
    PROGRAM_NORM_ENV = 4,
    PROGRAM_NORM_SPEC_LIT = 5,
    PROGRAM_TERRAIN_NORMALS = 6,
    PROGRAM_TERRAIN = 7,
    PROGRAM_COUNT = 8,
    MAX_BONES = 32,
};

// Builds the seven programs when both shader extensions exist, `use_shader`
// is on and at least four texture units are there (call `detect_gl` first).
// On any compile or link failure every program and shader object is deleted
// and the fixed-function pipeline stays. True when the programs are in use.
[[nodiscard]] bool build_shaders(bool use_shader);
bool shaders_active();
const char* program_name(int slot);
// Deletes every program (shutdown); slot 0 is current afterwards.
void delete_shaders();

// Switches to `slot` when it differs from the current one and counts the
// switch. Slots above 7, and program slots while shaders are off, are ignored.
void use_program(int slot);
int current_program();
int program_switch_count();  // switches since the last reset
void reset_program_switch_count();

// Uploads "envmat", the transpose of the camera's 3 x 3 rotation, into "env"
// and "norm_env", then returns to slot 0. `camera` is the camera's modelview
// matrix in OpenGL's column order.
void set_shader_camera(const float camera[16]);

// For the current program: "nbones" = n and, when n > 0, the first n entries
// of "bone_c" (rest centres), "bone_t" (posed centres) and "bone_r" (3 x 3
// rotations in column order). n is clamped to 0..32; nothing happens in slot 0.
void set_bones(int n, const float (*rest_centres)[3], const float (*posed_centres)[3],
               const float (*rotations)[9]);

// The source texts of a slot's vertex and fragment stage (1..7).
const char* shader_vertex_source(int slot);
const char* shader_fragment_source(int slot);
