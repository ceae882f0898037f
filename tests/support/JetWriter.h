#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeva::test {

// Writes small Access (Jet 4) databases for tests: the file header, the catalogue table
// MSysObjects on page 2, and for each table its definition page, its data pages and its page
// usage maps. Enough for a few tables of text, memo, Boolean, byte, integer and long columns with
// some hundreds of rows; no indexes, no long values outside the row, no deleted rows. Every row
// must fit on one page.
//
// Values are given as text: CP1252 bytes for Text and Memo, decimal digits for the numbers (each
// within its column's size), "1" or "0" for Boolean; nullopt is Null (the only value an Ole column
// takes here). Text goes in as UCS-2, in
// the compressed form when every character is below 256 and the compressed form is shorter, as Access itself
// writes it.
enum class JetType : std::uint8_t {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C
};

struct JetColumn {
    std::string Name;
    JetType Type;
};

struct JetTable {
    std::string Name;
    std::vector<JetColumn> Columns;
    std::vector<std::vector<std::optional<std::string>>> Rows;
};

// False when a row does not fit on a page.
[[nodiscard]] bool WriteJet4File(const std::string& path, const std::vector<JetTable>& tables);

inline constexpr std::size_t kJet4PageSize = 4096;

struct CommandResult {
    int status = -1; // the exit status; -1 when the command did not run or end by itself
    std::string output;
};
// A shell command's exit status and what it printed on standard output.
CommandResult RunCommand(const std::string& command);

} // namespace zeva::test
