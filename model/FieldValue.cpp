#include "model/FieldValue.h"

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "common/OleDate.h"
#include "common/TextUtil.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

namespace zeva {

namespace {

constexpr double kCurrencyMax = 922337203685477.5807;

// Reads 1 to max digits at pos; advances pos.
bool Digits(std::string_view t, std::size_t& pos, int maxDigits, int& value, int* count = nullptr) {
    int n = 0;
    value = 0;
    while (pos < t.size() && n < maxDigits && t[pos] >= '0' && t[pos] <= '9') {
        value = value * 10 + (t[pos] - '0');
        ++pos;
        ++n;
    }
    if (count) *count = n;
    return n > 0;
}

bool ParseTime(std::string_view t, std::size_t& pos, int& h, int& m, int& s) {
    s = 0;
    if (!Digits(t, pos, 2, h) || pos >= t.size() || t[pos] != ':') return false;
    ++pos;
    if (!Digits(t, pos, 2, m)) return false;
    if (pos < t.size() && t[pos] == ':') {
        ++pos;
        if (!Digits(t, pos, 2, s)) return false;
    }
    std::size_t rest = pos;
    while (rest < t.size() && t[rest] == ' ')
        ++rest;
    if (rest + 2 <= t.size()) {
        const std::string marker = ToUpper(t.substr(rest, 2));
        if ((marker == "AM" || marker == "PM") && h >= 1 && h <= 12) {
            h = (h % 12) + (marker == "PM" ? 12 : 0);
            pos = rest + 2;
        }
    }
    return h < 24 && m < 60 && s < 60;
}

std::string ApplyTextPattern(std::string_view value, std::string_view pattern) {
    // '@' is a character or a blank, '&' a character or nothing; placeholders fill from the right
    // unless the pattern starts with '!'; '<' and '>' force lower and upper case.
    bool leftToRight = false, lower = false, upper = false;
    std::string slots;
    for (char c : pattern) {
        if (c == '!')
            leftToRight = true;
        else if (c == '<')
            lower = true;
        else if (c == '>')
            upper = true;
        else
            slots += c;
    }
    std::string v(value);
    if (lower) v = ToLower(v);
    if (upper) v = ToUpper(v);
    std::string out;
    if (leftToRight) {
        std::size_t next = 0;
        for (char c : slots) {
            if (c == '@' || c == '&') {
                if (next < v.size())
                    out += v[next++];
                else if (c == '@')
                    out += ' ';
            } else {
                out += c;
            }
        }
        if (next < v.size()) out += v.substr(next);
        return out;
    }
    // Right to left: the value's last characters go into the last placeholders; characters left
    // over stand in front.
    std::string reversed;
    std::size_t next = v.size();
    for (auto it = slots.rbegin(); it != slots.rend(); ++it) {
        if (*it == '@' || *it == '&') {
            if (next > 0)
                reversed += v[--next];
            else if (*it == '@')
                reversed += ' ';
        } else {
            reversed += *it;
        }
    }
    return v.substr(0, next) + std::string(reversed.rbegin(), reversed.rend());
}

bool IsTextPattern(std::string_view pattern) {
    return pattern.find_first_of("@&<>!") != std::string_view::npos;
}

} // namespace

bool FieldValue::CarriesValue(std::int16_t vtype) {
    switch (vtype) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 11:
    case 12:
    case 14:
    case 17:
        return true;
    default:
        return false;
    }
}

std::string FieldValue::TypeName(std::int16_t vtype) {
    switch (vtype) {
    case 0:
        return "Empty";
    case 1:
        return "Null";
    case 2:
        return "Integer";
    case 3:
        return "Long";
    case 4:
        return "Single";
    case 5:
        return "Double";
    case 6:
        return "Currency";
    case 7:
        return "Date";
    case 8:
        return "String";
    case 9:
        return "Object";
    case 10:
        return "Error";
    case 11:
        return "Boolean";
    case 12:
        return "Variant";
    case 13:
        return "DataObject";
    case 14:
        return "Decimal";
    case 17:
        return "Byte";
    case 8192:
        return "Array";
    default:
        return "Unknown";
    }
}

