#include "display/GridText.h"

#include "platform/FlexGrid.h"

#include <algorithm>

namespace zeva {

std::string GridRowsText(const FlexGrid& grid, std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [&](int r) { return r < 1 || r >= grid.Rows(); });
    rows.insert(rows.begin(), 0);
    std::string text;
    for (int r : rows) {
        for (int c = 0; c < grid.Cols(); ++c) {
            if (c > 0) text += '\t';
            text += grid.TextMatrix(r, c);
        }
        text += '\n';
    }
    return text;
}

} // namespace zeva
