// The search list, data-name resolution, opening with the ".gz" and backup
// rules, and the stream. A read stream is a glibc cookie FILE over a source
// limited to `length` raw bytes (a file, an archive member, or gzip data
// inflated on the fly), so formatted reads, lines and pushback follow the C
// library's own rules. A write stream is the C library's FILE itself.
#include "base/data_file.h"
#include "base/data_index.h"

#include <ctype.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <string>

#include "base/alloc.h"
#include "base/data_index_local.h"
#include "base/file_tree.h"
#include "platform/files.h"
#include "platform/log.h"

static const long UNLIMITED = 2147483647;
static const int MAX_PATH_CHARS = 1024;     // paths (plus ".gz") must stay below this
static const int MAX_DATA_PATH = 511;       // folder + relative name
static const int MAX_BACKUP_PATH = 1000;
static const int INPUT_BLOCK = 16384;       // compressed input is read in blocks of this
static const long TOO_LONG_FOR_STRING = 16L * 1024 * 1024;

struct DataStream {
    FILE* file;        // owned: the operating-system file
    FILE* view;        // what reads and writes go through (the cookie FILE, or `file`)
    long start;        // byte offset of the data within `file`
    long length;       // raw bytes available from `start`
    long raw_used;     // raw bytes taken from `file` so far
    long position;     // bytes delivered to the view so far
    bool compressed;
    bool at_end;       // the deflate stream has ended
    bool failed;       // a read or inflate error (damaged or truncated data)
    bool inflating;    // `inflate` holds zlib state to end
    z_stream inflate;
    unsigned char* input;  // owned, INPUT_BLOCK bytes, for compressed streams
};

// ---- the search list ----

static bool search_built;
static bool has_home;
static std::string search_folders[2];
static int search_count;

