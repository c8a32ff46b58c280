#include "base/render_options.h"

static RenderOptions options = {
    .debug_level = 0,
    .plain_rendering = false,
    .no_vertex_arrays = false,
    .practice = false,
    .model_texture_skip = 0,
    .ground_texture_skip = 0,
    .ground_texture_size = 256,
    .terrain_detail = 1.0f,
    .detail_distance = 0.0f,
    .detail_fade_distance = 5.0f,
    .lod_scale = 1.0f,
    .lod_bias = 0.0f,
    .roost_frequency = 100,
    .use_shader = true,
    .texture_compress = 0,
};

const RenderOptions& render_options() { return options; }
RenderOptions& render_options_for_startup() { return options; }
