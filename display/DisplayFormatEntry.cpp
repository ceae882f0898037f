#include "display/DisplayFormatEntry.h"

#include "common/Convert.h"
#include "common/TextUtil.h"

#include <cstdio>

namespace zeva {

namespace {

std::string Number4(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d ", n);
    return buffer;
}

} // namespace

std::optional<DisplayFormatEntry> DisplayFormatEntry::Parse(std::string_view line) {
    DisplayFormatEntry e;
    e.NewLine = Mid(line, 1, 1) == "N";
    e.UpperCase = Mid(line, 2, 1) == "U";
    e.FixedSize = Mid(line, 3, 1) == "V";
    const std::string size = Mid(line, 5, 4);
    if (size == "EOL ") {
        e.MaxSize = kEol;
    } else if (size == "EOF ") {
        e.MaxSize = kEof;
    } else {
        const auto n = ToInt16(size);
        if (!n) return std::nullopt;
        e.MaxSize = *n;
    }
    const auto post = ToInt16(Mid(line, 10, 4));
    const auto id = ToInt16(Mid(line, 15, 4));
    if (!post || !id) return std::nullopt;
    e.PostSpace = *post;
    e.FieldId = *id;
    e.Text = Mid(line, 20);
    return e;
}

std::string DisplayFormatEntry::Line() const {
    std::string line;
    line += NewLine ? 'N' : ' ';
    line += UpperCase ? 'U' : ' ';
    line += FixedSize ? 'V' : ' ';
    line += ' ';
    if (MaxSize == kEol)
        line += "EOL  ";
    else if (MaxSize == kEof)
        line += "EOF  ";
    else
        line += Number4(MaxSize);
    line += Number4(PostSpace);
    line += Number4(FieldId);
    line += Text;
    return line;
}

std::vector<DisplayFormatEntry> ParseDisplayFormatList(const std::vector<std::string>& lines) {
    std::vector<DisplayFormatEntry> entries;
    // The last line is the closing line, never an entry.
    for (std::size_t i = 0; i + 1 < lines.size() && entries.size() < DisplayFormatEntry::kMaxEntries; ++i)
        if (auto e = DisplayFormatEntry::Parse(lines[i])) entries.push_back(std::move(*e));
    return entries;
}

std::vector<std::string> DefaultDisplayFormatList() {
    // Sized so the longest values still fit 138 characters: 137 at most.
    const DisplayFormatEntry entries[] = {
        {false, false, false, DisplayFormatEntry::kEof, 1, 9999, "CLI:"},
        {false, false, false, 12, 2, 105, "CLI"},
        {false, false, false, DisplayFormatEntry::kEof, 1, 9999, "NAME:"},
        {false, false, false, 4, 1, 110, "Salutation"},
        {false, false, false, 16, 1, 107, "GivenName"},
        {false, false, false, 20, 2, 108, "FamilyName"},
        {false, false, false, DisplayFormatEntry::kEof, 1, 9999, "ADDR:"},
        {false, false, false, 6, 1, 123, "StreetNo"},
        {false, false, false, 20, 1, 128, "Street"},
        {false, false, false, 4, 1, 129, "StreetType"},
        {false, false, false, 20, 1, 134, "Locality"},
        {false, false, false, 3, 1, 136, "State"},
        {false, false, false, 4, 0, 137, "Postcode"},
    };
    std::vector<std::string> lines;
    for (const auto& e : entries)
        lines.push_back(e.Line());
    lines.emplace_back(); // the closing line
    return lines;
}

} // namespace zeva
