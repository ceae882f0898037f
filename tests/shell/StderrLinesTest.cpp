// The lines the station writes on standard error: the count at the close and the link report.
#include "shell/CloseCountLine.h"
#include "shell/LinkReportLine.h"

#include <gtest/gtest.h>

using namespace zeva;

namespace {

struct CloseCase {
    const char* name;
    CloseCountLine count;
    const char* line;
};

class CloseCount : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseCount, SaysWhatArrivedAndWhereTheUnshownWent) {
    EXPECT_EQ(GetParam().count.Text(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Close, CloseCount,
    ::testing::Values(
        CloseCase{"NothingToSay", {0, 0, true, 0, "RecordLog"}, ""},
        CloseCase{"OneArrivedAllShown",
                  {1, 0, false, 0, ""},
                  "zeva-screen-client: 1 record arrived after the close request"},
        CloseCase{"TrailOff",
                  {5, 2, false, 0, ""},
                  "zeva-screen-client: 5 records arrived after the close request; 2 not shown before the "
                  "window closed, not kept: the record trail (Setup\\RecordLog) is off"},
        CloseCase{"AllWritten",
                  {0, 3, true, 3, "RecordLog"},
                  "zeva-screen-client: 0 records arrived after the close request; 3 not shown before the "
                  "window closed, written to the record trail in RecordLog"},
        CloseCase{"TrailCannotWrite",
                  {4, 3, true, 1, "/full"},
                  "zeva-screen-client: 4 records arrived after the close request; 3 not shown before the "
                  "window closed, 1 of them written to the record trail in /full (it cannot write)"}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST(LinkReport, ARefusedConnectionSaysWhereTheHubAddressIsSet) {
    EXPECT_EQ(
        LinkReportLine::Text("hub 10.0.0.5 port 5000: could not connect - [10061] : Connection refused"),
        "zeva-screen-client: hub 10.0.0.5 port 5000: could not connect - [10061] : Connection refused"
        " - check Setup\\TCP\\Remote Address and Remote Port (Comms > Setup, or zeva-settings set)");
    EXPECT_EQ(LinkReportLine::Text("hub 10.0.0.5 port 5000: up again (logged in)"),
              "zeva-screen-client: hub 10.0.0.5 port 5000: up again (logged in)");
}

} // namespace
