#include "display/FieldsMenu.h"
#include "display/FieldMenu.h"
#include "display/MemberMenu.h"

#include "DisplayFixture.h"

namespace zeva::test {
namespace {

// A field class on its own grid and list, as the Fields window has it, and the record class.
class FieldsMenuTest : public DisplayFixture {
  protected:
    void SetUp() override {
        DisplayFixture::SetUp();
        Build(101, 110);
    }
    void Build(int from, int to) {
        fields = std::make_unique<ZVFieldClass>(settings.get());
        fields->SetupFGrid(&fgrid, &flist);
        for (int n = from; n <= to; ++n)
            fields->SetFIdentifier(-1, static_cast<std::int16_t>(n));
        ASSERT_TRUE(fields->Connect("s01"));
        records = Start();
    }
    void SelectField(std::int16_t id) {
        flist.SetListIndex(FieldsMenu::FindItemData(fields->ListItemData(), id));
    }
    MemberMenu Menu() { return MemberMenu::Build(*fields, records.get(), fgrid, flist); }
    std::string Run(MemberMenu::Command c) {
        return MemberMenu::Run(c, *fields, records.get(), fgrid, flist);
    }

    MemoryFlexGrid fgrid;
    MemoryListBox flist;
    std::unique_ptr<ZVRecordClass> records;
};

TEST_F(FieldsMenuTest, NoFieldPlacedGivesTheMemberMenuWithOnlyInsertAfterToOffer) {
    ASSERT_EQ(fgrid.Rows(), 1);
    EXPECT_EQ(FieldsMenu::ContextMenuFor(true, fgrid.Rows(), 0), FieldsMenu::Kind::Member);
    EXPECT_EQ(FieldsMenu::ContextMenuFor(false, 5, 2), FieldsMenu::Kind::None) << "admin mode only";
    MemberMenu m = Menu();
    EXPECT_EQ(m.RemoveQueue.Caption, "&Remove Queue");
    EXPECT_FALSE(m.RemoveQueue.Enabled || m.InsertBefore.Enabled || m.InsertAfter.Enabled ||
                 m.AddToRecords.Enabled);
    EXPECT_EQ(m.AddToRecords.Caption, "&Add Field to Record List");
    SelectField(104);
    m = Menu();
    EXPECT_TRUE(m.InsertAfter.Enabled);
    EXPECT_FALSE(m.InsertBefore.Enabled || m.RemoveQueue.Enabled);
    // Inserting with the header current places the field at row 1, never in the header.
    EXPECT_EQ(Run(MemberMenu::Command::InsertAfter), "");
    EXPECT_EQ(fields->GridOrder(), std::vector<std::int16_t>{104});
}

TEST_F(FieldsMenuTest, ShowAllReversesTheListOrderAndTheMenuNamesTheRowsField) {
    const std::vector<std::int16_t> listOrder = fields->ListItemData();
    Run(MemberMenu::Command::ShowAll);
    EXPECT_EQ(fields->GridOrder(), std::vector<std::int16_t>(listOrder.rbegin(), listOrder.rend()));
    EXPECT_EQ(FieldsMenu::ContextMenuFor(true, fgrid.Rows(), 0), FieldsMenu::Kind::Field);
    EXPECT_EQ(FieldsMenu::ContextMenuFor(true, fgrid.Rows(), 3), FieldsMenu::Kind::Member);

    fgrid.SetRow(3);
    const std::int16_t r = fields->GridOrder()[2];
    SelectField(105);
    MemberMenu m = Menu();
    EXPECT_EQ(m.RemoveQueue.Caption, "&Remove Queue (" + std::to_string(r) + ")");
    EXPECT_TRUE(m.RemoveQueue.Enabled);
    EXPECT_EQ(m.InsertBefore.Caption, "&Insert Before (105)");
    EXPECT_EQ(m.InsertAfter.Caption, "&Insert After (105)");
    EXPECT_FALSE(m.InsertBefore.Enabled || m.InsertAfter.Enabled) << "105 is placed already";
    EXPECT_EQ(m.AddToRecords.Caption, "&Add Field to Record List (" + std::to_string(r) + ")");
    EXPECT_TRUE(m.AddToRecords.Enabled);

    // Add Field to Record List shows the new column at the end of the Records grid.
    const int cols = grid.Cols();
    Run(MemberMenu::Command::AddToRecords);
    EXPECT_TRUE(records->CRVisible(r));
    EXPECT_EQ(grid.Cols(), cols + 1);
    EXPECT_EQ(records->CRMapTo(r), cols);
    EXPECT_FALSE(Menu().AddToRecords.Enabled) << "already a Records column";

    FieldsMenu::DoubleClick(*fields, fgrid, flist);
    EXPECT_EQ(FieldsMenu::SelectedField(*fields, flist), r);

    Run(MemberMenu::Command::HideAll);
    EXPECT_TRUE(fields->GridOrder().empty());
}

TEST_F(FieldsMenuTest, RemoveQueueOfTheLastFieldLeavesRowZeroAndInsertBeforeUsesRowOne) {
    SelectField(107);
    Run(MemberMenu::Command::InsertAfter);
    fgrid.SetRow(1);
    fgrid.SetCol(2);
    Run(MemberMenu::Command::RemoveQueue);
    EXPECT_TRUE(fields->GridOrder().empty());
    EXPECT_EQ(fgrid.Row(), 0);
    EXPECT_EQ(fgrid.Col(), 0);
    EXPECT_EQ(FieldsMenu::SelectedField(*fields, flist), 107);
    EXPECT_EQ(Run(MemberMenu::Command::InsertBefore), "");
    EXPECT_EQ(fields->GridOrder(), std::vector<std::int16_t>{107});
    EXPECT_EQ(fgrid.TextMatrix(1, 0), "107");
}

TEST_F(FieldsMenuTest, FieldMenuEnablingAndInsertBeforeTheNumberColumn) {
    const std::int16_t shown = 1, hidden = 8;
    fields->SetCVisible(shown, true);
    fields->SetCVisible(hidden, false);
    FieldMenu m = FieldMenu::Build(*fields, fields->CMapTo(shown));
    ASSERT_EQ(m.Remove.size(), size_t(fields->QFields()));
    EXPECT_FALSE(m.Remove[0].Enabled || m.InsertBefore[0].Enabled || m.InsertAfter[0].Enabled)
        << "the field number is not enabled";
    EXPECT_TRUE(m.Remove[size_t(shown)].Enabled);
    EXPECT_FALSE(m.InsertBefore[size_t(shown)].Enabled || m.InsertAfter[size_t(shown)].Enabled);
    EXPECT_TRUE(m.Remove[size_t(shown)].Checked && m.InsertAfter[size_t(shown)].Checked);
    EXPECT_FALSE(m.Remove[size_t(hidden)].Enabled);
    EXPECT_TRUE(m.InsertBefore[size_t(hidden)].Enabled && m.InsertAfter[size_t(hidden)].Enabled);
    EXPECT_EQ(m.Remove[size_t(shown)].Caption, fields->ctitle(shown));

    FieldMenu::Run(FieldMenu::List::InsertBefore, hidden, *fields, 0);
    EXPECT_EQ(fields->CMapTo(0), 0) << "the field number stays first";
    EXPECT_EQ(fields->CMapTo(hidden), 1);
    FieldMenu::Run(FieldMenu::List::Remove, hidden, *fields, 1);
    EXPECT_FALSE(fields->CVisible(hidden));
    FieldMenu::Run(FieldMenu::List::InsertAfter, hidden, *fields, 1);
    EXPECT_EQ(fields->CMapTo(hidden), 2);
}

TEST_F(FieldsMenuTest, ShowAllAtTheRowLimitSaysSo) {
    Build(1, 205);
    EXPECT_EQ(Run(MemberMenu::Command::ShowAll),
              "The Fields window shows at most 200 fields: hide a field first.");
    EXPECT_EQ(fields->GridOrder().size(), size_t(ZVFieldClass::kMaxGridRows - 1));
}

} // namespace
} // namespace zeva::test
