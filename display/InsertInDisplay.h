#pragma once
#include <string>

namespace zeva {

class ListBox;

// Inserts a line at the top of a list window and selects it. While the list holds at least
// maxEntries lines, the line at maxEntries - 1 is removed first; a limit below 3 disables trimming.
void InsertInDisplay(ListBox& list, const std::string& line, int maxEntries);

} // namespace zeva
