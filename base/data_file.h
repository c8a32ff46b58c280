// Game data files: data names ("@" + relative name) looked up through the
// data index (base/data_index.h), transparent ".gz" reading, and the
// buffered stream every file of the program is read and written through.
// Main thread only.
// Sizes and offsets are bytes; a stream never reads past its `length`.
#pragma once
#include <stdarg.h>
#include <stddef.h>

#include <string>

struct DataStream;  // opaque; owned by the caller from open to close

// Opens a data name ("@relative/name") or a plain path. `mode` is a C mode
// string, optionally preceded by "~" (back up an existing file first). Null
// on failure; the caller decides what to say.
[[nodiscard]] DataStream* open_data_file(const char* name, const char* mode);
void close_data_file(DataStream* stream);
[[nodiscard]] bool rename_data_file(const char* from, const char* to);
// Whole file as a NUL-terminated string from mem_alloc (caller frees with
// mem_free), or null; files of 16 MiB or more are refused with a log line.
[[nodiscard]] char* file_to_string(const char* name);
// Same, also reporting the byte count (the string may contain NUL bytes).
[[nodiscard]] char* file_to_buffer(const char* name, size_t* size);

// Reading (every read honours the stream's length, pushback and inflation).
int data_getc(DataStream* s);                       // 0..255, or -1 at the end
int data_peekc(DataStream* s);                      // next byte without consuming, or -1
char* data_gets(DataStream* s, char* buffer, int size);  // null when nothing was read
// The rest of the line, however long, without its line feed; false at the
// end of the stream with nothing read.
bool data_read_line(DataStream* s, std::string* line);
int data_read(DataStream* s, void* buffer, int count);   // bytes read
int data_skip_space(DataStream* s);                 // count skipped, or -1 at the end
// scanf rules of the C library; number of assignments, or -1 at the end
// before the first one.
int data_scanf(DataStream* s, const char* format, ...) __attribute__((format(scanf, 2, 3)));
int data_vscanf(DataStream* s, const char* format, va_list args);
void data_skip_comments(DataStream* s);             // white space and "#" lines
int data_read_int(DataStream* s);                   // INT_MIN when none could be read

// Writing.
int data_putc(DataStream* s, int c);
int data_puts(DataStream* s, const char* text);
int data_write(DataStream* s, const void* buffer, int count);
int data_printf(DataStream* s, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool data_flush(DataStream* s);
// Moves the read position to `offset` within the file or archive member (not
// for compressed streams); drops the pushback character.
bool data_seek(DataStream* s, long offset);
long data_tell(DataStream* s);                      // bytes delivered so far
bool data_error(DataStream* s);                     // a write or read failed

// Writes a whole file safely: into a temporary file in the same folder, then
// renamed over `name` only when every byte was written. `write` returns false
// to abandon. The old file is untouched on any failure.
[[nodiscard]] bool write_data_file_safely(const char* name,
                                          bool (*write)(DataStream* s, void* self), void* self);
