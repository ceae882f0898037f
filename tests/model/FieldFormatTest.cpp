#include "model/FieldValue.h"
#include "model/ZVFieldClass.h"

#include "common/OleDate.h"

#include <gtest/gtest.h>

#include <clocale>
#include <tuple>

namespace zeva {
namespace {

class FieldFormat : public ::testing::Test {
  protected:
    // Defines field 200 with the given type and pattern and formats value through it.
    std::string Format(std::int16_t vtype, const std::string& pattern, const std::string& value) {
        fields.SetFIdentifier(-1, 200);
        fields.SetFVType(200, vtype);
        fields.SetFFormat(200, pattern);
        return fields.FFormatField(200, value);
    }
    ZVFieldClass fields;
};

// A field's value through its type and Format pattern: the laid out value, the standard text when
// the pattern cannot take the value, or "" with Valid False. A pattern shows the digits the value
// has: every digit of a Currency (15 to 19 significant), the 7 of a Single, every digit of a numeric
// text; never the 15 digits of a double or its binary noise.
TEST_F(FieldFormat, EveryTypeWithAndWithoutAPattern) {
    struct Case {
        std::int16_t vtype;
        const char* pattern;
        const char* value;
        const char* expected;
        bool valid = true;
    };
    // clang-format off
    const Case cases[] = {
        // No pattern.
        {0, "", "12", ""}, {2, "", "12", "12"}, {2, "", "abc", "", false},
        {2, "", "40000", "", false}, {2, "", " -7 ", "-7"}, {3, "", "40000", "40000"},
        {3, "", "3000000000", "", false}, {4, "", "0.1", "0.1"}, {4, "", "1e39", "", false},
        {5, "", "0.1", "0.1"}, {5, "", "2.5E3", "2500"}, {6, "", "12.34567", "12.3457"},
        {6, "", "x", "", false}, {7, "", "2001-02-03", "03/02/2001"},
        {7, "", "2001-02-03 04:05:06", "03/02/2001 04:05:06"}, {7, "", "04:05:06", "04:05:06"},
        {7, "", "2001-02-30", "", false}, {7, "", "tomorrow", "", false}, {8, "", "  padded  ", "  padded  "},
        {8, "", "", ""}, {9, "", "x", ""}, {11, "", "True", "True"},
        {11, "", "0", "False"}, {11, "", "maybe", "", false}, {12, "", " as is ", " as is "},
        {13, "", "x", ""}, {14, "", "1.25", "1.25"}, {17, "", "255", "255"}, {17, "", "256", "", false},
        {17, "", "-1", "", false}, {8192, "", "x", ""}, {99, "", "x", ""},
        // A pattern for each type.
        {2, "0000", "12", "0012"}, {3, "00", "7", "07"}, {3, "00", "12345", "12345"},
        {4, "0.00", "1.5", "1.50"}, {5, "000.0", "2.25", "002.3"}, {6, "0.00", "12.3456", "12.35"},
        {7, "dd/mm/yyyy", "2001-02-03 04:05:06", "03/02/2001"},
        {7, "hh:mm:ss", "2001-02-03 04:05:06", "04:05:06"}, {7, "dd-mm-yy", "03/02/2001", "03-02-01"},
        {7, "yyyymmdd", "2001-02-03", "20010203"},
        {8, "0000", "12", "0012"}, /* a numeric text takes a digit pattern */
        {8, "dd/mm/yyyy", "2001-02-03", "03/02/2001"},
        {8, "0000", "ABC", "ABC"}, /* any other text stays as it is */ {8, "!@@@@@", "ab", "ab   "},
        {11, "0", "True", "-1"}, {12, "0000", "5", "0005"}, {14, "0.0", "1.25", "1.3"},
        {17, "000", "9", "009"}, {9, "0000", "12", ""}, {13, "0000", "12", ""},
        // A pattern's own layout is FormatValue's test; here what each type hands it.
        {11, "On/Off", "False", "Off"}, {7, "0.00", "2001-02-03 12:00", "36925.50"},
        {8, "0;0;0;\"none\"", "", "none"}, {4, "0.0\"", "1.5", "1.5"},
        {6, "\"open", "922337203685477.58", "922337203685477.58"},
        // Dates: midnight alone is a time; no date outside the years 100 to 9999.
        {7, "", "00:00:00", "00:00:00"}, {7, "", "00:00:01", "00:00:01"},
        {7, "", "2001-02-03 00:00:00", "03/02/2001"}, {5, "dd/mm/yyyy", "99999999", "", false},
        {8, "dd/mm/yyyy", "99999999", "", false}, {12, "Short Date", "-1000000", "", false},
        // Every digit the value has.
        {6, "Fixed", "12345678901234.5678", "12345678901234.57"},
        {6, "0.0000", "1234567890123.4567", "1234567890123.4567"},
        {6, "General Number", "922337203685477.58", "922337203685477.58"},
        {6, "Currency", "-922337203685477.5808", "-$922,337,203,685,477.58"},
        {6, "0.000", "99999999999999.9995", "100000000000000.000"}, /* carry, half away from zero */
        {6, "0.00%", "12345678901234.5678", "1234567890123456.78%"},
        {6, "0,,.0000", "123456789012345.6789", "123456789.0123"},
        {6, "0.000000000000000000E+00", "922337203685477.5807", "9.223372036854775807E+14"},
        {6, "#,##0.0000;(#,##0.0000);\"zero\"", "-1234567890123.4567", "(1,234,567,890,123.4567)"},
        {6, "#,##0.0000;(#,##0.0000);\"zero\"", "0.00004", "zero"},
        {6, "dd/mm/yyyy hh:mm", "36925.5", "03/02/2001 12:00"},
        {4, "General Number", "0.1", "0.1"}, {4, "0.000000000", "1.1", "1.100000000"},
        {4, "0.00000000%", "0.1", "10.00000000%"}, {4, "0.0000000000E+00", "-1.1", "-1.1000000000E+00"},
        {8, "0.0000", "12345678901234.5678", "12345678901234.5678"},
        {4, "General Number", "1.5E-07", "1.5E-07"},
        {12, "0.00", " +1234567890123456.785 ", "1234567890123456.79"},
        {12, "0.0000", "1234567890123456789E-4", "123456789012345.6789"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.vtype) + " '" + c.pattern + "' '" + c.value + "'");
        const std::string shown = Format(c.vtype, c.pattern, c.value);
        EXPECT_EQ(std::tuple(shown, fields.Valid()), std::tuple(c.expected, c.valid));
    }
    // The window library switches the C library to the desk's locale: one that writes a decimal
    // comma must not change a Single's digits (where such a locale is installed).
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(Format(4, "", "0.1"), "0.1");
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST_F(FieldFormat, DateTextsDayFirstAndTwoDigitYears) {
    // Year, day and hour read; a two-digit year up to 29 is this century's.
    const auto read = [](const char* text) {
        const CalendarTime c = OleToCalendar(FieldValue::ParseDateTime(text).value_or(-1e9));
        return std::tuple(c.year, c.day, c.hour);
    };
    for (const auto& [text, year, day, hour] : {std::tuple{"03/02/29", 2029, 3, 0},
                                                {"03/02/30", 1930, 3, 0},
                                                {"13-12-2001 1:02 PM", 2001, 13, 13},
                                                {"12:30 AM", 1899, 30, 0},
                                                {"12:30 PM", 1899, 30, 12},
                                                {"1:00 am", 1899, 30, 1}})
        EXPECT_EQ(read(text), std::tuple(year, day, hour)) << text;
    for (const char* bad : {"13/13/2001", "25:00", "2001-02-03x", ""})
        EXPECT_FALSE(FieldValue::ParseDateTime(bad)) << bad;
    // The Fields grid names the types; an undefined field formats to nothing.
    for (const auto& [vtype, name] :
         {std::pair{13, "DataObject"}, {17, "Byte"}, {8192, "Array"}, {15, "Unknown"}, {-1, "Unknown"}})
        EXPECT_EQ(FieldValue::TypeName(static_cast<std::int16_t>(vtype)), name) << vtype;
    EXPECT_EQ(fields.FFormatField(321, "12"), "");
    EXPECT_FALSE(fields.Valid());
}

TEST_F(FieldFormat, TypedDefaultAndLimits) {
    fields.SetFIdentifier(-1, 300);
    fields.SetFVType(300, 2);
    fields.SetFDefault(300, FieldValue("12")); // a text is not an Integer: refused
    EXPECT_EQ(fields.FDefault(300).Text(), "0");
    fields.SetFDefault(300, FieldValue(std::int16_t{12}));
    EXPECT_EQ(std::tuple(fields.FDefault(300).VType(), fields.FDefault(300).Int()), std::tuple(2, 12));
    fields.SetFMinsize(300, FieldValue(std::int16_t{1}));
    fields.SetFMaxsize(300, FieldValue(std::int16_t{99}));
    EXPECT_EQ(fields.FMaxsize(300).Int(), 99);
    EXPECT_EQ(fields.FMinsize(300).VType(), 2);

    // Text fields keep lengths as 16-bit limits, and take no limits through the setters.
    fields.SetFIdentifier(-1, 301);
    fields.SetFMaxsize(301, FieldValue(std::int16_t{40}));
    EXPECT_EQ(std::tuple(fields.FMaxsize(301).VType(), fields.FMaxsize(301).Int()), std::tuple(2, 0));
    fields.SetFDefault(301, FieldValue("abc"));
    EXPECT_EQ(fields.FDefault(301).String(), "abc");
    EXPECT_EQ(fields.FDefault(999).VType(), 0);
    EXPECT_FALSE(fields.Valid());
}

} // namespace
} // namespace zeva
