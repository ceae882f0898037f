// The member record of a connection accept, as the hub sends it.
#include "comms/CommMemberType.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zeva;
    // Half the inputs are taken raw; the other half overwrite part of a sound member record, so
    // the readers past the check field get exercised.
    std::string text(reinterpret_cast<const char*>(data), size);
    if (size >= 2 && (data[0] & 1)) {
        CommMemberType sound(45000.5);
        sound.Identifier = "s01";
        sound.Description = "Screen Client";
        sound.Mode = 279;
        std::string base;
        sound.CreatePacket(base);
        const std::size_t at = 4 + data[1] % (base.size() - 4);
        text = base.substr(0, at) + text.substr(2) + ((data[0] & 2) ? base.substr(at) : std::string());
    }
    CommMemberType m;
    if (m.ExtractPacket(text)) {
        // What was read must write and read back to the same identifier and mode.
        std::string again;
        CommMemberType back;
        if (m.CreatePacket(again) && (!back.ExtractPacket(again) || back.Identifier != m.Identifier ||
                                      back.Mode != m.Mode || back.BufferMax != m.BufferMax))
            std::abort();
    }
    return 0;
}
