// Log file, platform options, interned strings and the millisecond clock.
// Every module logs through `log`; nothing here touches the window or input.
// The first message decides the file (see log.cpp); `log(nullptr)` closes it.
// Times are seconds + microseconds read from a millisecond timer.
#pragma once

// Writes one message to the log file, prefixed "[h:mm:ss.hh] ". A message
// beginning with "NOLT_LOGFILE=" as the very first call names the file.
void log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void log_error(const char* text);       // logs "Error: %s\n" and remembers the text
const char* last_error();               // "Unknown" before any error

// Options from the environment variable NOLT_OPTIONS: "[name:value]" items.
bool option_flag(const char* name, bool default_value);
int option_int(const char* name, int default_value);

// One kept copy of each distinct string; null when memory runs out.
const char* intern(const char* text);

struct platform_time {
    int seconds;
    int microseconds;
};
// The platform's millisecond clock (`clock` in the platform's terms; renamed
// because the C library owns that name). Counts from the first call.
platform_time platform_clock();
double platform_clock_seconds();
// Sleeps until the clock has advanced by the given time: an OS sleep for the
// bulk, then yields until the clock reaches the target (about 1 ms accuracy).
void platform_sleep(int seconds, int microseconds);
