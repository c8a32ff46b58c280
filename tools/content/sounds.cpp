// Default engine sound definitions, one per catalogue class. Each tunes the
// exhaust resonance (pipe length falls with displacement), the rpm floor,
// the torque range that maps to engine load, and a little firing jitter
// (bias in rpm, scale as a factor) so that engines do not sound machine-made.
#include "tools/content/assets.h"

struct EngineSound {
    const char* file;
    const char* comment;
    float pipe_l1, pipe_l2, pipe_gain;
    float minrpm, lowtorque, hightorque;
    const char* bias;
    const char* scale;
};

static const EngineSound ENGINES[] = {
    {"default50.braap", "50 cc two-stroke: short pipe, high and thin", 1.4f, 0.25f, -0.7f, 1800, -2, 1.2f,
     "0 60 -40 20 -60 30", "1 1.01 0.99"},
    {"default125.braap", "125 cc two-stroke: crisp, revs hard", 1.75f, 0.3f, -0.75f, 1600, -3.5f, 3.5f,
     "0 45 -30 15 -45 25", "1 1.008 0.993 1.004"},
    {"default250.braap", "250 cc two-stroke: deeper pipe, strong mid-range", 2.2f, 0.4f, -0.78f, 1400, -4.5f, 5.5f,
     "0 35 -25 10 -35 20", "1 1.006 0.995 1.003"},
    {"default250f.braap", "250 cc four-stroke: buzzy single", 4.2f, 0.8f, -0.82f, 1300, -2.5f, 3,
     "0 25 -20 10 -15", "1 1.004 0.997"},
    {"default450f.braap", "450 cc four-stroke: long pipe, heavy thump", 5.5f, 0.95f, -0.88f, 1100, -4, 5,
     "0 40 -35 15 -30 20 -10", "1 1.01 0.985 1.005"},
};

void add_engine_sounds(ContentFiles* files) {
    for (const EngineSound& e : ENGINES) {
        std::string out = text_printf("# %s\n", e.comment);
        out += text_printf("pipe %g %g %g 0 15\n", e.pipe_l1, e.pipe_l2, e.pipe_gain);
        out += text_printf("minrpm %g\nlowtorque %g\nhightorque %g\n", e.minrpm, e.lowtorque, e.hightorque);
        out += text_printf("bias %s\nscale %s\n", e.bias, e.scale);
        content_add(files, e.file, out);
    }
}
