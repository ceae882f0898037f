#pragma once
#include <cstdint>
#include <string>

namespace zeva {

// One hub packet. Its wire form (check field, tab and counted fields, SOH) is written by
// BuildPacket and read by ParsePacket (PacketCodec.h).
class CommType {
  public:
    CommType() = default; // cleared

    // Every field back to 0 / empty; the texts keep their storage. A new field goes into Clear too.
    void Clear();
    // Sets every field of target to this packet's value.
    bool Copy(CommType& target) const;

    std::int16_t Number1 = 0;
    std::string Text0;
    std::int16_t Number2 = 0;
    std::string Source;      // three characters on the wire
    std::string Destination; // three characters on the wire; "h01" is the hub
    double Created = 0.0;
    double Expire = 0.0; // an interval; 10 seconds on control packets
    std::string PacketType;
    std::string Data;
    std::string Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8;

    bool operator==(const CommType&) const = default;
};

} // namespace zeva
