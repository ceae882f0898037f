#pragma once
#include "platform/FlexGrid.h"

class QTableWidget;
class QTableWidgetItem;

namespace zeva {

// FlexGrid over a QTableWidget: grid row 0 and column 0 are real cells (the fixed ones are
// drawn grey), so row and column numbers match the flex-grid ones. Does not own the widget.
class QtFlexGrid final : public FlexGrid {
  public:
    explicit QtFlexGrid(QTableWidget* table);
    int Rows() const override;
    void SetRows(int rows) override;
    int Cols() const override;
    void SetCols(int cols) override;
    int FixedRows() const override { return fixedRows_; }
    void SetFixedRows(int rows) override;
    int FixedCols() const override { return fixedCols_; }
    void SetFixedCols(int cols) override;
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
    int Row() const override;
    void SetRow(int row) override;
    int Col() const override;
    void SetCol(int col) override;
    bool Visible() const override;
    void SetVisible(bool visible) override;
    void SetRedraw(bool redraw) override;
    QTableWidget* widget() const { return table_; }

  private:
    QTableWidgetItem* Item(int row, int col, bool create) const;
    void PaintFixed();
    QTableWidget* table_;
    int fixedRows_ = 1, fixedCols_ = 1;
};

} // namespace zeva
