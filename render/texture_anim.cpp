// Animated textures from ".seq" files ("ANIM1"), their playback by display
// tick, and frames composed by track scripts.
#include <math.h>
#include <string.h>

#include <memory>

#include "base/image.h"
#include "render/mip.h"
#include "render/texture.h"
#include "render/texture_local.h"

struct AnimFrame {
    int width, height, bytes_per_pixel;
    std::vector<unsigned char> chain;
};

struct Animation {
    int tid;
    int ticks_per_step;
    bool loop;
    int start_tick;
    bool stopped;
    int current;                        // frame index now in the texture
    std::vector<int> sequence;          // frame indices, M entries
    std::vector<AnimFrame> frames;      // N frames, equal size and depth
    std::vector<unsigned char> custom;  // composition chain; empty until begun
};

static std::vector<std::unique_ptr<Animation>> animations;

// Limits on what a file may ask for; frames are at most 65536 pixels each.
static const int MAX_FRAMES = 1024;
static const int MAX_SEQUENCE = 65536;
static const int MAX_FRAME_PIXELS = 65536;
static const size_t MAX_ANIMATION_BYTES = (size_t)64 << 20;

static Animation* animation_of(int tid) {
    for (auto& a : animations)
        if (a->tid == tid) return a.get();
    return nullptr;
}

