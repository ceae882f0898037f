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
                             ListBox& outputLines, std::function<long long(int)> blockOf, QWidget* parent)
    : QWidget(parent), grid_(grid), gridCells_(gridCells), output_(output), outputLines_(outputLines),
      blockOf_(std::move(blockOf)) {
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
        savedLine_ = outputLines_.ListIndex();
        savedCount_ = outputLines_.ListCount();
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
    // Records that arrived meanwhile went in on top and pushed the line down.
    if (savedLine_ >= 0) {
        const int line = savedLine_ + std::max(0, outputLines_.ListCount() - savedCount_);
        if (line < outputLines_.ListCount()) outputLines_.SetListIndex(line);
    }
    savedLine_ = -1;
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
    const int count = outputLines_.ListCount();
    int from = outputLines_.ListIndex();
    if (from >= 0) {
        const long long block = blockOf_(from);
        while (block != 0 && from + 1 < count && blockOf_(from + 1) == block)
            ++from;
    }
    int line = finder.NextLine(outputLines_, from);
    if (line < 0) {
        lblFindCount_->setText(QStringLiteral("not in the Output window"));
        return false;
    }
    const long long block = blockOf_(line);
    while (block != 0 && line > 0 && blockOf_(line - 1) == block)
        --line;
    outputLines_.SetListIndex(line);
    if (output_->currentIndex().isValid())
        output_->scrollTo(output_->currentIndex(), QAbstractItemView::PositionAtTop);
    return true;
}

void RecordFindBar::ShowCount(int shown) {
    lblFindCount_->setText(QString::number(shown));
}

} // namespace zeva
