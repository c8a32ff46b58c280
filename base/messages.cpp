// Message history. The console screen and HUD that display it, and the
// console commands, build on this record.
#include "base/messages.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "platform/log.h"

enum { HISTORY_LINES = 1000, LINE_CHARS = 256 };

static char history[HISTORY_LINES][LINE_CHARS];
static int write_index;
static int on_screen_count;
static const int MAX_ON_SCREEN = 5;

static void (*message_sink)(const char*, void*);
static void* message_self;

void set_message_sink(void (*sink)(const char* text, void* self), void* self) {
    message_sink = sink;
    message_self = self;
}

int show_message(const char* text) {
    if (message_sink) {
        message_sink(text, message_self);
        return on_screen_count;
    }
    // A message is one line: a trailing line feed (texts shared with the log)
    // does not make a second, empty one.
    int length = (int)strlen(text);
    if (length > 0 && text[length - 1] == '\n') length--;
    log("%.*s\n", length, text);
    snprintf(history[write_index], LINE_CHARS, "%.*s", length, text);
    write_index = (write_index + 1) % HISTORY_LINES;
    if (on_screen_count < MAX_ON_SCREEN) on_screen_count++;
    return on_screen_count;
}

int show_messagev(const char* format, va_list args) {
    char text[1200];
    vsnprintf(text, sizeof text, format, args);
    return show_message(text);
}

int show_messagef(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int count = show_messagev(format, args);
    va_end(args);
    return count;
}
