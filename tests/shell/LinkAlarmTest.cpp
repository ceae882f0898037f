#include "shell/LinkAlarm.h"

#include <gtest/gtest.h>

using namespace zeva;

namespace {
constexpr double kT0 = 45000.5; // 12:00:00
// The wall clock set back by setBack seconds, the steady clock not.
LinkAlarm::Time At(int seconds, int setBack = 0) {
    return {kT0 + (seconds - setBack) / 86400.0, seconds * 1000.0};
}
constexpr auto kUp = LinkAlarm::Link::Up;
constexpr auto kDown = LinkAlarm::Link::Down;
constexpr auto kNotAnswering = LinkAlarm::Link::NotAnswering;
const LinkAlarm::Detail kHub{"10.0.0.5 port 5000", "", ""};
const std::string kRetry = " - the station tries again every 10 s; if it stays down, tell the administrator";
const std::string kDownSince = "HUB LINK DOWN since 12:00:01 - records are not arriving - ";
} // namespace

TEST(LinkAlarm, DownAfterTheRetryWaitUntilBackThenRestoredForAMinute) {
    LinkAlarm a;
    const int wait = 10;
    EXPECT_FALSE(a.Update(At(0), true, true, kUp, wait, kHub)) << "connected: nothing to say";
    EXPECT_FALSE(a.Update(At(1), true, true, kDown, wait, kHub)) << "down, but a retry may bring it back";
    EXPECT_FALSE(a.Update(At(11), true, true, kDown, wait, kHub));
    EXPECT_TRUE(a.Update(At(12, 3600), true, true, kDown, wait, kHub)) << "the wall clock set back an hour";
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Down);
    EXPECT_EQ(a.Text(), kDownSince + "link to hub 10.0.0.5 port 5000 is down" + kRetry);
    EXPECT_FALSE(a.Update(At(300), true, true, kDown, wait, kHub)) << "the line stays as it is while down";
    EXPECT_TRUE(a.Update(At(301), true, true, kUp, wait, kHub));
    EXPECT_EQ(a.Text(), "Hub link restored at 12:05:01");
    EXPECT_FALSE(a.Update(At(360, 3600), true, true, kUp, wait, kHub));
    EXPECT_TRUE(a.Update(At(361, 3600), true, true, kUp, wait, kHub));
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Quiet);
    EXPECT_EQ(a.Text(), "");
}

TEST(LinkAlarm, AHubThatDoesNotAnswerIsNotRestoredByItsLogins) {
    // A synchronous link given up for a stall logs in again and again; none of those logins is a
    // link that brings records.
    LinkAlarm a;
    a.Update(At(0), true, true, kUp, 1, kHub);
    for (int s = 1; s < 60; ++s)
        a.Update(At(s), true, true, kNotAnswering, 1, kHub);
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Down);
    EXPECT_EQ(a.Text(), kDownSince +
                            "hub 10.0.0.5 port 5000 is not answering - the station tries again every "
                            "1 s; if it stays down, tell the administrator");
    // The stalled link closed, now refused: says so, in the hub's own words.
    a.Update(At(60), true, true, kDown, 10,
             {kHub.hub, "hub 10.0.0.5 port 5000: could not connect - refused", ""});
    EXPECT_EQ(a.Text(), kDownSince + "hub 10.0.0.5 port 5000: could not connect - refused" + kRetry);
    EXPECT_TRUE(a.Update(At(61), true, true, kUp, 1, kHub)) << "the first answer restores it";
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Restored);
}

TEST(LinkAlarm, NoAlarmWhenNobodyWantsTheLinkOrTheSiteSwitchedItOff) {
    LinkAlarm a;
    for (int s = 0; s < 100; ++s)
        a.Update(At(s), true, false, kDown, 1); // the operator disconnected on purpose
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Quiet);
    for (int s = 100; s < 200; ++s)
        a.Update(At(s), false, true, kDown, 1);
    EXPECT_EQ(a.GetState(), LinkAlarm::State::Quiet);
    // Switched on again: the link has been wanted and down since 12:01:40 (the time the operator
    // did not want it does not count).
    a.Update(At(200), true, true, kDown, 1);
    const std::string down =
        "HUB LINK DOWN since 12:01:40 - records are not arriving - link to the hub is down - ";
    EXPECT_EQ(a.Text(), down + "the station tries again every 1 s; if it stays down, tell the administrator");
    a.Update(At(201), true, true, kDown, 1, {"", "", "the station stopped trying"}); // out of attempts
    EXPECT_EQ(a.Text(), down + "the station stopped trying");
}
