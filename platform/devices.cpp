// Input devices: game controllers and joysticks (absolute axes, buttons as
// key events), the "cursor" (pointer position in pixels) and the relative
// "Mouse". Devices stay in the list for the program's life so that axis
// handles and key codes stay valid; an unplugged controller reads 0 and is
// attached again under the same name when it comes back.
#include <SDL2/SDL.h>
#include <assert.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/log.h"
#include "platform/platform.h"
#include "platform/platform_local.h"

enum device_kind { DEVICE_CURSOR, DEVICE_MOUSE, DEVICE_JOYSTICK, DEVICE_CONTROLLER };
enum { MAX_AXES = 100, MAX_BUTTONS = 500, MOUSE_WHEEL_STEP = 120 };

struct input_device {
    std::string name;
    int id;  // key-code base, a multiple of 0x10000
    int axis_count;
    int button_count;
    bool is_relative;          // axes report movement since the last read
    int open_count;            // axis handles open on it
    bool buttons_looked_up;    // a binding uses its buttons
    device_kind kind;
    SDL_JoystickID instance;   // -1 while unplugged (and for cursor and mouse)
    SDL_Joystick* joystick;    // owned, joysticks only
    SDL_GameController* controller;  // owned, controllers only
    int axis_values[MAX_AXES];
};

struct Axis {
    input_device* device;  // borrowed from the device list
    int index;
};

static std::vector<input_device*> devices;  // newest first; owned
static std::vector<const char*> axis_name_list{nullptr};
static bool list_open;

static bool is_acquired(const input_device* d) {
    return d->open_count > 0 || d->buttons_looked_up;
}

// Sum of the characters at even positions as a 16-bit value, at odd
// positions as an 8-bit value, folded into a key-code base.
static int device_id_for(const char* name) {
    uint32_t even = 0, odd = 0;
    for (int i = 0; name[i]; i++) {
        if (i % 2 == 0) even = (even + (unsigned char)name[i]) & 0xFFFF;
        else odd = (odd + (unsigned char)name[i]) & 0xFF;
    }
    uint32_t id = ((odd * 256 + even) << 16) & KEY_DEVICE_MASK;
    for (;;) {
        bool taken = id == 0;
        for (const input_device* d : devices) taken = taken || (uint32_t)d->id == id;
        if (!taken) return (int)id;
        id = (id + 0x10000) & KEY_DEVICE_MASK;
    }
}

static input_device* find_device(const char* name) {
    for (input_device* d : devices)
        if (d->name == name) return d;
    return nullptr;
}

static void rebuild_axis_names() {
    axis_name_list.clear();
    for (const input_device* d : devices) {
        if (d->is_relative || d->kind == DEVICE_CURSOR) continue;
        for (int a = 0; a < d->axis_count; a++) {
            char text[256];
            snprintf(text, sizeof text, "%.200s axis %d", d->name.c_str(), a);
            axis_name_list.push_back(intern(text));
        }
    }
    axis_name_list.push_back(nullptr);
}

static input_device* add_device(const char* name, device_kind kind, int axes, int buttons,
                                bool relative) {
    input_device* d = new input_device{};
    d->name = name;
    d->id = device_id_for(name);
    d->axis_count = axes;
    d->button_count = buttons;
    d->is_relative = relative;
    d->kind = kind;
    d->instance = -1;
    devices.insert(devices.begin(), d);
    return d;
}

// Spaces and dots removed: names are written "Device.axis[0]" and "Device
// axis 0". Short enough for "#nn" to fit the 63 characters names may have.
static std::string clean_device_name(const char* raw) {
    std::string base;
    for (const char* c = raw; *c && base.size() < 56; c++)
        if (*c != ' ' && *c != '.') base += *c;
    return base.empty() ? "Controller" : base;
}

// The clean name, then "#2", "#3" ... when the name is taken.
static std::string unique_device_name(const char* raw) {
    std::string base = clean_device_name(raw);
    std::string name = base;
    for (int n = 2; find_device(name.c_str()); n++) name = base + "#" + std::to_string(n);
    return name;
}

// A detached device that an arriving controller of this raw name takes over.
static input_device* detached_device_for(const char* raw) {
    std::string base = clean_device_name(raw);
    for (auto it = devices.rbegin(); it != devices.rend(); ++it) {
        input_device* d = *it;
        if (d->instance != -1 || (d->kind != DEVICE_JOYSTICK && d->kind != DEVICE_CONTROLLER)) continue;
        if (d->name == base || d->name.rfind(base + "#", 0) == 0) return d;
    }
    return nullptr;
}

