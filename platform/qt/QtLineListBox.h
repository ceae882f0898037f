#pragma once
#include "platform/ListBox.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QTimer>

#include <deque>

class QListView;

namespace zeva {

// ListBox over a QListView for lists that take many lines a second at the top and lose them at the
// bottom (the Output window, the comms log). The lines live here, as the view's model, so a line
// costs the same whether the list holds 50 or 10,000:
// - the list answers at once (ListCount, List, ListIndex see every change as it is made), while the
//   view hears of lines added at the top and taken from the bottom at most once per screen frame,
//   in one insert and one removal, so it lays out and repaints at the screen's rate at most; in a
//   window whose repaints are paced (RepaintPacer) that frame is the pacer's: the list asks for a
//   repaint and hands its lines over, laid out, just before it, so they are painted in it (at once
//   after a quiet frame, else at the frame's end) and not a frame later; elsewhere (a window not
//   paced, a view not shown) on a timer of its own;
// - the selected line is kept here and handed to the view with those changes (a line inserted
//   above the selection moves it down, as in any list); when it was set through SetListIndex the
//   view is scrolled to show it;
// - every line has the same height and the view does not scroll after its current line by itself.
// Any other change (a line removed in the middle, a line rewritten, Clear) first hands the view
// what is waiting and then reaches it at once; so does a frame that brings more lines than the
// list holds, once every line the view showed is gone.
//
// The view owns the model: it is made a child of the view and lives as long as it.
class QtLineListBox final : public QAbstractListModel, public ListBox {
    Q_OBJECT
  public:
    explicit QtLineListBox(QListView* view);
    // The list a view shows, or null when its model is not one.
    static QtLineListBox* Of(const QListView* view);

    void AddItem(const std::string& text, int index = -1) override;
    void RemoveItem(int index) override;
    void Clear() override;
    int ListCount() const override;
    std::string List(int index) const override;
    void SetList(int index, const std::string& text) override;
    int ListIndex() const override;
    void SetListIndex(int index) override;
    // One line is selected at most: the current one.
    bool Selected(int index) const override;
    void SetSelected(int index, bool selected) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;

    // A number carried with a line (the Output window's record block); 0 when none was set.
    void SetTag(int index, qint64 tag);
    qint64 Tag(int index) const;
    // Hands the view what is waiting now instead of at the next frame.
    void Flush();
    // The time between two hand-overs, from the screen's refresh rate.
    int FrameMs() const { return frameMs_; }
    QListView* view() const { return view_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    struct Line {
        QString text;
        qint64 tag = 0;
    };
    void Schedule();
    // Hands the view what is waiting; layOut: and has a view on screen lay out its rows now rather
    // than at its next turn of the event loop, for a paint that follows at once.
    void HandOver(bool layOut);
    void HandOverForPaint();
    bool HasWaiting() const {
        return pendingTop_ > 0 || pendingTail_ > 0 || currentPending_ || scrollPending_;
    }
    void SyncCurrent();
    void OnViewCurrentChanged(const QModelIndex& current);
    bool ValidRow(int index) const { return index >= 0 && index < ListCount(); }

    QListView* view_;
    // [pendingTop_ lines the view has not heard of][the view's rows, of which the last pendingTail_
    // are gone from the list and wait to be taken from the view]
    std::deque<Line> lines_;
    int pendingTop_ = 0;
    int pendingTail_ = 0;
    int current_ = -1;
    bool currentPending_ = false;
    bool scrollPending_ = false;
    bool syncing_ = false;
    int frameMs_ = 16;
    QTimer frame_;
    QElapsedTimer sinceFlush_;
};

} // namespace zeva
