#include "common/FormatValue.h"

#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/OleDate.h"
#include "common/TextUtil.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace zeva {
namespace {

// ---- reading a pattern ----

// One character of a pattern; literal when it was quoted or escaped.
struct Item {
    char c;
    bool literal;
};
using Section = std::vector<Item>;

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool Is(const Item& it, char c) {
    return !it.literal && it.c == c;
}

bool IsDigitPlaceholder(const Item& it) {
    return !it.literal && (it.c == '0' || it.c == '#');
}

bool IsTextPlaceholder(const Item& it) {
    return !it.literal && (it.c == '@' || it.c == '&' || it.c == '<' || it.c == '>' || it.c == '!');
}

// Splits at ';' outside quotes. False for an unclosed quote, a '\' with nothing after it, or more
// than four sections: such a pattern is not applied at all.
bool Lex(std::string_view pattern, std::vector<Section>& sections) {
    sections.assign(1, {});
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '"') {
            const std::size_t end = pattern.find('"', i + 1);
            if (end == std::string_view::npos) return false;
            for (std::size_t k = i + 1; k < end; ++k)
                sections.back().push_back({pattern[k], true});
            i = end;
        } else if (c == '\\') {
            if (i + 1 >= pattern.size()) return false;
            sections.back().push_back({pattern[++i], true});
        } else if (c == ';') {
            if (sections.size() == 4) return false;
            sections.emplace_back();
        } else {
            sections.back().push_back({c, false});
        }
    }
    return true;
}

// True when the items from i spell word (lower case) without quotes, in any case.
bool Spells(const Section& s, std::size_t i, std::string_view word) {
    if (i + word.size() > s.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (s[i + k].literal || Lower(s[i + k].c) != word[k]) return false;
    return true;
}

std::size_t AmPmLength(const Section& s, std::size_t i) {
    for (std::string_view w : {"am/pm", "ampm", "a/p"})
        if (Spells(s, i, w)) return w.size();
    return 0;
}

bool HasDateParts(const Section& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i].literal) continue;
        const char c = Lower(s[i].c);
        if (std::string_view("dmyhnswqc").find(c) != std::string_view::npos) return true;
        if (AmPmLength(s, i) || Spells(s, i, "ttttt")) return true;
    }
    return false;
}

// Named formats and the patterns they stand for. The day-first, 24-hour choices match the client's
// own displays; Currency writes dollars with the minus in front ("-$1,234.50").
struct Named {
    std::string_view name, pattern;
};
constexpr Named kNamed[] = {
    {"general number", ""},
    {"currency", "$#,##0.00"},
    {"fixed", "0.00"},
    {"standard", "#,##0.00"},
    {"percent", "0.00%"},
    {"scientific", "0.00E+00"},
    {"yes/no", "\"Yes\";\"Yes\";\"No\""},
    {"true/false", "\"True\";\"True\";\"False\""},
    {"on/off", "\"On\";\"On\";\"Off\""},
    {"general date", "c"},
    {"long date", "dddd, d mmmm yyyy"},
    {"medium date", "dd-mmm-yy"},
    {"short date", "dd/mm/yyyy"},
    {"long time", "hh:mm:ss"},
    {"medium time", "hh:mm AM/PM"},
    {"short time", "hh:mm"},
};

std::string_view ResolveNamed(std::string_view pattern) {
    std::size_t b = 0, e = pattern.size();
    while (b < e && pattern[b] == ' ')
        ++b;
    while (e > b && pattern[e - 1] == ' ')
        --e;
    const std::string_view core = pattern.substr(b, e - b);
    for (const Named& n : kNamed) {
        if (core.size() != n.name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < core.size() && same; ++i)
            same = Lower(core[i]) == n.name[i];
        if (same) return n.pattern;
    }
    return pattern;
}

enum class Kind { General, Unusable, Number, Text, Date };

