// Control bindings, their file form, the control channels they feed and the
// control capture.
#include "app/bindings.h"

#include <assert.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "platform/log.h"
#include "base/render_options.h"

struct BindingDefault {
    const char* key;
    const char* label;
    const char* default_name;
};

static const BindingDefault BINDING_DEFAULTS[BINDING_COUNT] = {
    {"throttle_key", "Throttle", "x"},
    {"front_brake_key", "Front Brake", "c"},
    {"rear_brake_key", "Rear Brake", "v"},
    {"left_key", "Left", "left"},
    {"right_key", "Right", "right"},
    {"clutch_key", "Clutch", "z"},
    {"upshift_key", "Upshift", "up"},
    {"downshift_key", "Downshift", "down"},
    {"dab_key", "Sit/Dab", "right ctrl"},
    {"back_up_key", "Back up", "b"},
    {"lean_forward_key", "Lean Forward", "n"},
    {"lean_backward_key", "Lean Backward", "m"},
    {"pause_key", "Pause", "pause"},
    {"step_key", "Step", "."},
    {"rewind_key", "Rewind", "\\"},
    {"skip_key", "Skip", "/"},
    {"prev_key", "Previous Bike", "["},
    {"next_key", "Next Bike", "]"},
    {"console_key", "Chat", "t"},
    {"screenshot_key", "Screenshot", "s"},
};

// A capture binds once the input has been still this long (game-clock s).
static const double CAPTURE_SETTLE_TIME = 0.25;
static const float AXIS_SCALE = 1.0f / 32768.0f;

void binding_clear(Binding* b) {
    b->key_name = nullptr;
    b->key_code = 0;
    b->axis_name = nullptr;
    b->axis = nullptr;
    b->low = 0;
    b->high = 1;
}

const char* binding_key(int index) {
    assert(index >= 0 && index < BINDING_COUNT);
    return BINDING_DEFAULTS[index].key;
}

void bindings_set_defaults(Binding bindings[BINDING_COUNT]) {
    for (int i = 0; i < BINDING_COUNT; i++) {
        Binding* b = &bindings[i];
        binding_clear(b);
        b->key = BINDING_DEFAULTS[i].key;
        b->label = BINDING_DEFAULTS[i].label;
        b->default_name = BINDING_DEFAULTS[i].default_name;
        b->key_name = intern(b->default_name);
    }
}

void binding_parse(Binding* b, const char* value) {
    binding_clear(b);
    while (*value == ' ' || *value == '\t' || *value == '\n' || *value == '\r' || *value == '\v' ||
           *value == '\f')
        value++;
    float low, high;
    int name_at = -1;
    if (sscanf(value, "(%f,%f)%n", &low, &high, &name_at) == 2 && name_at > 0) {
        b->axis_name = intern(value + name_at);
        b->low = low;
        b->high = high;
    } else if (strncmp(value, "(k)", 3) == 0) {
        b->key_name = intern(value + 3);
    } else {
        b->key_name = intern(value);
    }
}

bool binding_format(const Binding* b, char* out, int size) {
    if (b->key_name) {
        snprintf(out, size, "(k)%s", b->key_name);
        return true;
    }
    if (b->axis_name) {
        snprintf(out, size, "(%f,%f)%s", b->low, b->high, b->axis_name);
        return true;
    }
    return false;
}

void resolve_binding(Binding* b, const InputOps* input) {
    b->key_code = 0;
    if (b->key_name) {
        int code = 0;
        if (input->key_code(input->self, b->key_name, &code)) b->key_code = code;
    } else if (b->axis_name && !b->axis) {
        b->axis = input->open_axis(input->self, b->axis_name);
    }
}

void release_binding(Binding* b, const InputOps* input) {
    if (b->axis) input->close_axis(input->self, b->axis);
    b->axis = nullptr;
}

float axis_to_value(int reading, float low, float high) {
    float span = high - low;
    if (span == 0) return 0;  // a degenerate calibration never drives the control
    float v = (reading * AXIS_SCALE - low) / span;
    if (!(v > 0)) return 0;  // also catches NaN from a damaged file
    return v < 1 ? v : 1;
}

float binding_value(const Binding* b, const InputOps* input) {
    if (!b->axis) return 0;
    return axis_to_value(input->read_axis(input->self, b->axis), b->low, b->high);
}

// ---- held keys and control channels ------------------------------------------

void held_keys_event(HeldKeys* held, const Binding bindings[BINDING_COUNT], int code, bool pressed) {
    for (int i = 0; i < BINDING_COUNT; i++)
        if (bindings[i].key_code != 0 && bindings[i].key_code == code) held->value[i] = pressed ? 1 : 0;
}

