// The process-wide render parameters derived at start-up from the settings
// and overridden by the command line; read by the texture, terrain and model
// code. Written only by start-up (and the console's render toggles).
#pragma once

struct RenderOptions {
    int debug_level;            // 0, 1 with --debug, 2 with --super-debug
    bool plain_rendering;       // --fugly
    bool no_vertex_arrays;      // --novertexarrays
    bool practice;              // --practice
    int model_texture_skip;     // mip levels skipped for model textures, 0..10
    int ground_texture_skip;    // mip levels skipped for ground textures, 0..10
    int ground_texture_size;    // texels, 32..1024
    float terrain_detail;
    float detail_distance;      // ft
    float detail_fade_distance; // ft
    float lod_scale;
    float lod_bias;
    int roost_frequency;        // 0..1000
    bool use_shader;            // "Use Shader Programs"
    int texture_compress;       // "Compress Textures": 0 No, 1 Yes (when asked), 2 Always
};

const RenderOptions& render_options();
RenderOptions& render_options_for_startup();
