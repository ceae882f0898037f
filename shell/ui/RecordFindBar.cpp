#include "shell/ui/RecordFindBar.h"

#include "display/RecordFinder.h"
#include "platform/FlexGrid.h"
#include "platform/ListBox.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ValueLabel.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace zeva {

RecordFindBar::RecordFindBar(QTableView* grid, const FlexGrid& gridCells, QAbstractItemView* output,
                             const ListBox& outputLines, QWidget* parent)
    : QWidget(parent), grid_(grid), gridCells_(gridCells), output_(output), outputLines_(outputLines) {
    setObjectName(QStringLiteral("frmFind"));
    setAccessibleName(QStringLiteral("Find records"));
    auto* label = new QLabel(QStringLiteral("F&ind:"), this);
    txtFind_ = new QLineEdit(this);
    txtFind_->setObjectName(QStringLiteral("txtFind"));
    txtFind_->setAccessibleName(QStringLiteral("Find"));
    label->setBuddy(txtFind_);
    cmdFindNext_ = new QPushButton(QStringLiteral("&Next in Output"), this);
    cmdFindNext_->setObjectName(QStringLiteral("cmdFindNext"));
    cmdFindNext_->setAccessibleName(QStringLiteral("Next in Output"));
    cmdFindClose_ = new QPushButton(QStringLiteral("Close"), this);
    cmdFindClose_->setObjectName(QStringLiteral("cmdFindClose"));
    cmdFindClose_->setAccessibleName(QStringLiteral("Close find"));
    lblFindCount_ = new ValueLabel(QStringLiteral("Records found"), this);
    lblFindCount_->setObjectName(QStringLiteral("lblFindCount"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->addWidget(label);
    row->addWidget(txtFind_, 1);
    row->addWidget(lblFindCount_);
    row->addWidget(cmdFindNext_);
    row->addWidget(cmdFindClose_);

    connect(txtFind_, &QLineEdit::textChanged, this, [this] { Narrow(); });
    connect(txtFind_, &QLineEdit::returnPressed, this, [this] { FindNext(); });
    connect(cmdFindNext_, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(cmdFindClose_, &QPushButton::clicked, this, [this] { Close(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { Close(); });

    // A record fills its row cell by cell; the grid is narrowed once after the burst.
    narrowLater_ = new QTimer(this);
    narrowLater_->setSingleShot(true);
    narrowLater_->setInterval(0);
    connect(narrowLater_, &QTimer::timeout, this, [this] { Narrow(); });
    const auto later = [this] {
        if (open_) narrowLater_->start();
    };
    connect(grid_->model(), &QAbstractItemModel::rowsInserted, this, later);
    connect(grid_->model(), &QAbstractItemModel::dataChanged, this, later);
    connect(grid_->model(), &QAbstractItemModel::modelReset, this, later);
    hide();
}

void RecordFindBar::Open() {
    if (!open_) {
        open_ = true;
        savedOutput_ = QPersistentModelIndex(output_->currentIndex());
        Narrow();
    }
    show();
    raise();
    txtFind_->setFocus();
    txtFind_->selectAll();
}

void RecordFindBar::Close() {
    if (!open_) return;
    open_ = false;
    narrowLater_->stop();
    for (int row = 0; row < grid_->model()->rowCount(); ++row)
        grid_->setRowHidden(row, false);
    if (savedOutput_.isValid()) output_->setCurrentIndex(savedOutput_);
    savedOutput_ = QPersistentModelIndex();
    hide();
    grid_->setFocus();
    if (onClosed) onClosed();
}

int RecordFindBar::Narrow() {
    const RecordFinder finder(FromQt(txtFind_->text()));
    const std::vector<int> rows = finder.MatchingRows(gridCells_);
    const int count = grid_->model()->rowCount();
    auto match = rows.begin();
    for (int row = gridCells_.FixedRows(); row < count; ++row) {
        const bool shown = match != rows.end() && *match == row;
        if (shown) ++match;
        grid_->setRowHidden(row, !shown);
    }
    ShowCount(static_cast<int>(rows.size()));
    return static_cast<int>(rows.size());
}

bool RecordFindBar::FindNext() {
    if (txtFind_->text().isEmpty()) return false;
    const RecordFinder finder(FromQt(txtFind_->text()));
    // Start below the block of the line selected, so the next match is in another record.
    const QAbstractItemModel* model = output_->model();
    int from = output_->currentIndex().isValid() ? output_->currentIndex().row() : -1;
    if (from >= 0) {
        const QVariant block = model->index(from, 0).data(Qt::UserRole);
        while (block.isValid() && from + 1 < model->rowCount() &&
               model->index(from + 1, 0).data(Qt::UserRole) == block)
            ++from;
    }
    int line = finder.NextLine(outputLines_, from);
    if (line < 0) {
        lblFindCount_->setText(QStringLiteral("not in the Output window"));
        return false;
    }
    const QVariant block = model->index(line, 0).data(Qt::UserRole);
    while (block.isValid() && line > 0 && model->index(line - 1, 0).data(Qt::UserRole) == block)
        --line;
    output_->setCurrentIndex(model->index(line, 0));
    output_->scrollTo(model->index(line, 0), QAbstractItemView::PositionAtTop);
    return true;
}

void RecordFindBar::ShowCount(int shown) {
    lblFindCount_->setText(QString::number(shown));
}

} // namespace zeva