// A cursor over the file's text, line-aware for the "PNG name" frames.
struct SeqReader {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

static void skip_space(SeqReader* r) {
    while (r->pos < r->size && strchr(" \t\r\n", r->data[r->pos])) r->pos++;
}

static bool read_int(SeqReader* r, int* value) {
    skip_space(r);
    bool negative = r->pos < r->size && r->data[r->pos] == '-';
    if (negative) r->pos++;
    long v = 0;
    int digits = 0;
    while (r->pos < r->size && r->data[r->pos] >= '0' && r->data[r->pos] <= '9') {
        if (++digits > 9) return false;
        v = v * 10 + (r->data[r->pos++] - '0');
    }
    if (digits == 0) return false;
    *value = (int)(negative ? -v : v);
    return true;
}

// Rest of the current line without surrounding white space.
static std::string read_rest_of_line(SeqReader* r) {
    size_t start = r->pos;
    while (r->pos < r->size && r->data[r->pos] != '\n') r->pos++;
    std::string line((const char*)r->data + start, r->pos - start);
    size_t first = line.find_first_not_of(" \t\r");
    size_t last = line.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

// Mip chain, power-of-two sides, then whole levels dropped down to 65536 pixels.
static void prepare_frame(Image* image, AnimFrame* frame) {
    int w = image->width, h = image->height, bpp = image->bytes_per_pixel;
    round_to_power_of_two(&image->pixels, &w, &h, bpp);
    std::vector<unsigned char> chain = make_mip_chain(image->pixels.data(), w, h, bpp, false);
    size_t offset = 0;
    while ((long)w * h > MAX_FRAME_PIXELS) {
        offset += mip_level_bytes(w, h, bpp);
        w /= 2;
        h /= 2;
    }
    frame->width = w;
    frame->height = h;
    frame->bytes_per_pixel = bpp;
    frame->chain.assign(chain.begin() + (long)offset, chain.end());
}

// Reads frame `index`; false after showing the frame's error message.
static bool read_frame(SeqReader* r, int index, AnimFrame* frame) {
    skip_space(r);
    if (r->pos >= r->size) {
        texture_say("EOF while reading .seq");
        return false;
    }
    size_t token_start = r->pos;
    while (r->pos < r->size && !strchr(" \t\r\n", r->data[r->pos])) r->pos++;
    std::string token((const char*)r->data + token_start, r->pos - token_start);
    Image image;
    if (token == "J7") {
        size_t used = 0;
        const char* error;
        if (!decode_j6_j7_at(r->data + token_start, r->size - token_start, &used, &image, &error) ||
            image.bytes_per_pixel != 4) {
            texture_say("Error reading .seq frame %d", index);
            return false;
        }
        r->pos = token_start + used;
    } else if (token == "PNG") {
        std::string file = read_rest_of_line(r);
        std::vector<unsigned char> bytes;
        const char* error;
        if (file.empty() || !texture_read_file(file.c_str(), &bytes) ||
            !decode_png(bytes.data(), bytes.size(), &image, &error)) {
            texture_say("Can't read %.900s", file.c_str());
            return false;
        }
    } else {
        texture_say("Error reading .seq frame %d", index);
        return false;
    }
    prepare_frame(&image, frame);
    return true;
}

static bool read_header(SeqReader* r, int* frames, int* length, int* ticks, int* loop) {
    skip_space(r);
    r->pos += 5;  // "ANIM1", checked by the caller
    if (!read_int(r, frames) || !read_int(r, length) || !read_int(r, ticks) || !read_int(r, loop)) {
        texture_say("EOF while reading .seq");
        return false;
    }
    if (*frames <= 0 || *length <= 0 || *frames > MAX_FRAMES || *length > MAX_SEQUENCE) {
        texture_say("Error reading .seq: bad frame count %d or sequence length %d", *frames, *length);
        return false;
    }
    return true;
}

int load_animation(const char* name, const unsigned char* data, size_t size, int wrap_flags) {
    SeqReader r = {data, size, 0};
    int frame_count, length, ticks, loop;
    if (!read_header(&r, &frame_count, &length, &ticks, &loop)) return 0;
    auto anim = std::make_unique<Animation>();
    // A step of zero ticks would divide by zero; it plays one step per tick.
    anim->ticks_per_step = ticks > 0 ? ticks : 1;
    anim->loop = loop != 0;
    anim->sequence.resize((size_t)length);
    for (int i = 0; i < length; i++) {
        if (!read_int(&r, &anim->sequence[i])) {
            texture_say("EOF while reading .seq");
            return 0;
        }
        if (anim->sequence[i] < 0 || anim->sequence[i] >= frame_count) {
            texture_say("Error reading .seq: frame index %d out of range", anim->sequence[i]);
            return 0;
        }
    }
    anim->frames.resize((size_t)frame_count);
    size_t total_bytes = 0;
    for (int i = 0; i < frame_count; i++) {
        AnimFrame* f = &anim->frames[i];
        if (!read_frame(&r, i, f)) return 0;
        total_bytes += f->chain.size();
        if (total_bytes > MAX_ANIMATION_BYTES) {
            texture_say("Error reading .seq: frames exceed %d MB", (int)(MAX_ANIMATION_BYTES >> 20));
            return 0;
        }
        const AnimFrame& first = anim->frames[0];
        if (f->width != first.width || f->height != first.height) {
            texture_say("Width/height mismatch reading .seq");
            return 0;
        }
        if (f->bytes_per_pixel != first.bytes_per_pixel) {
            texture_say("Depth mismatch reading .seq");
            return 0;
        }
    }
    const AnimFrame& shown = anim->frames[anim->sequence[0]];
    size_t memory = 0;
    int tid = texture_create_named(name, shown.chain.data(), shown.width, shown.height, shown.bytes_per_pixel,
                                   wrap_flags, 0, false, &memory);
    if (tid == 0) return 0;
    texture_register(tid, name, memory, nullptr);
    anim->tid = tid;
    anim->current = anim->sequence[0];
    animations.push_back(std::move(anim));
    return tid;
}

void update_animations(int tick) {
    for (auto& a : animations) {
        if (a->stopped) continue;
        int step = (tick > a->start_tick ? tick - a->start_tick : 0) / a->ticks_per_step;
        int length = (int)a->sequence.size();
        step = a->loop ? step % length : (step < length - 1 ? step : length - 1);
        int frame = a->sequence[step];
        if (frame == a->current) continue;
        const AnimFrame& f = a->frames[frame];
        texture_reupload(a->tid, f.chain.data(), f.width, f.height, f.bytes_per_pixel);
        a->current = frame;
    }
}

void restart_animation(int tid, int tick) {
    if (Animation* a = animation_of(tid)) {
        a->start_tick = tick;
        a->stopped = false;
    }
}

void stop_animation(int tid) {
    if (Animation* a = animation_of(tid)) a->stopped = true;
}

int animation_current_frame(int tid) {
    Animation* a = animation_of(tid);
    return a ? a->current : -1;
}

void delete_orphan_animations(bool all) {
    for (size_t i = animations.size(); i-- > 0;) {
        if (!all && texture_registered(animations[i]->tid)) continue;
        if (texture_verbose()) texture_say("deleting anim %d for tid %d", (int)i, animations[i]->tid);
        animations.erase(animations.begin() + (long)i);
    }
    if (all) animations.shrink_to_fit();
}

// ---- custom frames ---------------------------------------------------------

bool begin_custom_frame(int tid) {
    Animation* a = animation_of(tid);
    if (!a) return false;
    const AnimFrame& f = a->frames[0];
    if (a->custom.empty()) a->custom.resize(mip_chain_bytes(f.width, f.height, f.bytes_per_pixel));
    memset(a->custom.data(), 0, mip_level_bytes(f.width, f.height, f.bytes_per_pixel));
    return true;
}

// Pixel start of a fraction of `size`: ceil(fraction * size - 0.5), kept
// within a range that cannot overflow.
static long pixel_start(float fraction, int size) {
    double v = ceil((double)fraction * size - 0.5);
    if (!(v > -1e9)) return -1000000000L;  // also NaN
    return v > 1e9 ? 1000000000L : (long)v;
}

static long pixel_length(float fraction, int size) {
    double v = floor((double)fraction * size);
    if (!(v > 0)) return 0;
    return v > 1e9 ? 1000000000L : (long)v;
}

// Clips one axis: shifts both starts past negative values and limits the
// length to what fits; false when nothing is left.
static bool clip_axis(long* source, long* dest, long* length, int size) {
    long shift = *source < 0 ? -*source : 0;
    if (*dest + shift < 0) shift = -*dest;
    *source += shift;
    *dest += shift;
    *length -= shift;
    long room = size - (*source > *dest ? *source : *dest);
    if (*length > room) *length = room;
    return *length > 0;
}

bool paste_custom_frame(int tid, int frame, float sx, float sy, float dx, float dy, float w, float h) {
    Animation* a = animation_of(tid);
    if (!a || frame < 0 || frame >= (int)a->frames.size()) return false;
    if (a->custom.empty()) return false;
    const AnimFrame& f = a->frames[frame];
    int W = f.width, H = f.height, bpp = f.bytes_per_pixel;
    long src_x = pixel_start(sx, W), dst_x = pixel_start(dx, W), cols = pixel_length(w, W);
    long src_y = pixel_start(sy, H), dst_y = pixel_start(dy, H), rows = pixel_length(h, H);
    if (!clip_axis(&src_x, &dst_x, &cols, W) || !clip_axis(&src_y, &dst_y, &rows, H)) return true;
    for (long y = 0; y < rows; y++) {
        const unsigned char* src = f.chain.data() + ((size_t)(src_y + y) * W + src_x) * bpp;
        unsigned char* dst = a->custom.data() + ((size_t)(dst_y + y) * W + dst_x) * bpp;
        if (bpp == 3) {
            memcpy(dst, src, (size_t)cols * 3);
            continue;
        }
        for (long x = 0; x < cols; x++) composite_over(dst + x * 4, src + x * 4);
    }
    return true;
}

bool end_custom_frame(int tid) {
    Animation* a = animation_of(tid);
    if (!a || a->custom.empty()) return false;
    const AnimFrame& f = a->frames[0];
    build_mip_chain(a->custom.data(), f.width, f.height, f.bytes_per_pixel, false);
    texture_reupload(a->tid, a->custom.data(), f.width, f.height, f.bytes_per_pixel);
    return true;
}
