#include "sim/suspension.h"

#include <gtest/gtest.h>
#include <math.h>

#include "crf250_params.h"

namespace {

SuspensionParams damper(float hc, float lc, float hr, float lr)
{
    SuspensionParams p = {};
    p.hs_compression = hc;
    p.ls_compression_offset = lc;
    p.hs_rebound = hr;
    p.ls_rebound_offset = lr;
    return p;
}

TEST(SuspensionDamping, BandAroundTheLinearPart) {
    struct {
        const char* name;
        float v, hc, lc, hr, lr, want;
    } cases[] = {
        {"compressing: linear part plus offset, extending", -1, 60, 30, 30, 30, 90},
        {"slow compression, offset most negative: one eighth of the linear part", -0.01f, 60, -60, 30, -30, 0.075f},
        {"fast compression, large offset: at most eight times the linear part", -0.1f, 10, 100, 10, 0, 8},
        {"rebounding: opposes the extension", 1, 60, 30, 30, 30, -60},
        {"slow rebound, offset most negative: one eighth, still opposing", 0.01f, 60, -60, 30, -30, -0.0375f},
        {"speed exactly 0 counts as rebound and gives 0", 0, 60, 60, 30, 30, 0},
        {"speed 0 with a negative offset is 0, never reversed", 0, 60, -60, 30, -30, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SuspensionParams p = damper(c.hc, c.lc, c.hr, c.lr);
        EXPECT_NEAR(suspension_damping(c.v, &p), c.want, 1e-4f);
    }
}

TEST(ForkForce, Crf250DefaultsAirSpringAndTopOutRamp) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    RiderParams params = default_params(bike);
    const SuspensionParams& fork = params.fork;
    EXPECT_NEAR(fork.spring_rate, 604.77f, 0.01f);
    EXPECT_NEAR(fork.air_gap, 0.33333f, 1e-4f);
    EXPECT_FLOAT_EQ(bike->fork_travel, 1.0f);

    EXPECT_NEAR(fork_air_spring(-0.5f, fork.air_gap, 1), 76.8f, 0.05f);
    EXPECT_NEAR(fork_air_spring(0, fork.air_gap, 1), 0, 1e-4f);
    // Half way down, at rest: spring with preload plus the air spring, no ramp.
    EXPECT_NEAR(fork_force(-0.5f, 0, &fork, 1), 604.77f * (fork.preload + 0.5f) + 76.8f, 0.1f);

    // At full extension the fork pushes with nothing, whatever the preload;
    // the force ramps in over the first 1/32 of the travel.
    SuspensionParams stiff = fork;
    stiff.preload = 0.08333f;
    EXPECT_EQ(fork_force(0, -2, &stiff, 1), 0);
    EXPECT_EQ(fork_force(0.01f, 0, &stiff, 1), 0);  // past the extension stop
    const float full = fork_force(-1.0f / 32, 0, &stiff, 1);
    const float half = fork_force(-1.0f / 64, 0, &stiff, 1);
    EXPECT_NEAR(half, 0.5f * (stiff.spring_rate * (stiff.preload + 1.0f / 64) + fork_air_spring(-1.0f / 64, stiff.air_gap, 1)),
                0.01f);
    EXPECT_GT(full, 2 * half * 0.99f);
}

TEST(ForkForce, BottomedOutAndDegenerateTravelStayFinite) {
    SuspensionParams p = damper(60, 0, 30, 0);
    p.spring_rate = 600;
    p.air_gap = 0;  // no air left at full travel
    struct {
        const char* name;
        float position, travel;
    } cases[] = {
        {"fully compressed with no air gap", -1, 1},
        {"beyond the bottom stop", -1.2f, 1},
        {"no travel", -0.5f, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(isfinite(fork_force(c.position, 0, &p, c.travel)));
    }
}

TEST(RearLinkage, PiecesMeetTheirEndsAndSlopes) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    const float b = bike->linkage_breakpoint;
    struct {
        const char* name;
        float u, compression, slope;
    } cases[] = {
        {"full extension", 0, 0, bike->linkage_slope[0]},
        {"breakpoint from below", b, bike->linkage_compression_break, bike->linkage_slope[1]},
        {"breakpoint from above", b + 1e-6f, bike->linkage_compression_break, bike->linkage_slope[1]},
        {"full travel", 1, bike->linkage_compression_full, bike->linkage_slope[2]},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const linkage_point s = rear_linkage(bike, c.u);
        EXPECT_NEAR(s.compression, c.compression, 1e-4f);
        EXPECT_NEAR(s.slope, c.slope, 1e-3f);
    }
    // Compression grows monotonically over the travel.
    float last = -1;
    for (int i = 0; i <= 64; i++) {
        const float s = rear_linkage(bike, i / 64.0f).compression;
        EXPECT_GT(s, last);
        last = s;
    }
}

TEST(ShockTorque, ProgressiveLinkageStiffensAndDampsMoreNearTheBottom) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    ASSERT_GT(bike->linkage_slope[2], bike->linkage_slope[0]);
    SuspensionParams shock = default_params(bike).shock;
    shock.ls_compression_offset = 0;  // damping is then linear in the shock speed
    const float a_travel = bike->swingarm_travel;
    auto angle = [&](float u) { return -u * a_travel; };
    const float du = 0.02f;

    // Stiffness: torque gained per unit of travel.
    const float top = shock_torque(angle(0.2f + du), 0, &shock, bike) - shock_torque(angle(0.2f), 0, &shock, bike);
    const float bottom = shock_torque(angle(0.95f), 0, &shock, bike) - shock_torque(angle(0.95f - du), 0, &shock, bike);
    EXPECT_GT(bottom, top * 1.5f);

    // Damping at the same compressing hinge rate: the slope counts twice.
    const float rate = -1;
    for (float u : {0.2f, 0.95f}) {
        SCOPED_TRACE(u);
        const float slope = rear_linkage(bike, u).slope;
        const float damping = shock_torque(angle(u), rate, &shock, bike) - shock_torque(angle(u), 0, &shock, bike);
        EXPECT_NEAR(damping, slope * slope * shock.hs_compression, 0.01f * damping);
    }
    // Full extension: no torque, however preloaded.
    EXPECT_EQ(shock_torque(0, -1, &shock, bike), 0);
}

TEST(SuspensionGraph, LowSpeedShareUsesTheBasesOfTheDirection) {
    const float bases[4] = {800, 200, 600, 150};
    struct {
        const char* name;
        float speed, want;
    } cases[] = {
        {"standing still: all low-speed (rebound bases)", 0, 1},
        {"compressing at 0.25 ft/s", -0.25f, 200.0f / 400},
        {"rebounding at 0.25 ft/s", 0.25f, 150.0f / 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(damping_low_share(c.speed, bases), c.want, 1e-5f);
    }
    const float none[4] = {0, 0, 0, 0};
    EXPECT_EQ(damping_low_share(0, none), 0);
}

}  // namespace
