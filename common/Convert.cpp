#include "common/Convert.h"

#include "common/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace zeva {
namespace {

// Accepts [sign] digits [. digits] [(e|E|d|D) [sign] digits] with at least one mantissa digit.
bool WellFormedNumber(std::string_view s, std::string& normal) {
    size_t i = 0;
    normal.clear();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') normal += '-';
        ++i;
    }
    int digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        normal += s[i++], ++digits;
    if (i < s.size() && s[i] == '.') {
        normal += s[i++];
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            normal += s[i++], ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        normal += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) normal += s[i++];
        int expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            normal += s[i++], ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

template <typename T> std::optional<T> ToInteger(std::string_view text) {
    const auto d = ToDouble(text);
    if (!d) return std::nullopt;
    const double r = std::nearbyint(*d); // the default rounding mode: half to even
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}

} // namespace

std::optional<double> ToDouble(std::string_view text) {
    const std::string trimmed = Trim(text);
    std::string normal;
    if (!WellFormedNumber(trimmed, normal)) return std::nullopt;
    double value = 0;
    const char* first = normal.data();
    if (*first == '-') ++first; // from_chars takes no '+', and we keep the sign ourselves
    const auto [ptr, ec] = std::from_chars(first, normal.data() + normal.size(), value);
    if (ec != std::errc() || ptr != normal.data() + normal.size() || !std::isfinite(value))
        return std::nullopt;
    return normal[0] == '-' ? -value : value;
}

std::optional<std::int16_t> ToInt16(std::string_view text) {
    return ToInteger<std::int16_t>(text);
}
std::optional<std::int32_t> ToInt32(std::string_view text) {
    return ToInteger<std::int32_t>(text);
}

std::optional<std::int64_t> ToCurrency(std::string_view text) {
    const std::string trimmed = Trim(text);
    std::string normal;
    if (!WellFormedNumber(trimmed, normal)) return std::nullopt;
    // normal: [-] digits [. digits] [e [sign] digits]. Gather the mantissa digits and the power of
    // ten of the last one, then shift to ten-thousandths.
    const bool negative = !normal.empty() && normal[0] == '-';
    std::string digits;
    long long scale = 0; // value = digits * 10^scale
    size_t i = negative ? 1 : 0;
    for (; i < normal.size() && normal[i] != 'e'; ++i) {
        if (normal[i] == '.') continue;
        digits += normal[i];
    }
    const size_t point = normal.find('.');
    if (point != std::string::npos) {
        const size_t end = normal.find('e');
        scale -= static_cast<long long>((end == std::string::npos ? normal.size() : end) - point - 1);
    }
    if (i < normal.size()) { // exponent
        long long e = 0;
        size_t k = i + 1;
        const bool eNegative = k < normal.size() && normal[k] == '-';
        if (k < normal.size() && (normal[k] == '+' || normal[k] == '-')) ++k;
        for (; k < normal.size(); ++k)
            e = std::min<long long>(e * 10 + (normal[k] - '0'), 100000); // far beyond any range
        scale += eNegative ? -e : e;
    }
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    digits.erase(0, first);
    scale += 4; // now value in ten-thousandths = digits * 10^scale
    if (scale + static_cast<long long>(digits.size()) > 20) return std::nullopt; // far above the range
    if (scale > 0) digits.append(static_cast<size_t>(scale), '0');
    std::string integer = digits;
    std::string dropped;
    if (scale < 0) {
        const size_t drop = static_cast<size_t>(-scale);
        if (drop > digits.size()) return 0; // below half of the last place
        if (drop == digits.size()) {
            integer.clear();
            dropped = digits;
        } else {
            integer = digits.substr(0, digits.size() - drop);
            dropped = digits.substr(digits.size() - drop);
        }
    }
    // Unsigned magnitude; at most 20 digits, which fits in 64 unsigned bits only below 1.8e19.
    if (integer.size() > 19) return std::nullopt;
    unsigned long long magnitude = 0;
    for (char c : integer)
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    if (!dropped.empty()) {
        const bool aboveHalf =
            dropped[0] > '5' || (dropped[0] == '5' && dropped.find_first_not_of('0', 1) != std::string::npos);
        const bool half = dropped[0] == '5' && !aboveHalf;
        if (aboveHalf || (half && magnitude % 2 == 1)) ++magnitude;
    }
    const unsigned long long limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    if (magnitude > limit) return std::nullopt;
    if (negative)
        return magnitude == limit ? std::numeric_limits<std::int64_t>::min()
                                  : -static_cast<std::int64_t>(magnitude);
    return static_cast<std::int64_t>(magnitude);
}

std::string CurrencyText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    // The magnitude as unsigned, so the lowest value has one too.
    const unsigned long long m = negative ? 0ULL - static_cast<unsigned long long>(tenThousandths)
                                          : static_cast<unsigned long long>(tenThousandths);
    std::string out = (negative ? "-" : "") + std::to_string(m / 10000);
    std::string fraction = std::to_string(m % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty()) out += "." + fraction;
    return out;
}

std::optional<bool> ToBool(std::string_view text) {
    const std::string t = Trim(text);
    if (EqualsNoCase(t, "True")) return true;
    if (EqualsNoCase(t, "False")) return false;
    const auto d = ToDouble(t);
    if (!d) return std::nullopt;
    return *d != 0.0;
}

bool IsNumeric(std::string_view text) {
    return ToDouble(text).has_value();
}

std::string BoolText(bool value) {
    return value ? "True" : "False";
}

std::string DoubleText(double value) {
    if (!std::isfinite(value)) return "0";
    if (value == 0.0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value); // 15 significant digits: d.dddddddddddddde+XX
    std::string s(buf);
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    const size_t epos = s.find('e');
    int exponent = std::atoi(s.c_str() + epos + 1);
    std::string digits = s.substr(0, 1) + s.substr(2, epos - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exponent >= -5 && exponent <= 14) {
        if (exponent < 0) {
            out += "0." + std::string(size_t(-exponent - 1), '0') + digits;
        } else if (digits.size() <= size_t(exponent) + 1) {
            out += digits + std::string(size_t(exponent) + 1 - digits.size(), '0');
        } else {
            out += digits.substr(0, size_t(exponent) + 1) + "." + digits.substr(size_t(exponent) + 1);
        }
        return out;
    }
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    char ebuf[16];
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exponent < 0 ? '-' : '+',
                  exponent < 0 ? -exponent : exponent);
    return out + ebuf;
}

std::string IntText(long long value) {
    return std::to_string(value);
}

} // namespace zeva
