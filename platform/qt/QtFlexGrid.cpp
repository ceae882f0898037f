#include "platform/qt/QtFlexGrid.h"

#include "platform/qt/QtText.h"

#include <QHeaderView>
#include <QTableWidget>

namespace zeva {
namespace {

const QColor kFixedColor(0xE0, 0xE0, 0xE0);

} // namespace

QtFlexGrid::QtFlexGrid(QTableWidget* table) : table_(table) {
    table_->horizontalHeader()->hide();
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One text line per cell, rows as tall as the text, as a flex grid draws them.
    table_->setWordWrap(false);
    table_->verticalHeader()->setMinimumSectionSize(1);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    if (table_->rowCount() == 0) table_->setRowCount(2);
    if (table_->columnCount() == 0) table_->setColumnCount(2);
    PaintFixed();
}

QTableWidgetItem* QtFlexGrid::Item(int row, int col, bool create) const {
    if (row < 0 || col < 0 || row >= table_->rowCount() || col >= table_->columnCount()) return nullptr;
    auto* item = table_->item(row, col);
    if (!item && create) {
        item = new QTableWidgetItem;
        if (row < fixedRows_ || col < fixedCols_) item->setBackground(kFixedColor);
        table_->setItem(row, col, item);
    }
    return item;
}

void QtFlexGrid::PaintFixed() {
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = 0; c < table_->columnCount(); ++c)
            if (r < fixedRows_ || c < fixedCols_) Item(r, c, true)->setBackground(kFixedColor);
}

int QtFlexGrid::Rows() const {
    return table_->rowCount();
}
void QtFlexGrid::SetRows(int rows) {
    table_->setRowCount(rows < 0 ? 0 : rows);
    PaintFixed();
}
int QtFlexGrid::Cols() const {
    return table_->columnCount();
}
void QtFlexGrid::SetCols(int cols) {
    table_->setColumnCount(cols < 0 ? 0 : cols);
    PaintFixed();
}
void QtFlexGrid::SetFixedRows(int rows) {
    fixedRows_ = rows;
    PaintFixed();
}
void QtFlexGrid::SetFixedCols(int cols) {
    fixedCols_ = cols;
    PaintFixed();
}

std::string QtFlexGrid::TextMatrix(int row, int col) const {
    const auto* item = Item(row, col, false);
    return item ? FromQt(item->text()) : std::string();
}

void QtFlexGrid::SetTextMatrix(int row, int col, const std::string& text) {
    if (auto* item = Item(row, col, true)) item->setText(ToQtLine(text));
}

int QtFlexGrid::ColWidth(int col) const {
    return int(PixelsToTwips(table_->columnWidth(col)));
}
void QtFlexGrid::SetColWidth(int col, int twips) {
    table_->setColumnWidth(col, TwipsToPixels(twips));
}

std::uint32_t QtFlexGrid::CellBackColor(int row, int col) const {
    const auto* item = Item(row, col, false);
    return item && item->background().style() != Qt::NoBrush ? ToBgr(item->background().color()) : 0xFFFFFF;
}
void QtFlexGrid::SetCellBackColor(int row, int col, std::uint32_t color) {
    if (auto* item = Item(row, col, true)) item->setBackground(FromBgr(color));
}
std::uint32_t QtFlexGrid::CellForeColor(int row, int col) const {
    const auto* item = Item(row, col, false);
    return item && item->foreground().style() != Qt::NoBrush ? ToBgr(item->foreground().color()) : 0;
}
void QtFlexGrid::SetCellForeColor(int row, int col, std::uint32_t color) {
    if (auto* item = Item(row, col, true)) item->setForeground(FromBgr(color));
}

void QtFlexGrid::AddItem(int row) {
    if (row < 0 || row > table_->rowCount()) row = table_->rowCount();
    table_->insertRow(row);
    for (int c = 0; c < table_->columnCount(); ++c)
        if (row < fixedRows_ || c < fixedCols_) Item(row, c, true)->setBackground(kFixedColor);
}

void QtFlexGrid::RemoveItem(int row) {
    if (row >= 0 && row < table_->rowCount()) table_->removeRow(row);
}

int QtFlexGrid::Row() const {
    return table_->currentRow();
}
void QtFlexGrid::SetRow(int row) {
    table_->setCurrentCell(row, table_->currentColumn() < 0 ? 0 : table_->currentColumn());
}
int QtFlexGrid::Col() const {
    return table_->currentColumn();
}
void QtFlexGrid::SetCol(int col) {
    table_->setCurrentCell(table_->currentRow() < 0 ? 0 : table_->currentRow(), col);
}
bool QtFlexGrid::Visible() const {
    return table_->isVisible();
}
void QtFlexGrid::SetVisible(bool visible) {
    table_->setVisible(visible);
}
void QtFlexGrid::SetRedraw(bool redraw) {
    table_->setUpdatesEnabled(redraw);
}

} // namespace zeva
