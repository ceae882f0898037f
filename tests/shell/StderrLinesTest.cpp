#include "shell/CloseCountLine.h"
#include "shell/LinkReportLine.h"

#include <gtest/gtest.h>

using namespace zeva;

TEST(CloseCount, SaysWhatArrivedAndWhereTheUnshownWent) {
    const std::pair<CloseCountLine, const char*> cases[] = {
        {{0, 0, true, 0, "RecordLog"}, ""},
        {{1, 0, false, 0, ""}, "zeva-screen-client: 1 record arrived after the close request"},
        {{5, 2, false, 0, ""},
         "zeva-screen-client: 5 records arrived after the close request; 2 not shown before the "
         "window closed, not kept: the record trail (Setup\\RecordLog) is off"},
        {{0, 3, true, 3, "RecordLog"},
         "zeva-screen-client: 0 records arrived after the close request; 3 not shown before the "
         "window closed, written to the record trail in RecordLog"},
        {{4, 3, true, 1, "/full"},
         "zeva-screen-client: 4 records arrived after the close request; 3 not shown before the "
         "window closed, 1 of them written to the record trail in /full (it cannot write)"}};
    for (const auto& [count, line] : cases)
        EXPECT_EQ(count.Text(), line);
}

TEST(LinkReport, EachFailureSaysWhatToDoNextAndNamesTheKeysOfTheHubThatFailed) {
    const std::string hub = "hub 10.0.0.5 port 5000: ", out = "zeva-screen-client: ";
    const std::string refused = hub + "could not connect - [10061] : Connection refused";
    EXPECT_EQ(
        LinkReportLine::Text(refused),
        out + refused +
            " - check Setup\\TCP\\Remote Address and Remote Port (Comms > Setup, or zeva-settings set)");
    EXPECT_EQ(
        LinkReportLine::Text(refused, true),
        out + refused +
            " - check Setup\\TCP\\Backup Address and Backup Port (Comms > Setup, or zeva-settings set)");
    const std::string silent = hub + "connected, but the hub sent no login answer within 10 seconds";
    EXPECT_EQ(LinkReportLine::Text(silent, false, "s05"),
              out + silent +
                  " - check that Setup\\TCP\\Remote Port is the ZEVA hub's port and that the hub takes the "
                  "identifier \"s05\" (the hub's log says why it refused)");
    for (const char* lost : {"connection lost - [10054] : Connection reset by peer",
                             "the hub closed the link", "the hub sent a disconnect request",
                             "not answering - no answer to the data request within 10 seconds"})
        EXPECT_EQ(LinkReportLine::Text(hub + lost),
                  out + hub + lost +
                      " - the station connects again by itself; if this keeps happening, check that the hub "
                      "10.0.0.5 port 5000 runs and the network to it");
    EXPECT_EQ(LinkReportLine::Text(hub + "up again (logged in)"), out + hub + "up again (logged in)");
}
