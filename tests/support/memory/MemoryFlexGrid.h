#pragma once
#include "platform/FlexGrid.h"

#include <vector>

namespace zeva {

// In-memory flex grid for tests.
class MemoryFlexGrid final : public FlexGrid {
  public:
    MemoryFlexGrid();
    int Rows() const override { return rows_; }
    void SetRows(int rows) override;
    int Cols() const override { return cols_; }
    void SetCols(int cols) override;
    int FixedRows() const override { return fixedRows_; }
    void SetFixedRows(int rows) override { fixedRows_ = rows; }
    int FixedCols() const override { return fixedCols_; }
    void SetFixedCols(int cols) override { fixedCols_ = cols; }
    std::string TextMatrix(int row, int col) const override;
    void SetTextMatrix(int row, int col, const std::string& text) override;
    int ColWidth(int col) const override;
    void SetColWidth(int col, int twips) override;
    std::uint32_t CellBackColor(int row, int col) const override;
    void SetCellBackColor(int row, int col, std::uint32_t color) override;
    std::uint32_t CellForeColor(int row, int col) const override;
    void SetCellForeColor(int row, int col, std::uint32_t color) override;
    void AddItem(int row) override;
    void RemoveItem(int row) override;
    int Row() const override { return row_; }
    void SetRow(int row) override { row_ = row; }
    int Col() const override { return col_; }
    void SetCol(int col) override { col_ = col; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }
    void SetRedraw(bool redraw) override { redraw_ = redraw; }
    bool Redraw() const { return redraw_; }

  private:
    struct Cell {
        std::string text;
        std::uint32_t back = 0xFFFFFF;
        std::uint32_t fore = 0;
    };
    bool InRange(int row, int col) const { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }
    void Resize();

    int rows_ = 2, cols_ = 2, fixedRows_ = 1, fixedCols_ = 1, row_ = 0, col_ = 0;
    bool visible_ = true, redraw_ = true;
    std::vector<std::vector<Cell>> cells_;
    std::vector<int> widths_;
};

} // namespace zeva
