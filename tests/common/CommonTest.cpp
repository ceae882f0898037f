#include "common/ChildProcess.h"
#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/FormatValue.h"
#include "common/JetHeader.h"
#include "common/OleDate.h"
#include "common/WholeFile.h"
#include "tests/support/SiteFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <tuple>

using namespace zeva;

namespace {
double Date(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return OleFromCalendar({y, m, d, h, mi, s}).value();
}
} // namespace

// FormatValue shows exactly the text. The client's own patterns (stored file names, log lines and
// packet texts depend on them to the character) come first; a pattern that cannot be applied is
// never garbage.
TEST(FormatValue, PatternsGiveTheirText) {
    struct Case {
        const char* pattern;
        double value;
        const char* expected;
        FormatStatus status = FormatStatus::Done;
    };
    const double t = Date(2001, 2, 3, 4, 5, 6);
    const double evening = Date(2026, 12, 31, 23, 59, 59);
    const double pm = Date(2001, 2, 3, 15, 4, 5); // a Saturday afternoon
    const double newYear = Date(2024, 12, 31, 23, 59, 58);
    constexpr auto NotApplied = FormatStatus::NotApplied, OutOfRange = FormatStatus::OutOfRange;
    // clang-format off
    const Case cases[] = {
        {"0000", 7, "0007"}, {"0000", 12345, "12345"}, {"00", -7, "-07"}, {"00", 2.5, "03"},
        {"00", 2.4999, "02"}, {"00", -2.5, "-03"}, {"0.00", 2.675, "2.68"} /* decimal, not binary rounding */,
        {"0.0", 9.99, "10.0"}, {"0", -0.4, "0"}, {"dd/mm/yyyy", t, "03/02/2001"}, {"hh:mm:ss", t, "04:05:06"},
        {"hh:mm:ss", 0.5, "12:00:00"}, {"dd/mm/yyyy", 0, "30/12/1899"},
        {"dd/mm/yyyy hh:mm:ss", evening, "31/12/2026 23:59:59"}, {"Short Date", pm, "03/02/2001"},
        {"#,##0", 1234567, "1,234,567"}, {"", 0.25, "0.25"}, {"0;(0)", -5, "(5)"},
        {"0;(0);\"nil\"", 0, "nil"},
        {"0;;\"nil\"", -3, "-3"} /* an empty section takes the first, sign and all */,
        {"#,##0,", 1234567, "1,235"} /* thousands */, {"0.00E+00", 12345, "1.23E+04"},
        {"0.00E+00", 0, "0.00E+00"}, {"0.0E+0", 9.99, "1.0E+1"}, {"00.0E+00", 12345, "12.3E+03"},
        {"\"No. \"000", 42, "No. 042"}, {"Tel 000", -42, "-Tel 042"}, {"\\#000", 42, "#042"},
        {"0,000", 5, "0,005"}, {".00", 0.5, ".50"}, {"(00) 0000 0000", 311112222, "(03) 1111 2222"},
        {"0.00E+00", 0.00012, "1.20E-04"}, {"hh\\h nn", pm, "15h 04"}, {"w ww q y", pm, "7 5 1 34"},
        {"hh AMPM", pm, "03 PM"}, {"0.##", 2, "2."}, {"#.##", 0.5, ".5"}, {"Currency", 1234.5, "$1,234.50"},
        {"Percent", 0.5, "50.00%"}, {"Yes/No", -1, "Yes"}, {"Yes/No", 0, "No"},
        {"General Date", pm, "03/02/2001 15:04:05"}, {"Long Date", pm, "Saturday, 3 February 2001"},
        {" short date ", pm, "03/02/2001"}, {"Medium Time", pm, "03:04 PM"}, {"h:mm am/pm", pm, "3:04 pm"},
        {"h AM/PM", Date(2001, 2, 3), "12 AM"}, {"h AM/PM", Date(2001, 2, 3, 12), "12 PM"},
        {"dddddd", pm, "Saturday, 3 February 2001"}, {"ttttt", pm, "15:04:05"},
        {"ddd d mmm yyyy", newYear, "Tue 31 Dec 2024"}, {"dd/mm/yyyy", -657434, "01/01/0100"},
        {"dd/mm/yyyy hh:mm:ss", 2958465.99998, "31/12/9999 23:59:58"},
        {"dd/mm/yyyy hh:mm:ss", Date(2026, 2, 28, 13, 14, 15) + kOleSecond * 0.4, "28/02/2026 13:14:15"},
        {"dd/mm/yyyy hh:mm:ss", Date(2026, 2, 28) + 0.9999999, "01/03/2026 00:00:00"} /* not second 60 */,
        {"dd/mm/yyyy hh:mm:ss", -1.25, "29/12/1899 06:00:00"} /* before the epoch the fraction counts forward */,
        // Not applied: FormatValue shows the standard text, or nothing for a date out of range.
        {"\"open", 12.5, "12.5", NotApplied}, {"0\\", 12.5, "12.5", NotApplied},
        {"0;0;0;0;0", 12.5, "12.5", NotApplied}, {"0.0.0", 12.5, "12.5", NotApplied},
        {"---", 12.5, "12.5", NotApplied}, {"\"text\"", 12.5, "12.5", NotApplied},
        {"0", std::numeric_limits<double>::infinity(), "0", NotApplied}, {"dd/mm/yyyy", 1e9, "", OutOfRange},
        {"Short Date", -700000, "", OutOfRange}, {"hh:mm", 2958465.9999999, "", OutOfRange} /* year 10000 */,
        {"dd/mm/yyyy", -657435, "", OutOfRange}, {"dd/mm/yyyy", 2958466, "", OutOfRange},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.pattern + "' on " + DoubleText(c.value));
        const FormatResult r = TryFormatValue(c.value, c.pattern);
        EXPECT_EQ(r.status, c.status);
        if (c.status == FormatStatus::Done) {
            EXPECT_EQ(r.text, c.expected);
        }
        EXPECT_EQ(FormatValue(c.value, c.pattern), c.expected);
    }
}

