#include "tests/support/memory/MemoryFlexGrid.h"

namespace zeva {

MemoryFlexGrid::MemoryFlexGrid() {
    Resize();
}

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

std::string MemoryFlexGrid::TextMatrix(int row, int col) const {
    return InRange(row, col) ? cells_[size_t(row)][size_t(col)].text : std::string();
}

void MemoryFlexGrid::SetTextMatrix(int row, int col, const std::string& text) {
    if (InRange(row, col)) cells_[size_t(row)][size_t(col)].text = text;
}

int MemoryFlexGrid::ColWidth(int col) const {
    return (col >= 0 && col < cols_) ? widths_[size_t(col)] : 0;
}

void MemoryFlexGrid::SetColWidth(int col, int twips) {
    if (col >= 0 && col < cols_) widths_[size_t(col)] = twips;
}

std::uint32_t MemoryFlexGrid::CellBackColor(int row, int col) const {
    return InRange(row, col) ? cells_[size_t(row)][size_t(col)].back : 0;
}

void MemoryFlexGrid::SetCellBackColor(int row, int col, std::uint32_t color) {
    if (InRange(row, col)) cells_[size_t(row)][size_t(col)].back = color;
}

std::uint32_t MemoryFlexGrid::CellForeColor(int row, int col) const {
    return InRange(row, col) ? cells_[size_t(row)][size_t(col)].fore : 0;
}

void MemoryFlexGrid::SetCellForeColor(int row, int col, std::uint32_t color) {
    if (InRange(row, col)) cells_[size_t(row)][size_t(col)].fore = color;
}

void MemoryFlexGrid::AddItem(int row) {
    if (row < 0 || row > rows_) row = rows_;
    cells_.insert(cells_.begin() + row, std::vector<Cell>(size_t(cols_)));
    ++rows_;
}

void MemoryFlexGrid::RemoveItem(int row) {
    if (row < 0 || row >= rows_) return;
    cells_.erase(cells_.begin() + row);
    --rows_;
}

} // namespace zeva
