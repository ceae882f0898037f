#include "display/RecordFinder.h"

#include "common/Cp1252.h"
#include "platform/FlexGrid.h"
#include "platform/ListBox.h"

namespace zeva {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Lower case, and the spaces of a run lying between two digits dropped, so a number matches
// however it was grouped.
std::string FindKey(std::string_view text) {
    const std::string lower = Cp1252ToLower(text);
    std::string key;
    key.reserve(lower.size());
    for (std::size_t i = 0; i < lower.size(); ++i) {
        if (lower[i] == ' ' && !key.empty() && IsDigit(key.back())) {
            std::size_t j = i;
            while (j < lower.size() && lower[j] == ' ')
                ++j;
            if (j < lower.size() && IsDigit(lower[j])) {
                i = j - 1;
                continue;
            }
        }
        key += lower[i];
    }
    return key;
}

} // namespace

RecordFinder::RecordFinder(std::string_view text) : text_(text), key_(FindKey(text)) {}

bool RecordFinder::Holds(std::string_view haystack) const {
    return key_.empty() || FindKey(haystack).find(key_) != std::string::npos;
}

std::vector<int> RecordFinder::MatchingRows(const FlexGrid& grid) const {
    std::vector<int> rows;
    for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
        for (int col = 0; col < grid.Cols(); ++col) {
            if (Holds(grid.TextMatrix(row, col))) {
                rows.push_back(row);
                break;
            }
        }
    }
    return rows;
}

int RecordFinder::NextLine(const ListBox& list, int from) const {
    const int count = list.ListCount();
    if (count == 0) return -1;
    const int start = (from < 0 || from >= count) ? count - 1 : from;
    for (int step = 1; step <= count; ++step) {
        const int line = (start + step) % count;
        if (Holds(list.List(line))) return line;
    }
    return -1;
}

} // namespace zeva
