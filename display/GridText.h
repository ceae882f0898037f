#pragma once
#include <string>
#include <vector>

namespace zeva {

class FlexGrid;

// Rows of a grid as an operator pastes them into a spreadsheet or another system: the header row
// (row 0) and then the given rows in grid order, cells separated by tabs, each line ending in a
// line feed. Rows outside the grid and row 0 among the given rows are left out.
std::string GridRowsText(const FlexGrid& grid, std::vector<int> rows);

} // namespace zeva
