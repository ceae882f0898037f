#pragma once
#include <cstdint>
#include <vector>

namespace zeva {

class FlexGrid;
class ListBox;
class ZVFieldClass;

// What the Fields window's two context menus (MemberMenu, FieldMenu) share: which one opens, and
// how a grid row and a MemberListBox line name their field. The window builds its QMenus from the
// menus' data and sends the chosen command back; the rules live here so they are tested on the
// in-memory grid and list.
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

} // namespace zeva
