#include "common/FormatValue.h"

#include "common/Convert.h"
#include "common/OleDate.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zeva {
namespace {

bool IsDateLetter(char c) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c == 'd' || c == 'm' || c == 'y' || c == 'h' || c == 'n' || c == 's';
}

bool IsDigitPlaceholder(char c) {
    return c == '0' || c == '#';
}

// The value as decimal digits with 15 significant digits, then rounded half away from zero to
// `decimals` places. Working on the 15-digit text (not the binary double) makes 2.675 round to 2.68
// as an operator would expect.
std::string RoundedDigits(double value, int decimals, bool& negative, int& intDigits) {
    negative = value < 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string s(buf);
    const size_t epos = s.find('e');
    const int exponent = std::atoi(s.c_str() + epos + 1);
    std::string digits = s.substr(0, 1) + s.substr(2, epos - 2); // d.ddd -> dddd, point after digit 1
    int point = exponent + 1;                                    // digits before the decimal point
    if (point < 0) {
        digits.insert(0, size_t(-point), '0');
        point = 0;
    }
    if (point > int(digits.size())) digits.append(size_t(point - int(digits.size())), '0');
    const int keep = point + decimals;
    if (keep < int(digits.size())) {
        const bool up = keep >= 0 && digits[size_t(keep)] >= '5';
        digits.resize(size_t(std::max(keep, 0)));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[size_t(i)] == '9')
                digits[size_t(i--)] = '0';
            if (i >= 0)
                ++digits[size_t(i)];
            else {
                digits.insert(0, "1");
                ++point;
            }
        }
    } else {
        digits.append(size_t(keep - int(digits.size())), '0');
    }
    intDigits = point;
    return digits;
}

