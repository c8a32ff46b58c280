#include "base/model_text.h"

#include <errno.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

static bool is_space(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

bool text_token(TextCursor* c, const char** start, size_t* length) {
    while (c->at < c->end && is_space(*c->at)) c->at++;
    if (c->at >= c->end) return false;
    *start = c->at;
    while (c->at < c->end && !is_space(*c->at) && *c->at != '\0') c->at++;
    *length = (size_t)(c->at - *start);
    return *length > 0;
}

// The token copied into `buffer` (numbers are short); false when too long.
static bool token_text(TextCursor* c, char* buffer, size_t size) {
    const char* start;
    size_t length;
    if (!text_token(c, &start, &length) || length >= size) return false;
    memcpy(buffer, start, length);
    buffer[length] = '\0';
    return true;
}

bool text_float(TextCursor* c, float* value) {
    char buffer[64];
    if (!token_text(c, buffer, sizeof buffer)) return false;
    char* stop;
    float v = strtof(buffer, &stop);
    if (stop == buffer || *stop != '\0' || !isfinite(v)) return false;
    *value = v;
    return true;
}

bool text_int(TextCursor* c, int* value) {
    char buffer[32];
    if (!token_text(c, buffer, sizeof buffer)) return false;
    char* stop;
    errno = 0;
    long v = strtol(buffer, &stop, 10);
    if (stop == buffer || *stop != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
    *value = (int)v;
    return true;
}