static void attach_stick(int index) {
    SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(index);
    for (const input_device* d : devices)
        if (d->instance == instance) return;  // already attached
    bool is_controller = SDL_IsGameController(index);
    const char* raw = SDL_JoystickNameForIndex(index);
    if (!raw) raw = "";
    log("%s (%s)\n", raw, is_controller ? "game controller" : "joystick");
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;
    int axes = 0, buttons = 0;
    if (is_controller) {
        controller = SDL_GameControllerOpen(index);
        axes = SDL_CONTROLLER_AXIS_MAX;
        buttons = SDL_CONTROLLER_BUTTON_MAX;
    } else {
        joystick = SDL_JoystickOpen(index);
        if (joystick) {
            axes = SDL_JoystickNumAxes(joystick);
            buttons = SDL_JoystickNumButtons(joystick);
        }
    }
    if (!controller && !joystick) {
        log("Can't create \"%s\"\n", raw);
        return;
    }
    if (axes <= 0 && buttons <= 0) {
        log("Ignoring Dunsel device\n");
        if (controller) SDL_GameControllerClose(controller);
        if (joystick) SDL_JoystickClose(joystick);
        return;
    }
    log("%d axes, %d keys\n", axes, buttons);
    if (axes > MAX_AXES) {
        log("Wow! This thing has a lot of axes!\nThe first ignored axis is called \"%d\"\n", MAX_AXES);
        axes = MAX_AXES;
    }
    if (buttons > MAX_BUTTONS) {
        log("Wow! This thing has a lot of buttons!\nThe first ignored button is called \"%d\"\n",
            MAX_BUTTONS);
        buttons = MAX_BUTTONS;
    }
    input_device* d = detached_device_for(raw);
    if (d) {
        log("Attached again as \"%s\"\n", d->name.c_str());
        d->axis_count = axes;
        d->button_count = buttons;
    } else {
        d = add_device(unique_device_name(raw).c_str(),
                       controller ? DEVICE_CONTROLLER : DEVICE_JOYSTICK, axes, buttons, false);
        for (int a = 0; a < axes; a++) log("axis %d is %s\n", a, "absolute");
        for (int a = 0; a < axes; a++) log("Adding axis \"%.200s axis %d\"\n", d->name.c_str(), a);
    }
    d->kind = controller ? DEVICE_CONTROLLER : DEVICE_JOYSTICK;
    d->instance = instance;
    d->controller = controller;
    d->joystick = joystick;
    memset(d->axis_values, 0, sizeof d->axis_values);
    rebuild_axis_names();
}

static void detach_stick(SDL_JoystickID instance) {
    for (input_device* d : devices) {
        if (d->instance != instance) continue;
        log("Device \"%s\" unplugged\n", d->name.c_str());
        if (d->controller) SDL_GameControllerClose(d->controller);
        if (d->joystick) SDL_JoystickClose(d->joystick);
        d->controller = nullptr;
        d->joystick = nullptr;
        d->instance = -1;
        memset(d->axis_values, 0, sizeof d->axis_values);
    }
}

void devices_open(bool game_controllers, bool sticks_only) {
    if (list_open) return;
    list_open = true;
    if (!game_controllers) {
        log("DirectInput disabled\n");
    } else {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
            log("Can't open the game controller library: %s\n", SDL_GetError());
        } else {
            log("Input device roll call...\n");
            for (int i = 0; i < SDL_NumJoysticks(); i++) attach_stick(i);
            if (!sticks_only) {
                log("Mouse (system mouse)\n");
                add_device("Mouse", DEVICE_MOUSE, 3, 3, true);
                log("3 axes, 3 keys\n");
            }
            log("End of input device roll call\n");
        }
    }
    add_device("cursor", DEVICE_CURSOR, 2, 0, false);
    rebuild_axis_names();
    register_default_aliases();
}

void devices_close() {
    if (!list_open) return;
    log("Closing input devices\n");
    for (input_device* d : devices) {
        assert(d->open_count == 0);  // every axis handle is closed before the window
        if (d->instance != -1) log("Killing %s\n", d->name.c_str());
        if (d->controller) SDL_GameControllerClose(d->controller);
        if (d->joystick) SDL_JoystickClose(d->joystick);
        delete d;
    }
    devices.clear();
    rebuild_axis_names();
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    list_open = false;
}

static input_device* device_of_instance(SDL_JoystickID instance, device_kind kind) {
    for (input_device* d : devices)
        if (d->instance == instance && d->kind == kind) return d;
    return nullptr;
}

static input_device* first_of_kind(device_kind kind) {
    for (input_device* d : devices)
        if (d->kind == kind) return d;
    return nullptr;
}

static void set_axis(input_device* d, int axis, int value) {
    if (!d || axis < 0 || axis >= d->axis_count) return;
    d->axis_values[axis] = value < -32767 ? -32767 : value;
}

static void button_event(input_device* d, int button, bool pressed, int seconds, int microseconds) {
    if (!d || !is_acquired(d) || button < 0 || button >= d->button_count) return;
    push_event(d->id + button, pressed, seconds, microseconds);
}