TEST(FormatValue, TextPatternsAndTheEmptyValue) {
    const std::tuple<const char*, const char*, const char*> cases[] = {{"@@@@@", "ab", "   ab"},
                                                                       {"(@@@) @@@", "0311", "(  0) 311"},
                                                                       {">", "caf\xE9", "CAF\xC9"},
                                                                       {"<", "\xC9T\xC9", "\xE9t\xE9"},
                                                                       {"!@;\"none\"", "", "none"}};
    for (const auto& [pattern, text, expected] : cases) {
        const FormatResult r = TryFormatText(text, pattern);
        EXPECT_EQ(std::tuple(r.status, r.text), std::tuple(FormatStatus::Done, expected)) << pattern;
    }
    EXPECT_EQ(TryFormatValue(12, "@@@@").text, "  12");
    EXPECT_EQ(TryFormatEmpty("0;-0;0;\"n/a\"").text, "n/a");
    EXPECT_EQ(TryFormatEmpty("0").status, FormatStatus::NotApplied);
}

TEST(OleDate, ImpossibleDatesAreRefused) {
    // A century is no leap year unless it divides by 400.
    for (const CalendarTime& day : {CalendarTime{2024, 2, 29}, {2000, 2, 29}})
        EXPECT_TRUE(OleFromCalendar(day).has_value()) << day.year;
    for (const CalendarTime& no :
         {CalendarTime{2023, 2, 29}, {2100, 2, 29}, {2024, 4, 31}, {2024, 13, 1}, {2024, 1, 1, 24}})
        EXPECT_FALSE(OleFromCalendar(no).has_value())
            << no.year << "-" << no.month << "-" << no.day << " " << no.hour;
}

TEST(Convert, NumbersIntegersAndBooleans) {
    // Integers round half to even and report overflow.
    // clang-format off
    const std::pair<const char*, std::optional<std::int16_t>> shorts[] = {
        {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {" 42 ", 42}, {"\t42 ", 42} /* a TAB is a blank too */,
        {"32767", 32767}, {"-32768", -32768}, {"32768", std::nullopt}, {"-32769", std::nullopt}};
    // clang-format on
    for (const auto& [text, value] : shorts)
        EXPECT_EQ(ToInt16(text), value) << text;
    EXPECT_EQ(ToInt32("2147483647"), 2147483647);
    EXPECT_FALSE(ToInt32("2147483648").has_value());
    EXPECT_EQ(ToInt32("1E3"), 1000);
    for (const char* bad :
         {"", " ", "abc", "1a", "1.2.3", "--1", "1e", ".", "+", "1 2", "0x10", "nan", "inf", "1e999"}) {
        EXPECT_FALSE(ToDouble(bad).has_value()) << bad;
        EXPECT_FALSE(IsNumeric(bad)) << bad;
    }
    EXPECT_EQ(ToDouble(".5"), 0.5);
    EXPECT_EQ(ToDouble("5."), 5.0);
    EXPECT_EQ(ToDouble("-1.5D2"), -150.0);
    // clang-format off
    const std::pair<const char*, std::optional<bool>> bools[] = {
        {"True", true}, {"-1", true}, {"2", true}, {"false", false}, {"0", false},
        {"yes", std::nullopt}, {"", std::nullopt}};
    // clang-format on
    for (const auto& [text, value] : bools)
        EXPECT_EQ(ToBool(text), value) << text;
}

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");    // not in the code page
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");          // cut sequence
    EXPECT_EQ(Utf8ToCp1252("\xFF\xFEz"), "??z");     // invalid bytes
}

