// The log file and options of the platform layer, and the clock they stamp with.
#include "platform/log.h"

#include "platform/platform_local.h"

#include <sched.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <set>
#include <string>

static FILE* log_file;
static bool log_decided;
static char error_text[1024] = "Unknown";

static long long monotonic_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

static long long clock_origin_ms = -1;

long long platform_clock_ms() {
    long long now = monotonic_ms();
    if (clock_origin_ms < 0) clock_origin_ms = now;
    return now - clock_origin_ms;
}

platform_time platform_clock() {
    long long ms = platform_clock_ms();
    return platform_time{(int)(ms / 1000), (int)(ms % 1000) * 1000};
}

double platform_clock_seconds() {
    return platform_clock_ms() / 1000.0;
}

void platform_sleep(int seconds, int microseconds) {
    long long duration_ms = (long long)seconds * 1000 + microseconds / 1000;
    long long target = platform_clock_ms() + duration_ms;
    if (duration_ms > 1) {
        timespec ts{(time_t)((duration_ms - 1) / 1000), (long)((duration_ms - 1) % 1000) * 1000000};
        nanosleep(&ts, nullptr);
    }
    while (platform_clock_ms() < target) sched_yield();
}

static void open_log_file(const char* requested) {
    const char* path = getenv("NOLT_LOGFILE");
    if (!path) path = requested;
    if (!path) return;
    const char* mode = "w";
    if (strncmp(path, ">>", 2) == 0) {
        path += 2;
        mode = "a";
    } else if (path[0] == '>') {
        path += 1;
    }
    const char* flags = getenv("NOLT_LOGFILE_FLAGS");
    if (flags) mode = flags;
    log_file = fopen(path, mode);
    if (!log_file) return;
    log("Logfile \"%s\" opened\n", path);
    log("NOLT 0.31\n");
}

static void write_line(const char* format, va_list args) {
    if (!log_file) return;
    long long ms = platform_clock_ms();
    int hundredths = (int)(ms / 10 % 100);
    long long s = ms / 1000;
    fprintf(log_file, "[%d:%02d:%02d.%02d] ", (int)(s / 3600), (int)(s / 60 % 60), (int)(s % 60),
            hundredths);
    vfprintf(log_file, format, args);
    fflush(log_file);
}

void log(const char* format, ...) {
    if (!format) {
        if (log_file) fclose(log_file);
        log_file = nullptr;
        log_decided = false;
        return;
    }
    // The first message decides the file. A request that arrives while no
    // file is open is still honoured, so that a message logged before the
    // home folder is known does not lose the whole log.
    const char* prefix = "NOLT_LOGFILE=";
    bool request = strncmp(format, prefix, strlen(prefix)) == 0;
    if (!log_decided || (request && !log_file)) {
        log_decided = true;
        if (!request) {
            open_log_file(nullptr);
        } else {
            char message[4096];
            va_list args;
            va_start(args, format);
            vsnprintf(message, sizeof message, format, args);
            va_end(args);
            open_log_file(message + strlen(prefix));
            return;
        }
    }
    if (request) return;  // the file is already chosen
    if ((unsigned char)format[0] == 19) return;  // control-S: not written
    va_list args;
    va_start(args, format);
    write_line(format, args);
    va_end(args);
}

void log_error(const char* text) {
    log("Error: %s\n", text);
    snprintf(error_text, sizeof error_text, "%s", text);
}

const char* last_error() {
    return error_text;
}

// Finds "[name:" in NOLT_OPTIONS and returns what follows, or null.
static const char* find_option(const char* name) {
    const char* options = getenv("NOLT_OPTIONS");
    if (!options) return nullptr;
    char key[80];
    snprintf(key, sizeof key, "[%.60s:", name);
    const char* at = strstr(options, key);
    return at ? at + strlen(key) : nullptr;
}

bool option_flag(const char* name, bool default_value) {
    const char* value = find_option(name);
    if (!value) return default_value;
    if (strncmp(value, "yes]", 4) == 0 || strncmp(value, "on]", 3) == 0) return true;
    if (strncmp(value, "no]", 3) == 0 || strncmp(value, "off]", 4) == 0) return false;
    log("unrecognized setting for %s\n", name);
    return default_value;
}

int option_int(const char* name, int default_value) {
    const char* value = find_option(name);
    if (!value) return default_value;
    char* end = nullptr;
    long n = strtol(value, &end, 10);
    if (end == value || value[0] == ' ' || value[0] == '+') {
        log("unrecognized setting for %s\n", name);
        return default_value;
    }
    return (int)n;
}

const char* intern(const char* text) {
    static std::set<std::string>* kept = new std::set<std::string>;
    return kept->insert(text).first->c_str();
}
