#include "support/lit_scene.h"

#include <math.h>
#include <string.h>

#include "render/gl_ext.h"
#include "render/shader.h"
#include "support/gl_context.h"

LitSceneParams lit_scene_default_params() {
    LitSceneParams p = {};
    p.width = 64;
    p.height = 64;
    p.near_ft = 1;
    p.far_ft = 100;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    memcpy(p.view, identity, sizeof p.view);
    const float towards_viewer[4] = {0, 0, 1, 0}, white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1},
                grey[4] = {0.5f, 0.5f, 0.5f, 1}, black[4] = {0, 0, 0, 0};
    memcpy(p.light_position, towards_viewer, sizeof p.light_position);
    memcpy(p.light_diffuse, white, sizeof p.light_diffuse);
    memcpy(p.light_specular, none, sizeof p.light_specular);
    memcpy(p.light_ambient, none, sizeof p.light_ambient);
    memcpy(p.material_diffuse, grey, sizeof p.material_diffuse);
    memcpy(p.material_ambient, white, sizeof p.material_ambient);
    memcpy(p.background, black, sizeof p.background);
    return p;
}

bool lit_scene_open() {
    if (!test_gl_context()) return false;
    detect_gl(test_gl_proc_address);
    return true;
}

void lit_scene_begin(const LitSceneParams* p) {
    glViewport(0, 0, p->width, p->height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (p->half_fov_y > 0) {
        float half_h = p->near_ft * tanf(p->half_fov_y), half_w = half_h * p->width / p->height;
        glFrustum(-half_w, half_w, -half_h, half_h, p->near_ft, p->far_ft);
    } else {
        glOrtho(-1, 1, -1, 1, -1, 1);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(p->view);

    glClearColor(p->background[0], p->background[1], p->background[2], p->background[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (p->depth_test) glEnable(GL_DEPTH_TEST);
    else glDisable(GL_DEPTH_TEST);
    if (p->cull_faces) glEnable(GL_CULL_FACE);
    else glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);

    const float none[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, p->light_position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, p->light_diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, p->light_specular);
    glLightfv(GL_LIGHT0, GL_AMBIENT, p->light_ambient);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, p->material_diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, p->material_ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glFogf(GL_FOG_DENSITY, 0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

std::vector<unsigned char> lit_scene_pixels(int x, int y, int width, int height) {
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

void lit_scene_close() {
    use_program(PROGRAM_FIXED);
    delete_shaders();
}
