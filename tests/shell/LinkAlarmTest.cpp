#include "shell/LinkAlarm.h"

#include <gtest/gtest.h>

using namespace zeva;

namespace {
constexpr double kT0 = 45000.5; // 12:00:00
double At(int seconds) {
    return kT0 + seconds / 86400.0;
}
} // namespace

TEST(LinkAlarm, DownAfterTheRetryWaitUntilBackThenRestoredForAMinute) {
    LinkAlarm a;
    const int wait = 10;
    EXPECT_FALSE(a.Update(At(0), true, true, true, wait)) << "connected: nothing to say";
    EXPECT_FALSE(a.Update(At(1), true, true, false, wait)) << "down, but a retry may bring it back";
    EXPECT_FALSE(a.Update(At(11), true, true, false, wait));
    EXPECT_TRUE(a.Update(At(12), true, true, false, wait));
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Down);
    EXPECT_EQ(a.Text(), "HUB LINK DOWN since 12:00:01 - records are not arriving");
    EXPECT_FALSE(a.Update(At(300), true, true, false, wait)) << "the line stays as it is while down";
    EXPECT_TRUE(a.Update(At(301), true, true, true, wait));
    EXPECT_EQ(a.Text(), "Hub link restored at 12:05:01");
    EXPECT_FALSE(a.Update(At(360), true, true, true, wait));
    EXPECT_TRUE(a.Update(At(361), true, true, true, wait));
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Quiet);
    EXPECT_EQ(a.Text(), "");
}

TEST(LinkAlarm, NoAlarmWhenNobodyWantsTheLinkOrTheSiteSwitchedItOff) {
    LinkAlarm a;
    for (int s = 0; s < 100; ++s)
        a.Update(At(s), true, false, false, 1); // the operator disconnected on purpose
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Quiet);
    for (int s = 100; s < 200; ++s)
        a.Update(At(s), false, true, false, 1);
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Quiet);
    // Switched on again: the link has been wanted and down since 12:01:40 (the time the operator
    // did not want it does not count).
    a.Update(At(200), true, true, false, 1);
    EXPECT_EQ(a.Text(), "HUB LINK DOWN since 12:01:40 - records are not arriving");
}