std::optional<double> FieldValue::ParseDateTime(std::string_view text) {
    const std::string trimmed = Trim(text);
    std::string_view t = trimmed;
    std::size_t pos = 0;
    CalendarTime c;
    int a = 0, b = 0, y = 0, count = 0;
    if (!Digits(t, pos, 4, a, &count)) return std::nullopt;
    if (pos < t.size() && t[pos] == ':') { // a time alone
        pos = 0;
        int h = 0, m = 0, s = 0;
        if (!ParseTime(t, pos, h, m, s) || pos != t.size()) return std::nullopt;
        return OleTime(h, m, s);
    }
    if (pos >= t.size() || (t[pos] != '-' && t[pos] != '/' && t[pos] != '.')) return std::nullopt;
    const char sep = t[pos++];
    if (count == 4) { // year first
        c.year = a;
        if (!Digits(t, pos, 2, c.month) || pos >= t.size() || t[pos++] != sep || !Digits(t, pos, 2, c.day))
            return std::nullopt;
    } else { // day first
        int yearDigits = 0;
        if (!Digits(t, pos, 2, b) || pos >= t.size() || t[pos++] != sep || !Digits(t, pos, 4, y, &yearDigits))
            return std::nullopt;
        if (yearDigits == 2)
            y += y < 30 ? 2000 : 1900;
        else if (yearDigits != 4)
            return std::nullopt;
        c.day = a;
        c.month = b;
        c.year = y;
    }
    if (pos < t.size()) {
        if (t[pos] != ' ' && t[pos] != 'T') return std::nullopt;
        while (pos < t.size() && (t[pos] == ' ' || t[pos] == 'T'))
            ++pos;
        if (!ParseTime(t, pos, c.hour, c.minute, c.second) || pos != t.size()) return std::nullopt;
    }
    return OleFromCalendar(c);
}

std::optional<FieldValue> FieldValue::Convert(std::int16_t vtype, std::string_view text) {
    FieldValue v;
    v.vtype_ = vtype;
    switch (vtype) {
    case 2: {
        auto n = ToInt16(text);
        if (!n) return std::nullopt;
        v.int_ = *n;
        return v;
    }
    case 3: {
        auto n = ToInt32(text);
        if (!n) return std::nullopt;
        v.int_ = *n;
        return v;
    }
    case 17: {
        auto n = ToInt32(text);
        if (!n || *n < 0 || *n > 255) return std::nullopt;
        v.int_ = *n;
        return v;
    }
    case 4: {
        auto d = ToDouble(text);
        if (!d || !std::isfinite(*d) || std::fabs(*d) > FLT_MAX) return std::nullopt;
        v.real_ = static_cast<float>(*d);
        return v;
    }
    case 5:
    case 14: {
        auto d = ToDouble(text);
        if (!d || !std::isfinite(*d)) return std::nullopt;
        v.real_ = *d;
        return v;
    }
    case 6: {
        auto d = ToDouble(text);
        if (!d || !std::isfinite(*d) || std::fabs(*d) > kCurrencyMax) return std::nullopt;
        v.int_ = std::llround(*d * 10000.0);
        return v;
    }
    case 7: {
        auto d = ParseDateTime(text);
        if (!d) return std::nullopt;
        v.real_ = *d;
        return v;
    }
    case 8:
    case 12:
        v.text_ = std::string(text);
        return v;
    case 11: {
        auto b = ToBool(text);
        if (!b) return std::nullopt;
        v.int_ = *b ? -1 : 0;
        return v;
    }
    default:
        return v;
    }
}

FieldValue FieldValue::EmptyOf(std::int16_t vtype) {
    FieldValue v;
    v.vtype_ = vtype;
    return v;
}

std::optional<double> FieldValue::Number() const {
    switch (vtype_) {
    case 2:
    case 3:
    case 11:
    case 17:
        return static_cast<double>(int_);
    case 6:
        return static_cast<double>(int_) / 10000.0;
    case 4:
    case 5:
    case 7:
    case 14:
        return real_;
    default:
        return std::nullopt;
    }
}

std::string FieldValue::Text() const {
    switch (vtype_) {
    case 2:
    case 3:
    case 17:
        return IntText(int_);
    case 11:
        return BoolText(int_ != 0);
    case 4: {
        // A Single shows the digits it holds (7), not the noise of its double widening.
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.7g", real_);
        return DoubleText(ToDouble(buffer).value_or(real_));
    }
    case 5:
    case 14:
        return DoubleText(real_);
    case 6:
        return DoubleText(static_cast<double>(int_) / 10000.0);
    case 7: {
        const double day = std::trunc(real_);
        if (real_ == day) return FormatValue(real_, "dd/mm/yyyy");
        if (day == 0) return FormatValue(real_, "hh:mm:ss");
        return FormatValue(real_, "dd/mm/yyyy hh:mm:ss");
    }
    case 8:
    case 12:
        return text_;
    default:
        return {};
    }
}

std::string FieldValue::Format(std::string_view pattern) const {
    if (pattern.empty()) return Text();
    if (vtype_ == 8 || vtype_ == 12) {
        if (IsTextPattern(pattern)) return ApplyTextPattern(text_, pattern);
        // A text that reads as a number or a date takes a number or date pattern; any other text
        // stays as it is.
        if (IsDatePattern(pattern)) {
            if (auto d = ParseDateTime(text_)) return FormatValue(*d, pattern);
        }
        if (auto d = ToDouble(text_)) return FormatValue(*d, pattern);
        return text_;
    }
    if (auto n = Number()) {
        if (IsTextPattern(pattern)) return ApplyTextPattern(Text(), pattern);
        return FormatValue(*n, pattern);
    }
    return {};
}

} // namespace zeva
