#include "track/erode.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/messages.h"
#include "track/terrain.h"

namespace {

const float TRACK = 4096;  // ft, a track of the common size

// Records as the server or the demo recorder would get them.
struct Sent {
    std::vector<std::vector<uint8_t>> records;
    erode_submit_ops ops() {
        return {[](void* self, const uint8_t* r, int bytes) {
                    ((Sent*)self)->records.emplace_back(r, r + bytes);
                },
                this};
    }
    std::vector<ErodePoint> points(size_t i) const {
        std::vector<ErodePoint> out;
        EXPECT_TRUE(erode_unpack(records.at(i).data(), (int)records[i].size(), TRACK, &out));
        return out;
    }
};

// 33 x 33 vertices, 1 ft apart, flat at 10 ft; one surface whose slope limits
// never stop a dig unless a test sets them.
Terrain* flat_ground() {
    Terrain* t = terrain_create(4, 1.0f, 10.0f);
    ErodeParams& e = t->surfaces.entries[0].erode;
    e.min_slope = -100, e.max_slope = 100;
    return t;
}

double height_sum(const Terrain* t) {
    double sum = 0;
    for (int v = 0; v < t->dim * t->dim; v++) sum += t->heights[v];
    return sum;
}

struct Messages {
    std::vector<std::string> lines;
    Messages() {
        set_message_sink([](const char* text, void* self) { ((Messages*)self)->lines.push_back(text); }, this);
    }
    ~Messages() { set_message_sink(nullptr, nullptr); }
};

TEST(ErodeRecord, SinglePointLayout) {
    const ErodePoint p = {1024, 2048, 1, -1, 5};
    uint8_t out[ERODE_RECORD_MAX];
    ASSERT_EQ(erode_pack(&p, 1, TRACK, out), 17);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[9] | out[10] << 8 | out[11] << 16, 4194304);   // a quarter of 2^24 - 1, rounded
    EXPECT_EQ(out[12] | out[13] << 8 | out[14] << 16, 8388608);  // half
    // Weight 5 = 0b0101 in the two low bit pairs; direction x +1 is code 63, z -1 code 0.
    EXPECT_EQ(out[15], (63 << 2) | 1);
    EXPECT_EQ(out[16], (0 << 2) | 1);
    std::vector<ErodePoint> back;
    ASSERT_TRUE(erode_unpack(out, 17, TRACK, &back));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_NEAR(back[0].x, 1024, 1e-3);
    EXPECT_NEAR(back[0].z, 2048, 1e-3);
    EXPECT_FLOAT_EQ(back[0].dx, 63 / 32.0f - 1);
    EXPECT_FLOAT_EQ(back[0].dz, -1);
    EXPECT_EQ(back[0].weight, 5);
}

TEST(ErodeRecord, SixtyFourPointsWithoutDrift) {
    // A wavy line across 60 ft in x, steps of uneven length both ways in z.
    std::vector<ErodePoint> path;
    for (int i = 0; i < ERODE_PATH_POINTS; i++) {
        const float x = 1500.3f + 0.95f * i + 0.3f * sinf(i * 1.7f), z = 700.1f + 3 * sinf(i * 0.4f);
        path.push_back({x, z, cosf(i * 0.2f) * 0.8f, sinf(i * 0.2f) * 0.8f, 1 + i % 15});
    }
    uint8_t out[ERODE_RECORD_MAX];
    ASSERT_EQ(erode_pack(path.data(), (int)path.size(), TRACK, out), ERODE_RECORD_MAX);
    std::vector<ErodePoint> back;
    ASSERT_TRUE(erode_unpack(out, ERODE_RECORD_MAX, TRACK, &back));
    ASSERT_EQ(back.size(), path.size());
    // Half a step code of a range of about 2.5 ft (x) and 2.5 ft (z): every
    // point, the last as well as the first, lies within it.
    for (size_t i = 0; i < path.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(back[i].x, path[i].x, 0.01f);
        EXPECT_NEAR(back[i].z, path[i].z, 0.02f);
        EXPECT_NEAR(back[i].dx, path[i].dx, 2 / 64.0f);
        EXPECT_NEAR(back[i].dz, path[i].dz, 2 / 64.0f);
        EXPECT_EQ(back[i].weight, path[i].weight);
    }
}

