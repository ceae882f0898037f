#include "platform/qt/QtLineListBox.h"

#include "platform/qt/QtText.h"
#include "platform/qt/RepaintPacer.h"

#include <QListView>

namespace zeva {

namespace {

// In a paced window the lines wait for the window's next paint; should it not come (the window
// hidden meanwhile), they go to the view after this many frames all the same.
constexpr int kPaintWaitFrames = 4;

} // namespace

QtLineListBox::QtLineListBox(QListView* view) : QAbstractListModel(view), view_(view) {
    frameMs_ = ScreenFrameMs(view);
    frame_.setSingleShot(true);
    connect(&frame_, &QTimer::timeout, this, [this] { HandOver(true); });
    sinceFlush_.start();
    // Rows of one height let the view place a row without measuring the others; a view that
    // scrolled after every new current line would lay out every row each time.
    view->setUniformItemSizes(true);
    view->setAutoScroll(false);
    view->setModel(this);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnViewCurrentChanged(current); });
}

QtLineListBox* QtLineListBox::Of(const QListView* view) {
    return view ? qobject_cast<QtLineListBox*>(view->model()) : nullptr;
}

void QtLineListBox::AddItem(const std::string& text, int index) {
    const int count = ListCount();
    if (index < 0 || index > count) index = count;
    if (index == 0) {
        lines_.push_front({ToQtLine(text), 0});
        ++pendingTop_;
    } else {
        Flush();
        syncing_ = true;
        beginInsertRows(QModelIndex(), index, index);
        lines_.insert(lines_.begin() + index, Line{ToQtLine(text), 0});
        endInsertRows();
        syncing_ = false;
    }
    // A line inserted at or above the selection moves it down with its line.
    if (current_ >= index) ++current_;
    Schedule();
}

void QtLineListBox::RemoveItem(int index) {
    if (!ValidRow(index)) return;
    // The bottom line is a new one only when every line the view shows is gone already (more lines
    // came since the last hand-over than the list holds): hand the new lines over now, so the line
    // leaves from the bottom of the view's rows instead of from the middle of the stored lines.
    if (index < pendingTop_ && index == ListCount() - 1 && pendingTail_ > 0) Flush();
    const int count = ListCount();
    if (index < pendingTop_) {
        lines_.erase(lines_.begin() + index); // the view never had it
        --pendingTop_;
    } else if (index == count - 1) {
        ++pendingTail_; // the view keeps it until the next hand-over
    } else {
        Flush();
        syncing_ = true;
        beginRemoveRows(QModelIndex(), index, index);
        lines_.erase(lines_.begin() + index);
        endRemoveRows();
        syncing_ = false;
    }
    // The selection of a removed line goes to the line below it (which takes its place), else to
    // the one above.
    if (current_ == index)
        current_ = index < count - 1 ? index : index - 1;
    else if (current_ > index)
        --current_;
    Schedule();
}

void QtLineListBox::Clear() {
    frame_.stop();
    syncing_ = true;
    beginResetModel();
    lines_.clear();
    pendingTop_ = pendingTail_ = 0;
    current_ = -1;
    endResetModel();
    syncing_ = false;
    currentPending_ = scrollPending_ = false;
}

int QtLineListBox::ListCount() const {
    return static_cast<int>(lines_.size()) - pendingTail_;
}

std::string QtLineListBox::List(int index) const {
    return ValidRow(index) ? FromQt(lines_[static_cast<std::size_t>(index)].text) : std::string();
}

void QtLineListBox::SetList(int index, const std::string& text) {
    if (!ValidRow(index)) return;
    lines_[static_cast<std::size_t>(index)].text = ToQtLine(text);
    if (index >= pendingTop_) {
        const QModelIndex row = this->index(index - pendingTop_);
        emit dataChanged(row, row);
    }
}

int QtLineListBox::ListIndex() const {
    return current_;
}

void QtLineListBox::SetListIndex(int index) {
    current_ = ValidRow(index) ? index : -1;
    currentPending_ = true;
    scrollPending_ = current_ >= 0;
    Schedule();
}

bool QtLineListBox::Selected(int index) const {
    return ValidRow(index) && index == current_;
}

