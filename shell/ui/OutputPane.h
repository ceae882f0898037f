#pragma once
#include <QString>

#include <cstddef>
#include <cstdint>

class QListView;
class QWidget;

namespace zeva {

class QtLineListBox;

// The Output window `lstOutput`: the lines of the records shown, newest on top, through its list
// adapter (the one ListBox the formatter and InsertInDisplay write to). Each record's lines carry
// one block number, so Copy takes the whole record.
class OutputPane {
  public:
    // Makes the list view as a child of parent (the window owns the widget).
    explicit OutputPane(QWidget* parent);

    QListView* view() const { return view_; }
    QtLineListBox& lines() const { return *lines_; }

    // After a record's Output block: stamps its lines with a new block number. queued is false when
    // the record queue was full and a line above the block says so.
    void StampBlock(bool queued, std::size_t blockLines);
    // The block number of a line (0: a line of no record).
    std::int64_t BlockOf(int line) const;
    // Copy: the whole block of the record under the selection; any other line alone; empty when
    // nothing is selected.
    QString CopyText() const;

  private:
    QListView* view_;
    QtLineListBox* lines_; // owned by view_
    std::uint64_t block_ = 0;
};

} // namespace zeva
