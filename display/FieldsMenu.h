#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zeva {

class FlexGrid;
class ListBox;
class ZVFieldClass;
class ZVRecordClass;

// The Fields window's two context menus as data, with their enabling rules and commands. The window
// builds its QMenus from them and sends the chosen command back; the rules live here so they are
// tested on the in-memory grid and list.
//
// The grid's row 0 is its header: a right-click there opens the Field menu for the column under the
// pointer; any other row opens the Member menu for that row's field, taken from the field class's
// row map (a stored layout may hide the number column). Menus open only in admin mode.
struct FieldsMenu {
    enum class Kind { None, Member, Field };
    // Which menu a secondary click opens; the window first makes the clicked cell current.
    static Kind ContextMenuFor(bool adminMode, int gridRows, int clickedRow);

    // The highest line index whose item data equals value, -1 when none.
    static int FindItemData(const std::vector<std::int16_t>& itemData, std::int16_t value);
    // The field shown in a grid row (row 1 or below), -1 for the header or an empty row.
    static std::int16_t FieldAtRow(const ZVFieldClass& fields, int row);
    // The field of the line selected in MemberListBox, -1 when none.
    static std::int16_t SelectedField(const ZVFieldClass& fields, const ListBox& list);
    // Double-click: selects the current row's field in MemberListBox.
    static void DoubleClick(const ZVFieldClass& fields, const FlexGrid& grid, ListBox& list);
};

struct MemberMenu {
    enum class Command { RemoveQueue, InsertBefore, InsertAfter, ShowAll, HideAll, AddToRecords };
    struct Item {
        std::string Caption;
        bool Enabled = false;
    };
    Item RemoveQueue{"Remove Queue (...)"};
    Item InsertBefore{"Insert (&Before)"};
    Item InsertAfter{"Insert (&After)"};
    Item ShowAll{"Show All", true};
    Item HideAll{"Hide All", true};
    Item AddToRecords{"Add Field to Record (...)"};

    static MemberMenu Build(ZVFieldClass& fields, const ZVRecordClass* records, const FlexGrid& grid,
                            const ListBox& list);
    // Runs a command; the result is a message for the operator, empty when all went well.
    static std::string Run(Command command, ZVFieldClass& fields, ZVRecordClass* records, FlexGrid& grid,
                           ListBox& list);
};

struct FieldMenu {
    enum class List { Remove, InsertBefore, InsertAfter };
    struct Item {
        std::string Caption;
        bool Enabled = false;
        bool Checked = false;
    };
    std::vector<Item> Remove, InsertBefore, InsertAfter; // one item per attribute column

    static FieldMenu Build(const ZVFieldClass& fields, int currentGridColumn);
    static void Run(List list, std::int16_t index, ZVFieldClass& fields, int currentGridColumn);
};

} // namespace zeva
