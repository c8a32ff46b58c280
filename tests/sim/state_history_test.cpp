#include "sim/state_history.h"

#include <gtest/gtest.h>

namespace {

PackedRiderState state_with(uint8_t marker)
{
    PackedRiderState s = {};
    s.bytes[0] = marker;
    return s;
}

}  // namespace

TEST(StateHistory, FirstStateOfATickIsKept)
{
    StateHistory h;
    state_history_reset(&h);
    PackedRiderState first = state_with(1), second = state_with(2);
    state_history_add(&h, &first, 40);
    state_history_add(&h, &second, 40);
    EXPECT_EQ(h.entry[h.head].tick, 40);
    EXPECT_EQ(h.entry[h.head].state.bytes[0], 1);
    EXPECT_EQ(h.pending, 1);
}

TEST(StateHistory, OutOfOrderAndUnusedTicksAreDropped)
{
    StateHistory h;
    state_history_reset(&h);
    PackedRiderState s = state_with(7);
    state_history_add(&h, &s, -1);  // the unused marker is not a time
    EXPECT_EQ(h.pending, 0);
    state_history_add(&h, &s, 10);
    state_history_add(&h, &s, 20);
    state_history_add(&h, &s, 15);
    EXPECT_EQ(h.entry[h.head].tick, 20);
    EXPECT_EQ(h.entry[(h.head + 127) % 128].tick, 10);
    EXPECT_EQ(h.pending, 2);
}

TEST(StateHistory, RingWrapsAndPendingStopsAt128)
{
    StateHistory h;
    state_history_reset(&h);
    for (int t = 0; t < 300; t++) {
        PackedRiderState s = state_with((uint8_t)t);
        state_history_add(&h, &s, t);
    }
    EXPECT_EQ(h.pending, 128);
    EXPECT_EQ(h.entry[h.head].tick, 299);
    EXPECT_EQ(h.entry[(h.head + 1) % 128].tick, 172);  // the oldest kept
}

TEST(StateHistory, SlotOutOfRangeIsIgnored)
{
    StateHistory histories[3];
    for (StateHistory& h : histories) state_history_reset(&h);
    PackedRiderState s = state_with(1);
    add_state_to_history(histories, 3, 3, &s, 5);
    add_state_to_history(histories, 3, -1, &s, 5);
    add_state_to_history(histories, 3, 2, &s, 5);
    EXPECT_EQ(histories[0].pending + histories[1].pending, 0);
    EXPECT_EQ(histories[2].pending, 1);
}

TEST(StateHistory, BracketAroundDisplayTick)
{
    StateHistory h;
    state_history_reset(&h);
    int older = -1, newer = -1;
    EXPECT_FALSE(bracket(&h, 100, &older, &newer));

    PackedRiderState s = {};
    state_history_add(&h, &s, 50);  // index 1
    struct Case {
        const char* name;
        int display;
        int older_tick, newer_tick;
    };
    const Case single[] = {
        {"only entry, display later", 80, 50, 50},
        {"only entry, display earlier", 10, 50, 50},
    };
    for (const Case& c : single) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(bracket(&h, c.display, &older, &newer));
        EXPECT_EQ(h.entry[older].tick, c.older_tick);
        EXPECT_EQ(h.entry[newer].tick, c.newer_tick);
    }

    for (int t = 54; t <= 70; t += 4) state_history_add(&h, &s, t);  // 50, 54, ..., 70
    const Case cases[] = {
        {"past the head: head and the one before", 90, 66, 70},
        {"between entries", 60, 58, 62},
        {"exactly on an entry takes the one below it", 62, 58, 62},
        {"before everything: the oldest two", 20, 50, 54},
        {"exactly on the oldest", 50, 50, 54},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(bracket(&h, c.display, &older, &newer));
        EXPECT_EQ(h.entry[older].tick, c.older_tick);
        EXPECT_EQ(h.entry[newer].tick, c.newer_tick);
    }
}

TEST(StateHistory, BracketOnAFullWrappedRing)
{
    StateHistory h;
    state_history_reset(&h);
    PackedRiderState s = {};
    for (int t = 0; t < 200; t++) state_history_add(&h, &s, 2 * t);  // keeps 144..398
    int older = -1, newer = -1;
    ASSERT_TRUE(bracket(&h, 0, &older, &newer));
    EXPECT_EQ(h.entry[older].tick, 144);
    EXPECT_EQ(h.entry[newer].tick, 146);
    ASSERT_TRUE(bracket(&h, 301, &older, &newer));
    EXPECT_EQ(h.entry[older].tick, 300);
    EXPECT_EQ(h.entry[newer].tick, 302);
}
