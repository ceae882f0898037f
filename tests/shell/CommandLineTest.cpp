#include "shell/CommandLine.h"

#include <gtest/gtest.h>

using namespace zeva;

namespace {

struct Case {
    const char* name;
    const char* commandLine;
    bool admin;
    const char* userid;
    const char* message;
    bool critical;
};

constexpr const char* kForce = "Forcing client to S99 ADMIN MODE";
#define ZEVA_BAD(text) "Bad command line parameters -> [" text "]. Forcing client to S99"
#define ZEVA_ADMIN_RANGE(text)                                                                               \
    "ADMIN Mode: user is outside range [1-99] - > [" text "]\r\nForcing client to S99 ADMIN MODE"

void PrintTo(const Case& c, std::ostream* os) {
    *os << '[' << c.commandLine << ']';
}

class CommandLineForm : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineForm, GivesTheUserModeAndMessage) {
    const Case& c = GetParam();
    const CommandLineResult r = ParseCommandLine(c.commandLine);
    EXPECT_EQ(r.AdminMode, c.admin);
    EXPECT_EQ(r.Userid, c.userid);
    EXPECT_EQ(r.Message, c.message);
    EXPECT_EQ(r.Critical, c.critical);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, CommandLineForm,
    ::testing::Values(
        Case{"TwoDigits", "05", false, "s05", "", false}, Case{"OneDigit", "5", false, "s05", "", false},
        Case{"Highest", "99", false, "s99", "", false},
        // rounded half away from zero, as the "00" pattern does
        Case{"HalfRoundsUp", "2.5", false, "s03", "", false},
        Case{"LeadingBlank", " 7", false, "s07", "", false}, Case{"Admin", "ADMIN12", true, "s12", "", false},
        Case{"AdminBlank", "admin 7", true, "s07", "", false},
        Case{"AdminMixedCase", "AdMiN99", true, "s99", "", false},
        // the integer value of the text: half to even
        Case{"AdminHalfToEven", "ADMIN2.5", true, "s02", "", false},
        Case{"AdminAlone", "ADMIN", true, "s99", kForce, true},
        Case{"AdminNotNumeric", "adminX", true, "s99",
             "ADMIN Mode: user number is not numeric - > [adminX]\r\nForcing client to S99 ADMIN MODE", true},
        Case{"Admin100", "ADMIN100", true, "s99", ZEVA_ADMIN_RANGE("ADMIN100"), true},
        Case{"Admin0", "ADMIN0", true, "s99", ZEVA_ADMIN_RANGE("ADMIN0"), true},
        Case{"AdminHalfAbove", "ADMIN99.5", true, "s99", ZEVA_ADMIN_RANGE("ADMIN99.5"), true},
        Case{"AdminHalfBelow", "ADMIN0.5", true, "s99", ZEVA_ADMIN_RANGE("ADMIN0.5"), true},
        Case{"Empty", "", false, "s99", ZEVA_BAD(""), false},
        Case{"Hundred", "100", false, "s99", ZEVA_BAD("100"), false},
        Case{"Zero", "0", false, "s99", ZEVA_BAD("0"), false},
        Case{"BelowHalf", "0.4", false, "s99", ZEVA_BAD("0.4"), false},
        Case{"AboveHalf", "99.7", false, "s99", ZEVA_BAD("99.7"), false},
        Case{"Letters", "abcdefgh", false, "s99", ZEVA_BAD("abcde"), false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

#undef ZEVA_BAD
#undef ZEVA_ADMIN_RANGE

} // namespace

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
    for (int n = 1; n <= 99; ++n) {
        char id[8];
        std::snprintf(id, sizeof id, "s%02d", n);
        std::string userid = id;
        EXPECT_TRUE(CheckUserid(userid));
        EXPECT_EQ(userid, id);
    }
    // A character that is no letter reads as one blank, only characters 2 and 3 count; an empty
    // expectation is a refusal.
    const std::pair<const char*, const char*> cases[] = {
        {"S7", "s07"}, {"?05", "?05"}, {"#12", " 12"}, {"s1234", "s12"}, {"m??", ""},
        {"m**", ""},   {"sab", ""},    {"s", ""},      {"", ""},         {"s-5", ""}};
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
