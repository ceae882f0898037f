#include "display/RecordMenu.h"

#include "display/ZVRecordClass.h"

#include <algorithm>

namespace zeva {

RecordMenu RecordMenu::Build(const ZVRecordClass& records, int currentGridColumn) {
    RecordMenu menu;
    const std::int16_t checked = records.ColumnAtGrid(currentGridColumn);
    for (std::int16_t i = 0; i < records.NumberOfColumns(); ++i) {
        const bool shown = records.CVisible(i), enabled = records.CEnabled(i);
        const std::string title = records.ctitle(i);
        const bool mark = i == checked;
        menu.InsertBefore.push_back({title, !shown && enabled, mark});
        menu.InsertAfter.push_back({title, !shown && enabled, mark});
        menu.Remove.push_back({title, shown && enabled, mark});
        menu.Delete.push_back({title, records.VolatileKey(i), mark});
    }
    return menu;
}

void RunRecordMenuCommand(ZVRecordClass& records, RecordMenu::List list, std::int16_t index,
                          int currentGridColumn) {
    const int current = std::max(currentGridColumn, 0);
    switch (list) {
    case RecordMenu::List::InsertBefore:
        // Lands at the current grid column. Placed directly, so that before column 0 means column
        // 0 rather than the hidden target -1.
        records.SetCVisible(index, true);
        if (records.Valid()) records.PlaceColumnAt(index, static_cast<std::int16_t>(current));
        break;
    case RecordMenu::List::InsertAfter:
        records.SetCVisible(index, true);
        if (records.Valid()) records.SetCMapTo(index, static_cast<std::int16_t>(current));
        break;
    case RecordMenu::List::Remove:
        records.SetCVisible(index, false);
        break;
    case RecordMenu::List::Delete:
        records.RFieldDelete(index);
        break;
    }
}

} // namespace zeva
