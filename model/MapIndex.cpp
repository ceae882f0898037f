#include "model/MapIndex.h"

#include "common/Convert.h"
#include "common/FormatValue.h"

#include <string_view>

namespace zeva {

namespace {
constexpr std::size_t kMaxGroupsWritten = 2000;
constexpr std::size_t kMaxCharactersRead = 10000;
} // namespace

std::string MapIndexText(const std::vector<std::int16_t>& rowOrder) {
    std::string text;
    std::size_t groups = 0;
    for (auto it = rowOrder.rbegin(); it != rowOrder.rend() && groups < kMaxGroupsWritten; ++it, ++groups)
        text += FormatValue(*it, "000") + ":";
    return text;
}

std::vector<std::int16_t> ParseMapIndex(const std::string& stored) {
    std::vector<std::int16_t> numbers;
    if (stored.empty() || stored == "NULL") return numbers;
    const std::string_view text = std::string_view(stored).substr(0, kMaxCharactersRead);
    std::size_t p = 0;
    while (p < text.size()) {
        std::size_t colon = text.find(':', p);
        if (colon == std::string_view::npos) colon = text.size();
        if (const auto n = ToInt16(text.substr(p, colon - p))) numbers.push_back(*n);
        p = colon + 1;
    }
    return numbers;
}

} // namespace zeva