// What the (named-resolved) pattern lays out. Digit placeholders win over text placeholders, which
// win over date parts, so letters in "Tel 000" or "Name: @@@" stand for themselves.
Kind Classify(std::string_view pattern, std::vector<Section>& sections) {
    if (pattern.empty()) return Kind::General;
    if (!Lex(pattern, sections)) return Kind::Unusable;
    bool digits = false, text = false;
    for (const Section& s : sections)
        for (const Item& it : s) {
            digits = digits || IsDigitPlaceholder(it);
            text = text || IsTextPlaceholder(it);
        }
    if (digits) return Kind::Number;
    if (text) return sections.size() <= 2 ? Kind::Text : Kind::Unusable;
    if (HasDateParts(sections[0])) return sections.size() == 1 ? Kind::Date : Kind::Unusable;
    // Only literal text: one section would drop the value; several choose a text by sign.
    return sections.size() > 1 ? Kind::Number : Kind::Unusable;
}

// ---- numbers ----

// A number as decimal digits and a sign: |value| = 0.digits * 10^point. Zero is "0" with point 1.
struct Decimal {
    std::string digits = "0";
    int point = 1;
    bool negative = false;
    bool Zero() const { return digits.find_first_not_of('0') == std::string::npos; }
};

// A double as 15 significant decimal digits.
Decimal FromDouble(double value) {
    Decimal d;
    d.negative = value < 0;
    if (value == 0) return d;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    const std::string s(buf);
    const std::size_t epos = s.find('e');
    d.digits = s.substr(0, 1) + s.substr(2, epos - 2);
    d.point = std::atoi(s.c_str() + epos + 1) + 1;
    return d;
}

// A number text as ToDouble reads it (blanks around, a sign, digits with one point, an exponent
// after e, E, d or D), every digit kept. nullopt for any other text and for an exponent so far out
// that writing the digits out would make a text no field shows.
std::optional<Decimal> FromText(std::string_view text) {
    const std::string t = Trim(text);
    Decimal d;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) d.negative = t[i++] == '-';
    std::string digits;
    int point = 0;
    bool afterPoint = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9') {
            digits += t[i];
            if (!afterPoint) ++point;
        } else if (t[i] == '.' && !afterPoint) {
            afterPoint = true;
        } else {
            break;
        }
    }
    if (digits.empty()) return std::nullopt;
    if (i < t.size() && std::string_view("eEdD").find(t[i]) != std::string_view::npos) {
        ++i;
        bool expNegative = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) expNegative = t[i++] == '-';
        long exponent = 0;
        const std::size_t first = i;
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i)
            exponent = std::min(exponent * 10 + (t[i] - '0'), 100000L);
        if (i == first) return std::nullopt;
        point += static_cast<int>(expNegative ? -exponent : exponent);
    }
    if (i != t.size()) return std::nullopt;
    const std::size_t lead = digits.find_first_not_of('0');
    if (lead == std::string::npos) return d; // zero, whatever its sign
    digits.erase(0, lead);
    point -= static_cast<int>(lead);
    digits.erase(digits.find_last_not_of('0') + 1);
    if (point < -400 || point > 400) return std::nullopt;
    d.digits = std::move(digits);
    d.point = point;
    return d;
}

// The general text of a decimal with all its digits: plain for exponents -5 to 14, otherwise
// exponent form ("1.5E+15", "1E-06"), as DoubleText writes a double.
std::string GeneralText(const Decimal& d) {
    if (d.Zero()) return "0";
    std::string digits = d.digits;
    digits.erase(digits.find_last_not_of('0') + 1);
    const int exponent = d.point - 1;
    std::string out = d.negative ? "-" : "";
    if (exponent >= -5 && exponent <= 14) {
        if (exponent < 0)
            out += "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
        else if (digits.size() <= std::size_t(exponent) + 1)
            out += digits + std::string(std::size_t(exponent) + 1 - digits.size(), '0');
        else
            out +=
                digits.substr(0, std::size_t(exponent) + 1) + "." + digits.substr(std::size_t(exponent) + 1);
        return out;
    }
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += exponent < 0 ? "E-" : "E+";
    const std::string e = std::to_string(std::abs(exponent));
    return out + (e.size() < 2 ? "0" : "") + e;
}