TEST(Cp1252, CaseTakesEveryLetterOfTheCodePage) {
    // The ends of each run of letters, and the bytes beside them that stay: the signs around a-z,
    // the multiplication and division signs, sharp s, the micro sign.
    EXPECT_EQ(Cp1252ToUpper("`az{\xE0\xF6\xF7\xF8\xFE\xFF\x9A\x9C\x9E\xDF\xB5"),
              "`AZ{\xC0\xD6\xF7\xD8\xDE\x9F\x8A\x8C\x8E\xDF\xB5");
    EXPECT_EQ(Cp1252ToLower("@AZ[\xC0\xD6\xD7\xD8\xDE\x9F\x8A\x8C\x8E"),
              "@az[\xE0\xF6\xD7\xF8\xFE\xFF\x9A\x9C\x9E");
}

TEST(Convert, CurrencyRoundsTheDecimalTextHalfToEvenWithinItsRange) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    struct Case {
        const char* text;
        std::optional<std::int64_t> tenThousandths;
    };
    // clang-format off
    const Case cases[] = {
        {"0.00015", 2}, {"0.00025", 2}, {"0.00035", 4}, {"-0.00015", -2}, {"0.000250001", 3},
        {"12.34567", 123457}, {" 7 ", 70000}, {"1E3", 10000000}, {"1.5e-4", 2}, {"1e-30", 0}, {"-0.00001", 0},
        {"922337203685477.58", 9223372036854775800}, {"922337203685477.5807", kMax},
        {"-922337203685477.5808", kMin}, {"922337203685477.5808", std::nullopt},
        {"-922337203685477.5809", std::nullopt}, {"922337203685477.58075", std::nullopt},
        {"1e30", std::nullopt}, {"99999999999999999999", std::nullopt}, {"abc", std::nullopt},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ToCurrency(c.text), c.tenThousandths);
    }
    EXPECT_EQ(CurrencyText(kMin), "-922337203685477.5808");
    EXPECT_EQ(CurrencyText(125000), "12.5");
    EXPECT_EQ(CurrencyText(-1), "-0.0001");
    EXPECT_EQ(CurrencyText(0), "0");
}

TEST(JetHeader, TellsJetAndAccessFilesFromOtherBytes) {
    auto head = [](const char* engine, unsigned char version) {
        std::string h("\x00\x01\x00\x00", 4);
        h += std::string(engine, 15) + '\0';
        h += std::string(1, static_cast<char>(version)) + std::string(3, '\0');
        return h;
    };
    const std::string jet4 = head("Standard Jet DB", 1);
    const struct {
        const char* name;
        std::string bytes;
        JetVersion expected;
    } rows[] = {
        {"Jet 3", head("Standard Jet DB", 0), JetVersion::Jet3},
        {"Jet 4", jet4, JetVersion::Jet4},
        {"Access 2007", head("Standard ACE DB", 2), JetVersion::Ace},
        {"Access 2019", head("Standard ACE DB", 6), JetVersion::Ace},
        {"unknown Jet version", head("Standard Jet DB", 2), JetVersion::None},
        {"unknown Access version", head("Standard ACE DB", 7), JetVersion::None},
        {"cut before the version", jet4.substr(0, 0x16), JetVersion::None},
        {"wrong first bytes", "\x01" + jet4.substr(1), JetVersion::None},
        {"SQLite", std::string("SQLite format 3\0", 16) + std::string(16, '\0'), JetVersion::None},
        {"empty", "", JetVersion::None},
    };
    for (const auto& row : rows)
        EXPECT_EQ(JetVersionOf(row.bytes), row.expected) << row.name;
}

