#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zeva {

// One field definition of the caller record. It travels in the record log as a definition packet:
// "0000" (the check field, always 0 for this packet kind), Identifier TAB VType TAB, then Title,
// Description, Default, DFormat, Minsize, Maxsize and DBase ("True"/"False") as counted texts
// (four-digit length, then the text). QMapTo is not carried.
class ZVFieldType {
  public:
    std::int16_t Identifier = 0;
    std::string Title;
    std::int16_t VType = 8; // text
    std::string Description;
    std::string Default;
    std::string DFormat;
    std::string Minsize;
    std::string Maxsize;
    bool DBase = true;
    std::int16_t QMapTo = -1; // grid row in the Fields window, -1 none

    void Clear();
    bool Copy(ZVFieldType& target) const;
    // On failure (a text too long for its four-digit count) target holds "0000" and the pieces
    // built so far, and the result is false.
    bool CreatePacket(std::string& target) const;
    // Reads a packet written by CreatePacket. A packet whose check field is not 0000 leaves the
    // object cleared; a packet cut short reads its sound front and leaves the rest cleared.
    bool ExtractPacket(std::string_view source);

    static constexpr std::size_t kMaxPacket = 10000;
};

} // namespace zeva
