// Triangle-mesh models read from ".jm" text files: loading (plain, JM1, JM2
// with bone weights), tangents, degenerate-triangle removal, the registry by
// name with track generations and level-of-detail chains, drawing (display
// lists, vertex arrays or immediate mode; CPU skinning and CPU environment
// mapping when shaders are off) and the POV-Ray export. Used by the bike and
// rider drawing, statues, the start gate and the track editor. Loading needs
// no GL context; drawing and deletion do. Units are the model's (ft).
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

struct DataStream;

// Material modes by shininess s.
constexpr float MODEL_ENVIRONMENT = -1.0f;  // mirror-like, drawn in the environment pass
constexpr float MODEL_SELF_LIT = -2.0f;

// A mesh with one material. Arrays with bones hold two halves: the first is
// the skinned (drawn) pose, the second the rest pose from the file.
struct ModelPart {
    int vertex_count;
    int triangle_count;
    std::vector<float> positions;    // 3V, or 6V with bones
    std::vector<float> normals;      // 3V, or 6V with bones
    std::vector<float> uvs;          // 2V; v is 1 - v of the file
    std::vector<float> tangents;     // 3V, or 6V with bones; unit length
    std::vector<float> weights;      // 4V with bones: four slots summing to 1
    std::vector<int> bone_indices;   // 4V with bones
    std::vector<int> triangles;      // 3T, every index in 0..V-1
    float shininess;                 // s: MODEL_ENVIRONMENT, MODEL_SELF_LIT or a lit exponent
    float colour[4];                 // specular (lit) or emitted (self-lit) colour; a = 1 when s >= 0
    int bone_count;                  // 0 for unskinned parts
    unsigned display_list;           // GL list, made on the first draw that may use one; 0 = none
    float density_u, density_v;      // largest |du| and |dv| per ft of edge
};

struct Model;

struct ModelLod {
    float distance;  // ft; 2^x for a file named "..._lodx"
    Model* model;    // owned
};

struct Model {
    std::vector<ModelPart> parts;  // file order
    std::string name;              // the name it was loaded under
    int generation;                // track generation of last use; 0 = permanent
    bool is_plain;                 // plain-format file: one lit part, always a display list
    bool has_environment;          // any part with s = MODEL_ENVIRONMENT
    float density_u, density_v;    // maxima over the parts
    std::vector<ModelLod> lods;    // by increasing distance
};

// Bone data for skinned drawing: rest centres, posed centres and posed
// rotations (3 x 3, column by column: element (i, j) at 3j + i), in bone order.
struct ModelBones {
    int count;
    const float (*rest)[3];
    const float (*posed)[3];
    const float (*rotation)[9];
};

// Parses a model file's text. `name` is used in messages only. Null when
// the header or the first part cannot be read; a later damaged part ends the
// part list. Shows the more-than-4-influences and degenerate-triangle
// messages. No level-of-detail files are looked for. Free with `model_free`.
[[nodiscard]] Model* parse_model(const char* text, size_t size, const char* name);
// Reads and parses a data file (no registry, no level of detail).
[[nodiscard]] Model* read_model_file(const char* name);
void model_free(Model* model);

// The registered model of that name (refreshing its generation), or the file
// loaded, registered under the current track generation and given its
// level-of-detail files. Null when it cannot be loaded; the caller reports
// "Warning: Can't load %.900s".
[[nodiscard]] Model* load_model(const char* name);
// Deletes the models of older track generations (all of them with `all`, at
// exit), with their display lists and level-of-detail models. GL context
// current when any display list was made.
void delete_unused_models(bool all);
int model_count();  // registered models

// Level of detail for a camera at `eye` and the model at `position`, from
// the render options' model-detail scale and bias.
const Model* choose_model_lod(const Model* model, const float position[3], const float eye[3]);

// The camera position the level of detail of `draw_model` is measured from
// (set by the frame renderer once per frame).
void set_model_camera(const float eye[3]);
// The "reflections" setting; on until set.
void set_model_reflections(bool on);

// Lit and self-lit parts, in file order up to the first environment-mapped
// part, under the current modelview. `position` (world, ft) picks the level
// of detail. With bones and shaders off, parts with that many bones are
// skinned on the CPU; with shaders on the bone uniforms are set.
void draw_model(Model* model, const float position[3], const ModelBones* bones);
void draw_model_static(Model* model, const float position[3]);
// The environment-mapped parts: `eye` and `position` in world feet,
// `rotation` the model's 3 x 3 rotation to world (column by column).
void draw_model_environment(Model* model, const float eye[3], const float position[3], const float rotation[9],
                            const ModelBones* bones);
bool model_has_environment(const Model* model);

// Poses a skinned part's first half from its rest half.
void skin_model_part(ModelPart* part, const ModelBones& bones);

// Counters of what the drawing sent this frame (render statistics).
struct ModelStats {
    int triangles;
    int vertices;
};
ModelStats model_stats();
void reset_model_stats();

// POV-Ray "mesh2" text of every part ("union" around several). False when a
// write failed.
[[nodiscard]] bool export_povray(const Model* model, DataStream* file);
