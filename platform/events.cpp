// The input event queue: 256 events kept in time-stamp order. Producers are
// the window's message handling and `push_event`; the frame loop consumes.
#include "platform/platform.h"
#include "platform/platform_local.h"

enum { QUEUE_SIZE = 256 };

static input_event queue[QUEUE_SIZE];  // ring
static int queue_head;                 // index of the oldest event
static int queue_count;

static bool stamped_later(const input_event& a, int seconds, int microseconds) {
    return a.seconds > seconds || (a.seconds == seconds && a.microseconds > microseconds);
}

bool push_event(int code, bool pressed, int seconds, int microseconds) {
    if (queue_count == QUEUE_SIZE) return false;
    input_event e{(uint32_t)code | (pressed ? 0u : KEY_RELEASED_BIT), seconds, microseconds};
    // Append, then move back past every queued event stamped later; equal
    // stamps keep their arrival order.
    int at = queue_count++;
    while (at > 0) {
        input_event& before = queue[(queue_head + at - 1) % QUEUE_SIZE];
        if (!stamped_later(before, seconds, microseconds)) break;
        queue[(queue_head + at) % QUEUE_SIZE] = before;
        at--;
    }
    queue[(queue_head + at) % QUEUE_SIZE] = e;
    return true;
}

bool push_event_now(int code, bool pressed) {
    long long ms = platform_clock_ms();
    return push_event(code, pressed, (int)(ms / 1000), (int)(ms % 1000) * 1000);
}

void clear_events() {
    queue_head = 0;
    queue_count = 0;
}

static bool take(int* code, bool* pressed, const int* until_seconds, const int* until_microseconds) {
    if (queue_count == 0) return false;
    const input_event& e = queue[queue_head];
    if (until_seconds && stamped_later(e, *until_seconds, *until_microseconds)) return false;
    *code = (int)(e.code & ~KEY_RELEASED_BIT);
    *pressed = (e.code & KEY_RELEASED_BIT) == 0;
    queue_head = (queue_head + 1) % QUEUE_SIZE;
    queue_count--;
    return true;
}

bool next_event(int* code, bool* pressed) {
    pump_messages();
    return take(code, pressed, nullptr, nullptr);
}

bool next_event_until(int* code, bool* pressed, int seconds, int microseconds) {
    pump_messages();
    return take(code, pressed, &seconds, &microseconds);
}
