#include "common/OleDate.h"
#include "flags/ModuleClass.h"
#include "flags/MonitorFlagLine.h"
#include "flags/SendToMonitor.h"
#include "tests/support/memory/FakeClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeva {
namespace {

double At(int y, int mo, int d, int h, int mi, int s) {
    return OleFromCalendar({y, mo, d, h, mi, s}).value();
}

// A flag's texts as the monitor reads them: Text1 (the flag number) to Text8, joined by "|".
std::string Texts(const CommType& p) {
    return p.Text1 + "|" + p.Text2 + "|" + p.Text3 + "|" + p.Text4 + "|" + p.Text5 + "|" + p.Text6 + "|" +
           p.Text7 + "|" + p.Text8;
}

class FlagPacketTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(modules.Connect("S07")); }
    FakeClock clock{At(2024, 2, 29, 13, 5, 9)};
    ModuleClass modules{clock};
};

TEST_F(FlagPacketTest, TestFlagFields) {
    CommType expected; // PacketType, Data and the rest stay cleared
    expected.Source = "s07";
    expected.Destination = "m**";
    expected.Created = clock.Now();
    expected.Text1 = "2";
    expected.Text2 = "s07";
    expected.Text3 = "s07";
    std::vector<CommType> sent;
    ASSERT_TRUE(SendToMonitor(
        modules, [&](const CommType& p) { return sent.push_back(p), true; }, "TEST", "", ""));
    EXPECT_EQ(sent, std::vector<CommType>{expected});
}

TEST_F(FlagPacketTest, TextsOptionalFlagAndUnknownCodes) {
    EXPECT_EQ(Texts(modules.GenerateError(9, "setup", "", true)), "9|setup|s07|||0||True");
    EXPECT_EQ(Texts(modules.GenerateError(8, "", "two", false)), "8|s07|two|||0||False");
    int calls = 0;
    auto send = [&](const CommType&) { return ++calls, true; };
    for (const char* unknown : {"NOSUCH", "test"})
        EXPECT_FALSE(SendToMonitor(modules, send, unknown, "", "")) << unknown;
    EXPECT_FALSE(SendToMonitor(modules, PacketSendFunction{}, "TEST", "", ""));
    // The link's answer is passed on.
    EXPECT_FALSE(SendToMonitor(
        modules, [](const CommType&) { return false; }, "PWLOCK", "", ""));
    ModuleClass unconnected(clock);
    EXPECT_FALSE(SendToMonitor(unconnected, send, "TEST", "", ""));
    EXPECT_EQ(calls, 0);
}

TEST_F(FlagPacketTest, MonitorCompletionFillsTextsAndLine) {
    // As the screen client sends it: Text2 and Text3 already hold the identifier and stay.
    CommType p = modules.GenerateError(modules.GetActionNo("PWLOCK"), "", "");
    EXPECT_EQ(modules.PostGenerateError(p), 9);
    EXPECT_EQ(Texts(p),
              "9|s07|s07|Module setup has been locked by user.|" + modules.EDescription(9) + "|2|SCREEN |");
    EXPECT_EQ(p.Data,
              "29/02/24 13:05:09 (s07) SCREEN      s07      Module setup has been locked by user. (s07)");

    // Empty texts come from the tables; the code is centred in twelve places or cut to them.
    CommType q;
    q.Source = "p01";
    q.Created = At(2006, 8, 25, 7, 0, 0);
    q.Text1 = "3";
    EXPECT_EQ(modules.PostGenerateError(q), 3);
    EXPECT_EQ(Texts(q),
              "3|p01|PRNT_OFF|Printer has been placed Off-Line|" + modules.EDescription(3) + "|3|PRINT  |");
    EXPECT_EQ(q.Data, "25/08/06 07:00:00 (p01) PRINT     PRNT_OFF   Printer has been placed Off-Line (p01)");
    q.Text3.clear();
    q.Text1 = "24";
    q.Source = "t01";
    q.Text2.clear();
    EXPECT_EQ(modules.PostGenerateError(q), 24);
    EXPECT_EQ(q.Data.substr(18), "(t01) TCP   TELSTRA_IPFA Printer has been placed Off-Line (t01)");

    // No flag number, or one past the table: marked, never shown as a flag line.
    for (const char* bad : {"abc", "", "25", "-1"}) {
        CommType r;
        r.Source = "z01";
        r.Text1 = bad;
        EXPECT_EQ(modules.PostGenerateError(r), -1) << bad;
        EXPECT_EQ(r.Data, "- error -");
        EXPECT_EQ(Texts(r), std::string(bad) + "|z01||||-1||");
    }
}

TEST_F(FlagPacketTest, MonitorLineShowsCodeAndTitleFromTheFlagTable) {
    CommType p = modules.GenerateError(modules.GetActionNo("PWLOCK"), "", "desk 4");
    EXPECT_EQ(
        MonitorFlagLine(modules, p),
        "29/02/24 13:05:09 (s07) SCREEN     PWLOCK    Module setup has been locked by user. (s07) | desk 4");
    p.Text1 = "25";
    EXPECT_EQ(MonitorFlagLine(modules, p), "(s07) - error -: flag number \"25\" is not in the flag table");
}

} // namespace
} // namespace zeva