// Keeps `decimals` digits after the point, rounding half away from zero on the decimal digits (so
// 2.675 gives 2.68 as an operator expects); a carry out of the first digit moves the point.
void RoundTo(std::string& digits, int& point, int decimals) {
    if (point < 0) {
        digits.insert(0, std::size_t(-point), '0');
        point = 0;
    }
    if (point > int(digits.size())) digits.append(std::size_t(point - int(digits.size())), '0');
    const int keep = point + decimals;
    if (keep >= int(digits.size())) {
        digits.append(std::size_t(keep - int(digits.size())), '0');
        return;
    }
    const bool up = digits[std::size_t(keep)] >= '5';
    digits.resize(std::size_t(keep));
    if (!up) return;
    int i = keep - 1;
    while (i >= 0 && digits[std::size_t(i)] == '9')
        digits[std::size_t(i--)] = '0';
    if (i >= 0) {
        ++digits[std::size_t(i)];
    } else {
        digits.insert(0, "1");
        ++point;
    }
}

enum class Role { Literal, IntDigit, Point, FracDigit, Group, Scale, Percent, ExpMark, ExpDigit };

struct Slot {
    Role role;
    char c;        // the character; for ExpMark the letter
    char sign = 0; // ExpMark: '+' or '-'
};

struct NumberLayout {
    std::vector<Slot> slots;
    std::string intPlaces, fracPlaces, expPlaces; // the '0'/'#' of each part, in order
    bool group = false, percent = false, scientific = false;
    int scale = 0; // divisions by 1000
};

// False for a second decimal point, which no value can fill sensibly.
bool ReadNumberSection(const Section& s, NumberLayout& lay) {
    int part = 0; // 0 integer, 1 fraction, 2 exponent
    for (std::size_t i = 0; i < s.size(); ++i) {
        const Item& it = s[i];
        if (it.literal) {
            lay.slots.push_back({Role::Literal, it.c});
            continue;
        }
        const char c = it.c;
        if (c == '0' || c == '#') {
            if (part == 0) {
                lay.slots.push_back({Role::IntDigit, c});
                lay.intPlaces += c;
            } else if (part == 1) {
                lay.slots.push_back({Role::FracDigit, c});
                lay.fracPlaces += c;
            } else {
                lay.slots.push_back({Role::ExpDigit, c});
                lay.expPlaces += c;
            }
        } else if (c == '.' && part == 0) {
            lay.slots.push_back({Role::Point, c});
            part = 1;
        } else if (c == '.' && part == 1) {
            return false;
        } else if (c == ',' && part == 0) {
            lay.slots.push_back({Role::Group, c}); // settled below
        } else if (c == '%') {
            lay.slots.push_back({Role::Percent, c});
            lay.percent = true;
        } else if ((c == 'E' || c == 'e') && part < 2 && !(lay.intPlaces.empty() && lay.fracPlaces.empty()) &&
                   i + 1 < s.size() && (Is(s[i + 1], '+') || Is(s[i + 1], '-')) &&
                   std::any_of(s.begin() + std::ptrdiff_t(i) + 2, s.end(), IsDigitPlaceholder)) {
            lay.slots.push_back({Role::ExpMark, c, s[i + 1].c});
            lay.scientific = true;
            part = 2;
            ++i;
        } else {
            lay.slots.push_back({Role::Literal, c});
        }
    }
    // A ',' with an integer digit after it groups thousands; after the last one it divides by 1000;
    // in a section without integer digits it is plain text.
    for (std::size_t i = 0; i < lay.slots.size(); ++i) {
        if (lay.slots[i].role != Role::Group) continue;
        const auto isInt = [](const Slot& x) { return x.role == Role::IntDigit; };
        const auto it = lay.slots.begin() + std::ptrdiff_t(i);
        if (std::any_of(it + 1, lay.slots.end(), isInt))
            lay.group = true;
        else if (std::any_of(lay.slots.begin(), it, isInt)) {
            lay.slots[i].role = Role::Scale;
            ++lay.scale;
        } else
            lay.slots[i].role = Role::Literal;
    }
    return true;
}

