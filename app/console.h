// The player's text channel. Every module with something to tell the player
// calls `show_message`: the text goes to the log and into the message history
// that the console screen and the HUD show.
#pragma once

// Returns the new number of lines shown on screen.
int show_message(const char* text);
int show_messagef(const char* format, ...) __attribute__((format(printf, 1, 2)));
