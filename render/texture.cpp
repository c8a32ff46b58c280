// The named-texture registry: loading by name, links, generations, creation
// with detail and redundancy reduction, and the OpenGL upload.
#include "render/texture.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <memory>

#include "base/messages.h"
#include "base/render_options.h"
#include "render/gl_ext.h"
#include "base/image.h"
#include "render/mip.h"
#include "render/texture_local.h"

struct TextureRecord {
    int tid;
    int generation;      // track generation of last use; 0 = permanent
    size_t memory;       // bytes charged
    bool has_info;
    std::string info;
    std::string name;
};

struct LinkRecord {
    std::string file;    // the name that turned out to be a link
    std::string target;  // the registered name of the texture it designates
};

static std::vector<std::unique_ptr<TextureRecord>> textures;  // load order
static std::vector<LinkRecord> links;
static int generation;
static size_t memory_total;

// Link files may name further links; deeper chains are refused.
static const int MAX_LINK_DEPTH = 16;

void texture_say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    show_messagev(format, args);
    va_end(args);
}

bool texture_verbose() { return render_options().debug_level >= 1; }

bool texture_read_file(const char* name, std::vector<unsigned char>* bytes) {
    return read_data_file_bytes(name, bytes);
}

int texture_wrap_flags(const char* name) {
    if (strstr(name, "-repeat.")) return TEXTURE_HREPEAT | TEXTURE_VREPEAT;
    int flags = 0;
    if (strstr(name, "-hrepeat.")) flags |= TEXTURE_HREPEAT;
    if (strstr(name, "-vrepeat.")) flags |= TEXTURE_VREPEAT;
    return flags;
}

// ---- registry ----------------------------------------------------------

static TextureRecord* record_of(int tid) {
    for (auto& r : textures)
        if (r->tid == tid) return r.get();
    return nullptr;
}

bool texture_registered(int tid) { return tid != 0 && record_of(tid) != nullptr; }

void texture_register(int tid, const char* name, size_t memory, const std::string* info) {
    auto r = std::make_unique<TextureRecord>();
    r->tid = tid;
    r->generation = generation;
    r->memory = memory;
    r->has_info = info != nullptr;
    if (info) r->info = *info;
    r->name = name;
    textures.push_back(std::move(r));
}

int find_texture(const char* name) {
    for (auto& r : textures)
        if (r->name == name) return r->tid;
    for (auto& r : textures) {
        if (strcasecmp(r->name.c_str(), name) == 0) {
            texture_say("Warning: case mismatch on '%.900s'", name);
            return r->tid;
        }
    }
    return 0;
}

const char* texture_name(int tid) {
    TextureRecord* r = record_of(tid);
    return r ? r->name.c_str() : nullptr;
}

const char* texture_info(int tid) {
    TextureRecord* r = record_of(tid);
    return r && r->has_info ? r->info.c_str() : nullptr;
}

size_t texture_memory(int tid) {
    TextureRecord* r = record_of(tid);
    return r ? r->memory : 0;
}

void begin_texture_generation() {
    generation++;
    memory_total = 0;
}

int texture_generation() { return generation; }
size_t texture_memory_total() { return memory_total; }

static bool is_old(int record_generation, bool all) {
    return all || (record_generation != 0 && record_generation != generation);
}

void delete_unused_textures(bool all) {
    for (size_t i = textures.size(); i-- > 0;) {
        TextureRecord* r = textures[i].get();
        if (!is_old(r->generation, all)) continue;
        if (texture_verbose()) texture_say("deleting tid %d (%.900s)", r->tid, r->name.c_str());
        GLuint tid = (GLuint)r->tid;
        glDeleteTextures(1, &tid);
        textures.erase(textures.begin() + (long)i);
    }
    delete_unused_images(all);
    delete_orphan_animations(all);
    if (all) {
        textures.clear();
        textures.shrink_to_fit();
        links.clear();
        links.shrink_to_fit();
    }
}

// ---- upload --------------------------------------------------------------

