#include "settings/FontStyle.h"

#include "common/Convert.h"

#include <cmath>

namespace zeva {

std::string FontToText(const FontStyle& f) {
    return BoolText(f.Bold) + "|" + BoolText(f.Italic) + "|" + f.Name + "|" + DoubleText(f.Size) + "|" +
           BoolText(f.Strikethrough) + "|" + BoolText(f.Underline) + "|" + std::to_string(f.ForeColor) + "|" +
           std::to_string(f.BackColor);
}

std::string NextToken(const std::string& text, std::size_t& pos) {
    if (pos >= text.size()) {
        pos = text.size() + 1;
        return {};
    }
    const std::size_t bar = text.find('|', pos);
    std::string token = text.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos);
    pos = bar == std::string::npos ? text.size() + 1 : bar + 1;
    return token;
}

bool TextToFont(const std::string& text, FontStyle& font) {
    if (text.empty()) return false;
    std::size_t pos = 0;
    const auto boolField = [&](bool& field) { field = ToBool(NextToken(text, pos)).value_or(field); };
    const auto colorField = [&](std::uint32_t& field) {
        const auto d = ToDouble(NextToken(text, pos));
        if (d && *d >= 0 && *d <= 4294967295.0) field = static_cast<std::uint32_t>(std::llround(*d));
    };
    boolField(font.Bold);
    boolField(font.Italic);
    const std::string name = NextToken(text, pos);
    if (!name.empty()) font.Name = name;
    const auto size = ToDouble(NextToken(text, pos));
    if (size && *size > 0 && *size < 1000) font.Size = *size;
    boolField(font.Strikethrough);
    boolField(font.Underline);
    colorField(font.ForeColor);
    colorField(font.BackColor);
    return true;
}

} // namespace zeva