// Digits filled right to left into placeholders; the first placeholder also takes every digit the
// placeholders cannot hold. A '0' without a digit writes 0, a '#' nothing. With grouping, a ','
// follows every digit whose place (counted from the right, from 0) is a non-zero multiple of 3.
std::vector<std::string> FillRight(const std::string& places, const std::string& digits, bool group) {
    const int n = int(places.size()), len = int(digits.size());
    std::vector<std::string> out(places.size());
    const auto put = [&](std::string& s, char ch, int place) {
        s += ch;
        if (group && place > 0 && place % 3 == 0) s += ',';
    };
    for (int i = 0; i < n; ++i) {
        const int place = n - 1 - i;
        std::string& s = out[std::size_t(i)];
        if (i == 0)
            for (int p = len - 1; p >= n; --p)
                put(s, digits[std::size_t(len - 1 - p)], p);
        if (place < len)
            put(s, digits[std::size_t(len - 1 - place)], place);
        else if (places[std::size_t(i)] == '0')
            put(s, '0', place);
    }
    return out;
}

std::string Grouped(const std::string& digits, bool group) {
    return digits.empty() ? std::string() : FillRight("#", digits, group)[0];
}

// Fraction digits kept up to the last '0' placeholder, trailing zeros dropped beyond it.
std::string FractionShown(std::string fraction, const std::string& places) {
    const std::size_t lastZero = places.find_last_of('0');
    const std::size_t keep = lastZero == std::string::npos ? 0 : lastZero + 1;
    while (fraction.size() > keep && fraction.back() == '0')
        fraction.pop_back();
    return fraction;
}

// Lays |value| out by one section. `minus` asks for a '-' in front unless the value rounds to zero.
// '%' and scaling commas move the decimal point, so no digit is lost to a binary product.
std::optional<std::string> FormatNumberSection(const Section& s, const Decimal& value, bool minus) {
    NumberLayout lay;
    if (!ReadNumberSection(s, lay)) return std::nullopt;
    std::string digits = value.digits;
    int point = value.point, exponent = 0;
    const bool valueZero = value.Zero();
    if (!valueZero) point += (lay.percent ? 2 : 0) - 3 * lay.scale;
    const int fracCount = int(lay.fracPlaces.size());
    if (lay.scientific) {
        // As many integer digits as the integer part has '0' placeholders, at least one.
        const int k = std::max<int>(1, int(std::count(lay.intPlaces.begin(), lay.intPlaces.end(), '0')));
        if (!valueZero) {
            exponent = point - k;
            point = k;
        }
        RoundTo(digits, point, fracCount);
        if (point > k) { // 9.99 -> 10.0: one more in the exponent
            ++exponent;
            --point;
            digits.pop_back();
        }
    } else {
        RoundTo(digits, point, fracCount);
    }
    std::string integer = digits.substr(0, std::size_t(point));
    const std::size_t nonZero = integer.find_first_not_of('0');
    integer.erase(0, nonZero == std::string::npos ? integer.size() : nonZero);
    const std::string fraction = FractionShown(digits.substr(std::size_t(point)), lay.fracPlaces);
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    const bool group = lay.group && !lay.scientific;

    const std::vector<std::string> intText = FillRight(lay.intPlaces, integer, group);
    const std::string expDigits = std::to_string(std::abs(exponent));
    const std::vector<std::string> expText = FillRight(lay.expPlaces, expDigits, false);
    std::string out = minus && !zero ? "-" : "";
    std::size_t intIndex = 0, fracIndex = 0, expIndex = 0;
    for (const Slot& slot : lay.slots) {
        switch (slot.role) {
        case Role::Literal:
        case Role::Percent:
            out += slot.c;
            break;
        case Role::IntDigit:
            out += intText[intIndex++];
            break;
        case Role::Point:
            if (lay.intPlaces.empty()) out += Grouped(integer, group); // ".00": the integer stands here
            out += '.';
            break;
        case Role::FracDigit:
            if (fracIndex < fraction.size()) out += fraction[fracIndex];
            ++fracIndex;
            break;
        case Role::ExpMark:
            out += slot.c;
            if (exponent < 0)
                out += '-';
            else if (slot.sign == '+')
                out += '+';
            break;
        case Role::ExpDigit:
            out += expText[expIndex++];
            break;
        case Role::Group:
        case Role::Scale:
            break;
        }
    }
    return out;
}

