#pragma once
#include <string>
#include <string_view>

namespace zeva {

// Small text helpers with the legacy BASIC meanings (positions count from 1 in callers' algorithms;
// these take 0-based std::string positions).
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);
std::string Trim(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Left(text, n) and Mid(text, start1, n) that never throw: out-of-range parts are empty.
std::string Left(std::string_view text, std::size_t n);
std::string Right(std::string_view text, std::size_t n);
std::string Mid(std::string_view text, std::size_t start1, std::size_t n = std::string::npos);
// n in decimal, zero-filled to width digits: identifiers in lists ("0042") and user ids ("s07").
std::string ZeroPadded(long long n, int width);
// The text for a terminal line: each control byte but TAB (below 32, and DEL) written as \xNN, so
// a value from a file can neither move the cursor nor break the one-line-per-entry listing.
std::string TerminalSafe(std::string_view text);

} // namespace zeva
