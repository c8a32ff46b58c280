// Screenshots ("@screenshot%03d.png" in the home folder) and the video
// recording stream (binary PPM frames on standard output). The pixels come
// from the frame loop's read-back, bottom row first as the GL delivers them.
#pragma once
#include <stdio.h>

struct Session;
struct LoopPlatform;

// The highest n of the names that begin "screenshot%u" (any extension) in a
// null-terminated list; 0 when there is none.
int highest_screenshot_number(const char* const* names);
// Reads the frame back and writes the next numbered screenshot; shows
// "Saved \"screenshot%03d.png\"" only when the file was written. The first
// call of a session numbers after the highest screenshot in the data index.
bool take_screenshot(Session* session, const LoopPlatform* platform, int width, int height);
// One frame as "P6\n%d %d\n255\n" and the rows top to bottom.
[[nodiscard]] bool write_ppm_frame(FILE* out, const unsigned char* rgb_bottom_up, int width,
                                   int height);
