// The Output Test end to end on Qt widgets (offscreen): the default test record through the record
// queue and the formatter into a QListWidget, the Full fields list and the Records grid.
#include "display/DisplayFormatEntry.h"
#include "display/OutputFormatter.h"
#include "display/OutputTest.h"
#include "display/ZVRecordClass.h"
#include "model/RecordText.h"
#include "model/ZVFieldClass.h"
#include "platform/qt/QtFlexGrid.h"
#include "platform/qt/QtListBox.h"
#include "settings/ClientSettings.h"
#include "shell/InsertInDisplay.h"
#include "tests/support/TestApp.h"
#include "tests/support/memory/FakeClock.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace zeva {
namespace {

std::string Item(QListWidget& l, int row) {
    return l.item(row)->text().toStdString();
}

TEST(DisplayWindow, OutputTestFillsOutputFullFieldsAndRecordsGrid) {
    test::EnsureApp();

    QListWidget lstOutput, lstFullFields, recordList;
    QTableWidget recordGrid;
    for (QWidget* w : std::initializer_list<QWidget*>{&lstOutput, &lstFullFields, &recordList, &recordGrid})
        w->setAccessibleName("pane");
    QtListBox output(&lstOutput), full(&lstFullFields), list(&recordList);
    QtFlexGrid grid(&recordGrid);

    ZVFieldClass fields;
    for (std::int16_t n = 101; n <= 153; ++n)
        fields.SetFIdentifier(-1, n);
    fields.SetFTitle(105, "CLI");
    ZVRecordClass records;
    records.SetupRGrid(&grid, &list);
    records.Connect("s01", &fields);
    records.SetDisplayRows(10);
    ASSERT_TRUE(records.RFieldAdd(105));
    records.SetCVisible(2, true);

    ClientSettings settings;
    OutputFormatter formatter(records, &fields, settings, output, full, &InsertInDisplay);
    formatter.ParseDisplayFormatList(DefaultDisplayFormatList());
    formatter.SetAutoUpdateFF(true);
    FakeClock clock(45000.5);
    OutputTest test(formatter, records, settings, clock);
    std::string box = OutputTest::DefaultText(); // "&Default"
    test.Run(box);
    test.Run(box);
    QCoreApplication::processEvents();

    ASSERT_EQ(lstOutput.count(), 6);
    EXPECT_EQ(Item(lstOutput, 0),
              "********** USER TEST DATA ONLY (12:00:00 15/03/2023) - NOT VALID ***********");
    EXPECT_EQ(Item(lstOutput, 1),
              "CLI: 0311112222  NAME: MS TOLE MARGARET  ADDR: 456 WATERLOO ST HOLTON VIC 3000");
    EXPECT_EQ(Item(lstOutput, 2), "********** END TEST ***********");
    EXPECT_EQ(lstOutput.currentRow(), 0);

    EXPECT_EQ(Item(lstFullFields, 0), "[RECORD KEY = 0001]");
    EXPECT_EQ(Item(lstFullFields, 5), "CLI = 0311112222");
    EXPECT_EQ(lstFullFields.count(), 1 + 53);

    ASSERT_EQ(recordGrid.rowCount(), 3);
    ASSERT_EQ(recordGrid.columnCount(), 3);
    auto cell = [&](int r, int c) { return recordGrid.item(r, c)->text().toStdString(); };
    EXPECT_EQ(cell(0, 2) + " " + cell(1, 0) + " " + cell(2, 0) + " " + cell(1, 2),
              "CLI 0001 0000 0311112222");
    EXPECT_EQ(cell(1, 1), RecordText::ImportPipeRecord(kDefaultTestRecord));
    EXPECT_EQ(Item(recordList, 0), "0001");
}

} // namespace
} // namespace zeva
