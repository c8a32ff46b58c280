// Texture files as tracks and bikes ship them, through the whole registry:
// images, ".seq" animations ("ANIM1") and "LINK" files naming another
// texture. The input holds the files "tex1", "tex2" and "tex3" of the home
// folder, cut by MARKER; "@tex1" is loaded, the animations are played for a
// few ticks and everything is deleted again. Needs an OpenGL context (an X
// display, or SDL's offscreen driver).
#include <stdio.h>

#include "base/messages.h"
#include "base/data_file.h"
#include "base/data_index.h"
#include "fuzz_support.h"
#include "render/gl_ext.h"
#include "render/texture.h"
#include "support/gl_context.h"

namespace {

const char* const MARKER = "\n==\n";

bool set_up()
{
    fuzz_home();
    fuzz_check(test_gl_context(), "no OpenGL context");
    detect_gl(test_gl_proc_address);
    set_message_sink([](const char*, void*) {}, nullptr);  // the player's messages are not checked here
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = set_up();
    (void)ready;
    std::vector<std::string> parts = fuzz_split(data, size, MARKER);
    const char* const files[] = {"tex1", "tex2", "tex3"};
    for (size_t p = 0; p < 3; p++) {
        std::string path = fuzz_user_folder() + files[p];
        if (p < parts.size())
            fuzz_write_file(path, parts[p]);
        else
            remove(path.c_str());
    }
    data_files_shutdown();  // the index sees this input's files
    begin_texture_generation();
    int tid = load_texture("@tex1");
    if (tid) {
        for (int tick = 0; tick < 40; tick += 7) update_animations(tick);
        int frame = animation_current_frame(tid);
        fuzz_check(frame >= -1, "an animation frame below -1");
        if (begin_custom_frame(tid)) {
            (void)paste_custom_frame(tid, frame < 0 ? 0 : frame, 0.25f, 0.5f, -0.5f, 0.75f, 2.0f, 0.5f);
            (void)end_custom_frame(tid);
        }
    }
    delete_unused_textures(true);
    return 0;
}
