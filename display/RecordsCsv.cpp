#include "display/RecordsCsv.h"

#include "common/Cp1252.h"
#include "platform/FlexGrid.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

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
    namespace fs = std::filesystem;
    const std::string part = path + ".part";
    std::error_code ec;
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        if (!file) {
            error = "Cannot write " + part + ": choose a folder you may write to.";
            return false;
        }
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.close();
        if (!file) {
            fs::remove(part, ec);
            error = "Cannot write " + part + " to the end (is the disk full?): nothing was saved.";
            return false;
        }
    }
    fs::rename(part, path, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(part, ec);
        error = "Cannot save " + path + ": " + why + ". Choose another name or folder.";
        return false;
    }
    return true;
}

} // namespace zeva