bool devices_handle_event(const SDL_Event* e, int seconds, int microseconds) {
    switch (e->type) {
    case SDL_JOYDEVICEADDED:
        if (list_open && first_of_kind(DEVICE_CURSOR)) attach_stick(e->jdevice.which);
        return true;
    case SDL_JOYDEVICEREMOVED:
        detach_stick(e->jdevice.which);
        return true;
    case SDL_CONTROLLERAXISMOTION:
        set_axis(device_of_instance(e->caxis.which, DEVICE_CONTROLLER), e->caxis.axis, e->caxis.value);
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        button_event(device_of_instance(e->cbutton.which, DEVICE_CONTROLLER), e->cbutton.button,
                     e->type == SDL_CONTROLLERBUTTONDOWN, seconds, microseconds);
        return true;
    case SDL_JOYAXISMOTION:
        set_axis(device_of_instance(e->jaxis.which, DEVICE_JOYSTICK), e->jaxis.axis, e->jaxis.value);
        return true;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        button_event(device_of_instance(e->jbutton.which, DEVICE_JOYSTICK), e->jbutton.button,
                     e->type == SDL_JOYBUTTONDOWN, seconds, microseconds);
        return true;
    case SDL_MOUSEMOTION: {
        input_device* cursor = first_of_kind(DEVICE_CURSOR);
        if (cursor) cursor->axis_values[0] = e->motion.x, cursor->axis_values[1] = e->motion.y;
        input_device* mouse = first_of_kind(DEVICE_MOUSE);
        if (mouse && is_acquired(mouse)) {
            mouse->axis_values[0] += e->motion.xrel;
            mouse->axis_values[1] += e->motion.yrel;
        }
        return false;  // the window handles it too
    }
    case SDL_MOUSEWHEEL: {
        input_device* mouse = first_of_kind(DEVICE_MOUSE);
        if (mouse && is_acquired(mouse)) mouse->axis_values[2] += e->wheel.y * MOUSE_WHEEL_STEP;
        return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        // The relative mouse numbers its buttons left, right, middle.
        int b = e->button.button == SDL_BUTTON_LEFT    ? 0
                : e->button.button == SDL_BUTTON_RIGHT ? 1
                : e->button.button == SDL_BUTTON_MIDDLE ? 2
                                                        : -1;
        button_event(first_of_kind(DEVICE_MOUSE), b, e->type == SDL_MOUSEBUTTONDOWN, seconds,
                     microseconds);
        return false;  // the window's own mouse-button codes follow
    }
    default:
        return false;
    }
}

// "Device.key[n]" or "Device button n" -> device and number; the device's
// name is at most 63 characters.
static bool parse_device_item(const char* name, const char* dot_form, const char* space_form,
                              input_device** device, int* number) {
    char device_name[64];
    int used = 0;
    if (sscanf(name, dot_form, device_name, number, &used) != 2 || name[used] != '\0') {
        used = 0;
        if (sscanf(name, space_form, device_name, number, &used) != 2 || name[used] != '\0')
            return false;
    }
    *device = find_device(device_name);
    return *device != nullptr;
}

bool device_button_code(const char* name, int* code) {
    input_device* d;
    int button;
    if (!parse_device_item(name, "%63[^.].key[%d]%n", "%63s button %d%n", &d, &button)) return false;
    if (button < 0 || button > 255 || button >= d->button_count) return false;
    d->buttons_looked_up = true;
    *code = d->id + button;
    return true;
}

bool device_button_name(int code, char* buffer, int size) {
    int id = code & KEY_DEVICE_MASK;
    int button = code & 0xFFFF;
    if (id == 0 || button > 255) return false;
    for (const input_device* d : devices) {
        if (d->id != id) continue;
        snprintf(buffer, size, "%.1000s button %d", d->name.c_str(), button);
        return true;
    }
    return false;
}

Axis* open_axis(const char* name) {
    name = apply_alias(name);
    input_device* d;
    int index;
    if (!parse_device_item(name, "%63[^.].axis[%d]%n", "%63s axis %d%n", &d, &index)) return nullptr;
    if (index < 0 || index >= d->axis_count) return nullptr;
    if (d->open_count++ == 0 && d->is_relative)
        memset(d->axis_values, 0, sizeof d->axis_values);  // movement counts from the first open
    return new Axis{d, index};
}

int read_axis(Axis* axis) {
    input_device* d = axis->device;
    int value = d->axis_values[axis->index];
    if (d->is_relative) d->axis_values[axis->index] = 0;
    return value;
}

void close_axis(Axis* axis) {
    if (!axis) return;
    axis->device->open_count--;
    delete axis;
}

const char* const* axis_names() {
    return axis_name_list.data();
}
