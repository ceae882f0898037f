#pragma once
#include <string>
#include <string_view>

namespace zeva {

// Lays a number or a date-time out by a pattern, the one formatting rule set of the client.
//
// Digit patterns: made only of '0', '#', ',' and one '.': '0' is a digit with zero fill, '#' a digit
//   without fill; the value is rounded half away from zero to the pattern's decimals, and an integer
//   part wider than the pattern is written whole ("00" gives 7 -> "07", 2.5 -> "03", 123 -> "123").
//   A ',' anywhere in the integer part groups thousands.
// Date-time patterns (day first): "dd" day, "d" day without fill, "mm" month, "m" month without fill,
//   "yyyy" and "yy" year, "hh" hour of 24, "h" without fill, "nn" minutes, "ss" seconds;
//   "mm"/"m" directly after an hour part (or directly before a seconds part) means minutes.
//   Every other character stands for itself; text between double quotes and a character after '\'
//   are copied literally.
// An empty pattern gives the value's general text (DoubleText).
std::string FormatValue(double value, std::string_view pattern);

// True when the pattern holds date-time parts (d, m, y, h, n, s outside quotes).
bool IsDatePattern(std::string_view pattern);

} // namespace zeva