FormatResult FormatNumber(const std::vector<Section>& sections, const Decimal& value) {
    // Negative values take the second section without a sign of their own, zero the third; a
    // missing or empty section falls back to the first, which writes a '-' for a negative value.
    const Section* section = &sections[0];
    const bool zero = value.Zero();
    bool minus = value.negative && !zero;
    if (minus && sections.size() >= 2 && !sections[1].empty()) {
        section = &sections[1];
        minus = false;
    } else if (zero && sections.size() >= 3 && !sections[2].empty()) {
        section = &sections[2];
    }
    if (section->empty()) return {};
    auto text = FormatNumberSection(*section, value, minus);
    if (!text) return {};
    return {FormatStatus::Done, std::move(*text)};
}

// ---- text ----

FormatResult FormatTextSection(const Section& s, std::string_view value) {
    bool leftToRight = false, lower = false, upper = false;
    Section slots;
    for (const Item& it : s) {
        if (Is(it, '!'))
            leftToRight = true;
        else if (Is(it, '<'))
            lower = true;
        else if (Is(it, '>'))
            upper = true;
        else
            slots.push_back(it);
    }
    std::string v(value);
    if (lower) v = Cp1252ToLower(v);
    if (upper) v = Cp1252ToUpper(v);
    const auto isPlace = [](const Item& it) { return Is(it, '@') || Is(it, '&'); };
    std::string out;
    if (leftToRight) {
        std::size_t next = 0;
        for (const Item& it : slots) {
            if (!isPlace(it))
                out += it.c;
            else if (next < v.size())
                out += v[next++];
            else if (it.c == '@')
                out += ' ';
        }
        return {FormatStatus::Done, out + v.substr(next)};
    }
    // Right to left: the value's last characters go into the last placeholders; characters left
    // over stand in front.
    std::size_t next = v.size();
    for (auto it = slots.rbegin(); it != slots.rend(); ++it) {
        if (!isPlace(*it))
            out += it->c;
        else if (next > 0)
            out += v[--next];
        else if (it->c == '@')
            out += ' ';
    }
    return {FormatStatus::Done, v.substr(0, next) + std::string(out.rbegin(), out.rend())};
}

// ---- date-times ----

struct DatePart {
    char kind; // 0 literal; d m n y h s w q c t (ttttt); a (AM/PM forms)
    int count;
    std::string text; // literal text, or the AM/PM form as written
};

std::vector<DatePart> ReadDateSection(const Section& s, bool& twelveHour) {
    std::vector<DatePart> parts;
    twelveHour = false;
    for (std::size_t i = 0; i < s.size();) {
        const Item& it = s[i];
        const char c = Lower(it.c);
        // A quoted letter stands as written, as an unknown one does below; it is tested first so
        // that a quoted "d" or "AM/PM" is never read as a part.
        if (it.literal) { // NOLINT(bugprone-branch-clone)
            parts.push_back({0, 0, std::string(1, it.c)});
            ++i;
        } else if (const std::size_t n = AmPmLength(s, i)) {
            std::string written;
            for (std::size_t k = 0; k < n; ++k)
                written += s[i + k].c;
            parts.push_back({'a', 0, written});
            twelveHour = true;
            i += n;
        } else if (Spells(s, i, "ttttt")) {
            parts.push_back({'t', 5, {}});
            i += 5;
        } else if (std::string_view("dmyhnswqc").find(c) != std::string_view::npos) {
            std::size_t run = 0;
            while (i + run < s.size() && !s[i + run].literal && Lower(s[i + run].c) == c)
                ++run;
            int most = c == 'd' ? 6 : c == 'm' ? 4 : c == 'q' || c == 'c' ? 1 : 2;
            int take = std::min<int>(int(run), most);
            if (c == 'y') take = run >= 4 ? 4 : run >= 2 ? 2 : 1; // "yyy" is "yy" then "y"
            parts.push_back({c, take, {}});
            i += std::size_t(take);
        } else {
            parts.push_back({0, 0, std::string(1, it.c)});
            ++i;
        }
    }
    // "m" or "mm" means minutes right after an hour part or right before a seconds part.
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].kind != 'm' || parts[i].count > 2) continue;
        char prev = 0, next = 0;
        for (std::size_t k = i; k-- > 0;)
            if (parts[k].kind && parts[k].kind != 'a') {
                prev = parts[k].kind;
                break;
            }
        for (std::size_t k = i + 1; k < parts.size(); ++k)
            if (parts[k].kind && parts[k].kind != 'a') {
                next = parts[k].kind;
                break;
            }
        if (prev == 'h' || next == 's') parts[i].kind = 'n';
    }
    return parts;
}

