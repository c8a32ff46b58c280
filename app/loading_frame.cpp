// Drawing of loading frames in window pixels with the fixed-function
// pipeline; the GL state it changes is restored before it returns.
#include "app/loading_frame.h"

#include <stdio.h>

#include <GL/gl.h>
#include <math.h>

#include "base/num.h"
#include "platform/log.h"
#include "platform/platform.h"

static const double KEEP_ALIVE_INTERVAL = 0.0625;  // s between loading frames
static const int BAR_SEGMENTS = 32;
static const int SPOKES = 12;

static PlatformWindow* loading_window;
static double last_drawn = -1.0;
static unsigned step_counter;
static bool close_seen;
static char status_text[256];  // drawn once fonts exist

void loading_frame_begin(PlatformWindow* window) {
    loading_window = window;
    last_drawn = -1.0;
}

void loading_frame_end() {
    loading_window = nullptr;
}

static void draw_spinner(float cx, float cy, float radius, unsigned step) {
    int lead = (int)(step % SPOKES);
    glBegin(GL_LINES);
    for (int i = 0; i < SPOKES; i++) {
        // The leading spoke is brightest; the ones behind it fade.
        int behind = (lead - i + SPOKES) % SPOKES;
        float level = 1.0f - behind / (float)SPOKES;
        glColor3f(level, level, level);
        double a = 2 * PI * i / SPOKES;
        glVertex2f(cx + 0.45f * radius * (float)sin(a), cy - 0.45f * radius * (float)cos(a));
        glVertex2f(cx + radius * (float)sin(a), cy - radius * (float)cos(a));
    }
    glEnd();
}

static void draw_bar(float left, float top, float width, float height, unsigned bits) {
    float segment = width / BAR_SEGMENTS;
    glBegin(GL_QUADS);
    for (int i = 0; i < BAR_SEGMENTS; i++) {
        if (bits >> i & 1) glColor3f(0.95f, 0.75f, 0.2f);
        else glColor3f(0.25f, 0.25f, 0.25f);
        float x0 = left + i * segment + 1, x1 = left + (i + 1) * segment - 1;
        glVertex2f(x0, top);
        glVertex2f(x1, top);
        glVertex2f(x1, top + height);
        glVertex2f(x0, top + height);
    }
    glEnd();
}

static void draw_loading_frame() {
    last_drawn = platform_clock_seconds();
    step_counter++;
    platform_rect r;
    if (!loading_window || !begin_frame(loading_window, &r)) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, r.width, r.height, 0, -1, 1);  // y down, pixels
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, r.width, r.height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    float unit = (r.width < r.height ? r.width : r.height) / 16.0f;
    draw_spinner(r.width * 0.5f, r.height * 0.45f, unit, step_counter);
    float bar_width = r.width * 0.6f;
    draw_bar((r.width - bar_width) * 0.5f, r.height * 0.45f + 2 * unit, bar_width, unit * 0.4f,
             step_counter);  // segment i shows bit i of the counter
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    (void)end_frame(loading_window);  // a failed present shows in the next frame
}

static void drain_events() {
    int code;
    bool pressed;
    while (next_event(&code, &pressed))
        if (code == KEY_CLOSE && pressed) close_seen = true;
}

void loading_keep_alive() {
    drain_events();
    if (last_drawn < 0 || platform_clock_seconds() - last_drawn >= KEEP_ALIVE_INTERVAL)
        draw_loading_frame();
}

void loading_status(const char* text) {
    log("%s\n", text);
    loading_text(text);
}

void loading_text(const char* text) {
    snprintf(status_text, sizeof status_text, "%s", text);
    drain_events();
    draw_loading_frame();
}

const char* loading_current_text() { return status_text; }

bool loading_close_requested() {
    return close_seen;
}