// The folder holding the program, with its trailing "/"; empty when unknown.
static std::string executable_folder() {
    std::string full = platform_executable_path();
    size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

static void build_search_list() {
    if (search_built) return;
    search_built = true;
    search_count = 0;
    has_home = false;
    // The per-user data folder: XDG_DATA_HOME, else ~/.local/share.
    std::string base;
    const char* xdg = getenv("XDG_DATA_HOME");
    const char* home = getenv("HOME");
    if (xdg && xdg[0] == '/') base = xdg;  // a relative value is not a usable folder
    else if (home && home[0]) base = std::string(home) + "/.local/share";
    if (!base.empty()) {
        search_folders[search_count++] = normalise_slashes(base + "/Rutwise/");
        has_home = true;
    }
    // An empty RW_HOME counts as unset: "/" would make the index walk the
    // whole file system.
    const char* game = getenv("RW_HOME");
    std::string folder = game && game[0] ? std::string(game) + "/" : executable_folder();
    if (!folder.empty()) search_folders[search_count++] = normalise_slashes(folder);
}

int search_folder_count() {
    build_search_list();
    return search_count;
}

const char* search_folder(int position) {
    build_search_list();
    return position >= 0 && position < search_count ? search_folders[position].c_str() : nullptr;
}

const char* home_folder() {
    build_search_list();
    return has_home ? search_folders[0].c_str() : nullptr;
}

void data_files_shutdown() {
    index_free();
    search_built = false;
    has_home = false;
    search_count = 0;
    for (std::string& folder : search_folders) folder = std::string();
}

// ---- reading: the cookie source ----

// Raw bytes from the limited source; returns how many, 0 at the limit, -1 on error.
static long raw_read(DataStream* s, void* buffer, long count) {
    long left = s->length - s->raw_used;
    if (count > left) count = left;
    if (count <= 0) return 0;
    size_t got = fread(buffer, 1, (size_t)count, s->file);
    s->raw_used += (long)got;
    if (got == 0 && ferror(s->file)) return -1;
    return (long)got;
}

static bool refill_input(DataStream* s) {
    long got = raw_read(s, s->input, INPUT_BLOCK);
    if (got <= 0) return false;
    s->inflate.next_in = s->input;
    s->inflate.avail_in = (uInt)got;
    return true;
}

static ssize_t inflate_into(DataStream* s, char* buffer, size_t size) {
    if (s->at_end) return 0;
    if (s->failed) return -1;
    z_stream* z = &s->inflate;
    z->next_out = (Bytef*)buffer;
    z->avail_out = (uInt)size;
    while (z->avail_out == size) {
        if (z->avail_in == 0 && !refill_input(s)) {
            s->failed = true;  // the data ended inside the deflate stream
            break;
        }
        int r = ::inflate(z, Z_NO_FLUSH);
        if (r == Z_STREAM_END) {
            s->at_end = true;
            break;
        }
        if (r != Z_OK) {
            s->failed = true;
            break;
        }
    }
    ssize_t produced = (ssize_t)(size - z->avail_out);
    if (produced == 0 && s->failed) return -1;
    return produced;
}

static ssize_t cookie_read(void* cookie, char* buffer, size_t size) {
    auto* s = (DataStream*)cookie;
    ssize_t got;
    if (s->compressed) {
        got = inflate_into(s, buffer, size);
    } else {
        got = raw_read(s, buffer, (long)(size > (size_t)LONG_MAX ? LONG_MAX : size));
        if (got < 0) s->failed = true;
    }
    if (got > 0) s->position += (long)got;
    return got;
}

static int cookie_seek(void* cookie, off64_t* offset, int whence) {
    auto* s = (DataStream*)cookie;
    if (whence == SEEK_CUR && *offset == 0) {
        *offset = s->position;
        return 0;
    }
    if (s->compressed) return -1;
    off64_t target = whence == SEEK_SET ? *offset : whence == SEEK_CUR ? s->position + *offset : -1;
    if (target < 0 || target >= s->length) return -1;
    if (fseek(s->file, s->start + (long)target, SEEK_SET) != 0) return -1;
    s->raw_used = s->position = (long)target;
    *offset = target;
    return 0;
}

static int cookie_close(void* cookie) {
    auto* s = (DataStream*)cookie;
    if (s->inflating) inflateEnd(&s->inflate);
    mem_free(s->input);
    int r = fclose(s->file);
    mem_free(s);
    return r;
}

static const cookie_io_functions_t read_functions = {cookie_read, nullptr, cookie_seek, cookie_close};

// ---- reading: the gzip header ----

static int header_byte(DataStream* s) {
    z_stream* z = &s->inflate;
    if (z->avail_in == 0 && !refill_input(s)) return -1;
    z->avail_in--;
    return *z->next_in++;
}

static bool skip_header_bytes(DataStream* s, int count) {
    for (int i = 0; i < count; i++)
        if (header_byte(s) < 0) return false;
    return true;
}

static bool skip_header_string(DataStream* s) {
    for (;;) {
        int c = header_byte(s);
        if (c <= 0) return c == 0;
    }
}

// Checks the gzip member header and leaves the input at the deflate data.
static bool read_gzip_header(DataStream* s) {
    enum { FHCRC = 2, FEXTRA = 4, FNAME = 8, FCOMMENT = 16 };
    if (header_byte(s) != 0x1F || header_byte(s) != 0x8B || header_byte(s) != 8) return false;
    int flags = header_byte(s);
    if (flags < 0 || flags >= 32) return false;
    if (!skip_header_bytes(s, 6)) return false;  // modification time, extra flags, OS
    if (flags & FEXTRA) {
        int lo = header_byte(s), hi = header_byte(s);
        if (lo < 0 || hi < 0 || !skip_header_bytes(s, lo | hi << 8)) return false;
    }
    if ((flags & FNAME) && !skip_header_string(s)) return false;
    if ((flags & FCOMMENT) && !skip_header_string(s)) return false;
    if ((flags & FHCRC) && !skip_header_bytes(s, 2)) return false;
    return true;
}

// Takes ownership of `file` (positioned at `start`) and makes a read stream;
// null (and `file` closed) on failure.
static DataStream* make_read_stream(FILE* file, long start, long length, bool compressed) {
    auto* s = (DataStream*)mem_alloc_zeroed(1, sizeof(DataStream));
    if (!s) {
        fclose(file);
        return nullptr;
    }
    s->file = file;
    s->start = start;
    s->length = length;
    s->compressed = compressed;
    bool ok = true;
    if (compressed) {
        s->input = (unsigned char*)mem_alloc(INPUT_BLOCK);
        ok = s->input && read_gzip_header(s) && inflateInit2(&s->inflate, -MAX_WBITS) == Z_OK;
        s->inflating = ok;
    }
    if (ok) s->view = fopencookie(s, "rb", read_functions);
    if (!s->view) {
        cookie_close(s);
        return nullptr;
    }
    return s;
}

// ---- opening ----

static bool is_write_mode(const char* mode) {
    return !strchr(mode, 'r') || strchr(mode, '+');
}

static bool path_too_long(const std::string& path) {
    return path.size() + 3 >= (size_t)MAX_PATH_CHARS;
}

static bool copy_file(const char* from, const char* to) {
    FILE* in = fopen(from, "rb");
    if (!in) return false;
    FILE* out = fopen(to, "wbx");  // never overwrite: the name was just found free
    if (!out) {
        fclose(in);
        return false;
    }
    static char block[65536];
    bool ok = true;
    size_t got;
    while (ok && (got = fread(block, 1, sizeof block, in)) > 0) ok = fwrite(block, 1, got, out) == got;
    if (ferror(in)) ok = false;
    fclose(in);
    if (fclose(out) != 0) ok = false;
    if (!ok) platform_remove_file(to);
    return ok;
}

// Copies an existing file to the first free "path.~N~"; false when no name is
// free or the copy fails.
static bool make_backup(const std::string& path) {
    if (path.size() > (size_t)MAX_BACKUP_PATH || !platform_file_exists(path.c_str())) return true;
    char name[MAX_BACKUP_PATH + 16];
    for (int n = 1; n <= 9999; n++) {
        snprintf(name, sizeof name, "%s.~%d~", path.c_str(), n);
        if (!platform_file_exists(name)) return copy_file(path.c_str(), name);
    }
    return false;
}

static DataStream* wrap_write_file(FILE* file) {
    auto* s = (DataStream*)mem_alloc_zeroed(1, sizeof(DataStream));
    if (!s) {
        fclose(file);
        return nullptr;
    }
    s->file = s->view = file;
    s->length = UNLIMITED;
    return s;
}

static DataStream* open_path_for_writing(const std::string& path, const char* mode) {
    if (path_too_long(path)) return nullptr;
    make_parent_folders(path.c_str());
    if (mode[0] == '~') {
        if (!make_backup(path)) return nullptr;
        mode++;
    }
    FILE* file = fopen(path.c_str(), mode);
    return file ? wrap_write_file(file) : nullptr;
}

static DataStream* open_path_for_reading(const std::string& path) {
    if (path_too_long(path)) return nullptr;
    if (FILE* file = open_regular_file(path.c_str())) return make_read_stream(file, 0, UNLIMITED, false);
    if (FILE* file = open_regular_file((path + ".gz").c_str())) return make_read_stream(file, 0, UNLIMITED, true);
    return nullptr;
}

static DataStream* open_index_entry(const IndexEntry* entry, bool compressed) {
    FILE* file = open_regular_file(entry->path.c_str());
    if (!file) return nullptr;
    if (fseek(file, entry->offset, SEEK_SET) != 0) {
        fclose(file);
        return nullptr;
    }
    return make_read_stream(file, entry->offset, entry->size, compressed);
}

// Home-folder path for a data name written to; empty when there is no home
// folder or the name would leave it.
static std::string home_path_for(const char* relative) {
    std::string rel = normalise_slashes(relative);
    const char* home = home_folder();
    if (!home || has_parent_component(rel)) return std::string();
    std::string path = normalise_slashes(home + rel);
    return path.size() > (size_t)MAX_DATA_PATH ? std::string() : path;
}

DataStream* open_data_file(const char* name, const char* mode) {
    if (!name || !mode) return nullptr;
    bool writing = is_write_mode(mode);
    if (name[0] != '@') {
        std::string path = normalise_slashes(name);
        if (writing) return open_path_for_writing(path, mode);
        return open_path_for_reading(path);
    }
    const char* relative = name + 1;
    // Data names are written only into the home folder.
    if (writing) {
        std::string path = home_path_for(relative);
        return path.empty() ? nullptr : open_path_for_writing(path, mode);
    }
    build_search_list();
    std::string rel = normalise_slashes(relative);
    for (int i = 0; i < search_count; i++) {
        std::string path = normalise_slashes(search_folders[i] + rel);
        if (path.size() > (size_t)MAX_DATA_PATH) continue;
        if (DataStream* s = open_path_for_reading(path)) return s;
    }
    const IndexEntry* plain = index_find(rel.c_str());
    const IndexEntry* packed = index_find((rel + ".gz").c_str());
    if (packed && (!plain || packed->source < plain->source)) return open_index_entry(packed, true);
    if (plain) return open_index_entry(plain, false);
    return nullptr;
}

void close_data_file(DataStream* stream) {
    if (!stream) return;
    if (stream->view != stream->file) {
        fclose(stream->view);  // the cookie's close frees the rest
        return;
    }
    fclose(stream->file);
    mem_free(stream);
}

static std::string resolve_for_writing(const char* name) {
    if (name[0] == '@') return home_path_for(name + 1);
    std::string path = normalise_slashes(name);
    return path_too_long(path) ? std::string() : path;
}

bool rename_data_file(const char* from, const char* to) {
    std::string source = resolve_for_writing(from);
    std::string target = resolve_for_writing(to);
    if (source.empty() || target.empty()) return false;
    // rename() replaces the target in one step, so it is never removed first:
    // a failed rename leaves both files as they were.
    return platform_rename(source.c_str(), target.c_str());
}

bool write_data_file_safely(const char* name, bool (*write)(DataStream* s, void* self), void* self) {
    std::string path = resolve_for_writing(name);
    if (path.empty()) return false;
    make_parent_folders(path.c_str());
    std::string temp;
    FILE* file = platform_create_temp_beside(path.c_str(), &temp);
    if (!file) return false;
    DataStream* s = wrap_write_file(file);  // closes `file` when it fails
    if (!s) {
        platform_remove_file(temp.c_str());
        return false;
    }
    bool written = write(s, self);
    mem_free(s);  // the stream borrowed `file`; one of the calls below closes it
    if (!written) {
        platform_abandon_temp(file, temp.c_str());
        return false;
    }
    return platform_commit_temp(file, temp.c_str(), path.c_str());
}

// ---- whole files ----

char* file_to_buffer(const char* name, size_t* size) {
    DataStream* s = open_data_file(name, "rb");
    if (!s) return nullptr;
    std::string content;
    char block[65536];
    int got;
    while ((got = data_read(s, block, sizeof block)) > 0) {
        content.append(block, (size_t)got);
        if ((long)content.size() >= TOO_LONG_FOR_STRING) break;
    }
    bool failed = data_error(s);
    close_data_file(s);
    if ((long)content.size() >= TOO_LONG_FOR_STRING) {
        log("File %s too long for file_to_string\n", name);
        return nullptr;
    }
    if (failed) return nullptr;
    auto* text = (char*)mem_alloc(content.size() + 1);
    if (!text) return nullptr;
    memcpy(text, content.data(), content.size());
    text[content.size()] = 0;
    if (size) *size = content.size();
    return text;
}

char* file_to_string(const char* name) {
    return file_to_buffer(name, nullptr);
}

// ---- stream operations ----

int data_getc(DataStream* s) {
    int c = getc(s->view);
    return c == EOF ? -1 : c;
}

int data_peekc(DataStream* s) {
    int c = getc(s->view);
    if (c == EOF) return -1;
    ungetc(c, s->view);
    return c;
}

bool data_read_line(DataStream* s, std::string* line) {
    line->clear();
    int c = data_getc(s);
    if (c < 0) return false;
    while (c >= 0 && c != '\n') {
        line->push_back((char)c);
        c = data_getc(s);
    }
    return true;
}

char* data_gets(DataStream* s, char* buffer, int size) {
    if (size < 2) {
        if (size == 1) buffer[0] = 0;
        return nullptr;  // no room to read anything
    }
    return fgets(buffer, size, s->view);
}

int data_read(DataStream* s, void* buffer, int count) {
    return count > 0 ? (int)fread(buffer, 1, (size_t)count, s->view) : 0;
}

int data_skip_space(DataStream* s) {
    int count = 0;
    for (;;) {
        int c = getc(s->view);
        if (c == EOF) return -1;
        if (!isspace(c)) {
            ungetc(c, s->view);
            return count;
        }
        count++;
    }
}

int data_vscanf(DataStream* s, const char* format, va_list args) {
    return vfscanf(s->view, format, args);
}

int data_scanf(DataStream* s, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = data_vscanf(s, format, args);
    va_end(args);
    return n;
}

void data_skip_comments(DataStream* s) {
    for (;;) {
        long before = data_tell(s);
        data_scanf(s, " #%*[^\n]");
        if (data_tell(s) == before) return;
    }
}

int data_read_int(DataStream* s) {
    int value;
    return data_scanf(s, "%d", &value) == 1 ? value : INT_MIN;
}

int data_putc(DataStream* s, int c) {
    return fputc(c, s->view);
}

int data_puts(DataStream* s, const char* text) {
    return fputs(text, s->view);
}

int data_write(DataStream* s, const void* buffer, int count) {
    return count > 0 ? (int)fwrite(buffer, 1, (size_t)count, s->view) : 0;
}

int data_printf(DataStream* s, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = vfprintf(s->view, format, args);
    va_end(args);
    return n;
}

bool data_flush(DataStream* s) {
    return fflush(s->view) == 0;
}

bool data_seek(DataStream* s, long offset) {
    if (s->compressed || offset < 0 || offset >= s->length) return false;
    return fseek(s->view, offset, SEEK_SET) == 0;
}

long data_tell(DataStream* s) {
    return ftell(s->view);
}

bool data_error(DataStream* s) {
    return s->failed || ferror(s->view);
}
