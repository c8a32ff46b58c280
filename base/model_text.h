// Reading whitespace-separated numbers from a model or shape file held in
// memory. Shared by render/model*.cpp and sim/shape.cpp only. Every read
// stays inside the buffer; non-finite numbers count as unreadable.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct TextCursor {
    const char* at;
    const char* end;
};

// The next token as [*start, *start + length); false at the end.
bool text_token(TextCursor* c, const char** start, size_t* length);
// A whole token as a finite float or an integer; false (cursor past the
// token) when it is not one.
[[nodiscard]] bool text_float(TextCursor* c, float* value);
[[nodiscard]] bool text_int(TextCursor* c, int* value);
// Bytes left: bounds how many numbers the rest of the file can still hold
// (each takes at least two bytes with its separator).
inline int64_t text_numbers_left(const TextCursor* c) { return (int64_t)(c->end - c->at + 1) / 2; }
