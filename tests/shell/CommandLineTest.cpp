#include "shell/CommandLine.h"

#include <gtest/gtest.h>

using namespace zeva;

#define ZEVA_BAD(text) "Bad command line parameters -> [" text "]. Forcing client to S99"
#define ZEVA_ADMIN_RANGE(text)                                                                               \
    "ADMIN Mode: user is outside range [1-99] - > [" text "]\r\nForcing client to S99 ADMIN MODE"

TEST(CommandLine, GivesTheUserModeAndMessage) {
    const struct {
        const char* commandLine;
        bool admin;
        const char* userid;
        const char* message;
        bool critical;
    } cases[] = {{"99", false, "s99", "", false},
                 // rounded half away from zero, as the "00" pattern does
                 {"2.5", false, "s03", "", false},
                 {" 7", false, "s07", "", false},
                 {"admin 7", true, "s07", "", false},
                 // the integer value of the text: half to even
                 {"ADMIN2.5", true, "s02", "", false},
                 {"ADMIN", true, "s99", "Forcing client to S99 ADMIN MODE", true},
                 {"adminX", true, "s99",
                  "ADMIN Mode: user number is not numeric - > [adminX]\r\nForcing client to S99 ADMIN MODE",
                  true},
                 {"ADMIN100", true, "s99", ZEVA_ADMIN_RANGE("ADMIN100"), true},
                 {"ADMIN0", true, "s99", ZEVA_ADMIN_RANGE("ADMIN0"), true},
                 {"ADMIN99.5", true, "s99", ZEVA_ADMIN_RANGE("ADMIN99.5"), true},
                 {"", false, "s99", ZEVA_BAD(""), false},
                 {"100", false, "s99", ZEVA_BAD("100"), false},
                 {"0", false, "s99", ZEVA_BAD("0"), false},
                 {"99.7", false, "s99", ZEVA_BAD("99.7"), false},
                 {"abcdefgh", false, "s99", ZEVA_BAD("abcde"), false}};
    for (const auto& c : cases) {
        const CommandLineResult r = ParseCommandLine(c.commandLine);
        EXPECT_EQ(std::tuple(r.AdminMode, r.Userid, r.Message, r.Critical),
                  std::tuple(c.admin, c.userid, c.message, c.critical))
            << '[' << c.commandLine << ']';
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

TEST(CheckUserid, NormalisesValidIdentifiersAndLeavesRefusedOnesUnchanged) {
    // A character that is no letter reads as one blank, only characters 2 and 3 count; an empty
    // expectation is a refusal.
    const std::pair<const char*, const char*> cases[] = {
        {"s01", "s01"}, {"s99", "s99"}, {"S7", "s07"}, {"?05", "?05"}, {"#12", " 12"}, {"s1234", "s12"},
        {"m??", ""},    {"m**", ""},    {"sab", ""},   {"s", ""},      {"", ""},       {"s-5", ""}};
    for (const auto& [given, normalised] : cases) {
        std::string userid = given;
        EXPECT_EQ(CheckUserid(userid), *normalised != 0) << given;
        EXPECT_EQ(userid, *normalised ? normalised : given) << given;
    }
}

TEST(MainTitle, CaptionsCarryVersionUserAndMode) {
    EXPECT_EQ(FirstLoadTitle(false, "s05", 4, 0, 1), "ZEVA Screen Client - V4.0(1)  2018");
    EXPECT_EQ(
        FirstLoadTitle(true, "s99", 4, 0, 1),
        "ZEVA Screen Client - V4.0(1)  2018 (s99)     A D M I N    M O D E         NORL Communications P/L");
    EXPECT_EQ(RunningTitle(false, "s05", 4, 2, 17),
              "ZEVA Screen Client - V4.2(17)  2018 (s05)               NORL Communications P/L");
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
