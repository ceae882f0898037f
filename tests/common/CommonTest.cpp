#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/FormatValue.h"
#include "common/OleDate.h"
#include "common/SqliteDatabase.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace zeva;

namespace {
double Date(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return OleFromCalendar({y, m, d, h, mi, s}).value();
}
} // namespace

TEST(FormatValue, DigitPatternsFillWithZerosAndNeverCut) {
    EXPECT_EQ(FormatValue(7, "0000"), "0007");
    EXPECT_EQ(FormatValue(7, "000"), "007");
    EXPECT_EQ(FormatValue(7, "00"), "07");
    EXPECT_EQ(FormatValue(123, "00"), "123");
    EXPECT_EQ(FormatValue(0, "00"), "00");
    EXPECT_EQ(FormatValue(-7, "00"), "-07");
    EXPECT_EQ(FormatValue(12345, "0000"), "12345");
}

TEST(FormatValue, DigitPatternsRoundHalfAwayFromZero) {
    EXPECT_EQ(FormatValue(2.5, "00"), "03");
    EXPECT_EQ(FormatValue(3.5, "00"), "04");
    EXPECT_EQ(FormatValue(2.4999, "00"), "02");
    EXPECT_EQ(FormatValue(-2.5, "00"), "-03");
    EXPECT_EQ(FormatValue(2.675, "0.00"), "2.68"); // decimal, not binary, rounding
    EXPECT_EQ(FormatValue(9.99, "0.0"), "10.0");
    EXPECT_EQ(FormatValue(-0.4, "0"), "0"); // no negative zero
}

TEST(FormatValue, OptionalDigitsGroupingAndLiterals) {
    EXPECT_EQ(FormatValue(1234567, "#,##0"), "1,234,567");
    EXPECT_EQ(FormatValue(1.5, "#.##"), "1.5");
    EXPECT_EQ(FormatValue(42, "Tel 000"), "Tel 042");
    EXPECT_EQ(FormatValue(0.5, ".00"), ".50");
    EXPECT_EQ(FormatValue(1234.567, ".00"), "1234.57");
    EXPECT_EQ(FormatValue(0.25, ""), "0.25");
}

TEST(FormatValue, EveryDatePatternTheClientUses) {
    const double t = Date(2001, 2, 3, 4, 5, 6);
    EXPECT_EQ(FormatValue(t, "dd/mm/yyyy"), "03/02/2001");
    EXPECT_EQ(FormatValue(t, "dd-mm-yyyy"), "03-02-2001");
    EXPECT_EQ(FormatValue(t, "dd/mm/yy"), "03/02/01");
    EXPECT_EQ(FormatValue(t, "dd-mm-yy"), "03-02-01");
    EXPECT_EQ(FormatValue(t, "hh:mm:ss"), "04:05:06");
    EXPECT_EQ(FormatValue(t, "yyyymmdd"), "20010203");
    EXPECT_EQ(FormatValue(t, "hhmmss"), "040506");
    EXPECT_EQ(FormatValue(t, "ddmmyyyy"), "03022001");
    EXPECT_EQ(FormatValue(t, "hh:mm:ss dd/mm/yyyy"), "04:05:06 03/02/2001");
    EXPECT_EQ(FormatValue(t, "dd/mm/yy hh:mm:ss "), "03/02/01 04:05:06 ");
    EXPECT_EQ(FormatValue(t, "dd-mm-yyyy-hh-mm-ss"), "03-02-2001-04-05-06");
}

TEST(FormatValue, DateNamesAndMinutesAfterHours) {
    const double t = Date(2024, 12, 31, 23, 59, 58);
    EXPECT_EQ(FormatValue(t, "ddd d mmm yyyy"), "Tue 31 Dec 2024");
    EXPECT_EQ(FormatValue(t, "dddd mmmm"), "Tuesday December");
    EXPECT_EQ(FormatValue(t, "h:m"), "23:59");
    EXPECT_EQ(FormatValue(t, "nn:ss"), "59:58");
    EXPECT_EQ(FormatValue(t, "\"at\" hh"), "at 23");
    EXPECT_EQ(FormatValue(0, "dd/mm/yyyy"), "30/12/1899");
}