// Sets wrap mode on one axis; false when clamp-to-edge is refused (plain
// clamp stays then).
static bool set_wrap(GLenum axis, bool repeat) {
    if (repeat) {
        glTexParameteri(GL_TEXTURE_2D, axis, GL_REPEAT);
        return true;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    glTexParameteri(GL_TEXTURE_2D, axis, GL_CLAMP_TO_EDGE);
    if (glGetError() == GL_NO_ERROR) return true;
    glTexParameteri(GL_TEXTURE_2D, axis, GL_CLAMP);
    return false;
}

// Uploads `levels` levels (all down to 1 x 1 when 0) from `chain`, whose
// first level is width x height. Returns the bytes charged.
static size_t upload_levels(const unsigned char* chain, int width, int height, int bytes_per_pixel, bool compress,
                            bool single_level) {
    GLenum format = bytes_per_pixel == 4 ? GL_RGBA : GL_RGB;
    GLenum internal = compress ? (bytes_per_pixel == 4 ? GL_COMPRESSED_RGBA_ARB : GL_COMPRESSED_RGB_ARB) : format;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    size_t memory = 0;
    for (int level = 0;; level++) {
        glTexImage2D(GL_TEXTURE_2D, level, (GLint)internal, width, height, 0, format, GL_UNSIGNED_BYTE, chain);
        GLint compressed = 0, size = 0;
        if (compress) glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_COMPRESSED_ARB, &compressed);
        if (compressed) glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE_ARB, &size);
        memory += compressed ? (size_t)size : mip_level_bytes(width, height, bytes_per_pixel);
        if (single_level || (width == 1 && height == 1)) break;
        chain += mip_level_bytes(width, height, bytes_per_pixel);
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
    return memory;
}

