#include "display/FieldsMenu.h"

#include "model/ZVFieldClass.h"
#include "platform/FlexGrid.h"
#include "platform/ListBox.h"

namespace zeva {

FieldsMenu::Kind FieldsMenu::ContextMenuFor(bool adminMode, int gridRows, int clickedRow) {
    if (!adminMode) return Kind::None;
    if (gridRows < 2) return Kind::Member;
    return clickedRow <= 0 ? Kind::Field : Kind::Member;
}

int FieldsMenu::FindItemData(const std::vector<std::int16_t>& itemData, std::int16_t value) {
    for (int i = int(itemData.size()) - 1; i >= 0; --i)
        if (itemData[std::size_t(i)] == value) return i;
    return -1;
}

std::int16_t FieldsMenu::FieldAtRow(const ZVFieldClass& fields, int row) {
    const std::vector<std::int16_t> order = fields.GridOrder();
    if (row < 1 || row > int(order.size())) return -1;
    return order[std::size_t(row - 1)];
}

std::int16_t FieldsMenu::SelectedField(const ZVFieldClass& fields, const ListBox& list) {
    const int i = list.ListIndex();
    const auto& data = fields.ListItemData();
    return i >= 0 && i < int(data.size()) ? data[std::size_t(i)] : std::int16_t(-1);
}

void FieldsMenu::DoubleClick(const ZVFieldClass& fields, const FlexGrid& grid, ListBox& list) {
    if (grid.Row() < 1) return;
    const std::int16_t field = FieldAtRow(fields, grid.Row());
    const int line = FindItemData(fields.ListItemData(), field);
    if (field != -1 && line >= 0) list.SetListIndex(line);
}

} // namespace zeva
