#pragma once
#include <string>
#include <string_view>

namespace zeva {

// Lays a number, a date-time or a text out by a pattern: the one formatting rule set of the client,
// for its own fixed patterns ("0000", "dd/mm/yyyy", "hh:mm:ss dd/mm/yyyy", ...) and for the patterns
// sites keep in the Format column of their field database. The language (docs/FORMATS.md):
//
// - Named formats, matched without regard to case: General Number, Currency, Fixed, Standard,
//   Percent, Scientific, Yes/No, True/False, On/Off, General Date, Long Date, Medium Date, Short
//   Date, Long Time, Medium Time, Short Time.
// - Digit patterns: '0' a digit with zero fill, '#' a digit without fill, one '.', ',' between digit
//   placeholders groups thousands (after the last one it divides by 1000), '%' multiplies by 100,
//   E+ E- e+ e- scientific notation; any other character stands for itself wherever it is. Up to four
//   sections split by ';': positive, negative, zero, empty value. The value is rounded half away from
//   zero on its decimal text (a double's 15 significant digits, or every digit of a number text);
//   an integer part wider than the pattern is written whole.
// - Text patterns: '@' a character or a blank, '&' a character or nothing, filled from the right
//   unless '!' is present; '<' and '>' force lower and upper case.
// - Date-time patterns, day first: d dd ddd dddd ddddd dddddd, m mm mmm mmmm, y yy yyyy, h hh, n nn,
//   s ss, w ww, q, c, ttttt, and AM/PM am/pm A/P a/p AMPM (12-hour clock); m or mm right after an hour
//   part or right before a seconds part means minutes.
// - Text between double quotes and the character after '\' are copied as they stand.

enum class FormatStatus {
    Done,       // text holds the laid-out value
    NotApplied, // the pattern cannot lay this value out; the caller shows the value's standard text
    OutOfRange, // a date-time pattern met a number outside the years a date-time can hold
};

struct FormatResult {
    FormatStatus status = FormatStatus::NotApplied;
    std::string text;
};

// A number (or a date-time double) by any pattern; an empty pattern gives DoubleText.
FormatResult TryFormatValue(double value, std::string_view pattern);
// A number given as its decimal text (what ToDouble reads: "-922337203685477.5807", "1.5E-07"),
// laid out from every digit of that text rather than from a double's 15; a date-time pattern takes
// the text's double. NotApplied for a text that is not a number.
FormatResult TryFormatNumberText(std::string_view number, std::string_view pattern);
// A text by a text pattern (a second ';' section serves the empty text); NotApplied for any other
// kind of pattern.
FormatResult TryFormatText(std::string_view text, std::string_view pattern);
// The empty value (a field sent without text): the fourth section of a digit pattern or the second
// of a text pattern; NotApplied when the pattern has none.
FormatResult TryFormatEmpty(std::string_view pattern);

// TryFormatValue's text; the general text (DoubleText) when the pattern cannot be applied and ""
// for a date-time out of range, never a made-up value.
std::string FormatValue(double value, std::string_view pattern);

// What a pattern lays out, after named formats are resolved: a date-time, a text.
bool IsDatePattern(std::string_view pattern);
bool IsTextPattern(std::string_view pattern);

} // namespace zeva
