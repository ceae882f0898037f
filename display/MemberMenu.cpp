#include "display/MemberMenu.h"

#include "display/FieldsMenu.h"
#include "display/ZVRecordClass.h"
#include "model/ZVFieldClass.h"
#include "platform/FlexGrid.h"
#include "platform/ListBox.h"

#include <algorithm>

namespace zeva {

namespace {

constexpr const char* kGridFull = "The Fields window shows at most 200 fields: hide a field first.";

std::string Numbered(const char* caption, std::int16_t field) {
    return std::string(caption) + " (" + std::to_string(field) + ")";
}

} // namespace

MemberMenu MemberMenu::Build(ZVFieldClass& fields, const ZVRecordClass* records, const FlexGrid& grid,
                             const ListBox& list) {
    MemberMenu m;
    const std::int16_t r = FieldsMenu::FieldAtRow(fields, grid.Row());
    const std::int16_t s = FieldsMenu::SelectedField(fields, list);
    if (grid.Rows() >= 2 && r != -1) {
        m.RemoveQueue = {Numbered("&Remove Queue", r), true};
        m.InsertBefore.Enabled = true;
        m.InsertAfter.Caption = Numbered("&Insert After", s);
        m.InsertBefore.Caption = Numbered("&Insert Before", s);
        m.AddToRecords = {Numbered("&Add Field to Record List", r),
                          records && records->SearchRField(r) == -1};
    } else {
        m.RemoveQueue = {"&Remove Queue", false};
        m.InsertAfter.Caption = "&Insert After";
        m.InsertBefore = {"&Insert Before", false};
        m.AddToRecords = {"&Add Field to Record List", false};
    }
    // Inserting needs a selected field that is not yet in the grid; otherwise neither insert is offered.
    m.InsertAfter.Enabled = s != -1 && fields.QMapTo(s) == -1;
    if (!m.InsertAfter.Enabled) m.InsertBefore.Enabled = false;
    return m;
}

std::string MemberMenu::Run(Command command, ZVFieldClass& fields, ZVRecordClass* records, FlexGrid& grid,
                            ListBox& list) {
    const std::int16_t r = FieldsMenu::FieldAtRow(fields, grid.Row());
    const std::int16_t s = FieldsMenu::SelectedField(fields, list);
    // Row 0 is the header: after the last field left the grid, inserting means row 1.
    const int row = std::max(grid.Row(), 0);
    switch (command) {
    case Command::RemoveQueue: {
        if (r == -1) return {};
        fields.SetQMapTo(r, -1);
        const int line = FieldsMenu::FindItemData(fields.ListItemData(), r);
        if (line >= 0) list.SetListIndex(line);
        if (grid.Rows() <= 1) {
            grid.SetRow(0);
            grid.SetCol(0);
        }
        return {};
    }
    case Command::InsertBefore:
    case Command::InsertAfter: {
        if (s == -1 || fields.QMapTo(s) != -1) return {};
        const int target = std::max(command == Command::InsertBefore ? row : row + 1, 1);
        fields.SetQMapTo(s, static_cast<std::int16_t>(std::min(target, int(fields.GridOrder().size()) + 1)));
        return fields.Valid() ? std::string() : kGridFull;
    }
    case Command::ShowAll:
        for (std::int16_t id : fields.ListItemData()) {
            if (fields.QMapTo(id) != -1) continue;
            fields.SetQMapTo(id, 1);
            if (!fields.Valid()) return kGridFull;
        }
        return {};
    case Command::HideAll:
        for (std::int16_t id : fields.ListItemData())
            fields.SetQMapTo(id, -1);
        if (grid.Rows() <= 1) {
            grid.SetRow(0);
            grid.SetCol(0);
        }
        return {};
    case Command::AddToRecords:
        if (!records || r == -1 || records->SearchRField(r) != -1) return {};
        // The new column starts hidden; the Records grid's Insert (Before) and Insert (After) place it.
        records->RFieldAdd(r);
        return {};
    }
    return {};
}

} // namespace zeva
