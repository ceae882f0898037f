#pragma once
#include <string>
#include <string_view>

namespace zeva {

// Tells an Access (Jet) database from other files by its first page: the bytes 00 01 00 00, the
// engine's name ("Standard Jet DB", or "Standard ACE DB" from Access 2007 on) and the format
// version at offset 0x14. Anything else (an SQLite file, text, a cut or empty file) is None.
enum class JetVersion { None, Jet3, Jet4, Ace };

inline constexpr std::size_t kJetHeaderBytes = 0x18;

JetVersion JetVersionOf(std::string_view head);
// Reads the first bytes of the file; None when it cannot be read.
JetVersion JetVersionOfFile(const std::string& path);
const char* JetVersionName(JetVersion version);

} // namespace zeva