TEST(ErodeRecord, HostileAndEdgeRecords) {
    const ErodePoint two[2] = {{10, 10, 0.5f, 0.5f, 3}, {11, 10.5f, 0.5f, 0.5f, 3}};
    uint8_t good[ERODE_RECORD_MAX + 8] = {};
    ASSERT_EQ(erode_pack(two, 2, TRACK, good), 21);
    struct {
        const char* name;
        int bytes;
        uint8_t type;
        int want;  // points; -1 refused
    } cases[] = {
        {"shorter than 17 bytes", 16, 1, -1},
        {"another type", 21, 2, -1},
        {"one point", 17, 1, 1},
        {"a partial point after the first is ignored", 20, 1, 1},
        {"trailing byte after two points", 22, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t record[sizeof good];
        memcpy(record, good, sizeof good);
        record[0] = c.type;
        std::vector<ErodePoint> out;
        const bool ok = erode_unpack(record, c.bytes, TRACK, &out);
        EXPECT_EQ(ok, c.want >= 0);
        EXPECT_EQ((int)out.size(), c.want < 0 ? 0 : c.want);
    }
    // A wheel past the edge stays on it instead of wrapping to the far side.
    const ErodePoint outside[2] = {{-5, TRACK + 5, 0, 0, 1}, {1e30f, NAN, 0, 0, 1}};
    for (const ErodePoint& p : outside) {
        uint8_t out[ERODE_RECORD_MAX];
        ASSERT_EQ(erode_pack(&p, 1, TRACK, out), 17);
        std::vector<ErodePoint> back;
        ASSERT_TRUE(erode_unpack(out, 17, TRACK, &back));
        EXPECT_FLOAT_EQ(back[0].x, p.x < 0 ? 0 : TRACK);
        EXPECT_TRUE(back[0].z == 0 || back[0].z == TRACK);
    }
}

TEST(ErodeStroke, AveragesUnderAFootAndCarriesTheRest) {
    ErodeWheel w = {};
    Sent sent;
    const erode_submit_ops ops = sent.ops();
    for (float x : {0.0f, 0.4f, 0.8f, 1.2f}) erode_wheel_sample(&w, 100 + x, 50, 0.5f, 0, 0, TRACK, &ops);
    ASSERT_EQ(w.path_count, 1);
    EXPECT_NEAR(w.path[0].x, 100.4f, 1e-4f);
    EXPECT_EQ(w.path[0].weight, 3);
    EXPECT_FLOAT_EQ(w.path[0].dx, 0.5f);
    // The stroke went 1.2 ft: the new one starts 0.2 ft along, so it closes 0.8 ft later.
    EXPECT_EQ(w.samples, 1);
    EXPECT_NEAR(w.distance, 0.2f, 1e-4f);
    erode_wheel_sample(&w, 101.9f, 50, 0.5f, 0, 1, TRACK, &ops);
    EXPECT_EQ(w.path_count, 1);
    erode_wheel_sample(&w, 102.0f, 50, 0.5f, 0, 2, TRACK, &ops);
    EXPECT_EQ(w.path_count, 2);
    EXPECT_TRUE(sent.records.empty());
}

TEST(ErodeStroke, WideJumpSplitsThePathAndIdlePathsAreSent) {
    ErodeWheel w = {};
    Sent sent;
    const erode_submit_ops ops = sent.ops();
    int now = 0;
    for (float x : {10.0f, 12.0f, 14.0f, 100.0f, 102.0f}) erode_wheel_sample(&w, x, 20, 0.5f, 0, now++, TRACK, &ops);
    // The step 14 -> 100 would widen the steps' range past 64 ft.
    ASSERT_EQ(sent.records.size(), 1u);
    EXPECT_EQ(sent.points(0).size(), 3u);
    erode_wheel_idle(&w, now + 63, TRACK, &ops);
    EXPECT_EQ(sent.records.size(), 1u);  // 64 ticks idle: still waiting
    erode_wheel_idle(&w, now + 64, TRACK, &ops);
    ASSERT_EQ(sent.records.size(), 2u);
    const std::vector<ErodePoint> second = sent.points(1);
    ASSERT_EQ(second.size(), 2u);  // 100 and the pending stroke at 102
    EXPECT_NEAR(second[0].x, 100, 0.01f);
    EXPECT_NEAR(second[1].x, 102, 0.01f);
    EXPECT_EQ(w.path_count, 0);
    EXPECT_EQ(w.samples, 0);
}

TEST(ErodeStroke, SixtyFifthPointStartsANewRecord) {
    ErodeWheel w = {};
    Sent sent;
    const erode_submit_ops ops = sent.ops();
    for (int i = 0; i <= 65; i++) erode_wheel_sample(&w, 10 + 1.5f * i, 20, 0, 0.5f, i, TRACK, &ops);
    ASSERT_EQ(sent.records.size(), 1u);
    EXPECT_EQ(sent.records[0].size(), (size_t)ERODE_RECORD_MAX);
    EXPECT_EQ(w.path_count, 1);
}

TEST(ErodeQueue, FullQueueDropsAndSaysSoOnce) {
    Messages messages;
    ErodeQueue q = {};
    erode_queue_init(&q);
    for (int i = 0; i < ERODE_QUEUE_SLOTS; i++) ASSERT_TRUE(erode_queue_push(&q, {1, 1, 0, 0, 1}));
    EXPECT_FALSE(erode_queue_push(&q, {2, 2, 0, 0, 1}));
    EXPECT_FALSE(erode_queue_push(&q, {3, 3, 0, 0, 1}));
    EXPECT_EQ(q.count, ERODE_QUEUE_SLOTS);
    ASSERT_EQ(messages.lines.size(), 1u);
    EXPECT_EQ(messages.lines[0], "Erode queue full!");
    // Emptied at a reset; the message is not given again in this run.
    erode_queue_clear(&q);
    EXPECT_EQ(q.count, 0);
    for (int i = 0; i <= ERODE_QUEUE_SLOTS; i++) (void)erode_queue_push(&q, {1, 1, 0, 0, 1});
    EXPECT_EQ(messages.lines.size(), 1u);
}

TEST(ErodeQueue, FrameBudgetGrowsWithTheBacklog) {
    Terrain* t = flat_ground();
    struct {
        int queued, want;
    } cases[] = {{3, 3}, {600, 5}, {8192, 20}, {8192 + 640, 10 + 17 + 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queued);
        ErodeQueue q = {};
        erode_queue_init(&q);
        for (int i = 0; i < c.queued; i++) (void)erode_queue_push(&q, {16, 16, 0, 0, 0});
        EXPECT_EQ(erode_process(&q, t, nullptr, 0, 0), c.want);
    }
    terrain_free(t);
}

TEST(ErodeQueue, PointNearThePlayerWaitsAtMost256Ticks) {
    Terrain* t = flat_ground();
    ErodeQueue q = {};
    erode_queue_init(&q);
    (void)erode_queue_push(&q, {16, 16, 0.9f, 0, 4});
    const float player[2] = {25, 16};  // 9 ft away
    EXPECT_EQ(erode_process(&q, t, player, 1, 1000), 0);
    EXPECT_EQ(erode_process(&q, t, player, 1, 1200), 0);
    EXPECT_EQ(erode_process(&q, t, player, 1, 1255), 0);
    EXPECT_EQ(erode_process(&q, t, player, 1, 1256), 1);
    EXPECT_LT(terrain_height(t, 16, 16), 10);
    // 11 ft away does not wait.
    (void)erode_queue_push(&q, {14, 16, 0.9f, 0, 4});
    const float far_player[2] = {25, 16};
    EXPECT_EQ(erode_process(&q, t, far_player, 1, 1257), 1);
    terrain_free(t);
}

TEST(ErodeDig, DepositReturnsTheDugVolume) {
    struct {
        const char* name;
        float x, z, dx, dz, radius;
    } cases[] = {
        {"push along x", 16, 16, 0.9f, 0, 4},
        {"diagonal push off the grid points", 15.3f, 17.6f, -0.5f, 0.6f, 4},
        {"no push: dug and filled in place", 16, 16, 0, 0, 4},
        {"narrow radius", 16.5f, 16.5f, 0.9f, 0, 1.2f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Terrain* t = flat_ground();
        t->surfaces.entries[0].erode.radius = c.radius;
        const double before = height_sum(t);
        const int counter = t->change_counter;
        ErodeQueue q = {};
        erode_queue_init(&q);
        (void)erode_queue_push(&q, {c.x, c.z, c.dx, c.dz, 8});
        EXPECT_EQ(erode_process(&q, t, nullptr, 50, 0), 1);
        EXPECT_NEAR(height_sum(t), before, 1e-3);
        EXPECT_EQ(t->change_counter, counter + 1);
        EXPECT_LE(t->marked_x0, t->marked_x1);
        const float u = sqrtf(c.dx * c.dx + c.dz * c.dz);
        if (u > 0) {
            EXPECT_LT(terrain_height(t, c.x, c.z), 10);  // a rut where the wheel pushed ...
            EXPECT_GT(terrain_height(t, c.x - 2 * c.dx / u, c.z - 2 * c.dz / u), 10);  // ... dirt behind
        }
        terrain_free(t);
    }
}

TEST(ErodeDig, DepositSpreadsTheWholeVolume) {
    Terrain* t = flat_ground();
    const double before = height_sum(t);
    erode_deposit(t, 16.3f, 15.8f, 3, 2.5f);
    EXPECT_NEAR(height_sum(t) - before, 2.5, 1e-4);
    // A disc narrower than one vertex's weight keeps the share below the volume.
    const double middle = height_sum(t);
    erode_deposit(t, 16.5f, 16.5f, 0.5f, 1);
    EXPECT_LT(height_sum(t) - middle, 1);
    EXPECT_GE(height_sum(t) - middle, 0);
    terrain_free(t);
}

TEST(ErodeDig, RefusedInputsChangeNothing) {
    struct {
        const char* name;
        float x, z, radius, amount;
        bool lock;
    } cases[] = {
        {"locked terrain", 16, 16, 4, -1, true},
        {"radius zero", 16, 16, 0, -1, false},
        {"negative radius", 16, 16, -3, -1, false},
        {"radius NaN", 16, 16, NAN, -1, false},
        {"radius infinite", 16, 16, INFINITY, -1, false},
        {"radius wider than the grid", 16, 16, 40, -1, false},
        {"amount NaN", 16, 16, 4, NAN, false},
        {"amount infinite", 16, 16, 4, -INFINITY, false},
        {"far off the track", 1e6f, -1e6f, 4, -1, false},
        {"position NaN", NAN, 16, 4, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Terrain* t = flat_ground();
        t->is_locked = c.lock;
        std::vector<float> before(t->heights, t->heights + t->dim * t->dim);
        EXPECT_EQ(erode_dig(t, c.x, c.z, c.radius, c.amount), 0);
        erode_deposit(t, c.x, c.z, c.radius, -c.amount);
        EXPECT_EQ(memcmp(before.data(), t->heights, before.size() * sizeof(float)), 0);
        EXPECT_EQ(t->change_counter, 0);
        terrain_free(t);
    }
}

TEST(ErodeDig, PairedDigIsTwoDigsBitForBit) {
    struct {
        const char* name;
        float x, z, radius, inner;
    } cases[] = {
        {"inner inside", 16.3f, 15.7f, 4, 2},
        {"inner wider", 16.3f, 15.7f, 2, 3.5f},
        {"at the edge", 0.4f, 31.8f, 4, 2},
        {"inner refused", 16, 16, 4, 0},
        {"outer refused", 16, 16, NAN, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Terrain* a = flat_ground();
        Terrain* b = flat_ground();
        for (Terrain* t : {a, b})
            for (int v = 0; v < t->dim * t->dim; v++) t->heights[v] = 10 + 0.37f * sinf(0.7f * v);
        const float z1 = erode_dig(a, c.x, c.z, c.radius, -0.0731f);
        const float z2 = erode_dig(a, c.x, c.z, c.inner, -0.0129f);
        float p1, p2;
        erode_dig_pair(b, c.x, c.z, c.radius, -0.0731f, c.inner, -0.0129f, &p1, &p2);
        EXPECT_EQ(memcmp(&z1, &p1, sizeof z1), 0);
        EXPECT_EQ(memcmp(&z2, &p2, sizeof z2), 0);
        EXPECT_EQ(memcmp(a->heights, b->heights, sizeof(float) * a->dim * a->dim), 0);
        terrain_free(a);
        terrain_free(b);
    }
}

TEST(ErodeDig, PointOffTheEdgeTouchesOnlyGridVertices) {
    Terrain* t = flat_ground();
    const double before = height_sum(t);
    EXPECT_LT(erode_dig(t, -1.5f, 10, 4, -1), 0);
    EXPECT_LT(height_sum(t), before);
    terrain_free(t);
}

TEST(ErodeProcess, SteepTargetStopsTheDig) {
    Terrain* t = flat_ground();
    ErodeParams& e = t->surfaces.entries[0].erode;
    e.min_slope = -0.5f, e.max_slope = 0.5f;
    // A wall 2 ft behind the point: the dirt would have to climb 3 ft in 2.
    for (int k = 0; k < t->dim; k++)
        for (int i = 0; i <= 14; i++) terrain_set_height(t, i, k, 13);
    std::vector<float> before(t->heights, t->heights + t->dim * t->dim);
    ErodeQueue q = {};
    erode_queue_init(&q);
    (void)erode_queue_push(&q, {16, 16, 0.9f, 0, 8});
    EXPECT_EQ(erode_process(&q, t, nullptr, 50, 0), 1);
    EXPECT_EQ(memcmp(before.data(), t->heights, before.size() * sizeof(float)), 0);
    terrain_free(t);
}

TEST(ErodeProcess, LimitsStopOneFootBelowTheLoadedGround) {
    Terrain* t = flat_ground();
    ErodeParams& e = t->surfaces.entries[0].erode;
    e.limit_count = 2;
    e.limit_depth[0] = 0, e.limit_first[0] = 1, e.limit_second[0] = 1;
    e.limit_depth[1] = 1, e.limit_first[1] = 0, e.limit_second[1] = 0;
    e.displacement = 6;  // the dirt lands clear of the hole
    ErodeQueue q = {};
    erode_queue_init(&q);
    for (int i = 0; i < 3000; i++) (void)erode_queue_push(&q, {20, 16, 0.9f, 0, 8});
    for (int frame = 0; q.count > 0 && frame < 100000; frame++) (void)erode_process(&q, t, nullptr, 100, frame);
    const float depth = 10 - terrain_height(t, 20, 16);
    EXPECT_GT(depth, 0.9f);
    EXPECT_LE(depth, 1.01f);
    terrain_free(t);
}

TEST(ErodeProcess, SameRecordsSameHeights) {
    // Two grounds fed the same points in the same frames end bit-identical.
    Terrain* a = flat_ground();
    Terrain* b = flat_ground();
    for (Terrain* t : {a, b}) {
        ErodeQueue q = {};
        erode_queue_init(&q);
        for (int i = 0; i < 200; i++)
            (void)erode_queue_push(&q, {8 + 0.07f * i, 16 + 3 * sinf(0.1f * i), cosf(0.05f * i), 0.4f, 1 + i % 15});
        for (int frame = 0; q.count > 0; frame++) (void)erode_process(&q, t, nullptr, 37.5f, frame);
    }
    EXPECT_EQ(memcmp(a->heights, b->heights, sizeof(float) * a->dim * a->dim), 0);
    terrain_free(a);
    terrain_free(b);
}

TEST(TerrainSetHeight, LockedFiniteAndRange) {
    Terrain* t = flat_ground();
    terrain_set_height(t, 3, 3, 12.5f);
    terrain_set_height(t, 4, 3, -2.0f);
    EXPECT_FLOAT_EQ(t->max_height, 12.5f);
    EXPECT_FLOAT_EQ(t->min_height, -2.0f);
    terrain_set_height(t, 3, 3, NAN);
    EXPECT_FLOAT_EQ(t->heights[3 + t->dim * 3], 12.5f);
    t->is_locked = true;
    terrain_set_height(t, 3, 3, 1);
    EXPECT_FLOAT_EQ(t->heights[3 + t->dim * 3], 12.5f);
    terrain_free(t);
}

TEST(TerrainReshade, OnlyMarkedBlocksAndAllOfThem) {
    // 129 x 129 vertices: several blocks. A raised vertex in the far corner
    // block is reshaded; the shading elsewhere keeps its value.
    Terrain* t = terrain_create(6, 1.0f, 0);
    ASSERT_NE(t, nullptr);
    const int dim = t->dim;
    std::vector<uint8_t> before(t->shading, t->shading + 3 * dim * dim);
    terrain_set_height(t, dim - 2, dim - 2, 3);
    terrain_reshade(t);
    EXPECT_NE(memcmp(before.data() + 3 * (dim - 3 + dim * (dim - 2)), t->shading + 3 * (dim - 3 + dim * (dim - 2)), 3), 0);
    EXPECT_EQ(memcmp(before.data(), t->shading, 3 * dim * 64), 0);
    for (long v = 0; v < (long)dim * dim; v++) ASSERT_FALSE(t->reshade_marks[v >> 3] & (1 << (v & 7))) << v;
    terrain_free(t);
}

}  // namespace
