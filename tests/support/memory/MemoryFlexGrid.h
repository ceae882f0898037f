#pragma once
#include "platform/FlexGrid.h"

#include <vector>

namespace zeva {

// In-memory flex grid for tests: cell texts and back colours, column widths and the current cell.
class MemoryFlexGrid final : public FlexGrid {
  public:
    MemoryFlexGrid() { Resize(); }
    int Rows() const override { return rows_; }
    void SetRows(int rows) override;
    int Cols() const override { return cols_; }
    void SetCols(int cols) override;
    int FixedRows() const override { return fixedRows_; }
    void SetFixedRows(int rows) override { fixedRows_ = rows; }
    int FixedCols() const override { return fixedCols_; }
    void SetFixedCols(int cols) override { fixedCols_ = cols; }
    std::string TextMatrix(int row, int col) const override {
        return InRange(row, col) ? Cell(row, col).text : "";
    }
    void SetTextMatrix(int row, int col, const std::string& text) override {
        if (InRange(row, col)) Cell(row, col).text = text;
    }
    int ColWidth(int col) const override { return ColumnIn(col) ? widths_[size_t(col)] : 0; }
    void SetColWidth(int col, int twips) override {
        if (ColumnIn(col)) widths_[size_t(col)] = twips;
    }
    std::uint32_t CellBackColor(int row, int col) const override {
        return InRange(row, col) ? Cell(row, col).back : 0;
    }
    void SetCellBackColor(int row, int col, std::uint32_t color) override {
        if (InRange(row, col)) Cell(row, col).back = color;
    }
    std::uint32_t CellForeColor(int, int) const override { return 0; }
    void SetCellForeColor(int, int, std::uint32_t) override {}
    void AddItem(int row) override;
    void RemoveItem(int row) override;
    int Row() const override { return row_; }
    void SetRow(int row) override { row_ = row; }
    int Col() const override { return col_; }
    void SetCol(int col) override { col_ = col; }
    bool Visible() const override { return true; }
    void SetVisible(bool) override {}
    void SetRedraw(bool redraw) override { redraw_ = redraw; }
    bool Redraw() const { return redraw_; }

  private:
    struct CellData {
        std::string text;
        std::uint32_t back = 0xFFFFFF;
    };
    bool ColumnIn(int col) const { return col >= 0 && col < cols_; }
    bool InRange(int row, int col) const { return row >= 0 && row < rows_ && ColumnIn(col); }
    CellData& Cell(int row, int col) { return cells_[size_t(row)][size_t(col)]; }
    const CellData& Cell(int row, int col) const { return cells_[size_t(row)][size_t(col)]; }
    void Resize();

    int rows_ = 2, cols_ = 2, fixedRows_ = 1, fixedCols_ = 1, row_ = 0, col_ = 0;
    bool redraw_ = true;
    std::vector<std::vector<CellData>> cells_;
    std::vector<int> widths_;
};

} // namespace zeva
