#pragma once
#include <cstdint>
#include <string>

namespace zeva {

// A grid of the MSFlexGrid kind: Rows x Cols cells of text, row 0 and column 0 may be fixed headers.
// Column widths are in twips; colours are 32-bit BGR values as the settings store them.
class FlexGrid {
  public:
    virtual ~FlexGrid() = default;
    virtual int Rows() const = 0;
    virtual void SetRows(int rows) = 0;
    virtual int Cols() const = 0;
    virtual void SetCols(int cols) = 0;
    virtual int FixedRows() const = 0;
    virtual void SetFixedRows(int rows) = 0;
    virtual int FixedCols() const = 0;
    virtual void SetFixedCols(int cols) = 0;
    virtual std::string TextMatrix(int row, int col) const = 0;
    virtual void SetTextMatrix(int row, int col, const std::string& text) = 0;
    virtual int ColWidth(int col) const = 0;
    virtual void SetColWidth(int col, int twips) = 0;
    virtual std::uint32_t CellBackColor(int row, int col) const = 0;
    virtual void SetCellBackColor(int row, int col, std::uint32_t color) = 0;
    virtual std::uint32_t CellForeColor(int row, int col) const = 0;
    virtual void SetCellForeColor(int row, int col, std::uint32_t color) = 0;
    // Inserts an empty row before row (the grid grows by one); removes a row (it shrinks by one).
    virtual void AddItem(int row) = 0;
    virtual void RemoveItem(int row) = 0;
    // Current cell and selection.
    virtual int Row() const = 0;
    virtual void SetRow(int row) = 0;
    virtual int Col() const = 0;
    virtual void SetCol(int col) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Large updates are wrapped in SetRedraw(false) ... SetRedraw(true) so the screen repaints once.
    virtual void SetRedraw(bool redraw) = 0;
};

} // namespace zeva
