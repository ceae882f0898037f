#include "display/InsertInDisplay.h"

#include "platform/ListBox.h"

namespace zeva {

void InsertInDisplay(ListBox& list, const std::string& line, int maxEntries) {
    if (maxEntries >= 3) {
        while (list.ListCount() >= maxEntries && list.ListCount() > 0)
            list.RemoveItem(maxEntries - 1);
    }
    list.AddItem(line, 0);
    list.SetListIndex(0);
}

} // namespace zeva
