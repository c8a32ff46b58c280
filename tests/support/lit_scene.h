// A lit OpenGL scene for the drawing tests: the tests' hidden context with
// the render floor's entry points, a viewport and projection, one
// directional light over a plain material, and the pixels read back. The
// tests bind their own textures and programs between begin and read-back.
// Built on gl_context.h; needs rw_render (rw_test_support_render).
#pragma once
#include <vector>

struct LitSceneParams {
    int width, height;        // pixels of the viewport, from (0, 0)
    float half_fov_y;         // rad, half the vertical view angle; 0 = orthographic over x, y, z in [-1, 1]
    float near_ft, far_ft;    // clip planes of the perspective view
    float view[16];           // modelview in column order; the light is placed under it and it stays loaded
    float light_position[4];  // w = 0: the direction towards the light
    float light_diffuse[4], light_specular[4], light_ambient[4];
    float material_diffuse[4], material_ambient[4];
    float background[4];
    bool depth_test, cull_faces;
};

// 64 x 64 orthographic, identity view; a white light straight from the
// viewer (+z) with no ambient or specular part and no ambient light around
// it; a half-grey diffuse material; black background; no depth test or
// culling.
LitSceneParams lit_scene_default_params();

// True when the context is current and the GL entry points are known.
bool lit_scene_open();
// Sets the viewport, projection, view, light and material and clears colour
// and depth. Lighting and light 0 are on, fog is off (density 0: the
// programs always apply it), blending and alpha test are off, and textures
// on unit 0 modulate the lit colour.
void lit_scene_begin(const LitSceneParams* p);
// RGB, rows bottom-up, once the drawing has finished.
std::vector<unsigned char> lit_scene_pixels(int x, int y, int width, int height);
// Back to the fixed pipeline with no programs built.
void lit_scene_close();
