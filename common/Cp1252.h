#pragma once
#include <string>
#include <string_view>

namespace zeva {

// Packet, record and settings texts are CP1252 bytes. SQLite, Qt and the tools speak UTF-8; these
// convert at those boundaries. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no CP1252 character and
// map to the C1 controls of the same value, so every byte survives a round trip.
std::string Cp1252ToUtf8(std::string_view bytes);
// Characters CP1252 cannot hold become '?'; malformed UTF-8 bytes become '?' too.
std::string Utf8ToCp1252(std::string_view utf8);

// Case of CP1252 text: every letter of the code page, not only a-z (e with acute <-> E with acute,
// s caron <-> S caron, oe <-> OE, z caron <-> Z caron, y diaeresis <-> Y diaeresis). Sharp s and micro
// sign have no upper-case form in the code page and stay; every other byte is kept.
std::string Cp1252ToUpper(std::string_view text);
std::string Cp1252ToLower(std::string_view text);

} // namespace zeva
