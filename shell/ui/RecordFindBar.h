#pragma once
#include <QWidget>

#include <functional>

class QAbstractItemView;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace zeva {

class FlexGrid;
class ListBox;
class ValueLabel;

// The find bar of the Records display: what is typed narrows the Records grid to the records with
// that text in a shown column (RecordFinder's rule), Enter moves the Output window's selection to
// the next record block holding it, Escape closes the bar and shows the whole grid and the Output
// selection the operator had. Records that arrive while it is open are narrowed as they come.
// The grid and the Output list are read through their FlexGrid and ListBox adapters; the views are
// only shown and hidden here. All four must outlive the bar (the main window owns them).
class RecordFindBar final : public QWidget {
  public:
    // blockOf(line): the record block number of an Output line, 0 for a line of its own.
    RecordFindBar(QTableView* grid, const FlexGrid& gridCells, QAbstractItemView* output,
                  ListBox& outputLines, std::function<long long(int)> blockOf, QWidget* parent);

    void Open();
    void Close();
    bool IsOpen() const { return open_; }
    QLineEdit* Text() const { return txtFind_; }
    // The grid narrowed to the text as it stands; the number of records shown.
    int Narrow();
    // The Output line selected: the first line of the next block holding the text; false when none.
    bool FindNext();
    // Called when the bar has closed (the owner gives the grid its room back).
    std::function<void()> onClosed;

  private:
    void ShowCount(int shown);

    QTableView* grid_;
    const FlexGrid& gridCells_;
    QAbstractItemView* output_;
    ListBox& outputLines_;
    std::function<long long(int)> blockOf_;
    QLineEdit* txtFind_{};
    QPushButton *cmdFindNext_{}, *cmdFindClose_{};
    ValueLabel* lblFindCount_{};
    QTimer* narrowLater_{};
    int savedLine_ = -1, savedCount_ = 0; // the Output selection when the bar opened
    bool open_ = false;
};

} // namespace zeva
