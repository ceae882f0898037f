#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zeva {

// The "QMapIndex" text both grids keep their row order in: one group per row, the number with the
// "000" pattern and ":", written from the last row up to row 1 (so loading, each group inserted at
// row 1, gives the order back). At most 2000 groups are written and 10000 characters read.
//
// rowOrder: the numbers of rows 1, 2, ... in order.
std::string MapIndexText(const std::vector<std::int16_t>& rowOrder);
// The numbers in stored order (the last row first). Numbers run to 9999 ("1234:"), so groups are
// split on the colon; "NULL" (an empty value's stored form) is empty; a group that is no 16-bit
// number is skipped.
std::vector<std::int16_t> ParseMapIndex(const std::string& stored);

} // namespace zeva
