#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeva {

// One entry of the display-format list. Its line has fixed columns (1-based): 1 "N" new line,
// 2 "U" upper case, 3 "V" fixed size, 5-8 maximum size ("0020", "EOL ", "EOF "), 10-13 post
// space, 15-18 field number ("9999" = literal text), 20 onwards the title or the literal text.
struct DisplayFormatEntry {
    static constexpr std::int16_t kEol = -2;
    static constexpr std::int16_t kEof = -1;
    static constexpr std::int16_t kLiteral = 9999;
    static constexpr std::size_t kMaxEntries = 100;

    bool NewLine = false;
    bool UpperCase = false;
    bool FixedSize = false;
    std::int16_t MaxSize = kEof;
    std::int16_t PostSpace = 0;
    std::int16_t FieldId = kLiteral;
    std::string Text;

    // The entry of one list line; nullopt when one of its numbers does not convert (a short line
    // has empty number columns, which do not convert either).
    static std::optional<DisplayFormatEntry> Parse(std::string_view line);
    // The line of an entry, numbers written "0000 ".
    std::string Line() const;
};

// The entry table of a display-format list: every line but the last (the closing line), bad lines
// skipped, at most 100 entries.
std::vector<DisplayFormatEntry> ParseDisplayFormatList(const std::vector<std::string>& lines);

// The list a first start uses when none is stored, closing line included: calling number, name
// and service address of a record on one line.
std::vector<std::string> DefaultDisplayFormatList();

} // namespace zeva