static int upload(const unsigned char* chain, int width, int height, int bytes_per_pixel, int flags, size_t* memory) {
    GLuint tid = 0;
    glGenTextures(1, &tid);
    if (tid == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, tid);
    bool edge_ok = set_wrap(GL_TEXTURE_WRAP_S, flags & TEXTURE_HREPEAT);
    edge_ok &= set_wrap(GL_TEXTURE_WRAP_T, flags & TEXTURE_VREPEAT);
    bool mipmaps = !(flags & TEXTURE_NO_MIPMAP);
    GLint min_filter = mipmaps ? (edge_ok ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST)
                               : (edge_ok ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    float border[4];
    mip_border_colour(chain, width, height, bytes_per_pixel, border);
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    bool compress = (flags & TEXTURE_COMPRESS) && gl_caps().major >= 2;
    *memory += upload_levels(chain, width, height, bytes_per_pixel, compress, !mipmaps);
    glBindTexture(GL_TEXTURE_2D, 0);
    return (int)tid;
}

void texture_reupload(int tid, const unsigned char* chain, int width, int height, int bytes_per_pixel) {
    glBindTexture(GL_TEXTURE_2D, (GLuint)tid);
    (void)upload_levels(chain, width, height, bytes_per_pixel, false, false);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// ---- creation ------------------------------------------------------------

void round_to_power_of_two(std::vector<unsigned char>* pixels, int* width, int* height, int bytes_per_pixel) {
    if (is_power_of_two(*width) && is_power_of_two(*height)) return;
    int w = round_down_to_power_of_two(*width), h = round_down_to_power_of_two(*height);
    *pixels = resample_nearest(pixels->data(), *width, *height, bytes_per_pixel, w, h);
    *width = w;
    *height = h;
}

static int half(int n) { return n > 1 ? n / 2 : 1; }

int texture_create_named(const char* name, const unsigned char* chain, int width, int height, int bytes_per_pixel,
                         int flags, int reduction, bool max_alpha, size_t* memory) {
    if (width <= 0 || height <= 0 || (bytes_per_pixel != 3 && bytes_per_pixel != 4)) return 0;
    bool single = flags & TEXTURE_NO_MIPMAP;
    if (!is_power_of_two(width) || !is_power_of_two(height)) {
        std::vector<unsigned char> level(chain, chain + mip_level_bytes(width, height, bytes_per_pixel));
        round_to_power_of_two(&level, &width, &height, bytes_per_pixel);
        if (single) return texture_create_named(name, level.data(), width, height, bytes_per_pixel, flags, 0,
                                                max_alpha, memory);
        std::vector<unsigned char> rebuilt = make_mip_chain(level.data(), width, height, bytes_per_pixel, max_alpha);
        return texture_create_named(name, rebuilt.data(), width, height, bytes_per_pixel, flags, reduction, max_alpha,
                                    memory);
    }
    if (single || (width <= 16 && height <= 16)) return upload(chain, width, height, bytes_per_pixel, flags, memory);

    const int original_width = width, original_height = height;
    const unsigned char* level = chain;
    auto drop_level = [&]() {
        level += mip_level_bytes(width, height, bytes_per_pixel);
        width = half(width);
        height = half(height);
    };
    // Detail: at most `reduction` levels, never below 128 on either side.
    if (reduction > 0 && width > 128 && height > 128) {
        for (int dropped = 0; dropped < reduction && width / 2 >= 128 && height / 2 >= 128; dropped++) drop_level();
    }
    // Redundancy: levels that the next smaller one predicts within 4.
    bool reduced = false;
    while (width > 1 || height > 1) {
        const unsigned char* smaller = level + mip_level_bytes(width, height, bytes_per_pixel);
        if (!mip_level_is_redundant(level, width, height, smaller, bytes_per_pixel)) break;
        bool small = width <= 33 && height <= 33;
        drop_level();
        reduced = true;
        if (small) break;
    }
    if (reduced)
        texture_say("%.64s reduced to %dx%d (originally %dx%d)", name, width, height, original_width, original_height);
    return upload(level, width, height, bytes_per_pixel, flags, memory);
}

int create_texture(const unsigned char* chain, int width, int height, int bytes_per_pixel, int flags) {
    size_t memory = 0;
    int tid = texture_create_named("texture", chain, width, height, bytes_per_pixel, flags, 0, false, &memory);
    memory_total += memory;
    return tid;
}

int create_clamped_texture(const unsigned char* chain, int width, int height, int bytes_per_pixel) {
    return create_texture(chain, width, height, bytes_per_pixel, 0);
}

int create_single_level_texture(const unsigned char* pixels, int width, int height, int bytes_per_pixel) {
    return create_texture(pixels, width, height, bytes_per_pixel, TEXTURE_NO_MIPMAP);
}

// ---- loading by name -------------------------------------------------------

bool texture_decode(const char* name, const std::vector<unsigned char>& bytes, Image* out, bool* is_png) {
    const char* error = nullptr;
    std::string token = image_file_token(bytes.data(), bytes.size());
    *is_png = false;
    if (token == "J7" || token == "J6") return decode_j6_j7(bytes.data(), bytes.size(), out, &error);
    if (token == "P6" || token == "P3") return decode_ppm(bytes.data(), bytes.size(), out, &error);
    *is_png = true;
    if (!decode_png(bytes.data(), bytes.size(), out, &error)) return false;
    std::vector<unsigned char> info;
    if (read_data_file_bytes((std::string(name) + ".info").c_str(), &info))
        out->info.append(info.begin(), info.end());
    return true;
}

static int load_texture_at_depth(const char* name, int depth);

// The rest of a link file names the texture; the link points at white until
// that texture has loaded, so a link naming itself ends there.
static int load_link(const char* name, const std::vector<unsigned char>& bytes, int depth) {
    std::string text(bytes.begin(), bytes.end());
    size_t start = text.find("LINK") + 4;
    std::string target = text.substr(start, 1023);
    size_t first = target.find_first_not_of(" \t\r\n");
    size_t last = target.find_last_not_of(" \t\r\n");
    target = first == std::string::npos ? std::string() : target.substr(first, last - first + 1);
    size_t index = links.size();
    links.push_back({name, "@colors/white.png"});
    int tid = load_texture_at_depth(target.c_str(), depth + 1);
    if (tid != 0) links[index].target = texture_name(tid);
    return tid;
}

static int load_texture_at_depth(const char* name, int depth) {
    if (depth > MAX_LINK_DEPTH) return 0;
    bool full_detail = name[0] == '!';
    if (full_detail) name++;
    std::string resolved = name;
    for (const LinkRecord& link : links) {
        if (link.file == resolved) {
            resolved = link.target;
            break;
        }
    }
    name = resolved.c_str();
    if (int tid = find_texture(name)) {
        TextureRecord* r = record_of(tid);
        if (r->generation != 0 && r->generation != generation) {
            r->generation = generation;
            memory_total += r->memory;
        }
        return tid;
    }
    std::vector<unsigned char> bytes;
    if (!texture_read_file(name, &bytes)) {
        if (texture_verbose()) texture_say("Can't open texture \"%.900s\"", name);
        return 0;
    }
    int flags = texture_wrap_flags(name);
    std::string token = image_file_token(bytes.data(), bytes.size());
    if (token == "ANIM1") return load_animation(name, bytes.data(), bytes.size(), flags);
    if (token == "LINK") return load_link(name, bytes, depth);

    Image image;
    bool is_png;
    if (!texture_decode(name, bytes, &image, &is_png)) {
        if (texture_verbose()) texture_say("Can't open texture \"%.900s\"", name);
        return 0;
    }
    bytes = std::vector<unsigned char>();
    int compress = render_options().texture_compress;
    if (is_png && (compress == COMPRESS_ALWAYS ||
                   (compress == COMPRESS_REQUESTED && image.info.find("[compress]") != std::string::npos)))
        flags |= TEXTURE_COMPRESS;
    bool max_alpha = image.info.find("[mip_max_alpha]") != std::string::npos;
    int reduction = full_detail ? 0 : render_options().model_texture_skip;
    int bpp = image.bytes_per_pixel;
    std::vector<unsigned char> chain;
    int width = image.width, height = image.height;
    if (image.info.find("[mip_custom]") != std::string::npos) {
        if (!cut_custom_mip_chain(image.pixels.data(), image.width, image.height, bpp, &chain, &height)) {
            texture_say("Warning: Invalid height for custom MIP map in '%.950s'", name);
            chain = std::move(image.pixels);
            height = image.height;
            flags |= TEXTURE_NO_MIPMAP;
        }
    } else if (is_power_of_two(width) && is_power_of_two(height)) {
        chain = make_mip_chain(image.pixels.data(), width, height, bpp, max_alpha);
    } else {
        chain = std::move(image.pixels);  // level 0 only; creation rounds it and builds the chain
    }
    size_t memory = 0;
    int tid = texture_create_named(name, chain.data(), width, height, bpp, flags, reduction, max_alpha, &memory);
    if (tid == 0) return 0;
    memory_total += memory;
    texture_register(tid, name, memory, image.info.empty() ? nullptr : &image.info);
    if (!is_power_of_two(width) || !is_power_of_two(height))
        texture_say("Warning: Non power of 2 texture '%.950s'", name);
    return tid;
}

int load_texture(const char* name) { return name ? load_texture_at_depth(name, 0) : 0; }

// ---- companion maps -----------------------------------------------------------

static bool ends_with(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// `base` up to (not including) the last `separator`, or all of it.
static std::string cut_at_last(const std::string& base, char separator) {
    size_t at = base.rfind(separator);
    return at == std::string::npos ? base : base.substr(0, at);
}

static int load_first_of(const std::string& stem, const std::string& kind, const char* suffix) {
    static const char* const EXTENSIONS[3] = {".seq", ".png", ".ppm"};
    for (const char* extension : EXTENSIONS) {
        if (int tid = load_texture((stem + kind + suffix + extension).c_str())) return tid;
    }
    return 0;
}

int load_companion_texture(const char* texture, const char* model, const char* kind) {
    if (texture && *texture) {
        std::string name = texture;
        int tid;
        if (ends_with(name, "-repeat.png") || ends_with(name, "-repeat.ppm") || ends_with(name, "-repeat.seq"))
            tid = load_first_of(cut_at_last(name, '-'), kind, "-repeat");
        else
            tid = load_first_of(cut_at_last(name, '.'), kind, "");
        if (tid) return tid;
    }
    return model && *model ? load_first_of(cut_at_last(model, '.'), kind, "") : 0;
}
