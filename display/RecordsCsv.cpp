#include "display/RecordsCsv.h"

#include "common/Cp1252.h"
#include "common/WholeFile.h"
#include "platform/FlexGrid.h"

#include <algorithm>
#include <fstream>

namespace zeva {
namespace {

void AppendCell(std::string& out, const std::string& cell) {
    const std::string text = Cp1252ToUtf8(cell);
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendRow(std::string& out, const FlexGrid& grid, int row) {
    for (int col = 0; col < grid.Cols(); ++col) {
        if (col > 0) out += ',';
        AppendCell(out, grid.TextMatrix(row, col));
    }
    out += "\r\n";
}

} // namespace

std::string RecordsCsv(const FlexGrid& grid) {
    std::string out;
    if (grid.Cols() == 0) return out;
    if (grid.Rows() > 0) AppendRow(out, grid, 0);
    for (int row = std::max(grid.FixedRows(), 1); row < grid.Rows(); ++row)
        AppendRow(out, grid, row);
    return out;
}

bool SaveFileWhole(const std::string& path, const std::string& text, std::string& error) {
    const std::string part = path + ".part";
    const WholeFileResult saved = WriteThenRename(path, part, [&](const std::string& temp) {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file) {
            error = "Cannot write " + part + ": choose a folder you may write to.";
            return false;
        }
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.close();
        if (!file) {
            error = "Cannot write " + part + " to the end (is the disk full?): nothing was saved.";
            return false;
        }
        return true;
    });
    if (saved.step == WholeFileStep::Rename)
        error = "Cannot save " + path + ": " + saved.reason + ". Choose another name or folder.";
    return saved.Ok();
}

} // namespace zeva
