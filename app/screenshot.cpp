// Screenshots and video frames.
#include "app/screenshot.h"

#include <stdio.h>

#include "base/alloc.h"
#include "base/messages.h"
#include "base/data_file.h"
#include "base/data_index.h"
#include "app/frame_loop.h"
#include "app/session.h"
#include "base/image.h"

int highest_screenshot_number(const char* const* names) {
    int highest = 0;
    for (int i = 0; names && names[i]; i++) {
        unsigned n;
        if (sscanf(names[i], "screenshot%u", &n) == 1 && n <= 999999 && (int)n > highest)
            highest = (int)n;
    }
    return highest;
}

bool take_screenshot(Session* session, const LoopPlatform* platform, int width, int height) {
    if (session->screenshot_counter == 0)
        session->screenshot_counter = highest_screenshot_number(file_list()) + 1;
    int number = session->screenshot_counter++;
    char name[64];
    snprintf(name, sizeof name, "screenshot%03d.png", number);
    bool saved = false;
    if (width > 0 && height > 0) {
        unsigned char* rgb = (unsigned char*)mem_alloc((size_t)width * height * 3);
        if (rgb && platform->read_pixels(platform->self, width, height, rgb)) {
            char data_name[80];
            snprintf(data_name, sizeof data_name, "@%s", name);
            saved = write_png(data_name, rgb, width, height);
        }
        mem_free(rgb);
    }
    if (saved)
        show_messagef("Saved \"%s\"", name);
    else
        show_messagef("Can't save \"%s\"", name);
    return saved;
}

bool write_ppm_frame(FILE* out, const unsigned char* rgb_bottom_up, int width, int height) {
    if (fprintf(out, "P6\n%d %d\n255\n", width, height) < 0) return false;
    size_t row = (size_t)width * 3;
    for (int y = height - 1; y >= 0; y--)
        if (fwrite(rgb_bottom_up + row * y, 1, row, out) != row) return false;
    return fflush(out) == 0;
}
