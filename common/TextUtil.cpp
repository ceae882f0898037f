#include "common/TextUtil.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace zeva {

std::string ToUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string ToLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string Trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    return std::string(text.substr(b, e - b));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return ToUpper(a) == ToUpper(b);
}

std::string Left(std::string_view text, std::size_t n) {
    return std::string(text.substr(0, n));
}

std::string Right(std::string_view text, std::size_t n) {
    return std::string(n >= text.size() ? text : text.substr(text.size() - n));
}

std::string Mid(std::string_view text, std::size_t start1, std::size_t n) {
    if (start1 < 1 || start1 > text.size()) return {};
    return std::string(text.substr(start1 - 1, n));
}

std::string ZeroPadded(long long n, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, n);
    return buffer;
}

std::string TerminalSafe(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            safe += hex;
        } else {
            safe += c;
        }
    }
    return safe;
}

} // namespace zeva