void QtLineListBox::SetSelected(int index, bool selected) {
    if (!ValidRow(index) || selected == (index == current_)) return;
    current_ = selected ? index : -1;
    currentPending_ = true;
    Schedule();
}

bool QtLineListBox::Enabled() const {
    return view_->isEnabled();
}

void QtLineListBox::SetEnabled(bool enabled) {
    view_->setEnabled(enabled);
}

void QtLineListBox::SetTag(int index, qint64 tag) {
    if (ValidRow(index)) lines_[static_cast<std::size_t>(index)].tag = tag;
}

qint64 QtLineListBox::Tag(int index) const {
    return ValidRow(index) ? lines_[static_cast<std::size_t>(index)].tag : 0;
}

void QtLineListBox::Schedule() {
    if (frame_.isActive()) return;
    // In a paced window, one frame clock: the pacer's. The repaint asked for here comes at once after
    // a quiet frame, else at the frame's end, and the lines are handed over just before it.
    if (RepaintPacer* pacer = view_->isVisible() ? RepaintPacer::Of(view_) : nullptr) {
        connect(pacer, &RepaintPacer::Painting, this, &QtLineListBox::HandOverForPaint, Qt::UniqueConnection);
        view_->viewport()->update();
        frame_.start(kPaintWaitFrames * frameMs_);
        return;
    }
    // At most one hand-over per frame; after a quiet spell the first change goes at once.
    const qint64 since = sinceFlush_.elapsed();
    frame_.start(since >= frameMs_ ? 0 : static_cast<int>(frameMs_ - since));
}

void QtLineListBox::HandOverForPaint() {
    if (HasWaiting()) HandOver(true);
}

void QtLineListBox::Flush() {
    HandOver(false);
}

void QtLineListBox::HandOver(bool layOut) {
    frame_.stop();
    const bool rows = pendingTail_ > 0 || pendingTop_ > 0;
    sinceFlush_.restart();
    syncing_ = true;
    if (pendingTail_ > 0) {
        const int shown = static_cast<int>(lines_.size()) - pendingTop_;
        beginRemoveRows(QModelIndex(), shown - pendingTail_, shown - 1);
        lines_.erase(lines_.end() - pendingTail_, lines_.end());
        pendingTail_ = 0;
        endRemoveRows();
    }
    if (pendingTop_ > 0) {
        beginInsertRows(QModelIndex(), 0, pendingTop_ - 1);
        pendingTop_ = 0;
        endInsertRows();
    }
    syncing_ = false;
    // The view lays out new rows at its next turn of the event loop, and a paint before that shows an
    // empty list: for the paint that follows at once they are laid out now. (A view not shown lays
    // out when it is shown.)
    if (layOut && rows && view_->isVisible()) view_->doItemsLayout();
    SyncCurrent();
}

void QtLineListBox::SyncCurrent() {
    QItemSelectionModel* selection = view_->selectionModel();
    const QModelIndex want = current_ >= 0 ? index(current_) : QModelIndex();
    syncing_ = true;
    if (!want.isValid()) {
        if (currentPending_ && selection->currentIndex().isValid())
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    } else if (selection->currentIndex() != want || !selection->isSelected(want)) {
        selection->setCurrentIndex(want, QItemSelectionModel::ClearAndSelect);
    }
    if (scrollPending_ && want.isValid()) {
        if (current_ == 0)
            view_->scrollToTop(); // needs no layout of the rows
        else
            view_->scrollTo(want);
    }
    syncing_ = false;
    currentPending_ = scrollPending_ = false;
}

void QtLineListBox::OnViewCurrentChanged(const QModelIndex& current) {
    if (syncing_) return;
    // The operator moved the selection (a click, the arrow keys). The view's row r is line
    // r + pendingTop_ here; a row already taken from the list selects nothing.
    const int line = current.isValid() ? current.row() + pendingTop_ : -1;
    current_ = ValidRow(line) ? line : -1;
}

int QtLineListBox::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size()) - pendingTop_;
}

QVariant QtLineListBox::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount()) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole) return {};
    const int line = index.row() + pendingTop_;
    return lines_[static_cast<std::size_t>(line)].text;
}

} // namespace zeva
