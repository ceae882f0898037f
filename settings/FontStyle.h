#pragma once
#include <cstdint>
#include <string>

namespace zeva {

// A control's font and colours as the settings keep them. Colours are 32-bit BGR values.
struct FontStyle {
    bool Bold = false;
    bool Italic = false;
    std::string Name = "MS Sans Serif";
    double Size = 8.25;
    bool Strikethrough = false;
    bool Underline = false;
    std::uint32_t ForeColor = 0x000000;
    std::uint32_t BackColor = 0xFFFFFF;
};

// "Bold|Italic|Name|Size|Strikethrough|Underline|ForeColor|BackColor", e.g.
// "False|False|Courier New|8.25|False|False|0|16777215".
std::string FontToText(const FontStyle& font);
// Reads the fields back in the same order onto font. An empty text changes nothing; a field that
// does not convert keeps the font's current value for that field. False when the text is empty.
bool TextToFont(const std::string& text, FontStyle& font);
// The text from pos (0-based) up to the next "|", or to the end; pos moves past the "|".
std::string NextToken(const std::string& text, std::size_t& pos);

} // namespace zeva
