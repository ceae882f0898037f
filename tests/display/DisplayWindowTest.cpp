#include "display/InsertInDisplay.h"
#include "platform/qt/QtLineListBox.h"
#include "platform/qt/QtListBox.h"
#include "platform/qt/RepaintPacer.h"
#include "platform/qt/ValueLabel.h"
#include "tests/support/TestApp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QTest>

#include <functional>
#include <random>

#include <gtest/gtest.h>

namespace zeva {
namespace {

// The Output list keeps its lines itself and hands the view lines added on top and taken from the
// bottom once per frame. Driven as the Output window and the comms log drive it (a line on top, the
// bottom trimmed, the top line selected), with lines taken from the middle, clicks and hand-overs
// at odd moments in between, it must agree at every step with a plain list widget doing the same;
// after a hand-over the view must show exactly those lines and that selection (a screen reader
// reads them from there).
TEST(DisplayWindow, OutputListAgreesWithAPlainListAndHandsTheViewWholeFrames) {
    test::EnsureApp();
    QListWidget plainWidget;
    QtListBox plain(&plainWidget);
    QListView view;
    view.resize(400, 300);
    view.show();
    QtLineListBox& lines = *new QtLineListBox(&view);
    QAbstractItemModel& shown = *view.model();

    const auto agree = [&](int step) {
        ASSERT_EQ(lines.ListCount(), plain.ListCount()) << "step " << step;
        for (int i = 0; i < plain.ListCount(); ++i)
            ASSERT_EQ(lines.List(i), plain.List(i)) << "step " << step << " line " << i;
        ASSERT_EQ(lines.ListIndex(), plain.ListIndex()) << "step " << step;
    };
    const auto onScreen = [&](int step) {
        lines.Flush();
        ASSERT_EQ(shown.rowCount(), lines.ListCount()) << "step " << step;
        for (int i = 0; i < lines.ListCount(); ++i)
            ASSERT_EQ(shown.index(i, 0).data().toString().toStdString(), lines.List(i)) << "step " << step;
        ASSERT_EQ(view.currentIndex().row(), lines.ListIndex()) << "step " << step;
    };

    std::mt19937 random(20261207);
    int next = 0;
    for (int step = 0; step < 2000; ++step) {
        const int op = static_cast<int>(random() % 20);
        const int count = plain.ListCount();
        if (op < 12) {
            const std::string line = "line " + std::to_string(next++);
            InsertInDisplay(lines, line, 40);
            InsertInDisplay(plain, line, 40);
        } else if (op < 14 && count > 0) {
            const int row = static_cast<int>(random() % static_cast<unsigned>(count));
            lines.RemoveItem(row);
            plain.RemoveItem(row);
        } else if (op < 16 && count > 0) { // the operator clicks a line
            lines.Flush();
            const int row = static_cast<int>(random() % static_cast<unsigned>(count));
            view.setCurrentIndex(shown.index(row, 0));
            plainWidget.setCurrentRow(row);
        } else if (op < 17) { // a line on top that is not selected, then the bottom trimmed
            lines.AddItem("extra", 0);
            plain.AddItem("extra", 0);
            lines.RemoveItem(lines.ListCount() - 1);
            plain.RemoveItem(plain.ListCount() - 1);
        } else if (op < 19) {
            ASSERT_NO_FATAL_FAILURE(onScreen(step));
        } else {
            QCoreApplication::processEvents(); // the frame timer may hand over on its own
        }
        ASSERT_NO_FATAL_FAILURE(agree(step));
    }

    // A burst of more lines than the list holds, with no frame in between.
    for (int i = 0; i < 100; ++i) {
        InsertInDisplay(lines, "burst " + std::to_string(i), 40);
        InsertInDisplay(plain, "burst " + std::to_string(i), 40);
    }
    ASSERT_NO_FATAL_FAILURE(agree(-2));
    // A line break and a tab in a value from the hub: one line still, each a blank.
    InsertInDisplay(lines, "new\r\nest\t", 40);
    InsertInDisplay(plain, "new\r\nest\t", 40);
    ASSERT_NO_FATAL_FAILURE(agree(-1));
    ASSERT_NO_FATAL_FAILURE(onScreen(-1));
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(lines.List(0), "new  est ");
}

// A window whose repaints are paced to the screen's rate: a value label changed at every turn of
// the event loop is heard with each value at once, and its last value reaches the screen. An Output
// list in the window hands its lines to the view just before each paint, never a frame later: every
// paint shows the list as it is, the newest line on top and selected.
TEST(DisplayWindow, PacedWindowPaintsTheLastValueAndHearsEveryOne) {
    test::EnsureApp();
    QWidget window;
    window.resize(200, 140);
    auto* label = new ValueLabel(QStringLiteral("Records shown"), &window);
    label->setGeometry(0, 0, 150, 20);
    auto* view = new QListView(&window);
    view->setGeometry(0, 20, 200, 120);
    QtLineListBox& lines = *new QtLineListBox(view);
    auto* pacer = new RepaintPacer(&window);
    struct Paints final : QObject {
        std::function<QString()> read;
        std::function<bool()> current = [] { return true; };
        QString text; // at the last paint
        int paints = 0, behind = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() != QEvent::Paint) return false;
            text = read();
            behind += current() ? 0 : 1;
            ++paints;
            return false;
        }
    } painted, listPainted;
    painted.read = [&] { return label->text(); };
    listPainted.read = [&] { return view->model()->index(0, 0).data().toString(); };
    listPainted.current = [&] {
        return view->model()->rowCount() == lines.ListCount() &&
               listPainted.read().toStdString() == lines.List(0) &&
               view->currentIndex().row() == lines.ListIndex();
    };
    label->installEventFilter(&painted);
    view->viewport()->installEventFilter(&listPainted);
    window.show();
    (void)QTest::qWaitFor([&] { return painted.paints > 0; }, 2000);
    // A value and a line at every turn, for 300 turns and at least a few paints of the list.
    const int listPaintsBefore = listPainted.paints;
    int last = 0;
    QElapsedTimer wait;
    wait.start();
    while (last < 300 || (listPainted.paints - listPaintsBefore < 4 && wait.elapsed() < 5000)) {
        ++last;
        label->setText(QString::number(last));
        ASSERT_EQ(label->accessibleName(), QStringLiteral("Records shown: %1").arg(last));
        InsertInDisplay(lines, "line " + std::to_string(last), 50);
        QCoreApplication::processEvents();
    }
    const QString lastLine = QStringLiteral("line %1").arg(last);
    (void)QTest::qWaitFor(
        [&] { return painted.text == QString::number(last) && listPainted.text == lastLine; }, 2000);
    EXPECT_EQ(painted.text, QString::number(last));
    EXPECT_EQ(listPainted.text, lastLine);
    EXPECT_EQ(listPainted.behind, 0) << "of " << listPainted.paints << " paints of the list";
    EXPECT_TRUE(view->selectionModel()->isSelected(view->model()->index(0, 0)));
    EXPECT_GT(pacer->Held(), 0u) << "repaints sooner than a frame apart were held back";
    label->setText(QString::number(last)); // the same text again: nothing to say or paint
    EXPECT_EQ(label->accessibleName(), QStringLiteral("Records shown: %1").arg(last));
}

} // namespace
} // namespace zeva
