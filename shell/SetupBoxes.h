#pragma once
#include "common/Convert.h"
#include "settings/ClientSettings.h"

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

// What a box edits: the setting, the digits it takes at most and the range its value is kept in.
struct SetupBoxRule {
    int digits, low, high;
    std::int16_t ClientSettings::*value;
};

// The rule of a box over the current settings: an indent stays within a line's characters.
inline SetupBoxRule SetupBoxRuleOf(SetupBox box, const ClientSettings& s) {
    switch (box) {
    case SetupBox::CharWidth:
        return {3, 1, 1000, &ClientSettings::CharactersPerPage};
    case SetupBox::LinesPerEntry:
        return {3, 1, 50, &ClientSettings::LinesPerRecord};
    case SetupBox::Indent:
        return {3, 0, s.CharactersPerPage, &ClientSettings::LineIndentCharacters};
    case SetupBox::PostLines:
        return {3, 0, 20, &ClientSettings::NoOfPostLines};
    case SetupBox::MaxDisplayEntries:
        return {5, 1, 10000, &ClientSettings::MaxEntriesInOutput};
    case SetupBox::FullFieldsJustify:
        return {3, 0, 300, &ClientSettings::FullFieldsJustify};
    case SetupBox::MaxRecords:
        break;
    }
    return {4, kMaxEntriesInRecordsLow, kMaxEntriesInRecordsHigh, &ClientSettings::MaxEntriesInRecords};
}

// The box's text taken into the settings on leaving it; the value the box shows afterwards.
inline std::int16_t TakeSetupBox(SetupBox box, const std::string& text, ClientSettings& s) {
    const SetupBoxRule rule = SetupBoxRuleOf(box, s);
    s.*rule.value = SetupBoxValue(text, s.*rule.value, rule.low, rule.high);
    return s.*rule.value;
}

} // namespace zeva