TEST(OleDate, CalendarRoundTripAndEpoch) {
    EXPECT_DOUBLE_EQ(Date(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(Date(1900, 1, 1), 2.0);
    EXPECT_DOUBLE_EQ(Date(2000, 1, 1, 12), 36526.5);
    const CalendarTime c = OleToCalendar(Date(2026, 2, 28, 13, 14, 15) + kOleSecond * 0.4);
    EXPECT_EQ(c.year, 2026);
    EXPECT_EQ(c.month, 2);
    EXPECT_EQ(c.day, 28);
    EXPECT_EQ(c.hour, 13);
    EXPECT_EQ(c.minute, 14);
    EXPECT_EQ(c.second, 15);
    // A time just short of midnight rounds into the next day, not to second 60.
    const CalendarTime late = OleToCalendar(Date(2026, 2, 28) + 0.9999999);
    EXPECT_EQ(late.day, 1);
    EXPECT_EQ(late.month, 3);
    EXPECT_EQ(late.hour, 0);
    // Before the epoch the fraction still counts forward.
    const CalendarTime before = OleToCalendar(-1.25);
    EXPECT_EQ(before.day, 29);
    EXPECT_EQ(before.hour, 6);
}

TEST(OleDate, ImpossibleDatesAreRefused) {
    EXPECT_FALSE(OleFromCalendar({2023, 2, 29}).has_value());
    EXPECT_TRUE(OleFromCalendar({2024, 2, 29}).has_value());
    EXPECT_FALSE(OleFromCalendar({2024, 4, 31}).has_value());
    EXPECT_FALSE(OleFromCalendar({2024, 13, 1}).has_value());
    EXPECT_FALSE(OleFromCalendar({2024, 1, 1, 24}).has_value());
    EXPECT_GT(OleNow(), Date(2020, 1, 1));
}

TEST(Convert, IntegersRoundHalfToEvenAndReportOverflow) {
    EXPECT_EQ(ToInt16("2.5"), 2);
    EXPECT_EQ(ToInt16("3.5"), 4);
    EXPECT_EQ(ToInt16("-2.5"), -2);
    EXPECT_EQ(ToInt16(" 42 "), 42);
    EXPECT_EQ(ToInt16("32767"), 32767);
    EXPECT_FALSE(ToInt16("32768").has_value());
    EXPECT_FALSE(ToInt16("-32769").has_value());
    EXPECT_EQ(ToInt16("-32768"), -32768);
    EXPECT_EQ(ToInt32("2147483647"), 2147483647);
    EXPECT_FALSE(ToInt32("2147483648").has_value());
    EXPECT_EQ(ToInt32("1E3"), 1000);
}

TEST(Convert, MalformedNumbersDoNotConvert) {
    for (const char* bad :
         {"", " ", "abc", "1a", "1.2.3", "--1", "1e", ".", "+", "1 2", "0x10", "nan", "inf"}) {
        EXPECT_FALSE(ToDouble(bad).has_value()) << bad;
        EXPECT_FALSE(IsNumeric(bad)) << bad;
    }
    EXPECT_EQ(ToDouble(".5"), 0.5);
    EXPECT_EQ(ToDouble("5."), 5.0);
    EXPECT_EQ(ToDouble("-1.5D2"), -150.0);
    EXPECT_FALSE(ToDouble("1e999").has_value());
}

TEST(Convert, Booleans) {
    EXPECT_EQ(ToBool("True"), true);
    EXPECT_EQ(ToBool("false"), false);
    EXPECT_EQ(ToBool("-1"), true);
    EXPECT_EQ(ToBool("0"), false);
    EXPECT_EQ(ToBool("2"), true);
    EXPECT_FALSE(ToBool("yes").has_value());
    EXPECT_FALSE(ToBool("").has_value());
    EXPECT_EQ(BoolText(true), "True");
}

TEST(Convert, DoubleTextHasFifteenDigitsAndReadsBack) {
    EXPECT_EQ(DoubleText(0), "0");
    EXPECT_EQ(DoubleText(0.5), "0.5");
    EXPECT_EQ(DoubleText(-12.25), "-12.25");
    EXPECT_EQ(DoubleText(100), "100");
    EXPECT_EQ(DoubleText(123456789012345.0), "123456789012345");
    EXPECT_EQ(DoubleText(1e15), "1E+15");
    EXPECT_EQ(DoubleText(1.5e15), "1.5E+15");
    EXPECT_EQ(DoubleText(0.00001), "0.00001");
    EXPECT_EQ(DoubleText(0.000001), "1E-06");
    EXPECT_EQ(DoubleText(1.0 / 3.0), "0.333333333333333");
    for (double v : {45123.7654321, 1.0 / 86400.0, 36526.5, -0.001, 9.87654321e-20, 1.23e200}) {
        const auto back = ToDouble(DoubleText(v));
        ASSERT_TRUE(back.has_value()) << DoubleText(v);
        EXPECT_NEAR(*back, v, std::abs(v) * 1e-14) << DoubleText(v);
    }
}

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(Cp1252ToUtf8("\xE9"), "\xC3\xA9");     // e acute
    EXPECT_EQ(Utf8ToCp1252("\xE2\x80\x9C"), "\x93"); // left double quote
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");    // not in the code page
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");          // cut sequence
    EXPECT_EQ(Utf8ToCp1252("\xFF\xFEz"), "??z");     // invalid bytes
}

TEST(SqliteDatabase, BoundParametersKeepAnyText) {
    const auto path = std::filesystem::temp_directory_path() / "zeva_common_test.db";
    std::filesystem::remove(path);
    SqliteDatabase db;
    EXPECT_FALSE(db.Open(path.string(), SqliteDatabase::Mode::ReadWrite)) << "opening never creates";
    ASSERT_TRUE(db.Open(path.string(), SqliteDatabase::Mode::Create));
    ASSERT_TRUE(db.ExecScript("CREATE TABLE t (a TEXT, b TEXT)"));
    const std::string tricky = "O'Brien\"; DROP TABLE t; --";
    ASSERT_TRUE(db.Exec("INSERT INTO t VALUES (?1, ?2)", {tricky, std::nullopt}));
    std::vector<SqliteDatabase::Row> rows;
    ASSERT_TRUE(db.Exec("SELECT a, b FROM t", {}, &rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], tricky);
    EXPECT_FALSE(rows[0][1].has_value());
    EXPECT_FALSE(db.Exec("SELECT * FROM missing"));
    EXPECT_NE(db.LastError().find("missing"), std::string::npos);
    EXPECT_TRUE(db.ExecScript("CREATE TABLE " + QuoteIdentifier("we\"ird name") + " (x)"));
    db.Close();
    std::filesystem::remove(path);
}
