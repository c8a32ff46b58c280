// Control bindings: which key or analogue axis drives each riding control and
// each function key, how a binding's file text is read and written, which
// control channel each riding binding feeds, and the control capture that
// binds whatever the player moves or presses next. The stored bindings live
// in the settings record; which keys are held lives apart, in HeldKeys.
// Input reaches this module only through an InputOps table (the platform's,
// or an in-memory one in tests). Values are 0..1; times are game-clock seconds.
#pragma once
#include "sim/rider_input.h"  // CHANNEL_COUNT

struct Axis;  // the platform's axis handle, opaque here

// What bindings need from the input devices. Axis readings are -32767..32767.
struct InputOps {
    void* self;
    bool (*key_code)(void* self, const char* name, int* code);  // false when unknown
    const char* (*key_name)(void* self, int code);              // interned
    Axis* (*open_axis)(void* self, const char* name);      // null when unknown
    int (*read_axis)(void* self, Axis* axis);
    void (*close_axis)(void* self, Axis* axis);
    int (*axis_count)(void* self);                    // the platform's list of axis names
    const char* (*axis_name)(void* self, int index);  // interned
};

enum BindingIndex {
    BIND_THROTTLE,
    BIND_FRONT_BRAKE,
    BIND_REAR_BRAKE,
    BIND_LEFT,
    BIND_RIGHT,
    BIND_CLUTCH,
    BIND_UPSHIFT,
    BIND_DOWNSHIFT,
    BIND_DAB,
    BIND_BACK_UP,
    BIND_LEAN_FORWARD,
    BIND_LEAN_BACKWARD,
    // the function keys
    BIND_PAUSE,
    BIND_STEP,
    BIND_REWIND,
    BIND_SKIP,
    BIND_PREV,
    BIND_NEXT,
    BIND_CONSOLE,
    BIND_SCREENSHOT,
    BINDING_COUNT,
    RIDING_BINDING_COUNT = BIND_PAUSE,
};

// One binding as the settings file keeps it, with its key code and axis
// handle resolved against the devices of this run.
struct Binding {
    const char* key;           // setting key, "throttle_key"
    const char* label;         // menu label, "Throttle"
    const char* default_name;  // default key name
    const char* key_name;      // interned; null when unbound or bound to an axis
    int key_code;              // 0 when unresolved
    const char* axis_name;     // interned; null unless bound to an axis
    Axis* axis;                // open handle, or null
    float low, high;           // axis readings (/32768) giving 0 and 1
};

// Which key bindings are held: what the key events of the run so far left.
// Owned by the frame loop; zeroed means nothing held.
struct HeldKeys {
    float value[BINDING_COUNT];  // 1 from a press of the binding's key, 0 from its release
};

// The twenty bindings with their defaults, in file order.
void bindings_set_defaults(Binding bindings[BINDING_COUNT]);
// The setting key of binding `index` ("throttle_key").
const char* binding_key(int index);
// Unbinds (no key, no axis, low 0, high 1); closes nothing.
void binding_clear(Binding* b);
// Reads a file value: "(low,high)axis", "(k)key" or, the older form, a bare
// key name. Leading white space is skipped.
void binding_parse(Binding* b, const char* value);
// The file value ("(k)%s" or "(%f,%f)%s") into `out`; false when unbound.
bool binding_format(const Binding* b, char* out, int size);

// Key name -> key code, else axis name -> open axis. An unresolvable binding
// keeps its names (so it is written back as read) and stays at value 0.
void resolve_binding(Binding* b, const InputOps* input);
// Closes the binding's axis, if open.
void release_binding(Binding* b, const InputOps* input);
// An axis binding's calibrated reading; 0 for a key binding, whose value is
// its entry in HeldKeys, and for an axis that did not open.
float binding_value(const Binding* b, const InputOps* input);
// The calibration: clamp((reading/32768 - low) / (high - low), 0, 1).
float axis_to_value(int reading, float low, float high);

// A key event: every binding whose key has `code` is held while pressed.
void held_keys_event(HeldKeys* held, const Binding bindings[BINDING_COUNT], int code, bool pressed);
// The control channels of this tick: each riding binding's value (an axis
// reading or its held key) times its scale, added into its channel (the
// channel table in bindings.cpp: Left +1 and Right -1 on the steering channel,
// and so on). Function keys feed no channel.
void fill_controls(const Binding bindings[BINDING_COUNT], const HeldKeys* held, const InputOps* input,
                   float controls[CHANNEL_COUNT]);

// The control capture ("Watching pots") of the Customize Controls menu.
enum { CAPTURE_MAX_AXES = 64 };
struct CaptureAxis {
    const char* name;
    Axis* axis;
    float rest, extreme;  // readings / 32768
};
struct ControlCapture {
    Binding* binding;   // null when no capture runs
    int pending_code;   // 0 when no key is pending
    double pending_time;
    double last_change_time;
    int axis_count;
    CaptureAxis axes[CAPTURE_MAX_AXES];
};
bool capture_running(const ControlCapture* c);
// Starts watching every axis for `b`; logs the axes with debug output.
void start_capture(ControlCapture* c, Binding* b, double game_time, const InputOps* input);
// A pressed key other than Esc; the first one stays pending.
void capture_key(ControlCapture* c, int code, double game_time);
// Once per tick: reads the axes and binds once 0.25 s passed without change.
// True when the capture ended with a new binding.
bool capture_tick(ControlCapture* c, double game_time, const InputOps* input);
// Esc: ends without binding. Closes the watched axes.
void cancel_capture(ControlCapture* c, const InputOps* input);
