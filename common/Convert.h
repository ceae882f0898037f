#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zeva {

// Conversions of text with the rules of the legacy BASIC runtime, reporting failure instead of
// wrapping or raising: blanks around the number are allowed, a sign, digits, one decimal point and
// an exponent ("1.5E3"). A text that is empty or holds anything else does not convert.

std::optional<double> ToDouble(std::string_view text);
// Fractions round half to even (2.5 -> 2, 3.5 -> 4); a value outside the type's range fails.
std::optional<std::int16_t> ToInt16(std::string_view text);
std::optional<std::int32_t> ToInt32(std::string_view text);
// Currency: a fixed-point number of ten-thousandths, -922337203685477.5808 to 922337203685477.5807.
// The decimal text itself is rounded to 4 decimals, half to even as the Currency type rounds
// ("0.00015" -> 0.0002, "0.00025" -> 0.0002), never a binary double, so every digit of the range
// counts; a value beyond the range after rounding does not convert.
std::optional<std::int64_t> ToCurrency(std::string_view text);
// The text of a currency value: its exact decimals, trailing zeros dropped ("12.5", "-0.0001", "3").
std::string CurrencyText(std::int64_t tenThousandths);

// "True" and "False" in any case, or any number (0 is false, everything else true).
std::optional<bool> ToBool(std::string_view text);
// True when ToDouble succeeds (the legacy IsNumeric for the texts the client meets).
bool IsNumeric(std::string_view text);

// "True" or "False", the form settings store.
std::string BoolText(bool value);

// The general text of a double with at most 15 significant digits: plain ("0.5", "45123.25") for
// exponents -5 to 14, otherwise exponent form ("1.5E+15", "1E-06"). ToDouble reads both back.
std::string DoubleText(double value);

// Text of an integer, no fill.
std::string IntText(long long value);

} // namespace zeva
