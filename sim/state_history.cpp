#include "sim/state_history.h"

#include "platform/log.h"

static int previous_index(int i) { return (i + STATE_HISTORY_LENGTH - 1) % STATE_HISTORY_LENGTH; }
static int next_index(int i) { return (i + 1) % STATE_HISTORY_LENGTH; }

void state_history_reset(StateHistory* h)
{
    for (state_history_entry& e : h->entry) e.tick = -1;
    h->head = 0;
    h->pending = 0;
}

void state_history_add(StateHistory* h, const PackedRiderState* state, int32_t tick)
{
    // A tick already held keeps its first state; one between held entries is
    // dropped, so the ring stays in tick order for `bracket`.
    if (tick <= h->entry[h->head].tick) return;
    h->head = next_index(h->head);
    h->entry[h->head].tick = tick;
    h->entry[h->head].state = *state;
    if (h->pending < STATE_HISTORY_LENGTH) h->pending++;
}

void add_state_to_history(StateHistory* histories, int slot_count, int slot, const PackedRiderState* state,
                          int32_t tick)
{
    if (slot < 0 || slot >= slot_count) {
        log("add_state_to_history: slot out of range\n");
        return;
    }
    state_history_add(&histories[slot], state, tick);
}

bool bracket(const StateHistory* h, int32_t display_tick, int* older, int* newer)
{
    int head = h->head;
    if (h->entry[head].tick < 0) return false;
    int i = head;
    int oldest = head;
    for (int n = 0; n < STATE_HISTORY_LENGTH; n++, i = previous_index(i)) {
        int32_t t = h->entry[i].tick;
        if (t < 0 || (n > 0 && t >= h->entry[next_index(i)].tick)) break;  // unused, or wrapped past the oldest
        oldest = i;
        if (t < display_tick) {
            if (i == head) {
                int before = previous_index(head);
                bool usable = h->entry[before].tick >= 0 && h->entry[before].tick < h->entry[head].tick;
                *older = usable ? before : head;
                *newer = head;
            } else {
                *older = i;
                *newer = next_index(i);
            }
            return true;
        }
    }
    *older = oldest;
    *newer = oldest == head ? head : next_index(oldest);
    return true;
}