struct ChannelFeed {
    int binding;
    int channel;
    float scale;
};
// Channel 0 is positive to the left: the orbit camera turns with it as it
// stands; the bike takes it through the player's steering preference.
static const ChannelFeed CHANNEL_FEEDS[RIDING_BINDING_COUNT] = {
    {BIND_LEFT, CHANNEL_STEER, +1},           {BIND_RIGHT, CHANNEL_STEER, -1},
    {BIND_THROTTLE, CHANNEL_THROTTLE, +1},    {BIND_FRONT_BRAKE, CHANNEL_FRONT_BRAKE, +1},
    {BIND_REAR_BRAKE, CHANNEL_REAR_BRAKE, +1}, {BIND_UPSHIFT, CHANNEL_SHIFT, +1},
    {BIND_DOWNSHIFT, CHANNEL_SHIFT, -1},      {BIND_CLUTCH, CHANNEL_CLUTCH, +1},
    {BIND_DAB, CHANNEL_DAB, +1},              {BIND_BACK_UP, CHANNEL_BACK_UP, +1},
    {BIND_LEAN_FORWARD, CHANNEL_LEAN, -1},    {BIND_LEAN_BACKWARD, CHANNEL_LEAN, +1},
};

void fill_controls(const Binding bindings[BINDING_COUNT], const HeldKeys* held, const InputOps* input,
                   float controls[CHANNEL_COUNT]) {
    for (int c = 0; c < CHANNEL_COUNT; c++) controls[c] = 0;
    for (const ChannelFeed& f : CHANNEL_FEEDS) {
        const Binding* b = &bindings[f.binding];
        float value = b->axis ? binding_value(b, input) : held->value[f.binding];
        controls[f.channel] += value * f.scale;
    }
}

// ---- control capture ------------------------------------------------------

bool capture_running(const ControlCapture* c) { return c->binding != nullptr; }

static bool debug_output() { return render_options().debug_level >= 1; }

void start_capture(ControlCapture* c, Binding* b, double game_time, const InputOps* input) {
    assert(b);
    if (capture_running(c)) cancel_capture(c, input);
    c->binding = b;
    c->pending_code = 0;
    c->pending_time = 0;
    c->last_change_time = game_time;
    c->axis_count = 0;
    if (debug_output()) log("Watching pots\n");
    int n = input->axis_count(input->self);
    for (int i = 0; i < n; i++) {
        const char* name = input->axis_name(input->self, i);
        Axis* axis = name ? input->open_axis(input->self, name) : nullptr;
        if (debug_output()) log("\t%s %s\n", name ? name : "", axis ? "Ok" : "Failed");
        if (!axis) continue;
        if (c->axis_count == CAPTURE_MAX_AXES) {  // more than any real desk holds
            input->close_axis(input->self, axis);
            continue;
        }
        CaptureAxis* a = &c->axes[c->axis_count++];
        a->name = name;
        a->axis = axis;
        a->rest = input->read_axis(input->self, axis) * AXIS_SCALE;
        a->extreme = a->rest;
    }
}

void capture_key(ControlCapture* c, int code, double game_time) {
    if (!capture_running(c) || c->pending_code != 0 || code == 0) return;
    c->pending_code = code;
    c->pending_time = game_time;
}

// Closes the watched axes except `keep` (handed to the binding).
static void end_capture(ControlCapture* c, const InputOps* input, Axis* keep) {
    for (int i = 0; i < c->axis_count; i++)
        if (c->axes[i].axis != keep) input->close_axis(input->self, c->axes[i].axis);
    c->axis_count = 0;
    c->binding = nullptr;
    c->pending_code = 0;
    if (debug_output()) log("Done watching pots\n");
}

bool capture_tick(ControlCapture* c, double game_time, const InputOps* input) {
    if (!capture_running(c)) return false;
    for (int i = 0; i < c->axis_count; i++) {
        CaptureAxis* a = &c->axes[i];
        float v = input->read_axis(input->self, a->axis) * AXIS_SCALE;
        if (fabsf(a->rest - v) > fabsf(a->rest - a->extreme)) {
            a->extreme = v;
            c->last_change_time = game_time;
        }
    }
    Binding* b = c->binding;
    if (game_time - c->last_change_time > CAPTURE_SETTLE_TIME) {
        for (int i = 0; i < c->axis_count; i++) {
            CaptureAxis* a = &c->axes[i];
            float travel = a->extreme - a->rest;
            if (fabsf(travel) <= 0.5f) continue;
            release_binding(b, input);
            binding_clear(b);
            b->axis_name = a->name;
            b->axis = a->axis;
            b->low = a->rest + travel / 16;
            b->high = a->rest + 15 * travel / 16;
            end_capture(c, input, a->axis);
            return true;
        }
    }
    if (c->pending_code != 0 && game_time - c->pending_time > CAPTURE_SETTLE_TIME) {
        release_binding(b, input);
        binding_clear(b);
        b->key_code = c->pending_code;
        b->key_name = input->key_name(input->self, c->pending_code);
        end_capture(c, input, nullptr);
        return true;
    }
    return false;
}

void cancel_capture(ControlCapture* c, const InputOps* input) {
    if (!capture_running(c)) return;
    end_capture(c, input, nullptr);
}
