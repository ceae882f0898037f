#pragma once
#include "common/Convert.h"

#include <algorithm>
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

} // namespace zeva
