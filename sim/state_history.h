// Per-slot ring of time-stamped packed rider states, from which riders that
// are not simulated here (demo and remote riders) are shown. Filled by the
// demo recorder and player and by the network client; read by the replay
// display. Times are ticks; a tick of -1 marks an unused entry. No I/O.
#pragma once
#include <stdint.h>

#include "sim/packed_state.h"

constexpr int STATE_HISTORY_LENGTH = 128;

struct state_history_entry {
    int32_t tick;  // -1: unused
    PackedRiderState state;
};

struct StateHistory {
    state_history_entry entry[STATE_HISTORY_LENGTH];
    int head;     // index of the newest entry
    int pending;  // entries not yet written to the demo file, 0..128
};

// All ticks -1, head 0, nothing pending.
void state_history_reset(StateHistory* h);

// Adds a state to the history of `slot` in `histories` (one per rider slot,
// `slot_count` of them). The first state of a tick is kept; a state older
// than the newest one is dropped so the ring stays in tick order. A slot out
// of range is logged and ignored.
void add_state_to_history(StateHistory* histories, int slot_count, int slot, const PackedRiderState* state,
                          int32_t tick);
// The same for one history.
void state_history_add(StateHistory* h, const PackedRiderState* state, int32_t tick);

// The two entries around `display_tick` (indices into `entry`): the newest
// entry below the display tick and the one after it, or the head and the
// one before it when the head itself is below. With nothing below, the
// oldest entry and the one after it. False when the history is empty.
[[nodiscard]] bool bracket(const StateHistory* h, int32_t display_tick, int* older, int* newer);