// The helper's bounds hold and each way it can end is told apart, so the field database's reader
// can say what happened without ever waiting on it or going down with it.
TEST(ChildProcess, BoundsTimeAndMemoryAndTellsHowItEnded) {
    ChildLimits limits;
    limits.TimeoutMs = 300;
    limits.MemoryBytes = std::size_t(64) << 20;
    auto sh = [&](const std::string& script) { return RunChild({"/bin/sh", "-c", script}, limits); };
    const ChildResult done = sh("echo hidden; echo said >&2");
    EXPECT_EQ(std::tuple(done.Succeeded(), done.Errors), std::tuple(true, "said\n")); // stdout is not kept
    const ChildResult failed = sh("echo first >&2; echo no such table >&2; exit 2");
    EXPECT_EQ(std::tuple(failed.How, failed.Status, failed.Describe("tool")),
              std::tuple(ChildResult::Outcome::Exited, 2, "no such table"));
    const ChildResult crashed = sh("echo reading >&2; kill -SEGV $$"); // what it said last is kept
    EXPECT_EQ(
        std::tuple(crashed.How, crashed.Status, crashed.Describe("tool")),
        std::tuple(ChildResult::Outcome::Signalled, SIGSEGV, "tool ended abnormally (signal 11): reading"));
    const ChildResult hung = sh("exec sleep 30");
    EXPECT_EQ(std::tuple(hung.How, hung.Describe("tool")),
              std::tuple(ChildResult::Outcome::TimedOut, "tool did not finish in time and was stopped"));

    // Grows without end: stopped by the bound (resident size under the sanitizers, address space
    // otherwise, where the shell's allocation fails), never a success.
    limits.TimeoutMs = 10000;
    const ChildResult greedy = sh("a=xxxxxxxxxxxxxxxx; while :; do a=$a$a; done");
    EXPECT_FALSE(greedy.Succeeded());
    EXPECT_NE(greedy.How, ChildResult::Outcome::TimedOut);
    const ChildResult missing = RunChild({"/nonexistent/zeva-fielddb"}, limits);
    EXPECT_EQ(missing.How, ChildResult::Outcome::NotStarted);
    EXPECT_EQ(missing.Describe("zeva-fielddb"),
              "cannot start zeva-fielddb: /nonexistent/zeva-fielddb: No such file or directory");
}

namespace {
std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}
} // namespace

// Whatever step fails, the file in place keeps its old text and the temporary goes; only a whole
// write replaces it.
TEST(WholeFile, OnlyAWholeWriteReplacesTheFileAndAFailureLeavesNoTemporary) {
    namespace fs = std::filesystem;
    test::SiteFolder folder("whole");
    const std::string path = folder.File("out.txt"), temp = path + ".part";
    const auto half = [](const std::string& t) {
        WriteText(t, "ha");
        return false;
    };
    const auto whole = [](const std::string& t) { return WriteText(t, "new"); };
    const auto stuck = [](const std::string& t) { // a folder with something in it will not go
        fs::create_directories(fs::path(t) / "in");
        return false;
    };
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> write;
        WholeFileReplace replace;
        WholeFileStep step;
        const char* text; // at path afterwards
        bool tempLeft;
    };
    const Case cases[] = {
        {"writer gives up", half, WholeFileReplace::Yes, WholeFileStep::Write, "old", false},
        {"file in place kept", whole, WholeFileReplace::No, WholeFileStep::Exists, "old", false},
        {"temporary cannot go", stuck, WholeFileReplace::Yes, WholeFileStep::Write, "old", true},
        {"replaced", whole, WholeFileReplace::Yes, WholeFileStep::Done, "new", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(temp);
        ASSERT_TRUE(WriteText(path, "old"));
        const WholeFileResult r = WriteThenRename(path, temp, c.write, c.replace);
        EXPECT_EQ(std::tuple(r.step, FileText(path), r.tempLeft, fs::exists(temp)),
                  std::tuple(c.step, c.text, c.tempLeft, c.tempLeft));
    }

    // A folder in the file's place: the rename fails with the system's reason.
    const std::string blocked = folder.File("blocked");
    fs::create_directories(fs::path(blocked) / "inside");
    const WholeFileResult r = WriteThenRename(blocked, blocked + ".part", whole);
    EXPECT_EQ(std::tuple(r.step, r.reason.empty(), fs::exists(blocked + ".part")),
              std::tuple(WholeFileStep::Rename, false, false));
    EXPECT_TRUE(fs::is_directory(fs::path(blocked) / "inside"));
}