std::string Pad(int n, int width) {
    std::string s = std::to_string(n);
    if (int(s.size()) < width) s.insert(0, std::size_t(width - int(s.size())), '0');
    return s;
}

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

double DayNumber(const CalendarTime& t) {
    return std::floor(OleFromCalendar({t.year, t.month, t.day}).value_or(0));
}

int Weekday(const CalendarTime& t) { // 0 Sunday .. 6 Saturday; 1899-12-31 was a Sunday
    return static_cast<int>(std::fmod(std::fmod(DayNumber(t) - 1, 7) + 7, 7));
}

int DayOfYear(const CalendarTime& t) {
    return static_cast<int>(DayNumber(t) - DayNumber({t.year, 1, 1})) + 1;
}

std::string ShortDate(const CalendarTime& t) {
    return Pad(t.day, 2) + "/" + Pad(t.month, 2) + "/" + Pad(t.year, 4);
}
std::string LongDate(const CalendarTime& t) {
    return std::string(kDays[Weekday(t)]) + ", " + std::to_string(t.day) + " " + kMonths[t.month - 1] + " " +
           Pad(t.year, 4);
}
std::string LongTime(const CalendarTime& t) {
    return Pad(t.hour, 2) + ":" + Pad(t.minute, 2) + ":" + Pad(t.second, 2);
}

// The general date-time: the time alone on day 0, the date alone at midnight, otherwise both.
std::string GeneralDate(const CalendarTime& t) {
    if (t.year == 1899 && t.month == 12 && t.day == 30) return LongTime(t);
    if (t.hour == 0 && t.minute == 0 && t.second == 0) return ShortDate(t);
    return ShortDate(t) + " " + LongTime(t);
}

FormatResult FormatDate(const Section& s, double value) {
    const auto checked = OleToCalendarChecked(value);
    if (!checked) return {FormatStatus::OutOfRange, {}};
    const CalendarTime& t = *checked;
    bool twelveHour = false;
    const std::vector<DatePart> parts = ReadDateSection(s, twelveHour);
    const auto number = [](int n, int count) { return count >= 2 ? Pad(n, 2) : std::to_string(n); };
    std::string out;
    for (const DatePart& p : parts) {
        switch (p.kind) {
        case 'd':
            if (p.count <= 2)
                out += number(t.day, p.count);
            else if (p.count <= 4)
                out += p.count == 3 ? std::string(kDays[Weekday(t)]).substr(0, 3) : kDays[Weekday(t)];
            else
                out += p.count == 5 ? ShortDate(t) : LongDate(t);
            break;
        case 'm':
            if (p.count <= 2)
                out += number(t.month, p.count);
            else
                out += p.count == 3 ? std::string(kMonths[t.month - 1]).substr(0, 3) : kMonths[t.month - 1];
            break;
        case 'n':
            out += number(t.minute, p.count);
            break;
        case 'y':
            out += p.count == 1   ? std::to_string(DayOfYear(t))
                   : p.count == 2 ? Pad(t.year % 100, 2)
                                  : Pad(t.year, 4);
            break;
        case 'h': {
            const int hour = twelveHour ? (t.hour % 12 == 0 ? 12 : t.hour % 12) : t.hour;
            out += number(hour, p.count);
            break;
        }
        case 's':
            out += number(t.second, p.count);
            break;
        case 'w':
            if (p.count == 1)
                out += std::to_string(Weekday(t) + 1);
            else // week 1 holds 1 January; weeks start on Sunday
                out += std::to_string((DayOfYear(t) - 1 + Weekday({t.year, 1, 1})) / 7 + 1);
            break;
        case 'q':
            out += std::to_string((t.month - 1) / 3 + 1);
            break;
        case 'c':
            out += GeneralDate(t);
            break;
        case 't':
            out += LongTime(t);
            break;
        case 'a': {
            // "AM/PM" writes its first half before noon and its second after, as written; AMPM
            // writes AM or PM.
            const bool pm = t.hour >= 12;
            const std::size_t slash = p.text.find('/');
            if (slash == std::string::npos)
                out += pm ? "PM" : "AM";
            else
                out += pm ? p.text.substr(slash + 1) : p.text.substr(0, slash);
            break;
        }
        default:
            out += p.text;
        }
    }
    return {FormatStatus::Done, out};
}

} // namespace

