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
        fields = std::make_unique<ZVFieldClass>(settings.get());
        fields->SetupFGrid(&fgrid, &flist);
        for (int n = 101; n <= 110; ++n)
            fields->SetFIdentifier(-1, static_cast<std::int16_t>(n));
        ASSERT_TRUE(fields->Connect("s01"));
        records = Start();
    }
    void SelectField(std::int16_t id) {
        flist.SetListIndex(FieldsMenu::FindItemData(fields->ListItemData(), id));
    }
    MemberMenu Menu() { return MemberMenu::Build(*fields, records.get(), fgrid, flist); }
    // The items whose captions and enabling follow the row and the selected field.
    std::string MenuText() {
        const MemberMenu m = Menu();
        return MenuLine(std::vector{m.RemoveQueue, m.InsertBefore, m.InsertAfter, m.AddToRecords});
    }
    std::string Run(MemberMenu::Command c) {
        return MemberMenu::Run(c, *fields, records.get(), fgrid, flist);
    }

    MemoryFlexGrid fgrid;
    MemoryListBox flist;
    std::unique_ptr<ZVRecordClass> records;
};

TEST_F(FieldsMenuTest, ShowAllReversesTheListOrderAndTheMenuNamesTheRowsField) {
    const std::vector<std::int16_t> listOrder = fields->ListItemData();
    Run(MemberMenu::Command::ShowAll);
    EXPECT_EQ(fields->GridOrder(), std::vector<std::int16_t>(listOrder.rbegin(), listOrder.rend()));
    EXPECT_EQ(FieldsMenu::ContextMenuFor(true, fgrid.Rows(), 0), FieldsMenu::Kind::Field);
    EXPECT_EQ(FieldsMenu::ContextMenuFor(true, fgrid.Rows(), 3), FieldsMenu::Kind::Member);

    fgrid.SetRow(3);
    const std::int16_t r = fields->GridOrder()[2];
    SelectField(105);
    const std::string row = std::to_string(r); // 105 is placed already
    EXPECT_EQ(MenuText(), "&Remove Queue (" + row + ")+, &Insert Before (105), &Insert After (105), " +
                              "&Add Field to Record List (" + row + ")+");

    // Add Field to Record List adds a hidden column, for the Records grid's Insert items to place.
    const int cols = grid.Cols();
    Run(MemberMenu::Command::AddToRecords);
    EXPECT_EQ(std::tuple(records->SearchRField(r) != -1, records->CRVisible(r), grid.Cols()),
              std::tuple(true, false, cols));
    EXPECT_FALSE(Menu().AddToRecords.Enabled) << "already a Records column";

    FieldsMenu::DoubleClick(*fields, fgrid, flist);
    EXPECT_EQ(FieldsMenu::SelectedField(*fields, flist), r);
    Run(MemberMenu::Command::HideAll);
    EXPECT_TRUE(fields->GridOrder().empty());
}

TEST_F(FieldsMenuTest, InsertWithTheHeaderCurrentAndRemoveQueueOfTheLastFieldUseRowOne) {
    EXPECT_EQ(FieldsMenu::ContextMenuFor(true, fgrid.Rows(), 0), FieldsMenu::Kind::Member);
    EXPECT_EQ(FieldsMenu::ContextMenuFor(false, 5, 2), FieldsMenu::Kind::None) << "admin mode only";
    EXPECT_EQ(MenuText(), "&Remove Queue, &Insert Before, &Insert After, &Add Field to Record List");
    SelectField(107);
    EXPECT_EQ(MenuText(), "&Remove Queue, &Insert Before, &Insert After+, &Add Field to Record List");
    // Inserting with the header current places the field at row 1, never in the header.
    EXPECT_EQ(Run(MemberMenu::Command::InsertAfter), "");
    EXPECT_EQ(fields->GridOrder(), std::vector<std::int16_t>{107});
    fgrid.SetRow(1);
    fgrid.SetCol(2);
    Run(MemberMenu::Command::RemoveQueue);
    EXPECT_TRUE(fields->GridOrder().empty());
    EXPECT_EQ(std::tuple(fgrid.Row(), fgrid.Col(), FieldsMenu::SelectedField(*fields, flist)),
              std::tuple(0, 0, 107));
    EXPECT_EQ(Run(MemberMenu::Command::InsertBefore), "");
    EXPECT_EQ(std::tuple(fields->GridOrder(), fgrid.TextMatrix(1, 0)),
              std::tuple(std::vector<std::int16_t>{107}, "107"));
}

TEST_F(FieldsMenuTest, FieldMenuEnablingAndInsertBeforeTheNumberColumn) {
    const std::int16_t shown = 1, hidden = 8;
    fields->SetCVisible(shown, true);
    fields->SetCVisible(hidden, false);
    // The field number is not enabled; the items of the column under the pointer are checked.
    const FieldMenu m = FieldMenu::Build(*fields, fields->CMapTo(shown));
    EXPECT_EQ(MenuLine(m.Remove),
              "Identifier, Title+*, VType+, Description+, Default Value+, Format+, Minimum+, "
              "Maximum+, DBase");
    EXPECT_EQ(MenuLine(m.InsertBefore),
              "Identifier, Title*, VType, Description, Default Value, Format, Minimum, Maximum, DBase+");

    FieldMenu::Run(FieldMenu::List::InsertBefore, hidden, *fields, 0);
    // The field number stays first.
    EXPECT_EQ(std::tuple(fields->CMapTo(0), fields->CMapTo(hidden)), std::tuple(0, 1));
    FieldMenu::Run(FieldMenu::List::Remove, hidden, *fields, 1);
    EXPECT_FALSE(fields->CVisible(hidden));
    FieldMenu::Run(FieldMenu::List::InsertAfter, hidden, *fields, 1);
    EXPECT_EQ(fields->CMapTo(hidden), 2);
}

} // namespace
} // namespace zeva::test
