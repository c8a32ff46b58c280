// The in-memory input desk.
#include "support/fake_input.h"

#include <stdint.h>

#include "platform/log.h"

// Axis handles are the axis index + 1 disguised as pointers.
static Axis* handle(int index) { return (Axis*)(intptr_t)(index + 1); }
static int index_of(Axis* axis) { return (int)(intptr_t)axis - 1; }
static FakeInput* desk(void* self) { return (FakeInput*)self; }

static bool fake_key_code(void* self, const char* name, int* code) {
    auto it = desk(self)->keys.find(name);
    if (it == desk(self)->keys.end()) return false;
    *code = it->second;
    return true;
}
static const char* fake_key_name(void* self, int code) {
    for (const auto& [name, c] : desk(self)->keys)
        if (c == code) return intern(name.c_str());
    return intern("unknown");
}
static Axis* fake_open_axis(void* self, const char* name) {
    FakeInput* d = desk(self);
    for (size_t i = 0; i < d->axis_names.size(); i++)
        if (d->axis_names[i] == name && d->openable[i]) {
            d->open_handles++;
            return handle((int)i);
        }
    return nullptr;
}
static int fake_read_axis(void* self, Axis* axis) { return desk(self)->readings[index_of(axis)]; }
static void fake_close_axis(void* self, Axis* axis) {
    if (axis) desk(self)->open_handles--;
}
static int fake_axis_count(void* self) { return (int)desk(self)->axis_names.size(); }
static const char* fake_axis_name(void* self, int index) {
    return intern(desk(self)->axis_names[index].c_str());
}

FakeInput::FakeInput() {
    ops = InputOps{this,           fake_key_code,    fake_key_name,   fake_open_axis,
                   fake_read_axis, fake_close_axis,  fake_axis_count, fake_axis_name};
}

int FakeInput::add_axis(const std::string& name, int reading, bool can_open) {
    axis_names.push_back(name);
    readings.push_back(reading);
    openable.push_back(can_open);
    return (int)axis_names.size() - 1;
}