FormatResult TryFormatValue(double value, std::string_view pattern) {
    if (!std::isfinite(value)) return {};
    pattern = ResolveNamed(pattern);
    std::vector<Section> sections;
    switch (Classify(pattern, sections)) {
    case Kind::General:
        return {FormatStatus::Done, DoubleText(value)};
    case Kind::Number:
        return FormatNumber(sections, FromDouble(value));
    case Kind::Date:
        return FormatDate(sections[0], value);
    case Kind::Text:
        return TryFormatText(DoubleText(value), pattern);
    case Kind::Unusable:
        break;
    }
    return {};
}

FormatResult TryFormatNumberText(std::string_view number, std::string_view pattern) {
    // The texts a double can hold, no others, so a pattern never shows a number the field's type
    // could not take.
    const std::optional<double> value = ToDouble(number);
    if (!value) return {};
    const std::optional<Decimal> decimal = FromText(number);
    if (!decimal) return TryFormatValue(*value, pattern);
    pattern = ResolveNamed(pattern);
    std::vector<Section> sections;
    switch (Classify(pattern, sections)) {
    case Kind::General:
        return {FormatStatus::Done, GeneralText(*decimal)};
    case Kind::Number:
        return FormatNumber(sections, *decimal);
    case Kind::Date:
        return FormatDate(sections[0], *value);
    case Kind::Text:
        return TryFormatText(GeneralText(*decimal), pattern);
    case Kind::Unusable:
        break;
    }
    return {};
}

FormatResult TryFormatText(std::string_view text, std::string_view pattern) {
    std::vector<Section> sections;
    if (Classify(pattern, sections) != Kind::Text) return {};
    if (text.empty() && sections.size() == 2) return FormatTextSection(sections[1], text);
    return FormatTextSection(sections[0], text);
}

FormatResult TryFormatEmpty(std::string_view pattern) {
    pattern = ResolveNamed(pattern);
    std::vector<Section> sections;
    const Kind kind = Classify(pattern, sections);
    if (kind == Kind::Number && sections.size() == 4) {
        auto text = FormatNumberSection(sections[3], Decimal{}, false);
        if (text) return {FormatStatus::Done, std::move(*text)};
    }
    if (kind == Kind::Text && sections.size() == 2) return FormatTextSection(sections[1], {});
    return {};
}

std::string FormatValue(double value, std::string_view pattern) {
    FormatResult r = TryFormatValue(value, pattern);
    switch (r.status) {
    case FormatStatus::Done:
        return std::move(r.text);
    case FormatStatus::NotApplied:
        return DoubleText(value);
    case FormatStatus::OutOfRange:
        break;
    }
    return {};
}

bool IsDatePattern(std::string_view pattern) {
    std::vector<Section> sections;
    return Classify(ResolveNamed(pattern), sections) == Kind::Date;
}

bool IsTextPattern(std::string_view pattern) {
    std::vector<Section> sections;
    return Classify(pattern, sections) == Kind::Text;
}

} // namespace zeva
