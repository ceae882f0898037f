#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zeva {

class FlexGrid;
class ListBox;

// Finding a caller again: which Records grid rows and which Output lines hold a typed text.
// Letters match whatever their case across the whole CP1252 code page; spaces between two digits
// are ignored on both sides, so "0311 112" finds 0311112222 and "0311112" finds "0311 112 222".
// An empty text holds everywhere. Reads the grid and the list only through their interfaces.
class RecordFinder {
  public:
    explicit RecordFinder(std::string_view text);

    const std::string& Text() const { return text_; }
    // Whether a CP1252 text holds what is sought.
    bool Holds(std::string_view haystack) const;
    // The grid's data rows (below the fixed rows) with the text in any column, top first.
    std::vector<int> MatchingRows(const FlexGrid& grid) const;
    // The first line after `from` holding the text, going down and wrapping to the top, `from`
    // itself last; -1 when no line holds it. A `from` of -1 starts at the top.
    int NextLine(const ListBox& list, int from) const;

  private:
    std::string text_;
    std::string key_;
};

} // namespace zeva
