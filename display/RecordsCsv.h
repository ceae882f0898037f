#pragma once
#include <string>

namespace zeva {

class FlexGrid;

// Records to a spreadsheet: the Records grid as comma-separated values. The first line holds the
// column titles (grid row 0), then one line per record the grid holds, in the grid's order; every
// column the grid shows. Cells are quoted when they hold a comma, a quote, CR or LF (a quote doubled
// inside), lines end in CR LF, and the CP1252 record texts become UTF-8 so letters such as e acute or
// s caron survive in the spreadsheet.
std::string RecordsCsv(const FlexGrid& grid);

// Writes text to path whole or not at all: into path + ".part" beside it, then renamed over path,
// so a failed save leaves neither a half file nor a stray part file and an older file at path stays
// as it was. False with a sentence for the operator in error.
bool SaveFileWhole(const std::string& path, const std::string& text, std::string& error);

} // namespace zeva
