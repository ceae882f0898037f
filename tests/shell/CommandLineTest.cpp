#include "shell/CommandLine.h"

#include <gtest/gtest.h>

using namespace zeva;

namespace {
struct Case {
    const char* commandLine;
    bool admin;
    const char* userid;
    const char* message;
    bool critical;
};
} // namespace

TEST(CommandLine, EveryFormOfTheGrammar) {
    const std::string force = "Forcing client to S99 ADMIN MODE";
    const Case cases[] = {
        {"05", false, "s05", "", false},
        {"5", false, "s05", "", false},
        {"99", false, "s99", "", false},
        {"2.5", false, "s03", "", false}, // rounded half away from zero, as the "00" pattern does
        {" 7", false, "s07", "", false},
        {"ADMIN12", true, "s12", "", false},
        {"admin 7", true, "s07", "", false},
        {"AdMiN99", true, "s99", "", false},
        {"ADMIN2.5", true, "s02", "", false}, // the integer value of the text: half to even
        {"ADMIN", true, "s99", "Forcing client to S99 ADMIN MODE", true},
        {"", false, "s99", "Bad command line parameters -> []. Forcing client to S99", false},
        {"100", false, "s99", "Bad command line parameters -> [100]. Forcing client to S99", false},
        {"0", false, "s99", "Bad command line parameters -> [0]. Forcing client to S99", false},
        {"0.4", false, "s99", "Bad command line parameters -> [0.4]. Forcing client to S99", false},
        {"99.7", false, "s99", "Bad command line parameters -> [99.7]. Forcing client to S99", false},
        {"-5", false, "s99", "Bad command line parameters -> [-5]. Forcing client to S99", false},
        {"abcdefgh", false, "s99", "Bad command line parameters -> [abcde]. Forcing client to S99", false},
        {"1234567", false, "s99", "Bad command line parameters -> [12345]. Forcing client to S99", false},
    };
    for (const Case& c : cases) {
        const CommandLineResult r = ParseCommandLine(c.commandLine);
        EXPECT_EQ(r.AdminMode, c.admin) << c.commandLine;
        EXPECT_EQ(r.Userid, c.userid) << c.commandLine;
        EXPECT_EQ(r.Message, c.message) << c.commandLine;
        EXPECT_EQ(r.Critical, c.critical) << c.commandLine;
    }
}

TEST(CommandLine, AdminMessagesQuoteTheWholeCommandLine) {
    CommandLineResult r = ParseCommandLine("adminX");
    EXPECT_TRUE(r.AdminMode);
    EXPECT_EQ(r.Userid, "s99");
    EXPECT_TRUE(r.Critical);
    EXPECT_EQ(r.Message,
              "ADMIN Mode: user number is not numeric - > [adminX]\r\nForcing client to S99 ADMIN MODE");
    for (const char* cmd : {"ADMIN100", "ADMIN0", "ADMIN-3", "ADMIN99.5", "ADMIN0.5", "ADMIN99999"}) {
        r = ParseCommandLine(cmd);
        EXPECT_EQ(r.Userid, "s99") << cmd;
        EXPECT_EQ(r.Message, std::string("ADMIN Mode: user is outside range [1-99] - > [") + cmd +
                                 "]\r\nForcing client to S99 ADMIN MODE")
            << cmd;
    }
}

TEST(CommandLine, AnyLengthAndAnyBytesAreSafe) {
    std::string junk(100000, '\xFF');
    junk[3] = '\0';
    CommandLineResult r = ParseCommandLine(junk);
    EXPECT_EQ(r.Userid, "s99");
    EXPECT_EQ(r.Message.size(),
              std::string("Bad command line parameters -> []. Forcing client to S99").size() + 5);
    r = ParseCommandLine("ADMIN" + junk);
    EXPECT_EQ(r.Userid, "s99");
    EXPECT_TRUE(r.AdminMode);
}

TEST(CheckUserid, NormalisesValidIdentifiers) {
    for (int n = 1; n <= 99; ++n) {
        char id[8];
        std::snprintf(id, sizeof id, "s%02d", n);
        std::string userid = id;
        EXPECT_TRUE(CheckUserid(userid));
        EXPECT_EQ(userid, id);
    }
    std::string u = "S7";
    EXPECT_TRUE(CheckUserid(u));
    EXPECT_EQ(u, "s07");
    u = "?05";
    EXPECT_TRUE(CheckUserid(u));
    EXPECT_EQ(u, "?05");
    u = "#12";
    EXPECT_TRUE(CheckUserid(u));
    EXPECT_EQ(u, " 12") << "a character that is no letter reads as one blank";
    u = "s1234";
    EXPECT_TRUE(CheckUserid(u));
    EXPECT_EQ(u, "s12") << "only characters 2 and 3 count";
}

TEST(CheckUserid, RefusesWildcardsNonNumbersAndOutOfRange) {
    for (const char* bad : {"m??", "m**", "sab", "s", "", "s-5"}) {
        std::string userid = bad;
        EXPECT_FALSE(CheckUserid(userid)) << bad;
        EXPECT_EQ(userid, bad) << "left unchanged";
    }
}

TEST(MainTitle, CaptionsCarryVersionUserAndMode) {
    EXPECT_EQ(FirstLoadTitle(false, "s05", 4, 0, 1), "ZEVA Screen Client - V4.0(1)  2018");
    EXPECT_EQ(
        FirstLoadTitle(true, "s99", 4, 0, 1),
        "ZEVA Screen Client - V4.0(1)  2018 (s99)     A D M I N    M O D E         NORL Communications P/L");
    EXPECT_EQ(RunningTitle(false, "s05", 4, 2, 17),
              "ZEVA Screen Client - V4.2(17)  2018 (s05)               NORL Communications P/L");
    EXPECT_EQ(
        RunningTitle(true, "s12", 4, 0, 1),
        "ZEVA Screen Client - V4.0(1)  2018 (s12)     A D M I N    M O D E         NORL Communications P/L");
}

TEST(CommandLine, OnlyALoneHelpOrVersionAsksForInformation) {
    EXPECT_EQ(ProgramInfoRequest({"--help"}), InfoRequest::Help);
    EXPECT_EQ(ProgramInfoRequest({"-h"}), InfoRequest::Help);
    EXPECT_EQ(ProgramInfoRequest({"--version"}), InfoRequest::Version);
    // Everything else stays a station's command line, as ever.
    for (const std::vector<std::string>& station : std::vector<std::vector<std::string>>{
             {}, {"05"}, {"ADMIN"}, {"--help", "05"}, {"-help"}, {"HELP"}, {"-v"}})
        EXPECT_EQ(ProgramInfoRequest(station), InfoRequest::None);
}
