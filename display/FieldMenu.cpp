#include "display/FieldMenu.h"

#include "model/ZVFieldClass.h"

#include <algorithm>

namespace zeva {

FieldMenu FieldMenu::Build(const ZVFieldClass& fields, int currentGridColumn) {
    FieldMenu m;
    for (std::int16_t i = 0; i < fields.QFields(); ++i) {
        const bool enabled = fields.CEnabled(i), shown = fields.CVisible(i);
        const bool mark = fields.CMapTo(i) == currentGridColumn;
        const std::string title = fields.ctitle(i);
        m.Remove.push_back({title, enabled && shown, mark});
        m.InsertBefore.push_back({title, enabled && !shown, mark});
        m.InsertAfter.push_back({title, enabled && !shown, mark});
    }
    return m;
}

void FieldMenu::Run(List list, std::int16_t index, ZVFieldClass& fields, int currentGridColumn) {
    const int current = std::max(currentGridColumn, 0);
    switch (list) {
    case List::Remove:
        fields.SetCVisible(index, false);
        break;
    case List::InsertBefore:
        // Before column 0 would be the hidden target -1: the field-number column stays first and
        // the attribute goes next to it.
        fields.SetCVisible(index, true);
        fields.SetCMapTo(index, static_cast<std::int16_t>(std::max(current - 1, 0)));
        break;
    case List::InsertAfter:
        fields.SetCVisible(index, true);
        fields.SetCMapTo(index, static_cast<std::int16_t>(current));
        break;
    }
}

} // namespace zeva
