#include "model/FieldValue.h"

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "common/OleDate.h"
#include "common/TextUtil.h"

#include <cfloat>
#include <charconv>
#include <cmath>

namespace zeva {

namespace {

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
        auto c = ToCurrency(text);
        if (!c) return std::nullopt;
        v.int_ = *c;
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
        // A Single shows the digits it holds (7), not the noise of its double widening; written
        // without the C library, whose decimal point follows the desk's locale.
        char buffer[32];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(real_),
                                           std::chars_format::general, 7);
        return DoubleText(ToDouble(std::string_view(buffer, written.ptr)).value_or(real_));
    }
    case 5:
    case 14:
        return DoubleText(real_);
    case 6:
        return CurrencyText(int_);
    case 7: {
        // The time alone on day 0 (midnight included), the date alone at midnight; "" outside the
        // years a date-time can hold.
        FormatResult r = TryFormatValue(real_, "General Date");
        return r.status == FormatStatus::Done ? std::move(r.text) : std::string();
    }
    case 8:
    case 12:
        return text_;
    default:
        return {};
    }
}

std::optional<std::string> FieldValue::Format(std::string_view pattern) const {
    const bool isText = vtype_ == 8 || vtype_ == 12;
    if (pattern.empty()) {
        std::string text = Text();
        if (vtype_ == 7 && text.empty()) return std::nullopt;
        return text;
    }
    // Laid out, left in the standard text when the pattern cannot take the value, or a failure
    // when a date-time pattern meets a number no date can hold.
    const auto settle = [this](FormatResult r) -> std::optional<std::string> {
        switch (r.status) {
        case FormatStatus::Done:
            return std::move(r.text);
        case FormatStatus::NotApplied:
            return Text();
        case FormatStatus::OutOfRange:
            break;
        }
        return std::nullopt;
    };
    if (IsTextPattern(pattern)) return settle(TryFormatText(Text(), pattern));
    if (isText) {
        if (text_.empty()) {
            FormatResult r = TryFormatEmpty(pattern);
            if (r.status == FormatStatus::Done) return std::move(r.text);
        }
        // A text that reads as a date or a number takes a date or number pattern; any other text
        // stays as it is.
        if (IsDatePattern(pattern)) {
            if (auto d = ParseDateTime(text_)) return settle(TryFormatValue(*d, pattern));
        }
        if (IsNumeric(text_)) return settle(TryFormatNumberText(text_, pattern));
        return text_;
    }
    // Numbers are laid out from their standard text, so a pattern shows the digits the value has:
    // every digit of a Currency, the 7 of a Single rather than the noise of its widening to a double.
    // Dates and Booleans go by their double (-1 and 0 for Booleans).
    if (vtype_ == 7 || vtype_ == 11) {
        if (auto n = Number()) return settle(TryFormatValue(*n, pattern));
    } else if (Number()) {
        return settle(TryFormatNumberText(Text(), pattern));
    }
    return std::string();
}

} // namespace zeva
