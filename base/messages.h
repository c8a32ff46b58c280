// The player's text channel. Every module with something to tell the player
// calls `show_message`: the text goes to the log and into the message history
// that the console screen and the HUD show.
#pragma once

#include <stdarg.h>

// Returns the new number of lines shown on screen.
int show_message(const char* text);
int show_messagef(const char* format, ...) __attribute__((format(printf, 1, 2)));
int show_messagev(const char* format, va_list args);
// While a sink is set, messages go to it instead of the log and the history
// (tests collect what a module tells the player). Null restores the default.
void set_message_sink(void (*sink)(const char* text, void* self), void* self);
