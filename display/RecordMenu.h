#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zeva {

class ZVRecordClass;

// The Records grid's pop-up menu as data: four item arrays with one item per map column, captioned
// with the column title. The window builds its QMenu from it and sends the chosen item back to
// RunRecordMenuCommand; the rules live here so they are tested without a window.
struct RecordMenu {
    enum class List { InsertBefore, InsertAfter, Remove, Delete };
    struct Item {
        std::string Caption;
        bool Enabled = false;
        bool Checked = false;
    };
    std::vector<Item> InsertBefore; // "Insert (&Before)"
    std::vector<Item> InsertAfter;  // "Insert (&After)"
    std::vector<Item> Remove;       // "Remove"
    std::vector<Item> Delete;       // "&Delete Field"

    // The menu opens on the secondary button only when the grid shows at least one record row.
    static bool Opens(int gridRows) { return gridRows >= 2; }
    // Insert items: hidden and Enabled columns; Remove: shown and Enabled; Delete: columns that show
    // a real field. The items of the column under the grid's current column are checked.
    static RecordMenu Build(const ZVRecordClass& records, int currentGridColumn);
};

// Runs item index of a list on the record class, for the grid's current column.
void RunRecordMenuCommand(ZVRecordClass& records, RecordMenu::List list, std::int16_t index,
                          int currentGridColumn);

} // namespace zeva
