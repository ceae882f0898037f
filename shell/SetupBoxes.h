#pragma once
#include "common/Convert.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsCatalog.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace zeva {

// A numeric box of the Setup pane when it loses the focus: its text converted (a text that does
// not convert keeps the previous value) and clamped to the box's range.
inline std::int16_t SetupBoxValue(const std::string& text, std::int16_t previous, int low, int high) {
    const auto value = ToInt32(text);
    if (!value) return previous;
    return static_cast<std::int16_t>(std::clamp<int>(*value, low, high));
}

// The numeric boxes of the "Global Format" group, in the group's order.
enum class SetupBox {
    CharWidth,
    LinesPerEntry,
    Indent,
    PostLines,
    MaxDisplayEntries,
    FullFieldsJustify,
    MaxRecords
};
inline constexpr std::array<SetupBox, 7> kSetupBoxes{
    SetupBox::CharWidth,         SetupBox::LinesPerEntry,     SetupBox::Indent,    SetupBox::PostLines,
    SetupBox::MaxDisplayEntries, SetupBox::FullFieldsJustify, SetupBox::MaxRecords};

// What a box edits: the setting, the digits it takes at most and the range its value is kept in,
// the setting's own range (the reader keeps a stored value in the same one).
struct SetupBoxRule {
    int digits, low, high;
    std::int16_t ClientSettings::*value;
};

// The rule of a box over the current settings: an indent stays within a line's characters.
inline SetupBoxRule SetupBoxRuleOf(SetupBox box, const ClientSettings& s) {
    auto rule = [&s](int digits, std::int16_t ClientSettings::*value) {
        const SettingRange range = RangeOf(SettingKeyOf(value), s);
        return SetupBoxRule{digits, static_cast<int>(range.Min), static_cast<int>(range.Max), value};
    };
    switch (box) {
    case SetupBox::CharWidth:
        return rule(3, &ClientSettings::CharactersPerPage);
    case SetupBox::LinesPerEntry:
        return rule(3, &ClientSettings::LinesPerRecord);
    case SetupBox::Indent:
        return rule(3, &ClientSettings::LineIndentCharacters);
    case SetupBox::PostLines:
        return rule(3, &ClientSettings::NoOfPostLines);
    case SetupBox::MaxDisplayEntries:
        return rule(5, &ClientSettings::MaxEntriesInOutput);
    case SetupBox::FullFieldsJustify:
        return rule(3, &ClientSettings::FullFieldsJustify);
    case SetupBox::MaxRecords:
        break;
    }
    return rule(4, &ClientSettings::MaxEntriesInRecords);
}

// The box's text taken into the settings on leaving it; the value the box shows afterwards.
inline std::int16_t TakeSetupBox(SetupBox box, const std::string& text, ClientSettings& s) {
    const SetupBoxRule rule = SetupBoxRuleOf(box, s);
    s.*rule.value = SetupBoxValue(text, s.*rule.value, rule.low, rule.high);
    return s.*rule.value;
}

} // namespace zeva
