#pragma once
#include "comms/CommType.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeva {

// The packet codec: the hub packet text form, its writer and its reader, and the field writers and
// readers the member packet shares. Pure functions on bytes: no socket, no clock. The fast paths
// the reader takes are in PacketFastPaths.h; the framing of a byte stream is PacketFramer.
//
// A packet: four check digits, Number1 TAB, counted Text0, Number2 TAB, Source(3), Destination(3),
// Created TAB, Expire TAB, counted PacketType, counted Data, counted Text1..Text8, SOH.
// Counted text = four-digit length + the text. The check is the byte sum, modulo 10000, of
// everything after the check digits, SOH included.

constexpr char kSOH = '\x01';
constexpr char kTab = '\t';
constexpr std::size_t kMaxCountedText = 9999;     // four length digits
constexpr std::size_t kMaxPacketLength = 10000;   // the reader cuts longer packets
constexpr std::size_t kMaxReceiveBuffer = 100000; // unframed bytes kept between arrivals
constexpr double kControlExpire = 10.0 / 86400.0; // 10 seconds
inline const std::string kHubIdentifier = "h01";

// Control packet kinds (the PacketType text).
enum ControlCode : std::int16_t {
    kPktConnectRequest = 1000,
    kPktServerDisconnect = 1001,
    kPktClientDisconnect = 1002,
    kPktConnectAccept = 1003,
    kPktKillRequest = 1004,
    kPktBufferEmpty = 1005,
    kPktRequestNext = 1006,
    kPktWatchdog = 1007,
};

std::int16_t PacketChecksum(std::string_view text);

// Text form of packet into out. False (out empty) when a text field holds more than 9999 bytes or the
// packet would be longer than 10000 bytes: the reader could not read such a packet back.
bool BuildPacket(const CommType& packet, std::string& out);
// Length of the packet's text form, or 0 when a text is longer than a counted field can hold.
std::size_t PacketTextLength(const CommType& packet);
// True when the packet's text form fits a packet (10000 bytes at most): the one size rule of the
// builder and of the engine's Send.
bool PacketFits(const CommType& packet);
// Fills packet from text (cut to 10000 bytes first). False on a wrong or non-numeric check
// (packet stays cleared) or when a number or date field does not convert.
bool ParsePacket(std::string_view text, CommType& packet);
// The same for a packet whose bytes have been added up already (byteSum: the sum of every byte of
// text, as FindPacketEnd counts them while it frames), so the check needs no second pass.
bool ParsePacket(std::string_view text, std::uint64_t byteSum, CommType& packet);
// Whether the check digits match the bytes after them (the text cut to 10000 bytes first): tells a
// packet refused for its check from one refused for a field.
bool PacketCheckMatches(std::string_view text);
// A packet's fields read where they stand: the texts view the packet's bytes and are valid as long
// as those are. Reading a packet this way copies nothing; CopyTo makes the owning CommType.
struct PacketView {
    std::int16_t Number1 = 0;
    std::string_view Text0;
    std::int16_t Number2 = 0;
    std::string_view Source;
    std::string_view Destination;
    double Created = 0.0;
    double Expire = 0.0;
    std::string_view PacketType;
    std::string_view Data;
    std::array<std::string_view, 8> Texts; // Text1 to Text8

    // Every field of packet set to this one's value; the texts keep their storage.
    void CopyTo(CommType& packet) const;
};
// ParsePacket into a view, with the same results: the view is empty when the check fails.
bool ParsePacket(std::string_view text, PacketView& packet);
bool ParsePacket(std::string_view text, std::uint64_t byteSum, PacketView& packet);
// Field readers. Positions count from 1; reading goes on at end + 1.
// Up to the next TAB at or after pos (or the rest of the text); end = position of that TAB.
void ReadTabField(std::string_view text, std::size_t pos, std::string& value, std::size_t& end);
// Four digits L at pos, then L bytes. When the four are not all digits or the text does not hold
// the L bytes, value is empty and end = length of text.
void ReadCountedField(std::string_view text, std::size_t pos, std::string& value, std::size_t& end);
// count bytes from pos; when the text does not hold them, value is empty and end = length of text.
void ReadFixedField(std::string_view text, std::size_t pos, std::size_t count, std::string& value,
                    std::size_t& end);

// Writers shared with the member packet.
void AppendNumber(std::string& out, long long value);
void AppendDate(std::string& out, double value);
bool AppendCounted(std::string& out, std::string_view text); // false when longer than 9999
void AppendFixed3(std::string& out, std::string_view text);
// Reader helper: a date double the date-time type of the other modules can hold (years 100 to 9999).
bool IsValidOleDate(double value);

// Decimal text of a control code ("1006"), and the Data text a control packet carries.
std::string ControlDataText(std::int16_t code);

} // namespace zeva
