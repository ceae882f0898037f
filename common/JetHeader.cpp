#include "common/JetHeader.h"

#include <fstream>

namespace zeva {

JetVersion JetVersionOf(std::string_view head) {
    using namespace std::string_view_literals;
    if (head.size() < kJetHeaderBytes || head.substr(0, 4) != "\x00\x01\x00\x00"sv) return JetVersion::None;
    const std::string_view engine = head.substr(4, 16);
    const auto b = [&](std::size_t at) { return static_cast<unsigned char>(head[at]); };
    const unsigned long version =
        b(0x14) | (b(0x15) << 8) | (b(0x16) << 16) | (static_cast<unsigned long>(b(0x17)) << 24);
    if (engine == "Standard Jet DB\0"sv) {
        if (version == 0) return JetVersion::Jet3;
        if (version == 1) return JetVersion::Jet4;
    } else if (engine == "Standard ACE DB\0"sv && version >= 2 && version <= 6) {
        return JetVersion::Ace;
    }
    return JetVersion::None;
}

JetVersion JetVersionOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(kJetHeaderBytes, '\0');
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return JetVersion::None;
    return JetVersionOf(head);
}

const char* JetVersionName(JetVersion version) {
    switch (version) {
    case JetVersion::Jet3:
        return "Jet 3 (Access 97)";
    case JetVersion::Jet4:
        return "Jet 4 (Access 2000-2003)";
    case JetVersion::Ace:
        return "Access 2007 or later";
    case JetVersion::None:
        break;
    }
    return "not an Access database";
}

} // namespace zeva
