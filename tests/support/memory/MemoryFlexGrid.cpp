#include "tests/support/memory/MemoryFlexGrid.h"

namespace zeva {

void MemoryFlexGrid::Resize() {
    cells_.resize(static_cast<size_t>(rows_));
    for (auto& row : cells_)
        row.resize(static_cast<size_t>(cols_));
    widths_.resize(static_cast<size_t>(cols_), 960);
}

void MemoryFlexGrid::SetRows(int rows) {
    rows_ = rows < 0 ? 0 : rows;
    Resize();
}

void MemoryFlexGrid::SetCols(int cols) {
    cols_ = cols < 0 ? 0 : cols;
    Resize();
}

void MemoryFlexGrid::AddItem(int row) {
    if (row < 0 || row > rows_) row = rows_;
    cells_.insert(cells_.begin() + row, std::vector<CellData>(size_t(cols_)));
    ++rows_;
}

void MemoryFlexGrid::RemoveItem(int row) {
    if (row < 0 || row >= rows_) return;
    cells_.erase(cells_.begin() + row);
    --rows_;
}

} // namespace zeva