std::string FormatNumber(double value, std::string_view pattern) {
    size_t first = pattern.find_first_of("0#");
    if (first > 0 && pattern[first - 1] == '.') --first; // ".00": the point belongs to the number
    size_t last = pattern.find_last_of("0#");
    // Literal text around the number part stands for itself.
    std::string prefix(pattern.substr(0, first));
    std::string suffix(pattern.substr(last + 1));
    std::string_view body = pattern.substr(first, last - first + 1);
    const size_t dot = body.find('.');
    std::string_view intPart = body.substr(0, dot);
    std::string_view fracPart = dot == std::string_view::npos ? std::string_view() : body.substr(dot + 1);
    int zeros = 0;
    for (char c : intPart)
        zeros += c == '0';
    const bool group = intPart.find(',') != std::string_view::npos;
    int fracZeros = 0, fracAll = 0;
    for (char c : fracPart) {
        if (IsDigitPlaceholder(c)) {
            ++fracAll;
            if (c == '0') fracZeros = fracAll;
        }
    }
    bool negative = false;
    int intDigits = 0;
    const std::string digits = RoundedDigits(value, fracAll, negative, intDigits);
    std::string integer = digits.substr(0, size_t(intDigits));
    while (integer.size() > 1 && integer[0] == '0')
        integer.erase(0, 1);
    if (integer == "0") integer.clear();
    if (int(integer.size()) < zeros) integer.insert(0, size_t(zeros - int(integer.size())), '0');
    if (group) {
        for (int i = int(integer.size()) - 3; i > 0; i -= 3)
            integer.insert(size_t(i), ",");
    }
    std::string fraction = digits.substr(size_t(intDigits));
    while (int(fraction.size()) > fracZeros && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    bool allZero = true;
    for (char c : digits)
        allZero = allZero && c == '0';
    std::string out = prefix + (negative && !allZero ? "-" : "") + integer;
    if (dot != std::string_view::npos) out += "." + fraction;
    return out + suffix;
}

std::string Pad2(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                         "July",    "August",   "September", "October", "November", "December"};
const char* kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

struct Token {
    char letter; // 0 for literal text
    int count;
    std::string literal;
};

std::string FormatDate(double value, std::string_view pattern) {
    std::vector<Token> tokens;
    for (size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '"') {
            const size_t end = pattern.find('"', i + 1);
            const size_t stop = end == std::string_view::npos ? pattern.size() : end;
            tokens.push_back({0, 0, std::string(pattern.substr(i + 1, stop - i - 1))});
            i = stop + 1;
        } else if (c == '\\' && i + 1 < pattern.size()) {
            tokens.push_back({0, 0, std::string(1, pattern[i + 1])});
            i += 2;
        } else if (IsDateLetter(c)) {
            const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            size_t j = i;
            while (j < pattern.size() && std::tolower(static_cast<unsigned char>(pattern[j])) == lower)
                ++j;
            tokens.push_back({lower, int(j - i), {}});
            i = j;
        } else {
            tokens.push_back({0, 0, std::string(1, c)});
            ++i;
        }
    }
    // "m" means minutes right after an hour part or right before a seconds part.
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].letter != 'm' || tokens[i].count > 2) continue;
        int prev = -1, next = -1;
        for (int k = int(i) - 1; k >= 0; --k)
            if (tokens[size_t(k)].letter) {
                prev = k;
                break;
            }
        for (size_t k = i + 1; k < tokens.size(); ++k)
            if (tokens[k].letter) {
                next = int(k);
                break;
            }
        if ((prev >= 0 && tokens[size_t(prev)].letter == 'h') ||
            (next >= 0 && tokens[size_t(next)].letter == 's'))
            tokens[i].letter = 'n';
    }
    const CalendarTime t = OleToCalendar(value);
    const auto number = [](int n, int count) { return count >= 2 ? Pad2(n) : std::to_string(n); };
    std::string out;
    for (const Token& tok : tokens) {
        switch (tok.letter) {
        case 0:
            out += tok.literal;
            break;
        case 'd':
            if (tok.count <= 2)
                out += number(t.day, tok.count);
            else {
                const double whole = std::floor(OleFromCalendar({t.year, t.month, t.day}).value_or(0));
                const int weekday =
                    static_cast<int>(std::fmod(std::fmod(whole - 1, 7) + 7, 7)); // 1899-12-31 was a Sunday
                const std::string name = kDays[weekday];
                out += tok.count == 3 ? name.substr(0, 3) : name;
            }
            break;
        case 'm':
            if (tok.count <= 2)
                out += number(t.month, tok.count);
            else
                out += tok.count == 3 ? std::string(kMonths[t.month - 1]).substr(0, 3) : kMonths[t.month - 1];
            break;
        case 'y':
            if (tok.count == 2)
                out += Pad2(t.year % 100);
            else if (tok.count == 1) {
                const double jan1 = OleFromCalendar({t.year, 1, 1}).value_or(0);
                const double day = OleFromCalendar({t.year, t.month, t.day}).value_or(0);
                out += std::to_string(static_cast<int>(day - jan1) + 1);
            } else {
                char buf[16];
                std::snprintf(buf, sizeof buf, "%04d", t.year);
                out += buf;
            }
            break;
        case 'h':
            out += number(t.hour, tok.count);
            break;
        case 'n':
            out += number(t.minute, tok.count);
            break;
        case 's':
            out += number(t.second, tok.count);
            break;
        }
    }
    return out;
}

} // namespace

bool IsDatePattern(std::string_view pattern) {
    bool quoted = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == '\\')
            ++i;
        else if (!quoted && IsDateLetter(c))
            return true;
    }
    return false;
}

std::string FormatValue(double value, std::string_view pattern) {
    if (!std::isfinite(value)) value = 0.0;
    if (pattern.empty()) return DoubleText(value);
    if (IsDatePattern(pattern)) return FormatDate(value, pattern);
    if (pattern.find_first_of("0#") != std::string_view::npos) return FormatNumber(value, pattern);
    return std::string(pattern); // no placeholder at all: the pattern is literal text
}

} // namespace zeva
