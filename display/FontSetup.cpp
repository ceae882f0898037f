#include "display/FontSetup.h"

#include "settings/ClientSettings.h"

namespace zeva {

namespace {
int Clamp(int target) {
    return (target >= 0 && target < 4) ? target : 0;
}
} // namespace

void FontSetup::SetFont(int target, const FontStyle& font) {
    fonts_[std::size_t(Clamp(target))] = font;
}

const FontStyle& FontSetup::Font(int target) const {
    return fonts_[std::size_t(Clamp(target))];
}

void FontSetup::SetTarget(int target) {
    target_ = Clamp(target);
}

void FontSetup::ApplyFont(const FontStyle& chosen) {
    FontStyle& f = fonts_[std::size_t(target_)];
    f.Name = chosen.Name;
    f.Bold = chosen.Bold;
    f.Italic = chosen.Italic;
    f.Size = chosen.Size;
    f.Strikethrough = chosen.Strikethrough;
    f.Underline = chosen.Underline;
}

void FontSetup::ApplyForeColor(std::uint32_t colour) {
    fonts_[std::size_t(target_)].ForeColor = colour;
}

void FontSetup::ApplyBackColor(std::uint32_t colour) {
    fonts_[std::size_t(target_)].BackColor = colour;
}

std::vector<int> FontSetup::LoadStored(const ClientSettings& s) {
    if (s.OutputWindowFont == "NULL") return {};
    std::vector<int> applied;
    const std::string* texts[] = {&s.OutputWindowFont, &s.FieldsWindowFont, &s.RecordWindowFont};
    for (int t = 0; t < 3; ++t)
        if (TextToFont(*texts[t], fonts_[std::size_t(t)])) applied.push_back(t);
    return applied;
}

void FontSetup::Store(ClientSettings& s) const {
    s.OutputWindowFont = FontToText(fonts_[kOutput]);
    s.FieldsWindowFont = FontToText(fonts_[kFields]);
    s.RecordWindowFont = FontToText(fonts_[kRecords]);
}

} // namespace zeva
