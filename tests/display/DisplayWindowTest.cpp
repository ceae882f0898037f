// The Output list on Qt widgets (offscreen) against a plain list widget.
#include "display/InsertInDisplay.h"
#include "platform/qt/QtLineListBox.h"
#include "platform/qt/QtListBox.h"
#include "tests/support/TestApp.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QListView>
#include <QListWidget>

#include <random>
#include <tuple>

#include <gtest/gtest.h>

namespace zeva {
namespace {

// The Output list keeps its lines itself and hands the view lines added on top and taken from the
// bottom once per frame. Driven as the Output window and the comms log drive it (a line on top, the
// bottom trimmed, the top line selected), with lines taken from the middle, clicks and hand-overs
// at odd moments in between, it must agree at every step with a plain list widget doing the same;
// after a hand-over the view, and a screen reader through it, must show exactly those lines and
// that selection.
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
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(reader->childCount(), lines.ListCount());
    QAccessibleInterface* top = reader->child(0);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(
        std::tuple(top->text(QAccessible::Name), top->state().selected, reader->child(1)->state().selected),
        std::tuple(QStringLiteral("new  est "), true, false));
}

} // namespace
} // namespace zeva
